// LogiD2 end to end under Wine: quillmere-call.exe starts the real robot against
// the LogiD2 substitute running as its own process.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/sim_fixture.h"

namespace qm::e2e {
namespace {

using nlohmann::json;

json SampleRequest(int finishAction) {
    json request = json::parse(R"j({
      "mode": 0, "speed": 3, "requireBranch": 1, "pointScript": "setCenter(%f, %f)",
      "order": {
        "adapterKind": 1, "payType": 1, "fare": "12000", "cashAmount": "12000",
        "branchNumber": "021234567", "customerPhone": "01012345678", "customerPhone2": "01098765432",
        "driverMemo": "조심히 운전해 주세요", "memo2": "현관 앞", "consignment": 1,
        "origin": {"x": 37.5547, "y": 126.9707, "name": "서울역", "fullText": "서울역 [서울역 1번출구]"},
        "destination": {"x": 37.4979, "y": 127.0276, "name": "강남역", "fullText": "강남역 [강남역 2번출구]"},
        "via": [{"name": "용산역", "fullText": "용산역"}, {"name": "삼각지역", "fullText": "삼각지역"}]
      }})j");
    request["finishAction"] = finishAction;
    return request;
}

class LogiD2EndToEnd : public SubstituteTest {
protected:
    LogiD2EndToEnd() : SubstituteTest(L"logid2-sim.exe", L"SmartD2-") {}
};

TEST_F(LogiD2EndToEnd, EnterAndRegisterThenReadBackGivesWhatLogiD2Holds) {
    StartSim();
    const json request = SampleRequest(2);
    const json entered = Call(request);
    ASSERT_EQ(entered["result"], 0) << entered.dump(2);
    EXPECT_EQ(OpenEntryWindows(), 0);

    const json orders = Orders();
    ASSERT_EQ(orders.size(), 1u);
    const json& held = orders[0];
    EXPECT_EQ(held["status"], "registered");
    EXPECT_EQ(held["customerPhone"], "010-1234-5678");
    EXPECT_EQ(held["customerPhone2"], "010-9876-5432");
    EXPECT_EQ(held["branchNumber"], "02-123-4567");
    EXPECT_EQ(held["payType"], "현금");
    EXPECT_EQ(held["consignment"], true);
    EXPECT_EQ(held["driverMemo"], "조심히 운전해 주세요");
    EXPECT_EQ(held["memo2"], "현관 앞");
    EXPECT_EQ(held["origin"]["text"], "서울역 [서울역 1번출구]");
    EXPECT_DOUBLE_EQ(held["origin"]["x"].get<double>(), 37.5547);
    EXPECT_DOUBLE_EQ(held["origin"]["y"].get<double>(), 126.9707);
    EXPECT_DOUBLE_EQ(held["destination"]["x"].get<double>(), 37.4979);
    EXPECT_DOUBLE_EQ(held["destination"]["y"].get<double>(), 127.0276);
    EXPECT_EQ(held["via"][0]["text"], "용산역");
    EXPECT_EQ(held["via"][1]["text"], "삼각지역");

    // The entry's answer is LogiD2's own read-back of the filled window.
    const json& e = entered["order"];
    EXPECT_EQ(e["branchName"], "강남지사");
    EXPECT_EQ(e["branchNumber"], "021234567");
    EXPECT_EQ(e["fare"], "12000");
    EXPECT_EQ(e["cashAmount"], "12000");
    EXPECT_EQ(e["payType"], 1);
    EXPECT_EQ(e["consignment"], 1);
    EXPECT_EQ(e["origin"]["name"], "서울역 1번출구");
    EXPECT_EQ(e["via"][1]["fullText"], "삼각지역");
    EXPECT_EQ(e["via"][2]["fullText"], "");

    // The registered order opened again for modifying reads back the same.
    Command(kOpenFirstOrder);
    json readRequest = request;
    readRequest["mode"] = 1;
    const json read = Call(readRequest);
    ASSERT_EQ(read["result"], 0) << read.dump(2);
    const json& r = read["order"];
    for (const char* field : {"branchName", "branchNumber", "customerPhone", "customerPhone2", "payType", "fare",
                              "cashAmount", "postpaidAmount", "cardAmount", "mileageAmount", "consignment",
                              "driverMemo", "memo2", "origin", "destination"})
        EXPECT_EQ(r[field], e[field]) << field;
    for (int i = 0; i < 2; ++i) EXPECT_EQ(r["via"][i]["fullText"], e["via"][i]["fullText"]) << i;
}

TEST_F(LogiD2EndToEnd, HoldAndInquiryAreFiledAsSuch) {
    StartSim();
    EXPECT_EQ(Call(SampleRequest(3))["result"], 0);
    EXPECT_EQ(Call(SampleRequest(4))["result"], 0);
    const json orders = Orders();
    ASSERT_EQ(orders.size(), 2u);
    EXPECT_EQ(orders[0]["status"], "held");
    EXPECT_EQ(orders[1]["status"], "inquiry");
    EXPECT_EQ(orders[1]["inquiryType"], "일반문의");
    EXPECT_EQ(OpenEntryWindows(), 0);
}

TEST_F(LogiD2EndToEnd, AFailureMidwayAbandonsTheWindowAndRegistersNothing) {
    StartSim();
    json request = SampleRequest(2);
    request["order"]["branchNumber"] = "0299999999";  // no such branch
    const json answer = Call(request);
    EXPECT_EQ(answer["result"], 66);
    EXPECT_EQ(answer["message"].get<std::string>().rfind("src: 02-9999-9999, get: ", 0), 0u) << answer["message"];
    EXPECT_EQ(OpenEntryWindows(), 0);
    EXPECT_EQ(Orders().size(), 0u);
}

TEST_F(LogiD2EndToEnd, AnUnregisteredCompanyIsResult3) {
    StartSim({L"--unregistered"});
    EXPECT_EQ(Call(SampleRequest(2))["result"], 3);
    EXPECT_EQ(Orders().size(), 0u);
}

TEST_F(LogiD2EndToEnd, ALogiD2ThatStopsAnsweringEndsTheRequestWith99) {
    StartSim({L"--hang-after-command", L"3826", L"--hang-ms", L"60000"});
    const json answer = Call(SampleRequest(2));
    EXPECT_EQ(answer["result"], 99) << answer.dump(2);
    EXPECT_EQ(answer["status"], 2);
}

TEST_F(LogiD2EndToEnd, NoLogiD2RunningIsResult4) {
    ASSERT_EQ(::FindWindowW(L"SmartD2-", nullptr), nullptr);
    EXPECT_EQ(Call(SampleRequest(2))["result"], 4);
}

TEST_F(LogiD2EndToEnd, Mode5ReadsAndOpensNothing) {
    StartSim();
    json request = SampleRequest(2);
    request["mode"] = 5;
    EXPECT_EQ(Call(request)["result"], 11);  // no order on the screen to read
    EXPECT_EQ(OpenEntryWindows(), 0);
    EXPECT_EQ(Orders().size(), 0u);
}

// A substitute that ends without showing its main window is reported in its own
// words, with its exit code, instead of as a window that never came.
TEST(SubstituteSessionStart, ASubstituteThatEndsWithoutItsWindowIsReportedInItsOwnWords) {
    struct Case {
        std::vector<std::wstring> options;
        std::string words;
        DWORD exitCode;
    };
    const Case cases[] = {
        {{L"--no-such-option"}, "logid2-sim: unknown option: --no-such-option", 2},
        {{L"--help"}, "--orders-file PATH", 0},
    };
    for (const Case& c : cases) {
        SubstituteSession sim(L"logid2-sim.exe", L"SmartD2-");
        EXPECT_FALSE(sim.Start(c.options));
        const std::string& why = sim.StartFailure();
        EXPECT_NE(why.find("its process ended with exit code " + std::to_string(c.exitCode)), std::string::npos)
            << why;
        EXPECT_NE(why.find(c.words), std::string::npos) << why;
    }
}

}  // namespace
}  // namespace qm::e2e
