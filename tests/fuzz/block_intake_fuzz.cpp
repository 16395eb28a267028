// The block intake: any bytes as the mapping's content and any mapping size,
// through the handshake (status 1, private copy, copy-back, status 2), the
// termination of the caller's texts, the choice of profile, adapter and
// operation, and an adapter that reads every field as the real ones do (the
// scripts through the formatter, the texts bounded). Every adapter of the
// registry takes part under its own kind, so a new one joins by registering.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "adapters/registry.h"
#include "app/dispatch.h"
#include "callport/call_port.h"
#include "callport/script_format.h"
#include "core/intake.h"
#include "core/result_codes.h"
#include "core/utf.h"
#include "testing/fake_desktop.h"
#include "tests/fuzz/fuzz_support.h"

namespace qm::fuzz {
namespace {

// What the reading adapter saw, for the checks after the request.
struct Seen {
    const RequestBlock* copy = nullptr;
    bool called = false;
    bool read = false;
    std::u16string message;
    int code = 0;
};
Seen seen;

// A payType that makes the reader throw, as an adapter can.
constexpr std::int32_t kThrow = 0x7E57;

template <std::size_t N>
std::u16string_view Checked(const char16_t (&field)[N]) {
    const std::u16string_view text = ReadField(field);
    FUZZ_CHECK(text.size() < N);
    return text;
}

void CheckPlace(const PlaceRecord& p) {
    (void)Checked(p.name);
    (void)Checked(p.fullText);
}

class FieldReader final : public CCallPort {
public:
    using CCallPort::CCallPort;
    Hwnd FindMainWindow() override { return Hwnd{}; }
    void CloseEntryWindows(Hwnd) override {}

    int ReadOrder(Module, const char16_t* readScript, OrderRecord* order, std::u16string& message) override {
        seen.read = true;
        return Read(readScript, nullptr, order, message);
    }
    int EnterOrder(Module, const char16_t* readScript, const char16_t* pointScript, OrderRecord* order,
                   int requireBranch, std::u16string& message, int finishAction) override {
        FUZZ_CHECK(requireBranch == seen.copy->requireBranch && finishAction == seen.copy->finishAction);
        return Read(readScript, pointScript, order, message);
    }

private:
    int Read(const char16_t* readScript, const char16_t* pointScript, OrderRecord* order, std::u16string& message) {
        const RequestBlock& copy = *seen.copy;
        seen.called = true;
        FUZZ_CHECK(readScript == copy.readScript && order == &copy.order);
        FUZZ_CHECK(pointScript == nullptr || pointScript == copy.pointScript);
        FUZZ_CHECK(std::memcmp(profile, &ProfileForSpeed(copy.speed), sizeof(DelayProfile)) == 0);
        // The scripts as the map steps format them.
        const std::u16string_view read = Checked(copy.readScript);
        (void)FormatScript(read, ScriptArguments::None, {}, 512);
        if (pointScript != nullptr) {
            const std::u16string_view point = Checked(copy.pointScript);
            (void)FormatScript(point, ScriptArguments::TwoDoubles, {order->origin.x, order->origin.y, {}}, 256);
            (void)FormatScript(point, ScriptArguments::TwoDoublesAndText,
                               {order->destination.x, order->destination.y, Checked(order->destination.name)}, 1200);
        }
        const OrderRecord& o = *order;
        for (auto text : {Checked(o.fare), Checked(o.cashAmount), Checked(o.postpaidAmount), Checked(o.cardAmount),
                          Checked(o.mileageAmount), Checked(o.branchName), Checked(o.branchNumber),
                          Checked(o.customerPhone), Checked(o.customerPhone2)})
            (void)text;
        CheckPlace(o.origin);
        CheckPlace(o.destination);
        for (const PlaceRecord& v : o.via) CheckPlace(v);
        // A message longer than the block's: the memos one after the other.
        message = std::u16string(Checked(o.driverMemo)) + std::u16string(Checked(o.memo2));
        (void)Checked(copy.message);
        if (o.payType == kThrow) throw std::runtime_error(Utf16ToUtf8(Checked(o.branchName)));
        seen.message = message;
        seen.code = o.consignment;
        return o.consignment;
    }
};

std::vector<AdapterEntry> ReadingAdapters() {
    std::vector<AdapterEntry> entries;
    for (const AdapterEntry& entry : RegisteredAdapters())
        entries.push_back({entry.adapterKind, entry.name, [](Desktop& desktop, const DelayProfile& profile) {
                               return std::unique_ptr<CCallPort>(new FieldReader(desktop, profile));
                           }});
    return entries;
}

bool Served(int kind) {
    for (const AdapterEntry& entry : RegisteredAdapters())
        if (entry.adapterKind == kind) return true;
    return false;
}

// Every byte of [from, to) is as sent or zero (a text cut at its last unit).
// Not instrumented: a comparison per byte of the block would be most of a run.
__attribute__((no_sanitize("coverage"))) bool OnlyCut(const std::uint8_t* answer, const std::uint8_t* sent,
                                                      std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
        if (answer[i] != sent[i] && answer[i] != 0) return false;
    return true;
}

// The mapping's content is written by patches, so that a short input reaches
// every byte of the block: a byte below 0x80 copies that many bytes of the
// input to the offset in the next two bytes; a byte from 0x80 fills, from the
// offset in the next two bytes, as many units as the two after them give with
// the unit in the two after those (a text field without its terminator, say).
void Patch(const std::uint8_t* data, std::size_t size, std::uint8_t* mapping, std::size_t mappingSize) {
    auto u16 = [&](std::size_t at) { return static_cast<std::size_t>(data[at] | data[at + 1] << 8); };
    for (std::size_t i = 0; i + 3 <= size;) {
        const std::uint8_t op = data[i];
        const std::size_t offset = u16(i + 1);
        i += 3;
        if (op < 0x80) {
            const std::size_t n = std::min<std::size_t>(op, size - i);
            if (offset < mappingSize) std::memcpy(mapping + offset, data + i, std::min(n, mappingSize - offset));
            i += n;
        } else {
            if (i + 4 > size) return;
            const std::size_t units = u16(i) % 2048;
            const std::uint8_t unit[2] = {data[i + 2], data[i + 3]};
            i += 4;
            for (std::size_t k = 0, at = offset; k < units && at + 2 <= mappingSize; ++k, at += 2)
                std::memcpy(mapping + at, unit, 2);
        }
    }
}

}  // namespace
}  // namespace qm::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qm;
    using namespace qm::fuzz;
    static testing::FakeDesktop desktop;
    static const std::vector<AdapterEntry> adapters = ReadingAdapters();
    // Aligned as a view of a mapping is; as large as the largest mapping.
    static std::vector<std::uint64_t> words((kRequestBlockSize + 256) / 8 + 1);
    static std::vector<std::uint8_t> before(kRequestBlockSize + 256);
    if (size < 2) return 0;
    // The first two bytes give the mapping's size: below the block's size, or
    // the block and up to 255 bytes more. The patches that follow write its
    // content; what they do not reach is zero.
    const std::size_t mappingSize = (data[0] & 0x80) ? kRequestBlockSize + data[1]
                                                     : (static_cast<std::size_t>(data[0] << 8 | data[1]) * 13) % kRequestBlockSize;
    auto* mapping = reinterpret_cast<std::uint8_t*>(words.data());
    std::memset(mapping, 0, mappingSize);
    Patch(data + 2, size - 2, mapping, mappingSize);
    std::memcpy(before.data(), mapping, mappingSize);
    static RequestBlock caller;
    std::memset(&caller, 0, sizeof caller);
    std::memcpy(&caller, mapping, std::min(mappingSize, kRequestBlockSize));

    seen = Seen{};
    const bool taken = ServeMappedBlock(mapping, mappingSize, [&](RequestBlock& copy) {
        seen.copy = &copy;
        FUZZ_CHECK(std::memcmp(mapping + offsetof(RequestBlock, status), "\x01\0\0\0", 4) == 0);
        ServeRequest(copy, desktop, testing::FakeDesktop::kOleacc, adapters);
    });
    if (mappingSize < kRequestBlockSize) {
        FUZZ_CHECK(!taken && seen.copy == nullptr);
        FUZZ_CHECK(std::equal(mapping, mapping + mappingSize, before.begin()));
        return 0;
    }
    FUZZ_CHECK(taken);
    const auto& answer = *reinterpret_cast<const RequestBlock*>(mapping);
    FUZZ_CHECK(answer.status == 2);
    // Past the block nothing changes.
    FUZZ_CHECK(std::memcmp(mapping + kRequestBlockSize, before.data() + kRequestBlockSize,
                           mappingSize - kRequestBlockSize) == 0);
    FUZZ_CHECK(answer.mode == caller.mode && answer.speed == caller.speed);
    // Everything of the caller's comes back as sent, but for the last unit
    // of a text field, which is made a terminator.
    FUZZ_CHECK(OnlyCut(mapping, reinterpret_cast<const std::uint8_t*>(&caller), 0, offsetof(RequestBlock, status)));
    FUZZ_CHECK(OnlyCut(mapping, reinterpret_cast<const std::uint8_t*>(&caller), offsetof(RequestBlock, order),
                       offsetof(RequestBlock, message)));
    if (!Served(caller.order.adapterKind)) {
        FUZZ_CHECK(!seen.called && answer.result == result::kAdapterNotServed);
        FUZZ_CHECK(ReadField(answer.message) == ReadField(caller.message).substr(0, kMessageChars - 1));
        return 0;
    }
    FUZZ_CHECK(seen.called && seen.read == (caller.mode != 0));
    FUZZ_CHECK(answer.message[kMessageChars - 1] == u'\0');
    if (caller.order.payType == kThrow) {
        FUZZ_CHECK(answer.result == result::kException);
        return 0;
    }
    FUZZ_CHECK(answer.result == seen.code);
    FUZZ_CHECK(ReadField(answer.message) == std::u16string_view(seen.message).substr(0, kMessageChars - 1));
    return 0;
}
