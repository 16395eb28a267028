// Helpers for the end-to-end tests: shared blocks, running the real programs
// with bounded waits, reading their output.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/request_block.h"
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

}  // namespace qm::e2e
