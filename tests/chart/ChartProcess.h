// CChartProcess: one run of the real QelChart.exe for a black-box test. It
// starts the program, finds its dialog and message boxes, works their
// controls from outside as a user would, and kills the program when a test
// ends early, so that nothing outlives the test.
#pragma once

#include <windows.h>

#include "ProcessWindows.h"

#include <string>

class CChartProcess {
public:
    CChartProcess();
    ~CChartProcess();
    CChartProcess(const CChartProcess&) = delete;
    CChartProcess& operator=(const CChartProcess&) = delete;

    // Starts QelChart.exe from the test program's folder with the command
    // line "<program>" arguments.
    bool Start(const std::wstring& arguments);
    DWORD ProcessId() const { return m_info.dwProcessId; }

    // Polls for the program's dialog with this title; NULL after timeoutMs.
    HWND WaitForDialog(const std::wstring& title, DWORD timeoutMs);
    // Polls for a dialog-class window of the program other than its main
    // dialog (a message box); NULL after timeoutMs.
    HWND WaitForMessageBox(DWORD timeoutMs);
    // TRUE when the program shows no message box now.
    bool HasMessageBox();

    // Waits until the dialog's thread has handled what was sent or posted
    // before (bounded).
    bool Sync();
    // Posts a button's command to the dialog, as a click of it does.
    bool Click(int id);
    // The text of a dialog control.
    std::wstring ItemText(int id);
    // One arrow-key step of the up-down control at the side of an edit.
    bool Step(int editId, bool up);

    // TRUE when the program ended within timeoutMs; its exit code then.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    void Kill();

    HWND Dialog() const { return m_dialog; }

private:
    PROCESS_INFORMATION m_info;
    HWND m_dialog;
};

// The text and the caption of a message box, which is then closed with its
// OK button.
bool ReadAndCloseMessageBox(HWND box, std::wstring* text, std::wstring* caption);
