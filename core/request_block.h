// The record that the caller and the robot exchange through the named mapping.
// Little-endian, 19,800 bytes, texts as NUL-terminated UTF-16 in fixed arrays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

struct PlaceRecord {
    double x;
    double y;
    char16_t name[512];
    char16_t fullText[512];
};

struct OrderRecord {
    std::int32_t adapterKind;
    std::int32_t oleaccLoaded;
    std::int32_t consignment;
    std::int32_t payType;
    char16_t fare[12];
    char16_t cashAmount[12];
    char16_t postpaidAmount[12];
    char16_t cardAmount[12];
    char16_t mileageAmount[12];
    std::uint8_t reserved[32];  // no adapter reads or writes it; callers leave it zero
    char16_t branchName[24];
    char16_t branchNumber[24];
    char16_t customerPhone[24];
    char16_t customerPhone2[24];
    char16_t driverMemo[1024];
    char16_t memo2[1024];
    PlaceRecord origin;
    PlaceRecord destination;
    PlaceRecord via[3];
};

struct RequestBlock {
    std::int32_t mode;
    std::int32_t requireBranch;
    std::int32_t finishAction;
    std::int32_t speed;
    char16_t readScript[300];
    char16_t pointScript[1200];
    std::int32_t status;
    std::int32_t result;
    OrderRecord order;
    char16_t message[1000];
};

constexpr std::size_t kRequestBlockSize = 19800;
constexpr std::size_t kMessageChars = 1000;

static_assert(sizeof(PlaceRecord) == 2064);
static_assert(offsetof(PlaceRecord, x) == 0);
static_assert(offsetof(PlaceRecord, y) == 8);
static_assert(offsetof(PlaceRecord, name) == 16);
static_assert(offsetof(PlaceRecord, fullText) == 1040);

static_assert(sizeof(OrderRecord) == 14776);
static_assert(offsetof(OrderRecord, adapterKind) == 0);
static_assert(offsetof(OrderRecord, oleaccLoaded) == 4);
static_assert(offsetof(OrderRecord, consignment) == 8);
static_assert(offsetof(OrderRecord, payType) == 12);
static_assert(offsetof(OrderRecord, fare) == 16);
static_assert(offsetof(OrderRecord, cashAmount) == 40);
static_assert(offsetof(OrderRecord, postpaidAmount) == 64);
static_assert(offsetof(OrderRecord, cardAmount) == 88);
static_assert(offsetof(OrderRecord, mileageAmount) == 112);
static_assert(offsetof(OrderRecord, reserved) == 136);
static_assert(offsetof(OrderRecord, branchName) == 168);
static_assert(offsetof(OrderRecord, branchNumber) == 216);
static_assert(offsetof(OrderRecord, customerPhone) == 264);
static_assert(offsetof(OrderRecord, customerPhone2) == 312);
static_assert(offsetof(OrderRecord, driverMemo) == 360);
static_assert(offsetof(OrderRecord, memo2) == 2408);
static_assert(offsetof(OrderRecord, origin) == 4456);
static_assert(offsetof(OrderRecord, destination) == 6520);
static_assert(offsetof(OrderRecord, via) == 8584);
static_assert(offsetof(OrderRecord, via[1]) == 10648);
static_assert(offsetof(OrderRecord, via[2]) == 12712);

static_assert(sizeof(RequestBlock) == kRequestBlockSize);
static_assert(offsetof(RequestBlock, mode) == 0);
static_assert(offsetof(RequestBlock, requireBranch) == 4);
static_assert(offsetof(RequestBlock, finishAction) == 8);
static_assert(offsetof(RequestBlock, speed) == 12);
static_assert(offsetof(RequestBlock, readScript) == 16);
static_assert(offsetof(RequestBlock, pointScript) == 616);
static_assert(offsetof(RequestBlock, status) == 3016);
static_assert(offsetof(RequestBlock, result) == 3020);
static_assert(offsetof(RequestBlock, order) == 3024);
static_assert(offsetof(RequestBlock, order.origin.fullText) == 8520);
static_assert(offsetof(RequestBlock, order.via[2].fullText) == 16776);
static_assert(offsetof(RequestBlock, message) == 17800);

// Writes text into a fixed field of N units: cut at N-1 units (N-2 when the cut
// would part a surrogate pair), always terminated, the rest of the field
// zeroed. Returns false when the text had to be cut.
bool WriteField(char16_t* field, std::size_t units, std::u16string_view text);
template <std::size_t N>
bool WriteField(char16_t (&field)[N], std::u16string_view text) {
    return WriteField(field, N, text);
}

// Reads a fixed field of N units: up to the first NUL, never past N units.
std::u16string_view ReadField(const char16_t* field, std::size_t units);
template <std::size_t N>
std::u16string_view ReadField(const char16_t (&field)[N]) {
    return ReadField(field, N);
}

// Puts a NUL into the last unit of every text field that the caller writes, so a
// field that came without its terminator cannot run into the next one.
void TerminateCallerTexts(RequestBlock& block);

}  // namespace qm
