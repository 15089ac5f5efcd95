// The Base64 coder and the request and reply texts, as both libraries hold
// them.
#include "AsyncMessage.h"
#include "Base64Coder.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::string Encoded(const std::string& bytes)
{
    Base64Coder coder;
    coder.Encode(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    return std::string(coder.EncodedMessage(), coder.EncodedLength());
}

std::string Decoded(const std::string& text)
{
    Base64Coder coder;
    coder.Decode(text.data(), static_cast<DWORD>(text.size()));
    return std::string(reinterpret_cast<const char*>(coder.DecodedMessage()), coder.DecodedLength());
}

std::wstring Request(HWND target, UINT message, WPARAM wParam, LPARAM lParam, LPCWSTR lParamText)
{
    WCHAR out[ASYNC_REQUEST_ROOM];
    EXPECT_TRUE(FormatAsyncMessageRequest(out, ASYNC_REQUEST_ROOM, target, message, wParam, lParam, lParamText));
    return out;
}

const std::wstring HEAD = L"<?xml version=\"1.0\"?><asyncPrintUIRequest "
                          L"xmlns=\"http://schemas.microsoft.com/2003/print/asyncui/v1/request\"><v1><requestOpen>"
                          L"<customUI dll=\"QelAsyncClient.dll\" entrypoint=\"SendMessageToClient\" bidi=\"true\">"
                          L"<![CDATA[";
const std::wstring TAIL = L"]]></customUI></requestOpen></v1></asyncPrintUIRequest>";

TEST(Base64, EncodesAndDecodesTheStandardVectors)
{
    const struct {
        const char* bytes;
        const char* text;
    } vectors[] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},        {"foo", "Zm9v"},
                   {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
    for (const auto& v : vectors) {
        SCOPED_TRACE(v.bytes);
        EXPECT_EQ(v.text, Encoded(v.bytes));
        // Padding decodes to zero bytes behind the data: three per group.
        std::string expected = v.bytes;
        expected.resize((expected.size() + 2) / 3 * 3, '\0');
        EXPECT_EQ(expected, Decoded(v.text));
    }
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(all.substr(0, 255), Decoded(Encoded(all.substr(0, 255))));
}

TEST(Base64, DecodingIsLenient)
{
    std::string highBit = "Zm9vYmFy";
    for (char& c : highBit)
        c = static_cast<char>(c | 0x80);
    const struct {
        std::string text;
        std::string bytes;
    } cases[] = {
        {" Y\tW\r\nJ j\v\f\a", "abc"},                 // whitespace anywhere
        {highBit, "foobar"},                           // high bit set
        {"Zm9vYg\xBD\xBD", std::string("foob\0\0", 6)},  // padding with the high bit
        {"Zg=v", std::string("f\0/", 3)},              // "=" in the third place counts as 0
        {"=A==", std::string("\xFC\0\0", 3)},             // "=" in the first place joins as 0xFF
        {"Zm9", "fo@"},                                // a short last group joins all it has
        // Outside the alphabet: the table value 0xFE joins as it is.
        {"!!!!", "\xFB\xEF\xBE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.bytes, Decoded(c.text));
    }
    Base64Coder coder;
    coder.Decode(static_cast<const char*>(nullptr));
    EXPECT_EQ(0u, coder.DecodedLength());
}

TEST(AsyncRequest, CarriesTheMessageAsSignedDecimals)
{
    EXPECT_EQ(HEAD + L"<hwndTarget>1234</hwndTarget><uMsg>33128</uMsg><wParam>1000</wParam>"
                     L"<lParam>-1</lParam>" + TAIL,
              Request(reinterpret_cast<HWND>(1234), 0x8168, 1000, static_cast<LPARAM>(0xFFFFFFFFu), nullptr));
    // Only the low 32 bits travel, read signed.
    EXPECT_EQ(HEAD + L"<hwndTarget>-2147483648</hwndTarget><uMsg>-1</uMsg><wParam>5</wParam>"
                     L"<lParam>2147483647</lParam>" + TAIL,
              Request(reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x80000000u)), 0xFFFFFFFFu,
                      static_cast<WPARAM>(0x100000005ull), 0x7FFFFFFF, nullptr));
    // A record: its text in "<lParam>", wParam 0 whatever the caller gave.
    EXPECT_EQ(HEAD + L"<hwndTarget>0</hwndTarget><uMsg>74</uMsg><wParam>0</wParam>"
                     L"<lParam>Zm9v</lParam>" + TAIL,
              Request(nullptr, WM_COPYDATA, 77, 0, L"Zm9v"));
}

TEST(AsyncRequest, ThatDoesNotFitIsNotWritten)
{
    size_t length = Request(nullptr, 74, 0, 0, L"ab").size();
    WCHAR out[ASYNC_REQUEST_ROOM];
    for (size_t room : {length + 1, length, length - 1}) {
        SCOPED_TRACE(room);
        wmemset(out, L'#', ASYNC_REQUEST_ROOM);
        BOOL fits = FormatAsyncMessageRequest(out, static_cast<DWORD>(room), nullptr, 74, 0, 0, L"ab");
        EXPECT_EQ(room > length, fits != FALSE);
        EXPECT_EQ(fits ? length : 0, wcslen(out));
        EXPECT_EQ(L'#', out[room]);
    }
}

TEST(AsyncReply, Texts)
{
    WCHAR out[ASYNC_REPLY_ROOM];
    FormatAsyncMessageReply(out, -7);
    EXPECT_STREQ(L"<![CDATA[<ReturnValue>-7</ReturnValue>]]>", out);
    FormatAsyncStatusReply(out, 1, reinterpret_cast<HWND>(static_cast<LONG_PTR>(-2)));
    EXPECT_STREQ(L"<![CDATA[<ReturnValue>1</ReturnValue><StatusDialogHwnd>-2</StatusDialogHwnd>]]>", out);
    FormatAsyncStatusReply(out, 0, nullptr);
    EXPECT_STREQ(L"<![CDATA[<ReturnValue>0</ReturnValue><StatusDialogHwnd>0</StatusDialogHwnd>]]>", out);
}

TEST(AsyncReply, NumbersAreReadSaturated)
{
    const struct {
        LPCWSTR text;
        LONG value;
        BOOL found;
    } cases[] = {
        {L"<a>12</a><ReturnValue>  +7x", 7, TRUE},
        {L"<ReturnValue>-12<ReturnValue>5", -12, TRUE},
        {L"<ReturnValue>99999999999", LONG_MAX, TRUE},
        {L"<ReturnValue>-99999999999", LONG_MIN, TRUE},
        {L"<ReturnValue>x1", 0, TRUE},
        {L"<returnvalue>3", 0, FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        BOOL found = !c.found;
        EXPECT_EQ(c.value, ReadTagNumber(c.text, L"<ReturnValue>", &found));
        EXPECT_EQ(c.found, found);
    }
    EXPECT_EQ(0, ReadTagNumber(nullptr, L"<ReturnValue>"));
}

} // namespace
