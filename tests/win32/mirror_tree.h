// The window tree that the fake-desktop conformance test builds twice: once on
// the fake desktop in the test process, once as real windows in the mirror
// helper program. Both sides read this one table, so they cannot disagree about
// what they built; only the answers of the desktops can differ.
//
// A top-level main window of a class of its own owns a "#32770" popup whose
// children come in a fixed creation order: a multi-line edit box with three
// lines (the middle one empty), a push button, a checked auto check box, a
// label, a drop-down list with a selection, and a child dialog holding one
// button. A second main window of the same class comes last, so lookups by
// class have two matches.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm::mirror {

enum class Kind {
    Frame,         // a top-level window of kMainClass (WS_OVERLAPPEDWINDOW, unowned)
    Popup,         // a top-level "#32770" (WS_POPUP | WS_CAPTION), owned by `owner`
    Edit,          // "Edit", multi-line
    PushButton,    // "Button", BS_PUSHBUTTON
    CheckBox,      // "Button", BS_AUTOCHECKBOX
    Label,         // "Static"
    DropDownList,  // "ComboBox", CBS_DROPDOWNLIST with kComboItems
    ChildDialog,   // a child "#32770"
};

struct Box {
    std::int32_t left, top, right, bottom;
};

struct Node {
    const char* name;        // how failure messages call the window
    Kind kind;
    const char16_t* text;    // the creation text
    int id;                  // control id
    int parent;              // index of the parent, -1 for a top-level window
    int owner;               // index of the owner of a top-level window, -1 for none
    Box rect;                // a child's in its parent's client area; a top-level window's on the screen
};

inline constexpr char16_t kMainClass[] = u"QmMirrorMain";

// Indices into kTree, in creation order.
enum Index : int {
    kMain,
    kPopup,
    kEdit,
    kPush,
    kCheck,
    kLabel,
    kCombo,
    kInner,
    kInnerButton,
    kSecond,
    kNodeCount,
};

inline constexpr char16_t kEditText[] = u"서울역 광장\r\n\r\n3번 출구";
inline constexpr const char16_t* kComboItems[] = {u"현금", u"후불", u"카드"};
inline constexpr int kComboSelection = 1;

inline constexpr Node kTree[kNodeCount] = {
    {"main", Kind::Frame, u"콜 접수 대조창", 0, -1, -1, {40, 40, 440, 340}},
    {"popup", Kind::Popup, u"접수 입력 (Order)", 0, -1, kMain, {480, 40, 1000, 460}},
    {"edit", Kind::Edit, kEditText, 201, kPopup, -1, {10, 10, 330, 130}},
    {"push", Kind::PushButton, u"접  수(&N)", 202, kPopup, -1, {10, 140, 130, 172}},
    {"check", Kind::CheckBox, u"탁송", 203, kPopup, -1, {10, 180, 130, 202}},
    {"label", Kind::Label, u"고객 전화번호 (Tel)", 204, kPopup, -1, {140, 140, 330, 160}},
    {"combo", Kind::DropDownList, u"결제", 205, kPopup, -1, {140, 170, 330, 300}},
    {"inner", Kind::ChildDialog, u"", 206, kPopup, -1, {340, 10, 500, 120}},
    {"innerButton", Kind::PushButton, u"확인", 1, kInner, -1, {10, 10, 110, 40}},
    {"second", Kind::Frame, u"콜 접수 대조창 Café", 0, -1, -1, {40, 360, 440, 560}},
};

// The block the test creates and names on the helper's command line
// ("<block name> <test process id>"); the helper fills it in.
struct Block {
    volatile std::int32_t ready;  // 1 once every window exists, -1 when one could not be made
    std::int32_t failedNode;      // with ready == -1: the window that could not be made
    std::uint64_t handles[kNodeCount];
};

inline constexpr wchar_t kHelperExe[] = L"win32_mirror_helper.exe";

}  // namespace qm::mirror
