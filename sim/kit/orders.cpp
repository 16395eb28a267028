#include "sim/kit/orders.h"

#include <algorithm>
#include <set>

#include <nlohmann/json.hpp>

#include "core/utf.h"
#include "sim/kit/files.h"

namespace qm::sim::kit {
namespace {

using nlohmann::json;

// The members every order has; a program's extra texts never take these names.
const std::set<std::string>& KnownMembers() {
    static const std::set<std::string> known = {
        "serial", "status", "inquiryType", "branchNumber", "branchDisplay", "customerPhone", "customerPhone2",
        "payType", "fare", "cashAmount", "postpaidAmount", "mileageAmount", "cardAmount", "consignment",
        "driverMemo", "memo2", "origin", "destination", "via"};
    return known;
}

json PlaceJson(const StoredPlace& p) {
    json j;
    j["text"] = Utf16ToUtf8(p.text);
    if (p.position) {
        j["x"] = p.position->lat;
        j["y"] = p.position->lng;
    } else {
        j["x"] = nullptr;
        j["y"] = nullptr;
    }
    return j;
}

json OrderJson(const StoredOrder& o) {
    json j;
    for (const auto& [name, text] : o.extra)
        if (!KnownMembers().count(name)) j[name] = Utf16ToUtf8(text);
    j["serial"] = o.serial;
    j["status"] = Utf16ToUtf8(o.status);
    j["inquiryType"] = Utf16ToUtf8(o.inquiryType);
    j["branchNumber"] = Utf16ToUtf8(o.branchNumber);
    j["branchDisplay"] = Utf16ToUtf8(o.branchDisplay);
    j["customerPhone"] = Utf16ToUtf8(o.customerPhone);
    j["customerPhone2"] = Utf16ToUtf8(o.customerPhone2);
    j["payType"] = Utf16ToUtf8(o.payType);
    j["fare"] = Utf16ToUtf8(o.fare);
    j["cashAmount"] = Utf16ToUtf8(o.cashAmount);
    j["postpaidAmount"] = Utf16ToUtf8(o.postpaidAmount);
    j["mileageAmount"] = Utf16ToUtf8(o.mileageAmount);
    j["cardAmount"] = Utf16ToUtf8(o.cardAmount);
    j["consignment"] = o.consignment;
    j["driverMemo"] = Utf16ToUtf8(o.driverMemo);
    j["memo2"] = Utf16ToUtf8(o.memo2);
    j["origin"] = PlaceJson(o.origin);
    j["destination"] = PlaceJson(o.destination);
    j["via"] = json::array({PlaceJson(o.via[0]), PlaceJson(o.via[1]), PlaceJson(o.via[2])});
    return j;
}

// Reads key of object j into out when present; false when present with the wrong type.
bool ReadText(const json& j, const char* key, std::u16string& out) {
    auto it = j.find(key);
    if (it == j.end() || it->is_null()) return true;
    if (!it->is_string()) return false;
    out = Utf8ToUtf16(it->get<std::string>());
    return true;
}

bool ReadPlace(const json& p, StoredPlace& out) {
    if (p.is_null()) return true;
    if (!p.is_object()) return false;
    if (!ReadText(p, "text", out.text)) return false;
    auto x = p.find("x");
    auto y = p.find("y");
    const bool hasX = x != p.end() && !x->is_null();
    const bool hasY = y != p.end() && !y->is_null();
    if (hasX != hasY) return false;
    if (hasX) {
        if (!x->is_number() || !y->is_number()) return false;
        out.position = GeoPoint{x->get<double>(), y->get<double>()};
    }
    return true;
}

bool ReadPlace(const json& j, const char* key, StoredPlace& out) {
    auto it = j.find(key);
    return it == j.end() || ReadPlace(*it, out);
}

}  // namespace

std::string OrdersToJson(const std::vector<StoredOrder>& orders) {
    json list = json::array();
    for (const StoredOrder& o : orders) list.push_back(OrderJson(o));
    json root;
    root["orders"] = list;
    return root.dump(2) + "\n";
}

std::optional<StoredOrder> OrderFromJson(const std::string& utf8, std::string& error) {
    if (!IsValidUtf8(utf8)) {
        error = "the text is not UTF-8";
        return std::nullopt;
    }
    json root = json::parse(utf8, nullptr, false);
    if (root.is_discarded()) {
        error = "the text is not JSON";
        return std::nullopt;
    }
    const json* j = &root;
    if (root.is_object() && root.contains("orders")) {
        const json& list = root["orders"];
        if (!list.is_array() || list.empty()) {
            error = "\"orders\" holds no order";
            return std::nullopt;
        }
        j = &list[0];
    }
    if (!j->is_object()) {
        error = "an order must be a JSON object";
        return std::nullopt;
    }
    StoredOrder o;
    bool ok = ReadText(*j, "status", o.status) && ReadText(*j, "inquiryType", o.inquiryType) &&
              ReadText(*j, "branchNumber", o.branchNumber) && ReadText(*j, "branchDisplay", o.branchDisplay) &&
              ReadText(*j, "customerPhone", o.customerPhone) && ReadText(*j, "customerPhone2", o.customerPhone2) &&
              ReadText(*j, "payType", o.payType) && ReadText(*j, "fare", o.fare) &&
              ReadText(*j, "cashAmount", o.cashAmount) && ReadText(*j, "postpaidAmount", o.postpaidAmount) &&
              ReadText(*j, "mileageAmount", o.mileageAmount) && ReadText(*j, "cardAmount", o.cardAmount) &&
              ReadText(*j, "driverMemo", o.driverMemo) && ReadText(*j, "memo2", o.memo2) &&
              ReadPlace(*j, "origin", o.origin) && ReadPlace(*j, "destination", o.destination);
    if (ok) {
        if (auto it = j->find("consignment"); it != j->end() && !it->is_null()) {
            if (it->is_boolean()) o.consignment = it->get<bool>();
            else if (it->is_number_integer()) o.consignment = it->get<long long>() != 0;
            else ok = false;
        }
    }
    if (ok) {
        if (auto it = j->find("via"); it != j->end() && !it->is_null()) {
            if (!it->is_array() || it->size() > 3) {
                ok = false;
            } else {
                for (std::size_t k = 0; k < it->size() && ok; ++k) ok = ReadPlace((*it)[k], o.via[k]);
            }
        }
    }
    if (ok) {
        if (auto it = j->find("serial"); it != j->end() && it->is_number_integer()) o.serial = it->get<int>();
        // Further texts are the program's own.
        for (auto it = j->begin(); it != j->end(); ++it) {
            if (!KnownMembers().count(it.key()) && it->is_string())
                o.extra[it.key()] = Utf8ToUtf16(it->get<std::string>());
        }
    }
    if (!ok) {
        error = "an order field has the wrong type";
        return std::nullopt;
    }
    return o;
}

std::size_t OrderBook::Add(StoredOrder order, const std::u16string& defaultStatus) {
    if (order.serial <= 0) order.serial = nextSerial_;
    nextSerial_ = std::max(nextSerial_, order.serial + 1);
    if (order.status.empty()) order.status = defaultStatus;
    orders_.push_back(std::move(order));
    Changed();
    return orders_.size() - 1;
}

std::size_t OrderBook::Store(StoredOrder order) {
    order.serial = nextSerial_++;
    orders_.push_back(std::move(order));
    Changed();
    return orders_.size() - 1;
}

bool OrderBook::Replace(std::size_t k, StoredOrder order) {
    if (k >= orders_.size()) return false;
    order.serial = orders_[k].serial;
    orders_[k] = std::move(order);
    Changed();
    return true;
}

bool OrderBook::Write() const {
    if (file_.empty()) return false;
    return WriteTextFile(file_, Json());
}

void OrderBook::Changed() const {
    if (!file_.empty()) Write();
}

}  // namespace qm::sim::kit
