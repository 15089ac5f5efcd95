// The sender's callback and data objects where the channel does not show
// them (the sending test drives their replies), and the slot order of the
// channel interfaces as declared for this system.
#include "PrintOEMAsyncNotifyCallback.h"
#include "PrintOEMAsyncNotifyDataObject.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void* const JUNK = reinterpret_cast<void*>(static_cast<ULONG_PTR>(0x5A5A5A5A));

// A reply as the channel hands it back.
CPrintOEMAsyncNotifyDataObject* ReplyData(const std::wstring& text)
{
    return new CPrintOEMAsyncNotifyDataObject(reinterpret_cast<const BYTE*>(text.c_str()),
                                              static_cast<ULONG>((text.size() + 1) * sizeof(WCHAR)),
                                              &AsyncUINotificationType);
}

ULONG RefCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

TEST(ChannelObjects, QueryInterfaceGivesOnlyTheirInterfaces)
{
    CPrintOEMAsyncNotifyCallback* callback = new CPrintOEMAsyncNotifyCallback();
    CPrintOEMAsyncNotifyDataObject* data = ReplyData(L"x");
    const struct {
        IUnknown* object;
        const IID* own;
    } objects[] = {{callback, &IID_IPrintAsyncNotifyCallback}, {data, &IID_IPrintAsyncNotifyDataObject}};
    for (const auto& o : objects) {
        EXPECT_EQ(E_POINTER, o.object->QueryInterface(*o.own, nullptr));
        void* out = JUNK;
        EXPECT_EQ(E_NOINTERFACE, o.object->QueryInterface(IID_IPrintAsyncNotifyChannel, &out));
        EXPECT_EQ(nullptr, out);
        for (const IID* iid : {o.own, &IID_IUnknown}) {
            out = JUNK;
            EXPECT_EQ(S_OK, o.object->QueryInterface(*iid, &out));
            EXPECT_EQ(o.object, out);
            EXPECT_EQ(2u, RefCount(o.object));
            EXPECT_EQ(1u, o.object->Release());
        }
    }
    EXPECT_EQ(0u, callback->Release());
    EXPECT_EQ(0u, data->Release());
}

TEST(ChannelObjects, DataObjectHandsOutItsOwnCopies)
{
    std::wstring text = L"request";
    GUID type = AsyncUINotificationType;
    CPrintOEMAsyncNotifyDataObject* data =
        new CPrintOEMAsyncNotifyDataObject(reinterpret_cast<const BYTE*>(text.c_str()), 16, &type);
    text[0] = L'X';
    type.Data1 = 0;
    BYTE* bytes = nullptr;
    ULONG size = 0;
    PrintAsyncNotificationType* schema = nullptr;
    EXPECT_EQ(E_INVALIDARG, data->AcquireData(nullptr, &size, &schema));
    ASSERT_EQ(S_OK, data->AcquireData(&bytes, &size, &schema));
    EXPECT_EQ(16u, size);
    EXPECT_EQ(std::wstring(L"request"), std::wstring(reinterpret_cast<WCHAR*>(bytes)));
    EXPECT_TRUE(IsEqualGUID(AsyncUINotificationType, *schema));
    // Released while its data is out: it lives until ReleaseData.
    EXPECT_EQ(1u, data->Release());
    EXPECT_EQ(std::wstring(L"request"), std::wstring(reinterpret_cast<WCHAR*>(bytes)));
    EXPECT_EQ(S_OK, data->ReleaseData());

    CPrintOEMAsyncNotifyDataObject* empty = new CPrintOEMAsyncNotifyDataObject();
    EXPECT_EQ(E_FAIL, empty->GetStatus());
    EXPECT_EQ(E_FAIL, empty->AcquireData(&bytes, &size, &schema));
    // An unmatched ReleaseData takes no reference away.
    EXPECT_EQ(E_FAIL, empty->ReleaseData());
    EXPECT_EQ(1u, RefCount(empty));
    EXPECT_EQ(0u, empty->Release());
}

// The published order: IUnknown's three, then the interface's own.
template <typename Fn>
Fn Slot(void* object, int index)
{
    return reinterpret_cast<Fn>((*static_cast<void***>(object))[index]);
}

struct ChannelProbe final : IPrintAsyncNotifyChannel {
    int called = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SendNotification(IPrintAsyncNotifyDataObject*) override { return called = 4, S_OK; }
    HRESULT STDMETHODCALLTYPE CloseChannel(IPrintAsyncNotifyDataObject*) override { return called = 5, S_OK; }
};

TEST(ChannelInterfaces, SlotsFollowThePublishedOrder)
{
    typedef HRESULT(STDMETHODCALLTYPE * TwoArgs)(void*, void*, void*);
    typedef HRESULT(STDMETHODCALLTYPE * ThreeArgs)(void*, void*, void*, void*);
    typedef HRESULT(STDMETHODCALLTYPE * OneArg)(void*, void*);
    typedef HRESULT(STDMETHODCALLTYPE * NoArgs)(void*);

    CPrintOEMAsyncNotifyCallback* callback = new CPrintOEMAsyncNotifyCallback();
    EXPECT_EQ(E_FAIL, Slot<TwoArgs>(callback, 3)(callback, nullptr, nullptr)); // OnEventNotify
    EXPECT_EQ(S_OK, Slot<TwoArgs>(callback, 4)(callback, nullptr, nullptr));   // ChannelClosed
    DWORD done = 0;
    callback->IsDone(&done);
    EXPECT_EQ(1u, done);
    callback->Release();

    CPrintOEMAsyncNotifyDataObject* data = ReplyData(L"x");
    EXPECT_EQ(E_INVALIDARG, Slot<ThreeArgs>(data, 3)(data, nullptr, nullptr, nullptr)); // AcquireData
    EXPECT_EQ(S_OK, Slot<NoArgs>(data, 4)(data));                                      // ReleaseData
    EXPECT_EQ(0u, data->Release());

    ChannelProbe channel;
    Slot<OneArg>(&channel, 3)(&channel, nullptr);
    EXPECT_EQ(4, channel.called); // SendNotification
    Slot<OneArg>(&channel, 4)(&channel, nullptr);
    EXPECT_EQ(5, channel.called); // CloseChannel
}

} // namespace
