// quillmere-probe: the field diagnostic. Shows, for the dispatch programs
// running on this desk, what the robot finds of their windows and what it
// does not, with the code a request would end with.
//
//   quillmere-probe.exe [--adapter 1|2|3|4|all] [--json] [--open-new] [--snapshot FILE [--with-texts]]
//   quillmere-probe.exe --version
//
// Exit codes: 0 every anchor of every running program found, 1 one is missing
// (or a program stopped answering, or the one program asked for is not
// running), 2 bad usage or a snapshot that could not be written, 3 a request
// kept the desk for 5 s.
#include "platform/win32/windows_names.h"

#include <cstdio>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/utf.h"
#include "platform/win32/console.h"
#include "platform/win32/desk_mutex.h"
#include "platform/win32/handles.h"
#include "platform/win32/version_info.h"
#include "platform/win32/win32_desktop.h"
#include "quillmere_version.h"
#include "tools/quillmere-probe/probe.h"
#include "tools/snapshot/snapshot.h"

namespace {

using qm::win32::Stream;
using qm::win32::Write;

// The file version of the program that runs process, if its file has one.
std::string FileVersionOf(std::uint32_t process) {
    qm::win32::UniqueHandle h(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    if (!h) return {};
    wchar_t path[MAX_PATH * 2];
    DWORD size = static_cast<DWORD>(std::size(path));
    if (!::QueryFullProcessImageNameW(h.get(), 0, path, &size)) return {};
    return qm::win32::ProductVersionOf(std::wstring(path, size)).value_or("");
}

std::string UtcNow() {
    SYSTEMTIME t{};
    ::GetSystemTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr) return 0;
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

// Writes the snapshot whole or not at all: to a file beside it, then renamed.
bool WriteFileAtomically(const std::u16string& target, const std::string& bytes) {
    const std::wstring path(target.begin(), target.end());
    const std::wstring part = path + L".part";
    {
        qm::win32::UniqueHandle file(::CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size()) {
            file.reset();
            ::DeleteFileW(part.c_str());
            return false;
        }
    }
    if (::MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    ::DeleteFileW(part.c_str());
    return false;
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
        Write(Stream::Error, "quillmere-probe: " + parsed.error + "\n" + qm::probe::kUsage);
        return qm::probe::kExitBadUsage;
    }
    if (parsed.version) {
        Write(Stream::Out, std::string("quillmere-probe ") + qm::kVersion + "\n");
        return qm::probe::kExitAllFound;
    }
    if (parsed.help) {
        Write(Stream::Out, qm::probe::kUsage);
        return qm::probe::kExitAllFound;
    }

    qm::win32::DeskMutex desk;
    std::string busy;
    if (const std::optional<int> code = qm::probe::TakeDesk(desk, busy)) {
        Write(Stream::Error, "quillmere-probe: " + busy + "\n");
        return *code;
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
    Write(Stream::Out,
          parsed.options.json ? qm::probe::RenderJson(report) : qm::probe::RenderTable(report));
    if (!parsed.options.snapshot.empty()) {
        qm::snapshot::Snapshot snapshot = qm::snapshot::Take(desktopFor, report, parsed.options.withTexts);
        snapshot.probeVersion = qm::kVersion;
        snapshot.takenAt = UtcNow();
        snapshot.dpi = ScreenDpi();
        for (qm::snapshot::Program& p : snapshot.programs) p.fileVersion = FileVersionOf(p.process);
        const std::string file = qm::Utf16ToUtf8(parsed.options.snapshot);
        if (!WriteFileAtomically(parsed.options.snapshot, qm::snapshot::ToJson(snapshot))) {
            Write(Stream::Error, "quillmere-probe: could not write the snapshot to " + file + "\n");
            return qm::probe::kExitBadUsage;
        }
        Write(Stream::Error, "quillmere-probe: " + std::to_string(snapshot.tree.windows.size()) + " windows of " +
                                 std::to_string(snapshot.programs.size()) + " program(s) written to " + file +
                                 (snapshot.withTexts ? "" : " (texts the robot does not look for replaced by their kind and size)") +
                                 (snapshot.tree.partial ? "; partial: " + snapshot.tree.partialReason : std::string()) + "\n");
    }
    return qm::probe::ExitCode(report);
}
