// Reading a substitute's README for the tests that hold it to the program:
// the file, its table cells, its option list, and the class word a window
// table names for each behaviour.
#pragma once

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "sim/host.h"

namespace qm::sim::readme {

// The README of a substitute folder ("logid2"), as bytes.
inline std::string Read(const std::string& folder) {
    std::ifstream in(std::string(QM_SOURCE_DIR) + "/sim/" + folder + "/README.md", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string Trim(std::string s) {
    const auto a = s.find_first_not_of(' ');
    const auto b = s.find_last_not_of(' ');
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// The cells of the table under the header line that starts with header, row by
// row, without the separator line.
inline std::vector<std::vector<std::string>> TableCells(const std::string& text, const std::string& header) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    bool inTable = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(header, 0) == 0) {
            inTable = true;
            continue;
        }
        if (!inTable) continue;
        if (line.rfind("|", 0) != 0) break;
        if (line.rfind("|---", 0) == 0) continue;
        std::vector<std::string> cells;
        std::stringstream cellStream(line.substr(1));
        for (std::string cell; std::getline(cellStream, cell, '|');) cells.push_back(Trim(cell));
        rows.push_back(cells);
    }
    return rows;
}

// The option names (--...) of the lines of text that start with lead + "--".
inline std::set<std::string> OptionNames(const std::string& text, const std::string& lead) {
    std::set<std::string> names;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(lead + "--", 0) == 0) names.insert(line.substr(lead.size(), line.find(' ', lead.size()) - lead.size()));
    return names;
}

// The "## Options" block of a README, up to the end of its code block.
inline std::string OptionsBlock(const std::string& text) {
    const auto start = text.find("## Options");
    if (start == std::string::npos) return {};
    return text.substr(start, text.find("```", text.find("```", start) + 3) - start);
}

inline const char* ClassWord(Behaviour b) {
    switch (b) {
        case Behaviour::Edit: return "Edit";
        case Behaviour::Label: return "Static";
        case Behaviour::Button:
        case Behaviour::CheckBox: return "Button";
        case Behaviour::Combo: return "ComboBox";
        case Behaviour::Dialog: return "\"#32770\"";
        default: return "?";
    }
}

}  // namespace qm::sim::readme
