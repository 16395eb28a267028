#include "sim/kit/shell.h"

#include <algorithm>

#include "platform/messages.h"
#include "sim/kit/text.h"

namespace qm::sim::kit {

Shell::~Shell() {
    for (TimerId t : timers_) host_.CancelTimer(t);
    for (const auto& [key, t] : slotTimers_) host_.CancelTimer(t);
}

bool Shell::Start() {
    if (!IsNull(main_)) return true;
    const MainSpec mainWindow = Main();
    mainBuilt_ = BuildTopLevel(host_, mainWindow.layout, kNoWindow, Omit());
    main_ = mainBuilt_.Get("main");
    if (IsNull(main_)) return false;
    host_.OnDestroy(main_, [this]() {
        main_ = kNoWindow;
        host_.Quit();
    });
    ListenMain(main_, nullptr);
    Listen(mainBuilt_.Get(mainWindow.opener), [this, openId = mainWindow.openId, delayMs = mainWindow.delayMs](int id, int code, Hwnd) {
        if (id != openId || code != 0) return;
        After(delayMs, [this]() { OpenNewEntry(); });
    });
    return true;
}

Hwnd Shell::ShowStoredOrder(std::size_t k) {
    if (k >= Orders().size()) return kNoWindow;
    const StoredOrder copy = Orders()[k];
    return CreateEntry(&copy, static_cast<int>(k));
}

EntryState* Shell::AddEntry(WindowSpec w, std::unique_ptr<EntryState> state, int orderIndex) {
    if (IsNull(main_)) return nullptr;
    const int offset = 24 * (cascade_++ % 8);
    w.rect = {w.rect.left + offset, w.rect.top + offset, w.rect.right + offset, w.rect.bottom + offset};
    const Hwnd window = Make(w);
    if (IsNull(window)) return nullptr;
    EntryState& e = *state;
    e.window = window;
    e.modify = orderIndex >= 0;
    e.orderIndex = orderIndex;
    entries_[window] = std::move(state);
    entryOrder_.push_back(window);
    host_.OnDestroy(window, [this, window]() {
        auto it = entries_.find(window);
        if (it == entries_.end()) return;
        const std::unique_ptr<EntryState> gone = std::move(it->second);
        entries_.erase(it);
        entryOrder_.erase(std::remove(entryOrder_.begin(), entryOrder_.end(), window), entryOrder_.end());
        for (auto t = slotTimers_.begin(); t != slotTimers_.end();) {
            if (t->first.first == window) {
                host_.CancelTimer(t->second);
                t = slotTimers_.erase(t);
            } else {
                ++t;
            }
        }
        OnEntryGone(*gone);
    });
    return &e;
}

EntryState* Shell::Entry(Hwnd window) const {
    auto it = entries_.find(window);
    return it == entries_.end() ? nullptr : it->second.get();
}

// --- timers ----------------------------------------------------------------

void Shell::After(std::uint32_t ms, std::function<void()> f) {
    if (ms == 0) {
        f();
        return;
    }
    auto id = std::make_shared<TimerId>(0);
    *id = host_.StartTimer(ms, [this, id, f = std::move(f)]() {
        timers_.erase(std::remove(timers_.begin(), timers_.end(), *id), timers_.end());
        f();
    });
    timers_.push_back(*id);
}

void Shell::After(Hwnd entry, int slot, std::uint32_t ms, std::function<void()> f) {
    if (ms != 0) {
        Later(entry, slot, ms, std::move(f));
        return;
    }
    Cancel(entry, slot);
    f();
}

void Shell::Later(Hwnd entry, int slot, std::uint32_t ms, std::function<void()> f) {
    Cancel(entry, slot);
    const std::pair<Hwnd, int> key{entry, slot};
    slotTimers_[key] = host_.StartTimer(ms, [this, key, f = std::move(f)]() {
        slotTimers_.erase(key);
        f();
    });
}

void Shell::Cancel(Hwnd entry, int slot) {
    auto it = slotTimers_.find({entry, slot});
    if (it == slotTimers_.end()) return;
    host_.CancelTimer(it->second);
    slotTimers_.erase(it);
}

// --- finishing -------------------------------------------------------------

std::optional<std::size_t> Shell::ShownOrder(const EntryState& e) const {
    if (!e.modify || e.orderIndex < 0 || static_cast<std::size_t>(e.orderIndex) >= Orders().size())
        return std::nullopt;
    return static_cast<std::size_t>(e.orderIndex);
}

std::u16string Shell::RegisterStatus(const EntryState& e) const {
    const auto k = ShownOrder(e);
    return k ? Orders()[*k].status : u"registered";
}

void Shell::Save(const EntryState& e, StoredOrder o) {
    if (const auto k = ShownOrder(e)) Book().Replace(*k, std::move(o));
    else Book().Store(std::move(o));
}

void Shell::Finish(Hwnd window, const std::u16string& status) {
    const EntryState* e = Entry(window);
    if (!e) return;
    StoredOrder o = ReadOrder(*e);
    o.status = status;
    OnFinishing(*e, o);
    Save(*e, std::move(o));
    // What the window owns goes with it.
    host_.Destroy(window);
}

std::u16string Shell::TextOf(Hwnd box) const { return IsNull(box) ? std::u16string() : host_.GetText(box); }

void Shell::SetTextOf(Hwnd box, const std::u16string& text) {
    if (!IsNull(box)) host_.SetText(box, text);
}

// --- reactions -------------------------------------------------------------

void Shell::OnEnter(Hwnd box, std::function<void()> react) {
    if (IsNull(box)) return;
    host_.OnKey(box, [react = std::move(react)](std::uint32_t vk) {
        if (vk != msg::VK_RETURN) return false;
        if (react) react();
        return true;
    });
}

void Shell::OnTab(Hwnd box, std::function<void()> react) {
    if (IsNull(box)) return;
    host_.OnKey(box, [react = std::move(react)](std::uint32_t vk) {
        if (vk == msg::VK_TAB) react();
        return false;
    });
}

std::u16string Shell::FindCustomer(const std::u16string& typed) const {
    const std::u16string digits = Digits(typed);
    if (digits.size() >= 7) return digits;
    if (digits.size() != 4) return {};
    // The last four digits find a known customer, the latest first.
    for (auto it = Orders().rbegin(); it != Orders().rend(); ++it) {
        const std::u16string known = Digits(it->customerPhone);
        if (known.size() >= 7 && EndsWith(known, digits)) return known;
    }
    return {};
}

Hwnd Shell::Box(Hwnd owner, const std::u16string& title, const std::u16string& text,
                std::vector<MessageBoxButton> buttons, std::function<void(int)> onAnswer) {
    MessageBoxSpec desc;
    desc.title = title;
    desc.text = text;
    desc.buttons = std::move(buttons);
    desc.owner = owner;
    const Rect r = host_.ScreenRect(owner);
    desc.position = {r.left + 120, r.top + 120};
    return Substitute::Box(desc, std::move(onAnswer));
}

}  // namespace qm::sim::kit
