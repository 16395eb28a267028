// What the conformance tests and their helper program agree on: the helper's
// windows, its command messages, and the shared block in which it reports
// what it received.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qm::conformance {

// The helper's top-level windows.
inline constexpr wchar_t kMainClass[] = L"QmConformanceMain";
inline constexpr wchar_t kMainTitle[] = L"콜 접수 시험창";
inline constexpr wchar_t kPopupTitle[] = L"알림";
inline constexpr wchar_t kMapTitle[] = L"지도보기";
inline constexpr wchar_t kDialogClass[] = L"#32770";

// Texts of the main window's children.
inline constexpr wchar_t kPushText[] = L"접  수(&N)";
inline constexpr wchar_t kCheckedText[] = L"탁송";
inline constexpr wchar_t kUncheckedText[] = L"대기후복사";
inline constexpr wchar_t kLabelText[] = L"고객 전화번호";
inline constexpr wchar_t kMouseText[] = L"누르기";
inline constexpr wchar_t kInnerCheckText[] = L"탁송 확인";
inline constexpr wchar_t kComboItems[3][8] = {L"현금", L"후불", L"카드"};
// The fourth combo item: longer than any buffer a caller would guess.
inline constexpr int kLongItemUnits = 3000;

// The map page.
inline constexpr wchar_t kPageUrl[] =
    L"http://map.example/logi/map.asp?strSPosX=126.9780&strSPosY=37.5665&strDPosX=127.0276&strDPosY=37.4979&strName=서울역";
inline constexpr wchar_t kPageScript[] =
    L"var centre = { x: 0, y: 0 };\n"
    L"function setCenter(x, y) { centre.x = x; centre.y = y; return true; }\n"
    L"function getCenter() { return '(' + centre.x + ', ' + centre.y + ')'; }\n";

// Control ids.
enum : int {
    kEditId = 101,
    kPushId = 102,
    kCheckedId = 103,
    kUncheckedId = 104,
    kLabelId = 105,
    kComboId = 106,
    kMouseId = 107,
    kInnerDialogId = 108,
    kInnerCheckId = 109,
    kBrowserId = 110,
};

// Geometry (client coordinates of the main window; screen for top-level windows).
inline constexpr RECT kMainRect{20, 20, 620, 520};
inline constexpr RECT kPushRect{10, 200, 130, 232};
inline constexpr RECT kMouseRect{300, 200, 420, 240};
inline constexpr RECT kPopupRect{660, 20, 900, 160};
inline constexpr RECT kMapRect{660, 200, 1140, 620};
inline constexpr RECT kBrowserRect{10, 10, 450, 370};

// Commands, sent or posted to the main window.
enum : UINT {
    kPing = WM_APP + 1,        // counts in pings; answers kPingAnswer
    kPosted = WM_APP + 2,      // counts in posted; answers wParam
    kHang = WM_APP + 3,        // post it: stops pumping until the resume event or lParam ms
    kSetFault = WM_APP + 4,    // wParam: a Fault, lParam: its value; answers 1
    kClearFaults = WM_APP + 5, // answers 1
    kEvaluate = WM_APP + 6,    // evaluates evalText in the page; answers 1 when it ran
    kEvalCount = WM_APP + 7,   // answers the number of evals that came from outside
    kDocumentRequests = WM_APP + 8,  // answers how often the document was handed out
};
inline constexpr LRESULT kPingAnswer = 4242;

enum Fault : WPARAM {
    kNoLresult,
    kNoScript,
    kScriptNotWindow,
    kNoWindowDocument,
    kNoParentWindow,
    kNoDispatchEx,
    kNoEval,
    kFailUrl,
    kNoAccessible,
    kNoServiceProvider,
    kElementFailures,
    kNoElementDocument,
    kElementDocumentNotDocument2,
};

// The shared block; the test creates it and names it on the helper's command line.
struct Shared {
    volatile LONG ready;        // 1 once every window exists
    volatile LONG hanging;      // 1 while a kHang keeps the helper from pumping
    volatile LONG pings;
    volatile LONG posted;
    volatile LONG commands;     // WM_COMMAND messages at the main window
    volatile LONG lastCommandId;
    volatile LONG lastCommandCode;
    std::uint64_t lastCommandControl;
    volatile LONG clicks[16];   // BN_CLICKED per control id - 100
    volatile LONG evalOk;
    wchar_t evalText[512];
    wchar_t evalResult[512];
    // Handles, as the helper made them.
    std::uint64_t main, edit, push, checked, unchecked, label, combo, mouse, innerDialog, innerCheck;
    std::uint64_t popup, map, browser;
};

// The helper's command line: "<shared block name> <resume event name>".
inline constexpr wchar_t kHelperExe[] = L"win32_conformance_helper.exe";

}  // namespace qm::conformance
