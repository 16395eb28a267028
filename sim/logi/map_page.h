// The page of the Logi programs' "지도보기" dialog (LogiD2 and LogiD5): a map with a centre, and an address
// whose query names the points of the order it shows.
//
// Page functions (the same on both hosts):
//   setCenter(lat, lng)  moves the map centre; true when both are finite
//                        numbers, else false (and the centre stays)
//   getCenter()          the centre as the text "lat,lng"
// lat is the order's x and lng its y: a caller's point script formatted with
// (x, y), e.g. "setCenter(%f, %f)", moves the centre onto the place.
//
// The address: http://<site>/map.asp? (site: logid2.map.invalid, logid5.map.invalid)
// followed by strSPosX=..&strSPosY=..&
// strDPosX=..&strDPosY=..&strV1PosX=..&strV1PosY=.. (via points 1 to 3 as
// they exist). The X keys hold the longitude (the order's y), the Y keys the
// latitude (the order's x). A point without a position is left out; with no
// point at all the query is "level=8".
//
// On the Win32 host the functions are JScript (Source) and every caller's
// script runs for real. On the fake host Interpreter answers "eval" for these
// shapes only: a sequence of statements separated by ";", each one of
// setCenter(number, number), getCenter(), a number, true or false; the value
// is the last statement's. Anything else is a script error: no effect and an
// empty result, as a failing script gives in a real page.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/desktop.h"
#include "sim/kit/orders.h"
#include "sim/kit/text.h"

namespace qm::sim::logi {

using kit::GeoPoint;

// Seoul City Hall: where the map starts when the order has no origin yet.
constexpr GeoPoint kDefaultCentre{37.5666805, 126.9784147};

// The JScript of the page, starting at centre.
std::u16string MapPageScript(GeoPoint centre);

// The fake host's "eval" for the page, holding the centre itself.
class MapPageInterpreter {
public:
    explicit MapPageInterpreter(GeoPoint centre) : centre_(centre) {}
    ScriptValue Evaluate(const std::u16string& script);
    GeoPoint Centre() const { return centre_; }

private:
    GeoPoint centre_;
};

// "lat,lng" (the answer of getCenter()) read back; empty when it is not two numbers.
std::optional<GeoPoint> ParseCentre(const std::u16string& text);

// The shortest decimal text that reads back as the same double.
using kit::NumberText;

struct MapPoints {
    std::optional<GeoPoint> origin;
    std::optional<GeoPoint> destination;
    std::array<std::optional<GeoPoint>, 3> via;
};
std::u16string MapPageUrl(const MapPoints& points, std::u16string_view site = u"logid2.map.invalid");

}  // namespace qm::sim::logi
