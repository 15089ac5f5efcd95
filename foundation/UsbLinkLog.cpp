#include "UsbLink.h"
#include "Platform.h"
#include "TextCopy.h"

#include <share.h>

#include <cstdarg>
#include <cstring>
#include <cwchar>

namespace {

const WCHAR DEFAULT_LOG_NAME[] = L"c:\\QelCmd.log";
// A dump block of this many bytes still fits one line buffer (3325 characters).
const DWORD DUMP_BLOCK = 1024;
const DWORD DUMP_LINE = 16;
// Longest packet text shown beside a dump.
const DWORD PACKET_TEXT = 511;
// The most wide characters that convert into the byte buffer in any code page.
const int SAFE_CONVERT_CHARS = 4095 / 3;

// Formats into a byte buffer of size bytes; gives the length written, cut at
// the buffer's end.
int FormatBytes(char* out, size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = vsnprintf(out, size, format, args);
    va_end(args);
    out[size - 1] = '\0';
    if (n < 0 || (size_t)n >= size)
        n = (int)strlen(out);
    return n;
}

// True when a bounded format of n characters fitted its room.
bool Fitted(int n, size_t room)
{
    return n > 0 && (size_t)n < room;
}

} // namespace

void CUsbLink::SetLogEnable(int level, LPCWSTR name, BOOL banner)
{
    const DWORD saved = GetLastError();

    m_bLogBanner = banner ? 1 : 0;
    if (level == 0) {
        // The old level still holds, so the end banner goes out whatever the flag says.
        if (m_fpLog) {
            WriteBanner(FALSE);
            CloseLog();
        }
        m_szLogFileName[0] = '\0';
        m_dwLogLevel = 0;
        SetLastError(saved);
        return;
    }

    m_dwLogLevel = (DWORD)level;
    if (!m_fpLog) {
        WCHAR chosen[MAX_PATH] = L"";
        // A name too long for the buffers names no file: it is not shortened
        // into another one.
        BOOL fits = TRUE;
        if (!name || !name[0]) {
            wcscpy(chosen, DEFAULT_LOG_NAME);
        } else if (wcsstr(name, L".log")) {
            fits = CopyTextFits(chosen, MAX_PATH, name);
        } else {
            fits = Fitted(swprintf(chosen, MAX_PATH, L"c:\\%ls.log", name), MAX_PATH);
        }
        BOOL opened = fits && OpenLogFile(chosen);
        if (!opened && fits && wcslen(chosen) > 2) {
            WCHAR spool[256], inSpool[MAX_PATH];
            GetSpoolDirectory(nullptr, spool);
            // Without a known spool directory the name would land in the
            // root of the current drive instead.
            if (spool[0] && Fitted(swprintf(inSpool, MAX_PATH, L"%ls%ls", spool, chosen + 2), MAX_PATH))
                opened = OpenLogFile(inSpool);
        }
        if (opened) {
            fseek(m_fpLog, 0, SEEK_END);
            if (banner)
                WriteBanner(TRUE);
        }
    } else {
        fseek(m_fpLog, 0, SEEK_END);
    }
    SetLastError(saved);
}

void CUsbLink::WriteLog(DWORD level, LPCWSTR format, ...)
{
    if (m_dwLogLevel == 0 || !m_fpLog || level > m_dwLogLevel || !format)
        return;
    const DWORD saved = GetLastError();

    ZeroMemory(m_szLogLineW, sizeof(m_szLogLineW));
    ZeroMemory(m_szLogLineA, sizeof(m_szLogLineA));
    va_list args;
    va_start(args, format);
    vswprintf(m_szLogLineW, ARRAYSIZE(m_szLogLineW), format, args);
    va_end(args);
    m_szLogLineW[ARRAYSIZE(m_szLogLineW) - 1] = L'\0';
    int chars = (int)wcslen(m_szLogLineW);
    fseek(m_fpLog, 0, SEEK_END);
    int bytes = WideCharToMultiByte(CP_ACP, 0, m_szLogLineW, chars, m_szLogLineA, sizeof(m_szLogLineA) - 1,
                                    nullptr, nullptr);
    // A record that grows past the byte buffer in conversion is cut, not lost.
    if (bytes == 0 && chars > SAFE_CONVERT_CHARS)
        bytes = WideCharToMultiByte(CP_ACP, 0, m_szLogLineW, SAFE_CONVERT_CHARS, m_szLogLineA,
                                    sizeof(m_szLogLineA) - 1, nullptr, nullptr);
    WriteLogText(m_szLogLineA, bytes);

    SetLastError(saved);
}

void CUsbLink::LogPacket(DWORD level, const BYTE* data, DWORD length, DWORD direction)
{
    if (!data || m_dwLogLevel == 0 || !m_fpLog || level > m_dwLogLevel)
        return;
    const DWORD saved = GetLastError();
    static const char digits[] = "0123456789ABCDEF";
    const char* prefix = direction == LOG_DIR_WRITE ? ">> " : direction == LOG_DIR_READ ? "<< " : "=> ";
    const size_t room = sizeof(m_szLogLineA);
    int n = 0;

    ZeroMemory(m_szLogLineA, sizeof(m_szLogLineA));
    fseek(m_fpLog, 0, SEEK_END);

    n = FormatBytes(m_szLogLineA, room, "%s%s", prefix, length == 0 || length > DUMP_BLOCK ? "\n" : "");
    WriteLogText(m_szLogLineA, n);

    if (direction == LOG_DIR_WRITE && length != 0 && data[0] == 0x1B) {
        // A command header shows as its text between the framing bytes.
        DWORD text = length >= 3 ? length - 2 : 0;
        if (text > PACKET_TEXT)
            text = PACKET_TEXT;
        n = FormatBytes(m_szLogLineA, room, "<%02X>%.*s<%02X>\n", data[0], (int)text,
                        reinterpret_cast<const char*>(data + 1), data[length - 1]);
        WriteLogText(m_szLogLineA, n);
    } else if (length != 0) {
        for (DWORD block = 0; block < length; block += DUMP_BLOCK) {
            DWORD count = length - block < DUMP_BLOCK ? length - block : DUMP_BLOCK;
            char* p = m_szLogLineA;
            for (DWORD i = 0; i < count; ++i) {
                if (i != 0 && i % DUMP_LINE == 0) {
                    memcpy(p, "\n   ", 4);
                    p += 4;
                }
                BYTE b = data[block + i];
                p[0] = digits[b >> 4];
                p[1] = digits[b & 0x0F];
                p[2] = ' ';
                p += 3;
            }
            *p++ = '\n';
            WriteLogText(m_szLogLineA, (int)(p - m_szLogLineA));
        }
        if (direction == LOG_DIR_READ && data[0] == 1) {
            DWORD text = length - 1 > PACKET_TEXT ? PACKET_TEXT : length - 1;
            n = FormatBytes(m_szLogLineA, room, "== %.*s\n", (int)text, reinterpret_cast<const char*>(data + 1));
            WriteLogText(m_szLogLineA, n);
        }
    }
    if (length == 0 && direction == LOG_DIR_OTHER)
        WriteLogText("\n", 1);
    fflush(m_fpLog);

    SetLastError(saved);
}

void CUsbLink::ReopenLog()
{
    if (!m_szLogFileName[0])
        return;
    const DWORD saved = GetLastError();
    // The stream open before would otherwise be lost with its handle.
    CloseLog();
    m_fpLog = _fsopen(m_szLogFileName, "at", _SH_DENYNO);
    if (m_fpLog)
        fseek(m_fpLog, 0, SEEK_END);
    SetLastError(saved);
}

void CUsbLink::CloseLog()
{
    if (!m_fpLog)
        return;
    const DWORD saved = GetLastError();
    fflush(m_fpLog);
    fclose(m_fpLog);
    m_fpLog = nullptr;
    SetLastError(saved);
}

void CUsbLink::WriteBanner(BOOL start)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    WriteLog(1, L"========================== %ls  [%04d/%02d/%02d], [%02d:%02d:%02d] ========================\n\n",
             start ? L"Start" : L"End", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

// Stores the name in the active code page, as the file is opened by it, and
// opens the file for appending, shared with every other writer.
BOOL CUsbLink::OpenLogFile(LPCWSTR name)
{
    if (!WideToAnsi(m_szLogFileName, name, (int)sizeof(m_szLogFileName))) {
        m_szLogFileName[0] = '\0';
        return FALSE;
    }
    m_fpLog = _fsopen(m_szLogFileName, "at", _SH_DENYNO);
    return m_fpLog != nullptr;
}

void CUsbLink::WriteLogText(const char* text, int length)
{
    if (length > 0) {
        fwrite(text, 1, (size_t)length, m_fpLog);
        fflush(m_fpLog);
    }
}
