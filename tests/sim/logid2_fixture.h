// The LogiD2 substitute on a fake desktop, and the few robot-side moves the
// tests make through the Desktop port (as the adapter will).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "sim/fake_host.h"
#include "sim/logid2/logid2_sim.h"
#include "testing/fake_desktop.h"

namespace qm::sim::logid2::test {

class LogiD2Fixture : public ::testing::Test {
protected:
    void StartSim(Options options = {}) {
        sim_ = std::make_unique<LogiD2Sim>(host_, std::move(options));
        ASSERT_TRUE(sim_->Start());
    }
    void SetUp() override { StartSim(); }
    void TearDown() override { sim_.reset(); }

    // The moves of the robot, all through the port.
    Hwnd MainWindow() { return d_.FindWindow(u"SmartD2-", nullptr); }
    Hwnd FindDescendant(Hwnd root, const std::u16string& cls, const std::u16string& text, bool anyText = false) {
        Hwnd found{};
        d_.EnumChildWindows(root, [&](Hwnd h) {
            if (d_.GetClassName(h, 127) == cls && (anyText || d_.GetWindowText(h, 127) == text)) {
                found = h;
                return false;
            }
            return true;
        });
        return found;
    }
    // The five messages of a sent click at the client point 15,15.
    void SendClick(Hwnd control) {
        const auto p = msg::MakeLParam(15, 15);
        d_.Send(control, msg::WM_SETFOCUS, 0, 0);
        d_.Send(control, msg::WM_LBUTTONDOWN, msg::MK_LBUTTON, p);
        d_.Send(control, msg::BM_SETSTATE, 1, 0);
        d_.Send(control, msg::WM_LBUTTONUP, 0, p);
        d_.Send(control, msg::BM_SETSTATE, 0, 0);
    }
    void PostClick(Hwnd control) {
        const auto p = msg::MakeLParam(15, 15);
        d_.Post(control, msg::WM_SETFOCUS, 0, 0);
        d_.Post(control, msg::WM_LBUTTONDOWN, msg::MK_LBUTTON, p);
        d_.Post(control, msg::BM_SETSTATE, 1, 0);
        d_.Post(control, msg::WM_LBUTTONUP, 0, p);
        d_.Post(control, msg::BM_SETSTATE, 0, 0);
    }
    void Type(Hwnd edit, const std::u16string& text) {
        for (char16_t c : text) d_.Send(edit, msg::WM_CHAR, c, 0);
    }
    void PostKey(Hwnd control, std::uintptr_t vk) {
        d_.Post(control, msg::WM_KEYDOWN, vk, 0);
        d_.Post(control, msg::WM_KEYUP, vk, 0);
    }
    void SendCommand(Hwnd target, Hwnd control) {
        d_.Send(target, msg::WM_COMMAND, msg::MakeWParam(d_.GetDlgCtrlID(control), 0),
                static_cast<std::intptr_t>(control));
    }
    void PostCommand(Hwnd target, Hwnd control) {
        d_.Post(target, msg::WM_COMMAND, msg::MakeWParam(d_.GetDlgCtrlID(control), 0),
                static_cast<std::intptr_t>(control));
    }
    std::u16string Text(Hwnd h) { return d_.SendGetText(h, 1024); }
    // All lines of an edit joined, as the robot reads them.
    std::u16string Lines(Hwnd edit) {
        std::u16string out;
        const auto n = d_.Send(edit, msg::EM_GETLINECOUNT, 0, 0);
        for (int i = 0; i < n; ++i) {
            const auto index = d_.Send(edit, msg::EM_LINEINDEX, static_cast<std::uintptr_t>(i), 0);
            const auto len = d_.Send(edit, msg::EM_LINELENGTH, static_cast<std::uintptr_t>(index), 0);
            if (len > 0) out += d_.SendGetLine(edit, i, static_cast<std::size_t>(len));
        }
        return out;
    }
    Hwnd Walk(Hwnd from, Relation relation, int steps) {
        Hwnd h = from;
        for (int i = 0; i < steps && !IsNull(h); ++i) h = d_.GetWindow(h, relation);
        return h;
    }
    // The first top-level "#32770" (title given or any) with a direct child
    // Static holding text and a direct child Button buttonText.
    Hwnd FindBox(const char16_t* title, const std::u16string& staticText, const std::u16string& buttonText) {
        Hwnd box{};
        while (!IsNull(box = d_.FindWindowEx(kNoWindow, box, u"#32770", title))) {
            if (!IsNull(d_.FindWindowEx(box, kNoWindow, u"Static", staticText.c_str())) &&
                !IsNull(d_.FindWindowEx(box, kNoWindow, u"Button", buttonText.c_str())))
                return box;
        }
        return kNoWindow;
    }
    Hwnd BoxButton(Hwnd box, const std::u16string& text) { return d_.FindWindowEx(box, kNoWindow, u"Button", text.c_str()); }
    void AnswerBox(Hwnd box, const std::u16string& buttonText) { SendCommand(box, BoxButton(box, buttonText)); }

    Hwnd OpenEntry() {
        const Hwnd main = MainWindow();
        const Hwnd button = FindDescendant(main, u"Button", u"접  수(&N)");
        if (IsNull(button)) return kNoWindow;
        SendClick(button);
        d_.Sleep(100);
        return d_.GetWindow(main, Relation::EnabledPopup);
    }
    const EntryControls& Controls(Hwnd entry) { return sim_->EntryInfo(entry)->controls; }

    // The page of a browser window as the robot reaches it (the message path).
    std::shared_ptr<PageDocument> Document(Hwnd browser) {
        const auto lresult = d_.SendTimeout(browser, d_.RegisterWindowMessage(u"WM_HTML_GETOBJECT"), 0, 0,
                                            msg::SMTO_ABORTIFHUNG, 3000);
        if (!lresult) return nullptr;
        auto root = d_.ObjectFromLresult(testing::FakeDesktop::kOleacc, *lresult);
        auto window = root ? root->GetScriptWindow() : nullptr;
        return window ? window->GetDocument() : nullptr;
    }
    ScriptValue Eval(Hwnd browser, const std::u16string& script) {
        auto document = Document(browser);
        auto window = document ? document->GetParentWindow() : nullptr;
        auto eval = window ? window->QueryEval() : nullptr;
        auto id = eval ? eval->GetDispId(u"eval") : std::nullopt;
        if (!id) return {};
        return eval->Invoke(*id, script);
    }
    std::u16string Url(Hwnd browser) {
        auto document = Document(browser);
        auto url = document ? document->GetUrl() : std::nullopt;
        return url ? *url : std::u16string();
    }
    // The map dialog of the entry window (opened with command 3826), its
    // buttons and browser.
    struct Map {
        Hwnd dialog{}, setOrigin{}, setDestination{}, browser{};
    };
    Map OpenMap(Hwnd entry) {
        d_.Send(entry, msg::WM_COMMAND, 3826, 0);
        Map m;
        m.dialog = d_.FindWindowEx(kNoWindow, kNoWindow, u"#32770", u"지도보기");
        if (IsNull(m.dialog)) return m;
        m.setOrigin = d_.FindWindowEx(m.dialog, kNoWindow, u"Button", u"출발지를 현위치로");
        m.setDestination = d_.FindWindowEx(m.dialog, kNoWindow, u"Button", u"도착지를 현위치로");
        m.browser = FindDescendant(m.dialog, u"Internet Explorer_Server", u"", true);
        return m;
    }
    // Sends a set button's command to its parent, as the adapter does.
    void PressSet(Hwnd button) { SendCommand(d_.GetParent(button), button); }

    testing::FakeDesktop d_;
    FakeHost host_{d_};
    std::unique_ptr<LogiD2Sim> sim_;
};

}  // namespace qm::sim::logid2::test
