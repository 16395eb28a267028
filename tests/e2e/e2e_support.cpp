#include "tests/e2e/e2e_support.h"

#include <tlhelp32.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tools/quillmere-call/robot_process.h"

namespace qm::e2e {

SharedBlock::SharedBlock(DWORD size) {
    static std::atomic<int> counter{0};
    name_ = L"quilmer" + std::to_wstring(::GetCurrentProcessId()) + L"x" + std::to_wstring(counter++);
    mapping_.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name_.c_str()));
    if (!mapping_) throw std::runtime_error("cannot create the test mapping");
    view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view_) throw std::runtime_error("cannot map the test mapping");
}

RunResult RunProgram(const std::wstring& exeName, const std::wstring& commandLine, DWORD timeoutMs) {
    call::ChildProcess child(call::OwnDirectory() + exeName, commandLine, true);
    RunResult r;
    r.ended = child.Wait(timeoutMs);
    if (!r.ended) child.Kill();
    child.DrainOutput();
    r.exitCode = child.ExitCode();
    r.output = child.Output();
    return r;
}

RunResult RunCaller(const std::vector<std::wstring>& args, const std::string& requestJson, DWORD timeoutMs) {
    wchar_t dir[MAX_PATH + 1];
    ::GetTempPathW(MAX_PATH, dir);
    wchar_t path[MAX_PATH + 1];
    ::GetTempFileNameW(dir, L"qmr", 0, path);
    {
        win32::UniqueHandle file(
            ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        ::WriteFile(file.get(), requestJson.data(), static_cast<DWORD>(requestJson.size()), &written, nullptr);
    }
    std::wstring line = L"quillmere-call.exe";
    for (const std::wstring& a : args) line += L" \"" + a + L"\"";
    line += L" \"" + std::wstring(path) + L"\"";
    RunResult r = RunProgram(L"quillmere-call.exe", line, timeoutMs);
    ::DeleteFileW(path);
    return r;
}

std::vector<HWND> WindowsOfProcess(DWORD pid) {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(w, &owner);
            if (owner == s->pid) s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<DWORD> ProcessesNamed(const wchar_t* exe) {
    std::vector<DWORD> found;
    win32::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
        if (::lstrcmpiW(entry.szExeFile, exe) == 0) found.push_back(entry.th32ProcessID);
    return found;
}

DWORD WaitForProcess(const wchar_t* exe, DWORD timeoutMs) {
    for (DWORD waited = 0; waited <= timeoutMs; waited += 50) {
        const std::vector<DWORD> found = ProcessesNamed(exe);
        if (!found.empty()) return found.front();
        ::Sleep(50);
    }
    return 0;
}

bool Terminate(DWORD pid) {
    win32::UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process || !::TerminateProcess(process.get(), 9)) return false;
    return ::WaitForSingleObject(process.get(), 10000) == WAIT_OBJECT_0;
}

nlohmann::json Example(const char* file) {
    std::ifstream in(std::string("Z:" QM_SOURCE_DIR "/examples/") + file);
    return nlohmann::json::parse(std::string(std::istreambuf_iterator<char>(in), {}), nullptr, false);
}

}  // namespace qm::e2e
