// The test build of the helper library QelLMhlp.dll. It logs every call with
// the record's bytes, reads the record only by the offsets of the contract,
// answers with the results the program chose, and on request forwards the
// job to the printer the record names.
#include <winsock2.h>
#include <windows.h>

#include "HelperControl.h"
#include "UsbLink.h"

namespace {

const DWORD kDefaultTcpPort = 9100;

CUsbLink* LinkOf(const BYTE* record)
{
    return reinterpret_cast<CUsbLink*>(static_cast<ULONG_PTR>(RecordField<ULONGLONG>(record, RecordOffset::CpUsb)));
}

DWORD Log(HelperCallKind kind, const BYTE* record, DWORD count, DWORD result, DWORD preset = 0)
{
    HelperControl* control = FindHelperControl();
    if (!control)
        return result;
    AcquireSRWLockExclusive(&control->lock);
    if (control->callCount < HELPER_CALL_LIMIT) {
        HelperSeen& seen = control->calls[control->callCount++];
        seen = {kind, GetCurrentThreadId(), record, count, preset, result, {}};
        if (record)
            memcpy(seen.bytes, record, RecordOffset::Size);
    }
    ReleaseSRWLockExclusive(&control->lock);
    return result;
}

// Puts a block of the process heap into an empty buffer slot.
void AllocateBuffer(HelperControl* control, BYTE* record, size_t offset, DWORD bytes)
{
    void* block = RecordField<ULONGLONG>(record, offset) ? nullptr : HeapAlloc(GetProcessHeap(), 0, bytes);
    if (!block)
        return;
    SetRecordSlot(record, offset, block);
    if (offset == RecordOffset::Buffer1)
        memcpy(record + RecordOffset::BufferLength, &bytes, sizeof(bytes));
    AcquireSRWLockExclusive(&control->lock);
    if (control->bufferCount < HELPER_BUFFER_LIMIT)
        control->buffers[control->bufferCount++] = block;
    ReleaseSRWLockExclusive(&control->lock);
}

// Opens the printer the record names: the address of a TCP/IP port or the
// device path of a USB port. The link lives in the record's cpUsb.
DWORD OpenPrinterLink(BYTE* record)
{
    auto link = new CUsbLink;
    DWORD result;
    if (record[RecordOffset::TcpIp]) {
        DWORD port = RecordField<DWORD>(record, RecordOffset::TcpPort);
        link->SetIPAddr(RecordString(record, RecordOffset::IPAddress, RECORD_ADDRESS_ROOM).c_str(),
                        port ? port : kDefaultTcpPort);
        result = link->OpenUsb();
    } else {
        result = link->OpenByDevicePath(RecordString(record, RecordOffset::SymbolicLink).c_str());
    }
    if (result != 0)
        delete link;
    else
        SetRecordSlot(record, RecordOffset::CpUsb, link);
    return result;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH || reason == DLL_PROCESS_DETACH)
        Log(reason == DLL_PROCESS_ATTACH ? HELPER_LOADED : HELPER_UNLOADED, nullptr, 0, 0);
    return TRUE;
}

extern "C" DWORD WINAPI LM_StartDocPort(BYTE* record)
{
    HelperControl* control = FindHelperControl();
    if (!control)
        return 0;
    if (control->allocateBuffers) {
        AllocateBuffer(control, record, RecordOffset::Buffer1, HELPER_BUFFER1_BYTES);
        AllocateBuffer(control, record, RecordOffset::Buffer2, HELPER_BUFFER2_BYTES);
    }
    return Log(HELPER_START, record, 0, control->forward ? OpenPrinterLink(record) : control->startResult);
}

extern "C" DWORD WINAPI LM_WritPort(BYTE* record, BYTE* buffer, DWORD count, DWORD* written)
{
    const DWORD preset = *written;
    HelperControl* control = FindHelperControl();
    DWORD result = control ? control->writeResult : 0;
    if (control && control->forward)
        result = LinkOf(record) ? LinkOf(record)->WriteData(buffer, count, written) : ERROR_NOT_READY;
    else
        *written = result == 0 ? count : 0;
    return Log(HELPER_WRITE, record, count, result, preset);
}

extern "C" DWORD WINAPI LM_ReadPort(BYTE* record, BYTE* buffer, DWORD count, DWORD* read)
{
    const DWORD preset = *read;
    HelperControl* control = FindHelperControl();
    DWORD result = control ? control->readResult : 0;
    if (control && control->forward) {
        result = LinkOf(record) ? LinkOf(record)->ReadData(buffer, count, read) : ERROR_NOT_READY;
    } else if (control && result == 0) {
        *read = control->readLength < count ? control->readLength : count;
        memcpy(buffer, control->readData, *read);
    }
    return Log(HELPER_READ, record, count, result, preset);
}

extern "C" DWORD WINAPI LM_EndDocPort(BYTE* record)
{
    HelperControl* control = FindHelperControl();
    delete LinkOf(record);
    SetRecordSlot(record, RecordOffset::CpUsb, nullptr);
    return Log(HELPER_END, record, 0, control ? control->endResult : 0);
}
