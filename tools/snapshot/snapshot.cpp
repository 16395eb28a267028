// Taking a snapshot and its JSON file, written and read back with every field checked.
#include "tools/snapshot/snapshot.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "core/utf.h"

namespace qm::snapshot {

using Json = nlohmann::ordered_json;

// ---------------------------------------------------------------------------
// Taking

Snapshot Take(const probe::DesktopFor& desktopFor, const probe::Report& report, bool withTexts) {
    Snapshot s;
    s.withTexts = withTexts;
    s.askedForAll = !report.single;
    for (const probe::AdapterReport& a : report.adapters) s.askedFor.push_back(a.kind);
    // Each program's windows are read on its own desktop, so that one that
    // stops answering leaves the others whole.
    std::map<std::uint32_t, int> kindOfProcess;
    std::vector<int> kinds;
    for (const probe::AdapterReport& a : report.adapters) {
        if (a.program == probe::ProgramState::NotRunning || !a.mainWindow) continue;
        Desktop& desktop = desktopFor(a.kind);
        Program p;
        p.adapter = a.kind;
        p.name = a.name;
        p.mainWindow = a.mainWindow->handle;
        p.process = desktop.GetWindowProcessId(p.mainWindow);
        p.stoppedAnswering = a.stoppedAnswering;
        kindOfProcess.emplace(p.process, a.kind);
        for (const probe::EntryReport& e : a.entries) kindOfProcess.emplace(desktop.GetWindowProcessId(e.window.handle), a.kind);
        for (const probe::MapReport& m : a.mapWindows) kindOfProcess.emplace(desktop.GetWindowProcessId(m.window.handle), a.kind);
        kinds.push_back(a.kind);
        s.programs.push_back(std::move(p));
    }
    kindOfProcess.erase(0);
    if (kinds.empty()) return s;

    std::set<std::uint32_t> processes;
    for (const auto& [process, kind] : kindOfProcess) processes.insert(process);
    // One walk of the z-order keeps the programs' windows in their order on the screen.
    Desktop& first = desktopFor(kinds.front());
    for (Hwnd top : TopLevelWindowsOf(first, processes)) {
        Desktop& desktop = desktopFor(kindOfProcess[first.GetWindowProcessId(top)]);
        WindowTree part = ReadWindowTree(desktop, {top});
        for (WindowRecord& w : part.windows) {
            if (s.tree.windows.size() >= kTreeMaxWindows) {
                part.partial = true;
                part.partialReason = "the programs have more than " + std::to_string(kTreeMaxWindows) + " windows";
                break;
            }
            s.tree.windows.push_back(std::move(w));
        }
        if (part.partial && !s.tree.partial) {
            s.tree.partial = true;
            s.tree.partialReason = part.partialReason;
        }
    }
    // A program that stopped answering before its windows were read says best why.
    for (const Program& p : s.programs) {
        if (!p.stoppedAnswering.empty()) {
            s.tree.partial = true;
            s.tree.partialReason = p.name + " stopped answering in " + p.stoppedAnswering;
            break;
        }
    }
    if (!withTexts) {
        // Some programs' main windows are found by their title too.
        probe::AnchorTexts anchors = probe::AllAnchorTexts();
        for (const Program& p : s.programs)
            for (const WindowRecord& w : s.tree.windows)
                if (w.handle == p.mainWindow) anchors.whole.insert(w.caption);
        MaskTexts(s.tree, anchors);
    }
    return s;
}

// ---------------------------------------------------------------------------
// Writing

namespace {

using probe::HandleText;

Json RectJson(const Rect& r) { return Json::array({r.left, r.top, r.right, r.bottom}); }

Json TextsJson(const std::vector<std::u16string>& texts) {
    Json j = Json::array();
    for (const std::u16string& t : texts) j.push_back(Utf16ToUtf8(t));
    return j;
}

Json WindowJson(const WindowRecord& w) {
    Json j{{"handle", HandleText(w.handle)},
           {"parent", HandleText(w.parent)},
           {"owner", HandleText(w.owner)},
           {"process", w.process},
           {"class", Utf16ToUtf8(w.className)},
           {"caption", Utf16ToUtf8(w.caption)},
           {"captionCut", w.captionCut},
           {"id", w.id},
           {"style", w.style},
           {"visible", w.Visible()},
           {"enabled", w.Enabled()},
           {"child", w.Child()},
           {"popup", w.Popup()},
           {"window", w.info ? RectJson(w.info->window) : Json()},
           {"client", w.info ? RectJson(w.info->client) : Json()},
           {"kind", std::string(KindName(w.kind))}};
    if (w.kind == WindowKind::Edit || w.kind == WindowKind::Combo) {
        j["shown"] = Utf16ToUtf8(w.shown);
        j["shownCut"] = w.shownCut;
    }
    if (w.kind == WindowKind::Edit) j["lines"] = TextsJson(w.lines);
    if (w.kind == WindowKind::Combo) {
        j["items"] = TextsJson(w.items);
        j["selection"] = w.selection;
    }
    if (w.kind == WindowKind::CheckBox) j["checked"] = w.checked;
    return j;
}

}  // namespace

std::string ToJson(const Snapshot& s) {
    Json programs = Json::array();
    for (const Program& p : s.programs) {
        programs.push_back({{"adapter", p.adapter},
                            {"name", p.name},
                            {"process", p.process},
                            {"mainWindow", HandleText(p.mainWindow)},
                            {"fileVersion", p.fileVersion},
                            {"stoppedAnswering", p.stoppedAnswering}});
    }
    Json windows = Json::array();
    for (const WindowRecord& w : s.tree.windows) windows.push_back(WindowJson(w));
    const Json j{{"format", "quillmere-snapshot"},
                 {"formatVersion", kFormatVersion},
                 {"probeVersion", s.probeVersion},
                 {"takenAt", s.takenAt},
                 {"dpi", s.dpi},
                 {"withTexts", s.withTexts},
                 {"askedFor", s.askedForAll ? Json("all") : Json(s.askedFor)},
                 {"partial", s.tree.partial},
                 {"partialReason", s.tree.partialReason},
                 {"programs", programs},
                 {"windows", windows}};
    return j.dump(1) + "\n";
}

// ---------------------------------------------------------------------------
// Reading

namespace {

// A refusal that names the field: "windows[3].parent: ...".
struct Refused {
    std::string what;
};

[[noreturn]] void Refuse(const std::string& where, const std::string& why) { throw Refused{where + ": " + why}; }

const Json& Field(const Json& object, const char* name, const std::string& where) {
    const auto it = object.find(name);
    if (it == object.end()) Refuse(where, std::string("\"") + name + "\" is missing");
    return *it;
}

std::string At(const std::string& where, const char* name) { return where.empty() ? name : where + "." + name; }

const char* TypeName(const Json& j) {
    switch (j.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::object: return "an object";
    case Json::value_t::array: return "an array";
    case Json::value_t::string: return "a text";
    case Json::value_t::boolean: return "true or false";
    case Json::value_t::number_float: return "a fraction";
    default: return "a number";
    }
}

bool Bool(const Json& o, const char* name, const std::string& where) {
    const Json& j = Field(o, name, where);
    if (!j.is_boolean()) Refuse(At(where, name), std::string("must be true or false, not ") + TypeName(j));
    return j.get<bool>();
}

std::int64_t Integer(const Json& o, const char* name, const std::string& where, std::int64_t low, std::int64_t high) {
    const Json& j = Field(o, name, where);
    if (!j.is_number_integer()) Refuse(At(where, name), std::string("must be a whole number, not ") + TypeName(j));
    const bool negative = j.is_number_integer() && !j.is_number_unsigned() && j.get<std::int64_t>() < 0;
    // A bound below 0 (a combo box with no items: only -1 is a selection) is never met by a number 0 or above.
    if (!negative && (high < 0 || j.get<std::uint64_t>() > static_cast<std::uint64_t>(high))) {
        Refuse(At(where, name), "must be at most " + std::to_string(high));
    }
    const std::int64_t v = negative ? j.get<std::int64_t>() : static_cast<std::int64_t>(j.get<std::uint64_t>());
    if (v < low) Refuse(At(where, name), "must be at least " + std::to_string(low));
    return v;
}

std::u16string Text(const Json& o, const char* name, const std::string& where, std::size_t maxUnits) {
    const Json& j = Field(o, name, where);
    if (!j.is_string()) Refuse(At(where, name), std::string("must be a text, not ") + TypeName(j));
    std::u16string t = Utf8ToUtf16(j.get<std::string>());
    if (t.size() > maxUnits) Refuse(At(where, name), "is longer than " + std::to_string(maxUnits) + " units");
    return t;
}

std::string Utf8(const Json& o, const char* name, const std::string& where, std::size_t maxBytes) {
    const Json& j = Field(o, name, where);
    if (!j.is_string()) Refuse(At(where, name), std::string("must be a text, not ") + TypeName(j));
    if (j.get_ref<const std::string&>().size() > maxBytes) Refuse(At(where, name), "is too long");
    return j.get<std::string>();
}

Hwnd Handle(const Json& o, const char* name, const std::string& where) {
    const Json& j = Field(o, name, where);
    const std::string* s = j.is_string() ? &j.get_ref<const std::string&>() : nullptr;
    const bool hex = s != nullptr && s->size() > 2 && s->size() <= 18 && (*s)[0] == '0' && ((*s)[1] == 'x' || (*s)[1] == 'X') &&
                     s->find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos;
    if (!hex) Refuse(At(where, name), "must be a handle like \"0x1a2b\"");
    return Hwnd{static_cast<std::uintptr_t>(std::stoull(s->substr(2), nullptr, 16))};
}

std::optional<Rect> RectOrNull(const Json& o, const char* name, const std::string& where) {
    const Json& j = Field(o, name, where);
    if (j.is_null()) return std::nullopt;
    if (!j.is_array() || j.size() != 4) Refuse(At(where, name), "must be [left, top, right, bottom] or null");
    std::int32_t v[4];
    for (std::size_t i = 0; i < 4; ++i) {
        if (!j[i].is_number_integer()) Refuse(At(where, name), "must hold four whole numbers");
        const std::int64_t n = j[i].get<std::int64_t>();
        if (n < -1000000 || n > 1000000) Refuse(At(where, name), "lies beyond any screen");
        v[i] = static_cast<std::int32_t>(n);
    }
    return Rect{v[0], v[1], v[2], v[3]};
}

std::vector<std::u16string> Texts(const Json& o, const char* name, const std::string& where, std::size_t maxCount) {
    const Json& j = Field(o, name, where);
    if (!j.is_array()) Refuse(At(where, name), std::string("must be an array, not ") + TypeName(j));
    if (j.size() > maxCount) Refuse(At(where, name), "holds more than " + std::to_string(maxCount) + " texts");
    std::vector<std::u16string> out;
    for (std::size_t i = 0; i < j.size(); ++i) {
        if (!j[i].is_string()) Refuse(At(where, name) + "[" + std::to_string(i) + "]", "must be a text");
        out.push_back(Utf8ToUtf16(j[i].get<std::string>()));
        if (out.back().size() > kTreeTextUnits) Refuse(At(where, name) + "[" + std::to_string(i) + "]", "is too long");
    }
    return out;
}

WindowRecord ReadWindow(const Json& j, const std::string& where) {
    if (!j.is_object()) Refuse(where, std::string("must be an object, not ") + TypeName(j));
    WindowRecord w;
    w.handle = Handle(j, "handle", where);
    if (IsNull(w.handle)) Refuse(At(where, "handle"), "must not be 0x0");
    w.parent = Handle(j, "parent", where);
    w.owner = Handle(j, "owner", where);
    w.process = static_cast<std::uint32_t>(Integer(j, "process", where, 0, 0xFFFFFFFF));
    w.className = Text(j, "class", where, 256);
    w.caption = Text(j, "caption", where, kTreeTextUnits);
    w.captionCut = Bool(j, "captionCut", where);
    w.id = static_cast<int>(Integer(j, "id", where, INT32_MIN, INT32_MAX));
    w.style = static_cast<std::uint32_t>(Integer(j, "style", where, 0, 0xFFFFFFFF));
    const std::optional<Rect> window = RectOrNull(j, "window", where);
    const std::optional<Rect> client = RectOrNull(j, "client", where);
    if (window.has_value() != client.has_value()) Refuse(where, "\"window\" and \"client\" must both be rectangles or both null");
    if (window) w.info = WindowInfo{*window, *client, w.style};
    const std::string kind = Utf8(j, "kind", where, 32);
    const std::optional<WindowKind> k = KindNamed(kind);
    if (!k) Refuse(At(where, "kind"), "\"" + kind + "\" is not a kind of window (container, dialog, edit, button, check box, label, combo)");
    w.kind = *k;
    if (w.kind == WindowKind::Edit || w.kind == WindowKind::Combo) {
        w.shown = Text(j, "shown", where, kTreeTextUnits);
        w.shownCut = Bool(j, "shownCut", where);
    }
    if (w.kind == WindowKind::Edit) w.lines = Texts(j, "lines", where, kTreeMaxLines);
    if (w.kind == WindowKind::Combo) {
        w.items = Texts(j, "items", where, kTreeMaxItems);
        w.selection = static_cast<int>(Integer(j, "selection", where, -1, static_cast<std::int64_t>(w.items.size()) - 1));
    }
    if (w.kind == WindowKind::CheckBox) w.checked = Bool(j, "checked", where);
    return w;
}

// Every parent and owner is a window of the snapshot, and following either
// link never comes back to where it started.
void CheckRelations(const std::vector<WindowRecord>& windows) {
    std::map<Hwnd, std::size_t> index;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (!index.emplace(windows[i].handle, i).second) {
            Refuse("windows[" + std::to_string(i) + "].handle", HandleText(windows[i].handle) + " is given to two windows");
        }
    }
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const std::string where = "windows[" + std::to_string(i) + "]";
        for (const auto& [name, link] : {std::pair{"parent", &WindowRecord::parent}, std::pair{"owner", &WindowRecord::owner}}) {
            const Hwnd target = windows[i].*link;
            if (!IsNull(target) && index.count(target) == 0) {
                Refuse(At(where, name), HandleText(target) + " is not a window of the snapshot");
            }
        }
        if (!IsNull(windows[i].parent) && !IsNull(windows[i].owner)) Refuse(where, "a child window has no owner of its own");
        if (!IsNull(windows[i].owner) && !IsNull(windows[index[windows[i].owner]].parent)) {
            Refuse(At(where, "owner"), HandleText(windows[i].owner) + " is a child window; only top-level windows own others");
        }
    }
    // Each chain is followed once: a window already known to end at a top-level
    // window ends the walk, one met again on the same walk closes a loop.
    for (const auto& [name, link] : {std::pair{"parent", &WindowRecord::parent}, std::pair{"owner", &WindowRecord::owner}}) {
        enum : char { kUnseen, kOnWalk, kEnds };
        std::vector<char> state(windows.size(), kUnseen);
        for (std::size_t i = 0; i < windows.size(); ++i) {
            std::vector<std::size_t> walk;
            std::size_t at = i;
            while (state[at] == kUnseen) {
                state[at] = kOnWalk;
                walk.push_back(at);
                if (IsNull(windows[at].*link)) break;
                at = index[windows[at].*link];
            }
            if (state[at] == kOnWalk && !IsNull(windows[at].*link)) {
                std::string path;
                for (auto it = std::find(walk.begin(), walk.end(), at); it != walk.end(); ++it) path += HandleText(windows[*it].handle) + " -> ";
                Refuse("windows[" + std::to_string(at) + "]." + name,
                       std::string("the ") + name + " links make a loop: " + path + HandleText(windows[at].handle));
            }
            for (std::size_t w : walk) state[w] = kEnds;
        }
        // Then how deep each window sits along the link, each counted once.
        constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);
        std::vector<std::size_t> depth(windows.size(), kUnknown);
        for (std::size_t i = 0; i < windows.size(); ++i) {
            std::vector<std::size_t> walk;
            for (std::size_t at = i; depth[at] == kUnknown;) {
                walk.push_back(at);
                if (IsNull(windows[at].*link)) break;
                at = index[windows[at].*link];
            }
            for (auto it = walk.rbegin(); it != walk.rend(); ++it) {
                const Hwnd up = windows[*it].*link;
                depth[*it] = IsNull(up) ? 0 : depth[index[up]] + 1;
                if (depth[*it] > kMaxDepth) {
                    Refuse("windows[" + std::to_string(*it) + "]." + name,
                           "the window lies more than " + std::to_string(kMaxDepth) + " " + name +
                               "s deep; Windows nests windows at most 50 deep unless told otherwise, so no desk has such a screen");
                }
            }
        }
    }
}

// Brackets nested deeper than a snapshot's are refused before the parser
// recurses into them.
std::optional<std::size_t> TooDeep(std::string_view text) {
    std::size_t depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') ++i;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxNesting) return i;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return std::nullopt;
}

}  // namespace

ReadResult FromJson(std::string_view text) {
    ReadResult r;
    if (text.size() > kMaxFileBytes) {
        r.error = "the file is larger than " + std::to_string(kMaxFileBytes >> 20) + " MB; no snapshot is that large";
        return r;
    }
    if (const std::optional<std::size_t> at = TooDeep(text)) {
        r.error = "not a snapshot: nested deeper than " + std::to_string(kMaxNesting) + " levels at byte " + std::to_string(*at);
        return r;
    }
    Json j;
    try {
        j = Json::parse(text);
    } catch (const Json::exception& e) {
        // The parser quotes the bytes it stopped at, which need not be UTF-8.
        r.error = "not JSON (truncated or damaged): " + Utf16ToUtf8(Utf8ToUtf16(e.what()));
        return r;
    }
    try {
        if (!j.is_object()) Refuse("the file", std::string("must hold an object, not ") + TypeName(j));
        if (Utf8(j, "format", "", 64) != "quillmere-snapshot") Refuse("format", "is not \"quillmere-snapshot\"");
        const std::int64_t version = Integer(j, "formatVersion", "", 1, INT32_MAX);
        if (version != kFormatVersion) {
            Refuse("formatVersion", std::to_string(version) + " is newer than this program reads (" + std::to_string(kFormatVersion) + ")");
        }
        Snapshot s;
        s.probeVersion = Utf8(j, "probeVersion", "", 64);
        s.takenAt = Utf8(j, "takenAt", "", 64);
        s.dpi = static_cast<int>(Integer(j, "dpi", "", 0, 10000));
        s.withTexts = Bool(j, "withTexts", "");
        const Json& asked = Field(j, "askedFor", "");
        if (asked == "all") {
            s.askedFor = {1, 2, 3, 4};
        } else {
            if (!asked.is_array() || asked.size() != 1 || !asked[0].is_number_integer() || asked[0].get<std::int64_t>() < 1 ||
                asked[0].get<std::int64_t>() > 4) {
                Refuse("askedFor", "must be \"all\" or one adapter, as [2]");
            }
            s.askedForAll = false;
            s.askedFor = {asked[0].get<int>()};
        }
        s.tree.partial = Bool(j, "partial", "");
        s.tree.partialReason = Utf8(j, "partialReason", "", 1024);
        const Json& programs = Field(j, "programs", "");
        if (!programs.is_array() || programs.size() > 16) Refuse("programs", "must be an array of at most 16 programs");
        for (std::size_t i = 0; i < programs.size(); ++i) {
            const std::string where = "programs[" + std::to_string(i) + "]";
            const Json& p = programs[i];
            if (!p.is_object()) Refuse(where, std::string("must be an object, not ") + TypeName(p));
            Program program;
            program.adapter = static_cast<int>(Integer(p, "adapter", where, 1, 4));
            program.name = Utf8(p, "name", where, 64);
            program.process = static_cast<std::uint32_t>(Integer(p, "process", where, 0, 0xFFFFFFFF));
            program.mainWindow = Handle(p, "mainWindow", where);
            program.fileVersion = Utf8(p, "fileVersion", where, 256);
            program.stoppedAnswering = Utf8(p, "stoppedAnswering", where, 256);
            s.programs.push_back(std::move(program));
        }
        const Json& windows = Field(j, "windows", "");
        if (!windows.is_array()) Refuse("windows", std::string("must be an array, not ") + TypeName(windows));
        if (windows.size() > kTreeMaxWindows) Refuse("windows", "holds more than " + std::to_string(kTreeMaxWindows) + " windows");
        for (std::size_t i = 0; i < windows.size(); ++i) {
            s.tree.windows.push_back(ReadWindow(windows[i], "windows[" + std::to_string(i) + "]"));
        }
        CheckRelations(s.tree.windows);
        for (std::size_t i = 0; i < s.programs.size(); ++i) {
            const Hwnd main = s.programs[i].mainWindow;
            bool found = false;
            for (const WindowRecord& w : s.tree.windows) found = found || (w.handle == main && IsNull(w.parent));
            if (!found) Refuse("programs[" + std::to_string(i) + "].mainWindow", HandleText(main) + " is not a top-level window of the snapshot");
        }
        r.snapshot = std::move(s);
    } catch (const Refused& e) {
        r.error = e.what;
    }
    return r;
}

ReadResult ReadFile(const std::string& path) {
    ReadResult r;
    // The name is UTF-8 on every system (on Windows too, where a narrow name would be ANSI).
    const std::u8string name(path.begin(), path.end());
    std::ifstream in(std::filesystem::path(name), std::ios::binary);
    if (!in) {
        r.error = "cannot open " + path;
        return r;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxFileBytes) {
        r.error = path + ": the file is larger than " + std::to_string(kMaxFileBytes >> 20) + " MB; no snapshot is that large";
        return r;
    }
    in.seekg(0);
    std::string text(static_cast<std::size_t>(size), '\0');
    in.read(text.data(), size);
    if (in.gcount() != size) {
        r.error = "cannot read " + path;
        return r;
    }
    r = FromJson(text);
    if (!r.error.empty()) r.error = path + ": " + r.error;
    return r;
}

}  // namespace qm::snapshot
