// The page server's own API, in this process: what a substitute program does
// with its page (load its functions, read its state, watch the caller's evals),
// how a browser window hands the page out, and how long the page lives.
#include "platform/win32/windows_names.h"

#include <ole2.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/win32_desktop.h"
#include "sim/win32/page/browser_window.h"

namespace qm::sim::page {
namespace {

Hwnd ToPort(HWND h) { return static_cast<Hwnd>(reinterpret_cast<std::uintptr_t>(h)); }

class PageObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        oleInitialised_ = true;
        oleacc_.reset(::LoadLibraryW(L"oleacc.dll"));
        ASSERT_NE(oleacc_.get(), nullptr);
        page = PageObject::Create(u"http://map.example/?strSPosX=1");
        ASSERT_TRUE(page);
    }
    void TearDown() override {
        for (HWND h : windows_) ::DestroyWindow(h);
        page.reset();
        if (oleInitialised_) ::OleUninitialize();
    }

    HWND Browser(std::shared_ptr<PageObject> shown) {
        const HWND h = CreateBrowserWindow(nullptr, RECT{0, 0, 200, 200}, std::move(shown), 0, WS_POPUP);
        if (h) windows_.push_back(h);
        return h;
    }

    // The page's eval as another program reaches it (here through this process's own COM).
    std::shared_ptr<PageEval> EvalOf(HWND browser) {
        const std::uint32_t message = desktop.RegisterWindowMessage(u"WM_HTML_GETOBJECT");
        const auto lresult = desktop.SendTimeout(ToPort(browser), message, 0, 0, SMTO_ABORTIFHUNG, 3000);
        auto root = desktop.ObjectFromLresult(
            static_cast<Module>(reinterpret_cast<std::uintptr_t>(oleacc_.get())), lresult.value_or(0));
        auto window = root ? root->GetScriptWindow() : nullptr;
        return window ? window->QueryEval() : nullptr;
    }

    std::shared_ptr<PageObject> page;
    win32::Win32Desktop desktop;

private:
    win32::UniqueModule oleacc_;
    std::vector<HWND> windows_;
    bool oleInitialised_ = false;
};

TEST_F(PageObjectTest, LoadsPageFunctionsAndReportsScriptErrors) {
    EXPECT_TRUE(page->LoadScript(u"var centre = { x: 1, y: 2 };\nfunction move(dx) { centre.x += dx; return centre.x; }"));
    EXPECT_EQ(page->LastError(), u"");
    EXPECT_EQ(page->Evaluate(u"move(2)"), std::optional<std::u16string>(u"3"));

    EXPECT_FALSE(page->LoadScript(u"function broken( {"));
    EXPECT_NE(page->LastError(), u"");
    // A failed load leaves what was loaded before.
    EXPECT_EQ(page->Evaluate(u"centre.x"), std::optional<std::u16string>(u"3"));
    EXPECT_EQ(page->LastError(), u"");
}

TEST_F(PageObjectTest, EvaluateGivesTheValueAsJScriptWritesIt) {
    struct Case {
        const char16_t* text;
        std::optional<std::u16string> expected;
    };
    const Case cases[] = {
        {u"1+2", u"3"},
        {u"1 / 4", u"0.25"},
        {u"37.5665", u"37.5665"},
        {u"1 == 1", u"true"},
        {u"void 0", u"undefined"},
        {u"null", u"null"},
        {u"'서울' + '역'", u"서울역"},
        {u"[1, 2]", u"1,2"},
        {u"1 +", std::nullopt},
        {u"throw 'no'", std::nullopt},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << index++);
        EXPECT_EQ(page->Evaluate(c.text), c.expected);
    }
}

TEST_F(PageObjectTest, EvaluateValueConvertsAsTheRobotDoes) {
    const ScriptValue three = page->EvaluateValue(u"1+2");
    EXPECT_EQ(three.text, std::optional<std::u16string>(u"3"));
    EXPECT_EQ(three.boolean, std::optional<bool>(true));
    const ScriptValue failed = page->EvaluateValue(u"1 +");
    EXPECT_EQ(failed.text, std::optional<std::u16string>(u""));
    EXPECT_EQ(failed.boolean, std::optional<bool>(false));
    const ScriptValue word = page->EvaluateValue(u"'abc'");
    EXPECT_EQ(word.text, std::optional<std::u16string>(u"abc"));
    EXPECT_EQ(word.boolean, std::nullopt);
}

TEST_F(PageObjectTest, TheHostSeesEveryEvalOfACallerButNotItsOwn) {
    ASSERT_TRUE(page->LoadScript(u"var hits = 0; function hit() { hits++; return true; }"));
    std::vector<std::u16string> seen;
    std::optional<std::u16string> hitsWhenSeen;
    page->OnEval([&](const std::u16string& text) {
        seen.push_back(text);
        hitsWhenSeen = page->Evaluate(u"hits");
    });
    const HWND browser = Browser(page);
    ASSERT_NE(browser, nullptr);
    auto eval = EvalOf(browser);
    ASSERT_TRUE(eval);
    const auto id = eval->GetDispId(u"eval");
    ASSERT_TRUE(id);
    EXPECT_EQ(eval->Invoke(*id, u"hit()").boolean, std::optional<bool>(true));
    EXPECT_EQ(eval->Invoke(*id, u"hit( ").text, std::optional<std::u16string>(u""));
    EXPECT_EQ(page->Evaluate(u"hits"), std::optional<std::u16string>(u"1"));
    // The hook ran after the script: it saw the page as the script left it.
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"hit()", u"hit( "}));
    EXPECT_EQ(hitsWhenSeen, std::optional<std::u16string>(u"1"));
    EXPECT_EQ(page->Stats().evals, seen);
    EXPECT_EQ(page->Stats().documentRequests, 1);
}

TEST_F(PageObjectTest, ABrowserWindowShowsTheAttachedPage) {
    const HWND empty = Browser(nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(desktop.GetClassName(ToPort(empty), 64), u"Internet Explorer_Server");
    EXPECT_EQ(PageOf(empty), nullptr);
    // Without a page there is nothing to hand out.
    const std::uint32_t message = desktop.RegisterWindowMessage(u"WM_HTML_GETOBJECT");
    EXPECT_EQ(desktop.SendTimeout(ToPort(empty), message, 0, 0, SMTO_ABORTIFHUNG, 3000),
              std::optional<std::intptr_t>(0));

    ASSERT_TRUE(AttachPage(empty, page));
    EXPECT_EQ(PageOf(empty), page);
    auto eval = EvalOf(empty);
    ASSERT_TRUE(eval);

    const HWND notBrowser = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                              ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(notBrowser, nullptr);
    EXPECT_FALSE(AttachPage(notBrowser, page));
    EXPECT_EQ(PageOf(notBrowser), nullptr);
    ::DestroyWindow(notBrowser);
}

TEST_F(PageObjectTest, APageOutlivesItsHostWhileACallerHoldsIt) {
    ASSERT_TRUE(page->LoadScript(u"function answer() { return 42; }"));
    const HWND browser = Browser(page);
    ASSERT_NE(browser, nullptr);
    auto eval = EvalOf(browser);
    ASSERT_TRUE(eval);
    const auto id = eval->GetDispId(u"eval");
    ASSERT_TRUE(id);
    // The host lets go of the page and its window; the caller's reference keeps it working.
    ::DestroyWindow(browser);
    page.reset();
    EXPECT_EQ(eval->Invoke(*id, u"answer()").text, std::optional<std::u16string>(u"42"));
}

}  // namespace
}  // namespace qm::sim::page
