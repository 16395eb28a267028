#include "sim/icon2013/options.h"

#include "sim/kit/text.h"

namespace qm::sim::icon2013 {

kit::OptionParser MakeParser(Options& o) {
    kit::OptionParser p(u"icon2013-sim",
                        u"a substitute for the Icon2013 dispatch program, for trying and testing\n"
                        u"the order-entry robot without the vendor's program.");
    p.Common(o, u"load one order (JSON, as in the orders file) at start,\n"
                u"keep it as held and show it in a \"수정(E)\" order window");
    p.Flag(u"--alt-buttons", u"hold and inquiry read \"추가대기(T)\" and \"추가문의(Q)\"", o.altButtons);
    p.Flag(u"--public-number", u"a customer search shows \"공개번호\" as the second telephone", o.publicNumber);
    p.Flag(u"--ignore-close", u"order windows ignore \"닫기(X)\" and closing from their frame", o.ignoreClose);
    p.Delay(u"--order-delay", u"the order window appears MS after \"접수\"", o.orderDelayMs);
    p.Delay(u"--customer-delay", u"the telephone box is filled MS after Enter", o.customerDelayMs);
    p.Delay(u"--map-delay", u"\"지도검색\" appears MS after the first map button", o.mapDelayMs);
    p.Value(u"--branch", u"NAME=NUMBER", u"add a branch to the branch combo",
            [&o](const std::u16string& text) {
                const auto eq = text.find(u'=');
                if (eq == std::u16string::npos || eq == 0 || eq + 1 >= text.size()) return false;
                if (kit::Digits(text.substr(eq + 1)).empty()) return false;
                o.extraBranches.push_back({text.substr(0, eq), text.substr(eq + 1)});
                return true;
            });
    p.Value(u"--branch-item", u"TEXT", u"add TEXT as it is to the branch combo",
            [&o](const std::u16string& text) {
                o.extraBranchItems.push_back(text);
                return !text.empty();
            });
    p.Value(u"--pay-item", u"TEXT", u"add TEXT to the payment combo, after its four items",
            [&o](const std::u16string& text) {
                o.extraPayItems.push_back(text);
                return !text.empty();
            });
    p.Section(u"Map page functions (\"지도검색\"):\n"
              u"  onTMapRClick4OrdPoiStart(lat, lng)  take the point as the origin; true for two\n"
              u"                           finite numbers. \"출발지 설정\" then writes it into the\n"
              u"                           order window.\n"
              u"  onTMapRClick4OrdPoiEnd(lat, lng)    the same for the destination (\"도착지 설정\")\n"
              u"  getPosition()            the position of the place whose map button opened the\n"
              u"                           map, as \"lat,lng\"\n"
              u"  lat is the order's x, lng its y: a point script such as\n"
              u"  \"lat = %f; lng = %f; %s(lat, lng)\" and a read script \"getPosition()\" work.\n");
    return p;
}

ParseResult ParseOptions(const std::vector<std::u16string>& args) { return kit::ParseWith(MakeParser, args); }

std::u16string HelpText() { return kit::HelpWith(MakeParser); }

}  // namespace qm::sim::icon2013
