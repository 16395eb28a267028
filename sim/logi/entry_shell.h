// What the entry windows of LogiD2 and LogiD5 share: the "오더 접수" window
// owned by the main window, its fill from a stored order and its read-back,
// and the reactions both programs have alike: the branch display after Enter
// on the branch box, the customer display after Enter on the telephone, the
// amounts regrouped on Tab, the "탁송" mark, and the question before closing.
//
// Info is the program's EntryWindowInfo: an Entry with its controls, which
// hold (by these names) phone, phoneDisplay, phone2, branch, branchDisplay,
// origin, destination, via, fare, cash, postpaid, mileage, card, driverMemo,
// memo2, payCombo and consign.
#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/kit/shell.h"
#include "sim/kit/text.h"
#include "sim/logi/map_dialog.h"
#include "sim/logi/options.h"

namespace qm::sim::logi {

using kit::StoredOrder;

// What a Logi entry window holds besides its controls.
struct Entry : kit::EntryState, MapView {
    bool customerFound = false;
    bool consignFixed = false;  // a saved consignment order: the mark cannot be taken off
};

// The payment combo's items.
const std::vector<std::u16string>& PayItems();
// "로지본사 > name (number)" for a branch of branches whose number is typed.
std::optional<std::u16string> BranchDisplay(const std::vector<Branch>& branches, const std::u16string& typed);
// The four branches every Logi program knows, then extra.
std::vector<Branch> Branches(const std::vector<Branch>& extra);

template <class Info>
class EntryShell : public kit::ShellOf<Info, LogiSubstitute> {
    using Base = kit::ShellOf<Info, LogiSubstitute>;

public:
    const Info* EntryInfo(Hwnd window) const { return Find(window); }
    // The main list dialog, which holds the reception button.
    Hwnd MainListDialog() const { return this->MainNamed("mainList"); }
    // As if the reception button had been pressed (without --entry-delay): the new window.
    Hwnd OpenEntryWindow() { return this->OpenNewEntry(); }
    // Opens stored order k in a modify window; null when there is no such order.
    Hwnd OpenOrderForModify(std::size_t k) { return this->ShowStoredOrder(k); }
    // The branch table: digits -> "로지본사 > name (number)".
    std::optional<std::u16string> BranchDisplayText(const std::u16string& typed) const {
        return BranchDisplay(branches_, typed);
    }

protected:
    enum TimerSlot { kCustomerTimer = 1, kBranchTimer, kOwnTimer };

    EntryShell(Host& host, const Options& options, std::u16string site)
        : Base(host, options, std::move(site)), logi_(options), branches_(Branches(options.extraBranches)) {}

    // What this template uses of its (dependent) base.
    using Base::AddEntry;
    using Base::After;
    using Base::Box;
    using Base::Cancel;
    using Base::Find;
    using Base::FindCustomer;
    using Base::host_;
    using Base::main_;
    using Base::Omit;
    using Base::OnEnter;
    using Base::OnTab;
    using Base::SetTextOf;
    using Base::TextOf;

    MapView* MapOf(Hwnd entry) override { return Find(entry); }

    using Controls = decltype(Info::controls);

    // The entry window ("오더 수정" for a stored order), its children from
    // layout kept in its controls and filled from order; null when --omit left
    // it out.
    template <std::size_t N>
    Info* MakeEntry(const StoredOrder* order, int orderIndex, int width, int height,
                    const std::vector<kit::LayoutNode>& layout, const kit::Slot<Controls> (&slots)[N]) {
        WindowSpec w;
        w.behaviour = Behaviour::Dialog;
        w.text = order ? u"오더 수정" : u"오더 접수";
        w.owner = main_;
        w.rect = {120, 80, 120 + width, 80 + height};
        Info* e = AddEntry(w, orderIndex);
        if (!e) return nullptr;
        const kit::Built built = kit::BuildChildren(host_, layout, e->window, Omit(), {{"entry", e->window}});
        kit::TakeSlots(built, e->controls, SharedSlots());
        kit::TakeSlots(built, e->controls, slots);
        e->controls.via = kit::Three(built, "via");
        if (order) FillFromOrder(*e, *order);
        else if (logi_.consignChecked && !IsNull(e->controls.consign)) host_.SetCheck(e->controls.consign, true);
        return e;
    }

    void FillFromOrder(Info& e, const StoredOrder& o) {
        const auto& c = e.controls;
        this->ShowOrderTexts(c, o);
        SetTextOf(c.phoneDisplay, o.customerPhone);
        if (!IsNull(c.payCombo)) {
            const auto& items = PayItems();
            const auto it = std::find(items.begin(), items.end(), o.payType);
            host_.SetSelection(c.payCombo, it == items.end() ? -1 : static_cast<int>(it - items.begin()));
        }
        if (!IsNull(c.consign)) host_.SetCheck(c.consign, o.consignment);
        e.consignFixed = o.consignment;
        e.customerFound = !o.customerPhone.empty();
        e.points.origin = o.origin.position;
        e.points.destination = o.destination.position;
        for (std::size_t k = 0; k < 3; ++k) e.points.via[k] = o.via[k].position;
    }

    StoredOrder ReadOrder(const kit::EntryState& state) const override {
        const Info& e = static_cast<const Info&>(state);
        const auto& c = e.controls;
        StoredOrder o = this->ReadOrderTexts(c);
        // The customer found, else the telephone as typed.
        if (const std::u16string shown = TextOf(c.phoneDisplay); !shown.empty()) o.customerPhone = shown;
        o.consignment = !IsNull(c.consign) && host_.GetCheck(c.consign);
        o.origin.position = e.points.origin;
        o.destination.position = e.points.destination;
        for (std::size_t k = 0; k < 3; ++k) o.via[k].position = e.points.via[k];
        return o;
    }

    // Closing from the frame asks like the cancel button; Enter at the branch
    // box and the telephone, Tab at the amounts.
    void WireShared(Info& e, int branchBoxes) {
        const Hwnd window = e.window;
        const auto& c = e.controls;
        host_.OnClose(window, [this, window]() {
            AskCancel(window);
            return false;
        });
        OnEnter(c.branch, [this, window, branchBoxes]() { OnBranchEnter(window, branchBoxes); });
        OnEnter(c.phone, [this, window]() { OnPhoneEnter(window); });
        for (Hwnd box : {c.fare, c.cash, c.postpaid, c.mileage, c.card}) {
            const bool isMileage = box == c.mileage;
            OnTab(box, [this, window, box, isMileage]() { OnAmountLeave(window, box, isMileage); });
        }
    }

    // What refuses a positive mileage (the box's text), or null when it is taken.
    virtual const char16_t* MileageRefusal(const Info& e) const = 0;

    // The box, or boxes, that say an unknown branch was typed.
    void OnBranchEnter(Hwnd window, int boxes) {
        Info* e = Find(window);
        if (!e || IsNull(e->controls.branchDisplay)) return;
        Cancel(window, kBranchTimer);
        const auto display = BranchDisplayText(host_.GetText(e->controls.branch));
        host_.SetText(e->controls.branchDisplay, u"");
        if (!display) {
            for (int k = boxes; k > 0; --k) Box(window, u"알림", u"지사를 선택하시기 바랍니다.", {{u"닫기", kIdCancel}});
            return;
        }
        After(window, kBranchTimer, logi_.branchDelayMs, [this, window, text = *display]() {
            if (Info* en = Find(window)) host_.SetText(en->controls.branchDisplay, text);
        });
    }

    void OnPhoneEnter(Hwnd window) {
        Info* e = Find(window);
        if (!e) return;
        Cancel(window, kCustomerTimer);
        const std::u16string found = FindCustomer(host_.GetText(e->controls.phone));
        SetTextOf(e->controls.phoneDisplay, u"");
        e->customerFound = false;
        if (found.empty()) {
            Box(window, u"확인",
                u"검색시 전화번호는 뒷자리 4자리 이거나, 지역번호를 제외한 풀넘버를 입력하셔야 합니다.",
                {{u"확인", kIdOk}});
            return;
        }
        After(window, kCustomerTimer, logi_.customerDelayMs, [this, window, text = kit::HyphenatedNumber(found)]() {
            if (Info* en = Find(window)) {
                en->customerFound = true;
                SetTextOf(en->controls.phoneDisplay, text);
            }
        });
    }

    void OnAmountLeave(Hwnd window, Hwnd box, bool isMileage) {
        Info* e = Find(window);
        if (!e || !host_.Exists(box)) return;
        const std::u16string text = host_.GetText(box);
        const auto digits = kit::ReadAmount(text, logi_.amountSuffix);
        if (isMileage && kit::IsPositiveAmount(digits)) {
            if (const char16_t* refusal = MileageRefusal(*e)) {
                host_.SetText(box, u"");
                Box(window, u"확인", refusal, {{u"확인", kIdOk}});
                return;
            }
        }
        if (!digits) return;
        const std::u16string shown = (logi_.groupAmounts ? kit::GroupThousands(*digits) : *digits) + logi_.amountSuffix;
        if (shown != text) host_.SetText(box, shown);
    }

    void OnConsignClicked(Hwnd window) {
        static constexpr char16_t kWarning[] =
            u"탁송오더 등록시 탁송체크 해지불가하므로 오더취소후 재접수 하시기 바랍니다";
        Info* e = Find(window);
        if (!e || IsNull(e->controls.consign)) return;
        const bool checked = host_.GetCheck(e->controls.consign);
        if (logi_.consignLocked) {
            host_.SetCheck(e->controls.consign, !checked);
            return;
        }
        if (e->consignFixed && !checked) {
            host_.SetCheck(e->controls.consign, true);
            Box(window, u"확인", kWarning, {{u"확인", kIdOk}});
            return;
        }
        if (checked) Box(window, u"확인", kWarning, {{u"확인", kIdOk}});
    }

    // Closes the window, after asking when anything was typed into it (or it
    // shows a stored order). What it owns goes with it.
    void AskCancel(Hwnd window) {
        Info* e = Find(window);
        if (!e) return;
        const auto& c = e->controls;
        bool anyData = e->modify;
        for (Hwnd box : {c.phone, c.origin, c.destination, c.fare, c.driverMemo, c.cash, c.postpaid, c.mileage,
                         c.card, c.branch, c.phone2, c.memo2, c.via[0], c.via[1], c.via[2]}) {
            if (!TextOf(box).empty()) anyData = true;
        }
        if (!anyData) {
            host_.Destroy(window);
            return;
        }
        Box(window, u"취소", u"접수 데이터가 일부 입력된 창을 닫겠습니까?", {{u"예(&Y)", kIdYes}, {u"아니오(&N)", kIdNo}},
            [this, window](int answer) {
                if (answer == kIdYes) host_.Destroy(window);
            });
    }

    Options logi_;

private:
    // The windows both programs have, under the same names.
    static const kit::Slot<Controls> (&SharedSlots())[25] {
        static const kit::Slot<Controls> slots[] = {
            {"phone", &Controls::phone},
            {"origin", &Controls::origin},
            {"destination", &Controls::destination},
            {"fare", &Controls::fare},
            {"driverMemo", &Controls::driverMemo},
            {"cash", &Controls::cash},
            {"postpaid", &Controls::postpaid},
            {"mileage", &Controls::mileage},
            {"card", &Controls::card},
            {"branch", &Controls::branch},
            {"branchDisplay", &Controls::branchDisplay},
            {"phoneDisplay", &Controls::phoneDisplay},
            {"phone2", &Controls::phone2},
            {"companySupport", &Controls::companySupport},
            {"memo2", &Controls::memo2},
            {"inquiry", &Controls::inquiry},
            {"hold", &Controls::hold},
            {"registerButton", &Controls::registerButton},
            {"cancel", &Controls::cancel},
            {"payCombo", &Controls::payCombo},
            {"originMap", &Controls::originMap},
            {"destinationMap", &Controls::destinationMap},
            {"consignBox", &Controls::consignBox},
            {"consign", &Controls::consign},
            {"addVia", &Controls::addVia},
        };
        return slots;
    }


    std::vector<Branch> branches_;
};

}  // namespace qm::sim::logi
