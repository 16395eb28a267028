// A snapshot file, any bytes, through the replay's reader. It is either
// refused with a reason in UTF-8 or taken; a taken snapshot writes and reads
// back to itself, rebuilds on the fake desktop and replays without harm, and
// compared with itself differs in nothing.
#include <cstdint>
#include <string>

#include "core/utf.h"
#include "tests/fuzz/fuzz_support.h"
#include "tools/quillmere-replay/replay.h"
#include "tools/snapshot/snapshot.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qm;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const snapshot::ReadResult r = snapshot::FromJson(text);
    if (!r.snapshot) {
        FUZZ_CHECK(!r.error.empty() && IsValidUtf8(r.error));
        return 0;
    }
    const std::string written = snapshot::ToJson(*r.snapshot);
    const snapshot::ReadResult again = snapshot::FromJson(written);
    FUZZ_CHECK(again.snapshot.has_value());
    FUZZ_CHECK(snapshot::ToJson(*again.snapshot) == written);

    probe::Options options = probe::ParseArguments({}).options;
    const probe::Report report = replay::Replay(*r.snapshot, options);
    FUZZ_CHECK(IsValidUtf8(probe::RenderJson(report)));
    const replay::Difference same = replay::Compare(*r.snapshot, *r.snapshot, options);
    FUZZ_CHECK(same.rows.empty() && same.windows.empty());
    return 0;
}
