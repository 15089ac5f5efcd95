#include "PositionCommands.h"

#include <cstdio>

#include "Platform.h"
#include "PositionValues.h"

// Parameters of the value numbers 1 (L), 2 (T), 3 (S).
static const char* const s_valueNumbers[3] = {"1", "2", "3"};

// The printer keeps each value in a byte.
static int PositionFromNumber(int number)
{
    return static_cast<signed char>(static_cast<BYTE>(number & 0xFF));
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
        int number = 0;
        result = cmd->GetResponseNumber(&number);
        values[i] = PositionFromNumber(number);
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
        if (result == 0)
            result = cmd->GetResponseRejection();
        DebugTrace(L"WritePositionValues(1), n = %d, value = %d, dwRet = %d,\n", i + 1, values[i], result);
        if (result != 0)
            goto done;
    }
done:
    SetLastError(result);
    return result;
}
