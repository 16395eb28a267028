// Browser pages: both ways to the document, each step's failure switch, and
// the conversions of script results.
#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <functional>

#include "testing/fake_desktop.h"

namespace qm::testing {
namespace {

namespace m = qm::msg;

class PageTest : public ::testing::Test {
public:
    FakeDesktop d;
    Hwnd dialog = d.Create({.behaviour = Behaviour::Dialog, .text = u"지도보기", .rect = {0, 0, 400, 400}});
    Hwnd browser = d.Create({.className = u"Internet Explorer_Server", .parent = dialog, .rect = {0, 50, 400, 400}});
    std::shared_ptr<FakePage> page = d.AttachPage(browser);

    std::shared_ptr<PageRootDocument> RootByMessage() {
        const auto lresult = d.SendTimeout(browser, d.RegisterWindowMessage(u"WM_HTML_GETOBJECT"), 0, 0,
                                           m::SMTO_ABORTIFHUNG, 3000);
        return d.ObjectFromLresult(FakeDesktop::kOleacc, lresult.value_or(0));
    }
    std::shared_ptr<PageDocument> DocumentByMessage() {
        auto root = RootByMessage();
        if (!root) return nullptr;
        auto window = root->GetScriptWindow();
        return window ? window->GetDocument() : nullptr;
    }
    std::shared_ptr<PageDocument> DocumentByAccessibility() {
        auto accessible = d.AccessibleObjectFromPoint({10, 60});
        if (!accessible) return nullptr;
        auto provider = accessible->QueryServiceProvider();
        if (!provider) return nullptr;
        auto element = provider->QueryHtmlElement();
        return element ? element->GetDocument() : nullptr;
    }
};

TEST_F(PageTest, MessagePathReachesTheDocumentAndEvalRunsTheScript) {
    page->url = u"http://map/view?strSPosX=127.1&strSPosY=37.5";
    page->eval = [](const std::u16string& script) {
        return script == u"setCenter(37.5, 127.1)" ? ScriptBool(true) : ScriptBool(false);
    };
    auto document = DocumentByMessage();
    ASSERT_TRUE(document);
    EXPECT_EQ(document->GetUrl(), std::optional<std::u16string>(page->url));
    auto window = document->GetParentWindow();
    ASSERT_TRUE(window);
    auto eval = window->QueryEval();
    ASSERT_TRUE(eval);
    const auto id = eval->GetDispId(u"eval");
    ASSERT_EQ(id, std::optional<std::int32_t>(FakePage::kEvalDispId));
    EXPECT_EQ(eval->GetDispId(u"Eval"), std::nullopt);  // case-sensitive
    EXPECT_EQ(eval->Invoke(*id, u"setCenter(37.5, 127.1)").boolean, std::optional<bool>(true));
    EXPECT_EQ(eval->Invoke(*id, u"other()").boolean, std::optional<bool>(false));
    EXPECT_EQ(page->scripts, (std::vector<std::u16string>{u"setCenter(37.5, 127.1)", u"other()"}));
}

TEST_F(PageTest, TheMessageResultServesOnceAndNeedsTheLibrary) {
    const auto lresult = d.SendTimeout(browser, d.HtmlGetObjectMessage(), 0, 0, m::SMTO_ABORTIFHUNG, 3000);
    ASSERT_TRUE(lresult.has_value());
    EXPECT_NE(*lresult, 0);
    EXPECT_EQ(d.ObjectFromLresult(kNoModule, *lresult), nullptr);
    EXPECT_NE(d.ObjectFromLresult(FakeDesktop::kOleacc, *lresult), nullptr);
    EXPECT_EQ(d.ObjectFromLresult(FakeDesktop::kOleacc, *lresult), nullptr);  // used up
    EXPECT_EQ(d.ObjectFromLresult(FakeDesktop::kOleacc, 0), nullptr);
    EXPECT_FALSE(d.HasObjectFromLresult(kNoModule));
    EXPECT_TRUE(d.HasObjectFromLresult(FakeDesktop::kOleacc));
    d.SetObjectFromLresultAvailable(false);
    EXPECT_FALSE(d.HasObjectFromLresult(FakeDesktop::kOleacc));
    // A window without a page does not answer the message.
    EXPECT_EQ(d.SendTimeout(dialog, d.HtmlGetObjectMessage(), 0, 0, 0, 3000), std::optional<std::intptr_t>(0));
}

struct StepCase {
    const char* name;
    std::function<void(PageFailures&)> fail;
    std::function<bool(PageTest&)> reached;  // true when the step still succeeds
};
void PrintTo(const StepCase& c, std::ostream* os) { *os << c.name; }

bool EvalIdFound(std::shared_ptr<PageDocument> document) {
    if (!document) return false;
    auto window = document->GetParentWindow();
    if (!window) return false;
    auto eval = window->QueryEval();
    return eval && eval->GetDispId(u"eval").has_value();
}

class StepFailureTest : public PageTest, public ::testing::WithParamInterface<StepCase> {};

TEST_P(StepFailureTest, EachSwitchBreaksItsStepOnly) {
    const StepCase& c = GetParam();
    EXPECT_TRUE(c.reached(*this)) << c.name << ": fails without the switch";
    c.fail(page->fail);
    EXPECT_FALSE(c.reached(*this)) << c.name << ": still passes with the switch";
}

INSTANTIATE_TEST_SUITE_P(
    Page, StepFailureTest,
    ::testing::Values(
        StepCase{"ObjectFromLresult (43)", [](PageFailures& f) { f.objectFromLresult = true; },
                 [](PageTest& t) { return t.RootByMessage() != nullptr; }},
        StepCase{"script window (44)", [](PageFailures& f) { f.scriptWindow = true; },
                 [](PageTest& t) { return t.RootByMessage()->GetScriptWindow() != nullptr; }},
        StepCase{"window document (45)", [](PageFailures& f) { f.windowDocument = true; },
                 [](PageTest& t) { return t.DocumentByMessage() != nullptr; }},
        StepCase{"parent window (46)", [](PageFailures& f) { f.parentWindow = true; },
                 [](PageTest& t) { return t.DocumentByMessage()->GetParentWindow() != nullptr; }},
        StepCase{"IDispatchEx (47)", [](PageFailures& f) { f.queryEval = true; },
                 [](PageTest& t) { return t.DocumentByMessage()->GetParentWindow()->QueryEval() != nullptr; }},
        StepCase{"eval dispid (48)", [](PageFailures& f) { f.evalDispId = true; },
                 [](PageTest& t) { return EvalIdFound(t.DocumentByMessage()); }},
        StepCase{"URL (96)", [](PageFailures& f) { f.url = true; },
                 [](PageTest& t) { return t.DocumentByMessage()->GetUrl().has_value(); }},
        StepCase{"accessible object (40)", [](PageFailures& f) { f.accessibleMissing = PageFailures::kAlways; },
                 [](PageTest& t) { return t.d.AccessibleObjectFromPoint({10, 60}) != nullptr; }},
        StepCase{"service provider (41)", [](PageFailures& f) { f.serviceProvider = true; },
                 [](PageTest& t) { return t.d.AccessibleObjectFromPoint({10, 60})->QueryServiceProvider() != nullptr; }},
        StepCase{"element (42)", [](PageFailures& f) { f.elementMissing = PageFailures::kAlways; },
                 [](PageTest& t) { return t.DocumentByAccessibility() != nullptr; }},
        StepCase{"element document (43)", [](PageFailures& f) { f.elementDocument = true; },
                 [](PageTest& t) { return t.DocumentByAccessibility() != nullptr; }},
        StepCase{"eval through the accessibility path", [](PageFailures& f) { f.evalDispId = true; },
                 [](PageTest& t) { return EvalIdFound(t.DocumentByAccessibility()); }}),
    [](const auto& info) { return std::to_string(info.index); });

TEST_F(PageTest, AccessibilityRetriesSucceedAfterTheFirstFailingTries) {
    page->fail.accessibleMissing = 3;
    page->fail.elementMissing = 2;
    int tries = 0;
    std::shared_ptr<PageAccessible> accessible;
    while (!accessible && tries < 10) {
        accessible = d.AccessibleObjectFromPoint({10, 60});
        ++tries;
    }
    EXPECT_EQ(tries, 4);
    auto provider = accessible->QueryServiceProvider();
    EXPECT_EQ(provider->QueryHtmlElement(), nullptr);
    EXPECT_EQ(provider->QueryHtmlElement(), nullptr);
    EXPECT_NE(provider->QueryHtmlElement(), nullptr);
    EXPECT_EQ(page->accessibleTries, 4);
    EXPECT_EQ(page->elementTries, 3);
}

TEST_F(PageTest, AccessibleObjectOnlyWhereTheBrowserIsShownAndOnTop) {
    EXPECT_EQ(d.AccessibleObjectFromPoint({10, 10}), nullptr);  // the dialog, above the browser
    d.ShowWindow(dialog, m::SW_HIDE);
    EXPECT_EQ(d.AccessibleObjectFromPoint({10, 60}), nullptr);
    EXPECT_EQ(page->accessibleTries, 0);  // no page was under the point
    d.ShowWindow(dialog, m::SW_SHOW);
    const Hwnd cover = d.Create({.className = u"Cover", .rect = {0, 0, 100, 100}});
    EXPECT_EQ(d.AccessibleObjectFromPoint({10, 60}), nullptr);
    d.Destroy(cover);
    EXPECT_NE(d.AccessibleObjectFromPoint({10, 60}), nullptr);
}

TEST_F(PageTest, ObjectsOfADestroyedPageFailEveryCall) {
    auto document = DocumentByMessage();
    auto window = document->GetParentWindow();
    auto eval = window->QueryEval();
    d.Destroy(dialog);
    EXPECT_FALSE(page->Attached());
    EXPECT_EQ(document->GetUrl(), std::nullopt);
    EXPECT_EQ(document->GetParentWindow(), nullptr);
    EXPECT_EQ(window->QueryEval(), nullptr);
    EXPECT_EQ(eval->GetDispId(u"eval"), std::nullopt);
    EXPECT_EQ(eval->Invoke(FakePage::kEvalDispId, u"x()").text, std::optional<std::u16string>(u""));
    EXPECT_TRUE(page->scripts.empty());
}

TEST_F(PageTest, WithoutAnEvalHookAScriptGivesAnEmptyResult) {
    auto eval = DocumentByMessage()->GetParentWindow()->QueryEval();
    const ScriptValue v = eval->Invoke(FakePage::kEvalDispId, u"1+1");
    EXPECT_EQ(v.text, std::optional<std::u16string>(u""));
    EXPECT_EQ(v.boolean, std::optional<bool>(false));
    EXPECT_EQ(eval->Invoke(FakePage::kEvalDispId + 1, u"x").text, std::optional<std::u16string>(u""));
    EXPECT_EQ(page->scripts, std::vector<std::u16string>{u"1+1"});
}

struct ConversionCase {
    const char* name;
    ScriptValue value;
    std::optional<std::u16string> text;
    std::optional<bool> boolean;
};
void PrintTo(const ConversionCase& c, std::ostream* os) { *os << c.name; }

class ConversionTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ConversionTest, MatchesVariantChangeType) {
    const ConversionCase& c = GetParam();
    EXPECT_EQ(c.value.text, c.text) << c.name;
    EXPECT_EQ(c.value.boolean, c.boolean) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Script, ConversionTest,
    ::testing::Values(ConversionCase{"empty", ScriptEmpty(), u"", false},
                      ConversionCase{"null", ScriptNull(), std::nullopt, std::nullopt},
                      ConversionCase{"true", ScriptBool(true), u"-1", true},
                      ConversionCase{"false", ScriptBool(false), u"0", false},
                      ConversionCase{"integer", ScriptNumber(42), u"42", true},
                      ConversionCase{"zero", ScriptNumber(0), u"0", false},
                      ConversionCase{"fraction", ScriptNumber(37.5665), u"37.5665", true},
                      ConversionCase{"negative", ScriptNumber(-126.978), u"-126.978", true},
                      ConversionCase{"large", ScriptNumber(1e21), u"1E+21", true},
                      ConversionCase{"string true any case", ScriptString(u"tRuE"), u"tRuE", true},
                      ConversionCase{"string false with blanks", ScriptString(u" False "), u" False ", false},
                      ConversionCase{"number text", ScriptString(u"-0.5e1"), u"-0.5e1", true},
                      ConversionCase{"zero text", ScriptString(u"0.000"), u"0.000", false},
                      ConversionCase{"position text", ScriptString(u"(37.5, 126.9)"), u"(37.5, 126.9)", std::nullopt},
                      ConversionCase{"empty text", ScriptString(u""), u"", std::nullopt},
                      ConversionCase{"sign only", ScriptString(u"-"), u"-", std::nullopt},
                      ConversionCase{"yes", ScriptString(u"yes"), u"yes", std::nullopt}),
    [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace qm::testing
