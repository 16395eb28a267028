// A kept snapshot (tests/snapshots) against a copy changed the way a vendor's
// update changes a screen: windows moved to another parent or place with what
// they hold, renamed (or masked, as a snapshot taken without its texts is),
// given another class or id, removed with their children, or added. The first byte picks the snapshot, each next four one change.
// Compared both ways the diff runs without harm (the sanitizers watch), names
// no more windows than there are, prints UTF-8, and the changed copy compared
// with itself differs in nothing.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/utf.h"
#include "tests/fuzz/fuzz_support.h"
#include "tools/quillmere-replay/replay.h"
#include "tools/snapshot/snapshot.h"

namespace {

using namespace qm;

constexpr std::size_t kMaxChanges = 64;

const std::vector<snapshot::Snapshot>& Screens() {
    static const std::vector<snapshot::Snapshot> screens = [] {
        std::vector<std::filesystem::path> files;
        for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(QM_SOURCE_DIR) / "tests" / "snapshots")) {
            const std::string name = e.path().filename().string();
            if (e.path().extension() == ".json" && name.find(".live.") == std::string::npos) files.push_back(e.path());
        }
        std::sort(files.begin(), files.end());
        std::vector<snapshot::Snapshot> out;
        for (const auto& f : files) {
            snapshot::ReadResult r = snapshot::ReadFile(f.string());
            FUZZ_CHECK(r.snapshot.has_value());
            out.push_back(std::move(*r.snapshot));
        }
        FUZZ_CHECK(!out.empty());
        return out;
    }();
    return screens;
}

class Changer {
public:
    explicit Changer(const snapshot::Snapshot& s) : s_(s) {
        for (const WindowRecord& w : s.tree.windows) {
            captions_.push_back(w.caption);
            classes_.push_back(w.className);
        }
    }

    void Apply(std::uint8_t what, std::uint8_t a, std::uint8_t b, std::uint8_t c) {
        std::vector<WindowRecord>& ws = s_.tree.windows;
        if (ws.empty()) return;
        const std::size_t i = a % ws.size();
        switch (what % 5) {
        case 0: Move(i, b % ws.size(), c); break;
        case 1:  // another window's caption, one more sign, or masked as at the desk
            ws[i].caption = b % 3 == 0 ? captions_[c % captions_.size()] : b % 3 == 1 ? ws[i].caption + u"'" : snapshot::MaskedText(ws[i].caption);
            break;
        case 2:
            if (b & 1) {
                ws[i].id = ws[c % ws.size()].id;
            } else if (ws[i].kind != WindowKind::Combo) {  // a combo keeps its items and selection
                ws[i].className = classes_[c % classes_.size()];
                ws[i].kind = KindOf(ws[i].className, ws[i].style);
                if (ws[i].kind == WindowKind::Combo) ws[i].kind = WindowKind::Container;
            }
            break;
        case 3:
            if (!IsNull(ws[i].parent)) Remove(ws[i].handle);
            break;
        case 4: {
            WindowRecord added = ws[i];
            added.handle = Hwnd{0x7e000000u + next_++};
            added.parent = ws[b % ws.size()].handle;
            added.owner = Hwnd{};
            ws.push_back(added);
            break;
        }
        }
    }

    // In the file's order: top-level windows, each followed by its descendants depth first.
    snapshot::Snapshot Result() const {
        snapshot::Snapshot s = s_;
        std::map<Hwnd, std::vector<const WindowRecord*>> children;
        for (const WindowRecord& w : s_.tree.windows) children[w.parent].push_back(&w);
        s.tree.windows.clear();
        std::vector<const WindowRecord*> pending(children[Hwnd{}].rbegin(), children[Hwnd{}].rend());
        while (!pending.empty()) {
            const WindowRecord* w = pending.back();
            pending.pop_back();
            s.tree.windows.push_back(*w);
            const auto& under = children[w->handle];
            pending.insert(pending.end(), under.rbegin(), under.rend());
        }
        return s;
    }

private:
    bool Within(Hwnd h, Hwnd top) const {
        for (std::size_t steps = 0; !IsNull(h) && steps <= s_.tree.windows.size(); ++steps) {
            if (h == top) return true;
            h = std::find_if(s_.tree.windows.begin(), s_.tree.windows.end(), [&](const WindowRecord& w) { return w.handle == h; })->parent;
        }
        return false;
    }

    // A child window goes under another window (not one of its own), before
    // its place-th child there or after them all.
    void Move(std::size_t i, std::size_t to, std::uint8_t place) {
        std::vector<WindowRecord>& ws = s_.tree.windows;
        if (IsNull(ws[i].parent) || Within(ws[to].handle, ws[i].handle)) return;
        WindowRecord moved = ws[i];
        moved.parent = ws[to].handle;
        ws.erase(ws.begin() + static_cast<std::ptrdiff_t>(i));
        std::vector<std::size_t> siblings;
        for (std::size_t k = 0; k < ws.size(); ++k)
            if (ws[k].parent == moved.parent) siblings.push_back(k);
        const std::size_t p = place % (siblings.size() + 1);
        ws.insert(p < siblings.size() ? ws.begin() + static_cast<std::ptrdiff_t>(siblings[p]) : ws.end(), moved);
    }

    void Remove(Hwnd h) {
        std::vector<Hwnd> gone{h};
        for (std::size_t k = 0; k < gone.size(); ++k)
            for (const WindowRecord& w : s_.tree.windows)
                if (w.parent == gone[k]) gone.push_back(w.handle);
        std::erase_if(s_.tree.windows, [&](const WindowRecord& w) { return std::find(gone.begin(), gone.end(), w.handle) != gone.end(); });
    }

    snapshot::Snapshot s_;
    std::vector<std::u16string> captions_;
    std::vector<std::u16string> classes_;
    std::uint32_t next_ = 0;
};

void CheckDiff(const snapshot::Snapshot& from, const snapshot::Snapshot& to, const probe::Options& options) {
    const replay::Difference d = replay::Compare(from, to, options);
    FUZZ_CHECK(d.windows.size() <= from.tree.windows.size() + to.tree.windows.size());
    FUZZ_CHECK(IsValidUtf8(replay::RenderDiff(d)) && IsValidUtf8(replay::RenderDiffJson(d)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::vector<snapshot::Snapshot>& screens = Screens();
    const snapshot::Snapshot& base = screens[data[0] % screens.size()];
    Changer changer(base);
    for (std::size_t k = 1; k + 3 < size && k / 4 < kMaxChanges; k += 4) changer.Apply(data[k], data[k + 1], data[k + 2], data[k + 3]);
    // The changed copy is a snapshot the reader takes, as one from a desk would be.
    const snapshot::ReadResult changed = snapshot::FromJson(snapshot::ToJson(changer.Result()));
    if (!changed.snapshot) {
        std::fprintf(stderr, "the changes made a file the reader refuses: %s\n", changed.error.c_str());
        FUZZ_CHECK(false);
    }
    const probe::Options options = probe::ParseArguments({}).options;
    CheckDiff(base, *changed.snapshot, options);
    CheckDiff(*changed.snapshot, base, options);
    const replay::Difference same = replay::Compare(*changed.snapshot, *changed.snapshot, options);
    FUZZ_CHECK(same.windows.empty() && same.rows.empty());
    return 0;
}
