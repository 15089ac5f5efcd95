// The spooler's side of the monitor tests: QelMon loaded and initialised,
// the port monitor below it, and the helper library in the driver directory
// with the control block through which the test chooses its results.
#pragma once

#include "FakePortMonitor.h"
#include "HelperControl.h"
#include "MonitorSpooler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Marker primed into the last error before each call.
const DWORD kMonitorMarker = 0xC0DE5A5A;

// Fields of a record, or of the bytes the helper saw, by offset.
inline DWORD Dword(const BYTE* record, size_t offset)
{
    return RecordField<DWORD>(record, offset);
}
inline ULONGLONG Slot(const BYTE* record, size_t offset)
{
    return RecordField<ULONGLONG>(record, offset);
}
inline ULONGLONG ValueOf(const void* pointer)
{
    return reinterpret_cast<ULONG_PTR>(pointer);
}

class MonitorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZeroMemory(&Control(), sizeof(HelperControl));
        ShareHelperControl(&Control());
        ASSERT_TRUE(CMonitorSpooler::InstallHelper()) << GetLastError();
        ASSERT_TRUE(spooler.Start()) << GetLastError();
    }

    void TearDown() override
    {
        spooler.Shutdown();
        ShareHelperControl(nullptr);
    }

    // One block for the whole program: it is large, and the helper may log
    // into it until its library is unloaded.
    static HelperControl& Control()
    {
        static HelperControl control;
        return control;
    }

    // Opens printer on port; the record, or NULL with a failure recorded.
    HANDLE Open(LPCWSTR port, LPCWSTR printer)
    {
        HANDLE handle = nullptr;
        EXPECT_TRUE(spooler.Open(below, port, printer, &handle)) << GetLastError();
        return handle;
    }

    std::vector<HelperSeen> Seen(HelperCallKind kind, HANDLE record = nullptr) const
    {
        std::vector<HelperSeen> seen;
        HelperControl& control = Control();
        AcquireSRWLockShared(&control.lock);
        for (DWORD i = 0; i < control.callCount; ++i) {
            if (control.calls[i].kind == kind && (!record || control.calls[i].record == record))
                seen.push_back(control.calls[i]);
        }
        ReleaseSRWLockShared(&control.lock);
        return seen;
    }

    std::vector<HelperCallKind> Kinds(HANDLE record = nullptr) const
    {
        std::vector<HelperCallKind> kinds;
        HelperControl& control = Control();
        AcquireSRWLockShared(&control.lock);
        for (DWORD i = 0; i < control.callCount; ++i) {
            const HelperSeen& seen = control.calls[i];
            if (!record || seen.record == record)
                kinds.push_back(seen.kind);
        }
        ReleaseSRWLockShared(&control.lock);
        return kinds;
    }

    CFakePortMonitor below;
    CMonitorSpooler spooler;
};
