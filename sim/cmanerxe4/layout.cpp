#include "sim/cmanerxe4/layout.h"

#include <string>

namespace qm::sim::cmanerxe4 {
namespace {

kit::LayoutNode L(std::u16string text, Rect r, std::string name = {}) {
    return kit::Label(std::move(text), 0, r, std::move(name)).Class(kLabelClass);
}
kit::LayoutNode Memo(std::string name, int id, Rect r) { return kit::Edit(std::move(name), id, r).Class(kMemoClass); }
kit::LayoutNode Btn(std::string name, std::u16string text, int id, Rect r) {
    return kit::Button(std::move(name), std::move(text), id, r).Class(kButtonClass).CommandsTo("entry");
}
kit::LayoutNode Group(std::string name, Rect r) { return kit::Window(std::move(name), kGroupClass, u"", 0, r); }

// The cells of the via panel: nine to a row, 96 x 36 apart.
Rect Cell(int i) {
    const int col = i % 9, row = i / 9;
    return {4 + col * 96, 4 + row * 36, 4 + col * 96 + 92, 4 + row * 36 + 30};
}

const std::vector<std::u16string> kPayItems = {u"현금", u"복합", u"후불", u"후불(마일)"};

}  // namespace

kit::LayoutNode MainLayout() {
    return kit::Window("main", u"Tfrm_Main", u"콜마너 XE 4", 0, {0, 0, 1000, 720})
        .Holding({kit::Window("pages", u"TcxPageControl", u"", 0, {0, 0, 992, 680})
                      .Holding({kit::Window("inquiryTab", u"TcxTabSheet", u"조회", 0, {0, 24, 980, 660}).Hidden(),
                                kit::Window("receptionTab", u"TcxTabSheet", u"접수-상담", 0, {0, 24, 980, 660})
                                    .Holding({kit::Button("reception", u"접 수", kIdReception, {10, 10, 120, 40})
                                                  .Class(kButtonClass)})})});
}

// What the robot counts on, in this order:
//   "발신☎" (6) a direct child; next of it the caller group, whose second
//   child is the caller box and whose first "TcxComboBox" has the second
//   telephone before it and the branch box and display after it;
//   prev x4 of "발신☎" the via panel: via 3, 2, 1 at its children 13, 18, 20,
//   their detail boxes at 12, 17, 24;
//   "출발" / "도착" with their memo after them; "콜無" + 1 and "도착" - 1 the map buttons;
//   "수수료" - 1 payment, + 2 fare; "후불" - 1, - 3, - 5, - 7 postpaid, mileage,
//   card, cash; "탁송" - 3 the via start label, - 11 the add-via button;
//   "적요① ( 기사에게 보임 )" + 5 the driver memo; "전체적립" - 1 a group whose
//   ninth child is the second memo.
const std::vector<kit::LayoutNode>& EntryLayout() {
    static const std::vector<kit::LayoutNode> layout = {
        Group("originGroup", {10, 10, 440, 80}).Holding({  // 0
            L(u"출발", {4, 4, 44, 24}),
            L(u"콜無", {48, 4, 88, 24}),
            kit::Button("originMap", u"", kIdOriginMap, {92, 2, 124, 28}).Class(kGlowButtonClass).CommandsTo("entry"),
            Memo("origin", kIdOrigin, {4, 32, 426, 66}),
        }),
        Group("destinationGroup", {450, 10, 880, 80}).Holding({  // 1
            kit::Button("destinationMap", u"", kIdDestinationMap, {4, 2, 36, 28}).Class(kGlowButtonClass).CommandsTo("entry"),
            L(u"도착", {40, 4, 80, 24}),
            Memo("destination", kIdDestination, {4, 32, 426, 66}),
        }),
        Group("viaGroup", {10, 88, 880, 200}).Holding({  // 2
            L(u"경유지", Cell(0)), L(u"순번", Cell(1)), L(u"지명", Cell(2)), L(u"상세", Cell(3)),
            L(u"요금", Cell(4)), L(u"대기", Cell(5)), L(u"시간", Cell(6)), L(u"거리", Cell(7)),
            L(u"비고", Cell(8)), L(u"·", Cell(9)), L(u"·", Cell(10)), L(u"3", Cell(11)),
            Memo("viaDetail3", kIdViaDetail3, Cell(12)).ReadOnly(), Memo("via3", kIdVia3, Cell(13)),
            L(u"·", Cell(14)), L(u"·", Cell(15)), L(u"2", Cell(16)),
            Memo("viaDetail2", kIdViaDetail2, Cell(17)).ReadOnly(), Memo("via2", kIdVia2, Cell(18)),
            L(u"1", Cell(19)), Memo("via1", kIdVia1, Cell(20)),
            L(u"·", Cell(21)), L(u"·", Cell(22)), L(u"·", Cell(23)),
            Memo("viaDetail1", kIdViaDetail1, Cell(24)).ReadOnly(),
        }),
        L(u"고객", {10, 208, 60, 228}),  // 3
        L(u"등급", {66, 208, 116, 228}),  // 4
        L(u"최근", {122, 208, 172, 228}),  // 5
        L(kCallerLabelText, {178, 208, 238, 228}, "callerLabel"),  // 6
        Group("callerGroup", {10, 236, 880, 300}).Holding({  // 7
            L(u"전화", {4, 4, 44, 24}),
            Memo("phone", kIdPhone, {48, 4, 208, 30}),
            L(u"연락처2", {214, 4, 274, 24}),
            Memo("phone2", kIdPhone2, {278, 4, 438, 30}),
            kit::Combo("branchCombo", kIdBranchCombo, {444, 4, 544, 120}, {u"지사"}, 0).Class(kComboClass),
            Memo("branch", kIdBranch, {548, 4, 668, 30}),
            Memo("branchDisplay", kIdBranchDisplay, {4, 34, 424, 60}).ReadOnly(),
        }),
        Group("payGroup", {10, 308, 440, 372}).Holding({  // 8
            L(u"결제", {4, 4, 44, 24}),
            [] {
                kit::LayoutNode combo = kit::Combo("payCombo", kIdPayCombo, {48, 4, 168, 120}, kPayItems, 0).Class(kComboClass);
                combo.editable = true;
                return combo;
            }(),
            L(u"수수료", {174, 4, 224, 24}),
            L(u"요금", {228, 4, 268, 24}),
            Memo("fare", kIdFare, {272, 4, 422, 30}),
        }),
        Group("amountGroup", {450, 308, 880, 372}).Holding({  // 9
            L(u"현금", {4, 4, 44, 24}),
            Memo("cash", kIdCash, {48, 4, 138, 30}),
            L(u"카드", {142, 4, 182, 24}),
            Memo("card", kIdCard, {186, 4, 276, 30}),
            L(u"마일", {280, 4, 320, 24}),
            Memo("mileage", kIdMileage, {324, 4, 414, 30}),
            L(u"금액", {4, 34, 44, 54}),
            Memo("postpaid", kIdPostpaid, {48, 34, 138, 60}),
            L(u"후불", {142, 34, 182, 54}),
        }),
        Group("optionGroup", {10, 380, 880, 420}).Holding({  // 10
            Btn("addVia", u"경유추가", kIdAddVia, {4, 4, 84, 34}),
            L(u"왕복", {88, 8, 128, 28}), L(u"급송", {132, 8, 172, 28}), L(u"합짐", {176, 8, 216, 28}),
            L(u"예약", {220, 8, 260, 28}), L(u"야간", {264, 8, 304, 28}), L(u"할증", {308, 8, 348, 28}),
            L(u"우천", {352, 8, 392, 28}),
            L(u"경유", {396, 8, 436, 28}, "viaStart"),
            L(u"퀵", {440, 8, 480, 28}), L(u"대리", {484, 8, 524, 28}),
            L(u"탁송", {528, 8, 568, 28}, "consignLabel"),
        }),
        Group("memoGroup", {10, 428, 440, 500}).Holding({  // 11
            L(u"적요① ( 기사에게 보임 )", {4, 4, 184, 24}),
            L(u"적요② ( 상담원용 )", {188, 4, 328, 24}),
            L(u"글자수", {332, 4, 372, 24}),
            L(u"0", {376, 4, 396, 24}),
            L(u"/200", {400, 4, 426, 24}),
            Memo("driverMemo", kIdDriverMemo, {4, 28, 426, 68}),
        }),
        Group("pointGroup", {450, 428, 880, 500}).Holding({  // 12
            L(u"등급", {4, 4, 44, 24}), L(u"적립", {48, 4, 88, 24}), L(u"사용", {92, 4, 132, 24}),
            L(u"잔여", {136, 4, 176, 24}), L(u"쿠폰", {180, 4, 220, 24}), L(u"포인트", {224, 4, 274, 24}),
            L(u"최근", {278, 4, 318, 24}), L(u"비고", {322, 4, 362, 24}),
            Memo("memo2", kIdMemo2, {4, 28, 426, 68}),
        }),
        L(u"전체적립", {450, 504, 530, 524}),  // 13
        Group("buttonGroup", {10, 504, 440, 550}).Holding({  // 14
            Btn("registerButton", kRegisterText, kIdRegister, {4, 4, 104, 40}),
            Btn("closeButton", u"종료(F8)", kIdClose, {108, 4, 208, 40}),
            Btn("holdButton", u"대기(F10)", kIdHold, {212, 4, 312, 40}),
            Btn("inquiryButton", u"문의(F12)", kIdInquiry, {316, 4, 416, 40}),
        }),
    };
    return layout;
}

const std::vector<kit::LayoutNode>& ConsultMapLayout() {
    static const std::vector<kit::LayoutNode> layout = {
        Group("toolbar", {0, 0, 640, 30}).Holding({L(u"상담 지도", {4, 4, 104, 24})}),
        kit::Browser("browser", kIdConsultBrowser, {0, 30, 640, 480}),
    };
    return layout;
}

const std::vector<kit::LayoutNode>& ViaMapLayout() {
    static const std::vector<kit::LayoutNode> layout = {
        Group("toolbar", {0, 0, 640, 30}).Holding({L(u"경유지 위치", {4, 4, 104, 24})}),
        kit::Browser("browser", kIdViaBrowser, {0, 30, 640, 440}),
        Group("footer", {0, 440, 640, 480}).Holding({
            L(u"위도", {4, 8, 44, 28}), L(u"", {48, 8, 148, 28}, "lat"), L(u"경도", {152, 8, 192, 28}),
            L(u"", {196, 8, 296, 28}, "lng"), L(u"·", {300, 8, 316, 28}),
            kit::Button("close", u"닫기", kIdViaMapClose, {540, 4, 630, 36}).Class(kButtonClass).CommandsTo("viaMap"),
        }),
    };
    return layout;
}

}  // namespace qm::sim::cmanerxe4
