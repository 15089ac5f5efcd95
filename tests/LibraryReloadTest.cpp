// Each deliverable library loaded, called and freed again and again in one
// process, as its hosts do: the print-UI host loads QelAsyncClient for each
// request, print dialogs load QelUI for each question, and the spooler and
// the colour library's caller load theirs anew. A round that keeps a TLS slot
// of the process kills the host after about a thousand rounds.
#include "AsyncMessage.h"
#include "DriverUi.h"
#include "ModuleExport.h"
#include "MonitorSpooler.h"
#include "QelColor.h"

#include <gtest/gtest.h>

namespace {

const int ROUNDS = 2000;

// A library beside the test program (the first folder a load searches),
// freed at the end of the round.
class CLibrary {
public:
    explicit CLibrary(LPCWSTR name) : m_module(LoadLibraryW(name)) {}
    ~CLibrary()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    CLibrary(const CLibrary&) = delete;
    CLibrary& operator=(const CLibrary&) = delete;

    template <typename Fn> Fn Export(const char* name) const { return ModuleExport<Fn>(m_module, name); }

private:
    HMODULE m_module;
};

// A window of the test's own thread with a text whose length a request asks.
HWND g_window;
const WCHAR WINDOW_TEXT[] = L"reload";

bool AsyncClientRound()
{
    CLibrary library(L"QelAsyncClient.dll");
    auto receive = library.Export<LPWSTR(WINAPI*)(LPCWSTR)>("SendMessageToClient");
    WCHAR request[ASYNC_REQUEST_ROOM], expected[ASYNC_REPLY_ROOM];
    FormatAsyncMessageRequest(request, ASYNC_REQUEST_ROOM, g_window, WM_GETTEXTLENGTH, 0, 0, nullptr);
    FormatAsyncMessageReply(expected, wcslen(WINDOW_TEXT));
    LPWSTR reply = receive ? receive(request) : nullptr;
    return reply && wcscmp(reply, expected) == 0;
}

bool AsyncServerRound()
{
    CLibrary library(L"QelAsyncServer.dll");
    auto send = library.Export<int(WINAPI*)(LPCWSTR, LPCWSTR, HWND, UINT, WPARAM, LPARAM)>(
        "SendMessageToCustomAsyncUI");
    // A record without its structure is refused before any channel opens.
    return send && send(L"Card Printer", L"Vornex T42", nullptr, WM_COPYDATA, 0, 0) == 0;
}

bool MonitorRound()
{
    static CFakePortMonitor below;
    below.Reset();
    CMonitorSpooler spooler;
    HANDLE port = nullptr;
    bool ok = spooler.Start() && spooler.Open(below, L"USB001", L"Card Printer", &port) &&
              spooler.Table()->pfnClosePort(port);
    spooler.Shutdown();
    return ok;
}

bool DriverUiRound()
{
    CLibrary library(L"QelUI.dll");
    auto sheets = library.Export<PFNPROPSHEETUI_ENTRY>("DrvDocumentPropertySheets");
    WCHAR printer[] = L"Card Printer";
    DOCUMENTPROPERTYHEADER header = {sizeof(header), 0, nullptr, printer, nullptr, nullptr, 0, 0};
    // The driver's DEVMODE: the public part and the private part.
    return sheets && sheets(nullptr, reinterpret_cast<LPARAM>(&header)) == 1244;
}

bool ColourRound()
{
    CLibrary library(L"QelColor.dll");
    auto create = library.Export<decltype(&CreatZbColorFlow_o)>("CreatZbColorFlow_o");
    auto release = library.Export<decltype(&ReleaseZbColorFlow_o)>("ReleaseZbColorFlow_o");
    CColorFlow* flow = create && release ? create() : nullptr;
    return flow && release(&flow);
}

class LibraryReload : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The system libraries the deliverables import stay loaded, as they
        // do in their hosts.
        for (LPCWSTR name : {L"winspool.drv", L"comdlg32.dll", L"setupapi.dll", L"shell32.dll", L"ws2_32.dll"})
            LoadLibraryW(name);
        g_window = CreateWindowExW(0, L"STATIC", WINDOW_TEXT, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    }
    static void TearDownTestSuite() { DestroyWindow(g_window); }
};

TEST_F(LibraryReload, EveryLibraryOutlivesItsRoundsInOneProcess)
{
    ASSERT_TRUE(g_window);
    const struct {
        const char* library;
        bool (*round)();
    } rows[] = {
        {"QelAsyncClient.dll", AsyncClientRound}, {"QelAsyncServer.dll", AsyncServerRound},
        {"QelMon.dll", MonitorRound},             {"QelUI.dll", DriverUiRound},
        {"QelColor.dll", ColourRound},
    };
    for (const auto& row : rows) {
        int round = 0;
        while (round < ROUNDS && row.round())
            ++round;
        EXPECT_EQ(ROUNDS, round) << row.library;
    }
}

} // namespace
