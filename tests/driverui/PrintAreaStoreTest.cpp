// The user's stored print areas and choices: exact keys, value names, types
// and bytes; what is taken back from sound, corrupt and foreign values.
#include "AreaImage.h"
#include "PrintAreaStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

const std::wstring kPrinter = L"Area Store Printer";

PrintAreaRecord Record(const AreaImage& image)
{
    PrintAreaRecord record;
    memcpy(&record, image.data(), sizeof(record));
    return record;
}

// A record that says where it came from.
PrintAreaRecord Marked()
{
    AreaImage image(L"before", 2, 1);
    image.Byte(2, 2).Rects({{1, 2, 3, 4}, {5, 6, 7, 8}}).Dword(328, 0x5A5A5A5A);
    return Record(image);
}

class Store : public ::testing::Test {
protected:
    UserAreaKeys keys{kPrinter};
};

TEST_F(Store, SaveWritesTheWholeRecordAsBinaryUnderItsName)
{
    AreaImage image(L"Photo", 2, 1);
    image.Byte(2, 1).Rects({{10, 20, 110, 220}, {0, 0, 5, 5}}).Dword(156, 0xFFFFFF).Dword(160, 0).Dword(340, 7);
    PrintAreaRecord record = Record(image);
    EXPECT_EQ(ERROR_SUCCESS, SavePrintAreaToRegistry(kPrinter.c_str(), L"Photo", &record));
    StoredValue stored = keys.Area(L"Photo");
    EXPECT_EQ(ERROR_SUCCESS, stored.status);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), stored.type);
    EXPECT_EQ(image.bytes(), stored.bytes);
    // Saving again replaces the value; nothing else is written.
    record.dwRectCount = 1;
    EXPECT_EQ(ERROR_SUCCESS, SavePrintAreaToRegistry(kPrinter.c_str(), L"Photo", &record));
    EXPECT_EQ(image.Dword(164, 1).bytes(), keys.Area(L"Photo").bytes);
    EXPECT_EQ(std::vector<std::wstring>{L"Photo"}, keys.ValueNames(true));
    EXPECT_TRUE(keys.ValueNames(false).empty());

    for (LPCWSTR bad : {L"", L"Full Card"})
        EXPECT_EQ(ERROR_INVALID_PARAMETER, SavePrintAreaToRegistry(kPrinter.c_str(), bad, &record));
    EXPECT_EQ(ERROR_INVALID_PRINTER_NAME, SavePrintAreaToRegistry(L"", L"Photo", &record));
    EXPECT_EQ(ERROR_INVALID_PRINTER_NAME,
              SavePrintAreaToRegistry(std::wstring(600, L'p').c_str(), L"Photo", &record));
    EXPECT_EQ(std::vector<std::wstring>{L"Photo"}, keys.ValueNames(true));
}

TEST_F(Store, DeleteRemovesOnlyThatValue)
{
    ASSERT_EQ(ERROR_SUCCESS, keys.PutArea(L"One", AreaImage(L"One")));
    ASSERT_EQ(ERROR_SUCCESS, keys.PutArea(L"Two", AreaImage(L"Two")));
    EXPECT_EQ(ERROR_SUCCESS, DeletePrintAreaFromRegistry(kPrinter.c_str(), L"One"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, DeletePrintAreaFromRegistry(kPrinter.c_str(), L"One"));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, DeletePrintAreaFromRegistry(kPrinter.c_str(), L""));
    EXPECT_EQ(std::vector<std::wstring>{L"Two"}, keys.ValueNames(true));
}

TEST_F(Store, ChoicesAreNamedBySidePanelAndOrientation)
{
    struct {
        BYTE side, panel, orientation;
        LPCWSTR valueName;
    } cases[] = {
        {0, 0, 1, L"PrintArea_Front_YMCO_P"}, {0, 1, 1, L"PrintArea_Front_K_P"}, {0, 2, 1, L"PrintArea_Front_E_P"},
        {1, 0, 1, L"PrintArea_Back_YMCO_P"},  {1, 1, 2, L"PrintArea_Back_K_L"},  {1, 2, 2, L"PrintArea_Back_E_L"},
        {0, 0, 2, L"PrintArea_Front_YMCO_L"}, {0, 3, 0, L"PrintArea_Front_L"},
    };
    for (const auto& c : cases) {
        std::wstring name = std::wstring(L"Choice ") + c.valueName;
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.side) << "/" << static_cast<int>(c.panel) << "/"
                                        << static_cast<int>(c.orientation));
        EXPECT_EQ(ERROR_SUCCESS, SaveDefaultPrintAreaName(kPrinter.c_str(), name.c_str(), c.side, c.panel,
                                                          c.orientation));
        EXPECT_TRUE(IsStoredText(keys.Choice(c.valueName), name));
        WCHAR read[PRINT_AREA_LIST_TEXT_ROOM];
        EXPECT_EQ(ERROR_SUCCESS, LoadDefaultPrintAreaName(kPrinter.c_str(), read, c.side, c.panel, c.orientation,
                                                          PRINT_AREA_LIST_TEXT_ROOM));
        EXPECT_EQ(name, read);
    }
    EXPECT_EQ(ARRAYSIZE(cases), keys.ValueNames(false).size());
}

TEST_F(Store, ChoicesAreReadOnlyAsTextThatFitsWithItsTerminator)
{
    const LPCWSTR valueName = L"PrintArea_Back_K_P";
    const std::wstring fits(9, L'n');
    struct {
        const char* what;
        DWORD type;
        std::wstring text;
        bool terminated;
        DWORD room;
        LSTATUS status;
    } cases[] = {
        {"bare text, exact room", REG_SZ, fits, false, 10, ERROR_SUCCESS},
        {"terminated text, exact room", REG_SZ, fits, true, 10, ERROR_SUCCESS},
        {"one more", REG_SZ, fits, false, 11, ERROR_SUCCESS},
        {"one less", REG_SZ, fits, false, 9, ERROR_MORE_DATA},
        {"expandable text", REG_EXPAND_SZ, fits, true, 10, ERROR_SUCCESS},
        {"binary", REG_BINARY, fits, true, 10, ERROR_INVALID_DATATYPE},
        {"several texts", REG_MULTI_SZ, fits, true, 10, ERROR_INVALID_DATATYPE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DWORD bytes = static_cast<DWORD>((c.text.size() + (c.terminated ? 1 : 0)) * sizeof(WCHAR));
        ASSERT_EQ(ERROR_SUCCESS, keys.PutRaw(false, valueName, c.type, c.text.c_str(), bytes));
        WCHAR read[16];
        std::fill(std::begin(read), std::end(read), L'#');
        EXPECT_EQ(c.status, LoadDefaultPrintAreaName(kPrinter.c_str(), read, 1, 1, 1, c.room));
        EXPECT_EQ(c.status == ERROR_SUCCESS ? c.text : std::wstring(), read);
        EXPECT_EQ(L'#', read[c.room]);
    }
    WCHAR read[4] = L"xyz";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LoadDefaultPrintAreaName(kPrinter.c_str(), read, 0, 0, 1, 4));
    EXPECT_STREQ(L"", read);
}

TEST_F(Store, LoadTakesOnlySoundRecordsThroughAScratchBuffer)
{
    std::wstring longName(70, L'L');
    struct {
        const char* what;
        AreaImage image;
        DWORD type;
        LSTATUS status;
    } cases[] = {
        {"sound", AreaImage(L"A").Rects({{1, 1, 9, 9}}), REG_BINARY, ERROR_SUCCESS},
        {"untyped", AreaImage(L"A").Rects({{1, 1, 9, 9}}), REG_NONE, ERROR_SUCCESS},
        {"ten rectangles", AreaImage(L"A").Dword(164, 10), REG_BINARY, ERROR_SUCCESS},
        {"text typed", AreaImage(L"A"), REG_SZ, ERROR_INVALID_DATA},
        {"dword typed", AreaImage(L"A").Size(4), REG_DWORD, ERROR_INVALID_DATA},
        {"one byte short", AreaImage(L"A").Size(359), REG_BINARY, ERROR_INVALID_DATA},
        {"one byte long", AreaImage(L"A").Size(361), REG_BINARY, ERROR_MORE_DATA},
        {"empty", AreaImage(L"A").Size(0), REG_BINARY, ERROR_INVALID_DATA},
        {"eleven rectangles", AreaImage(L"A").Dword(164, 11), REG_BINARY, ERROR_INVALID_DATA},
        {"no card width", AreaImage(L"A").Dword(148, 0), REG_BINARY, ERROR_INVALID_DATA},
        {"no card height", AreaImage(L"A").Dword(152, 0), REG_BINARY, ERROR_INVALID_DATA},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(ERROR_SUCCESS, keys.PutArea(L"Stored", c.image, c.type));
        PrintAreaRecord record = Marked();
        EXPECT_EQ(c.status, LoadPrintAreaFromRegistry(kPrinter.c_str(), L"Stored", &record));
        PrintAreaRecord expected = c.status == ERROR_SUCCESS ? Record(c.image) : Marked();
        EXPECT_EQ(0, memcmp(&expected, &record, sizeof(record)));
    }
    // A name without its terminator comes back cut to the record's 63.
    ASSERT_EQ(ERROR_SUCCESS, keys.PutArea(L"Long", AreaImage(longName.c_str())));
    PrintAreaRecord record = Marked();
    EXPECT_EQ(ERROR_SUCCESS, LoadPrintAreaFromRegistry(kPrinter.c_str(), L"Long", &record));
    EXPECT_EQ(std::wstring(63, L'L'), record.szName);
    // A missing value leaves the record.
    record = Marked();
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LoadPrintAreaFromRegistry(kPrinter.c_str(), L"Missing", &record));
    PrintAreaRecord marked = Marked();
    EXPECT_EQ(0, memcmp(&marked, &record, sizeof(record)));
}

TEST_F(Store, FullCardIsBuiltInAndKeepsTheEntrysShape)
{
    ASSERT_EQ(ERROR_SUCCESS, keys.PutArea(L"Full Card", AreaImage(L"Stored Full Card").Rects({{1, 1, 2, 2}})));
    PrintAreaRecord record = Marked();
    record.dwOutsideColor = 0xFFFFFF;
    record.dwInsideColor = 0;
    // The printer plays no part: no key is opened.
    EXPECT_EQ(ERROR_SUCCESS, LoadPrintAreaFromRegistry(L"", L"Full Card", &record));
    PrintAreaRecord expected = Marked();
    expected.dwRectCount = 0;
    SetRectEmpty(&expected.rcAreas[0]);
    memset(expected.szName, 0, sizeof(expected.szName));
    wcscpy(expected.szName, L"Full Card");
    EXPECT_EQ(0, memcmp(&expected, &record, sizeof(record)));

    PrintAreaRecord built;
    memset(&built, 0xEE, sizeof(built));
    SetFullCardRecord(&built, 2, 2);
    EXPECT_EQ(0, memcmp(&built, AreaImage(L"Full Card", 2, 2).data(), sizeof(built)));
}

// A parent window with the list the names go into.
struct NameList {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND list = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100, parent,
                                reinterpret_cast<HMENU>(4019), nullptr, nullptr);
    ~NameList() { DestroyWindow(parent); }
    std::vector<std::wstring> Items() const
    {
        std::vector<std::wstring> items;
        for (LRESULT i = 0; i < SendMessageW(list, CB_GETCOUNT, 0, 0); ++i) {
            WCHAR text[300] = L"";
            SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
};

TEST_F(Store, EnumerationListsSoundAreasOfThePanelAndOrientation)
{
    const std::wstring fits(255, L'f'), tooLong(256, L't');
    struct {
        std::wstring name;
        AreaImage image;
        DWORD type;
    } stored[] = {
        {L"Portrait YMCO", AreaImage(L"x", 1, 0), REG_BINARY},
        {L"Untyped", AreaImage(L"x", 1, 0), REG_NONE},
        {fits, AreaImage(L"x", 1, 0), REG_BINARY},
        {L"Landscape YMCO", AreaImage(L"x", 2, 0), REG_BINARY},
        {L"Portrait K", AreaImage(L"x", 1, 1), REG_BINARY},
        {tooLong, AreaImage(L"x", 1, 0), REG_BINARY},
        {L"Full Card", AreaImage(L"x", 1, 0), REG_BINARY},
        {L"Long value", AreaImage(L"x", 1, 0).Size(361), REG_BINARY},
        {L"Short value", AreaImage(L"x", 1, 0).Size(359), REG_BINARY},
        {L"Too many", AreaImage(L"x", 1, 0).Dword(164, 11), REG_BINARY},
        {L"No card", AreaImage(L"x", 1, 0).Dword(148, 0), REG_BINARY},
        {L"Text", AreaImage(L"x", 1, 0), REG_SZ},
    };
    for (const auto& s : stored)
        ASSERT_EQ(ERROR_SUCCESS, keys.PutArea(s.name, s.image, s.type));
    struct {
        BYTE panel, orientation;
        std::vector<std::wstring> names;
    } cases[] = {
        {0, 1, {L"Portrait YMCO", L"Untyped", fits}},
        {0, 2, {L"Landscape YMCO"}},
        {1, 1, {L"Portrait K"}},
        {2, 1, {}},
    };
    for (const auto& c : cases) {
        NameList list;
        ASSERT_NE(nullptr, list.list);
        SendMessageW(list.list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Full Card"));
        EXPECT_EQ(c.names.size(), EnumPrintAreaNames(kPrinter.c_str(), list.parent, 4019, c.panel, c.orientation));
        std::vector<std::wstring> items = list.Items();
        ASSERT_EQ(c.names.size() + 1, items.size());
        EXPECT_EQ(L"Full Card", items[0]);
        // Windows lists values in the order they were made, Wine by name.
        std::vector<std::wstring> listed(items.begin() + 1, items.end()), expected = c.names;
        std::sort(listed.begin(), listed.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(expected, listed);
    }
    NameList list;
    EXPECT_EQ(0u, EnumPrintAreaNames(L"", list.parent, 4019, 0, 1));
    EXPECT_TRUE(list.Items().empty());
}

TEST(PrintAreaUnits, ConvertDotsHalfUp)
{
    struct {
        BYTE unit;
        LONG dots;
        int value;
    } toUnit[] = {{0, 648, 648},  {1, 648, 549},  {1, 1012, 857}, {2, 648, 216}, {2, 1012, 337},
                  {1, 0, 0},      {2, 1, 0},      {2, 2, 1},      {7, 648, 648}};
    for (const auto& c : toUnit)
        EXPECT_EQ(c.value, DotsToUnit(c.dots, c.unit)) << int(c.unit) << " " << c.dots;
    struct {
        BYTE unit;
        int value;
        LONG dots;
    } toDots[] = {{1, 50, 59}, {2, 50, 150}, {0, 50, 50}, {1, 549, 648}, {2, 216, 648}, {2, 337, 1011}, {9, 5, 5}};
    for (const auto& c : toDots)
        EXPECT_EQ(c.dots, UnitToDots(c.value, c.unit)) << int(c.unit) << " " << c.value;
    DWORD w = 0, h = 0;
    GetCardSize(1, &w, &h);
    EXPECT_EQ(648u, w);
    EXPECT_EQ(1012u, h);
    GetCardSize(0, &w, &h);
    EXPECT_EQ(1012u, w);
    EXPECT_EQ(648u, h);
}

} // namespace
