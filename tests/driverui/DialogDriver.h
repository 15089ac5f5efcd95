// CDialogDriver: answers the modal dialogs that this thread shows while it
// lives (not message boxes, which the sheet host double answers, nor
// windows open before it). A WH_CBT hook notes each dialog as it is first
// activated, and the answer runs from a thread timer once the dialog's own
// modal loop turns, so that it may send the dialog messages and press its
// buttons.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CDialogDriver {
public:
    using Answer = std::function<void(HWND dialog)>;
    explicit CDialogDriver(Answer answer);
    ~CDialogDriver();
    CDialogDriver(const CDialogDriver&) = delete;
    CDialogDriver& operator=(const CDialogDriver&) = delete;

    // Captions of the dialogs answered so far.
    const std::vector<std::wstring>& Captions() const { return m_captions; }

    // Answers: types each name into the name box and presses OK; notes
    // after each press whether the dialog is still shown.
    static Answer TypeNames(std::vector<std::wstring> names, std::vector<bool>* stillShown);
    static Answer Cancel();
    // Runs script in the dialog, then cancels it unless the script ended it.
    static Answer Script(Answer script);
    // The common file dialog: types the path and presses OK.
    static Answer ChooseFile(std::wstring path);

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Timer(HWND, UINT, UINT_PTR id, DWORD);
    static BOOL CALLBACK Existing(HWND window, LPARAM driver);

    Answer m_answer;
    HHOOK m_hook;
    std::vector<HWND> m_seen;
    std::vector<HWND> m_pending;
    std::vector<std::wstring> m_captions;
};
