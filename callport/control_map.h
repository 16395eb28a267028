// A screen's anchors as data. Each row names how its anchor is found (a direct
// child of the window, any descendant, the first child, or a direct child of the
// first child dialog that holds it), its class and text(s), the result code when
// it is missing, and the controls reached from it, each by a walk of sibling and
// child steps into a named field of the adapter's controls:
//
//   {u"label 발신☎", {AnchorSearch::DirectChild, {u"TcxLabel", {u"발신☎"}}}, kCallerLabelMissing,
//    {{{u"via box 1", ElementOf<&Controls::viaEdit, 0>, {Prev(4), Child(), Next(13)}}}}}
//
// reads "the via box is next x13 of the first child of previous x4 of the label".
// One resolver walks the rows in order: the first missing anchor decides the
// code, and the fields found before it stay set. The same table tells a person
// what the robot looks for (the field diagnostic prints it).
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "callport/windows.h"
#include "core/result_codes.h"
#include "platform/desktop.h"

namespace qm {

enum class StepKind : std::uint8_t {
    Next,          // GW_HWNDNEXT, count times
    Previous,      // GW_HWNDPREV, count times
    FirstChild,    // GW_CHILD
    Parent,        // GetParent: the dialog that holds an anchor
    NextOfClass,   // the first later sibling of className (FindWindowEx in the parent, after the window)
    ChildOfClass,  // the first child of className (FindWindowEx in the window)
};
struct WalkStep {
    StepKind kind = StepKind::Next;
    int count = 0;
    std::u16string_view className{};
};
constexpr WalkStep Next(int k) { return {StepKind::Next, k, {}}; }
constexpr WalkStep Prev(int k) { return {StepKind::Previous, k, {}}; }
constexpr WalkStep Child() { return {StepKind::FirstChild, 1, {}}; }
constexpr WalkStep Parent() { return {StepKind::Parent, 1, {}}; }
constexpr WalkStep NextOfClass(std::u16string_view className) { return {StepKind::NextOfClass, 1, className}; }
constexpr WalkStep ChildOfClass(std::u16string_view className) { return {StepKind::ChildOfClass, 1, className}; }

// Steps applied left to right from the anchor; no steps: the anchor itself.
struct Walk {
    static constexpr std::size_t kMaxSteps = 6;
    std::array<WalkStep, kMaxSteps> steps{};
    std::size_t size = 0;
    constexpr Walk() = default;
    constexpr Walk(std::initializer_list<WalkStep> list) {
        for (const WalkStep& s : list)
            if (size < kMaxSteps) steps[size++] = s;
    }
};

// The window the walk reaches from from; null once any step lands nowhere.
// With names, classes come from there.
Hwnd FollowWalk(Desktop& desktop, Hwnd from, const Walk& walk, ClassNames* names = nullptr);
// "next 13 of first child of previous 4"; "the anchor" for no steps.
std::u16string DescribeWalk(const Walk& walk);

enum class AnchorSearch {
    DirectChild,    // a direct child of the window (FindWindowEx)
    Descendant,     // the first descendant, as EnumChildWindows visits them
    FirstChild,     // the window's first child (GW_CHILD), whatever it is
    InChildDialog,  // a direct child of the first direct child dialog that holds one
    Known,          // a window found before: with the window, or by an earlier row (the row's `known` field)
};
struct AnchorSpec {
    AnchorSearch search = AnchorSearch::DirectChild;
    Recogniser recogniser;
    const char16_t* dialogClass = u"#32770";  // InChildDialog: the class of the holding dialog
};
Hwnd FindAnchor(Desktop& desktop, Hwnd root, const AnchorSpec& anchor, ClassNames* names = nullptr);
std::u16string DescribeAnchor(const AnchorSpec& anchor);

// Where a field of the adapter's controls is written.
template <class Controls>
using Slot = Hwnd& (*)(Controls&);

template <class M>
struct MemberOf;
template <class C, class T>
struct MemberOf<T C::*> {
    using Class = C;
};
template <auto Member>
Hwnd& SlotOf(typename MemberOf<decltype(Member)>::Class& controls) {
    return controls.*Member;
}
template <auto Member, std::size_t Index>
Hwnd& ElementOf(typename MemberOf<decltype(Member)>::Class& controls) {
    return (controls.*Member)[Index];
}

// A control reached from a row's anchor. A required control that the walk
// does not reach makes the row missing, as its anchor would; a required entry
// without a slot only checks that the window is there.
//
// kind is the class the adapter treats the control as ("Edit" for a box it
// types into): the resolver does not check it (the robot works with whatever
// the walk reaches), the field diagnostic flags a control of another class.
// text, when given, is the text the control must show (GetWindowText, exact):
// a control showing another text is not taken (its slot stays null), and a
// required one makes its row missing.
template <class Controls>
struct ControlField {
    std::u16string_view name;  // for people: "origin box"
    Slot<Controls> slot = nullptr;
    Walk walk;
    bool required = false;
    std::u16string_view kind{};
    std::u16string_view text{};
};

template <class Controls>
constexpr ControlField<Controls> Field(std::u16string_view name, Hwnd& (*slot)(Controls&), Walk walk = {},
                                       std::u16string_view kind = {}) {
    return {name, slot, walk, false, kind, {}};
}
template <class Controls>
constexpr ControlField<Controls> Required(std::u16string_view name, Hwnd& (*slot)(Controls&), Walk walk,
                                          std::u16string_view kind = {}, std::u16string_view text = {}) {
    return {name, slot, walk, true, kind, text};
}

template <class Controls>
struct ControlRow {
    static constexpr std::size_t kMaxFields = 8;
    std::u16string_view name;  // for people: "cancel button"
    AnchorSpec anchor;
    int missingCode = 0;  // 0: the anchor may be missing; its fields are then null
    std::array<ControlField<Controls>, kMaxFields> fields{};
    Slot<Controls> known = nullptr;  // AnchorSearch::Known: the field that holds the anchor
};

// What the resolver found, row by row, for a person to read.
struct ResolvedField {
    std::u16string_view name;
    Walk walk;
    Hwnd window{};  // where the walk landed (null: it ran off the end)
    bool required = false;
    std::u16string_view kind{};
    std::u16string_view text{};
    bool refused = false;  // the window shows another text than text
};
struct ResolvedRow {
    std::u16string_view name;
    AnchorSpec anchor;
    int missingCode = 0;
    Hwnd found{};
    std::vector<ResolvedField> fields;
    bool missing = false;  // the anchor, or a required control of the row, is not there
};

enum class Resolve { StopAtFirstMissing, EveryRow };

// An entry window as an adapter's own tests see it: fresh (an order entry
// would type into it) or filled (a read-back would copy it), with the handles
// the test took, which the control map starts from.
enum class EntryState { Fresh, Filled };
template <class Controls>
struct EntryWindowSeen {
    Hwnd window{};   // the window the test accepted
    Hwnd mapRoot{};  // the window the control map is resolved under
    EntryState state = EntryState::Fresh;
    Controls controls{};
};

// How many times an adapter presses its reception button before it gives up
// on a fresh entry window (95).
constexpr int kReceptionPresses = 3;

// An adapter's filled and fresh tests applied once to each candidate window,
// in order (filled first: a window both would take is one a read-back copies).
// Each test is bool(Desktop&, Hwnd candidate, Controls& out); root names the
// handle the control map is resolved under. Ends early when the program stops
// answering.
template <class Controls, class FilledTest, class FreshTest>
std::vector<EntryWindowSeen<Controls>> SeeEntryWindows(Desktop& desktop, const std::vector<Hwnd>& candidates,
                                                       FilledTest filled, FreshTest fresh, Hwnd Controls::*root) {
    std::vector<EntryWindowSeen<Controls>> seen;
    for (Hwnd candidate : candidates) {
        if (desktop.NotResponding()) break;
        Controls c{};
        if (filled(desktop, candidate, c)) {
            seen.push_back({candidate, c.*root, EntryState::Filled, c});
            continue;
        }
        c = Controls{};
        if (fresh(desktop, candidate, c)) seen.push_back({candidate, c.*root, EntryState::Fresh, c});
    }
    return seen;
}

// A map window of a dispatch program: a top-level window of className named
// caption that holds a browser ("Internet Explorer_Server").
struct MapWindowSpec {
    std::u16string_view name;  // for people: "map view"
    const char16_t* className;
    const char16_t* caption;
};

// A chain of anchors, each searched under the window the one before it found
// (the first under root): the way from a main window to a button, say.
struct ChainLink {
    std::u16string_view name;
    AnchorSpec anchor;
    int missingCode = 0;
    bool underRoot = false;  // searched under the chain's root, not under the link before
};
// 0 with the last link's window in found, or the missing code of the first link
// that is missing (found is then null); 99 when the program stopped answering.
int ResolveChain(Desktop& desktop, Hwnd root, std::span<const ChainLink> links, Hwnd& found,
                 std::vector<ResolvedRow>* report = nullptr);

// Walks rows in order under root. 0, or the missing code of the first anchor
// that is missing (StopAtFirstMissing ends there; EveryRow goes on, so a report
// shows every row). 99 when the program stopped answering.
template <class Controls>
int ResolveControls(Desktop& desktop, Hwnd root, std::span<const ControlRow<Controls>> rows, Controls& out,
                    Resolve mode = Resolve::StopAtFirstMissing, std::vector<ResolvedRow>* report = nullptr);

template <class Controls>
int ResolveControls(Desktop& desktop, Hwnd root, std::span<const ControlRow<Controls>> rows, Controls& out,
                    Resolve mode, std::vector<ResolvedRow>* report) {
    int first = 0;
    ClassNames names(desktop);  // the rows search one tree: each class is read once
    for (const ControlRow<Controls>& row : rows) {
        const Hwnd anchor = row.anchor.search == AnchorSearch::Known
                                ? (row.known != nullptr ? row.known(out) : kNoWindow)
                                : FindAnchor(desktop, root, row.anchor, &names);
        if (desktop.NotResponding()) return result::kNotResponding;
        ResolvedRow* resolved = nullptr;
        if (report != nullptr) {
            report->push_back({row.name, row.anchor, row.missingCode, anchor, {}});
            resolved = &report->back();
        }
        bool missing = IsNull(anchor);
        if (!missing) {
            for (const ControlField<Controls>& field : row.fields) {
                if (field.slot == nullptr && !field.required) continue;
                const Hwnd window = FollowWalk(desktop, anchor, field.walk, &names);
                const bool refused = !IsNull(window) && !field.text.empty() &&
                                     desktop.GetWindowText(window, kNameChars) != field.text;
                if (field.slot != nullptr) field.slot(out) = refused ? kNoWindow : window;
                if (resolved != nullptr)
                    resolved->fields.push_back(
                        {field.name, field.walk, window, field.required, field.kind, field.text, refused});
                if (field.required && (IsNull(window) || refused)) {
                    missing = true;
                    break;  // the rest of the row stays unset, as after a missing anchor
                }
            }
        }
        if (resolved != nullptr) resolved->missing = missing;
        if (desktop.NotResponding()) return result::kNotResponding;
        if (missing && row.missingCode != 0) {
            if (first == 0) first = row.missingCode;
            if (mode == Resolve::StopAtFirstMissing) return first;
        }
    }
    return first;
}

}  // namespace qm
