// Writing a program's output: a console gets UTF-16 (so Korean shows whatever
// its code page), a pipe or a file gets the UTF-8 bytes as they are.
#pragma once

#include <string>

namespace qm::win32 {

enum class Stream { Out, Error };
void Write(Stream stream, const std::string& utf8);

}  // namespace qm::win32
