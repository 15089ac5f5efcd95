#include "CalibrateCmdLineInfo.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const DWORD MARKER = 0xDEADBEEF;

TEST(CalibrateCmdLine, ToolPageLineGivesPrinterAndLanguage)
{
    CCalibrateCmdLineInfo info;
    SetLastError(MARKER);
    ASSERT_TRUE(info.ParseCommandLine(L"QelChart.exe -n\"Card Printer 1\"  -L3"));
    EXPECT_EQ(MARKER, GetLastError());
    EXPECT_EQ(L"Card Printer 1", info.m_strPrinter);
    EXPECT_EQ(3u, info.m_nLanguage);
}

TEST(CalibrateCmdLine, NoArgumentsLeaveTheDefaults)
{
    CCalibrateCmdLineInfo info;
    EXPECT_EQ(0u, info.m_nLanguage);
    EXPECT_TRUE(info.m_strPrinter.empty());
    ASSERT_TRUE(info.ParseCommandLine(L"\"C:\\Program Files\\QelChart.exe\""));
    EXPECT_EQ(0u, info.m_nLanguage);
    EXPECT_TRUE(info.m_strPrinter.empty());
    ASSERT_TRUE(info.ParseCommandLine(L""));
    EXPECT_TRUE(info.m_strPrinter.empty());
}

TEST(CalibrateCmdLine, NullLineIsRefused)
{
    CCalibrateCmdLineInfo info;
    SetLastError(MARKER);
    EXPECT_FALSE(info.ParseCommandLine(nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST(CalibrateCmdLine, FlagsTakeEitherCaseAndEitherLeadIn)
{
    CCalibrateCmdLineInfo info;
    ASSERT_TRUE(info.ParseCommandLine(L"QelChart.exe /NOffice /l2"));
    EXPECT_EQ(L"Office", info.m_strPrinter);
    EXPECT_EQ(2u, info.m_nLanguage);
}

TEST(CalibrateCmdLine, ArgumentsThatAreNoFlagsAreLeftAlone)
{
    CCalibrateCmdLineInfo info;
    ASSERT_TRUE(info.ParseCommandLine(L"QelChart.exe nPrinter L5 -x -"));
    EXPECT_TRUE(info.m_strPrinter.empty());
    EXPECT_EQ(0u, info.m_nLanguage);
}

TEST(CalibrateCmdLine, LaterFlagsReplaceEarlierOnes)
{
    CCalibrateCmdLineInfo info;
    ASSERT_TRUE(info.ParseCommandLine(L"QelChart.exe -nFirst -L4 -nSecond -L12"));
    EXPECT_EQ(L"Second", info.m_strPrinter);
    EXPECT_EQ(12u, info.m_nLanguage);
}

TEST(CalibrateCmdLine, LongPrinterNameIsKeptWhole)
{
    std::wstring name(300, L'p');
    CCalibrateCmdLineInfo info;
    ASSERT_TRUE(info.ParseCommandLine((L"QelChart.exe -n\"" + name + L"\"").c_str()));
    EXPECT_EQ(name, info.m_strPrinter);
}

TEST(CalibrateCmdLine, ParamTakesFlagsOnly)
{
    CCalibrateCmdLineInfo info;
    info.ParseParam(L"nPrinter", FALSE, TRUE);
    info.ParseParam(L"L7", FALSE, TRUE);
    EXPECT_TRUE(info.m_strPrinter.empty());
    EXPECT_EQ(0u, info.m_nLanguage);
    info.ParseParam(L"n", TRUE, FALSE);
    EXPECT_TRUE(info.m_strPrinter.empty());
    info.ParseParam(L"L7", TRUE, TRUE);
    EXPECT_EQ(7u, info.m_nLanguage);
    info.ParseParam(nullptr, TRUE, TRUE);
    EXPECT_EQ(7u, info.m_nLanguage);
}

TEST(LanguageNumber, IsTheLeadingDecimalNumber)
{
    EXPECT_EQ(3u, ParseLanguageNumber(L"3"));
    EXPECT_EQ(12u, ParseLanguageNumber(L"12"));
    EXPECT_EQ(4u, ParseLanguageNumber(L"4x"));
    EXPECT_EQ(0u, ParseLanguageNumber(L""));
    EXPECT_EQ(0u, ParseLanguageNumber(L"x4"));
    EXPECT_EQ(0u, ParseLanguageNumber(L"-1"));
    EXPECT_EQ(0u, ParseLanguageNumber(nullptr));
    EXPECT_EQ(4294967295u, ParseLanguageNumber(L"4294967295"));
    EXPECT_EQ(0u, ParseLanguageNumber(L"4294967296"));
    EXPECT_EQ(0u, ParseLanguageNumber(L"99999999999999999999999"));
}

} // namespace
