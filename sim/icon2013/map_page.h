// The page of Icon2013's "지도검색" dialog: a map showing one place, and the
// two hooks through which a caller hands it a point for the origin or the
// destination, which the dialog's set buttons then write into the order window.
//
// Page functions (the same on both hosts):
//   onTMapRClick4OrdPoiStart(lat, lng)  keeps the point as the origin to set;
//                                       true for two finite numbers, else
//                                       false (nothing is kept)
//   onTMapRClick4OrdPoiEnd(lat, lng)    the same for the destination
//   getPosition()                       the place shown, as the text "lat,lng"
// and the program's own (not for callers):
//   showPlace(lat, lng)                 shows a place (a map button asked for it)
//   pendingStart(), pendingEnd()        the kept point as "lat,lng", or ""
// lat is the order's x and lng its y.
//
// On the Win32 host the functions are JScript (Source) and every caller's
// script runs for real. On the fake host Interpreter answers "eval" for these
// shapes only: statements separated by ";", each an assignment
// `[var] name = number`, a call of one of the functions above whose arguments
// are numbers or assigned names, a number, true or false; the value is the
// last statement's. Anything else is a script error: no effect and an empty
// result, as a failing script gives in a real page.
#pragma once

#include <optional>
#include <string>

#include "platform/desktop.h"
#include "sim/kit/orders.h"
#include "sim/logi/map_page.h"

namespace qm::sim::icon2013 {

using kit::GeoPoint;

// Seoul City Hall: what the map shows for a place without a position.
constexpr GeoPoint kDefaultCentre{37.5666805, 126.9784147};

inline constexpr char16_t kMapUrl[] = u"http://icon2013.map.invalid/tmap/ordermap.html";

// The JScript of the page, showing shown.
std::u16string MapPageScript(GeoPoint shown);

// The fake host's "eval" for the page, holding the page's state itself.
class MapPageInterpreter {
public:
    explicit MapPageInterpreter(GeoPoint shown) : shown_(shown) {}
    ScriptValue Evaluate(const std::u16string& script);

private:
    GeoPoint shown_;
    std::optional<GeoPoint> start_, end_;
};

// "lat,lng" read back (empty when it is not two numbers), and the shortest
// decimal text of a number: the same as the LogiD2 page's.
using logi::NumberText;
inline std::optional<GeoPoint> ParsePoint(const std::u16string& text) { return logi::ParseCentre(text); }

}  // namespace qm::sim::icon2013
