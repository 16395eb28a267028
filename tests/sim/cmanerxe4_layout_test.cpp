// sim/cmanerxe4/README.md says what the CManerXE4 substitute shows; these
// cases hold its window table to the entry layout and its option list to --help.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/utf.h"
#include "sim/cmanerxe4/layout.h"
#include "sim/cmanerxe4/options.h"

namespace qm::sim::cmanerxe4 {
namespace {

std::string Readme() {
    std::ifstream in(std::string(QM_SOURCE_DIR) + "/sim/cmanerxe4/README.md", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Trim(std::string s) {
    const auto a = s.find_first_not_of(' ');
    const auto b = s.find_last_not_of(' ');
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// How the README names a window: its class, then its text in quotes, or after
// a colon what it is (a box: its name in the layout; a combo: its items).
std::string Describe(const kit::LayoutNode& n) {
    std::string d = Utf16ToUtf8(n.className.empty() ? std::u16string(StandardClass(n.behaviour)) : n.className);
    if (n.behaviour == Behaviour::Edit) {
        d += ": " + n.name;
        if (n.readOnly) d += " (read-only)";
    } else if (n.behaviour == Behaviour::Combo) {
        std::string items;
        for (const std::u16string& item : n.items) items += (items.empty() ? "" : ", ") + Utf16ToUtf8(item);
        d += ": " + items;
    } else if (n.behaviour == Behaviour::Container || n.behaviour == Behaviour::Browser) {
        d += ": " + n.name;
    } else {
        d += " \"" + Utf16ToUtf8(n.text) + "\"";
    }
    return d;
}

// "| path | window | id |" rows: the path of child indices, e.g. 7.1.
void Rows(const std::vector<kit::LayoutNode>& nodes, const std::string& prefix, std::vector<std::string>& out) {
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const std::string path = prefix + std::to_string(i);
        out.push_back("| " + path + " | " + Describe(nodes[i]) + " | " + std::to_string(nodes[i].id) + " |");
        Rows(nodes[i].children, path + ".", out);
    }
}

std::vector<std::string> TableOf(const std::string& readme, const std::string& heading) {
    std::vector<std::string> rows;
    std::istringstream lines(readme.substr(readme.find(heading)));
    bool inTable = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("| path | window | id |", 0) == 0) {
            inTable = true;
            continue;
        }
        if (!inTable) continue;
        if (line.rfind("|", 0) != 0) break;
        if (line.rfind("|---", 0) == 0) continue;
        rows.push_back(Trim(line));
    }
    return rows;
}

std::string Joined(const std::vector<std::string>& rows) {
    std::string s;
    for (const std::string& r : rows) s += r + "\n";
    return s;
}

TEST(CManerXE4Readme, TheWindowTablesAreTheLayouts) {
    const std::string readme = Readme();
    const struct {
        const char* heading;
        const std::vector<kit::LayoutNode>& layout;
    } tables[] = {
        {"### The entry window", EntryLayout()},
        {"### The consultation map", ConsultMapLayout()},
        {"### The via map", ViaMapLayout()},
    };
    for (const auto& t : tables) {
        ASSERT_NE(readme.find(t.heading), std::string::npos) << t.heading;
        std::vector<std::string> expected;
        Rows(t.layout, "", expected);
        EXPECT_EQ(Joined(expected), Joined(TableOf(readme, t.heading)))
            << t.heading << ", as the README should have it:\n" << Joined(expected) << "(end)";
    }
}

TEST(CManerXE4Readme, TheOptionListIsTheHelpTexts) {
    auto optionNames = [](const std::string& text, const std::string& lead) {
        std::set<std::string> names;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(lead + "--", 0) == 0) names.insert(line.substr(lead.size(), line.find(' ', lead.size()) - lead.size()));
        return names;
    };
    const std::string readme = Readme();
    const auto start = readme.find("## Options");
    ASSERT_NE(start, std::string::npos);
    const std::string block = readme.substr(start, readme.find("```", readme.find("```", start) + 3) - start);
    const std::set<std::string> documented = optionNames(block, "");
    EXPECT_EQ(documented.size(), 18u);
    EXPECT_EQ(documented, optionNames(Utf16ToUtf8(HelpText()), "  "));
}

}  // namespace
}  // namespace qm::sim::cmanerxe4
