#include "QelCmd.h"

#include "Platform.h"

#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

const BYTE kEsc = 0x1B;
const BYTE kCr = 0x0D;
const BYTE kReplyText = 1;
const BYTE kReplyNotReady = 0;

// The status block's byte that carries a number.
const DWORD kStatusNumberByte = 5;

const DWORD kNotReadyPauseMs = 500;
const DWORD kTaskUnavailablePauseMs = 1000;

// The printer's rejections of a command, in the order the reply is searched
// (after "OK" on a bulk exchange).
struct Rejection {
    LPCSTR word;
    DWORD code;
};
const Rejection kRejections[] = {
    {"CMD ERR", ERR_FW_CMD},
    {"PARA ERR", ERR_FW_PARA},
    {"TASK NOT CREATED", ERR_FW_TASK_NOT_CREATED},
    {"NACK", ERR_FW_NACK},
    {"MEM FULL", ERR_FW_MEM_FULL},
};

struct RibbonWord {
    LPCSTR word;
    BYTE type;
};
const RibbonWord kRibbonWords[] = {
    {"YMCKO", RIBBON_YMCKO}, {"K", RIBBON_K}, {"YMCKO-F", RIBBON_YMCKO_F},
    {"YMCKOK", RIBBON_YMCKOK}, {"KO", RIBBON_KO},
};

// Appends ";" and the parameter when it is given and not empty; false when
// the request text would grow past its limit.
bool AppendParameter(char* text, size_t* length, LPCSTR parameter)
{
    if (!parameter || !parameter[0])
        return true;
    size_t add = strlen(parameter);
    if (*length + 1 + add > QEL_MAX_REQUEST_TEXT)
        return false;
    text[(*length)++] = ';';
    memcpy(text + *length, parameter, add);
    *length += add;
    text[*length] = '\0';
    return true;
}

} // namespace

int CQelCmd::ParseReplyNumber(LPCSTR text, BOOL* digitsFound)
{
    LPCSTR p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    long long value = 0;
    bool digits = false;
    while (*p >= '0' && *p <= '9') {
        digits = true;
        // Saturate instead of overflowing: a reply is outside input.
        if (value <= static_cast<long long>(INT_MAX) + 1)
            value = value * 10 + (*p - '0');
        ++p;
    }
    if (digitsFound)
        *digitsFound = digits;
    if (!digits)
        return 0;
    if (negative)
        return value > static_cast<long long>(INT_MAX) + 1 ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

CQelCmd::CPollBound::CPollBound(DWORD maxRounds, DWORD limitMs)
    : m_dwMaxRounds(maxRounds), m_dwLimitMs(limitMs), m_dwRounds(0), m_qwStarted(GetTickCount64())
{
}

BOOL CQelCmd::CPollBound::Next(DWORD pauseMs)
{
    if (++m_dwRounds > m_dwMaxRounds)
        return FALSE;
    if (pauseMs)
        Sleep(pauseMs);
    return GetTickCount64() - m_qwStarted < m_dwLimitMs;
}

CQelCmd::CQelCmd()
{
    m_pUsbLink = NULL;
    m_bAltErrorNotify = 0;
    m_pfnErrorCallback = NULL;
    m_pErrorContext = NULL;
    szPrinterName[0] = L'\0';
    m_szJobText[0] = L'\0';
    dwSplJobId = 0;
    m_dwExtraValue = 0;
    m_wExtraValue = 0;
    m_qwExtraValue1 = 0;
    m_qwExtraValue2 = 0;
    ClearExchange();
    m_dwLastError = 0;
    memset(&m_EnergyTable, 0, sizeof(m_EnergyTable));
    memset(&m_HeatingTable, 0, sizeof(m_HeatingTable));
}

void CQelCmd::ClearExchange()
{
    m_dwLenHeader = 0;
    m_dwKeptData = 0;
    m_dwSentHeader = 0;
    m_dwSentData = 0;
    m_dwRecvResponse = 0;
    memset(m_byHeader, 0, sizeof(m_byHeader));
    memset(m_byResponse, 0, sizeof(m_byResponse));
    memset(m_bySentData, 0, sizeof(m_bySentData));
}

CQelCmd::~CQelCmd()
{
    FreeHeatingTables();
}

void CQelCmd::FreeHeatingTables()
{
    for (DWORD slot = 0; slot < QEL_HEATING_SLOTS; ++slot) {
        delete[] m_HeatingTable.pTable[slot];
        m_HeatingTable.pTable[slot] = NULL;
        m_HeatingTable.dwLength[slot] = 0;
    }
}

void CQelCmd::WriteLog(DWORD level, LPCWSTR format, ...)
{
    if (!m_pUsbLink || m_pUsbLink->m_dwLogLevel == 0)
        return;
    // Logging never changes what the operation reports.
    DWORD savedError = GetLastError();
    WCHAR line[1024];
    va_list args;
    va_start(args, format);
    int written = vswprintf(line, sizeof(line) / sizeof(line[0]), format, args);
    va_end(args);
    if (written >= 0)
        m_pUsbLink->WriteLog(level, L"%ls", line);
    SetLastError(savedError);
}

BOOL CQelCmd::IsTextReply() const
{
    return m_dwRecvResponse > 0 && m_byResponse[0] == kReplyText;
}

DWORD CQelCmd::CopyReplyText(LPSTR out, DWORD room) const
{
    if (room == 0)
        return 0;
    DWORD read = m_dwRecvResponse < QEL_CMD_BUFFER_SIZE ? m_dwRecvResponse : QEL_CMD_BUFFER_SIZE;
    DWORD available = read > 1 ? read - 1 : 0;
    const char* text = reinterpret_cast<const char*>(m_byResponse + 1);
    DWORD length = 0;
    while (length < available && length + 1 < room && text[length] != '\0')
        ++length;
    memcpy(out, text, length);
    out[length] = '\0';
    return length;
}

BOOL CQelCmd::ReplyTextContains(LPCSTR word) const
{
    char text[QEL_CMD_BUFFER_SIZE];
    CopyReplyText(text, sizeof(text));
    return strstr(text, word) != NULL;
}

DWORD CQelCmd::DoCommand(LPCSTR command, LPCSTR p1, LPCSTR p2, LPCSTR p3, LPCSTR p4, const BYTE* data,
                         DWORD dataLength)
{
    DWORD savedError = GetLastError();
    char text[QEL_MAX_REQUEST_TEXT + 1];
    size_t textLength = 0;
    DWORD result = ERROR_SUCCESS;
    WCHAR commandW[QEL_MAX_REQUEST_TEXT + 1];

    BOOL valid = command && command[0] && (data || dataLength == 0) && strlen(command) <= QEL_MAX_REQUEST_TEXT;
    if (valid) {
        textLength = strlen(command);
        memcpy(text, command, textLength + 1);
        valid = AppendParameter(text, &textLength, p1) && AppendParameter(text, &textLength, p2) &&
                AppendParameter(text, &textLength, p3) && AppendParameter(text, &textLength, p4);
    }
    if (!valid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }
    if (!m_pUsbLink) {
        m_dwLastError = ERROR_INVALID_HANDLE;
        SetLastError(ERROR_INVALID_HANDLE);
        return ERROR_INVALID_HANDLE;
    }

    ClearExchange();

    m_byHeader[0] = kEsc;
    memcpy(m_byHeader + 1, text, textLength);
    m_byHeader[textLength + 1] = kCr;
    m_dwLenHeader = static_cast<DWORD>(textLength) + 2;

    // A printer taken by another process for too long fails the exchange
    // before anything is written.
    if (m_pUsbLink->EnterMutex()) {
        result = ExchangeLocked(data, dataLength);
        m_pUsbLink->LeaveMutex();
    } else {
        result = ERROR_TIMEOUT;
    }

    m_dwLastError = result;
    if (!AnsiToWide(commandW, command, QEL_MAX_REQUEST_TEXT + 1))
        commandW[0] = L'\0';
    WriteLog(1, L"==>DoCommand(%ls):: return = %d, m_dwRecvResponse = %d,\n\n", commandW, result, m_dwRecvResponse);
    SetLastError(result == ERROR_SUCCESS ? savedError : result);
    return result;
}

DWORD CQelCmd::ExchangeLocked(const BYTE* data, DWORD dataLength)
{
    // A printer that never takes the data must not hold the caller and the
    // printer's mutex for ever.
    CPollBound bound(QEL_BULK_MAX_RESENDS, QEL_BULK_RESEND_LIMIT_MS);
    for (;;) {
        DWORD result = m_pUsbLink->WriteData(m_byHeader, m_dwLenHeader, &m_dwSentHeader);
        WriteLog(2, L"CQelCmd::DoCommand(1), dwRet = %d, m_dwLenHeader = %d, m_dwSentHeader = %d,\n", result,
                 m_dwLenHeader, m_dwSentHeader);
        if (result != ERROR_SUCCESS)
            return result;
        result = m_pUsbLink->ReadData(m_byResponse, QEL_CMD_BUFFER_SIZE, &m_dwRecvResponse);
        WriteLog(2, L"CQelCmd::DoCommand(2), dwRet = %d, m_dwRecvResponse = %d,\n", result, m_dwRecvResponse);
        if (result != ERROR_SUCCESS || !data)
            return result;

        DWORD pauseMs = 0;
        if (m_byResponse[0] == kReplyNotReady) {
            pauseMs = kNotReadyPauseMs;
        } else if (m_byResponse[0] == kReplyText) {
            if (ReplyTextContains("OK")) {
                result = m_pUsbLink->WriteData(data, dataLength, &m_dwSentData);
                m_dwKeptData = dataLength < QEL_CMD_BUFFER_SIZE ? dataLength : QEL_CMD_BUFFER_SIZE;
                memcpy(m_bySentData, data, m_dwKeptData);
                WriteLog(2, L"CQelCmd::DoCommand(3), dwRet = %d, dwDataLen = %d, m_dwSentData = %d,\n", result,
                         dataLength, m_dwSentData);
                return result;
            }
            DWORD rejection = GetResponseRejection();
            if (rejection != ERROR_SUCCESS)
                return rejection;
            if (ReplyTextContains("TASK UNAVA"))
                pauseMs = kTaskUnavailablePauseMs;
        }

        if (!bound.Next(pauseMs))
            return ERROR_TIMEOUT;
        memset(m_byResponse, 0, sizeof(m_byResponse));
        m_dwRecvResponse = 0;
    }
}

int CQelCmd::GetResponseInt(int* value)
{
    int number;
    if (IsTextReply()) {
        char text[QEL_CMD_BUFFER_SIZE];
        CopyReplyText(text, sizeof(text));
        number = ParseReplyNumber(text);
    } else {
        number = m_byResponse[kStatusNumberByte];
    }
    if (value)
        *value = number;
    return number;
}

DWORD CQelCmd::GetResponseNumber(int* value) const
{
    DWORD result = ERROR_SUCCESS;
    int number = 0;
    if (!value) {
        result = ERROR_INVALID_PARAMETER;
    } else if (m_dwRecvResponse > 0 && m_byResponse[0] == kReplyNotReady) {
        result = ERROR_NOT_READY;
    } else if (IsTextReply()) {
        char text[QEL_CMD_BUFFER_SIZE];
        CopyReplyText(text, sizeof(text));
        BOOL digits = FALSE;
        number = ParseReplyNumber(text, &digits);
        if (!digits)
            result = ERROR_INVALID_DATA;
    } else if (m_dwRecvResponse > kStatusNumberByte) {
        number = m_byResponse[kStatusNumberByte];
    } else {
        result = ERROR_INVALID_DATA;
    }
    if (result != ERROR_SUCCESS) {
        SetLastError(result);
        return result;
    }
    *value = number;
    return ERROR_SUCCESS;
}

DWORD CQelCmd::GetResponseRejection() const
{
    if (!IsTextReply())
        return ERROR_SUCCESS;
    for (const Rejection& r : kRejections) {
        if (ReplyTextContains(r.word))
            return r.code;
    }
    return ERROR_SUCCESS;
}

double CQelCmd::GetResponseDouble(double* value)
{
    double number = 0.0;
    if (IsTextReply()) {
        char text[QEL_CMD_BUFFER_SIZE];
        CopyReplyText(text, sizeof(text));
        number = strtod(text, NULL);
    }
    if (value)
        *value = number;
    return number;
}

void CQelCmd::GetCommandHeader(const BYTE** header, DWORD* length) const
{
    if (header)
        *header = m_byHeader;
    if (length)
        *length = m_dwLenHeader;
}

void CQelCmd::GetResponse(const BYTE** response, DWORD* length) const
{
    if (response)
        *response = m_byResponse;
    if (length)
        *length = m_dwRecvResponse;
}

void CQelCmd::GetSentData(const BYTE** data, DWORD* length) const
{
    if (data)
        *data = m_bySentData;
    if (length)
        *length = m_dwSentData;
}

DWORD CQelCmd::GetPrinterInfoText(int n, LPSTR text)
{
    static const LPCSTR kCommands[] = {"Dxh", "Dgb", "Dxl", "Dq"};
    DWORD savedError = GetLastError();
    if (n < 1 || n > 4 || !text) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }

    DWORD result = DoCommand(kCommands[n - 1], n == 3 ? "p" : NULL);
    if (result == ERROR_SUCCESS && IsTextReply())
        CopyReplyText(text, QEL_INFO_TEXT_SIZE);

    char shown[QEL_INFO_TEXT_SIZE];
    size_t shownLength = strnlen(text, QEL_INFO_TEXT_SIZE - 1);
    memcpy(shown, text, shownLength);
    shown[shownLength] = '\0';
    WCHAR shownW[QEL_INFO_TEXT_SIZE];
    if (!AnsiToWide(shownW, shown, QEL_INFO_TEXT_SIZE))
        shownW[0] = L'\0';
    WriteLog(1, L"==>GetPrinterInfoText(%d):: return = %d, szInfoTextW = %ls,\n\n", n, result, shownW);
    SetLastError(result == ERROR_SUCCESS ? savedError : result);
    return result;
}

DWORD CQelCmd::GetRibbonInfo(BYTE* byRibbonType, int* nRemainCount, int* nOriginCount, LPSTR text)
{
    DWORD savedError = GetLastError();
    BYTE type = RIBBON_UNKNOWN;
    int remain = 0, origin = 0;
    char ribbonText[QEL_RIBBON_TEXT_SIZE] = "";
    DWORD result = ERROR_SUCCESS;

    if (text) {
        // Only the ribbon's name is shown, so its reply does not decide the
        // result; a failed link does, since asking on would only wait out
        // another time-out.
        result = DoCommand("Ds", "1");
        if (result == ERROR_SUCCESS && IsTextReply())
            CopyReplyText(ribbonText, sizeof(ribbonText));
    }

    if (result == ERROR_SUCCESS)
        result = DoCommand("Ds", "2");
    if (result == ERROR_SUCCESS && IsTextReply()) {
        char reply[QEL_CMD_BUFFER_SIZE];
        CopyReplyText(reply, sizeof(reply));
        for (const RibbonWord& w : kRibbonWords) {
            if (strcmp(reply, w.word) == 0) {
                type = w.type;
                break;
            }
        }
        if (type != RIBBON_UNKNOWN) {
            result = DoCommand("Ds", "3");
            if (result == ERROR_SUCCESS && IsTextReply()) {
                CopyReplyText(reply, sizeof(reply));
                LPCSTR separator = strchr(reply, ';');
                if (separator) {
                    remain = ParseReplyNumber(reply);
                    origin = ParseReplyNumber(separator + 1);
                }
            }
        }
    }

    if (byRibbonType)
        *byRibbonType = type;
    if (nRemainCount)
        *nRemainCount = remain;
    if (nOriginCount)
        *nOriginCount = origin;
    if (text)
        memcpy(text, ribbonText, sizeof(ribbonText));
    WriteLog(1, L"==>GetRibbonInfo():: return = %d, byRibbonType = %d, nRemainCount = %d, nOriginCount = %d,\n\n",
             result, type, remain, origin);
    SetLastError(result == ERROR_SUCCESS ? savedError : result);
    return result;
}
