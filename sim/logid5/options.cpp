#include "sim/logid5/options.h"

#include "sim/kit/text.h"

namespace qm::sim::logid5 {

kit::OptionParser MakeParser(Options& o) {
    kit::OptionParser p(u"logid5-sim",
                        u"a substitute for the LogiD5 dispatch program, for trying and testing\n"
                        u"the order-entry robot without the vendor's program.");
    p.Common(o, u"load one order (JSON, as in the orders file) at start,\n"
                u"keep it as held and show it in a \"수   정(&E)\" window");
    p.Flag(u"--plain-cancel", u"the entry window's cancel button reads \"취소\"", o.plainCancel);
    p.Delay(u"--entry-delay", u"the entry window appears MS after \"접  수\"", o.entryDelayMs);
    p.Delay(u"--customer-delay", u"customer display filled MS after Enter", o.customerDelayMs);
    p.Delay(u"--branch-delay", u"branch display filled MS after Enter", o.branchDelayMs);
    p.Value(u"--branch", u"NUMBER=NAME", u"add a branch to the branch table",
            [&o](const std::u16string& text) {
                const auto eq = text.find(u'=');
                if (eq == std::u16string::npos || eq + 1 >= text.size()) return false;
                const std::u16string digits = kit::Digits(text.substr(0, eq));
                if (digits.empty()) return false;
                o.extraBranches.push_back({digits, text.substr(eq + 1)});
                return true;
            });
    p.Flag(u"--double-branch-box", u"an unknown branch shows two \"지사를 선택하시기 바랍니다.\" boxes",
           o.doubleBranchBox);
    p.Flag(u"--refuse-mileage", u"the branch does not use mileage: a positive mileage is cleared\n"
                                u"and a box says \"마일리지를 사용하지 않는 지사입니다.\"",
           o.refuseMileage);
    p.Value(u"--unknown-place", u"NAME", u"a place search (Enter) for NAME finds nothing; repeatable",
            [&o](const std::u16string& text) {
                if (text.empty()) return false;
                o.unknownPlaces.push_back(text);
                return true;
            });
    p.Flag(u"--consign-checked", u"new entry windows start with \"탁송\" checked", o.consignChecked);
    p.Flag(u"--consign-locked", u"the \"탁송\" check box ignores clicks", o.consignLocked);
    p.Flag(u"--plain-amounts", u"amounts are not regrouped with thousands commas", o.groupAmounts, false);
    p.Text(u"--amount-suffix", u"TEXT", u"amounts are shown with TEXT after the digits (e.g. 원)", o.amountSuffix);
    p.Section(u"Map page functions (\"지도보기\", opened by \"출발지\" / \"도착지\"):\n"
              u"  setCenter(lat, lng)      move the map centre; true for two finite numbers\n"
              u"  getCenter()              the centre as \"lat,lng\"\n"
              u"  lat is the order's x, lng its y: a point script such as \"setCenter(%f, %f)\"\n"
              u"  places the centre, and \"출발지를 현위치로\" / \"도착지를 현위치로\" store it.\n"
              u"  The page's address carries strSPosX/strSPosY, strDPosX/strDPosY and\n"
              u"  strV1PosX..strV3PosY of the points with a position: X = lng, Y = lat.\n");
    return p;
}

std::u16string HelpText() {
    Options scratch;
    return MakeParser(scratch).Help();
}

}  // namespace qm::sim::logid5
