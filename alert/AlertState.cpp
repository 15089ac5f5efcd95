#include "AlertState.h"

#include "Platform.h"

StateInfo g_StateInfo0;
StateInfo g_ShowMsgStateInfo;
CTranslater g_Translater;
HINSTANCE g_hInstance;

namespace {

template <size_t N>
void Terminate(WCHAR (&text)[N])
{
    text[N - 1] = L'\0';
}

} // namespace

BOOL StoreStateInfo(const COPYDATASTRUCT* record)
{
    if (!record || record->dwData != CDS_STATE_INFO)
        return FALSE;
    DWORD size = record->cbData < sizeof(StateInfo) ? record->cbData : static_cast<DWORD>(sizeof(StateInfo));
    DebugTrace(L"StoreStateInfo(1), cbData = %d, lpData = %p,\n", record->cbData, record->lpData);
    if (size == 0 || !record->lpData)
        return FALSE;
    CopyMemory(&g_StateInfo0, record->lpData, size);
    return TRUE;
}

void TakeShowMsgStateInfo(DWORD code)
{
    g_ShowMsgStateInfo = g_StateInfo0;
    g_ShowMsgStateInfo.dwErrCode = code;
    Terminate(g_ShowMsgStateInfo.szPrinterName);
    Terminate(g_ShowMsgStateInfo.szPortName);
    Terminate(g_ShowMsgStateInfo.szSymbolicLink);
    Terminate(g_ShowMsgStateInfo.szExtParam);
}
