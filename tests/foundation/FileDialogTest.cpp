#include "Utilities.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

// The common dialog's file name box.
const int kFileNameCombo = 0x47C;
const int kFileNameEdit = 0x480;

// Answers the next file dialog of this thread: notes its caption, types the
// given name (when any) and presses OK, or presses Cancel.
struct DialogAnswer {
    static std::wstring caption, typed;
    static bool ok;
    static int dialogs;
    HHOOK hook;
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_INITDIALOG && !(GetWindowLongW(call->hwnd, GWL_STYLE) & WS_CHILD)) {
            WCHAR buffer[256] = L"";
            GetWindowTextW(call->hwnd, buffer, 256);
            caption = buffer;
            ++dialogs;
            if (ok) {
                SetDlgItemTextW(call->hwnd, kFileNameCombo, typed.c_str());
                SetDlgItemTextW(call->hwnd, kFileNameEdit, typed.c_str());
            }
            PostMessageW(call->hwnd, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    DialogAnswer(bool pressOk, const std::wstring& name)
        : hook(SetWindowsHookExW(WH_CALLWNDPROCRET, Hook, nullptr, GetCurrentThreadId()))
    {
        ok = pressOk;
        typed = name;
        dialogs = 0;
        caption.clear();
    }
    ~DialogAnswer() { UnhookWindowsHookEx(hook); }
};
std::wstring DialogAnswer::caption, DialogAnswer::typed;
bool DialogAnswer::ok;
int DialogAnswer::dialogs;

class FileDialog : public testing::Test {
protected:
    ScratchFolder folder{L"dialog"};
    std::wstring existing = folder.File(L"mask.bmp");
    WCHAR out[BROWSE_PATH_ROOM + 4];
    void SetUp() override
    {
        ASSERT_TRUE(ScratchFolder::Write(existing, "BM"));
        wmemset(out, L'#', BROWSE_PATH_ROOM + 4);
        wcscpy(out, L"before");
    }
};

TEST_F(FileDialog, OpenGivesTheChosenFileAsFullPathOrName)
{
    {
        DialogAnswer answer(true, existing);
        ASSERT_NE(nullptr, answer.hook);
        EXPECT_EQ(1u, BrowseFileName(TRUE, L"Pick a mask", L"bmp", L"", L"*.bmp", out, folder.path().c_str(), TRUE));
        EXPECT_EQ(1, DialogAnswer::dialogs);
        EXPECT_EQ(L"Pick a mask", DialogAnswer::caption);
        EXPECT_EQ(existing, out);
    }
    {
        DialogAnswer answer(true, existing);
        EXPECT_EQ(1u, BrowseFileName(TRUE, L"Pick a mask", L"bmp", L"", L"*.bmp", out, folder.path().c_str(), FALSE));
        EXPECT_STREQ(L"mask.bmp", out);
    }
    EXPECT_EQ(L'#', out[BROWSE_PATH_ROOM]);
}

TEST_F(FileDialog, SaveAddsTheDefaultExtension)
{
    DialogAnswer answer(true, folder.File(L"card"));
    EXPECT_EQ(1u, BrowseFileName(FALSE, L"Save", L"bmp", L"", L"*.bmp", out, folder.path().c_str(), TRUE));
    EXPECT_EQ(folder.File(L"card.bmp"), out);
}

TEST_F(FileDialog, CancelGivesTwoAndLeavesTheOutput)
{
    DialogAnswer answer(false, L"");
    EXPECT_EQ(2u, BrowseFileName(TRUE, L"Pick", L"bmp", L"", L"*.bmp", out, nullptr, TRUE));
    EXPECT_EQ(1, DialogAnswer::dialogs);
    EXPECT_STREQ(L"before", out);
}

TEST_F(FileDialog, AnInitialNameLongerThanTheFileBufferShowsNoDialog)
{
    DialogAnswer answer(false, L"");
    std::wstring name(BROWSE_PATH_ROOM, L'n');
    SetLastError(0xC0FFEE);
    EXPECT_EQ(2u, BrowseFileName(TRUE, L"Pick", L"bmp", name.c_str(), L"*.bmp", out, nullptr, TRUE));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(0, DialogAnswer::dialogs);
    EXPECT_STREQ(L"before", out);
}

} // namespace
