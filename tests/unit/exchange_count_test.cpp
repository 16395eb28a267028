// The benchmark's count of the exchanges an entry makes with the program: the
// limit it prints is made of these counts, so a miscount moves every limit.
#include "tools/bench/counting_desktop.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "testing/fake_desktop.h"

namespace qm::bench {
namespace {

using testing::Behaviour;
using testing::FakeDesktop;

struct Windows {
    Hwnd main, group, edit, combo;
};

struct Case {
    std::string name;
    std::function<void(CountingDesktop&, const Windows&)> run;
    Exchanges expected;
};

// Visits every descendant, or stops at the first.
void Walk(Desktop& d, Hwnd parent, bool all = true) {
    d.EnumChildWindows(parent, [all](Hwnd) { return all; });
}

TEST(ExchangeCount, CountsEachExchangeAsTheFloorWeighsIt) {
    const std::vector<Case> cases = {
        {"one walk: every window it visits",
         [](CountingDesktop& d, const Windows& w) { Walk(d, w.main); }, {.enumerations = 1, .enumeratedWindows = 3}},
        {"the same parent again before a pause: once, with its largest visit",
         [](CountingDesktop& d, const Windows& w) {
             Walk(d, w.main, false);
             Walk(d, w.main);
             Walk(d, w.main, false);
         },
         {.enumerations = 1, .enumeratedWindows = 3}},
        {"the same parent after a pause: again",
         [](CountingDesktop& d, const Windows& w) {
             Walk(d, w.main);
             d.Sleep(10);
             Walk(d, w.main);
         },
         {.enumerations = 2, .enumeratedWindows = 6}},
        {"another parent: another walk",
         [](CountingDesktop& d, const Windows& w) {
             Walk(d, w.main);
             Walk(d, w.group);
         },
         {.enumerations = 2, .enumeratedWindows = 4}},
        {"a null parent: no walk",
         [](CountingDesktop& d, const Windows&) { Walk(d, kNoWindow); }, {}},
        {"page exchanges: the process's first apart",
         [](CountingDesktop& d, const Windows&) {
             for (int i = 0; i < 3; ++i) d.ObjectFromLresult(FakeDesktop::kOleacc, 0);
             d.AccessibleObjectFromPoint({1, 1});
         },
         {.pageFirst = 1, .pageLater = 3}},
        {"the document's timed send belongs to the page exchange",
         [](CountingDesktop& d, const Windows& w) {
             d.SendTimeout(w.main, d.RegisterWindowMessage(u"WM_HTML_GETOBJECT"), 0, 0, msg::SMTO_ABORTIFHUNG, 3000);
         },
         {}},
        {"sends: a combo item is two, a null window and a post none; a show is a show",
         [](CountingDesktop& d, const Windows& w) {
             d.Send(w.edit, msg::WM_NULL, 0, 0);
             d.SendGetText(w.edit, 10);
             d.SendSetText(w.edit, u"x");
             d.SendGetLine(w.edit, 0, 10);
             d.SendGetComboItem(w.combo, 0);
             d.ShowWindow(w.group, msg::SW_SHOW);
             d.Send(kNoWindow, msg::WM_NULL, 0, 0);
             d.Post(w.edit, msg::WM_NULL, 0, 0);
         },
         {.sends = 6, .shows = 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDesktop fake;
        Windows w{};
        w.main = fake.Create({.behaviour = Behaviour::Dialog, .rect = {0, 0, 400, 400}});
        w.group = fake.Create({.behaviour = Behaviour::Dialog, .parent = w.main, .rect = {0, 0, 200, 200}});
        w.edit = fake.Create({.behaviour = Behaviour::Edit, .parent = w.group, .rect = {0, 0, 100, 20}});
        w.combo = fake.Create({.behaviour = Behaviour::Combo, .parent = w.main, .rect = {0, 30, 100, 50}});
        CountingDesktop counting(fake);
        c.run(counting, w);
        const Exchanges n = counting.Total();
        EXPECT_EQ(n.pageFirst, c.expected.pageFirst);
        EXPECT_EQ(n.pageLater, c.expected.pageLater);
        EXPECT_EQ(n.sends, c.expected.sends);
        EXPECT_EQ(n.shows, c.expected.shows);
        EXPECT_EQ(n.enumerations, c.expected.enumerations);
        EXPECT_EQ(n.enumeratedWindows, c.expected.enumeratedWindows);
    }
}

}  // namespace
}  // namespace qm::bench
