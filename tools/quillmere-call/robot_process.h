// Starting the robot (or any helper program) as a child the caller never loses:
// the child runs in a job that is killed when the caller lets go of it, and its
// standard output is collected.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/handles.h"

namespace qm::call {

class ChildProcess {
public:
    // Starts program with commandLine as the child's whole command line (the
    // program is named separately, so it is not the first token). Throws
    // std::runtime_error when the child cannot be started.
    ChildProcess(const std::wstring& program, const std::wstring& commandLine, bool captureStdout);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();  // ends the child if it still runs

    bool Running() const;
    // The process, for waiting on it beside other objects; signalled once it ended.
    HANDLE Handle() const { return process_.get(); }
    // Waits up to timeoutMs for the child to end; true when it ended.
    bool Wait(DWORD timeoutMs);
    void Kill();
    DWORD ExitCode() const;
    // The child's user and kernel time so far, in milliseconds.
    double CpuMs() const;
    DWORD ProcessId() const { return pid_; }
    // Reads what the child wrote to standard output so far (never blocks).
    void DrainOutput();
    const std::string& Output() const { return output_; }

private:
    win32::UniqueHandle job_;
    win32::UniqueHandle process_;
    win32::UniqueHandle outputRead_;
    DWORD pid_ = 0;
    std::string output_;
};

// The directory of this executable, with a trailing backslash.
std::wstring OwnDirectory();

}  // namespace qm::call
