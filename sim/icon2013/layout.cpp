#include "sim/icon2013/layout.h"

namespace qm::sim::icon2013 {

const std::vector<std::u16string>& PayItems() {
    static const std::vector<std::u16string> items = {u"현금", u"후불", u"마일리지", u"카드결제"};
    return items;
}

kit::LayoutNode MainLayout() {
    return kit::Window("main", kMainClass, u"Icon2013 - 아이콘 배차", 0, {0, 0, 1000, 720})
        .Holding({kit::Window("frame", u"AfxMDIFrame90", u"", 0, {0, 0, 990, 680})
                      .Holding({kit::Dialog("inquiry", u"오더조회", 0, {4, 4, 980, 670})
                                    .Holding({kit::Button("reception", u"접수", kIdReception, {10, 10, 90, 40})})})});
}

const std::vector<kit::LayoutNode>& OrderWindowLayout() {
    static const std::vector<kit::LayoutNode> layout = {
        kit::Dialog("outer", u"", kIdOuterDialog, {0, 30, 774, 430})
            .Holding({kit::Dialog("dialog", u"", kIdOrderDialog, {0, 0, 770, 396})}),
        kit::Button("newOrder", u"신규접수", kIdNewOrder, {4, 2, 94, 26}),
    };
    return layout;
}

Rect AddViaPlace(int row) {
    // Each via row's detail box reaches 60 pixels further right than the one
    // above it, so the button beside a row stands above the next row's box.
    const int right = 530 + 60 * row;
    const int top = 136 + 30 * row;
    return {right - 24, top, right, top + 26};
}

// What the robot counts on in this order (k-th window after an anchor):
//   "고객검색" +1 search box; "S" +2 telephone, +3 second telephone;
//   "접수점" -1 branch combo; "출발" +1 origin, +4 origin map button (+2 is the
//   box a set button rewrites); "도착" +1 destination, +2 its map button (+4 is
//   the rewritten box); "경유" +1..+7 via 1, detail 1, add-via, via 2, detail
//   2, via 3, detail 3; "축소" +1, +2, +3 the map buttons of via 1, 3, 2;
//   "요금" +5 fare; "기사\n메모" +1 driver memo; "결제" +1 payment combo, +2
//   amount; "확대" +2 second memo.
// The combos' rectangles include their drop-down lists.
const std::vector<kit::LayoutNode>& OrderDialogLayout() {
    static const std::vector<kit::LayoutNode> layout = {
        kit::Label(u"고객검색", kIdSearchLabel, {8, 8, 68, 34}),  // 0
        kit::Edit("search", kIdSearch, {72, 8, 212, 34}),  // 1
        kit::Button("searchButton", u"S", kIdSearchButton, {216, 8, 242, 34}),  // 2
        kit::Label(u"전화", kIdPhoneLabel, {250, 8, 290, 34}),  // 3
        kit::Edit("phone", kIdPhone, {294, 8, 434, 34}).ReadOnly(),  // 4
        kit::Edit("phone2", kIdPhone2, {440, 8, 580, 34}),  // 5
        kit::Combo("branch", kIdBranch, {72, 40, 372, 200}, {}),  // 6
        kit::Label(u"접수점", kIdBranchLabel, {8, 40, 68, 66}),  // 7
        kit::Label(u"출발", kIdOriginLabel, {8, 72, 48, 98}),  // 8
        kit::Edit("origin", kIdOrigin, {52, 72, 262, 98}),  // 9
        kit::Edit("originDetail", kIdOriginDetail, {266, 72, 560, 98}),  // 10
        kit::Label(u"·", kIdOriginDot, {564, 72, 576, 98}),  // 11
        kit::Button("originMap", u"지도", kIdOriginMap, {580, 72, 630, 98}),  // 12
        kit::Label(u"도착", kIdDestinationLabel, {8, 104, 48, 130}),  // 13
        kit::Edit("destination", kIdDestination, {52, 104, 262, 130}),  // 14
        kit::Button("destinationMap", u"지도", kIdDestinationMap, {580, 104, 630, 130}),  // 15
        kit::Label(u"·", kIdDestinationDot, {564, 104, 576, 130}),  // 16
        kit::Edit("destinationDetail", kIdDestinationDetail, {266, 104, 560, 130}),  // 17
        kit::Label(u"경유", kIdViaLabel, {8, 136, 48, 162}),  // 18
        kit::Edit("via1", kIdVia1, {52, 136, 262, 162}),  // 19
        kit::Edit("via1Detail", kIdVia1Detail, {266, 136, 500, 162}),  // 20
        kit::Button("addVia", u"+", kIdAddVia, AddViaPlace(0)),  // 21
        kit::Edit("via2", kIdVia2, {52, 166, 262, 192}).Hidden(),  // 22
        kit::Edit("via2Detail", kIdVia2Detail, {266, 166, 560, 192}).Hidden(),  // 23
        kit::Edit("via3", kIdVia3, {52, 196, 262, 222}).Hidden(),  // 24
        kit::Edit("via3Detail", kIdVia3Detail, {266, 196, 620, 222}).Hidden(),  // 25
        kit::Button("shrink", u"축소", kIdShrink, {700, 228, 760, 254}),  // 26
        kit::Button("viaMap1", u"지도", kIdViaMap1, {700, 136, 750, 162}),  // 27
        kit::Button("viaMap3", u"지도", kIdViaMap3, {700, 196, 750, 222}),  // 28
        kit::Button("viaMap2", u"지도", kIdViaMap2, {700, 166, 750, 192}),  // 29
        kit::Label(u"요금", kIdFareLabel, {8, 260, 48, 286}),  // 30
        kit::Label(u"기본", kIdFareBase, {52, 260, 88, 286}),  // 31
        kit::Label(u"할증", kIdFareNight, {92, 260, 128, 286}),  // 32
        kit::Label(u"추가", kIdFareExtra, {132, 260, 168, 286}),  // 33
        kit::Label(u"원", kIdFareUnit, {172, 260, 188, 286}),  // 34
        kit::Edit("fare", kIdFare, {192, 260, 300, 286}),  // 35
        kit::Label(u"결제", kIdPayLabel, {310, 260, 350, 286}),  // 36
        kit::Combo("payCombo", kIdPayCombo, {354, 260, 454, 380}, PayItems(), 0),  // 37
        kit::Edit("payAmount", kIdPayAmount, {458, 260, 566, 286}),  // 38
        kit::Label(u"기사\n메모", kIdMemoLabel, {8, 292, 48, 344}),  // 39
        kit::Edit("driverMemo", kIdDriverMemo, {52, 292, 372, 344}),  // 40
        kit::Button("enlarge", u"확대", kIdEnlarge, {376, 292, 424, 318}),  // 41
        kit::Label(u"메모2", kIdMemo2Label, {428, 292, 470, 318}),  // 42
        kit::Edit("memo2", kIdMemo2, {474, 292, 760, 344}),  // 43
        kit::CheckBox("consign", u"탁송", kIdConsign, {8, 352, 80, 378}),  // 44
        kit::Button("registerButton", kRegisterText, kIdRegister, {300, 352, 380, 378}),  // 45
        kit::Button("hold", kHoldText, kIdHold, {384, 352, 464, 378}),  // 46
        kit::Button("inquiry", kInquiryText, kIdInquiry, {468, 352, 548, 378}),  // 47
        kit::Button("close", u"닫기(X)", kIdClose, {552, 352, 632, 378}),  // 48
    };
    return layout;
}

const std::vector<kit::LayoutNode>& MapDialogLayout() {
    static const std::vector<kit::LayoutNode> layout = {
        kit::Button("setOrigin", u"출발지 설정", kIdSetOrigin, {10, 8, 130, 34}),
        kit::Button("setDestination", u"도착지 설정", kIdSetDestination, {140, 8, 260, 34}),
        kit::Browser("browser", kIdBrowser, {10, 42, 640, 480}),
    };
    return layout;
}

}  // namespace qm::sim::icon2013
