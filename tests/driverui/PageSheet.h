// CPageSheet: one page of the printing-preferences sheet, built from a
// UiData the test fills (driver name, printer, working DEVMODE) and shown in
// the sheet host double. The page code is linked into the test program; its
// templates are QelUI.dll's. Every user action is the message the control
// sends or takes when a user works it, followed by the pending posted
// messages. The modal dialogs a page opens are answered by CDialogDriver.
//
// CPagePrinterFixture: the emulated printer behind a printer name, reached
// through the printer's and its Standard TCP/IP port's registry keys.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "DeviceRegistryFixture.h"
#include "InstalledPrinter.h"
#include "PrinterEmulator.h"
#include "SheetHost.h"
#include "UiData.h"

class CPageSheet {
public:
    // driverName holds the model word ("Vornex T42G"); the working DEVMODE
    // holds the defaults with printerName as device name.
    CPageSheet(LPCWSTR driverName, LPCWSTR printerName);
    ~CPageSheet();
    CPageSheet(const CPageSheet&) = delete;
    CPageSheet& operator=(const CPageSheet&) = delete;

    // False when QelUI.dll, which holds the templates, did not load.
    bool ok() const { return m_module.module != nullptr; }
    UiData& Ui() { return *m_ui; }
    PrivateDevMode& Private() { return m_ui->DevMode.dmPrivate; }
    CSheetHost& Host() { return *m_host; }

    // Adds the page of this template at its row of the table and shows it:
    // its set-up and what it posted itself have run. NULL on failure.
    HWND Show(WORD templateId);
    HWND Page() const { return m_page; }

    // A user's choice of an entry of a drop-down list.
    void Select(int id, int entry);
    // A click of a button or check box.
    void Click(int id);
    // Typing into an edit box: its text is replaced by what is typed.
    void Type(int id, LPCWSTR text);
    // The Apply button of the sheet.
    bool Apply();
    void Pump();

private:
    static LONG CALLBACK Owner(PPROPSHEETUI_INFO info, LPARAM lParam);

    QelUiModule m_module; // outlives the windows made from its templates
    std::unique_ptr<UiData> m_ui;
    std::unique_ptr<CSheetHost> m_host;
    WORD m_template;
    HWND m_page;
};

// Reading a page's or dialog's controls.
std::wstring ControlText(HWND window, int id);
// The control's own visibility, whatever its parents'.
bool ControlShown(HWND window, int id);
bool ControlEnabled(HWND window, int id);
bool ControlChecked(HWND window, int id);
int ControlSelection(HWND window, int id);
std::vector<std::wstring> ControlEntries(HWND window, int id);
// A user's click inside a dialog the page opened.
void ClickIn(HWND window, int id);
void TypeIn(HWND window, int id, LPCWSTR text);

class CPagePrinterFixture {
public:
    // name: the printer's name, made unique to the process.
    explicit CPagePrinterFixture(LPCWSTR name = L"Card Printer 1");
    bool ok() const { return m_ok; }
    const std::wstring& Name() const { return m_name; }
    CPrinterEmulator& Emu() { return m_emu; }
    // The frames the printer got, byte for byte and in order; they are
    // forgotten.
    std::vector<std::string> TakeFrames();

private:
    CPrinterEmulator m_emu;
    CDeviceRegistryFixture m_registry;
    std::wstring m_name;
    bool m_ok;
};

// ESC, each request text and CR: frames as the printer receives them.
std::vector<std::string> Frames(std::initializer_list<const char*> requests);
