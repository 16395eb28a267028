#include "core/request_block.h"

#include <algorithm>

namespace qm {

namespace {
bool HighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool LowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

bool WriteField(char16_t* field, std::size_t units, std::u16string_view text) {
    if (units == 0) return text.empty();
    std::size_t n = std::min(text.size(), units - 1);
    // A character is stored whole or not at all: never the first half of a pair.
    if (n < text.size() && n > 0 && HighSurrogate(text[n - 1]) && LowSurrogate(text[n])) --n;
    std::copy_n(text.data(), n, field);
    std::fill(field + n, field + units, u'\0');
    return n == text.size();
}

std::u16string_view ReadField(const char16_t* field, std::size_t units) {
    const char16_t* end = std::find(field, field + units, u'\0');
    return {field, static_cast<std::size_t>(end - field)};
}

namespace {
template <std::size_t N>
void Terminate(char16_t (&field)[N]) {
    field[N - 1] = u'\0';
}
void Terminate(PlaceRecord& place) {
    Terminate(place.name);
    Terminate(place.fullText);
}
}  // namespace

void TerminateCallerTexts(RequestBlock& block) {
    Terminate(block.readScript);
    Terminate(block.pointScript);
    Terminate(block.message);
    OrderRecord& o = block.order;
    Terminate(o.fare);
    Terminate(o.cashAmount);
    Terminate(o.postpaidAmount);
    Terminate(o.cardAmount);
    Terminate(o.mileageAmount);
    Terminate(o.branchName);
    Terminate(o.branchNumber);
    Terminate(o.customerPhone);
    Terminate(o.customerPhone2);
    Terminate(o.driverMemo);
    Terminate(o.memo2);
    Terminate(o.origin);
    Terminate(o.destination);
    for (PlaceRecord& v : o.via) Terminate(v);
}

}  // namespace qm
