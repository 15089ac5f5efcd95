#include "PageProc.h"

#include <prsht.h>

#include "PageContract.h"
#include "Platform.h"

INT_PTR RunPageProc(const PageHandlers& handlers, HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        UiData* ui = TakePageUiData(page, lParam);
        DebugTrace(L"RunPageProc(1), WM_INITDIALOG, template = %u, ui = %p,\n", handlers.wTemplateId, ui);
        if (ui)
            handlers.pfnSetUp(page, ui);
        return TRUE;
    }
    UiData* ui = GetPageUiData(page);
    if (!ui)
        return FALSE;
    switch (message) {
    case WM_HSCROLL:
        if (!handlers.pfnTrackbar || !lParam)
            return FALSE;
        handlers.pfnTrackbar(page, ui, reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_COMMAND:
        handlers.pfnCommand(page, ui, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        if (!IsApplyNotification(message, lParam))
            return FALSE;
        if (handlers.pfnApply)
            handlers.pfnApply(page, ui);
        ReportPageResult(ui, handlers.wTemplateId);
        SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    default:
        return FALSE;
    }
}
