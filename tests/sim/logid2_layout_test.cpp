// sim/logid2/README.md says what the LogiD2 substitute shows; these cases
// hold its window table to the entry layout and its option list to --help.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/utf.h"
#include "sim/logid2/layout.h"
#include "sim/logid2/options.h"
#include "tests/sim/readme_tables.h"

namespace qm::sim::logid2 {
namespace {

struct Row {
    int index;
    std::string window;
    int id;
};

// The rows of the table "| # | window | id | # | window | id |", two entries a line.
std::vector<Row> WindowTable(const std::string& text) {
    std::vector<Row> rows;
    for (const auto& cells : readme::TableCells(text, "| # | window | id |"))
        for (std::size_t i = 0; i + 2 < cells.size(); i += 3)
            if (!cells[i].empty()) rows.push_back({std::stoi(cells[i]), cells[i + 1], std::stoi(cells[i + 2])});
    return rows;
}

using readme::ClassWord;

TEST(LogiD2Readme, TheWindowTableIsTheEntryLayout) {
    const std::vector<Row> rows = WindowTable(readme::Read("logid2"));
    const std::vector<kit::LayoutNode>& layout = EntryLayout();
    ASSERT_EQ(rows.size(), layout.size());
    const std::regex quoted("\"([^\"]*)\"");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.window);
        ASSERT_GE(row.index, 0);
        ASSERT_LT(static_cast<std::size_t>(row.index), layout.size());
        const kit::LayoutNode& node = layout[static_cast<std::size_t>(row.index)];
        EXPECT_EQ(row.id, node.id);
        EXPECT_EQ(row.window.rfind(ClassWord(node.behaviour), 0), 0u) << "its class comes first";
        EXPECT_EQ(row.window.find("(read-only)") != std::string::npos, node.readOnly);
        if (node.behaviour == Behaviour::Dialog) {
            // '"#32770" holding Edit: memo 2 (1014)': its one child's class and id.
            ASSERT_EQ(node.children.size(), 1u);
            const kit::LayoutNode& child = node.children[0];
            EXPECT_NE(row.window.find(std::string("holding ") +
                                      (child.behaviour == Behaviour::CheckBox ? "check box" : ClassWord(child.behaviour))),
                      std::string::npos);
            EXPECT_NE(row.window.find(Utf16ToUtf8(child.text.empty() ? u"(" + Utf8ToUtf16(std::to_string(child.id)) + u")"
                                                                     : u"\"" + child.text + u"\" (" +
                                                                           Utf8ToUtf16(std::to_string(child.id)) + u")")),
                      std::string::npos);
        } else if (node.behaviour == Behaviour::Combo) {
            std::string items;
            for (const std::u16string& item : node.items) items += (items.empty() ? "" : ", ") + Utf16ToUtf8(item);
            EXPECT_EQ(row.window, "ComboBox: " + items);
        } else {
            std::smatch m;
            const bool hasText = std::regex_search(row.window, m, quoted);
            EXPECT_EQ(hasText ? m[1].str() : std::string(), Utf16ToUtf8(node.text)) << "its text (the first one named)";
        }
    }
}

TEST(LogiD2Readme, TheOptionListIsTheHelpTexts) {
    const std::set<std::string> documented = readme::OptionNames(readme::OptionsBlock(readme::Read("logid2")), "");
    EXPECT_EQ(documented.size(), 19u);
    EXPECT_EQ(documented, readme::OptionNames(Utf16ToUtf8(HelpText()), "  "));
}

}  // namespace
}  // namespace qm::sim::logid2
