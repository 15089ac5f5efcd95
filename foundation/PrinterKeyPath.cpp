#include "PrinterKeyPath.h"

#include <cwchar>

const WCHAR PRINTERS_KEY[] = L"System\\CurrentControlSet\\Control\\Print\\Printers";
const WCHAR TCPIP_PORTS_KEY[] = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports";

BOOL BuildKeyPath(LPWSTR out, LPCWSTR base, LPCWSTR name, LPCWSTR tail, DWORD badNameError)
{
    out[0] = L'\0';
    if (!name || !name[0]) {
        SetLastError(badNameError);
        return FALSE;
    }
    int n = swprintf(out, PRINTER_KEY_PATH_ROOM, L"%ls\\%ls%ls", base, name, tail ? tail : L"");
    if (n < 0 || DWORD(n) >= PRINTER_KEY_PATH_ROOM) {
        out[0] = L'\0';
        SetLastError(badNameError);
        return FALSE;
    }
    return TRUE;
}
