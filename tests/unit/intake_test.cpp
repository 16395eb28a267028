#include "core/intake.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace qm {
namespace {

struct Mapping {
    explicit Mapping(std::size_t size) : words((size + 7) / 8, 0x5A5A5A5A5A5A5A5Aull), size(size) {}
    unsigned char* bytes() { return reinterpret_cast<unsigned char*>(words.data()); }
    std::vector<unsigned long long> words;  // aligned as a mapping's view is
    std::size_t size;
};

TEST(ServeMappedBlock, TooSmallAMappingIsNeitherReadNorWritten) {
    for (std::size_t size : {std::size_t{0}, std::size_t{4}, kRequestBlockSize - 1}) {
        Mapping m(size);
        const std::vector<unsigned long long> before = m.words;
        bool served = false;
        EXPECT_FALSE(ServeMappedBlock(m.bytes(), size, [&](RequestBlock&) { served = true; })) << size;
        EXPECT_FALSE(served);
        EXPECT_EQ(m.words, before);
    }
    EXPECT_FALSE(ServeMappedBlock(nullptr, kRequestBlockSize, [](RequestBlock&) {}));
}

TEST(ServeMappedBlock, ServesAPrivateCopyAndAnswersWithStatusTwoLast) {
    for (std::size_t size : {kRequestBlockSize, kRequestBlockSize + 3, 2 * kRequestBlockSize}) {
        Mapping m(size);
        auto* shared = reinterpret_cast<RequestBlock*>(m.bytes());
        shared->status = 7;
        shared->mode = 5;
        int statusWhileServing = 0;
        ASSERT_TRUE(ServeMappedBlock(m.bytes(), size, [&](RequestBlock& copy) {
            statusWhileServing = shared->status;
            EXPECT_EQ(copy.status, 1);  // the copy was taken after status 1
            EXPECT_EQ(copy.mode, 5);
            shared->mode = 9;  // a caller writing while status is 1 loses the write
            copy.result = 42;
            WriteField(copy.message, u"done");
        }));
        EXPECT_EQ(statusWhileServing, 1);
        EXPECT_EQ(shared->status, 2);
        EXPECT_EQ(shared->mode, 5);
        EXPECT_EQ(shared->result, 42);
        EXPECT_EQ(ReadField(shared->message), u"done");
        // Nothing after the block is touched.
        for (std::size_t i = kRequestBlockSize; i < size; ++i) ASSERT_EQ(m.bytes()[i], 0x5A) << i;
    }
}

}  // namespace
}  // namespace qm
