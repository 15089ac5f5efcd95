#include "ChartLanguage.h"

#include "ChartResource.h"
#include "LanguageFile.h"

DWORD ChooseLanguageNumber(DWORD commandLineNumber, DWORD uiLanguageNumber)
{
    if (commandLineNumber >= LANGNO_ENGLISH && commandLineNumber <= LANGNO_LAST_WITH_FILE)
        return commandLineNumber;
    return uiLanguageNumber;
}

UINT LanguageResourceId(DWORD languageNumber)
{
    switch (languageNumber) {
    case LANGNO_CHINESE_SIMPLIFIED:
        return IDR_LANG_CHINESE_SIMPLIFIED;
    case LANGNO_CHINESE_TRADITIONAL:
        return IDR_LANG_CHINESE_TRADITIONAL;
    default:
        return IDR_LANG_ENGLISH;
    }
}

static size_t AppendCut(LPWSTR out, size_t used, size_t cchOut, LPCWSTR text)
{
    while (*text && used + 1 < cchOut)
        out[used++] = *text++;
    out[used] = L'\0';
    return used;
}

BOOL FormatChartTitle(LPCWSTR toolName, LPCWSTR version, LPWSTR out, size_t cchOut)
{
    if (!toolName || !version || !out || cchOut == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    size_t used = AppendCut(out, 0, cchOut, toolName);
    used = AppendCut(out, used, cchOut, L"    v");
    AppendCut(out, used, cchOut, version);
    return TRUE;
}
