#include "ErrorMessageText.h"

#include "AlertState.h"
#include "ErrorCodeTable.h"
#include "ErrorText.h"
#include "Platform.h"
#include "TextCopy.h"

void GetErrorMessageText(DWORD code, LPWSTR out, DWORD cchOut)
{
    if (!out || cchOut == 0)
        return;
    LPCWSTR english = nullptr;
    DWORD row = FindErrorCode(code, &english);
    DebugTrace(L"GetErrorMessageText(1), dwCode = 0x%08X, nRow = %d,\n", code, row);
    if (row != 0) {
        // A row without text is shown empty: an empty key is never looked up.
        CopyTextCut(out, cchOut, english[0] ? g_Translater.Translate(english) : L"");
        return;
    }
    FormatErrorText(code, g_Translater.Translate(L"Error code"), out, cchOut);
}
