// quillmere-probe: the field diagnostic. Shows, for the dispatch programs
// running on this desk, what the robot finds of their windows and what it
// does not, with the code a request would end with.
//
//   quillmere-probe.exe [--adapter 1|2|3|4|all] [--json] [--open-new]
//   quillmere-probe.exe --version
//
// Exit codes: 0 every anchor of every running program found, 1 one is missing
// (or a program stopped answering, or the one program asked for is not
// running, or a request kept the desk for 5 s), 2 bad usage.
#include "platform/win32/windows_names.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/utf.h"
#include "platform/win32/desk_mutex.h"
#include "platform/win32/win32_desktop.h"
#include "quillmere_version.h"
#include "tools/quillmere-probe/probe.h"

namespace {

// How long the probe waits for a running request to end.
constexpr std::uint32_t kDeskWaitMs = 5000;

// A console gets UTF-16 (so Korean shows whatever its code page); a pipe or a
// file gets UTF-8.
void Write(DWORD stream, const std::string& utf8) {
    HANDLE h = ::GetStdHandle(stream);
    if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    if (::GetConsoleMode(h, &mode)) {
        const std::u16string text = qm::Utf8ToUtf16(utf8);
        const std::wstring wide(text.begin(), text.end());
        DWORD written = 0;
        ::WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    DWORD written = 0;
    ::WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        args.emplace_back(arg.begin(), arg.end());
    }
    const qm::probe::ParsedArguments parsed = qm::probe::ParseArguments(args);
    if (!parsed.error.empty()) {
        Write(STD_ERROR_HANDLE, "quillmere-probe: " + parsed.error + "\n" + qm::probe::kUsage);
        return qm::probe::kExitBadUsage;
    }
    if (parsed.version) {
        Write(STD_OUTPUT_HANDLE, std::string("quillmere-probe ") + qm::kVersion + "\n");
        return qm::probe::kExitAllFound;
    }
    if (parsed.help) {
        Write(STD_OUTPUT_HANDLE, qm::probe::kUsage);
        return qm::probe::kExitAllFound;
    }

    // The probe reads windows that a running request is changing, and with
    // --open-new it presses a reception button: it waits its turn at the desk
    // like a robot, but only briefly.
    qm::win32::DeskMutex desk;
    if (desk.Acquire(kDeskWaitMs).turn == qm::DeskTurn::Busy) {
        Write(STD_ERROR_HANDLE, "quillmere-probe: a request is running on this desk (it kept the desk for " +
                                    std::to_string(kDeskWaitMs / 1000) +
                                    " s); probe again once it has ended\n");
        return qm::probe::kExitSomethingMissing;
    }

    // Each program on a desktop of its own: one that stops answering is
    // waited for once, and the next is asked afresh.
    std::map<int, std::unique_ptr<qm::win32::Win32Desktop>> desktops;
    auto desktopFor = [&](int kind) -> qm::Desktop& {
        auto& desktop = desktops[kind];
        if (!desktop) desktop = std::make_unique<qm::win32::Win32Desktop>();
        return *desktop;
    };
    const qm::probe::Report report = qm::probe::Run(desktopFor, parsed.options);
    Write(STD_OUTPUT_HANDLE,
          parsed.options.json ? qm::probe::RenderJson(report) : qm::probe::RenderTable(report));
    return qm::probe::ExitCode(report);
}
