// Entering orders into the CManerXE4 substitute: every way an entry ends, the
// rules of each box, and the exact pauses of a whole entry.
#include "tests/adapters/cmanerxe4_world.h"

namespace qm::cmanerxe4test {
namespace {

using XE4Entry = CManerXE4World;

TEST_F(XE4Entry, Smoke) {
    Start();
    OrderRecord order = SimpleOrder();
    AddVia(order, 0, u"용산역");
    order.consignment = 1;
    EXPECT_EQ(0, Enter(order));
    EXPECT_EQ(u"", message_);
    ASSERT_EQ(1u, sim_->Orders().size());
    std::cout << sim_->OrdersJson() << "\n";
    EXPECT_EQ(u"강남지사", ReadField(order.branchName));
    EXPECT_DOUBLE_EQ(37.5547, order.origin.x);
    EXPECT_DOUBLE_EQ(37.5298, order.via[0].x);
}

}  // namespace
}  // namespace qm::cmanerxe4test
