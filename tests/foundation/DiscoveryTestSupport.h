// Printers for the discovery tests: emulated USB devices whose interfaces the
// registry fixture writes, and what a link opened on them must show.
#pragma once

#include <winsock2.h>

#include "AsciiText.h"
#include "DeviceRegistryFixture.h"
#include "PrinterEmulator.h"
#include "UsbLink.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>

// Marker primed into the last error before each call.
const DWORD kDiscoveryMarker = 0xC0DE5A5A;
// How long a test waits for the emulator to see a connection.
const DWORD kConnectWaitMs = 5000;

// Primes the last error with the marker, makes the call, and expects both
// its result and the last error it leaves to be expected.
#define EXPECT_RESULT(expected, call)                                                                                  \
    do {                                                                                                               \
        SetLastError(kDiscoveryMarker);                                                                                \
        DWORD result_ = (call);                                                                                        \
        EXPECT_EQ(static_cast<DWORD>(expected), result_);                                                              \
        EXPECT_EQ(static_cast<DWORD>(expected), GetLastError());                                                       \
    } while (0)

inline std::wstring Lower(std::wstring text)
{
    if (!text.empty())
        AsciiLowerInPlace(&text[0]);
    return text;
}

// "VID_5D27&PID_xxxx".
inline std::wstring DeviceIdOf(WORD productId)
{
    WCHAR id[32];
    swprintf(id, 32, L"VID_%04X&PID_%04X", EMU_USB_VENDOR_ID, productId);
    return id;
}

// The mutex every process builds for a device path: "Global\" and the path
// from its fifth character, lower-cased, without backslashes.
inline std::wstring MutexNameOf(const std::wstring& path)
{
    std::wstring name = L"Global\\";
    for (size_t i = 4; i < path.size(); ++i) {
        if (path[i] != L'\\')
            name += AsciiToLower(path[i]);
    }
    return name;
}

inline bool MutexExists(const std::wstring& name)
{
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    if (mutex)
        CloseHandle(mutex);
    return mutex != nullptr;
}

// An emulated USB printer: its device path leads to the emulator, and iface
// describes its interface for the registry fixture.
struct EmulatedUsbPrinter {
    std::unique_ptr<CPrinterEmulator> emu;
    FixtureInterface iface;
    std::wstring path;
};

inline EmulatedUsbPrinter StartUsbPrinter(const CDeviceRegistryFixture& reg, WORD productId, LPCWSTR name)
{
    EmulatedUsbPrinter printer;
    printer.emu.reset(new CPrinterEmulator);
    printer.iface.deviceId = DeviceIdOf(productId);
    printer.iface.instance = reg.Unique(name);
    EXPECT_TRUE(printer.emu->StartUsb(productId, printer.iface.instance.c_str())) << GetLastError();
    printer.path = printer.emu->GetDevicePath();
    EXPECT_EQ(CDeviceRegistryFixture::DevicePath(printer.iface.deviceId, printer.iface.instance), printer.path);
    return printer;
}
