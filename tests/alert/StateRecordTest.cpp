#include "AlertState.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const BYTE kOld = 0x11, kNew = 0x22;

// Stores a record of size bytes of kNew over a record of kOld; gives whether
// it was taken and how many leading bytes changed.
size_t StoreOver(ULONG_PTR dwData, DWORD size, bool withData, BOOL* stored)
{
    memset(&g_StateInfo0, kOld, sizeof(g_StateInfo0));
    std::vector<BYTE> data(size + 16, kNew);
    COPYDATASTRUCT record = {dwData, size, withData ? data.data() : nullptr};
    *stored = StoreStateInfo(&record);
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&g_StateInfo0);
    size_t changed = 0;
    while (changed < sizeof(StateInfo) && bytes[changed] == kNew)
        ++changed;
    for (size_t i = changed; i < sizeof(StateInfo); ++i)
        EXPECT_EQ(kOld, bytes[i]) << "byte " << i;
    return changed;
}

TEST(StateRecord, OverwritesOnlyWhatTheRecordCarries)
{
    const struct {
        ULONG_PTR dwData;
        DWORD size;
        bool withData;
        BOOL stored;
        size_t changed;
    } cases[] = {
        {CDS_STATE_INFO, 100, true, TRUE, 100},
        {CDS_STATE_INFO, 2032, true, TRUE, 2032},
        {CDS_STATE_INFO, 2033, true, TRUE, 2032},
        {CDS_STATE_INFO, 0, true, FALSE, 0},
        {CDS_STATE_INFO, 100, false, FALSE, 0}, // a size without data
        {222, 100, true, FALSE, 0},
    };
    for (const auto& c : cases) {
        BOOL stored = -1;
        EXPECT_EQ(c.changed, StoreOver(c.dwData, c.size, c.withData, &stored)) << c.dwData << "/" << c.size;
        EXPECT_EQ(c.stored, stored);
    }
    EXPECT_FALSE(StoreStateInfo(nullptr));
}

TEST(StateRecord, TheDialogsCopyHasTheCodeAndTextsThatEnd)
{
    memset(&g_StateInfo0, 'A', sizeof(g_StateInfo0));
    g_StateInfo0.dwJobId = 42;
    TakeShowMsgStateInfo(0x10046);
    EXPECT_EQ(42u, g_ShowMsgStateInfo.dwJobId);
    EXPECT_EQ(0x10046u, g_ShowMsgStateInfo.dwErrCode);
    EXPECT_EQ(STATE_PRINTER_ROOM - 1, wcslen(g_ShowMsgStateInfo.szPrinterName));
    EXPECT_EQ(STATE_PORT_ROOM - 1, wcslen(g_ShowMsgStateInfo.szPortName));
    EXPECT_EQ(STATE_LINK_ROOM - 1, wcslen(g_ShowMsgStateInfo.szSymbolicLink));
    EXPECT_EQ(STATE_EXT_ROOM - 1, wcslen(g_ShowMsgStateInfo.szExtParam));
    // The record received stays as it came.
    EXPECT_EQ(static_cast<WCHAR>(0x4141), g_StateInfo0.szPrinterName[STATE_PRINTER_ROOM - 1]);
}

} // namespace
