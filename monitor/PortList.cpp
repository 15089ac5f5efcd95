#include "PortList.h"

#include "Platform.h"
#include "TextCopy.h"

#include <cwchar>

namespace {

void FreeHeapBlock(PVOID block)
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

} // namespace

PORT_OBJ* FindOrAddPortObj(PORT_OBJ** head, LPCWSTR printerName, LPCWSTR portName)
{
    PORT_OBJ** tail = head;
    for (PORT_OBJ* record = *head; record; record = record->pNext.p) {
        if (wcscmp(record->szPrinterName, printerName) == 0 && wcscmp(record->szPortNameW, portName) == 0)
            return record;
        tail = &record->pNext.p;
    }
    // A name cut to the record's room would be taken for another printer's.
    if (wcsnlen(printerName, PORT_PRINTER_ROOM) == PORT_PRINTER_ROOM ||
        wcsnlen(portName, PORT_NAME_ROOM) == PORT_NAME_ROOM) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto record = static_cast<PORT_OBJ*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(PORT_OBJ)));
    if (!record) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    CopyTextFits(record->szPrinterName, PORT_PRINTER_ROOM, printerName);
    CopyTextFits(record->szPortNameW, PORT_NAME_ROOM, portName);
    *tail = record;
    DebugTrace(L"FindOrAddPortObj(), new record %p for %ls on %ls,\n", record, printerName, portName);
    return record;
}

void FreePortList(PORT_OBJ** head)
{
    PORT_OBJ* record = *head;
    while (record) {
        PORT_OBJ* next = record->pNext.p;
        FreeHeapBlock(record->pBuffer1.p);
        record->pBuffer1.p = nullptr;
        record->dwBufferLength = 0;
        FreeHeapBlock(record->pBuffer2.p);
        FreeHeapBlock(record);
        record = next;
    }
    *head = nullptr;
}
