// CCalibrateCmdLineInfo: what QelChart's command line asks for. The Tool page
// starts the program with -n"<printer>"  -L<language number>.
#pragma once

#include <windows.h>

#include <string>

class CCalibrateCmdLineInfo {
public:
    CCalibrateCmdLineInfo();

    // One argument; a flag comes without its leading '-' or '/'. A flag L
    // (either case) takes the decimal number after it, a flag N the printer
    // name after it; every other argument is left alone.
    void ParseParam(LPCWSTR param, BOOL bFlag, BOOL bLast);

    // Splits a whole command line, program name first, into arguments and
    // parses each after the program name. FALSE with the last error set when
    // the line cannot be split.
    BOOL ParseCommandLine(LPCWSTR commandLine);

    // 0 when no valid number was given: the user's UI language then decides.
    DWORD m_nLanguage;
    std::wstring m_strPrinter;
};

// The decimal number at the start of text; 0 when text starts with no digit
// or the number does not fit 32 bits.
DWORD ParseLanguageNumber(LPCWSTR text);
