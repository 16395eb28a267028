// The catalogue of every result code the robot can return, with a short name and
// meaning for callers. One table; request handling, the reference caller and the
// tests all read it.
#pragma once

#include <cstdint>
#include <span>

namespace qm {

namespace result {
constexpr int kSuccess = 0;
constexpr int kAdapterNotServed = 2;
constexpr int kException = 3;
constexpr int kMainWindowNotFound = 4;
constexpr int kOrderWindowNotFound = 11;
constexpr int kNotResponding = 99;
}  // namespace result

struct ResultCodeInfo {
    int code;
    const char* name;     // short identifier, for example "MainWindowNotFound"
    const char* meaning;  // one English sentence
};

std::span<const ResultCodeInfo> ResultCatalogue();
// The entry for code, or null when the catalogue does not know it.
const ResultCodeInfo* FindResultCode(int code);

}  // namespace qm
