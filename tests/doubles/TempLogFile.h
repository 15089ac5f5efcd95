// CTempLogFile: a log file of one test's own in the temporary folder, read
// back as the bytes on disk and removed when the test ends.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CTempLogFile {
public:
    // The name holds the tag, the process id and a serial number, so that
    // parallel test programs never share a file.
    explicit CTempLogFile(const char* tag);
    ~CTempLogFile();
    CTempLogFile(const CTempLogFile&) = delete;
    CTempLogFile& operator=(const CTempLogFile&) = delete;

    LPCWSTR GetPath() const;
    const std::string& GetPathA() const;
    // The whole file ("" when it does not exist).
    std::string Read() const;
    // The file cut at each CR LF; a last piece without one is kept as it is.
    std::vector<std::string> ReadLines() const;
    BOOL Exists() const;

private:
    std::wstring m_path;
    std::string m_pathA;
};

// Reads any file whole ("" when it cannot be opened).
std::string ReadWholeFile(LPCWSTR path);
// Cuts text at each CR LF.
std::vector<std::string> SplitCrLf(const std::string& text);
