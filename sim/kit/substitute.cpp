#include "sim/kit/substitute.h"

#include <utility>

namespace qm::sim::kit {

Substitute::Substitute(Host& host, CommonOptions common)
    : host_(host), common_(std::move(common)), book_(common_.ordersFile) {}

bool Substitute::Omitted(const WindowSpec& desc) const {
    const std::u16string cls = desc.className.empty() ? StandardClass(desc.behaviour) : desc.className;
    for (const std::u16string& o : common_.omit)
        if (o == desc.text || o == cls) return true;
    return false;
}

OmitRule Substitute::Omit() const {
    return [this](const WindowSpec& desc) { return Omitted(desc); };
}

Hwnd Substitute::Make(WindowSpec desc) {
    if (Omitted(desc)) return kNoWindow;
    return host_.Create(desc);
}

void Substitute::Listen(Hwnd target, Host::CommandHandler handler) {
    if (IsNull(target)) return;
    host_.OnCommand(target, [this, handler = std::move(handler)](int id, int code, Hwnd control) {
        if (handler) handler(id, code, control);
        if (common_.hangAfterCommand && *common_.hangAfterCommand == id) host_.Hang(common_.hangMs);
    });
}

void Substitute::ListenMain(Hwnd main, Host::CommandHandler own) {
    Listen(main, [this, own = std::move(own)](int id, int code, Hwnd control) {
        if (code == 0) {
            if (id == kCmdWriteOrders) {
                WriteOrdersFile();
                return;
            }
            if (id == kCmdHang) {
                host_.Hang(common_.hangMs);
                return;
            }
            if (id >= kCmdOpenOrderBase && id < kCmdOpenOrderBase + kMaxOpenableOrders) {
                ShowStoredOrder(static_cast<std::size_t>(id - kCmdOpenOrderBase));
                return;
            }
        }
        if (own) own(id, code, control);
    });
}

Hwnd Substitute::Box(const MessageBoxSpec& desc, std::function<void(int)> onAnswer) {
    WindowSpec asWindow;
    asWindow.behaviour = Behaviour::Dialog;
    asWindow.text = desc.title;
    if (Omitted(asWindow)) return kNoWindow;
    return ShowMessageBox(host_, desc, std::move(onAnswer));
}

}  // namespace qm::sim::kit
