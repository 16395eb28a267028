// The thirteen durations (milliseconds) that pace a request, chosen by `speed`.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm {

struct DelayProfile {
    std::int32_t windowWait;
    std::int32_t mapWait;
    std::int32_t mapSettle;
    std::int32_t memoSettle;
    std::int32_t saveWait;
    std::int32_t placePopupWait;
    std::int32_t dialogWait;
    std::int32_t branchWait;
    std::int32_t customerWait;
    std::int32_t accessibleWait;
    std::int32_t actionSettle;
    std::int32_t keyDelay;
    std::int32_t shortSettle;
};
static_assert(sizeof(DelayProfile) == 52);
static_assert(offsetof(DelayProfile, shortSettle) == 48);

inline constexpr DelayProfile kSlowProfile{5000, 5000, 2000, 2000, 2000, 2000, 2000, 2000, 2000, 2000, 2500, 60, 300};
inline constexpr DelayProfile kFastProfile{3000, 3000, 500, 200, 1000, 1000, 1000, 1000, 1000, 1000, 1500, 20, 100};
inline constexpr DelayProfile kNormalProfile{4000, 4000, 500, 200, 1000, 1000, 1000, 1000, 1000, 1000, 2000, 40, 200};

// 1 is slow, 3 is fast, every other value normal.
constexpr const DelayProfile& ProfileForSpeed(std::int32_t speed) {
    return speed == 1 ? kSlowProfile : speed == 3 ? kFastProfile : kNormalProfile;
}

}  // namespace qm
