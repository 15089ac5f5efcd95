// How a CUsbLink finds its printer: by printer name, device path, model row
// or through the USB printer interface class, and fills its address fields
// before the transport opens them.
#include "UsbLink.h"

#include "AsciiText.h"
#include "HexDigit.h"
#include "InterfaceKeyName.h"
#include "ModelTable.h"
#include "Platform.h"
#include "PrinterKeyPath.h"
#include "Registry.h"
#include "TextCopy.h"
#include "UsbInterfaceEnum.h"
#include "Utilities.h"

#include <cwchar>

namespace {

const WCHAR kEnumUsbKey[] = L"SYSTEM\\CurrentControlSet\\Enum\\USB";
const WCHAR kDeviceClassesKey[] = L"System\\CurrentControlSet\\Control\\DeviceClasses";
const WCHAR kDevicePathPrefix[] = L"\\\\?\\USB#";

// Texts and key names of the searches.
const DWORD kTextRoom = 256;
// Device paths of the GUID constructor's search.
const DWORD kPathRoom = 260;
// "VID_xxxx&PID_xxxx".
const size_t kVidPidLength = 17;
// "\\?\USB#" and an ids text: the part of a device path that names the device.
const size_t kDevicePathIdsLength = 25;
// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".
const size_t kGuidKeyLength = 38;
// A link's address text: at most 23 characters and the terminator.
const DWORD kAddressRoom = 24;

const DWORD kPrinterTcpPort = 9100;
const DWORD kNetworkTimeOutMs = 10000;
// The model a printer named by its address is taken for.
const DWORD kAddressModel = 2;
// From this OS version code on, the interface key name is the device path.
const WORD kOsPathFromKeyName = OSV_WIN8;

DWORD Finish(DWORD result)
{
    SetLastError(result);
    return result;
}

// The hexadecimal number at text. Anything above 0xFFFF stays above it, so
// that it matches no USB id.
bool ReadHex(LPCWSTR text, DWORD* value)
{
    DWORD v = 0;
    int digits = 0;
    for (; HexDigitValue(*text) >= 0; ++text, ++digits) {
        if (v <= 0xFFFF)
            v = (v << 4) | static_cast<DWORD>(HexDigitValue(*text));
    }
    if (digits == 0)
        return false;
    *value = v;
    return true;
}

// The number four characters after the first occurrence of tag in a
// lower-case text ("vid_5d27": tag "vid").
bool ReadHexAfterTag(LPCWSTR lowerText, LPCWSTR tag, DWORD* value)
{
    LPCWSTR at = wcsstr(lowerText, tag);
    if (!at || wcsnlen(at, 5) < 5)
        return false;
    return ReadHex(at + 4, value);
}

// VID and PID of a text that holds "vid_vvvv" and "pid_pppp" somewhere.
bool ReadIdsFromText(LPCWSTR text, DWORD* vid, DWORD* pid)
{
    WCHAR lower[kTextRoom];
    size_t n = wcsnlen(text, kTextRoom - 1);
    wmemcpy(lower, text, n);
    lower[n] = L'\0';
    AsciiLowerInPlace(lower);
    return ReadHexAfterTag(lower, L"vid", vid) && ReadHexAfterTag(lower, L"pid", pid);
}

// VID and PID of an ids text of the "VID_%04X&PID_%04X" form.
bool ReadIdsFromVidPid(LPCWSTR ids, DWORD* vid, DWORD* pid)
{
    if (wcsnlen(ids, kVidPidLength) < kVidPidLength)
        return false;
    return ReadHex(ids + 4, vid) && ReadHex(ids + 13, pid);
}

// The row of a model number given as int, or NULL outside the printer rows.
const ModelEntry* ModelRow(int model)
{
    return model >= 0 ? GetModelEntry(static_cast<DWORD>(model)) : nullptr;
}

DWORD ModelUsbId(int model)
{
    const ModelEntry* row = ModelRow(model);
    return row ? row->dwUsbId : 0;
}

// A GUID text as the registry writes it in a key name; anything else would
// name another key.
bool IsGuidKeyText(LPCWSTR text)
{
    if (wcsnlen(text, kGuidKeyLength + 1) != kGuidKeyLength)
        return false;
    if (text[0] != L'{' || text[kGuidKeyLength - 1] != L'}')
        return false;
    return wcschr(text, L'\\') == nullptr;
}

// Enumerates subkey names into name (room kTextRoom); false at the end.
bool NextSubkey(HKEY key, DWORD* index, LPWSTR name)
{
    return RegNextSubkey(key, index, name, kTextRoom) != FALSE;
}

bool OpenSubkey(HKEY parent, LPCWSTR name, HKEY* out)
{
    return RegOpenForRead(parent, name, FALSE, out) == ERROR_SUCCESS;
}

// Opens the key of the device-interface class guidText names.
bool OpenClassKey(LPCWSTR guidText, HKEY* out)
{
    WCHAR keyPath[PRINTER_KEY_PATH_ROOM];
    return BuildKeyPath(keyPath, kDeviceClassesKey, guidText, nullptr, ERROR_INVALID_FUNCTION) &&
           OpenSubkey(HKEY_LOCAL_MACHINE, keyPath, out);
}

// Reads a DWORD value of parent\subkey; out is left as it was when the key
// or the value cannot be read.
void ReadSubkeyDword(HKEY parent, LPCWSTR subkey, LPCWSTR valueName, DWORD* out)
{
    HKEY key = nullptr;
    if (!OpenSubkey(parent, subkey, &key))
        return;
    RegReadDword(key, valueName, out);
    RegCloseKey(key);
}

// Reads a text value of parent\subkey into out (room cchOut); out is
// emptied when the key or the value cannot be read.
bool ReadSubkeyText(HKEY parent, LPCWSTR subkey, LPCWSTR valueName, LPWSTR out, DWORD cchOut = kTextRoom)
{
    HKEY key = nullptr;
    out[0] = L'\0';
    if (!OpenSubkey(parent, subkey, &key))
        return false;
    LSTATUS status = RegReadText(key, valueName, out, cchOut);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// The device interface of a Windows printer on a USB port, as the registry
// tells it.
struct PrinterInterface {
    WCHAR szPath[kTextRoom];
    DWORD dwLinked;
    bool bIds;
    DWORD dwVid;
    DWORD dwPid;
};

// Finds the USB device whose instance's "ParentIdPrefix" occurs in the
// printer's instance id; device and instance receive the key names.
bool FindParentDevice(LPCWSTR instanceId, LPWSTR device, LPWSTR instance)
{
    HKEY usb = nullptr;
    bool found = false;
    if (!OpenSubkey(HKEY_LOCAL_MACHINE, kEnumUsbKey, &usb))
        return false;
    for (DWORD d = 0; !found && NextSubkey(usb, &d, device);) {
        HKEY deviceKey = nullptr;
        if (!OpenSubkey(usb, device, &deviceKey))
            continue;
        for (DWORD i = 0; !found && NextSubkey(deviceKey, &i, instance);) {
            WCHAR prefix[kTextRoom];
            ReadSubkeyText(deviceKey, instance, L"ParentIdPrefix", prefix);
            AsciiLowerInPlace(prefix);
            found = prefix[0] != L'\0' && wcsstr(instanceId, prefix) != nullptr;
        }
        RegCloseKey(deviceKey);
    }
    RegCloseKey(usb);
    return found;
}

// The search by printer name: the printer's instance id, its parent USB
// device and that device's interface of the printer class. Gives 0, 1801,
// 1010, 1 or the registry's error.
DWORD FindPrinterInterface(LPCWSTR name, WORD osCode, PrinterInterface* found)
{
    WCHAR keyPath[PRINTER_KEY_PATH_ROOM];
    WCHAR instanceId[kTextRoom];
    WCHAR device[kTextRoom] = L"";
    WCHAR instance[kTextRoom] = L"";
    WCHAR search[2 * kTextRoom + 2];
    WCHAR interfaceKey[kTextRoom];
    HKEY key = nullptr;
    HKEY classKey = nullptr;
    bool matched = false;

    ZeroMemory(found, sizeof(*found));
    if (!BuildKeyPath(keyPath, PRINTERS_KEY, name, L"\\PnPData", ERROR_INVALID_PRINTER_NAME))
        return ERROR_INVALID_PRINTER_NAME;
    LSTATUS status = RegOpenForRead(HKEY_LOCAL_MACHINE, keyPath, FALSE, &key);
    DebugTrace(L"FindPrinterInterface(1), RegOpenKeyEx(%ls) return %d,\n", keyPath, status);
    if (status == ERROR_FILE_NOT_FOUND)
        return ERROR_INVALID_PRINTER_NAME;
    if (status != ERROR_SUCCESS)
        return static_cast<DWORD>(status);
    RegReadText(key, L"DeviceInstanceId", instanceId, kTextRoom);
    RegCloseKey(key);
    DebugTrace(L"FindPrinterInterface(2), DeviceInstanceId = %ls,\n", instanceId);
    if (instanceId[0] == L'\0')
        return ERROR_BADKEY;
    AsciiLowerInPlace(instanceId);

    // Without the parent device any interface picked would be another printer's.
    if (!FindParentDevice(instanceId, device, instance)) {
        DebugTrace(L"FindPrinterInterface(3), no ParentIdPrefix matches %ls,\n", instanceId);
        return ERROR_INVALID_FUNCTION;
    }
    // The separators keep instance "1" from matching the key of instance "12".
    swprintf(search, sizeof(search) / sizeof(search[0]), L"%ls#%ls#", device, instance);
    found->bIds = ReadIdsFromVidPid(device, &found->dwVid, &found->dwPid);
    DebugTrace(L"FindPrinterInterface(4), szSearch = %ls,\n", search);

    if (!OpenClassKey(USB_PRINTER_CLASS_KEY_TEXT, &classKey))
        return ERROR_INVALID_FUNCTION;
    for (DWORD s = 0; !matched && NextSubkey(classKey, &s, interfaceKey);)
        matched = wcsstr(interfaceKey, search) != nullptr;
    if (!matched) {
        RegCloseKey(classKey);
        DebugTrace(L"FindPrinterInterface(5), no interface key holds %ls,\n", search);
        return ERROR_INVALID_FUNCTION;
    }

    if (osCode < kOsPathFromKeyName) {
        WCHAR referenceKey[kTextRoom + 12];
        swprintf(referenceKey, sizeof(referenceKey) / sizeof(referenceKey[0]), L"%ls\\#", interfaceKey);
        ReadSubkeyText(classKey, referenceKey, L"SymbolicLink", found->szPath);
        wcscat(referenceKey, L"\\Control");
        ReadSubkeyDword(classKey, referenceKey, L"Linked", &found->dwLinked);
    } else {
        wmemcpy(found->szPath, interfaceKey, wcslen(interfaceKey) + 1);
        InterfaceKeyToDevicePath(found->szPath);
        found->dwLinked = 1;
    }
    RegCloseKey(classKey);
    DebugTrace(L"FindPrinterInterface(6), szSymbolicLink = %ls, dwLinked = %d,\n", found->szPath, found->dwLinked);
    return ERROR_SUCCESS;
}

// An IPv4 address text that fits a link's address field.
bool IsAddressText(LPCWSTR name)
{
    WCHAR copy[kAddressRoom];
    if (!CopyTextFits(copy, kAddressRoom, name))
        return false;
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return false;
    sockaddr_in address;
    ZeroMemory(&address, sizeof(address));
    INT length = sizeof(address);
    bool isAddress = WSAStringToAddressW(copy, AF_INET, nullptr, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    WSACleanup();
    return isAddress;
}

// Reads member *index of the list, or the first one after it that reads,
// within the first INTERFACE_MEMBER_LIMIT; false at the end of the list.
bool ReadNextMember(CUsbInterfaceEnum& list, DWORD* index, SP_DEVICE_INTERFACE_DATA* data)
{
    for (; *index < INTERFACE_MEMBER_LIMIT; ++*index) {
        DWORD error = list.GetMember(*index, data);
        if (error == ERROR_NO_MORE_ITEMS || error == ERROR_INVALID_HANDLE)
            return false;
        if (error == ERROR_SUCCESS)
            return true;
    }
    return false;
}

// "USB\VID_%04X&PID_%04X" of a USB id: how the instance id of its device begins.
void FormatInstancePrefix(LPWSTR out, DWORD usbId)
{
    swprintf(out, kTextRoom, L"USB\\VID_%04X&PID_%04X", static_cast<unsigned>(usbId >> 16),
             static_cast<unsigned>(usbId & 0xFFFF));
}

// Which member of the list the choice of GetLinkByInterface takes: by the
// USB ids of its device, by its port number, or by its place in the list.
// ERROR_NO_MORE_ITEMS when none passes.
DWORD ChooseInterface(CUsbInterfaceEnum& list, DWORD index, DWORD mode, DWORD usbId, WORD osCode, DWORD* member)
{
    SP_DEVICE_INTERFACE_DATA data;
    if ((mode & ENUM_BY_USBID) && usbId != 0) {
        WCHAR prefix[kTextRoom];
        FormatInstancePrefix(prefix, usbId);
        const size_t prefixLength = wcslen(prefix);
        DWORD matching = 0;
        for (DWORD m = 0; ReadNextMember(list, &m, &data); ++m) {
            WCHAR instanceId[INTERFACE_TEXT_ROOM];
            if (list.ReadDetail(&data, nullptr, 0, instanceId) != ERROR_SUCCESS)
                continue;
            if (!EqualPrefixIgnoringAsciiCase(instanceId, prefix, prefixLength))
                continue;
            if (matching++ == index) {
                *member = m;
                return ERROR_SUCCESS;
            }
        }
        return ERROR_NO_MORE_ITEMS;
    }
    if (!(mode & ENUM_BY_PORT)) {
        *member = index;
        return ERROR_SUCCESS;
    }
    // Windows before 2000 keeps no port numbers for its interfaces.
    if (osCode < OSV_WIN2000)
        return ERROR_NO_MORE_ITEMS;
    for (DWORD m = 0; ReadNextMember(list, &m, &data); ++m) {
        HKEY key = list.OpenInterfaceKey(&data);
        if (!key)
            continue;
        DWORD portNumber = 0;
        bool passes = RegReadDword(key, L"Port Number", &portNumber) == ERROR_SUCCESS;
        if (osCode == OSV_WIN2000) {
            DWORD ids = 0;
            passes = passes && RegReadDword(key, L"VID&PID", &ids) == ERROR_SUCCESS && ids == usbId;
        } else {
            WCHAR baseName[kTextRoom];
            passes = passes && RegReadText(key, L"Base Name", baseName, kTextRoom) == ERROR_SUCCESS &&
                     EqualIgnoringAsciiCase(baseName, L"USB");
        }
        RegCloseKey(key);
        // Port numbers count from 1: port 1 is index 0.
        if (passes && portNumber != 0 && portNumber - 1 == index) {
            *member = m;
            return ERROR_SUCCESS;
        }
    }
    return ERROR_NO_MORE_ITEMS;
}

} // namespace

CUsbLink::CUsbLink(LPCWSTR guid, LPCWSTR vidPid, LPCWSTR symbolicLink)
{
    Init();
    if (guid)
        CopyTextFits(m_szGUID, sizeof(m_szGUID) / sizeof(m_szGUID[0]), guid);
    if (vidPid)
        CopyTextFits(m_szVIDPID, sizeof(m_szVIDPID) / sizeof(m_szVIDPID[0]), vidPid);
    if (!symbolicLink) {
        m_byLinkSearch = static_cast<BYTE>(GetSymbolicLink(
            m_szSymbolicLink, sizeof(m_szSymbolicLink) / sizeof(m_szSymbolicLink[0]), m_szGUID, m_szVIDPID));
    } else if (!CopyTextFits(m_szSymbolicLink, sizeof(m_szSymbolicLink) / sizeof(m_szSymbolicLink[0]), symbolicLink)) {
        // A path that does not fit names no device: the link refuses to open.
        m_byLinkSearch = ERROR_INVALID_FUNCTION;
    } else if (!vidPid) {
        AsciiLowerInPlace(m_szSymbolicLink);
        LPCWSTR ids = wcsstr(m_szSymbolicLink, L"vid");
        if (ids && wcsnlen(ids, kVidPidLength) == kVidPidLength) {
            wmemcpy(m_szVIDPID, ids, kVidPidLength);
            m_szVIDPID[kVidPidLength] = L'\0';
        }
    }
    DWORD vid = 0, pid = 0;
    if (m_szVIDPID[0] && ReadIdsFromVidPid(m_szVIDPID, &vid, &pid)) {
        DWORD model = FindModelByUsbIds(vid, pid);
        if (model != MODEL_NONE)
            m_dwModelSN = model;
    }
    DebugTrace(L"CUsbLink::CUsbLink(1), m_szSymbolicLink = %ls, m_szVIDPID = %ls, m_dwModelSN = %d,\n",
               m_szSymbolicLink, m_szVIDPID, m_dwModelSN);
}

DWORD CUsbLink::OpenByName(LPCWSTR name)
{
    if (!name || !name[0])
        return Finish(ERROR_INVALID_PARAMETER);
    // "\\?\" and then "USB" in either case.
    if (wcsncmp(name, L"\\\\?\\", 4) == 0 && EqualPrefixIgnoringAsciiCase(name + 4, L"USB", 3))
        return OpenByDevicePath(name);
    return OpenUsbPrinter2k(name);
}

DWORD CUsbLink::OpenByDevicePath(LPCWSTR path)
{
    if (!path || !path[0])
        return Finish(ERROR_INVALID_PARAMETER);
    if (wcsnlen(path, sizeof(m_szSymbolicLink) / sizeof(m_szSymbolicLink[0])) ==
        sizeof(m_szSymbolicLink) / sizeof(m_szSymbolicLink[0]))
        return Finish(ERROR_INVALID_PARAMETER);
    // A link used before lets go of its printer, so that the transport and
    // the mutex follow the new address.
    CloseUsb();
    m_bUseTcpip = 0;
    CopyTextFits(m_szSymbolicLink, sizeof(m_szSymbolicLink) / sizeof(m_szSymbolicLink[0]), path);
    DWORD vid = 0, pid = 0;
    m_dwModelSN = MODEL_NONE;
    DWORD model = ReadIdsFromText(path, &vid, &pid) ? FindModelByUsbIds(vid, pid) : MODEL_NONE;
    DebugTrace(L"CUsbLink::OpenByDevicePath(1), VID = %04X, PID = %04X, model = %d,\n", vid, pid, model);
    if (model == MODEL_NONE)
        return Finish(ERROR_PRINTER_NOT_FOUND);
    m_dwModelSN = model;
    FormatModelVidPid(model, m_szVIDPID, sizeof(m_szVIDPID) / sizeof(m_szVIDPID[0]));
    return Finish(OpenUsb());
}

DWORD CUsbLink::OpenUsbPrinter2k(LPCWSTR name)
{
    if (!name || !name[0])
        return Finish(ERROR_INVALID_PARAMETER);
    // A link used before lets go of its printer, so that the transport and
    // the mutex follow the new address.
    CloseUsb();

    if (IsAddressText(name)) {
        m_bUseTcpip = 1;
        CopyTextFits(m_szIP, kAddressRoom, name);
        m_nPort = kPrinterTcpPort;
        m_dwTimeOutW = kNetworkTimeOutMs;
        m_dwTimeOutR = kNetworkTimeOutMs;
        DWORD result = OpenUsb();
        DebugTrace(L"CUsbLink::OpenUsbPrinter2k(1), %ls, OpenUsb() return %d,\n", name, result);
        if (result != ERROR_SUCCESS)
            return Finish(result);
        m_dwModelSN = kAddressModel;
        return Finish(ERROR_SUCCESS);
    }

    WCHAR driver[PRINTER_NAME_ROOM] = L"";
    WCHAR port[PRINTER_NAME_ROOM] = L"";
    if (GetPrinterDriverAndPort(name, driver, port) != ERROR_SUCCESS) {
        driver[0] = L'\0';
        port[0] = L'\0';
    }
    DWORD model = FindModelByDriverName(driver);
    if (model != MODEL_NONE)
        m_dwModelSN = model;
    DebugTrace(L"CUsbLink::OpenUsbPrinter2k(2), driver = %ls, port = %ls, m_dwModelSN = %d,\n", driver, port,
               m_dwModelSN);

    m_bUseTcpip = CheckIfTcpipPort(port, m_szIP, kAddressRoom, &m_nPort) ? 1 : 0;
    if (m_bUseTcpip) {
        // The connection is made with the time-outs as they stood.
        DWORD result = OpenUsb();
        m_dwTimeOutW = kNetworkTimeOutMs;
        m_dwTimeOutR = kNetworkTimeOutMs;
        DebugTrace(L"CUsbLink::OpenUsbPrinter2k(3), %ls:%d, OpenUsb() return %d,\n", m_szIP, m_nPort, result);
        return Finish(result);
    }

    PrinterInterface found;
    DWORD result = FindPrinterInterface(name, m_wOsVersionCode, &found);
    if (result != ERROR_SUCCESS)
        return Finish(result);
    wmemcpy(m_szSymbolicLink, found.szPath, wcslen(found.szPath) + 1);
    m_dwLinked = found.dwLinked;
    model = found.bIds ? FindModelByUsbIds(found.dwVid, found.dwPid) : MODEL_NONE;
    if (model != MODEL_NONE) {
        m_dwModelSN = model;
        FormatModelVidPid(model, m_szVIDPID, sizeof(m_szVIDPID) / sizeof(m_szVIDPID[0]));
    }
    result = OpenUsb();
    DebugTrace(L"CUsbLink::OpenUsbPrinter2k(4), m_szSymbolicLink = %ls, OpenUsb() return %d,\n", m_szSymbolicLink,
               result);
    return Finish(result);
}

DWORD CUsbLink::FindSymbolicLinkByPrinterName2k(LPCWSTR name, LPWSTR pathOut, DWORD cchPath)
{
    if (!name || !name[0] || !pathOut || cchPath == 0)
        return Finish(ERROR_INVALID_PARAMETER);
    PrinterInterface found;
    DWORD result = FindPrinterInterface(name, m_wOsVersionCode, &found);
    if (result != ERROR_SUCCESS)
        return Finish(result);
    AsciiLowerInPlace(found.szPath);
    if (found.szPath[0] && !CopyTextFits(pathOut, cchPath, found.szPath))
        return Finish(ERROR_INSUFFICIENT_BUFFER);
    return Finish(ERROR_SUCCESS);
}

DWORD CUsbLink::FindPrinterNameByLink(LPWSTR nameOut, DWORD cchName)
{
    if (!nameOut || cchName == 0)
        return Finish(ERROR_INVALID_PARAMETER);
    const ModelEntry* row = GetModelEntry(m_dwModelSN);
    HKEY printers = nullptr;
    DWORD result = ERROR_SUCCESS;
    if (!row || !OpenSubkey(HKEY_LOCAL_MACHINE, PRINTERS_KEY, &printers))
        return Finish(ERROR_SUCCESS);
    WCHAR printer[kTextRoom];
    for (DWORD i = 0; NextSubkey(printers, &i, printer);) {
        WCHAR driver[kTextRoom];
        if (!ReadSubkeyText(printers, printer, L"Printer Driver", driver) ||
            !EqualIgnoringAsciiCase(driver, row->szDisplayName))
            continue;
        WCHAR path[kPathRoom] = L"";
        if (FindSymbolicLinkByPrinterName2k(printer, path, kPathRoom) != ERROR_SUCCESS || !path[0])
            continue;
        if (wcscmp(path, m_szSymbolicLink) == 0) {
            if (!CopyTextFits(nameOut, cchName, printer))
                result = ERROR_INSUFFICIENT_BUFFER;
            DebugTrace(L"CUsbLink::FindPrinterNameByLink(1), printer = %ls,\n", printer);
            break;
        }
    }
    RegCloseKey(printers);
    return Finish(result);
}

DWORD CUsbLink::GetSymbolicLink(LPWSTR pathOut, DWORD cchPath, LPCWSTR guidText, LPCWSTR vidPidText)
{
    if (!pathOut || cchPath == 0 || !guidText || !vidPidText)
        return Finish(ERROR_INVALID_PARAMETER);
    HKEY classKey = nullptr;
    if (!IsGuidKeyText(guidText) || !OpenClassKey(guidText, &classKey)) {
        DebugTrace(L"CUsbLink::GetSymbolicLink(1), class key %ls missing,\n", guidText);
        return Finish(1);
    }
    // Only the part of the prefix that is compared is built.
    WCHAR prefix[kDevicePathIdsLength + 1];
    const size_t head = wcslen(kDevicePathPrefix);
    const size_t ids = wcsnlen(vidPidText, kDevicePathIdsLength - head);
    wmemcpy(prefix, kDevicePathPrefix, head);
    wmemcpy(prefix + head, vidPidText, ids);
    prefix[head + ids] = L'\0';

    DWORD result = 0;
    WCHAR name[kTextRoom];
    for (DWORD i = 0; NextSubkey(classKey, &i, name);) {
        HKEY interfaceKey = nullptr;
        // A key that cannot be read says nothing about the device sought.
        if (!OpenSubkey(classKey, name, &interfaceKey))
            continue;
        DWORD linked = 0;
        ReadSubkeyDword(interfaceKey, L"#\\Control", L"Linked", &linked);
        if (linked != 1) {
            RegCloseKey(interfaceKey);
            result = 2;
            continue;
        }
        WCHAR link[kPathRoom];
        ReadSubkeyText(interfaceKey, L"#", L"SymbolicLink", link, kPathRoom);
        RegCloseKey(interfaceKey);
        if (link[0] && EqualPrefixIgnoringAsciiCase(link, prefix, kDevicePathIdsLength)) {
            RegCloseKey(classKey);
            DebugTrace(L"CUsbLink::GetSymbolicLink(2), found %ls,\n", link);
            if (!CopyTextFits(pathOut, cchPath, link))
                return Finish(ERROR_INSUFFICIENT_BUFFER);
            return Finish(0);
        }
        result = 4;
    }
    RegCloseKey(classKey);
    DebugTrace(L"CUsbLink::GetSymbolicLink(3), return %d,\n", result);
    return Finish(result);
}

DWORD CUsbLink::OpenByModelSN(int model, DWORD instIndex, DWORD enumMode, BYTE ignored)
{
    (void)ignored;
    if (!ModelRow(model))
        return Finish(ERROR_PRINTER_NOT_FOUND);
    m_dwModelSN = static_cast<DWORD>(model);
    m_dwInstIndex = instIndex;
    m_dwEnumMode = enumMode;
    FormatModelVidPid(m_dwModelSN, m_szVIDPID, sizeof(m_szVIDPID) / sizeof(m_szVIDPID[0]));
    DebugTrace(L"CUsbLink::OpenByModelSN(1), model = %d, instIndex = %d, enumMode = 0x%X, %ls,\n", model, instIndex,
               enumMode, m_szVIDPID);
    CloseUsb();
    m_bUseTcpip = 0;
    DWORD result = OpenIOChannel();
    if (result == ERROR_SUCCESS)
        EnableMutex(TRUE);
    DebugTrace(L"CUsbLink::OpenByModelSN(2), return %d,\n", result);
    return Finish(result);
}

DWORD CUsbLink::OpenIOChannel()
{
    DWORD usbId = (m_dwEnumMode & ENUM_BY_USBID) ? ModelUsbId(static_cast<int>(m_dwModelSN)) : 0;
    DWORD count = CountDevices(GUID_USB_PRINTER_INTERFACE, m_dwEnumMode, usbId, nullptr, 0);
    WriteLog(2, L"In OpenIOChannel, m_dwModelSN = %d, m_dwInstIndex = %d, m_dwEnumMode = %d, dwDevNum = %d,\n",
             m_dwModelSN, m_dwInstIndex, m_dwEnumMode, count);
    if (count == 0)
        return Finish(ERROR_PRINTER_NOT_FOUND);
    GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, m_dwInstIndex - 1, m_szSymbolicLink,
                       sizeof(m_szSymbolicLink) / sizeof(m_szSymbolicLink[0]), &m_dwLinked, m_dwEnumMode, usbId);
    if (m_dwLinked == 0)
        return Finish(ERROR_DEVICE_NOT_CONNECTED);
    return Finish(CreatePipes());
}

DWORD CUsbLink::CountDevices(const GUID& classGuid, DWORD mode, DWORD usbId, WCHAR (*pathList)[256], DWORD slots)
{
    WCHAR prefix[kTextRoom];
    FormatInstancePrefix(prefix, usbId);
    const size_t prefixLength = wcslen(prefix);
    DWORD count = 0;
    DWORD listError = ERROR_SUCCESS;
    {
        // Only the low byte holds device-setup flags; the platform may refuse the rest.
        CUsbInterfaceEnum list(classGuid, mode & 0xFF);
        listError = list.GetListError();
        SP_DEVICE_INTERFACE_DATA data;
        for (DWORD index = 0; ReadNextMember(list, &index, &data); ++index) {
            if (!(mode & ENUM_BY_USBID)) {
                ++count;
                continue;
            }
            if (usbId == 0)
                continue;
            WCHAR path[kTextRoom];
            WCHAR instanceId[INTERFACE_TEXT_ROOM];
            if (list.ReadDetail(&data, path, kTextRoom, instanceId) != ERROR_SUCCESS)
                continue;
            if (!EqualPrefixIgnoringAsciiCase(instanceId, prefix, prefixLength))
                continue;
            if (pathList && count < slots)
                wmemcpy(pathList[count], path, wcslen(path) + 1);
            ++count;
        }
    }
    DebugTrace(L"CUsbLink::CountDevices(1), mode = 0x%X, usbId = 0x%08X, count = %d,\n", mode, usbId, count);
    SetLastError(listError);
    return count;
}

DWORD CUsbLink::CountModelDevices(int model, DWORD mode, WCHAR (*pathList)[256], DWORD slots)
{
    DWORD usbId = (mode & ENUM_BY_USBID) ? ModelUsbId(model) : 0;
    return CountDevices(GUID_USB_PRINTER_INTERFACE, mode, usbId, pathList, slots);
}

DWORD CUsbLink::GetLinkByInterface(const GUID& classGuid, DWORD index, LPWSTR pathOut, DWORD cchPath, DWORD* linkedOut,
                                   DWORD mode, DWORD usbId)
{
    if (!pathOut || cchPath == 0 || !linkedOut)
        return Finish(ERROR_INVALID_PARAMETER);
    // A failed choice must not leave an earlier device to be opened.
    pathOut[0] = L'\0';
    *linkedOut = 0;

    SP_DEVICE_INTERFACE_DATA data;
    WCHAR path[kTextRoom];
    WCHAR instanceId[INTERFACE_TEXT_ROOM];
    DWORD result = ERROR_SUCCESS;
    {
        CUsbInterfaceEnum list(classGuid, mode & 0xFF);
        DWORD member = 0;
        result = ChooseInterface(list, index, mode, usbId, m_wOsVersionCode, &member);
        if (result == ERROR_SUCCESS)
            result = list.GetMember(member, &data);
        if (result == ERROR_SUCCESS)
            result = list.ReadDetail(&data, path, kTextRoom, instanceId);
    }
    if (result == ERROR_SUCCESS && !CopyTextFits(pathOut, cchPath, path))
        result = ERROR_INSUFFICIENT_BUFFER;
    if (result != ERROR_SUCCESS) {
        DebugTrace(L"CUsbLink::GetLinkByInterface(1), index = %d, mode = 0x%X, return %d,\n", index, mode, result);
        return Finish(result);
    }
    *linkedOut = data.Flags == SPINT_ACTIVE ? 1 : 0;

    DWORD vid = 0, pid = 0;
    const ModelEntry* row = GetModelEntry(m_dwModelSN);
    if (ReadIdsFromText(instanceId, &vid, &pid) && vid <= 0xFFFF && pid <= 0xFFFF &&
        (!row || row->dwUsbId != ((vid << 16) | pid))) {
        DWORD model = FindModelByUsbIds(vid, pid);
        if (model != MODEL_NONE)
            m_dwModelSN = model;
    }
    DebugTrace(L"CUsbLink::GetLinkByInterface(2), path = %ls, linked = %d, m_dwModelSN = %d,\n", pathOut, *linkedOut,
               m_dwModelSN);
    return Finish(ERROR_SUCCESS);
}

BOOL CUsbLink::IsModelLinked(int model, DWORD instIndex, DWORD mode)
{
    if (!ModelRow(model)) {
        SetLastError(ERROR_PRINTER_NOT_FOUND);
        return FALSE;
    }
    WCHAR path[kPathRoom];
    DWORD linked = 0;
    DWORD usbId = (mode & ENUM_BY_USBID) ? ModelUsbId(model) : 0;
    DWORD result = GetLinkByInterface(GUID_USB_PRINTER_INTERFACE, instIndex - 1, path, kPathRoom, &linked, mode, usbId);
    if (result != ERROR_SUCCESS)
        return FALSE;
    if (!linked) {
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
