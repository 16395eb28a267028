#include "tools/quillmere-call/robot_process.h"

#include <stdexcept>
#include <vector>

#include "core/request_block.h"
#include "include/quillmere.h"

// The block callers in C exchange is the robot's.
static_assert(sizeof(quillmere_request) == sizeof(qm::RequestBlock));
static_assert(QUILLMERE_BLOCK_SIZE == qm::kRequestBlockSize);

namespace qm::call {

ChildProcess::ChildProcess(const std::wstring& program, const std::wstring& commandLine, bool captureStdout) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    win32::UniqueHandle outputWrite;
    if (captureStdout) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 64 * 1024)) throw std::runtime_error("cannot create a pipe");
        outputRead_.reset(readEnd);
        outputWrite.reset(writeEnd);
        ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
        startup.hStdInput = nullptr;
    }
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    // Started the way include/quillmere.h starts the robot for callers in C:
    // in a job that ends it with the job's handle.
    quillmere_child child{};
    if (!quillmere_start_child(program.c_str(), line.data(), captureStdout, &startup, &child))
        throw std::runtime_error("cannot start the program (error " + std::to_string(::GetLastError()) + ")");
    job_.reset(child.job);
    process_.reset(child.process);
    pid_ = child.process_id;
}

ChildProcess::~ChildProcess() {
    if (Running()) Kill();
}

bool ChildProcess::Running() const { return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

bool ChildProcess::Wait(DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        DrainOutput();
        if (::WaitForSingleObject(process_.get(), 20) != WAIT_TIMEOUT) {
            DrainOutput();
            return true;
        }
        if (::GetTickCount64() >= end) return false;
    }
}

void ChildProcess::Kill() {
    quillmere_child child{job_.get(), process_.get(), pid_};
    quillmere_end_child(&child);
}

double ChildProcess::CpuMs() const {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process_.get(), &created, &exited, &kernel, &user)) return 0;
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

void ChildProcess::DrainOutput() {
    if (!outputRead_) return;
    for (;;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(outputRead_.get(), nullptr, 0, nullptr, &available, nullptr) || available == 0) return;
        char buffer[4096];
        DWORD got = 0;
        if (!::ReadFile(outputRead_.get(), buffer, available < sizeof buffer ? available : sizeof buffer, &got,
                        nullptr) ||
            got == 0)
            return;
        output_.append(buffer, got);
    }
}

std::wstring OwnDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace qm::call
