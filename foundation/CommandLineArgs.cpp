#include "CommandLineArgs.h"

#include <shellapi.h>

CCommandLineArgs::~CCommandLineArgs()
{
    if (m_argv)
        LocalFree(m_argv);
}

BOOL CCommandLineArgs::Split(LPCWSTR text)
{
    if (m_argv)
        LocalFree(m_argv);
    m_argv = nullptr;
    m_argc = 0;
    if (!text) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (text[0] == L'\0')
        return TRUE;
    int argc = 0;
    m_argv = CommandLineToArgvW(text, &argc);
    if (!m_argv)
        return FALSE;
    m_argc = argc;
    return TRUE;
}
