#include "QelCmd.h"

#include "TextCopy.h"

#include <cstdio>
#include <cstring>

namespace {

const DWORD kStatusMaskWarning = 0xF0;
const DWORD kStatusWarning = 0x40;
const BYTE kBusyMask9 = 0xC0;
const BYTE kBusyMask11 = 0xF3;
const DWORD kTaskCompletedBit = 0x80;

const DWORD kMagWaitIntervalMs = 500;
const DWORD kMagStartPauseMs = 1000;
const DWORD kMagPollMs = 300;
const DWORD kMagSettlePauseMs = 100;
const DWORD kTaskEndPauseMs = 1000;
const DWORD kRestartPauseMs = 8000;
const DWORD kReopenAttempts = 20;
const DWORD kReopenPauseMs = 1000;
const DWORD kRestartPollMs = 500;

const LPCSTR kTrackNumbers[3] = {"1", "2", "3"};

} // namespace

void CQelCmd::KeepFirstFailure(DWORD* first, DWORD result)
{
    if (*first == ERROR_SUCCESS)
        *first = result;
}

DWORD CQelCmd::DeviceStatusError(BYTE strict) const
{
    // Byte 5 + n stays inside the zero-filled reply buffer for every n.
    DWORD status = m_byResponse[5 + m_byResponse[5]];
    if (status == 0)
        return ERROR_SUCCESS;
    if ((status & kStatusMaskWarning) == kStatusWarning && !strict)
        return ERROR_SUCCESS;
    return ERR_DEVICE_STATUS_BASE + status;
}

BOOL CQelCmd::ReplySaysBusy() const
{
    return (m_byResponse[9] & kBusyMask9) != 0 || (m_byResponse[11] & kBusyMask11) != 0;
}

DWORD CQelCmd::CheckDeviceStatus(DWORD* error, BYTE strict)
{
    DWORD savedError = GetLastError();
    DWORD result = DoCommand("Ddm");
    DWORD status = result != ERROR_SUCCESS ? result : DeviceStatusError(strict);
    m_dwLastError = status;
    if (error)
        *error = status;
    WriteLog(1, L"==>CheckDeviceStatus():: return = %d, dwError = 0x%08X,\n\n", result, status);
    SetLastError(result == ERROR_SUCCESS ? savedError : result);
    return result;
}

BOOL CQelCmd::IsBusy()
{
    DWORD savedError = GetLastError();
    DWORD result = DoCommand("Dzt");
    BOOL busy = result == ERROR_SUCCESS && ReplySaysBusy();
    WriteLog(1, L"==>IsBusy():: return = %d, dwError = %d,\n\n", busy, result);
    SetLastError(result == ERROR_SUCCESS ? savedError : result);
    return busy;
}

DWORD CQelCmd::WaitBusy(DWORD intervalMs, BYTE stopOnError, BYTE strict)
{
    DWORD savedError = GetLastError();
    DWORD error = ERROR_SUCCESS;
    CPollBound bound(QEL_POLL_MAX_ROUNDS, QEL_POLL_LIMIT_MS);
    for (;;) {
        DWORD result = DoCommand("Ddm");
        error = result != ERROR_SUCCESS ? result : DeviceStatusError(strict);
        m_dwLastError = error;
        WriteLog(1, L"==>CheckDeviceStatus():: return = %d, dwError = 0x%08X,\n\n", result, error);
        if ((stopOnError && error != ERROR_SUCCESS) || result != ERROR_SUCCESS)
            break;
        // A failed busy query is asked again, but only after the interval.
        if (DoCommand("Dzt") == ERROR_SUCCESS && !ReplySaysBusy())
            break;
        if (!bound.Next(intervalMs)) {
            error = ERROR_TIMEOUT;
            break;
        }
    }
    m_dwLastError = error;
    WriteLog(1, L"==>WaitBusy():: return = 0x%08X,\n\n", error);
    SetLastError(error == ERROR_SUCCESS ? savedError : error);
    return error;
}

DWORD CQelCmd::TaskStart(int* taskId)
{
    DWORD savedError = GetLastError();
    DWORD result = DoCommand("Rk");
    int id = 0;
    if (result == ERROR_SUCCESS && IsTextReply()) {
        char text[QEL_CMD_BUFFER_SIZE];
        CopyReplyText(text, sizeof(text));
        if (text[0] >= '1' && text[0] <= '9')
            id = ParseReplyNumber(text);
    }
    if (taskId)
        *taskId = id;
    WriteLog(1, L"==>TaskStart():: return = %d, TaskId = %d,\n\n", result, id);
    SetLastError(result == ERROR_SUCCESS ? savedError : result);
    return result;
}

DWORD CQelCmd::TaskEnd(int taskId)
{
    DWORD savedError = GetLastError();
    char idText[16];
    snprintf(idText, sizeof(idText), "%d", taskId);
    DWORD result = DoCommand("Rj", idText);
    WriteLog(1, L"==>TaskEnd():: return = %d, TaskId = %d,\n\n", result, taskId);
    // The printer needs the pause to close the task before the next one.
    Sleep(kTaskEndPauseMs);
    SetLastError(result == ERROR_SUCCESS ? savedError : result);
    return result;
}

BOOL CQelCmd::IsTaskCompleted(DWORD taskId)
{
    DWORD savedError = GetLastError();
    char idText[16];
    snprintf(idText, sizeof(idText), "%d", static_cast<int>(taskId));
    DWORD result = DoCommand("Rzt", idText);
    BOOL completed = FALSE;
    if (result == ERROR_SUCCESS) {
        char text[QEL_CMD_BUFFER_SIZE] = "";
        if (IsTextReply())
            CopyReplyText(text, sizeof(text));
        completed = strcmp(text, "TASK UNAVA") == 0 ||
                    (static_cast<DWORD>(GetResponseInt(NULL)) & kTaskCompletedBit) != 0;
    }
    WriteLog(1, L"==>IsTaskCompleted(%d):: return = %d,\n\n", static_cast<int>(taskId), completed);
    SetLastError(result == ERROR_SUCCESS ? savedError : result);
    return completed;
}

DWORD CQelCmd::SendRcCommand(DWORD n)
{
    char number[16];
    snprintf(number, sizeof(number), "%d", static_cast<int>(n));
    return DoCommand("Rc", number);
}

DWORD CQelCmd::RestartPrinter()
{
    DWORD savedError = GetLastError();
    DWORD result = ERROR_SUCCESS;
    if (!m_pUsbLink) {
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR_INVALID_HANDLE;
    }

    DoCommand("Kcz", "y");
    m_pUsbLink->CloseUsb();
    Sleep(kRestartPauseMs);
    for (DWORD attempt = 0; attempt < kReopenAttempts; ++attempt) {
        result = m_pUsbLink->OpenUsb();
        if (result == ERROR_SUCCESS)
            break;
        Sleep(kReopenPauseMs);
    }
    if (result == ERROR_SUCCESS)
        result = PollWhileBusy(kRestartPollMs);
    SetLastError(result == ERROR_SUCCESS ? savedError : result);
    return result;
}

DWORD CQelCmd::PollWhileBusy(DWORD pollMs)
{
    CPollBound bound(QEL_POLL_MAX_ROUNDS, QEL_POLL_LIMIT_MS);
    while (DoCommand("Dzt") == ERROR_SUCCESS && ReplySaysBusy()) {
        if (!bound.Next(pollMs))
            return ERROR_TIMEOUT;
    }
    return ERROR_SUCCESS;
}

DWORD CQelCmd::RunMagTask(const MagTrackData* record, MagTrackData* readInto)
{
    DWORD savedError = GetLastError();
    if (!record) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }
    // A printer that is not ready gets no task.
    DWORD refused = WaitBusy(kMagWaitIntervalMs, 1, 0);
    if (refused != ERROR_SUCCESS)
        return refused;

    int taskId = 0;
    DWORD first = TaskStart(&taskId);
    if (readInto)
        ReadMagSteps(readInto, &first);
    else
        WriteMagSteps(record, &first);
    // The task opened above is closed whatever happened in between.
    KeepFirstFailure(&first, TaskEnd(taskId));

    SetLastError(first == ERROR_SUCCESS ? savedError : first);
    return first;
}

DWORD CQelCmd::ReadMagTracks(MagTrackData* record)
{
    return RunMagTask(record, record);
}

DWORD CQelCmd::WriteMagTracks(const MagTrackData* record)
{
    return RunMagTask(record, NULL);
}

void CQelCmd::ReadMagSteps(MagTrackData* record, DWORD* first)
{
    KeepFirstFailure(first, DoCommand("Rdc"));
    Sleep(kMagStartPauseMs);
    KeepFirstFailure(first, PollWhileBusy(kMagPollMs));
    for (DWORD track = 0; track < 3; ++track) {
        if (!(record->byTrackMask & (1u << track)))
            continue;
        DWORD result = DoCommand("Dcz", kTrackNumbers[track]);
        KeepFirstFailure(first, result);
        if (result == ERROR_SUCCESS && IsTextReply())
            CopyReplyText(record->szTrack[track], QEL_TRACK_SIZE);
    }
}

void CQelCmd::WriteMagSteps(const MagTrackData* record, DWORD* first)
{
    KeepFirstFailure(first, DoCommand("Scc", record->byCoercivity == 1 ? "g" : "d"));
    KeepFirstFailure(first, DoCommand("Scg", "1", "1"));
    KeepFirstFailure(first, DoCommand("Scg", "2", "1"));
    KeepFirstFailure(first, DoCommand("Scg", "3", "1"));
    for (DWORD track = 0; track < 3; ++track) {
        if (!(record->byTrackMask & (1u << track)))
            continue;
        DWORD length = record->byLength[track] < QEL_TRACK_SIZE ? record->byLength[track] : QEL_TRACK_SIZE;
        char lengthText[8];
        snprintf(lengthText, sizeof(lengthText), "%d", static_cast<int>(length));
        KeepFirstFailure(first, DoCommand("Xci", lengthText, kTrackNumbers[track], NULL, NULL,
                                          reinterpret_cast<const BYTE*>(record->szTrack[track]), length));
    }
    Sleep(kMagSettlePauseMs);
    if (*first != ERROR_SUCCESS)
        return;
    KeepFirstFailure(first, DoCommand("Rxc"));
    Sleep(kMagStartPauseMs);
    CPollBound bound(QEL_POLL_MAX_ROUNDS, QEL_POLL_LIMIT_MS);
    while (IsBusy()) {
        if (!bound.Next(kMagPollMs)) {
            KeepFirstFailure(first, ERROR_TIMEOUT);
            break;
        }
    }
}

void CQelCmd::SetJobInfo(LPCWSTR printerName, DWORD splJobId, LPCWSTR jobText)
{
    CopyTextCut(szPrinterName, ARRAYSIZE(szPrinterName), printerName);
    dwSplJobId = splJobId;
    CopyTextCut(m_szJobText, ARRAYSIZE(m_szJobText), jobText);
}

void CQelCmd::SetExtraValues(WORD w, DWORD dw, ULONGLONG qw1, ULONGLONG qw2)
{
    m_dwExtraValue = dw;
    m_wExtraValue = w;
    m_qwExtraValue1 = qw1;
    m_qwExtraValue2 = qw2;
}

void CQelCmd::SetErrorCallback(QelErrorCallback callback, LPVOID context)
{
    m_pfnErrorCallback = callback;
    m_pErrorContext = context;
}

int CQelCmd::ShowErrorMsg(DWORD errorCode, BYTE showDialog)
{
    WriteLog(1, L"==>ShowErrorMsg(), bShowDlg = %d, dwErrCode = 0x%08X,\n", showDialog, errorCode);
    if (!m_pfnErrorCallback)
        return 0;

    // The alert may talk to the printer itself while the user decides.
    if (m_pUsbLink)
        m_pUsbLink->CloseUsb();
    int answer;
    if (m_bAltErrorNotify) {
        answer = m_pfnErrorCallback(m_pErrorContext, QEL_NOTIFY_ERROR_ALT, errorCode);
        m_bAltErrorNotify = 0;
    } else {
        answer = m_pfnErrorCallback(m_pErrorContext, QEL_NOTIFY_ERROR, errorCode);
    }
    if (m_pUsbLink)
        m_pUsbLink->OpenUsb();
    return answer <= 4 ? answer : 0;
}
