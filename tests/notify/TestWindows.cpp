#include "TestWindows.h"

namespace {

const UINT WM_CREATE_TEST_WINDOW = WM_APP + 1;
const WCHAR CLASS_NAME[] = L"QelNotifyTestWindow";

struct CreateRequest {
    LPCWSTR title;
    LPVOID state;
    HWND window;
    HANDLE done;
};

} // namespace

struct CTestWindows::Window {
    CTestWindows* owner;
    LRESULT result;
    std::vector<ReceivedMessage> received;
};

CTestWindows::CTestWindows()
    : m_threadId(0), m_ready(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    m_thread = std::thread(&CTestWindows::Loop, this);
    WaitForSingleObject(m_ready, INFINITE);
}

CTestWindows::~CTestWindows()
{
    PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    m_thread.join();
    CloseHandle(m_ready);
}

HWND CTestWindows::Create(const std::wstring& title, LRESULT result)
{
    Window* state = new Window{this, result, {}};
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_windows.emplace_back(state);
    }
    CreateRequest request = {title.c_str(), state, nullptr, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    PostThreadMessageW(m_threadId, WM_CREATE_TEST_WINDOW, 0, reinterpret_cast<LPARAM>(&request));
    WaitForSingleObject(request.done, INFINITE);
    CloseHandle(request.done);
    return request.window;
}

std::vector<ReceivedMessage> CTestWindows::Received(HWND window)
{
    // A message sent before this call has been handled once this returns.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    Window* state = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    std::lock_guard<std::mutex> hold(m_lock);
    return state ? state->received : std::vector<ReceivedMessage>();
}

LRESULT CALLBACK CTestWindows::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        LPVOID state = reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    }
    Window* state = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!state || (message != WM_COPYDATA && message != WM_CLOSE && message != WM_COMMAND && message < WM_USER))
        return DefWindowProcW(window, message, wParam, lParam);
    ReceivedMessage got = {message, wParam, lParam, 0, 0, std::string()};
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        got.kind = cds->dwData;
        got.size = cds->cbData;
        got.bytes.assign(static_cast<const char*>(cds->lpData), cds->cbData);
    }
    std::lock_guard<std::mutex> hold(state->owner->m_lock);
    state->received.push_back(got);
    return state->result;
}

void CTestWindows::Loop()
{
    m_threadId = GetCurrentThreadId();
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = CLASS_NAME;
    RegisterClassW(&windowClass);
    MSG msg;
    // The thread's queue exists before the first post reaches it.
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    SetEvent(m_ready);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!msg.hwnd && msg.message == WM_CREATE_TEST_WINDOW) {
            CreateRequest* request = reinterpret_cast<CreateRequest*>(msg.lParam);
            request->window = CreateWindowExW(0, CLASS_NAME, request->title, WS_OVERLAPPED, 0, 0, 100, 50, nullptr,
                                              nullptr, GetModuleHandleW(nullptr), request->state);
            SetEvent(request->done);
            continue;
        }
        DispatchMessageW(&msg);
    }
    // The windows end with their thread.
}
