#include "DeviceRegistryFixture.h"

#include <cwchar>

const WCHAR FIXTURE_PRINTER_CLASS[] = L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

namespace {

const WCHAR kPrintersKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
const WCHAR kEnumUsbKey[] = L"SYSTEM\\CurrentControlSet\\Enum\\USB";
const WCHAR kDeviceClassesKey[] = L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses";
const WCHAR kTcpipPortsKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Standard TCP/IP Port\\Ports";
// The USB device setup class, which makes the device known to the device-setup lists.
const WCHAR kUsbClassGuid[] = L"{36fc9e60-c465-11cf-8056-444553540000}";

bool SetText(HKEY key, LPCWSTR name, const std::wstring& value)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR))) == ERROR_SUCCESS;
}

bool SetDword(HKEY key, LPCWSTR name, DWORD value)
{
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           ERROR_SUCCESS;
}

HKEY CreateSub(HKEY parent, LPCWSTR name)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(parent, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

std::wstring KeyNameOf(const FixtureInterface& iface)
{
    return iface.keyName.empty() ? CDeviceRegistryFixture::InterfaceKeyName(iface.deviceId, iface.instance)
                                 : iface.keyName;
}

} // namespace

bool CDeviceRegistryFixture::KeyExists(const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

CDeviceRegistryFixture::CDeviceRegistryFixture()
{
    WCHAR tag[32];
    swprintf(tag, 32, L"q%lx", static_cast<unsigned long>(GetCurrentProcessId()));
    m_tag = tag;
}

CDeviceRegistryFixture::~CDeviceRegistryFixture()
{
    RemoveAll();
}

std::wstring CDeviceRegistryFixture::Unique(LPCWSTR name) const
{
    return std::wstring(name) + L"-" + m_tag;
}

std::wstring CDeviceRegistryFixture::DevicePath(const std::wstring& deviceId, const std::wstring& instance)
{
    return L"\\\\?\\USB#" + deviceId + L"#" + instance + L"#" + FIXTURE_PRINTER_CLASS;
}

std::wstring CDeviceRegistryFixture::InterfaceKeyName(const std::wstring& deviceId, const std::wstring& instance)
{
    return L"##?#USB#" + deviceId + L"#" + instance + L"#" + FIXTURE_PRINTER_CLASS;
}

std::wstring CDeviceRegistryFixture::PrinterKey(LPCWSTR printer)
{
    return std::wstring(kPrintersKey) + L"\\" + printer;
}

std::wstring CDeviceRegistryFixture::InterfaceKey(const FixtureInterface& iface)
{
    return std::wstring(kDeviceClassesKey) + L"\\" + iface.classKey + L"\\" + KeyNameOf(iface);
}

bool CDeviceRegistryFixture::SetRawValue(const std::wstring& keyPath, LPCWSTR name, DWORD type, const void* data,
                                         DWORD size)
{
    bool known = false;
    for (const std::wstring& leaf : m_leaves)
        known = known || keyPath.compare(0, leaf.size(), leaf) == 0;
    HKEY key = nullptr;
    if (!known || RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

HKEY CDeviceRegistryFixture::CreateLeaf(const std::wstring& base, const std::wstring& leaf)
{
    // Parents from the top down, so that the deepest is removed first.
    std::vector<std::wstring> created;
    for (size_t at = base.find(L'\\');; at = base.find(L'\\', at + 1)) {
        std::wstring parent = at == std::wstring::npos ? base : base.substr(0, at);
        if (!KeyExists(parent))
            created.push_back(parent);
        if (at == std::wstring::npos)
            break;
    }
    std::wstring path = base + L"\\" + leaf;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return nullptr;
    m_parents.insert(m_parents.end(), created.begin(), created.end());
    m_leaves.push_back(path);
    return key;
}

bool CDeviceRegistryFixture::AddPrinter(LPCWSTR printer, LPCWSTR driver, LPCWSTR port, LPCWSTR deviceInstanceId)
{
    HKEY key = CreateLeaf(kPrintersKey, printer);
    if (!key)
        return false;
    bool ok = (!driver || SetText(key, L"Printer Driver", driver)) && (!port || SetText(key, L"Port", port));
    if (ok && deviceInstanceId) {
        HKEY pnp = CreateSub(key, L"PnPData");
        ok = pnp && SetText(pnp, L"DeviceInstanceId", deviceInstanceId);
        if (pnp)
            RegCloseKey(pnp);
    }
    RegCloseKey(key);
    return ok;
}

bool CDeviceRegistryFixture::AddUsbDevice(LPCWSTR deviceId, LPCWSTR instance, LPCWSTR parentIdPrefix)
{
    HKEY key = CreateLeaf(std::wstring(kEnumUsbKey) + L"\\" + deviceId, instance);
    if (!key)
        return false;
    bool ok = SetText(key, L"ClassGUID", kUsbClassGuid) && SetText(key, L"Class", L"USB") &&
              (!parentIdPrefix || SetText(key, L"ParentIdPrefix", parentIdPrefix));
    RegCloseKey(key);
    return ok;
}

bool CDeviceRegistryFixture::AddInterface(const FixtureInterface& iface)
{
    HKEY key = CreateLeaf(std::wstring(kDeviceClassesKey) + L"\\" + iface.classKey, KeyNameOf(iface));
    if (!key)
        return false;
    bool ok =
        !iface.writeDeviceInstance || SetText(key, L"DeviceInstance", L"USB\\" + iface.deviceId + L"\\" + iface.instance);
    HKEY reference = nullptr;
    if (ok && (iface.writeSymbolicLink || iface.writeLinked || iface.writeParameters)) {
        reference = CreateSub(key, L"#");
        ok = reference != nullptr;
    }
    if (ok && iface.writeSymbolicLink)
        ok = SetText(reference, L"SymbolicLink",
                     iface.symbolicLink.empty() ? DevicePath(iface.deviceId, iface.instance) : iface.symbolicLink);
    if (ok && iface.writeLinked) {
        HKEY control = CreateSub(reference, L"Control");
        ok = control && SetDword(control, L"Linked", iface.linked);
        if (control)
            RegCloseKey(control);
    }
    if (ok && iface.writeParameters) {
        HKEY parameters = CreateSub(reference, L"Device Parameters");
        ok = parameters && SetDword(parameters, L"Port Number", iface.portNumber) &&
             SetText(parameters, L"Base Name", iface.baseName) &&
             (!iface.writeVidPid || SetDword(parameters, L"VID&PID", iface.vidPid)) &&
             (iface.portDescription.empty() || SetText(parameters, L"Port Description", iface.portDescription));
        if (parameters)
            RegCloseKey(parameters);
    }
    if (reference)
        RegCloseKey(reference);
    RegCloseKey(key);
    return ok;
}

bool CDeviceRegistryFixture::AddUsbPrinter(LPCWSTR printer, LPCWSTR driver, const FixtureInterface& iface)
{
    std::wstring prefix = L"8&" + m_tag + L"&" + iface.instance + L"&0";
    std::wstring printDevice = L"USBPRINT\\VORNEXT\\" + prefix + L"&USB001";
    return AddUsbDevice(iface.deviceId.c_str(), iface.instance.c_str(), prefix.c_str()) && AddInterface(iface) &&
           AddPrinter(printer, driver, L"USB001", printDevice.c_str());
}

bool CDeviceRegistryFixture::AddDeviceClass(LPCWSTR classKey)
{
    HKEY key = CreateLeaf(kDeviceClassesKey, classKey);
    if (!key)
        return false;
    RegCloseKey(key);
    return true;
}

bool CDeviceRegistryFixture::AddTcpipPort(LPCWSTR port, LPCWSTR address, LPCWSTR hostName, DWORD portNumber)
{
    HKEY key = CreateLeaf(kTcpipPortsKey, port);
    if (!key)
        return false;
    bool ok = (!address || SetText(key, L"IPAddress", address)) && (!hostName || SetText(key, L"HostName", hostName)) &&
              (portNumber == 0 || SetDword(key, L"PortNumber", portNumber));
    RegCloseKey(key);
    return ok;
}

void CDeviceRegistryFixture::RemoveAll()
{
    for (auto it = m_leaves.rbegin(); it != m_leaves.rend(); ++it) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, it->c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, it->c_str());
    }
    // Another test process may still keep its own keys below a parent.
    for (auto it = m_parents.rbegin(); it != m_parents.rend(); ++it)
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, it->c_str());
    m_leaves.clear();
    m_parents.clear();
}
