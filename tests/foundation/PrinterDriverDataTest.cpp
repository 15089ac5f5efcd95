#include "Utilities.h"

#include "ScratchRegistryKey.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const DWORD kMarker = 0xC0FFEE;
const std::wstring kPrinters = L"System\\CurrentControlSet\\Control\\Print\\Printers\\";

bool KeyExists(HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

class DriverData : public testing::Test {
protected:
    std::wstring printer = L"Qel Util DriverData " + std::to_wstring(GetCurrentProcessId());
    // Removes the printer's key, and the PrinterDriverData key under it, at the end.
    ScratchRegistryKey printerKey{HKEY_LOCAL_MACHINE, kPrinters + printer};
    std::wstring dataPath = kPrinters + printer + L"\\PrinterDriverData";
};

TEST_F(DriverData, AValueWrittenIsReadBack)
{
    SetLastError(kMarker);
    EXPECT_EQ(ERROR_SUCCESS, SetRegValue(printer.c_str(), L"RibbonType", 0x80000005));
    EXPECT_EQ(kMarker, GetLastError());
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, dataPath));
    EXPECT_EQ(0x80000005u, CheckRegValue(printer.c_str(), L"RibbonType"));
    EXPECT_EQ(ERROR_SUCCESS, SetRegValue(printer.c_str(), L"RibbonType", 3));
    EXPECT_EQ(3u, CheckRegValue(printer.c_str(), L"RibbonType"));
}

TEST_F(DriverData, AMissingKeyOrValueReadsAsZero)
{
    EXPECT_EQ(0u, CheckRegValue(printer.c_str(), L"RibbonType"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, dataPath));
    ASSERT_EQ(ERROR_SUCCESS, SetRegValue(printer.c_str(), L"Other", 9));
    EXPECT_EQ(0u, CheckRegValue(printer.c_str(), L"RibbonType"));
}

TEST_F(DriverData, OnlyAFourByteDwordCounts)
{
    ScratchRegistryKey data(HKEY_LOCAL_MACHINE, dataPath);
    ASSERT_TRUE(data.ok());
    data.SetText(L"AsText", L"12");
    const BYTE eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    data.SetBinary(L"AsQword", eight, 8, REG_QWORD);
    const BYTE two[2] = {7, 0};
    data.SetBinary(L"Short", two, 2, REG_DWORD);
    const BYTE four[4] = {5, 0, 0, 0};
    data.SetBinary(L"AsBinary", four, 4, REG_BINARY);
    for (LPCWSTR name : {L"AsText", L"AsQword", L"Short", L"AsBinary"})
        EXPECT_EQ(0u, CheckRegValue(printer.c_str(), name)) << name;
}

TEST_F(DriverData, AnOverLongPrinterNameReachesNoKey)
{
    std::wstring name(600, L'q');
    SetLastError(kMarker);
    EXPECT_EQ(LSTATUS(ERROR_INVALID_PRINTER_NAME), SetRegValue(name.c_str(), L"RibbonType", 1));
    EXPECT_EQ(DWORD(ERROR_INVALID_PRINTER_NAME), GetLastError());
    SetLastError(kMarker);
    EXPECT_EQ(0u, CheckRegValue(name.c_str(), L"RibbonType"));
    EXPECT_EQ(DWORD(ERROR_INVALID_PRINTER_NAME), GetLastError());
    // The longest name that still fits the key path.
    std::wstring fits = std::wstring(511 - kPrinters.size() - wcslen(L"\\PrinterDriverData"), L'q');
    SetLastError(kMarker);
    LSTATUS status = SetRegValue(fits.c_str(), L"RibbonType", 1);
    // The path fits; the registry itself refuses a key name over 255 characters.
    EXPECT_NE(LSTATUS(ERROR_INVALID_PRINTER_NAME), status);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kPrinters + fits).c_str());
    SetLastError(kMarker);
    EXPECT_EQ(LSTATUS(ERROR_INVALID_PRINTER_NAME), SetRegValue((fits + L"q").c_str(), L"RibbonType", 1));
}

class DwordKey : public testing::Test {
protected:
    std::wstring path = L"Software\\QelUtilTest\\Dword" + std::to_wstring(GetCurrentProcessId());
    ~DwordKey() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QelUtilTest"); }
};

TEST_F(DwordKey, ReadingCreatesTheKeyAndLeavesTheOutputWithoutAValue)
{
    DWORD out = 1234;
    SetLastError(kMarker);
    EXPECT_TRUE(ReadRegDword(HKEY_CURRENT_USER, path.c_str(), L"Absent", &out));
    EXPECT_EQ(1234u, out);
    EXPECT_EQ(kMarker, GetLastError());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, path));
}

TEST_F(DwordKey, AWrittenValueIsReadBackAndOtherTypesAreIgnored)
{
    SetLastError(kMarker);
    EXPECT_TRUE(WriteRegDword(HKEY_CURRENT_USER, path.c_str(), L"Count", 0xFFFFFFFE));
    EXPECT_EQ(kMarker, GetLastError());
    DWORD out = 0;
    EXPECT_TRUE(ReadRegDword(HKEY_CURRENT_USER, path.c_str(), L"Count", &out));
    EXPECT_EQ(0xFFFFFFFEu, out);

    ScratchRegistryKey key(HKEY_CURRENT_USER, path);
    key.SetText(L"Count", L"5");
    out = 77;
    EXPECT_TRUE(ReadRegDword(HKEY_CURRENT_USER, path.c_str(), L"Count", &out));
    EXPECT_EQ(77u, out);
}

TEST_F(DwordKey, AKeyThatDoesNotOpenGivesFalse)
{
    DWORD out = 5;
    HKEY bogus = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7654321));
    SetLastError(kMarker);
    EXPECT_FALSE(ReadRegDword(bogus, L"Any", L"Value", &out));
    EXPECT_NE(kMarker, GetLastError());
    EXPECT_NE(0u, GetLastError());
    EXPECT_EQ(5u, out);
    SetLastError(kMarker);
    EXPECT_FALSE(WriteRegDword(bogus, L"Any", L"Value", 1));
    EXPECT_NE(kMarker, GetLastError());
    EXPECT_NE(0u, GetLastError());
    SetLastError(kMarker);
    EXPECT_FALSE(ReadRegDword(HKEY_CURRENT_USER, path.c_str(), L"Value", nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(DwordKey, AWriteTheRegistryRefusesIsReported)
{
    // Value names are limited to 16383 characters.
    std::wstring name(20000, L'v');
    SetLastError(kMarker);
    EXPECT_FALSE(WriteRegDword(HKEY_CURRENT_USER, path.c_str(), name.c_str(), 1));
    EXPECT_NE(kMarker, GetLastError());
    EXPECT_NE(0u, GetLastError());
}

} // namespace
