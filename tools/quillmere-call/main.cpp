// quillmere-call: the reference caller. Reads a request as JSON, hands it to the
// robot through a named mapping, waits for the answer with its own time-out and
// prints the answer as JSON.
//
//   quillmere-call.exe [--robot PATH] [--timeout SECONDS] [--mapping-size BYTES] REQUEST.json
//   (REQUEST.json "-" reads standard input)
//   quillmere-call.exe --version
//
// Exit codes: 0 the robot answered (whatever its result code), 1 bad usage or a
// bad request, named by its field (nothing was started), 2 the robot could not be started or ended
// without answering, 3 the robot did not answer within the time-out and was ended.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

#include "core/request_block.h"
#include "core/result_codes.h"
#include "core/utf.h"
#include "include/quillmere.h"
#include "platform/win32/desk_mutex.h"
#include "platform/win32/handles.h"
#include "platform/win32/version_info.h"
#include "quillmere_version.h"
#include "tools/quillmere-call/request_json.h"
#include "tools/quillmere-call/robot_process.h"

namespace {

using qm::RequestBlock;
using qm::call::ChildProcess;

constexpr int kExitAnswered = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitNoAnswer = 2;
constexpr int kExitTimedOut = 3;

// How often the status word is read while the robot works.
constexpr DWORD kStatusStepMs = 10;

void WriteTo(DWORD stream, const std::string& text) {
    HANDLE h = ::GetStdHandle(stream);
    if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

int Error(int code, const std::string& text) {
    WriteTo(STD_ERROR_HANDLE, "quillmere-call: " + text + "\n");
    return code;
}

bool ReadAll(HANDLE h, std::string& out) {
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        out.append(buffer, got);
        if (out.size() > 16 * 1024 * 1024) return false;  // no request is this large
    }
    return true;
}

bool ReadRequestText(const std::wstring& path, std::string& text) {
    if (path == L"-") return ReadAll(::GetStdHandle(STD_INPUT_HANDLE), text);
    qm::win32::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && ReadAll(file.get(), text);
}

std::string Narrow(const std::wstring& w) {
    return qm::Utf16ToUtf8(std::u16string(w.begin(), w.end()));
}

bool ParseNumber(const wchar_t* text, unsigned long long max, unsigned long long& out) {
    if (text == nullptr || *text == L'\0') return false;
    wchar_t* end = nullptr;
    out = std::wcstoull(text, &end, 10);
    return *end == L'\0' && text[0] != L'-' && out <= max;
}

const char kUsage[] =
    "usage: quillmere-call.exe [--robot PATH] [--timeout SECONDS] [--mapping-size BYTES] REQUEST.json\n"
    "  REQUEST.json  the request as JSON (see the README); - reads standard input\n"
    "  --robot       the robot program (default: quillmere.exe beside this program)\n"
    "  --timeout     seconds to wait for the answer (default 300); then the robot is ended\n"
    "  --mapping-size  bytes of the shared mapping (default 19800; smaller only to test the robot)\n"
    "  --version     print this program's version\n";

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring robot = qm::call::OwnDirectory() + L"quillmere.exe";
    unsigned long long timeoutSeconds = 300;
    unsigned long long mappingSize = qm::kRequestBlockSize;
    std::wstring requestPath;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const wchar_t* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == L"--help" || arg == L"-h") {
            WriteTo(STD_OUTPUT_HANDLE, kUsage);
            return kExitAnswered;
        } else if (arg == L"--version") {
            WriteTo(STD_OUTPUT_HANDLE, std::string("quillmere-call ") + qm::kVersion + "\n");
            return kExitAnswered;
        } else if (arg == L"--robot" && value) {
            robot = value;
            ++i;
        } else if (arg == L"--timeout") {
            if (!ParseNumber(value, 86400, timeoutSeconds) || timeoutSeconds == 0)
                return Error(kExitBadInput, "--timeout takes a number of seconds from 1 to 86400");
            ++i;
        } else if (arg == L"--mapping-size") {
            if (!ParseNumber(value, 1 << 20, mappingSize) || mappingSize == 0)
                return Error(kExitBadInput, "--mapping-size takes a number of bytes from 1 to 1048576");
            ++i;
        } else if (requestPath.empty() && (arg == L"-" || arg.rfind(L"--", 0) != 0)) {
            requestPath = arg;
        } else {
            return Error(kExitBadInput, "unexpected argument '" + Narrow(arg) + "'\n" + kUsage);
        }
    }
    if (requestPath.empty()) return Error(kExitBadInput, std::string("no request given\n") + kUsage);

    std::string requestText;
    if (!ReadRequestText(requestPath, requestText))
        return Error(kExitBadInput, "cannot read the request '" + Narrow(requestPath) + "'");
    auto block = std::make_unique<RequestBlock>();
    try {
        qm::call::ParseRequest(requestText, *block);
    } catch (const qm::call::RequestError& e) {
        return Error(kExitBadInput, std::string("bad request: ") + e.what());
    } catch (const std::exception& e) {
        // Nothing has been started yet: whatever ended the reading is a refusal.
        return Error(kExitBadInput, std::string("bad request: cannot be read (") + e.what() + ")");
    }

    // A mapping whose name nobody else uses, made as C callers make it; the
    // robot's command line is the name.
    struct Block : quillmere_block {
        Block() : quillmere_block{} {}
        ~Block() { quillmere_close_block(this); }
    } mapping;
    if (!quillmere_open_block(L"quilmer-call", static_cast<DWORD>(mappingSize), &mapping))
        return Error(kExitNoAnswer, "cannot create the shared mapping (Windows error " +
                                        std::to_string(::GetLastError()) + ")");
    const std::wstring name = mapping.name;
    const std::size_t shared = mappingSize < qm::kRequestBlockSize ? mappingSize : qm::kRequestBlockSize;
    std::memcpy(mapping.view, block.get(), shared);
    auto readStatus = [&] { return quillmere_block_status(&mapping); };

    // Timing: the robot's start (process creation to status 1) and its work
    // (status 1 to status 2), on the performance counter.
    LARGE_INTEGER frequency{}, started{}, took{}, done{};
    ::QueryPerformanceFrequency(&frequency);
    auto now = [] {
        LARGE_INTEGER t{};
        ::QueryPerformanceCounter(&t);
        return t;
    };
    auto ms = [&](LARGE_INTEGER from, LARGE_INTEGER to) {
        return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    };

    // Set by the robot once it took the desk (the time before it went to
    // waiting for the robots ahead of it), and when it took the desk over from
    // a robot that ended while holding it.
    qm::win32::UniqueHandle deskTaken(
        ::CreateEventW(nullptr, TRUE, FALSE, (name + qm::win32::kDeskTakenEventSuffix).c_str()));
    const DWORD deskEventError = deskTaken ? 0 : ::GetLastError();
    qm::win32::UniqueHandle deskTakenOver(
        ::CreateEventW(nullptr, TRUE, FALSE, (name + qm::win32::kDeskTakenOverEventSuffix).c_str()));
    LARGE_INTEGER deskAt{};
    bool deskSeen = false;

    std::unique_ptr<ChildProcess> child;
    started = now();
    try {
        child = std::make_unique<ChildProcess>(robot, name, true);
    } catch (const std::exception& e) {
        return Error(kExitNoAnswer, "cannot start the robot '" + Narrow(robot) + "': " + e.what());
    }

    const ULONGLONG deadline = ::GetTickCount64() + timeoutSeconds * 1000;
    bool answered = false;
    bool taken = false;
    // The robot's processor time when it took the request and when it answered:
    // its work apart from its start-up.
    double cpuAtTake = 0, cpuAtDone = 0;
    for (;;) {
        const LONG seen = readStatus();
        if (seen >= 1 && !taken) {
            took = now();
            cpuAtTake = child->CpuMs();
            taken = true;
        }
        if (seen == 2) {
            done = now();
            cpuAtDone = child->CpuMs();
            answered = true;
            break;
        }
        if (!child->Running()) {
            answered = readStatus() == 2;
            done = now();
            cpuAtDone = child->CpuMs();
            if (!taken) {
                took = done;
                cpuAtTake = cpuAtDone;
            }
            break;
        }
        if (::GetTickCount64() >= deadline) break;
        child->DrainOutput();
        // Steps of 10 ms for the status word (the times it gives are that
        // close): each step is a call into the system, and finer steps made
        // a waiting caller a load of its own on the machine the robot works
        // on. The desk event and the robot's end are waited for themselves,
        // so the time the desk was taken is the moment the robot said so.
        HANDLE waits[2] = {child->Handle(), deskTaken.get()};
        const DWORD count = deskTaken && !deskSeen ? 2 : 1;
        if (::WaitForMultipleObjects(count, waits, FALSE, kStatusStepMs) == WAIT_OBJECT_0 + 1) {
            deskAt = now();
            deskSeen = true;
            if (!taken) {  // status 1 came within the same step
                took = deskAt;
                cpuAtTake = child->CpuMs();
                taken = true;
            }
        }
    }
    if (answered) {
        // The robot exits right after its answer; never leave it behind.
        if (!child->Wait(10000)) child->Kill();
    } else if (child->Running()) {
        child->Kill();
        return Error(kExitTimedOut, "the robot did not answer within " + std::to_string(timeoutSeconds) +
                                        " s and was ended (status " + std::to_string(readStatus()) + ")");
    } else {
        child->DrainOutput();
        std::string why = "the robot ended (exit code " + std::to_string(child->ExitCode()) +
                          ") without answering (status " + std::to_string(readStatus()) + ")";
        if (!child->Output().empty()) why += "; it said: " + child->Output();
        return Error(kExitNoAnswer, why);
    }

    // Only what the mapping holds: a smaller one (made to test the robot) ends
    // before the block does.
    auto answer = std::make_unique<RequestBlock>();
    std::memcpy(answer.get(), mapping.view, shared);
    nlohmann::ordered_json out = qm::call::DescribeAnswer(*answer, block->order.adapterKind);
    if (const auto version = qm::win32::ProductVersionOf(robot)) out["robotVersion"] = *version;
    if (!child->Output().empty()) out["robotOutput"] = child->Output();
    const double wallMs = ms(started, now());
    // The wait for the desk is part of the work: until the robot took the
    // desk, or all of it when the robot never did (the desk stayed busy).
    double lockWaitMs = 0;
    if (deskSeen) lockWaitMs = std::max(0.0, ms(took, deskAt));
    else if (answer->result == qm::result::kDeskBusy) lockWaitMs = ms(took, done);
    out["timing"] = {{"startMs", std::lround(ms(started, took))},
                     {"workMs", std::lround(ms(took, done))},
                     {"lockWaitMs", std::lround(lockWaitMs)},
                     {"workCpuMs", std::lround(cpuAtDone - cpuAtTake)},
                     {"cpuMs", std::lround(child->CpuMs())},
                     {"wallMs", std::lround(wallMs)}};
    if (!deskTaken) {
        // Without its event the wait for the desk cannot be told: said, not 0.
        out["timing"]["lockWaitMs"] = nullptr;
        out["timing"]["lockWaitError"] = "the desk event could not be made (Windows error " +
                                         std::to_string(deskEventError) + ")";
    }
    if (deskTakenOver) out["deskTakenOver"] = ::WaitForSingleObject(deskTakenOver.get(), 0) == WAIT_OBJECT_0;
    WriteTo(STD_OUTPUT_HANDLE, qm::call::AnswerText(out) + "\n");
    return kExitAnswered;
}
