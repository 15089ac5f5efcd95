// CQelCmd: the printer command object. It turns every printer operation into
// exchanges of a request frame and a reply over one open CUsbLink.
//
// Request frame (CommandHeader), byte for byte on the wire:
//   ESC (0x1B), the request text, CR (0x0D)
// The request text is the ASCII command word followed, for each parameter
// that is given and not empty, by ";" and the parameter ("Dwz;u;1"). It holds
// at most 255 bytes; there is no length field and no checksum.
//
// Reply (CommandResponse), at most 512 bytes per read, zero-filled first:
//   byte 0 = 1      text reply: ASCII text from byte 1, NUL-terminated unless
//                   it fills the buffer
//   byte 0 = 0      not ready
//   anything else   status block: byte fields ("Ddm" byte 5 = n and byte
//                   5 + n = device status; "Dzt" bytes 9 and 11 = busy bits)
//
// Bulk data, where an operation has any, is a second write after a text reply
// that contains "OK"; it carries no framing of its own.
#pragma once

#include "RibbonType.h"
#include "UsbLink.h"

// Result codes of the operations besides 0 and the link's Windows error codes.
const DWORD ERR_FW_CMD = 0x100A1;              // "CMD ERR"
const DWORD ERR_FW_PARA = 0x100A2;             // "PARA ERR"
const DWORD ERR_FW_TASK_NOT_CREATED = 0x100A3; // "TASK NOT CREATED"
const DWORD ERR_FW_NACK = 0x100A4;             // "NACK"
const DWORD ERR_FW_MEM_FULL = 0x100A5;         // "MEM FULL"
// Plus the printer's device status byte ("Ddm").
const DWORD ERR_DEVICE_STATUS_BASE = 0x10000;

// Size of the header, reply and kept-data buffers.
const DWORD QEL_CMD_BUFFER_SIZE = 512;
// Longest request text; a frame adds ESC and CR.
const DWORD QEL_MAX_REQUEST_TEXT = 255;
// Caller buffers: printer information texts and the ribbon text.
const DWORD QEL_INFO_TEXT_SIZE = 64;
const DWORD QEL_RIBBON_TEXT_SIZE = 16;
// One magnetic track's text field.
const DWORD QEL_TRACK_SIZE = 128;
// Longest parameter text of a bulk request ("%d" of a length, a table name).
const DWORD QEL_BULK_PARAM_MAX = 7;

// A bulk exchange stops resending its header after this many resends or this
// long, whichever comes first, and ends with ERROR_TIMEOUT.
const DWORD QEL_BULK_MAX_RESENDS = 60;
const DWORD QEL_BULK_RESEND_LIMIT_MS = 30000;
// Every busy or status poll stops after this many rounds or this long,
// whichever comes first, and ends with ERROR_TIMEOUT.
const DWORD QEL_POLL_MAX_ROUNDS = 240;
const DWORD QEL_POLL_LIMIT_MS = 120000;

// Codes handed to the error callback.
const DWORD QEL_NOTIFY_ERROR = 1000;     // the alert program shows its dialog
const DWORD QEL_NOTIFY_ERROR_ALT = 1100; // once, after m_bAltErrorNotify was set

// The caller's record of a magnetic job.
struct MagTrackData {
    char szTrack[3][QEL_TRACK_SIZE]; // tracks 1 to 3: filled by a read, sent by a write
    BYTE byTrackMask;                // bit 0 = track 1, bit 1 = track 2, bit 2 = track 3
    BYTE byReserved1;
    BYTE byCoercivity;               // 1 = high ("g"), any other value = low ("d")
    BYTE byReserved2;
    BYTE byLength[3];                // bytes of each track to write, at most 128
};
static_assert(sizeof(MagTrackData) == 391, "MagTrackData is a caller's record");

// Panel heating energies, indexed 0 to 31.
struct EnergyTable {
    signed char value[32];
};
static_assert(sizeof(EnergyTable) == 32, "EnergyTable holds 32 energies");

// Heating-table slots 0 to 7: "y", "m", "c", "k", "o", "rw" (also sent as
// "rw2"), "re", and one never sent. Buffers are owned by the command object.
const DWORD QEL_HEATING_SLOTS = 8;
struct HeatingTable {
    BYTE* pTable[QEL_HEATING_SLOTS];
    DWORD dwLength[QEL_HEATING_SLOTS];
};

// Error callback: (context, notification code, error code) -> the answer.
typedef int (*QelErrorCallback)(LPVOID context, DWORD code, DWORD errorCode);

class CQelCmd {
public:
    CQelCmd();
    ~CQelCmd();
    CQelCmd(const CQelCmd&) = delete;
    CQelCmd& operator=(const CQelCmd&) = delete;

    // Exchange, accessors and information queries (QelCmd.cpp).
    // Parameters that are null or empty are left out of the request. Without
    // data: one request and one reply, 0 whatever the reply says. With data:
    // the header is resent until a text reply contains "OK", then the data is
    // written. Results: 0, a link result, ERR_FW_*, 87 (bad arguments or a
    // request text over 255 bytes), 6 (no link), 1460 (printer stayed taken,
    // or the printer never took the data).
    DWORD DoCommand(LPCSTR command, LPCSTR p1 = NULL, LPCSTR p2 = NULL, LPCSTR p3 = NULL,
                    LPCSTR p4 = NULL, const BYTE* data = NULL, DWORD dataLength = 0);
    // Text reply: the leading decimal number (blanks before it skipped, a
    // sign allowed, 0 without digits, clamped to the int range); other
    // replies: byte 5.
    int GetResponseInt(int* value);
    // The number the last reply carries, read as GetResponseInt reads it: 0
    // with *value set for a text reply that starts with a number or a status
    // block that reaches byte 5. ERROR_NOT_READY for a not-ready reply,
    // ERROR_INVALID_DATA for any other reply, *value untouched and the last
    // error set.
    DWORD GetResponseNumber(int* value) const;
    // The printer's rejection of the last command: the ERR_FW_* code of a
    // text reply that holds "CMD ERR", "PARA ERR", "TASK NOT CREATED",
    // "NACK" or "MEM FULL" (tested in this order); 0 for any other reply.
    DWORD GetResponseRejection() const;
    // Text reply: the text as a floating-point number; other replies: 0.0.
    double GetResponseDouble(double* value);
    void GetCommandHeader(const BYTE** header, DWORD* length) const;
    void GetResponse(const BYTE** response, DWORD* length) const;
    // The length is what the link wrote, which can exceed the 512 bytes kept.
    void GetSentData(const BYTE** data, DWORD* length) const;
    DWORD GetLastErrorCode() const { return m_dwLastError; }
    // n = 1 firmware ("Dxh"), 2 "Dgb", 3 serial ("Dxl;p"), 4 "Dq"; text holds
    // QEL_INFO_TEXT_SIZE bytes and is left as it was unless a text reply came.
    DWORD GetPrinterInfoText(int n, LPSTR text);
    // text, when given, holds QEL_RIBBON_TEXT_SIZE bytes. A failed exchange
    // ends the query with its result; nothing more is asked.
    DWORD GetRibbonInfo(BYTE* byRibbonType, int* nRemainCount, int* nOriginCount, LPSTR text);

    // Status, tasks and magnetic jobs (QelCmdStatus.cpp).
    DWORD CheckDeviceStatus(DWORD* error, BYTE strict);
    BOOL IsBusy();
    DWORD WaitBusy(DWORD intervalMs, BYTE stopOnError, BYTE strict);
    DWORD TaskStart(int* taskId);
    DWORD TaskEnd(int taskId);
    BOOL IsTaskCompleted(DWORD taskId);
    DWORD SendRcCommand(DWORD n);
    DWORD RestartPrinter();
    DWORD ReadMagTracks(MagTrackData* record);
    DWORD WriteMagTracks(const MagTrackData* record);
    void SetJobInfo(LPCWSTR printerName, DWORD splJobId, LPCWSTR jobText);
    void SetExtraValues(WORD w, DWORD dw, ULONGLONG qw1, ULONGLONG qw2);
    void SetErrorCallback(QelErrorCallback callback, LPVOID context);
    int ShowErrorMsg(DWORD errorCode, BYTE showDialog);

    // Bulk transfers, energies and heating tables (QelCmdBulk.cpp).
    DWORD SendFirmwareData(char kind, const BYTE* data, DWORD length);
    DWORD SendHeatingTable(LPCSTR name, const BYTE* data, DWORD length);
    DWORD SendHeatingTables();
    DWORD SendPrintData(BYTE flag, LPCSTR panel, DWORD first, DWORD second, const BYTE* data, DWORD length);
    void SetEnergyTable(const BYTE values[32]);
    DWORD SendPrintingEnergy(signed char kind);
    // names: QEL_HEATING_SLOTS file names, each may be null.
    void SetHeatingTableName(const LPCWSTR names[QEL_HEATING_SLOTS]);
    // ids: QEL_HEATING_SLOTS "BIN_FILE" resource ids of this module, 0 = none.
    void SetHeatingTableResId(const DWORD ids[QEL_HEATING_SLOTS]);
    void SetLogEnable(DWORD level, LPCWSTR name, BYTE banner);

    // Fields, in their documented order.
    CUsbLink* m_pUsbLink; // not owned
    BYTE m_bAltErrorNotify;
    QelErrorCallback m_pfnErrorCallback;
    LPVOID m_pErrorContext;
    WCHAR szPrinterName[256];
    WCHAR m_szJobText[256];
    DWORD dwSplJobId;
    DWORD m_dwExtraValue;
    WORD m_wExtraValue;
    ULONGLONG m_qwExtraValue1;
    ULONGLONG m_qwExtraValue2;
    DWORD m_dwLenHeader;
    DWORD m_dwKeptData;
    DWORD m_dwSentHeader;
    DWORD m_dwSentData;
    DWORD m_dwRecvResponse;
    BYTE m_byHeader[QEL_CMD_BUFFER_SIZE];
    BYTE m_byResponse[QEL_CMD_BUFFER_SIZE];
    BYTE m_bySentData[QEL_CMD_BUFFER_SIZE];
    DWORD m_dwLastError;
    EnergyTable m_EnergyTable;
    HeatingTable m_HeatingTable;

private:
    // Bounds one poll or resend loop by a number of rounds and a time.
    class CPollBound {
    public:
        CPollBound(DWORD maxRounds, DWORD limitMs);
        // Pauses before the next round; false when the loop has run too long.
        BOOL Next(DWORD pauseMs);

    private:
        DWORD m_dwMaxRounds;
        DWORD m_dwLimitMs;
        DWORD m_dwRounds;
        ULONGLONG m_qwStarted;
    };

    // The leading decimal number of text (blanks skipped, sign allowed),
    // clamped to the int range; 0 without digits. *digitsFound, when given,
    // tells whether there were any.
    static int ParseReplyNumber(LPCSTR text, BOOL* digitsFound = NULL);
    // Empties the lengths and buffers of the last exchange.
    void ClearExchange();
    // Steps of DoCommand while the printer's mutex is held.
    DWORD ExchangeLocked(const BYTE* data, DWORD dataLength);
    // Asks "Dzt" every pollMs while the printer says busy; a failed query
    // counts as idle. 0, or ERROR_TIMEOUT when the printer stays busy.
    DWORD PollWhileBusy(DWORD pollMs);
    // Runs one magnetic job: checks the record, waits until idle, opens a
    // task, runs the read steps into readInto (or, without it, the write
    // steps of record) and closes the task. Gives 87 or the wait's error (no
    // task asked), else the job's first failure.
    DWORD RunMagTask(const MagTrackData* record, MagTrackData* readInto);
    // A job that goes on after a failed step reports the first one.
    static void KeepFirstFailure(DWORD* first, DWORD result);
    // The steps inside the task; *first keeps the job's first failure.
    void ReadMagSteps(MagTrackData* record, DWORD* first);
    void WriteMagSteps(const MagTrackData* record, DWORD* first);
    BOOL IsTextReply() const;
    // Copies the reply text, bounded by the bytes read, into out (room bytes,
    // always terminated); gives the length copied.
    DWORD CopyReplyText(LPSTR out, DWORD room) const;
    BOOL ReplyTextContains(LPCSTR word) const;
    // The rules of the "Ddm" and "Dzt" status blocks.
    DWORD DeviceStatusError(BYTE strict) const;
    BOOL ReplySaysBusy() const;
    // Writes one record into the link's packet log, when there is a link.
    void WriteLog(DWORD level, LPCWSTR format, ...);
    void FreeHeatingTables();
};
