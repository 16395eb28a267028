// A map page's answer to a position script, in both readings: the place
// scripts' (two numbers) and the via script's ("name:number" pieces). The
// answer is compared with a reading made by the C library: wcstok splits at
// the same delimiters, wcstod reads the numbers.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "callport/text.h"
#include "tests/fuzz/fuzz_support.h"

namespace qm::fuzz {
namespace {

std::optional<PagePosition> Reference(std::u16string_view answer, PositionPieces pieces) {
    const std::u16string trimmed = Trim(answer);
    // The answer's buffer holds 511 units, each number's 31.
    if (trimmed.empty() || trimmed.size() > 511) return std::nullopt;
    std::wstring text = Wide(trimmed);
    std::vector<std::wstring> found;
    wchar_t* state = nullptr;
    for (wchar_t* piece = std::wcstok(text.data(), L"()[], \t", &state); piece != nullptr;
         piece = std::wcstok(nullptr, L"()[], \t", &state))
        found.emplace_back(piece);
    if (found.size() != 2) return std::nullopt;
    double value[2];
    for (int k = 0; k < 2; ++k) {
        if (found[k].size() > 31) return std::nullopt;
        std::u16string piece(found[k].begin(), found[k].end());
        if (pieces == PositionPieces::AfterColon) {
            const std::size_t colon = piece.find(u':');
            if (colon != std::u16string::npos && colon > 0) piece = Trim(piece.substr(colon + 1));
        }
        value[k] = ReferenceDouble(piece);
    }
    return PagePosition{value[0], value[1]};
}

}  // namespace
}  // namespace qm::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qm::fuzz::UseUtf8Locale();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qm;
    using namespace qm::fuzz;
    if (size < 1) return 0;
    // The first byte chooses the reading, the rest is the answer.
    const PositionPieces pieces = (data[0] & 1) ? PositionPieces::AfterColon : PositionPieces::Whole;
    const std::u16string answer = Units(data + 1, size - 1);
    // A NUL ends the text for wcstok: the page's answer is a BSTR read to its length,
    // but the reference cannot split past a NUL.
    if (answer.find(u'\0') != std::u16string::npos) {
        (void)ParsePositionText(answer, pieces);
        return 0;
    }
    const std::optional<PagePosition> got = ParsePositionText(answer, pieces);
    const std::optional<PagePosition> want = Reference(answer, pieces);
    FUZZ_CHECK(got.has_value() == want.has_value());
    if (got) {
        FUZZ_CHECK(SameDouble(got->x, want->x));
        FUZZ_CHECK(SameDouble(got->y, want->y));
    }
    return 0;
}
