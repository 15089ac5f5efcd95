#include "InstalledDriverInf.h"

#include "FileReading.h"

namespace {

// How many "oem<N>.inf" names are tried before giving up.
const int OEM_NAMES = 1000;

} // namespace

CInstalledDriverInf::CInstalledDriverInf(const std::string& driverVer)
{
    const std::string text = "[Version]\r\n"
                             "Signature=\"$Windows NT$\"\r\n"
                             "Class=Printer\r\n"
                             "ClassGuid={4D36E979-E325-11CE-BFC1-08002BE10318}\r\n"
                             "Provider=Vornex\r\n"
                             "DriverVer=" + driverVer + "\r\n"
                             "\r\n"
                             "[Vornex_Tseries]\r\n"
                             "ConfigFile=QelUI.dll\r\n"
                             "DataFile=QelUI.dll\r\n";
    WCHAR windows[MAX_PATH];
    UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    for (int number = 0; number < OEM_NAMES; ++number) {
        std::wstring path = std::wstring(windows) + L"\\inf\\oem" + std::to_wstring(number) + L".inf";
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return;
        }
        BOOL written = WriteFully(file, text.data(), DWORD(text.size()));
        CloseHandle(file);
        if (!written) {
            DeleteFileW(path.c_str());
            return;
        }
        m_path = path;
        return;
    }
}

CInstalledDriverInf::~CInstalledDriverInf()
{
    if (ok())
        DeleteFileW(m_path.c_str());
}
