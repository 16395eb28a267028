// How LogiD2 goes through the order steps it shares with LogiD5: its cancel
// button's command is posted, and its map dialog opens with a command.
#pragma once

#include "adapters/logi/logi_order.h"
#include "adapters/logid2/logid2.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm {

class CCallPortLogiD2::Order final : public logi::CLogiOrder {
public:
    Order(CCallPortLogiD2& port, Desktop& desktop, const DelayProfile& profile, logi::Controls& controls)
        : CLogiOrder(port, desktop, profile, controls, kTraits), logid2_(port) {}

    static constexpr logi::Traits kTraits{
        .adapterKind = adapter::kLogiD2,
        .selectBranchBoxes = Answer::Every,
        .enterAfterPlace = false,
        .mileageRefusedText = u"고객을 검색 후 마일리지를 적용하세요",
    };

protected:
    void CancelEntry() override { logid2_.AbandonEntryWindow(true); }
    void OpenMapForEntry() override { OpenMap(); }
    void OpenMapForReadBack() override { OpenMap(); }

private:
    void OpenMap() { desktop_.Send(c_.entryWindow, msg::WM_COMMAND, kMapCommand, 0); }
    CCallPortLogiD2& logid2_;
};

}  // namespace qm
