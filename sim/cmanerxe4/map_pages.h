// The pages of CManerXE4's two map windows.
//
// The consultation map "상담 지도" (origin and destination) shows one place:
//   getCenter()   the place's position as the text "(lat, lng)"
//   getLat()      its latitude (the order's x), a number
//   getLng()      its longitude (the order's y), a number
// The via map "cal" shows one via point through its via marker:
//   viamarker.getPosition()   the position, an object whose toString() is
//                             "(lat, lng)", or "lat:LAT, lng:LNG" when named
//
// On the Win32 host these are JScript (the *Script functions) and a caller's
// script runs for real. On the fake host Interpreter answers "eval" for these
// calls only, as a whole script (blanks and a final ";" aside), and for the via
// map's wrapped form "function f(){ return viamarker.getPosition().toString(); } f();";
// anything else is a script error: an empty result.
#pragma once

#include <string>

#include "platform/desktop.h"
#include "sim/kit/orders.h"

namespace qm::sim::cmanerxe4 {

std::u16string ConsultPageScript(kit::GeoPoint place);
std::u16string ViaPageScript(kit::GeoPoint point, bool named);

// The text of a position as the pages give it.
std::u16string PositionText(kit::GeoPoint point, bool named);

class PageInterpreter {
public:
    enum class Kind { Consult, Via };
    PageInterpreter(Kind kind, kit::GeoPoint point, bool named) : kind_(kind), point_(point), named_(named) {}
    ScriptValue Evaluate(const std::u16string& script) const;

private:
    Kind kind_;
    kit::GeoPoint point_;
    bool named_;
};

}  // namespace qm::sim::cmanerxe4
