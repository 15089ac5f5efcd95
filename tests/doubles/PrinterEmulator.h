// CPrinterEmulator: a card printer for tests. It speaks the printer's frame
// protocol over TCP on a loopback address or over a message-mode named pipe
// that the product opens by its real USB device path, answers each request
// from a per-test script, and records everything the product sent.
//
// Wire format it understands:
//   request frame  ESC (0x1B), request text (command word and ";"-joined
//                  parameters), CR (0x0D)
//   text reply     byte 1, ASCII text, NUL
//   not ready      the single byte 0
//   status block   any bytes the test gives
//   bulk data      raw bytes the product writes after an "OK" reply; the
//                  emulator reads them only where the script expects them
//
// Typical use:
//   CPrinterEmulator emu;
//   emu.Reply("Ds;2", "YMCKO");                             // every time
//   emu.AddStep(EMU_MATCH_EXACT, "Dgb", EmuText("V1.02.03", 300));  // once, after 300 ms
//   emu.AddStep(EMU_MATCH_COMMAND, "Xcb", EmuBulk("OK", 1000));     // then 1000 raw bytes
//   ASSERT_TRUE(emu.StartTcp(NULL, 9100));                  // or StartUsb(0x0101, NULL)
//   ... product talks to emu.GetAddress():emu.GetPort() or emu.GetDevicePath() ...
//   ASSERT_TRUE(emu.WaitForFrames(3, 5000));
//   std::vector<EmuFrame> frames = emu.GetFrames();
//
// Threads: the emulator serves on its own thread; every public member may be
// called from any thread at any time (the script can change while serving).
// Stop (and the destructor) returns within about 100 ms, also while a
// connection is open, a step is delaying or bulk data is awaited.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// What one step of the script does with the frame it answers.
enum EmuAction : DWORD {
    EMU_REPLY = 0,  // after the delay, send the reply bytes with one send / WriteFile
    EMU_SILENT = 1, // send nothing; the product's read runs into its time-out
    EMU_CLOSE = 2,  // after the delay, close the connection instead of replying
};

// How a rule of the script recognises a request text (the bytes between ESC
// and CR). Case-sensitive, like the printer.
enum EmuMatch : DWORD {
    EMU_MATCH_EXACT = 0,   // the whole request text ("Dwz;u;1")
    EMU_MATCH_COMMAND = 1, // the command word: the text before the first ";" ("Dwz")
    EMU_MATCH_PREFIX = 2,  // the request text starts with it ("Swz;u;")
};

// One answer of the script.
struct EmuStep {
    EmuAction action = EMU_REPLY;
    // Bytes of the reply (EMU_REPLY only), sent with ONE send or WriteFile.
    // Empty: on the pipe an empty message (the product's read completes with
    // 0 bytes); on TCP nothing at all.
    std::string reply;
    // Pause before replying or closing; also applies to EMU_SILENT (useless there).
    DWORD delayMs = 0;
    // After the reply, read exactly this many raw bytes (not a frame) and
    // record them in the frame's bulk field. 0 = none.
    DWORD bulkBytes = 0;
};

// Step builders.
// Text reply: byte 1, the text, NUL.
EmuStep EmuText(const char* text, DWORD delayMs = 0);
// Not ready: the single byte 0.
EmuStep EmuNotReady(DWORD delayMs = 0);
// Any bytes, e.g. a status block (byte 0 neither 0 nor 1).
EmuStep EmuBytes(const std::string& bytes, DWORD delayMs = 0);
EmuStep EmuBytes(const void* bytes, size_t length, DWORD delayMs = 0);
// Text reply, then bulkBytes raw bytes expected from the product.
EmuStep EmuBulk(const char* text, DWORD bulkBytes, DWORD delayMs = 0);
// Close the connection instead of replying.
EmuStep EmuClose(DWORD delayMs = 0);
// No reply at all.
EmuStep EmuSilent();

// One record of what the product sent.
struct EmuFrame {
    // TRUE: a frame (ESC ... CR). FALSE: stray bytes received outside any
    // frame and outside expected bulk data (no reply is sent for them), or an
    // ESC whose CR never came before the connection closed or 1024 bytes passed.
    BOOL bFramed = FALSE;
    std::string request;   // request text, without ESC and CR (empty for stray bytes)
    std::string raw;       // the bytes exactly as received, ESC and CR included
    ULONGLONG timeMs = 0;  // when the frame's last byte arrived (NowMs clock)
    // When the reply was sent or the connection closed by the step; 0 when
    // nothing went out (EMU_SILENT, stray bytes).
    ULONGLONG replyMs = 0;
    DWORD connection = 0;  // 1-based number of the connection it came on
    EmuAction action = EMU_SILENT; // what the emulator did (or, while delaying, will do)
    std::string reply;     // the bytes sent in answer (EMU_REPLY)
    DWORD bulkExpected = 0; // bulk bytes the step asked for
    // Bulk bytes received after the reply: exactly bulkExpected, or fewer when
    // the product closed the connection, bulk time-out passed or Stop came.
    std::string bulk;
    // Sizes of the pieces that carried the bulk data: one per pipe message
    // (= one product WriteFile) on USB, one per recv on TCP (meaningless there).
    std::vector<DWORD> bulkPieces;
};

typedef void (*EmuFrameObserver)(const EmuFrame& frame, void* context);

// The USB printer device-interface class of the device paths.
extern const WCHAR EMU_USB_CLASS_GUID[];
// USB vendor id of the printer family.
const WORD EMU_USB_VENDOR_ID = 0x5D27;
// The TCP port of a printer named by its IP address.
const WORD EMU_PRINTER_TCP_PORT = 9100;
// Default time allowed for expected bulk data to arrive.
const DWORD EMU_DEFAULT_BULK_TIMEOUT_MS = 5000;

class CPrinterEmulator {
public:
    CPrinterEmulator();
    ~CPrinterEmulator(); // Stop()
    CPrinterEmulator(const CPrinterEmulator&) = delete;
    CPrinterEmulator& operator=(const CPrinterEmulator&) = delete;

    // ---- Script ------------------------------------------------------------
    // Which step answers a frame: the first rule that matches and has a step,
    // looking at exact rules first, then command-word rules, then prefix rules
    // (longest prefix first). A rule's one-shot steps are used first, in the
    // order added; when they are used up, its standing step (if set) answers
    // every time. A frame that no rule answers gets the default step.

    // Queues a one-shot step for requests matching text.
    void AddStep(EmuMatch match, LPCSTR text, const EmuStep& step);
    // Sets the standing step of that rule (replacing an earlier one).
    // Bulk data (EmuStep::bulkBytes) is read only after an EMU_REPLY step.
    void SetStanding(EmuMatch match, LPCSTR text, const EmuStep& step);
    // Shorthand: SetStanding(EMU_MATCH_EXACT, request, EmuText(text)).
    void Reply(LPCSTR request, LPCSTR text);
    // Answer for frames that no rule answers. Initially EmuText("OK"): it
    // lets bulk exchanges go on and is harmless for queries.
    void SetDefaultStep(const EmuStep& step);
    // Removes every rule and puts the default step back to EmuText("OK").
    void ClearScript();
    // One-shot steps added but not used yet (all rules).
    size_t GetPendingSteps() const;
    // Time allowed for expected bulk data, counted from the reply;
    // EMU_DEFAULT_BULK_TIMEOUT_MS initially.
    void SetBulkTimeout(DWORD ms);
    // Called on the serving thread after each record is complete (after the
    // reply and any bulk data), before the next frame is read; it may change
    // the script but must not call Stop. Set it before Start.
    void SetFrameObserver(EmuFrameObserver observer, void* context);

    // ---- Transports (one per emulator, until Stop) ---------------------------
    // Failures return FALSE with the last error set (ERROR_ALREADY_INITIALIZED
    // when already serving, ERROR_INVALID_PARAMETER, or the platform's error);
    // a success leaves the last error alone.

    // TCP: listens on address:port (dotted IPv4 text in 127.0.0.0/8; port 0 =
    // an ephemeral port, see GetPort). address NULL: the private loopback
    // address PrivateLoopbackAddress(0), moving on to index 1, 2, ... while
    // the port is taken there.
    // Both transports serve connections one after another: a second
    // connection made while one is served waits (connected) until it ends.
    BOOL StartTcp(LPCSTR address, WORD port);
    // The address and port served ("" and 0 when not serving TCP).
    LPCSTR GetAddress() const;
    WORD GetPort() const;
    // Same address as wide text, for CUsbLink::SetIPAddr.
    LPCWSTR GetAddressW() const;

    // USB stand-in: a message-mode named pipe \\.\pipe\<unique name> and the
    // device path \\?\USB#VID_5D27&PID_<productId>#<instance>#{28d78fad-...}
    // leading to it (an object-manager link in \??, living until Stop), so
    // that the product's CreateFileW on that path, in any letter case, reaches
    // the pipe. instance NULL: a unique one ("7&<pid in hex>&0&<n>"). Each
    // open of the path is a new connection; four pipe instances wait at any
    // time, so a product that closes and opens again at once finds one.
    // ERROR_ALREADY_EXISTS: that device path is served already.
    BOOL StartUsb(WORD productId, LPCWSTR instance);
    // Pipe only, no device path (pipeName NULL: a unique name).
    // ERROR_ACCESS_DENIED: a pipe of that name exists already.
    BOOL StartPipe(LPCWSTR pipeName);
    // "\\?\USB#VID_5D27&PID_0101#...#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"
    // after StartUsb; "" otherwise.
    LPCWSTR GetDevicePath() const;
    // "\\.\pipe\<name>" after StartUsb or StartPipe; "" otherwise.
    LPCWSTR GetPipePath() const;

    // Ends serving: closes any connection and the listener or pipe, removes
    // the device path. Records stay readable. Safe to call twice.
    void Stop();
    BOOL IsRunning() const;

    // ---- Records -------------------------------------------------------------
    std::vector<EmuFrame> GetFrames() const;
    // Records with bFramed set only.
    std::vector<EmuFrame> GetRequests() const;
    size_t GetFrameCount() const;
    // TRUE once at least count records exist; FALSE after timeoutMs.
    BOOL WaitForFrames(size_t count, DWORD timeoutMs) const;
    void ClearFrames();
    // Connections accepted (TCP) or pipe opens (USB) so far.
    DWORD GetConnectionCount() const;
    BOOL WaitForConnections(DWORD count, DWORD timeoutMs) const;
    // Connections that ended (by the product or by an EMU_CLOSE step).
    DWORD GetDisconnectCount() const;
    BOOL WaitForDisconnects(DWORD count, DWORD timeoutMs) const;
    // TRUE once no frame is being handled: no delay running, no bulk data
    // awaited. A frame's record exists from its arrival (before its reply
    // goes out); its bulk field is complete once the emulator is idle again.
    BOOL WaitForIdle(DWORD timeoutMs) const;

    // ---- Helpers -------------------------------------------------------------
    // Milliseconds of a monotonic high-resolution clock (the records' clock).
    static ULONGLONG NowMs();
    // A loopback address private to this process, "127.x.y.z" derived from
    // the process id and index, so that parallel test programs using the fixed
    // port 9100 do not clash. out holds at least 16 characters. FALSE with
    // ERROR_INSUFFICIENT_BUFFER / ERROR_INVALID_PARAMETER.
    static BOOL PrivateLoopbackAddress(DWORD index, LPSTR out, DWORD cchOut);

private:
    struct State;
    State* m_pState;
};
