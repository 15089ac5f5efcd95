// Which of QelChart's built-in language texts its dialog shows, and the
// dialog's title.
#pragma once

#include <windows.h>

// Section of QelChart's texts in its "LANG_FILE" resources.
#define CHART_LANG_SECTION L"QEL_CHART"
// The English key of the tool's name.
#define CHART_TOOL_NAME L"Vornex Print Position Calibrate Tool"

// Room of the dialog title, terminator included.
const DWORD CHART_TITLE_ROOM = 128;

// The command line's number when it is 1 to 9, else the user's UI language
// number (given, so that every case can be checked).
DWORD ChooseLanguageNumber(DWORD commandLineNumber, DWORD uiLanguageNumber);

// The "LANG_FILE" resource of a language number: simplified and traditional
// Chinese have their own, every other language takes the English one.
UINT LanguageResourceId(DWORD languageNumber);

// "<tool name>    v<version>", cut to the room of out (cchOut characters,
// terminator included). FALSE with ERROR_INVALID_PARAMETER when an argument
// is missing or cchOut is 0.
BOOL FormatChartTitle(LPCWSTR toolName, LPCWSTR version, LPWSTR out, DWORD cchOut);
