// The adapters this build serves. Adding a dispatch program means one line here.
#include "adapters/registry.h"

#include "adapters/cmanerxe4/cmanerxe4.h"
#include "adapters/icon2013/icon2013.h"
#include "adapters/logid2/logid2.h"
#include "adapters/logid5/logid5.h"
#include "core/result_codes.h"

namespace qm {
namespace {

template <class Adapter>
std::unique_ptr<CCallPort> Make(Desktop& desktop, const DelayProfile& profile) {
    return std::make_unique<Adapter>(desktop, profile);
}

constexpr AdapterEntry kAdapters[] = {
    {adapter::kLogiD2, "LogiD2", &Make<CCallPortLogiD2>},
    {adapter::kLogiD5, "LogiD5", &Make<CCallPortLogiD5>},
    {adapter::kCManerXE4, "CManerXE4", &Make<CCallPortCManerXE4>},
    {adapter::kIcon2013, "Icon2013", &Make<CCallPortIcon2013>, &CCallPortIcon2013::NeedsRealInput},
};

}  // namespace

std::span<const AdapterEntry> RegisteredAdapters() { return kAdapters; }

}  // namespace qm
