#include "AlertWindowTitle.h"
#include "StateInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const WCHAR kGuard = 0xA5A5;

// Formats into a room of cch characters followed by guards.
std::wstring Format(LPCWSTR printer, LPCWSTR port, DWORD cch = ALERT_TITLE_MAX + 1)
{
    std::vector<WCHAR> buffer(cch + 4, kGuard);
    FormatAlertWindowTitle(buffer.data(), cch, printer, port);
    for (DWORD i = cch; i < cch + 4; ++i)
        EXPECT_EQ(kGuard, buffer[i]) << "guard " << i - cch;
    return buffer.data();
}

TEST(AlertWindowTitle, JoinsPrinterAndPortWithBlanksAroundTheAt)
{
    EXPECT_EQ(L"Card Printer 1 @ USB001", Format(L"Card Printer 1", L"USB001"));
    EXPECT_EQ(L" @ ", Format(nullptr, nullptr));
    EXPECT_EQ(L"P @ ", Format(L"P", L""));
}

TEST(AlertWindowTitle, IsCutAt255UnitsWhateverTheNamesAndRoom)
{
    const std::wstring printer(255, L'p'), port(159, L'q');
    const struct {
        std::wstring printer, port;
        DWORD cch;
        std::wstring expected;
    } cases[] = {
        {printer, port, 256, printer},
        {printer, port, 1000, printer},
        {std::wstring(250, L'p'), L"USB001", 256, std::wstring(250, L'p') + L" @ US"},
        {std::wstring(252, L'p'), L"X", 256, std::wstring(252, L'p') + L" @ "},
        {L"Card", L"USB001", 7, L"Card @"},
        {L"Card", L"USB001", 14, L"Card @ USB001"},
        {L"Card", L"USB001", 15, L"Card @ USB001"},
        {L"Card", L"USB001", 13, L"Card @ USB00"},
        {L"Card", L"USB001", 1, L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, Format(c.printer.c_str(), c.port.c_str(), c.cch)) << c.cch;
}

TEST(AlertWindowTitle, TakesTheStateRecordsNamesWhole)
{
    StateInfo info{};
    std::wstring printer(STATE_PRINTER_ROOM - 1, L'p');
    printer.copy(info.szPrinterName, printer.size());
    wcscpy(info.szPortName, L"USB001");
    EXPECT_EQ(std::wstring(255, L'p'), Format(info.szPrinterName, info.szPortName));
}

} // namespace
