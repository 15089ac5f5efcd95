// The printer exchanges of QelChart: reading the print-position values L, T
// and S (ESC Dwz;u;n CR) and writing them (ESC Swz;u;n;value CR), n being 1
// for L, 2 for T and 3 for S.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "QelCmd.h"

// Reads L, T and S in that order and stops at the first failure: the
// exchange's result, or the reply's (CQelCmd::GetResponseNumber: a
// not-ready reply or one without a number). Each value is the low byte of
// the reply's number taken as a signed byte (0xF1 is -15), also outside -15
// to 15, so that the user sees what the printer holds. The outputs are
// written only when all three values were read. The last error is set to
// the result.
DWORD ReadPositionValues(CQelCmd* cmd, int* l, int* t, int* s);

// Writes L, T and S in that order and stops at the first failure: the
// exchange's result, or the printer's rejection (ERR_FW_*). Values outside
// -15 to 15 give ERROR_INVALID_PARAMETER and nothing is sent. The last error
// is set to the result.
DWORD WritePositionValues(CQelCmd* cmd, int l, int t, int s);
