#include "sim/logid2/layout.h"

namespace qm::sim::logid2 {
namespace {
const std::vector<std::u16string> kPayItems = {u"현금", u"후불", u"카드", u"마일리지"};
}  // namespace

kit::LayoutNode MainLayout() {
    return kit::Window("main", u"SmartD2-", u"LogiD2 - 로지D2", 0, {0, 0, 1000, 720})
        .Holding({kit::Window("mdiClient", u"MDIClient", u"", 0, {0, 0, 992, 680})
                      .Holding({kit::Window("view", u"AfxFrameOrView110s", u"접수", 0, {0, 0, 980, 660})
                                    .Holding({kit::Dialog("mainList", u"메인리스트", 0, {4, 4, 970, 650})
                                                  .Holding({kit::Button("reception", u"접  수(&N)", kIdReception,
                                                                        {10, 10, 120, 40})})})})});
}

// What the robot counts on in this order:
//   phone = first child; origin, destination, fare, driver memo = 1st..4th after it;
//   "현금" +1 cash; "후불" +1 postpaid, +2 mileage; "카드" +1 card;
//   "마일리지" +1 branch box, +5 branch display; "대기후복사" +1 customer display,
//   +4 second telephone; "업체지원" +5 a "#32770" whose first child is memo 2;
//   "문의" +4 payment combo; "경유" +1/+2 origin/destination map buttons;
//   the "#32770" holding "탁송" comes after the memo-2 "#32770";
//   "적정" -9/-6/-3 via boxes 1/2/3; then "경".
// The combo's rectangle includes its drop-down list.
const std::vector<kit::LayoutNode>& EntryLayout() {
    static const std::vector<kit::LayoutNode> layout = {
        kit::Edit("phone", kIdPhone, {10, 10, 140, 36}),  // 0
        kit::Edit("origin", kIdOrigin, {146, 10, 436, 36}),  // 1
        kit::Edit("destination", kIdDestination, {442, 10, 732, 36}),  // 2
        kit::Edit("fare", kIdFare, {10, 44, 110, 70}),  // 3
        kit::Edit("driverMemo", kIdDriverMemo, {116, 44, 536, 70}),  // 4
        kit::Label(u"현금", 1100, {10, 78, 50, 104}, "cashLabel"),  // 5
        kit::Edit("cash", kIdCash, {56, 78, 146, 104}),  // 6
        kit::Label(u"후불", 1101, {152, 78, 192, 104}, "postpaidLabel"),  // 7
        kit::Edit("postpaid", kIdPostpaid, {198, 78, 288, 104}),  // 8
        kit::Edit("mileage", kIdMileage, {294, 78, 384, 104}),  // 9
        kit::Label(u"카드", 1102, {390, 78, 430, 104}, "cardLabel"),  // 10
        kit::Edit("card", kIdCard, {436, 78, 526, 104}),  // 11
        kit::Button("mileageButton", u"마일리지", kIdMileageButton, {10, 112, 90, 138}),  // 12
        kit::Edit("branch", kIdBranch, {96, 112, 216, 138}),  // 13
        kit::Label(u"지사", 1103, {222, 112, 262, 138}),  // 14
        kit::Label(u"전화", 1104, {268, 112, 308, 138}),  // 15
        kit::Label(u"지사명", 1105, {314, 112, 364, 138}),  // 16
        kit::Edit("branchDisplay", kIdBranchDisplay, {370, 112, 670, 138}).ReadOnly(),  // 17
        kit::Button("copyAfterHold", u"대기후복사", kIdCopyAfterHold, {10, 146, 100, 172}),  // 18
        kit::Edit("phoneDisplay", kIdPhoneDisplay, {106, 146, 246, 172}).ReadOnly(),  // 19
        kit::Label(u"고객", 1106, {252, 146, 292, 172}),  // 20
        kit::Label(u"연락처2", 1107, {298, 146, 358, 172}),  // 21
        kit::Edit("phone2", kIdPhone2, {364, 146, 504, 172}),  // 22
        kit::Button("companySupport", u"업체지원", kIdCompanySupport, {10, 180, 90, 206}),  // 23
        kit::Label(u"메모2", 1108, {96, 180, 146, 206}),  // 24
        kit::Label(u"등급", 1109, {152, 180, 192, 206}),  // 25
        kit::Label(u"적립", 1110, {198, 180, 238, 206}),  // 26
        kit::Label(u"비고", 1111, {244, 180, 284, 206}),  // 27
        kit::Dialog("memo2Box", u"", kIdMemo2Box, {290, 180, 590, 236}).Holding({kit::Edit("memo2", kIdMemo2, {2, 2, 298, 54}).CommandsTo("entry")}),  // 28
        kit::Button("inquiry", u"문의", kIdInquiry, {10, 244, 80, 270}),  // 29
        kit::Button("hold", u"대  기(&W)", kIdHold, {86, 244, 176, 270}),  // 30
        kit::Button("registerButton", kRegisterText, kIdRegister, {182, 244, 272, 270}),  // 31
        kit::Button("cancel", kCancelText, kIdCancel, {278, 244, 368, 270}),  // 32
        kit::Combo("payCombo", kIdPayCombo, {374, 244, 474, 404}, kPayItems, 0),  // 33
        kit::Label(u"경유", 1112, {10, 278, 50, 304}, "viaLabel"),  // 34
        kit::Button("originMap", u"출", kIdOriginMap, {56, 278, 88, 304}),  // 35
        kit::Button("destinationMap", u"도", kIdDestinationMap, {94, 278, 126, 304}),  // 36
        kit::Dialog("consignBox", u"", kIdConsignBox, {132, 278, 222, 304}).Holding({kit::CheckBox("consign", u"탁송", kIdConsign, {4, 2, 86, 24}).CommandsTo("entry")}),  // 37
        kit::Edit("via1", kIdVia1, {10, 312, 180, 338}),  // 38
        kit::Label(u"경유2", 1113, {186, 312, 232, 338}),  // 39
        kit::Label(u"·", 1114, {238, 312, 254, 338}),  // 40
        kit::Edit("via2", kIdVia2, {260, 312, 430, 338}),  // 41
        kit::Label(u"경유3", 1115, {436, 312, 482, 338}),  // 42
        kit::Label(u"·", 1116, {488, 312, 504, 338}),  // 43
        kit::Edit("via3", kIdVia3, {510, 312, 680, 338}),  // 44
        kit::Label(u"요금", 1117, {10, 346, 50, 372}),  // 45
        kit::Label(u"·", 1118, {56, 346, 72, 372}),  // 46
        kit::Button("fitFare", u"적정", kIdFitFare, {78, 346, 128, 372}),  // 47
        kit::Button("addVia", u"경", kIdAddVia, {134, 346, 166, 372}),  // 48
    };
    return layout;
}

}  // namespace qm::sim::logid2
