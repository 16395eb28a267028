#include "sim/cmanerxe4/options.h"

#include <charconv>

#include "sim/kit/parse.h"
#include "sim/kit/text.h"

namespace qm::sim::cmanerxe4 {
namespace {

// "NUMBER=NAME": the branch's digits and name.
bool TakeBranch(const std::u16string& text, std::vector<Branch>& out, bool mileageSetting) {
    const auto eq = text.find(u'=');
    if (eq == std::u16string::npos || eq + 1 >= text.size()) return false;
    const std::u16string digits = kit::Digits(text.substr(0, eq));
    if (digits.empty()) return false;
    out.push_back({digits, text.substr(eq + 1), mileageSetting});
    return true;
}

std::optional<double> Number(const std::u16string& text) {
    std::string ascii;
    for (char16_t c : text) {
        if (c > 0x7F) return std::nullopt;
        ascii.push_back(static_cast<char>(c));
    }
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (error != std::errc{} || end != ascii.data() + ascii.size()) return std::nullopt;
    return value;
}

// "NAME=LAT,LNG".
bool TakePlace(const std::u16string& text, std::vector<Place>& out) {
    const auto eq = text.rfind(u'=');
    if (eq == std::u16string::npos || eq == 0) return false;
    const std::u16string where = text.substr(eq + 1);
    const auto comma = where.find(u',');
    if (comma == std::u16string::npos) return false;
    const auto lat = Number(where.substr(0, comma));
    const auto lng = Number(where.substr(comma + 1));
    if (!lat || !lng) return false;
    const std::u16string name = text.substr(0, eq);
    out.push_back({name, {*lat, *lng}, name, u""});
    return true;
}

}  // namespace

kit::OptionParser MakeParser(Options& o) {
    kit::OptionParser p(u"cmanerxe4-sim",
                        u"a substitute for the CManerXE4 dispatch program, for trying and testing\n"
                        u"the order-entry robot without the vendor's program.");
    p.Common(o, u"load one order (JSON, as in the orders file) at start,\n"
                u"keep it as held and show it in a \"수정(F7)\" entry window");
    p.Value(u"--roman-caption", u"", u"the main window reads \"CALLMANER XE Ⅰ\" (U+2160)", [&o](const std::u16string&) {
        o.caption = Caption::Roman;
        return true;
    });
    p.Value(u"--letter-caption", u"", u"the main window reads \"CALLMANER XE I\" (the letter I)",
            [&o](const std::u16string&) {
                o.caption = Caption::Letter;
                return true;
            });
    p.Delay(u"--entry-delay", u"the entry window appears MS after \"접 수\"", o.entryDelayMs);
    p.Delay(u"--branch-delay", u"branch display filled MS after Enter", o.branchDelayMs);
    p.Delay(u"--notice-delay", u"the mileage notice MS after Enter on the mileage box", o.noticeDelayMs);
    p.Delay(u"--map-delay", u"a map window appears MS after its button or via box", o.mapDelayMs);
    p.Value(u"--branch", u"NUMBER=NAME", u"add a branch (with a mixed-payment mileage setting)",
            [&o](const std::u16string& v) { return TakeBranch(v, o.extraBranches, true); });
    p.Value(u"--no-mileage", u"NUMBER=NAME",
            u"add a branch without a mixed-payment mileage setting",
            [&o](const std::u16string& v) { return TakeBranch(v, o.extraBranches, false); });
    p.Value(u"--place", u"NAME=LAT,LNG", u"add a place to the place table",
            [&o](const std::u16string& v) { return TakePlace(v, o.extraPlaces); });
    p.Flag(u"--plain-amounts", u"amounts are not regrouped with thousands commas", o.groupAmounts, false);
    p.Flag(u"--named-via-position", u"the via marker's position reads \"lat:LAT, lng:LNG\"", o.namedViaPosition);
    p.Section(u"Consultation map page functions (\"상담 지도\", for a caller's readScript):\n"
              u"  getCenter()              the place's position as the text \"(lat, lng)\"\n"
              u"  getLat(), getLng()       its latitude (the order's x), its longitude (y)\n"
              u"  e.g. readScript \"getCenter()\" gives x = lat and y = lng.\n");
    p.Section(u"Via map page functions (\"cal\"):\n"
              u"  viamarker.getPosition()  the via point's position; its toString() is\n"
              u"                           \"(lat, lng)\" (\"lat:LAT, lng:LNG\" with --named-via-position)\n");
    return p;
}

std::u16string HelpText() { return kit::HelpWith(MakeParser); }

}  // namespace qm::sim::cmanerxe4
