// Stands in for a tool program that the Tool page starts from the driver
// directory (QelChart.exe, QelMag.exe): it writes the command line it was
// given to "<its own path>.txt" as UTF-16 text and ends.
#include <windows.h>

#include <string>

int wmain()
{
    WCHAR self[MAX_PATH] = L"";
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 1;
    // Written aside and then renamed: a reader never sees half of it.
    std::wstring done = std::wstring(self) + L".txt", partial = done + L".part";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    LPCWSTR line = GetCommandLineW();
    DWORD bytes = static_cast<DWORD>(lstrlenW(line) * sizeof(WCHAR)), written = 0;
    BOOL ok = WriteFile(file, line, bytes, &written, nullptr) && written == bytes;
    CloseHandle(file);
    return ok && MoveFileExW(partial.c_str(), done.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
