#include "sim/logid2/options.h"

namespace qm::sim::logid2 {
namespace {

// A decimal number of at most nine digits.
std::optional<std::uint32_t> ReadCount(const std::u16string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    std::uint32_t value = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - u'0');
    }
    return value;
}

std::u16string Digits(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text)
        if (c >= u'0' && c <= u'9') out.push_back(c);
    return out;
}

}  // namespace

ParseResult ParseOptions(const std::vector<std::u16string>& args) {
    ParseResult r;
    auto fail = [&r](const std::u16string& text) {
        r.error = text;
        return r;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::u16string& a = args[i];
        auto value = [&](std::u16string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        auto count = [&](std::uint32_t& out) {
            std::u16string text;
            if (!value(text)) return false;
            auto n = ReadCount(text);
            if (!n) return false;
            out = *n;
            return true;
        };
        if (a == u"--help" || a == u"-h" || a == u"/?") {
            r.help = true;
        } else if (a == u"--omit") {
            std::u16string text;
            if (!value(text)) return fail(u"--omit needs a window text or class");
            r.options.omit.push_back(text);
        } else if (a == u"--alt-cancel") {
            r.options.altCancel = true;
        } else if (a == u"--entry-delay") {
            if (!count(r.options.entryDelayMs)) return fail(u"--entry-delay needs milliseconds");
        } else if (a == u"--customer-delay") {
            if (!count(r.options.customerDelayMs)) return fail(u"--customer-delay needs milliseconds");
        } else if (a == u"--branch-delay") {
            if (!count(r.options.branchDelayMs)) return fail(u"--branch-delay needs milliseconds");
        } else if (a == u"--popup-delay") {
            if (!count(r.options.popupDelayMs)) return fail(u"--popup-delay needs milliseconds");
        } else if (a == u"--branch") {
            std::u16string text;
            if (!value(text)) return fail(u"--branch needs NUMBER=NAME");
            const auto eq = text.find(u'=');
            if (eq == std::u16string::npos || eq + 1 >= text.size() || Digits(text.substr(0, eq)).empty())
                return fail(u"--branch needs NUMBER=NAME");
            r.options.extraBranches.push_back({Digits(text.substr(0, eq)), text.substr(eq + 1)});
        } else if (a == u"--refuse-mileage") {
            r.options.refuseMileage = true;
        } else if (a == u"--unregistered") {
            r.options.unregistered = true;
        } else if (a == u"--consign-checked") {
            r.options.consignChecked = true;
        } else if (a == u"--consign-locked") {
            r.options.consignLocked = true;
        } else if (a == u"--plain-amounts") {
            r.options.groupAmounts = false;
        } else if (a == u"--amount-suffix") {
            if (!value(r.options.amountSuffix)) return fail(u"--amount-suffix needs a text");
        } else if (a == u"--hang-after-command") {
            std::uint32_t id = 0;
            if (!count(id) || id > 0xFFFF) return fail(u"--hang-after-command needs a command id (0-65535)");
            r.options.hangAfterCommand = static_cast<int>(id);
        } else if (a == u"--hang-ms") {
            if (!count(r.options.hangMs)) return fail(u"--hang-ms needs milliseconds");
        } else if (a == u"--orders-file") {
            if (!value(r.options.ordersFile) || r.options.ordersFile.empty())
                return fail(u"--orders-file needs a path");
        } else if (a == u"--open-order") {
            if (!value(r.options.openOrderFile) || r.options.openOrderFile.empty())
                return fail(u"--open-order needs a path");
        } else {
            return fail(u"unknown option: " + a);
        }
    }
    return r;
}

std::u16string HelpText() {
    return u"logid2-sim: a substitute for the LogiD2 dispatch program, for trying and testing\n"
           u"the order-entry robot without the vendor's program.\n"
           u"\n"
           u"Options:\n"
           u"  --orders-file PATH       write the stored orders as JSON to PATH on every change\n"
           u"  --open-order PATH        load one order (JSON, as in the orders file) at start,\n"
           u"                           keep it as held and show it in a \"수   정(&E)\" window\n"
           u"  --omit TEXT              never create windows whose text or class is TEXT (and\n"
           u"                           their children); repeatable. E.g. --omit 취소\n"
           u"  --alt-cancel             the entry window's cancel button reads \"취   소(&X)\"\n"
           u"  --entry-delay MS         the entry window appears MS after \"접  수(&N)\" (0)\n"
           u"  --customer-delay MS      customer display filled MS after Enter (300)\n"
           u"  --branch-delay MS        branch display filled MS after Enter (0)\n"
           u"  --popup-delay MS         place popup MS after the last change of a place box (300)\n"
           u"  --branch NUMBER=NAME     add a branch to the branch table\n"
           u"  --refuse-mileage         refuse mileage even after a customer search\n"
           u"  --unregistered           the company is unregistered: register, hold and inquiry\n"
           u"                           show \"미등록 업체입니다\" and save nothing\n"
           u"  --consign-checked        new entry windows start with \"탁송\" checked\n"
           u"  --consign-locked         the \"탁송\" check box ignores clicks\n"
           u"  --plain-amounts          amounts are not regrouped with thousands commas\n"
           u"  --amount-suffix TEXT     amounts are shown with TEXT after the digits (e.g. 원)\n"
           u"  --hang-after-command ID  stop answering after handling WM_COMMAND with this id\n"
           u"  --hang-ms MS             how long the program stays hung (600000)\n"
           u"  --help                   this text\n"
           u"\n"
           u"Commands at the main window (WM_COMMAND, low word):\n"
           u"  0x7001                   write the orders file now\n"
           u"  0x7002                   stop answering for --hang-ms\n"
           u"  0x7100 + k               open stored order k (0-based) for modifying\n"
           u"  3826 at an entry window  open its \"지도보기\" map dialog\n"
           u"\n"
           u"Map page functions (\"지도보기\"):\n"
           u"  setCenter(lat, lng)      move the map centre; true for two finite numbers\n"
           u"  getCenter()              the centre as \"lat,lng\"\n"
           u"  lat is the order's x, lng its y: a point script such as \"setCenter(%f, %f)\"\n"
           u"  places the centre, and \"출발지를 현위치로\" / \"도착지를 현위치로\" store it.\n"
           u"  The page's address carries strSPosX/strSPosY, strDPosX/strDPosY and\n"
           u"  strV1PosX..strV3PosY of the points with a position: X = lng, Y = lat.\n";
}

}  // namespace qm::sim::logid2
