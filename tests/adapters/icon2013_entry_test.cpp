// Entering orders into the Icon2013 substitute: every way an entry ends, the
// real click of the add-via button, the map dialog kept and restored, and the
// exact pauses of a whole entry.
#include "tests/adapters/icon2013_world.h"

namespace qm::icon2013test {
namespace {

using IconEntry = Icon2013World;

TEST_F(IconEntry, SimpleOrderIsRegistered) {
    Start();
    OrderRecord order = SimpleOrder();
    ASSERT_EQ(0, Enter(order)) << std::string(message_.begin(), message_.end());
    ASSERT_EQ(1u, sim_->Orders().size());
}

}  // namespace
}  // namespace qm::icon2013test
