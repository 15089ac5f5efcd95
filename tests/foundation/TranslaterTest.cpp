#include "Translater.h"
#include "Platform.h"
#include "TranslaterTestIds.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

namespace {

const DWORD kMarker = 0xDEADBEEF;
const WCHAR kGuard = 0xCCCC;
const size_t kGuardCount = 8;

// The section of the test language texts that holds the dialog's keys.
const WCHAR kDialogSection[] = L"Dialog";

std::wstring Repeat(WCHAR c, size_t n)
{
    return std::wstring(n, c);
}

// ---------------------------------------------------------------------------
// Language files written for one test into a private folder.

class LanguageFolder {
public:
    LanguageFolder()
    {
        WCHAR temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        WCHAR name[64];
        swprintf(name, 64, L"QelTranslaterTest-%lu", GetCurrentProcessId());
        m_dir = std::wstring(temp) + name;
        CreateDirectoryW(m_dir.c_str(), nullptr);
    }
    ~LanguageFolder()
    {
        for (const std::wstring& file : m_files)
            DeleteFileW(file.c_str());
        RemoveDirectoryW(m_dir.c_str());
    }

    std::wstring Write(LPCWSTR name, const void* bytes, size_t size)
    {
        std::wstring path = m_dir + L"\\" + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
        CloseHandle(file);
        EXPECT_EQ(size, written);
        m_files.push_back(path);
        return path;
    }

    // UTF-16LE with a byte-order mark, as the language files are shipped.
    std::wstring WriteUnicode(LPCWSTR name, const std::wstring& text)
    {
        std::wstring withBom = L"\xFEFF" + text;
        return Write(name, withBom.data(), withBom.size() * sizeof(WCHAR));
    }

    // 8-bit text in the active code page.
    std::wstring WriteAnsi(LPCWSTR name, const std::wstring& text)
    {
        std::vector<char> bytes(text.size() * 2 + 1);
        EXPECT_NE(nullptr, WideToAnsi(bytes.data(), text.c_str(), static_cast<int>(bytes.size())));
        return Write(name, bytes.data(), strlen(bytes.data()));
    }

    std::wstring Missing() const { return m_dir + L"\\Qelxxxx.lng"; }

private:
    std::wstring m_dir;
    std::vector<std::wstring> m_files;
};

// The bytes of one of the test program's own resources.
std::vector<BYTE> ResourceBytes(UINT id, LPCWSTR type)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found)
        return {};
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    return std::vector<BYTE>(bytes, bytes + SizeofResource(module, found));
}

// The language text of the resources, without the byte-order mark.
std::wstring LanguageText()
{
    std::vector<BYTE> bytes = ResourceBytes(IDR_LANG_PLAIN, LANG_FILE_RESOURCE_TYPE);
    return std::wstring(reinterpret_cast<const WCHAR*>(bytes.data()), bytes.size() / sizeof(WCHAR));
}

// ---------------------------------------------------------------------------
// Construction and file mode.

// A translator on a language file written for the test.
class TranslaterFile : public testing::Test {
protected:
    bool OpenUnicode(const std::wstring& text, LPCWSTR section)
    {
        return Open(m_folder.WriteUnicode(L"Qelfrfr.lng", text), section);
    }
    bool OpenAnsi(const std::wstring& text, LPCWSTR section)
    {
        return Open(m_folder.WriteAnsi(L"Qelfrfr.lng", text), section);
    }

    LanguageFolder m_folder;
    CTranslater translater;

private:
    bool Open(const std::wstring& path, LPCWSTR section)
    {
        return translater.SetLanguageFile(path.c_str()) && translater.SetSection(section);
    }
};

TEST_F(TranslaterFile, StartsEmptyInFileModeAndGivesKeysBack)
{
    EXPECT_FALSE(translater.IsResourceMode());
    EXPECT_STREQ(L"", translater.GetLanguageFile());
    EXPECT_STREQ(L"", translater.GetSection());
    EXPECT_STREQ(L"OK", translater.Translate(L"OK"));
    EXPECT_STREQ(L"Fallback", translater.GetString(L"OK", L"Fallback"));
}

TEST_F(TranslaterFile, SetLanguageFileOpensTheFileAndKeepsThePathEitherWay)
{
    std::wstring path = m_folder.WriteUnicode(L"Qelfrfr.lng", L"[Dialog]\r\nOK=Valider\r\n");
    SetLastError(kMarker);
    EXPECT_TRUE(translater.SetLanguageFile(path.c_str()));
    EXPECT_EQ(path, translater.GetLanguageFile());

    std::wstring missing = m_folder.Missing();
    SetLastError(kMarker);
    EXPECT_FALSE(translater.SetLanguageFile(missing.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(missing, translater.GetLanguageFile());

    SetLastError(kMarker);
    EXPECT_FALSE(translater.SetLanguageFile(L""));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_STREQ(L"", translater.GetLanguageFile());

    SetLastError(kMarker);
    EXPECT_FALSE(translater.SetLanguageFile(nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_STREQ(L"", translater.GetLanguageFile());
}

TEST_F(TranslaterFile, LooksUpKeysInTheCurrentSection)
{
    std::wstring path = m_folder.WriteUnicode(L"Qelfrfr.lng", LanguageText());
    ASSERT_TRUE(translater.SetLanguageFile(path.c_str()));

    SetLastError(kMarker);
    EXPECT_TRUE(translater.SetSection(kDialogSection));
    EXPECT_EQ(kMarker, GetLastError());
    EXPECT_STREQ(L"Test du traducteur", translater.Translate(L"Translator Test"));
    EXPECT_STREQ(L"Valider", translater.Translate(L"OK"));
    EXPECT_STREQ(L"R\u00e9cents", translater.Translate(L"Recent"));
    // An empty translation shows the key.
    EXPECT_STREQ(L"Cancel", translater.Translate(L"Cancel"));
    EXPECT_STREQ(L"Missing", translater.Translate(L"Missing"));
    EXPECT_STREQ(L"Default", translater.GetString(L"Missing", L"Default"));
    EXPECT_STREQ(L"Recto", translater.GetString(L"Front", L"Default"));
    // Keys of another section are not seen.
    EXPECT_STREQ(L"First", translater.Translate(L"First"));

    ASSERT_TRUE(translater.SetSection(L"Bracket"));
    EXPECT_STREQ(L"Premier", translater.Translate(L"First"));
    EXPECT_STREQ(L"OK", translater.Translate(L"OK"));
    // The profile reader keeps a '[' inside a value.
    EXPECT_STREQ(L"a[b", translater.Translate(L"Square"));
    EXPECT_STREQ(L"Apr\u00e8s", translater.Translate(L"After"));

    ASSERT_TRUE(translater.SetSection(L"QEL_CHART"));
    EXPECT_STREQ(L"Seul", translater.Translate(L"Only"));
}

TEST_F(TranslaterFile, FollowsTheProfileReadersRulesForCaseAndBlanks)
{
    ASSERT_TRUE(OpenUnicode(L"[Print Option]\r\nRibbon Type = Type de ruban \r\n", L"print option"));
    EXPECT_STREQ(L"Type de ruban", translater.Translate(L"RIBBON TYPE"));
}

TEST_F(TranslaterFile, AnUntranslatedKeyKeepsItsBlanks)
{
    ASSERT_TRUE(OpenUnicode(L"[Heating Energy]\r\nError=Erreur\r\n", L"Heating Energy"));
    EXPECT_STREQ(L"Enter from ", translater.Translate(L"Enter from "));
    EXPECT_STREQ(L" Default ", translater.GetString(L"Missing", L" Default "));
}

TEST_F(TranslaterFile, ReadsEightBitFilesInTheActiveCodePage)
{
    ASSERT_TRUE(OpenAnsi(L"[Tool]\r\nTool=Outil\r\nRecent=R\u00e9cents\r\n", L"Tool"));
    EXPECT_STREQ(L"Outil", translater.Translate(L"Tool"));
    EXPECT_STREQ(L"R\u00e9cents", translater.Translate(L"Recent"));
}

TEST_F(TranslaterFile, AMissingFileShowsEveryKey)
{
    std::wstring missing = m_folder.Missing();
    EXPECT_FALSE(translater.SetLanguageFile(missing.c_str()));
    EXPECT_TRUE(translater.SetSection(kDialogSection));
    EXPECT_STREQ(L"OK", translater.Translate(L"OK"));
    EXPECT_STREQ(L"Default", translater.GetString(L"OK", L"Default"));
}

TEST_F(TranslaterFile, CutsTranslationsAndKeysToTheRoom)
{
    const std::wstring longValue = Repeat(L'v', 1100);
    ASSERT_TRUE(OpenUnicode(L"[Tool]\r\nLong=" + longValue + L"\r\n", L"Tool"));
    EXPECT_EQ(longValue.substr(0, 1023), translater.Translate(L"Long"));

    const std::wstring longKey = Repeat(L'k', 1500);
    EXPECT_EQ(longKey.substr(0, 1023), translater.Translate(longKey.c_str()));
}

TEST_F(TranslaterFile, ALookupMayTakeThePreviousResultAsItsKey)
{
    ASSERT_TRUE(OpenUnicode(L"[Tool]\r\nA=B\r\nB=C\r\n", L"Tool"));
    LPCWSTR first = translater.Translate(L"A");
    EXPECT_STREQ(L"B", first);
    EXPECT_STREQ(L"C", translater.Translate(first));
    EXPECT_STREQ(L"C", translater.GetString(L"Missing", translater.Translate(L"B")));
}

// ---------------------------------------------------------------------------
// Sections.

TEST(TranslaterSection, RefusesAnEmptyNameAndCutsLongNames)
{
    CTranslater translater;
    SetLastError(kMarker);
    EXPECT_FALSE(translater.SetSection(L""));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    SetLastError(kMarker);
    EXPECT_FALSE(translater.SetSection(nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    const std::wstring longName = Repeat(L's', 300);
    EXPECT_TRUE(translater.SetSection(longName.c_str()));
    EXPECT_EQ(longName.substr(0, CTranslater::SECTION_NAME_MAX), translater.GetSection());
}

// ---------------------------------------------------------------------------
// Resource mode.

// A translator on the test program's own resources.
class TranslaterResource : public testing::Test {
protected:
    BOOL Load(UINT id, LPCWSTR type = LANG_FILE_RESOURCE_TYPE)
    {
        return translater.LoadLanguageResource(GetModuleHandleW(nullptr), id, type);
    }
    bool UseLanguageFile()
    {
        return translater.SetLanguageFile(m_folder.WriteUnicode(L"Qelfrfr.lng", LanguageText()).c_str());
    }

    LanguageFolder m_folder;
    CTranslater translater;
};

TEST_F(TranslaterResource, LoadsUnicodeResourcesWithAndWithoutByteOrderMark)
{
    const UINT ids[] = {IDR_LANG_BOM, IDR_LANG_PLAIN};
    for (UINT id : ids) {
        SCOPED_TRACE(testing::Message() << "resource " << id);
        SetLastError(kMarker);
        ASSERT_TRUE(Load(id));
        EXPECT_EQ(kMarker, GetLastError());
        EXPECT_TRUE(translater.IsResourceMode());

        SetLastError(kMarker);
        EXPECT_TRUE(translater.SetSection(kDialogSection));
        EXPECT_EQ(kMarker, GetLastError());
        // The first line of the section.
        EXPECT_STREQ(L"Test du traducteur", translater.Translate(L"Translator Test"));
        EXPECT_STREQ(L"Valider", translater.Translate(L"OK"));
        EXPECT_STREQ(L"R\u00e9cents", translater.Translate(L"Recent"));
        EXPECT_STREQ(L"Cancel", translater.Translate(L"Cancel"));
        EXPECT_STREQ(L"Default", translater.GetString(L"Missing", L"Default"));
        // Text in the middle of a line is no key.
        EXPECT_STREQ(L"Hidden", translater.Translate(L"Hidden"));
        EXPECT_STREQ(L"see Hidden=secret", translater.Translate(L"Note"));
        // Keys are compared as they stand.
        EXPECT_STREQ(L"ok", translater.Translate(L"ok"));
        // Another section's keys are not seen.
        EXPECT_STREQ(L"Only", translater.Translate(L"Only"));

        // The last line, without a line end, gives its whole value.
        ASSERT_TRUE(translater.SetSection(L"QEL_CHART"));
        EXPECT_STREQ(L"Seul", translater.Translate(L"Only"));
        EXPECT_STREQ(L"Appliqu\u00e9.", translater.Translate(L"Apply OK."));
        EXPECT_STREQ(L"OK", translater.Translate(L"OK"));
    }
}

TEST_F(TranslaterResource, ABracketInsideATranslationEndsTheSection)
{
    ASSERT_TRUE(Load(IDR_LANG_BOM));
    ASSERT_TRUE(translater.SetSection(L"Bracket"));
    EXPECT_STREQ(L"Premier", translater.Translate(L"First"));
    // The section ends before the character in front of the '['.
    EXPECT_STREQ(L"Square", translater.Translate(L"Square"));
    EXPECT_STREQ(L"After", translater.Translate(L"After"));
}

TEST_F(TranslaterResource, AMissingSectionTranslatesNothing)
{
    ASSERT_TRUE(Load(IDR_LANG_BOM));
    ASSERT_TRUE(translater.SetSection(kDialogSection));
    SetLastError(kMarker);
    EXPECT_FALSE(translater.SetSection(L"Print Area"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_FOUND), GetLastError());
    EXPECT_STREQ(L"Print Area", translater.GetSection());
    EXPECT_STREQ(L"OK", translater.Translate(L"OK"));
}

TEST_F(TranslaterResource, AnEightBitResourceTranslatesNothing)
{
    ASSERT_TRUE(UseLanguageFile());
    ASSERT_TRUE(Load(IDR_LANG_EIGHT_BIT));
    EXPECT_TRUE(translater.IsResourceMode());
    SetLastError(kMarker);
    EXPECT_FALSE(translater.SetSection(kDialogSection));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_FOUND), GetLastError());
    // Resource mode never falls back on the language file.
    EXPECT_STREQ(L"OK", translater.Translate(L"OK"));
    EXPECT_STREQ(L"Translator Test", translater.Translate(L"Translator Test"));
}

TEST_F(TranslaterResource, AFailedLoadLeavesFileMode)
{
    ASSERT_TRUE(UseLanguageFile());
    ASSERT_TRUE(Load(IDR_LANG_EIGHT_BIT));

    SetLastError(kMarker);
    EXPECT_FALSE(Load(IDR_LANG_MISSING));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND), GetLastError());
    EXPECT_FALSE(translater.IsResourceMode());

    ASSERT_TRUE(translater.SetSection(kDialogSection));
    EXPECT_STREQ(L"Valider", translater.Translate(L"OK"));

    // The same number under another type is not a language resource.
    ASSERT_TRUE(Load(IDR_LANG_BOM));
    SetLastError(kMarker);
    EXPECT_FALSE(Load(IDR_LANG_OTHER_TYPE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND), GetLastError());
    EXPECT_FALSE(translater.IsResourceMode());

    ASSERT_TRUE(Load(IDR_LANG_BOM));
    SetLastError(kMarker);
    EXPECT_FALSE(Load(IDR_LANG_PLAIN, L"NO_SUCH_TYPE"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND), GetLastError());
    EXPECT_FALSE(translater.IsResourceMode());
}

TEST_F(TranslaterResource, RefusesAMissingTypeAndKeepsItsResource)
{
    ASSERT_TRUE(Load(IDR_LANG_BOM));
    SetLastError(kMarker);
    EXPECT_FALSE(Load(IDR_LANG_PLAIN, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    ASSERT_TRUE(translater.SetSection(kDialogSection));
    EXPECT_STREQ(L"Valider", translater.Translate(L"OK"));
}

TEST_F(TranslaterResource, ALaterLoadReplacesTheResource)
{
    ASSERT_TRUE(Load(IDR_LANG_BOM));
    ASSERT_TRUE(translater.SetSection(kDialogSection));
    ASSERT_STREQ(L"Valider", translater.Translate(L"OK"));
    ASSERT_TRUE(Load(IDR_LANG_EIGHT_BIT));
    EXPECT_FALSE(translater.SetSection(kDialogSection));
    EXPECT_STREQ(L"OK", translater.Translate(L"OK"));
}

// ---------------------------------------------------------------------------
// The lookups on resource text.

TEST(ResourceSection, BodyStartsAfterTheHeadersLineEndCharacter)
{
    WCHAR out[64];
    SetLastError(kMarker);
    ASSERT_TRUE(CTranslater::FindSection(L"[A]\r\nK=V\r\n[B]\r\nL=W", L"A", out, 64));
    EXPECT_EQ(kMarker, GetLastError());
    EXPECT_STREQ(L"\nK=V\r", out);

    ASSERT_TRUE(CTranslater::FindSection(L"[A]\r\nK=V\r\n[B]\r\nL=W", L"B", out, 64));
    EXPECT_STREQ(L"\nL=W", out);

    // With LF line ends the first key stands at the very start of the body.
    ASSERT_TRUE(CTranslater::FindSection(L"[A]\nK=V\n[B]", L"A", out, 64));
    EXPECT_STREQ(L"K=V", out);
    WCHAR value[16];
    EXPECT_EQ(1u, CTranslater::FindKey(out, L"K", L"", value, sizeof(value)));
    EXPECT_STREQ(L"V", value);
}

TEST(ResourceSection, ALineEndAloneIsABody)
{
    WCHAR out[8];
    EXPECT_TRUE(CTranslater::FindSection(L"[A]\r\n", L"A", out, 8));
    EXPECT_STREQ(L"\n", out);
    EXPECT_TRUE(CTranslater::FindSection(L"[A]\r\n\r\n[B]", L"A", out, 8));
    EXPECT_STREQ(L"\n\r", out);
}

TEST(ResourceSection, EmptyOrMissingBodiesGiveFalse)
{
    struct Case {
        LPCWSTR text;
        LPCWSTR name;
    };
    const Case cases[] = {
        {L"[A]\r", L"A"},       {L"[A]", L"A"},      {L"[A]\r[B]\r\nK=V", L"A"}, {L"[A]x[B]\r\nK=V", L"A"},
        {L"[A]\r\n[B]", L"A"}, {L"[B]\r\nK=V", L"A"}, {L"", L"A"},               {L"[a]\r\nK=V", L"A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text of " << wcslen(c.text) << " characters, case " << (&c - cases));
        WCHAR out[8] = {L'x', L'x', L'x', L'x', L'x', L'x', L'x', kGuard};
        SetLastError(kMarker);
        EXPECT_FALSE(CTranslater::FindSection(c.text, c.name, out, 7));
        EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_FOUND), GetLastError());
        EXPECT_STREQ(L"", out);
        EXPECT_EQ(kGuard, out[7]);
    }
}

TEST(ResourceSection, BodyIsBoundedByTheRoom)
{
    const LPCWSTR text = L"[A]\r\nK=V\r\nL=W\r\n";
    const size_t body = wcslen(L"\nK=V\r\nL=W\r\n");
    for (size_t room : {body + 1, body + 2, body}) {
        SCOPED_TRACE(testing::Message() << "room " << room);
        std::vector<WCHAR> out(room + kGuardCount, kGuard);
        EXPECT_TRUE(CTranslater::FindSection(text, L"A", out.data(), room));
        EXPECT_EQ(std::wstring(L"\nK=V\r\nL=W\r\n").substr(0, room - 1), out.data());
        for (size_t i = room; i < out.size(); i++)
            EXPECT_EQ(kGuard, out[i]);
    }
}

TEST(ResourceSection, RefusesMissingArguments)
{
    WCHAR out[8] = {kGuard};
    SetLastError(kMarker);
    EXPECT_FALSE(CTranslater::FindSection(nullptr, L"A", out, 8));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_FALSE(CTranslater::FindSection(L"[A]\r\nK=V", nullptr, out, 8));
    EXPECT_FALSE(CTranslater::FindSection(L"[A]\r\nK=V", L"", out, 8));
    EXPECT_FALSE(CTranslater::FindSection(L"[A]\r\nK=V", L"A", nullptr, 8));
    SetLastError(kMarker);
    EXPECT_FALSE(CTranslater::FindSection(L"[A]\r\nK=V", L"A", out, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(kGuard, out[0]);
}

TEST(ResourceKey, FindsKeysOnlyAtTheStartOfALine)
{
    const LPCWSTR section = L"\nOK=Valider\r\nNote=see Hidden=secret\r\nX OK=no\r\nHidden=shown\r\nLast=fin";
    WCHAR out[64];
    SetLastError(kMarker);
    EXPECT_EQ(7u, CTranslater::FindKey(section, L"OK", L"OK", out, sizeof(out)));
    EXPECT_EQ(kMarker, GetLastError());
    EXPECT_STREQ(L"Valider", out);
    EXPECT_EQ(5u, CTranslater::FindKey(section, L"Hidden", L"Hidden", out, sizeof(out)));
    EXPECT_STREQ(L"shown", out);
    EXPECT_EQ(3u, CTranslater::FindKey(section, L"Last", L"", out, sizeof(out)));
    EXPECT_STREQ(L"fin", out);
    // At the very start of the section text.
    EXPECT_EQ(1u, CTranslater::FindKey(L"A=b\r\n", L"A", L"", out, sizeof(out)));
    EXPECT_STREQ(L"b", out);
}

TEST(ResourceKey, LeavesTheDefaultWhenTheKeyIsMissing)
{
    WCHAR out[16];
    SetLastError(kMarker);
    EXPECT_EQ(0u, CTranslater::FindKey(L"\nA=b\r\n", L"Missing", L"Default", out, sizeof(out)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_FOUND), GetLastError());
    EXPECT_STREQ(L"Default", out);
    // "A" is only a prefix of the key "AB"; "B" stands after '=' only.
    EXPECT_EQ(0u, CTranslater::FindKey(L"\nAB=c\r\n", L"A", L"d", out, sizeof(out)));
    EXPECT_STREQ(L"d", out);
    EXPECT_EQ(0u, CTranslater::FindKey(L"\nA=B=c\r\n", L"B", L"d", out, sizeof(out)));
    EXPECT_STREQ(L"d", out);
    // An empty value is found and is empty.
    EXPECT_EQ(0u, CTranslater::FindKey(L"\nCancel=\r\nOK=x", L"Cancel", L"Cancel", out, sizeof(out)));
    EXPECT_STREQ(L"", out);
}

TEST(ResourceKey, RefusesMissingArgumentsAndLeavesOutUntouched)
{
    WCHAR out[4] = {kGuard, kGuard, kGuard, kGuard};
    struct Case {
        LPCWSTR section, key, def;
        LPWSTR out;
        DWORD bytes;
    };
    const Case cases[] = {
        {nullptr, L"A", L"d", out, sizeof(out)}, {L"\nA=b", nullptr, L"d", out, sizeof(out)},
        {L"\nA=b", L"A", nullptr, out, sizeof(out)}, {L"\nA=b", L"A", L"d", nullptr, sizeof(out)},
        {L"\nA=b", L"A", L"d", out, 0},          {L"\nA=b", L"A", L"d", out, 1},
        {L"\nA=b", L"", L"d", out, sizeof(out)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        SetLastError(kMarker);
        EXPECT_EQ(0u, CTranslater::FindKey(c.section, c.key, c.def, c.out, c.bytes));
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
        for (WCHAR w : out)
            EXPECT_EQ(kGuard, w);
    }
}

TEST(ResourceKey, ValueAndDefaultAreBoundedByTheRoom)
{
    const LPCWSTR section = L"\nFront=Recto\r\n";
    const size_t exact = wcslen(L"Recto") + 1;
    for (size_t room : {exact, exact + 1, exact - 1}) {
        SCOPED_TRACE(testing::Message() << "room " << room);
        std::vector<WCHAR> out(room + kGuardCount, kGuard);
        DWORD length = CTranslater::FindKey(section, L"Front", L"", out.data(), static_cast<DWORD>(room * sizeof(WCHAR)));
        EXPECT_EQ(std::min<size_t>(5, room - 1), length);
        EXPECT_EQ(std::wstring(L"Recto").substr(0, room - 1), out.data());
        for (size_t i = room; i < out.size(); i++)
            EXPECT_EQ(kGuard, out[i]);

        std::fill(out.begin(), out.end(), kGuard);
        EXPECT_EQ(0u, CTranslater::FindKey(section, L"Back", L"Verso", out.data(), static_cast<DWORD>(room * sizeof(WCHAR))));
        EXPECT_EQ(std::wstring(L"Verso").substr(0, room - 1), out.data());
        for (size_t i = room; i < out.size(); i++)
            EXPECT_EQ(kGuard, out[i]);
    }

    // An odd byte count leaves the half character unused.
    WCHAR odd[4] = {kGuard, kGuard, kGuard, kGuard};
    EXPECT_EQ(2u, CTranslater::FindKey(section, L"Front", L"", odd, 7));
    EXPECT_STREQ(L"Re", odd);
    EXPECT_EQ(kGuard, odd[3]);
}

TEST(ResourceKey, ValuesStopAt1023CharactersAndKeysAt510)
{
    std::vector<WCHAR> out(2048 + kGuardCount, kGuard);
    const std::wstring longValue = Repeat(L'v', 1500);
    std::wstring section = L"\nLong=" + longValue + L"\r\n";
    EXPECT_EQ(1023u, CTranslater::FindKey(section.c_str(), L"Long", L"", out.data(), 2048 * sizeof(WCHAR)));
    EXPECT_EQ(longValue.substr(0, 1023), out.data());

    const std::wstring key510 = Repeat(L'k', 510), key511 = Repeat(L'k', 511);
    section = L"\n" + key510 + L"=found\r\n" + key511 + L"=too long\r\n";
    EXPECT_EQ(5u, CTranslater::FindKey(section.c_str(), key510.c_str(), L"", out.data(), 2048 * sizeof(WCHAR)));
    EXPECT_STREQ(L"found", out.data());
    SetLastError(kMarker);
    EXPECT_EQ(0u, CTranslater::FindKey(section.c_str(), key511.c_str(), L"d", out.data(), 2048 * sizeof(WCHAR)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_FOUND), GetLastError());
    EXPECT_STREQ(L"d", out.data());
}

// ---------------------------------------------------------------------------
// Mutation run of the resource-text reader: a valid text, randomly changed,
// read with every buffer ending right at an inaccessible page, so that any
// read or write past a terminator or a room stops the program.

class FencedBuffer {
public:
    explicit FencedBuffer(size_t cch)
    {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        m_page = si.dwPageSize;
        size_t bytes = cch * sizeof(WCHAR);
        m_size = (bytes + m_page - 1) / m_page * m_page + m_page;
        m_base = static_cast<BYTE*>(VirtualAlloc(nullptr, m_size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_base + m_size - m_page, m_page, PAGE_NOACCESS, &old);
        m_data = reinterpret_cast<LPWSTR>(m_base + m_size - m_page - bytes);
    }
    ~FencedBuffer() { VirtualFree(m_base, 0, MEM_RELEASE); }
    FencedBuffer(const FencedBuffer&) = delete;
    FencedBuffer& operator=(const FencedBuffer&) = delete;
    LPWSTR get() { return m_data; }

private:
    BYTE* m_base;
    size_t m_size, m_page;
    LPWSTR m_data;
};

// Reads text the way SetSection and Translate do, checking the results stay
// inside their rooms.
void ReadEverything(const std::wstring& text)
{
    FencedBuffer input(text.size() + 1);
    wmemcpy(input.get(), text.c_str(), text.size() + 1);

    const LPCWSTR sections[] = {L"Dialog", L"Bracket", L"QEL_CHART", L"A"};
    const LPCWSTR keys[] = {L"OK", L"Cancel", L"Only", L"Note", L"Square", L"After", L"K", L"Translator Test"};
    for (LPCWSTR name : sections) {
        const size_t room = text.size() + 1;
        FencedBuffer section(room);
        if (CTranslater::FindSection(input.get(), name, section.get(), room)) {
            size_t length = wcslen(section.get());
            ASSERT_GT(length, 0u);
            ASSERT_LT(length, room);
        }
        for (LPCWSTR key : keys) {
            for (size_t outRoom : {size_t(1), size_t(6), size_t(CTranslater::TEXT_ROOM)}) {
                FencedBuffer out(outRoom);
                DWORD length = CTranslater::FindKey(section.get(), key, key, out.get(),
                                                    static_cast<DWORD>(outRoom * sizeof(WCHAR)));
                ASSERT_LT(length, outRoom);
                ASSERT_LT(wcslen(out.get()), outRoom);
            }
        }
    }
}

std::wstring Mutate(const std::wstring& valid, std::mt19937& random)
{
    static const WCHAR interesting[] = {L'[', L']', L'=', L'\r', L'\n', L'\0', L'\xFEFF', L'\xFFFF', L'A'};
    std::wstring text = valid;
    std::uniform_int_distribution<int> edits(1, 8);
    for (int n = edits(random); n > 0; n--) {
        std::uniform_int_distribution<size_t> at(0, text.empty() ? 0 : text.size() - 1);
        WCHAR c = random() % 2 ? interesting[random() % (sizeof(interesting) / sizeof(WCHAR))]
                               : static_cast<WCHAR>(random() & 0xFFFF);
        switch (random() % 5) {
        case 0:
            if (!text.empty())
                text[at(random)] = c;
            break;
        case 1:
            text.insert(text.begin() + (text.empty() ? 0 : at(random)), c);
            break;
        case 2:
            if (!text.empty())
                text.erase(at(random), 1 + random() % 16);
            break;
        case 3:
            text.resize(text.empty() ? 0 : at(random));
            break;
        default: {
            if (text.empty())
                break;
            size_t from = at(random);
            text.insert(at(random), text.substr(from, 1 + random() % 32));
            break;
        }
        }
    }
    // The reader sees text up to its first zero, as a resource copy would end there.
    return text.substr(0, wcslen(text.c_str()));
}

TEST(ResourceTextMutation, PastCrashersReadSafely)
{
    const LPCWSTR corpus[] = {
        L"",           L"[",          L"]",         L"=",            L"[A]",        L"[A]\r",
        L"[A]\r[B]",   L"[A][",       L"[A]\r\n=",  L"[A]\r\nK=",    L"\nK=",       L"[Dialog]\r\nOK",
        L"[Dialog]x[", L"[QEL_CHART]", L"[Dialog]\r\nOK=[",
    };
    for (LPCWSTR text : corpus) {
        SCOPED_TRACE(testing::Message() << "corpus entry " << (&text - corpus));
        ReadEverything(text);
    }
}

TEST(ResourceTextMutation, RandomlyChangedTextsReadSafely)
{
    const std::wstring valid = LanguageText();
    ASSERT_FALSE(valid.empty());
    std::mt19937 random(20240611);
    for (int i = 0; i < 1500; i++) {
        std::wstring text = Mutate(valid, random);
        ReadEverything(text);
        if (HasFatalFailure()) {
            ADD_FAILURE() << "mutation " << i;
            return;
        }
    }
}

// ---------------------------------------------------------------------------
// Dialogs, built from the test program's own resources and translated while
// hidden.

INT_PTR CALLBACK TestDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

std::wstring WindowText(HWND window)
{
    int length = GetWindowTextLengthW(window);
    std::vector<WCHAR> text(length + 1);
    GetWindowTextW(window, text.data(), length + 1);
    return text.data();
}

// The text of a combo-box or list-box item, asked with that box's messages.
std::wstring BoxItem(HWND box, UINT getTextLen, UINT getText, int index)
{
    LRESULT length = SendMessageW(box, getTextLen, index, 0);
    if (length < 0)
        return L"<none>";
    std::vector<WCHAR> text(length + 1);
    SendMessageW(box, getText, index, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

std::wstring ComboItem(HWND combo, int index)
{
    return BoxItem(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

std::wstring ListItem(HWND list, int index)
{
    return BoxItem(list, LB_GETTEXTLEN, LB_GETTEXT, index);
}

std::wstring HeaderItem(HWND header, int index)
{
    WCHAR text[256] = L"";
    HDITEMW item;
    ZeroMemory(&item, sizeof(item));
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(header, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::wstring ListViewItem(HWND listView, int index, int subItem)
{
    WCHAR text[256] = L"";
    LVITEMW item;
    ZeroMemory(&item, sizeof(item));
    item.iSubItem = subItem;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(listView, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

struct MenuItem {
    std::wstring text;
    UINT id, type, state;
    HMENU subMenu;
};

MenuItem ReadMenuItem(HMENU menu, int position)
{
    WCHAR text[256] = L"";
    MENUITEMINFOW info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING | MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 256;
    EXPECT_TRUE(GetMenuItemInfoW(menu, position, TRUE, &info));
    return {text, info.wID, info.fType, info.fState, info.hSubMenu};
}

void AddColumn(HWND listView, int index, LPCWSTR title)
{
    LVCOLUMNW column;
    ZeroMemory(&column, sizeof(column));
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 60;
    column.pszText = const_cast<LPWSTR>(title);
    ASSERT_EQ(index, SendMessageW(listView, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
}

void AddRow(HWND listView, int index, LPCWSTR first, LPCWSTR second)
{
    LVITEMW item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<LPWSTR>(first);
    ASSERT_EQ(index, SendMessageW(listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    item.iSubItem = 1;
    item.pszText = const_cast<LPWSTR>(second);
    SendMessageW(listView, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
}

void AddComboItem(HWND combo, LPCWSTR text, LRESULT data)
{
    LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    ASSERT_GE(index, 0);
    SendMessageW(combo, CB_SETITEMDATA, index, data);
}

class TestDialog {
public:
    TestDialog()
    {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        m_dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TEST_DIALOG), nullptr,
                                      TestDialogProc, 0);
        if (!m_dialog)
            ADD_FAILURE() << "CreateDialogParamW error " << GetLastError();
    }
    ~TestDialog()
    {
        if (m_dialog)
            DestroyWindow(m_dialog);
    }
    TestDialog(const TestDialog&) = delete;
    TestDialog& operator=(const TestDialog&) = delete;

    HWND get() const { return m_dialog; }
    HWND item(int id) const { return GetDlgItem(m_dialog, id); }

    // The run-time contents a page would put in before translating.
    void Fill()
    {
        HWND sides = item(IDC_SIDES);
        AddComboItem(sides, L"Front", 10);
        AddComboItem(sides, L"Back", 20);
        AddComboItem(sides, L"Both", -1);
        AddComboItem(sides, L"Untranslated", 40);
        SendMessageW(sides, CB_SETCURSEL, 1, 0);

        HWND unselected = item(IDC_UNSELECTED);
        AddComboItem(unselected, L"Front", 1);
        AddComboItem(unselected, L"Back", 2);

        SetWindowTextW(item(IDC_EMPTY_COMBO), L"Front");

        HWND cards = item(IDC_CARDS);
        AddColumn(cards, 0, L"Name");
        AddColumn(cards, 1, L"Size");
        AddRow(cards, 0, L"Card", L"Card");
        AddRow(cards, 1, L"Unknown", L"Front");

        HWND noRows = item(IDC_NO_ROWS);
        AddColumn(noRows, 0, L"Name");
        AddColumn(noRows, 1, L"Back");

        SetWindowTextW(item(IDC_EDIT), L"Back");

        HWND list = item(IDC_LIST);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Front"));
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Back"));

        // A grandchild of the dialog.
        m_grandchild = CreateWindowExW(0, L"STATIC", L"Back", WS_CHILD, 0, 0, 10, 10, item(IDC_HOST), nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    }

    HWND grandchild() const { return m_grandchild; }

private:
    HWND m_dialog = nullptr;
    HWND m_grandchild = nullptr;
};

enum class Mode { File, Resource };

class DialogTranslation : public testing::TestWithParam<Mode> {
protected:
    void SetUp() override
    {
        if (GetParam() == Mode::File) {
            std::wstring path = m_folder.WriteUnicode(L"Qelfrfr.lng", LanguageText());
            ASSERT_TRUE(m_translater.SetLanguageFile(path.c_str()));
        } else {
            ASSERT_TRUE(m_translater.LoadLanguageResource(GetModuleHandleW(nullptr), IDR_LANG_BOM,
                                                         LANG_FILE_RESOURCE_TYPE));
        }
        ASSERT_TRUE(m_translater.SetSection(kDialogSection));
        ASSERT_NE(nullptr, m_dialog.get());
        m_dialog.Fill();
    }

    LanguageFolder m_folder;
    CTranslater m_translater;
    TestDialog m_dialog;
};

TEST_P(DialogTranslation, TranslatesCaptionAndChildTexts)
{
    EXPECT_EQ(0u, m_translater.TranslateWindowItems(m_dialog.get()));
    EXPECT_EQ(L"Test du traducteur", WindowText(m_dialog.get()));
    EXPECT_EQ(L"Valider", WindowText(m_dialog.item(IDOK)));
    // An empty translation keeps the English text.
    EXPECT_EQ(L"Cancel", WindowText(m_dialog.item(IDCANCEL)));
    EXPECT_EQ(L"Not a key", WindowText(m_dialog.item(IDC_LABEL)));
    EXPECT_EQ(L"Recto", WindowText(m_dialog.item(IDC_HOST)));
    // Edit contents are looked up as keys like any other text.
    EXPECT_EQ(L"Verso", WindowText(m_dialog.item(IDC_EDIT)));
    // A combo box without items is treated like any other child.
    EXPECT_EQ(L"Recto", WindowText(m_dialog.item(IDC_EMPTY_COMBO)));
    // Grandchildren are not visited.
    EXPECT_EQ(L"Back", WindowText(m_dialog.grandchild()));
    // A plain list box is not walked; TranslateListItems is the caller's to use.
    EXPECT_EQ(L"Front", ListItem(m_dialog.item(IDC_LIST), 0));
}

TEST_P(DialogTranslation, TranslatesComboItemsKeepingDataAndSelection)
{
    m_translater.TranslateWindowItems(m_dialog.get());
    HWND sides = m_dialog.item(IDC_SIDES);
    ASSERT_EQ(4, SendMessageW(sides, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"Recto", ComboItem(sides, 0));
    EXPECT_EQ(L"Verso", ComboItem(sides, 1));
    EXPECT_EQ(L"Recto verso", ComboItem(sides, 2));
    EXPECT_EQ(L"Untranslated", ComboItem(sides, 3));
    EXPECT_EQ(10, SendMessageW(sides, CB_GETITEMDATA, 0, 0));
    EXPECT_EQ(20, SendMessageW(sides, CB_GETITEMDATA, 1, 0));
    // Item data that equals the error value is the item's own and stays.
    EXPECT_EQ(-1, SendMessageW(sides, CB_GETITEMDATA, 2, 0));
    EXPECT_EQ(40, SendMessageW(sides, CB_GETITEMDATA, 3, 0));
    EXPECT_EQ(1, SendMessageW(sides, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(L"Verso", WindowText(sides));
}

TEST_P(DialogTranslation, AComboWithoutSelectionStaysUnselectedAndWorking)
{
    m_translater.TranslateWindowItems(m_dialog.get());
    HWND unselected = m_dialog.item(IDC_UNSELECTED);
    ASSERT_EQ(2, SendMessageW(unselected, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"Recto", ComboItem(unselected, 0));
    EXPECT_EQ(L"Verso", ComboItem(unselected, 1));
    EXPECT_EQ(1, SendMessageW(unselected, CB_GETITEMDATA, 0, 0));
    EXPECT_EQ(2, SendMessageW(unselected, CB_GETITEMDATA, 1, 0));
    EXPECT_EQ(CB_ERR, SendMessageW(unselected, CB_GETCURSEL, 0, 0));

    EXPECT_EQ(2, SendMessageW(unselected, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Third")));
    EXPECT_EQ(2, SendMessageW(unselected, CB_SETCURSEL, 2, 0));
    EXPECT_EQ(L"Third", WindowText(unselected));
}

TEST_P(DialogTranslation, TranslatesListViewHeadersAndFirstColumn)
{
    m_translater.TranslateWindowItems(m_dialog.get());
    HWND cards = m_dialog.item(IDC_CARDS);
    HWND header = reinterpret_cast<HWND>(SendMessageW(cards, LVM_GETHEADER, 0, 0));
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(L"Nom", HeaderItem(header, 0));
    EXPECT_EQ(L"Taille", HeaderItem(header, 1));
    EXPECT_EQ(L"Carte", ListViewItem(cards, 0, 0));
    EXPECT_EQ(L"Unknown", ListViewItem(cards, 1, 0));
    // Other columns keep their texts.
    EXPECT_EQ(L"Card", ListViewItem(cards, 0, 1));
    EXPECT_EQ(L"Front", ListViewItem(cards, 1, 1));

    // A list view without rows still gets its column titles translated.
    HWND noRows = m_dialog.item(IDC_NO_ROWS);
    HWND noRowsHeader = reinterpret_cast<HWND>(SendMessageW(noRows, LVM_GETHEADER, 0, 0));
    ASSERT_NE(nullptr, noRowsHeader);
    EXPECT_EQ(L"Nom", HeaderItem(noRowsHeader, 0));
    EXPECT_EQ(L"Verso", HeaderItem(noRowsHeader, 1));
    EXPECT_EQ(0, SendMessageW(noRows, LVM_GETITEMCOUNT, 0, 0));
}

TEST_P(DialogTranslation, TranslatesTheMenuKeepingCommandsStatesAndSubmenus)
{
    m_translater.TranslateWindowItems(m_dialog.get());
    HMENU bar = GetMenu(m_dialog.get());
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ(2, GetMenuItemCount(bar));

    MenuItem file = ReadMenuItem(bar, 0);
    EXPECT_EQ(L"&Fichier", file.text);
    ASSERT_NE(nullptr, file.subMenu);
    MenuItem untranslated = ReadMenuItem(bar, 1);
    EXPECT_EQ(L"Untranslated", untranslated.text);
    EXPECT_EQ(static_cast<UINT>(IDM_UNTRANSLATED), untranslated.id);

    ASSERT_EQ(4, GetMenuItemCount(file.subMenu));
    MenuItem open = ReadMenuItem(file.subMenu, 0);
    EXPECT_EQ(L"&Ouvrir", open.text);
    EXPECT_EQ(static_cast<UINT>(IDM_OPEN), open.id);
    EXPECT_TRUE(open.state & MFS_GRAYED);

    MenuItem separator = ReadMenuItem(file.subMenu, 1);
    EXPECT_TRUE(separator.type & MFT_SEPARATOR);
    EXPECT_EQ(L"", separator.text);

    MenuItem recent = ReadMenuItem(file.subMenu, 2);
    EXPECT_EQ(L"R\u00e9cents", recent.text);
    ASSERT_NE(nullptr, recent.subMenu);
    MenuItem card = ReadMenuItem(recent.subMenu, 0);
    EXPECT_EQ(L"Carte", card.text);
    EXPECT_EQ(static_cast<UINT>(IDM_CARD), card.id);
    EXPECT_TRUE(card.state & MFS_CHECKED);

    MenuItem exit = ReadMenuItem(file.subMenu, 3);
    EXPECT_EQ(L"&Quitter", exit.text);
    EXPECT_EQ(static_cast<UINT>(IDM_EXIT), exit.id);
    EXPECT_TRUE(exit.state & MFS_CHECKED);
    EXPECT_FALSE(exit.state & MFS_GRAYED);
}

TEST_P(DialogTranslation, TextsLongerThanTheRoomStayWhole)
{
    const std::wstring longText = Repeat(L'L', 1100);
    SetWindowTextW(m_dialog.get(), longText.c_str());
    SetWindowTextW(m_dialog.item(IDC_EDIT), longText.c_str());
    SendMessageW(m_dialog.item(IDC_SIDES), CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(longText.c_str()));

    m_translater.TranslateWindowItems(m_dialog.get());
    EXPECT_EQ(longText, WindowText(m_dialog.get()));
    EXPECT_EQ(longText, WindowText(m_dialog.item(IDC_EDIT)));
    HWND sides = m_dialog.item(IDC_SIDES);
    EXPECT_EQ(longText, ComboItem(sides, 0));
    EXPECT_EQ(L"Recto", ComboItem(sides, 1));
    EXPECT_EQ(L"Valider", WindowText(m_dialog.item(IDOK)));
}

INSTANTIATE_TEST_SUITE_P(BothModes, DialogTranslation, testing::Values(Mode::File, Mode::Resource),
                         [](const testing::TestParamInfo<Mode>& info) {
                             return info.param == Mode::File ? "LanguageFile" : "Resource";
                         });

TEST(DialogTranslationEightBit, AnEightBitResourceLeavesEveryTextEnglish)
{
    CTranslater translater;
    ASSERT_TRUE(translater.LoadLanguageResource(GetModuleHandleW(nullptr), IDR_LANG_EIGHT_BIT, LANG_FILE_RESOURCE_TYPE));
    translater.SetSection(kDialogSection);
    TestDialog dialog;
    ASSERT_NE(nullptr, dialog.get());
    dialog.Fill();
    EXPECT_EQ(0u, translater.TranslateWindowItems(dialog.get()));
    EXPECT_EQ(L"Translator Test", WindowText(dialog.get()));
    EXPECT_EQ(L"OK", WindowText(dialog.item(IDOK)));
    EXPECT_EQ(L"Front", ComboItem(dialog.item(IDC_SIDES), 0));
    EXPECT_EQ(L"&File", ReadMenuItem(GetMenu(dialog.get()), 0).text);
}

TEST(DialogTranslationErrors, AnInvalidWindowGivesZeroAndItsError)
{
    CTranslater translater;
    SetLastError(kMarker);
    EXPECT_EQ(0u, translater.TranslateWindowItems(nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
}

// ---------------------------------------------------------------------------
// The walkers on their own.

class Walkers : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_translater.LoadLanguageResource(GetModuleHandleW(nullptr), IDR_LANG_BOM, LANG_FILE_RESOURCE_TYPE));
        ASSERT_TRUE(m_translater.SetSection(kDialogSection));
        ASSERT_NE(nullptr, m_dialog.get());
    }

    CTranslater m_translater;
    TestDialog m_dialog;
};

TEST_F(Walkers, EmptyControlsGiveFalse)
{
    EXPECT_FALSE(m_translater.TranslateComboItems(m_dialog.item(IDC_SIDES)));
    EXPECT_FALSE(m_translater.TranslateListItems(m_dialog.item(IDC_LIST)));
    EXPECT_FALSE(m_translater.TranslateListViewItems(m_dialog.item(IDC_NO_ROWS)));
    HWND header = reinterpret_cast<HWND>(SendMessageW(m_dialog.item(IDC_NO_ROWS), LVM_GETHEADER, 0, 0));
    EXPECT_FALSE(m_translater.TranslateHeaderItems(header));
    // A list box asked with combo-box messages has nothing to give.
    SendMessageW(m_dialog.item(IDC_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Front"));
    EXPECT_FALSE(m_translater.TranslateComboItems(m_dialog.item(IDC_LIST)));
    EXPECT_EQ(L"Front", ListItem(m_dialog.item(IDC_LIST), 0));
}

TEST_F(Walkers, ListBoxItemsKeepDataAndSelection)
{
    HWND list = m_dialog.item(IDC_LIST);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Front"));
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Back"));
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Other"));
    SendMessageW(list, LB_SETITEMDATA, 0, 7);
    SendMessageW(list, LB_SETITEMDATA, 1, -1);
    SendMessageW(list, LB_SETITEMDATA, 2, 9);
    SendMessageW(list, LB_SETCURSEL, 2, 0);

    EXPECT_TRUE(m_translater.TranslateListItems(list));
    ASSERT_EQ(3, SendMessageW(list, LB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"Recto", ListItem(list, 0));
    EXPECT_EQ(L"Verso", ListItem(list, 1));
    EXPECT_EQ(L"Other", ListItem(list, 2));
    EXPECT_EQ(7, SendMessageW(list, LB_GETITEMDATA, 0, 0));
    EXPECT_EQ(-1, SendMessageW(list, LB_GETITEMDATA, 1, 0));
    EXPECT_EQ(9, SendMessageW(list, LB_GETITEMDATA, 2, 0));
    EXPECT_EQ(2, SendMessageW(list, LB_GETCURSEL, 0, 0));

    // Without a selection the walk still translates and reports the unset selection.
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SendMessageW(list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(L"Back"));
    EXPECT_FALSE(m_translater.TranslateListItems(list));
    EXPECT_EQ(L"Verso", ListItem(list, 0));
    EXPECT_EQ(LB_ERR, SendMessageW(list, LB_GETCURSEL, 0, 0));
}

TEST_F(Walkers, AComboWithSelectionGivesTrue)
{
    HWND sides = m_dialog.item(IDC_SIDES);
    AddComboItem(sides, L"Back", 5);
    SendMessageW(sides, CB_SETCURSEL, 0, 0);
    EXPECT_TRUE(m_translater.TranslateComboItems(sides));
    EXPECT_EQ(L"Verso", ComboItem(sides, 0));
    EXPECT_EQ(5, SendMessageW(sides, CB_GETITEMDATA, 0, 0));
    EXPECT_EQ(0, SendMessageW(sides, CB_GETCURSEL, 0, 0));
}

TEST_F(Walkers, APopupMenuWithoutWindowIsTranslated)
{
    HMENU popup = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuW(sub, MF_STRING | MF_CHECKED | MF_GRAYED, 11, L"Card"));
    ASSERT_TRUE(AppendMenuW(popup, MF_STRING, 10, L"&Open"));
    ASSERT_TRUE(AppendMenuW(popup, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"Recent"));

    EXPECT_EQ(0u, m_translater.TranslateMenu(popup, nullptr));
    EXPECT_EQ(L"&Ouvrir", ReadMenuItem(popup, 0).text);
    EXPECT_EQ(10u, ReadMenuItem(popup, 0).id);
    EXPECT_TRUE(ReadMenuItem(popup, 1).type & MFT_SEPARATOR);
    MenuItem recent = ReadMenuItem(popup, 2);
    EXPECT_EQ(L"R\u00e9cents", recent.text);
    EXPECT_EQ(sub, recent.subMenu);
    MenuItem card = ReadMenuItem(sub, 0);
    EXPECT_EQ(L"Carte", card.text);
    EXPECT_EQ(11u, card.id);
    EXPECT_TRUE(card.state & MFS_CHECKED);
    EXPECT_TRUE(card.state & MFS_GRAYED);
    DestroyMenu(popup);

    EXPECT_EQ(0u, m_translater.TranslateMenu(nullptr, nullptr));
}

} // namespace
