// QelUiDemo: installs a card printer with QelUI as its driver's interface
// library on a Standard TCP/IP port of the emulated printer, then asks the
// spooler client for the driver's DEVMODE and capabilities the way an
// application's print dialog does, and checks a job's DEVMODE.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "DemoPrinter.h"
#include "DevModeImage.h"
#include "PrintableText.h"

namespace {

const char* kRibbons[] = {"YMCKO", "K", "1/2 YMCKO", "YMCKOK", "KO"};

const char* Ribbon(BYTE ribbon)
{
    return ribbon < 5 ? kRibbons[ribbon] : ribbon == 255 ? "None (Rewrite card)" : "?";
}

WORD PrivWord(const DEVMODEW* dm, size_t offset)
{
    WORD value;
    memcpy(&value, reinterpret_cast<const BYTE*>(dm) + dm->dmSize + offset, sizeof(value));
    return value;
}

BYTE PrivByte(const DEVMODEW* dm, size_t offset)
{
    return reinterpret_cast<const BYTE*>(dm)[dm->dmSize + offset];
}

void PrintDevMode(const DEVMODEW* dm)
{
    printf("  public:  \"%s\", spec 0x%04X, driver 0x%04X, %u + %u bytes, fields 0x%08lX\n",
           Utf8Text(dm->dmDeviceName).c_str(), dm->dmSpecVersion, dm->dmDriverVersion, dm->dmSize, dm->dmDriverExtra,
           dm->dmFields);
    printf("           paper %d \"%s\" %d x %d (0.1 mm), %s, %d copies, %d x %d dpi, %s, %s, bin %d\n",
           dm->dmPaperSize, Utf8Text(dm->dmFormName).c_str(), dm->dmPaperWidth, dm->dmPaperLength,
           dm->dmOrientation == DMORIENT_PORTRAIT ? "portrait" : "landscape", dm->dmCopies, dm->dmPrintQuality,
           dm->dmYResolution, dm->dmColor == DMCOLOR_COLOR ? "colour" : "monochrome",
           dm->dmDuplex == DMDUP_SIMPLEX ? "simplex" : "duplex", dm->dmDefaultSource);
    printf("  private: version %u, card %u x %u dots, language %u, ribbon %s, sides 0x%02X, sharpness %u, "
           "gamma %u.%02u, energy column %u\n",
           PrivWord(dm, 0), PrivWord(dm, 8), PrivWord(dm, 10), PrivWord(dm, 16), Ribbon(PrivByte(dm, 64)),
           PrivByte(dm, 66), PrivWord(dm, 132), PrivWord(dm, 142) / 100, PrivWord(dm, 142) % 100, PrivByte(dm, 512));
}

int Fail(const char* what)
{
    return FailDemo("QelUiDemo", what);
}

} // namespace

int wmain()
{
    CDemoPrinter demo;
    if (const char* failure = demo.Start(L"IP_UiDemo", L"T42"))
        return Fail(failure);
    CPrinterEmulator& emu = demo.Emu();
    CInstalledPrinter& printer = demo.Printer();
    const std::wstring& port = demo.Port();
    LPWSTR name = printer.NameText();
    printf("QelUI for \"%s\" (driver \"%s\") on the Standard TCP/IP port %s:%u\n", Utf8Text(name).c_str(),
           Utf8Text(printer.DriverName().c_str()).c_str(), emu.GetAddress(), emu.GetPort());

    LONG size = DocumentPropertiesW(nullptr, printer.Handle(), name, nullptr, nullptr, 0);
    printf("DocumentPropertiesW, size query: %ld bytes\n", size);
    if (size != static_cast<LONG>(IMAGE_SIZE))
        return Fail("the driver's DEVMODE has another size");
    // As a print dialog does: a zeroed buffer of the size asked for, nothing
    // set in it.
    GuardedBuffer defaults(static_cast<size_t>(size), 0x00);
    LONG answer = DocumentPropertiesW(nullptr, printer.Handle(), name, defaults.DevMode(), nullptr, DM_OUT_BUFFER);
    printf("DocumentPropertiesW, the printer's DEVMODE: %ld\n", answer);
    PrintDevMode(defaults.DevMode());
    bool delivered = answer == IDOK;

    DevModeImage job = DevModeImage::Defaults(L"Application");
    job.Word(offsetof(DEVMODEW, dmCopies), 150).Word(offsetof(DEVMODEW, dmOrientation), 5).PrivByte(64, 7);
    GuardedBuffer merged(static_cast<size_t>(size), 0x00);
    answer = DocumentPropertiesW(nullptr, printer.Handle(), name, merged.DevMode(), job.DevMode(),
                                 DM_IN_BUFFER | DM_OUT_BUFFER);
    printf("DocumentPropertiesW, an application's DEVMODE of 150 copies, orientation 5 and ribbon 7 merged: %ld\n",
           answer);
    PrintDevMode(merged.DevMode());
    delivered = delivered && answer == IDOK;

    LPCWSTR device = printer.Name().c_str();
    auto ask = [&](WORD capability, void* output) {
        return DeviceCapabilitiesW(device, port.c_str(), capability, static_cast<LPWSTR>(output), nullptr);
    };
    WORD paper = 0, bin = 0;
    WCHAR paperName[64] = L"", binName[24] = L"";
    POINT paperSize = {};
    LONG resolution[2] = {};
    int papers = ask(DC_PAPERS, &paper), paperNames = ask(DC_PAPERNAMES, paperName),
        paperSizes = ask(DC_PAPERSIZE, &paperSize), bins = ask(DC_BINS, &bin), binNames = ask(DC_BINNAMES, binName),
        resolutions = ask(DC_ENUMRESOLUTIONS, resolution);
    printf("DeviceCapabilitiesW:\n");
    printf("  DC_PAPERS %d: %u   DC_PAPERNAMES %d: \"%s\"   DC_PAPERSIZE %d: %ld x %ld (0.1 mm)\n", papers, paper,
           paperNames, Utf8Text(paperName).c_str(), paperSizes, paperSize.x, paperSize.y);
    printf("  DC_BINS %d: %u   DC_BINNAMES %d: \"%s\"   DC_ENUMRESOLUTIONS %d: %ld x %ld\n", bins, bin, binNames,
           Utf8Text(binName).c_str(), resolutions, resolution[0], resolution[1]);
    printf("  DC_FIELDS 0x%08X   DC_SIZE %d   DC_EXTRA %d   DC_VERSION 0x%04X   DC_DRIVER 0x%04X\n",
           ask(DC_FIELDS, nullptr), ask(DC_SIZE, nullptr), ask(DC_EXTRA, nullptr), ask(DC_VERSION, nullptr),
           ask(DC_DRIVER, nullptr));
    printf("  DC_COPIES %d   DC_ORIENTATION %d   DC_COLORDEVICE %d   DC_COLLATE %d   DC_NUP %d (not answered)\n",
           ask(DC_COPIES, nullptr), ask(DC_ORIENTATION, nullptr), ask(DC_COLORDEVICE, nullptr),
           ask(DC_COLLATE, nullptr), ask(DC_NUP, nullptr));
    printf("  DC_DUPLEX %d (the spooler client passes no handle: the driver reads the printer by its name)\n",
           ask(DC_DUPLEX, nullptr));

    QelUiModule ui;
    if (!ui.ok())
        return Fail("QelUI.dll did not load");
    WCHAR text[64] = L"";
    DEVQUERYPRINT_INFO check = {sizeof(check), 1, printer.Handle(), job.DevMode(), text, 64, 0};
    BOOL printable = ui.queryPrint(&check);
    DEVQUERYPRINT_INFO none = {sizeof(none), 1, printer.Handle(), nullptr, text, 64, 0};
    ui.queryPrint(&none);
    printf("DevQueryPrintEx: the application's DEVMODE %s; no DEVMODE: \"%s\" (%lu characters needed)\n",
           printable ? "prints" : "does not print", Utf8Text(text).c_str(), none.cchNeeded);
    return delivered && printable ? 0 : 1;
}
