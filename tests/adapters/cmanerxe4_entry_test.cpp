// Entering orders into the CManerXE4 substitute: every way an entry ends, the
// rules of each box, and the exact pauses of a whole entry.
#include "tests/adapters/cmanerxe4_world.h"

namespace qm::cmanerxe4test {
namespace {

using sim::cmanerxe4::kIdClose;
using testing::Posted;
using testing::Sent;

class XE4FullEntry : public CManerXE4World, public ::testing::WithParamInterface<int> {};

TEST_P(XE4FullEntry, PausesAddUpStepByStepAndCManerXE4HoldsTheOrder) {
    const DelayProfile& p = ProfileForSpeed(GetParam());
    Start();
    OrderRecord order = FullOrder();
    ASSERT_EQ(0, Enter(order, 1, 2, p));

    const std::int64_t ss = p.shortSettle, as = p.actionSettle;
    const std::int64_t expected = 100       // the fresh entry window, at the first look
                                  + ss      // branch
                                  + ss      // caller
                                  + ss      // "복합"
                                  + as      // origin
                                  + ss      // the via start label
                                  + 2 * (ss + as + ss)  // each via point after the add-via button
                                  + as + ss  // destination
                                  + ss       // fare
                                  + ss       // mileage (the notice answered)
                                  + ss       // postpaid
                                  + ss       // second telephone
                                  + ss + ss  // consignment: the posted focus, the label click
                                  + ss + ss  // both memos
                                  + 4 * 100;  // the read-back's four map windows, each at the first look
    EXPECT_EQ(static_cast<std::uint64_t>(expected), d_.SleepTotal());

    // What CManerXE4 holds.
    ASSERT_EQ(1u, sim_->Orders().size());
    const StoredOrder& s = sim_->Orders()[0];
    EXPECT_EQ(u"registered", s.status);
    EXPECT_EQ(u"수원지사 [0311234567]", s.branchDisplay);
    EXPECT_EQ(u"01012345678", s.customerPhone);
    EXPECT_EQ(u"0212345678", s.customerPhone2);
    EXPECT_EQ(u"복합", s.payType);
    EXPECT_EQ(u"12,000", s.fare);
    EXPECT_EQ(u"3,000", s.mileageAmount);
    EXPECT_EQ(u"5,000", s.postpaidAmount);
    EXPECT_EQ(u"", s.cashAmount);
    EXPECT_TRUE(s.consignment);
    EXPECT_EQ(u"조심히 운전", s.driverMemo);
    EXPECT_EQ(u"현관 앞", s.memo2);
    EXPECT_EQ(u"(탁송)(경유) 서울역 [서울역 1번출구]", s.origin.text);
    EXPECT_EQ(u"용산역", s.via[0].text);
    EXPECT_EQ(u"삼각지역", s.via[1].text) << "typed without blanks";
    EXPECT_EQ(u"", s.via[2].text);
    EXPECT_EQ(0, CountWindows(u"#32770")) << "the mileage notice was answered";
    EXPECT_EQ(0, CountWindows(sim::cmanerxe4::kConsultMapClass) + CountWindows(sim::cmanerxe4::kViaMapClass));

    // The block returns the window as CManerXE4 showed it.
    EXPECT_EQ(3, order.adapterKind);
    EXPECT_EQ(1, order.oleaccLoaded);
    EXPECT_EQ(u"수원지사", ReadField(order.branchName));
    EXPECT_EQ(u"0311234567", ReadField(order.branchNumber));
    EXPECT_EQ(u"0212345678", ReadField(order.customerPhone2));
    EXPECT_EQ(0, order.payType);
    EXPECT_EQ(u"12000", ReadField(order.fare));
    EXPECT_EQ(u"3000", ReadField(order.mileageAmount));
    EXPECT_EQ(u"5000", ReadField(order.postpaidAmount));
    EXPECT_EQ(u"", ReadField(order.cashAmount)) << "the record was cleared before the read-back";
    EXPECT_EQ(u"서울역 1번출구", ReadField(order.origin.name));
    EXPECT_DOUBLE_EQ(37.5547, order.origin.x);
    EXPECT_DOUBLE_EQ(126.9707, order.origin.y);
    EXPECT_DOUBLE_EQ(37.4979, order.destination.x);
    EXPECT_DOUBLE_EQ(127.0276, order.destination.y);
    EXPECT_EQ(u"용산구 용산역", ReadField(order.via[0].name));
    EXPECT_EQ(u"용산역 용산구", ReadField(order.via[0].fullText));
    EXPECT_DOUBLE_EQ(37.5298, order.via[0].x);
    EXPECT_DOUBLE_EQ(126.9731, order.via[1].y);
    EXPECT_EQ(1, order.consignment);
    EXPECT_EQ(u"조심히 운전", ReadField(order.driverMemo));
}

INSTANTIATE_TEST_SUITE_P(EachSpeed, XE4FullEntry, ::testing::Values(1, 2, 3));

using XE4Entry = CManerXE4World;

// The branch and the caller are checked against what was typed; a failure
// names both and closes the window with "종료(F8)".
TEST_F(XE4Entry, BranchAndCallerChecks) {
    struct Case {
        const char16_t* branch;
        int requireBranch;
        std::uint32_t branchDelay;
        const char16_t* callerShows;  // what CManerXE4 leaves in the caller box; null: the number
        int code;
        const char16_t* message;
    };
    const Case cases[] = {
        {u"021234567", 1, 0, nullptr, 0, u""},
        {u"029999999", 1, 0, nullptr, 66, u"src: 029999999, get: "},
        {u"02-123-4567", 1, 0, nullptr, 0, u""},
        {u"021234567", 1, 1000, nullptr, 66, u"src: 021234567, get: "},
        {u"029999999", 0, 0, nullptr, 0, u""},
        {u"021234567", 1, 0, u"", 68, u"src: 01012345678, get: "},
        {u"021234567", 1, 0, u"010-1234-5678", 68, u"src: 01012345678, get: 010-1234-5678"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        Options options;
        options.branchDelayMs = c.branchDelay;
        w.Start(options);
        if (c.callerShows) {
            FakeDesktop& d = w.d_;
            const std::u16string shown = c.callerShows;
            w.OnNewEntry([&d, shown](Hwnd, const EntryControls& controls) {
                const Hwnd phone = controls.phone;
                d.AddAfterHook(phone, [&d, phone, shown](const testing::Message& m, std::intptr_t) {
                    if (m.message == msg::WM_KEYUP && m.wParam == msg::VK_RETURN) d.HostSetText(phone, shown);
                });
            });
        }
        OrderRecord order = SimpleOrder();
        WriteField(order.branchNumber, c.branch);
        EXPECT_EQ(c.code, w.Enter(order, c.requireBranch, 5)) << "case " << i;
        EXPECT_EQ(c.message, w.message_) << "case " << i;
        EXPECT_EQ(c.code == 0 ? 1u : 0u, w.sim_->EntryWindows().size()) << "case " << i;
        if (c.code != 0) {
            const auto& ctl = w.adapter_->controls();
            EXPECT_EQ("", testing::DiffMessages(w.CommandsTo(ctl.entryWindow),
                                                {Posted(msg::WM_COMMAND, msg::MakeWParam(kIdClose, 0),
                                                        AsLParam(ctl.closeButton))}))
                << "case " << i;
        }
    }
}

TEST_F(XE4Entry, PaymentTypes) {
    struct Case {
        int payType;
        bool boxRefuses;  // the payment box keeps what it showed
        int code;
        const char16_t* shown;  // the payment box afterwards (null: not looked at)
    };
    const Case cases[] = {
        {0, false, 0, u"복합"}, {1, false, 0, u"현금"}, {3, false, 0, u"후불"}, {4, false, 0, u"후불(마일)"},
        {2, false, 65, nullptr}, {5, false, 65, nullptr}, {-1, false, 65, nullptr},
        {3, true, 70, nullptr}, {1, true, 0, u"현금"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        Hwnd payCombo{};
        FakeDesktop& d = w.d_;
        w.OnNewEntry([&d, &payCombo, &c](Hwnd, const EntryControls& controls) {
            payCombo = controls.payCombo;
            if (!c.boxRefuses) return;
            d.AddMessageHook(payCombo, [](const testing::Message& m) -> std::optional<std::intptr_t> {
                if (m.message == msg::WM_SETTEXT) return 0;
                return std::nullopt;
            });
        });
        OrderRecord order = SimpleOrder();
        order.payType = c.payType;
        EXPECT_EQ(c.code, w.Enter(order, 1, 5)) << "case " << i;
        if (c.shown) {
            EXPECT_EQ(c.shown, w.d_.Text(payCombo)) << "case " << i;
            EXPECT_EQ(c.payType, order.payType) << "case " << i << ": read back";
        } else {
            EXPECT_TRUE(w.sim_->EntryWindows().empty()) << "case " << i << " abandons";
            EXPECT_EQ(u"", ReadField(order.branchName)) << "case " << i << ": no read-back";
        }
    }
}

TEST_F(XE4Entry, PlaceBoxEmptyAfterEntryIs59Or60) {
    for (int which = 0; which < 2; ++which) {
        World w;
        w.Start();
        OrderRecord order = SimpleOrder();
        WriteField(which == 0 ? order.origin.name : order.destination.name, u"");
        EXPECT_EQ(which == 0 ? 59 : 60, w.Enter(order));
        EXPECT_TRUE(w.sim_->EntryWindows().empty());
    }
}

// Amount boxes are compared without their commas with the amount as the
// caller stored it; a difference carries the box text.
TEST_F(XE4Entry, AmountChecks) {
    struct Case {
        int payType;
        const char16_t* fare;
        const char16_t* mileage;
        const char16_t* postpaid;
        Hwnd EntryControls::*box;  // a box that shows something else after Enter (null: none)
        const char16_t* shown;
        int code;
        const char16_t* message;
        const char16_t* mileageHeld;  // what CManerXE4's mileage box holds at the end
    };
    const Case cases[] = {
        {0, u"12000", u"3000", u"5000", nullptr, nullptr, 0, u"", u"3,000"},
        {0, u"12,000", u"", u"", nullptr, nullptr, 72, u"12,000", nullptr},
        {0, u"12000", u"", u"", &EntryControls::fare, u"12,000원", 72, u"12,000원", nullptr},
        {0, u"12000", u"", u"", &EntryControls::fare, u"", 72, u"", nullptr},
        {0, u"12000", u"3000", u"", &EntryControls::mileage, u"3,001", 76, u"3,001", nullptr},
        {0, u"12000", u"3000", u"", &EntryControls::mileage, u"", 76, u"", nullptr},
        {0, u"12000", u"", u"5000", &EntryControls::postpaid, u"5,500", 74, u"5,500", nullptr},
        {0, u"12000", u"", u"5000", &EntryControls::postpaid, u"", 74, u"", nullptr},
        {0, u"12000", u"0", u"-5", nullptr, nullptr, 0, u"", u""},
        {3, u"12000", u"3000", u"5000", nullptr, nullptr, 0, u"", u""},  // only a mixed payment's amounts
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        FakeDesktop& d = w.d_;
        Hwnd mileage{};
        w.OnNewEntry([&d, &c, &mileage](Hwnd, const EntryControls& controls) {
            mileage = controls.mileage;
            if (!c.box) return;
            const Hwnd box = controls.*c.box;
            const std::u16string shown = c.shown;
            d.AddAfterHook(box, [&d, box, shown](const testing::Message& m, std::intptr_t) {
                if (m.message == msg::WM_KEYDOWN && m.wParam == msg::VK_RETURN) d.HostSetText(box, shown);
            });
        });
        OrderRecord order = SimpleOrder();
        order.payType = c.payType;
        WriteField(order.fare, c.fare);
        WriteField(order.mileageAmount, c.mileage);
        WriteField(order.postpaidAmount, c.postpaid);
        EXPECT_EQ(c.code, w.Enter(order, 1, 5)) << "case " << i;
        EXPECT_EQ(c.message, w.message_) << "case " << i;
        if (c.mileageHeld) {
            EXPECT_EQ(c.mileageHeld, d.Text(mileage)) << "case " << i;
        } else {
            EXPECT_TRUE(w.sim_->EntryWindows().empty()) << "case " << i;
        }
    }
}

TEST_F(XE4Entry, SecondTelephoneIsComparedAsStored) {
    struct Case {
        const char16_t* phone2;
        int code;
        const char16_t* held;
    };
    const Case cases[] = {
        {u"0212345678", 0, u"0212345678"},
        {u" 0212345678", 69, nullptr},  // the box takes the trimmed number
        {u"   ", 0, u""},               // nothing to set
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        OrderRecord order = SimpleOrder();
        WriteField(order.customerPhone2, c.phone2);
        EXPECT_EQ(c.code, w.Enter(order)) << "case " << i;
        if (c.held) {
            ASSERT_EQ(1u, w.sim_->Orders().size()) << "case " << i;
            EXPECT_EQ(c.held, w.sim_->Orders()[0].customerPhone2) << "case " << i;
        } else {
            EXPECT_TRUE(w.sim_->Orders().empty()) << "case " << i;
        }
    }
}

// Via points are entered from via[0] on while the next one is filled, three
// at most; without via[0] none is.
TEST_F(XE4Entry, ViaPointsEnteredInTurn) {
    struct Case {
        std::array<const char16_t*, 3> via;
        std::array<const char16_t*, 3> held;
    };
    const Case cases[] = {
        {{u"용산역", u"삼각지역", u"시청"}, {u"용산역", u"삼각지역", u"시청"}},
        {{u"", u"삼각지역", u"시청"}, {u"", u"", u""}},
        {{u"용산역", u"", u"시청"}, {u"용산역", u"", u""}},
        {{u"서울 시청", u"", u""}, {u"서울시청", u"", u""}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        OrderRecord order = SimpleOrder();
        for (int k = 0; k < 3; ++k) AddVia(order, k, c.via[k]);
        ASSERT_EQ(0, w.Enter(order)) << "case " << i;
        ASSERT_EQ(1u, w.sim_->Orders().size()) << "case " << i;
        const StoredOrder& s = w.sim_->Orders()[0];
        int clicks = 0;
        for (const auto& m : testing::PortOnly(w.d_.Messages(w.adapter_->controls().addViaButton)))
            if (m.message == msg::WM_LBUTTONUP) ++clicks;
        int entered = 0;
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(c.held[k], s.via[k].text) << "case " << i << " via " << k;
            if (*c.held[k]) ++entered;
        }
        EXPECT_EQ(entered, clicks) << "case " << i << ": one add-via press per via point";
    }
}

TEST_F(XE4Entry, ConsignmentMarksTheOrderAndClosesItsWarning) {
    struct Case {
        int payType;
        const char16_t* mileage;
        bool focusPosted;
    };
    const Case cases[] = {{1, u"", false}, {0, u"3000", true}, {0, u"0", false}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        OrderRecord order = SimpleOrder();
        order.payType = c.payType;
        order.consignment = 1;
        WriteField(order.mileageAmount, c.mileage);
        ASSERT_EQ(0, w.Enter(order)) << "case " << i;
        ASSERT_EQ(1u, w.sim_->Orders().size()) << "case " << i;
        EXPECT_TRUE(w.sim_->Orders()[0].consignment) << "case " << i;
        EXPECT_EQ(1, order.consignment) << "case " << i << ": read back from the origin's mark";
        const Hwnd label = w.adapter_->controls().consignLabel;
        const auto focus = testing::OnlyMessages(testing::PortOnly(w.d_.Messages(label)),
                                                 {msg::WM_SETFOCUS, msg::WM_LBUTTONDOWN, msg::WM_LBUTTONUP});
        EXPECT_EQ("", testing::DiffMessages(focus, {c.focusPosted ? Posted(msg::WM_SETFOCUS) : Sent(msg::WM_SETFOCUS),
                                                    Sent(msg::WM_LBUTTONDOWN, 0, msg::MakeLParam(10, 5)),
                                                    Sent(msg::WM_LBUTTONUP, 0, 0)}))
            << "case " << i;
    }
    // The warning inside the entry window is closed with its "닫    기".
    World w;
    w.Start();
    OrderRecord order = SimpleOrder();
    order.consignment = 1;
    ASSERT_EQ(0, w.Enter(order, 1, 5));
    const EntryWindowInfo* info = w.sim_->EntryInfo(w.sim_->EntryWindows().at(0));
    EXPECT_TRUE(IsNull(info->warning));
    EXPECT_TRUE(info->consignment);
}

// The notice about a missing mixed-payment mileage setting is answered right
// after the mileage entry, or, when it comes late, once more at the
// consignment focus.
TEST_F(XE4Entry, MileageNotice) {
    struct Case {
        const char16_t* branch;
        std::uint32_t noticeDelay;
        int consignment;
        int boxesLeft;
    };
    const Case cases[] = {
        {u"0311234567", 0, 0, 0},
        {u"0311234567", 150, 1, 0},
        {u"0311234567", 150, 0, 1},  // one look only: a late notice stays
        {u"021234567", 0, 0, 0},     // a branch with the setting shows none
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        Options options;
        options.noticeDelayMs = c.noticeDelay;
        w.Start(options);
        int shown = 0;
        OrderRecord order = SimpleOrder();
        order.payType = 0;
        order.consignment = c.consignment;
        WriteField(order.branchNumber, c.branch);
        WriteField(order.mileageAmount, u"3000");
        const DelayProfile& fast = ProfileForSpeed(3);  // shortSettle 100: the late notice comes after one
        EXPECT_EQ(0, w.Enter(order, 1, 5, fast)) << "case " << i;
        for (const auto& m : w.d_.MessageLog())
            if (m.fromPort && m.message == msg::WM_COMMAND && msg::LowWord(m.wParam) == sim::kIdOk) ++shown;
        EXPECT_EQ(c.boxesLeft, w.CountWindows(u"#32770", u"콜마너 XE 4")) << "case " << i;
        EXPECT_EQ(c.branch == std::u16string(u"021234567") || c.boxesLeft ? 0 : 1, shown)
            << "case " << i << ": answered once with 확인";
        EXPECT_EQ(u"3000", ReadField(order.mileageAmount)) << "case " << i;
    }
}

TEST_F(XE4Entry, DriverMemoIsAddedToWhatTheBoxHolds) {
    struct Case {
        const char16_t* held;
        const char16_t* memo;
        const char16_t* memo2;
        const char16_t* stored;
        const char16_t* stored2;
    };
    const Case cases[] = {
        {u"", u" 조심히 ", u" 현관 ", u"조심히", u"현관"},
        {u"단골 고객", u"조심히", u"", u"단골 고객, 조심히", u""},
        {u"단골, 조심히 운전", u"조심히", u"", u"단골, 조심히 운전", u""},
        {u"단골", u"   ", u"", u"단골", u""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        FakeDesktop& d = w.d_;
        const std::u16string held = c.held;
        w.OnNewEntry([&d, held](Hwnd, const EntryControls& controls) { d.HostSetText(controls.driverMemo, held); });
        OrderRecord order = SimpleOrder();
        WriteField(order.driverMemo, c.memo);
        WriteField(order.memo2, c.memo2);
        ASSERT_EQ(0, w.Enter(order)) << "case " << i;
        ASSERT_EQ(1u, w.sim_->Orders().size());
        EXPECT_EQ(c.stored, w.sim_->Orders()[0].driverMemo) << "case " << i;
        EXPECT_EQ(c.stored2, w.sim_->Orders()[0].memo2) << "case " << i;
    }
}

TEST_F(XE4Entry, FinishActions) {
    struct Case {
        int finishAction;
        const char16_t* status;  // null: nothing stored
        bool windowOpen;
    };
    const Case cases[] = {
        {1, nullptr, false}, {2, u"registered", false}, {3, u"held", false},
        {4, u"inquiry", false}, {5, nullptr, true}, {0, nullptr, true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        OrderRecord order = SimpleOrder();
        EXPECT_EQ(0, w.Enter(order, 1, c.finishAction)) << "case " << i;
        EXPECT_EQ(c.windowOpen ? 1u : 0u, w.sim_->EntryWindows().size()) << "case " << i;
        if (c.status == nullptr) {
            EXPECT_TRUE(w.sim_->Orders().empty()) << "case " << i;
        } else {
            ASSERT_EQ(1u, w.sim_->Orders().size()) << "case " << i;
            EXPECT_EQ(c.status, w.sim_->Orders()[0].status) << "case " << i;
        }
        EXPECT_EQ(u"강남지사", ReadField(order.branchName)) << "case " << i << ": read back before finishing";
        EXPECT_EQ(c.windowOpen ? 0u : 1u, w.CommandsTo(w.adapter_->controls().entryWindow).size()) << "case " << i;
    }
}

// A read-back that fails after a complete entry leaves the result at 0 with
// its message.
TEST_F(XE4Entry, ReadBackFailureKeepsResultZeroWithItsMessage) {
    Start();
    FakeDesktop& d = d_;
    OnNewEntry([&d](Hwnd, const EntryControls& controls) {
        const Hwnd display = controls.branchDisplay;
        d.AddAfterHook(controls.branch, [&d, display](const testing::Message& m, std::intptr_t) {
            if (m.message == msg::WM_KEYUP && m.wParam == msg::VK_RETURN) d.HostSetText(display, u"강남지사 021234567");
        });
    });
    OrderRecord order = SimpleOrder();
    EXPECT_EQ(0, Enter(order, 0, 2));
    EXPECT_EQ(u"강남지사 021234567", message_);
    EXPECT_EQ(1u, sim_->Orders().size());
}

// CManerXE4 stops answering once the origin's map opened: the entry ends with
// 99 at the next step instead of waiting out every poll.
TEST_F(XE4Entry, HungDispatchProgramEndsTheEntry) {
    Options options;
    options.hangAfterCommand = sim::cmanerxe4::kIdOriginMap;
    Start(options);
    OrderRecord order = SimpleOrder();
    EXPECT_EQ(99, Enter(order));
    EXPECT_TRUE(d_.NotResponding());
    EXPECT_TRUE(sim_->Orders().empty());
}

}  // namespace
}  // namespace qm::cmanerxe4test
