#include "MagEncodingPage.h"

#include <cstring>

#include "MagEncodingResource.h"
#include "PageContract.h"
#include "PageControls.h"
#include "PageProc.h"
#include "QuietPage.h"

namespace {

const WCHAR SECTION[] = L"Magnetic Encoding";
// What the user may type into a filter edit.
const WPARAM FILTER_TYPED_MAX = 8;
const int FILTER_EDITS[] = {IDC_MAG_PREFIX, IDC_MAG_SUFFIX};

WCHAR* Filter(PrivateDevMode& priv, int id)
{
    return id == IDC_MAG_PREFIX ? priv.szPrefixFilter : priv.szSuffixFilter;
}

void ShowTextEncoding(HWND page, BOOL on)
{
    SetCheck(page, IDC_MAG_TEXT_ENCODING, on);
    EnableControls(page, IDC_MAG_PREFIX, IDC_MAG_SUFFIX, on);
}

void SetUp(HWND page, UiData* ui)
{
    CQuietPage quiet(page);
    PrivateDevMode& priv = ui->DevMode.dmPrivate;
    ui->Translater.SetSection(SECTION);
    ui->Translater.TranslateWindowItems(page);
    CheckRadioButton(page, IDC_MAG_LOW_CO, IDC_MAG_HIGH_CO, priv.byCoercivity ? IDC_MAG_HIGH_CO : IDC_MAG_LOW_CO);
    ShowTextEncoding(page, priv.byTextEncoding != 0);
    // The filters are shown after the translation, which would take them
    // for texts of its own. A filter stored without its terminator ends at
    // its room, and is kept so.
    for (int id : FILTER_EDITS) {
        WCHAR* filter = Filter(priv, id);
        filter[MAG_FILTER_ROOM - 1] = L'\0';
        SendDlgItemMessageW(page, id, EM_LIMITTEXT, FILTER_TYPED_MAX, 0);
        SetDlgItemTextW(page, id, filter);
    }
}

void OnTextEncodingClicked(HWND page, PrivateDevMode& priv)
{
    // The stored value decides, whatever the box shows.
    priv.byTextEncoding = priv.byTextEncoding == 1 ? 0 : 1;
    ShowTextEncoding(page, priv.byTextEncoding);
}

void OnFilterChanged(HWND page, PrivateDevMode& priv, int id)
{
    WCHAR text[MAG_FILTER_ROOM] = L"";
    GetDlgItemTextW(page, id, text, MAG_FILTER_ROOM);
    memcpy(Filter(priv, id), text, sizeof(text));
}

void OnCommand(HWND page, UiData* ui, WORD id, WORD code)
{
    PrivateDevMode& priv = ui->DevMode.dmPrivate;
    if (code == BN_CLICKED && (id == IDC_MAG_LOW_CO || id == IDC_MAG_HIGH_CO)) {
        priv.byCoercivity = id == IDC_MAG_HIGH_CO ? COERCIVITY_HIGH : COERCIVITY_LOW;
        MarkSheetChanged(page);
    } else if (code == BN_CLICKED && id == IDC_MAG_TEXT_ENCODING) {
        OnTextEncodingClicked(page, priv);
        MarkSheetChanged(page);
    } else if (code == EN_CHANGE && (id == IDC_MAG_PREFIX || id == IDC_MAG_SUFFIX) && !IsPageQuiet(page)) {
        OnFilterChanged(page, priv, id);
    }
}

// Every choice is in the DEVMODE from the moment it is made.
const PageHandlers HANDLERS = {IDD_MAG_ENCODING, SetUp, OnCommand, nullptr, nullptr};

} // namespace

INT_PTR CALLBACK DlgMagEncodingProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageProc(HANDLERS, page, message, wParam, lParam);
}
