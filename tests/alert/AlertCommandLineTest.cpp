#include "AlertCommandLine.h"

#include <gtest/gtest.h>

#include <string>

#include "AlertTestSupport.h"

namespace {

struct LineCase {
    std::wstring line;
    std::wstring printer, port, extra;
    BOOL remove;
};

TEST(AlertCommandLine, TakesEachFlagsValueAndOnlyAStandingMinusU)
{
    const std::wstring p300(300, L'p'), q200(200, L'q'), e20(20, L'e');
    const LineCase cases[] = {
        {L"-n \"Card Printer 1\" -p \"USB001\" -e \"x1\"", L"Card Printer 1", L"USB001", L"x1", FALSE},
        {L"-U", L"", L"", L"", TRUE},
        {L"-p \"USB001\" -U", L"", L"USB001", L"", TRUE},
        // A value is never a flag: a printer named -U wipes nothing.
        {L"-n -U -p P", L"-U", L"P", L"", FALSE},
        {L"-n \"-U\" -p \"P\" -e \"-U\"", L"-U", L"P", L"-U", FALSE},
        {L"-e -U -U", L"", L"", L"-U", TRUE},
        // A flag at the end has no value.
        {L"-p P -n", L"", L"P", L"", FALSE},
        // Flags are compared with their case; later values win.
        {L"-N A -u -n B -n C", L"C", L"", L"", FALSE},
        {L"", L"", L"", L"", FALSE},
        // Values are cut to their rooms: 255, 159 and 15 units.
        {L"-n " + p300 + L" -p " + q200 + L" -e " + e20, p300.substr(0, 255), q200.substr(0, 159), e20.substr(0, 15),
         FALSE},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "line: " << std::string(c.line.begin(), c.line.end()));
        AlertCommandLine args;
        memset(&args, 0x5A, sizeof(args));
        SetLastError(ALERT_TEST_MARKER);
        ASSERT_TRUE(ParseCommandLine(c.line.c_str(), &args));
        EXPECT_EQ(ALERT_TEST_MARKER, GetLastError());
        EXPECT_EQ(c.printer, args.szPrinterName);
        EXPECT_EQ(c.port, args.szPortName);
        EXPECT_EQ(c.extra, args.szExtParam);
        EXPECT_EQ(c.remove, args.bRemoveDevices);
    }
}

TEST(AlertCommandLine, RefusesMissingArguments)
{
    AlertCommandLine args;
    memset(&args, 0x5A, sizeof(args));
    SetLastError(ALERT_TEST_MARKER);
    EXPECT_FALSE(ParseCommandLine(nullptr, &args));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_STREQ(L"", args.szPrinterName);
    EXPECT_FALSE(args.bRemoveDevices);
    SetLastError(ALERT_TEST_MARKER);
    EXPECT_FALSE(ParseCommandLine(L"-U", nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

} // namespace
