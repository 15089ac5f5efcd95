// Top-level test windows on a message-loop thread of their own: each records
// the messages that a notification delivers to it (WM_COPYDATA with its
// record, WM_CLOSE, WM_COMMAND, and the program's own messages from WM_USER
// on) and answers them with its given result.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ReceivedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    // For WM_COPYDATA: the record's kind, size and bytes.
    ULONG_PTR kind;
    DWORD size;
    std::string bytes;
};

class CTestWindows {
public:
    CTestWindows();
    ~CTestWindows();
    CTestWindows(const CTestWindows&) = delete;
    CTestWindows& operator=(const CTestWindows&) = delete;

    HWND Create(const std::wstring& title, LRESULT result);
    std::vector<ReceivedMessage> Received(HWND window);

private:
    struct Window;
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Loop();

    std::mutex m_lock;
    std::vector<std::unique_ptr<Window>> m_windows;
    DWORD m_threadId;
    HANDLE m_ready;
    std::thread m_thread;
};
