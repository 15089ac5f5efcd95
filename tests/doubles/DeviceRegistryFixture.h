// CDeviceRegistryFixture: writes the HKLM keys through which the product
// finds a printer (printer keys with PnPData, USB device keys, interfaces of
// the USB printer class, Standard TCP/IP ports) and removes them again.
//
// Every key it writes below a shared parent carries a name unique to the
// process (see Tag), and only those keys are removed with their subtrees;
// shared parents it had to create are removed only when empty, so test
// programs running at the same time in one registry leave each other alone.
//
// Under Wine the device-setup list of the class shows an interface written
// here once its device key has "ClassGUID", as present only with Linked 1,
// and with its device path in lower case.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The USB printer interface class as key names write it.
extern const WCHAR FIXTURE_PRINTER_CLASS[];

// One interface of the USB printer class.
struct FixtureInterface {
    std::wstring classKey = FIXTURE_PRINTER_CLASS; // the class's key name
    std::wstring deviceId; // "VID_5D27&PID_0003"
    std::wstring instance; // "7&1a2b3c&0&1"
    bool writeLinked = true; // "#\Control" with "Linked"
    DWORD linked = 1;
    bool writeSymbolicLink = true; // "#" with "SymbolicLink"
    std::wstring symbolicLink; // empty: the interface's own device path
    bool writeDeviceInstance = true; // "DeviceInstance" of the interface key
    bool writeParameters = false; // "#\Device Parameters"
    DWORD portNumber = 0; // "Port Number" (when writeParameters)
    std::wstring baseName = L"USB"; // "Base Name" (when writeParameters)
    bool writeVidPid = false; // "VID&PID" (when writeParameters)
    DWORD vidPid = 0;
    std::wstring portDescription; // "Port Description" (when writeParameters and not empty)
    std::wstring keyName; // empty: the interface's own key name (InterfaceKeyName)
};

class CDeviceRegistryFixture {
public:
    CDeviceRegistryFixture();
    ~CDeviceRegistryFixture();
    CDeviceRegistryFixture(const CDeviceRegistryFixture&) = delete;
    CDeviceRegistryFixture& operator=(const CDeviceRegistryFixture&) = delete;

    // A text unique to this process, for printer, instance and port names.
    const std::wstring& Tag() const { return m_tag; }
    // name + Tag(): a name no other test process uses.
    std::wstring Unique(LPCWSTR name) const;

    // "\\?\USB#<deviceId>#<instance>#{class}", the path Windows gives.
    static std::wstring DevicePath(const std::wstring& deviceId, const std::wstring& instance);
    // "##?#USB#<deviceId>#<instance>#{class}", the interface's key name.
    static std::wstring InterfaceKeyName(const std::wstring& deviceId, const std::wstring& instance);
    // TRUE when the HKLM key opens for reading.
    static bool KeyExists(const std::wstring& path);
    // Full HKLM paths of the keys written here.
    static std::wstring PrinterKey(LPCWSTR printer);
    static std::wstring InterfaceKey(const FixtureInterface& iface);

    // Writes a raw value into a key this fixture wrote (any type and size).
    bool SetRawValue(const std::wstring& keyPath, LPCWSTR name, DWORD type, const void* data, DWORD size);

    // Printers\<printer> with "Printer Driver" and "Port" (each omitted when
    // NULL) and PnPData with "DeviceInstanceId" (no PnPData key when NULL).
    bool AddPrinter(LPCWSTR printer, LPCWSTR driver, LPCWSTR port, LPCWSTR deviceInstanceId);
    // Enum\USB\<deviceId>\<instance> with "ClassGUID" and "ParentIdPrefix"
    // (omitted when NULL).
    bool AddUsbDevice(LPCWSTR deviceId, LPCWSTR instance, LPCWSTR parentIdPrefix);
    // The interface key of the USB printer class.
    bool AddInterface(const FixtureInterface& iface);
    // A USB printer as Windows installs it: the USB device (with parent id
    // prefix "8&<tag>&<instance>"), its printer-class interface, and a Windows
    // printer whose PnPData names the print device below that prefix.
    bool AddUsbPrinter(LPCWSTR printer, LPCWSTR driver, const FixtureInterface& iface);
    // An interface class key of its own, with no interfaces yet.
    bool AddDeviceClass(LPCWSTR classKey);
    // A Standard TCP/IP port with "IPAddress", "HostName" (each omitted when
    // NULL) and "PortNumber" (omitted when 0).
    bool AddTcpipPort(LPCWSTR port, LPCWSTR address, LPCWSTR hostName, DWORD portNumber);

    // Removes every key written so far (also done by the destructor).
    void RemoveAll();

private:
    // Creates base\leaf and remembers what to remove: the leaf with its
    // subtree, parents created on the way only when empty.
    HKEY CreateLeaf(const std::wstring& base, const std::wstring& leaf);

    std::wstring m_tag;
    std::vector<std::wstring> m_leaves;
    std::vector<std::wstring> m_parents;
};
