// step-profile REQUEST.json: serves one request in-process against the dispatch
// program running on this desktop, as quillmere.exe would, and reports where the
// robot's time goes between its pauses: the pauses themselves (asked and
// taken), and the work between two pauses with the port calls made in it,
// largest first. The benchmark's aid for finding what makes an entry slower
// than its mandated pauses.
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/dispatch.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_desktop.h"
#include "tools/quillmere-call/request_json.h"

namespace {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f{};
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t{};
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The work done between two pauses, and the pause that ends it.
struct Gap {
    double workMs = 0;
    std::uint32_t pauseMs = 0;
    double sleptMs = 0;
    std::map<std::string, int> calls;
};

// Forwards every port call to the real desktop, counting calls and timing pauses.
class ProfilingDesktop final : public qm::Desktop {
public:
    explicit ProfilingDesktop(qm::Desktop& real) : real_(real), gapStart_(NowMs()) { gaps_.emplace_back(); }

    const std::vector<Gap>& Finish() {
        gaps_.back().workMs = NowMs() - gapStart_;
        return gaps_;
    }

    qm::Hwnd FindWindow(const char16_t* c, const char16_t* n) override { return Count("FindWindow"), real_.FindWindow(c, n); }
    qm::Hwnd FindWindowEx(qm::Hwnd p, qm::Hwnd a, const char16_t* c, const char16_t* n) override {
        return Count("FindWindowEx"), real_.FindWindowEx(p, a, c, n);
    }
    void EnumChildWindows(qm::Hwnd p, const std::function<bool(qm::Hwnd)>& v) override {
        Count("EnumChildWindows");
        real_.EnumChildWindows(p, v);
    }
    qm::Hwnd GetWindow(qm::Hwnd w, qm::Relation r) override { return Count("GetWindow"), real_.GetWindow(w, r); }
    qm::Hwnd GetParent(qm::Hwnd w) override { return Count("GetParent"), real_.GetParent(w); }
    std::u16string GetWindowText(qm::Hwnd w, std::size_t n) override { return Count("GetWindowText"), real_.GetWindowText(w, n); }
    std::u16string GetClassName(qm::Hwnd w, std::size_t n) override { return Count("GetClassName"), real_.GetClassName(w, n); }
    int GetDlgCtrlID(qm::Hwnd w) override { return Count("GetDlgCtrlID"), real_.GetDlgCtrlID(w); }
    std::uint32_t GetWindowProcessId(qm::Hwnd w) override { return Count("GetWindowProcessId"), real_.GetWindowProcessId(w); }
    std::optional<qm::WindowInfo> GetWindowInfo(qm::Hwnd w) override { return Count("GetWindowInfo"), real_.GetWindowInfo(w); }
    std::optional<qm::Point> ScreenToClient(qm::Hwnd w, qm::Point p) override {
        return Count("ScreenToClient"), real_.ScreenToClient(w, p);
    }
    std::intptr_t Send(qm::Hwnd w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
        return Count("Send"), real_.Send(w, m, wp, lp);
    }
    bool Post(qm::Hwnd w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
        return Count("Post"), real_.Post(w, m, wp, lp);
    }
    std::optional<std::intptr_t> SendTimeout(qm::Hwnd w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp,
                                             std::uint32_t f, std::uint32_t t) override {
        return Count("SendTimeout"), real_.SendTimeout(w, m, wp, lp, f, t);
    }
    std::uint32_t RegisterWindowMessage(const char16_t* n) override {
        return Count("RegisterWindowMessage"), real_.RegisterWindowMessage(n);
    }
    std::u16string SendGetText(qm::Hwnd w, std::size_t n) override { return Count("SendGetText"), real_.SendGetText(w, n); }
    std::intptr_t SendSetText(qm::Hwnd w, const std::u16string& t) override { return Count("SendSetText"), real_.SendSetText(w, t); }
    std::u16string SendGetLine(qm::Hwnd e, int l, std::size_t n) override { return Count("SendGetLine"), real_.SendGetLine(e, l, n); }
    std::optional<std::u16string> SendGetComboItem(qm::Hwnd c, int i) override {
        return Count("SendGetComboItem"), real_.SendGetComboItem(c, i);
    }
    bool SetForegroundWindow(qm::Hwnd w) override { return Count("SetForegroundWindow"), real_.SetForegroundWindow(w); }
    qm::Hwnd SetActiveWindow(qm::Hwnd w) override { return Count("SetActiveWindow"), real_.SetActiveWindow(w); }
    bool ShowWindow(qm::Hwnd w, int c) override { return Count("ShowWindow"), real_.ShowWindow(w, c); }
    bool SetCursorPos(qm::Point p) override { return Count("SetCursorPos"), real_.SetCursorPos(p); }
    std::optional<qm::Point> GetCursorPos() override { return Count("GetCursorPos"), real_.GetCursorPos(); }
    void MouseEvent(std::uint32_t f) override {
        Count("MouseEvent");
        real_.MouseEvent(f);
    }
    void Sleep(std::uint32_t ms) override {
        const double start = NowMs();
        gaps_.back().workMs = start - gapStart_;
        gaps_.back().pauseMs = ms;
        real_.Sleep(ms);
        gapStart_ = NowMs();
        gaps_.back().sleptMs = gapStart_ - start;
        gaps_.emplace_back();
    }
    bool NotResponding() const override { return real_.NotResponding(); }
    bool HasObjectFromLresult(qm::Module m) override { return Count("HasObjectFromLresult"), real_.HasObjectFromLresult(m); }
    std::shared_ptr<qm::PageRootDocument> ObjectFromLresult(qm::Module m, std::intptr_t l) override {
        return Count("ObjectFromLresult"), real_.ObjectFromLresult(m, l);
    }
    std::shared_ptr<qm::PageAccessible> AccessibleObjectFromPoint(qm::Point p) override {
        return Count("AccessibleObjectFromPoint"), real_.AccessibleObjectFromPoint(p);
    }

private:
    int Count(const char* name) { return ++gaps_.back().calls[name]; }

    qm::Desktop& real_;
    double gapStart_;
    std::vector<Gap> gaps_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: step-profile REQUEST.json\n");
        return 1;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "step-profile: cannot read the request\n");
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    auto block = std::make_unique<qm::RequestBlock>();
    try {
        qm::call::ParseRequest(text.str(), *block);
    } catch (const qm::call::RequestError& e) {
        std::fprintf(stderr, "step-profile: bad request: %s\n", e.what());
        return 1;
    }
    // As the robot does: OLE for the page objects, the accessibility library loaded.
    const HRESULT ole = ::OleInitialize(nullptr);
    qm::win32::UniqueModule oleacc(::LoadLibraryW(L"OLEACC.DLL"));
    qm::win32::Win32Desktop real;
    ProfilingDesktop desktop(real);
    const double start = NowMs();
    qm::ServeRequest(*block, desktop, static_cast<qm::Module>(reinterpret_cast<std::uintptr_t>(oleacc.get())));
    const double total = NowMs() - start;
    const std::vector<Gap>& gaps = desktop.Finish();

    double asked = 0, slept = 0, work = 0;
    for (const Gap& g : gaps) {
        asked += g.pauseMs;
        slept += g.sleptMs;
        work += g.workMs;
    }
    std::printf("result %d in %.0f ms: %zu pauses asked %.0f ms and took %.1f ms; work between them %.1f ms\n",
                block->result, total, gaps.size() - 1, asked, slept, work);
    std::vector<std::size_t> order(gaps.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return gaps[a].workMs > gaps[b].workMs; });
    std::printf("largest work between pauses (before pause #n of n ms):\n");
    for (std::size_t k = 0; k < order.size() && k < 15; ++k) {
        const Gap& g = gaps[order[k]];
        std::string calls;
        for (const auto& [name, count] : g.calls) calls += " " + name + "x" + std::to_string(count);
        std::printf("  %7.1f ms before #%zu (%u ms):%s\n", g.workMs, order[k] + 1, g.pauseMs, calls.c_str());
    }
    oleacc.reset();
    if (SUCCEEDED(ole)) ::OleUninitialize();
    return 0;
}
