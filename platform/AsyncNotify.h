// The spooler's asynchronous printer-notification interfaces, which the
// toolchain's headers do not declare (its prnasnot.h does not compile): the
// data object, the callback and the channel, their interface ids, and the
// router's channel factory that is looked up in "SpoolSS.dll" at run time.
// Only what the notification pair uses; slot orders as published.
#pragma once

#include <windows.h>
#include <unknwn.h>

typedef GUID PrintAsyncNotificationType;

enum PrintAsyncNotifyUserFilter { kPerUser = 0, kAllUsers = 1 };
enum PrintAsyncNotifyConversationStyle { kBiDirectional = 0, kUniDirectional = 1 };

// {77CF513E-5D49-4789-9F30-D0822B335C0D}
constexpr IID IID_IPrintAsyncNotifyDataObject = {
    0x77cf513e, 0x5d49, 0x4789, {0x9f, 0x30, 0xd0, 0x82, 0x2b, 0x33, 0x5c, 0x0d}};
// {4A5031B1-1F3F-4DB0-A462-4530ED8B0451}
constexpr IID IID_IPrintAsyncNotifyChannel = {
    0x4a5031b1, 0x1f3f, 0x4db0, {0xa4, 0x62, 0x45, 0x30, 0xed, 0x8b, 0x04, 0x51}};
// {7DEF34C1-9D92-4C99-B3B3-DB94A9D4191B}
constexpr IID IID_IPrintAsyncNotifyCallback = {
    0x7def34c1, 0x9d92, 0x4c99, {0xb3, 0xb3, 0xdb, 0x94, 0xa9, 0xd4, 0x19, 0x1b}};
// The notification type of asynchronous print-UI requests and their replies.
// {F6853F92-EB31-4E23-B6E7-FD69056153F0}
constexpr PrintAsyncNotificationType AsyncUINotificationType = {
    0xf6853f92, 0xeb31, 0x4e23, {0xb6, 0xe7, 0xfd, 0x69, 0x05, 0x61, 0x53, 0xf0}};

struct IPrintAsyncNotifyDataObject : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AcquireData(BYTE** ppNotificationData, ULONG* pSize,
                                                  PrintAsyncNotificationType** ppSchema) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseData() = 0;
};

struct IPrintAsyncNotifyChannel : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SendNotification(IPrintAsyncNotifyDataObject* pData) = 0;
    virtual HRESULT STDMETHODCALLTYPE CloseChannel(IPrintAsyncNotifyDataObject* pData) = 0;
};

struct IPrintAsyncNotifyCallback : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnEventNotify(IPrintAsyncNotifyChannel* pChannel,
                                                    IPrintAsyncNotifyDataObject* pData) = 0;
    virtual HRESULT STDMETHODCALLTYPE ChannelClosed(IPrintAsyncNotifyChannel* pChannel,
                                                    IPrintAsyncNotifyDataObject* pData) = 0;
};

typedef HRESULT(WINAPI* PFN_RouterCreatePrintAsyncNotificationChannel)(
    PCWSTR pName, PrintAsyncNotificationType* pNotificationType, PrintAsyncNotifyUserFilter eUserFilter,
    PrintAsyncNotifyConversationStyle eConversationStyle, IPrintAsyncNotifyCallback* pCallback,
    IPrintAsyncNotifyChannel** ppChannel);

// The entry point that the print-UI host calls in the library a customUI
// request names: the request text in, the reply text out; the reply stays the
// library's and must outlive the call.
typedef LPWSTR(WINAPI* PFN_AsyncUIEntryPoint)(LPCWSTR request);
