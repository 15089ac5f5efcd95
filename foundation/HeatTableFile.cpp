// Heat-table files: the writer of the text and raw forms and the text reader.
#include "HeatTable.h"

#include "FileReading.h"
#include "Platform.h"
#include "SpoolFallback.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

// The plane code that writes only the raw file of every panel.
const BYTE PANEL_ALL = 255;
// Values per text line: 19 for 1-byte tables, 129 for 2-byte tables.
const DWORD LINE_VALUES_BYTE = 19;
const DWORD LINE_VALUES_WORD = 129;
// The text writer's buffer, flushed whenever it may not hold one more value.
const DWORD TEXT_CHUNK = 4096;

struct HeatTableName {
    LPCWSTR cardFile;
    LPCSTR cardSection;
    LPCWSTR planeFile;
    LPCSTR planeSection;
};

// Names of a panel code, as a card table and as a plane table; NULL where the
// code has no entry.
bool LookUpNames(BYTE code, HeatTableName* names)
{
    static const struct {
        BYTE code1, code2;
        HeatTableName names;
    } table[] = {
        {0, 0, {L"CARD_CVD", "[CARD_CVD]", L"CVD", "[CVD]"}},
        {1, 17, {L"CARD_C", "[CARD_C]", L"HeatTableC", "[PLANE_C]"}},
        {2, 18, {L"CARD_M", "[CARD_M]", L"HeatTableM", "[PLANE_M]"}},
        {4, 20, {L"CARD_Y", "[CARD_Y]", L"HeatTableY", "[PLANE_Y]"}},
        {8, 24, {L"CARD_K", "[CARD_K]", L"HeatTableK", "[PLANE_K]"}},
        {16, 80, {L"CARD_R", "[CARD_R]", nullptr, nullptr}},
        {32, 96, {L"CARD_L", "[CARD_L]", nullptr, nullptr}},
        {128, 128, {L"CARD_O", "[CARD_O]", L"HeatTableO", "[PLANE_O]"}},
        {136, 136, {L"CARD_KO", "[CARD_KO]", L"HeatTableO", "[PLANE_KO]"}},
        {192, 192, {L"CARD_OT", "[CARD_OT]", L"HeatTableO", "[PLANE_OT]"}},
        {PANEL_ALL, PANEL_ALL, {nullptr, nullptr, L"HeatTableAll", nullptr}},
    };
    for (const auto& row : table)
        if (row.code1 == code || row.code2 == code) {
            *names = row.names;
            return true;
        }
    return false;
}

DWORD TableValue(const BYTE* table, DWORD index, DWORD elementSize)
{
    if (elementSize == 1)
        return table[index];
    WORD value;
    memcpy(&value, table + SIZE_T(index) * 2, 2);
    return value;
}

// Appends the block of one table to the text file; a file that does not open
// is skipped.
void AppendTextBlock(LPCWSTR path, LPCSTR sectionLine, const BYTE* table, DWORD count, DWORD elementSize)
{
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    char chunk[TEXT_CHUNK];
    int used = snprintf(chunk, TEXT_CHUNK, "%s\n", sectionLine);
    DWORD perLine = elementSize == 1 ? LINE_VALUES_BYTE : LINE_VALUES_WORD;
    BOOL ok = TRUE;
    for (DWORD i = 0; i < count && ok; ++i) {
        used += snprintf(chunk + used, TEXT_CHUNK - used, elementSize == 1 ? "%3d " : "%d ",
                         int(TableValue(table, i, elementSize)));
        if (i > 0 && (i + 1) % perLine == 0)
            chunk[used++] = '\n';
        // Room for one more value, its line feed and the closing line feeds.
        if (used > int(TEXT_CHUNK) - 16) {
            ok = WriteFully(file, chunk, DWORD(used));
            used = 0;
        }
    }
    memcpy(chunk + used, "\n\n\n", 3);
    used += 3;
    if (ok)
        WriteFully(file, chunk, DWORD(used));
    CloseHandle(file);
}

// Finds the section line "[name]" at the start of a line; gives the start of
// its body (after the line's line feed), or NULL.
LPCWSTR FindSectionBody(LPCWSTR text, LPCWSTR sectionName)
{
    size_t n = wcslen(sectionName);
    bool bracketed = n >= 2 && sectionName[0] == L'[' && sectionName[n - 1] == L']';
    LPCWSTR name = bracketed ? sectionName + 1 : sectionName;
    size_t nameLength = bracketed ? n - 2 : n;
    if (nameLength == 0)
        return nullptr;
    for (LPCWSTR at = text; (at = wcschr(at, L'[')) != nullptr; ++at) {
        if (at != text && at[-1] != L'\n')
            continue;
        if (wcsncmp(at + 1, name, nameLength) != 0 || at[1 + nameLength] != L']')
            continue;
        LPCWSTR lineEnd = wcschr(at + 2 + nameLength, L'\n');
        return lineEnd ? lineEnd + 1 : at + 2 + nameLength + wcslen(at + 2 + nameLength);
    }
    return nullptr;
}

// The end of the body that starts at body: the line feed before the next
// section line, or the end of the text.
LPCWSTR FindBodyEnd(LPCWSTR body)
{
    for (LPCWSTR at = body; (at = wcschr(at, L'[')) != nullptr; ++at)
        if (at == body || at[-1] == L'\n')
            return at == body ? at : at - 1;
    return body + wcslen(body);
}

// Reads a whole 8-bit text file; *text is freed by the caller with delete[].
BOOL ReadTextFile(LPCWSTR fileName, LPWSTR* text, DWORD* cch)
{
    HANDLE file = OpenForReading(fileName);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL read = ReadAnsiText(file, text, cch);
    DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return read;
}

bool IsWhiteSpaceOnly(LPCWSTR text)
{
    for (; *text; ++text)
        if (!iswspace(*text))
            return false;
    return true;
}

} // namespace

DWORD DumpHeatTable(BYTE panelCode, const void* table, DWORD count, DWORD elementSize, BOOL cardTable)
{
    HeatTableName names;
    LPCWSTR fileName = nullptr;
    LPCSTR sectionLine = nullptr;
    WCHAR textPath[64], binPath[64], binName[64];
    DWORD result = ERROR_SUCCESS;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (LookUpNames(panelCode, &names)) {
        fileName = cardTable ? names.cardFile : names.planeFile;
        sectionLine = cardTable ? names.cardSection : names.planeSection;
    }
    if (!fileName || (elementSize != 1 && elementSize != 2) || (!table && count > 0) ||
        count > MAXDWORD / elementSize) {
        DebugTrace(L"DumpHeatTable(), code = %d, elementSize = %d: nothing written,\n", panelCode, elementSize);
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }
    swprintf(textPath, 64, L"c:\\%ls.txt", fileName);
    swprintf(binPath, 64, L"c:\\%ls.bin", fileName);
    swprintf(binName, 64, L"%ls.bin", fileName);

    if (sectionLine)
        AppendTextBlock(textPath, sectionLine, static_cast<const BYTE*>(table), count, elementSize);

    file = CreateWithSpoolFallback(binPath, binName, GENERIC_WRITE, CREATE_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) {
        result = GetLastError();
    } else {
        if (!WriteFully(file, table, count * elementSize))
            result = GetLastError();
        if (!CloseHandle(file) && result == ERROR_SUCCESS)
            result = GetLastError();
    }
    DebugTrace(L"DumpHeatTable(), %ls, count = %d, result = %d,\n", fileName, count, result);
    if (result != ERROR_SUCCESS)
        SetLastError(result);
    return result;
}

DWORD ReadSectionText(LPCWSTR sectionName, LPWSTR out, DWORD outRoom, LPCWSTR fileName)
{
    LPWSTR text = nullptr;
    DWORD cch = 0, copied = 0;
    LPCWSTR body = nullptr, end = nullptr;
    if (!sectionName || !out || outRoom == 0 || !fileName)
        return 0;
    if (!ReadTextFile(fileName, &text, &cch))
        return 0;
    body = FindSectionBody(text, sectionName);
    if (body) {
        end = FindBodyEnd(body);
        copied = DWORD(end - body);
        if (copied > outRoom)
            copied = outRoom;
        wmemcpy(out, body, copied);
    }
    delete[] text;
    return copied;
}

BOOL ReadTxtTable(LPCWSTR szFileName, LPCWSTR szSectionName, BYTE* table, DWORD tableBytes, DWORD* countOut)
{
    BOOL ok = FALSE;
    DWORD error = ERROR_SUCCESS, cch = 0, count = 0;
    LPWSTR text = nullptr;
    LPCWSTR body = nullptr;
    DebugTrace(L"ReadTxtTable(1), szFileName = \"%ls\",\n szSectionName = \"%ls\",\n", szFileName, szSectionName);
    if (!szFileName || !szSectionName || (!table && tableBytes > 0)) {
        error = ERROR_INVALID_PARAMETER;
        goto done;
    }
    if (!ReadTextFile(szFileName, &text, &cch)) {
        error = GetLastError();
        goto done;
    }
    if (cch == 0) {
        error = ERROR_HANDLE_EOF;
        goto done;
    }
    if (table)
        memset(table, 0, tableBytes);

    body = FindSectionBody(text, szSectionName);
    if (body)
        text[FindBodyEnd(body) - text] = L'\0';
    // A body of blanks and line feeds holds no value, as an empty one.
    if (body && !IsWhiteSpaceOnly(body)) {
        LPCWSTR at = body;
        for (;;) {
            WCHAR* end = nullptr;
            long value = wcstol(at, &end, 10);
            // The first value counts even without digits, as 0.
            if (end == at && count > 0)
                break;
            if (count < tableBytes)
                table[count] = BYTE(value);
            ++count;
            if (end == at)
                break;
            at = end;
        }
    }
    if (countOut)
        *countOut = count;
    if (count > tableBytes) {
        if (table)
            memset(table, 0, tableBytes);
        error = ERROR_INSUFFICIENT_BUFFER;
        goto done;
    }
    ok = TRUE;
done:
    delete[] text;
    DebugTrace(L"ReadTxtTable(2), count = %d, ok = %d,\n", count, ok);
    if (!ok)
        SetLastError(error);
    return ok;
}
