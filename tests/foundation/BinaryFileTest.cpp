#include "Utilities.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const DWORD kMarker = 0xC0FFEE;

class BinaryFiles : public testing::Test {
protected:
    ScratchFolder folder{L"binfile"};
    std::string content = std::string("\x00\x01\x02\xFF table", 10) + std::string(3000, 'x');
    std::wstring path = folder.File(L"table.bin");
    void SetUp() override { ASSERT_TRUE(ScratchFolder::Write(path, content)); }
};

TEST_F(BinaryFiles, ReadBinFileAllocatesAZeroedBufferWithSlack)
{
    BYTE* buffer = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(ReadBinFile(path.c_str(), &buffer, &size));
    ASSERT_NE(nullptr, buffer);
    EXPECT_EQ(content.size(), size);
    EXPECT_EQ(0, memcmp(content.data(), buffer, size));
    for (DWORD i = 0; i < 10; ++i)
        EXPECT_EQ(0, buffer[size + i]) << "slack byte " << i;
    delete[] buffer;

    // Without a buffer pointer only the size.
    size = 0;
    EXPECT_TRUE(ReadBinFile(path.c_str(), nullptr, &size));
    EXPECT_EQ(content.size(), size);
}

TEST_F(BinaryFiles, ReadBinFileFillsTheCallersBufferOnlyWhenTheFileFits)
{
    const DWORD n = DWORD(content.size());
    std::string buffer(n + 5, '#');
    for (DWORD room : {n, n + 1}) {
        buffer.assign(n + 5, '#');
        BYTE* at = reinterpret_cast<BYTE*>(&buffer[0]);
        BYTE* given = at;
        DWORD size = room;
        EXPECT_TRUE(ReadBinFile(path.c_str(), &given, &size)) << room;
        EXPECT_EQ(at, given);
        EXPECT_EQ(n, size);
        EXPECT_EQ(content, buffer.substr(0, n));
        EXPECT_EQ(std::string(5, '#'), buffer.substr(n));
    }
    buffer.assign(n + 5, '#');
    BYTE* given = reinterpret_cast<BYTE*>(&buffer[0]);
    DWORD size = n - 1;
    SetLastError(kMarker);
    EXPECT_FALSE(ReadBinFile(path.c_str(), &given, &size));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(n, size);
    EXPECT_EQ(std::string(n + 5, '#'), buffer);
}

TEST_F(BinaryFiles, ReadBinFileNamesItsFailures)
{
    BYTE* buffer = nullptr;
    DWORD size = 99;
    SetLastError(kMarker);
    EXPECT_FALSE(ReadBinFile(L"", &buffer, &size));
    EXPECT_EQ(DWORD(ERROR_INVALID_NAME), GetLastError());
    SetLastError(kMarker);
    EXPECT_FALSE(ReadBinFile(folder.File(L"missing.bin").c_str(), &buffer, &size));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(nullptr, buffer);
    EXPECT_EQ(99u, size);
    SetLastError(kMarker);
    EXPECT_FALSE(ReadBinFile(path.c_str(), &buffer, nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(BinaryFiles, AnEmptyFileReadsAsAnEmptyBuffer)
{
    std::wstring empty = folder.File(L"empty.bin");
    ASSERT_TRUE(ScratchFolder::Write(empty, ""));
    BYTE* buffer = nullptr;
    DWORD size = 5;
    ASSERT_TRUE(ReadBinFile(empty.c_str(), &buffer, &size));
    EXPECT_EQ(0u, size);
    ASSERT_NE(nullptr, buffer);
    delete[] buffer;

    LPVOID memory = reinterpret_cast<LPVOID>(1);
    size = 5;
    EXPECT_TRUE(ReadFileToVirtualMemory(empty.c_str(), &memory, &size));
    EXPECT_EQ(nullptr, memory);
    EXPECT_EQ(0u, size);
}

TEST_F(BinaryFiles, ReadFileToVirtualMemoryCommitsTheWholeFile)
{
    // More than one 1 MiB piece.
    std::string big(0x100000 * 2 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = char(i * 7);
    std::wstring bigPath = folder.File(L"big.bin");
    ASSERT_TRUE(ScratchFolder::Write(bigPath, big));
    LPVOID memory = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(ReadFileToVirtualMemory(bigPath.c_str(), &memory, &size));
    ASSERT_NE(nullptr, memory);
    EXPECT_EQ(big.size(), size);
    EXPECT_EQ(0, memcmp(big.data(), memory, size));
    EXPECT_TRUE(VirtualFree(memory, 0, MEM_RELEASE));

    memory = reinterpret_cast<LPVOID>(1);
    SetLastError(kMarker);
    EXPECT_FALSE(ReadFileToVirtualMemory(folder.File(L"missing.bin").c_str(), &memory, &size));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(reinterpret_cast<LPVOID>(1), memory);
}

TEST_F(BinaryFiles, ReadabilityNeedsAFileThatOpens)
{
    EXPECT_TRUE(IsFileReadable(path.c_str()));
    EXPECT_FALSE(IsFileReadable(folder.File(L"missing.bin").c_str()));
    EXPECT_FALSE(IsFileReadable(folder.path().c_str()));
    EXPECT_FALSE(IsFileReadable(L""));
    EXPECT_FALSE(IsFileReadable(nullptr));

    char narrow[MAX_PATH * 2];
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, narrow, sizeof(narrow), nullptr, nullptr), 0);
    EXPECT_TRUE(CanOpenFileA(narrow));
    strcat(narrow, ".missing");
    EXPECT_FALSE(CanOpenFileA(narrow));
    EXPECT_FALSE(CanOpenFileA(""));
    EXPECT_FALSE(CanOpenFileA(nullptr));
}

class KeyLines : public testing::Test {
protected:
    ScratchFolder folder{L"keyline"};
    std::wstring path = folder.File(L"settings.ini");
    const std::string text = "[General]\nName=Card\nSize=CR80\n[Heat]\nName=Y\nLevel=5\n";
};

TEST_F(KeyLines, RemovesTheKeyLineOfTheSectionOnly)
{
    ASSERT_TRUE(ScratchFolder::Write(path, text));
    EXPECT_EQ(0u, RemoveKeyLine(L"[Heat]", L"Name=", path.c_str()));
    EXPECT_EQ("[General]\nName=Card\nSize=CR80\n[Heat]\nLevel=5\n", ScratchFolder::Read(path));
    EXPECT_EQ(0u, RemoveKeyLine(L"[General]", L"Size=", path.c_str()));
    EXPECT_EQ("[General]\nName=Card\n[Heat]\nLevel=5\n", ScratchFolder::Read(path));
    EXPECT_FALSE(ScratchFolder::Exists(path + L".new"));
}

TEST_F(KeyLines, KeepsTheFileWhenNothingMatches)
{
    ASSERT_TRUE(ScratchFolder::Write(path, text));
    // The key lies in another section, the section is missing, or the key's line has no line feed.
    EXPECT_EQ(0u, RemoveKeyLine(L"[General]", L"Level=", path.c_str()));
    EXPECT_EQ(0u, RemoveKeyLine(L"[Missing]", L"Name=", path.c_str()));
    EXPECT_EQ(0u, RemoveKeyLine(L"[Heat]", L"Gamma=", path.c_str()));
    EXPECT_EQ(text, ScratchFolder::Read(path));
    std::string open = "[Heat]\nLevel=5";
    ASSERT_TRUE(ScratchFolder::Write(path, open));
    EXPECT_EQ(0u, RemoveKeyLine(L"[Heat]", L"Level=", path.c_str()));
    EXPECT_EQ(open, ScratchFolder::Read(path));
    EXPECT_EQ(0u, RemoveKeyLine(nullptr, L"Level=", path.c_str()));
    EXPECT_EQ(0u, RemoveKeyLine(L"[Heat]", nullptr, path.c_str()));
}

TEST_F(KeyLines, KeepsTheBytesOfTheActiveCodePage)
{
    // e-acute and the pound sign of code page 1252 around the removed line.
    std::string accented = "[Names]\nCaf\xE9=1\nDrop=2\n\xA3=3\n";
    ASSERT_TRUE(ScratchFolder::Write(path, accented));
    EXPECT_EQ(0u, RemoveKeyLine(L"[Names]", L"Drop=", path.c_str()));
    EXPECT_EQ("[Names]\nCaf\xE9=1\n\xA3=3\n", ScratchFolder::Read(path));
}

// Watches the calling thread's dialogs: the message box that opens notes its
// caption and the texts of its controls, and is answered with OK at once.
struct MessageBoxWatcher {
    static std::wstring caption, texts;
    static int boxes;
    HHOOK hook;
    static BOOL CALLBACK Collect(HWND child, LPARAM)
    {
        WCHAR buffer[MAX_PATH * 2] = L"";
        GetWindowTextW(child, buffer, MAX_PATH * 2);
        texts += std::wstring(buffer) + L"|";
        return TRUE;
    }
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_INITDIALOG) {
            WCHAR buffer[256] = L"";
            GetWindowTextW(call->hwnd, buffer, 256);
            caption = buffer;
            texts = L"|";
            EnumChildWindows(call->hwnd, Collect, 0);
            ++boxes;
            PostMessageW(call->hwnd, WM_COMMAND, IDOK, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    MessageBoxWatcher() : hook(SetWindowsHookExW(WH_CALLWNDPROCRET, Hook, nullptr, GetCurrentThreadId()))
    {
        boxes = 0;
    }
    ~MessageBoxWatcher() { UnhookWindowsHookEx(hook); }
};
std::wstring MessageBoxWatcher::caption, MessageBoxWatcher::texts;
int MessageBoxWatcher::boxes;

TEST_F(KeyLines, AFileThatDoesNotOpenIsShownInAMessageBox)
{
    std::wstring missing = folder.File(L"missing.ini");
    MessageBoxWatcher watcher;
    ASSERT_NE(nullptr, watcher.hook);
    EXPECT_EQ(0u, RemoveKeyLine(L"[Heat]", L"Name=", missing.c_str()));
    EXPECT_EQ(1, MessageBoxWatcher::boxes);
    EXPECT_EQ(L"Open File Error!!", MessageBoxWatcher::caption);
    EXPECT_NE(std::wstring::npos, MessageBoxWatcher::texts.find(L"|" + missing + L"|")) << MessageBoxWatcher::texts;
    EXPECT_FALSE(ScratchFolder::Exists(missing));
}

} // namespace
