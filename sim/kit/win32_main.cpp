#include "sim/kit/win32_main.h"

#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/utf.h"
#include "sim/kit/files.h"
#include "sim/win32_host.h"

#include "quillmere_version.h"  // made by CMake

namespace qm::sim::kit {
namespace {

std::vector<std::u16string> Arguments() {
    std::vector<std::u16string> args;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    ::LocalFree(argv);
    return args;
}

// OLE for the program's lifetime (the map pages are COM objects).
class OleScope {
public:
    OleScope() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~OleScope() {
        if (ok_) ::OleUninitialize();
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;
    bool Ok() const { return ok_; }

private:
    bool ok_;
};

}  // namespace

void Print(const std::u16string& text, DWORD which) {
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
        const std::string utf8 = Utf16ToUtf8(text);
        ::WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
}

int RunSubstitute(HINSTANCE instance, const OptionParser& parser, const CommonOptions& common,
                  const SubstituteFactory& make) {
    const std::u16string name = parser.Program();
    const ParseOutcome parsed = parser.Parse(Arguments());
    if (!parsed.error.empty()) {
        Print(name + u": " + parsed.error + u"\n(--help lists the options)\n", STD_ERROR_HANDLE);
        return 2;
    }
    if (parsed.help) {
        Print(parser.Help());
        return 0;
    }
    if (parsed.version) {
        Print(name + u" " + Utf8ToUtf16(kVersion) + u"\n");
        return 0;
    }

    OleScope ole;
    if (!ole.Ok()) {
        Print(name + u": OLE could not be initialised\n", STD_ERROR_HANDLE);
        return 1;
    }
    Win32Host host(instance);
    const std::unique_ptr<Substitute> sim = make(host);
    if (!sim || !sim->Start()) {
        Print(name + u": the main window could not be created\n", STD_ERROR_HANDLE);
        return 1;
    }
    if (!common.openOrderFile.empty()) {
        std::string error;
        const auto text = ReadTextFile(common.openOrderFile);
        const auto order = text ? OrderFromJson(*text, error) : std::nullopt;
        if (!order) {
            Print(name + u": --open-order: " +
                      (text ? Utf8ToUtf16(error) : std::u16string(u"the file cannot be read")) + u"\n",
                  STD_ERROR_HANDLE);
            return 2;
        }
        sim->ShowStoredOrder(sim->AddOrder(*order));
    }
    ::ShowWindow(Win32Host::ToHwnd(sim->MainWindow()), SW_SHOWNORMAL);
    const int rc = host.Run();
    if (!common.ordersFile.empty() && !sim->WriteOrdersFile())
        Print(name + u": the orders file cannot be written: " + common.ordersFile + u"\n", STD_ERROR_HANDLE);
    return rc;
}

}  // namespace qm::sim::kit
