// QelToolPageDemo: installs a card printer with QelUI as its driver's
// interface library on a Standard TCP/IP port of the emulated printer, opens
// its printing-preferences sheet through QelUI.dll's entry point in the
// sheet host double, and prints what the pages ask the printer and show:
// the ribbon the Print Option page detects, and the firmware version, serial
// number and ribbon state on the Tool page.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "DemoPrinter.h"
#include "PrintOptionResource.h"
#include "PrintableText.h"
#include "SheetHost.h"
#include "ToolResource.h"

namespace {

const int TOOL_PAGE = 5;

void PrintFrames(CPrinterEmulator& emu)
{
    emu.WaitForIdle(5000);
    for (const EmuFrame& frame : emu.GetRequests())
        printf("  host -> printer  %-14s printer -> host  %s\n", PrintableBytes(frame.raw).c_str(),
               PrintableBytes(frame.reply).c_str());
    emu.ClearFrames();
}

std::wstring Text(HWND page, int id)
{
    WCHAR text[256] = L"";
    GetDlgItemTextW(page, id, text, 256);
    return text;
}

void PrintField(HWND page, int label, int value)
{
    printf("  %-18s %s\n", Utf8Text(Text(page, label)).c_str(), Utf8Text(Text(page, value)).c_str());
}

int Fail(const char* what)
{
    return FailDemo("QelToolPageDemo", what);
}

} // namespace

int wmain()
{
    CDemoPrinter demo;
    if (const char* failure = demo.Start(L"IP_ToolDemo", L"T42"))
        return Fail(failure);
    CPrinterEmulator& emu = demo.Emu();
    CInstalledPrinter& printer = demo.Printer();
    emu.Reply("Ds;2", "YMCKOK");
    emu.Reply("Ds;3", "182;250");
    emu.Reply("Ds;1", "EU-2");
    emu.Reply("Dxh", "T42-MB");
    emu.Reply("Dgb", "V2.03.11");
    emu.Reply("Dxl;p", "QT42A0001234");
    QelUiModule ui;
    if (!ui.ok())
        return Fail("QelUI.dll did not load");
    printf("The printing-preferences sheet of \"%s\" (driver \"%s\") on the Standard TCP/IP port %s:%u\n",
           Utf8Text(printer.Name()).c_str(), Utf8Text(printer.DriverName()).c_str(), emu.GetAddress(), emu.GetPort());

    DOCUMENTPROPERTYHEADER header = {sizeof(header), 0, printer.Handle(), printer.NameText(), nullptr, nullptr, 0, 0};
    CSheetHost host(ui.documentSheets, reinterpret_cast<LPARAM>(&header));
    if (host.Init() != 1 || !host.CreateSheet())
        return Fail("QelUI.dll gave no sheet");
    HWND option = host.ShowPage(0);
    printf("the Print Option page, once shown, detects the ribbon:\n");
    PrintFrames(emu);
    WCHAR ribbon[64] = L"";
    SendDlgItemMessageW(option, IDC_RIBBON, CB_GETLBTEXT,
                        SendDlgItemMessageW(option, IDC_RIBBON, CB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(ribbon));
    printf("  Ribbon Type:       %s, and \"Print back side\" is %s\n", Utf8Text(ribbon).c_str(),
           IsDlgButtonChecked(option, IDC_BACK_PRINT) == BST_CHECKED ? "on" : "off");

    HWND tool = host.ShowPage(TOOL_PAGE);
    if (!tool)
        return Fail("the Tool page did not open");
    printf("the Tool page, once shown, asks for the printer's information:\n");
    PrintFrames(emu);
    printf("and shows:\n");
    PrintField(tool, IDC_FIRMWARE_LABEL, IDC_FIRMWARE);
    PrintField(tool, IDC_SERIAL_LABEL, IDC_SERIAL);
    PrintField(tool, IDC_RIBBON_TYPE_LABEL, IDC_RIBBON_TYPE);
    PrintField(tool, IDC_REMAIN_COUNT_LABEL, IDC_REMAIN_COUNT);
    PrintField(tool, IDC_REGION_CODE_LABEL, IDC_REGION_CODE);
    bool shown = Text(tool, IDC_FIRMWARE) == L"V2.03.11" && Text(tool, IDC_SERIAL) == L"QT42A0001234" &&
                 Text(tool, IDC_RIBBON_TYPE) == L"YMCKOK" && Text(tool, IDC_REMAIN_COUNT) == L"182";
    host.PressCancel();
    return shown ? 0 : 1;
}
