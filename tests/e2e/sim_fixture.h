// A substitute dispatch program running as its own process beside the test,
// and the requests the test sends the real robot through quillmere-call.exe.
#pragma once

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tools/quillmere-call/robot_process.h"

namespace qm::e2e {

// The control commands every substitute answers at its main window.
constexpr UINT kWriteOrders = 0x7001;
constexpr UINT kOpenFirstOrder = 0x7100;

class SubstituteTest : public ::testing::Test {
protected:
    // exe: the substitute's file name; mainClass: its main window's class.
    SubstituteTest(std::wstring exe, std::wstring mainClass) : exe_(std::move(exe)), mainClass_(std::move(mainClass)) {}
    void TearDown() override { sim_.reset(); }

    void StartSim(const std::vector<std::wstring>& options = {}) {
        wchar_t dir[MAX_PATH + 1];
        ::GetTempPathW(MAX_PATH, dir);
        ordersFile_ = std::wstring(dir) + L"qm-orders-" + exe_ + L"-" + std::to_wstring(::GetCurrentProcessId()) + L".json";
        ::DeleteFileW(ordersFile_.c_str());
        std::wstring line = exe_ + L" --orders-file \"" + ordersFile_ + L"\"";
        for (const std::wstring& o : options) line += L" \"" + o + L"\"";
        sim_ = std::make_unique<call::ChildProcess>(call::OwnDirectory() + exe_, line, false);
        for (int i = 0; i < 300 && !(main_ = ::FindWindowW(mainClass_.c_str(), nullptr)); ++i) ::Sleep(50);
        ASSERT_NE(main_, nullptr) << "the substitute did not show its main window";
    }

    // Runs the request through quillmere-call.exe; the robot must answer.
    nlohmann::json Call(const nlohmann::json& request) {
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

    void Command(UINT id) {
        DWORD_PTR result = 0;
        ASSERT_NE(::SendMessageTimeoutW(main_, WM_COMMAND, id, 0, SMTO_ABORTIFHUNG, 10000, &result), 0);
    }

    nlohmann::json Orders() {
        Command(kWriteOrders);
        win32::UniqueHandle file(::CreateFileW(ordersFile_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                               nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file) return nlohmann::json::array();
        std::string text;
        char buffer[8192];
        DWORD got = 0;
        while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
        return nlohmann::json::parse(text)["orders"];
    }

    // Entry windows of the substitute: visible windows owned by its main
    // window that hold registerText among their descendants.
    int OpenEntryWindows(const wchar_t* registerText = L"등   록(&R)") {
        struct Search {
            HWND main;
            const wchar_t* text;
            int count = 0;
        } search{main_, registerText};
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
                        wchar_t t[64] = {};
                        ::GetWindowTextW(c, t, 64);
                        if (std::wstring(t) == f->text) f->found = true;
                        return !f->found;
                    },
                    reinterpret_cast<LPARAM>(&find));
                if (find.found) ++s->count;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.count;
    }

    std::wstring exe_, mainClass_;
    std::unique_ptr<call::ChildProcess> sim_;
    std::wstring ordersFile_;
    HWND main_ = nullptr;
};

}  // namespace qm::e2e
