// A substitute dispatch program running as its own process for an end-to-end
// test, and the requests a test sends through quillmere-call.exe.
#pragma once

#include <windows.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tools/quillmere-call/robot_process.h"

namespace qm::e2e {

class SubstituteSession {
public:
    // exe: e.g. L"logid2-sim.exe"; mainClass: its main window's class.
    SubstituteSession(std::wstring exe, std::wstring mainClass) : exe_(std::move(exe)), mainClass_(std::move(mainClass)) {}
    ~SubstituteSession() { Stop(); }

    // Starts the substitute with an orders file of its own and options; true
    // once its main window shows. When it does not (or the substitute ends
    // first), StartFailure() says why: what the substitute wrote, its exit
    // code or that it still runs.
    bool Start(const std::vector<std::wstring>& options = {});
    const std::string& StartFailure() const { return failure_; }
    void Stop() { process_.reset(); }
    HWND Main() const { return main_; }

    // Sends a command to the main window (the kit's 0x7001, 0x7100 + k, ...).
    bool Command(UINT id);
    // What the substitute holds: its orders file's "orders", written now.
    nlohmann::json Orders();
    // Its top-level windows owned by the main window that are visible and hold
    // a descendant Button with buttonText.
    int OwnedWindowsWith(const wchar_t* buttonText) const;
    // Its visible top-level windows of className (owned or not) that hold a
    // descendant of childClass with the text childText.
    int WindowsWith(const wchar_t* className, const wchar_t* childClass, const wchar_t* childText) const;

private:
    std::wstring exe_, mainClass_, ordersFile_;
    std::string failure_;
    std::unique_ptr<call::ChildProcess> process_;
    HWND main_ = nullptr;
};

// Runs the request through quillmere-call.exe; the robot must answer (a
// failed expectation otherwise, and an empty object).
nlohmann::json CallRobot(const nlohmann::json& request);

}  // namespace qm::e2e
