#include "CalibrateCmdLineInfo.h"

#include "CommandLineArgs.h"
#include "Platform.h"

CCalibrateCmdLineInfo::CCalibrateCmdLineInfo()
    : m_nLanguage(0)
{
}

DWORD ParseLanguageNumber(LPCWSTR text)
{
    if (!text)
        return 0;
    ULONGLONG n = 0;
    for (const WCHAR* p = text; *p >= L'0' && *p <= L'9'; ++p) {
        n = n * 10 + (*p - L'0');
        if (n > 0xFFFFFFFFull)
            return 0;
    }
    return static_cast<DWORD>(n);
}

void CCalibrateCmdLineInfo::ParseParam(LPCWSTR param, BOOL bFlag, BOOL bLast)
{
    DebugTrace(L"CCalibrateCmdLineInfo::ParseParam(1), param = %ls, bFlag = %d, bLast = %d,\n",
               param ? param : L"", bFlag, bLast);
    if (!param || !bFlag)
        return;
    switch (param[0]) {
    case L'L':
    case L'l':
        m_nLanguage = ParseLanguageNumber(param + 1);
        break;
    case L'N':
    case L'n':
        m_strPrinter = param + 1;
        break;
    default:
        break;
    }
}

BOOL CCalibrateCmdLineInfo::ParseCommandLine(LPCWSTR commandLine)
{
    CCommandLineArgs args;
    if (!args.Split(commandLine))
        return FALSE;
    // The program name comes first.
    for (int i = 1; i < args.Count(); ++i) {
        LPCWSTR arg = args[i];
        BOOL bFlag = arg[0] == L'-' || arg[0] == L'/';
        ParseParam(bFlag ? arg + 1 : arg, bFlag, i == args.Count() - 1);
    }
    return TRUE;
}
