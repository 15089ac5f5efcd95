#include "UsbPortDetection.h"

#include "AsciiText.h"
#include "InterfaceKeyName.h"
#include "ModelTable.h"
#include "Platform.h"
#include "PrinterKeyPath.h"
#include "Registry.h"
#include "TextCopy.h"

#include <cwchar>

namespace {

const WCHAR kDeviceClassesKey[] = L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses";
// Room of an interface key name as the class key is enumerated.
const DWORD kKeyNameRoom = 260;
// "<interface key>\#\Device Parameters" and its siblings.
const DWORD kSubkeyPathRoom = kKeyNameRoom + 24;
// "Port Description": at most 520 bytes.
const DWORD kDescriptionRoom = 260;
// Room of a "SymbolicLink" value as read, before it is cut to the record's.
const DWORD kSymbolicLinkReadRoom = 1024;
// From this OS version code on, the interface key name is the device path.
const WORD kOsPathFromKeyName = OSV_WIN8;

bool OpenInterfaceSubkey(HKEY classKey, LPCWSTR keyName, LPCWSTR tail, HKEY* out)
{
    WCHAR path[kSubkeyPathRoom];
    int n = swprintf(path, kSubkeyPathRoom, L"%ls%ls", keyName, tail);
    return n > 0 && DWORD(n) < kSubkeyPathRoom && RegOpenForRead(classKey, path, FALSE, out) == ERROR_SUCCESS;
}

// Whether the interface keyName serves this port: by its "Port Description"
// when it has one, else by the USB ids in its key name.
bool ServesPort(HKEY classKey, LPCWSTR keyName, DWORD portNumber, LPCWSTR lowerIds, LPCWSTR modelName)
{
    HKEY parameters = nullptr;
    if (!OpenInterfaceSubkey(classKey, keyName, L"\\#\\Device Parameters", &parameters))
        return false;
    DWORD number = 0;
    RegReadDword(parameters, L"Port Number", &number);
    WCHAR description[kDescriptionRoom];
    LSTATUS status = RegReadText(parameters, L"Port Description", description, kDescriptionRoom);
    RegCloseKey(parameters);
    // A description too long for its room is one, though no model's.
    bool described = status == ERROR_SUCCESS ? description[0] != L'\0' : status == ERROR_MORE_DATA;
    DebugTrace(L"EnumDeviceClass2k(3), %ls, Port Number = %d, Port Description = %ls,\n", keyName, number,
               description);
    if (number != portNumber)
        return false;
    if (described)
        return status == ERROR_SUCCESS && EqualIgnoringAsciiCase(description, modelName);
    WCHAR lowerName[kKeyNameRoom];
    CopyTextCut(lowerName, kKeyNameRoom, keyName);
    AsciiLowerInPlace(lowerName);
    return wcsstr(lowerName, lowerIds) != nullptr;
}

// The device path and active flag as the registry keeps them (Windows 7 and
// earlier). A path that cannot be read leaves the record's empty.
void ReadRegisteredLink(HKEY classKey, LPCWSTR keyName, PORT_OBJ* record)
{
    HKEY key = nullptr;
    if (OpenInterfaceSubkey(classKey, keyName, L"\\#\\Control", &key)) {
        RegReadDword(key, L"Linked", &record->dwLinked);
        RegCloseKey(key);
    }
    WCHAR path[kSymbolicLinkReadRoom] = L"";
    if (OpenInterfaceSubkey(classKey, keyName, L"\\#", &key)) {
        DWORD type = REG_NONE;
        // Only a plain string is a path; an expandable one would name another.
        if (RegQueryValueExW(key, L"SymbolicLink", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
            type == REG_SZ)
            RegReadText(key, L"SymbolicLink", path, kSymbolicLinkReadRoom);
        RegCloseKey(key);
    }
    CopyTextCut(record->szSymbolicLink, PORT_SYMLINK_ROOM, path);
}

// Windows 8 and later: the key name is the device path.
void LinkFromKeyName(LPCWSTR keyName, PORT_OBJ* record)
{
    CopyTextCut(record->szSymbolicLink, PORT_SYMLINK_ROOM, keyName);
    InterfaceKeyToDevicePath(record->szSymbolicLink);
    record->dwLinked = 1;
}

} // namespace

BOOL GetPrinterVidPid(DWORD row, LPWSTR vidPidOut, LPWSTR modelNameOut)
{
    const DWORD model = MODEL_FIRST + row;
    const ModelEntry* entry = GetModelEntry(model);
    if (vidPidOut)
        vidPidOut[0] = L'\0';
    if (modelNameOut)
        modelNameOut[0] = L'\0';
    if (!entry)
        return FALSE;
    if (vidPidOut)
        FormatModelVidPid(model, vidPidOut, VIDPID_TEXT_ROOM);
    if (modelNameOut) {
        DWORD n = 0;
        for (LPCWSTR c = entry->szModelName; *c && n + 1 < MODEL_NAME_ROOM; ++c) {
            if (*c != L' ')
                modelNameOut[n++] = *c;
        }
        modelNameOut[n] = L'\0';
    }
    return TRUE;
}

DWORD EnumDeviceClass2k(PORT_OBJ* record, DWORD portNumber, LPCWSTR vidPid, LPCWSTR modelName)
{
    WCHAR lowerIds[VIDPID_TEXT_ROOM];
    WCHAR classPath[PRINTER_KEY_PATH_ROOM];
    WCHAR keyName[kKeyNameRoom];
    HKEY classKey = nullptr;
    bool matched = false;

    CopyTextCut(lowerIds, VIDPID_TEXT_ROOM, vidPid);
    AsciiLowerInPlace(lowerIds);
    const WORD osCode = GetOSVersionCode();
    if (!BuildKeyPath(classPath, kDeviceClassesKey, USB_PRINTER_CLASS_KEY_TEXT, nullptr, ERROR_INVALID_FUNCTION) ||
        RegOpenForRead(HKEY_LOCAL_MACHINE, classPath, FALSE, &classKey) != ERROR_SUCCESS)
        return 0;
    for (DWORD index = 0; !matched && RegNextSubkey(classKey, &index, keyName, kKeyNameRoom);)
        matched = ServesPort(classKey, keyName, portNumber, lowerIds, modelName);
    if (matched) {
        if (osCode < kOsPathFromKeyName)
            ReadRegisteredLink(classKey, keyName, record);
        else
            LinkFromKeyName(keyName, record);
        DebugTrace(L"EnumDeviceClass2k(5), szSymbolicLink = %ls, dwLinked = %d,\n", record->szSymbolicLink,
                   record->dwLinked);
    }
    RegCloseKey(classKey);
    return matched ? 1 : 0;
}

void DetectPortModel(PORT_OBJ* record)
{
    WCHAR vidPid[VIDPID_TEXT_ROOM];
    WCHAR modelName[MODEL_NAME_ROOM];
    if (!record->bNotUsb) {
        for (DWORD row = 0; GetPrinterVidPid(row, vidPid, modelName); ++row) {
            if (EnumDeviceClass2k(record, record->dwPortNumber, vidPid, modelName)) {
                CopyTextCut(record->szVIDPID, PORT_VIDPID_ROOM, vidPid);
                return;
            }
        }
    }
    GetPrinterVidPid(0, vidPid, nullptr);
    CopyTextCut(record->szVIDPID, PORT_VIDPID_ROOM, vidPid);
}
