// Helpers for the end-to-end tests: shared blocks, running the real programs
// with bounded waits, reading their output.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <vector>

#include "core/request_block.h"
#include "platform/win32/handles.h"

namespace qm::e2e {

// A named mapping the way a caller makes one; the name begins with "quilmer".
class SharedBlock {
public:
    explicit SharedBlock(DWORD size = kRequestBlockSize);
    const std::wstring& Name() const { return name_; }
    RequestBlock* Block() const { return static_cast<RequestBlock*>(view_.get()); }
    unsigned char* Bytes() const { return static_cast<unsigned char*>(view_.get()); }

private:
    std::wstring name_;
    win32::UniqueHandle mapping_;
    win32::MappedView view_;
};

struct RunResult {
    bool ended = false;     // the program ended within the time allowed
    DWORD exitCode = 0;
    std::string output;     // standard output and error, as bytes
};

// Runs a program from the test's own folder with commandLine as its whole
// command line. When it has not ended within timeoutMs it is ended.
RunResult RunProgram(const std::wstring& exeName, const std::wstring& commandLine, DWORD timeoutMs);

// Runs quillmere-call.exe with args and the request text in a file of its own.
RunResult RunCaller(const std::vector<std::wstring>& args, const std::string& requestJson,
                    DWORD timeoutMs = 120000);

// The top-level windows of a process.
std::vector<HWND> WindowsOfProcess(DWORD pid);

// The processes now running from an executable of this file name.
std::vector<DWORD> ProcessesNamed(const wchar_t* exe);
// Waits up to timeoutMs for a process of exe to run; its id, or 0.
DWORD WaitForProcess(const wchar_t* exe, DWORD timeoutMs);
// Ends the process and waits for it; true once it has ended.
bool Terminate(DWORD pid);

// An example request of examples/ in the source tree; discarded when it cannot be read.
nlohmann::json Example(const char* file);

// A served dispatch program: its substitute, main window class and example request.
struct Program {
    const wchar_t* exe;
    const wchar_t* mainClass;
    const char* example;
};
inline void PrintTo(const Program& p, std::ostream* os) { *os << p.example; }
// One row per served dispatch program.
inline constexpr Program kPrograms[] = {
    {L"logid2-sim.exe", L"SmartD2-", "logid2-enter.json"},
    {L"logid5-sim.exe", L"D5-", "logid5-enter.json"},
    {L"cmanerxe4-sim.exe", L"Tfrm_Main", "cmanerxe4-enter.json"},
    {L"icon2013-sim.exe", L"I_Driver by IconSoft.CO.,LTD", "icon2013-enter.json"},
};
// A test name for a row: the program's name as the example spells it.
inline std::string ProgramName(const ::testing::TestParamInfo<Program>& info) {
    const std::string name(info.param.example);
    return name.substr(0, name.find('-'));
}

}  // namespace qm::e2e
