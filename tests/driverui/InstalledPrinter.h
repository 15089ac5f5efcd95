// CInstalledPrinter: a printer installed in the test prefix's spooler the way
// a driver package installs it (AddPrinterDriverExW, AddPrinterW), with QelUI
// as its driver's configuration file; removed again at the end. The spooler
// loads QelUI itself: AddPrinterW stores the driver's DEVMODE from
// DocumentPropertiesW, and applications reach DeviceCapabilitiesW.
#pragma once

#include <windows.h>

#include <string>

#include "DevModeImage.h"
#include "DriverUi.h"
#include "ProgramRun.h"

class CInstalledPrinter {
public:
    // model is the word the driver name carries ("T42", "T40W", ...); the
    // printer's and the driver's names are unique to the process.
    explicit CInstalledPrinter(LPCWSTR model, LPCWSTR port = L"FILE:");
    ~CInstalledPrinter();
    CInstalledPrinter(const CInstalledPrinter&) = delete;
    CInstalledPrinter& operator=(const CInstalledPrinter&) = delete;

    bool ok() const { return m_handle != nullptr; }
    const std::wstring& Name() const { return m_name; }
    const std::wstring& DriverName() const { return m_driver; }
    LPWSTR NameText() { return &m_name[0]; }
    // An open handle with full access.
    HANDLE Handle() const { return m_handle; }
    // Stores a DEVMODE (its own dmSize plus dmDriverExtra bytes) as the
    // printer's with SetPrinterW level 2.
    bool StoreDevMode(const DEVMODEW* devMode);

    // The configuration file the spooler loads: QelUI.dll beside the test
    // program, copied into the driver directory once per build.
    static std::wstring InstallDriverFile();

private:
    std::wstring m_name;
    std::wstring m_driver;
    HANDLE m_handle;
};

// QelUI.dll beside the test program, its exports found by their plain names
// as the spooler finds them.
struct QelUiModule {
    QelUiModule();
    ~QelUiModule();
    HMODULE module;
    decltype(&DrvDocumentPropertySheets) documentSheets;
    decltype(&DrvDevicePropertySheets) deviceSheets;
    decltype(&DrvConvertDevMode) convertDevMode;
    decltype(&DrvDeviceCapabilities) deviceCapabilities;
    decltype(&DevQueryPrintEx) queryPrint;
    decltype(&DrvPrinterEvent) printerEvent;
    BOOL(WINAPI* dllMain)(HINSTANCE, DWORD, LPVOID);
    bool ok() const;

private:
    template <typename T> void Find(T& entry, const char* name)
    {
        entry = reinterpret_cast<T>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    }
};

