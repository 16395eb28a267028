// step-profile REQUEST.json [FLOORS]: serves one request in-process against the dispatch
// program running on this desktop, as quillmere.exe would, and reports where the
// robot's time goes between its pauses: the pauses themselves (asked and
// taken), and the work between two pauses with the port calls made in it,
// largest first. Each gap is split into the time the dispatch program spent in
// its handlers answering the robot (the substitute's handler clock,
// sim/win32/page/handler_clock.h), the floor of the exchanges the gap made
// (counting_desktop.h, weighed with the floors in FLOORS, as bench/floor.cpp
// measures them) and the rest: the robot's own work, in turn split into its
// code between its calls (the time in neither a port call nor a page call)
// and what its exchanges took beyond their floors. The benchmark's aid for
// finding what makes an entry slower than its mandated pauses.
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
#include "sim/win32/page/handler_clock.h"
#include "tools/bench/bench_clock.h"
#include "tools/bench/counting_desktop.h"
#include "tools/quillmere-call/request_json.h"

namespace {

using qm::bench::NowMs;

// What the dispatch program's handlers and the exchange floors take of a gap:
// the floors of one exchange of each kind, from the benchmark's floor run
// (bench/floor.cpp), given as "key value" lines. The floor's own page spends
// some of each page exchange in its handlers (pageHandler*): that share is the
// substitute's here, and is taken out of the floor so that no time counts twice.
//
// The first exchange after a pause meets a program that was idle through it
// and has to wake first: on a busy machine that takes far longer than an
// exchange right after another. Such a gap weighs its first page exchange, or
// else its first send, with the floor measured after a pause.
struct Floors {
    double pageFirst = 0, pageLater = 0, pageFirstHandler = 0, pageLaterHandler = 0;
    double send = 0, show = 0, enumWindow = 0;
    double sendAfterPause = 0, pageAfterPause = 0;
    bool known = false;

    double Of(const qm::bench::Exchanges& n, bool afterPause) const {
        double floor = n.pageFirst * (pageFirst - pageFirstHandler) + n.pageLater * (pageLater - pageLaterHandler) +
                       n.sends * send + n.shows * show + n.enumeratedWindows * enumWindow;
        if (afterPause && n.pageLater > 0 && pageAfterPause > 0) floor += pageAfterPause - pageLater;
        else if (afterPause && n.pageFirst == 0 && n.sends > 0 && sendAfterPause > 0) floor += sendAfterPause - send;
        return floor;
    }
};

Floors ReadFloors(const wchar_t* path) {
    Floors f;
    std::ifstream in(path);
    std::string key;
    double value = 0;
    const std::map<std::string, double*> keys{
        {"page-first", &f.pageFirst}, {"page-later", &f.pageLater}, {"page-first-handler", &f.pageFirstHandler},
        {"page-later-handler", &f.pageLaterHandler}, {"send", &f.send}, {"show", &f.show}, {"enum-window", &f.enumWindow},
        {"send-after-pause", &f.sendAfterPause}, {"page-after-pause", &f.pageAfterPause}};
    while (in >> key >> value) {
        if (const auto it = keys.find(key); it != keys.end()) {
            *it->second = value;
            f.known = true;
        }
    }
    return f;
}

// The work done between two pauses, and the pause that ends it.
struct Gap {
    double workMs = 0;
    double handlerMs = 0;  // in the dispatch program's handlers, answering the robot
    double pageCallsMs = 0;  // page calls made outside port calls (a page object's steps and releases)
    std::uint32_t pauseMs = 0;
    double sleptMs = 0;
    qm::bench::Exchanges exchanges;
    struct Calls {
        int count = 0;
        double ms = 0;  // in the call itself, less the calls it made (a walk's visitor)
    };
    std::map<std::string, Calls> calls;
};

// Forwards every port call to the real desktop, counting calls and exchanges,
// timing pauses, and reading the dispatch program's handler clock at each.
class ProfilingDesktop final : public qm::bench::CountingDesktop {
public:
    explicit ProfilingDesktop(qm::win32::Win32Desktop& real) : CountingDesktop(real), real_(real) {
        gaps_.emplace_back();
        handlerAt_ = clock_.TotalMs();
        pageAt_ = real_.PageCallMs();
        gapStart_ = NowMs();
    }

    const std::vector<Gap>& Finish() {
        const double now = NowMs();
        EndGap(now);
        return gaps_;
    }

    void Sleep(std::uint32_t ms) override {
        const double start = NowMs();
        EndGap(start);
        gaps_.back().pauseMs = ms;
        CountingDesktop::Sleep(ms);
        gapStart_ = NowMs();
        gaps_.back().sleptMs = gapStart_ - start;
        // What the program did during the pause is not part of any gap.
        handlerAt_ = clock_.TotalMs();
        gaps_.emplace_back();
    }

    bool ClockPresent() { return clock_.Present(); }

protected:
    void Note(const char* name) override {
        ++gaps_.back().calls[name].count;
        if (open_.empty()) pageAtCall_ = real_.PageCallMs();
        open_.push_back({name, NowMs(), 0});
    }
    void Ended() override {
        const Open call = open_.back();
        open_.pop_back();
        if (open_.empty()) pageInCalls_ += real_.PageCallMs() - pageAtCall_;
        const double ms = NowMs() - call.start;
        gaps_.back().calls[call.name].ms += ms - call.innerMs;
        if (!open_.empty()) open_.back().innerMs += ms;
    }

private:
    void EndGap(double now) {
        Gap& g = gaps_.back();
        g.workMs = now - gapStart_;
        const double handler = clock_.TotalMs();
        g.handlerMs = handler - handlerAt_;
        handlerAt_ = handler;
        const double page = real_.PageCallMs();
        g.pageCallsMs = page - pageAt_ - pageInCalls_;
        pageAt_ = page;
        pageInCalls_ = 0;
        const qm::bench::Exchanges total = Total();
        g.exchanges = Minus(total, counted_);
        counted_ = total;
    }
    static qm::bench::Exchanges Minus(qm::bench::Exchanges a, const qm::bench::Exchanges& b) {
        a.pageFirst -= b.pageFirst;
        a.pageLater -= b.pageLater;
        a.sends -= b.sends;
        a.shows -= b.shows;
        a.enumerations -= b.enumerations;
        a.enumeratedWindows -= b.enumeratedWindows;
        return a;
    }

    qm::win32::Win32Desktop& real_;
    qm::sim::clock::HandlerClockReader clock_;
    double handlerAt_ = 0;
    double pageAt_ = 0, pageAtCall_ = 0, pageInCalls_ = 0;
    double gapStart_ = 0;
    qm::bench::Exchanges counted_;
    std::vector<Gap> gaps_;
    struct Open {
        const char* name;
        double start;
        double innerMs;
    };
    std::vector<Open> open_;  // the port calls under way, innermost last
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: step-profile REQUEST.json [FLOORS]\n");
        return 1;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "step-profile: cannot read the request\n");
        return 1;
    }
    const Floors floors = argc == 3 ? ReadFloors(argv[2]) : Floors{};
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

    double asked = 0, slept = 0, work = 0, handler = 0, floor = 0, pageCalls = 0;
    qm::bench::Exchanges exchanges;
    std::map<std::string, Gap::Calls> calls;
    for (const Gap& g : gaps) {
        for (const auto& [name, c] : g.calls) {
            calls[name].count += c.count;
            calls[name].ms += c.ms;
        }
        asked += g.pauseMs;
        slept += g.sleptMs;
        work += g.workMs;
        handler += g.handlerMs;
        pageCalls += g.pageCallsMs;
        floor += floors.Of(g.exchanges, &g != &gaps.front());
        exchanges += g.exchanges;
    }
    std::printf("result %d in %.0f ms: %zu pauses asked %.0f ms and took %.1f ms; work between them %.1f ms\n",
                block->result, total, gaps.size() - 1, asked, slept, work);
    const bool clock = desktop.ClockPresent();
    std::printf("work between pauses: %.1f ms the program's handlers%s, %.1f ms exchange floor%s, %.1f ms the robot's own;"
                " the pauses overran by %.1f ms\n",
                handler, clock ? "" : " (no handler clock: not counted)", floor,
                floors.known ? "" : " (no floors given: not counted)", work - handler - floor, slept - asked);
    std::printf("exchanges: %d page (%d first), %d sends, %d shows, %d enumerations over %d windows\n",
                exchanges.pageFirst + exchanges.pageLater, exchanges.pageFirst, exchanges.sends, exchanges.shows,
                exchanges.enumerations, exchanges.enumeratedWindows);
    // Between the calls is the robot's code, and what the page objects' releases take.
    std::vector<std::pair<std::string, Gap::Calls>> byTime(calls.begin(), calls.end());
    std::sort(byTime.begin(), byTime.end(), [](const auto& a, const auto& b) { return a.second.ms > b.second.ms; });
    double inCalls = 0;
    std::string slowest;
    for (const auto& [name, c] : byTime) {
        inCalls += c.ms;
        if (slowest.size() < 160) {
            char part[96];
            std::snprintf(part, sizeof part, " %s %dx %.1f ms", name.c_str(), c.count, c.ms);
            slowest += part;
        }
    }
    std::printf("in port calls %.1f ms, between them %.1f ms; slowest:%s\n", inCalls, work - inCalls, slowest.c_str());
    // The robot's own time is its code (with its hops to the page-call
    // thread) and whatever its exchanges took beyond their floors and the
    // program's handlers: waking the program, the scheduler, the marshalling.
    const double code = work - inCalls - pageCalls;
    std::printf("the robot's own splits into %.1f ms its code between its calls and %.1f ms its exchanges beyond their"
                " floors (page calls outside port calls %.1f ms)\n",
                code, work - handler - floor - code, pageCalls);
    std::vector<std::size_t> order(gaps.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return gaps[a].workMs > gaps[b].workMs; });
    std::printf("largest work between pauses (before pause #n of n ms: handlers / floor / robot, port calls x count / ms):\n");
    for (std::size_t k = 0; k < order.size() && k < 15; ++k) {
        const Gap& g = gaps[order[k]];
        const double f = floors.Of(g.exchanges, order[k] != 0);
        std::string calls;
        for (const auto& [name, c] : g.calls) {
            char part[96];
            std::snprintf(part, sizeof part, " %sx%d/%.1f", name.c_str(), c.count, c.ms);
            calls += part;
        }
        std::printf("  %7.1f ms before #%zu (%u ms): %.1f / %.1f / %.1f,%s\n", g.workMs, order[k] + 1, g.pauseMs,
                    g.handlerMs, f, g.workMs - g.handlerMs - f, calls.c_str());
    }
    oleacc.reset();
    if (SUCCEEDED(ole)) ::OleUninitialize();
    return 0;
}
