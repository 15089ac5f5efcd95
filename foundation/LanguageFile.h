// Language numbers, their four-letter codes, the user's UI language and the
// name and place of the language files "Qel<code>.lng".
#pragma once

#include <windows.h>

// Language numbers; 0 stands for the user's own UI language wherever a
// number is taken. Only 1 to 9 have language files.
enum : WORD {
    LANGNO_USER = 0,
    LANGNO_ENGLISH = 1,
    LANGNO_CHINESE_SIMPLIFIED = 2,
    LANGNO_CHINESE_TRADITIONAL = 3,
    LANGNO_FRENCH = 4,
    LANGNO_PORTUGUESE = 5,
    LANGNO_SPANISH = 6,
    LANGNO_RUSSIAN = 7,
    LANGNO_JAPANESE = 8,
    LANGNO_ARABIC = 9,
    LANGNO_GERMAN = 10,
    LANGNO_ITALIAN = 11,
    LANGNO_KOREAN = 12,
    LANGNO_POLISH = 13,
    LANGNO_PERSIAN = 14,
    LANGNO_INDONESIAN = 15,
    LANGNO_LAST_WITH_FILE = LANGNO_ARABIC,
    LANGNO_LAST = LANGNO_INDONESIAN,
};

// Characters of a language code, without the terminator.
const size_t LANGUAGE_CODE_LENGTH = 4;

// The four-letter code of a number from the full table; "enen" for any
// number outside 1 to 15.
LPCWSTR GetLanguageCode(WORD number);

// The code of the language file of a number: 2 to 9 by the table, "enen"
// for every other number (0 is not resolved here).
LPCWSTR GetLanguageFileCode(WORD number);

// The language number of a Windows language identifier (1 to 9).
WORD LanguageNumberFromLangId(LANGID langId);

// The language number of the user's default UI language (1 to 9).
WORD GetUILanguageNumber();

// Appends the code of the user's UI language to text (room cchText
// characters, terminator included) and gives text; NULL with
// ERROR_INSUFFICIENT_BUFFER and text unchanged when it does not fit.
LPWSTR AppendLanguageSuffix(LPWSTR text, size_t cchText);

// Writes the full path of the language file of number (0: the user's UI
// language) to pathOut (room cchOut characters) when given. FALSE with
// ERROR_INSUFFICIENT_BUFFER and pathOut emptied when the path does not fit.
BOOL GetLanguageFilePath(WORD number, LPWSTR pathOut, DWORD cchOut = MAX_PATH);
