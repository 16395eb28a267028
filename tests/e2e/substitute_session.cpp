#include "tests/e2e/substitute_session.h"

namespace qm::e2e {

using nlohmann::json;

void SubstituteSession::StartSim(const std::vector<std::wstring>& options) {
    wchar_t dir[MAX_PATH + 1];
    ::GetTempPathW(MAX_PATH, dir);
    ordersFile_ = std::wstring(dir) + L"qm-orders-" + mainClass_ + L"-" + std::to_wstring(::GetCurrentProcessId()) +
                  L".json";
    ::DeleteFileW(ordersFile_.c_str());
    std::wstring line = exe_ + L" --orders-file \"" + ordersFile_ + L"\"";
    for (const std::wstring& o : options) line += L" \"" + o + L"\"";
    sim_ = std::make_unique<call::ChildProcess>(call::OwnDirectory() + exe_, line, false);
    for (int i = 0; i < 300 && !(main_ = ::FindWindowW(mainClass_.c_str(), nullptr)); ++i) ::Sleep(50);
    ASSERT_NE(main_, nullptr) << "the substitute did not show its main window";
}

json SubstituteSession::Call(const json& request) {
    RunResult run = RunCaller({L"--timeout", L"120"}, request.dump(), 180000);
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    try {
        return json::parse(run.output);
    } catch (const json::exception&) {
        ADD_FAILURE() << "not JSON: " << run.output;
        return json::object();
    }
}

void SubstituteSession::Command(UINT id) {
    DWORD_PTR result = 0;
    ASSERT_NE(::SendMessageTimeoutW(main_, WM_COMMAND, id, 0, SMTO_ABORTIFHUNG, 10000, &result), 0);
}

json SubstituteSession::Orders() {
    Command(kWriteOrders);
    win32::UniqueHandle file(::CreateFileW(ordersFile_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return json::array();
    std::string text;
    char buffer[8192];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
    return json::parse(text)["orders"];
}

int SubstituteSession::CountWindows(const wchar_t* className, const wchar_t* buttonClass,
                                    const wchar_t* buttonText) const {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(main_, &pid);
    int count = 0;
    for (HWND w : WindowsOfProcess(pid)) {
        wchar_t cls[128] = {};
        ::GetClassNameW(w, cls, 127);
        if (std::wstring(cls) != className || !::IsWindowVisible(w)) continue;
        struct Search {
            const wchar_t* cls;
            const wchar_t* text;
            bool found = false;
        } search{buttonClass, buttonText};
        ::EnumChildWindows(
            w,
            [](HWND child, LPARAM p) -> BOOL {
                auto* s = reinterpret_cast<Search*>(p);
                wchar_t c[128] = {}, t[128] = {};
                ::GetClassNameW(child, c, 127);
                ::GetWindowTextW(child, t, 127);
                s->found = std::wstring(c) == s->cls && std::wstring(t) == s->text;
                return !s->found;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found) ++count;
    }
    return count;
}

}  // namespace qm::e2e
