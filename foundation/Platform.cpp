#include "Platform.h"
#include "PrinterKeyPath.h"
#include "Registry.h"

#include <cwchar>

namespace {

#ifdef _WIN64
const OsRule BUILD_RULE = OS_RULE_64BIT_BUILD;
#else
const OsRule BUILD_RULE = OS_RULE_32BIT_PROGRAM;
#endif

template <typename Fn>
Fn LookUp(LPCWSTR module, LPCSTR name)
{
    HMODULE h = GetModuleHandleW(module);
    return h ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(h, name))) : nullptr;
}

// Appends text to out (room cchOut); false, out unchanged, when it does not fit.
bool Append(LPWSTR out, size_t cchOut, LPCWSTR text)
{
    size_t have = wcslen(out), add = wcslen(text);
    if (have + add >= cchOut)
        return false;
    wmemcpy(out + have, text, add + 1);
    return true;
}

// Reads a text value of key root\subKey; value names and rooms as the callers give.
void ReadPrinterText(LPCWSTR subKey, LPCWSTR valueName, LPWSTR out, DWORD cchOut)
{
    HKEY key = nullptr;
    out[0] = L'\0';
    if (RegOpenForRead(HKEY_LOCAL_MACHINE, subKey, TRUE, &key) != ERROR_SUCCESS)
        return;
    RegReadText(key, valueName, out, cchOut);
    RegCloseKey(key);
}

} // namespace

WORD ClassifyOSVersion(OsRule rule, DWORD platformId, DWORD major, DWORD minor, WORD suiteMask, BOOL bNative64)
{
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        if (minor == 90)
            return OSV_WINME;
        return minor < 10 ? OSV_WIN95 : OSV_WIN98;
    }
    if (platformId != VER_PLATFORM_WIN32_NT)
        return OSV_UNKNOWN;

    if (rule == OS_RULE_ASYNC_SERVER) {
        if (major >= 6)
            return OSV_VISTA_64;
        if (major == 5)
            return OSV_5X_64;
        return major == 4 ? OSV_NT4 : OSV_UNKNOWN;
    }
    if (rule == OS_RULE_ASYNC_CLIENT) {
        if (major >= 6)
            return bNative64 ? OSV_VISTA_64 : OSV_VISTA;
        if (major == 5) {
            if (bNative64)
                return OSV_5X_64;
            return minor >= 2 ? OSV_WIN2003 : minor == 1 ? OSV_WINXP : OSV_WIN2000;
        }
        return major == 4 ? OSV_NT4 : OSV_UNKNOWN;
    }
    if (rule == OS_RULE_64BIT_BUILD) {
        if (major > 6)
            return OSV_WIN8_64;
        if (major == 6)
            return minor >= 2 ? OSV_WIN8_64 : minor == 1 ? OSV_WIN7_64 : OSV_VISTA_64;
        if (major == 5)
            return OSV_5X_64;
        return major == 4 ? OSV_NT4 : OSV_UNKNOWN;
    }

    if (major > 6)
        return bNative64 ? OSV_WIN8_64 : OSV_WIN8;
    if (major == 6) {
        if (minor >= 2)
            return bNative64 ? OSV_WIN8_64 : OSV_WIN8;
        if (minor == 1)
            return bNative64 ? OSV_WIN7_64 : OSV_WIN7;
        return bNative64 ? OSV_VISTA_64 : OSV_VISTA;
    }
    if (major == 5) {
        if (bNative64)
            return OSV_5X_64;
        if (minor >= 2)
            return OSV_WIN2003;
        if (minor == 1)
            return (suiteMask & 0x40) ? OSV_WINXP_EMBEDDED : OSV_WINXP;
        return OSV_WIN2000;
    }
    return major == 4 ? OSV_NT4 : OSV_UNKNOWN;
}

WORD GetOSVersionCode()
{
    return GetOSVersionCodeByRule(BUILD_RULE);
}

WORD GetOSVersionCodeByRule(OsRule rule)
{
    OSVERSIONINFOEXW info;
    ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
        ZeroMemory(&info, sizeof(info));
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)))
            ZeroMemory(&info, sizeof(info));
    }
    BOOL native64 = FALSE;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (rule == OS_RULE_32BIT_PROGRAM)
            native64 = IsNative64BitWindows();
        else if (rule == OS_RULE_ASYNC_CLIENT)
            native64 = IsWow64();
    }
    WORD code = ClassifyOSVersion(rule, info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                                  info.wSuiteMask, native64);
    DebugTrace(L"GetOSVersionCode(), major = %d, minor = %d, code = %d,\n", info.dwMajorVersion, info.dwMinorVersion, code);
    return code;
}

BOOL IsNative64BitWindows()
{
    typedef void(WINAPI * GetNativeSystemInfoFn)(LPSYSTEM_INFO);
    auto fn = LookUp<GetNativeSystemInfoFn>(L"kernel32.dll", "GetNativeSystemInfo");
    if (!fn)
        return FALSE;
    SYSTEM_INFO si;
    ZeroMemory(&si, sizeof(si));
    fn(&si);
    return si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

BOOL IsWow64()
{
    typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, PBOOL);
    auto fn = LookUp<IsWow64ProcessFn>(L"kernel32", "IsWow64Process");
    BOOL wow = FALSE;
    if (!fn || !fn(GetCurrentProcess(), &wow))
        return FALSE;
    return wow;
}

LPWSTR GetDriverDirectory(LPWSTR out, BOOL withVersion)
{
    return GetDriverDirectoryByRule(BUILD_RULE, out, withVersion);
}

LPWSTR GetDriverDirectoryByRule(OsRule rule, LPWSTR out, BOOL withVersion)
{
    WCHAR dir[MAX_PATH] = L"";
    WORD code = GetOSVersionCodeByRule(rule);
    UINT n = GetSystemDirectoryW(dir, 256);
    if (n == 0 || n >= 256)
        dir[0] = L'\0';
#ifdef _WIN64
    Append(dir, MAX_PATH, L"\\spool\\drivers\\x64");
    if (withVersion && code >= OSV_WIN2000)
        Append(dir, MAX_PATH, L"\\3");
#else
    if (code > OSV_WINME) {
        bool win64 = code >= OSV_5X_64 && (code & 1);
        Append(dir, MAX_PATH, win64 ? L"\\spool\\drivers\\x64" : L"\\spool\\drivers\\w32x86");
        if (withVersion)
            Append(dir, MAX_PATH, L"\\3");
    }
#endif
    wcscpy(out, dir);
    DebugTrace(L"GetDriverDirectory(), szDir = %ls,\n", out);
    return out;
}

LPWSTR GetSpoolDirectory(LPCWSTR printerName, LPWSTR out)
{
    WCHAR defaultDir[128], printerDir[128] = L"";
    ReadPrinterText(PRINTERS_KEY, L"DefaultSpoolDirectory", defaultDir, 128);
    WCHAR subKey[PRINTER_KEY_PATH_ROOM];
    if (printerName && BuildKeyPath(subKey, PRINTERS_KEY, printerName, L"", ERROR_INVALID_PRINTER_NAME))
        ReadPrinterText(subKey, L"SpoolDirectory", printerDir, 128);
    wcscpy(out, printerDir[0] ? printerDir : defaultDir);
    return out;
}

static LPWSTR ToWide(UINT codePage, LPWSTR out, LPCSTR text, int cchOut)
{
    if (!out || !text || cchOut <= 0)
        return nullptr;
    return MultiByteToWideChar(codePage, 0, text, -1, out, cchOut) ? out : nullptr;
}

LPWSTR AnsiToWide(LPWSTR out, LPCSTR text, int cchOut)
{
    return ToWide(CP_ACP, out, text, cchOut);
}

LPWSTR Utf8ToWide(LPWSTR out, LPCSTR text, int cchOut)
{
    return ToWide(CP_UTF8, out, text, cchOut);
}

LPSTR WideToAnsi(LPSTR out, LPCWSTR text, int cbOut)
{
    if (!out || !text || cbOut <= 0)
        return nullptr;
    return WideCharToMultiByte(CP_ACP, 0, text, -1, out, cbOut, nullptr, nullptr) ? out : nullptr;
}

LPWSTR GetSystemErrorText(DWORD code, LPWSTR out, DWORD cchOut)
{
    LPWSTR text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    if (n == 0 || !text) {
        if (text)
            LocalFree(text);
        return nullptr;
    }
    if (!out)
        return text;
    if (cchOut == 0) {
        LocalFree(text);
        return nullptr;
    }
    size_t len = wcslen(text);
    if (len >= 2 && text[len - 2] == L'\r')
        len -= 2;
    if (len >= cchOut)
        len = cchOut - 1;
    wmemcpy(out, text, len);
    out[len] = L'\0';
    LocalFree(text);
    return out;
}
