// What a program's version resource (VERSIONINFO) says of its version: the
// caller puts the robot's into its answer, so that a support request names the
// build it ran.
#pragma once

#include <optional>
#include <string>

namespace qm::win32 {

// The ProductVersion text of the program at path (its first translation), else
// its fixed product version as "a.b.c.d"; nothing when the file cannot be read
// or has no version resource. UTF-8.
std::optional<std::string> ProductVersionOf(const std::wstring& path);

}  // namespace qm::win32
