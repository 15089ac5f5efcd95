// The user-session programs of the notification tests: copies put into the
// driver directory, where the receiving side starts them, and every process
// started from those copies ended and the copies removed afterwards, so that
// nothing outlives a test.
#pragma once

#include <windows.h>

#include "ProcessWindows.h"
#include "ProgramRun.h"

#include <string>
#include <vector>

class CDriverPrograms {
public:
    CDriverPrograms();
    ~CDriverPrograms();
    CDriverPrograms(const CDriverPrograms&) = delete;
    CDriverPrograms& operator=(const CDriverPrograms&) = delete;

    // Copies source (a path relative to the test program's folder) into the
    // driver directory as name.
    bool Install(LPCWSTR source, LPCWSTR name);
    // Ends every process started from an installed copy.
    void EndAll();
    // The path of name in the driver directory.
    std::wstring Path(LPCWSTR name) const;
    // A file beside an installed copy, read whole (and then removed).
    std::wstring TakeText(LPCWSTR name) const;
    std::string TakeBytes(LPCWSTR name) const;

private:
    std::wstring m_directory;
    std::vector<std::wstring> m_installed;
};

// A visible dialog-class window (a dialog or message box) of the process that
// owns window, other than window itself; NULL after timeoutMs.
HWND WaitForProcessDialog(HWND window, DWORD timeoutMs);
// A name no other test program uses at the same time.
std::wstring UniqueName(LPCWSTR base);
