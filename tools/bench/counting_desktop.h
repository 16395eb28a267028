// A Desktop that forwards every port call to another one and counts the
// exchanges with the dispatch program's process that the calls make: the ones
// an entry cannot do without, each of which has a floor (bench/floor.cpp).
// pause-total counts them on the fake desktop; step-profile counts them per
// gap between two pauses against the live program.
//
//   page exchange: WM_HTML_GETOBJECT, ObjectFromLresult and the calls that
//     follow on the page (or the accessible object at a point); the process's
//     first one apart, as it also loads the browser's marshalling
//   send: one bounded send round trip to another thread (Send, the buffer
//     messages, a combo item's length and text)
//   show: showing or hiding another program's window, with the bounded probe
//     before it
//   enumeration: a walk of a window's descendants; walking the same parent
//     again before the next pause is not another exchange the entry needs,
//     so it counts once, with the most windows any of those walks visited
//
// Header only: it serves the native tool and the Windows one alike.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <type_traits>

#include "platform/desktop.h"

namespace qm::bench {

struct Exchanges {
    int pageFirst = 0;
    int pageLater = 0;
    int sends = 0;
    int shows = 0;
    int enumerations = 0;
    int enumeratedWindows = 0;  // over the counted walks

    Exchanges& operator+=(const Exchanges& o) {
        pageFirst += o.pageFirst;
        pageLater += o.pageLater;
        sends += o.sends;
        shows += o.shows;
        enumerations += o.enumerations;
        enumeratedWindows += o.enumeratedWindows;
        return *this;
    }
};

class CountingDesktop : public Desktop {
public:
    explicit CountingDesktop(Desktop& real) : real_(real) {}

    // Every exchange counted so far.
    Exchanges Total() const {
        Exchanges all = done_;
        all += Walks();
        return all;
    }

    Hwnd FindWindow(const char16_t* c, const char16_t* n) override {
        return Timed("FindWindow", [&] { return real_.FindWindow(c, n); });
    }
    Hwnd FindWindowEx(Hwnd p, Hwnd a, const char16_t* c, const char16_t* n) override {
        return Timed("FindWindowEx", [&] { return real_.FindWindowEx(p, a, c, n); });
    }
    void EnumChildWindows(Hwnd p, const std::function<bool(Hwnd)>& v) override {
        int visited = 0;
        Timed("EnumChildWindows", [&] {
            real_.EnumChildWindows(p, [&](Hwnd child) {
                ++visited;
                return v(child);
            });
        });
        if (IsNull(p)) return;
        int& most = walks_[p];
        most = std::max(most, visited);
    }
    Hwnd GetWindow(Hwnd w, Relation r) override { return Timed("GetWindow", [&] { return real_.GetWindow(w, r); }); }
    Hwnd GetParent(Hwnd w) override { return Timed("GetParent", [&] { return real_.GetParent(w); }); }
    std::u16string GetWindowText(Hwnd w, std::size_t n) override {
        return Timed("GetWindowText", [&] { return real_.GetWindowText(w, n); });
    }
    std::u16string GetClassName(Hwnd w, std::size_t n) override {
        return Timed("GetClassName", [&] { return real_.GetClassName(w, n); });
    }
    int GetDlgCtrlID(Hwnd w) override { return Timed("GetDlgCtrlID", [&] { return real_.GetDlgCtrlID(w); }); }
    std::uint32_t GetWindowProcessId(Hwnd w) override {
        return Timed("GetWindowProcessId", [&] { return real_.GetWindowProcessId(w); });
    }
    std::optional<WindowInfo> GetWindowInfo(Hwnd w) override {
        return Timed("GetWindowInfo", [&] { return real_.GetWindowInfo(w); });
    }
    std::optional<Point> ScreenToClient(Hwnd w, Point p) override {
        return Timed("ScreenToClient", [&] { return real_.ScreenToClient(w, p); });
    }
    std::intptr_t Send(Hwnd w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
        Sends(w, 1);
        return Timed("Send", [&] { return real_.Send(w, m, wp, lp); });
    }
    bool Post(Hwnd w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp) override {
        return Timed("Post", [&] { return real_.Post(w, m, wp, lp); });
    }
    // The robot's only timed send asks the browser for its document: part of the page exchange.
    std::optional<std::intptr_t> SendTimeout(Hwnd w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp,
                                             std::uint32_t f, std::uint32_t t) override {
        return Timed("SendTimeout", [&] { return real_.SendTimeout(w, m, wp, lp, f, t); });
    }
    std::uint32_t RegisterWindowMessage(const char16_t* n) override {
        return Timed("RegisterWindowMessage", [&] { return real_.RegisterWindowMessage(n); });
    }
    std::u16string SendGetText(Hwnd w, std::size_t n) override {
        Sends(w, 1);
        return Timed("SendGetText", [&] { return real_.SendGetText(w, n); });
    }
    std::intptr_t SendSetText(Hwnd w, const std::u16string& t) override {
        Sends(w, 1);
        return Timed("SendSetText", [&] { return real_.SendSetText(w, t); });
    }
    std::u16string SendGetLine(Hwnd e, int l, std::size_t n) override {
        Sends(e, 1);
        return Timed("SendGetLine", [&] { return real_.SendGetLine(e, l, n); });
    }
    std::optional<std::u16string> SendGetComboItem(Hwnd c, int i) override {
        Sends(c, 2);
        return Timed("SendGetComboItem", [&] { return real_.SendGetComboItem(c, i); });
    }
    bool SetForegroundWindow(Hwnd w) override {
        return Timed("SetForegroundWindow", [&] { return real_.SetForegroundWindow(w); });
    }
    Hwnd SetActiveWindow(Hwnd w) override {
        return Timed("SetActiveWindow", [&] { return real_.SetActiveWindow(w); });
    }
    bool ShowWindow(Hwnd w, int c) override {
        if (!IsNull(w)) ++done_.shows;
        return Timed("ShowWindow", [&] { return real_.ShowWindow(w, c); });
    }
    bool SetCursorPos(Point p) override { return Timed("SetCursorPos", [&] { return real_.SetCursorPos(p); }); }
    std::optional<Point> GetCursorPos() override {
        return Timed("GetCursorPos", [&] { return real_.GetCursorPos(); });
    }
    void MouseEvent(std::uint32_t f) override {
        Timed("MouseEvent", [&] { real_.MouseEvent(f); });
    }
    Hwnd WindowFromPoint(Point p) override { return Timed("WindowFromPoint", [&] { return real_.WindowFromPoint(p); }); }
    bool ClickAt(Point p) override { return Timed("ClickAt", [&] { return real_.ClickAt(p); }); }
    InputDesk InputDeskState() override { return Timed("InputDeskState", [&] { return real_.InputDeskState(); }); }
    // A pause: the walks before it are settled.
    void Sleep(std::uint32_t ms) override {
        done_ += Walks();
        walks_.clear();
        real_.Sleep(ms);
    }
    bool NotResponding() const override { return real_.NotResponding(); }
    bool HasObjectFromLresult(Module m) override {
        return Timed("HasObjectFromLresult", [&] { return real_.HasObjectFromLresult(m); });
    }
    std::shared_ptr<PageRootDocument> ObjectFromLresult(Module m, std::intptr_t l) override {
        PageExchange();
        return Timed("ObjectFromLresult", [&] { return real_.ObjectFromLresult(m, l); });
    }
    std::shared_ptr<PageAccessible> AccessibleObjectFromPoint(Point p) override {
        PageExchange();
        return Timed("AccessibleObjectFromPoint", [&] { return real_.AccessibleObjectFromPoint(p); });
    }

protected:
    // Each port call, by name, before it is forwarded, and its end. Calls nest:
    // a walk's visitor makes its own.
    virtual void Note(const char*) {}
    virtual void Ended() {}
    // The exchanges counted before the last pause.
    const Exchanges& Settled() const { return done_; }

private:
    template <typename Call>
    std::invoke_result_t<Call&> Timed(const char* name, Call call) {
        struct End {
            CountingDesktop& desktop;
            ~End() { desktop.Ended(); }
        };
        Note(name);
        const End end{*this};
        return call();
    }
    void Sends(Hwnd w, int n) {
        if (!IsNull(w)) done_.sends += n;
    }
    void PageExchange() { ++(done_.pageFirst + done_.pageLater == 0 ? done_.pageFirst : done_.pageLater); }
    Exchanges Walks() const {
        Exchanges w;
        for (const auto& [parent, most] : walks_) {
            ++w.enumerations;
            w.enumeratedWindows += most;
        }
        return w;
    }

    Desktop& real_;
    Exchanges done_;
    std::map<Hwnd, int> walks_;  // parent -> most windows one walk visited, since the last pause
};

}  // namespace qm::bench
