// The probe's report as a readable table and as JSON.
#include <nlohmann/json.hpp>

#include <cstdio>
#include <sstream>

#include "core/utf.h"
#include "tools/quillmere-probe/probe.h"

namespace qm::probe {
namespace {

std::string U8(std::u16string_view text) { return Utf16ToUtf8(text); }

const char* StateName(EntryState state) { return state == EntryState::Filled ? "filled" : "fresh"; }

const char* ProgramName(ProgramState state) {
    switch (state) {
        case ProgramState::NotRunning: return "not running";
        case ProgramState::Running: return "running";
        case ProgramState::NotAnswering: return "not answering";
    }
    return "";
}

const char* StatusName(AnchorStatus status) {
    switch (status) {
        case AnchorStatus::Found: return "found";
        case AnchorStatus::Missing: return "missing";
        case AnchorStatus::NotLookedFor: return "not looked for";
    }
    return "";
}

// ---- Table ----

// A text on one line, quoted: line breaks and quotes are escaped.
std::string Quoted(const std::u16string& text, bool cut) {
    std::string out = "\"";
    for (char c : U8(text)) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '"') out += "\\\"";
        else out += c;
    }
    if (cut) out += "...";
    return out + "\"";
}

std::string Facts(const WindowFacts& f) {
    std::ostringstream s;
    s << U8(f.className) << ' ' << Quoted(f.text, f.textCut) << " id " << f.id;
    if (f.rect) s << " at " << f.rect->left << ',' << f.rect->top << '-' << f.rect->right << ',' << f.rect->bottom;
    return s.str();
}

std::string Code(int code, const std::string& name) {
    std::string s = std::to_string(code);
    if (!name.empty()) s += " " + name;
    return s;
}

void AnchorLines(std::ostringstream& s, const AnchorReport& a) {
    const char* mark = a.status == AnchorStatus::Found ? "found  " : a.status == AnchorStatus::Missing ? "MISSING" : "-      ";
    s << "    " << mark << "  " << U8(a.name) << " (" << U8(a.search) << "): ";
    if (a.status == AnchorStatus::NotLookedFor) {
        s << "not looked for\n";
        return;
    }
    if (a.window) s << Facts(*a.window);
    else s << "not there";
    if (a.status == AnchorStatus::Missing) {
        if (a.missingCode != 0) s << "; a request ends with " << Code(a.missingCode, a.codeName);
        else s << "; its controls are not looked for";
    }
    s << '\n';
    for (const FieldReport& f : a.fields) {
        s << "               " << U8(f.name) << " = " << U8(f.walk);
        if (!f.window) {
            s << ": !! the walk runs off the end (null)\n";
            continue;
        }
        if (f.walk != u"the anchor") s << ": " << Facts(*f.window);
        if (f.wrongKind) s << "  !! treated as " << U8(f.kind) << ", found " << U8(f.window->className);
        if (f.refused) s << "  !! must read " << Quoted(f.requiredText, false);
        s << '\n';
    }
}

}  // namespace

std::string RenderTable(const Report& report) {
    std::ostringstream s;
    for (const AdapterReport& a : report.adapters) {
        s << a.name << " (adapter " << a.kind << "): " << ProgramName(a.program);
        if (a.program == ProgramState::NotAnswering) s << " (stopped answering at " << a.stoppedAnswering << ")";
        s << '\n';
        if (a.program == ProgramState::NotRunning) {
            s << '\n';
            continue;
        }
        if (a.mainWindow) s << "  main window: " << Facts(*a.mainWindow) << '\n';
        if (!a.chain.empty()) {
            s << "  way to a new entry window:\n";
            for (const AnchorReport& link : a.chain) AnchorLines(s, link);
        }
        if (a.openNewCode) {
            s << "  --open-new: reception button pressed once: ";
            if (*a.openNewCode == 0) s << "a fresh entry window opened\n";
            else s << "ended with " << *a.openNewCode << '\n';
        }
        if (a.program == ProgramState::Running || !a.entries.empty()) {
            if (a.entries.empty()) {
                s << "  entry windows open: none";
                if (!a.openNewCode) s << " (--open-new opens a fresh one)";
                s << '\n';
            } else {
                s << "  entry windows open: " << a.entries.size() << '\n';
                for (const EntryReport& e : a.entries) {
                    s << "    " << StateName(e.state) << "  " << Facts(e.window);
                    if (e.opened) s << "  (opened by --open-new)";
                    if (e.inspected) s << "  <- control map below";
                    s << '\n';
                }
            }
        }
        if (a.mapInspected) {
            for (const EntryReport& e : a.entries) {
                if (!e.inspected) continue;
                s << "  control map of the " << StateName(e.state) << " entry window " << Quoted(e.window.text, e.window.textCut)
                  << ":\n";
            }
            for (const AnchorReport& row : a.controlMap) AnchorLines(s, row);
        }
        if (a.program == ProgramState::Running) {
            if (a.mapWindows.empty()) s << "  map windows open: none\n";
            for (const MapReport& m : a.mapWindows) {
                s << "  map window " << U8(m.name) << ": " << Facts(m.window) << "; browser: ";
                if (m.browser) s << Facts(*m.browser);
                else s << "none";
                s << '\n';
            }
        }
        s << "  result: ";
        if (a.program == ProgramState::NotAnswering) {
            s << "the program stopped answering; a request would end with 99\n";
        } else if (a.firstMissingCode != 0) {
            s << U8(a.firstMissingAnchor) << " is missing; a request would end with "
              << Code(a.firstMissingCode, a.firstMissingName) << '\n';
        } else if (a.openNewCode && *a.openNewCode != 0) {
            s << "no fresh entry window after one press (" << *a.openNewCode << ")\n";
        } else {
            s << "every anchor looked for was found";
            if (!a.mapInspected) s << " (no entry window: the control map was not looked at)";
            s << '\n';
        }
        if (a.flagged > 0) s << "  " << a.flagged << " control(s) flagged with !!\n";
        s << '\n';
    }
    s << "exit code " << ExitCode(report) << '\n';
    return s.str();
}

// ---- JSON ----

std::string HandleText(Hwnd h) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(h));
    return text;
}

namespace {

using Json = nlohmann::ordered_json;

Json FactsJson(const WindowFacts& f) {
    Json j{{"handle", HandleText(f.handle)}, {"class", U8(f.className)}, {"text", U8(f.text)}, {"textCut", f.textCut}, {"id", f.id}};
    j["rect"] = f.rect ? Json{{"left", f.rect->left}, {"top", f.rect->top}, {"right", f.rect->right},
                              {"bottom", f.rect->bottom}}
                       : Json(nullptr);
    return j;
}

Json OptionalFacts(const std::optional<WindowFacts>& f) { return f ? FactsJson(*f) : Json(nullptr); }

Json CodeJson(int code, const std::string& name) {
    if (code == 0) return nullptr;
    return Json{{"code", code}, {"name", name}};
}

Json AnchorJson(const AnchorReport& a) {
    Json j{{"name", U8(a.name)}, {"search", U8(a.search)}, {"status", StatusName(a.status)},
           {"missingCode", CodeJson(a.missingCode, a.codeName)}, {"window", OptionalFacts(a.window)}};
    Json fields = Json::array();
    for (const FieldReport& f : a.fields) {
        fields.push_back(Json{{"name", U8(f.name)},
                              {"walk", U8(f.walk)},
                              {"window", OptionalFacts(f.window)},
                              {"offTheEnd", !f.window.has_value()},
                              {"expectedClass", f.kind.empty() ? Json(nullptr) : Json(U8(f.kind))},
                              {"wrongClass", f.wrongKind},
                              {"requiredText", f.requiredText.empty() ? Json(nullptr) : Json(U8(f.requiredText))},
                              {"refused", f.refused},
                              {"required", f.required}});
    }
    j["controls"] = std::move(fields);
    return j;
}

}  // namespace

std::string RenderJson(const Report& report) {
    Json adapters = Json::array();
    for (const AdapterReport& a : report.adapters) {
        Json j{{"adapter", a.kind}, {"name", a.name}, {"program", ProgramName(a.program)}};
        j["stoppedAnswering"] = a.program == ProgramState::NotAnswering ? Json(a.stoppedAnswering) : Json(nullptr);
        j["mainWindow"] = OptionalFacts(a.mainWindow);
        Json chain = Json::array();
        for (const AnchorReport& link : a.chain) chain.push_back(AnchorJson(link));
        j["chain"] = std::move(chain);
        j["openNew"] = a.openNewCode ? Json{{"code", *a.openNewCode}} : Json(nullptr);
        Json entries = Json::array();
        for (const EntryReport& e : a.entries)
            entries.push_back(Json{{"state", StateName(e.state)}, {"window", FactsJson(e.window)},
                                   {"inspected", e.inspected}, {"opened", e.opened}});
        j["entryWindows"] = std::move(entries);
        if (a.mapInspected) {
            Json rows = Json::array();
            for (const AnchorReport& row : a.controlMap) rows.push_back(AnchorJson(row));
            j["controlMap"] = std::move(rows);
        } else {
            j["controlMap"] = nullptr;
        }
        Json maps = Json::array();
        for (const MapReport& m : a.mapWindows)
            maps.push_back(Json{{"name", U8(m.name)}, {"window", FactsJson(m.window)}, {"browser", OptionalFacts(m.browser)}});
        j["mapWindows"] = std::move(maps);
        j["firstMissing"] = a.firstMissingCode != 0
                                ? Json{{"anchor", U8(a.firstMissingAnchor)}, {"code", a.firstMissingCode}, {"name", a.firstMissingName}}
                                : Json(nullptr);
        j["flagged"] = a.flagged;
        adapters.push_back(std::move(j));
    }
    Json doc{{"adapters", std::move(adapters)}, {"exitCode", ExitCode(report)}};
    return doc.dump(2) + "\n";
}

}  // namespace qm::probe
