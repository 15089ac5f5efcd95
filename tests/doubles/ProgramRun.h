// CProgramRun: one run of a real program of the product for a black-box
// test. It starts the program, finds its main dialog and the other dialogs
// it shows (message boxes, alerts), works their controls from outside as a
// user would, and kills the program when a test ends early, so that nothing
// outlives the test.
#pragma once

#include <windows.h>

#include <string>

#include "ProcessWindows.h"

// The folder of the running test program, with its trailing backslash.
std::wstring TestProgramFolder();

class CProgramRun {
public:
    // programName: the file name of the program, in the test program's folder.
    explicit CProgramRun(LPCWSTR programName);
    ~CProgramRun();
    CProgramRun(const CProgramRun&) = delete;
    CProgramRun& operator=(const CProgramRun&) = delete;

    // Starts the program with the command line "<program>" arguments.
    bool Start(const std::wstring& arguments);
    DWORD ProcessId() const { return m_info.dwProcessId; }

    // Polls for the program's dialog with this title; NULL after timeoutMs.
    HWND WaitForDialog(const std::wstring& title, DWORD timeoutMs);
    // Polls for a visible dialog-class window of the program other than its
    // main dialog (a message box, an alert); NULL after timeoutMs.
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
    std::wstring m_programName;
    PROCESS_INFORMATION m_info;
    HWND m_dialog;
};

// Waits until the window's thread has handled what was sent or posted to it
// before (bounded).
bool SyncWindow(HWND window);
// Posts a button's command to a dialog, as a click of it does.
bool ClickButton(HWND dialog, int id);
// The text and the caption of a message box, which is then closed with its
// OK button.
bool ReadAndCloseMessageBox(HWND box, std::wstring* text, std::wstring* caption);
