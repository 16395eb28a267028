#include "sim/logid5/layout.h"

namespace qm::sim::logid5 {
namespace {
const std::vector<std::u16string> kPayItems = {u"현금", u"후불", u"카드", u"마일리지"};

kit::LayoutNode E(std::string name, int id, Rect r) { return kit::Edit(std::move(name), id, r).CommandsTo("entry"); }
kit::LayoutNode B(std::string name, std::u16string text, int id, Rect r) {
    return kit::Button(std::move(name), std::move(text), id, r).CommandsTo("entry");
}
kit::LayoutNode L(std::u16string text, int id, Rect r) { return kit::Label(std::move(text), id, r); }
}  // namespace

kit::LayoutNode MainLayout() {
    return kit::Window("main", u"D5-", u"LogiD5 - 로지D5", 0, {0, 0, 1000, 720})
        .Holding({kit::Window("mdiClient", u"MDIClient", u"", 0, {0, 0, 992, 680})
                      .Holding({kit::Window("view", u"AfxFrameOrView140s", u"접수", 0, {0, 0, 980, 660})
                                    .Holding({kit::Dialog("mainList", u"메인리스트", 0, {4, 4, 970, 650})
                                                  .Holding({kit::Button("reception", u"접  수", kIdReception,
                                                                        {10, 10, 120, 40})})})})});
}

// What the robot counts on, dialog by dialog:
//   customer: the window after "고객검색" is the search box;
//   "전화2" dialog: 1st child driver memo, 2nd customer display, 4th second
//     telephone, 8th memo 2;
//   "예약" dialog: 9th before it the branch display, 6th before the branch box;
//   "업체지원" dialog: after the button +2 fare, +4 payment combo, +6 cash,
//     +8 postpaid, +10 mileage, +11 card;
//   "업소비" dialog: 2nd before it the "탁송" check;
//   "출발지" dialog: 1st child origin, then destination; "출발지" and the
//     window after it are the search buttons;
//   "경유추가" dialog: after the button +1/+2 origin/destination map buttons,
//     +3/+6/+9 via boxes 1/2/3;
//   the entry window's own buttons: "취   소(&X)" is the 2nd after "등   록(&R)".
// The combo's rectangle includes its drop-down list.
const std::vector<kit::LayoutNode>& EntryLayout() {
    static const std::vector<kit::LayoutNode> layout = {
        kit::Dialog("customerBox", u"", kIdCustomerBox, {10, 10, 250, 40}).Holding({  // 0
            L(u"고객검색", 1100, {4, 4, 70, 26}),
            E("phone", kIdPhone, {76, 2, 236, 28}),
        }),
        kit::Dialog("phoneBox", u"", kIdPhoneBox, {260, 10, 770, 110}).Holding({  // 1
            E("driverMemo", kIdDriverMemo, {4, 2, 504, 28}),
            E("phoneDisplay", kIdPhoneDisplay, {4, 34, 144, 60}).ReadOnly(),
            L(u"연락처", 1101, {150, 34, 200, 60}),
            E("phone2", kIdPhone2, {206, 34, 346, 60}),
            B("phone2Button", u"전화2", kIdPhone2Button, {352, 34, 412, 60}),
            L(u"메모2", 1102, {4, 66, 54, 92}),
            L(u"·", 1103, {60, 66, 76, 92}),
            E("memo2", kIdMemo2, {82, 66, 504, 92}),
        }),
        kit::Dialog("branchBox", u"", kIdBranchBox, {10, 50, 250, 150}).Holding({  // 2
            E("branchDisplay", kIdBranchDisplay, {4, 2, 236, 28}).ReadOnly(),
            L(u"지사명", 1104, {4, 34, 54, 60}),
            L(u"·", 1105, {60, 34, 76, 60}),
            E("branch", kIdBranch, {82, 34, 202, 60}),
            B("branchSearch", u"지사", kIdBranchSearch, {206, 34, 236, 60}),
            L(u"전화", 1106, {4, 66, 44, 92}),
            L(u"·", 1107, {50, 66, 66, 92}),
            L(u"등급", 1108, {72, 66, 112, 92}),
            L(u"·", 1109, {118, 66, 134, 92}),
            L(u"예약", 1110, {140, 66, 180, 92}),
        }),
        kit::Dialog("amountBox", u"", kIdAmountBox, {10, 160, 770, 230}).Holding({  // 3
            B("companySupport", u"업체지원", kIdCompanySupport, {4, 2, 84, 28}),
            L(u"요금", 1111, {90, 2, 130, 28}),
            E("fare", kIdFare, {136, 2, 236, 28}),
            L(u"결제", 1112, {242, 2, 282, 28}),
            kit::Combo("payCombo", kIdPayCombo, {288, 2, 388, 162}, kPayItems, 0).CommandsTo("entry"),
            L(u"현금", 1113, {394, 2, 434, 28}),
            E("cash", kIdCash, {440, 2, 530, 28}),
            L(u"후불", 1114, {536, 2, 576, 28}),
            E("postpaid", kIdPostpaid, {582, 2, 672, 28}),
            L(u"마일리지", 1115, {4, 34, 74, 60}),
            E("mileage", kIdMileage, {80, 34, 170, 60}),
            E("card", kIdCard, {176, 34, 266, 60}),
            L(u"카드", 1116, {272, 34, 312, 60}),
        }),
        kit::Dialog("consignBox", u"", kIdConsignBox, {10, 240, 250, 270}).Holding({  // 4
            kit::CheckBox("consign", u"탁송", kIdConsign, {4, 4, 70, 26}).CommandsTo("entry"),
            E("businessFee", kIdBusinessFee, {76, 2, 156, 28}),
            L(u"업소비", 1117, {162, 4, 222, 26}),
        }),
        kit::Dialog("placeBox", u"", kIdPlaceBox, {260, 240, 770, 310}).Holding({  // 5
            E("origin", kIdOrigin, {4, 2, 404, 28}),
            E("destination", kIdDestination, {4, 34, 404, 60}),
            B("originSearch", u"출발지", kIdOriginSearch, {410, 2, 500, 28}),
            B("destinationSearch", u"도착지", kIdDestinationSearch, {410, 34, 500, 60}),
        }),
        kit::Dialog("viaBox", u"", kIdViaBox, {10, 320, 770, 380}).Holding({  // 6
            B("addVia", u"경유추가", kIdAddVia, {4, 2, 84, 28}),
            B("originMap", u"출", kIdOriginMap, {90, 2, 122, 28}),
            B("destinationMap", u"도", kIdDestinationMap, {128, 2, 160, 28}),
            E("via1", kIdVia1, {4, 32, 214, 58}),
            L(u"경유2", 1118, {220, 32, 266, 58}),
            L(u"·", 1119, {272, 32, 288, 58}),
            E("via2", kIdVia2, {294, 32, 504, 58}),
            L(u"경유3", 1120, {510, 32, 556, 58}),
            L(u"·", 1121, {562, 32, 578, 58}),
            E("via3", kIdVia3, {584, 32, 756, 58}),
        }),
        B("inquiry", u"문의", kIdInquiry, {10, 388, 90, 414}),                   // 7
        B("registerButton", kRegisterText, kIdRegister, {96, 388, 186, 414}),  // 8
        B("hold", u"대  기(&W)", kIdHold, {192, 388, 282, 414}),                 // 9
        B("cancel", kCancelText, kIdCancel, {288, 388, 378, 414}),              // 10
    };
    return layout;
}

}  // namespace qm::sim::logid5
