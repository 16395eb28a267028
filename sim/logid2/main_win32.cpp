// logid2-sim.exe: the LogiD2 substitute as a real Windows program.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/utf.h"
#include "sim/logid2/logid2_sim.h"
#include "sim/win32_host.h"

namespace {

// Writes text to the standard output (a console or a pipe/file); a GUI
// program started from a console borrows its parent's console.
void Print(const std::u16string& text, DWORD which = STD_OUTPUT_HANDLE) {
    HANDLE out = ::GetStdHandle(which);
    if (!out || out == INVALID_HANDLE_VALUE) {
        if (::AttachConsole(ATTACH_PARENT_PROCESS)) out = ::GetStdHandle(which);
    }
    if (!out || out == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(out, &mode)) {
        ::WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    } else {
        const std::string utf8 = qm::Utf16ToUtf8(text);
        ::WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
}

std::vector<std::u16string> Arguments() {
    std::vector<std::u16string> args;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    ::LocalFree(argv);
    return args;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace qm::sim::logid2;
    const ParseResult parsed = ParseOptions(Arguments());
    if (!parsed.error.empty()) {
        Print(u"logid2-sim: " + parsed.error + u"\n(--help lists the options)\n", STD_ERROR_HANDLE);
        return 2;
    }
    if (parsed.help) {
        Print(HelpText());
        return 0;
    }

    if (FAILED(::OleInitialize(nullptr))) {
        Print(u"logid2-sim: OLE could not be initialised\n", STD_ERROR_HANDLE);
        return 1;
    }
    int rc = 0;
    {
        qm::sim::Win32Host host(instance);
        LogiD2Sim sim(host, parsed.options);
        if (!sim.Start()) {
            Print(u"logid2-sim: the main window could not be created\n", STD_ERROR_HANDLE);
            rc = 1;
        } else {
            if (!parsed.options.openOrderFile.empty()) {
                std::string error;
                const auto text = ReadTextFile(parsed.options.openOrderFile);
                const auto order = text ? OrderFromJson(*text, error) : std::nullopt;
                if (!order) {
                    Print(u"logid2-sim: --open-order: " +
                              (text ? qm::Utf8ToUtf16(error) : std::u16string(u"the file cannot be read")) + u"\n",
                          STD_ERROR_HANDLE);
                    rc = 2;
                } else {
                    sim.OpenOrderForModify(sim.AddOrder(*order));
                }
            }
            if (rc == 0) {
                ::ShowWindow(qm::sim::Win32Host::ToHwnd(sim.MainWindow()), SW_SHOWNORMAL);
                rc = host.Run();
                if (!parsed.options.ordersFile.empty() && !sim.WriteOrdersFile())
                    Print(u"logid2-sim: the orders file cannot be written: " + parsed.options.ordersFile + u"\n",
                          STD_ERROR_HANDLE);
            }
        }
    }
    ::OleUninitialize();
    return rc;
}
