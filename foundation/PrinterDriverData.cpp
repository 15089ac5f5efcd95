// DWORD values under a printer's PrinterDriverData key and under any key.
#include "Utilities.h"

#include "Platform.h"
#include "PrinterKeyPath.h"
#include "Registry.h"

namespace {

const WCHAR DRIVER_DATA_TAIL[] = L"\\PrinterDriverData";

LSTATUS WriteDword(HKEY key, LPCWSTR valueName, DWORD value)
{
    return RegSetValueExW(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

LSTATUS CreateForWriting(HKEY root, LPCWSTR subKey, HKEY* key)
{
    return RegCreateKeyExW(root, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key, nullptr);
}

} // namespace

DWORD CheckRegValue(LPCWSTR printerName, LPCWSTR valueName)
{
    WCHAR path[PRINTER_KEY_PATH_ROOM];
    HKEY key = nullptr;
    DWORD value = 0;
    if (!valueName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!BuildKeyPath(path, PRINTERS_KEY, printerName, DRIVER_DATA_TAIL, ERROR_INVALID_PRINTER_NAME))
        return 0;
    if (RegOpenForRead(HKEY_LOCAL_MACHINE, path, FALSE, &key) == ERROR_SUCCESS) {
        RegReadDword(key, valueName, &value);
        RegCloseKey(key);
    }
    DebugTrace(L"CheckRegValue:: %ls = %d,\n", valueName, value);
    return value;
}

LSTATUS SetRegValue(LPCWSTR printerName, LPCWSTR valueName, DWORD value)
{
    WCHAR path[PRINTER_KEY_PATH_ROOM];
    HKEY key = nullptr;
    LSTATUS status;
    if (!valueName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }
    if (!BuildKeyPath(path, PRINTERS_KEY, printerName, DRIVER_DATA_TAIL, ERROR_INVALID_PRINTER_NAME))
        return ERROR_INVALID_PRINTER_NAME;
    status = CreateForWriting(HKEY_LOCAL_MACHINE, path, &key);
    if (status == ERROR_SUCCESS) {
        status = WriteDword(key, valueName, value);
        LSTATUS closed = RegCloseKey(key);
        if (status == ERROR_SUCCESS)
            status = closed;
    }
    DebugTrace(L"SetRegValue(), %ls = %d, status = %d,\n", valueName, value, status);
    if (status != ERROR_SUCCESS)
        SetLastError(status);
    return status;
}

BOOL ReadRegDword(HKEY rootKey, LPCWSTR subKey, LPCWSTR valueName, DWORD* out)
{
    HKEY key = nullptr;
    if (!rootKey || !subKey || !out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LSTATUS status = RegOpenForRead(rootKey, subKey, TRUE, &key);
    if (status != ERROR_SUCCESS) {
        SetLastError(status);
        return FALSE;
    }
    RegReadDword(key, valueName, out);
    RegCloseKey(key);
    return TRUE;
}

BOOL WriteRegDword(HKEY rootKey, LPCWSTR subKey, LPCWSTR valueName, DWORD value)
{
    HKEY key = nullptr;
    if (!rootKey || !subKey) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    LSTATUS status = CreateForWriting(rootKey, subKey, &key);
    if (status == ERROR_SUCCESS) {
        status = WriteDword(key, valueName, value);
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS) {
        SetLastError(status);
        return FALSE;
    }
    return TRUE;
}
