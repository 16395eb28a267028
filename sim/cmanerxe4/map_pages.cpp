#include "sim/cmanerxe4/map_pages.h"

#include <cmath>

#include "sim/kit/text.h"

namespace qm::sim::cmanerxe4 {
namespace {

using kit::NumberText;

// The script without blanks and without one final ";".
std::u16string Compact(const std::u16string& script) {
    std::u16string out;
    for (char16_t c : script)
        if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') out.push_back(c);
    if (!out.empty() && out.back() == u';') out.pop_back();
    return out;
}

bool IsWrappedViaCall(const std::u16string& s) {
    // function NAME(){returnviamarker.getPosition().toString();}NAME()
    const std::u16string head = u"function";
    const std::u16string body = u"(){returnviamarker.getPosition().toString();}";
    if (s.compare(0, head.size(), head) != 0) return false;
    const auto open = s.find(u'(', head.size());
    if (open == std::u16string::npos || open == head.size()) return false;
    const std::u16string name = s.substr(head.size(), open - head.size());
    return s.compare(open, body.size(), body) == 0 && s.substr(open + body.size()) == name + u"()";
}

ScriptValue Text(const std::u16string& text) { return ScriptValue{text, std::nullopt}; }
ScriptValue Number(double d) { return ScriptValue{NumberText(d), d != 0 && !std::isnan(d)}; }

const char16_t kLatLng[] =
    u"function LatLng(lat, lng) { this.lat = lat; this.lng = lng; }\n";

}  // namespace

std::u16string PositionText(kit::GeoPoint p, bool named) {
    if (named) return u"lat:" + NumberText(p.lat) + u", lng:" + NumberText(p.lng);
    return u"(" + NumberText(p.lat) + u", " + NumberText(p.lng) + u")";
}

std::u16string ConsultPageScript(kit::GeoPoint place) {
    std::u16string s = u"var placeLat = " + NumberText(place.lat) + u";\n";
    s += u"var placeLng = " + NumberText(place.lng) + u";\n";
    s += u"function getCenter() { return \"(\" + placeLat + \", \" + placeLng + \")\"; }\n";
    s += u"function getLat() { return placeLat; }\n";
    s += u"function getLng() { return placeLng; }\n";
    return s;
}

std::u16string ViaPageScript(kit::GeoPoint point, bool named) {
    std::u16string s = kLatLng;
    if (named)
        s += u"LatLng.prototype.toString = function () { return \"lat:\" + this.lat + \", lng:\" + this.lng; };\n";
    else
        s += u"LatLng.prototype.toString = function () { return \"(\" + this.lat + \", \" + this.lng + \")\"; };\n";
    s += u"var viamarker = { position: new LatLng(" + NumberText(point.lat) + u", " + NumberText(point.lng) +
         u"),\n  getPosition: function () { return this.position; } };\n";
    return s;
}

ScriptValue PageInterpreter::Evaluate(const std::u16string& script) const {
    const std::u16string s = Compact(script);
    if (kind_ == Kind::Consult) {
        if (s == u"getCenter()") return Text(PositionText(point_, false));
        if (s == u"getLat()") return Number(point_.lat);
        if (s == u"getLng()") return Number(point_.lng);
    } else if (s == u"viamarker.getPosition().toString()" || IsWrappedViaCall(s)) {
        return Text(PositionText(point_, named_));
    }
    return ScriptValue{std::u16string(), false};
}

}  // namespace qm::sim::cmanerxe4
