// Entering orders into the LogiD2 substitute: every way an entry ends, and the
// exact pauses of a whole entry.
#include <cmath>

#include "tests/adapters/logid2_world.h"

namespace qm::logid2test {
namespace {

using testing::Posted;
using testing::Sent;

std::size_t Units(const char16_t* s) { return std::char_traits<char16_t>::length(s); }

class FullEntry : public LogiD2World, public ::testing::WithParamInterface<int> {};

TEST_P(FullEntry, PausesAddUpStepByStepAndLogiD2HoldsTheOrder) {
    const DelayProfile& p = ProfileForSpeed(GetParam());
    Options options;
    options.customerDelayMs = 300;  // the customer lookup
    Start(options);
    OrderRecord order = FullOrder();
    ASSERT_EQ(0, Enter(order, 1, 2, p));

    const std::int64_t ss = p.shortSettle, as = p.actionSettle;
    // The lookup ends 300 ms after Enter reached LogiD2, at the start of the
    // second shortSettle; the 100 ms looks go on until then (at least one).
    const std::int64_t customerLooks = std::max<std::int64_t>(1, (300 - ss + 99) / 100);
    const std::int64_t placeOne = ss /*script*/ + p.mapSettle + ss /*set*/ + 2 * ss /*map button twice*/;
    const std::int64_t expected =
        100                                                        // the entry window, at the first look
        + Typed(p, Units(u"02-123-4567")) + 2 * ss + 100           // branch, Enter, shown at the first look
        + Typed(p, Units(u"010-1234-5678")) + 2 * ss + customerLooks * 100
        + ss                                                       // postpaid selected
        + Typed(p, Units(u"서울역")) + as                          // origin
        + ss + Typed(p, Units(u"시청")) + as                       // via 1 after its button
        + Typed(p, Units(u"강남역")) + as                          // destination
        + 100                                                      // the place popup, closed at the first look
        + 100 + as                                                 // the map dialog found, then hidden
        + placeOne + Typed(p, Units(u"서울역 [서울역 1번출구]"))  // origin placed, its text again
        + ss + placeOne + Typed(p, Units(u"강남역"))               // destination placed
        + Typed(p, 5) + ss                                         // fare
        + Typed(p, 4) + ss                                         // mileage
        + Typed(p, 4)                                              // cash, read at once
        + Typed(p, Units(u"02-1234-5678")) + ss                    // second telephone
        + ss + 100                                                 // consignment, LogiD2's warning answered
        + p.memoSettle + Typed(p, Units(u"조심히 운전")) + ss      // driver memo
        + Typed(p, Units(u"메모")) + ss                            // memo 2
        + 100                                                      // the read-back's map dialog
        + p.saveWait;                                              // after register
    EXPECT_EQ(static_cast<std::uint64_t>(expected), d_.SleepTotal());

    // What LogiD2 stored.
    ASSERT_EQ(1u, sim_->Orders().size());
    const StoredOrder& s = sim_->Orders()[0];
    EXPECT_EQ(u"registered", s.status);
    EXPECT_EQ(u"로지본사 > 강남지사 (02-123-4567)", s.branchDisplay);
    EXPECT_EQ(u"010-1234-5678", s.customerPhone);
    EXPECT_EQ(u"02-1234-5678", s.customerPhone2);
    EXPECT_EQ(u"후불", s.payType);
    EXPECT_EQ(u"12,000", s.fare);
    EXPECT_EQ(u"3,000", s.mileageAmount);
    EXPECT_EQ(u"2,000", s.cashAmount);
    EXPECT_TRUE(s.consignment);
    EXPECT_EQ(u"조심히 운전", s.driverMemo);
    EXPECT_EQ(u"메모", s.memo2);
    EXPECT_EQ(u"서울역 [서울역 1번출구]", s.origin.text);
    ASSERT_TRUE(s.origin.position && s.destination.position);
    EXPECT_DOUBLE_EQ(37.5547, s.origin.position->lat);
    EXPECT_DOUBLE_EQ(126.9706, s.origin.position->lng);
    EXPECT_DOUBLE_EQ(37.4979, s.destination.position->lat);
    EXPECT_DOUBLE_EQ(127.0276, s.destination.position->lng);
    EXPECT_EQ(u"시청", s.via[0].text);
    EXPECT_EQ(u"", s.via[2].text) << "typing stops at the first empty via point";

    // The block returns the window as LogiD2 shows it.
    EXPECT_EQ(1, order.adapterKind);
    EXPECT_EQ(1, order.oleaccLoaded);
    EXPECT_EQ(u"강남지사", ReadField(order.branchName));
    EXPECT_EQ(u"021234567", ReadField(order.branchNumber));
    EXPECT_EQ(u"01012345678", ReadField(order.customerPhone));
    EXPECT_EQ(u"0212345678", ReadField(order.customerPhone2));
    EXPECT_EQ(0, order.payType) << "cash and mileage both positive";
    EXPECT_EQ(u"12000", ReadField(order.fare));
    EXPECT_EQ(u"", ReadField(order.postpaidAmount)) << "the record was cleared before the read-back";
    EXPECT_EQ(u"서울역 1번출구", ReadField(order.origin.name));
    EXPECT_DOUBLE_EQ(37.5547, order.origin.x);
    EXPECT_DOUBLE_EQ(127.0276, order.destination.y);
    EXPECT_EQ(u"시청", ReadField(order.via[0].fullText));
    EXPECT_EQ(u"", ReadField(order.via[2].fullText));
    EXPECT_EQ(1, order.consignment);
    EXPECT_EQ(0, CountBoxes(u"지도보기"));
}

INSTANTIATE_TEST_SUITE_P(EachSpeed, FullEntry, ::testing::Values(1, 2, 3));

using Entry = LogiD2World;

// The branch is not confirmed: the window is abandoned, LogiD2's question is
// answered "예(&Y)", and the message says what was typed and what was shown.
TEST_F(Entry, UnconfirmedBranchIs66AndTheWindowIsAbandoned) {
    Start();
    OrderRecord order = SimpleOrder();
    WriteField(order.branchNumber, u"029999999");
    EXPECT_EQ(66, Enter(order));
    EXPECT_EQ(u"src: 02-999-9999, get: ", message_);
    const DelayProfile& p = kNormalProfile;
    EXPECT_EQ(static_cast<std::uint64_t>(100 + Typed(p, 11) + 2 * p.shortSettle + p.branchWait + 100), d_.SleepTotal());

    const auto& c = adapter_->controls();
    EXPECT_EQ("", testing::DiffMessages(CommandsTo(c.entryWindow),
                                        {Posted(msg::WM_COMMAND, msg::MakeWParam(sim::logid2::kIdCancel, 0),
                                                AsLParam(c.cancelButton))}));
    int yes = 0;
    for (const auto& m : d_.MessageLog())
        if (m.fromPort && !m.posted && m.message == msg::WM_COMMAND && m.wParam == sim::kIdYes) ++yes;
    EXPECT_EQ(1, yes);
    EXPECT_TRUE(sim_->EntryWindows().empty());
    EXPECT_EQ(0, CountBoxes(u"취소"));
}

TEST_F(Entry, WithoutRequiredBranchTheBranchQuestionIsClosedAndTheEntryGoesOn) {
    Start();
    OrderRecord order = SimpleOrder();
    WriteField(order.branchNumber, u"029999999");
    EXPECT_EQ(0, Enter(order, 0, 5));
    EXPECT_EQ(0, CountBoxes(u"알림"));
    EXPECT_EQ(1u, sim_->EntryWindows().size()) << "finish action 5 leaves the window open";
}

TEST_F(Entry, CustomerNotShownIs68) {
    {
        Start();
        OrderRecord order = SimpleOrder();
        WriteField(order.customerPhone, u"1234");  // LogiD2 knows no such customer and says how to search
        EXPECT_EQ(68, Enter(order));
        EXPECT_EQ(u"src: 1234, get: ", message_);
        EXPECT_EQ(0, CountBoxes(u"확인")) << "the search hint was answered";
        EXPECT_TRUE(sim_->EntryWindows().empty());
    }
    World slow;
    Options options;
    options.customerDelayMs = 5000;
    slow.Start(options);
    OrderRecord order = SimpleOrder();
    EXPECT_EQ(68, slow.Enter(order));
    EXPECT_EQ(u"src: 010-1234-5678, get: ", slow.message_);
}

TEST_F(Entry, PaymentTypesAndAmounts) {
    struct Case {
        int payType;
        const char16_t* postpaid;
        const char16_t* mileage;
        const char16_t* card;
        int code;
        const char16_t* message;
    };
    const Case cases[] = {
        {1, u"", u"", u"", 0, u""},
        {3, u"", u"", u"", 0, u""},
        {0, u"5000", u"", u"", 0, u""},
        {2, u"", u"", u"", 65, u""},
        {4, u"", u"3000", u"", 65, u""},
        {0, u"", u"3000", u"", 65, u""},
        {0, u"", u"", u"2000", 65, u""},
        {0, u"", u"", u"", 77, u""},
        {0, u"0", u"-5", u"0", 77, u""},
        {3, u"", u"", u"2000", 65, u"payType: 후불, feeCard: 2000"},
        {0, u"5000", u"", u"2000", 65, u"payType: 후불, feeCard: 2000"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        OrderRecord order = SimpleOrder();
        order.payType = c.payType;
        WriteField(order.postpaidAmount, c.postpaid);
        WriteField(order.mileageAmount, c.mileage);
        WriteField(order.cardAmount, c.card);
        WriteField(order.cashAmount, u"");
        EXPECT_EQ(c.code, w.Enter(order, 1, 5)) << "case " << i;
        EXPECT_EQ(c.message, w.message_) << "case " << i;
        if (c.code == 0) {
            EXPECT_EQ(c.payType == 1 ? 1 : 3, order.payType) << "case " << i;
        } else {
            EXPECT_TRUE(w.sim_->EntryWindows().empty()) << "case " << i << " abandons";
        }
    }
}

TEST_F(Entry, PostpaidThatDoesNotTakeIs70WithTheComboText) {
    Start();
    OnNewEntry([this](Hwnd, const EntryControls& c) {
        d_.AddMessageHook(c.payCombo, [](const testing::Message& m) -> std::optional<std::intptr_t> {
            if (m.message == msg::CB_SETCURSEL) return msg::CB_ERR;  // LogiD2 keeps cash
            return std::nullopt;
        });
    });
    OrderRecord order = SimpleOrder();
    order.payType = 3;
    EXPECT_EQ(70, Enter(order));
    EXPECT_EQ(u"현금", message_);
}

TEST_F(Entry, PlaceBoxEmptyAfterTypingIs59Or60) {
    for (int which = 0; which < 2; ++which) {
        World w;
        w.Start();
        OrderRecord order = SimpleOrder();
        WriteField(which == 0 ? order.origin.name : order.destination.name, u"");
        EXPECT_EQ(which == 0 ? 59 : 60, w.Enter(order));
        EXPECT_TRUE(w.sim_->EntryWindows().empty());
    }
}

// Map failures end the entry with their code; the map dialog is not left
// behind and the entry window is abandoned. A browser that alone does not
// answer the document request within its own bound is such a failure (43),
// not a program that stopped answering.
TEST_F(Entry, MapFailuresAreReportedAndCleanedUp) {
    struct Case {
        const char16_t* omit;
        std::function<void(testing::FakePage&)> breakPage;
        const char16_t* pointScript;
        bool noObjectFromLresult;
        int code;
        bool silentBrowser = false;
    };
    const Case cases[] = {
        {u"지도보기", nullptr, kPointScript, false, 36},
        {u"출발지를 현위치로", nullptr, kPointScript, false, 37},
        {u"도착지를 현위치로", nullptr, kPointScript, false, 38},
        {u"Internet Explorer_Server", nullptr, kPointScript, false, 39},
        {nullptr, nullptr, kPointScript, true, 94},
        {nullptr, [](testing::FakePage& pg) { pg.fail.objectFromLresult = true; }, kPointScript, false, 43},
        {nullptr, nullptr, kPointScript, false, 43, true},
        {nullptr, [](testing::FakePage& pg) { pg.fail.scriptWindow = true; }, kPointScript, false, 44},
        {nullptr, [](testing::FakePage& pg) { pg.fail.windowDocument = true; }, kPointScript, false, 45},
        {nullptr, [](testing::FakePage& pg) { pg.fail.parentWindow = true; }, kPointScript, false, 46},
        {nullptr, [](testing::FakePage& pg) { pg.fail.queryEval = true; }, kPointScript, false, 47},
        {nullptr, [](testing::FakePage& pg) { pg.fail.evalDispId = true; }, kPointScript, false, 48},
        {nullptr, nullptr, u"false", false, 63},             // the page answers false
        {nullptr, nullptr, u"setCenter(%d, %d)", false, 63},  // a format the robot refuses
        {nullptr,
         [](testing::FakePage& pg) {
             pg.eval = [n = 0](const std::u16string&) mutable { return testing::ScriptBool(++n == 1); };
         },
         kPointScript, false, 63},  // origin placed, destination refused
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        Options options;
        if (c.omit) options.omit = {c.omit};
        w.Start(options);
        if (c.breakPage) w.OnMapPage(c.breakPage);
        if (c.silentBrowser) w.OnMapBrowser([&w](Hwnd browser) { w.d_.SetHung(browser); });
        w.d_.SetObjectFromLresultAvailable(!c.noObjectFromLresult);
        OrderRecord order = SimpleOrder();
        EXPECT_EQ(c.code, w.Enter(order, 1, 2, kNormalProfile, c.pointScript)) << "case " << i;
        EXPECT_FALSE(w.d_.NotResponding()) << "case " << i;
        EXPECT_EQ(0, w.CountBoxes(u"지도보기")) << "case " << i;
        EXPECT_TRUE(w.sim_->EntryWindows().empty()) << "case " << i;
        EXPECT_TRUE(w.sim_->Orders().empty()) << "case " << i;
    }
}

// An amount or telephone box that shows something else ends the entry with the
// step's code and the box text.
TEST_F(Entry, EchoMismatchesCarryTheBoxText) {
    struct Case {
        Hwnd EntryControls::*box;
        const char16_t* shown;  // what LogiD2 makes of the box when it is left; null: it takes no keys
        int code;
        const char16_t* message;
    };
    const Case cases[] = {
        {&EntryControls::fare, u"12,000원", 72, u"12,000원"},
        {&EntryControls::fare, nullptr, 72, u""},
        {&EntryControls::mileage, u"3,001", 76, u"3,001"},
        {&EntryControls::cash, u" 2,000 .", 73, u" 2,000 ."},
        {&EntryControls::cash, nullptr, 73, u""},
        {&EntryControls::phone2, u"02-1234-5679", 69, u"02-1234-5679"},
        {&EntryControls::phone2, nullptr, 69, u""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        w.Start();
        FakeDesktop& d = w.d_;
        w.OnNewEntry([&d, &c](Hwnd, const EntryControls& controls) {
            const Hwnd box = controls.*c.box;
            if (c.shown == nullptr) {
                d.AddMessageHook(box, [](const testing::Message& m) -> std::optional<std::intptr_t> {
                    if (m.message == msg::WM_CHAR) return 0;
                    return std::nullopt;
                });
            } else {
                const std::u16string shown = c.shown;
                d.AddAfterHook(box, [&d, box, shown](const testing::Message& m, std::intptr_t) {
                    if (m.message == msg::WM_KEYDOWN && m.wParam == msg::VK_TAB) d.HostSetText(box, shown);
                });
            }
        });
        OrderRecord order = SimpleOrder();
        WriteField(order.mileageAmount, u"3000");
        WriteField(order.cashAmount, u"2000");
        WriteField(order.customerPhone2, u"0212345678");
        EXPECT_EQ(c.code, w.Enter(order)) << "case " << i;
        EXPECT_EQ(c.message, w.message_) << "case " << i;
        EXPECT_TRUE(w.sim_->EntryWindows().empty()) << "case " << i;
    }
}

TEST_F(Entry, RefusedMileageIs76NotSupportedAndTheWindowStaysOpen) {
    Options options;
    options.refuseMileage = true;
    Start(options);
    OrderRecord order = SimpleOrder();
    WriteField(order.mileageAmount, u"3000");
    EXPECT_EQ(76, Enter(order));
    EXPECT_EQ(u"미지원", message_);
    EXPECT_EQ(0, CountBoxes(u"확인")) << "LogiD2's refusal was answered";
    EXPECT_EQ(1u, sim_->EntryWindows().size());
    for (const auto& m : CommandsTo(adapter_->controls().entryWindow))
        EXPECT_NE(sim::logid2::kIdCancel, msg::LowWord(m.wParam)) << "nothing cancelled";
}

TEST_F(Entry, ConsignmentThatWillNotTurnIs78EitherWay) {
    struct Case {
        bool startsChecked;
        bool locked;
        int wanted;
        int code;
    };
    const Case cases[] = {{false, true, 1, 78}, {true, true, 0, 78}, {true, false, 0, 0}, {false, false, 1, 0}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        World w;
        Options options;
        options.consignChecked = c.startsChecked;
        options.consignLocked = c.locked;
        w.Start(options);
        OrderRecord order = SimpleOrder();
        order.consignment = c.wanted;
        EXPECT_EQ(c.code, w.Enter(order)) << "case " << i;
        if (c.code == 0) {
            ASSERT_EQ(1u, w.sim_->Orders().size()) << "case " << i;
            EXPECT_EQ(c.wanted != 0, w.sim_->Orders()[0].consignment) << "case " << i;
        } else {
            EXPECT_TRUE(w.sim_->EntryWindows().empty()) << "case " << i;
        }
        EXPECT_EQ(0, w.CountBoxes(u"확인")) << "case " << i;
    }
}

// The driver memo LogiD2 already holds stays; the new one is added after ", "
// unless the box already contains it.
TEST_F(Entry, DriverMemoIsAddedToWhatTheBoxHolds) {
    struct Case {
        const char16_t* held;
        const char16_t* memo;
        const char16_t* stored;
    };
    const Case cases[] = {
        {u"", u" 조심히 ", u"조심히"},
        {u"단골 고객", u"조심히", u"단골 고객, 조심히"},
        {u"단골, 조심히 운전", u"조심히", u"단골, 조심히 운전"},
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
        ASSERT_EQ(0, w.Enter(order)) << "case " << i;
        ASSERT_EQ(1u, w.sim_->Orders().size());
        EXPECT_EQ(c.stored, w.sim_->Orders()[0].driverMemo) << "case " << i;
    }
}

TEST_F(Entry, FinishActions) {
    struct Case {
        int finishAction;
        const char16_t* status;  // null: nothing stored
        bool windowOpen;
    };
    const Case cases[] = {
        {1, nullptr, false}, {2, u"registered", false}, {3, u"held", false},
        {4, u"inquiry", false}, {5, nullptr, true},  {0, nullptr, true},
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
            if (c.finishAction == 4) {
                EXPECT_EQ(u"일반문의", w.sim_->Orders()[0].inquiryType);
            }
        }
        EXPECT_EQ(0, w.CountBoxes(u"취소") + w.CountBoxes(u"문의 타입선택")) << "case " << i;
        EXPECT_EQ(u"강남지사", ReadField(order.branchName)) << "case " << i << ": read back before finishing";
    }
}

TEST_F(Entry, UnregisteredCompanyIs3) {
    for (int finishAction : {2, 3, 4}) {
        World w;
        Options options;
        options.unregistered = true;
        w.Start(options);
        OrderRecord order = SimpleOrder();
        EXPECT_EQ(3, w.Enter(order, 1, finishAction)) << finishAction;
        EXPECT_EQ(0, w.CountBoxes(u"확인")) << "the box was answered";
        EXPECT_TRUE(w.sim_->Orders().empty());
    }
}

// LogiD2 stops answering once its map dialog is open: the entry ends at the
// next step, without polling or abandoning a program that cannot answer.
TEST_F(Entry, HungDispatchProgramEndsTheEntryAtOnce) {
    Options options;
    options.hangAfterCommand = CCallPortLogiD2::kMapCommand;
    Start(options);
    std::uint64_t sleptBeforeHang = 0;
    OnNewEntry([this, &sleptBeforeHang](Hwnd entry, const EntryControls&) {
        d_.AddAfterHook(entry, [this, &sleptBeforeHang](const testing::Message& m, std::intptr_t) {
            if (m.message == msg::WM_COMMAND && msg::LowWord(m.wParam) == CCallPortLogiD2::kMapCommand)
                sleptBeforeHang = d_.SleepTotal();
        });
    });
    OrderRecord order = SimpleOrder();
    EXPECT_EQ(99, Enter(order));
    EXPECT_TRUE(d_.NotResponding());
    EXPECT_EQ(sleptBeforeHang + 100, d_.SleepTotal())
        << "the dialog's one look, nothing more: it is not hidden (which would wait for LogiD2)";
    EXPECT_EQ(1u, CommandsTo(adapter_->controls().entryWindow).size()) << "no cancel posted";
}

}  // namespace
}  // namespace qm::logid2test
