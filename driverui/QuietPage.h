// CQuietPage: the page's own writes into its edits, told apart from the
// user's. Setting an edit's text reports EN_CHANGE at once, during
// WM_INITDIALOG too and when the text stays the same.
#pragma once

#include <windows.h>

// While one lives, the page's own writes into its edits are not taken for
// the user's: the edit-changed path of the page asks IsPageQuiet.
class CQuietPage {
public:
    explicit CQuietPage(HWND page);
    ~CQuietPage();
    CQuietPage(const CQuietPage&) = delete;
    CQuietPage& operator=(const CQuietPage&) = delete;

private:
    HWND m_page;
    HANDLE m_previous;
};
BOOL IsPageQuiet(HWND page);
