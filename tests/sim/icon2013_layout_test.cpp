// sim/icon2013/README.md says what the Icon2013 substitute shows; these cases
// hold its window table to the order dialog's layout and its option list to
// --help.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/utf.h"
#include "sim/icon2013/layout.h"
#include "sim/icon2013/options.h"

namespace qm::sim::icon2013 {
namespace {

std::string Readme() {
    std::ifstream in(std::string(QM_SOURCE_DIR) + "/sim/icon2013/README.md", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Trim(std::string s) {
    const auto a = s.find_first_not_of(' ');
    const auto b = s.find_last_not_of(' ');
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

struct Row {
    int index;
    std::string window;
    int id;
};

std::vector<Row> WindowTable(const std::string& readme) {
    std::vector<Row> rows;
    std::istringstream lines(readme);
    bool inTable = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("| # | window | id |", 0) == 0) {
            inTable = true;
            continue;
        }
        if (!inTable) continue;
        if (line.rfind("|", 0) != 0) break;
        if (line.rfind("|---", 0) == 0) continue;
        std::vector<std::string> cells;
        std::stringstream cellStream(line.substr(1));
        for (std::string cell; std::getline(cellStream, cell, '|');) cells.push_back(Trim(cell));
        for (std::size_t i = 0; i + 2 < cells.size(); i += 3)
            if (!cells[i].empty()) rows.push_back({std::stoi(cells[i]), cells[i + 1], std::stoi(cells[i + 2])});
    }
    return rows;
}

const char* ClassWord(Behaviour b) {
    switch (b) {
        case Behaviour::Edit: return "Edit";
        case Behaviour::Label: return "Static";
        case Behaviour::Button:
        case Behaviour::CheckBox: return "Button";
        case Behaviour::Combo: return "ComboBox";
        default: return "?";
    }
}

TEST(Icon2013Readme, TheWindowTableIsTheOrderDialogLayout) {
    const std::vector<Row> rows = WindowTable(Readme());
    const std::vector<kit::LayoutNode>& layout = OrderDialogLayout();
    ASSERT_EQ(rows.size(), layout.size());
    const std::regex quoted("\"([^\"]*)\"");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.window);
        ASSERT_LT(static_cast<std::size_t>(row.index), layout.size());
        const kit::LayoutNode& node = layout[static_cast<std::size_t>(row.index)];
        EXPECT_EQ(row.id, node.id);
        EXPECT_EQ(row.window.rfind(ClassWord(node.behaviour), 0), 0u) << "its class comes first";
        EXPECT_EQ(row.window.find("(read-only)") != std::string::npos, node.readOnly);
        EXPECT_EQ(row.window.find("(hidden at first)") != std::string::npos, !node.visible);
        EXPECT_EQ(row.window.find("(check box)") != std::string::npos, node.behaviour == Behaviour::CheckBox);
        if (node.behaviour == Behaviour::Combo) {
            std::string items;
            for (const std::u16string& item : node.items) items += (items.empty() ? "" : ", ") + Utf16ToUtf8(item);
            EXPECT_EQ(row.window, "ComboBox: " + (items.empty() ? std::string("branches") : items));
        } else {
            std::smatch m;
            const bool hasText = std::regex_search(row.window, m, quoted);
            std::string text = Utf16ToUtf8(node.text);
            for (std::size_t at; (at = text.find('\n')) != std::string::npos;) text.replace(at, 1, "\\n");
            EXPECT_EQ(hasText ? m[1].str() : std::string(), text) << "its text (the first one named)";
        }
    }
}

TEST(Icon2013Readme, TheOptionListIsTheHelpTexts) {
    auto optionNames = [](const std::string& text, const std::string& lead) {
        std::set<std::string> names;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(lead + "--", 0) == 0)
                names.insert(line.substr(lead.size(), line.find(' ', lead.size()) - lead.size()));
        return names;
    };
    const std::string readme = Readme();
    const auto start = readme.find("## Options");
    ASSERT_NE(start, std::string::npos);
    const std::string block = readme.substr(start, readme.find("```", readme.find("```", start) + 3) - start);
    const std::set<std::string> documented = optionNames(block, "");
    EXPECT_EQ(documented.size(), 16u);
    EXPECT_EQ(documented, optionNames(Utf16ToUtf8(HelpText()), "  "));
    const std::string help = Utf16ToUtf8(HelpText());
    for (const char* function : {"onTMapRClick4OrdPoiStart(lat, lng)", "onTMapRClick4OrdPoiEnd(lat, lng)", "getPosition()"}) {
        EXPECT_NE(help.find(function), std::string::npos) << function;
        EXPECT_NE(readme.find(std::string("`") + function + "`"), std::string::npos) << function;
    }
}

}  // namespace
}  // namespace qm::sim::icon2013
