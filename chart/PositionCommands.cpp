#include "PositionCommands.h"

#include <cstdio>
#include <cstring>

#include "Platform.h"
#include "PositionValues.h"

// Byte 0 of a reply: its kind.
const BYTE REPLY_NOT_READY = 0;
const BYTE REPLY_TEXT = 1;

// Parameters of the value numbers 1 (L), 2 (T), 3 (S).
static const char* const s_valueNumbers[3] = {"1", "2", "3"};

// The text of a text reply: from byte 1 to its NUL or to the bytes read.
static DWORD ReplyTextLength(const BYTE* reply, DWORD length)
{
    DWORD n = 0;
    while (1 + n < length && reply[1 + n] != 0)
        ++n;
    return n;
}

DWORD DecodePositionReply(const BYTE* reply, DWORD length, int* value)
{
    if (!reply || !value)
        return ERROR_INVALID_PARAMETER;
    if (length == 0)
        return ERROR_INVALID_DATA;
    if (reply[0] == REPLY_NOT_READY)
        return ERROR_NOT_READY;
    if (reply[0] != REPLY_TEXT) {
        if (length <= POSITION_STATUS_VALUE_BYTE)
            return ERROR_INVALID_DATA;
        int byteValue = static_cast<signed char>(reply[POSITION_STATUS_VALUE_BYTE]);
        if (!IsPositionInRange(byteValue))
            return ERROR_INVALID_DATA;
        *value = byteValue;
        return 0;
    }
    const char* p = reinterpret_cast<const char*>(reply + 1);
    const char* end = p + ReplyTextLength(reply, length);
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    BOOL negative = FALSE;
    if (p < end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    if (p >= end || *p < '0' || *p > '9')
        return ERROR_INVALID_DATA;
    // Saturates above any byte value, so a long number cannot wrap into the range.
    const int saturated = 1000;
    int n = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        if (n < saturated)
            n = n * 10 + (*p - '0');
    }
    int number = negative ? -n : n;
    // Like the status block's byte, a number the printer writes as a byte
    // counts by its low byte taken as signed (241 is -15); others are no value.
    if (number < -128 || number > 255)
        return ERROR_INVALID_DATA;
    int decoded = static_cast<signed char>(static_cast<BYTE>(number & 0xFF));
    if (!IsPositionInRange(decoded))
        return ERROR_INVALID_DATA;
    *value = decoded;
    return 0;
}

DWORD CheckWriteReply(const BYTE* reply, DWORD length)
{
    static const struct {
        const char* word;
        DWORD code;
    } rejections[] = {
        {"CMD ERR", ERR_FW_CMD},
        {"PARA ERR", ERR_FW_PARA},
        {"TASK NOT CREATED", ERR_FW_TASK_NOT_CREATED},
        {"NACK", ERR_FW_NACK},
        {"MEM FULL", ERR_FW_MEM_FULL},
    };
    if (!reply || length == 0 || reply[0] != REPLY_TEXT)
        return 0;
    const char* text = reinterpret_cast<const char*>(reply + 1);
    DWORD textLength = ReplyTextLength(reply, length);
    for (const auto& r : rejections) {
        size_t wordLength = strlen(r.word);
        for (DWORD i = 0; i + wordLength <= textLength; ++i) {
            if (memcmp(text + i, r.word, wordLength) == 0)
                return r.code;
        }
    }
    return 0;
}

DWORD ReadPositionValues(CQelCmd* cmd, int* l, int* t, int* s)
{
    DWORD result = 0;
    int values[3] = {0, 0, 0};
    if (!cmd || !l || !t || !s) {
        result = ERROR_INVALID_PARAMETER;
        goto done;
    }
    for (int i = 0; i < 3; ++i) {
        result = cmd->DoCommand("Dwz", "u", s_valueNumbers[i]);
        DebugTrace(L"ReadPositionValues(1), n = %d, dwRet = %d,\n", i + 1, result);
        if (result != 0)
            goto done;
        const BYTE* reply = NULL;
        DWORD length = 0;
        cmd->GetResponse(&reply, &length);
        result = DecodePositionReply(reply, length, &values[i]);
        DebugTrace(L"ReadPositionValues(2), n = %d, dwRet = %d, value = %d,\n", i + 1, result, values[i]);
        if (result != 0)
            goto done;
    }
    *l = values[0];
    *t = values[1];
    *s = values[2];
done:
    SetLastError(result);
    return result;
}

DWORD WritePositionValues(CQelCmd* cmd, int l, int t, int s)
{
    DWORD result = 0;
    const int values[3] = {l, t, s};
    if (!cmd || !IsPositionInRange(l) || !IsPositionInRange(t) || !IsPositionInRange(s)) {
        result = ERROR_INVALID_PARAMETER;
        goto done;
    }
    for (int i = 0; i < 3; ++i) {
        char text[16];
        snprintf(text, sizeof(text), "%d", values[i]);
        result = cmd->DoCommand("Swz", "u", s_valueNumbers[i], text);
        DebugTrace(L"WritePositionValues(1), n = %d, value = %d, dwRet = %d,\n", i + 1, values[i], result);
        if (result != 0)
            goto done;
        const BYTE* reply = NULL;
        DWORD length = 0;
        cmd->GetResponse(&reply, &length);
        result = CheckWriteReply(reply, length);
        if (result != 0)
            goto done;
    }
done:
    SetLastError(result);
    return result;
}
