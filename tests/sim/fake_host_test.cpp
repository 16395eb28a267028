// What only the fake host does: a hang in virtual time, and pages whose
// answers a test replaces. What both hosts do is the host contract
// (host_contract_test.cpp).
#include <gtest/gtest.h>

#include <string>

#include "platform/messages.h"
#include "sim/fake_host.h"
#include "testing/fake_desktop.h"

namespace qm::sim {
namespace {

class FakeHostTest : public ::testing::Test {
protected:
    Hwnd TopLevel(const std::u16string& cls, const std::u16string& text, Hwnd owner = kNoWindow) {
        WindowSpec s;
        s.behaviour = cls == u"#32770" ? Behaviour::Dialog : Behaviour::Container;
        s.className = cls;
        s.text = text;
        s.owner = owner;
        s.rect = {0, 0, 400, 300};
        return host_.Create(s);
    }

    testing::FakeDesktop d_;
    FakeHost host_{d_};
};

TEST_F(FakeHostTest, HangMakesTheRobotsSendsTimeOutForAWhile) {
    const Hwnd main = TopLevel(u"Main", u"LogiD2");
    host_.Hang(10000);
    EXPECT_EQ(d_.Send(main, msg::WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_TRUE(d_.NotResponding());
    d_.ResetNotResponding();
    d_.Sleep(10000);
    EXPECT_EQ(d_.Send(main, msg::WM_GETTEXTLENGTH, 0, 0), 6);
    EXPECT_FALSE(d_.NotResponding());
}

TEST_F(FakeHostTest, PagesAnswerThroughTheInterpreterAndATestMayReplaceIt) {
    const Hwnd dialog = TopLevel(u"#32770", u"지도보기");
    WindowSpec b;
    b.behaviour = Behaviour::Browser;
    b.parent = dialog;
    b.rect = {0, 0, 300, 200};
    const Hwnd browser = host_.Create(b);
    EXPECT_EQ(d_.GetClassName(browser, 100), u"Internet Explorer_Server");
    PageSpec page;
    page.url = u"http://map/?a=1";
    page.interpreter = [](const std::u16string& s) { return ScriptValue{s + u"!", true}; };
    host_.AttachPage(browser, page);
    EXPECT_EQ(host_.EvaluateInPage(browser, u"x").text, std::optional<std::u16string>(u"x!"));
    EXPECT_TRUE(host_.Page(browser)->scripts.empty()) << "the program's own evaluation is not the robot's";
    host_.Page(browser)->eval = [](const std::u16string&) { return ScriptValue{u"test", false}; };
    EXPECT_EQ(host_.EvaluateInPage(browser, u"x").text, std::optional<std::u16string>(u"test"));
}

}  // namespace
}  // namespace qm::sim
