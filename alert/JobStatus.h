// Sets or clears a printer's status and a job's status text and error flag
// through the spooler.
#pragma once

#include <windows.h>
#include <winspool.h>

// Codes of SetJobStatusString with a fixed meaning.
constexpr DWORD JOB_CODE_CLEAR = 0x800;      // clears the status, text and error flag
constexpr DWORD JOB_CODE_PAPER_OUT = 0x8000;
constexpr DWORD JOB_CODE_PAPER_JAM = 0x30000;
constexpr DWORD JOB_CODE_DOOR_OPEN = 0x50001;
constexpr DWORD JOB_CODE_DOOR_OPEN_2 = 0x50101;

// The largest job record read and written back.
constexpr DWORD JOB_INFO_ROOM = 2048;

// The spooler calls the job status makes, in one table so that a test can
// stand in for a spooler the test machine lacks.
struct SpoolerCalls {
    BOOL(WINAPI* pfnOpenPrinter)(LPWSTR, LPHANDLE, LPPRINTER_DEFAULTSW);
    BOOL(WINAPI* pfnSetPrinter)(HANDLE, DWORD, LPBYTE, DWORD);
    BOOL(WINAPI* pfnGetJob)(HANDLE, DWORD, DWORD, LPBYTE, DWORD, LPDWORD);
    BOOL(WINAPI* pfnSetJob)(HANDLE, DWORD, DWORD, LPBYTE, DWORD);
    BOOL(WINAPI* pfnClosePrinter)(HANDLE);
};

// The winspool functions, unless a test replaced them.
extern SpoolerCalls g_SpoolerCalls;

// The printer status a code sets.
DWORD PrinterStatusOfCode(DWORD code);

// Sets the printer's status by code, then the job's pStatus and Status:
// 0x800 clears both, 0 sets statusText (NULL counts as "") with no error,
// any other code sets statusText and JOB_STATUS_ERROR. printer NULL or
// INVALID_HANDLE_VALUE: the printer is opened by printerName for this call.
// Gives ERROR_SUCCESS when every call succeeded, else the error of the last
// call that failed (also the last error); ERROR_INVALID_PARAMETER for no
// handle and no name, ERROR_INVALID_PRINTER_NAME for a name longer than
// 255 units, and the open's error when the printer does not open.
DWORD SetJobStatusString(HANDLE printer, LPCWSTR printerName, DWORD jobId, DWORD code, LPCWSTR statusText);
