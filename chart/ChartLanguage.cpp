#include "ChartLanguage.h"

#include <cwchar>

#include "ChartResource.h"
#include "LanguageFile.h"
#include "TextCopy.h"

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

BOOL FormatChartTitle(LPCWSTR toolName, LPCWSTR version, LPWSTR out, DWORD cchOut)
{
    if (!toolName || !version || !out || cchOut == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const LPCWSTR parts[3] = {toolName, L"    v", version};
    DWORD used = 0;
    for (LPCWSTR part : parts) {
        CopyTextCut(out + used, cchOut - used, part);
        used += static_cast<DWORD>(wcslen(out + used));
    }
    return TRUE;
}
