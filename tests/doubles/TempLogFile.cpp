#include "TempLogFile.h"

#include <cstdio>

namespace {

volatile LONG g_lSerial = 0;

} // namespace

CTempLogFile::CTempLogFile(const char* tag)
{
    char dir[MAX_PATH] = "";
    DWORD n = GetTempPathA(MAX_PATH, dir);
    if (n == 0 || n >= MAX_PATH)
        dir[0] = '\0';
    char name[MAX_PATH];
    snprintf(name, sizeof(name), "%sQel%s_%lu_%ld.log", dir, tag, GetCurrentProcessId(),
             InterlockedIncrement(&g_lSerial));
    m_pathA = name;
    m_path.assign(m_pathA.begin(), m_pathA.end());
    DeleteFileW(m_path.c_str());
}

CTempLogFile::~CTempLogFile()
{
    DeleteFileW(m_path.c_str());
}

LPCWSTR CTempLogFile::GetPath() const
{
    return m_path.c_str();
}

const std::string& CTempLogFile::GetPathA() const
{
    return m_pathA;
}

std::string CTempLogFile::Read() const
{
    return ReadWholeFile(m_path.c_str());
}

std::vector<std::string> CTempLogFile::ReadLines() const
{
    return SplitCrLf(Read());
}

BOOL CTempLogFile::Exists() const
{
    return GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(LPCWSTR path)
{
    std::string text;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

std::vector<std::string> SplitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}
