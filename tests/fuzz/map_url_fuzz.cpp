// The query of the Logi map page's address, read into the five places. The
// robot's reading is compared with one made here from the rule: the query
// after the first "?", tokens between "&" (wcstok), the first token starting
// with each key, its value read by wcstod.
#include <cstdint>
#include <cstring>
#include <string>

#include "adapters/logi/logi_map_dialog.h"
#include "core/result_codes.h"
#include "tests/fuzz/fuzz_support.h"

namespace qm::fuzz {
namespace {

// Keys in the page's words; the place's x is its Y key, its y its X key.
struct Key {
    const wchar_t* key;
    int place;
    bool isX;
};
constexpr Key kKeys[] = {
    {L"strSPosY=", 0, true},  {L"strSPosX=", 0, false}, {L"strDPosY=", 1, true},  {L"strDPosX=", 1, false},
    {L"strV1PosY=", 2, true}, {L"strV1PosX=", 2, false}, {L"strV2PosY=", 3, true}, {L"strV2PosX=", 3, false},
    {L"strV3PosY=", 4, true}, {L"strV3PosX=", 4, false},
};
constexpr double kUntouched = -12345.678;

int Reference(std::u16string_view url, PlaceRecord* places[5]) {
    const std::size_t mark = url.find(u'?');
    if (mark == std::u16string_view::npos || mark == 0) return result::logi::kMapUrlWithoutQuery;
    std::wstring query = Wide(url.substr(mark + 1));
    bool found[std::size(kKeys)] = {};
    wchar_t* state = nullptr;
    for (wchar_t* token = std::wcstok(query.data(), L"&", &state); token != nullptr;
         token = std::wcstok(nullptr, L"&", &state)) {
        for (std::size_t k = 0; k < std::size(kKeys); ++k) {
            const std::size_t n = std::wcslen(kKeys[k].key);
            if (std::wcsncmp(token, kKeys[k].key, n) != 0) continue;
            if (!found[k]) {
                found[k] = true;
                if (PlaceRecord* place = places[kKeys[k].place]) {
                    const std::wstring value(token + n);
                    (kKeys[k].isX ? place->x : place->y) = ReferenceDouble(std::u16string(value.begin(), value.end()));
                }
            }
            break;
        }
    }
    for (int k = 0; k < 4; ++k)
        if (!found[k]) return result::logi::kMapUrlMissingPosition;
    return result::kSuccess;
}

}  // namespace
}  // namespace qm::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qm::fuzz::UseUtf8Locale();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qm;
    using namespace qm::fuzz;
    if (size < 1) return 0;
    // The first byte says which places the caller hands in (a null place is skipped).
    const std::uint8_t present = data[0];
    const std::u16string url = Units(data + 1, size - 1, 4096);
    static PlaceRecord got[5], want[5];
    PlaceRecord* gotPlaces[5];
    PlaceRecord* wantPlaces[5];
    for (int i = 0; i < 5; ++i) {
        got[i].x = got[i].y = want[i].x = want[i].y = kUntouched;
        gotPlaces[i] = (present >> i) & 1 ? nullptr : &got[i];
        wantPlaces[i] = (present >> i) & 1 ? nullptr : &want[i];
    }
    const MapPlaces places{gotPlaces[0], gotPlaces[1], {gotPlaces[2], gotPlaces[3], gotPlaces[4]}};
    const int code = ParseMapUrlPositions(url, places);
    // wcstok cannot see past a NUL; the robot reads the address to its length.
    if (url.find(u'\0') != std::u16string::npos) return 0;
    FUZZ_CHECK(code == Reference(url, wantPlaces));
    for (int i = 0; i < 5; ++i) {
        FUZZ_CHECK(SameDouble(got[i].x, want[i].x));
        FUZZ_CHECK(SameDouble(got[i].y, want[i].y));
    }
    return 0;
}
