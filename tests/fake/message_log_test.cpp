// The sequence matcher that the toolkit and adapter tests compare recordings with.
#include <gtest/gtest.h>

#include <ostream>

#include "testing/fake_desktop.h"

namespace qm::testing {
namespace {

namespace m = qm::msg;

RecordedMessage Rec(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0, bool posted = false) {
    RecordedMessage r;
    r.message = message;
    r.wParam = wParam;
    r.lParam = lParam;
    r.posted = posted;
    r.fromPort = true;
    return r;
}

struct DiffCase {
    const char* name;
    std::vector<RecordedMessage> actual;
    std::vector<ExpectedMessage> expected;
    bool matches;
};
void PrintTo(const DiffCase& c, std::ostream* os) { *os << c.name; }

class DiffTest : public ::testing::TestWithParam<DiffCase> {};

TEST_P(DiffTest, ComparesInOrder) {
    const DiffCase& c = GetParam();
    EXPECT_EQ(DiffMessages(c.actual, c.expected).empty(), c.matches) << c.name << "\n"
                                                                     << DiffMessages(c.actual, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Log, DiffTest,
    ::testing::Values(
        DiffCase{"equal", {Rec(m::WM_SETFOCUS), Rec(m::WM_CHAR, 'a')}, {Sent(m::WM_SETFOCUS), Sent(m::WM_CHAR, 'a')}, true},
        DiffCase{"wrong wParam", {Rec(m::WM_CHAR, 'b')}, {Sent(m::WM_CHAR, 'a')}, false},
        DiffCase{"wrong lParam", {Rec(m::WM_CHAR, 'a', 1)}, {Sent(m::WM_CHAR, 'a', 0)}, false},
        DiffCase{"posted where sent expected", {Rec(m::WM_KEYDOWN, 0, 0, true)}, {Sent(m::WM_KEYDOWN)}, false},
        DiffCase{"either way", {Rec(m::WM_KEYDOWN, 0, 0, true)}, {AnyWay(m::WM_KEYDOWN)}, true},
        DiffCase{"missing message", {Rec(m::WM_SETFOCUS)}, {Sent(m::WM_SETFOCUS), Sent(m::WM_CHAR)}, false},
        DiffCase{"extra message", {Rec(m::WM_SETFOCUS), Rec(m::WM_CHAR)}, {Sent(m::WM_SETFOCUS)}, false},
        DiffCase{"optional present", {Rec(m::WM_SETFOCUS), Rec(m::WM_CHAR)},
                 {Optional(Sent(m::WM_SETFOCUS)), Sent(m::WM_CHAR)}, true},
        DiffCase{"optional absent", {Rec(m::WM_CHAR)}, {Optional(Sent(m::WM_SETFOCUS)), Sent(m::WM_CHAR)}, true},
        DiffCase{"optional at the end", {Rec(m::WM_CHAR)}, {Sent(m::WM_CHAR), Optional(Sent(m::WM_KEYUP))}, true},
        DiffCase{"order matters", {Rec(m::WM_CHAR), Rec(m::WM_SETFOCUS)}, {Sent(m::WM_SETFOCUS), Sent(m::WM_CHAR)}, false},
        DiffCase{"both empty", {}, {}, true}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(MessageLog, ReportNamesTheMessagesAndMarksTheFirstDifference) {
    const std::string report = DiffMessages({Rec(m::WM_SETFOCUS), Rec(m::BM_SETSTATE, 1)},
                                            {Sent(m::WM_SETFOCUS), Sent(m::WM_LBUTTONDOWN, m::MK_LBUTTON)});
    EXPECT_NE(report.find("actual #1 / expected #1"), std::string::npos) << report;
    EXPECT_NE(report.find(" => 1: sent WM_LBUTTONDOWN wParam=0x1 lParam=any"), std::string::npos) << report;
    EXPECT_NE(report.find(" => 1: sent BM_SETSTATE wParam=0x1"), std::string::npos) << report;
}

TEST(MessageLog, NamesRegisteredAndUnknownMessages) {
    EXPECT_EQ(MessageName(m::WM_COMMAND), "WM_COMMAND");
    EXPECT_EQ(MessageName(0xC012), "registered 0xC012");
    EXPECT_EQ(MessageName(0x0401), "0x0401");
}

TEST(MessageLog, RecordsTheTextASetTextCarriedAndWhoSentIt) {
    FakeDesktop d;
    const Hwnd edit = d.Create({.behaviour = Behaviour::Edit});
    d.SendSetText(edit, u"서울");
    d.HostSetText(edit, u"x");
    const auto log = d.Messages(edit);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].text, u"서울");
    EXPECT_TRUE(log[0].fromPort);
    EXPECT_FALSE(log[1].fromPort);
    EXPECT_EQ(PortOnly(log).size(), 1u);
    EXPECT_NE(Describe(log[0]).find("text=\"\\uC11C\\uC6B8\""), std::string::npos) << Describe(log[0]);
}

TEST(MessageLog, RegisteredMessagesAreStablePerNameIgnoringCase) {
    FakeDesktop d;
    const auto html = d.RegisterWindowMessage(u"WM_HTML_GETOBJECT");
    EXPECT_GE(html, 0xC000u);
    EXPECT_EQ(d.RegisterWindowMessage(u"wm_html_getobject"), html);
    EXPECT_NE(d.RegisterWindowMessage(u"Other"), html);
    EXPECT_EQ(d.RegisterWindowMessage(u"Other"), d.RegisterWindowMessage(u"OTHER"));
    EXPECT_EQ(d.RegisterWindowMessage(nullptr), 0u);
    EXPECT_EQ(d.RegisterWindowMessage(u""), 0u);
}

}  // namespace
}  // namespace qm::testing
