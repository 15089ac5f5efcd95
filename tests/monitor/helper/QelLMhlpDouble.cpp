// The test build of the helper library QelLMhlp.dll. It reads the monitor's
// record only by the offsets of the contract, logs every call with what it
// read, answers with the results the program chose, and on request forwards
// the job to the printer the record names.
#include <winsock2.h>
#include <windows.h>

#include "HelperControl.h"
#include "UsbLink.h"


namespace {

const DWORD kDefaultTcpPort = 9100;

template <typename T>
T* SlotPointer(const BYTE* record, size_t offset)
{
    return reinterpret_cast<T*>(static_cast<ULONG_PTR>(RecordField<ULONGLONG>(record, offset)));
}

void Log(HelperCallKind kind, const BYTE* record, DWORD count, DWORD result)
{
    HelperControl* control = FindHelperControl();
    if (!control)
        return;
    AcquireSRWLockExclusive(&control->lock);
    if (control->callCount < HELPER_CALL_LIMIT) {
        HelperSeen& seen = control->calls[control->callCount++];
        ZeroMemory(&seen, sizeof(seen));
        seen.kind = kind;
        seen.threadId = GetCurrentThreadId();
        seen.record = record;
        seen.count = count;
        seen.result = result;
        if (record) {
            using namespace RecordOffset;
            RecordText(record, PrinterName, RECORD_NAME_ROOM, seen.printer);
            RecordText(record, PortName, RECORD_PORT_ROOM, seen.port);
            RecordText(record, VidPid, RECORD_NAME_ROOM, seen.vidPid);
            RecordText(record, SymbolicLink, RECORD_NAME_ROOM, seen.symbolicLink);
            RecordText(record, DocName, RECORD_DOC_ROOM, seen.docName);
            RecordText(record, IPAddress, RECORD_ADDRESS_ROOM, seen.ipAddress);
            seen.portNumber = RecordField<DWORD>(record, PortNumber);
            seen.linked = RecordField<DWORD>(record, Linked);
            seen.jobId = RecordField<DWORD>(record, JobId);
            seen.tcpPort = RecordField<DWORD>(record, TcpPort);
            seen.notUsb = record[NotUsb];
            seen.tcpIp = record[TcpIp];
            seen.dll = RecordField<ULONGLONG>(record, Dll);
            seen.entries[0] = RecordField<ULONGLONG>(record, StartDocPort);
            seen.entries[1] = RecordField<ULONGLONG>(record, EndDocPort);
            seen.entries[2] = RecordField<ULONGLONG>(record, WritPort);
            seen.entries[3] = RecordField<ULONGLONG>(record, ReadPort);
            seen.monitorPort = RecordField<ULONGLONG>(record, MonitorPort);
            seen.port_ = RecordField<ULONGLONG>(record, Port);
            seen.monitor2 = RecordField<ULONGLONG>(record, Monitor2);
        }
    }
    ReleaseSRWLockExclusive(&control->lock);
}

// Puts a block of the process heap into an empty buffer slot.
void AllocateBuffer(HelperControl* control, BYTE* record, size_t offset, DWORD bytes)
{
    if (RecordField<ULONGLONG>(record, offset) != 0)
        return;
    void* block = HeapAlloc(GetProcessHeap(), 0, bytes);
    if (!block)
        return;
    memset(block, 0xB5, bytes);
    SetRecordSlot(record, offset, block);
    if (offset == RecordOffset::Buffer1)
        memcpy(record + RecordOffset::BufferLength, &bytes, sizeof(bytes));
    AcquireSRWLockExclusive(&control->lock);
    if (control->bufferCount < HELPER_BUFFER_LIMIT)
        control->buffers[control->bufferCount++] = block;
    ReleaseSRWLockExclusive(&control->lock);
}

// Opens the printer the record names; the link lives in the record's cpUsb.
DWORD OpenPrinterLink(BYTE* record)
{
    auto link = new CUsbLink;
    DWORD result;
    if (record[RecordOffset::TcpIp]) {
        WCHAR address[RECORD_ADDRESS_ROOM];
        RecordText(record, RecordOffset::IPAddress, RECORD_ADDRESS_ROOM, address);
        DWORD port = RecordField<DWORD>(record, RecordOffset::TcpPort);
        link->SetIPAddr(address, port ? port : kDefaultTcpPort);
        result = link->OpenUsb();
    } else {
        WCHAR path[RECORD_NAME_ROOM];
        RecordText(record, RecordOffset::SymbolicLink, RECORD_NAME_ROOM, path);
        result = link->OpenByDevicePath(path);
    }
    if (result != 0) {
        delete link;
        return result;
    }
    SetRecordSlot(record, RecordOffset::CpUsb, link);
    return 0;
}

void ClosePrinterLink(BYTE* record)
{
    delete SlotPointer<CUsbLink>(record, RecordOffset::CpUsb);
    SetRecordSlot(record, RecordOffset::CpUsb, nullptr);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        Log(HELPER_LOADED, nullptr, 0, 0);
    else if (reason == DLL_PROCESS_DETACH)
        Log(HELPER_UNLOADED, nullptr, 0, 0);
    return TRUE;
}

extern "C" DWORD WINAPI LM_StartDocPort(BYTE* record)
{
    HelperControl* control = FindHelperControl();
    DWORD result = 0;
    if (control && control->allocateBuffers) {
        AllocateBuffer(control, record, RecordOffset::Buffer1, HELPER_BUFFER1_BYTES);
        AllocateBuffer(control, record, RecordOffset::Buffer2, HELPER_BUFFER2_BYTES);
    }
    if (control && control->forward)
        result = OpenPrinterLink(record);
    else if (control)
        result = control->startResult;
    Log(HELPER_START, record, 0, result);
    return result;
}

extern "C" DWORD WINAPI LM_WritPort(BYTE* record, BYTE* buffer, DWORD count, DWORD* written)
{
    HelperControl* control = FindHelperControl();
    CUsbLink* link = SlotPointer<CUsbLink>(record, RecordOffset::CpUsb);
    DWORD result = control ? control->writeResult : 0;
    if (control && control->forward)
        result = link ? link->WriteData(buffer, count, written) : ERROR_NOT_READY;
    else
        *written = result == 0 ? count : 0;
    Log(HELPER_WRITE, record, count, result);
    return result;
}

extern "C" DWORD WINAPI LM_ReadPort(BYTE* record, BYTE* buffer, DWORD count, DWORD* read)
{
    HelperControl* control = FindHelperControl();
    CUsbLink* link = SlotPointer<CUsbLink>(record, RecordOffset::CpUsb);
    DWORD result = control ? control->readResult : 0;
    if (control && control->forward) {
        result = link ? link->ReadData(buffer, count, read) : ERROR_NOT_READY;
    } else if (control && result == 0) {
        DWORD n = control->readLength < count ? control->readLength : count;
        memcpy(buffer, control->readData, n);
        *read = n;
    }
    Log(HELPER_READ, record, count, result);
    return result;
}

extern "C" DWORD WINAPI LM_EndDocPort(BYTE* record)
{
    HelperControl* control = FindHelperControl();
    ClosePrinterLink(record);
    DWORD result = control ? control->endResult : 0;
    Log(HELPER_END, record, 0, result);
    return result;
}
