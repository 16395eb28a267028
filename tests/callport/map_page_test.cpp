// The map page: both ways to its document, and the two kinds of script run in it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "callport/call_port.h"
#include "testing/fake_desktop.h"

namespace qm {
namespace {

using testing::Behaviour;
using testing::FakeDesktop;
using testing::FakePage;
using testing::PageFailures;

class MapPort final : public CCallPort {
public:
    using CCallPort::CCallPort;
    Hwnd FindMainWindow() override { return kNoWindow; }
    int ReadOrder(Module, const char16_t*, OrderRecord*, std::u16string&) override { return 0; }
    int EnterOrder(Module, const char16_t*, const char16_t*, OrderRecord*, int, std::u16string&, int) override {
        return 0;
    }
    void CloseEntryWindows(Hwnd) override {}
};

class MapPageTest : public ::testing::Test {
protected:
    MapPageTest() {
        dialog = d.Create({.behaviour = Behaviour::Dialog, .text = u"지도보기", .rect = {50, 50, 850, 650}, .visible = false});
        browser = d.Create({.className = u"Internet Explorer_Server", .parent = dialog, .rect = {0, 0, 800, 560}});
        page = d.AttachPage(browser);
        page->url = u"http://map/?strSPosX=127.1";
    }
    // The document through the message path, or the code.
    int Document(std::shared_ptr<PageDocument>& doc, Module oleacc = FakeDesktop::kOleacc) {
        return port.GetMapDocument(oleacc, dialog, browser, doc);
    }
    std::shared_ptr<PageDocument> Document() {
        std::shared_ptr<PageDocument> doc;
        EXPECT_EQ(Document(doc), 0);
        return doc;
    }

    FakeDesktop d;
    MapPort port{d, kSlowProfile};  // accessibleWait 2000, shortSettle 300
    Hwnd dialog{}, browser{};
    std::shared_ptr<FakePage> page;
};

TEST_F(MapPageTest, MessagePathGivesThePageOrItsStepCode) {
    struct Case {
        void (*breakIt)(FakeDesktop&, PageFailures&);
        int code;
    } cases[] = {
        {[](FakeDesktop&, PageFailures&) {}, 0},
        {[](FakeDesktop& d, PageFailures&) { d.SetObjectFromLresultAvailable(false); }, 94},
        {[](FakeDesktop&, PageFailures& f) { f.objectFromLresult = true; }, 43},
        {[](FakeDesktop&, PageFailures& f) { f.scriptWindow = true; }, 44},
        {[](FakeDesktop&, PageFailures& f) { f.windowDocument = true; }, 45},
    };
    for (const Case& c : cases) {
        d.SetObjectFromLresultAvailable(true);
        page->fail = {};
        c.breakIt(d, page->fail);
        std::shared_ptr<PageDocument> doc;
        EXPECT_EQ(Document(doc), c.code);
        EXPECT_EQ(doc != nullptr, c.code == 0) << c.code;
        if (doc) {
            EXPECT_EQ(doc->GetUrl(), page->url);
        }
        EXPECT_FALSE(d.IsVisible(dialog));  // the message path never shows the dialog
    }
    page->fail = {};
    d.Show(dialog);
    Document();
    EXPECT_TRUE(d.IsVisible(dialog));  // nor hides it
    EXPECT_TRUE(d.SleepLog().empty());
}

TEST_F(MapPageTest, AccessibilityPathShowsTheDialogForTheHitTestAndHidesItOnSuccess) {
    struct Case {
        PageFailures fail;
        int code;
        bool shownAfter;
        std::uint64_t slept;
    } cases[] = {
        {{}, 0, false, 0},
        {{.accessibleMissing = 3}, 0, false, 300},
        {{.accessibleMissing = PageFailures::kAlways}, 40, true, 2000},  // accessibleWait
        {{.serviceProvider = true}, 41, false, 0},
        {{.elementMissing = 5}, 0, false, 500},
        {{.elementMissing = PageFailures::kAlways}, 42, false, 2900},  // 30 tries, 100 ms apart
        {{.elementDocument = true}, 43, false, 0},
    };
    for (const Case& c : cases) {
        d.Show(dialog, false);
        d.ClearSleepLog();
        page->fail = c.fail;
        page->accessibleTries = page->elementTries = 0;
        std::shared_ptr<PageDocument> doc;
        EXPECT_EQ(Document(doc, kNoModule), c.code);
        EXPECT_EQ(doc != nullptr, c.code == 0);
        EXPECT_EQ(d.IsVisible(dialog), c.shownAfter) << c.code;
        EXPECT_EQ(d.SleepTotal(), c.slept) << c.code;
    }
    EXPECT_EQ(page->elementTries, 1);
    page->fail = {.elementMissing = PageFailures::kAlways};
    page->elementTries = 0;
    std::shared_ptr<PageDocument> doc;
    Document(doc, kNoModule);
    EXPECT_EQ(page->elementTries, 30);
}

TEST_F(MapPageTest, PositionAnswersNeedExactlyTwoNumbers) {
    struct Case {
        std::u16string answer;
        int code;
        double x, y;
    } cases[] = {
        {u"(37.5665, 126.978)", 0, 37.5665, 126.978},
        {u"[37.5665,126.978]", 0, 37.5665, 126.978},
        {u" \t37.5665 126.978\t ", 0, 37.5665, 126.978},
        {u"(1e2)(-3.5x)", 0, 100.0, -3.5},
        {u"abc def", 0, 0.0, 0.0},  // pieces without a number read as 0
        {u"[37.5665, 126.978, 12]", 48, -1, -1},
        {u"37.5665", 48, -1, -1},
        {u"   ", 48, -1, -1},
        {u"", 48, -1, -1},
        {u"1 " + std::u16string(32, u'2'), 48, -1, -1},  // a piece longer than its 32-unit buffer
        {u"1 " + std::u16string(31, u'2'), 0, 1.0, 2.2222222222222222e30},
        {u"1" + std::u16string(520, u' ') + u"2", 48, -1, -1},  // does not fit 512 units
    };
    std::shared_ptr<PageDocument> doc = Document();
    for (const Case& c : cases) {
        page->eval = [&](const std::u16string&) { return testing::ScriptString(c.answer); };
        PlaceRecord place{};
        place.x = place.y = -1;
        EXPECT_EQ(port.RunPositionScript(*doc, u"getPos();", place), c.code);
        EXPECT_DOUBLE_EQ(place.x, c.x);
        EXPECT_DOUBLE_EQ(place.y, c.y);
    }
    EXPECT_TRUE(d.SleepLog().empty());  // a read runs without a pause

    // The via marker's "name:number" pieces are read after their colon when asked.
    page->eval = [](const std::u16string&) { return testing::ScriptString(u"(x:127.5,y:\n37.25)"); };
    PlaceRecord place{};
    EXPECT_EQ(port.RunPositionScript(*doc, u"v();", place, PositionPieces::AfterColon), 0);
    EXPECT_EQ(place.x, 127.5);
    EXPECT_EQ(place.y, 37.25);
    EXPECT_EQ(port.RunPositionScript(*doc, u"v();", place), 0);
    EXPECT_EQ(place.x, 0.0);
}

TEST_F(MapPageTest, ScriptsAreFormattedBeforeTheyRun) {
    std::shared_ptr<PageDocument> doc = Document();
    page->eval = [](const std::u16string&) { return testing::ScriptString(u"1 2"); };
    PlaceRecord place{};
    EXPECT_EQ(port.RunPositionScript(*doc, u"return '100%%';", place), 0);
    EXPECT_EQ(page->scripts.back(), u"return '100%';");
    const std::size_t ran = page->scripts.size();
    EXPECT_EQ(port.RunPositionScript(*doc, u"return %d;", place), 48);
    EXPECT_EQ(port.RunPlacementScript(*doc, u"p(%f);", 256, ScriptArguments::TwoDoubles, {1, 2, {}}), 63);
    EXPECT_EQ(port.RunPlacementScript(*doc, u"p(%f,%f);", 9, ScriptArguments::TwoDoubles, {1, 2, {}}), 63);
    EXPECT_EQ(page->scripts.size(), ran);  // refused scripts never reach the page
    EXPECT_TRUE(d.SleepLog().empty());

    page->eval = [](const std::u16string&) { return testing::ScriptBool(true); };
    EXPECT_EQ(port.RunPlacementScript(*doc, u"go(%.1f,%.2f,'%s')", 513, ScriptArguments::TwoDoublesAndText,
                                      {37.5, 127.25, u"onTMapRClick4OrdPoiStart"}),
              0);
    EXPECT_EQ(page->scripts.back(), u"go(37.5,127.25,'onTMapRClick4OrdPoiStart')");
    EXPECT_EQ(d.SleepLog(), (std::vector<std::uint32_t>{300}));  // shortSettle before eval
}

TEST_F(MapPageTest, PlacementNeedsATrueAnswer) {
    struct Case {
        ScriptValue answer;
        int code;
    } cases[] = {
        {testing::ScriptBool(true), 0},     {testing::ScriptNumber(1), 0},
        {testing::ScriptString(u"true"), 0}, {testing::ScriptBool(false), 63},
        {testing::ScriptEmpty(), 63},       {testing::ScriptNull(), 63},
        {testing::ScriptString(u"ok"), 63},
    };
    std::shared_ptr<PageDocument> doc = Document();
    for (const Case& c : cases) {
        page->eval = [&](const std::u16string&) { return c.answer; };
        EXPECT_EQ(port.RunPlacementScript(*doc, u"go(%f,%f)", 256, ScriptArguments::TwoDoubles, {1, 2, {}}), c.code);
    }
}

TEST_F(MapPageTest, MissingScriptObjectsGiveTheirCodesAndRunNothing) {
    struct Case {
        bool PageFailures::*step;
        int code;
    } cases[] = {
        {&PageFailures::parentWindow, 46},
        {&PageFailures::queryEval, 47},
        {&PageFailures::evalDispId, 48},
    };
    std::shared_ptr<PageDocument> doc = Document();
    page->eval = [](const std::u16string&) { return testing::ScriptBool(true); };
    for (const Case& c : cases) {
        page->fail = {};
        page->fail.*c.step = true;
        PlaceRecord place{};
        place.x = 9;
        EXPECT_EQ(port.RunPositionScript(*doc, u"r()", place), c.code);
        EXPECT_EQ(place.x, 9);
        EXPECT_EQ(port.RunPlacementScript(*doc, u"p(%f,%f)", 256, ScriptArguments::TwoDoubles, {1, 2, {}}), c.code);
    }
    EXPECT_TRUE(page->scripts.empty());
    EXPECT_TRUE(d.SleepLog().empty());
}

}  // namespace
}  // namespace qm
