#include "Registry.h"

LSTATUS RegReadText(HKEY key, LPCWSTR valueName, LPWSTR out, DWORD cchOut)
{
    if (!out || cchOut == 0)
        return ERROR_INVALID_PARAMETER;
    out[0] = L'\0';
    DWORD type = 0;
    DWORD cb = cchOut * sizeof(WCHAR);
    LSTATUS status = RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(out), &cb);
    if (status == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ)
        status = ERROR_INVALID_DATATYPE;
    if (status != ERROR_SUCCESS) {
        out[0] = L'\0';
        return status;
    }
    // The stored value need not carry its terminator; it needs room for one.
    DWORD n = cb / sizeof(WCHAR);
    if (n > 0 && out[n - 1] == L'\0')
        return ERROR_SUCCESS;
    if (n >= cchOut) {
        out[0] = L'\0';
        return ERROR_MORE_DATA;
    }
    out[n] = L'\0';
    return ERROR_SUCCESS;
}

LSTATUS RegReadDword(HKEY key, LPCWSTR valueName, DWORD* out)
{
    if (!out)
        return ERROR_INVALID_PARAMETER;
    DWORD type = 0, value = 0, cb = sizeof(value);
    LSTATUS status = RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &cb);
    if (status == ERROR_SUCCESS && (type != REG_DWORD || cb != sizeof(value)))
        status = ERROR_INVALID_DATATYPE;
    if (status == ERROR_SUCCESS)
        *out = value;
    return status;
}

LSTATUS RegOpenForRead(HKEY root, LPCWSTR subKey, BOOL create, HKEY* out)
{
    *out = nullptr;
    if (create)
        return RegCreateKeyExW(root, subKey, 0, nullptr, 0, KEY_READ, nullptr, out, nullptr);
    return RegOpenKeyExW(root, subKey, 0, KEY_READ, out);
}

BOOL RegNextSubkey(HKEY key, DWORD* index, LPWSTR name, DWORD cchName)
{
    for (;;) {
        DWORD cch = cchName;
        LSTATUS status = RegEnumKeyExW(key, (*index)++, name, &cch, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS)
            return TRUE;
        if (status != ERROR_MORE_DATA)
            return FALSE;
    }
}
