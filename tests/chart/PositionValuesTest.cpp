#include "PositionValues.h"

#include <gtest/gtest.h>

namespace {

const DWORD MARKER = 0xDEADBEEF;

TEST(PositionRange, HoldsMinus15To15)
{
    EXPECT_TRUE(IsPositionInRange(-15));
    EXPECT_TRUE(IsPositionInRange(0));
    EXPECT_TRUE(IsPositionInRange(15));
    EXPECT_FALSE(IsPositionInRange(-16));
    EXPECT_FALSE(IsPositionInRange(16));
    EXPECT_EQ(-15, ClampPosition(-16));
    EXPECT_EQ(-15, ClampPosition(INT_MIN));
    EXPECT_EQ(15, ClampPosition(16));
    EXPECT_EQ(15, ClampPosition(INT_MAX));
    EXPECT_EQ(-3, ClampPosition(-3));
}

TEST(DialogInteger, ReadsSignedDecimalText)
{
    const struct {
        LPCWSTR text;
        int value;
    } good[] = {{L"0", 0}, {L"-15", -15}, {L"15", 15}, {L"+7", 7}, {L" -4 ", -4}, {L"\t3", 3},
                {L"2147483647", INT_MAX}, {L"-2147483648", INT_MIN}, {L"007", 7}};
    for (const auto& c : good) {
        SCOPED_TRACE(testing::Message() << "text " << static_cast<const void*>(c.text));
        int value = 99;
        SetLastError(MARKER);
        EXPECT_TRUE(ParseDialogInteger(c.text, &value));
        EXPECT_EQ(c.value, value);
        EXPECT_EQ(MARKER, GetLastError());
    }
}

TEST(DialogInteger, RefusesOtherTextAndLeavesTheValue)
{
    LPCWSTR bad[] = {L"", L" ", L"-", L"+", L"x", L"1x", L"1 2", L"--1", L"2147483648", L"-2147483649",
                     L"99999999999999999999"};
    for (LPCWSTR text : bad) {
        int value = 99;
        SetLastError(MARKER);
        EXPECT_FALSE(ParseDialogInteger(text, &value));
        EXPECT_EQ(99, value);
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), GetLastError());
    }
    int value = 99;
    SetLastError(MARKER);
    EXPECT_FALSE(ParseDialogInteger(nullptr, &value));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(ParseDialogInteger(L"1", nullptr));
    EXPECT_EQ(99, value);
}

// L = 3, T = 14: two steps up of L take T to 15 and keep it there; one step
// down takes it back to 14.
TEST(CouplingOfTToL, FollowsLAndStopsAtTheRangeEnds)
{
    int oldL = 3, t = 14;
    CoupleTToL(4, &oldL, &t);
    EXPECT_EQ(4, oldL);
    EXPECT_EQ(15, t);
    CoupleTToL(5, &oldL, &t);
    EXPECT_EQ(5, oldL);
    EXPECT_EQ(15, t);
    CoupleTToL(4, &oldL, &t);
    EXPECT_EQ(4, oldL);
    EXPECT_EQ(14, t);
}

TEST(CouplingOfTToL, StopsAtTheLowerEndToo)
{
    int oldL = -13, t = -14;
    CoupleTToL(-14, &oldL, &t);
    EXPECT_EQ(-15, t);
    CoupleTToL(-15, &oldL, &t);
    EXPECT_EQ(-15, t);
    EXPECT_EQ(-15, oldL);
    CoupleTToL(-14, &oldL, &t);
    EXPECT_EQ(-14, t);
}

TEST(CouplingOfTToL, AnUnchangedLMovesNothing)
{
    int oldL = 2, t = -7;
    CoupleTToL(2, &oldL, &t);
    EXPECT_EQ(2, oldL);
    EXPECT_EQ(-7, t);
}

TEST(CouplingOfTToL, ExtremeEditValuesDoNotOverflow)
{
    int oldL = INT_MIN, t = INT_MAX;
    CoupleTToL(INT_MAX, &oldL, &t);
    EXPECT_EQ(INT_MAX, oldL);
    EXPECT_EQ(15, t);
    CoupleTToL(INT_MIN, &oldL, &t);
    EXPECT_EQ(-15, t);
}

} // namespace
