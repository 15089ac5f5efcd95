// The texts and the record that travel through the asynchronous print-UI
// channel: the request that names QelAsyncClient and carries one window
// message, the reply that carries the message's result back, and the
// WM_COPYDATA record as it travels in the request's "<lParam>".
#pragma once

#include <windows.h>

#include <cstddef>

// The request with its terminating zero, and the receiver's copy of it.
constexpr DWORD ASYNC_REQUEST_ROOM = 8192;
// The reply with its terminating zero.
constexpr DWORD ASYNC_REPLY_ROOM = 512;
// How much of the reply data the sender reads before it looks for the tags.
constexpr DWORD ASYNC_REPLY_READ_ROOM = 1024;
// The sender's blob buffer and the receiver's buffers for the Base64 text
// and the decoded blob, in bytes.
constexpr DWORD COPYDATA_BLOB_ROOM = 8192;

constexpr ULONG_PTR CDS_DEVMN_DATA = 222;

// The head of a CopyDataBlob: the sender's COPYDATASTRUCT exactly as it lies
// in memory in this build (padding and the pointer value included, neither
// ever read); the cbData bytes of payload follow it. Both libraries are built
// for the same pointer width.
struct CopyDataBlob {
    ULONG_PTR dwData;
    DWORD cbData;
    PVOID lpData;
};
constexpr DWORD COPYDATA_BLOB_HEADER = sizeof(CopyDataBlob);

#ifdef _WIN64
static_assert(sizeof(CopyDataBlob) == 24, "the 64-bit blob header is 24 bytes");
static_assert(offsetof(CopyDataBlob, lpData) == 16, "lpData follows four bytes of padding");
#else
static_assert(sizeof(CopyDataBlob) == 12, "the 32-bit blob header is 12 bytes");
static_assert(offsetof(CopyDataBlob, lpData) == 8, "lpData follows cbData");
#endif
static_assert(offsetof(CopyDataBlob, cbData) == sizeof(ULONG_PTR), "cbData follows dwData");
static_assert(sizeof(CopyDataBlob) == sizeof(COPYDATASTRUCT) &&
                  offsetof(CopyDataBlob, cbData) == offsetof(COPYDATASTRUCT, cbData) &&
                  offsetof(CopyDataBlob, lpData) == offsetof(COPYDATASTRUCT, lpData),
              "the blob head is the build's COPYDATASTRUCT");

// Writes the request for one message into out (room cchOut units). With
// lParamText (the widened Base64 text of a CopyDataBlob) "<lParam>" carries
// that text and "<wParam>" 0, else both carry their numbers. Numbers are
// written as their low 32 bits read signed. FALSE, out empty, when the
// request does not fit.
BOOL FormatAsyncMessageRequest(LPWSTR out, DWORD cchOut, HWND target, UINT message, WPARAM wParam, LPARAM lParam,
                               LPCWSTR lParamText);

// "<![CDATA[<ReturnValue>%d</ReturnValue>]]>" into out (room at least
// ASYNC_REPLY_ROOM), or with "<StatusDialogHwnd>%d</StatusDialogHwnd>" behind
// the value when statusDialog is given.
void FormatAsyncMessageReply(LPWSTR out, LRESULT returnValue);
void FormatAsyncStatusReply(LPWSTR out, LRESULT returnValue, HWND statusDialog);

// The signed decimal number behind the first tag in text (leading blanks
// and a sign allowed, saturated at the 32-bit limits), 0 when the tag is
// missing; the tag's presence when found is given.
LONG ReadTagNumber(LPCWSTR text, LPCWSTR tag, BOOL* found = nullptr);

// A number as it travels: the low 32 bits read signed, and back, widened
// with its sign to the pointer width.
inline LONG ToWireNumber(ULONG_PTR value)
{
    return static_cast<LONG>(static_cast<DWORD>(value));
}
inline LONG_PTR FromWireNumber(LONG value)
{
    return static_cast<LONG_PTR>(value);
}
