// The port's browser steps against a real page object in another process:
// both ways to the document, the page's eval running real JScript, and every
// failure the page can be switched to.
#include "platform/win32/windows_names.h"
#include <ole2.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <optional>
#include <string>

#include "platform/win32/win32_desktop.h"
#include "tests/win32/helper_process.h"

namespace qm::conformance {
namespace {

std::u16string U(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }

class BrowserPortTest : public HelperTest {
protected:
    void SetUp() override {
        HelperTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        oleInitialised_ = true;
        oleacc_.reset(::LoadLibraryW(L"oleacc.dll"));
        ASSERT_NE(oleacc_.get(), nullptr);
        browser = ToPort(shared().browser);
    }
    void TearDown() override {
        if (oleInitialised_) ::OleUninitialize();
        HelperTest::TearDown();
    }

    Module Oleacc() const { return static_cast<Module>(reinterpret_cast<std::uintptr_t>(oleacc_.get())); }

    std::shared_ptr<PageRootDocument> Root() {
        const std::uint32_t message = desktop.RegisterWindowMessage(u"WM_HTML_GETOBJECT");
        const auto lresult = desktop.SendTimeout(browser, message, 0, 0, SMTO_ABORTIFHUNG, 3000);
        return desktop.ObjectFromLresult(Oleacc(), lresult.value_or(0));
    }

    // The message path up to the page's eval, as the robot walks it.
    std::shared_ptr<PageEval> Eval() {
        auto root = Root();
        auto window = root ? root->GetScriptWindow() : nullptr;
        auto document = window ? window->GetDocument() : nullptr;
        auto parent = document ? document->GetParentWindow() : nullptr;
        return parent ? parent->QueryEval() : nullptr;
    }

    std::u16string EvaluateInHelper(const wchar_t* text) {
        std::wcsncpy(shared().evalText, text, 511);
        shared().evalText[511] = L'\0';
        if (Command(kEvaluate) != 1 || shared().evalOk != 1) return u"<failed>";
        return U(shared().evalResult);
    }

    win32::Win32Desktop desktop{3000};
    Hwnd browser{};

private:
    win32::UniqueModule oleacc_;
    bool oleInitialised_ = false;
};

// The steps of the message path, in order; the first that fails is reported.
enum class Step { Lresult, ScriptWindow, WindowDocument, Url, ParentWindow, DispatchEx, DispId, Invoke, Done };

struct StepOutcome {
    Step failed = Step::Done;
    std::u16string url;
    ScriptValue value;
};

StepOutcome FailedAt(Step step, std::u16string url = {}) {
    StepOutcome out;
    out.failed = step;
    out.url = std::move(url);
    return out;
}

TEST_F(BrowserPortTest, FindsTheBrowserWindowByItsClass) {
    const Hwnd map = desktop.FindWindow(u"#32770", U(kMapTitle).c_str());
    ASSERT_EQ(map, ToPort(shared().map));
    EXPECT_EQ(desktop.FindWindowEx(map, kNoWindow, u"Internet Explorer_Server", nullptr), browser);
    EXPECT_EQ(desktop.GetDlgCtrlID(browser), kBrowserId);
}

TEST_F(BrowserPortTest, MessagePathReachesTheDocumentAndRunsEval) {
    auto root = Root();
    ASSERT_TRUE(root);
    auto window = root->GetScriptWindow();
    ASSERT_TRUE(window);
    auto document = window->GetDocument();
    ASSERT_TRUE(document);
    EXPECT_EQ(document->GetUrl(), std::optional<std::u16string>(U(kPageUrl)));
    auto parent = document->GetParentWindow();
    ASSERT_TRUE(parent);
    auto eval = parent->QueryEval();
    ASSERT_TRUE(eval);
    const auto id = eval->GetDispId(u"eval");
    ASSERT_TRUE(id);
    const ScriptValue value = eval->Invoke(*id, u"1+2");
    EXPECT_EQ(value.text, std::optional<std::u16string>(u"3"));
    EXPECT_EQ(value.boolean, std::optional<bool>(true));
    EXPECT_EQ(Command(kEvalCount), 1);
    EXPECT_EQ(Command(kDocumentRequests), 1);
}

TEST_F(BrowserPortTest, EvalRunsTheTextThroughJScript) {
    auto eval = Eval();
    ASSERT_TRUE(eval);
    const auto id = eval->GetDispId(u"eval");
    ASSERT_TRUE(id);
    struct Case {
        const char16_t* script;
        std::optional<std::u16string> text;
        std::optional<bool> boolean;
    };
    const Case cases[] = {
        {u"6*7", u"42", true},
        {u"0", u"0", false},
        {u"var a = 2; a * 21", u"42", true},
        {u"'서울' + '역'", u"서울역", std::nullopt},  // text that is no boolean
        {u"getCenter()", u"(0, 0)", std::nullopt},
        {u"[1, 2].length + 0.5", u"2.5", true},
        // A script error leaves the result VT_EMPTY: empty text, false.
        {u"1 +", u"", false},
        {u"noSuchObject.x", u"", false},
        // The page's dialect is the old one.
        {u"typeof JSON", u"undefined", std::nullopt},
    };
    int evals = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << evals);
        const ScriptValue value = eval->Invoke(*id, c.script);
        ++evals;
        EXPECT_EQ(value.text, c.text);
        EXPECT_EQ(value.boolean, c.boolean);
    }
    EXPECT_EQ(Command(kEvalCount), evals);
}

TEST_F(BrowserPortTest, PlacementScriptChangesThePageForItsHost) {
    auto eval = Eval();
    ASSERT_TRUE(eval);
    const auto id = eval->GetDispId(u"eval");
    ASSERT_TRUE(id);
    EXPECT_EQ(eval->Invoke(*id, u"setCenter(37.5665, 126.978)").boolean, std::optional<bool>(true));
    EXPECT_EQ(EvaluateInHelper(L"centre.x + ',' + centre.y"), u"37.5665,126.978");
    EXPECT_EQ(eval->Invoke(*id, u"getCenter()").text, std::optional<std::u16string>(u"(37.5665, 126.978)"));
    // The host's own evaluation does not count as a caller's eval.
    EXPECT_EQ(Command(kEvalCount), 2);
}

TEST_F(BrowserPortTest, EvalIsLookedUpCaseSensitively) {
    auto eval = Eval();
    ASSERT_TRUE(eval);
    EXPECT_TRUE(eval->GetDispId(u"eval"));
    EXPECT_FALSE(eval->GetDispId(u"Eval"));
    EXPECT_FALSE(eval->GetDispId(u"EVAL"));
    EXPECT_FALSE(eval->GetDispId(u"evaluate"));
    EXPECT_FALSE(eval->GetDispId(u""));
}

TEST_F(BrowserPortTest, ObjectFromLresultNeedsTheAccessibilityModule) {
    EXPECT_TRUE(desktop.HasObjectFromLresult(Oleacc()));
    EXPECT_FALSE(desktop.HasObjectFromLresult(kNoModule));
    const Module kernel = static_cast<Module>(reinterpret_cast<std::uintptr_t>(::GetModuleHandleW(L"kernel32.dll")));
    EXPECT_FALSE(desktop.HasObjectFromLresult(kernel));

    const std::uint32_t message = desktop.RegisterWindowMessage(u"WM_HTML_GETOBJECT");
    const auto lresult = desktop.SendTimeout(browser, message, 0, 0, SMTO_ABORTIFHUNG, 3000);
    ASSERT_TRUE(lresult);
    ASSERT_NE(*lresult, 0);
    EXPECT_FALSE(desktop.ObjectFromLresult(kNoModule, *lresult));
    EXPECT_FALSE(desktop.ObjectFromLresult(kernel, *lresult));
    EXPECT_FALSE(desktop.ObjectFromLresult(Oleacc(), 0));
}

class BrowserFaultTest : public BrowserPortTest {
protected:
    StepOutcome Walk() {
        StepOutcome out;
        auto root = Root();
        if (!root) return FailedAt(Step::Lresult);
        auto window = root->GetScriptWindow();
        if (!window) return FailedAt(Step::ScriptWindow);
        auto document = window->GetDocument();
        if (!document) return FailedAt(Step::WindowDocument);
        auto url = document->GetUrl();
        if (!url) return FailedAt(Step::Url);
        out.url = *url;
        auto parent = document->GetParentWindow();
        if (!parent) return FailedAt(Step::ParentWindow, out.url);
        auto eval = parent->QueryEval();
        if (!eval) return FailedAt(Step::DispatchEx, out.url);
        auto id = eval->GetDispId(u"eval");
        if (!id) return FailedAt(Step::DispId, out.url);
        out.value = eval->Invoke(*id, u"6*7");
        if (out.value.text != std::optional<std::u16string>(u"42")) out.failed = Step::Invoke;
        return out;
    }
};

TEST_F(BrowserFaultTest, EachMessagePathFaultStopsItsOwnStep) {
    struct Case {
        Fault fault;
        Step failed;
    };
    const Case cases[] = {
        {kNoLresult, Step::Lresult},
        {kNoScript, Step::ScriptWindow},
        {kScriptNotWindow, Step::ScriptWindow},
        {kNoWindowDocument, Step::WindowDocument},
        {kFailUrl, Step::Url},
        {kNoParentWindow, Step::ParentWindow},
        {kNoDispatchEx, Step::DispatchEx},
        {kNoEval, Step::DispId},
    };
    EXPECT_EQ(Walk().failed, Step::Done);
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        ASSERT_EQ(Command(kSetFault, c.fault, 1), 1);
        EXPECT_EQ(Walk().failed, c.failed);
        ASSERT_EQ(Command(kClearFaults), 1);
    }
    // Switched back, the same page serves again.
    EXPECT_EQ(Walk().failed, Step::Done);
}

class AccessibilityPathTest : public BrowserPortTest {
protected:
    Point BrowserPoint() {
        const auto info = desktop.GetWindowInfo(browser);
        EXPECT_TRUE(info);
        return info ? Point{info->client.left + 10, info->client.top + 10} : Point{};
    }
};

TEST_F(AccessibilityPathTest, ReachesTheDocumentThroughTheElement) {
    auto accessible = desktop.AccessibleObjectFromPoint(BrowserPoint());
    ASSERT_TRUE(accessible);
    auto provider = accessible->QueryServiceProvider();
    ASSERT_TRUE(provider);
    auto element = provider->QueryHtmlElement();
    ASSERT_TRUE(element);
    auto document = element->GetDocument();
    ASSERT_TRUE(document);
    EXPECT_EQ(document->GetUrl(), std::optional<std::u16string>(U(kPageUrl)));
    auto window = document->GetParentWindow();
    ASSERT_TRUE(window);
    auto eval = window->QueryEval();
    ASSERT_TRUE(eval);
    const auto id = eval->GetDispId(u"eval");
    ASSERT_TRUE(id);
    EXPECT_EQ(eval->Invoke(*id, u"getCenter()").text, std::optional<std::u16string>(u"(0, 0)"));
}

TEST_F(AccessibilityPathTest, EachFaultStopsItsOwnStep) {
    ASSERT_EQ(Command(kSetFault, kNoServiceProvider, 1), 1);
    {
        auto accessible = desktop.AccessibleObjectFromPoint(BrowserPoint());
        ASSERT_TRUE(accessible);
        EXPECT_FALSE(accessible->QueryServiceProvider());
    }
    ASSERT_EQ(Command(kClearFaults), 1);

    for (Fault fault : {kNoElementDocument, kElementDocumentNotDocument2}) {
        SCOPED_TRACE(static_cast<int>(fault));
        ASSERT_EQ(Command(kSetFault, fault, 1), 1);
        auto accessible = desktop.AccessibleObjectFromPoint(BrowserPoint());
        ASSERT_TRUE(accessible);
        auto provider = accessible->QueryServiceProvider();
        ASSERT_TRUE(provider);
        auto element = provider->QueryHtmlElement();
        ASSERT_TRUE(element);
        EXPECT_FALSE(element->GetDocument());
        ASSERT_EQ(Command(kClearFaults), 1);
    }
}

TEST_F(AccessibilityPathTest, ElementFailuresEndAfterTheirCount) {
    ASSERT_EQ(Command(kSetFault, kElementFailures, 2), 1);
    auto accessible = desktop.AccessibleObjectFromPoint(BrowserPoint());
    ASSERT_TRUE(accessible);
    auto provider = accessible->QueryServiceProvider();
    ASSERT_TRUE(provider);
    EXPECT_FALSE(provider->QueryHtmlElement());
    EXPECT_FALSE(provider->QueryHtmlElement());
    auto element = provider->QueryHtmlElement();
    ASSERT_TRUE(element);
    EXPECT_TRUE(element->GetDocument());
}

TEST_F(AccessibilityPathTest, WithoutThePageObjectThereIsNoDocument) {
    ASSERT_EQ(Command(kSetFault, kNoAccessible, 1), 1);
    // The system's own accessible object for the window may answer instead,
    // but nothing along the path leads to a page document.
    auto accessible = desktop.AccessibleObjectFromPoint(BrowserPoint());
    auto provider = accessible ? accessible->QueryServiceProvider() : nullptr;
    auto element = provider ? provider->QueryHtmlElement() : nullptr;
    EXPECT_FALSE(element && element->GetDocument());
}

}  // namespace
}  // namespace qm::conformance
