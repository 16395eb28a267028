// LogiD5 end to end under Wine: quillmere-call.exe starts the real robot against
// the LogiD5 substitute running as its own process.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/e2e/sim_fixture.h"

namespace qm::e2e {
namespace {

using nlohmann::json;

json SampleRequest(int finishAction) {
    json request = json::parse(R"j({
      "mode": 0, "speed": 3, "requireBranch": 1, "pointScript": "setCenter(%f, %f)",
      "order": {
        "adapterKind": 2, "payType": 3, "fare": "15000", "postpaidAmount": "15000", "mileageAmount": "2000",
        "branchNumber": "0311234567", "customerPhone": "01012345678", "customerPhone2": "01098765432",
        "driverMemo": "조심히 운전해 주세요", "memo2": "현관 앞", "consignment": 1,
        "origin": {"x": 37.5547, "y": 126.9707, "name": "서울역", "fullText": "서울역 [서울역 1번출구]"},
        "destination": {"x": 37.4979, "y": 127.0276, "name": "강남역", "fullText": "강남역 [강남역 2번출구]"},
        "via": [{"name": "용산역", "fullText": "용산역"}, {"name": "삼각지역", "fullText": "삼각지역"}]
      }})j");
    request["finishAction"] = finishAction;
    return request;
}

class LogiD5EndToEnd : public SubstituteTest {
protected:
    LogiD5EndToEnd() : SubstituteTest(L"logid5-sim.exe", L"D5-") {}
};

TEST_F(LogiD5EndToEnd, EnterAndRegisterThenReadBackGivesWhatLogiD5Holds) {
    StartSim();
    const json request = SampleRequest(2);
    const json entered = Call(request);
    ASSERT_EQ(entered["result"], 0) << entered.dump(2);
    EXPECT_EQ(OpenEntryWindows(), 0);

    const json orders = Orders();
    ASSERT_EQ(orders.size(), 1u);
    const json& held = orders[0];
    EXPECT_EQ(held["status"], "registered");
    EXPECT_EQ(held["branchDisplay"], "로지본사 > 수원지사 (031-123-4567)");
    EXPECT_EQ(held["customerPhone"], "010-1234-5678");
    EXPECT_EQ(held["customerPhone2"], "010-9876-5432");
    EXPECT_EQ(held["payType"], "후불");
    EXPECT_EQ(held["fare"], "15,000");
    EXPECT_EQ(held["mileageAmount"], "2,000");
    EXPECT_EQ(held["consignment"], true);
    EXPECT_EQ(held["driverMemo"], "조심히 운전해 주세요");
    EXPECT_EQ(held["memo2"], "현관 앞");
    EXPECT_EQ(held["origin"]["text"], "서울역 [서울역 1번출구]");
    EXPECT_EQ(held["destination"]["text"], "강남역 [강남역 2번출구]");
    EXPECT_DOUBLE_EQ(held["origin"]["x"].get<double>(), 37.5547);
    EXPECT_DOUBLE_EQ(held["origin"]["y"].get<double>(), 126.9707);
    EXPECT_DOUBLE_EQ(held["destination"]["x"].get<double>(), 37.4979);
    EXPECT_DOUBLE_EQ(held["destination"]["y"].get<double>(), 127.0276);
    EXPECT_EQ(held["via"][0]["text"], "용산역");
    EXPECT_EQ(held["via"][1]["text"], "삼각지역");

    // The entry's answer is LogiD5's own read-back of the filled window.
    const json& e = entered["order"];
    EXPECT_EQ(e["adapterKind"], 2);
    EXPECT_EQ(e["branchName"], "수원지사");
    EXPECT_EQ(e["branchNumber"], "0311234567");
    EXPECT_EQ(e["customerPhone"], "01012345678");
    EXPECT_EQ(e["fare"], "15000");
    EXPECT_EQ(e["mileageAmount"], "2000");
    EXPECT_EQ(e["payType"], 3);
    EXPECT_EQ(e["consignment"], 1);
    EXPECT_EQ(e["origin"]["name"], "서울역 1번출구");
    EXPECT_DOUBLE_EQ(e["destination"]["y"].get<double>(), 127.0276);

    // The registered order opened again for modifying reads back the same.
    Command(kOpenFirstOrder);
    json readRequest = request;
    readRequest["mode"] = 1;
    readRequest["order"] = {{"adapterKind", 2}};  // a read-back leaves the fields it does not reach as sent
    const json read = Call(readRequest);
    ASSERT_EQ(read["result"], 0) << read.dump(2);
    const json& r = read["order"];
    for (const char* field : {"branchName", "branchNumber", "customerPhone", "customerPhone2", "payType", "fare",
                              "cashAmount", "postpaidAmount", "cardAmount", "mileageAmount", "consignment",
                              "driverMemo", "memo2", "origin", "destination"})
        EXPECT_EQ(r[field], e[field]) << field;
    for (int i = 0; i < 2; ++i) EXPECT_EQ(r["via"][i]["fullText"], e["via"][i]["fullText"]) << i;
}

// A stored order with all five places on the map: the read-back gives every
// field and every coordinate as LogiD5 holds them.
TEST_F(LogiD5EndToEnd, ReadBackGivesEveryFieldAndAllFivePlaces) {
    const json stored = json::parse(R"j({
      "status": "held", "branchNumber": "02-123-4567", "branchDisplay": "로지본사 > 강남지사 (02-123-4567)",
      "customerPhone": "010-2222-3333", "customerPhone2": "02-1234-5678", "payType": "현금",
      "fare": "12,000", "cashAmount": "12,000", "postpaidAmount": "", "mileageAmount": "", "cardAmount": "",
      "consignment": false, "driverMemo": "빠르게", "memo2": "2층",
      "origin": {"text": "서울역 [서울역 1번출구]", "x": 37.5547, "y": 126.9707},
      "destination": {"text": "강남역", "x": 37.4979, "y": 127.0276},
      "via": [{"text": "시청", "x": 37.5663, "y": 126.9779}, {"text": "종로", "x": 37.5704, "y": 126.9921},
              {"text": "동대문", "x": 37.5714, "y": 127.0095}]
    })j");
    wchar_t dir[MAX_PATH + 1];
    ::GetTempPathW(MAX_PATH, dir);
    const std::wstring file = std::wstring(dir) + L"qm-logid5-open-" + std::to_wstring(::GetCurrentProcessId()) + L".json";
    {
        std::ofstream out(std::filesystem::path(file), std::ios::binary);
        out << stored.dump();
    }
    StartSim({L"--open-order", file});
    json request = SampleRequest(2);
    request["mode"] = 1;
    request["order"] = {{"adapterKind", 2}};
    const json read = Call(request);
    ::DeleteFileW(file.c_str());
    ASSERT_EQ(read["result"], 0) << read.dump(2);
    const json& r = read["order"];
    EXPECT_EQ(r["branchName"], "강남지사");
    EXPECT_EQ(r["branchNumber"], "021234567");
    EXPECT_EQ(r["customerPhone"], "01022223333");
    EXPECT_EQ(r["customerPhone2"], "0212345678");
    EXPECT_EQ(r["payType"], 1);
    EXPECT_EQ(r["fare"], "12000");
    EXPECT_EQ(r["cashAmount"], "12000");
    EXPECT_EQ(r["consignment"], 0);
    EXPECT_EQ(r["driverMemo"], "빠르게");
    EXPECT_EQ(r["memo2"], "2층");
    EXPECT_EQ(r["origin"]["fullText"], "서울역 [서울역 1번출구]");
    EXPECT_EQ(r["origin"]["name"], "서울역 1번출구");
    EXPECT_EQ(r["destination"]["fullText"], "강남역");
    const json places[] = {stored["origin"], stored["destination"], stored["via"][0], stored["via"][1], stored["via"][2]};
    const json got[] = {r["origin"], r["destination"], r["via"][0], r["via"][1], r["via"][2]};
    for (int i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(got[i]["x"].get<double>(), places[i]["x"].get<double>()) << i;
        EXPECT_DOUBLE_EQ(got[i]["y"].get<double>(), places[i]["y"].get<double>()) << i;
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r["via"][i]["fullText"], stored["via"][i]["text"]) << i;
}

TEST_F(LogiD5EndToEnd, HoldAndInquiryAreFiledAsSuch) {
    StartSim();
    EXPECT_EQ(Call(SampleRequest(3))["result"], 0);
    EXPECT_EQ(Call(SampleRequest(4))["result"], 0);
    const json orders = Orders();
    ASSERT_EQ(orders.size(), 2u);
    EXPECT_EQ(orders[0]["status"], "held");
    EXPECT_EQ(orders[1]["status"], "inquiry");
    EXPECT_EQ(OpenEntryWindows(), 0);
}

TEST_F(LogiD5EndToEnd, AFailureMidwayAbandonsTheWindowAndRegistersNothing) {
    StartSim();
    json request = SampleRequest(2);
    request["order"]["branchNumber"] = "0299999999";  // no such branch
    const json answer = Call(request);
    EXPECT_EQ(answer["result"], 66);
    EXPECT_EQ(answer["message"].get<std::string>().rfind("src: 02-9999-9999, get: ", 0), 0u) << answer["message"];
    EXPECT_EQ(OpenEntryWindows(), 0);
    EXPECT_EQ(Orders().size(), 0u);
}

TEST_F(LogiD5EndToEnd, ALogiD5ThatStopsAnsweringEndsTheRequestWith99) {
    StartSim({L"--hang-after-command", L"1204", L"--hang-ms", L"60000"});  // after the origin search
    const json answer = Call(SampleRequest(2));
    EXPECT_EQ(answer["result"], 99) << answer.dump(2);
    EXPECT_EQ(answer["status"], 2);
    EXPECT_LT(answer["timing"]["workMs"].get<double>(), 60000) << "within the bound, not the hang";
}

TEST_F(LogiD5EndToEnd, NoLogiD5RunningIsResult4) {
    ASSERT_EQ(::FindWindowW(L"D5-", nullptr), nullptr);
    EXPECT_EQ(Call(SampleRequest(2))["result"], 4);
}

}  // namespace
}  // namespace qm::e2e
