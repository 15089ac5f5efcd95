#include "ProgramLaunch.h"

#include "Platform.h"

#include <cwchar>

BOOL GetDriverProgramPath(LPWSTR out, LPCWSTR fileName)
{
    WCHAR directory[MAX_PATH];
    GetDriverDirectoryByRule(OS_RULE_ASYNC_CLIENT, directory, TRUE);
    out[0] = L'\0';
    if (!AppendText(out, directory) || !AppendText(out, L"\\") || !AppendText(out, fileName)) {
        out[0] = L'\0';
        return FALSE;
    }
    return TRUE;
}

BOOL AppendText(LPWSTR line, LPCWSTR text)
{
    size_t have = wcslen(line), add = wcslen(text);
    if (add >= PROGRAM_TEXT_ROOM - have)
        return FALSE;
    wmemcpy(line + have, text, add + 1);
    return TRUE;
}

BOOL AppendQuoted(LPWSTR line, LPCWSTR value)
{
    WCHAR quoted[PROGRAM_TEXT_ROOM];
    size_t n = 0;
    // The worst case is every unit doubled, the two quotation marks and the zero.
    if (wcslen(value) * 2 + 3 > PROGRAM_TEXT_ROOM)
        return FALSE;
    quoted[n++] = L'"';
    for (LPCWSTR p = value;; ++p) {
        size_t backslashes = 0;
        while (*p == L'\\') {
            ++backslashes;
            ++p;
        }
        // Backslashes count only before a quotation mark, the closing one too.
        size_t copies = (*p == L'"' || *p == L'\0') ? backslashes * 2 : backslashes;
        for (size_t i = 0; i < copies; ++i)
            quoted[n++] = L'\\';
        if (*p == L'\0')
            break;
        if (*p == L'"')
            quoted[n++] = L'\\';
        quoted[n++] = *p;
    }
    quoted[n++] = L'"';
    quoted[n] = L'\0';
    return AppendText(line, quoted);
}

HWND WaitForWindowTitle(LPCWSTR title, DWORD polls, DWORD intervalMs)
{
    for (DWORD poll = 0; poll < polls; ++poll) {
        Sleep(intervalMs);
        HWND window = FindWindowW(nullptr, title);
        if (window)
            return window;
    }
    return nullptr;
}
