// The desk lock of a session, for real (Wine): robots are served in the order
// they asked, a wait keeps pumping messages after a WM_QUIT and ends at its
// bound however many messages arrive, and a lock whose name another object
// holds is Unavailable with the system's error. Each test uses a desk name of
// its own, so the robots of other tests are not in its line.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/desk_mutex.h"

namespace qm::win32 {
namespace {

std::wstring TestDesk(const char* test) {
    return L"Local\\Quillmere.Test." + std::to_wstring(::GetCurrentProcessId()) + L"." +
           std::wstring(test, test + std::strlen(test));
}

// Holds the desk on a thread of its own until Let() is called.
class Holder {
public:
    explicit Holder(const std::wstring& name) : thread_([this, name] {
        DeskMutex desk(name.c_str());
        took_ = DeskIsOurs(desk.Acquire(5000).turn);
        ready_.store(true);
        while (!let_.load()) ::Sleep(5);
        desk.Release();
    }) {
        while (!ready_.load()) ::Sleep(5);
    }
    ~Holder() {
        Let();
        thread_.join();
    }
    void Let() { let_.store(true); }
    bool Took() const { return took_; }

private:
    std::atomic<bool> ready_{false}, let_{false};
    bool took_ = false;
    std::thread thread_;
};

TEST(DeskMutex, RobotsAreServedInTheOrderTheyAsked) {
    const std::wstring name = TestDesk("Order");
    Holder holder(name);
    ASSERT_TRUE(holder.Took());
    std::mutex m;
    std::vector<int> served;
    std::vector<std::thread> robots;
    for (int k = 0; k < 4; ++k) {
        robots.emplace_back([&, k] {
            DeskMutex desk(name.c_str());
            const DeskWait wait = desk.Acquire(20000);
            std::lock_guard<std::mutex> lock(m);
            served.push_back(DeskIsOurs(wait.turn) ? k : -1);
            desk.Release();
        });
        ::Sleep(300);  // each has joined the line before the next asks
    }
    holder.Let();
    for (std::thread& t : robots) t.join();
    EXPECT_EQ(served, (std::vector<int>{0, 1, 2, 3}));
}

LRESULT CALLBACK CountingProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        ++*reinterpret_cast<int*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
        return 0;
    }
    return ::DefWindowProcW(w, message, wParam, lParam);
}

TEST(DeskMutex, AWaitPumpsOnAfterAQuitAndEndsAtItsBoundUnderAFloodOfMessages) {
    const std::wstring name = TestDesk("Quit");
    Holder holder(name);
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuillmereDeskTestWindow";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                    nullptr);
    ASSERT_NE(window, nullptr);
    int dispatched = 0;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&dispatched));

    ::PostQuitMessage(7);
    std::atomic<bool> stop{false};
    std::thread flood([&] {
        while (!stop.load()) {
            ::PostMessageW(window, WM_APP, 0, 0);
            ::Sleep(1);
        }
    });
    DeskMutex desk(name.c_str());
    const ULONGLONG start = ::GetTickCount64();
    const DeskWait wait = desk.Acquire(500);
    const ULONGLONG took = ::GetTickCount64() - start;
    stop.store(true);
    flood.join();

    EXPECT_EQ(wait.turn, DeskTurn::Busy);
    EXPECT_GE(took, 500u);
    EXPECT_LT(took, 3000u) << "the wait ran past its bound";
    EXPECT_GT(dispatched, 0) << "no message was dispatched after the WM_QUIT";
    // The WM_QUIT is there again for the thread's own loop.
    MSG msg{};
    bool quit = false;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_QUIT) quit = msg.wParam == 7;
    EXPECT_TRUE(quit);
    ::DestroyWindow(window);
}

TEST(DeskMutex, ALockWhoseNameAnotherObjectHoldsIsUnavailableWithTheSystemsError) {
    const std::wstring name = TestDesk("Taken");
    UniqueHandle squatter(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    ASSERT_TRUE(squatter);
    DeskMutex desk(name.c_str());
    const DeskWait wait = desk.Acquire(1000);
    EXPECT_EQ(wait.turn, DeskTurn::Unavailable);
    EXPECT_NE(wait.why.find(u"Windows error 6"), std::u16string::npos) << std::string(wait.why.begin(), wait.why.end());
}

}  // namespace
}  // namespace qm::win32
