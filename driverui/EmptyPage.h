// The procedure of a page whose controls are not built yet: it keeps the
// page contract (UiData in DWLP_USER, CPSUI_OK at PSN_APPLY) and nothing else.
#pragma once

#include <windows.h>

INT_PTR EmptyPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam, WORD templateId);
