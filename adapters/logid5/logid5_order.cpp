// LogiD5 order entry and read-back: LogiD2's steps, with LogiD5's clicked
// buttons, its place search buttons that open the map, and a finish that is
// a click awaited only until LogiD5 has taken it.
#include <cstring>
#include <optional>

#include "adapters/logi/logi_order.h"
#include "adapters/logi/logi_windows.h"
#include "adapters/logid5/logid5.h"
#include "callport/wait.h"
#include "callport/windows.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm {

namespace {

constexpr int kHung = result::kNotResponding;
constexpr int kOk = result::kSuccess;

// LogiD5 says so when a place search found nothing; the box is answered and
// the entry goes on.
const MessageBoxRule kOriginNotFoundBox{
    .title = u"확인", .mustHave = {{{u"Static", {u"출발지가 검색되지 않았습니다."}}}}, .button = u"확인"};
const MessageBoxRule kDestinationNotFoundBox{
    .title = u"확인", .mustHave = {{{u"Static", {u"도착지가 검색되지 않았습니다."}}}}, .button = u"확인"};

}  // namespace

class CCallPortLogiD5::Order final : public logi::CLogiOrder {
public:
    Order(CCallPortLogiD5& port, Desktop& desktop, const DelayProfile& profile, logi::Controls& controls)
        : CLogiOrder(port, desktop, profile, controls, kTraits), logid5_(port) {}

    static constexpr logi::Traits kTraits{
        .adapterKind = adapter::kLogiD5,
        .selectBranchBoxes = Answer::FirstBox,
        .enterAfterPlace = true,
        .mileageRefusedText = u"마일리지를 사용하지 않는 지사입니다.",
    };

protected:
    void CancelEntry() override { logid5_.AbandonEntryWindow(true); }
    void OpenMapForEntry() override {
        PostClick(desktop_, c_.originSearchButton);
        Pause(profile_.shortSettle);
        AnswerMessageBoxes(desktop_, kOriginNotFoundBox);
        PostClick(desktop_, c_.destSearchButton);
        Pause(profile_.shortSettle);
        AnswerMessageBoxes(desktop_, kDestinationNotFoundBox);
    }
    void OpenMapForReadBack() override { PostClick(desktop_, c_.originSearchButton); }

private:
    CCallPortLogiD5& logid5_;
};

int CCallPortLogiD5::ReadOrderWindow(Module oleacc, OrderRecord* order, std::u16string& message) {
    Order steps(*this, desktop, *profile, c_);
    return steps.ReadOrderWindow(oleacc, order, message);
}

Hwnd CCallPortLogiD5::FinishButton(const Controls& c, int finishAction) {
    Hwnd button = kNoWindow;
    switch (finishAction) {
        case 2: button = c.registerButton; break;
        case 3: button = c.holdButton; break;
        case 4: button = c.inquiryButton; break;
        default: return kNoWindow;
    }
    return IsNull(button) ? c.cancelButton : button;
}

bool CCallPortLogiD5::Finish(int finishAction) {
    if (finishAction == 1) {
        AbandonEntryWindow(true);
        return true;
    }
    // Other actions leave the window open.
    const Hwnd button = FinishButton(c_, finishAction);
    if (IsNull(c_.entryWindow) || IsNull(button)) return true;
    if (!PostClick(desktop, button)) return Hung();
    // A posted click is a press and a release; a change of focus between the
    // two (the next request bringing the main window forward, this robot's
    // own window closing) makes the button drop it and the order is lost.
    // So the desk is held until LogiD5 has taken the press: the entry window
    // closed, or disabled under a box the press brought up. Nothing more is
    // checked; a window still open after saveWait is left as it is.
    SleepThenProbe(desktop, profile->saveWait, [&] {
        const std::optional<WindowInfo> info = desktop.GetWindowInfo(c_.entryWindow);
        return !info || (info->style & msg::WS_DISABLED) != 0;
    });
    return true;
}

int CCallPortLogiD5::EnterOrder(Module oleacc, const char16_t* /*readScript*/, const char16_t* pointScript,
                                OrderRecord* order, int requireBranch, std::u16string& message, int finishAction) {
    c_ = {};
    int code = OpenNewEntryWindow();
    if (code != kOk) return code;

    code = FindControls(message);
    if (Hung()) return kHung;
    if (code != kOk) {
        // Nothing was typed yet: the window is cancelled without awaiting the question.
        if (!IsNull(c_.entryWindow) && !IsNull(c_.cancelButton)) {
            const Abandoned abandoned = AbandonedWindow(desktop, c_.entryWindow);
            PostClick(desktop, c_.cancelButton);
            ConfirmAbandoned(desktop, abandoned, profile->saveWait, message);
        }
        return code;
    }

    Order steps(*this, desktop, *profile, c_);
    if ((code = steps.EnterFields(oleacc, pointScript, *order, requireBranch, message)) != kOk) {
        ConfirmAbandoned(desktop, steps.AbandonedEntry(), profile->saveWait, message);
        return code;
    }

    // The block returns what LogiD5 holds, not what was asked for.
    std::memset(order, 0, sizeof(OrderRecord));
    steps.ReadOrderWindow(oleacc, order, message);
    if (Hung()) return kHung;
    if (!Finish(finishAction)) return FinishingWindowGone(message);
    return Hung() ? kHung : kOk;
}

int CCallPortLogiD5::ReadOrder(Module oleacc, const char16_t* /*readScript*/, OrderRecord* order,
                               std::u16string& message) {
    if (int c = BringMainWindowForward(); c != kOk) return c;
    c_ = {};
    if (!FindOpenEntryWindow()) return Hung() ? kHung : result::kOrderWindowNotFound;
    const int code = FindControls(message);
    if (Hung()) return kHung;
    if (code != kOk) return code;
    return ReadOrderWindow(oleacc, order, message);
}

}  // namespace qm
