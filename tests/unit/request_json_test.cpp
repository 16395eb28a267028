#include "tools/quillmere-call/request_json.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/result_codes.h"

namespace qm::call {
namespace {

std::unique_ptr<RequestBlock> Parse(const std::string& json) {
    auto block = std::make_unique<RequestBlock>();
    ParseRequest(json, *block);
    return block;
}

std::string ErrorOf(const std::string& json) {
    auto block = std::make_unique<RequestBlock>();
    try {
        ParseRequest(json, *block);
    } catch (const RequestError& e) {
        return e.what();
    }
    return "";
}

TEST(ParseRequest, FillsTheBlockFromTheFieldNames) {
    auto b = Parse(R"j({"mode": 0, "requireBranch": 1, "finishAction": 2, "speed": 3,
        "pointScript": "setCenter(%f, %f)", "message": "hi",
        "order": {"adapterKind": 1, "payType": 3, "fare": "12000", "customerPhone": "01012345678",
                  "origin": {"x": 37.5, "y": 127.25, "name": "서울역", "fullText": "서울역 [1번출구]"},
                  "via": [{"name": "a", "fullText": "a"}, {"name": "b", "fullText": "b"}]}})j");
    EXPECT_EQ(b->requireBranch, 1);
    EXPECT_EQ(b->finishAction, 2);
    EXPECT_EQ(b->speed, 3);
    EXPECT_EQ(ReadField(b->pointScript), u"setCenter(%f, %f)");
    EXPECT_EQ(ReadField(b->message), u"hi");
    EXPECT_EQ(b->order.adapterKind, 1);
    EXPECT_EQ(b->order.payType, 3);
    EXPECT_EQ(ReadField(b->order.fare), u"12000");
    EXPECT_DOUBLE_EQ(b->order.origin.x, 37.5);
    EXPECT_DOUBLE_EQ(b->order.origin.y, 127.25);
    EXPECT_EQ(ReadField(b->order.origin.fullText), u"서울역 [1번출구]");
    EXPECT_EQ(ReadField(b->order.via[1].name), u"b");
    EXPECT_EQ(ReadField(b->order.via[2].fullText), u"");
    EXPECT_EQ(b->status, 0);
}

TEST(ParseRequest, MissingFieldsAreZero) {
    auto b = Parse("{}");
    EXPECT_EQ(b->mode, 0);
    EXPECT_EQ(b->order.adapterKind, 0);
    EXPECT_EQ(ReadField(b->order.driverMemo), u"");
}

TEST(ParseRequest, RefusesBadInputNamingTheField) {
    struct Case { const char* json; const char* mentions; };
    const Case cases[] = {
        {"{", "not valid JSON"},
        {"[]", "must be an object"},
        {R"j({"colour": 1})j", "colour"},
        {R"j({"order": {"adapterkind": 1}})j", "order.adapterkind"},
        {R"j({"speed": "fast"})j", "speed"},
        {R"j({"speed": 2147483648})j", "speed: is out of range"},
        {R"j({"mode": -2147483649})j", "mode: is out of range"},
        {R"j({"mode": 1.5})j", "mode: must be a whole number"},
        {R"j({"order": {"fare": "1234567890123"}})j", "order.fare: is 13"},
        {R"j({"order": {"customerPhone": 1012345678}})j", "order.customerPhone: must be a string"},
        {R"j({"order": {"via": [{}, {}, {}, {}]}})j", "order.via: holds 4"},
        {R"j({"order": {"via": [{"x": "1"}]}})j", "order.via[0].x"},
        {R"j({"order": {"origin": {"z": 1}}})j", "order.origin.z"},
        {R"j({"readScript": "a\u0000b"})j", "readScript: must not contain a NUL"},
    };
    for (const Case& c : cases) {
        const std::string error = ErrorOf(c.json);
        EXPECT_NE(error.find(c.mentions), std::string::npos) << c.json << " -> " << error;
    }
}

// What a new user tried first: numbers beyond a double and names given twice
// used to end the caller with nlohmann's exception or pass silently.
TEST(ParseRequest, RefusesWhatTheJsonParserWouldTakeOrThrowNamingTheField) {
    struct Case { std::string json; const char* starts; };
    const Case cases[] = {
        {R"j({"order": {"origin": {"x": 1e400}}})j", "order.origin.x: the number 1e400 is outside the range"},
        {R"j({"order": {"via": [{}, {"y": -1E+999}]}})j", "order.via[1].y: the number -1E+999 is outside"},
        {R"j({"mode": 0, "mode": 1})j", "mode: appears twice in the request"},
        {R"j({"mode": 0, "mode": 1})j", "mode: appears twice"},
        {R"j({"order": {"origin": {"name": "a", "name": "a"}}})j", "order.origin.name: appears twice in order.origin"},
        {R"j({"mode": 99999999999999999999})j", "mode: is out of range"},
        {R"j({"mode": 1e2})j", "mode: must be a whole number"},
        {R"j({"speed": 3.0})j", "speed: must be a whole number"},
        {"{\"readScript\": \"a\xFF" "b\"}", "readScript: not valid JSON"},
        {"{\"readScript\": \"\xED\xA0\x80\"}", "readScript: not valid JSON"},  // a surrogate in UTF-8
        {"{\"readScript\": \"\xC0\x80\"}", "readScript: not valid JSON"},      // an overlong NUL
        {R"j({"readScript": "\ud800"})j", "readScript: not valid JSON"},
        {R"j({"readScript": "\udc00x"})j", "readScript: not valid JSON"},
        {R"j({"order": {"memo2": "\ud800\u0041"}})j", "order.memo2: not valid JSON"},
        {R"j({"order": {"memo2": "a\u0000"}})j", "order.memo2: must not contain a NUL"},
        {std::string("{\"message\": \"a") + '\0' + "\"}", "message: not valid JSON"},
        {R"j({"order": {"via": [{"x": 1}, 2]}})j", "order.via[1]: must be an object"},
        {std::string(100000, '[') + std::string(100000, ']'), "[0][0][0][0][0][0][0][0]: is nested deeper"},
        {"", "the request: not valid JSON"},
        {R"j({"": 1})j", "\"\": is not a field of the request"},
        {R"j({"mode": 0} {})j", "the request: not valid JSON"},
    };
    for (const Case& c : cases) {
        const std::string error = ErrorOf(c.json);
        EXPECT_EQ(error.rfind(c.starts, 0), 0u) << c.json.substr(0, 80) << " -> " << error;
    }
}

TEST(ParseRequest, RefusalsArePrintable) {
    // A name with a control character or a stray byte is shown escaped.
    EXPECT_EQ(ErrorOf("{\"a\\u0001b\": 1}"), "a\\x01b: is not a field of the request");
    const std::string error = ErrorOf("{\"mode\": 0, \xFF}");
    EXPECT_NE(error.find("\\xFF"), std::string::npos) << error;
    EXPECT_EQ(error.find('\xFF'), std::string::npos) << error;
}

TEST(ParseRequest, QuotesOnlyTheStartOfALongTextTheParserStoppedIn) {
    const std::string error = ErrorOf("{\"memo2\": \"" + std::string(1500, 'a') + "\xFF\"}");
    EXPECT_EQ(error.rfind("memo2: not valid JSON: ", 0), 0u) << error;
    EXPECT_LT(error.size(), 300u);
    EXPECT_EQ(error.substr(error.size() - 3), "...");
}

TEST(ParseRequest, TakesSurrogatePairsAndSmallNumbers) {
    auto b = Parse(R"j({"order": {"memo2": "\ud83d\ude95", "origin": {"x": 1e-400, "y": -0.0}}})j");
    EXPECT_EQ(ReadField(b->order.memo2), u"\U0001F695");
    EXPECT_EQ(b->order.origin.x, 0.0);
    EXPECT_EQ(b->order.origin.y, 0.0);
}

TEST(ParseRequest, TextLimitsCountUtf16Units) {
    // 11 units fit the fare; 299 fit readScript; an astral character takes two units.
    EXPECT_EQ(ErrorOf(R"j({"order": {"fare": "12345678901"}})j"), "");
    EXPECT_EQ(ErrorOf("{\"readScript\": \"" + std::string(299, 'a') + "\"}"), "");
    EXPECT_NE(ErrorOf("{\"readScript\": \"" + std::string(300, 'a') + "\"}"), "");
    EXPECT_NE(ErrorOf(R"j({"order": {"fare": "1234567890🚕"}})j"), "");
}

// The robot's standard output goes into the answer as it came: a robot that
// wrote a cut UTF-8 sequence made printing the answer throw.
TEST(AnswerText, PrintsBytesThatAreNotUtf8AsReplacementCharacters) {
    nlohmann::ordered_json answer;
    answer["result"] = 0;
    answer["robotOutput"] = std::string("\xEA\xB3\xB5\xEC\x9C") + "\n";
    const std::string text = AnswerText(answer);
    EXPECT_NE(text.find("\"robotOutput\": \"공\xEF\xBF\xBD\\n\""), std::string::npos) << text;
    EXPECT_EQ(text.rfind("{\n  \"result\": 0,", 0), 0u) << text;
}

TEST(DescribeAnswer, NamesTheResultAndReadsFieldsBounded) {
    auto b = std::make_unique<RequestBlock>();
    std::fill(std::begin(b->order.fare), std::end(b->order.fare), u'7');  // no NUL at all
    b->status = 2;
    b->result = 2;
    WriteField(b->message, u"카드");
    const auto j = DescribeAnswer(*b, adapter::kLogiD2);
    EXPECT_EQ(j["status"], 2);
    EXPECT_EQ(j["resultName"], FindResultCode(adapter::kShared, 2)->name);
    EXPECT_EQ(j["message"], "카드");
    EXPECT_EQ(j["order"]["fare"], std::string(12, '7'));
    EXPECT_EQ(j["order"]["via"].size(), 3u);
    b->result = 12345;
    EXPECT_EQ(DescribeAnswer(*b, adapter::kLogiD2)["resultName"], "Unknown");
    // The code is named for the adapter the request asked for, not the one the
    // order read back names.
    b->result = result::logid2::kMileageButtonNotFound;
    b->order.adapterKind = adapter::kIcon2013;
    EXPECT_EQ(DescribeAnswer(*b, adapter::kLogiD2)["resultName"], "MileageButtonNotFound");
    EXPECT_EQ(DescribeAnswer(*b, adapter::kIcon2013)["resultName"], "BranchLabelNotFound");
}

}  // namespace
}  // namespace qm::call
