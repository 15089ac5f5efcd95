// CDemoPrinter: what the QelUI demos start from: the emulated printer on a
// Standard TCP/IP port of its own, and a card printer installed on that port
// with QelUI.dll as its driver's interface library.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <string>

#include "DeviceRegistryFixture.h"
#include "InstalledPrinter.h"
#include "PrinterEmulator.h"

class CDemoPrinter {
public:
    // Starts the emulator, registers the port (portName made unique to the
    // process) and installs a printer of the model on it: NULL, or what did
    // not work.
    const char* Start(LPCWSTR portName, LPCWSTR model);

    CPrinterEmulator& Emu() { return m_emu; }
    const std::wstring& Port() const { return m_port; }
    CInstalledPrinter& Printer() { return *m_printer; }

private:
    CPrinterEmulator m_emu;
    CDeviceRegistryFixture m_registry;
    std::wstring m_port;
    std::unique_ptr<CInstalledPrinter> m_printer;
};

// Prints "<demo>: <what>" and gives the demo's failure code.
int FailDemo(const char* demo, const char* what);
