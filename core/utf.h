// UTF-8 <-> UTF-16 for the edges of the system (JSON, standard output).
#pragma once

#include <string>
#include <string_view>

namespace qm {

// Ill-formed input (a lone surrogate, a bad UTF-8 sequence) becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// True when text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace qm
