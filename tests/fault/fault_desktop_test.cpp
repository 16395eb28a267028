// The fault harness itself: when the fault strikes, what a vanished program
// leaves behind (nothing, and it runs no code on the way out), how the calls
// are told apart, and what counts as reaching a program found not responding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/messages.h"
#include "testing/fake_desktop.h"
#include "testing/fault_desktop.h"

namespace qm::testing {
namespace {

constexpr int kProgram = 2;

struct Program {
    FakeDesktop d;
    Hwnd main = d.Create({.className = u"Main", .text = u"Program", .process = kProgram});
    Hwnd edit = d.Create({.behaviour = Behaviour::Edit, .text = u"text", .parent = main});
    Hwnd browser = d.Create({.className = u"Internet Explorer_Server", .parent = main});
    Hwnd other = d.Create({.className = u"Other", .text = u"Another program", .process = 3});
};

TEST(FaultDesktop, TheFaultStrikesRightAfterTheNthCall) {
    for (Fault fault : {Fault::Vanish, Fault::Hang}) {
        for (std::size_t n = 1; n <= 3; ++n) {
            Program p;
            FaultDesktop port(p.d, kProgram, fault, n);
            std::vector<bool> firedBefore;
            for (int call = 1; call <= 4; ++call) {
                firedBefore.push_back(port.Fired());
                port.GetWindowText(p.main, 63);
            }
            const std::string where = std::to_string(static_cast<int>(fault)) + "/" + std::to_string(n);
            for (std::size_t call = 1; call <= 4; ++call)
                EXPECT_EQ(call > n, firedBefore[call - 1]) << where << " before call " << call;
            EXPECT_EQ(4u, port.Calls()) << where;
            EXPECT_EQ(fault == Fault::Vanish, !p.d.IsWindow(p.main)) << where;
            EXPECT_EQ(fault == Fault::Hang, p.d.IsHung(p.main)) << where;
            EXPECT_TRUE(p.d.IsWindow(p.other)) << where << ": another program is left alone";
        }
    }
}

TEST(FaultDesktop, CallsInsideAnEnumerationCountInTheOrderTheyAreMade) {
    Program p;
    FaultDesktop port(p.d, kProgram, Fault::Vanish, 2);
    std::vector<std::u16string> classes;
    port.EnumChildWindows(p.main, [&](Hwnd child) {
        classes.push_back(port.GetClassName(child, 63));  // call 2 ends the program
        return true;
    });
    EXPECT_EQ(std::vector<std::u16string>{u"Edit"}, classes) << "the browser is gone before its turn";
    ASSERT_EQ(2u, port.Calls());
    EXPECT_STREQ("EnumChildWindows", port.Log()[0].name);
    EXPECT_STREQ("GetClassName", port.Log()[1].name);
    EXPECT_TRUE(port.Fired());
}

TEST(FakeDesktopEndProcess, TheProgramGoesWithoutRunningAnyOfItsCode) {
    Program p;
    int destroyHeard = 0, timersFired = 0;
    p.d.AddMessageHook(p.edit, [&](const Message& m) -> std::optional<std::intptr_t> {
        if (m.message == fakemsg::WM_DESTROY) ++destroyHeard;
        return std::nullopt;
    });
    p.d.SetTimer(100, [&] { ++timersFired; });                         // no owner
    p.d.SetTimer(100, [&] { ++timersFired; }, false, p.main);          // owned by the program
    p.d.SetTimer(100, [&] { ++timersFired; }, false, p.other);         // another program's
    auto page = p.d.AttachPage(p.browser);
    p.d.Post(p.edit, msg::WM_CHAR, u'x', 0);

    EXPECT_EQ(3u, p.d.EndProcess(kProgram));
    EXPECT_FALSE(p.d.IsWindow(p.main) || p.d.IsWindow(p.edit) || p.d.IsWindow(p.browser));
    EXPECT_EQ(0, destroyHeard);
    EXPECT_FALSE(page->Attached());
    EXPECT_EQ(0u, p.d.PostedCount());
    p.d.Sleep(200);
    EXPECT_EQ(1, timersFired) << "only the other program's timer";
    EXPECT_EQ(std::vector<Hwnd>{p.other}, p.d.TopLevelWindows());
}

// Which calls reach out to the program, and which of them count once it was
// found not responding: posts, clicks and page calls; never sends, which the
// port refuses at once.
TEST(FaultDesktop, WhatReachesAProgramFoundNotResponding) {
    struct Case {
        const char* name;
        void (*call)(FaultDesktop& port, Program& p);
        CallKind kind;
        bool counted;
    };
    const Case cases[] = {
        {"Send", [](FaultDesktop& port, Program& p) { port.Send(p.edit, msg::WM_CHAR, u'a', 0); }, CallKind::Sent, false},
        {"SendGetText", [](FaultDesktop& port, Program& p) { port.SendGetText(p.edit, 10); }, CallKind::Sent, false},
        {"ShowWindow", [](FaultDesktop& port, Program& p) { port.ShowWindow(p.main, msg::SW_HIDE); }, CallKind::Sent,
         false},
        {"Post", [](FaultDesktop& port, Program& p) { port.Post(p.edit, msg::WM_CHAR, u'a', 0); }, CallKind::Posted,
         true},
        {"MouseEvent", [](FaultDesktop& port, Program&) { port.MouseEvent(msg::MOUSEEVENTF_LEFTDOWN); },
         CallKind::Posted, true},
        {"AccessibleObjectFromPoint", [](FaultDesktop& port, Program&) { port.AccessibleObjectFromPoint({5, 5}); },
         CallKind::Page, true},
        {"ObjectFromLresult", [](FaultDesktop& port, Program&) { port.ObjectFromLresult(FakeDesktop::kOleacc, 0); },
         CallKind::Look, false},
        {"FindWindow", [](FaultDesktop& port, Program&) { port.FindWindow(u"Main", nullptr); }, CallKind::Look, false},
    };
    for (const Case& c : cases) {
        Program p;
        FaultDesktop port(p.d, kProgram, Fault::Hang, 1);
        port.Sleep(0);                              // call 1: then the program hangs
        port.Send(p.main, msg::WM_GETTEXTLENGTH, 0, 0);  // call 2 finds out
        ASSERT_TRUE(port.NotResponding()) << c.name;
        c.call(port, p);                            // call 3
        ASSERT_EQ(3u, port.Calls()) << c.name;
        EXPECT_EQ(c.kind, port.Log()[2].kind) << c.name;
        EXPECT_TRUE(port.Log()[2].afterNotResponding) << c.name;
        EXPECT_EQ(c.counted ? 1u : 0u, port.ReachedAfterNotResponding().size()) << c.name;
        EXPECT_EQ(c.kind == CallKind::Look ? 2u : 3u, port.LastReaching()) << c.name;
    }
}

}  // namespace
}  // namespace qm::testing
