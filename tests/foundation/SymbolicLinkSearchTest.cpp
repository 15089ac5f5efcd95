// The device-path search through an interface class's registry keys, the
// link constructor that uses it, and interface-class notices.
#include "DiscoveryTestSupport.h"
#include "InterfaceNotification.h"
#include "ModelTable.h"

#include <aclapi.h>

#include <string>

namespace {

const DWORD kPathRoom = 260;
const WCHAR kT40Ids[] = L"VID_5D27&PID_0003";

class SymbolicLinkSearchTest : public ::testing::Test {
protected:
    SymbolicLinkSearchTest()
    {
        // A class of this process alone, so the keys and their order are the test's.
        WCHAR text[64];
        swprintf(text, 64, L"{%08lx-0000-4000-8000-00000000d15c}", static_cast<unsigned long>(GetCurrentProcessId()));
        classText = text;
    }

    // An interface key of the private class; keys are listed in name order,
    // which the instance name decides.
    FixtureInterface Key(LPCWSTR instance, DWORD linked, const std::wstring& symbolicLink)
    {
        FixtureInterface iface;
        iface.classKey = classText;
        iface.deviceId = kT40Ids;
        iface.instance = instance;
        iface.linked = linked;
        iface.symbolicLink = symbolicLink;
        return iface;
    }

    static std::wstring PathOf(LPCWSTR ids, LPCWSTR instance)
    {
        return std::wstring(L"\\\\?\\USB#") + ids + L"#" + instance + L"#" + FIXTURE_PRINTER_CLASS;
    }

    CDeviceRegistryFixture reg;
    std::wstring classText;
};

TEST_F(SymbolicLinkSearchTest, FindsTheFirstLinkedInterfaceOfTheIdsIgnoringCase)
{
    const std::wstring ours = L"\\\\?\\usb#VID_5d27&pid_0003#c#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
    ASSERT_TRUE(reg.AddInterface(Key(L"a", 0, PathOf(kT40Ids, L"a"))));
    ASSERT_TRUE(reg.AddInterface(Key(L"b", 1, PathOf(L"VID_5D27&PID_0101", L"b"))));
    ASSERT_TRUE(reg.AddInterface(Key(L"c", 1, ours)));
    ASSERT_TRUE(reg.AddInterface(Key(L"d", 1, PathOf(kT40Ids, L"d"))));

    CUsbLink link;
    const DWORD exact = static_cast<DWORD>(ours.size() + 1);
    for (DWORD room : {exact + 1, exact}) {
        WCHAR path[kPathRoom + 4];
        wmemset(path, L'#', kPathRoom + 4);
        EXPECT_RESULT(0u, link.GetSymbolicLink(path, room, classText.c_str(), kT40Ids));
        EXPECT_STREQ(ours.c_str(), path);
        EXPECT_EQ(L'#', path[exact]);
    }
    WCHAR path[kPathRoom];
    wmemset(path, L'#', kPathRoom);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER),
              link.GetSymbolicLink(path, exact - 1, classText.c_str(), kT40Ids));
    EXPECT_EQ(L'#', path[0]);
}

TEST_F(SymbolicLinkSearchTest, ResultTellsWhatTheLastKeyLacked)
{
    WCHAR path[kPathRoom] = L"kept";
    CUsbLink link;

    ASSERT_TRUE(reg.AddInterface(Key(L"a", 1, PathOf(L"VID_5D27&PID_0101", L"a"))));
    ASSERT_TRUE(reg.AddInterface(Key(L"b", 0, PathOf(kT40Ids, L"b"))));
    EXPECT_RESULT(2u, link.GetSymbolicLink(path, kPathRoom, classText.c_str(), kT40Ids));

    FixtureInterface noControl = Key(L"c", 1, PathOf(kT40Ids, L"c"));
    noControl.writeLinked = false;
    ASSERT_TRUE(reg.AddInterface(noControl));
    EXPECT_EQ(2u, link.GetSymbolicLink(path, kPathRoom, classText.c_str(), kT40Ids));

    FixtureInterface noPath = Key(L"d", 1, L"");
    noPath.writeSymbolicLink = false;
    ASSERT_TRUE(reg.AddInterface(noPath));
    EXPECT_RESULT(4u, link.GetSymbolicLink(path, kPathRoom, classText.c_str(), kT40Ids));

    ASSERT_TRUE(reg.AddInterface(Key(L"e", 1, PathOf(L"VID_5D27&PID_0201", L"e"))));
    EXPECT_EQ(4u, link.GetSymbolicLink(path, kPathRoom, classText.c_str(), kT40Ids));
    // An ids text shorter than the form never matches a longer path.
    ASSERT_TRUE(reg.AddInterface(Key(L"f", 1, PathOf(kT40Ids, L"f"))));
    EXPECT_EQ(4u, link.GetSymbolicLink(path, kPathRoom, classText.c_str(), L"VID_5D27"));
    EXPECT_STREQ(L"kept", path);
}

TEST_F(SymbolicLinkSearchTest, ClassWithoutInterfacesGivesNoPath)
{
    ASSERT_TRUE(reg.AddDeviceClass(classText.c_str()));
    WCHAR path[kPathRoom] = L"kept";
    CUsbLink link;
    EXPECT_RESULT(0u, link.GetSymbolicLink(path, kPathRoom, classText.c_str(), kT40Ids));
    EXPECT_STREQ(L"kept", path);
}

TEST_F(SymbolicLinkSearchTest, MissingOrMalformedClassGivesOne)
{
    WCHAR path[kPathRoom] = L"kept";
    CUsbLink link;
    const LPCWSTR classes[] = {
        classText.c_str(), // nothing written for it
        L"",
        L"{abc}",
        L"28d78fad-5a12-11d1-ae5b-0000f803a8c2",
        L"{28d78fad-5a12-11d1-ae5b-0000f803a8\\2}",
        L"{28d78fad-5a12-11d1-ae5b-0000f803a8c2}x",
    };
    for (LPCWSTR text : classes) {
        SCOPED_TRACE(testing::Message() << static_cast<const void*>(text));
        EXPECT_RESULT(1u, link.GetSymbolicLink(path, kPathRoom, text, kT40Ids));
    }
    EXPECT_STREQ(L"kept", path);

    EXPECT_RESULT(87u, link.GetSymbolicLink(nullptr, kPathRoom, classText.c_str(), kT40Ids));
    EXPECT_EQ(87u, link.GetSymbolicLink(path, 0, classText.c_str(), kT40Ids));
    EXPECT_EQ(87u, link.GetSymbolicLink(path, kPathRoom, nullptr, kT40Ids));
    EXPECT_EQ(87u, link.GetSymbolicLink(path, kPathRoom, classText.c_str(), nullptr));
}

TEST_F(SymbolicLinkSearchTest, UnreadableFirstKeyDoesNotEndTheSearch)
{
    FixtureInterface locked = Key(L"a", 1, PathOf(kT40Ids, L"a"));
    ASSERT_TRUE(reg.AddInterface(locked));
    ASSERT_TRUE(reg.AddInterface(Key(L"b", 1, PathOf(kT40Ids, L"b"))));

    // An empty access list lets nobody read the key.
    const std::wstring lockedPath = L"MACHINE\\" + CDeviceRegistryFixture::InterfaceKey(locked);
    ACL empty;
    ASSERT_TRUE(InitializeAcl(&empty, sizeof(empty), ACL_REVISION));
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              SetNamedSecurityInfoW(const_cast<LPWSTR>(lockedPath.c_str()), SE_REGISTRY_KEY,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                    &empty, nullptr));
    HKEY probe = nullptr;
    LSTATUS denied =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, CDeviceRegistryFixture::InterfaceKey(locked).c_str(), 0, KEY_READ, &probe);
    if (probe)
        RegCloseKey(probe);

    WCHAR path[kPathRoom] = L"";
    CUsbLink link;
    DWORD result = link.GetSymbolicLink(path, kPathRoom, classText.c_str(), kT40Ids);
    // Give the key back to its owner so the fixture can remove it.
    SetNamedSecurityInfoW(const_cast<LPWSTR>(lockedPath.c_str()), SE_REGISTRY_KEY,
                          DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                          nullptr);
    if (denied == ERROR_SUCCESS)
        GTEST_SKIP() << "this registry does not enforce key access lists";
    EXPECT_EQ(0u, result);
    EXPECT_STREQ(PathOf(kT40Ids, L"b").c_str(), path);
}

// ---- The link constructor with class, ids and path -------------------------------------

TEST_F(SymbolicLinkSearchTest, ConstructorFindsThePathOfItsIdsAndOpensIt)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0003, L"ctor");
    ASSERT_TRUE(reg.AddInterface(Key(L"x", 1, printer.path)));

    CUsbLink link(classText.c_str(), kT40Ids, nullptr);
    EXPECT_EQ(0, link.m_byLinkSearch);
    EXPECT_STREQ(printer.path.c_str(), link.m_szSymbolicLink);
    EXPECT_STREQ(classText.c_str(), link.m_szGUID);
    EXPECT_STREQ(kT40Ids, link.m_szVIDPID);
    EXPECT_EQ(5u, link.m_dwModelSN);
    EXPECT_EQ(5000u, link.m_dwTimeOutR);
    EXPECT_EQ(0u, link.OpenUsb());
    EXPECT_TRUE(MutexExists(MutexNameOf(printer.path)));
    EXPECT_TRUE(printer.emu->WaitForConnections(1, kConnectWaitMs));
}

TEST_F(SymbolicLinkSearchTest, ConstructorWhoseSearchFailedRefusesToOpen)
{
    ASSERT_TRUE(reg.AddInterface(Key(L"x", 1, PathOf(kT40Ids, L"x"))));

    CUsbLink other(classText.c_str(), L"VID_5D27&PID_0101", nullptr);
    EXPECT_EQ(4, other.m_byLinkSearch);
    EXPECT_STREQ(L"", other.m_szSymbolicLink);
    EXPECT_EQ(1u, other.m_dwModelSN);
    EXPECT_EQ(1u, other.OpenUsb());
    EXPECT_EQ(nullptr, other.m_hPipe);

    CUsbLink noClass(nullptr, kT40Ids, nullptr);
    EXPECT_EQ(1, noClass.m_byLinkSearch);
    EXPECT_STREQ(L"", noClass.m_szGUID);
    EXPECT_EQ(5u, noClass.m_dwModelSN);
    EXPECT_EQ(1u, noClass.OpenUsb());

    CUsbLink nothing(nullptr, nullptr, nullptr);
    EXPECT_EQ(1, nothing.m_byLinkSearch);
    EXPECT_EQ(0u, nothing.m_dwModelSN);
}

TEST_F(SymbolicLinkSearchTest, ConstructorTakesTheIdsFromAGivenPath)
{
    EmulatedUsbPrinter printer = StartUsbPrinter(reg, 0x0101, L"given");

    CUsbLink link(nullptr, nullptr, printer.path.c_str());
    EXPECT_EQ(0, link.m_byLinkSearch);
    EXPECT_STREQ(Lower(printer.path).c_str(), link.m_szSymbolicLink);
    EXPECT_STREQ(L"vid_5d27&pid_0101", link.m_szVIDPID);
    EXPECT_EQ(1u, link.m_dwModelSN);
    EXPECT_EQ(0u, link.OpenUsb());
    EXPECT_TRUE(MutexExists(MutexNameOf(printer.path)));
    EXPECT_TRUE(printer.emu->WaitForConnections(1, kConnectWaitMs));

    // Given ids win and the path keeps its case.
    CUsbLink withIds(nullptr, L"VID_5D27&PID_0102", printer.path.c_str());
    EXPECT_STREQ(printer.path.c_str(), withIds.m_szSymbolicLink);
    EXPECT_STREQ(L"VID_5D27&PID_0102", withIds.m_szVIDPID);
    EXPECT_EQ(6u, withIds.m_dwModelSN);
}

TEST_F(SymbolicLinkSearchTest, ConstructorReadsNoIdsFromTextsTooShortForThem)
{
    CUsbLink noVid(nullptr, nullptr, L"\\\\?\\USB#ROOT_HUB#1#{x}");
    EXPECT_STREQ(L"", noVid.m_szVIDPID);
    EXPECT_EQ(0u, noVid.m_dwModelSN);

    CUsbLink cut(nullptr, nullptr, L"\\\\?\\USB#VID_5D27&PID_00");
    EXPECT_STREQ(L"", cut.m_szVIDPID);
    EXPECT_EQ(0u, cut.m_dwModelSN);

    CUsbLink shortIds(nullptr, L"VID_5D27", L"\\\\?\\USB#VID_5D27&PID_0003#1#{x}");
    EXPECT_STREQ(L"VID_5D27", shortIds.m_szVIDPID);
    EXPECT_EQ(0u, shortIds.m_dwModelSN);

    CUsbLink wide(nullptr, L"VID_15D27&PID_0003", L"\\\\?\\USB#VID_5D27&PID_0003#1#{x}");
    EXPECT_EQ(0u, wide.m_dwModelSN);

    std::wstring longPath = L"\\\\?\\USB#VID_5D27&PID_0003#" + std::wstring(300, L'i');
    CUsbLink tooLong(nullptr, nullptr, longPath.c_str());
    EXPECT_NE(0, tooLong.m_byLinkSearch);
    EXPECT_STREQ(L"", tooLong.m_szSymbolicLink);
    EXPECT_EQ(1u, tooLong.OpenUsb());
}

// ---- Notices of an interface class ----------------------------------------------------

TEST(InterfaceNotification, RegistersAWindowForTheClassNamedByItsText)
{
    const LPCWSTR kPrinterClassText = L"{28D78FAD-5A12-11D1-AE5B-0000F803A8C2}";
    HWND window = CreateWindowExW(0, L"STATIC", L"notices", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);

    HDEVNOTIFY handle = nullptr;
    SetLastError(kDiscoveryMarker);
    EXPECT_TRUE(RegisterInterfaceNotification(window, kPrinterClassText, &handle));
    EXPECT_NE(nullptr, handle);
    if (handle) {
        EXPECT_TRUE(UnregisterDeviceNotification(handle));
    }

    // Each refusal leaves no registration behind.
    struct Refusal {
        HWND window;
        LPCWSTR text;
    } refusals[] = {{window, L"{28D78FAD-5A12"}, {window, L""}, {window, nullptr}, {nullptr, kPrinterClassText}};
    for (const Refusal& refusal : refusals) {
        handle = reinterpret_cast<HDEVNOTIFY>(1);
        SetLastError(kDiscoveryMarker);
        EXPECT_FALSE(RegisterInterfaceNotification(refusal.window, refusal.text, &handle));
        EXPECT_EQ(87u, GetLastError());
        EXPECT_EQ(nullptr, handle);
    }
    SetLastError(kDiscoveryMarker);
    EXPECT_FALSE(RegisterInterfaceNotification(window, kPrinterClassText, nullptr));
    EXPECT_EQ(87u, GetLastError());

    DestroyWindow(window);
}

} // namespace
