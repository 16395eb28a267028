#include "app/result_codes.h"

#include <gtest/gtest.h>

#include <string>

namespace qm {
namespace {

TEST(ResultCatalogue, KnowsTheRequestHandlingCodes) {
    for (int code : {0, 2, 3, 4, 11, 99}) {
        const ResultCodeInfo* info = FindResultCode(code);
        ASSERT_NE(info, nullptr) << code;
        EXPECT_EQ(info->code, code);
        EXPECT_FALSE(std::string(info->name).empty());
        EXPECT_FALSE(std::string(info->meaning).empty());
    }
    EXPECT_EQ(FindResultCode(1), nullptr);
    EXPECT_EQ(FindResultCode(-5), nullptr);
}

TEST(ResultCatalogue, NamesAreUnique) {
    const auto all = ResultCatalogue();
    for (std::size_t i = 0; i < all.size(); ++i)
        for (std::size_t j = i + 1; j < all.size(); ++j) EXPECT_STRNE(all[i].name, all[j].name);
}

}  // namespace
}  // namespace qm
