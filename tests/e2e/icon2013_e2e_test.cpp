// Icon2013 end to end under Wine: quillmere-call.exe starts the real robot
// against the Icon2013 substitute running as its own process.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "tests/e2e/e2e_session.h"
#include "tests/e2e/e2e_support.h"

namespace qm::e2e {
namespace {

using nlohmann::json;

json SampleRequest(int finishAction) {
    json request = json::parse(R"j({
      "mode": 0, "speed": 3, "requireBranch": 1,
      "readScript": "getPosition()", "pointScript": "lat = %f; lng = %f; %s(lat, lng)",
      "order": {
        "adapterKind": 4, "payType": 2, "fare": "20000", "cardAmount": "15000",
        "branchName": "강남지사", "branchNumber": "025551234",
        "customerPhone": "01012345678", "customerPhone2": "0298765432",
        "driverMemo": "조심히 운전해 주세요", "memo2": "현관 앞", "consignment": 1,
        "origin": {"x": 37.5547, "y": 126.9707, "name": "[서울역] 경유) 탁)", "fullText": "[서울역] 경유) 탁)"},
        "destination": {"x": 37.4979, "y": 127.0276, "name": "강남역", "fullText": "강남역"},
        "via": [{"name": "용산역", "fullText": "용산역"}, {"name": "삼각지역", "fullText": "삼각지역"}]
      }})j");
    request["finishAction"] = finishAction;
    return request;
}

class Icon2013EndToEnd : public ::testing::Test {
protected:
    void StartSim(const std::vector<std::wstring>& options = {}) {
        ASSERT_TRUE(sim_.Start(options)) << sim_.StartFailure();
    }
    int OpenOrderWindows() { return sim_.OwnedWindowsWith(L"닫기(X)"); }

    SubstituteSession sim_{L"icon2013-sim.exe", L"I_Driver by IconSoft.CO.,LTD"};
};

void ExpectPosition(const json& place, double x, double y) {
    EXPECT_DOUBLE_EQ(place["x"].get<double>(), x) << place.dump();
    EXPECT_DOUBLE_EQ(place["y"].get<double>(), y) << place.dump();
}

TEST_F(Icon2013EndToEnd, EnterAndRegisterThenReadBackGivesWhatIcon2013Holds) {
    StartSim();
    const json request = SampleRequest(2);
    const json entered = CallRobot(request);
    ASSERT_EQ(entered["result"], 0) << entered.dump(2);
    EXPECT_EQ(OpenOrderWindows(), 0);

    const json orders = sim_.Orders();
    ASSERT_EQ(orders.size(), 1u);
    const json& held = orders[0];
    EXPECT_EQ(held["status"], "registered");
    EXPECT_EQ(held["branchDisplay"], "강남지사 (02-555-1234)");
    EXPECT_EQ(held["customerPhone"], "010-1234-5678");
    EXPECT_EQ(held["customerPhone2"], "02-9876-5432");
    EXPECT_EQ(held["payType"], "카드결제");
    EXPECT_EQ(held["fare"], "20,000");
    EXPECT_EQ(held["cardAmount"], "15,000");
    EXPECT_EQ(held["consignment"], true);
    EXPECT_EQ(held["driverMemo"], "조심히 운전해 주세요");
    EXPECT_EQ(held["memo2"], "현관 앞");
    EXPECT_EQ(held["origin"]["text"], "[서울역] 경유) 탁)");
    ExpectPosition(held["origin"], 37.5547, 126.9707);
    ExpectPosition(held["destination"], 37.4979, 127.0276);
    EXPECT_EQ(held["via"][0]["text"], "용산역");
    EXPECT_EQ(held["via"][1]["text"], "삼각지역");
    EXPECT_EQ(held["viaRowClicks"], "1") << "the real click reached the via row just added";

    // The entry's answer is the read-back of the filled window.
    const json& e = entered["order"];
    EXPECT_EQ(e["adapterKind"], 4);
    EXPECT_EQ(e["branchName"], "강남지사");
    EXPECT_EQ(e["branchNumber"], "025551234");
    EXPECT_EQ(e["customerPhone"], "01012345678");
    EXPECT_EQ(e["customerPhone2"], "0298765432");
    EXPECT_EQ(e["payType"], 0);
    EXPECT_EQ(e["fare"], "20000");
    EXPECT_EQ(e["cardAmount"], "15000");
    EXPECT_EQ(e["cashAmount"], "5000");
    EXPECT_EQ(e["consignment"], 1);
    EXPECT_EQ(e["driverMemo"], "조심히 운전해 주세요");
    EXPECT_EQ(e["origin"]["name"], "서울역");
    EXPECT_EQ(e["via"][0]["name"], "한강로3가 용산역");
    EXPECT_EQ(e["via"][0]["fullText"], "서울 용산구 한강로3가 【용산역 광장】");
    EXPECT_EQ(e["via"][1]["name"], "한강로1가 삼각지역");
    EXPECT_EQ(e["via"][2]["fullText"], "");
    ExpectPosition(e["origin"], 37.5547, 126.9707);
    ExpectPosition(e["destination"], 37.4979, 127.0276);
    ExpectPosition(e["via"][0], held["via"][0]["x"].get<double>(), held["via"][0]["y"].get<double>());
    ExpectPosition(e["via"][1], held["via"][1]["x"].get<double>(), held["via"][1]["y"].get<double>());
    ExpectPosition(e["via"][0], 37.5298, 126.9648);

    // The registered order shown again in a "수정(E)" window reads back the same.
    ASSERT_TRUE(sim_.Command(0x7100));
    json readRequest = request;
    readRequest["mode"] = 1;
    const json read = CallRobot(readRequest);
    ASSERT_EQ(read["result"], 0) << read.dump(2);
    const json& r = read["order"];
    for (const char* field : {"branchName", "branchNumber", "customerPhone", "customerPhone2", "payType", "fare",
                              "cashAmount", "cardAmount", "consignment", "driverMemo", "memo2", "origin",
                              "destination"})
        EXPECT_EQ(r[field], e[field]) << field;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r["via"][i], e["via"][i]) << i;
    EXPECT_EQ(OpenOrderWindows(), 1) << "the read-back leaves the window open";
}

TEST_F(Icon2013EndToEnd, HoldAndInquiryWithEitherButtonText) {
    for (bool alt : {false, true}) {
        SCOPED_TRACE(alt);
        SubstituteSession sim(L"icon2013-sim.exe", L"I_Driver by IconSoft.CO.,LTD");
        ASSERT_TRUE(alt ? sim.Start({L"--alt-buttons"}) : sim.Start()) << sim.StartFailure();
        EXPECT_EQ(CallRobot(SampleRequest(3))["result"], 0);
        EXPECT_EQ(CallRobot(SampleRequest(4))["result"], 0);
        const json orders = sim.Orders();
        ASSERT_EQ(orders.size(), 2u);
        EXPECT_EQ(orders[0]["status"], "held");
        EXPECT_EQ(orders[1]["status"], "inquiry");
        EXPECT_EQ(sim.OwnedWindowsWith(L"닫기(X)"), 0);
    }
}

TEST_F(Icon2013EndToEnd, AFailureMidwayClosesTheOrderWindow) {
    StartSim();
    json request = SampleRequest(2);
    request["order"]["fare"] = "20,000";  // the box shows it without the comma's meaning
    const json answer = CallRobot(request);
    EXPECT_EQ(answer["result"], 72) << answer.dump(2);
    EXPECT_EQ(answer["message"], "20,000");
    EXPECT_EQ(OpenOrderWindows(), 0);
    EXPECT_EQ(sim_.Orders().size(), 0u);
}

TEST_F(Icon2013EndToEnd, AMapDialogThatNeverComesIs36AndLeavesTheWindowOpen) {
    StartSim({L"--omit", L"지도검색"});
    const json answer = CallRobot(SampleRequest(2));
    EXPECT_EQ(answer["result"], 36) << answer.dump(2);
    EXPECT_EQ(OpenOrderWindows(), 1);
    EXPECT_EQ(sim_.Orders().size(), 0u);
}

TEST_F(Icon2013EndToEnd, AnIcon2013ThatStopsAnsweringEndsTheRequestWith99) {
    StartSim({L"--hang-after-command", L"1201", L"--hang-ms", L"60000"});  // the origin's map button
    const ULONGLONG start = ::GetTickCount64();
    const json answer = CallRobot(SampleRequest(2));
    EXPECT_EQ(answer["result"], 99) << answer.dump(2);
    EXPECT_EQ(answer["status"], 2);
    EXPECT_LT(::GetTickCount64() - start, 50000u) << "well within the hang";
}

TEST_F(Icon2013EndToEnd, NoIcon2013RunningIsResult4) {
    ASSERT_EQ(::FindWindowW(L"I_Driver by IconSoft.CO.,LTD", nullptr), nullptr);
    EXPECT_EQ(CallRobot(SampleRequest(2))["result"], 4);
}

}  // namespace
}  // namespace qm::e2e
