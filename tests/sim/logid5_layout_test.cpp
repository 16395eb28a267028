// sim/logid5/README.md says what the LogiD5 substitute shows; these cases
// hold its window table to the entry layout and its option list to --help.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/utf.h"
#include "sim/logid5/layout.h"
#include "sim/logid5/options.h"
#include "tests/sim/readme_tables.h"

namespace qm::sim::logid5 {
namespace {

struct Row {
    std::string place;  // "k" or "k.j"
    std::string window;
    int id;
};

// The rows of the table "| # | window | id | # | window | id |", two entries a line.
std::vector<Row> WindowTable(const std::string& text) {
    std::vector<Row> rows;
    for (const auto& cells : readme::TableCells(text, "| # | window | id |"))
        for (std::size_t i = 0; i + 2 < cells.size(); i += 3)
            if (!cells[i].empty()) rows.push_back({cells[i], cells[i + 1], std::stoi(cells[i + 2])});
    return rows;
}

using readme::ClassWord;

TEST(LogiD5Readme, TheWindowTableIsTheEntryLayout) {
    const std::vector<Row> rows = WindowTable(readme::Read("logid5"));
    const std::vector<kit::LayoutNode>& layout = EntryLayout();
    std::size_t windows = 0;
    for (const kit::LayoutNode& node : layout) windows += 1 + node.children.size();
    ASSERT_EQ(rows.size(), windows) << "every window and every child of a child dialog, once";
    const std::regex quoted("\"([^\"]*)\"");
    std::set<std::string> places;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.place + " " + row.window);
        EXPECT_TRUE(places.insert(row.place).second);
        const auto dot = row.place.find('.');
        const std::size_t k = std::stoul(row.place.substr(0, dot));
        ASSERT_LT(k, layout.size());
        const kit::LayoutNode* node = &layout[k];
        if (dot != std::string::npos) {
            const std::size_t j = std::stoul(row.place.substr(dot + 1));
            ASSERT_LT(j, node->children.size());
            node = &node->children[j];
        } else {
            EXPECT_EQ(node->children.empty(), node->behaviour != Behaviour::Dialog);
        }
        EXPECT_EQ(row.id, node->id);
        EXPECT_EQ(row.window.rfind(ClassWord(node->behaviour), 0), 0u) << "its class comes first";
        EXPECT_EQ(row.window.find("(read-only)") != std::string::npos, node->readOnly);
        EXPECT_EQ(row.window.find("(check box)") != std::string::npos, node->behaviour == Behaviour::CheckBox);
        if (node->behaviour == Behaviour::Combo) {
            std::string items;
            for (const std::u16string& item : node->items) items += (items.empty() ? "" : ", ") + Utf16ToUtf8(item);
            EXPECT_EQ(row.window, "ComboBox: " + items);
        } else if (node->behaviour != Behaviour::Dialog) {
            std::smatch m;
            const bool hasText = std::regex_search(row.window, m, quoted);
            EXPECT_EQ(hasText ? m[1].str() : std::string(), Utf16ToUtf8(node->text)) << "its text (the first one named)";
        }
    }
}

TEST(LogiD5Readme, TheOptionListIsTheHelpTexts) {
    const std::set<std::string> documented = readme::OptionNames(readme::OptionsBlock(readme::Read("logid5")), "");
    EXPECT_EQ(documented.size(), 19u);
    EXPECT_EQ(documented, readme::OptionNames(Utf16ToUtf8(HelpText()), "  "));
}

}  // namespace
}  // namespace qm::sim::logid5
