// Two snapshots compared: the windows that were added, removed, moved or
// changed, and the control-map rows whose outcome differs.
//
// Handles differ between two runs of a program, so windows are matched by
// what they are: their class, caption (not what a box shows) and control id,
// and their place under a matched parent. Siblings are aligned by their
// longest common run; what is left between two aligned windows is paired as
// changed when class or caption agree, and a window removed in one place and
// added in another with the same description has moved.
#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "core/utf.h"
#include "tools/quillmere-replay/replay.h"

namespace qm::replay {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
// Siblings beyond this many cells of the alignment table are matched in order instead.
constexpr std::size_t kMaxAlignCells = 4'000'000;

bool HoldsData(const WindowRecord& w) { return w.kind == WindowKind::Edit || w.kind == WindowKind::Combo; }

struct Forest {
    std::vector<const WindowRecord*> windows;
    std::vector<std::size_t> parent;
    std::vector<std::vector<std::size_t>> children;
    std::vector<std::size_t> roots;
};

// The windows of the programs asked for, as trees in z-order.
Forest Build(const snapshot::Snapshot& s, const probe::Options& options) {
    std::set<std::uint32_t> processes;
    for (const snapshot::Program& p : s.programs)
        if (std::find(options.adapters.begin(), options.adapters.end(), p.adapter) != options.adapters.end()) processes.insert(p.process);
    Forest f;
    std::map<Hwnd, std::size_t> index;
    for (const WindowRecord& w : s.tree.windows) {
        if (IsNull(w.parent) && processes.count(w.process) == 0) continue;
        if (!IsNull(w.parent) && index.count(w.parent) == 0) continue;  // under a window left out
        index[w.handle] = f.windows.size();
        f.windows.push_back(&w);
        f.children.emplace_back();
        f.parent.push_back(IsNull(w.parent) ? kNone : index[w.parent]);
        (IsNull(w.parent) ? f.roots : f.children[index[w.parent]]).push_back(f.windows.size() - 1);
    }
    return f;
}

std::string Key(const WindowRecord& w) {
    return Utf16ToUtf8(w.className) + '\x1f' + (HoldsData(w) ? std::string() : Utf16ToUtf8(w.caption)) + '\x1f' +
           std::to_string(w.id);
}

// The same window in both snapshots, as far as its siblings go: what Key
// says, where a caption masked at the desk (it sat beside a box in one
// snapshot only, say) stands for any caption.
bool Same(const WindowRecord& a, const WindowRecord& b) {
    if (a.className != b.className || a.id != b.id) return false;
    return HoldsData(a) || HoldsData(b) || a.caption == b.caption || snapshot::IsMaskedText(a.caption) ||
           snapshot::IsMaskedText(b.caption);
}

std::string Describe(const WindowRecord& w) {
    std::string s = Utf16ToUtf8(w.className);
    if (!HoldsData(w) && !w.caption.empty()) s += " \"" + Utf16ToUtf8(w.caption) + "\"";
    if (w.id != 0) s += " (id " + std::to_string(w.id) + ")";
    return s;
}

std::string Where(const Forest& f, std::size_t i) {
    std::string s = Describe(*f.windows[i]);
    if (f.parent[i] != kNone) s += " in " + Describe(*f.windows[f.parent[i]]);
    return s;
}

class Comparer {
public:
    Comparer(const Forest& a, const Forest& b, std::vector<WindowChange>& out) : a_(a), b_(b), out_(out) {}

    void Run() {
        Walk(a_.roots, b_.roots);
        // A window that left one place and appeared in another has moved. Its
        // children are compared in turn, which may add to both lists: they are
        // read by index, and a pair is taken out before its children are walked.
        for (std::size_t r = 0; r < removed_.size();) {
            const std::size_t x = removed_[r];
            const WindowRecord& w = *a_.windows[x];
            const auto m = std::find_if(added_.begin(), added_.end(), [&](std::size_t y) { return Key(*b_.windows[y]) == Key(w); });
            const bool named = !w.caption.empty() || w.id != 0;
            if (m == added_.end() || !named) {
                ++r;
                continue;
            }
            const std::size_t y = *m;
            added_.erase(m);
            removed_.erase(removed_.begin() + static_cast<std::ptrdiff_t>(r));
            out_.push_back({WindowChange::Kind::Moved, Describe(w),
                            "from " + Parent(a_, x) + " to " + Parent(b_, y) + ", place " + std::to_string(Place(a_, x)) + " -> " +
                                std::to_string(Place(b_, y))});
            Walk(a_.children[x], b_.children[y]);
        }
        for (std::size_t r : removed_) out_.push_back({WindowChange::Kind::Removed, Where(a_, r), Subtree(a_, r)});
        for (std::size_t x : added_) out_.push_back({WindowChange::Kind::Added, Where(b_, x), Subtree(b_, x)});
    }

private:
    static std::string Parent(const Forest& f, std::size_t i) {
        return f.parent[i] == kNone ? "the desktop" : Describe(*f.windows[f.parent[i]]);
    }
    static std::size_t Place(const Forest& f, std::size_t i) {
        const std::vector<std::size_t>& siblings = f.parent[i] == kNone ? f.roots : f.children[f.parent[i]];
        return static_cast<std::size_t>(std::find(siblings.begin(), siblings.end(), i) - siblings.begin()) + 1;
    }
    static std::string Subtree(const Forest& f, std::size_t i) {
        std::size_t count = 0;
        std::vector<std::size_t> stack(f.children[i].begin(), f.children[i].end());
        while (!stack.empty()) {
            const std::size_t x = stack.back();
            stack.pop_back();
            ++count;
            stack.insert(stack.end(), f.children[x].begin(), f.children[x].end());
        }
        return count == 0 ? std::string() : "with the " + std::to_string(count) + " window(s) in it";
    }

    // The pairs of the longest common run of equal keys, in order.
    std::vector<std::pair<std::size_t, std::size_t>> Common(const std::vector<std::size_t>& xs, const std::vector<std::size_t>& ys) {
        std::vector<std::pair<std::size_t, std::size_t>> pairs;
        const std::size_t n = xs.size(), m = ys.size();
        if (n * m > kMaxAlignCells) {
            for (std::size_t i = 0, j = 0; i < n && j < m; ++i, ++j) {
                if (Same(*a_.windows[xs[i]], *b_.windows[ys[j]])) pairs.emplace_back(i, j);
            }
            return pairs;
        }
        std::vector<std::uint32_t> table((n + 1) * (m + 1), 0);
        auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& { return table[i * (m + 1) + j]; };
        for (std::size_t i = n; i-- > 0;)
            for (std::size_t j = m; j-- > 0;)
                at(i, j) = Same(*a_.windows[xs[i]], *b_.windows[ys[j]]) ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
        for (std::size_t i = 0, j = 0; i < n && j < m;) {
            if (Same(*a_.windows[xs[i]], *b_.windows[ys[j]])) {
                pairs.emplace_back(i++, j++);
            } else if (at(i + 1, j) >= at(i, j + 1)) {
                ++i;
            } else {
                ++j;
            }
        }
        return pairs;
    }

    // What aligning two lists of siblings comes to, in order: pairs to compare
    // (and whose children to align in turn), windows removed, windows added.
    struct Step {
        enum class What { Pair, Removed, Added } what;
        std::size_t x = kNone;
        std::size_t y = kNone;
    };

    std::vector<Step> Align(const std::vector<std::size_t>& xs, const std::vector<std::size_t>& ys) {
        std::vector<Step> steps;
        std::vector<std::pair<std::size_t, std::size_t>> common = Common(xs, ys);
        common.emplace_back(xs.size(), ys.size());  // the end closes the last gap
        std::size_t i = 0, j = 0;
        for (const auto& [ci, cj] : common) {
            // The gap before the next common pair: pairs that still agree in class or caption changed.
            while (i < ci && j < cj) {
                const WindowRecord& w = *a_.windows[xs[i]];
                const WindowRecord& v = *b_.windows[ys[j]];
                const bool alike = w.className == v.className || (!w.caption.empty() && w.caption == v.caption && !HoldsData(w));
                if (!alike) break;
                steps.push_back({Step::What::Pair, xs[i++], ys[j++]});
            }
            for (; i < ci; ++i) steps.push_back({Step::What::Removed, xs[i], kNone});
            for (; j < cj; ++j) steps.push_back({Step::What::Added, kNone, ys[j]});
            if (ci < xs.size()) steps.push_back({Step::What::Pair, xs[i++], ys[j++]});
        }
        return steps;
    }

    void Pair(std::size_t x, std::size_t y) {
        const WindowRecord& w = *a_.windows[x];
        const WindowRecord& v = *b_.windows[y];
        std::string detail;
        auto add = [&](const std::string& what) { detail += (detail.empty() ? "" : ", ") + what; };
        if (w.className != v.className) add("class " + Utf16ToUtf8(w.className) + " -> " + Utf16ToUtf8(v.className));
        if (!HoldsData(w) && !HoldsData(v) && w.caption != v.caption)
            add("text \"" + Utf16ToUtf8(w.caption) + "\" -> \"" + Utf16ToUtf8(v.caption) + "\"");
        if (w.id != v.id) add("id " + std::to_string(w.id) + " -> " + std::to_string(v.id));
        if (!detail.empty()) out_.push_back({WindowChange::Kind::Changed, Where(a_, x), detail});
    }

    // Two matched lists of siblings and, depth first, the children of each pair
    // in them: one level of the walk is one entry of a stack on the heap, so a
    // tree of any depth is walked on a thread's stack of any size.
    void Walk(const std::vector<std::size_t>& xs, const std::vector<std::size_t>& ys) {
        struct Level {
            std::vector<Step> steps;
            std::size_t next = 0;
        };
        std::vector<Level> stack;
        stack.push_back({Align(xs, ys)});
        while (!stack.empty()) {
            if (stack.back().next == stack.back().steps.size()) {
                stack.pop_back();
                continue;
            }
            const Step step = stack.back().steps[stack.back().next++];  // a copy: the push below may move the stack
            switch (step.what) {
            case Step::What::Removed: removed_.push_back(step.x); break;
            case Step::What::Added: added_.push_back(step.y); break;
            case Step::What::Pair:
                Pair(step.x, step.y);
                stack.push_back({Align(a_.children[step.x], b_.children[step.y])});
                break;
            }
        }
    }

    const Forest& a_;
    const Forest& b_;
    std::vector<WindowChange>& out_;
    std::vector<std::size_t> removed_;
    std::vector<std::size_t> added_;
};

// ---- Rows ----

std::string Status(const probe::AnchorReport& a) {
    switch (a.status) {
    case probe::AnchorStatus::Found: return "found";
    case probe::AnchorStatus::NotLookedFor: return "not looked for";
    case probe::AnchorStatus::Missing: break;
    }
    return a.missingCode != 0 ? "missing, " + std::to_string(a.missingCode) + " " + a.codeName : "missing";
}

std::string FieldOutcome(const probe::FieldReport& f) {
    if (!f.window) return Utf16ToUtf8(f.name) + " off the end";
    std::string s = Utf16ToUtf8(f.name) + " reaches " + Utf16ToUtf8(f.window->className);
    if (f.window->id != 0) s += " (id " + std::to_string(f.window->id) + ")";
    if (f.wrongKind) s += ", not " + Utf16ToUtf8(f.kind);
    if (f.refused) s += ", showing another text";
    return s;
}

bool Flagged(const probe::FieldReport& f) { return !f.window || f.wrongKind || f.refused; }

std::string ProgramState(const probe::AdapterReport& a) {
    switch (a.program) {
    case probe::ProgramState::Running: return "running";
    case probe::ProgramState::NotAnswering: return "not answering";
    case probe::ProgramState::NotRunning: break;
    }
    return "not running";
}

void CompareRows(const probe::AdapterReport& a, const probe::AdapterReport& b, std::vector<RowChange>& out) {
    const std::string program = b.name.empty() ? a.name : b.name;
    if (a.program != b.program) out.push_back({program, "program", ProgramState(a), ProgramState(b), b.program == probe::ProgramState::Running ? 0 : 5});
    std::map<std::u16string, const probe::AnchorReport*> before;
    for (const auto* list : {&a.chain, &a.controlMap})
        for (const probe::AnchorReport& r : *list) before.emplace(r.name, &r);
    for (const auto* list : {&b.chain, &b.controlMap}) {
        for (const probe::AnchorReport& r : *list) {
            const auto it = before.find(r.name);
            const probe::AnchorReport* old = it == before.end() ? nullptr : it->second;
            if (old) before.erase(it);
            std::string was = old ? Status(*old) : "not looked for";
            std::string now = Status(r);
            bool newFlag = false;
            for (const probe::FieldReport& f : r.fields) {
                const probe::FieldReport* g = nullptr;
                if (old)
                    for (const probe::FieldReport& x : old->fields)
                        if (x.name == f.name) g = &x;
                const std::string then = g ? FieldOutcome(*g) : Utf16ToUtf8(f.name) + " not reached";
                if (then == FieldOutcome(f)) continue;
                was += "; " + then;
                now += "; " + FieldOutcome(f);
                newFlag = newFlag || (Flagged(f) && (!g || !Flagged(*g)));
            }
            if (was == now) continue;
            int weight = 1;
            if (r.status == probe::AnchorStatus::Missing && r.missingCode != 0) weight = 4;
            else if (newFlag) weight = 3;
            else if (old && old->status == probe::AnchorStatus::Missing) weight = 0;
            out.push_back({program, Utf16ToUtf8(r.name), was, now, weight});
        }
    }
    for (const auto& [name, old] : before) out.push_back({program, Utf16ToUtf8(name), Status(*old), "not looked for", 2});
}

}  // namespace

Difference Compare(const snapshot::Snapshot& before, const snapshot::Snapshot& after, const probe::Options& options) {
    Difference d;
    const Forest a = Build(before, options);
    const Forest b = Build(after, options);
    Comparer(a, b, d.windows).Run();

    const probe::Report ra = Replay(before, options);
    const probe::Report rb = Replay(after, options);
    for (const probe::AdapterReport& x : ra.adapters)
        for (const probe::AdapterReport& y : rb.adapters)
            if (x.kind == y.kind) CompareRows(x, y, d.rows);
    std::stable_sort(d.rows.begin(), d.rows.end(), [](const RowChange& l, const RowChange& r) { return l.weight > r.weight; });
    return d;
}

namespace {

const char* KindWord(WindowChange::Kind k) {
    switch (k) {
    case WindowChange::Kind::Added: return "added";
    case WindowChange::Kind::Removed: return "removed";
    case WindowChange::Kind::Moved: return "moved";
    case WindowChange::Kind::Changed: break;
    }
    return "changed";
}

}  // namespace

std::string RenderDiff(const Difference& diff) {
    std::ostringstream s;
    std::map<WindowChange::Kind, int> counts;
    for (const WindowChange& c : diff.windows) ++counts[c.kind];
    s << "windows: " << counts[WindowChange::Kind::Added] << " added, " << counts[WindowChange::Kind::Removed] << " removed, "
      << counts[WindowChange::Kind::Moved] << " moved, " << counts[WindowChange::Kind::Changed] << " changed\n";
    for (const WindowChange& c : diff.windows) {
        s << "  " << KindWord(c.kind) << "  " << c.window;
        if (!c.detail.empty()) s << ": " << c.detail;
        s << '\n';
    }
    s << '\n';
    if (diff.rows.empty()) s << "no control-map row's outcome differs\n";
    else s << diff.rows.size() << " control-map row(s) differ, largest consequence first:\n";
    for (const RowChange& r : diff.rows) s << "  " << r.program << ": " << r.row << ": " << r.before << " -> " << r.after << '\n';
    s << "exit code " << (diff.rows.empty() ? kExitSame : kExitDiffers) << '\n';
    return s.str();
}

std::string RenderDiffJson(const Difference& diff) {
    using Json = nlohmann::ordered_json;
    Json windows = Json::array();
    for (const WindowChange& c : diff.windows) windows.push_back({{"change", KindWord(c.kind)}, {"window", c.window}, {"detail", c.detail}});
    Json rows = Json::array();
    for (const RowChange& r : diff.rows) rows.push_back({{"program", r.program}, {"row", r.row}, {"before", r.before}, {"after", r.after}});
    const Json doc{{"windows", windows}, {"rows", rows}, {"exitCode", diff.rows.empty() ? kExitSame : kExitDiffers}};
    return doc.dump(2) + "\n";
}

}  // namespace qm::replay
