// CManerXE4 end to end under Wine: quillmere-call.exe starts the real robot
// against the CManerXE4 substitute running as its own process; the map pages
// run the caller's readScript and the via marker's script in real JScript.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "tests/e2e/sim_fixture.h"

namespace qm::e2e {
namespace {

using nlohmann::json;

json SampleRequest(int finishAction) {
    json request = json::parse(R"j({
      "mode": 0, "speed": 3, "requireBranch": 1, "readScript": "getCenter()",
      "order": {
        "adapterKind": 3, "payType": 1, "fare": "12000",
        "branchNumber": "021234567", "customerPhone": "01012345678", "customerPhone2": "01098765432",
        "driverMemo": "조심히 운전해 주세요", "memo2": "현관 앞", "consignment": 1,
        "origin": {"name": "서울역", "fullText": "서울역 [서울역 1번출구]"},
        "destination": {"name": "강남역", "fullText": "강남역 [강남역 2번출구]"},
        "via": [{"name": "용산역", "fullText": "용산역"}, {"name": "삼각지역", "fullText": "삼각지역"}]
      }})j");
    request["finishAction"] = finishAction;
    return request;
}

class CManerXE4EndToEnd : public SubstituteTest {
protected:
    CManerXE4EndToEnd() : SubstituteTest(L"cmanerxe4-sim.exe", L"Tfrm_Main") {}

    // Entry windows still open, after CManerXE4 had a moment for the posted
    // button commands the robot does not wait for.
    int OpenEntryWindows() {
        int n = 0;
        for (int i = 0; i < 40 && (n = CountWindows(L"TFrm_JON01N", L"TcxButton", L"종료(F8)")) > 0; ++i) ::Sleep(50);
        return n;
    }
};

void ExpectPosition(const json& place, double x, double y) {
    EXPECT_DOUBLE_EQ(place["x"].get<double>(), x) << place.dump();
    EXPECT_DOUBLE_EQ(place["y"].get<double>(), y) << place.dump();
}

TEST_F(CManerXE4EndToEnd, EnterAndRegisterThenReadBackGivesWhatCManerXE4Holds) {
    StartSim();
    const json request = SampleRequest(2);
    const json entered = Call(request);
    ASSERT_EQ(entered["result"], 0) << entered.dump(2);
    EXPECT_EQ(entered["message"], "");
    EXPECT_EQ(OpenEntryWindows(), 0);

    const json orders = Orders();
    ASSERT_EQ(orders.size(), 1u);
    const json& held = orders[0];
    EXPECT_EQ(held["status"], "registered");
    EXPECT_EQ(held["branchDisplay"], "강남지사 [021234567]");
    EXPECT_EQ(held["customerPhone"], "01012345678");
    EXPECT_EQ(held["customerPhone2"], "01098765432");
    EXPECT_EQ(held["payType"], "현금");
    EXPECT_EQ(held["fare"], "12,000");
    EXPECT_EQ(held["consignment"], true);
    EXPECT_EQ(held["driverMemo"], "조심히 운전해 주세요");
    EXPECT_EQ(held["memo2"], "현관 앞");
    EXPECT_EQ(held["origin"]["text"], "(탁송)(경유) 서울역 [서울역 1번출구]");
    EXPECT_EQ(held["destination"]["text"], "강남역 [강남역 2번출구]");
    EXPECT_EQ(held["via"][0]["text"], "용산역");
    EXPECT_EQ(held["via"][1]["text"], "삼각지역");
    EXPECT_EQ(held["viaDetail2"], "삼각지역 용산구");

    // The entry's answer is the read-back of the filled window: every field,
    // every coordinate as CManerXE4 holds it.
    const json& e = entered["order"];
    EXPECT_EQ(e["adapterKind"], 3);
    EXPECT_EQ(e["branchName"], "강남지사");
    EXPECT_EQ(e["branchNumber"], "021234567");
    EXPECT_EQ(e["customerPhone"], "01012345678");
    EXPECT_EQ(e["customerPhone2"], "01098765432");
    EXPECT_EQ(e["payType"], 1);
    EXPECT_EQ(e["fare"], "12000");
    EXPECT_EQ(e["cashAmount"], "12000");
    EXPECT_EQ(e["postpaidAmount"], "0");
    EXPECT_EQ(e["mileageAmount"], "0");
    EXPECT_EQ(e["consignment"], 1);
    EXPECT_EQ(e["driverMemo"], "조심히 운전해 주세요");
    EXPECT_EQ(e["memo2"], "현관 앞");
    EXPECT_EQ(e["origin"]["name"], "서울역 1번출구");
    EXPECT_EQ(e["destination"]["name"], "강남역 2번출구");
    EXPECT_EQ(e["via"][0]["name"], "용산구 용산역");
    EXPECT_EQ(e["via"][1]["fullText"], "삼각지역 용산구");
    EXPECT_EQ(e["via"][2]["fullText"], "");
    for (const char* place : {"origin", "destination"})
        ExpectPosition(e[place], held[place]["x"].get<double>(), held[place]["y"].get<double>());
    for (int i = 0; i < 2; ++i)
        ExpectPosition(e["via"][i], held["via"][i]["x"].get<double>(), held["via"][i]["y"].get<double>());
    ExpectPosition(e["origin"], 37.5547, 126.9707);

    // The registered order opened again ("수정(F7)") reads back the same.
    Command(kOpenFirstOrder);
    json readRequest = request;
    readRequest["mode"] = 1;
    const json read = Call(readRequest);
    ASSERT_EQ(read["result"], 0) << read.dump(2);
    EXPECT_EQ(read["order"], e);
    EXPECT_EQ(CountWindows(L"TFrm_JON01N", L"TcxButton", L"수정(F7)"), 1) << "the read-back leaves it open";
    EXPECT_EQ(CountWindows(L"TFrm_JON31", L"Internet Explorer_Server", L"") +
                  CountWindows(L"TFrm_JON30", L"Internet Explorer_Server", L""),
              0)
        << "every map window closed again";
}

TEST_F(CManerXE4EndToEnd, HoldAndInquiryAreFiledAsSuch) {
    StartSim();
    EXPECT_EQ(Call(SampleRequest(3))["result"], 0);
    EXPECT_EQ(Call(SampleRequest(4))["result"], 0);
    EXPECT_EQ(OpenEntryWindows(), 0);
    const json orders = Orders();
    ASSERT_EQ(orders.size(), 2u);
    EXPECT_EQ(orders[0]["status"], "held");
    EXPECT_EQ(orders[1]["status"], "inquiry");
}

TEST_F(CManerXE4EndToEnd, AFailureMidwayClosesTheWindowWithItsCloseButton) {
    StartSim();
    json request = SampleRequest(2);
    request["order"]["branchNumber"] = "0299999999";  // no such branch
    const json answer = Call(request);
    EXPECT_EQ(answer["result"], 66);
    EXPECT_EQ(answer["message"], "src: 0299999999, get: ");
    EXPECT_EQ(OpenEntryWindows(), 0);
    EXPECT_EQ(Orders().size(), 0u);
}

TEST_F(CManerXE4EndToEnd, TheMileageNoticeIsAnswered) {
    StartSim();
    json request = SampleRequest(2);
    request["order"]["payType"] = 0;
    request["order"]["branchNumber"] = "0311234567";  // no mixed-payment mileage setting
    request["order"]["mileageAmount"] = "3000";
    request["order"]["postpaidAmount"] = "9000";
    const json answer = Call(request);
    ASSERT_EQ(answer["result"], 0) << answer.dump(2);
    EXPECT_EQ(answer["order"]["payType"], 0);
    EXPECT_EQ(answer["order"]["mileageAmount"], "3000");
    EXPECT_EQ(answer["order"]["postpaidAmount"], "9000");
    EXPECT_EQ(CountWindows(L"#32770", L"Button", L"확인"), 0);
    const json orders = Orders();
    ASSERT_EQ(orders.size(), 1u);
    EXPECT_EQ(orders[0]["payType"], "복합");
    EXPECT_EQ(orders[0]["mileageAmount"], "3,000");
}

TEST_F(CManerXE4EndToEnd, ACManerXE4ThatStopsAnsweringEndsTheRequestWith99) {
    StartSim({L"--hang-after-command", L"3001", L"--hang-ms", L"60000"});  // the origin's map button
    const json answer = Call(SampleRequest(2));
    EXPECT_EQ(answer["result"], 99) << answer.dump(2);
    EXPECT_EQ(answer["status"], 2);
    EXPECT_LT(answer["timing"]["workMs"].get<int>(), 30000) << "bounded, not the hang's minute";
}

TEST_F(CManerXE4EndToEnd, NoCManerXE4RunningIsResult4) {
    ASSERT_EQ(::FindWindowW(L"Tfrm_Main", nullptr), nullptr);
    EXPECT_EQ(Call(SampleRequest(2))["result"], 4);
}

}  // namespace
}  // namespace qm::e2e
