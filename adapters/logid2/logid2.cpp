// LogiD2: finding the main window, the entry windows and their controls, and
// getting rid of an entry window.
#include "adapters/logid2/logid2.h"

#include <utility>
#include <vector>

#include "adapters/logid2/logi_windows.h"
#include "app/result_codes.h"
#include "platform/messages.h"

namespace qm {

using namespace logi;

Hwnd CCallPortLogiD2::FindMainWindow() { return desktop.FindWindow(u"SmartD2-", nullptr); }

CLogiMapDialog CCallPortLogiD2::MapDialog() {
    return CLogiMapDialog(*this, desktop, *profile,
                          [this](Hwnd box, const std::u16string& text) { EnterText(box, text, true, false); });
}

int CCallPortLogiD2::OpenNewEntryWindow() {
    if (!WaitMainWindow()) return 4;
    desktop.SetForegroundWindow(mainWnd);
    desktop.SetActiveWindow(mainWnd);

    const Hwnd mdiClient = FindDescendant(desktop, mainWnd, kIsMdiClient);
    if (IsNull(mdiClient)) return 5;
    const Hwnd view = FindDescendant(desktop, mdiClient, kIsReceptionView);
    if (IsNull(view)) return 7;
    const Hwnd mainList = FindDescendant(desktop, view, kIsMainListDialog);
    if (IsNull(mainList)) return 8;
    const Hwnd receptionButton = FindDescendant(desktop, mainList, kIsReceptionButton);
    if (IsNull(receptionButton)) return 10;

    const std::optional<Point> savedCursor = desktop.GetCursorPos();
    bool accepted = false;
    // A popup is a fresh entry window when it shows "등   록(&R)" and its first
    // child, the telephone box, is empty.
    auto acceptFresh = [&](Hwnd popup) {
        const Hwnd registerButton = FindDescendant(desktop, popup, kIsEntryRegisterButton);
        if (IsNull(registerButton)) return true;
        const Hwnd phoneBox = FirstChild(desktop, popup);
        if (IsNull(phoneBox)) return true;
        const std::intptr_t length = desktop.Send(phoneBox, msg::WM_GETTEXTLENGTH, 0, 0);
        if (Hung() || length != 0) return !Hung();
        c_.entryWindow = popup;
        c_.registerButton = registerButton;
        c_.phoneEdit = phoneBox;
        accepted = true;
        return false;
    };
    for (int attempt = 0; attempt < 3 && !accepted && !Hung(); ++attempt) {
        SendClick(desktop, receptionButton, true);
        for (std::int32_t t = 0; t < profile->windowWait && !accepted && !Hung(); t += 100) {
            desktop.Sleep(100);
            WalkPopups(desktop, mainWnd, acceptFresh);
        }
    }
    if (savedCursor) desktop.SetCursorPos(*savedCursor);
    if (Hung()) return result::kNotResponding;
    return accepted ? 0 : 95;
}

int CCallPortLogiD2::FindOpenEntryWindow() {
    if (!WaitMainWindow()) return 4;
    desktop.SetForegroundWindow(mainWnd);
    desktop.SetActiveWindow(mainWnd);
    c_ = {};

    // An entry window holds an order when the customer display (the window after
    // "대기후복사") shows the looked-up telephone.
    const bool found = PollEvery100(desktop, profile->windowWait, [&] {
        bool accepted = false;
        WalkPopups(desktop, mainWnd, [&](Hwnd popup) {
            const Hwnd registerButton = FindDescendant(desktop, popup, kIsEntryRegisterOrModifyButton);
            if (IsNull(registerButton)) return true;
            const Hwnd copyButton = DirectChild(desktop, popup, u"Button", u"대기후복사");
            if (IsNull(copyButton)) return true;
            std::u16string shown;
            if (ReadLines(desktop, After(desktop, copyButton, 1), shown) <= 0) return !Hung();
            c_.entryWindow = popup;
            c_.registerButton = registerButton;
            c_.phoneEdit = FirstChild(desktop, popup);
            accepted = true;
            return false;
        });
        return accepted;
    });
    if (Hung()) return result::kNotResponding;
    return found ? 0 : 11;
}

int CCallPortLogiD2::FindControls() {
    const Hwnd entry = c_.entryWindow;
    if (IsNull(entry)) return 11;

    Hwnd anchor = DirectChild(desktop, entry, u"Button", u"취소");
    if (IsNull(anchor)) anchor = DirectChild(desktop, entry, u"Button", u"취   소(&X)");
    if (IsNull(anchor)) return 29;
    c_.cancelButton = anchor;
    c_.originEdit = After(desktop, c_.phoneEdit, 1);
    c_.destEdit = After(desktop, c_.phoneEdit, 2);
    c_.fareEdit = After(desktop, c_.phoneEdit, 3);
    c_.driverMemoEdit = After(desktop, c_.phoneEdit, 4);

    if (IsNull(anchor = DirectChild(desktop, entry, u"Static", u"현금"))) return 19;
    c_.cashEdit = After(desktop, anchor, 1);

    if (IsNull(anchor = DirectChild(desktop, entry, u"Static", u"후불"))) return 20;
    c_.postpaidEdit = After(desktop, anchor, 1);
    c_.mileageEdit = After(desktop, anchor, 2);

    if (IsNull(anchor = DirectChild(desktop, entry, u"Static", u"카드"))) return 21;
    c_.cardEdit = After(desktop, anchor, 1);

    if (IsNull(anchor = DirectChild(desktop, entry, u"Button", u"업체지원"))) return 26;
    c_.memo2Edit = FirstChild(desktop, After(desktop, anchor, 5));

    if (IsNull(anchor = DirectChild(desktop, entry, u"Button", u"마일리지"))) return 13;
    c_.branchEdit = After(desktop, anchor, 1);
    c_.branchDisplay = After(desktop, anchor, 5);

    if (IsNull(anchor = DirectChild(desktop, entry, u"Button", u"대기후복사"))) return 16;
    c_.phoneDisplay = After(desktop, anchor, 1);
    c_.phone2Edit = After(desktop, anchor, 4);

    // The consignment check box sits in a child dialog of the entry window.
    Hwnd dialog{};
    for (std::size_t steps = 0; steps < kMaxWalkSteps; ++steps) {
        const Hwnd next = desktop.FindWindowEx(entry, dialog, u"#32770", nullptr);
        if (IsNull(next) || next == dialog) break;
        dialog = next;
        const Hwnd consign = DirectChild(desktop, dialog, u"Button", u"탁송");
        if (!IsNull(consign)) {
            c_.consignButton = consign;
            break;
        }
    }
    if (IsNull(c_.consignButton)) return 23;

    if (IsNull(anchor = DirectChild(desktop, entry, u"Button", u"문의"))) return 27;
    c_.payCombo = After(desktop, anchor, 4);

    if (IsNull(anchor = DirectChild(desktop, entry, u"Static", u"경유"))) return 31;
    c_.originMapButton = After(desktop, anchor, 1);
    c_.destMapButton = After(desktop, anchor, 2);

    if (IsNull(c_.holdButton = FindDescendant(desktop, entry, kIsEntryHoldButton))) return 92;
    if (IsNull(c_.inquiryButton = FindDescendant(desktop, entry, kIsEntryInquiryButton))) return 93;

    if (IsNull(anchor = DirectChild(desktop, entry, u"Button", u"적정"))) return 50;
    c_.viaEdit[2] = Before(desktop, anchor, 3);
    c_.viaEdit[1] = Before(desktop, anchor, 6);
    c_.viaEdit[0] = Before(desktop, anchor, 9);

    if (IsNull(c_.addViaButton = DirectChild(desktop, entry, u"Button", u"경"))) return 53;
    return 0;
}

void CCallPortLogiD2::AbandonEntryWindow(bool confirm, Hwnd window, Hwnd cancel) {
    if (IsNull(window)) window = c_.entryWindow;
    if (IsNull(cancel)) cancel = c_.cancelButton;
    if (IsNull(window) || IsNull(cancel)) return;
    PostCommand(desktop, window, cancel);
    if (confirm) AnswerCloseQuestion(desktop, profile->dialogWait);
}

void CCallPortLogiD2::CloseEntryWindows(Hwnd main) {
    if (IsNull(main)) main = FindMainWindow();
    if (IsNull(main)) return;
    desktop.SetForegroundWindow(main);
    desktop.SetActiveWindow(main);

    // Every new-order entry window is listed before the first is abandoned:
    // closing one changes the z-order the walk follows.
    std::vector<std::pair<Hwnd, Hwnd>> entries;
    for (Hwnd popup : CollectPopups(desktop, main)) {
        if (IsNull(FindDescendant(desktop, popup, kIsEntryRegisterButton))) continue;
        Hwnd cancel = DirectChild(desktop, popup, u"Button", u"취소");
        if (IsNull(cancel)) cancel = DirectChild(desktop, popup, u"Button", u"취   소(&X)");
        if (!IsNull(cancel)) entries.emplace_back(popup, cancel);
    }
    for (const auto& [popup, cancel] : entries) {
        if (Hung()) return;
        AbandonEntryWindow(true, popup, cancel);
    }
}

}  // namespace qm
