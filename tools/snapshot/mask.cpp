// What a snapshot keeps of a desk's texts unless --with-texts: the texts the
// robot looks for, and the shape of every other (docs/snapshots.md, "What
// leaves the desk").
#include <algorithm>
#include <iterator>
#include <map>

#include "tools/snapshot/snapshot.h"

namespace qm::snapshot {

namespace {

bool HoldsData(WindowKind kind) { return kind == WindowKind::Edit || kind == WindowKind::Combo; }

// A button's or a label's text is the program's own unless it sits beside a
// box, where programs show what belongs to the customer (a name, a number).
bool BesideABox(const std::vector<WindowRecord>& windows, const std::vector<std::size_t>& siblings, std::size_t place) {
    return (place > 0 && HoldsData(windows[siblings[place - 1]].kind)) ||
           (place + 1 < siblings.size() && HoldsData(windows[siblings[place + 1]].kind));
}

constexpr std::u16string_view kKinds[] = {u"digits", u"Hangul", u"Latin", u"signs"};
constexpr std::u16string_view kBlanks = u"blanks";
constexpr std::u16string_view kBuckets[] = {u"1-4", u"5-16", u"17-64", u"65-256", u"257+"};

// Calls each(line, cr, last) for every line of text, the line without its "\r\n".
template <class Each>
void ForEachLine(std::u16string_view text, Each each) {
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(text.find(u'\n', start), text.size());
        std::u16string_view line = text.substr(start, end - start);
        const bool cr = !line.empty() && line.back() == u'\r';
        if (cr) line.remove_suffix(1);
        each(line, cr, end == text.size());
        if (end == text.size()) return;
        start = end + 1;
    }
}

std::u16string MaskedLine(std::u16string_view line) {
    bool present[4] = {};
    for (char16_t c : line) {
        if (c >= u'0' && c <= u'9') present[0] = true;
        else if ((c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F)) present[1] = true;
        else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) present[2] = true;
        else if (c != u' ') present[3] = true;
    }
    std::u16string kinds;
    for (std::size_t k = 0; k < 4; ++k)
        if (present[k]) kinds += (kinds.empty() ? u"" : u"+") + std::u16string(kKinds[k]);
    if (kinds.empty()) kinds = kBlanks;
    const std::size_t n = line.size();
    const std::size_t bucket = n <= 4 ? 0 : n <= 16 ? 1 : n <= 64 ? 2 : n <= 256 ? 3 : 4;
    return u"<" + kinds + u" " + std::u16string(kBuckets[bucket]) + u">";
}

bool IsMaskedLine(std::u16string_view line) {
    if (line.size() < 3 || line.front() != u'<' || line.back() != u'>') return false;
    line = line.substr(1, line.size() - 2);
    const std::size_t blank = line.rfind(u' ');
    if (blank == std::u16string_view::npos) return false;
    if (std::find(std::begin(kBuckets), std::end(kBuckets), line.substr(blank + 1)) == std::end(kBuckets)) return false;
    std::u16string_view kinds = line.substr(0, blank);
    if (kinds == kBlanks) return true;
    std::size_t next = 0;  // each kind once, in their order
    for (std::size_t start = 0; start <= kinds.size();) {
        const std::size_t plus = std::min(kinds.find(u'+', start), kinds.size());
        const auto k = std::find(std::begin(kKinds) + next, std::end(kKinds), kinds.substr(start, plus - start));
        if (k == std::end(kKinds)) return false;
        next = static_cast<std::size_t>(k - std::begin(kKinds)) + 1;
        start = plus + 1;
    }
    return true;
}

}  // namespace

std::u16string MaskedText(std::u16string_view text) {
    if (text.empty()) return {};
    // Each line on its own, so that a box keeps its count of lines.
    std::u16string out;
    ForEachLine(text, [&](std::u16string_view line, bool cr, bool last) {
        if (!line.empty()) out += MaskedLine(line);
        if (cr) out += u'\r';
        if (!last) out += u'\n';
    });
    return out;
}

bool IsMaskedText(std::u16string_view text) {
    bool masked = false, other = false;
    ForEachLine(text, [&](std::u16string_view line, bool, bool) {
        if (line.empty()) return;
        (IsMaskedLine(line) ? masked : other) = true;
    });
    return masked && !other;
}

namespace {

void MaskLines(std::vector<std::u16string>& texts) {
    for (std::u16string& t : texts) t = MaskedText(t);
}

}  // namespace

void MaskTexts(WindowTree& tree, const probe::AnchorTexts& anchors) {
    std::vector<WindowRecord>& windows = tree.windows;
    // Each window's siblings in z-order, and its place among them.
    std::map<Hwnd, std::vector<std::size_t>> children;
    std::vector<std::size_t> place(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        std::vector<std::size_t>& siblings = children[windows[i].parent];
        place[i] = siblings.size();
        siblings.push_back(i);
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
        WindowRecord& w = windows[i];
        bool keep = false;
        switch (w.kind) {
        case WindowKind::Edit:
        case WindowKind::Combo: break;
        case WindowKind::Button:
        case WindowKind::CheckBox:
        case WindowKind::Label: keep = anchors.Names(w.caption) || !BesideABox(windows, children[w.parent], place[i]); break;
        case WindowKind::Dialog:
        case WindowKind::Container: keep = anchors.Names(w.caption); break;
        }
        if (!keep) w.caption = MaskedText(w.caption);
        w.shown = MaskedText(w.shown);
        MaskLines(w.lines);
        MaskLines(w.items);
    }
}

}  // namespace qm::snapshot
