// What the LogiD2 substitute echoes, asks and stores when driven as the robot drives it.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/utf.h"
#include "tests/sim/logid2_fixture.h"

namespace qm::sim::logid2::test {
namespace {

class BehaviourTest : public LogiD2Fixture {
protected:
    void SetUp() override {
        StartSim(options_);
        entry_ = OpenEntry();
        ASSERT_FALSE(IsNull(entry_));
        c_ = Controls(entry_);
    }
    // Types a customer telephone and waits until the lookup has shown it.
    void LookUpCustomer(const std::u16string& phone) {
        Type(c_.phone, phone);
        PostKey(c_.phone, msg::VK_RETURN);
        d_.Sleep(1000);
    }
    void Leave(Hwnd box) {
        PostKey(box, msg::VK_TAB);
        d_.Sleep(40);
    }

    Options options_;
    Hwnd entry_{};
    EntryControls c_;
};

// --- echoes ----------------------------------------------------------------

TEST_F(BehaviourTest, BranchEnterShowsHeadOfficeBranchAndNumber) {
    struct Case {
        const char16_t* typed;
        const char16_t* shown;
    };
    const Case cases[] = {
        {u"02-123-4567", u"로지본사 > 강남지사 (02-123-4567)"},
        {u"021234567", u"로지본사 > 강남지사 (02-123-4567)"},
        {u"031-123-4567", u"로지본사 > 수원지사 (031-123-4567)"},
        {u"1588-1234", u"로지본사 > 대표지사 (1588-1234)"},
    };
    EXPECT_EQ(Lines(c_.branchDisplay), u"");
    for (const Case& c : cases) {
        d_.SendSetText(c_.branch, u"");
        Type(c_.branch, c.typed);
        PostKey(c_.branch, msg::VK_RETURN);
        d_.Sleep(100);
        EXPECT_EQ(Lines(c_.branchDisplay), c.shown);
        EXPECT_EQ(Text(c_.branch), c.typed) << "Enter adds no line break";
    }
}

TEST_F(BehaviourTest, UnknownBranchAsksToSelectABranch) {
    Type(c_.branch, u"02-999-9999");
    PostKey(c_.branch, msg::VK_RETURN);
    d_.Sleep(100);
    EXPECT_EQ(Lines(c_.branchDisplay), u"");
    const Hwnd box = FindBox(nullptr, u"지사를 선택하시기 바랍니다.", u"닫기");
    ASSERT_FALSE(IsNull(box));
    AnswerBox(box, u"닫기");
    EXPECT_FALSE(d_.IsWindow(box));
}

TEST_F(BehaviourTest, TelephoneEnterFillsTheCustomerDisplayAfterTheLookup) {
    Type(c_.phone, u"010-1234-5678");
    PostKey(c_.phone, msg::VK_RETURN);
    d_.Sleep(200);
    EXPECT_EQ(Lines(c_.phoneDisplay), u"") << "the lookup takes 300 ms";
    d_.Sleep(200);
    EXPECT_EQ(Lines(c_.phoneDisplay), u"010-1234-5678");
    EXPECT_TRUE(sim_->EntryInfo(entry_)->customerFound);
}

TEST_F(BehaviourTest, ShortOrUnknownNumbersShowTheSearchHint) {
    const std::u16string hint =
        u"검색시 전화번호는 뒷자리 4자리 이거나, 지역번호를 제외한 풀넘버를 입력하셔야 합니다.";
    for (const char16_t* typed : {u"123", u"12345", u"5678"}) {
        d_.SendSetText(c_.phone, u"");
        Type(c_.phone, typed);
        PostKey(c_.phone, msg::VK_RETURN);
        d_.Sleep(1000);
        EXPECT_EQ(Lines(c_.phoneDisplay), u"") << "typed " << Utf16ToUtf8(typed);
        const Hwnd box = FindBox(u"확인", hint, u"확인");
        ASSERT_FALSE(IsNull(box)) << "typed " << Utf16ToUtf8(typed);
        AnswerBox(box, u"확인");
        EXPECT_TRUE(IsNull(FindBox(u"확인", hint, u"확인")));
    }
}

TEST_F(BehaviourTest, LastFourDigitsFindAKnownCustomer) {
    StoredOrder known;
    known.customerPhone = u"010-2222-5678";
    sim_->AddOrder(known);
    Type(c_.phone, u"5678");
    PostKey(c_.phone, msg::VK_RETURN);
    d_.Sleep(1000);
    EXPECT_EQ(Lines(c_.phoneDisplay), u"010-2222-5678");
}

TEST_F(BehaviourTest, AmountsAreRegroupedWhenTheBoxIsLeft) {
    struct Case {
        const char16_t* typed;
        const char16_t* shown;
    };
    const Case cases[] = {{u"12000", u"12,000"}, {u"1234567", u"1,234,567"}, {u"-500", u"-500"},
                          {u"900", u"900"},      {u"1,2000", u"12,000"},    {u"12천원", u"12천원"}};
    for (const Case& c : cases) {
        d_.SendSetText(c_.fare, u"");
        Type(c_.fare, c.typed);
        Leave(c_.fare);
        EXPECT_EQ(Text(c_.fare), c.shown) << Utf16ToUtf8(c.typed);
    }
}

TEST_F(BehaviourTest, MileageWithoutASearchedCustomerIsRefused) {
    Type(c_.mileage, u"3000");
    Leave(c_.mileage);
    EXPECT_FALSE(IsNull(FindBox(u"확인", u"고객을 검색 후 마일리지를 적용하세요", u"확인")));
    EXPECT_EQ(Text(c_.mileage), u"");
}

TEST_F(BehaviourTest, MileageAfterACustomerSearchIsTaken) {
    LookUpCustomer(u"01012345678");
    Type(c_.mileage, u"3000");
    Leave(c_.mileage);
    EXPECT_TRUE(IsNull(FindBox(u"확인", u"고객을 검색 후 마일리지를 적용하세요", u"확인")));
    EXPECT_EQ(Text(c_.mileage), u"3,000");
}

TEST_F(BehaviourTest, CheckingConsignmentWarnsThatItCannotBeUndone) {
    const std::u16string warning = u"탁송오더 등록시 탁송체크 해지불가하므로 오더취소후 재접수 하시기 바랍니다";
    PostClick(c_.consign);
    EXPECT_EQ(d_.Send(c_.consign, msg::BM_GETCHECK, 0, 0), 0) << "posted: nothing before the clock moves";
    d_.Sleep(100);
    EXPECT_EQ(d_.Send(c_.consign, msg::BM_GETCHECK, 0, 0), 1);
    const Hwnd box = FindBox(u"확인", warning, u"확인");
    ASSERT_FALSE(IsNull(box));
    AnswerBox(box, u"확인");
    // Taking it off again in an unsaved window is allowed and says nothing.
    PostClick(c_.consign);
    d_.Sleep(100);
    EXPECT_EQ(d_.Send(c_.consign, msg::BM_GETCHECK, 0, 0), 0);
    EXPECT_TRUE(IsNull(FindBox(u"확인", warning, u"확인")));
}

TEST_F(BehaviourTest, PlaceTextOpensOnePlacePopupAfterADelay) {
    Type(c_.origin, u"서울역");
    d_.Sleep(200);
    auto popup = [&] {
        Hwnd found{};
        Hwnd box{};
        int count = 0;
        while (!IsNull(box = d_.FindWindowEx(kNoWindow, box, u"#32770", nullptr))) {
            if (!IsNull(BoxButton(box, u"지도")) && !IsNull(BoxButton(box, u"닫기"))) {
                found = box;
                ++count;
            }
        }
        EXPECT_LE(count, 1);
        return found;
    };
    EXPECT_TRUE(IsNull(popup()));
    d_.Sleep(200);
    ASSERT_FALSE(IsNull(popup()));
    Type(c_.destination, u"강남역");
    d_.Sleep(1000);
    const Hwnd shown = popup();
    ASSERT_FALSE(IsNull(shown));
    SendCommand(shown, BoxButton(shown, u"닫기"));
    EXPECT_TRUE(IsNull(popup()));
}

// --- the map dialog --------------------------------------------------------

TEST_F(BehaviourTest, MapDialogPlacesOriginAndDestinationIntoItsAddress) {
    Map m = OpenMap(entry_);
    ASSERT_FALSE(IsNull(m.dialog));
    ASSERT_FALSE(IsNull(m.setOrigin));
    ASSERT_FALSE(IsNull(m.setDestination));
    ASSERT_FALSE(IsNull(m.browser));
    EXPECT_EQ(Url(m.browser), u"http://logid2.map.invalid/map.asp?level=8");

    const ScriptValue placed = Eval(m.browser, u"setCenter(37.500000, 127.100000)");
    EXPECT_EQ(placed.boolean, std::optional<bool>(true));
    PressSet(m.setOrigin);
    EXPECT_EQ(Url(m.browser), u"http://logid2.map.invalid/map.asp?strSPosX=127.1&strSPosY=37.5");

    Eval(m.browser, u"setCenter(37.6, 127.2);");
    PressSet(m.setDestination);
    EXPECT_EQ(Url(m.browser),
              u"http://logid2.map.invalid/map.asp?strSPosX=127.1&strSPosY=37.5&strDPosX=127.2&strDPosY=37.6");
    EXPECT_EQ(sim_->EntryInfo(entry_)->points.origin, (GeoPoint{37.5, 127.1}));

    // Closed and opened again: the same points, centred on the origin.
    d_.Send(m.dialog, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
    EXPECT_FALSE(d_.IsWindow(m.dialog));
    m = OpenMap(entry_);
    EXPECT_EQ(Url(m.browser),
              u"http://logid2.map.invalid/map.asp?strSPosX=127.1&strSPosY=37.5&strDPosX=127.2&strDPosY=37.6");
    EXPECT_EQ(Eval(m.browser, u"getCenter()").text, std::optional<std::u16string>(u"37.5,127.1"));
}

TEST_F(BehaviourTest, AFailingPointScriptMovesNothing) {
    const Map m = OpenMap(entry_);
    const ScriptValue failed = Eval(m.browser, u"setCenter(37.5, 127.1); moveTo(1)");
    EXPECT_EQ(failed.boolean, std::optional<bool>(false));
    EXPECT_EQ(failed.text, std::optional<std::u16string>(u""));
    EXPECT_EQ(Eval(m.browser, u"setCenter(37.5, nan)").boolean, std::optional<bool>(false));
    PressSet(m.setOrigin);
    EXPECT_EQ(Url(m.browser), u"http://logid2.map.invalid/map.asp?strSPosX=126.9784147&strSPosY=37.5666805")
        << "the centre stayed where the map started";
}

TEST_F(BehaviourTest, EntryMapButtonRecentresTheMapOnItsPlace) {
    const Map m = OpenMap(entry_);
    Eval(m.browser, u"setCenter(37.5, 127.1)");
    PressSet(m.setOrigin);
    Eval(m.browser, u"setCenter(35.1, 129.0)");
    SendCommand(entry_, c_.originMap);
    SendCommand(entry_, c_.originMap);
    EXPECT_EQ(Eval(m.browser, u"getCenter()").text, std::optional<std::u16string>(u"37.5,127.1"));
}

// --- cancel and finish -----------------------------------------------------

TEST_F(BehaviourTest, CancellingAnEmptyWindowClosesItAtOnce) {
    PostCommand(entry_, c_.cancel);
    d_.Sleep(100);
    EXPECT_FALSE(d_.IsWindow(entry_));
    EXPECT_TRUE(sim_->EntryWindows().empty());
}

TEST_F(BehaviourTest, CancellingAWindowWithDataAsksFirst) {
    const std::u16string question = u"접수 데이터가 일부 입력된 창을 닫겠습니까?";
    Type(c_.origin, u"서울역");
    PostCommand(entry_, c_.cancel);
    d_.Sleep(100);
    Hwnd box = FindBox(u"취소", question, u"예(&Y)");
    ASSERT_FALSE(IsNull(box));
    AnswerBox(box, u"아니오(&N)");
    EXPECT_TRUE(d_.IsWindow(entry_));

    // The frame's close asks the same.
    d_.Send(entry_, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
    box = FindBox(u"취소", question, u"예(&Y)");
    ASSERT_FALSE(IsNull(box));
    AnswerBox(box, u"예(&Y)");
    EXPECT_FALSE(d_.IsWindow(entry_));
    EXPECT_FALSE(d_.IsWindow(box));
    EXPECT_TRUE(sim_->Orders().empty());
}

TEST_F(BehaviourTest, ClosingTheEntryWindowTakesItsBoxesPopupAndMapAlong) {
    Type(c_.origin, u"서울역");
    d_.Sleep(1000);
    const Map m = OpenMap(entry_);
    PostKey(c_.branch, msg::VK_RETURN);  // an empty branch: the select-branch box
    d_.Sleep(100);
    const std::size_t before = d_.TopLevelWindows().size();
    EXPECT_EQ(before, 5u);  // main, entry, popup, map, box
    d_.Send(entry_, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);
    AnswerBox(FindBox(u"취소", u"접수 데이터가 일부 입력된 창을 닫겠습니까?", u"예(&Y)"), u"예(&Y)");
    EXPECT_EQ(d_.TopLevelWindows(), std::vector<Hwnd>{MainWindow()});
    EXPECT_FALSE(d_.IsWindow(m.dialog));
}

TEST_F(BehaviourTest, RegisterStoresTheOrderAsTheWindowShowsItAndClosesIt) {
    Type(c_.branch, u"02-123-4567");
    PostKey(c_.branch, msg::VK_RETURN);
    LookUpCustomer(u"010-1234-5678");
    d_.Send(c_.payCombo, msg::CB_SETCURSEL, 1, 0);
    d_.Send(entry_, msg::WM_COMMAND, msg::MakeWParam(kIdPayCombo, msg::CBN_SELCHANGE),
            static_cast<std::intptr_t>(c_.payCombo));
    Type(c_.origin, u"서울역 [서울역 1번출구]");
    Type(c_.destination, u"강남역");
    Type(c_.via[0], u"시청");
    Type(c_.fare, u"15000");
    Leave(c_.fare);
    Type(c_.postpaid, u"15000");
    Leave(c_.postpaid);
    Type(c_.phone2, u"010-9999-8888");
    Type(c_.driverMemo, u"조심히");
    Type(c_.memo2, u"법인");
    PostClick(c_.consign);
    d_.Sleep(100);
    const Map m = OpenMap(entry_);
    Eval(m.browser, u"setCenter(37.5547, 126.9706)");
    PressSet(m.setOrigin);
    Eval(m.browser, u"setCenter(37.4979, 127.0276)");
    PressSet(m.setDestination);
    d_.Send(m.dialog, msg::WM_SYSCOMMAND, msg::SC_CLOSE, 0);

    PostCommand(entry_, c_.registerButton);
    d_.Sleep(100);
    EXPECT_FALSE(d_.IsWindow(entry_));
    ASSERT_EQ(sim_->Orders().size(), 1u);
    const StoredOrder& o = sim_->Orders()[0];
    EXPECT_EQ(o.serial, 1);
    EXPECT_EQ(o.status, u"registered");
    EXPECT_EQ(o.branchNumber, u"02-123-4567");
    EXPECT_EQ(o.branchDisplay, u"로지본사 > 강남지사 (02-123-4567)");
    EXPECT_EQ(o.customerPhone, u"010-1234-5678");
    EXPECT_EQ(o.customerPhone2, u"010-9999-8888");
    EXPECT_EQ(o.payType, u"후불");
    EXPECT_EQ(o.fare, u"15,000");
    EXPECT_EQ(o.postpaidAmount, u"15,000");
    EXPECT_EQ(o.cashAmount, u"");
    EXPECT_TRUE(o.consignment);
    EXPECT_EQ(o.driverMemo, u"조심히");
    EXPECT_EQ(o.memo2, u"법인");
    EXPECT_EQ(o.origin.text, u"서울역 [서울역 1번출구]");
    EXPECT_EQ(o.origin.position, (GeoPoint{37.5547, 126.9706}));
    EXPECT_EQ(o.destination.position, (GeoPoint{37.4979, 127.0276}));
    EXPECT_EQ(o.via[0].text, u"시청");
    EXPECT_FALSE(o.via[0].position.has_value());
    EXPECT_NE(sim_->OrdersJson().find("\"status\": \"registered\""), std::string::npos);
}

TEST_F(BehaviourTest, HoldAndInquiryAreKeptWithTheirStatus) {
    Type(c_.origin, u"서울역");
    PostCommand(entry_, c_.hold);
    d_.Sleep(100);
    EXPECT_FALSE(d_.IsWindow(entry_));

    const Hwnd second = OpenEntry();
    const EntryControls c2 = Controls(second);
    Type(c2.origin, u"강남역");
    PostCommand(second, c2.inquiry);
    d_.Sleep(100);
    EXPECT_TRUE(d_.IsWindow(second)) << "the inquiry waits for its type";
    const Hwnd type = d_.FindWindowEx(kNoWindow, kNoWindow, u"#32770", u"문의 타입선택");
    ASSERT_FALSE(IsNull(type));
    SendCommand(type, BoxButton(type, u"일반문의"));
    EXPECT_FALSE(d_.IsWindow(second));

    ASSERT_EQ(sim_->Orders().size(), 2u);
    EXPECT_EQ(sim_->Orders()[0].status, u"held");
    EXPECT_EQ(sim_->Orders()[0].origin.text, u"서울역");
    EXPECT_EQ(sim_->Orders()[1].status, u"inquiry");
    EXPECT_EQ(sim_->Orders()[1].inquiryType, u"일반문의");
    EXPECT_EQ(sim_->Orders()[1].serial, 2);
}

class UnregisteredTest : public BehaviourTest {
protected:
    void SetUp() override {
        options_.unregistered = true;
        BehaviourTest::SetUp();
    }
};

TEST_F(UnregisteredTest, FinishingShowsTheUnregisteredBoxAndSavesNothing) {
    for (Hwnd button : {c_.registerButton, c_.hold, c_.inquiry}) {
        PostCommand(entry_, button);
        d_.Sleep(100);
        const Hwnd box = d_.FindWindowEx(kNoWindow, kNoWindow, u"#32770", u"확인");
        ASSERT_FALSE(IsNull(box));
        const Hwnd first = d_.FindWindowEx(box, kNoWindow, u"Static", nullptr);
        const Hwnd second = d_.FindWindowEx(box, first, u"Static", nullptr);
        EXPECT_NE(d_.GetWindowText(second, 1024).find(u"미등록 업체입니다"), std::u16string::npos);
        AnswerBox(box, u"확인");
        EXPECT_TRUE(d_.IsWindow(entry_));
        EXPECT_TRUE(IsNull(d_.FindWindowEx(kNoWindow, kNoWindow, u"#32770", u"문의 타입선택")));
    }
    EXPECT_TRUE(sim_->Orders().empty());
}

class LockedConsignTest : public BehaviourTest {
protected:
    void SetUp() override {
        options_.consignLocked = true;
        BehaviourTest::SetUp();
    }
};

TEST_F(LockedConsignTest, ClicksDoNotChangeTheMark) {
    PostClick(c_.consign);
    d_.Sleep(100);
    EXPECT_EQ(d_.Send(c_.consign, msg::BM_GETCHECK, 0, 0), 0);
}

class HangTest : public BehaviourTest {
protected:
    void SetUp() override {
        options_.hangAfterCommand = kIdRegister;
        options_.hangMs = 60000;
        BehaviourTest::SetUp();
    }
};

TEST_F(HangTest, TheProgramStopsAnsweringAfterTheCommand) {
    PostCommand(entry_, c_.registerButton);
    d_.Sleep(100);
    EXPECT_EQ(sim_->Orders().size(), 1u) << "the command itself was handled";
    EXPECT_FALSE(d_.NotResponding());
    EXPECT_EQ(d_.Send(MainWindow(), msg::WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_TRUE(d_.NotResponding());
}

// --- modify mode -----------------------------------------------------------

class ModifyTest : public LogiD2Fixture {
protected:
    StoredOrder Held() {
        StoredOrder o;
        o.status = u"held";
        o.customerPhone = u"010-1234-5678";
        o.branchNumber = u"02-123-4567";
        o.branchDisplay = u"로지본사 > 강남지사 (02-123-4567)";
        o.payType = u"후불";
        o.fare = u"12,000";
        o.consignment = true;
        o.origin = {u"서울역", GeoPoint{37.5547, 126.9706}};
        o.destination = {u"강남역", GeoPoint{37.4979, 127.0276}};
        o.via[0] = {u"시청", GeoPoint{37.5663, 126.9779}};
        return o;
    }
};

TEST_F(ModifyTest, AHeldOrderOpensInAModifyWindowThatShowsIt) {
    const std::size_t k = sim_->AddOrder(Held());
    d_.Post(MainWindow(), msg::WM_COMMAND, msg::MakeWParam(kCmdOpenOrderBase + static_cast<int>(k), 0), 0);
    d_.Sleep(100);
    const Hwnd entry = d_.GetWindow(MainWindow(), Relation::EnabledPopup);
    ASSERT_FALSE(IsNull(entry));
    EXPECT_TRUE(IsNull(FindDescendant(entry, u"Button", u"등   록(&R)")));
    EXPECT_FALSE(IsNull(FindDescendant(entry, u"Button", u"수   정(&E)")));
    const EntryControls c = Controls(entry);
    EXPECT_EQ(Lines(d_.GetWindow(entry, Relation::Child)), u"010-1234-5678");
    EXPECT_EQ(Lines(c.phoneDisplay), u"010-1234-5678");
    EXPECT_EQ(Text(c.payCombo), u"후불");
    EXPECT_EQ(d_.Send(c.consign, msg::BM_GETCHECK, 0, 0), 1);
    const Map m = OpenMap(entry);
    EXPECT_EQ(Url(m.browser),
              u"http://logid2.map.invalid/map.asp?strSPosX=126.9706&strSPosY=37.5547&strDPosX=127.0276&strDPosY=37.4979"
              u"&strV1PosX=126.9779&strV1PosY=37.5663");
}

TEST_F(ModifyTest, SavingAModifiedOrderReplacesItAndKeepsItsConsignmentMark) {
    const std::size_t k = sim_->AddOrder(Held());
    const Hwnd entry = sim_->OpenOrderForModify(k);
    const EntryControls c = Controls(entry);
    PostClick(c.consign);
    d_.Sleep(100);
    EXPECT_EQ(d_.Send(c.consign, msg::BM_GETCHECK, 0, 0), 1) << "a saved consignment cannot be taken off";
    EXPECT_FALSE(IsNull(FindBox(u"확인", u"탁송오더 등록시 탁송체크 해지불가하므로 오더취소후 재접수 하시기 바랍니다",
                                u"확인")));
    d_.SendSetText(c.fare, u"");
    Type(c.fare, u"13000");
    PostCommand(entry, c.registerButton);
    d_.Sleep(100);
    ASSERT_EQ(sim_->Orders().size(), 1u);
    EXPECT_EQ(sim_->Orders()[0].fare, u"13000");
    EXPECT_EQ(sim_->Orders()[0].status, u"held");
    EXPECT_EQ(sim_->Orders()[0].serial, 1);
}

TEST(OrdersFileTest, EveryChangeIsWrittenAsJson) {
    const auto path = std::filesystem::temp_directory_path() / "logid2_sim_orders_test.json";
    std::filesystem::remove(path);
    testing::FakeDesktop d;
    FakeHost host(d);
    Options options;
    options.ordersFile = path.u16string();
    LogiD2Sim sim(host, options);
    ASSERT_TRUE(sim.Start());
    StoredOrder o;
    o.customerPhone = u"010-1234-5678";
    sim.AddOrder(o);
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), sim.OrdersJson());
    std::string error;
    const auto back = OrderFromJson(text.str(), error);
    ASSERT_TRUE(back.has_value()) << error;
    EXPECT_EQ(*back, sim.Orders()[0]);
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace qm::sim::logid2::test
