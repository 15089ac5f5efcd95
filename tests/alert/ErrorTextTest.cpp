#include "ErrorCodeTable.h"
#include "ErrorMessageText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AlertState.h"
#include "AlertTestSupport.h"
#include "Platform.h"
#include "ScratchFolder.h"

namespace {

const WCHAR kGuard = 0xA5A5;
const std::wstring kLongTranslation(600, L'x');

TEST(ErrorCodeTable, HoldsTheCodeRowsBetweenItsStartAndEndRows)
{
    EXPECT_EQ(0u, g_ErrorCodeTable[0].dwCode);
    EXPECT_EQ(ERROR_TABLE_END, g_ErrorCodeTable[ERROR_TABLE_CODE_ROWS + 1].dwCode);
    DWORD withText = 0;
    for (DWORD row = 1; row <= ERROR_TABLE_CODE_ROWS; ++row)
        withText += g_ErrorCodeTable[row].szText[0] != L'\0';
    EXPECT_EQ(56u, withText);
}

TEST(ErrorCodeTable, FindsTheFirstRowOfACodeAndNeverTheStartOrEndRow)
{
    const struct {
        DWORD code;
        DWORD row;
        LPCWSTR text;
    } cases[] = {
        {0x10001, 1, L"Firmware error"},
        {0x10005, 5, L""},
        {0x1001A, 26, L"Card jam (1A)"},
        {0x10046, 67, L"Ribbon out"},
        {0x100A5, 96, L"The printer memory is full."},
        {0x11011, 136, L"Ribbon is not matched setting."},
        {0, 0, L"untouched"},
        {0x100A6, 0, L"untouched"},
        {0x10020, 0, L"untouched"},
        {ERROR_TABLE_END, 0, L"untouched"},
    };
    for (const auto& c : cases) {
        LPCWSTR text = L"untouched";
        EXPECT_EQ(c.row, FindErrorCode(c.code, &text)) << std::hex << c.code;
        EXPECT_STREQ(c.text, text) << std::hex << c.code;
    }
}

// The message lookup in the alert's section of a language file of its own.
class ErrorMessage : public testing::Test {
protected:
    void SetUp() override
    {
        std::wstring path = m_folder.File(L"Qelptpt.lng");
        ASSERT_TRUE(ScratchFolder::Write(path, LanguageFileBytes(L"[QEL_ALERT_DIALOG]\n"
                                                                 L"Ribbon out=Fita esgotada\n"
                                                                 L"Error code=Código de erro\n"
                                                                 L"=Texto vazio\n"
                                                                 L"Card out=" +
                                                                 kLongTranslation + L"\n")));
        ASSERT_TRUE(g_Translater.SetLanguageFile(path.c_str()));
        ASSERT_TRUE(g_Translater.SetSection(ALERT_LANGUAGE_SECTION));
    }

    static std::wstring Message(DWORD code, DWORD cch = ERROR_MESSAGE_ROOM)
    {
        std::vector<WCHAR> out(cch + 4, kGuard);
        GetErrorMessageText(code, out.data(), cch);
        for (DWORD i = cch; i < cch + 4; ++i)
            EXPECT_EQ(kGuard, out[i]) << "guard " << i - cch;
        return out.data();
    }

    // The system's text, or the translated "Error code" form, as this system
    // words it.
    static std::wstring Unknown(DWORD code)
    {
        WCHAR text[ERROR_MESSAGE_ROOM];
        if (GetSystemErrorText(code, text, ERROR_MESSAGE_ROOM))
            return text;
        swprintf(text, ERROR_MESSAGE_ROOM, L"Código de erro = 0x%08X", static_cast<unsigned>(code));
        return text;
    }

    ScratchFolder m_folder{L"alert_text"};
};

TEST_F(ErrorMessage, GivesEachRowClassItsText)
{
    const struct {
        DWORD code;
        std::wstring expected;
    } cases[] = {
        {0x10046, L"Fita esgotada"},     // translated row
        {0x1001A, L"Card jam (1A)"},     // row without translation
        {0x10005, L""},                  // empty row: never looked up
        {0x1005F, kLongTranslation.substr(0, ERROR_MESSAGE_ROOM - 1)},
        {0x100A6, Unknown(0x100A6)},     // no row
        {ERROR_INVALID_PARAMETER, Unknown(ERROR_INVALID_PARAMETER)},
        {0, Unknown(0)},
        {ERROR_TABLE_END, Unknown(ERROR_TABLE_END)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, Message(c.code)) << std::hex << c.code;
    EXPECT_NE(std::wstring::npos, Unknown(0x100A6).find(L"0x000100A6"));
}

TEST_F(ErrorMessage, IsCutToTheRoom)
{
    const std::wstring full = L"Fita esgotada";
    const DWORD exact = static_cast<DWORD>(full.size() + 1);
    for (DWORD cch : {exact - 1, exact, exact + 1, DWORD(1)})
        EXPECT_EQ(full.substr(0, cch - 1), Message(0x10046, cch)) << cch;
}

} // namespace
