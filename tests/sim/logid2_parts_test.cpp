// The LogiD2 substitute's parts that stand on their own: the map page's
// interpreter and address, the command line, the orders' JSON, number display.
#include <gtest/gtest.h>

#include <cmath>

#include "core/utf.h"
#include "sim/kit/orders.h"
#include "sim/logi/map_page.h"
#include "sim/logid2/logid2_sim.h"
#include "sim/logid2/options.h"

namespace qm::sim::logid2 {
namespace {

using namespace qm::sim::logi;  // the map page both Logi substitutes show

struct EvalCase {
    const char16_t* script;
    std::optional<std::u16string> text;
    std::optional<bool> boolean;
    GeoPoint centreAfter;
};

TEST(MapPageInterpreter, AnswersTheDocumentedShapesAndNothingElse) {
    const GeoPoint start{37.0, 127.0};
    const EvalCase cases[] = {
        {u"setCenter(37.5, 127.1)", u"-1", true, {37.5, 127.1}},
        {u"  setCenter( -1.5e1 ,+2. ) ; ", u"-1", true, {-15, 2}},
        {u"setCenter(37.500000,127.100000);getCenter()", u"37.5,127.1", std::nullopt, {37.5, 127.1}},
        {u"getCenter()", u"37,127", std::nullopt, start},  // text that is no number: no boolean
        {u"setCenter(1e999, 1)", u"0", false, start},  // Infinity is not a place
        {u"setCenter(37.5)", u"", false, start},
        {u"setCenter(37.5, 127.1) + 1", u"", false, start},
        {u"setCenter(37.5, 127.1); undefinedName", u"", false, start},  // an error undoes the whole script
        {u"setCentre(37.5, 127.1)", u"", false, start},
        {u"setCenter(nan, 1)", u"", false, start},
        {u"true", u"-1", true, start},
        {u"0", u"0", false, start},
        {u"", u"", false, start},
        {u"setCenter(37.5, 127.1) // 서울", u"", false, start},
    };
    for (const EvalCase& c : cases) {
        MapPageInterpreter page(start);
        const ScriptValue v = page.Evaluate(c.script);
        EXPECT_EQ(v.text, c.text) << Utf16ToUtf8(c.script);
        EXPECT_EQ(v.boolean, c.boolean) << Utf16ToUtf8(c.script);
        EXPECT_EQ(page.Centre(), c.centreAfter) << Utf16ToUtf8(c.script);
    }
}

TEST(MapPageParts, CentreTextAndNumbersReadBackExactly) {
    for (double v : {37.5666805, 126.9784147, -0.1, 1e-7, 123456789.125}) {
        const auto back = ParseCentre(NumberText(v) + u"," + NumberText(-v));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->lat, v);
        EXPECT_EQ(back->lng, -v);
    }
    EXPECT_FALSE(ParseCentre(u"37.5").has_value());
    EXPECT_FALSE(ParseCentre(u"37.5,127.1,3").has_value());
    EXPECT_FALSE(ParseCentre(u"a,b").has_value());
    EXPECT_EQ(ParseCentre(u" 37.5 , 127.1 "), (GeoPoint{37.5, 127.1}));
}

TEST(MapPageParts, AddressCarriesThePointsWithXAsLongitude) {
    MapPoints p;
    EXPECT_EQ(MapPageUrl(p), u"http://logid2.map.invalid/map.asp?level=8");
    p.destination = GeoPoint{37.6, 127.2};
    EXPECT_EQ(MapPageUrl(p), u"http://logid2.map.invalid/map.asp?strDPosX=127.2&strDPosY=37.6");
    p.origin = GeoPoint{37.5, 127.1};
    p.via[1] = GeoPoint{35, 129};
    EXPECT_EQ(MapPageUrl(p),
              u"http://logid2.map.invalid/map.asp?strSPosX=127.1&strSPosY=37.5&strDPosX=127.2&strDPosY=37.6"
              u"&strV2PosX=129&strV2PosY=35");
}

TEST(MapPageParts, PageScriptDefinesTheFunctionsAtTheStartingCentre) {
    const std::u16string script = MapPageScript(GeoPoint{37.5, 127.25});
    EXPECT_NE(script.find(u"var centerLat = 37.5;"), std::u16string::npos);
    EXPECT_NE(script.find(u"var centerLng = 127.25;"), std::u16string::npos);
    EXPECT_NE(script.find(u"function setCenter(lat, lng)"), std::u16string::npos);
    EXPECT_NE(script.find(u"function getCenter()"), std::u16string::npos);
}

TEST(Options, CommandLineSetsEveryVariant) {
    const ParseResult r = ParseOptions({u"--omit", u"취소", u"--omit", u"경", u"--alt-cancel", u"--entry-delay", u"2500",
                                        u"--customer-delay", u"0", u"--branch-delay", u"100", u"--popup-delay", u"50",
                                        u"--branch", u"02-555-1234=역삼지사", u"--refuse-mileage", u"--unregistered",
                                        u"--consign-checked", u"--consign-locked", u"--plain-amounts",
                                        u"--amount-suffix", u"원", u"--hang-after-command", u"1205", u"--hang-ms", u"7000",
                                        u"--orders-file", u"C:\\t\\o.json", u"--open-order", u"o.json"});
    ASSERT_EQ(r.error, u"");
    const Options& o = r.options;
    EXPECT_EQ(o.omit, (std::vector<std::u16string>{u"취소", u"경"}));
    EXPECT_TRUE(o.altCancel);
    EXPECT_EQ(o.entryDelayMs, 2500u);
    EXPECT_EQ(o.customerDelayMs, 0u);
    EXPECT_EQ(o.branchDelayMs, 100u);
    EXPECT_EQ(o.popupDelayMs, 50u);
    ASSERT_EQ(o.extraBranches.size(), 1u);
    EXPECT_EQ(o.extraBranches[0].digits, u"025551234");
    EXPECT_EQ(o.extraBranches[0].name, u"역삼지사");
    EXPECT_TRUE(o.refuseMileage && o.unregistered && o.consignChecked && o.consignLocked);
    EXPECT_FALSE(o.groupAmounts);
    EXPECT_EQ(o.amountSuffix, u"원");
    EXPECT_EQ(o.hangAfterCommand, std::optional<int>(1205));
    EXPECT_EQ(o.hangMs, 7000u);
    EXPECT_EQ(o.ordersFile, u"C:\\t\\o.json");
    EXPECT_EQ(o.openOrderFile, u"o.json");
    EXPECT_FALSE(r.help);
    EXPECT_TRUE(ParseOptions({u"--help"}).help);
}

TEST(Options, MalformedCommandLinesAreRefused) {
    const std::vector<std::vector<std::u16string>> bad = {
        {u"--entry-delay"},           {u"--entry-delay", u"-5"},   {u"--entry-delay", u"1.5"},
        {u"--entry-delay", u"9999999999"}, {u"--branch", u"강남"}, {u"--branch", u"=강남"},
        {u"--branch", u"021234567="}, {u"--hang-after-command", u"70000"}, {u"--orders-file", u""},
        {u"--omit"},                  {u"--frobnicate"},
    };
    for (const auto& args : bad) EXPECT_NE(ParseOptions(args).error, u"") << Utf16ToUtf8(args[0]);
}

TEST(Orders, JsonRoundTripKeepsEveryField) {
    StoredOrder o;
    o.serial = 7;
    o.status = u"inquiry";
    o.inquiryType = u"일반문의";
    o.branchNumber = u"02-123-4567";
    o.branchDisplay = u"로지본사 > 강남지사 (02-123-4567)";
    o.customerPhone = u"010-1234-5678";
    o.customerPhone2 = u"02-1111-2222";
    o.payType = u"현금";
    o.fare = u"12,000";
    o.cashAmount = u"12,000";
    o.postpaidAmount = u"1";
    o.mileageAmount = u"2";
    o.cardAmount = u"3";
    o.consignment = true;
    o.driverMemo = u"line one\r\nline \"two\"";
    o.memo2 = u"메모";
    o.origin = {u"서울역 [1번출구]", GeoPoint{37.5547, 126.9706}};
    o.destination = {u"강남역", std::nullopt};
    o.via[2] = {u"시청", GeoPoint{-1e-9, 1e9}};
    std::string error;
    const auto back = OrderFromJson(OrdersToJson({o}), error);
    ASSERT_TRUE(back.has_value()) << error;
    EXPECT_EQ(*back, o);
}

TEST(Orders, MalformedOrdersAreRefusedWithAReason) {
    for (const char* text : {"", "{", "[1]", "{\"orders\": []}", "{\"fare\": 12000}",
                             "{\"origin\": {\"x\": 1}}", "{\"origin\": {\"x\": \"1\", \"y\": 2}}",
                             "{\"via\": [{}, {}, {}, {}]}", "{\"consignment\": \"yes\"}", "\xff\xfe"}) {
        std::string error;
        EXPECT_FALSE(OrderFromJson(text, error).has_value()) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(Numbers, TelephoneStyleNumbersAreHyphenatedAsLogiD2ShowsThem) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"01012345678", u"010-1234-5678"}, {u"010-1234-5678", u"010-1234-5678"}, {u"0212345678", u"02-1234-5678"},
        {u"021234567", u"02-123-4567"},     {u"050412345678", u"0504-1234-5678"}, {u"0311234567", u"031-123-4567"},
        {u"15881234", u"1588-1234"},        {u"123456", u"123456"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(HyphenatedNumber(in), out) << Utf16ToUtf8(in);
}

}  // namespace
}  // namespace qm::sim::logid2
