// Building and freeing the sheet's data block.
#include "UiData.h"

#include "DevMode.h"
#include "DriverModule.h"
#include "LanguageFile.h"
#include "ModelFlags.h"
#include "Platform.h"
#include "PrinterInfo.h"
#include "TextCopy.h"

#include <cstring>
#include <new>

namespace {

// Room of the language file's path.
const DWORD LANGUAGE_PATH_ROOM = 512;

// A caller that passes a DEVMODE of driver version 0 asks for the working
// copy in its buffer. Only as many bytes as both records hold are written,
// and the caller's own sizes stay, so its DEVMODE never claims more than its
// buffer holds.
void FillCallerDevMode(const DEVMODEW* working, PDEVMODEW pdmIn)
{
    const WORD size = pdmIn->dmSize, extra = pdmIn->dmDriverExtra;
    DWORD count = static_cast<DWORD>(working->dmSize) + extra;
    if (count > static_cast<DWORD>(size) + extra)
        count = static_cast<DWORD>(size) + extra;
    if (count > DEVMODE_TOTAL_SIZE)
        count = DEVMODE_TOTAL_SIZE;
    memcpy(pdmIn, working, count);
    pdmIn->dmSize = size;
    pdmIn->dmDriverExtra = extra;
}

} // namespace

UiData* FillUiData(HANDLE printer, PDEVMODEW pdmIn, LPCWSTR printerName)
{
    UiData* ui = nullptr;
    DEVMODEW* working = nullptr;
    WCHAR languageFile[LANGUAGE_PATH_ROOM] = L"";
    const DWORD callerError = GetLastError();
    PRINTER_INFO_2W* info = GetPrinterInfo2ByHandleOrName(printer, printerName);
    if (!info) {
        DebugTrace(L"FillUiData(1), the printer's information is missing, error = %u,\n", GetLastError());
        return nullptr;
    }
    ui = new (std::nothrow) UiData();
    if (!ui) {
        delete[] reinterpret_cast<BYTE*>(info);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    ui->hModule = g_hModule;
    ui->hPrinter = printer;
    CopyTextCut(ui->szDriverName, UI_DRIVER_NAME_ROOM, info->pDriverName);
    CopyTextCut(ui->szPrinterName, UI_PRINTER_NAME_ROOM, info->pPrinterName);
    CopyTextCut(ui->szPortName, UI_PORT_NAME_ROOM, info->pPortName);
    ui->bOneSided = IsOneSidedDriver(ui->szDriverName);
    ui->bRewrite = IsRewriteDriver(ui->szDriverName);

    working = &ui->DevMode.dmPublic;
    SetDefaultDevMode(printer, working, ui->szPrinterName);
    MergeDevMode(printer, working, info->pDevMode);
    MergeDevMode(printer, working, pdmIn);
    if (pdmIn && pdmIn->dmDriverVersion == 0)
        FillCallerDevMode(working, pdmIn);
    delete[] reinterpret_cast<BYTE*>(info);

    GetLanguageFilePath(ui->DevMode.dmPrivate.wLanguage, languageFile, LANGUAGE_PATH_ROOM);
    ui->Translater.SetLanguageFile(languageFile);
    DebugTrace(L"FillUiData(2), %ls, driver = %ls, language file = %ls,\n", ui->szPrinterName, ui->szDriverName,
               languageFile);
    // A DEVMODE that could not be merged and a missing language file leave
    // the defaults and the English texts: the block is complete.
    SetLastError(callerError);
    return ui;
}

void FreeUiData(UiData* ui)
{
    delete ui;
}
