// Whole-file I/O for the substitutes' orders files and --open-order.
#pragma once

#include <optional>
#include <string>

namespace qm::sim::kit {

// Writes content to a temporary file beside path and moves it over path, so a
// reader never sees half a file (in place where the file system refuses the move).
bool WriteTextFile(const std::u16string& path, const std::string& content);
// The whole file (at most 16 MiB); empty when it cannot be read.
std::optional<std::string> ReadTextFile(const std::u16string& path);

}  // namespace qm::sim::kit
