// What every dispatch program's end-to-end tests do: run its substitute as a
// process of its own with an orders file, send requests through the real
// caller and robot, and read back what the substitute holds.
#pragma once

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tools/quillmere-call/robot_process.h"

namespace qm::e2e {

// The commands every substitute answers at its main window.
constexpr UINT kWriteOrders = 0x7001;
constexpr UINT kOpenFirstOrder = 0x7100;

class SubstituteSession : public ::testing::Test {
protected:
    // exe: the substitute's file name; mainClass: its main window's class.
    SubstituteSession(std::wstring exe, std::wstring mainClass) : exe_(std::move(exe)), mainClass_(std::move(mainClass)) {}
    void TearDown() override { sim_.reset(); }

    // Starts the substitute with its orders file and options, and waits for its main window.
    void StartSim(const std::vector<std::wstring>& options = {});
    // Runs the request through quillmere-call.exe; the robot must answer.
    nlohmann::json Call(const nlohmann::json& request);
    // A command at the substitute's main window (sent, bounded).
    void Command(UINT id);
    // The orders the substitute holds, from its orders file written now.
    nlohmann::json Orders();
    // The substitute's visible top-level windows of className holding a
    // descendant of buttonClass with buttonText.
    int CountWindows(const wchar_t* className, const wchar_t* buttonClass, const wchar_t* buttonText) const;

    HWND Main() const { return main_; }
    const std::wstring& MainClass() const { return mainClass_; }

private:
    std::wstring exe_, mainClass_;
    std::unique_ptr<call::ChildProcess> sim_;
    std::wstring ordersFile_;
    HWND main_ = nullptr;
};

}  // namespace qm::e2e
