#include "adapters/logi/logi_map_dialog.h"

#include <array>

#include "callport/text.h"
#include "callport/windows.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm {
namespace {

enum class Coordinate { X, Y };

struct UrlKey {
    std::u16string_view key;
    int place;  // 0 origin, 1 destination, 2..4 via points
    Coordinate field;
};

// The page's X keys carry the order's y, its Y keys the order's x.
constexpr std::array<UrlKey, 10> kUrlKeys{{
    {u"strSPosX=", 0, Coordinate::Y},
    {u"strSPosY=", 0, Coordinate::X},
    {u"strDPosX=", 1, Coordinate::Y},
    {u"strDPosY=", 1, Coordinate::X},
    {u"strV1PosX=", 2, Coordinate::Y},
    {u"strV1PosY=", 2, Coordinate::X},
    {u"strV2PosX=", 3, Coordinate::Y},
    {u"strV2PosY=", 3, Coordinate::X},
    {u"strV3PosX=", 4, Coordinate::Y},
    {u"strV3PosY=", 4, Coordinate::X},
}};

}  // namespace

int ParseMapUrlPositions(std::u16string_view url, const MapPlaces& places) {
    const std::size_t mark = url.find(u'?');
    if (url.empty() || mark == std::u16string_view::npos || mark == 0) return result::logi::kMapUrlWithoutQuery;
    const std::u16string_view query = url.substr(mark + 1);

    PlaceRecord* const targets[5] = {places.origin, places.destination, places.via[0], places.via[1],
                                     places.via[2]};
    std::array<bool, kUrlKeys.size()> used{};
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find(u'&', start);
        if (end == std::u16string_view::npos) end = query.size();
        const std::u16string_view token = query.substr(start, end - start);
        start = end + 1;
        if (token.empty()) continue;
        for (std::size_t k = 0; k < kUrlKeys.size(); ++k) {
            if (used[k] || token.substr(0, kUrlKeys[k].key.size()) != kUrlKeys[k].key) continue;
            used[k] = true;
            PlaceRecord* place = targets[kUrlKeys[k].place];
            if (place != nullptr) {
                const double value = LeadingDouble(token.substr(kUrlKeys[k].key.size()));
                (kUrlKeys[k].field == Coordinate::X ? place->x : place->y) = value;
            }
            break;
        }
    }
    for (std::size_t k = 0; k < 4; ++k)
        if (!used[k]) return result::logi::kMapUrlMissingPosition;
    return result::kSuccess;
}

int CLogiMapDialog::FindMapDialog(MapDialogHandles& out) {
    return qm::FindMapDialog(desktop_, profile_, kLogiMapDialogTexts, out);
}

int CLogiMapDialog::SetMapPosition(Module oleacc, const char16_t* pointScript, const PlaceRecord& place,
                                   Hwnd mapDialog, Hwnd browser, Hwnd setButton, Hwnd placeBox, Hwnd mapButton) {
    {
        std::shared_ptr<PageDocument> document;
        int code = port_.GetMapDocument(oleacc, mapDialog, browser, document);
        if (code != result::kSuccess) return code;
        if (!document) return result::kNoDocument;
        ScriptInputs inputs;
        inputs.x = place.x;
        inputs.y = place.y;
        code = port_.RunPlacementScript(*document, pointScript, 256, ScriptArguments::TwoDoubles, inputs);
        if (code != result::kSuccess) return code;
    }  // every page object is let go here, before LogiD is asked to act

    auto pause = [&](std::int32_t ms) {
        if (ms > 0) desktop_.Sleep(static_cast<std::uint32_t>(ms));
    };
    pause(profile_.mapSettle);
    SendCommandToParent(desktop_, setButton);
    pause(profile_.shortSettle);
    for (int i = 0; i < 2; ++i) {
        SendCommandToParent(desktop_, mapButton);
        pause(profile_.shortSettle);
    }
    enterPlaceText_(placeBox, std::u16string(ReadField(place.fullText)));
    return result::kSuccess;
}

int CLogiMapDialog::ReadMapUrlPositions(Module oleacc, Hwnd mapDialog, Hwnd browser, PlaceRecord* origin,
                                        PlaceRecord* destination, PlaceRecord* via1, PlaceRecord* via2,
                                        PlaceRecord* via3) {
    std::shared_ptr<PageDocument> document;
    const int code = port_.GetMapDocument(oleacc, mapDialog, browser, document);
    if (code != result::kSuccess) return code;
    if (!document) return result::kNoDocument;
    if (!document->GetParentWindow()) return result::kNoParentWindow;
    const std::optional<std::u16string> url = document->GetUrl();
    if (!url) return result::logi::kMapUrlUnreadable;
    MapPlaces places;
    places.origin = origin;
    places.destination = destination;
    places.via[0] = via1;
    places.via[1] = via2;
    places.via[2] = via3;
    return ParseMapUrlPositions(*url, places);
}

}  // namespace qm
