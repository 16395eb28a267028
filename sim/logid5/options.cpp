#include "sim/logid5/options.h"

#include "sim/kit/parse.h"

namespace qm::sim::logid5 {

kit::OptionParser MakeParser(Options& o) {
    kit::OptionParser p(u"logid5-sim",
                        u"a substitute for the LogiD5 dispatch program, for trying and testing\n"
                        u"the order-entry robot without the vendor's program.");
    p.Common(o, u"load one order (JSON, as in the orders file) at start,\n"
                u"keep it as held and show it in a \"수   정(&E)\" window");
    p.Flag(u"--plain-cancel", u"the entry window's cancel button reads \"취소\"", o.plainCancel);
    logi::AddDelays(p, o, u"접  수");
    logi::AddBranch(p, o);
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
    logi::AddEntryOptions(p, o);
    p.Section(logi::MapPageHelp(u"Map page functions (\"지도보기\", opened by \"출발지\" / \"도착지\"):"));
    return p;
}

std::u16string HelpText() { return kit::HelpWith(MakeParser); }

}  // namespace qm::sim::logid5
