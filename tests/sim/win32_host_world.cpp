// The contract suite's world with real windows: the Win32 host in this
// process, its windows driven through the real port, time is real time spent
// in a message loop like the host's own (VK_RETURN and VK_TAB untranslated).
#include "platform/win32/windows_names.h"
#include <ole2.h>

#include "platform/win32/win32_desktop.h"
#include "sim/win32_host.h"
#include "tests/sim/host_world.h"

namespace qm::sim::test {
namespace {

class OleScope {
public:
    OleScope() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~OleScope() {
        if (ok_) ::OleUninitialize();
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;

private:
    bool ok_;
};

class Win32World final : public HostWorld {
public:
    Host& host() override { return host_; }
    Desktop& robot() override { return desktop_; }
    void Pump(std::uint32_t ms) override { PumpUntil(ms, [] { return false; }); }
    bool PumpUntil(std::uint32_t ms, const std::function<bool()>& done) override {
        const ULONGLONG end = ::GetTickCount64() + ms;
        for (;;) {
            MSG m{};
            while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                const bool rawKey = (m.message == WM_KEYDOWN || m.message == WM_KEYUP) &&
                                    (m.wParam == VK_RETURN || m.wParam == VK_TAB);
                if (!rawKey) ::TranslateMessage(&m);
                ::DispatchMessageW(&m);
            }
            if (done()) return true;
            const ULONGLONG now = ::GetTickCount64();
            if (now >= end) return false;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        }
    }

private:
    OleScope ole_;
    Win32Host host_{::GetModuleHandleW(nullptr)};
    win32::Win32Desktop desktop_;
};

}  // namespace

std::unique_ptr<HostWorld> MakeHostWorld() { return std::make_unique<Win32World>(); }

}  // namespace qm::sim::test
