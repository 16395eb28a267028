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
    host.Create(text);

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
