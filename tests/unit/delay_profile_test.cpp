#include "core/delay_profile.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(ProfileForSpeed, OnlyOneAndThreeChooseSlowAndFast) {
    struct Case { int speed; const DelayProfile* expected; };
    const Case cases[] = {{1, &kSlowProfile}, {3, &kFastProfile}, {0, &kNormalProfile}, {2, &kNormalProfile},
                          {-1, &kNormalProfile}, {-7, &kNormalProfile}, {4, &kNormalProfile},
                          {1000000, &kNormalProfile}};
    for (const Case& c : cases) EXPECT_EQ(&ProfileForSpeed(c.speed), c.expected) << c.speed;
}

TEST(ProfileForSpeed, ColumnsHoldTheirValues) {
    EXPECT_EQ(kSlowProfile.keyDelay, 60);
    EXPECT_EQ(kSlowProfile.shortSettle, 300);
    EXPECT_EQ(kFastProfile.windowWait, 3000);
    EXPECT_EQ(kFastProfile.mapSettle, 500);
    EXPECT_EQ(kNormalProfile.actionSettle, 2000);
    EXPECT_EQ(kNormalProfile.keyDelay, 40);
    EXPECT_EQ(kSlowProfile.actionSettle, 2500);
    EXPECT_EQ(kFastProfile.memoSettle, 200);
}

}  // namespace
}  // namespace qm
