// floor [--port]: the fastest this machine does each exchange with another
// process that an entry cannot do without, measured against floor-page
// (floor_page.cpp) running on this desktop. One "key value" line each, in
// milliseconds (medians of repeated exchanges):
//   page-first, page-later   a map page exchange as the robot makes it: the
//                            bounded WM_HTML_GETOBJECT, ObjectFromLresult, the
//                            script window, its document, the document's
//                            window, its IDispatchEx, "eval"'s id and one eval
//                            whose value is read as a boolean; the process's
//                            first apart (it loads the marshalling), then later ones
//   page-*-handler           of that, the time floor-page spent in its handlers
//   send                     a bounded send round trip (WM_NULL)
//   send-after-pause,        the same, and a later page exchange, made after
//   page-after-pause         the 100 ms a mandated pause mostly lasts: the
//                            other program, idle meanwhile, has to wake first
//   show                     showing or hiding floor-page's popup as the robot's
//                            port does it: a bounded WM_NULL, then ShowWindow
//   enum, enum-windows       a walk of floor-page's window tree, reading each
//   enum-window              window's class and text; its windows; per window
//   page-call-hop            an empty call through the robot's page-call thread
//   page-call-start          starting another such thread and its first call
//   page-step-*              each step of a later direct page exchange
// The page exchanges are made directly on this thread, which is single-threaded
// COM as the robot's is; with --port they go through the robot's own Desktop
// port (Win32Desktop: its page-call thread, its wrappers), which tells what
// that machinery costs per exchange.
#include "platform/win32/windows_names.h"
#include <windows.h>
#include <ole2.h>
#include <oleacc.h>
#include <dispex.h>
#include <mshtml.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/page_calls.h"
#include "platform/win32/win32_desktop.h"
#include "sim/win32/page/handler_clock.h"
#include "tools/bench/bench_clock.h"

namespace {

using qm::win32::ComPtr;
using qm::win32::ScopedBstr;
using qm::win32::ScopedVariant;

constexpr int kLaterExchanges = 20;
constexpr int kSends = 200;
constexpr int kShows = 20;
constexpr int kWalks = 20;
constexpr int kHops = 200;
constexpr int kAfterPause = 9;
constexpr DWORD kPauseMs = 100;

using qm::bench::NowMs;

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

UINT HtmlGetObject() {
    static const UINT message = ::RegisterWindowMessageW(L"WM_HTML_GETOBJECT");
    return message;
}

// When each step of the last direct exchange ended, from its start.
constexpr int kSteps = 10;
constexpr const char* kStepNames[kSteps] = {"getobject", "fromlresult", "script",  "window", "document",
                                            "parent",    "dispatchex",  "dispid",  "invoke", "release"};
double g_steps[kSteps];

// The exchange made directly with COM, step for step as the robot's port makes it.
bool DirectExchange(HWND browser) {
    const double start = NowMs();
    int step = 0;
    auto mark = [&] { g_steps[step++] = NowMs() - start; };
    const bool ok = [&] {
    DWORD_PTR lresult = 0;
    if (!::SendMessageTimeoutW(browser, HtmlGetObject(), 0, 0, SMTO_ABORTIFHUNG, 3000, &lresult)) return false;
    mark();
    ComPtr<IHTMLDocument> root;
    if (FAILED(::ObjectFromLresult(static_cast<LRESULT>(lresult), __uuidof(IHTMLDocument), 0, root.put_void())) || !root)
        return false;
    mark();
    ComPtr<IDispatch> script;
    if (FAILED(root->get_Script(script.put())) || !script) return false;
    mark();
    const ComPtr<IHTMLWindow2> window = script.As<IHTMLWindow2>(__uuidof(IHTMLWindow2));
    if (!window) return false;
    mark();
    ComPtr<IHTMLDocument2> document;
    if (FAILED(window->get_document(document.put())) || !document) return false;
    mark();
    ComPtr<IHTMLWindow2> parent;
    if (FAILED(document->get_parentWindow(parent.put())) || !parent) return false;
    mark();
    const ComPtr<IDispatchEx> eval = parent.As<IDispatchEx>(__uuidof(IDispatchEx));
    if (!eval) return false;
    mark();
    ScopedBstr name(::SysAllocString(L"eval"));
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(eval->GetDispID(name.get(), fdexNameCaseSensitive, &id))) return false;
    mark();
    ScopedVariant argument;
    V_VT(argument.get()) = VT_BSTR;
    V_BSTR(argument.get()) = ::SysAllocString(L"true");
    DISPPARAMS params{};
    params.rgvarg = argument.get();
    params.cArgs = 1;
    ScopedVariant result;
    eval->Invoke(id, IID_NULL, 0x0400, DISPATCH_METHOD, &params, result.get(), nullptr, nullptr);
    ScopedVariant flag;
    const bool done = SUCCEEDED(::VariantChangeType(flag.get(), result.get(), 0, VT_BOOL)) && V_BOOL(flag.get()) != VARIANT_FALSE;
    mark();
    return done;
    }();
    mark();  // the references released
    return ok;
}

// The same exchange through the robot's Desktop port.
bool PortExchange(qm::Desktop& desktop, qm::Module oleacc, HWND browser) {
    const qm::Hwnd target = static_cast<qm::Hwnd>(reinterpret_cast<std::uintptr_t>(browser));
    const std::optional<std::intptr_t> lresult =
        desktop.SendTimeout(target, desktop.RegisterWindowMessage(u"WM_HTML_GETOBJECT"), 0, 0, SMTO_ABORTIFHUNG, 3000);
    if (!lresult) return false;
    const auto root = desktop.ObjectFromLresult(oleacc, *lresult);
    const auto window = root ? root->GetScriptWindow() : nullptr;
    const auto document = window ? window->GetDocument() : nullptr;
    const auto parent = document ? document->GetParentWindow() : nullptr;
    const auto eval = parent ? parent->QueryEval() : nullptr;
    const auto id = eval ? eval->GetDispId(u"eval") : std::nullopt;
    return id && eval->Invoke(*id, u"true").boolean == true;
}

struct Walk {
    int windows = 0;
};

BOOL CALLBACK ReadOne(HWND child, LPARAM param) {
    wchar_t buffer[257];
    ::GetClassNameW(child, buffer, 257);
    ::GetWindowTextW(child, buffer, 257);
    ++reinterpret_cast<Walk*>(param)->windows;
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool port = argc == 2 && std::wcscmp(argv[1], L"--port") == 0;
    if (argc > 2 || (argc == 2 && !port)) {
        std::fprintf(stderr, "usage: floor [--port]\n");
        return 1;
    }
    const HRESULT ole = ::OleInitialize(nullptr);
    // floor-page's window is found as soon as it is made, before what it holds: wait for that too.
    HWND window = nullptr;
    HWND browser = nullptr;
    for (int tries = 0; tries < 100 && !browser; ++tries) {
        window = ::FindWindowW(L"QuillmereFloor", nullptr);
        browser = window ? ::FindWindowExW(window, nullptr, L"Internet Explorer_Server", nullptr) : nullptr;
        if (!browser) ::Sleep(50);
    }
    if (!browser) {
        std::fprintf(stderr, "floor: floor-page is not running\n");
        return 1;
    }
    qm::win32::UniqueModule oleaccLibrary(::LoadLibraryW(L"OLEACC.DLL"));
    const auto oleacc = static_cast<qm::Module>(reinterpret_cast<std::uintptr_t>(oleaccLibrary.get()));
    qm::sim::clock::HandlerClockReader clock;
    std::unique_ptr<qm::win32::Win32Desktop> desktop;
    std::unique_ptr<qm::win32::BrowserTypeLibraryHold> types;
    // As the robot does on its first page step: the browser's types stay loaded.
    const std::function<bool()> exchange = [&] {
        if (port) {
            if (!desktop) desktop = std::make_unique<qm::win32::Win32Desktop>();
            return PortExchange(*desktop, oleacc, browser);
        }
        if (!types) types = std::make_unique<qm::win32::BrowserTypeLibraryHold>();
        return DirectExchange(browser);
    };
    auto timed = [&](double& ms, double& handlerMs) {
        const double handler = clock.TotalMs();
        const double start = NowMs();
        const bool ok = exchange();
        ms = NowMs() - start;
        handlerMs = clock.TotalMs() - handler;
        return ok;
    };

    double firstMs = 0, firstHandlerMs = 0;
    if (!timed(firstMs, firstHandlerMs)) {
        std::fprintf(stderr, "floor: the page exchange failed\n");
        return 1;
    }
    std::vector<double> later, laterHandler;
    std::vector<std::vector<double>> steps(kSteps);
    for (int i = 0; i < kLaterExchanges; ++i) {
        double ms = 0, handlerMs = 0;
        if (!timed(ms, handlerMs)) {
            std::fprintf(stderr, "floor: the page exchange failed\n");
            return 1;
        }
        later.push_back(ms);
        laterHandler.push_back(handlerMs);
        for (int k = 0; k < kSteps; ++k) steps[k].push_back(g_steps[k] - (k > 0 ? g_steps[k - 1] : 0));
    }

    std::vector<double> sends;
    for (int i = 0; i < kSends; ++i) {
        DWORD_PTR result = 0;
        const double start = NowMs();
        ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 5000, &result);
        sends.push_back(NowMs() - start);
    }

    std::vector<double> sendsAfterPause, pagesAfterPause;
    for (int i = 0; i < kAfterPause; ++i) {
        ::Sleep(kPauseMs);
        DWORD_PTR result = 0;
        const double start = NowMs();
        ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 5000, &result);
        sendsAfterPause.push_back(NowMs() - start);
        ::Sleep(kPauseMs);
        double ms = 0, handlerMs = 0;
        if (!timed(ms, handlerMs)) {
            std::fprintf(stderr, "floor: the page exchange failed\n");
            return 1;
        }
        pagesAfterPause.push_back(ms - handlerMs);
    }

    std::vector<double> shows;
    if (const HWND popup = ::FindWindowW(L"QuillmereFloorPopup", nullptr)) {
        for (int i = 0; i < 2 * kShows; ++i) {
            DWORD_PTR result = 0;
            const double start = NowMs();
            ::SendMessageTimeoutW(popup, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 5000, &result);
            ::ShowWindow(popup, i % 2 == 0 ? SW_SHOW : SW_HIDE);
            shows.push_back(NowMs() - start);
        }
    }

    std::vector<double> walks;
    Walk walk;
    for (int i = 0; i < kWalks; ++i) {
        walk = Walk{};
        const double start = NowMs();
        ::EnumChildWindows(window, ReadOne, reinterpret_cast<LPARAM>(&walk));
        walks.push_back(NowMs() - start);
    }

    std::vector<double> hops;
    double startMs = 0;
    {
        const double start = NowMs();
        qm::win32::PageCallThread calls(qm::win32::Win32Desktop::kPageCallBoundMs);
        calls.Run([] { return 0; });  // the thread's own start: its apartment
        startMs = NowMs() - start;
        for (int i = 0; i < kHops; ++i) {
            const double start = NowMs();
            calls.Run([] { return 0; });
            hops.push_back(NowMs() - start);
        }
    }

    const double walkMs = Median(walks);
    std::printf("page-first %.3f\npage-first-handler %.3f\n", firstMs, firstHandlerMs);
    std::printf("page-later %.3f\npage-later-handler %.3f\n", Median(later), Median(laterHandler));
    std::printf("send %.4f\nshow %.3f\n", Median(sends), Median(shows));
    // The page exchange's handlers are the floor-page's, taken out as for
    // page-later, whose handler share is added back: the keys stay comparable.
    std::printf("send-after-pause %.4f\npage-after-pause %.3f\n", Median(sendsAfterPause),
                Median(pagesAfterPause) + Median(laterHandler));
    std::printf("enum %.3f\nenum-windows %d\nenum-window %.5f\n", walkMs, walk.windows,
                walk.windows > 0 ? walkMs / walk.windows : 0.0);
    std::printf("page-call-hop %.4f\npage-call-start %.3f\n", Median(hops), startMs);
    if (!port) {
        for (int k = 0; k < kSteps; ++k) std::printf("page-step-%s %.3f\n", kStepNames[k], Median(steps[k]));
    }
    desktop.reset();
    types.reset();
    oleaccLibrary.reset();
    if (SUCCEEDED(ole)) ::OleUninitialize();
    return 0;
}
