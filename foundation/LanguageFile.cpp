#include "LanguageFile.h"
#include "Platform.h"

#include <cwchar>

namespace {

// Indexed by language number; entry 0 is never given out as its own code.
const LPCWSTR kLanguageCodes[LANGNO_LAST + 1] = {
    L"enen", L"enen", L"zhcn", L"zhtw", L"frfr", L"ptpt", L"eses", L"ruru",
    L"jajp", L"arar", L"dede", L"itit", L"kokr", L"plpl", L"fair", L"idid",
};

const WCHAR kFilePrefix[] = L"\\Qel";
const WCHAR kFileExtension[] = L".lng";

} // namespace

LPCWSTR GetLanguageCode(WORD number)
{
    return number >= LANGNO_ENGLISH && number <= LANGNO_LAST ? kLanguageCodes[number] : kLanguageCodes[LANGNO_ENGLISH];
}

LPCWSTR GetLanguageFileCode(WORD number)
{
    return number > LANGNO_ENGLISH && number <= LANGNO_LAST_WITH_FILE ? kLanguageCodes[number]
                                                                      : kLanguageCodes[LANGNO_ENGLISH];
}

WORD LanguageNumberFromLangId(LANGID langId)
{
    const WORD primary = PRIMARYLANGID(langId);
    const WORD sub = SUBLANGID(langId);
    switch (primary) {
    case LANG_ARABIC:
        return LANGNO_ARABIC;
    case LANG_CHINESE:
        if (sub == SUBLANG_CHINESE_TRADITIONAL)
            return LANGNO_CHINESE_TRADITIONAL;
        return sub == SUBLANG_CHINESE_SIMPLIFIED ? LANGNO_CHINESE_SIMPLIFIED : LANGNO_ENGLISH;
    case LANG_SPANISH:
        return LANGNO_SPANISH;
    case LANG_FRENCH:
        return LANGNO_FRENCH;
    case LANG_JAPANESE:
        return LANGNO_JAPANESE;
    case LANG_PORTUGUESE:
        return LANGNO_PORTUGUESE;
    case LANG_RUSSIAN:
        return LANGNO_RUSSIAN;
    default:
        return LANGNO_ENGLISH;
    }
}

WORD GetUILanguageNumber()
{
    LANGID langId = GetUserDefaultUILanguage();
    WORD number = LanguageNumberFromLangId(langId);
    DebugTrace(L"GetUILanguageNumber(), LangID = 0x%04X, nLanguage = %d,\n", langId, number);
    return number;
}

LPWSTR AppendLanguageSuffix(LPWSTR text, size_t cchText)
{
    if (!text || cchText == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    size_t have = wcsnlen(text, cchText);
    if (have == cchText) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (have + LANGUAGE_CODE_LENGTH >= cchText) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nullptr;
    }
    LPCWSTR code = GetLanguageCode(GetUILanguageNumber());
    wmemcpy(text + have, code, LANGUAGE_CODE_LENGTH + 1);
    DebugTrace(L"AppendLanguageSuffix(), szText = %ls,\n", text);
    return text;
}

BOOL GetLanguageFilePath(WORD number, LPWSTR pathOut, DWORD cchOut)
{
    if (pathOut && cchOut == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    WCHAR dir[MAX_PATH];
    GetDriverDirectory(dir, TRUE);
    DebugTrace(L"GetLanguageFilePath(1), szDriverDir = %ls,\n", dir);

    if (number == LANGNO_USER)
        number = GetUILanguageNumber();
    WCHAR path[MAX_PATH + 16];
    int n = swprintf(path, sizeof(path) / sizeof(path[0]), L"%ls%ls%ls%ls", dir, kFilePrefix,
                     GetLanguageFileCode(number), kFileExtension);
    DebugTrace(L"GetLanguageFilePath(2), nLanguage = %d, szPath = %ls,\n", number, path);
    if (!pathOut)
        return TRUE;
    if (n < 0 || static_cast<DWORD>(n) >= cchOut) {
        pathOut[0] = L'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    wmemcpy(pathOut, path, n + 1);
    return TRUE;
}
