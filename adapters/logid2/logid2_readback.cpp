// LogiD2 order read-back: what an entry window shows, copied into the order.
#include "adapters/logid2/logid2.h"
#include "adapters/logid2/logid2_order.h"
#include "core/result_codes.h"

namespace qm {

int CCallPortLogiD2::ReadOrder(Module oleacc, const char16_t* readScript, OrderRecord* order,
                               std::u16string& message) {
    c_ = {};
    int code = FindOpenEntryWindow();
    if (code != result::kSuccess) return code;
    code = FindControls();
    if (Hung()) return result::kNotResponding;
    if (code != result::kSuccess) return code;
    return ReadOrderWindow(oleacc, readScript, order, message);
}

int CCallPortLogiD2::ReadOrderWindow(Module oleacc, const char16_t* /*readScript*/, OrderRecord* order,
                                     std::u16string& message) {
    Order steps(*this, desktop, *profile, c_);
    return steps.ReadOrderWindow(oleacc, order, message);
}

}  // namespace qm
