// The orders the LogiD2 substitute has registered, held or filed, and their JSON.
//
// The orders file is {"orders": [ORDER, ...]} in UTF-8, each ORDER:
//   {"serial": 1, "status": "registered" | "held" | "inquiry", "inquiryType": "일반문의",
//    "branchNumber": "02-123-4567", "branchDisplay": "로지본사 > 강남지사 (02-123-4567)",
//    "customerPhone": "010-1234-5678", "customerPhone2": "", "payType": "현금",
//    "fare": "12,000", "cashAmount": "", "postpaidAmount": "", "mileageAmount": "",
//    "cardAmount": "", "consignment": false, "driverMemo": "", "memo2": "",
//    "origin": {"text": "...", "x": 37.5, "y": 127.1}, "destination": {...},
//    "via": [{"text": "", "x": null, "y": null}, {...}, {...}]}
// Texts are what the entry window's boxes showed. x and y are the order's
// coordinates as the robot's records hold them (x = latitude = the map
// address's Y keys, y = longitude = its X keys); null when the place was
// never placed on the map.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "sim/logid2/map_page.h"

namespace qm::sim::logid2 {

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
    friend bool operator==(const StoredOrder&, const StoredOrder&) = default;
};

std::string OrdersToJson(const std::vector<StoredOrder>& orders);
// One ORDER object (or an orders file, whose first order is taken); empty and
// a reason in error when the text is not such JSON.
std::optional<StoredOrder> OrderFromJson(const std::string& utf8, std::string& error);

}  // namespace qm::sim::logid2

namespace qm::sim::logid2 {

// Whole-file text I/O for the orders file and --open-order. The orders file is
// written to a temporary file next to it and moved over it, so a reader never
// sees half a file.
bool WriteTextFile(const std::u16string& path, const std::string& content);
std::optional<std::string> ReadTextFile(const std::u16string& path);

}  // namespace qm::sim::logid2
