#include "JobStatus.h"

#include "Platform.h"
#include "TextCopy.h"
#include "Utilities.h"

SpoolerCalls g_SpoolerCalls = {OpenPrinterW, SetPrinterW, GetJobW, SetJobW, ClosePrinter};

DWORD PrinterStatusOfCode(DWORD code)
{
    switch (code) {
    case 0:
    case JOB_CODE_CLEAR:
        return 0;
    case JOB_CODE_PAPER_OUT:
        return PRINTER_STATUS_PAPER_OUT;
    case JOB_CODE_PAPER_JAM:
        return PRINTER_STATUS_PAPER_JAM;
    case JOB_CODE_DOOR_OPEN:
    case JOB_CODE_DOOR_OPEN_2:
        return PRINTER_STATUS_DOOR_OPEN;
    default:
        return PRINTER_STATUS_USER_INTERVENTION;
    }
}

DWORD SetJobStatusString(HANDLE printer, LPCWSTR printerName, DWORD jobId, DWORD code, LPCWSTR statusText)
{
    if (GetOSVersionCode() == OSV_WIN98)
        return ERROR_SUCCESS;

    DWORD result = ERROR_SUCCESS;
    BOOL opened = FALSE;
    if (!printer || printer == INVALID_HANDLE_VALUE) {
        WCHAR name[PRINTER_NAME_ROOM];
        if (!printerName || !printerName[0]) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return ERROR_INVALID_PARAMETER;
        }
        if (!CopyTextFits(name, PRINTER_NAME_ROOM, printerName)) {
            SetLastError(ERROR_INVALID_PRINTER_NAME);
            return ERROR_INVALID_PRINTER_NAME;
        }
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        printer = nullptr;
        if (!g_SpoolerCalls.pfnOpenPrinter(name, &printer, &defaults) || !printer) {
            result = GetLastError();
            DebugTrace(L"SetJobStatusString(1), OpenPrinter(%ls) failed, error = %d,\n", name, result);
            SetLastError(result);
            return result;
        }
        opened = TRUE;
    }

    DWORD status = PrinterStatusOfCode(code);
    // The status travels in the pointer argument itself.
    if (!g_SpoolerCalls.pfnSetPrinter(printer, 0, reinterpret_cast<LPBYTE>(static_cast<ULONG_PTR>(status)),
                                      PRINTER_CONTROL_SET_STATUS)) {
        result = GetLastError();
        DebugTrace(L"SetJobStatusString(2), SetPrinter(0x%X) failed, error = %d,\n", status, result);
    }

    // Aligned for the record's pointers.
    ULONG_PTR record[JOB_INFO_ROOM / sizeof(ULONG_PTR)];
    DWORD needed = 0;
    if (g_SpoolerCalls.pfnGetJob(printer, jobId, 1, reinterpret_cast<LPBYTE>(record), JOB_INFO_ROOM, &needed)) {
        JOB_INFO_1W* job = reinterpret_cast<JOB_INFO_1W*>(record);
        if (code == JOB_CODE_CLEAR) {
            job->pStatus = nullptr;
            job->Status = 0;
        } else {
            job->pStatus = const_cast<LPWSTR>(statusText ? statusText : L"");
            job->Status = code == 0 ? 0 : JOB_STATUS_ERROR;
        }
        if (!g_SpoolerCalls.pfnSetJob(printer, jobId, 1, reinterpret_cast<LPBYTE>(record), 0)) {
            result = GetLastError();
            DebugTrace(L"SetJobStatusString(3), SetJob(%d) failed, error = %d,\n", jobId, result);
        }
    } else {
        result = GetLastError();
        DebugTrace(L"SetJobStatusString(4), GetJob(%d) failed, error = %d, cbNeeded = %d,\n", jobId, result, needed);
    }

    if (opened)
        g_SpoolerCalls.pfnClosePrinter(printer);
    SetLastError(result);
    return result;
}
