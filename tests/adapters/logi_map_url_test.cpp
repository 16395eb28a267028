// The query of LogiD's map page address carries every place's coordinates.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "adapters/logi/logi_map_dialog.h"

namespace qm {
namespace {

struct Places {
    PlaceRecord origin{}, destination{}, via[3]{};
    MapPlaces Targets() {
        MapPlaces p;
        p.origin = &origin;
        p.destination = &destination;
        for (int i = 0; i < 3; ++i) p.via[i] = &via[i];
        return p;
    }
    Places() {
        // Sentinels, so a coordinate that is not written is seen to keep its value.
        for (PlaceRecord* r : {&origin, &destination, &via[0], &via[1], &via[2]}) r->x = r->y = -1;
    }
};

TEST(LogiMapUrl, XKeysFillYAndYKeysFillX) {
    Places p;
    EXPECT_EQ(0, ParseMapUrlPositions(
                     u"http://map/x.asp?strSPosX=127.1&strSPosY=37.5&strDPosX=127.2&strDPosY=37.6", p.Targets()));
    EXPECT_DOUBLE_EQ(37.5, p.origin.x);
    EXPECT_DOUBLE_EQ(127.1, p.origin.y);
    EXPECT_DOUBLE_EQ(37.6, p.destination.x);
    EXPECT_DOUBLE_EQ(127.2, p.destination.y);
    EXPECT_EQ(-1, p.via[0].x);  // via keys are optional
}

TEST(LogiMapUrl, ViaKeysInAnyOrder) {
    Places p;
    EXPECT_EQ(0, ParseMapUrlPositions(u"a?strV3PosY=3.5&strV1PosX=10&strDPosY=2&strSPosX=1&strV2PosY=22"
                                      u"&strSPosY=4&strDPosX=5&strV1PosY=11&&strV3PosX=33",
                                      p.Targets()));
    EXPECT_EQ(11, p.via[0].x);
    EXPECT_EQ(10, p.via[0].y);
    EXPECT_EQ(22, p.via[1].x);
    EXPECT_EQ(-1, p.via[1].y);
    EXPECT_EQ(3.5, p.via[2].x);
    EXPECT_EQ(33, p.via[2].y);
}

TEST(LogiMapUrl, MissingDestinationKeyIs98ButTheOthersAreStored) {
    Places p;
    EXPECT_EQ(98, ParseMapUrlPositions(u"u?strSPosX=127.1&strSPosY=37.5&strDPosX=127.2", p.Targets()));
    EXPECT_DOUBLE_EQ(37.5, p.origin.x);
    EXPECT_DOUBLE_EQ(127.1, p.origin.y);
    EXPECT_DOUBLE_EQ(127.2, p.destination.y);
    EXPECT_EQ(-1, p.destination.x);
}

TEST(LogiMapUrl, FirstOccurrenceOfAKeyWins) {
    Places p;
    EXPECT_EQ(0, ParseMapUrlPositions(u"u?strSPosX=1&strSPosX=2&strSPosY=3&strDPosX=4&strDPosY=5", p.Targets()));
    EXPECT_EQ(1, p.origin.y);
}

TEST(LogiMapUrl, KeyMustStartTheToken) {
    Places p;
    EXPECT_EQ(98, ParseMapUrlPositions(u"u?xstrSPosX=9&strSPosY=3&strDPosX=4&strDPosY=5", p.Targets()));
    EXPECT_EQ(-1, p.origin.y);
}

TEST(LogiMapUrl, ValuesReadLikeAtof) {
    Places p;
    EXPECT_EQ(0, ParseMapUrlPositions(u"u?strSPosX=abc&strSPosY= 37.5km&strDPosX=-1e2&strDPosY=", p.Targets()));
    EXPECT_EQ(0, p.origin.y);
    EXPECT_EQ(37.5, p.origin.x);
    EXPECT_EQ(-100, p.destination.y);
    EXPECT_EQ(0, p.destination.x);
}

TEST(LogiMapUrl, AddressWithoutQueryIs97) {
    const char16_t* urls[] = {u"", u"http://map/page.asp", u"?strSPosX=1&strSPosY=2&strDPosX=3&strDPosY=4"};
    for (int i = 0; i < 3; ++i) {
        Places p;
        EXPECT_EQ(97, ParseMapUrlPositions(urls[i], p.Targets())) << "address " << i;
        EXPECT_EQ(-1, p.origin.x);
    }
}

TEST(LogiMapUrl, OnlyTheFirstQuestionMarkSplits) {
    Places p;
    EXPECT_EQ(0, ParseMapUrlPositions(u"u?strSPosX=1?&strSPosY=2&strDPosX=3&strDPosY=4", p.Targets()));
    EXPECT_EQ(1, p.origin.y);
    EXPECT_EQ(2, p.origin.x);
}

}  // namespace
}  // namespace qm
