#include "testing/fake_page.h"

#include <charconv>
#include <cstdio>
#include <system_error>
#include <utility>

#include "testing/fake_desktop_internal.h"

namespace qm::testing {

// ---------------------------------------------------------------------------
// Script values

ScriptValue ScriptEmpty() { return ScriptValue{std::u16string(), false}; }

ScriptValue ScriptNull() { return ScriptValue{}; }

ScriptValue ScriptBool(bool value) { return ScriptValue{value ? u"-1" : u"0", value}; }

ScriptValue ScriptNumber(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    std::u16string text;
    for (const char* p = buffer; *p; ++p) text.push_back(static_cast<char16_t>(*p));
    return ScriptValue{text, value != 0.0};
}

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

bool EqualsIgnoringAsciiCase(const std::u16string& a, const char16_t* b) {
    std::size_t i = 0;
    for (; i < a.size(); ++i) {
        char16_t x = a[i];
        char16_t y = b[i];
        if (y == u'\0') return false;
        if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - u'a' + u'A');
        if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - u'a' + u'A');
        if (x != y) return false;
    }
    return b[i] == u'\0';
}

// A decimal number as VarR8FromStr takes it: sign, digits with an optional
// decimal point, an optional exponent; nothing else.
std::optional<double> ParseDecimal(const std::u16string& s) {
    std::string ascii;
    std::size_t i = 0;
    bool digits = false;
    auto take = [&](auto pred) {
        while (i < s.size() && pred(s[i])) ascii.push_back(static_cast<char>(s[i++]));
    };
    auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        if (s[i] == u'-') ascii.push_back('-');  // from_chars takes no leading '+'
        ++i;
    }
    std::size_t before = ascii.size();
    take(isDigit);
    digits = ascii.size() > before;
    if (i < s.size() && s[i] == u'.') {
        ascii.push_back('.');
        ++i;
        before = ascii.size();
        take(isDigit);
        digits = digits || ascii.size() > before;
    }
    if (!digits) return std::nullopt;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        ascii.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ascii.push_back(static_cast<char>(s[i++]));
        before = ascii.size();
        take(isDigit);
        if (ascii.size() == before) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
    return value;
}

}  // namespace

ScriptValue ScriptString(const std::u16string& value) {
    ScriptValue v;
    v.text = value;
    std::size_t b = 0;
    std::size_t e = value.size();
    while (b < e && IsBlank(value[b])) ++b;
    while (e > b && IsBlank(value[e - 1])) --e;
    const std::u16string trimmed = value.substr(b, e - b);
    if (EqualsIgnoringAsciiCase(trimmed, u"true")) {
        v.boolean = true;
    } else if (EqualsIgnoringAsciiCase(trimmed, u"false")) {
        v.boolean = false;
    } else if (auto number = ParseDecimal(trimmed)) {
        v.boolean = *number != 0.0;
    }
    return v;
}

// ---------------------------------------------------------------------------
// The page's objects. Each holds the page and answers from its switches; once
// the page's window is gone every call fails, as a disconnected proxy does.

namespace {

class Eval final : public PageEval {
public:
    explicit Eval(std::shared_ptr<FakePage> page) : page_(std::move(page)) {}
    std::optional<std::int32_t> GetDispId(const std::u16string& name) override {
        if (!page_->Attached() || page_->fail.evalDispId || name != u"eval") return std::nullopt;
        return FakePage::kEvalDispId;
    }
    ScriptValue Invoke(std::int32_t id, const std::u16string& argument) override {
        // A failed Invoke leaves the result VARIANT empty.
        if (!page_->Attached() || id != FakePage::kEvalDispId) return ScriptEmpty();
        page_->scripts.push_back(argument);
        return page_->eval ? page_->eval(argument) : ScriptEmpty();
    }

private:
    std::shared_ptr<FakePage> page_;
};

class Document;

class Window final : public PageWindow {
public:
    explicit Window(std::shared_ptr<FakePage> page) : page_(std::move(page)) {}
    std::shared_ptr<PageDocument> GetDocument() override;
    std::shared_ptr<PageEval> QueryEval() override {
        if (!page_->Attached() || page_->fail.queryEval) return nullptr;
        return std::make_shared<Eval>(page_);
    }

private:
    std::shared_ptr<FakePage> page_;
};

class Document final : public PageDocument {
public:
    explicit Document(std::shared_ptr<FakePage> page) : page_(std::move(page)) {}
    std::shared_ptr<PageWindow> GetParentWindow() override {
        if (!page_->Attached() || page_->fail.parentWindow) return nullptr;
        return std::make_shared<Window>(page_);
    }
    std::optional<std::u16string> GetUrl() override {
        if (!page_->Attached() || page_->fail.url) return std::nullopt;
        return page_->url;
    }

private:
    std::shared_ptr<FakePage> page_;
};

std::shared_ptr<PageDocument> Window::GetDocument() {
    if (!page_->Attached() || page_->fail.windowDocument) return nullptr;
    return std::make_shared<Document>(page_);
}

class RootDocument final : public PageRootDocument {
public:
    explicit RootDocument(std::shared_ptr<FakePage> page) : page_(std::move(page)) {}
    std::shared_ptr<PageWindow> GetScriptWindow() override {
        if (!page_->Attached() || page_->fail.scriptWindow) return nullptr;
        return std::make_shared<Window>(page_);
    }

private:
    std::shared_ptr<FakePage> page_;
};

class Element final : public PageElement {
public:
    explicit Element(std::shared_ptr<FakePage> page) : page_(std::move(page)) {}
    std::shared_ptr<PageDocument> GetDocument() override {
        if (!page_->Attached() || page_->fail.elementDocument) return nullptr;
        return std::make_shared<Document>(page_);
    }

private:
    std::shared_ptr<FakePage> page_;
};

class ServiceProvider final : public PageServiceProvider {
public:
    explicit ServiceProvider(std::shared_ptr<FakePage> page) : page_(std::move(page)) {}
    std::shared_ptr<PageElement> QueryHtmlElement() override {
        if (!page_->Attached()) return nullptr;
        ++page_->elementTries;
        if (page_->elementTries <= page_->fail.elementMissing) return nullptr;
        return std::make_shared<Element>(page_);
    }

private:
    std::shared_ptr<FakePage> page_;
};

class Accessible final : public PageAccessible {
public:
    explicit Accessible(std::shared_ptr<FakePage> page) : page_(std::move(page)) {}
    std::shared_ptr<PageServiceProvider> QueryServiceProvider() override {
        if (!page_->Attached() || page_->fail.serviceProvider) return nullptr;
        return std::make_shared<ServiceProvider>(page_);
    }

private:
    std::shared_ptr<FakePage> page_;
};

}  // namespace

std::shared_ptr<PageRootDocument> MakeRootDocument(std::shared_ptr<FakePage> page) {
    return std::make_shared<RootDocument>(std::move(page));
}

std::shared_ptr<PageAccessible> MakeAccessible(std::shared_ptr<FakePage> page) {
    return std::make_shared<Accessible>(std::move(page));
}

// ---------------------------------------------------------------------------
// The desktop's side: pages in browser windows

std::shared_ptr<FakePage> FakeDesktop::AttachPage(Hwnd browser) {
    Window& w = Require(browser, "AttachPage");
    if (w.page) w.page->attached_ = false;
    w.page = std::make_shared<FakePage>();
    return w.page;
}

std::shared_ptr<FakePage> FakeDesktop::Page(Hwnd browser) const {
    const Window* w = Find(browser);
    return w ? w->page : nullptr;
}

std::uint32_t FakeDesktop::HtmlGetObjectMessage() { return RegisterWindowMessage(u"WM_HTML_GETOBJECT"); }

bool FakeDesktop::HasObjectFromLresult(Module oleacc) { return oleacc != kNoModule && objectFromLresult_; }

std::shared_ptr<PageRootDocument> FakeDesktop::ObjectFromLresult(Module oleacc, std::intptr_t lresult) {
    if (!HasObjectFromLresult(oleacc)) return nullptr;
    auto it = tokens_.find(lresult);
    if (it == tokens_.end()) return nullptr;
    auto page = it->second;
    tokens_.erase(it);  // a result of LresultFromObject serves once
    if (!page->attached_ || page->fail.objectFromLresult) return nullptr;
    return MakeRootDocument(page);
}

std::shared_ptr<PageAccessible> FakeDesktop::AccessibleObjectFromPoint(Point screen) {
    for (const Window* w = Find(HitTest(screen)); w; w = Find(w->parent)) {
        if (!w->page) continue;
        const auto page = w->page;
        ++page->accessibleTries;
        if (page->accessibleTries <= page->fail.accessibleMissing) return nullptr;
        return MakeAccessible(page);
    }
    return nullptr;
}

}  // namespace qm::testing
