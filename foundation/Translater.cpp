#include "Translater.h"
#include "Platform.h"
#include "TextCopy.h"
#include "Utilities.h"

#include <commctrl.h>

#include <cstring>
#include <cwchar>
#include <new>

namespace {

// Longest text a window, item or translation keeps.
const size_t kMaxText = CTranslater::TEXT_ROOM - 1;
// Room of those texts, terminator included.
const DWORD kTextRoom = CTranslater::TEXT_ROOM;

// Whole characters covering a resource of size bytes and its zero padding.
size_t ResourceTextRoom(DWORD size)
{
    return (static_cast<size_t>(size) + CTranslater::RESOURCE_PADDING + 1) / sizeof(WCHAR);
}

// The messages of one kind of box: combo boxes and list boxes are walked alike.
struct BoxMessages {
    LPCWSTR name;
    UINT getCount, getCurSel, getTextLen, getText, getItemData, deleteString, insertString, setItemData, setCurSel;
};

const BoxMessages kComboMessages = {
    L"TranslateComboItems", CB_GETCOUNT, CB_GETCURSEL, CB_GETLBTEXTLEN, CB_GETLBTEXT,
    CB_GETITEMDATA, CB_DELETESTRING, CB_INSERTSTRING, CB_SETITEMDATA, CB_SETCURSEL,
};

const BoxMessages kListMessages = {
    L"TranslateListItems", LB_GETCOUNT, LB_GETCURSEL, LB_GETTEXTLEN, LB_GETTEXT,
    LB_GETITEMDATA, LB_DELETESTRING, LB_INSERTSTRING, LB_SETITEMDATA, LB_SETCURSEL,
};

// CB_ERR and LB_ERR; CB_ERRSPACE and LB_ERRSPACE.
const LRESULT kBoxError = -1;
const LRESULT kBoxErrorSpace = -2;

BOOL TranslateBoxItems(CTranslater& translater, HWND box, const BoxMessages& msg)
{
    LRESULT count = SendMessageW(box, msg.getCount, 0, 0);
    DebugTrace(L"CTranslater::%ls(1), nCount = %d,\n", msg.name, static_cast<int>(count));
    if (count <= 0)
        return FALSE;

    LRESULT selection = SendMessageW(box, msg.getCurSel, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        // An item longer than the room would come back cut; it keeps its text.
        LRESULT length = SendMessageW(box, msg.getTextLen, i, 0);
        if (length < 0 || static_cast<size_t>(length) > kMaxText)
            continue;
        WCHAR text[CTranslater::TEXT_ROOM] = L"";
        if (SendMessageW(box, msg.getText, i, reinterpret_cast<LPARAM>(text)) == kBoxError)
            continue;
        LRESULT data = SendMessageW(box, msg.getItemData, i, 0);

        WCHAR translated[CTranslater::TEXT_ROOM];
        CopyTextCut(translated, kTextRoom, translater.Translate(text));
        DebugTrace(L"CTranslater::%ls(2), nItem = %d, szText = %ls, szTranslated = %ls,\n", msg.name,
                   static_cast<int>(i), text, translated);

        // The translation goes in before the original leaves, so a box that
        // refuses the new item still holds the old one.
        LRESULT inserted = SendMessageW(box, msg.insertString, i, reinterpret_cast<LPARAM>(translated));
        if (inserted == kBoxError || inserted == kBoxErrorSpace)
            continue;
        SendMessageW(box, msg.deleteString, i + 1, 0);
        // The index is valid, so the data read is the item's own, even when
        // it equals the error value.
        SendMessageW(box, msg.setItemData, i, data);
    }

    LRESULT result = SendMessageW(box, msg.setCurSel, selection, 0);
    DebugTrace(L"CTranslater::%ls(3), nSelection = %d, result = %d,\n", msg.name, static_cast<int>(selection),
               static_cast<int>(result));
    return result != kBoxError;
}

// Walks count items of a header or list view: read fills an item's text
// (room TEXT_ROOM) and write puts its translation back.
template <typename Read, typename Write>
BOOL TranslateIndexedItems(CTranslater& translater, LPCWSTR name, LRESULT count, Read read, Write write)
{
    DebugTrace(L"CTranslater::%ls(1), nCount = %d,\n", name, static_cast<int>(count));
    if (count <= 0)
        return FALSE;
    for (LRESULT i = 0; i < count; i++) {
        WCHAR text[CTranslater::TEXT_ROOM], translated[CTranslater::TEXT_ROOM];
        wmemset(text, 0, CTranslater::TEXT_ROOM);
        // A text that fills the room may have been cut; it keeps its own.
        if (!read(i, text) || wcslen(text) >= kMaxText)
            continue;
        CopyTextCut(translated, kTextRoom, translater.Translate(text));
        DebugTrace(L"CTranslater::%ls(2), nItem = %d, szText = %ls, szTranslated = %ls,\n", name,
                   static_cast<int>(i), text, translated);
        write(i, translated);
    }
    return TRUE;
}

} // namespace

CTranslater::CTranslater()
    : m_dwResSize(0), m_pResText(nullptr), m_pSectionText(nullptr)
{
    m_szLangFile[0] = L'\0';
    m_szSection[0] = L'\0';
    m_szResult[0] = L'\0';
    m_szWork[0] = L'\0';
}

CTranslater::~CTranslater()
{
    FreeResourceText();
}

void CTranslater::FreeResourceText()
{
    m_dwResSize = 0;
    delete[] m_pResText;
    m_pResText = nullptr;
    delete[] m_pSectionText;
    m_pSectionText = nullptr;
}

BOOL CTranslater::SetLanguageFile(LPCWSTR path)
{
    CopyTextCut(m_szLangFile, kTextRoom, path);
    DebugTrace(L"CTranslater::SetLanguageFile(1), szLangFile = %ls,\n", m_szLangFile);
    if (!m_szLangFile[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsFileReadable(m_szLangFile)) {
        DWORD error = GetLastError();
        DebugTrace(L"CTranslater::SetLanguageFile(2), CreateFile() error = %d,\n", error);
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL CTranslater::LoadLanguageResource(HMODULE module, UINT resourceId, LPCWSTR typeName)
{
    if (!typeName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FreeResourceText();

    DWORD error = ERROR_SUCCESS;
    LPWSTR resText = nullptr, sectionText = nullptr;
    HGLOBAL loaded = nullptr;
    const void* bytes = nullptr;
    DWORD size = 0;
    size_t cchText = 0;

    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), typeName);
    DebugTrace(L"CTranslater::LoadLanguageResource(1), nResourceID = %d, hRes = %p,\n", resourceId, found);
    if (!found) {
        error = GetLastError();
        goto done;
    }
    size = SizeofResource(module, found);
    loaded = LoadResource(module, found);
    bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) {
        error = GetLastError();
        goto done;
    }
    if (size > MAXDWORD - RESOURCE_PADDING) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        goto done;
    }

    cchText = ResourceTextRoom(size);
    resText = new (std::nothrow) WCHAR[cchText];
    sectionText = new (std::nothrow) WCHAR[cchText];
    DebugTrace(L"CTranslater::LoadLanguageResource(2), dwSize = %d, pText = %p, pSection = %p,\n", size, resText,
               sectionText);
    if (!resText || !sectionText) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        goto done;
    }
    wmemset(resText, 0, cchText);
    wmemset(sectionText, 0, cchText);
    memcpy(resText, bytes, size);

    m_pResText = resText;
    m_pSectionText = sectionText;
    m_dwResSize = size;
    resText = sectionText = nullptr;

done:
    delete[] resText;
    delete[] sectionText;
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL CTranslater::SetSection(LPCWSTR name)
{
    CopyTextCut(m_szSection, DWORD(SECTION_NAME_MAX + 1), name);
    DebugTrace(L"CTranslater::SetSection(1), szSection = %ls,\n", m_szSection);
    if (!m_szSection[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!m_pResText)
        return TRUE;

    size_t cchSection = ResourceTextRoom(m_dwResSize);
    wmemset(m_pSectionText, 0, cchSection);
    BOOL found = FindSection(m_pResText, m_szSection, m_pSectionText, cchSection);
    DebugTrace(L"CTranslater::SetSection(2), found = %d, nLength = %d,\n", found,
               static_cast<int>(wcslen(m_pSectionText)));
    return found;
}

BOOL CTranslater::FindSection(LPCWSTR text, LPCWSTR name, LPWSTR sectionOut, size_t cchOut)
{
    if (!text || !name || !name[0] || !sectionOut || cchOut == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    sectionOut[0] = L'\0';

    WCHAR header[SECTION_NAME_MAX + 3];
    header[0] = L'[';
    CopyTextCut(header + 1, DWORD(SECTION_NAME_MAX + 1), name);
    size_t cchHeader = wcslen(header);
    header[cchHeader++] = L']';
    header[cchHeader] = L'\0';

    LPCWSTR start = wcsstr(text, header);
    DebugTrace(L"CTranslater::FindSection(1), szHeader = %ls, found = %d,\n", header, start != nullptr);
    if (!start) {
        SetLastError(ERROR_NOT_FOUND);
        return FALSE;
    }
    start += cchHeader;
    // The line end's CR after the header goes; the body starts with its LF.
    if (*start)
        start++;

    // The body ends with the line end before the next section line; a '['
    // right at the body's start leaves it empty rather than negative.
    LPCWSTR next = wcschr(start, L'[');
    LPCWSTR end = next ? (next > start ? next - 1 : start) : start + wcslen(start);
    size_t length = static_cast<size_t>(end - start);
    if (length >= cchOut)
        length = cchOut - 1;
    wmemcpy(sectionOut, start, length);
    sectionOut[length] = L'\0';
    DebugTrace(L"CTranslater::FindSection(2), nLength = %d,\n", static_cast<int>(length));
    if (length == 0) {
        SetLastError(ERROR_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

DWORD CTranslater::FindKey(LPCWSTR sectionText, LPCWSTR key, LPCWSTR defaultText, LPWSTR out, DWORD outBytes)
{
    const size_t cchOut = outBytes / sizeof(WCHAR);
    if (!sectionText || !key || !defaultText || !out || cchOut == 0 || !key[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t cchMax = cchOut - 1 < kMaxText ? cchOut - 1 : kMaxText;
    wmemset(out, 0, cchOut);
    CopyTextCut(out, DWORD(cchMax + 1), defaultText);

    size_t cchKey = wcslen(key);
    if (cchKey > RESOURCE_KEY_MAX) {
        SetLastError(ERROR_NOT_FOUND);
        return 0;
    }
    WCHAR pattern[RESOURCE_KEY_MAX + 2];
    wmemcpy(pattern, key, cchKey);
    pattern[cchKey] = L'=';
    pattern[cchKey + 1] = L'\0';

    // Only a key at the start of a line counts; the same text inside another
    // line's value is passed over.
    LPCWSTR match = wcsstr(sectionText, pattern);
    while (match && match != sectionText && match[-1] != L'\n')
        match = wcsstr(match + 1, pattern);
    DebugTrace(L"CTranslater::FindKey(1), szKey = %ls, found = %d,\n", key, match != nullptr);
    if (!match) {
        SetLastError(ERROR_NOT_FOUND);
        return 0;
    }

    LPCWSTR value = match + cchKey + 1;
    size_t length = wcscspn(value, L"\r\n");
    if (length > cchMax)
        length = cchMax;
    wmemset(out, 0, cchOut);
    wmemcpy(out, value, length);
    DebugTrace(L"CTranslater::FindKey(2), szValue = %ls,\n", out);
    return static_cast<DWORD>(length);
}

LPCWSTR CTranslater::Translate(LPCWSTR key)
{
    return GetString(key, key);
}

LPCWSTR CTranslater::GetString(LPCWSTR key, LPCWSTR defaultText)
{
    // Either text may be the result of an earlier lookup, which this one
    // overwrites; both are copied first.
    WCHAR fallback[TEXT_ROOM];
    CopyTextCut(fallback, kTextRoom, defaultText);
    CopyTextCut(m_szWork, kTextRoom, key);

    WCHAR local[TEXT_ROOM];
    wmemset(local, 0, TEXT_ROOM);
    if (m_szWork[0]) {
        if (m_pResText) {
            FindKey(m_pSectionText, m_szWork, fallback, local, sizeof(local));
        } else if (m_szLangFile[0]) {
            // The profile reader trims the default it is given; an empty one
            // leaves the caller's text as it stands.
            GetPrivateProfileStringW(m_szSection, m_szWork, L"", local, TEXT_ROOM, m_szLangFile);
        }
    }
    CopyTextCut(m_szResult, kTextRoom, local[0] ? local : fallback);
    DebugTrace(L"CTranslater::GetString(1), szSection = %ls, szKey = %ls, szResult = %ls,\n", m_szSection, m_szWork,
               m_szResult);
    return m_szResult;
}

DWORD CTranslater::TranslateWindowItems(HWND window)
{
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }

    // A text longer than the room keeps its own text: a cut copy would lose its end.
    WCHAR text[TEXT_ROOM], translated[TEXT_ROOM];
    if (static_cast<size_t>(GetWindowTextLengthW(window)) <= kMaxText) {
        text[0] = L'\0';
        GetWindowTextW(window, text, TEXT_ROOM);
        SetWindowTextW(window, Translate(text));
        DebugTrace(L"CTranslater::TranslateWindowItems(1), szCaption = %ls,\n", text);
    }

    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        bool fits = static_cast<size_t>(GetWindowTextLengthW(child)) <= kMaxText;
        text[0] = L'\0';
        if (fits)
            GetWindowTextW(child, text, TEXT_ROOM);
        CopyTextCut(translated, kTextRoom, Translate(text));
        DebugTrace(L"CTranslater::TranslateWindowItems(2), nID = %d, szText = %ls, szTranslated = %ls,\n",
                   GetDlgCtrlID(child), text, translated);

        if (SendMessageW(child, CB_GETCOUNT, 0, 0) != 0) {
            if (!TranslateComboItems(child))
                TranslateListItems(child);
            continue;
        }
        HWND header = reinterpret_cast<HWND>(SendMessageW(child, LVM_GETHEADER, 0, 0));
        if (header)
            TranslateHeaderItems(header);
        if (SendMessageW(child, LVM_GETITEMCOUNT, 0, 0) != 0)
            TranslateListViewItems(child);
        else if (fits)
            SetWindowTextW(child, translated);
    }

    HMENU menu = GetMenu(window);
    DebugTrace(L"CTranslater::TranslateWindowItems(3), hMenu = %p,\n", menu);
    if (menu)
        TranslateMenu(menu, window);
    return 0;
}

BOOL CTranslater::TranslateComboItems(HWND combo)
{
    return TranslateBoxItems(*this, combo, kComboMessages);
}

BOOL CTranslater::TranslateListItems(HWND listBox)
{
    return TranslateBoxItems(*this, listBox, kListMessages);
}

BOOL CTranslater::TranslateHeaderItems(HWND header)
{
    return TranslateIndexedItems(*this, L"TranslateHeaderItems", SendMessageW(header, HDM_GETITEMCOUNT, 0, 0),
        [header](LRESULT i, LPWSTR text) {
            HDITEMW item;
            ZeroMemory(&item, sizeof(item));
            item.mask = HDI_TEXT;
            item.pszText = text;
            item.cchTextMax = TEXT_ROOM;
            return SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item)) != 0;
        },
        [header](LRESULT i, LPWSTR translated) {
            HDITEMW item;
            ZeroMemory(&item, sizeof(item));
            item.mask = HDI_TEXT;
            item.pszText = translated;
            item.cchTextMax = static_cast<int>(wcslen(translated) + 1);
            SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
        });
}

BOOL CTranslater::TranslateListViewItems(HWND listView)
{
    return TranslateIndexedItems(*this, L"TranslateListViewItems", SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0),
        [listView](LRESULT i, LPWSTR text) {
            LVITEMW item;
            ZeroMemory(&item, sizeof(item));
            item.iSubItem = 0;
            item.pszText = text;
            item.cchTextMax = TEXT_ROOM;
            return SendMessageW(listView, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item)) >= 0;
        },
        [listView](LRESULT i, LPWSTR translated) {
            LVITEMW item;
            ZeroMemory(&item, sizeof(item));
            item.iSubItem = 0;
            item.pszText = translated;
            SendMessageW(listView, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
        });
}

DWORD CTranslater::TranslateMenu(HMENU menu, HWND window)
{
    int count = GetMenuItemCount(menu);
    DebugTrace(L"CTranslater::TranslateMenu(1), hMenu = %p, nCount = %d,\n", menu, count);
    for (int position = 0; position < count; position++) {
        WCHAR text[TEXT_ROOM], translated[TEXT_ROOM];
        wmemset(text, 0, TEXT_ROOM);
        MENUITEMINFOW info;
        ZeroMemory(&info, sizeof(info));
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = TEXT_ROOM;
        if (!GetMenuItemInfoW(menu, position, TRUE, &info))
            continue;

        // Only the text changes: command, submenu, grayed and checked states stay.
        if (text[0] && wcslen(text) < kMaxText) {
            CopyTextCut(translated, kTextRoom, Translate(text));
            DebugTrace(L"CTranslater::TranslateMenu(2), nPos = %d, nID = %d, szText = %ls, szTranslated = %ls,\n",
                       position, info.wID, text, translated);
            MENUITEMINFOW update;
            ZeroMemory(&update, sizeof(update));
            update.cbSize = sizeof(update);
            update.fMask = MIIM_STRING;
            update.dwTypeData = translated;
            SetMenuItemInfoW(menu, position, TRUE, &update);
        }
        if (window)
            DrawMenuBar(window);
        if (info.hSubMenu)
            TranslateMenu(info.hSubMenu, window);
    }
    return 0;
}
