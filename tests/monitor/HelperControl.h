// What the test build of the helper library QelLMhlp.dll and the program
// that loads QelMon share: the record's layout as the helper reads it, what
// the helper saw on each call, and the results the program chooses.
//
// The helper finds the control block through the process environment
// (HELPER_CONTROL_VARIABLE holds its address), so the program needs no
// reference to the library and the monitor alone decides when it is loaded.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <string>

// The record as the helper reads it: byte offsets, little-endian, every
// pointer and handle in an 8-byte slot.
namespace RecordOffset {
const size_t PrinterName = 0x000;
const size_t PortName = 0x200;
const size_t VidPid = 0x680;
const size_t SymbolicLink = 0x880;
const size_t PortIndex = 0xA80;
const size_t PortNumber = 0xA84;
const size_t Linked = 0xA88;
const size_t CpUsb = 0xA90;
const size_t DocName = 0xAA2;
const size_t JobId = 0xBA4;
const size_t Dll = 0xBA8;
const size_t StartDocPort = 0xBB0;
const size_t EndDocPort = 0xBB8;
const size_t WritPort = 0xBC0;
const size_t ReadPort = 0xBC8;
const size_t MonitorPort = 0xBD0;
const size_t Port = 0xBD8;
const size_t Monitor2 = 0xBE0;
const size_t BufferLength = 0xBE8;
const size_t Buffer1 = 0xBF0;
const size_t Buffer2 = 0xBF8;
const size_t NotUsb = 0xC00;
const size_t TcpIp = 0xC01;
const size_t IPAddress = 0xC02;
const size_t TcpPort = 0xC34;
const size_t Next = 0xC38;
const size_t Size = 3136;
} // namespace RecordOffset

// A field of the record by its offset.
template <typename T>
T RecordField(const BYTE* record, size_t offset)
{
    T value;
    memcpy(&value, record + offset, sizeof(value));
    return value;
}

inline void SetRecordSlot(BYTE* record, size_t offset, const void* pointer)
{
    ULONGLONG value = reinterpret_cast<ULONG_PTR>(pointer);
    memcpy(record + offset, &value, sizeof(value));
}

// A text field: at most room - 1 of its characters.
inline std::wstring RecordString(const BYTE* record, size_t offset, size_t room = 256)
{
    const WCHAR* text = reinterpret_cast<const WCHAR*>(record + offset);
    return std::wstring(text, wcsnlen(text, room - 1));
}

// Rooms of the texts that are not 256 characters.
const size_t RECORD_PORT_ROOM = 576;
const size_t RECORD_DOC_ROOM = 128;
const size_t RECORD_ADDRESS_ROOM = 25;

// The environment variable that holds the control block's address.
extern const WCHAR HELPER_CONTROL_VARIABLE[];

enum HelperCallKind : DWORD {
    HELPER_LOADED,   // the library's process attach
    HELPER_UNLOADED, // its process detach
    HELPER_START,
    HELPER_WRITE,
    HELPER_READ,
    HELPER_END,
};

// One call, with the record's bytes as the helper saw them then.
struct HelperSeen {
    HelperCallKind kind;
    DWORD threadId;
    const BYTE* record;
    DWORD count;  // bytes offered to LM_WritPort or LM_ReadPort
    DWORD preset; // the bytes-done count the monitor handed in with them
    DWORD result; // what the helper gave back
    BYTE bytes[RecordOffset::Size];
};

const DWORD HELPER_CALL_LIMIT = 96;
const DWORD HELPER_READ_ROOM = 64;
const DWORD HELPER_BUFFER_LIMIT = 32;
// Sizes of the two heap blocks the helper puts into a record.
const DWORD HELPER_BUFFER1_BYTES = 200;
const DWORD HELPER_BUFFER2_BYTES = 120;

struct HelperControl {
    SRWLOCK lock;
    // Results the entry points give (when not forwarding).
    DWORD startResult;
    DWORD writeResult;
    DWORD readResult;
    DWORD endResult;
    // LM_StartDocPort puts two blocks of the process heap into a record
    // whose buffer slots are empty.
    BOOL allocateBuffers;
    // Forward each job to the printer the record names, over a CUsbLink: the
    // device path of a USB port or the address of a TCP/IP port.
    BOOL forward;
    // What LM_ReadPort delivers when not forwarding.
    BYTE readData[HELPER_READ_ROOM];
    DWORD readLength;
    DWORD callCount;
    HelperSeen calls[HELPER_CALL_LIMIT];
    DWORD bufferCount;
    PVOID buffers[HELPER_BUFFER_LIMIT];
};

// The program's side: makes control the block the helper uses (NULL: none),
// with its lock set up and its log empty.
void ShareHelperControl(HelperControl* control);
// The helper's side: the block the program shared, or NULL.
HelperControl* FindHelperControl();
