// The host contract: what every substitute may rely on of its host, the same
// cases on the fake host (natively) and on the Win32 host with real windows
// (under Wine). The rules are those of sim/host.h; each world is in
// host_world.h. Class names carry the test's name: on Win32 a registered class
// outlives the host that registered it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "sim/host.h"
#include "tests/sim/host_world.h"

namespace qm::sim::test {
namespace {

class HostContract : public ::testing::Test {
protected:
    Host& host() { return world_->host(); }
    Desktop& robot() { return world_->robot(); }

    Hwnd Child(Behaviour b, const std::u16string& cls, const std::u16string& text, int id, Hwnd parent,
               Rect rect = {10, 10, 110, 36}, Hwnd target = kNoWindow) {
        WindowSpec s;
        s.behaviour = b;
        s.className = cls;
        s.text = text;
        s.id = id;
        s.parent = parent;
        s.rect = rect;
        s.commandTarget = target;
        return host().Create(s);
    }
    Hwnd TopLevel(const std::u16string& cls, const std::u16string& text, Hwnd owner = kNoWindow) {
        WindowSpec s;
        s.behaviour = cls == u"#32770" ? Behaviour::Dialog : Behaviour::Container;
        s.className = cls;
        s.text = text;
        s.owner = owner;
        s.rect = {40, 40, 440, 340};
        return host().Create(s);
    }
    Hwnd Combo(Hwnd parent, std::vector<std::u16string> items, bool editable = false, Hwnd target = kNoWindow) {
        WindowSpec c;
        c.behaviour = Behaviour::Combo;
        c.id = 12;
        c.parent = parent;
        c.rect = {10, 40, 110, 140};
        c.items = std::move(items);
        c.editable = editable;
        c.commandTarget = target;
        return host().Create(c);
    }
    // Records every command arriving at window as "name id/code".
    void Record(Hwnd window, const std::string& name) {
        host().OnCommand(window, [this, name](int id, int code, Hwnd) {
            commands_.push_back(name + " " + std::to_string(id) + "/" + std::to_string(code));
        });
    }
    bool Saw(const std::string& command) const {
        return std::find(commands_.begin(), commands_.end(), command) != commands_.end();
    }
    std::vector<std::u16string> ChildTexts(Hwnd parent) {
        std::vector<std::u16string> out;
        for (Hwnd h = robot().GetWindow(parent, Relation::Child); !IsNull(h); h = robot().GetWindow(h, Relation::Next))
            out.push_back(robot().GetClassName(h, 127) + u":" + robot().GetWindowText(h, 127));
        return out;
    }
    static std::intptr_t L(Hwnd h) { return static_cast<std::intptr_t>(h); }

    std::unique_ptr<HostWorld> world_ = MakeHostWorld();
    std::vector<std::string> commands_;
};

TEST_F(HostContract, ExactClassNamesCarryOneBehaviourEach) {
    const Hwnd frame = TopLevel(u"QmcClassFrame", u"접수");
    const Hwnd memo = Child(Behaviour::Edit, u"QmcClassMemo", u"", 5, frame);
    const Hwnd button = Child(Behaviour::Button, u"QmcClassButton", u"저장", 6, frame, {10, 40, 110, 66});
    const Hwnd label = Child(Behaviour::Label, u"QmcClassLabel", u"요금", 7, frame, {10, 70, 110, 96});
    ASSERT_FALSE(IsNull(memo) || IsNull(button) || IsNull(label));
    EXPECT_EQ(robot().FindWindow(u"QmcClassFrame", u"접수"), frame);
    EXPECT_EQ(robot().GetClassName(memo, 127), u"QmcClassMemo");
    robot().Send(memo, msg::WM_CHAR, u'가', 0);
    EXPECT_EQ(robot().SendGetText(memo, 1024), u"가");
    EXPECT_EQ(robot().Send(memo, msg::EM_GETLINECOUNT, 0, 0), 1);
    host().OnCommand(frame, [&](int id, int code, Hwnd from) {
        EXPECT_EQ(from, button);
        commands_.push_back(std::to_string(id) + "/" + std::to_string(code));
    });
    robot().Send(button, msg::BM_CLICK, 0, 0);
    EXPECT_EQ(commands_, std::vector<std::string>{"6/0"});
    EXPECT_EQ(robot().GetWindowText(label, 127), u"요금");

    // A name keeps its behaviour, whatever its case; a push button and a check
    // box share one; a container needs its class.
    EXPECT_TRUE(IsNull(Child(Behaviour::Button, u"QmcClassMemo", u"", 8, frame)));
    EXPECT_TRUE(IsNull(Child(Behaviour::Label, u"qmcclassmemo", u"", 8, frame)));
    EXPECT_TRUE(IsNull(Child(Behaviour::Label, u"Edit", u"", 8, frame)));
    EXPECT_FALSE(IsNull(Child(Behaviour::Edit, u"QMCCLASSMEMO", u"", 8, frame)));
    EXPECT_FALSE(IsNull(Child(Behaviour::CheckBox, u"QmcClassButton", u"탁송", 9, frame)));
    WindowSpec bare;
    bare.parent = frame;
    EXPECT_TRUE(IsNull(host().Create(bare)));
    EXPECT_EQ(robot().GetClassName(Combo(frame, {}), 127), u"ComboBox");
}

TEST_F(HostContract, CommandsAreHandledAtTheNamedControlsTarget) {
    const Hwnd frame = TopLevel(u"QmcRouteFrame", u"");
    const Hwnd panel = Child(Behaviour::Container, u"QmcRoutePanel", u"", 1, frame, {0, 0, 300, 200});
    const Hwnd edit = Child(Behaviour::Edit, u"", u"", 11, panel, {10, 10, 110, 36}, frame);
    const Hwnd combo = Combo(panel, {u"현금", u"후불"}, false, frame);
    const Hwnd button = Child(Behaviour::Button, u"", u"확인", 13, panel, {10, 150, 110, 176});
    Record(frame, "frame");
    Record(panel, "panel");

    // The controls' own notifications.
    robot().Send(edit, msg::WM_CHAR, u'x', 0);
    robot().Send(combo, msg::WM_KEYDOWN, msg::VK_DOWN, 0);
    EXPECT_TRUE(Saw("frame 11/768")) << "EN_CHANGE";
    EXPECT_TRUE(Saw("frame 12/1")) << "CBN_SELCHANGE";
    EXPECT_FALSE(Saw("panel 11/768") || Saw("panel 12/1"));
    robot().Send(button, msg::BM_CLICK, 0, 0);
    EXPECT_TRUE(Saw("panel 13/0"));

    // Another program's commands, sent or posted to the wrong window.
    commands_.clear();
    robot().Send(frame, msg::WM_COMMAND, msg::MakeWParam(13, 0), L(button));
    robot().Post(panel, msg::WM_COMMAND, msg::MakeWParam(11, 0), L(edit));
    robot().Send(panel, msg::WM_COMMAND, msg::MakeWParam(77, 0), 0);
    EXPECT_EQ(commands_, (std::vector<std::string>{"panel 13/0", "panel 77/0"}));
    world_->Pump(20);
    EXPECT_EQ(commands_, (std::vector<std::string>{"panel 13/0", "panel 77/0", "frame 11/0"}));
}

TEST_F(HostContract, KeyHooksSeeSentAndPostedKeysAndMayConsumeThem) {
    const Hwnd frame = TopLevel(u"QmcKeyFrame", u"");
    const Hwnd edit = Child(Behaviour::Edit, u"", u"", 1, frame);
    std::vector<std::uint32_t> keys;
    host().OnKey(edit, [&](std::uint32_t vk) {
        keys.push_back(vk);
        return vk == msg::VK_DELETE;  // this box keeps its text
    });
    robot().Send(edit, msg::WM_CHAR, u'a', 0);
    robot().Send(edit, msg::EM_SETSEL, 0, -1);
    robot().Post(edit, msg::WM_KEYDOWN, msg::VK_DELETE, 0);
    robot().Send(edit, msg::WM_KEYDOWN, msg::VK_RETURN, 0);
    EXPECT_EQ(keys, std::vector<std::uint32_t>{msg::VK_RETURN}) << "posted: not before the program runs";
    world_->Pump(20);
    EXPECT_EQ(keys, (std::vector<std::uint32_t>{msg::VK_RETURN, msg::VK_DELETE}));
    EXPECT_EQ(robot().SendGetText(edit, 1024), u"a");
}

TEST_F(HostContract, EditBoxesTellTheirTargetOfFocus) {
    const Hwnd frame = TopLevel(u"QmcFocusFrame", u"");
    const Hwnd panel = Child(Behaviour::Container, u"QmcFocusPanel", u"", 1, frame, {0, 0, 300, 200});
    const Hwnd edit = Child(Behaviour::Edit, u"", u"", 21, panel, {10, 10, 110, 36}, frame);
    const Hwnd button = Child(Behaviour::Button, u"", u"확인", 22, panel, {10, 50, 110, 76});
    std::vector<std::string> seen;
    host().OnFocus(edit, [&](bool gained) { seen.push_back(gained ? "edit gained" : "edit lost"); });
    host().OnFocus(button, [&](bool gained) { seen.push_back(gained ? "button gained" : "button lost"); });
    host().OnCommand(frame, [&](int id, int code, Hwnd) {
        if (code == kEnSetFocus || code == kEnKillFocus)
            seen.push_back("frame " + std::to_string(id) + (code == kEnSetFocus ? " EN_SETFOCUS" : " EN_KILLFOCUS"));
    });
    robot().Send(edit, msg::WM_SETFOCUS, 0, 0);
    robot().Send(edit, msg::WM_KILLFOCUS, 0, 0);
    robot().Send(button, msg::WM_SETFOCUS, 0, 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"edit gained", "frame 21 EN_SETFOCUS", "edit lost",
                                              "frame 21 EN_KILLFOCUS", "button gained"}));
}

TEST_F(HostContract, TextHookSeesInputAndOtherProgramsTextsButNotTheProgramsOwn) {
    const Hwnd frame = TopLevel(u"QmcTextFrame", u"");
    const Hwnd edit = Child(Behaviour::Edit, u"", u"", 1, frame);
    const Hwnd label = Child(Behaviour::Label, u"", u"요금", 2, frame, {10, 40, 110, 66});
    const Hwnd list = Combo(frame, {u"현금", u"후불"});
    int edits = 0, labels = 0, lists = 0;
    host().OnTextChanged(edit, [&] { ++edits; });
    host().OnTextChanged(label, [&] { ++labels; });
    host().OnTextChanged(list, [&] { ++lists; });

    host().SetText(edit, u"shown by the program");
    host().SetText(label, u"수수료");
    host().SetSelection(list, 1);
    EXPECT_EQ(host().GetText(edit), u"shown by the program");
    EXPECT_EQ(edits + labels + lists, 0);
    robot().Send(edit, msg::WM_CHAR, u'x', 0);
    EXPECT_EQ(edits, 1);
    robot().SendSetText(edit, u"from another program");
    EXPECT_EQ(edits, 2);
    robot().SendSetText(label, u"후불");
    EXPECT_EQ(labels, 1);
    EXPECT_EQ(host().GetText(label), u"후불");
    robot().Send(list, msg::CB_SETCURSEL, 0, 0);
    EXPECT_EQ(robot().SendSetText(list, u"카드"), msg::CB_ERR);
    EXPECT_EQ(lists, 0) << "a selection is no text change; a drop-down list refuses a text";
}

// A drop-down list shows only its selected item; an editable combo shows its
// creation text and takes texts set from either side; both answer for items.
TEST_F(HostContract, CombosListTheirItemsAndOnlyEditableOnesTakeATextOfTheirOwn) {
    const Hwnd frame = TopLevel(u"QmcComboFrame", u"");
    for (const bool editable : {false, true}) {
        SCOPED_TRACE(editable ? "editable" : "drop-down list");
        WindowSpec c;
        c.behaviour = Behaviour::Combo;
        c.text = u"직접 입력";
        c.id = editable ? 31 : 32;
        c.parent = frame;
        c.rect = {10, editable ? 10 : 60, 110, 160};
        c.items = {u"현금", u"후불"};
        c.editable = editable;
        const Hwnd combo = host().Create(c);
        EXPECT_EQ(robot().Send(combo, msg::CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(robot().SendGetComboItem(combo, 1), std::optional<std::u16string>(u"후불"));
        const std::u16string created = editable ? u"직접 입력" : u"";
        EXPECT_EQ(host().GetText(combo), created);
        EXPECT_EQ(robot().SendGetText(combo, 1024), created);
        int changes = 0;
        host().OnTextChanged(combo, [&] { ++changes; });
        host().SetText(combo, u"마일리지");
        EXPECT_EQ(host().GetText(combo), editable ? u"마일리지" : u"");
        EXPECT_EQ(robot().SendSetText(combo, u"카드"), editable ? 1 : msg::CB_ERR);
        EXPECT_EQ(host().GetText(combo), editable ? u"카드" : u"");
        EXPECT_EQ(changes, editable ? 1 : 0);
        host().SetSelection(combo, 1);
        EXPECT_EQ(robot().SendGetText(combo, 1024), u"후불");
        EXPECT_EQ(robot().Send(combo, msg::CB_GETCURSEL, 0, 0), 1);
        robot().Send(combo, msg::CB_SETCURSEL, 0, 0);
        EXPECT_EQ(host().GetSelection(combo), 0);
        EXPECT_EQ(host().GetText(combo), u"현금");
    }
}

TEST_F(HostContract, MouseHookSeesSentPostedAndRealClicksWithTheClientPoint) {
    const Hwnd frame = TopLevel(u"QmcMouseFrame", u"");
    const Hwnd label = Child(Behaviour::Label, u"QmcMouseLabel", u"발신☎", 41, frame, {20, 20, 120, 44});
    const Hwnd button = Child(Behaviour::Button, u"", u"접 수", 42, frame, {20, 60, 120, 86});
    std::vector<std::string> events;
    host().OnMouse(label, [&](const MouseEvent& e) {
        events.push_back(std::string(e.down ? "down " : "up ") + std::to_string(e.client.x) + "," +
                         std::to_string(e.client.y));
        return false;
    });
    // A click on a label at 10,5, as a program that clicks labels sends it.
    robot().Send(label, msg::WM_LBUTTONDOWN, 0, msg::MakeLParam(10, 5));
    robot().Send(label, msg::WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"down 10,5", "up 0,0"}));
    robot().Post(label, msg::WM_LBUTTONDOWN, msg::MK_LBUTTON, msg::MakeLParam(3, 4));
    robot().Post(label, msg::WM_LBUTTONUP, 0, msg::MakeLParam(3, 4));
    world_->Pump(20);
    EXPECT_EQ(events.size(), 4u);
    EXPECT_EQ(events.back(), "up 3,4");

    // A real click lands on the label under the cursor.
    const auto info = robot().GetWindowInfo(label);
    ASSERT_TRUE(info.has_value());
    robot().SetForegroundWindow(frame);
    ASSERT_TRUE(robot().SetCursorPos({info->client.left + 7, info->client.top + 9}));
    robot().MouseEvent(msg::MOUSEEVENTF_LEFTDOWN);
    robot().MouseEvent(msg::MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(world_->PumpUntil(2000, [&] { return events.size() >= 6; }));
    if (events.size() >= 6) {
        EXPECT_EQ(events[4], "down 7,9");
        EXPECT_EQ(events[5], "up 7,9");
    }

    // A hook that returns true takes the click from the button.
    bool swallow = true;
    host().OnMouse(button, [&](const MouseEvent&) { return swallow; });
    Record(frame, "frame");
    for (const bool s : {true, false}) {
        swallow = s;
        robot().Send(button, msg::WM_LBUTTONDOWN, msg::MK_LBUTTON, msg::MakeLParam(15, 15));
        robot().Send(button, msg::WM_LBUTTONUP, 0, msg::MakeLParam(15, 15));
    }
    EXPECT_EQ(commands_, std::vector<std::string>{"frame 42/0"});
}

TEST_F(HostContract, MessageBoxesKeepTheirChildOrderAndAnswerOnce) {
    const Hwnd main = TopLevel(u"QmcBoxMain", u"");
    std::vector<int> answers;
    MessageBoxSpec desc;
    desc.title = u"확인";
    desc.text = u"저장할까요?";
    desc.buttons = {{u"예(&Y)", kIdYes}, {u"아니오(&N)", kIdNo}};
    desc.owner = main;
    const Hwnd box = ShowMessageBox(host(), desc, [&](int id) { answers.push_back(id); });
    EXPECT_EQ(robot().FindWindowEx(kNoWindow, kNoWindow, u"#32770", u"확인"), box);
    EXPECT_EQ(ChildTexts(box),
              (std::vector<std::u16string>{u"Static:", u"Static:저장할까요?", u"Button:예(&Y)", u"Button:아니오(&N)"}));
    const Hwnd no = robot().FindWindowEx(box, kNoWindow, u"Button", u"아니오(&N)");
    robot().Post(box, msg::WM_COMMAND, msg::MakeWParam(kIdNo, 0), L(no));
    robot().Post(box, msg::WM_COMMAND, msg::MakeWParam(kIdYes, 0), 0);
    world_->Pump(20);
    EXPECT_EQ(answers, std::vector<int>{kIdNo});
    EXPECT_FALSE(host().Exists(box));

    // The buttons before the text; closing answers the cancel id.
    desc.order = BoxOrder::ButtonsThenText;
    desc.buttons = {{u"확인", kIdOk}};
    desc.cancelId = kIdNo;
    const Hwnd second = ShowMessageBox(host(), desc, [&](int id) { answers.push_back(id * 10); });
    EXPECT_EQ(ChildTexts(second), (std::vector<std::u16string>{u"Static:", u"Button:확인", u"Static:저장할까요?"}));
    robot().Send(second, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
    EXPECT_EQ(answers, (std::vector<int>{kIdNo, kIdNo * 10}));
    EXPECT_FALSE(host().Exists(second));
}

TEST_F(HostContract, ShowStatesAndClosingFollowTheProgramsHooks) {
    const Hwnd main = TopLevel(u"QmcShowMain", u"");
    host().Show(main, false);
    EXPECT_FALSE(host().IsVisible(main));
    host().Show(main, true);
    EXPECT_TRUE(host().IsVisible(main));
    robot().ShowWindow(main, msg::SW_SHOWMINIMIZED);
    EXPECT_TRUE(host().IsMinimized(main));
    robot().ShowWindow(main, msg::SW_RESTORE);
    EXPECT_FALSE(host().IsMinimized(main));
    EXPECT_TRUE(host().IsVisible(main));
    robot().ShowWindow(main, msg::SW_HIDE);
    EXPECT_FALSE(host().IsVisible(main));
    robot().ShowWindow(main, msg::SW_SHOW);

    // SC_CLOSE: the close hook keeps or lets go; owned windows go first.
    const Hwnd popup = TopLevel(u"#32770", u"popup", main);
    const Hwnd box = TopLevel(u"#32770", u"box", popup);
    std::vector<std::string> destroyed;
    host().OnDestroy(popup, [&] { destroyed.push_back("popup"); });
    host().OnDestroy(box, [&] { destroyed.push_back("box"); });
    bool allow = false;
    host().OnClose(popup, [&] {
        if (!allow) host().Show(popup, false);  // kept, hidden, for later
        return allow;
    });
    robot().Send(popup, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
    EXPECT_TRUE(host().Exists(popup));
    EXPECT_FALSE(host().IsVisible(popup));
    host().Show(popup, true);
    EXPECT_TRUE(host().IsVisible(popup)) << "a hidden dialog is shown again";
    allow = true;
    robot().Send(popup, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
    EXPECT_FALSE(host().Exists(popup));
    EXPECT_FALSE(host().Exists(box));
    EXPECT_EQ(destroyed, (std::vector<std::string>{"box", "popup"}));
    host().Destroy(popup);  // already gone: nothing happens
    EXPECT_EQ(destroyed.size(), 2u);
    // Without a hook a top-level window is destroyed.
    const Hwnd plain = TopLevel(u"#32770", u"plain", main);
    robot().Send(plain, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
    EXPECT_FALSE(host().Exists(plain));
}

TEST_F(HostContract, TimersFireOnceInOrderAndCanBeCancelled) {
    std::vector<int> fired;
    host().StartTimer(300, [&] { fired.push_back(300); });
    const TimerId cancelled = host().StartTimer(200, [&] { fired.push_back(200); });
    host().StartTimer(0, [&] { fired.push_back(0); });
    EXPECT_TRUE(fired.empty()) << "never inside StartTimer";
    host().CancelTimer(cancelled);
    world_->Pump(150);
    EXPECT_EQ(fired, std::vector<int>{0});
    world_->Pump(400);
    EXPECT_EQ(fired, (std::vector<int>{0, 300}));
}

TEST_F(HostContract, PlaceAfterArrangesTheZOrder) {
    const Hwnd main = TopLevel(u"QmcZMain", u"");
    const Hwnd a = TopLevel(u"#32770", u"확인", main);
    const Hwnd b = TopLevel(u"#32770", u"확인", main);
    EXPECT_EQ(robot().FindWindowEx(kNoWindow, kNoWindow, u"#32770", u"확인"), b) << "the newest is on top";
    host().PlaceAfter(b, a);
    EXPECT_EQ(robot().FindWindowEx(kNoWindow, kNoWindow, u"#32770", u"확인"), a);
    const Hwnd first = Child(Behaviour::Label, u"", u"1", 1, main);
    const Hwnd second = Child(Behaviour::Label, u"", u"2", 2, main);
    EXPECT_EQ(robot().GetWindow(main, Relation::Child), first) << "children in creation order";
    host().PlaceAfter(first, second);
    EXPECT_EQ(robot().GetWindow(main, Relation::Child), second);
}

TEST_F(HostContract, PagesCarryTheirAddressAndAnswerThePagesOwnScript) {
    const Hwnd dialog = TopLevel(u"#32770", u"지도보기");
    const Hwnd browser = Child(Behaviour::Browser, u"", u"", 3, dialog, {0, 0, 300, 200});
    EXPECT_EQ(robot().GetClassName(browser, 100), u"Internet Explorer_Server");
    PageSpec page;
    page.url = u"http://map.invalid/?a=1";
    page.script = u"function twice(n) { return n * 2; }";
    page.interpreter = [](const std::u16string& s) {
        return s == u"twice(21)" ? ScriptValue{u"42", true} : ScriptValue{u"", false};
    };
    host().AttachPage(browser, page);
    EXPECT_EQ(host().PageUrl(browser), u"http://map.invalid/?a=1");
    EXPECT_EQ(host().EvaluateInPage(browser, u"twice(21)").text, std::optional<std::u16string>(u"42"));
    host().SetPageUrl(browser, u"http://map.invalid/?a=2");
    EXPECT_EQ(host().PageUrl(browser), u"http://map.invalid/?a=2");
    EXPECT_EQ(host().EvaluateInPage(kNoWindow, u"twice(21)").text, std::optional<std::u16string>(u""));
}

}  // namespace
}  // namespace qm::sim::test
