// The input primitives: clicks, typing and reading edit boxes of another
// program, all through the Desktop port.
#include "callport/call_port.h"

#include <algorithm>

#include "callport/text.h"
#include "callport/wait.h"
#include "callport/windows.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm {

namespace {

using namespace qm::msg;

// An edit box is read up to this many lines and this many units in all; a
// control that reports more (a broken or hostile one) is read that far only.
// EM_GETLINE carries the buffer size in a 16-bit word, so no read is larger.
constexpr int kMaxEditLines = 0xFFFF;
constexpr std::size_t kMaxEditUnits = 0xFFFF;

// The point 15,15 of the control's client area on the screen; empty when the
// control's rectangles cannot be read.
std::optional<Point> ScreenPointOf(Desktop& desktop, Hwnd control) {
    const std::optional<WindowInfo> info = desktop.GetWindowInfo(control);
    if (!info) return std::nullopt;
    return Point{info->client.left + 15, info->client.top + 15};
}

// The aimed point in client coordinates, packed for the mouse messages. An
// unknown point becomes the client corner 0,0, which belongs to every control
// whatever its size.
std::intptr_t ClientLParam(Desktop& desktop, Hwnd control, const std::optional<Point>& screen) {
    if (!screen) return MakeLParam(0, 0);
    // ScreenToClient fails only where GetWindowInfo already did; 15,15 is where
    // the point lies in any client area that is not mirrored.
    const Point c = desktop.ScreenToClient(control, *screen).value_or(Point{15, 15});
    return MakeLParam(c.x, c.y);
}

}  // namespace

std::intptr_t SendClick(Desktop& desktop, Hwnd control, bool moveCursor) {
    const std::optional<Point> screen = ScreenPointOf(desktop, control);
    if (moveCursor && screen) desktop.SetCursorPos(*screen);
    desktop.Send(control, WM_SETFOCUS, 0, 0);
    const std::intptr_t point = ClientLParam(desktop, control, screen);
    desktop.Send(control, WM_LBUTTONDOWN, MK_LBUTTON, point);
    desktop.Send(control, BM_SETSTATE, 1, 0);
    desktop.Send(control, WM_LBUTTONUP, 0, point);
    return desktop.Send(control, BM_SETSTATE, 0, 0);
}

std::intptr_t ClickPointLParam(Desktop& desktop, Hwnd control) {
    return ClientLParam(desktop, control, ScreenPointOf(desktop, control));
}

bool PostClick(Desktop& desktop, Hwnd control) {
    const std::optional<Point> screen = ScreenPointOf(desktop, control);
    PostUnlessNotResponding(desktop, control, WM_SETFOCUS, 0, 0);
    const std::intptr_t point = ClientLParam(desktop, control, screen);
    PostUnlessNotResponding(desktop, control, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostUnlessNotResponding(desktop, control, BM_SETSTATE, 1, 0);
    PostUnlessNotResponding(desktop, control, WM_LBUTTONUP, 0, point);
    return PostUnlessNotResponding(desktop, control, BM_SETSTATE, 0, 0);
}

int ReadEditLines(Desktop& desktop, Hwnd edit, std::u16string& text) {
    text.clear();
    const std::intptr_t reported = desktop.Send(edit, EM_GETLINECOUNT, 0, 0);
    const int lines = static_cast<int>(std::clamp<std::intptr_t>(reported, 0, kMaxEditLines));
    std::u16string joined;
    for (int i = 0; i < lines && joined.size() < kMaxEditUnits; ++i) {
        if (desktop.NotResponding()) break;
        const std::intptr_t first = desktop.Send(edit, EM_LINEINDEX, static_cast<std::uintptr_t>(i), 0);
        // A line that no longer exists (the text changed while it was read) has
        // no index; EM_LINELENGTH(-1) would measure the selection instead.
        if (first < 0) continue;
        const std::intptr_t len = desktop.Send(edit, EM_LINELENGTH, static_cast<std::uintptr_t>(first), 0);
        if (len <= 0) continue;
        const std::size_t room = kMaxEditUnits - joined.size();
        const std::size_t want = std::min(static_cast<std::size_t>(len), room);
        std::u16string line = desktop.SendGetLine(edit, i, want);
        if (line.size() > want) line.resize(want);
        const std::size_t nul = line.find(u'\0');
        if (nul != std::u16string::npos) line.resize(nul);
        joined += line;
    }
    text = std::move(joined);
    // The units kept, so the count always matches the text handed back.
    return static_cast<int>(text.size());
}

AmountRead ReadAmountInto(Desktop& desktop, Hwnd box, char16_t* field, std::size_t units) {
    AmountRead read;
    read.shown = desktop.SendGetText(box, 1024);
    if (read.shown.empty()) return read;
    WriteField(field, units, Remove(Trim(read.shown), u','));
    read.value = LeadingInteger(ReadField(field, units));
    return read;
}

int ReadPlaceBox(Desktop& desktop, std::size_t bufferUnits, Hwnd box, PlaceRecord& place, int emptyCode) {
    const std::u16string raw = desktop.SendGetText(box, bufferUnits);
    if (desktop.NotResponding()) return result::kNotResponding;
    if (raw.empty()) return emptyCode;
    WriteField(place.fullText, Trim(raw));
    CopyBracketedText(raw.c_str(), &place);
    return result::kSuccess;
}

int ReadViaBoxes(Desktop& desktop, std::size_t bufferUnits, const Hwnd (&names)[3], const Hwnd (&details)[3],
                 PlaceRecord (&via)[3], ViaDetail detail, int& count) {
    for (count = 0; count < 3; ++count) {
        const std::u16string raw = desktop.SendGetText(names[count], bufferUnits);
        if (desktop.NotResponding()) return result::kNotResponding;
        if (raw.empty()) break;
        const std::u16string name = Trim(raw);
        WriteField(via[count].name, name);
        const std::u16string shown = desktop.SendGetText(details[count], bufferUnits);
        if (desktop.NotResponding()) return result::kNotResponding;
        WriteField(via[count].fullText, shown.empty() ? name : Trim(shown));
        PrefixViaName(via[count], detail);
    }
    return result::kSuccess;
}

bool PostCommandAndMouseClick(Desktop& desktop, Hwnd parent, Hwnd control) {
    const int id = desktop.GetDlgCtrlID(control);
    PostUnlessNotResponding(desktop, parent, WM_COMMAND, MakeWParam(id & 0xFFFF, BN_CLICKED), static_cast<std::intptr_t>(control));
    desktop.Sleep(200);
    // A real click would wait in the queue of a program that stopped answering.
    if (desktop.NotResponding()) return false;
    const std::optional<WindowInfo> info = desktop.GetWindowInfo(control);
    // Without the control's place there is nowhere sensible to click: a real
    // click lands wherever the cursor happens to be, so none is made.
    if (!info) return false;
    const std::optional<Point> saved = desktop.GetCursorPos();
    const Point at{info->client.right, info->client.bottom + 10};
    desktop.Sleep(200);
    // Real input goes to whatever window is under the point: only the dispatch
    // program's own windows are clicked.
    const std::uint32_t program = desktop.GetWindowProcessId(parent);
    const bool ours = program != 0 && desktop.GetWindowProcessId(desktop.WindowFromPoint(at)) == program;
    const bool clicked = ours && desktop.ClickAt(at);
    desktop.Sleep(200);
    // The cursor goes back only to a place we know.
    if (ours && saved) desktop.SetCursorPos(*saved);
    return clicked;
}

bool CCallPort::WaitMainWindow() {
    if (!IsNull(mainWnd)) return true;
    return Tries(desktop, 10, 100, [&] {
        mainWnd = FindMainWindow();
        return !IsNull(mainWnd);
    });
}

void CCallPort::TypeText(Hwnd control, std::u16string text) { TypeTextAfterClick(control, text, std::nullopt); }

void CCallPort::TypeTextAfterClick(Hwnd control, const std::u16string& text,
                                   std::optional<std::uintptr_t> caretAt) {
    SendClick(desktop, control, false);
    // The click just moved a standard edit box's caret to the clicked point; an
    // appended text has to start at the end of the old one again.
    if (caretAt) desktop.Send(control, msg::EM_SETSEL, *caretAt, -1);
    Pause(profile->shortSettle);
    for (char16_t unit : text) {
        // A program that stopped answering takes no more keys; every later
        // send would fail at once anyway.
        if (desktop.NotResponding()) return;
        desktop.Send(control, msg::WM_CHAR, unit, 0);
        Pause(profile->keyDelay);
    }
}

void CCallPort::EnterText(Hwnd edit, std::u16string text, bool click, bool append) {
    if (click) {
        desktop.Send(edit, msg::WM_LBUTTONDOWN, 0, 0);
        desktop.Send(edit, msg::WM_LBUTTONUP, 0, 0);
    }
    std::optional<std::uintptr_t> caretAt;
    if (append) {
        const std::intptr_t len = desktop.Send(edit, msg::WM_GETTEXTLENGTH, 0, 0);
        const auto at = static_cast<std::uintptr_t>(std::max<std::intptr_t>(len, 0));
        desktop.Send(edit, msg::EM_SETSEL, at, -1);
        caretAt = at;
    } else {
        desktop.Send(edit, msg::EM_SETSEL, 0, -1);
        PostUnlessNotResponding(desktop, edit, msg::WM_KEYDOWN, msg::VK_DELETE, 0);
        PostUnlessNotResponding(desktop, edit, msg::WM_KEYUP, msg::VK_DELETE, 0);
    }
    Pause(profile->keyDelay);
    TypeTextAfterClick(edit, text, caretAt);
    Pause(profile->keyDelay);
    PostUnlessNotResponding(desktop, edit, msg::WM_KEYDOWN, msg::VK_TAB, 0);
    Pause(profile->keyDelay);
    PostUnlessNotResponding(desktop, edit, msg::WM_KEYUP, msg::VK_TAB, 0);
}

int CCallPort::BringMainWindowForward() {
    if (!WaitMainWindow()) return result::kMainWindowNotFound;
    desktop.SetForegroundWindow(mainWnd);
    desktop.SetActiveWindow(mainWnd);
    return result::kSuccess;
}

}  // namespace qm
