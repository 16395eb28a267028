#include "tests/e2e/e2e_session.h"

#include <utility>

#include <gtest/gtest.h>

#include "core/utf.h"
#include "platform/win32/handles.h"
#include "tests/e2e/e2e_support.h"

namespace qm::e2e {
namespace {

std::string Utf8(const std::wstring& text) { return Utf16ToUtf8(std::u16string(text.begin(), text.end())); }

}  // namespace

bool SubstituteSession::Start(const std::vector<std::wstring>& options) {
    wchar_t dir[MAX_PATH + 1];
    ::GetTempPathW(MAX_PATH, dir);
    ordersFile_ = std::wstring(dir) + L"qm-orders-" + exe_ + L"-" + std::to_wstring(::GetCurrentProcessId()) + L".json";
    ::DeleteFileW(ordersFile_.c_str());
    std::wstring line = exe_ + L" --orders-file \"" + ordersFile_ + L"\"";
    for (const std::wstring& o : options) line += L" \"" + o + L"\"";
    failure_.clear();
    const std::string name = Utf8(exe_) + " (main window class " + Utf8(mainClass_) + ")";
    // An earlier test's substitute may still be on its way out: its windows
    // must not be taken for this one's.
    bool earlierGone = false;
    for (int i = 0; i < 200 && !earlierGone; ++i) {
        earlierGone = ::FindWindowW(mainClass_.c_str(), nullptr) == nullptr;
        if (!earlierGone) ::Sleep(50);
    }
    if (!earlierGone) {
        failure_ = name + ": a main window of an earlier start is still there after 10 s";
        return false;
    }
    // The robot puts the cursor back where it found it after its clicks. Under
    // Wine a real click may still land where the cursor was put back (the
    // pointer's position is settled asynchronously), so the cursor starts on
    // the bare desktop, where such a click reaches no window of the program.
    ::SetCursorPos(1270, 1010);
    process_ = std::make_unique<call::ChildProcess>(call::OwnDirectory() + exe_, line, true);
    main_ = nullptr;
    for (int i = 0; i < 300 && !main_; ++i) {
        const HWND found = ::FindWindowW(mainClass_.c_str(), nullptr);
        DWORD pid = 0;
        if (found) ::GetWindowThreadProcessId(found, &pid);
        if (found && pid == process_->ProcessId()) main_ = found;
        else if (!process_->Running()) break;
        else ::Sleep(50);
    }
    if (main_) return true;
    process_->DrainOutput();
    failure_ = name + " did not show its main window: ";
    if (process_->Running())
        failure_ += "its process still runs after 15 s";
    else
        failure_ += "its process ended with exit code " + std::to_string(process_->ExitCode());
    const std::string& said = process_->Output();
    failure_ += said.empty() ? std::string("; it wrote nothing") : "; it wrote:\n" + said;
    return false;
}

bool SubstituteSession::Command(UINT id) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(main_, WM_COMMAND, id, 0, SMTO_ABORTIFHUNG, 10000, &result) != 0;
}

nlohmann::json SubstituteSession::Orders() {
    Command(0x7001);
    win32::UniqueHandle file(::CreateFileW(ordersFile_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return nlohmann::json::array();
    std::string text;
    char buffer[8192];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
    return nlohmann::json::parse(text)["orders"];
}

int SubstituteSession::OwnedWindowsWith(const wchar_t* buttonText) const {
    struct Search {
        HWND main;
        const wchar_t* text;
        int count = 0;
    } search{main_, buttonText};
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (::GetWindow(w, GW_OWNER) != s->main || !::IsWindowVisible(w)) return TRUE;
            struct Find {
                const wchar_t* text;
                bool found = false;
            } find{s->text};
            ::EnumChildWindows(
                w,
                [](HWND c, LPARAM q) -> BOOL {
                    auto* f = reinterpret_cast<Find*>(q);
                    wchar_t cls[32] = {}, text[64] = {};
                    ::GetClassNameW(c, cls, 32);
                    ::GetWindowTextW(c, text, 64);
                    if (::lstrcmpiW(cls, L"Button") == 0 && ::lstrcmpW(text, f->text) == 0) f->found = true;
                    return !f->found;
                },
                reinterpret_cast<LPARAM>(&find));
            if (find.found) ++s->count;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.count;
}

nlohmann::json CallRobot(const nlohmann::json& request) {
    RunResult run = RunCaller({L"--timeout", L"120"}, request.dump(), 180000);
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    try {
        return nlohmann::json::parse(run.output);
    } catch (const nlohmann::json::exception&) {
        ADD_FAILURE() << "not JSON: " << run.output;
        return nlohmann::json::object();
    }
}

int SubstituteSession::WindowsWith(const wchar_t* className, const wchar_t* childClass,
                                   const wchar_t* childText) const {
    struct Search {
        DWORD pid;
        const wchar_t* cls;
        const wchar_t* childCls;
        const wchar_t* text;
        int count = 0;
    } search{0, className, childClass, childText};
    ::GetWindowThreadProcessId(main_, &search.pid);
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            wchar_t cls[128] = {};
            ::GetClassNameW(w, cls, 127);
            if (pid != s->pid || std::wstring(cls) != s->cls || !::IsWindowVisible(w)) return TRUE;
            bool found = false;
            std::pair<Search*, bool*> ctx{s, &found};
            ::EnumChildWindows(
                w,
                [](HWND child, LPARAM q) -> BOOL {
                    auto* c = reinterpret_cast<std::pair<Search*, bool*>*>(q);
                    wchar_t cc[128] = {}, t[128] = {};
                    ::GetClassNameW(child, cc, 127);
                    ::GetWindowTextW(child, t, 127);
                    *c->second = std::wstring(cc) == c->first->childCls && std::wstring(t) == c->first->text;
                    return !*c->second;
                },
                reinterpret_cast<LPARAM>(&ctx));
            if (found) ++s->count;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.count;
}

}  // namespace qm::e2e
