#include "PagePrinter.h"

#include "Platform.h"
#include "QelCmd.h"

#include <new>

static_assert(PRINTER_TEXT_ROOM == QEL_INFO_TEXT_SIZE && PRINTER_TEXT_ROOM >= QEL_RIBBON_TEXT_SIZE,
              "the command object fills at most the page's room");

CPagePrinter::CPagePrinter() : m_pLink(nullptr), m_pCmd(nullptr)
{
}

CPagePrinter::~CPagePrinter()
{
    Release();
}

DWORD CPagePrinter::Open(LPCWSTR printerName)
{
    Release();
    m_pLink = new (std::nothrow) CUsbLink();
    if (!m_pLink)
        return ERROR_NOT_ENOUGH_MEMORY;
    DWORD result = m_pLink->OpenByName(printerName);
    DebugTrace(L"CPagePrinter::Open(), %ls, OpenByName() return %d,\n", printerName, result);
    if (result == ERROR_SUCCESS) {
        m_pCmd = new (std::nothrow) CQelCmd();
        if (!m_pCmd)
            result = ERROR_NOT_ENOUGH_MEMORY;
        else
            m_pCmd->m_pUsbLink = m_pLink;
    }
    if (result != ERROR_SUCCESS)
        Release();
    return result;
}

DWORD CPagePrinter::Command(LPCSTR command, LPCSTR p1, LPCSTR p2, LPCSTR p3)
{
    if (!m_pCmd)
        return ERROR_INVALID_HANDLE;
    DWORD result = m_pCmd->DoCommand(command, p1, p2, p3);
    return result != ERROR_SUCCESS ? result : m_pCmd->GetResponseRejection();
}

DWORD CPagePrinter::GetReplyNumber(int* value) const
{
    return m_pCmd ? m_pCmd->GetResponseNumber(value) : ERROR_INVALID_HANDLE;
}

DWORD CPagePrinter::GetPrinterInfoText(int n, LPSTR text)
{
    return m_pCmd ? m_pCmd->GetPrinterInfoText(n, text) : ERROR_INVALID_HANDLE;
}

DWORD CPagePrinter::GetRibbonInfo(BYTE* type, int* remainCount, int* originCount, LPSTR text)
{
    return m_pCmd ? m_pCmd->GetRibbonInfo(type, remainCount, originCount, text) : ERROR_INVALID_HANDLE;
}

void CPagePrinter::Release()
{
    delete m_pLink;
    m_pLink = nullptr;
    delete m_pCmd;
    m_pCmd = nullptr;
}
