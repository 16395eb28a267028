#include "core/result_codes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

namespace qm {
namespace {

TEST(ResultCatalogue, SharedRowsServeEveryAdapter) {
    for (int kind : {adapter::kLogiD2, adapter::kLogiD5, adapter::kCManerXE4, adapter::kIcon2013}) {
        for (int code : {result::kSuccess, result::kAdapterNotServed, result::kMainWindowNotFound,
                         result::kOrderWindowNotFound, result::kMapDialogNotFound, result::kScriptFailed,
                         result::kPlacementFailed, result::kNoObjectFromLresult, result::kNoFreshEntryWindow,
                         result::kNotResponding}) {
            const ResultCodeInfo* info = FindResultCode(kind, code);
            ASSERT_NE(info, nullptr) << kind << "/" << code;
            EXPECT_EQ(info->adapter, adapter::kShared);
            EXPECT_EQ(info->code, code);
        }
    }
    EXPECT_EQ(FindResultCode(adapter::kLogiD2, 1), nullptr);
    EXPECT_EQ(FindResultCode(adapter::kShared, -5), nullptr);
}

TEST(ResultCatalogue, AnAdaptersOwnMeaningWinsOverTheSharedOne) {
    const ResultCodeInfo* own = FindResultCode(adapter::kLogiD2, result::logid2::kUnregisteredCompany);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->adapter, adapter::kLogiD2);
    EXPECT_STREQ(own->name, "ExceptionOrUnregisteredCompany");
    // Another adapter sees the shared row of the same number.
    const ResultCodeInfo* shared = FindResultCode(adapter::kIcon2013, result::kException);
    ASSERT_NE(shared, nullptr);
    EXPECT_STREQ(shared->name, "Exception");
    // An adapter's own code means nothing to another adapter.
    EXPECT_NE(FindResultCode(adapter::kLogiD2, result::logid2::kCashLabelNotFound), nullptr);
    EXPECT_EQ(FindResultCode(adapter::kLogiD5, result::logid2::kCashLabelNotFound), nullptr);
}

TEST(ResultCatalogue, NamesAreUniquePerAdapterAndEveryRowSaysSomething) {
    std::set<std::pair<int, std::string>> names;
    for (const ResultCodeInfo& info : ResultCatalogue()) {
        EXPECT_FALSE(std::string(info.meaning).empty()) << info.name;
        EXPECT_TRUE(names.insert({info.adapter, info.name}).second) << info.name;
        // An adapter's row never restates a shared one under its own number.
        if (info.adapter != adapter::kShared && info.code != result::kException) {
            EXPECT_EQ(FindResultCode(adapter::kShared, info.code), nullptr) << info.name;
        }
    }
}

// The table of docs/result-codes.md is the catalogue, row for row.
TEST(ResultCatalogue, TheReadmeTableIsTheCatalogue) {
    std::ifstream in(std::string(QM_SOURCE_DIR) + "/docs/result-codes.md");
    ASSERT_TRUE(in) << "docs/result-codes.md not found";
    std::stringstream text;
    text << in.rdbuf();
    const std::map<std::string, int> adapters{{"all", adapter::kShared}, {"LogiD2", adapter::kLogiD2},
                                              {"LogiD5", adapter::kLogiD5}, {"CManerXE4", adapter::kCManerXE4},
                                              {"Icon2013", adapter::kIcon2013}};
    const std::regex row(R"(^\| (\w+) \| (\d+) \| `(\w+)` \| (.*) \|$)");
    std::set<std::tuple<int, int, std::string, std::string>> table, catalogue;
    std::string line;
    while (std::getline(text, line)) {
        std::smatch m;
        if (!std::regex_match(line, m, row)) continue;
        ASSERT_TRUE(adapters.count(m[1])) << line;
        table.insert({adapters.at(m[1]), std::stoi(m[2]), m[3], m[4]});
    }
    std::string expected;
    const char* const adapterNames[] = {"all", "LogiD2", "LogiD5", "CManerXE4", "Icon2013"};
    for (const ResultCodeInfo& info : ResultCatalogue()) {
        catalogue.insert({info.adapter, info.code, info.name, info.meaning});
        expected += std::string("| ") + adapterNames[info.adapter] + " | " + std::to_string(info.code) + " | `" +
                    info.name + "` | " + info.meaning + " |\n";
    }
    EXPECT_EQ(table, catalogue) << "docs/result-codes.md's rows should read:\n" << expected;
}

}  // namespace
}  // namespace qm
