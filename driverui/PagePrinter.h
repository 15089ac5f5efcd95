// CPagePrinter: one printer action of a page or dialog. It opens a link by
// the printer's name, puts a command object on it, and releases both, the
// link first, when the action ends, so that a page shows nothing while it
// holds the printer.
#pragma once

#include <windows.h>

class CUsbLink;
class CQelCmd;

// Room in bytes of each text the printer fills for a page (printer
// information items and the ribbon's text), terminator included.
const DWORD PRINTER_TEXT_ROOM = 64;

class CPagePrinter {
public:
    CPagePrinter();
    ~CPagePrinter();
    CPagePrinter(const CPagePrinter&) = delete;
    CPagePrinter& operator=(const CPagePrinter&) = delete;

    // Opens the link by the printer's name: 0, or the link's result with the
    // link released at once.
    DWORD Open(LPCWSTR printerName);
    // One exchange without data: 0, the exchange's failure (6 before Open),
    // or the printer's rejection of the command (ERR_FW_*).
    DWORD Command(LPCSTR command, LPCSTR p1 = nullptr, LPCSTR p2 = nullptr, LPCSTR p3 = nullptr);
    // The number of the last reply (CQelCmd::GetResponseNumber).
    DWORD GetReplyNumber(int* value) const;
    // The command object's queries; each text has PRINTER_TEXT_ROOM bytes.
    DWORD GetPrinterInfoText(int n, LPSTR text);
    DWORD GetRibbonInfo(BYTE* type, int* remainCount, int* originCount, LPSTR text);
    // Deletes the link and then the command object.
    void Release();

private:
    CUsbLink* m_pLink;
    CQelCmd* m_pCmd;
};
