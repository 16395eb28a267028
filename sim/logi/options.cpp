#include "sim/logi/options.h"

#include "sim/kit/text.h"

namespace qm::sim::logi {

void AddDelays(kit::OptionParser& p, Options& o, const std::u16string& reception) {
    p.Delay(u"--entry-delay", u"the entry window appears MS after \"" + reception + u"\"", o.entryDelayMs);
    p.Delay(u"--customer-delay", u"customer display filled MS after Enter", o.customerDelayMs);
    p.Delay(u"--branch-delay", u"branch display filled MS after Enter", o.branchDelayMs);
}

void AddBranch(kit::OptionParser& p, Options& o) {
    p.Value(u"--branch", u"NUMBER=NAME", u"add a branch to the branch table", [&o](const std::u16string& text) {
        const auto eq = text.find(u'=');
        if (eq == std::u16string::npos || eq + 1 >= text.size()) return false;
        const std::u16string digits = kit::Digits(text.substr(0, eq));
        if (digits.empty()) return false;
        o.extraBranches.push_back({digits, text.substr(eq + 1)});
        return true;
    });
}

void AddEntryOptions(kit::OptionParser& p, Options& o) {
    p.Flag(u"--consign-checked", u"new entry windows start with \"탁송\" checked", o.consignChecked);
    p.Flag(u"--consign-locked", u"the \"탁송\" check box ignores clicks", o.consignLocked);
    p.Flag(u"--plain-amounts", u"amounts are not regrouped with thousands commas", o.groupAmounts, false);
    p.Text(u"--amount-suffix", u"TEXT", u"amounts are shown with TEXT after the digits (e.g. 원)", o.amountSuffix);
}

std::u16string MapPageHelp(const std::u16string& heading) {
    return heading + u"\n"
                     u"  setCenter(lat, lng)      move the map centre; true for two finite numbers\n"
                     u"  getCenter()              the centre as \"lat,lng\"\n"
                     u"  lat is the order's x, lng its y: a point script such as \"setCenter(%f, %f)\"\n"
                     u"  places the centre, and \"출발지를 현위치로\" / \"도착지를 현위치로\" store it.\n"
                     u"  The page's address carries strSPosX/strSPosY, strDPosX/strDPosY and\n"
                     u"  strV1PosX..strV3PosY of the points with a position: X = lng, Y = lat.\n";
}

}  // namespace qm::sim::logi
