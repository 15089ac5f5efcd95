// The name dialog of the Print Area page, shown by Save As and by Apply for
// rectangles drawn on "Full Card".
#include "PrintAreaPage.h"

#include "PrintAreaRecord.h"
#include "PrintAreaResource.h"
#include "PrintAreaView.h"

#include <cwchar>

namespace {

const int TYPED_NAME_CHARS = 32;

} // namespace

INT_PTR CALLBACK DlgSavePrintAreaProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        if (g_pPrintAreaUiData) {
            UsePrintAreaSection(g_pPrintAreaUiData);
            g_pPrintAreaUiData->Translater.TranslateWindowItems(dialog);
        }
        SendDlgItemMessageW(dialog, IDC_AREA_NAME_EDIT, EM_SETLIMITTEXT, TYPED_NAME_CHARS, 0);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            // A record holds 63 characters of its name; the built-in name
            // and an empty one would name no stored area.
            WCHAR name[PRINT_AREA_NAME_ROOM] = L"";
            GetDlgItemTextW(dialog, IDC_AREA_NAME_EDIT, name, PRINT_AREA_NAME_ROOM);
            if (!name[0] || IsFullCardName(name)) {
                MessageBeep(MB_ICONWARNING);
                SetFocus(GetDlgItem(dialog, IDC_AREA_NAME_EDIT));
                return TRUE;
            }
            wcscpy(g_szPrintAreaName, name);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
