#include "ModelTable.h"

#include "AsciiText.h"

#include <cwchar>

const GUID GUID_USB_PRINTER_INTERFACE = {0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}};
const WCHAR USB_PRINTER_CLASS_KEY_TEXT[] = L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

const ModelEntry ModelTable[MODEL_TABLE_ROWS] = {
    {0, 0, L"start", L"start"},
    {1, 0x5D270101, L"Vornex T42D", L"Vornex T42D"},
    {2, 0x5D270001, L"Vornex T42", L"Vornex T42"},
    {3, 0x5D270002, L"Vornex T41", L"Vornex T41"},
    {4, 0x5D270201, L"Vornex T40W", L"Vornex T40W"},
    {5, 0x5D270003, L"Vornex T40", L"Vornex T40"},
    {6, 0x5D270102, L"Vornex T42G", L"Vornex T42G"},
    {MODEL_END_MARK, MODEL_END_MARK, L"end", L"end"},
};

const ModelEntry* GetModelEntry(DWORD model)
{
    if (model < MODEL_FIRST || model > MODEL_LAST)
        return nullptr;
    return &ModelTable[model];
}

DWORD FindModelByUsbIds(DWORD vid, DWORD pid)
{
    if (vid > 0xFFFF || pid > 0xFFFF)
        return MODEL_NONE;
    DWORD usbId = (vid << 16) | pid;
    for (DWORD row = MODEL_FIRST; row <= MODEL_LAST; ++row) {
        if (ModelTable[row].dwUsbId == usbId)
            return row;
    }
    return MODEL_NONE;
}

DWORD FindModelByDriverName(LPCWSTR driverName)
{
    if (!driverName)
        return MODEL_NONE;
    for (DWORD row = MODEL_FIRST; row <= MODEL_LAST; ++row) {
        if (EqualIgnoringAsciiCase(driverName, ModelTable[row].szDisplayName))
            return row;
    }
    return MODEL_NONE;
}

BOOL FormatModelVidPid(DWORD model, LPWSTR out, DWORD cchOut)
{
    const ModelEntry* entry = GetModelEntry(model);
    if (!out || cchOut == 0)
        return FALSE;
    out[0] = L'\0';
    // "VID_xxxx&PID_xxxx" and its terminator.
    if (!entry || cchOut < 18)
        return FALSE;
    swprintf(out, cchOut, L"VID_%04X&PID_%04X", static_cast<unsigned>(entry->dwUsbId >> 16),
             static_cast<unsigned>(entry->dwUsbId & 0xFFFF));
    return TRUE;
}
