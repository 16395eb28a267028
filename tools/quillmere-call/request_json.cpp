#include "tools/quillmere-call/request_json.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <map>

#include "app/result_codes.h"
#include "app/utf.h"

namespace qm::call {
namespace {

using nlohmann::json;
using nlohmann::ordered_json;

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
    throw RequestError(path + ": " + what);
}

std::int32_t ReadInt(const json& value, const std::string& path) {
    if (!value.is_number_integer()) Fail(path, "must be a whole number");
    if (value.is_number_unsigned()) {
        if (value.get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
            Fail(path, "is out of range (a 32-bit signed number)");
    } else {
        const auto v = value.get<std::int64_t>();
        if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
            Fail(path, "is out of range (a 32-bit signed number)");
    }
    return static_cast<std::int32_t>(value.get<std::int64_t>());
}

double ReadDouble(const json& value, const std::string& path) {
    if (!value.is_number()) Fail(path, "must be a number");
    const double v = value.get<double>();
    if (!std::isfinite(v)) Fail(path, "must be a finite number");
    return v;
}

template <std::size_t N>
void ReadText(const json& value, const std::string& path, char16_t (&field)[N]) {
    if (!value.is_string()) Fail(path, "must be a string");
    const std::string& utf8 = value.get_ref<const std::string&>();
    if (!IsValidUtf8(utf8)) Fail(path, "is not valid UTF-8");
    const std::u16string text = Utf8ToUtf16(utf8);
    if (text.find(u'\0') != std::u16string::npos) Fail(path, "must not contain a NUL character");
    if (text.size() > N - 1)
        Fail(path, "is " + std::to_string(text.size()) + " UTF-16 units long; the field holds at most " +
                       std::to_string(N - 1));
    WriteField(field, text);
}

// Visits every member of object through the handler for its name; a name with
// no handler is an unknown field.
using Handlers = std::map<std::string, std::function<void(const json&, const std::string&)>>;
void ReadObject(const json& object, const std::string& path, const Handlers& handlers) {
    if (!object.is_object()) Fail(path, "must be an object");
    for (const auto& [name, value] : object.items()) {
        const std::string where = path.empty() ? name : path + "." + name;
        auto it = handlers.find(name);
        if (it == handlers.end()) Fail(where, "is not a field of the request");
        it->second(value, where);
    }
}

template <std::size_t N>
auto Text(char16_t (&field)[N]) {
    return [&field](const json& v, const std::string& p) { ReadText(v, p, field); };
}
auto Int(std::int32_t& field) {
    return [&field](const json& v, const std::string& p) { field = ReadInt(v, p); };
}
auto Double(double& field) {
    return [&field](const json& v, const std::string& p) { field = ReadDouble(v, p); };
}

void ReadPlace(const json& value, const std::string& path, PlaceRecord& place) {
    ReadObject(value, path,
               {{"x", Double(place.x)}, {"y", Double(place.y)}, {"name", Text(place.name)},
                {"fullText", Text(place.fullText)}});
}
auto Place(PlaceRecord& place) {
    return [&place](const json& v, const std::string& p) { ReadPlace(v, p, place); };
}

void ReadOrder(const json& value, const std::string& path, OrderRecord& o) {
    ReadObject(value, path,
               {{"adapterKind", Int(o.adapterKind)},
                {"oleaccLoaded", Int(o.oleaccLoaded)},
                {"consignment", Int(o.consignment)},
                {"payType", Int(o.payType)},
                {"fare", Text(o.fare)},
                {"cashAmount", Text(o.cashAmount)},
                {"postpaidAmount", Text(o.postpaidAmount)},
                {"cardAmount", Text(o.cardAmount)},
                {"mileageAmount", Text(o.mileageAmount)},
                {"branchName", Text(o.branchName)},
                {"branchNumber", Text(o.branchNumber)},
                {"customerPhone", Text(o.customerPhone)},
                {"customerPhone2", Text(o.customerPhone2)},
                {"driverMemo", Text(o.driverMemo)},
                {"memo2", Text(o.memo2)},
                {"origin", Place(o.origin)},
                {"destination", Place(o.destination)},
                {"via",
                 [&o](const json& v, const std::string& p) {
                     if (!v.is_array()) Fail(p, "must be an array of at most 3 places");
                     if (v.size() > 3) Fail(p, "holds " + std::to_string(v.size()) + " places; at most 3");
                     for (std::size_t i = 0; i < v.size(); ++i)
                         ReadPlace(v[i], p + "[" + std::to_string(i) + "]", o.via[i]);
                 }}});
}

std::string Utf8(std::u16string_view text) { return Utf16ToUtf8(text); }

ordered_json DescribePlace(const PlaceRecord& place) {
    ordered_json j;
    j["x"] = place.x;
    j["y"] = place.y;
    j["name"] = Utf8(ReadField(place.name));
    j["fullText"] = Utf8(ReadField(place.fullText));
    return j;
}

}  // namespace

void ParseRequest(const std::string& jsonText, RequestBlock& block) {
    std::memset(&block, 0, sizeof block);
    json request;
    try {
        request = json::parse(jsonText);
    } catch (const json::parse_error& e) {
        throw RequestError(std::string("the request is not valid JSON: ") + e.what());
    }
    ReadObject(request, "",
               {{"mode", Int(block.mode)},
                {"requireBranch", Int(block.requireBranch)},
                {"finishAction", Int(block.finishAction)},
                {"speed", Int(block.speed)},
                {"readScript", Text(block.readScript)},
                {"pointScript", Text(block.pointScript)},
                {"status", Int(block.status)},
                {"message", Text(block.message)},
                {"order", [&block](const json& v, const std::string& p) { ReadOrder(v, p, block.order); }}});
}

ordered_json DescribeAnswer(const RequestBlock& block, int requestAdapterKind) {
    const OrderRecord& o = block.order;
    ordered_json order;
    order["adapterKind"] = o.adapterKind;
    order["oleaccLoaded"] = o.oleaccLoaded;
    order["consignment"] = o.consignment;
    order["payType"] = o.payType;
    order["fare"] = Utf8(ReadField(o.fare));
    order["cashAmount"] = Utf8(ReadField(o.cashAmount));
    order["postpaidAmount"] = Utf8(ReadField(o.postpaidAmount));
    order["cardAmount"] = Utf8(ReadField(o.cardAmount));
    order["mileageAmount"] = Utf8(ReadField(o.mileageAmount));
    order["branchName"] = Utf8(ReadField(o.branchName));
    order["branchNumber"] = Utf8(ReadField(o.branchNumber));
    order["customerPhone"] = Utf8(ReadField(o.customerPhone));
    order["customerPhone2"] = Utf8(ReadField(o.customerPhone2));
    order["driverMemo"] = Utf8(ReadField(o.driverMemo));
    order["memo2"] = Utf8(ReadField(o.memo2));
    order["origin"] = DescribePlace(o.origin);
    order["destination"] = DescribePlace(o.destination);
    order["via"] = ordered_json::array();
    for (const PlaceRecord& v : o.via) order["via"].push_back(DescribePlace(v));

    ordered_json answer;
    answer["status"] = block.status;
    answer["result"] = block.result;
    const ResultCodeInfo* info = FindResultCode(requestAdapterKind, block.result);
    answer["resultName"] = info ? info->name : "Unknown";
    answer["resultMeaning"] = info ? info->meaning : "A code this caller's catalogue does not know.";
    answer["message"] = Utf8(ReadField(block.message));
    answer["order"] = std::move(order);
    return answer;
}

}  // namespace qm::call
