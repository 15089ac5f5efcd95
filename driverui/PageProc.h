// The dialog procedure that the pages with controls share: the page contract
// (UiData in DWLP_USER, CPSUI_OK for the own page at PSN_APPLY) around the
// page's own handlers.
#pragma once

#include <windows.h>

#include "UiData.h"

struct PageHandlers {
    WORD wTemplateId;
    // WM_INITDIALOG, once the page keeps its UiData.
    void (*pfnSetUp)(HWND page, UiData* ui);
    // WM_COMMAND.
    void (*pfnCommand)(HWND page, UiData* ui, WORD id, WORD code);
    // WM_HSCROLL from a trackbar; NULL for a page without one.
    void (*pfnTrackbar)(HWND page, UiData* ui, HWND trackbar);
    // PSN_APPLY, before the page reports its result; NULL for a page whose
    // values are in the DEVMODE already.
    void (*pfnApply)(HWND page, UiData* ui);
};

INT_PTR RunPageProc(const PageHandlers& handlers, HWND page, UINT message, WPARAM wParam, LPARAM lParam);
