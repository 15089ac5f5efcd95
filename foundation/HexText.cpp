// Hex byte texts, hex dumps, the tagged checksum and GUID texts.
#include "Utilities.h"

#include "HexDigit.h"

#include <cwchar>

namespace {

bool IsBlank(WCHAR c)
{
    return c == L' ' || c == L'\t';
}

// Reads count hex digits at text; FALSE when any is missing.
BOOL ReadHex(LPCWSTR text, int count, ULONG* value)
{
    ULONG v = 0;
    for (int i = 0; i < count; ++i) {
        int d = HexDigitValue(text[i]);
        if (d < 0)
            return FALSE;
        v = (v << 4) | ULONG(d);
    }
    *value = v;
    return TRUE;
}

// Appends text to out (length *len, room room) as far as it fits.
void Put(LPWSTR out, DWORD room, DWORD* len, LPCWSTR text)
{
    for (; *text && *len + 1 < room; ++text)
        out[(*len)++] = *text;
    out[*len] = L'\0';
}

} // namespace

DWORD HexTextToBytes(LPCWSTR text, BYTE* out, DWORD cbOut)
{
    DWORD count = 0;
    if (!text || !out)
        return 0;
    while (*text && count < cbOut) {
        if (IsBlank(*text) || *text == L'-' || *text == L':') {
            ++text;
            continue;
        }
        int high = HexDigitValue(text[0]);
        if (high < 0)
            break;
        int low = HexDigitValue(text[1]);
        if (low >= 0) {
            out[count++] = BYTE((high << 4) | low);
            text += 2;
        } else if (text[1] == L'\0' || IsBlank(text[1])) {
            out[count++] = BYTE(high);
            text += 1;
        } else {
            break;
        }
    }
    return count;
}

LPWSTR FormatHexDump(const BYTE* data, DWORD length, LPWSTR out, DWORD outRoom, DWORD bytesPerLine)
{
    if (!out || outRoom == 0)
        return out;
    wmemset(out, L'\0', outRoom);
    if (!data)
        return out;
    DWORD dumped = length;
    bool cut = false;
    if (ULONGLONG(outRoom) * 3 < length) {
        dumped = outRoom / 3 > 4 ? outRoom / 3 - 4 : 0;
        cut = true;
    }
    DWORD len = 0;
    WCHAR item[4];
    for (DWORD i = 0; i < dumped && len + 1 < outRoom; ++i) {
        if (bytesPerLine && i > 0 && i % bytesPerLine == 0)
            Put(out, outRoom, &len, L"\n");
        swprintf(item, 4, L"%02X ", data[i]);
        Put(out, outRoom, &len, item);
    }
    if (cut) {
        // The marker follows the dump when there is room, else ends it.
        DWORD at = len + 5 <= outRoom ? len : (outRoom >= 5 ? outRoom - 5 : 0);
        len = at;
        Put(out, outRoom, &len, L"... ");
    }
    return out;
}

BOOL VerifyChecksum(const BYTE* buffer, DWORD length, BYTE tag)
{
    if (!buffer || length < 2 || buffer[length - 2] != tag)
        return FALSE;
    BYTE sum = 0;
    for (DWORD i = 0; i + 1 < length; ++i)
        sum = BYTE(sum + buffer[i]);
    return buffer[length - 1] == BYTE(BYTE(~sum) - tag);
}

BOOL StringToGuid(GUID* guidOut, LPCWSTR text)
{
    ULONG data1 = 0, data2 = 0, data3 = 0, group4 = 0, part = 0;
    GUID guid;
    if (!guidOut || !text || !text[0])
        goto bad;
    // The opening brace, or whatever stands in its place.
    ++text;
    if (!ReadHex(text, 8, &data1) || text[8] != L'-' || !ReadHex(text + 9, 4, &data2) || text[13] != L'-' ||
        !ReadHex(text + 14, 4, &data3) || text[18] != L'-' || !ReadHex(text + 19, 4, &group4) || text[23] != L'-')
        goto bad;
    guid.Data1 = data1;
    guid.Data2 = USHORT(data2);
    guid.Data3 = USHORT(data3);
    guid.Data4[0] = BYTE(group4 >> 8);
    guid.Data4[1] = BYTE(group4);
    for (int i = 0; i < 3; ++i) {
        if (!ReadHex(text + 24 + 4 * i, 4, &part))
            goto bad;
        guid.Data4[2 + 2 * i] = BYTE(part >> 8);
        guid.Data4[3 + 2 * i] = BYTE(part);
    }
    *guidOut = guid;
    return TRUE;
bad:
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

LPWSTR GuidToString(const GUID& guid, LPWSTR out)
{
    if (!out)
        return out;
    swprintf(out, GUID_TEXT_ROOM, L"%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", unsigned(guid.Data1),
             guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
             guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return out;
}
