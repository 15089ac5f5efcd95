// The user's stored print areas and choices: exact keys, value names, types
// and bytes; what is taken back from sound, corrupt and foreign values.
#include "AreaImage.h"
#include "PrintAreaStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

const std::wstring kPrinter = L"Area Store Printer";
const LPCWSTR P = kPrinter.c_str();

PrintAreaRecord Record(const AreaImage& image)
{
    PrintAreaRecord record;
    memcpy(&record, image.data(), sizeof(record));
    return record;
}

// What a record held before a load.
const AreaImage kBefore = AreaImage(L"before", 2, 1).Byte(2, 2).Rects({{1, 2, 3, 4}, {5, 6, 7, 8}}).Dword(328, 0x5A);

class Store : public ::testing::Test {
protected:
    UserAreaKeys keys{kPrinter};
};

TEST_F(Store, SaveAndDeleteWriteTheWholeRecordUnderItsName)
{
    AreaImage image = AreaImage(L"Photo", 2, 1).Byte(2, 1).Rects({{10, 20, 110, 220}}).Dword(156, 0xFFFFFF);
    PrintAreaRecord record = Record(image.Dword(340, 7));
    EXPECT_EQ(ERROR_SUCCESS, SavePrintAreaToRegistry(P, L"Photo", &record));
    record.dwRectCount = 0;
    EXPECT_EQ(ERROR_SUCCESS, SavePrintAreaToRegistry(P, L"Photo", &record));
    StoredValue stored = ReadValue(keys.areas, L"Photo");
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), stored.type);
    EXPECT_EQ(image.Dword(164, 0).bytes(), stored.bytes);
    for (LPCWSTR bad : {L"", L"Full Card"})
        EXPECT_EQ(ERROR_INVALID_PARAMETER, SavePrintAreaToRegistry(P, bad, &record));
    EXPECT_EQ(ERROR_INVALID_PRINTER_NAME, SavePrintAreaToRegistry(L"", L"Photo", &record));
    EXPECT_EQ(ERROR_INVALID_PRINTER_NAME, SavePrintAreaToRegistry(std::wstring(600, L'p').c_str(), L"X", &record));
    EXPECT_EQ(ERROR_SUCCESS, SavePrintAreaToRegistry(P, L"Other", &record));
    EXPECT_EQ((std::vector<std::wstring>{L"Other", L"Photo"}), ValueNames(keys.areas));
    EXPECT_TRUE(ValueNames(keys.choices).empty());

    EXPECT_EQ(ERROR_SUCCESS, DeletePrintAreaFromRegistry(P, L"Photo"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, DeletePrintAreaFromRegistry(P, L"Photo"));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, DeletePrintAreaFromRegistry(P, L""));
    EXPECT_EQ(std::vector<std::wstring>{L"Other"}, ValueNames(keys.areas));
}

TEST_F(Store, ChoicesAreNamedBySidePanelAndOrientation)
{
    struct {
        BYTE side, panel, orientation;
        LPCWSTR valueName;
    } cases[] = {
        {0, 0, 1, L"PrintArea_Front_YMCO_P"}, {0, 1, 1, L"PrintArea_Front_K_P"}, {0, 2, 1, L"PrintArea_Front_E_P"},
        {1, 0, 1, L"PrintArea_Back_YMCO_P"},  {1, 1, 2, L"PrintArea_Back_K_L"},  {1, 2, 0, L"PrintArea_Back_E_L"},
        {0, 3, 2, L"PrintArea_Front_L"},
    };
    for (const auto& c : cases) {
        const std::wstring name = std::wstring(L"Choice ") + c.valueName;
        EXPECT_EQ(ERROR_SUCCESS, SaveDefaultPrintAreaName(P, name.c_str(), c.side, c.panel, c.orientation));
        EXPECT_TRUE(IsStoredText(ReadValue(keys.choices, c.valueName), name)) << c.valueName;
    }
    EXPECT_EQ(ARRAYSIZE(cases), ValueNames(keys.choices).size());
}

TEST_F(Store, ChoicesAreReadAsTextThatFitsWithItsTerminator)
{
    const std::wstring nine(9, L'n');
    struct {
        const char* what;
        DWORD type, bytes, room;
        LSTATUS status;
    } cases[] = {
        {"bare, exact room", REG_SZ, 18, 10, ERROR_SUCCESS}, {"terminated, exact room", REG_SZ, 20, 10, ERROR_SUCCESS},
        {"one more", REG_SZ, 18, 11, ERROR_SUCCESS},         {"one less", REG_SZ, 18, 9, ERROR_MORE_DATA},
        {"expandable", REG_EXPAND_SZ, 20, 10, ERROR_SUCCESS}, {"binary", REG_BINARY, 20, 10, ERROR_INVALID_DATATYPE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(ERROR_SUCCESS, keys.choices.SetBinary(L"PrintArea_Back_K_P", nine.c_str(), c.bytes, c.type));
        WCHAR read[16];
        std::fill(std::begin(read), std::end(read), L'#');
        EXPECT_EQ(c.status, LoadDefaultPrintAreaName(P, read, 1, 1, 1, c.room));
        EXPECT_EQ(c.status == ERROR_SUCCESS ? nine : L"", read);
        EXPECT_EQ(L'#', read[c.room]);
    }
    WCHAR read[4] = L"xyz";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LoadDefaultPrintAreaName(P, read, 0, 0, 1, 4));
    EXPECT_STREQ(L"", read);
}

TEST_F(Store, LoadTakesOnlySoundRecords)
{
    const AreaImage sound = AreaImage(L"A").Rects({{1, 1, 9, 9}});
    struct {
        const char* what;
        AreaImage image;
        DWORD type;
        LSTATUS status;
    } cases[] = {
        {"sound", sound, REG_BINARY, ERROR_SUCCESS},
        {"untyped", sound, REG_NONE, ERROR_SUCCESS},
        {"ten rectangles", AreaImage(L"A").Dword(164, 10), REG_BINARY, ERROR_SUCCESS},
        {"unterminated name", AreaImage(std::wstring(70, L'L').c_str()), REG_BINARY, ERROR_SUCCESS},
        {"text", sound, REG_SZ, ERROR_INVALID_DATA},
        {"one byte short", AreaImage(sound).Size(359), REG_BINARY, ERROR_INVALID_DATA},
        {"one byte long", AreaImage(sound).Size(361), REG_BINARY, ERROR_MORE_DATA},
        {"eleven rectangles", AreaImage(L"A").Dword(164, 11), REG_BINARY, ERROR_INVALID_DATA},
        {"no card width", AreaImage(sound).Dword(148, 0), REG_BINARY, ERROR_INVALID_DATA},
        {"no card height", AreaImage(sound).Dword(152, 0), REG_BINARY, ERROR_INVALID_DATA},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(ERROR_SUCCESS, keys.PutArea(L"Stored", c.image, c.type));
        PrintAreaRecord record = Record(kBefore);
        EXPECT_EQ(c.status, LoadPrintAreaFromRegistry(P, L"Stored", &record));
        PrintAreaRecord expected = Record(c.status == ERROR_SUCCESS ? c.image : kBefore);
        expected.szName[63] = L'\0'; // a name is always taken terminated
        EXPECT_EQ(0, memcmp(&expected, &record, sizeof(record)));
    }
    PrintAreaRecord record = Record(kBefore);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LoadPrintAreaFromRegistry(P, L"Missing", &record));
    EXPECT_EQ(0, memcmp(kBefore.data(), &record, sizeof(record)));
}

TEST_F(Store, FullCardIsBuiltInAndKeepsTheEntrysShape)
{
    ASSERT_EQ(ERROR_SUCCESS, keys.PutArea(L"Full Card", AreaImage(L"Stored").Rects({{1, 1, 2, 2}})));
    PrintAreaRecord record = Record(AreaImage(kBefore).Dword(156, 0xFFFFFF).Dword(160, 0));
    // No printer, so no key: the registry plays no part.
    EXPECT_EQ(ERROR_SUCCESS, LoadPrintAreaFromRegistry(L"", L"Full Card", &record));
    AreaImage expected = AreaImage(L"Full Card", 2, 1).Byte(2, 2).Rects({{0, 0, 0, 0}, {5, 6, 7, 8}}).Dword(328, 0x5A);
    EXPECT_EQ(0, memcmp(expected.Dword(164, 0).data(), &record, sizeof(record)));
    memset(&record, 0xEE, sizeof(record));
    SetFullCardRecord(&record, 2, 2);
    EXPECT_EQ(0, memcmp(AreaImage(L"Full Card", 2, 2).data(), &record, sizeof(record)));
}

TEST_F(Store, EnumerationListsSoundAreasOfThePanelAndOrientation)
{
    const std::wstring fits(255, L'f'), tooLong(256, L't');
    struct {
        std::wstring name;
        AreaImage image;
        DWORD type;
    } stored[] = {
        {L"Portrait YMCO", AreaImage(L"x", 1, 0), REG_BINARY}, {L"Untyped", AreaImage(L"x", 1, 0), REG_NONE},
        {fits, AreaImage(L"x", 1, 0), REG_BINARY},              {L"Landscape", AreaImage(L"x", 2, 0), REG_BINARY},
        {L"Portrait K", AreaImage(L"x", 1, 1), REG_BINARY},     {tooLong, AreaImage(L"x", 1, 0), REG_BINARY},
        {L"Full Card", AreaImage(L"x", 1, 0), REG_BINARY},      {L"Long", AreaImage(L"x").Size(361), REG_BINARY},
        {L"Too many", AreaImage(L"x").Dword(164, 11), REG_BINARY}, {L"Text", AreaImage(L"x"), REG_SZ},
    };
    for (const auto& s : stored)
        ASSERT_EQ(ERROR_SUCCESS, keys.PutArea(s.name.c_str(), s.image, s.type));
    struct {
        BYTE panel, orientation;
        std::vector<std::wstring> names; // sorted
    } cases[] = {{0, 1, {L"Portrait YMCO", L"Untyped", fits}}, {0, 2, {L"Landscape"}}, {1, 1, {L"Portrait K"}},
                 {2, 1, {}}};
    for (const auto& c : cases) {
        HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
        HWND list = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 9, 9, parent,
                                    reinterpret_cast<HMENU>(4019), nullptr, nullptr);
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Full Card"));
        EXPECT_EQ(c.names.size(), EnumPrintAreaNames(P, parent, 4019, c.panel, c.orientation));
        std::vector<std::wstring> items;
        for (LRESULT i = 0; i < SendMessageW(list, CB_GETCOUNT, 0, 0); ++i) {
            WCHAR text[300] = L"";
            SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        ASSERT_FALSE(items.empty());
        EXPECT_EQ(L"Full Card", items[0]);
        std::sort(items.begin() + 1, items.end());
        EXPECT_EQ(c.names, std::vector<std::wstring>(items.begin() + 1, items.end()));
        DestroyWindow(parent);
    }
    EXPECT_EQ(0u, EnumPrintAreaNames(L"", nullptr, 4019, 0, 1));
}

TEST(PrintAreaUnits, RoundDotsHalfUp)
{
    struct {
        BYTE unit;
        LONG dots;
        int value;
    } toUnit[] = {{0, 648, 648}, {1, 648, 549}, {1, 1012, 857}, {2, 648, 216}, {2, 1012, 337}, {2, 2, 1}, {7, 5, 5}};
    for (const auto& c : toUnit)
        EXPECT_EQ(c.value, DotsToUnit(c.dots, c.unit)) << int(c.unit) << " " << c.dots;
    struct {
        BYTE unit;
        int value;
        LONG dots;
    } toDots[] = {{1, 50, 59}, {2, 50, 150}, {0, 50, 50}, {1, 549, 648}, {2, 337, 1011}, {9, 5, 5}};
    for (const auto& c : toDots)
        EXPECT_EQ(c.dots, UnitToDots(c.value, c.unit)) << int(c.unit) << " " << c.value;
    DWORD w = 0, h = 0;
    GetCardSize(0, &w, &h);
    EXPECT_EQ(1012u * 1000 + 648, w * 1000 + h);
}

} // namespace
