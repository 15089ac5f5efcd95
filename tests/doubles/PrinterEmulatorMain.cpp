// QelPrinterEmu: the printer emulator as a program, for demos and manual runs.
// It answers a small built-in script, logs every frame to stdout and ends on
// its own after an idle time, when a stop file appears or on Ctrl-C, so that
// it never outlives the script that started it.
#include "PrinterEmulator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

const WORD DEFAULT_PRODUCT_ID = 0x0101;
const DWORD DEFAULT_IDLE_SECONDS = 30;
// How often the stop conditions are looked at.
const DWORD POLL_MS = 200;

const char USAGE[] =
    "Usage: QelPrinterEmu [--tcp <address>[:<port>]] [--pipe [<product id, hex>]]\n"
    "                     [--idle <seconds>] [--stop-file <path>]\n"
    "  --tcp        serve TCP on a loopback address (default 127.0.0.1:9100)\n"
    "  --pipe       serve the USB stand-in: a device path \\\\?\\USB#VID_5D27&PID_<id>#...\n"
    "               (default product id 0101)\n"
    "  --idle       stop after this many seconds without a connection or frame (default 30)\n"
    "  --stop-file  stop once this file exists\n";

HANDLE g_hQuit = NULL;

BOOL WINAPI OnConsoleControl(DWORD)
{
    SetEvent(g_hQuit);
    return TRUE;
}

struct Options {
    BOOL bPipe = FALSE;
    WORD wProductId = DEFAULT_PRODUCT_ID;
    char szAddress[16] = "127.0.0.1";
    WORD wPort = EMU_PRINTER_TCP_PORT;
    DWORD dwIdleSeconds = DEFAULT_IDLE_SECONDS;
    std::wstring stopFile;
};

BOOL ParseNumber(LPCWSTR text, int base, unsigned long limit, unsigned long* value)
{
    wchar_t* end = NULL;
    if (!text || !*text)
        return FALSE;
    *value = wcstoul(text, &end, base);
    return *end == L'\0' && *value <= limit;
}

BOOL ParseTcp(LPCWSTR text, Options& options)
{
    char szText[64];
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, szText, sizeof(szText), NULL, NULL) == 0)
        return FALSE;
    char* colon = strchr(szText, ':');
    if (colon) {
        *colon = '\0';
        char* end = NULL;
        unsigned long port = strtoul(colon + 1, &end, 10);
        if (colon[1] == '\0' || *end != '\0' || port > 0xFFFF)
            return FALSE;
        options.wPort = static_cast<WORD>(port);
    }
    if (strlen(szText) >= sizeof(options.szAddress))
        return FALSE;
    strcpy(options.szAddress, szText);
    return TRUE;
}

BOOL ParseOptions(int argc, wchar_t** argv, Options& options)
{
    for (int i = 1; i < argc; i++) {
        LPCWSTR arg = argv[i];
        LPCWSTR next = i + 1 < argc ? argv[i + 1] : NULL;
        unsigned long value = 0;
        if (wcscmp(arg, L"--tcp") == 0 && next) {
            if (!ParseTcp(next, options))
                return FALSE;
            i++;
        } else if (wcscmp(arg, L"--pipe") == 0) {
            options.bPipe = TRUE;
            if (next && next[0] != L'-') {
                if (!ParseNumber(next, 16, 0xFFFF, &value))
                    return FALSE;
                options.wProductId = static_cast<WORD>(value);
                i++;
            }
        } else if (wcscmp(arg, L"--idle") == 0 && next) {
            if (!ParseNumber(next, 10, 24 * 3600, &value) || value == 0)
                return FALSE;
            options.dwIdleSeconds = value;
            i++;
        } else if (wcscmp(arg, L"--stop-file") == 0 && next) {
            options.stopFile = next;
            i++;
        } else {
            return FALSE;
        }
    }
    return TRUE;
}

// The answers of a small printer: a T42D with a YMCKO ribbon.
void LoadDefaultScript(CPrinterEmulator& emu)
{
    emu.Reply("Dxh", "Vornex T42D");
    emu.Reply("Dgb", "V1.02.03");
    emu.Reply("Dxl;p", "QX0012345");
    emu.Reply("Dq", "0");
    emu.Reply("Ds;1", "YMCKO 250");
    emu.Reply("Ds;2", "YMCKO");
    emu.Reply("Ds;3", "180;250");
    emu.Reply("Dwz;u;1", "2");
    emu.Reply("Dwz;u;2", "-3");
    emu.Reply("Dwz;u;3", "0");
    emu.SetStanding(EMU_MATCH_COMMAND, "Swz", EmuText("OK"));
}

// A request text or reply with its control bytes made visible.
std::string Printable(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            snprintf(hex, sizeof(hex), "<%02X>", c);
            out += hex;
        }
    }
    return out;
}

std::string DescribeAnswer(const EmuFrame& frame)
{
    if (!frame.bFramed)
        return "stray bytes, no reply";
    if (frame.action == EMU_CLOSE)
        return "connection closed";
    if (frame.action == EMU_SILENT)
        return "no reply";
    const std::string& reply = frame.reply;
    if (reply.size() >= 1 && reply[0] == '\x01')
        return "text \"" + Printable(std::string(reply.c_str() + 1)) + "\"";
    if (reply.size() == 1 && reply[0] == '\0')
        return "not ready";
    return "bytes " + Printable(reply);
}

// Logs each frame and keeps what "Swz;u;<n>;<value>" writes for the next
// "Dwz;u;<n>", like the printer's memory of its print position.
void OnFrame(const EmuFrame& frame, void* context)
{
    CPrinterEmulator* emu = static_cast<CPrinterEmulator*>(context);
    const std::string request = frame.bFramed ? frame.request : Printable(frame.raw);
    printf("frame: connection %lu: %s -> %s", frame.connection, request.c_str(), DescribeAnswer(frame).c_str());
    if (frame.bulkExpected)
        printf(", %u of %lu bulk bytes", static_cast<unsigned>(frame.bulk.size()), frame.bulkExpected);
    printf("\n");
    fflush(stdout);

    const std::string head = "Swz;u;";
    if (frame.bFramed && frame.request.compare(0, head.size(), head) == 0) {
        size_t semicolon = frame.request.find(';', head.size());
        if (semicolon != std::string::npos && semicolon > head.size()) {
            std::string index = frame.request.substr(head.size(), semicolon - head.size());
            std::string value = frame.request.substr(semicolon + 1);
            emu->SetStanding(EMU_MATCH_EXACT, ("Dwz;u;" + index).c_str(), EmuText(value.c_str()));
        }
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        fputs(USAGE, stderr);
        return 2;
    }
    g_hQuit = CreateEventW(NULL, TRUE, FALSE, NULL);
    if (!g_hQuit) {
        fprintf(stderr, "QelPrinterEmu: cannot create an event, error %lu\n", GetLastError());
        return 1;
    }
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);

    CPrinterEmulator emu;
    LoadDefaultScript(emu);
    emu.SetFrameObserver(OnFrame, &emu);
    BOOL bStarted = options.bPipe ? emu.StartUsb(options.wProductId, NULL) : emu.StartTcp(options.szAddress, options.wPort);
    if (!bStarted) {
        fprintf(stderr, "QelPrinterEmu: cannot serve, error %lu\n", GetLastError());
        CloseHandle(g_hQuit);
        return 1;
    }
    if (options.bPipe)
        printf("QelPrinterEmu: serving USB %ls\n", emu.GetDevicePath());
    else
        printf("QelPrinterEmu: serving TCP %s:%u\n", emu.GetAddress(), emu.GetPort());
    fflush(stdout);

    const char* reason = "idle";
    ULONGLONG lastActivity = GetTickCount64();
    size_t frames = 0;
    DWORD connections = 0;
    for (;;) {
        if (WaitForSingleObject(g_hQuit, POLL_MS) == WAIT_OBJECT_0) {
            reason = "Ctrl-C";
            break;
        }
        if (!options.stopFile.empty() && GetFileAttributesW(options.stopFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
            reason = "stop file";
            break;
        }
        if (emu.GetFrameCount() != frames || emu.GetConnectionCount() != connections) {
            frames = emu.GetFrameCount();
            connections = emu.GetConnectionCount();
            lastActivity = GetTickCount64();
        } else if (GetTickCount64() - lastActivity >= options.dwIdleSeconds * 1000ULL) {
            break;
        }
    }
    emu.Stop();
    printf("QelPrinterEmu: stopped (%s) after %u frames on %lu connections\n", reason,
           static_cast<unsigned>(emu.GetFrameCount()), emu.GetConnectionCount());
    fflush(stdout);
    CloseHandle(g_hQuit);
    return 0;
}
