// LogiD2 order entry: a fresh entry window filled in field by field the way an
// operator does it, each echo checked, read back, then finished as asked.
//
// A dispatch program that stops answering ends the entry at the next step with
// code 99: nothing more is sent to it, nothing is polled, nothing abandoned.
#include <cstring>

#include "adapters/logi/logi_windows.h"
#include "adapters/logid2/logid2.h"
#include "adapters/logid2/logid2_order.h"
#include "callport/text.h"
#include "callport/wait.h"
#include "callport/windows.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm {

using namespace logi;
namespace code = result::logid2;

namespace {

constexpr int kHung = result::kNotResponding;
constexpr int kOk = result::kSuccess;

const MessageBoxRule kInquiryTypeBox{.title = u"문의 타입선택", .button = u"일반문의"};

}  // namespace

int CCallPortLogiD2::Finish(int finishAction) {
    if (finishAction == 1) {
        AbandonEntryWindow(true);
        return Hung() ? kHung : kOk;
    }
    if (finishAction < 2 || finishAction > 4) return kOk;  // left open as it is

    Hwnd button = finishAction == 2 ? c_.registerButton : finishAction == 3 ? c_.holdButton : c_.inquiryButton;
    if (IsNull(button)) button = c_.cancelButton;
    // The press could not be handed over when the entry window was gone.
    if (!IsNull(c_.entryWindow) && !IsNull(button) && !PostCommand(desktop, c_.entryWindow, button) && !Hung())
        return result::kOrderWindowNotFound;
    Pause(profile->saveWait);
    if (Hung()) return kHung;

    bool unregistered = false;
    for (Hwnd box : CollectTopLevel(desktop, u"#32770", u"확인")) {
        const Hwnd first = desktop.FindWindowEx(box, kNoWindow, u"Static", nullptr);
        if (IsNull(first)) continue;
        const Hwnd second = desktop.FindWindowEx(box, first, u"Static", nullptr);
        if (IsNull(second)) continue;
        const std::u16string text = desktop.GetWindowText(second, 1024);
        if (text.empty() || !(Contains(text, u"미등록 업체입니다") || Contains(text, u"로지소프트로 문의 바랍니다")))
            continue;
        const Hwnd ok = DirectChild(desktop, box, u"Button", u"확인");
        if (IsNull(ok)) continue;
        SendCommand(desktop, box, ok);
        unregistered = true;
        break;
    }
    if (Hung()) return kHung;

    if (finishAction == 4) {
        SleepThenProbe(desktop, profile->saveWait, [&] { return AnswerMessageBoxes(desktop, kInquiryTypeBox) > 0; });
        if (Hung()) return kHung;
    }
    return unregistered ? code::kUnregisteredCompany : kOk;
}

int CCallPortLogiD2::EnterOrder(Module oleacc, const char16_t* /*readScript*/, const char16_t* pointScript,
                                OrderRecord* order, int requireBranch, std::u16string& message, int finishAction) {
    c_ = {};
    int code = OpenNewEntryWindow();
    if (code != kOk) return code;

    code = FindControls();
    if (Hung()) return kHung;
    if (code != kOk) {
        // Nothing was typed yet: the window is cancelled without awaiting the question.
        if (!IsNull(c_.entryWindow) && !IsNull(c_.cancelButton)) {
            const Abandoned abandoned = AbandonedWindow(desktop, c_.entryWindow);
            PostCommand(desktop, c_.entryWindow, c_.cancelButton);
            ConfirmAbandoned(desktop, abandoned, profile->saveWait, message);
        }
        return code;
    }

    Order steps(*this, desktop, *profile, c_);
    if ((code = steps.EnterFields(oleacc, pointScript, *order, requireBranch, message)) != kOk) {
        ConfirmAbandoned(desktop, steps.AbandonedEntry(), profile->saveWait, message);
        return code;
    }

    // The block returns what LogiD2 holds, not what was asked for.
    std::memset(order, 0, sizeof(OrderRecord));
    steps.ReadOrderWindow(oleacc, order, message);
    if (Hung()) return kHung;

    code = Finish(finishAction);
    return code == result::kOrderWindowNotFound ? FinishingWindowGone(message) : code;
}

}  // namespace qm
