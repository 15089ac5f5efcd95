// The fake SpoolSS.dll: the spooler's notification router as the sending side
// sees it. It lies beside the test programs, which load it before the sender
// does, so that both reach the one copy; it pins itself in memory, so that a
// late reply and the record outlive the sender's FreeLibrary. A script says
// how the channel answers; the record keeps what the sender handed over.
#pragma once

#include <windows.h>

enum FakeReplyWay {
    FAKE_NO_CHANNEL,       // the router fails and gives no channel
    FAKE_REPLY_CLOSED,     // ChannelClosed with the scripted reply text
    FAKE_REPLY_EVENT,      // OnEventNotify with the scripted reply text
    FAKE_REPLY_NEVER,      // the channel stays silent
    FAKE_SEND_FAILS,       // SendNotification fails
    FAKE_CLOSED_NO_DATA,   // ChannelClosed without a data object
    FAKE_CLOSED_BAD_DATA,  // ChannelClosed with data whose AcquireData fails
    FAKE_HOST,             // the print-UI host: calls the entry point the request names, replies with its text
    FAKE_REPLY_LATE,       // keeps the callback and the request; ChannelClosed with the scripted reply text and
                           // then the last releases only once the test asks for the record
};

constexpr DWORD FAKE_REPLY_ROOM = 2048;
constexpr DWORD FAKE_REQUEST_ROOM = 8192;
constexpr DWORD FAKE_EVENTS_ROOM = 256;

struct FakeChannelScript {
    FakeReplyWay way;
    // Before the reply, on the fake spooler's own thread.
    DWORD delayMs;
    WCHAR reply[FAKE_REPLY_ROOM];
};

struct FakeChannelRecord {
    LONG routerCalls;
    WCHAR printer[256];
    GUID channelType;
    int userFilter;
    int conversationStyle;
    // The callback answered QueryInterface for its interface.
    BOOL callbackInterface;
    LONG sends;
    WCHAR request[FAKE_REQUEST_ROOM];
    ULONG requestBytes;
    GUID requestType;
    // The reply text handed back to the sender.
    WCHAR reply[FAKE_REPLY_ROOM];
    // The callback's answer to the reply: S_OK when it took the reply's data.
    HRESULT replyResult;
    // What the router's last Release of the callback returned: 0 when the
    // callback went with it; -1 before that release.
    LONG callbackRefs;
    // The channel's references after the sender is done with it: 0 when it
    // released the one it got.
    LONG channelRefs;
    // What happened, in order: router, send, reply, channel-release, and
    // what the test itself notes.
    char events[FAKE_EVENTS_ROOM];
};

// Sets the script of the next channel and clears the record.
typedef void (*PFN_FakeSpoolssSetScript)(const FakeChannelScript* script);
// Lets a held reply go, waits (bounded) until a scripted reply has been
// given, then copies the record; FALSE when the reply thread did not end in
// time.
typedef BOOL (*PFN_FakeSpoolssGetRecord)(FakeChannelRecord* record, DWORD waitMs);
// Adds an event of the test's to the record.
typedef void (*PFN_FakeSpoolssNote)(const char* event);
