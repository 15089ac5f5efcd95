// The printer exchanges of QelChart: reading the print-position values L, T
// and S (ESC Dwz;u;n CR) and writing them (ESC Swz;u;n;value CR), n being 1
// for L, 2 for T and 3 for S.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "QelCmd.h"

// Byte of a status-block reply that holds the value.
const DWORD POSITION_STATUS_VALUE_BYTE = 5;

// The value of a reply to ESC Dwz;u;n CR: a text reply's leading decimal
// number (blanks before it and a sign allowed), or a status block's byte 5
// taken as a signed byte (0xF1 is -15). Gives 0 with *value set, or
// ERROR_NOT_READY (not-ready reply) or ERROR_INVALID_DATA (empty reply, text
// without a leading number, short status block, value outside -15 to 15),
// *value untouched.
DWORD DecodePositionReply(const BYTE* reply, DWORD length, int* value);

// 0 for any reply but a text reply holding a rejection word of the printer,
// which gives its ERR_FW_* code ("CMD ERR", "PARA ERR", "TASK NOT CREATED",
// "NACK", "MEM FULL", tested in this order).
DWORD CheckWriteReply(const BYTE* reply, DWORD length);

// Reads L, T and S in that order and stops at the first failure: the
// exchange's result, or the decoding's. The outputs are written only when
// all three values were read. The last error is set to the result.
DWORD ReadPositionValues(CQelCmd* cmd, int* l, int* t, int* s);

// Writes L, T and S in that order and stops at the first failure: the
// exchange's result, or the rejection's code. Values outside -15 to 15 give
// ERROR_INVALID_PARAMETER and nothing is sent. The last error is set to the
// result.
DWORD WritePositionValues(CQelCmd* cmd, int l, int t, int s);
