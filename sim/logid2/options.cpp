#include "sim/logid2/options.h"

namespace qm::sim::logid2 {

kit::OptionParser MakeParser(Options& o) {
    kit::OptionParser p(u"logid2-sim",
                        u"a substitute for the LogiD2 dispatch program, for trying and testing\n"
                        u"the order-entry robot without the vendor's program.");
    p.Common(o, u"load one order (JSON, as in the orders file) at start,\n"
                u"keep it as held and show it in a \"수   정(&E)\" window");
    p.Flag(u"--alt-cancel", u"the entry window's cancel button reads \"취   소(&X)\"", o.altCancel);
    logi::AddDelays(p, o, u"접  수(&N)");
    p.Delay(u"--popup-delay", u"place popup MS after the last change of a place box", o.popupDelayMs);
    logi::AddBranch(p, o);
    p.Flag(u"--refuse-mileage", u"refuse mileage even after a customer search", o.refuseMileage);
    p.Flag(u"--unregistered",
           u"the company is unregistered: register, hold and inquiry\nshow \"미등록 업체입니다\" and save nothing",
           o.unregistered);
    logi::AddEntryOptions(p, o);
    p.Command(u"3826 at an entry window", u"open its \"지도보기\" map dialog");
    p.Section(logi::MapPageHelp(u"Map page functions (\"지도보기\"):"));
    return p;
}

ParseResult ParseOptions(const std::vector<std::u16string>& args) { return kit::ParseWith(MakeParser, args); }

std::u16string HelpText() { return kit::HelpWith(MakeParser); }

}  // namespace qm::sim::logid2
