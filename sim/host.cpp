#include "sim/host.h"

#include <memory>

namespace qm::sim {

const char16_t* StandardClass(Behaviour behaviour) {
    switch (behaviour) {
        case Behaviour::Dialog: return u"#32770";
        case Behaviour::Edit: return u"Edit";
        case Behaviour::Button:
        case Behaviour::CheckBox: return u"Button";
        case Behaviour::Label: return u"Static";
        case Behaviour::Combo: return u"ComboBox";
        case Behaviour::Browser: return u"Internet Explorer_Server";
        case Behaviour::Container: break;
    }
    return u"";
}

namespace {

std::u16string FoldAscii(std::u16string s) {
    for (char16_t& c : s)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return s;
}

bool SameFamily(Behaviour a, Behaviour b) {
    auto family = [](Behaviour x) { return x == Behaviour::CheckBox ? Behaviour::Button : x; };
    return family(a) == family(b);
}

}  // namespace

bool ClassBook::Admit(const std::u16string& className, Behaviour behaviour) {
    if (classes_.empty()) {
        for (Behaviour b : {Behaviour::Edit, Behaviour::Button, Behaviour::Label, Behaviour::Combo, Behaviour::Dialog,
                            Behaviour::Browser})
            classes_.emplace_back(FoldAscii(StandardClass(b)), b);
        classes_.emplace_back(u"mdiclient", Behaviour::Container);
    }
    const std::u16string key = FoldAscii(className);
    for (const auto& [name, known] : classes_)
        if (name == key) return SameFamily(known, behaviour);
    classes_.emplace_back(key, behaviour);
    return true;
}

Hwnd ShowMessageBox(Host& host, const MessageBoxSpec& desc, std::function<void(int id)> onAnswer) {
    constexpr int kWidth = 340;
    constexpr int kHeight = 150;
    constexpr int kButtonWidth = 88;
    constexpr int kButtonHeight = 26;

    WindowSpec box;
    box.behaviour = Behaviour::Dialog;
    box.text = desc.title;
    box.owner = desc.owner;
    box.rect = {desc.position.x, desc.position.y, desc.position.x + kWidth, desc.position.y + kHeight};
    const Hwnd dialog = host.Create(box);
    if (IsNull(dialog)) return dialog;

    WindowSpec icon;
    icon.behaviour = Behaviour::Label;
    icon.parent = dialog;
    icon.id = 0x14;
    icon.rect = {12, 12, 44, 44};
    host.Create(icon);

    WindowSpec text;
    text.behaviour = Behaviour::Label;
    text.parent = dialog;
    text.id = 0xFFFF;
    text.text = desc.text;
    text.rect = {56, 12, kWidth - 12, 80};
    if (desc.order == BoxOrder::TextThenButtons) host.Create(text);

    int left = kWidth - 12 - static_cast<int>(desc.buttons.size()) * (kButtonWidth + 8) + 8;
    for (const MessageBoxButton& b : desc.buttons) {
        WindowSpec button;
        button.behaviour = Behaviour::Button;
        button.parent = dialog;
        button.id = b.id;
        button.text = b.text;
        button.rect = {left, 88, left + kButtonWidth, 88 + kButtonHeight};
        host.Create(button);
        left += kButtonWidth + 8;
    }
    if (desc.order == BoxOrder::ButtonsThenText) host.Create(text);

    // The answer is given once, whichever way it comes.
    auto answer = std::make_shared<std::function<void(int)>>(std::move(onAnswer));
    auto finish = [&host, dialog, answer](int id) {
        if (!host.Exists(dialog)) return;
        host.Destroy(dialog);
        if (*answer) {
            auto call = std::move(*answer);
            *answer = nullptr;
            call(id);
        }
    };
    std::vector<int> ids;
    for (const MessageBoxButton& b : desc.buttons) ids.push_back(b.id);
    host.OnCommand(dialog, [finish, ids](int id, int code, Hwnd) {
        if (code != 0) return;
        for (int known : ids) {
            if (known == id) {
                finish(id);
                return;
            }
        }
    });
    const int cancelId = desc.cancelId;
    host.OnClose(dialog, [finish, cancelId]() {
        finish(cancelId);
        return false;  // finish has already destroyed it
    });
    return dialog;
}

}  // namespace qm::sim
