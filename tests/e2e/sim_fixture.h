// A test beside a substitute dispatch program running as its own process: the
// session (e2e_session.h) as a GoogleTest fixture, with the kit's control
// commands by name.
#pragma once

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "tests/e2e/e2e_session.h"
#include "tests/e2e/e2e_support.h"

namespace qm::e2e {

// The control commands every substitute answers at its main window.
constexpr UINT kWriteOrders = 0x7001;
constexpr UINT kOpenFirstOrder = 0x7100;

class SubstituteTest : public ::testing::Test {
protected:
    // exe: the substitute's file name; mainClass: its main window's class.
    SubstituteTest(std::wstring exe, std::wstring mainClass) : sim_(std::move(exe), std::move(mainClass)) {}
    void TearDown() override { sim_.Stop(); }

    void StartSim(const std::vector<std::wstring>& options = {}) {
        ASSERT_TRUE(sim_.Start(options)) << sim_.StartFailure();
        main_ = sim_.Main();
    }
    // Runs the request through quillmere-call.exe; the robot must answer.
    nlohmann::json Call(const nlohmann::json& request) { return CallRobot(request); }
    void Command(UINT id) { ASSERT_TRUE(sim_.Command(id)); }
    nlohmann::json Orders() { return sim_.Orders(); }
    // Entry windows of the substitute still open: visible windows owned by its
    // main window that hold registerText among their descendants, after the
    // substitute had a moment for a finishing click that the robot posted and
    // did not wait for (LogiD5's): the robot may have answered, and the caller
    // returned, before the substitute took the click from its queue.
    int OpenEntryWindows(const wchar_t* registerText = L"등   록(&R)") {
        int n = 0;
        for (int i = 0; i < 100 && (n = sim_.OwnedWindowsWith(registerText)) > 0; ++i) ::Sleep(50);
        return n;
    }
    // Its visible top-level windows of className holding a childClass childText.
    int CountWindows(const wchar_t* className, const wchar_t* childClass, const wchar_t* childText) const {
        return sim_.WindowsWith(className, childClass, childText);
    }

    SubstituteSession sim_;
    HWND main_ = nullptr;
};

}  // namespace qm::e2e
