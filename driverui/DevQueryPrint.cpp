// DevQueryPrintEx: whether a job's DEVMODE can be printed. Every DEVMODE that
// can be merged prints; the reason of a refusal goes into the record.
#include "DevMode.h"

#include "DriverUi.h"
#include "Platform.h"
#include "TextCopy.h"

#include <cwchar>
#include <new>

namespace {

// Room of the system's error text.
const DWORD ERROR_TEXT_ROOM = 1024;

// The error's text, cut to the record's room; cchNeeded is always the whole
// text's size.
void WriteErrorText(PDEVQUERYPRINT_INFO info, DWORD code)
{
    WCHAR text[ERROR_TEXT_ROOM] = L"";
    GetSystemErrorText(code, text, ERROR_TEXT_ROOM);
    const size_t length = wcslen(text);
    info->cchNeeded = static_cast<DWORD>(length + 1);
    if (info->pszErrorStr && info->cchErrorStr > 0)
        CopyTextCut(info->pszErrorStr, info->cchErrorStr, text);
}

} // namespace

extern "C" BOOL WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO pDQPInfo)
{
    DWORD code = ERROR_INVALID_PARAMETER;
    if (!pDQPInfo) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (pDQPInfo->pDevMode) {
        DEVMODEW* check = reinterpret_cast<DEVMODEW*>(new (std::nothrow) BYTE[DEVMODE_TOTAL_SIZE]);
        if (check) {
            SetDefaultDevMode(pDQPInfo->hPrinter, check, nullptr);
            BOOL merged = MergeDevMode(pDQPInfo->hPrinter, check, pDQPInfo->pDevMode);
            delete[] reinterpret_cast<BYTE*>(check);
            DebugTrace(L"DevQueryPrintEx(), merged = %d,\n", merged);
            return merged;
        }
        code = ERROR_NOT_ENOUGH_MEMORY;
    }
    WriteErrorText(pDQPInfo, code);
    DebugTrace(L"DevQueryPrintEx(), error = %u,\n", code);
    SetLastError(code);
    return FALSE;
}
