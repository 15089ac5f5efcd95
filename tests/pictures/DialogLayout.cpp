#include "DialogLayout.h"

#include "IconCheck.h"
#include "ProcessWindows.h"

#include <cstdio>

namespace {

struct Search {
    HWND dialog;
    std::vector<HWND> controls;
};

BOOL CALLBACK Collect(HWND window, LPARAM lParam)
{
    Search* search = reinterpret_cast<Search*>(lParam);
    if (GetParent(window) == search->dialog && IsWindowVisible(window))
        search->controls.push_back(window);
    return TRUE;
}

// Which controls show a text that must fit: static texts and buttons, and
// whether the text wraps over lines.
bool HoldsText(HWND control, bool* wraps)
{
    WCHAR cls[32] = L"";
    GetClassNameW(control, cls, 32);
    LONG style = GetWindowLongW(control, GWL_STYLE);
    if (lstrcmpiW(cls, L"Static") == 0) {
        LONG type = style & SS_TYPEMASK;
        *wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
        return *wraps || type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE;
    }
    if (lstrcmpiW(cls, L"Button") == 0) {
        *wraps = (style & BS_MULTILINE) != 0;
        LONG type = style & BS_TYPEMASK;
        return type != BS_OWNERDRAW && type != BS_GROUPBOX && !(style & (BS_BITMAP | BS_ICON));
    }
    return false;
}

bool IsIcon(HWND control)
{
    WCHAR cls[32] = L"";
    GetClassNameW(control, cls, 32);
    return lstrcmpiW(cls, L"Static") == 0 && (GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

// Room a check box or radio button keeps for its box beside the text.
LONG BoxRoom(HWND control)
{
    WCHAR cls[32] = L"";
    GetClassNameW(control, cls, 32);
    if (lstrcmpiW(cls, L"Button") != 0)
        return 0;
    LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    bool boxed = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                 type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE;
    return boxed ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0;
}

} // namespace

std::vector<LayoutFault> CheckDialogLayout(HWND dialog, const LOGFONTW* font, const std::vector<IconFile>& icons)
{
    std::vector<LayoutFault> faults;
    RECT client;
    GetClientRect(dialog, &client);
    MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    Search search = {dialog, {}};
    EnumChildWindows(dialog, Collect, reinterpret_cast<LPARAM>(&search));

    HDC dc = GetDC(nullptr);
    HFONT shared = font ? CreateFontIndirectW(font) : nullptr;
    for (HWND control : search.controls) {
        int id = GetDlgCtrlID(control);
        RECT r;
        GetWindowRect(control, &r);
        if (r.left < client.left)
            faults.push_back({id, L"left edge outside the dialog", client.left, r.left});
        if (r.top < client.top)
            faults.push_back({id, L"top edge outside the dialog", client.top, r.top});
        if (r.right > client.right)
            faults.push_back({id, L"right edge outside the dialog", r.right, client.right});
        if (r.bottom > client.bottom)
            faults.push_back({id, L"bottom edge outside the dialog", r.bottom, client.bottom});

        if (IsIcon(control)) {
            const IconFile* file = nullptr;
            for (const IconFile& icon : icons)
                file = icon.id == id ? &icon : file;
            if (file)
                CheckIconControl(control, file->path, &faults);
            else
                faults.push_back({id, L"icon with an .ico file to compare", 1, 0});
        }

        bool wraps = false;
        std::wstring text = WindowText(control);
        if (text.empty() || !HoldsText(control, &wraps))
            continue;
        HFONT own = shared ? shared : reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        HGDIOBJ old = SelectObject(dc, own ? own : GetStockObject(SYSTEM_FONT));
        RECT inside;
        GetClientRect(control, &inside);
        LONG room = inside.right - BoxRoom(control);
        // DrawText measures as the control draws: "&" marks a mnemonic.
        RECT need = {0, 0, wraps ? room : 0, 0};
        DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        if (need.right > room)
            faults.push_back({id, L"text \"" + text + L"\" wider than the control", need.right, room});
        else if (wraps && need.bottom > inside.bottom)
            faults.push_back({id, L"text \"" + text + L"\" taller than the control", need.bottom, inside.bottom});
        SelectObject(dc, old);
    }
    if (shared)
        DeleteObject(shared);
    ReleaseDC(nullptr, dc);
    return faults;
}

std::string DescribeFaults(const char* dialog, const char* language, const std::vector<LayoutFault>& faults)
{
    std::string out;
    for (const LayoutFault& f : faults) {
        char what[1024] = "";
        WideCharToMultiByte(CP_UTF8, 0, f.what.c_str(), -1, what, sizeof(what), nullptr, nullptr);
        char line[1200];
        snprintf(line, sizeof(line), "%s [%s]: control %d %s: needs %ld, has %ld\n", dialog, language, f.id, what,
                 static_cast<long>(f.need), static_cast<long>(f.have));
        out += line;
    }
    return out;
}
