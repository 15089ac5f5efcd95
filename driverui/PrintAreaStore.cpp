#include "PrintAreaStore.h"

#include "Platform.h"
#include "PrinterKeyPath.h"
#include "Registry.h"

#include <cwchar>

namespace {

const WCHAR USER_PRINTERS_KEY[] = L"Printers";
const WCHAR AREAS_SUBKEY[] = L"\\PrintArea";

// Opens (creating) the printer's own key or its PrintArea key.
LSTATUS OpenUserPrinterKey(LPCWSTR printer, BOOL areas, REGSAM access, HKEY* key)
{
    WCHAR path[PRINTER_KEY_PATH_ROOM];
    *key = nullptr;
    if (!BuildKeyPath(path, USER_PRINTERS_KEY, printer, areas ? AREAS_SUBKEY : nullptr, ERROR_INVALID_PRINTER_NAME))
        return ERROR_INVALID_PRINTER_NAME;
    return RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, access, nullptr, key, nullptr);
}

BOOL IsStorableName(LPCWSTR name)
{
    return name && name[0] && !IsFullCardName(name);
}

} // namespace

LSTATUS LoadPrintAreaFromRegistry(LPCWSTR printer, LPCWSTR szAreaName, PrintAreaRecord* lpAreaData)
{
    if (!szAreaName || !lpAreaData)
        return ERROR_INVALID_PARAMETER;
    if (IsFullCardName(szAreaName)) {
        lpAreaData->dwOutsideColor = 0;
        lpAreaData->dwInsideColor = 0xFFFFFF;
        lpAreaData->dwRectCount = 0;
        SetRectEmpty(&lpAreaData->rcAreas[0]);
        wcscpy(lpAreaData->szName, FULL_CARD_NAME);
        return ERROR_SUCCESS;
    }
    HKEY key = nullptr;
    LSTATUS status = OpenUserPrinterKey(printer, TRUE, KEY_READ, &key);
    if (status != ERROR_SUCCESS)
        return status;
    BYTE scratch[PRINT_AREA_RECORD_SIZE];
    DWORD type = REG_NONE, size = sizeof(scratch);
    status = RegQueryValueExW(key, szAreaName, nullptr, &type, scratch, &size);
    RegCloseKey(key);
    if (status == ERROR_SUCCESS && !TakeStoredPrintArea(type, scratch, size, lpAreaData))
        status = ERROR_INVALID_DATA;
    DebugTrace(L"LoadPrintAreaFromRegistry(), %ls, type = %u, size = %u, result = %d,\n", szAreaName, type, size,
               status);
    return status;
}

LSTATUS SavePrintAreaToRegistry(LPCWSTR printer, LPCWSTR name, const PrintAreaRecord* record)
{
    if (!IsStorableName(name) || !record)
        return ERROR_INVALID_PARAMETER;
    HKEY key = nullptr;
    LSTATUS status = OpenUserPrinterKey(printer, TRUE, KEY_WRITE, &key);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExW(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(record), sizeof(*record));
    RegCloseKey(key);
    DebugTrace(L"SavePrintAreaToRegistry(), %ls, rectangles = %u, result = %d,\n", name, record->dwRectCount,
               status);
    return status;
}

LSTATUS DeletePrintAreaFromRegistry(LPCWSTR printer, LPCWSTR name)
{
    // An empty name would be the key's default value.
    if (!name || !name[0])
        return ERROR_INVALID_PARAMETER;
    HKEY key = nullptr;
    LSTATUS status = OpenUserPrinterKey(printer, TRUE, KEY_WRITE, &key);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegDeleteValueW(key, name);
    RegCloseKey(key);
    DebugTrace(L"DeletePrintAreaFromRegistry(), %ls, result = %d,\n", name, status);
    return status;
}

DWORD EnumPrintAreaNames(LPCWSTR printer, HWND dialog, int listId, BYTE panel, BYTE orientation)
{
    HKEY key = nullptr;
    DWORD values = 0, added = 0;
    if (OpenUserPrinterKey(printer, TRUE, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        values = 0;
    for (DWORD index = 0; index < values; ++index) {
        WCHAR name[PRINT_AREA_VALUE_NAME_ROOM];
        BYTE data[PRINT_AREA_RECORD_SIZE] = {};
        PrintAreaRecord record;
        DWORD nameLength = PRINT_AREA_VALUE_NAME_ROOM, type = REG_NONE, size = sizeof(data);
        LSTATUS status = RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size);
        // Values that cannot be read whole, unsound records and names the
        // page could not read back from its list are left out.
        if (status != ERROR_SUCCESS || nameLength >= PRINT_AREA_LIST_TEXT_ROOM || !IsStorableName(name) ||
            !TakeStoredPrintArea(type, data, size, &record))
            continue;
        if (record.byOrientation != orientation || record.byPanel != panel)
            continue;
        LRESULT at = SendDlgItemMessageW(dialog, listId, CB_INSERTSTRING, added + 1, reinterpret_cast<LPARAM>(name));
        if (at == CB_ERR || at == CB_ERRSPACE)
            continue;
        ++added;
    }
    RegCloseKey(key);
    DebugTrace(L"EnumPrintAreaNames(), values = %u, added = %u,\n", values, added);
    return added;
}

void BuildDefaultAreaValueName(LPWSTR out, DWORD cch, BYTE side, BYTE panel, BYTE orientation)
{
    static const LPCWSTR panelParts[] = {L"_YMCO", L"_K", L"_E"};
    swprintf(out, cch, L"PrintArea%ls%ls%ls", side == 0 ? L"_Front" : L"_Back",
             panel < ARRAYSIZE(panelParts) ? panelParts[panel] : L"", orientation == DMORIENT_PORTRAIT ? L"_P" : L"_L");
}

namespace {

// The printer's own key and the name of the choice value in it (room
// PRINT_AREA_NAME_ROOM).
LSTATUS OpenChoice(LPCWSTR printer, BYTE side, BYTE panel, BYTE orientation, REGSAM access, LPWSTR valueName,
                   HKEY* key)
{
    BuildDefaultAreaValueName(valueName, PRINT_AREA_NAME_ROOM, side, panel, orientation);
    return OpenUserPrinterKey(printer, FALSE, access, key);
}

} // namespace

LSTATUS LoadDefaultPrintAreaName(LPCWSTR printer, LPWSTR buffer, BYTE side, BYTE panel, BYTE orientation,
                                 DWORD cchBuffer)
{
    if (!buffer || cchBuffer == 0)
        return ERROR_INVALID_PARAMETER;
    buffer[0] = L'\0';
    WCHAR valueName[PRINT_AREA_NAME_ROOM];
    HKEY key = nullptr;
    LSTATUS status = OpenChoice(printer, side, panel, orientation, KEY_READ, valueName, &key);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegReadText(key, valueName, buffer, cchBuffer);
    RegCloseKey(key);
    return status;
}

LSTATUS SaveDefaultPrintAreaName(LPCWSTR printer, LPCWSTR name, BYTE side, BYTE panel, BYTE orientation)
{
    if (!name)
        return ERROR_INVALID_PARAMETER;
    WCHAR valueName[PRINT_AREA_NAME_ROOM];
    HKEY key = nullptr;
    LSTATUS status = OpenChoice(printer, side, panel, orientation, KEY_WRITE, valueName, &key);
    if (status != ERROR_SUCCESS)
        return status;
    // Stored without its terminator, as the value has always been written;
    // the reader adds it.
    status = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                            static_cast<DWORD>(wcslen(name) * sizeof(WCHAR)));
    RegCloseKey(key);
    DebugTrace(L"SaveDefaultPrintAreaName(), %ls = %ls, result = %d,\n", valueName, name, status);
    return status;
}
