#include "tools/quillmere-call/request_json.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <initializer_list>
#include <set>
#include <string_view>
#include <vector>

#include "core/result_codes.h"
#include "core/utf.h"

namespace qm::call {
namespace {

using nlohmann::json;
using nlohmann::ordered_json;

// A request is at most four levels deep (the request, order, via, a place);
// anything nested deeper is refused while it is read, before it is built.
constexpr std::size_t kMaxDepth = 8;
// How much of the JSON parser's own explanation a refusal quotes.
constexpr std::size_t kMaxDetail = 200;

// The text of a refusal goes to a terminal: control characters and bytes that
// are not UTF-8 (from a field name or from the JSON parser's "last read")
// are written as \xNN.
std::string Printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    bool plain = IsValidUtf8(text);
    for (std::size_t i = 0; plain && i < text.size(); ++i)
        plain = static_cast<unsigned char>(text[i]) >= 0x20 && text[i] != 0x7F;
    if (plain) return std::string(text);
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (n > 1 && (i + n > text.size() || !IsValidUtf8(text.substr(i, n)))) n = 0;
        if (n == 1 && (c < 0x20 || c == 0x7F)) n = 0;
        if (n == 0) {
            out += "\\x";
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0xF]);
            ++i;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

// The path of an object's member: "order.origin.x"; an empty name shows as "".
std::string Member(const std::string& path, const std::string& name) {
    const std::string shown = name.empty() ? "\"\"" : name;
    return path.empty() ? shown : path + "." + shown;
}

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
    throw RequestError(Printable((path.empty() ? std::string("the request") : path) + ": " + what));
}

// Reads the JSON text into a value as nlohmann's own parser does, and refuses
// what that parser would take silently or throw past its caller: a name that
// appears twice in one object (the parser keeps the last), a number too large
// for a double, nesting deeper than a request goes. Every refusal names where
// in the request it happened.
class StrictReader {
public:
    explicit StrictReader(json& root) : root_(root) {}

    bool null() { return Value(nullptr); }
    bool boolean(bool v) { return Value(v); }
    bool number_integer(json::number_integer_t v) { return Value(v); }
    bool number_unsigned(json::number_unsigned_t v) { return Value(v); }
    bool number_float(json::number_float_t v, const json::string_t&) { return Value(v); }
    bool string(json::string_t& v) { return Value(std::move(v)); }
    bool binary(json::binary_t& v) { return Value(json::binary(std::move(v))); }

    bool start_object(std::size_t) { return Open(json::object()); }
    bool key(json::string_t& name) {
        Frame& frame = frames_.back();
        if (!frame.names.insert(name).second) {
            error_ = Where(name) + ": appears twice in " + (frame.path.empty() ? "the request" : frame.path) +
                     "; each field may be given once";
            return false;
        }
        key_ = name;
        keyPending_ = true;
        return true;
    }
    bool end_object() { return Close(); }
    bool start_array(std::size_t) { return Open(json::array()); }
    bool end_array() { return Close(); }

    // nlohmann's own text says where: "parse error at line 1, column 23: ...".
    bool parse_error(std::size_t /*byte*/, const std::string& lastToken, const nlohmann::json::exception& e) {
        const std::string where = Current();
        if (e.id == 406) {
            error_ = (where.empty() ? "the request" : where) + ": the number " + lastToken +
                     " is outside the range of a double";
        } else {
            // nlohmann's text after its "[json.exception.parse_error.101] " tag.
            std::string detail = e.what();
            if (const std::size_t tag = detail.find("] "); tag != std::string::npos) detail.erase(0, tag + 2);
            // Its "last read" may be a whole long text: enough of it to see where.
            if (detail.size() > kMaxDetail) {
                std::size_t cut = kMaxDetail;
                while (cut > 0 && (static_cast<unsigned char>(detail[cut]) & 0xC0) == 0x80) --cut;
                detail.resize(cut);
                detail += "...";
            }
            error_ = (where.empty() ? "the request" : where) + ": not valid JSON: " + detail;
        }
        return false;
    }

    const std::string& Error() const { return error_; }

private:
    struct Frame {
        json* node;
        std::string path;
        std::set<std::string> names;
        std::size_t count = 0;
    };

    std::string Where(const std::string& name) const { return Member(frames_.back().path, name); }
    // Where the value being read belongs.
    std::string Current() const {
        if (frames_.empty()) return "";
        const Frame& frame = frames_.back();
        if (frame.node->is_array()) return frame.path + "[" + std::to_string(frame.count) + "]";
        return keyPending_ ? Where(key_) : frame.path;
    }

    json* Place(json&& value) {
        if (frames_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Frame& frame = frames_.back();
        ++frame.count;
        if (frame.node->is_array()) {
            frame.node->push_back(std::move(value));
            return &frame.node->back();
        }
        json& slot = (*frame.node)[key_];
        slot = std::move(value);
        keyPending_ = false;
        return &slot;
    }
    bool Value(json&& value) {
        Place(std::move(value));
        return true;
    }
    bool Open(json&& container) {
        const std::string path = Current();
        if (frames_.size() >= kMaxDepth) {
            error_ = (path.empty() ? "the request" : path) + ": is nested deeper than any field of a request";
            return false;
        }
        json* node = Place(std::move(container));
        frames_.push_back(Frame{node, path, {}, 0});
        return true;
    }
    bool Close() {
        frames_.pop_back();
        return true;
    }

    json& root_;
    std::vector<Frame> frames_;
    std::string key_;
    bool keyPending_ = false;
    std::string error_;
};

std::int32_t ReadInt(const json& value, const std::string& path) {
    if (value.is_number_float()) {
        // A literal too long for a 64-bit integer arrives as a double.
        const double v = value.get<double>();
        if (std::trunc(v) == v && (v < std::numeric_limits<std::int32_t>::min() ||
                                   v > std::numeric_limits<std::int32_t>::max()))
            Fail(path, "is out of range (a 32-bit signed number)");
        Fail(path, "must be a whole number, written without a fraction or an exponent");
    }
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
// The table lives on the caller's stack: no allocation per object read.
struct Handler {
    std::string_view name;
    std::function<void(const json&, const std::string&)> read;
};
void ReadObject(const json& object, const std::string& path, std::initializer_list<Handler> handlers) {
    if (!object.is_object()) Fail(path, "must be an object");
    for (const auto& [name, value] : object.items()) {
        const std::string where = Member(path, name);
        const Handler* found = nullptr;
        for (const Handler& h : handlers)
            if (h.name == name) found = &h;
        if (found == nullptr) Fail(where, "is not a field of the request");
        found->read(value, where);
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
    StrictReader reader(request);
    bool read = false;
    try {
        read = json::sax_parse(jsonText, &reader, json::input_format_t::json, true, false);
    } catch (const json::exception& e) {
        // The reader answers every error itself; nothing of nlohmann's may
        // reach the caller's caller as anything but a refusal.
        Fail("", std::string("cannot be read: ") + e.what());
    }
    if (!read) throw RequestError(Printable(reader.Error()));
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

std::string AnswerText(const ordered_json& answer) {
    return answer.dump(2, ' ', false, ordered_json::error_handler_t::replace);
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
