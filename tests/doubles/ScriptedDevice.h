// CScriptedDevice: a USB printer device whose transfers complete exactly as a
// test scripts them: at once, after a wait, short, with nothing, never, or
// refused at once. A real pipe cannot be made to complete a write short or
// empty, so the device stands behind the platform calls themselves: while a
// CScriptedDevice lives, this program's imports of ReadFile, WriteFile,
// GetOverlappedResult and CancelIo lead to it. Calls on any other handle go
// on to the platform unchanged.
//
// Typical use:
//   CScriptedDevice device;
//   device.AddWrite(DevPending(100));    // 100 bytes taken, after the wait
//   device.AddWrite(DevPending(0));      // nothing taken
//   HANDLE h = device.GetHandle();
//   ... link.SingleWrite(h, data, 300, &written, overlapped, 200) ...
//   EXPECT_EQ(0u, device.GetUnexpectedCalls());
//
// One device at a time, used from one thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// How one transfer of the script ends.
enum DevHow : DWORD {
    DEV_AT_ONCE = 0, // the call itself completes with the count
    DEV_PENDING = 1, // the call gives ERROR_IO_PENDING; the completion, signalled at once, has the count or the error
    DEV_NEVER = 2,   // the call gives ERROR_IO_PENDING and nothing ever completes (until cancelled)
    DEV_REFUSE = 3,  // the call fails at once with the error; nothing is pending, the event stays as it was
};

struct DevPass {
    DevHow how = DEV_AT_ONCE;
    DWORD count = 0;  // bytes taken (write) or delivered (read)
    DWORD error = 0;  // DEV_REFUSE: the call's error; DEV_PENDING: a failed completion's error (0 = success)
    std::string data; // read: the bytes delivered (count of them, zero-filled when shorter)
};

DevPass DevAtOnce(DWORD count);
DevPass DevPending(DWORD count);
DevPass DevPendingError(DWORD error);
DevPass DevNever();
DevPass DevRefuse(DWORD error);
DevPass DevReadData(DevHow how, const std::string& data);

// One platform call the device answered.
struct DevCall {
    std::string function; // "ReadFile", "WriteFile", "GetOverlappedResult", "CancelIo"
    DWORD length = 0;     // bytes asked for (ReadFile, WriteFile)
    BOOL overlapped = FALSE;
};

class CScriptedDevice {
public:
    CScriptedDevice();
    ~CScriptedDevice();
    CScriptedDevice(const CScriptedDevice&) = delete;
    CScriptedDevice& operator=(const CScriptedDevice&) = delete;

    // FALSE when the imports could not be redirected (then nothing works).
    BOOL IsReady() const;
    // The device's handle: a live handle of the platform, so that it can be
    // checked and closed like a device.
    HANDLE GetHandle() const;

    void AddWrite(const DevPass& pass);
    void AddRead(const DevPass& pass);
    // Passes scripted but not used yet.
    size_t GetPendingPasses() const;

    // Every call on the device, in order.
    const std::vector<DevCall>& GetCalls() const;
    size_t CountCalls(const char* function) const;
    // The bytes each write asked to write (the data at the write position).
    const std::vector<std::string>& GetWrites() const;
    // Calls outside the script: a transfer with no pass left, a completion
    // check with nothing started, a transfer while another is pending, a
    // blocking call, a null count pointer. Each fails with
    // ERROR_INVALID_FUNCTION.
    DWORD GetUnexpectedCalls() const;

    struct State;

private:
    State* m_pState;
};
