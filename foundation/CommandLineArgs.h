// CCommandLineArgs: a command line split into arguments by the platform's
// rules, quotes removed; the split is freed with the object.
#pragma once

#include <windows.h>

class CCommandLineArgs {
public:
    CCommandLineArgs() : m_argv(nullptr), m_argc(0) {}
    ~CCommandLineArgs();
    CCommandLineArgs(const CCommandLineArgs&) = delete;
    CCommandLineArgs& operator=(const CCommandLineArgs&) = delete;

    // Splits text. An empty text has no arguments (the platform would give
    // the running program's own path). FALSE, with the last error, for a NULL
    // text (ERROR_INVALID_PARAMETER) or a failed split.
    BOOL Split(LPCWSTR text);

    int Count() const { return m_argc; }
    LPCWSTR operator[](int index) const { return m_argv[index]; }

private:
    LPWSTR* m_argv;
    int m_argc;
};
