#include "AsyncMessage.h"

#include <cwchar>

namespace {

// Appends pieces to a fixed room; once one does not fit, the text stays
// unfinished and Fits() says so.
class TextBuilder {
public:
    TextBuilder(LPWSTR out, DWORD cch) : m_out(out), m_cch(cch), m_length(0), m_fits(cch > 0)
    {
        if (m_fits)
            m_out[0] = L'\0';
    }
    void Append(LPCWSTR text)
    {
        size_t n = wcslen(text);
        if (!m_fits || n >= m_cch - m_length) {
            m_fits = false;
            return;
        }
        wmemcpy(m_out + m_length, text, n + 1);
        m_length += n;
    }
    void AppendNumber(LONG value)
    {
        WCHAR digits[16];
        swprintf(digits, 16, L"%ld", value);
        Append(digits);
    }
    bool Fits() const { return m_fits; }

private:
    LPWSTR m_out;
    size_t m_cch;
    size_t m_length;
    bool m_fits;
};

const WCHAR REQUEST_HEAD[] = L"<?xml version=\"1.0\"?>"
                             L"<asyncPrintUIRequest xmlns=\"http://schemas.microsoft.com/2003/print/asyncui/v1/request\">"
                             L"<v1><requestOpen>"
                             L"<customUI dll=\"QelAsyncClient.dll\" entrypoint=\"SendMessageToClient\" bidi=\"true\">"
                             L"<![CDATA[";
const WCHAR REQUEST_TAIL[] = L"]]></customUI></requestOpen></v1></asyncPrintUIRequest>";

void FormatReply(LPWSTR out, LRESULT returnValue, const HWND* statusDialog)
{
    TextBuilder text(out, ASYNC_REPLY_ROOM);
    text.Append(L"<![CDATA[<ReturnValue>");
    text.AppendNumber(ToWireNumber(static_cast<ULONG_PTR>(returnValue)));
    text.Append(L"</ReturnValue>");
    if (statusDialog) {
        text.Append(L"<StatusDialogHwnd>");
        text.AppendNumber(ToWireNumber(reinterpret_cast<ULONG_PTR>(*statusDialog)));
        text.Append(L"</StatusDialogHwnd>");
    }
    text.Append(L"]]>");
}

} // namespace

BOOL FormatAsyncMessageRequest(LPWSTR out, DWORD cchOut, HWND target, UINT message, WPARAM wParam, LPARAM lParam,
                               LPCWSTR lParamText)
{
    TextBuilder text(out, cchOut);
    text.Append(REQUEST_HEAD);
    text.Append(L"<hwndTarget>");
    text.AppendNumber(ToWireNumber(reinterpret_cast<ULONG_PTR>(target)));
    text.Append(L"</hwndTarget><uMsg>");
    text.AppendNumber(ToWireNumber(message));
    text.Append(L"</uMsg><wParam>");
    text.AppendNumber(lParamText ? 0 : ToWireNumber(wParam));
    text.Append(L"</wParam><lParam>");
    if (lParamText)
        text.Append(lParamText);
    else
        text.AppendNumber(ToWireNumber(static_cast<ULONG_PTR>(lParam)));
    text.Append(L"</lParam>");
    text.Append(REQUEST_TAIL);
    if (!text.Fits() && cchOut > 0)
        out[0] = L'\0';
    return text.Fits();
}

void FormatAsyncMessageReply(LPWSTR out, LRESULT returnValue)
{
    FormatReply(out, returnValue, nullptr);
}

void FormatAsyncStatusReply(LPWSTR out, LRESULT returnValue, HWND statusDialog)
{
    FormatReply(out, returnValue, &statusDialog);
}

LONG ReadTagNumber(LPCWSTR text, LPCWSTR tag, BOOL* found)
{
    LPCWSTR at = text ? wcsstr(text, tag) : nullptr;
    if (found)
        *found = at != nullptr;
    if (!at)
        return 0;
    // long is 32 bits on Windows: the conversion saturates at the limits.
    return wcstol(at + wcslen(tag), nullptr, 10);
}
