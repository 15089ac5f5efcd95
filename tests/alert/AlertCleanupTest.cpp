// The device clean-up of "QelAlert -U", run only in a Wine prefix of its own
// (never the shared test prefix, never a real system): fake devices of the
// USB and printer classes, fake print-queue keys, then the real program.
#include <windows.h>
#include <initguid.h>
#include <aclapi.h>
#include <devguid.h>
#include <setupapi.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DeviceCleanup.h"
#include "DeviceRegistryFixture.h"
#include "ProgramRun.h"

namespace {

const DWORD RUN_TIMEOUT_MS = 30000;
const WCHAR kEnum[] = L"SYSTEM\\CurrentControlSet\\Enum\\";
const WCHAR kPrintEnum[] = L"SYSTEM\\CurrentControlSet\\Enum\\SWD\\PRINTENUM";
// More matching print queues than a fixed list of 100 would hold.
const int MANY_QUEUES = 110;

// Only Wine's ntdll exports wine_get_version, and the runner names the
// prefix in WINEPREFIX.
bool InThrowAwayPrefix()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !GetProcAddress(ntdll, "wine_get_version"))
        return false;
    WCHAR prefix[1024];
    DWORD n = GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024);
    if (n == 0 || n >= 1024)
        return false;
    std::wstring path(prefix, n), name = std::wstring(L"/") + QEL_CLEANUP_PREFIX;
    auto endsWith = [&](const std::wstring& tail) {
        return path.size() >= tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
    };
    return endsWith(name) || endsWith(name + L"-win32");
}

const auto KeyExists = CDeviceRegistryFixture::KeyExists;

struct FakeDevice {
    const GUID* classGuid;
    LPCWSTR instanceId;
    bool removed;
};

const FakeDevice kDevices[] = {
    {&GUID_DEVCLASS_USB, L"USB\\Vid_5d27&Pid_0101\\QELA1", true},
    {&GUID_DEVCLASS_USB, L"USB\\VID_5D27&PID_0003\\QELA2", true},
    {&GUID_DEVCLASS_USB, L"USB\\Vid_5d27&Pid_0102\\QELA3", false},
    // Its own key is not in the list: only the device removal takes it.
    {&GUID_DEVCLASS_USB, L"USB\\Vid_5d27&Pid_0201X\\QELA4", true},
    {&GUID_DEVCLASS_PRINTER, L"USBPRINT\\VornexT40W\\QELB1", true},
    {&GUID_DEVCLASS_PRINTER, L"USBPRINT\\VornexT40\\QELB2", true},
    {&GUID_DEVCLASS_PRINTER, L"USBPRINT\\vornext42d\\QELB3", true},
    {&GUID_DEVCLASS_PRINTER, L"USBPRINT\\OtherT40\\QELB4", false},
    {&GUID_DEVCLASS_PRINTER, L"USBPRINT\\VornexT41WX\\QELB5", true},
};

bool CreateDevice(const FakeDevice& device)
{
    HDEVINFO set = SetupDiCreateDeviceInfoList(device.classGuid, nullptr);
    if (set == INVALID_HANDLE_VALUE)
        return false;
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof(data);
    bool ok = SetupDiCreateDeviceInfoW(set, device.instanceId, device.classGuid, nullptr, nullptr, 0, &data) &&
              SetupDiRegisterDeviceInfo(set, &data, 0, nullptr, nullptr, nullptr);
    SetupDiDestroyDeviceInfoList(set);
    return ok;
}

// The key of the device id, the instance id without its instance part.
std::wstring DeviceIdKey(const FakeDevice& device)
{
    std::wstring id = device.instanceId;
    return kEnum + id.substr(0, id.rfind(L'\\'));
}

// A registry value as stored: its units exactly, terminators only where given.
struct RawValue {
    LPCWSTR name;
    DWORD type;
    std::wstring units;
};

struct FakeQueue {
    std::wstring name;
    std::vector<RawValue> values;
    bool deleted;
};

std::vector<FakeQueue> Queues()
{
    using namespace std::string_literals;
    auto queue = [](LPCWSTR name, std::wstring mfg, std::wstring friendly, DWORD hwType, std::wstring hw,
                    bool deleted, DWORD mfgType = REG_SZ) {
        return FakeQueue{name,
                         {{L"Mfg", mfgType, mfg}, {L"FriendlyName", REG_SZ, friendly}, {L"HardwareID", hwType, hw}},
                         deleted};
    };
    std::vector<FakeQueue> queues = {
        queue(L"QELC1", L"VORNEX\0"s, L"Vornex T40 Card\0"s, REG_MULTI_SZ, L"LocalPrintQueue\0\0"s, true),
        queue(L"QELC2", L"VORNEX\0"s, L"vornex t40 card\0"s, REG_MULTI_SZ, L"LocalPrintQueue\0\0"s, false),
        queue(L"QELC3", L"Vornex\0"s, L"Vornex T42D\0"s, REG_MULTI_SZ, L"VORNEXT42D3A4E\0\0"s, true),
        queue(L"QELC4", L"Vornex\0"s, L"Vornex T42\0"s, REG_MULTI_SZ, L"other\0LocalPrintQueue\0\0"s, false),
        queue(L"QELC5", L"Other\0"s, L"Vornex T42\0"s, REG_MULTI_SZ, L"LocalPrintQueue\0\0"s, false),
        // Values count only with their own types.
        queue(L"QELC6", L"Vornex\0"s, L"Vornex T42\0"s, REG_MULTI_SZ, L"LocalPrintQueue\0\0"s, false, REG_BINARY),
        queue(L"QELC7", L"Vornex\0"s, L"Vornex T42\0"s, REG_SZ, L"LocalPrintQueue\0"s, false),
        // Stored without their terminators, they are read terminated.
        queue(L"QELC8", L"Vornex"s, L"Vornex T41"s, REG_MULTI_SZ, L"LocalPrintQueue"s, true),
    };
    for (int i = 0; i < MANY_QUEUES; ++i)
        queues.push_back(queue((L"QELD" + std::to_wstring(i)).c_str(), L"Vornex\0"s, L"Vornex T40\0"s, REG_MULTI_SZ,
                               L"LocalPrintQueue\0\0"s, true));
    return queues;
}

bool CreateQueue(const FakeQueue& queue)
{
    HKEY key = nullptr;
    std::wstring path = std::wstring(kPrintEnum) + L"\\" + queue.name + L"\\Properties";
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    path = std::wstring(kPrintEnum) + L"\\" + queue.name;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (const RawValue& v : queue.values)
        ok = ok && RegSetValueExW(key, v.name, 0, v.type, reinterpret_cast<const BYTE*>(v.units.data()),
                                  DWORD(v.units.size() * sizeof(WCHAR))) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

// The access list of an Enum key, as bytes.
std::string Dacl(LPCWSTR enumerator)
{
    std::wstring object = std::wstring(L"MACHINE\\") + kEnum + enumerator;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(object.c_str(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return "unreadable";
    std::string bytes = dacl ? std::string(reinterpret_cast<const char*>(dacl), dacl->AclSize) : "none";
    LocalFree(descriptor);
    return bytes;
}

class Cleanup : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(InThrowAwayPrefix()) << "the clean-up runs only in its own Wine prefix";
        // Whatever an earlier run left behind goes first.
        for (const FakeDevice& device : kDevices)
            SHDeleteKeyW(HKEY_LOCAL_MACHINE, DeviceIdKey(device).c_str());
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, kPrintEnum);
        for (const FakeDevice& device : kDevices)
            ASSERT_TRUE(CreateDevice(device)) << device.instanceId << ", error " << GetLastError();
        for (const FakeQueue& queue : m_queues)
            ASSERT_TRUE(CreateQueue(queue)) << queue.name;
    }

    void ExpectDevices(bool cleanedUp)
    {
        for (const FakeDevice& device : kDevices)
            EXPECT_EQ(cleanedUp && device.removed, !KeyExists(kEnum + std::wstring(device.instanceId)))
                << device.instanceId;
        for (const FakeQueue& queue : m_queues)
            EXPECT_EQ(cleanedUp && queue.deleted, !KeyExists(std::wstring(kPrintEnum) + L"\\" + queue.name))
                << queue.name;
    }

    std::vector<FakeQueue> m_queues = Queues();
    CProgramRun m_run{L"QelAlert.exe"};
};

TEST_F(Cleanup, MinusURemovesTheCardPrintersDevicesAndRestoresTheAccessLists)
{
    const std::string usbDacl = Dacl(L"USB"), usbPrintDacl = Dacl(L"USBPRINT");
    ASSERT_NE("unreadable", usbDacl);
    ASSERT_TRUE(m_run.Start(L"-U"));
    DWORD code = 1;
    ASSERT_TRUE(m_run.WaitForExit(RUN_TIMEOUT_MS, &code));
    EXPECT_EQ(0u, code);
    ExpectDevices(true);
    // The listed device-id keys go with all their instances.
    EXPECT_FALSE(KeyExists(std::wstring(kEnum) + L"USB\\Vid_5d27&Pid_0101"));
    EXPECT_FALSE(KeyExists(std::wstring(kEnum) + L"USBPRINT\\VornexT40W"));
    EXPECT_EQ(usbDacl, Dacl(L"USB"));
    EXPECT_EQ(usbPrintDacl, Dacl(L"USBPRINT"));
}

TEST_F(Cleanup, APrinterOrTextNamedMinusUWipesNothing)
{
    ASSERT_TRUE(m_run.Start(L"-n -U -p \"USB001\" -e \"-U\""));
    ASSERT_NE(nullptr, m_run.WaitForDialog(L"-U @ USB001", RUN_TIMEOUT_MS));
    ASSERT_TRUE(m_run.Click(IDOK));
    DWORD code = 1;
    ASSERT_TRUE(m_run.WaitForExit(RUN_TIMEOUT_MS, &code));
    EXPECT_EQ(0u, code);
    ExpectDevices(false);
}

TEST_F(Cleanup, StepsReportWhatTheyCouldNotReach)
{
    EXPECT_EQ(0u, RemoveUsbDevices(L"USB", L"{not a class}", g_UsbIdList));
    ExpectDevices(false);
    ASSERT_EQ(ERROR_SUCCESS, SHDeleteKeyW(HKEY_LOCAL_MACHINE, kPrintEnum));
    EXPECT_EQ(0u, RemovePrintEnumKeys());
}

} // namespace
