#include "tests/win32/helper_process.h"

#include <string>
#include <vector>

namespace qm::conformance {
namespace {

std::wstring OwnFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return L".";
        if (n < path.size()) {
            std::wstring full(path.data(), n);
            const auto slash = full.find_last_of(L"\\/");
            return slash == std::wstring::npos ? L"." : full.substr(0, slash);
        }
        if (path.size() > 32768) return L".";
        path.resize(path.size() * 2);
    }
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount64() >= end) return false;
        ::Sleep(10);
    }
}

void HelperTest::SetUp() {
    static int counter = 0;
    const std::wstring suffix = std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    const std::wstring blockName = L"QmConformanceBlock-" + suffix;
    const std::wstring eventName = L"QmConformanceResume-" + suffix;
    mapping_.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Shared),
                                        blockName.c_str()));
    ASSERT_TRUE(mapping_);
    view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)));
    ASSERT_TRUE(view_);
    resume_.reset(::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(resume_);

    const std::wstring exe = OwnFolder() + L"\\" + kHelperExe;
    std::wstring commandLine = L"\"" + exe + L"\" " + blockName + L" " + eventName + L" " +
                               std::to_wstring(::GetCurrentProcessId());
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &si, &pi))
        << "cannot start " << std::string(exe.begin(), exe.end());
    process_.reset(pi.hProcess);
    ::CloseHandle(pi.hThread);
    pid_ = pi.dwProcessId;
    const bool ready = WaitUntil(
        [&] { return shared().ready == 1 || ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }, 30000);
    DWORD exitCode = 0;
    ASSERT_TRUE(ready && shared().ready == 1)
        << "the helper did not come up (exit code "
        << (::GetExitCodeProcess(process_.get(), &exitCode) ? static_cast<long>(exitCode) : -1L) << ")";
    // Let the helper finish showing its windows before anything looks at them.
    ASSERT_EQ(Command(kPing), kPingAnswer);
}

void HelperTest::TearDown() {
    if (resume_) ::SetEvent(resume_.get());
    if (process_) {
        ::TerminateProcess(process_.get(), 0);
        ::WaitForSingleObject(process_.get(), 10000);
    }
}

LRESULT HelperTest::Command(UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(reinterpret_cast<HWND>(shared().main), message, wParam, lParam,
                               SMTO_ABORTIFHUNG | SMTO_NORMAL, 10000, &result)) {
        return 0;
    }
    return static_cast<LRESULT>(result);
}

}  // namespace qm::conformance
