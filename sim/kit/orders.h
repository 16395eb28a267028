// The orders a substitute has stored, and their JSON.
//
// The orders file is {"orders": [ORDER, ...]} in UTF-8, written with two-space
// indentation and the keys of every object in alphabetical order. Each ORDER:
//   {"serial": 1, "status": "registered" | "held" | "inquiry" | ...,
//    "inquiryType": "일반문의", "branchNumber": "02-123-4567",
//    "branchDisplay": "로지본사 > 강남지사 (02-123-4567)",
//    "customerPhone": "010-1234-5678", "customerPhone2": "", "payType": "현금",
//    "fare": "12,000", "cashAmount": "", "postpaidAmount": "", "mileageAmount": "",
//    "cardAmount": "", "consignment": false, "driverMemo": "", "memo2": "",
//    "origin": {"text": "...", "x": 37.5, "y": 127.1}, "destination": {...},
//    "via": [{"text": "", "x": null, "y": null}, {...}, {...}]}
// plus, for a program that shows more than these, its own texts as further
// string members (StoredOrder::extra; none for LogiD2). Texts are what the
// program's boxes showed. x and y are the order's coordinates as the robot's
// records hold them (x = latitude, y = longitude); null when the place was
// never placed on a map.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qm::sim::kit {

struct GeoPoint {
    double lat = 0;  // the order's x
    double lng = 0;  // the order's y
    friend bool operator==(const GeoPoint&, const GeoPoint&) = default;
};

struct StoredPlace {
    std::u16string text;
    std::optional<GeoPoint> position;
    friend bool operator==(const StoredPlace&, const StoredPlace&) = default;
};

struct StoredOrder {
    int serial = 0;
    std::u16string status;
    std::u16string inquiryType;
    std::u16string branchNumber;
    std::u16string branchDisplay;
    std::u16string customerPhone;
    std::u16string customerPhone2;
    std::u16string payType;
    std::u16string fare;
    std::u16string cashAmount;
    std::u16string postpaidAmount;
    std::u16string mileageAmount;
    std::u16string cardAmount;
    bool consignment = false;
    std::u16string driverMemo;
    std::u16string memo2;
    StoredPlace origin;
    StoredPlace destination;
    std::array<StoredPlace, 3> via;
    // A program's own texts (e.g. a via point's detail box), by member name.
    // A name of the fields above is never taken from here.
    std::map<std::string, std::u16string> extra;
    friend bool operator==(const StoredOrder&, const StoredOrder&) = default;
};

std::string OrdersToJson(const std::vector<StoredOrder>& orders);
// One ORDER object (or an orders file, whose first order is taken); empty and
// a reason in error when the text is not such JSON.
std::optional<StoredOrder> OrderFromJson(const std::string& utf8, std::string& error);

// The orders of one program run: numbered, kept in order, and written whole to
// the orders file (when there is one) on every change.
class OrderBook {
public:
    explicit OrderBook(std::u16string ordersFile = {}) : file_(std::move(ordersFile)) {}

    const std::vector<StoredOrder>& Orders() const { return orders_; }
    std::string Json() const { return OrdersToJson(orders_); }
    // Adds an order as saved earlier: it keeps a positive serial (later ones
    // follow it) or gets the next; an empty status becomes defaultStatus. Its index.
    std::size_t Add(StoredOrder order, const std::u16string& defaultStatus = u"held");
    // Stores a new order under the next serial; its index.
    std::size_t Store(StoredOrder order);
    // Replaces order k, keeping its serial; false when there is no order k.
    bool Replace(std::size_t k, StoredOrder order);
    // Writes the orders file now; false without one or when it cannot be written.
    bool Write() const;

private:
    void Changed() const;
    std::u16string file_;
    std::vector<StoredOrder> orders_;
    int nextSerial_ = 1;
};

}  // namespace qm::sim::kit
