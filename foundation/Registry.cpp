#include "Registry.h"

namespace {

// Reads a value of one of two text types into out and makes it end with
// terminators zeros, which the stored value need not carry but must leave
// room for.
LSTATUS ReadTextValue(HKEY key, LPCWSTR valueName, DWORD type1, DWORD type2, DWORD terminators, LPWSTR out,
                      DWORD cchOut)
{
    if (!out || cchOut < terminators)
        return ERROR_INVALID_PARAMETER;
    DWORD type = 0;
    DWORD cb = cchOut * sizeof(WCHAR);
    LSTATUS status = RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(out), &cb);
    if (status == ERROR_SUCCESS && type != type1 && type != type2)
        status = ERROR_INVALID_DATATYPE;
    DWORD n = cb / sizeof(WCHAR);
    if (status == ERROR_SUCCESS) {
        DWORD present = 0;
        while (present < terminators && present < n && out[n - 1 - present] == L'\0')
            ++present;
        if (n + (terminators - present) > cchOut)
            status = ERROR_MORE_DATA;
        else
            for (; present < terminators; ++present)
                out[n++] = L'\0';
    }
    if (status != ERROR_SUCCESS)
        for (DWORD i = 0; i < terminators; ++i)
            out[i] = L'\0';
    return status;
}

} // namespace

LSTATUS RegReadText(HKEY key, LPCWSTR valueName, LPWSTR out, DWORD cchOut)
{
    return ReadTextValue(key, valueName, REG_SZ, REG_EXPAND_SZ, 1, out, cchOut);
}

LSTATUS RegReadMultiText(HKEY key, LPCWSTR valueName, LPWSTR out, DWORD cchOut)
{
    return ReadTextValue(key, valueName, REG_MULTI_SZ, REG_MULTI_SZ, 2, out, cchOut);
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
