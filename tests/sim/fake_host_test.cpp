// The host interface on the fake desktop: what every substitute program relies
// on, seen from the robot's side of the port.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "sim/fake_host.h"
#include "testing/fake_desktop.h"

namespace qm::sim {
namespace {

class FakeHostTest : public ::testing::Test {
protected:
    Hwnd Make(Behaviour b, const std::u16string& cls, const std::u16string& text, int id, Hwnd parent,
              Hwnd target = kNoWindow) {
        WindowSpec s;
        s.behaviour = b;
        s.className = cls;
        s.text = text;
        s.id = id;
        s.parent = parent;
        s.rect = {10, 10, 110, 36};
        s.commandTarget = target;
        return host_.Create(s);
    }
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

TEST_F(FakeHostTest, ExactClassNamesCarryTheChosenBehaviour) {
    const Hwnd frame = TopLevel(u"TFrm_JON01N", u"접수");
    const Hwnd memo = Make(Behaviour::Edit, u"TcxMemo", u"", 5, frame);
    const Hwnd button = Make(Behaviour::Button, u"TcxButton", u"저장", 6, frame);
    const Hwnd label = Make(Behaviour::Label, u"TcxLabel", u"요금", 7, frame);
    EXPECT_EQ(d_.FindWindow(u"TFrm_JON01N", u"접수"), frame);
    EXPECT_EQ(d_.GetClassName(memo, 127), u"TcxMemo");
    d_.Send(memo, msg::WM_CHAR, u'가', 0);
    EXPECT_EQ(d_.SendGetText(memo, 1024), u"가");
    EXPECT_EQ(d_.Send(memo, msg::EM_GETLINECOUNT, 0, 0), 1);
    std::vector<int> clicked;
    host_.OnCommand(frame, [&](int id, int code, Hwnd from) {
        EXPECT_EQ(from, button);
        clicked.push_back(id * 100 + code);
    });
    d_.Send(button, msg::BM_CLICK, 0, 0);
    EXPECT_EQ(clicked, std::vector<int>{600});
    EXPECT_EQ(d_.GetWindowText(label, 127), u"요금");
    // A container needs its class; a standard behaviour does not.
    WindowSpec bare;
    bare.parent = frame;
    EXPECT_TRUE(IsNull(host_.Create(bare)));
    EXPECT_EQ(d_.GetClassName(Make(Behaviour::Combo, u"", u"", 8, frame), 127), u"ComboBox");
}

TEST_F(FakeHostTest, CommandsAndNotificationsGoToTheChosenTarget) {
    const Hwnd frame = TopLevel(u"Main", u"");
    const Hwnd panel = Make(Behaviour::Container, u"Panel", u"", 1, frame);
    const Hwnd edit = Make(Behaviour::Edit, u"", u"", 11, panel, frame);
    WindowSpec c;
    c.behaviour = Behaviour::Combo;
    c.id = 12;
    c.parent = panel;
    c.rect = {10, 40, 110, 140};
    c.items = {u"현금", u"후불"};
    c.commandTarget = frame;
    const Hwnd combo = host_.Create(c);
    std::vector<int> atFrame;
    std::vector<int> atPanel;
    host_.OnCommand(frame, [&](int id, int code, Hwnd) { atFrame.push_back(id * 10000 + code); });
    host_.OnCommand(panel, [&](int id, int code, Hwnd) { atPanel.push_back(id * 10000 + code); });
    d_.Send(edit, msg::WM_CHAR, u'x', 0);
    d_.Send(combo, msg::WM_KEYDOWN, msg::VK_DOWN, 0);
    EXPECT_TRUE(atPanel.empty());
    EXPECT_NE(std::find(atFrame.begin(), atFrame.end(), 11 * 10000 + msg::EN_CHANGE), atFrame.end());
    EXPECT_NE(std::find(atFrame.begin(), atFrame.end(), 12 * 10000 + msg::CBN_SELCHANGE), atFrame.end());
}

TEST_F(FakeHostTest, KeyHooksSeeSentAndPostedKeysAndMayConsumeThem) {
    const Hwnd frame = TopLevel(u"Main", u"");
    const Hwnd edit = Make(Behaviour::Edit, u"", u"", 1, frame);
    std::vector<std::uint32_t> keys;
    host_.OnKey(edit, [&](std::uint32_t vk) {
        keys.push_back(vk);
        return vk == msg::VK_DELETE;  // this box keeps its text
    });
    d_.Send(edit, msg::WM_CHAR, u'a', 0);
    d_.Send(edit, msg::EM_SETSEL, 0, -1);
    d_.Post(edit, msg::WM_KEYDOWN, msg::VK_DELETE, 0);
    d_.Send(edit, msg::WM_KEYDOWN, msg::VK_RETURN, 0);
    EXPECT_EQ(keys, std::vector<std::uint32_t>{msg::VK_RETURN}) << "posted: not before the clock moves";
    d_.Sleep(10);
    EXPECT_EQ(keys, (std::vector<std::uint32_t>{msg::VK_RETURN, msg::VK_DELETE}));
    EXPECT_EQ(d_.SendGetText(edit, 1024), u"a");
}

TEST_F(FakeHostTest, TextHookSeesInputButNotTheProgramsOwnText) {
    const Hwnd frame = TopLevel(u"Main", u"");
    const Hwnd edit = Make(Behaviour::Edit, u"", u"", 1, frame);
    int changes = 0;
    host_.OnTextChanged(edit, [&] { ++changes; });
    host_.SetText(edit, u"shown by the program");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(host_.GetText(edit), u"shown by the program");
    d_.Send(edit, msg::WM_CHAR, u'x', 0);
    EXPECT_EQ(changes, 1);
    d_.SendSetText(edit, u"from another program");
    EXPECT_EQ(changes, 2);
}

// As on Win32: a drop-down list shows only its selected item; an editable
// combo shows its creation text and takes texts set from either side.
TEST_F(FakeHostTest, OnlyEditableCombosTakeATextOfTheirOwn) {
    const Hwnd frame = TopLevel(u"Main", u"");
    for (const bool editable : {false, true}) {
        SCOPED_TRACE(editable ? "editable" : "drop-down list");
        WindowSpec c;
        c.behaviour = Behaviour::Combo;
        c.text = u"직접 입력";
        c.id = 12;
        c.parent = frame;
        c.items = {u"현금", u"후불"};
        c.editable = editable;
        const Hwnd combo = host_.Create(c);
        const std::u16string created = editable ? u"직접 입력" : u"";
        EXPECT_EQ(host_.GetText(combo), created);
        EXPECT_EQ(d_.SendGetText(combo, 1024), created);
        EXPECT_EQ(d_.GetWindowText(combo, 127), u"");  // never the caption
        int changes = 0;
        host_.OnTextChanged(combo, [&] { ++changes; });
        host_.SetText(combo, u"마일리지");
        EXPECT_EQ(host_.GetText(combo), editable ? u"마일리지" : u"");
        EXPECT_EQ(d_.SendSetText(combo, u"카드"), editable ? 1 : msg::CB_ERR);
        EXPECT_EQ(host_.GetText(combo), editable ? u"카드" : u"");
        EXPECT_EQ(changes, editable ? 1 : 0);
        host_.SetSelection(combo, 1);
        EXPECT_EQ(d_.SendGetText(combo, 1024), u"후불");
    }
}

TEST_F(FakeHostTest, CloseHookDecidesAndDestroyHooksRunOnceForOwnedWindows) {
    const Hwnd main = TopLevel(u"Main", u"");
    const Hwnd popup = TopLevel(u"#32770", u"popup", main);
    const Hwnd box = TopLevel(u"#32770", u"box", popup);
    std::vector<std::string> destroyed;
    host_.OnDestroy(popup, [&] { destroyed.push_back("popup"); });
    host_.OnDestroy(box, [&] { destroyed.push_back("box"); });
    bool allow = false;
    host_.OnClose(popup, [&] { return allow; });
    d_.Send(popup, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
    EXPECT_TRUE(d_.IsWindow(popup));
    allow = true;
    d_.Send(popup, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
    EXPECT_FALSE(d_.IsWindow(popup));
    EXPECT_FALSE(d_.IsWindow(box));
    EXPECT_EQ(destroyed, (std::vector<std::string>{"box", "popup"}));
    host_.Destroy(popup);  // already gone: nothing happens
    EXPECT_EQ(destroyed.size(), 2u);
}

TEST_F(FakeHostTest, TimersFireOnTheVirtualClockAndCanBeCancelled) {
    std::vector<int> fired;
    host_.StartTimer(300, [&] { fired.push_back(300); });
    const TimerId cancelled = host_.StartTimer(200, [&] { fired.push_back(200); });
    host_.StartTimer(0, [&] { fired.push_back(0); });
    EXPECT_TRUE(fired.empty()) << "never inside StartTimer";
    host_.CancelTimer(cancelled);
    d_.Sleep(250);
    EXPECT_EQ(fired, std::vector<int>{0});
    d_.Sleep(100);
    EXPECT_EQ(fired, (std::vector<int>{0, 300}));
}

TEST_F(FakeHostTest, MessageBoxAnswersOnceWithTheButtonPressed) {
    const Hwnd main = TopLevel(u"Main", u"");
    std::vector<int> answers;
    MessageBoxSpec desc;
    desc.title = u"확인";
    desc.text = u"저장할까요?";
    desc.buttons = {{u"예(&Y)", kIdYes}, {u"아니오(&N)", kIdNo}};
    desc.owner = main;
    const Hwnd box = ShowMessageBox(host_, desc, [&](int id) { answers.push_back(id); });
    EXPECT_EQ(d_.FindWindowEx(kNoWindow, kNoWindow, u"#32770", u"확인"), box);
    const Hwnd icon = d_.FindWindowEx(box, kNoWindow, u"Static", nullptr);
    const Hwnd text = d_.FindWindowEx(box, icon, u"Static", nullptr);
    EXPECT_EQ(d_.GetWindowText(icon, 127), u"");
    EXPECT_EQ(d_.GetWindowText(text, 127), u"저장할까요?");
    const Hwnd no = d_.FindWindowEx(box, kNoWindow, u"Button", u"아니오(&N)");
    d_.Post(box, msg::WM_COMMAND, msg::MakeWParam(kIdNo, 0), static_cast<std::intptr_t>(no));
    d_.Post(box, msg::WM_COMMAND, msg::MakeWParam(kIdYes, 0), 0);
    d_.Sleep(10);
    EXPECT_EQ(answers, std::vector<int>{kIdNo});
    EXPECT_FALSE(d_.IsWindow(box));

    // Closing a box answers its cancel id.
    desc.cancelId = kIdNo;
    const Hwnd second = ShowMessageBox(host_, desc, [&](int id) { answers.push_back(id * 10); });
    d_.Send(second, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
    EXPECT_EQ(answers, (std::vector<int>{kIdNo, kIdNo * 10}));
}

TEST_F(FakeHostTest, PlaceAfterArrangesTheZOrder) {
    const Hwnd main = TopLevel(u"Main", u"");
    const Hwnd a = TopLevel(u"#32770", u"확인", main);
    const Hwnd b = TopLevel(u"#32770", u"확인", main);
    EXPECT_EQ(d_.FindWindowEx(kNoWindow, kNoWindow, u"#32770", u"확인"), b) << "the newest is on top";
    host_.PlaceAfter(b, a);
    EXPECT_EQ(d_.FindWindowEx(kNoWindow, kNoWindow, u"#32770", u"확인"), a);
}

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
    host_.SetPageUrl(browser, u"http://map/?a=2");
    EXPECT_EQ(host_.PageUrl(browser), u"http://map/?a=2");
    host_.Page(browser)->eval = [](const std::u16string&) { return ScriptValue{u"test", false}; };
    EXPECT_EQ(host_.EvaluateInPage(browser, u"x").text, std::optional<std::u16string>(u"test"));
}

}  // namespace
}  // namespace qm::sim
