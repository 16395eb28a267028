#include "testing/fault_desktop.h"

#include <utility>

namespace qm::testing {

namespace {

using Self = std::shared_ptr<FaultDesktop*>;

// Each page object forwards to the fake's object through the fault desktop,
// so its calls are counted and can be followed by the fault. Once the fault
// desktop is gone a kept object answers as a disconnected one does.
class EvalProxy final : public PageEval {
public:
    EvalProxy(Self self, std::shared_ptr<PageEval> inner) : self_(std::move(self)), inner_(std::move(inner)) {}
    std::optional<std::int32_t> GetDispId(const std::u16string& name) override {
        if (!*self_) return std::nullopt;
        return (*self_)->Call("PageEval::GetDispId", CallKind::Page, kNoWindow,
                              [&] { return inner_->GetDispId(name); });
    }
    ScriptValue Invoke(std::int32_t id, const std::u16string& argument) override {
        if (!*self_) return ScriptValue{};
        return (*self_)->Call("PageEval::Invoke", CallKind::Page, kNoWindow,
                              [&] { return inner_->Invoke(id, argument); });
    }

private:
    Self self_;
    std::shared_ptr<PageEval> inner_;
};

std::shared_ptr<PageDocument> WrapDocument(const Self& self, std::shared_ptr<PageDocument> inner);

class WindowProxy final : public PageWindow {
public:
    WindowProxy(Self self, std::shared_ptr<PageWindow> inner) : self_(std::move(self)), inner_(std::move(inner)) {}
    std::shared_ptr<PageDocument> GetDocument() override {
        if (!*self_) return nullptr;
        return WrapDocument(self_, (*self_)->Call("PageWindow::GetDocument", CallKind::Page, kNoWindow,
                                                  [&] { return inner_->GetDocument(); }));
    }
    std::shared_ptr<PageEval> QueryEval() override {
        if (!*self_) return nullptr;
        auto eval = (*self_)->Call("PageWindow::QueryEval", CallKind::Page, kNoWindow,
                                   [&] { return inner_->QueryEval(); });
        return eval ? std::make_shared<EvalProxy>(self_, std::move(eval)) : nullptr;
    }

private:
    Self self_;
    std::shared_ptr<PageWindow> inner_;
};

std::shared_ptr<PageWindow> WrapWindow(const Self& self, std::shared_ptr<PageWindow> inner) {
    return inner ? std::make_shared<WindowProxy>(self, std::move(inner)) : nullptr;
}

class DocumentProxy final : public PageDocument {
public:
    DocumentProxy(Self self, std::shared_ptr<PageDocument> inner) : self_(std::move(self)), inner_(std::move(inner)) {}
    std::shared_ptr<PageWindow> GetParentWindow() override {
        if (!*self_) return nullptr;
        return WrapWindow(self_, (*self_)->Call("PageDocument::GetParentWindow", CallKind::Page, kNoWindow,
                                                [&] { return inner_->GetParentWindow(); }));
    }
    std::optional<std::u16string> GetUrl() override {
        if (!*self_) return std::nullopt;
        return (*self_)->Call("PageDocument::GetUrl", CallKind::Page, kNoWindow, [&] { return inner_->GetUrl(); });
    }

private:
    Self self_;
    std::shared_ptr<PageDocument> inner_;
};

std::shared_ptr<PageDocument> WrapDocument(const Self& self, std::shared_ptr<PageDocument> inner) {
    return inner ? std::make_shared<DocumentProxy>(self, std::move(inner)) : nullptr;
}

class RootProxy final : public PageRootDocument {
public:
    RootProxy(Self self, std::shared_ptr<PageRootDocument> inner) : self_(std::move(self)), inner_(std::move(inner)) {}
    std::shared_ptr<PageWindow> GetScriptWindow() override {
        if (!*self_) return nullptr;
        return WrapWindow(self_, (*self_)->Call("PageRootDocument::GetScriptWindow", CallKind::Page, kNoWindow,
                                                [&] { return inner_->GetScriptWindow(); }));
    }

private:
    Self self_;
    std::shared_ptr<PageRootDocument> inner_;
};

class ElementProxy final : public PageElement {
public:
    ElementProxy(Self self, std::shared_ptr<PageElement> inner) : self_(std::move(self)), inner_(std::move(inner)) {}
    std::shared_ptr<PageDocument> GetDocument() override {
        if (!*self_) return nullptr;
        return WrapDocument(self_, (*self_)->Call("PageElement::GetDocument", CallKind::Page, kNoWindow,
                                                  [&] { return inner_->GetDocument(); }));
    }

private:
    Self self_;
    std::shared_ptr<PageElement> inner_;
};

class ProviderProxy final : public PageServiceProvider {
public:
    ProviderProxy(Self self, std::shared_ptr<PageServiceProvider> inner)
        : self_(std::move(self)), inner_(std::move(inner)) {}
    std::shared_ptr<PageElement> QueryHtmlElement() override {
        if (!*self_) return nullptr;
        auto element = (*self_)->Call("PageServiceProvider::QueryHtmlElement", CallKind::Page, kNoWindow,
                                      [&] { return inner_->QueryHtmlElement(); });
        return element ? std::make_shared<ElementProxy>(self_, std::move(element)) : nullptr;
    }

private:
    Self self_;
    std::shared_ptr<PageServiceProvider> inner_;
};

class AccessibleProxy final : public PageAccessible {
public:
    AccessibleProxy(Self self, std::shared_ptr<PageAccessible> inner)
        : self_(std::move(self)), inner_(std::move(inner)) {}
    std::shared_ptr<PageServiceProvider> QueryServiceProvider() override {
        if (!*self_) return nullptr;
        auto provider = (*self_)->Call("PageAccessible::QueryServiceProvider", CallKind::Page, kNoWindow,
                                       [&] { return inner_->QueryServiceProvider(); });
        return provider ? std::make_shared<ProviderProxy>(self_, std::move(provider)) : nullptr;
    }

private:
    Self self_;
    std::shared_ptr<PageAccessible> inner_;
};

}  // namespace

FaultDesktop::FaultDesktop(FakeDesktop& fake, int process, Fault fault, std::size_t after)
    : fake_(fake), process_(process), fault_(fault), after_(after), self_(std::make_shared<FaultDesktop*>(this)) {}

FaultDesktop::~FaultDesktop() { *self_ = nullptr; }

std::size_t FaultDesktop::Begin(const char* name, CallKind kind, Hwnd window) {
    PortCall call;
    call.index = log_.size() + 1;
    call.name = name;
    call.kind = kind;
    call.window = window;
    call.time = fake_.Now();
    call.afterNotResponding = fake_.NotResponding();
    log_.push_back(call);
    return call.index;
}

void FaultDesktop::End(std::size_t index) {
    if (fault_ == Fault::None || firedAt_ || index != after_) return;
    firedAt_ = fake_.Now();
    if (fault_ == Fault::Vanish) {
        fake_.EndProcess(process_);
    } else {
        fake_.SetProcessHung(process_, true);
    }
}

std::size_t FaultDesktop::LastReaching() const {
    for (auto it = log_.rbegin(); it != log_.rend(); ++it)
        if (it->kind != CallKind::Look) return it->index;
    return 0;
}

std::vector<PortCall> FaultDesktop::ReachedAfterNotResponding() const {
    std::vector<PortCall> out;
    for (const PortCall& c : log_)
        if (c.afterNotResponding && (c.kind == CallKind::Posted || c.kind == CallKind::Page)) out.push_back(c);
    return out;
}

// ---------------------------------------------------------------------------
// Forwarding

Hwnd FaultDesktop::FindWindow(const char16_t* className, const char16_t* windowName) {
    return Call("FindWindow", CallKind::Look, kNoWindow, [&] { return fake_.FindWindow(className, windowName); });
}

Hwnd FaultDesktop::FindWindowEx(Hwnd parent, Hwnd childAfter, const char16_t* className, const char16_t* windowName) {
    return Call("FindWindowEx", CallKind::Look, parent,
                [&] { return fake_.FindWindowEx(parent, childAfter, className, windowName); });
}

void FaultDesktop::EnumChildWindows(Hwnd parent, const std::function<bool(Hwnd)>& visit) {
    Call("EnumChildWindows", CallKind::Look, parent, [&] { fake_.EnumChildWindows(parent, visit); });
}

Hwnd FaultDesktop::GetWindow(Hwnd window, Relation relation) {
    return Call("GetWindow", CallKind::Look, window, [&] { return fake_.GetWindow(window, relation); });
}

Hwnd FaultDesktop::GetParent(Hwnd window) {
    return Call("GetParent", CallKind::Look, window, [&] { return fake_.GetParent(window); });
}

std::u16string FaultDesktop::GetWindowText(Hwnd window, std::size_t maxChars) {
    return Call("GetWindowText", CallKind::Look, window, [&] { return fake_.GetWindowText(window, maxChars); });
}

std::u16string FaultDesktop::GetClassName(Hwnd window, std::size_t maxChars) {
    return Call("GetClassName", CallKind::Look, window, [&] { return fake_.GetClassName(window, maxChars); });
}

std::uint32_t FaultDesktop::GetWindowProcessId(Hwnd window) {
    return Call("GetWindowProcessId", CallKind::Look, window, [&] { return fake_.GetWindowProcessId(window); });
}

int FaultDesktop::GetDlgCtrlID(Hwnd window) {
    return Call("GetDlgCtrlID", CallKind::Look, window, [&] { return fake_.GetDlgCtrlID(window); });
}

std::optional<WindowInfo> FaultDesktop::GetWindowInfo(Hwnd window) {
    return Call("GetWindowInfo", CallKind::Look, window, [&] { return fake_.GetWindowInfo(window); });
}

std::optional<Point> FaultDesktop::ScreenToClient(Hwnd window, Point screen) {
    return Call("ScreenToClient", CallKind::Look, window, [&] { return fake_.ScreenToClient(window, screen); });
}

std::intptr_t FaultDesktop::Send(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    return Call("Send", CallKind::Sent, window, [&] { return fake_.Send(window, message, wParam, lParam); });
}

bool FaultDesktop::Post(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    return Call("Post", CallKind::Posted, window, [&] { return fake_.Post(window, message, wParam, lParam); });
}

std::optional<std::intptr_t> FaultDesktop::SendTimeout(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                                                       std::intptr_t lParam, std::uint32_t flags,
                                                       std::uint32_t timeoutMs) {
    return Call("SendTimeout", CallKind::Sent, window,
                [&] { return fake_.SendTimeout(window, message, wParam, lParam, flags, timeoutMs); });
}

std::uint32_t FaultDesktop::RegisterWindowMessage(const char16_t* name) {
    return Call("RegisterWindowMessage", CallKind::Look, kNoWindow, [&] { return fake_.RegisterWindowMessage(name); });
}

std::u16string FaultDesktop::SendGetText(Hwnd window, std::size_t bufferUnits) {
    return Call("SendGetText", CallKind::Sent, window, [&] { return fake_.SendGetText(window, bufferUnits); });
}

std::intptr_t FaultDesktop::SendSetText(Hwnd window, const std::u16string& text) {
    return Call("SendSetText", CallKind::Sent, window, [&] { return fake_.SendSetText(window, text); });
}

std::u16string FaultDesktop::SendGetLine(Hwnd edit, int line, std::size_t maxUnits) {
    return Call("SendGetLine", CallKind::Sent, edit, [&] { return fake_.SendGetLine(edit, line, maxUnits); });
}

std::optional<std::u16string> FaultDesktop::SendGetComboItem(Hwnd combo, int index) {
    return Call("SendGetComboItem", CallKind::Sent, combo, [&] { return fake_.SendGetComboItem(combo, index); });
}

bool FaultDesktop::SetForegroundWindow(Hwnd window) {
    return Call("SetForegroundWindow", CallKind::Look, window, [&] { return fake_.SetForegroundWindow(window); });
}

Hwnd FaultDesktop::SetActiveWindow(Hwnd window) {
    return Call("SetActiveWindow", CallKind::Look, window, [&] { return fake_.SetActiveWindow(window); });
}

bool FaultDesktop::ShowWindow(Hwnd window, int command) {
    return Call("ShowWindow", CallKind::Sent, window, [&] { return fake_.ShowWindow(window, command); });
}

bool FaultDesktop::SetCursorPos(Point screen) {
    return Call("SetCursorPos", CallKind::Look, kNoWindow, [&] { return fake_.SetCursorPos(screen); });
}

std::optional<Point> FaultDesktop::GetCursorPos() {
    return Call("GetCursorPos", CallKind::Look, kNoWindow, [&] { return fake_.GetCursorPos(); });
}

void FaultDesktop::MouseEvent(std::uint32_t flags) {
    // A real click goes to whatever window is under the cursor.
    const std::optional<Point> at = fake_.GetCursorPos();
    const Hwnd under = at ? fake_.HitTest(*at) : kNoWindow;
    Call("MouseEvent", CallKind::Posted, under, [&] { fake_.MouseEvent(flags); });
}

Hwnd FaultDesktop::WindowFromPoint(Point screen) {
    return Call("WindowFromPoint", CallKind::Look, kNoWindow, [&] { return fake_.WindowFromPoint(screen); });
}

bool FaultDesktop::ClickAt(Point screen) {
    return Call("ClickAt", CallKind::Posted, fake_.HitTest(screen), [&] { return fake_.ClickAt(screen); });
}

InputDesk FaultDesktop::InputDeskState() {
    return Call("InputDeskState", CallKind::Look, kNoWindow, [&] { return fake_.InputDeskState(); });
}

void FaultDesktop::Sleep(std::uint32_t milliseconds) {
    Call("Sleep", CallKind::Look, kNoWindow, [&] { fake_.Sleep(milliseconds); });
}

bool FaultDesktop::NotResponding() const { return fake_.NotResponding(); }

bool FaultDesktop::HasObjectFromLresult(Module oleacc) {
    return Call("HasObjectFromLresult", CallKind::Look, kNoWindow, [&] { return fake_.HasObjectFromLresult(oleacc); });
}

std::shared_ptr<PageRootDocument> FaultDesktop::ObjectFromLresult(Module oleacc, std::intptr_t lresult) {
    auto root = Call("ObjectFromLresult", lresult == 0 ? CallKind::Look : CallKind::Page, kNoWindow,
                     [&] { return fake_.ObjectFromLresult(oleacc, lresult); });
    return root ? std::make_shared<RootProxy>(self_, std::move(root)) : nullptr;
}

std::shared_ptr<PageAccessible> FaultDesktop::AccessibleObjectFromPoint(Point screen) {
    auto accessible = Call("AccessibleObjectFromPoint", CallKind::Page, kNoWindow,
                           [&] { return fake_.AccessibleObjectFromPoint(screen); });
    return accessible ? std::make_shared<AccessibleProxy>(self_, std::move(accessible)) : nullptr;
}

}  // namespace qm::testing
