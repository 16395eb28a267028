// include/quillmere.h, the header for callers in C, against the robot: a caller
// built from C99 with mingw-w64's C compiler (c_caller.c) enters an order into
// the LogiD2 substitute and reads the answer out of the block; one that gets no
// answer leaves no robot behind. The header's result codes are the
// catalogue's, and the robot's manifest carries the project's version.
#include <windows.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "core/result_codes.h"
#include "include/quillmere.h"
#include "quillmere_version.h"
#include "tests/e2e/sim_fixture.h"

namespace qm::e2e {
namespace {

// The C caller's "key=value" lines.
std::map<std::string, std::string> Lines(const std::string& output) {
    std::map<std::string, std::string> out;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto eq = line.find('=');
        if (eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return out;
}

class CHeaderEndToEnd : public SubstituteTest {
protected:
    CHeaderEndToEnd() : SubstituteTest(L"logid2-sim.exe", L"SmartD2-") {}
};

TEST_F(CHeaderEndToEnd, ACallerInCEntersAnOrderAndReadsTheAnswerFromTheBlock) {
    StartSim();
    const RunResult run = RunProgram(L"quillmere-c-caller.exe", L"quillmere-c-caller.exe quillmere.exe 120000", 150000);
    ASSERT_TRUE(run.ended) << run.output;
    auto answer = Lines(run.output);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(QUILLMERE_RUN_ANSWERED)) << run.output;
    EXPECT_EQ(answer["status"], "2");
    ASSERT_EQ(answer["result"], "0") << run.output;
    // The order as LogiD2 shows it, read from every part of the block.
    EXPECT_EQ(answer["branchName"], "강남지사");
    EXPECT_EQ(answer["branchNumber"], "021234567");
    EXPECT_EQ(answer["fare"], "12000");
    EXPECT_EQ(answer["cashAmount"], "12000");
    EXPECT_EQ(answer["payType"], "1");
    EXPECT_EQ(answer["consignment"], "1");
    EXPECT_EQ(answer["origin.name"], "서울역 1번출구");
    EXPECT_EQ(answer["origin.x"], "37.5547");
    EXPECT_EQ(answer["via2.fullText"], "삼각지역");
    EXPECT_EQ(answer["via3.fullText"], "");
    EXPECT_EQ(OpenEntryWindows(), 0);

    const nlohmann::json orders = Orders();
    ASSERT_EQ(orders.size(), 1u);
    EXPECT_EQ(orders[0]["status"], "registered");
    EXPECT_EQ(orders[0]["customerPhone"], "010-1234-5678");
    EXPECT_EQ(orders[0]["memo2"], "현관 앞");
    EXPECT_EQ(orders[0]["destination"]["text"], "강남역 [강남역 2번출구]");
}

TEST(CHeader, ARobotThatDoesNotAnswerIsEndedAtTheTimeOutAndItsBlockComesBack) {
    const RunResult run = RunProgram(L"quillmere-c-caller.exe", L"quillmere-c-caller.exe silent-robot.exe 3000", 60000);
    ASSERT_TRUE(run.ended) << run.output;
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(QUILLMERE_RUN_TIMED_OUT)) << run.output;
    auto answer = Lines(run.output);
    EXPECT_EQ(answer["status"], "1") << "the silent robot took the request";
    win32::UniqueHandle alive(::OpenMutexW(SYNCHRONIZE, FALSE, L"quillmere-silent-robot-alive"));
    EXPECT_FALSE(alive) << "the robot was left running";
}

TEST(CHeader, ARobotThatCannotBeStartedIsSaidSo) {
    const RunResult run =
        RunProgram(L"quillmere-c-caller.exe", L"quillmere-c-caller.exe no-such-robot.exe 3000", 60000);
    ASSERT_TRUE(run.ended) << run.output;
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(QUILLMERE_RUN_NOT_STARTED)) << run.output;
    EXPECT_EQ(Lines(run.output)["status"], "0") << "the block as it was sent";
}

// Every code of the catalogue has its constant in the header, under the
// adapter whose row it is and by the row's name: ROW(adapter, PREFIX_NAME).
struct HeaderCode {
    int adapter;
    int code;
    const char* name;
};
#define ROW(adapter, name) HeaderCode{adapter, QUILLMERE_##name, #name}
const HeaderCode kHeaderCodes[] = {
    ROW(0, RESULT_SUCCESS), ROW(0, RESULT_ADAPTER_NOT_SERVED), ROW(0, RESULT_EXCEPTION),
    ROW(0, RESULT_MAIN_WINDOW_NOT_FOUND), ROW(0, RESULT_ORDER_WINDOW_NOT_FOUND), ROW(0, RESULT_MAP_DIALOG_NOT_FOUND),
    ROW(0, RESULT_MAP_ORIGIN_BUTTON_NOT_FOUND), ROW(0, RESULT_MAP_DESTINATION_BUTTON_NOT_FOUND),
    ROW(0, RESULT_MAP_BROWSER_NOT_FOUND), ROW(0, RESULT_ACCESSIBLE_OBJECT_NOT_FOUND),
    ROW(0, RESULT_NO_SERVICE_PROVIDER), ROW(0, RESULT_NO_HTML_ELEMENT), ROW(0, RESULT_NO_DOCUMENT),
    ROW(0, RESULT_NO_SCRIPT_OBJECT), ROW(0, RESULT_NO_WINDOW_DOCUMENT), ROW(0, RESULT_NO_PARENT_WINDOW),
    ROW(0, RESULT_NO_DISPATCH_EX), ROW(0, RESULT_SCRIPT_FAILED), ROW(0, RESULT_PLACEMENT_FAILED),
    ROW(0, RESULT_DESK_UNAVAILABLE), ROW(0, RESULT_DESK_BUSY), ROW(0, RESULT_DESK_TAKES_NO_INPUT),
    ROW(0, RESULT_NO_OBJECT_FROM_LRESULT), ROW(0, RESULT_NO_FRESH_ENTRY_WINDOW),
    ROW(0, RESULT_NOT_RESPONDING),
    ROW(1, LOGID2_EXCEPTION_OR_UNREGISTERED_COMPANY), ROW(1, LOGID2_MDI_CLIENT_NOT_FOUND),
    ROW(1, LOGID2_RECEPTION_VIEW_NOT_FOUND), ROW(1, LOGID2_MAIN_LIST_NOT_FOUND),
    ROW(1, LOGID2_RECEPTION_BUTTON_NOT_FOUND), ROW(1, LOGID2_MILEAGE_BUTTON_NOT_FOUND),
    ROW(1, LOGID2_COPY_AFTER_HOLD_BUTTON_NOT_FOUND), ROW(1, LOGID2_CASH_LABEL_NOT_FOUND),
    ROW(1, LOGID2_POSTPAID_LABEL_NOT_FOUND), ROW(1, LOGID2_CARD_LABEL_NOT_FOUND),
    ROW(1, LOGID2_CONSIGNMENT_BUTTON_NOT_FOUND), ROW(1, LOGID2_COMPANY_SUPPORT_BUTTON_NOT_FOUND),
    ROW(1, LOGID2_INQUIRY_ANCHOR_NOT_FOUND), ROW(1, LOGID2_CANCEL_BUTTON_NOT_FOUND),
    ROW(1, LOGID2_VIA_LABEL_NOT_FOUND), ROW(1, LOGID2_APPROPRIATE_BUTTON_NOT_FOUND),
    ROW(1, LOGID2_ADD_VIA_BUTTON_NOT_FOUND), ROW(1, LOGID2_ORIGIN_EMPTY), ROW(1, LOGID2_DESTINATION_EMPTY),
    ROW(1, LOGID2_ORIGIN_NOT_TAKEN), ROW(1, LOGID2_DESTINATION_NOT_TAKEN), ROW(1, LOGID2_PAYMENT_NOT_SUPPORTED),
    ROW(1, LOGID2_BRANCH_NOT_SHOWN), ROW(1, LOGID2_BRANCH_DISPLAY_MALFORMED), ROW(1, LOGID2_CUSTOMER_NOT_SHOWN),
    ROW(1, LOGID2_SECOND_PHONE_MISMATCH), ROW(1, LOGID2_PAYMENT_COMBO_MISMATCH), ROW(1, LOGID2_FARE_EMPTY),
    ROW(1, LOGID2_FARE_MISMATCH), ROW(1, LOGID2_CASH_MISMATCH), ROW(1, LOGID2_POSTPAID_NEGATIVE),
    ROW(1, LOGID2_CARD_NEGATIVE), ROW(1, LOGID2_MILEAGE_REFUSED), ROW(1, LOGID2_MIXED_WITHOUT_AMOUNTS),
    ROW(1, LOGID2_CONSIGNMENT_NOT_SET), ROW(1, LOGID2_HOLD_BUTTON_NOT_FOUND), ROW(1, LOGID2_INQUIRY_BUTTON_NOT_FOUND),
    ROW(1, LOGID2_MAP_URL_UNREADABLE), ROW(1, LOGID2_MAP_URL_WITHOUT_QUERY), ROW(1, LOGID2_MAP_URL_MISSING_POSITION),
    ROW(2, LOGID5_MDI_CLIENT_NOT_FOUND), ROW(2, LOGID5_RECEPTION_VIEW_NOT_FOUND), ROW(2, LOGID5_MAIN_LIST_NOT_FOUND),
    ROW(2, LOGID5_RECEPTION_BUTTON_NOT_FOUND), ROW(2, LOGID5_RESERVATION_LABEL_NOT_FOUND),
    ROW(2, LOGID5_PHONE2_DIALOG_NOT_FOUND), ROW(2, LOGID5_COMPANY_SUPPORT_NOT_FOUND),
    ROW(2, LOGID5_BUSINESS_FEE_LABEL_NOT_FOUND), ROW(2, LOGID5_MEMO_DIALOG_NOT_FOUND),
    ROW(2, LOGID5_PAYMENT_COMBO_NOT_FOUND), ROW(2, LOGID5_CANCEL_BUTTON_NOT_FOUND),
    ROW(2, LOGID5_ORIGIN_DIALOG_NOT_FOUND), ROW(2, LOGID5_ADD_VIA_DIALOG_NOT_FOUND),
    ROW(2, LOGID5_SEARCH_BUTTONS_NOT_FOUND), ROW(2, LOGID5_ADD_VIA_BUTTON_NOT_FOUND), ROW(2, LOGID5_ORIGIN_EMPTY),
    ROW(2, LOGID5_DESTINATION_EMPTY), ROW(2, LOGID5_ORIGIN_NOT_TAKEN), ROW(2, LOGID5_DESTINATION_NOT_TAKEN),
    ROW(2, LOGID5_PAYMENT_NOT_SUPPORTED), ROW(2, LOGID5_BRANCH_NOT_SHOWN), ROW(2, LOGID5_BRANCH_DISPLAY_MALFORMED),
    ROW(2, LOGID5_CUSTOMER_NOT_SHOWN), ROW(2, LOGID5_SECOND_PHONE_MISMATCH), ROW(2, LOGID5_PAYMENT_COMBO_MISMATCH),
    ROW(2, LOGID5_FARE_EMPTY), ROW(2, LOGID5_FARE_MISMATCH), ROW(2, LOGID5_CASH_MISMATCH),
    ROW(2, LOGID5_POSTPAID_NEGATIVE), ROW(2, LOGID5_CARD_NEGATIVE), ROW(2, LOGID5_MILEAGE_REFUSED),
    ROW(2, LOGID5_MIXED_WITHOUT_AMOUNTS), ROW(2, LOGID5_CONSIGNMENT_NOT_SET), ROW(2, LOGID5_HOLD_BUTTON_NOT_FOUND),
    ROW(2, LOGID5_INQUIRY_BUTTON_NOT_FOUND), ROW(2, LOGID5_MAP_URL_UNREADABLE), ROW(2, LOGID5_MAP_URL_WITHOUT_QUERY),
    ROW(2, LOGID5_MAP_URL_MISSING_POSITION),
    ROW(3, CMANERXE4_RECEPTION_TAB_NOT_FOUND), ROW(3, CMANERXE4_RECEPTION_BUTTON_NOT_FOUND),
    ROW(3, CMANERXE4_CALLER_LABEL_NOT_FOUND), ROW(3, CMANERXE4_POSTPAID_LABEL_NOT_FOUND),
    ROW(3, CMANERXE4_CONSIGNMENT_LABEL_NOT_FOUND), ROW(3, CMANERXE4_MEMO_LABEL_NOT_FOUND),
    ROW(3, CMANERXE4_FEE_LABEL_NOT_FOUND), ROW(3, CMANERXE4_ORIGIN_LABEL_NOT_FOUND),
    ROW(3, CMANERXE4_DESTINATION_LABEL_NOT_FOUND), ROW(3, CMANERXE4_VIA_ANCHOR_NOT_FOUND),
    ROW(3, CMANERXE4_ORIGIN_EMPTY), ROW(3, CMANERXE4_DESTINATION_EMPTY), ROW(3, CMANERXE4_ORIGIN_NOT_TAKEN),
    ROW(3, CMANERXE4_DESTINATION_NOT_TAKEN), ROW(3, CMANERXE4_PAYMENT_NOT_SUPPORTED),
    ROW(3, CMANERXE4_BRANCH_NOT_SHOWN), ROW(3, CMANERXE4_CUSTOMER_NOT_SHOWN), ROW(3, CMANERXE4_SECOND_PHONE_MISMATCH),
    ROW(3, CMANERXE4_PAYMENT_MISMATCH), ROW(3, CMANERXE4_FARE_MISMATCH), ROW(3, CMANERXE4_CASH_NEGATIVE),
    ROW(3, CMANERXE4_POSTPAID_MISMATCH), ROW(3, CMANERXE4_CARD_NEGATIVE), ROW(3, CMANERXE4_MILEAGE_MISMATCH),
    ROW(3, CMANERXE4_HOLD_BUTTON_NOT_FOUND), ROW(3, CMANERXE4_INQUIRY_BUTTON_NOT_FOUND),
    ROW(4, ICON2013_MDI_FRAME_NOT_FOUND), ROW(4, ICON2013_INQUIRY_DIALOG_NOT_FOUND),
    ROW(4, ICON2013_RECEPTION_BUTTON_NOT_FOUND), ROW(4, ICON2013_NO_ORDER_DIALOG),
    ROW(4, ICON2013_BRANCH_LABEL_NOT_FOUND), ROW(4, ICON2013_SEARCH_BUTTON_NOT_FOUND),
    ROW(4, ICON2013_FARE_LABEL_NOT_FOUND), ROW(4, ICON2013_CONSIGNMENT_BUTTON_NOT_FOUND),
    ROW(4, ICON2013_MEMO_LABEL_NOT_FOUND), ROW(4, ICON2013_ENLARGE_BUTTON_NOT_FOUND),
    ROW(4, ICON2013_PAYMENT_LABEL_NOT_FOUND), ROW(4, ICON2013_CLOSE_BUTTON_NOT_FOUND),
    ROW(4, ICON2013_ORIGIN_LABEL_NOT_FOUND), ROW(4, ICON2013_DESTINATION_LABEL_NOT_FOUND),
    ROW(4, ICON2013_VIA_LABEL_NOT_FOUND), ROW(4, ICON2013_SHRINK_BUTTON_NOT_FOUND), ROW(4, ICON2013_ORIGIN_EMPTY),
    ROW(4, ICON2013_DESTINATION_EMPTY), ROW(4, ICON2013_ORIGIN_NOT_TAKEN), ROW(4, ICON2013_DESTINATION_NOT_TAKEN),
    ROW(4, ICON2013_PAYMENT_NOT_SUPPORTED), ROW(4, ICON2013_BRANCH_NOT_SELECTED),
    ROW(4, ICON2013_BRANCH_TEXT_MALFORMED), ROW(4, ICON2013_CUSTOMER_NOT_SHOWN),
    ROW(4, ICON2013_SECOND_PHONE_MISMATCH), ROW(4, ICON2013_PAYMENT_COMBO_EMPTY), ROW(4, ICON2013_FARE_EMPTY),
    ROW(4, ICON2013_FARE_MISMATCH), ROW(4, ICON2013_POSTPAID_NEGATIVE), ROW(4, ICON2013_CARD_NEGATIVE),
    ROW(4, ICON2013_MILEAGE_NEGATIVE), ROW(4, ICON2013_MIXED_WITHOUT_AMOUNTS), ROW(4, ICON2013_HOLD_BUTTON_NOT_FOUND),
    ROW(4, ICON2013_INQUIRY_BUTTON_NOT_FOUND),
};
#undef ROW

std::string UpperSnake(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (i > 0 && std::isupper(c) && !std::isupper(static_cast<unsigned char>(name[i - 1]))) out += '_';
        out += static_cast<char>(std::toupper(c));
    }
    return out;
}

TEST(CHeader, ItsResultCodesAreTheCataloguesRowByRow) {
    std::set<std::pair<int, int>> inHeader;
    for (const HeaderCode& h : kHeaderCodes) {
        const ResultCodeInfo* row = FindResultCode(h.adapter, h.code);
        ASSERT_NE(row, nullptr) << h.name;
        EXPECT_EQ(row->adapter, h.adapter) << h.name << " is not a row of its adapter";
        const std::string name = std::string(h.name).substr(std::string(h.name).find('_') + 1);
        EXPECT_EQ(UpperSnake(row->name), name) << h.name << " = " << h.code;
        EXPECT_TRUE(inHeader.insert({h.adapter, h.code}).second) << h.name << " twice";
    }
    for (const ResultCodeInfo& row : ResultCatalogue())
        EXPECT_TRUE(inHeader.count({row.adapter, row.code})) << row.adapter << "/" << row.code << " " << row.name;
    EXPECT_EQ(QUILLMERE_ADAPTER_ICON2013, adapter::kIcon2013);
}

TEST(CHeader, TheRobotsManifestCarriesTheProjectsVersion) {
    const std::wstring robot = call::OwnDirectory() + L"quillmere.exe";
    std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&::FreeLibrary)> module(
        ::LoadLibraryExW(robot.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE),
        &::FreeLibrary);
    ASSERT_TRUE(module);
    HRSRC found = ::FindResourceW(module.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(module.get(), found)));
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(bytes, ::SizeofResource(module.get(), found));
    const std::string identity = "name=\"Quillmere.Robot\" version=\"" + std::string(kVersion) + ".0\"";
    EXPECT_NE(manifest.find(identity), std::string::npos) << manifest;
}

}  // namespace
}  // namespace qm::e2e
