// CCallPort: the abstract base of the four adapters, and the input primitives
// that all of them share. Everything here reaches the other program through the
// Desktop port only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "callport/script_format.h"
#include "callport/text.h"
#include "core/delay_profile.h"
#include "core/request_block.h"
#include "platform/desktop.h"

namespace qm {

// Free primitives (no adapter state).
// Clicks the point 15,15 of the control's client area with sent messages:
// WM_SETFOCUS, WM_LBUTTONDOWN, BM_SETSTATE TRUE, WM_LBUTTONUP, BM_SETSTATE FALSE;
// returns the last one's result. With moveCursor the cursor is put on the point
// first and left there. When the control's rectangles cannot be read the cursor
// is not moved and the messages carry the client point 0,0 (the focus and the
// button messages still matter to the control).
std::intptr_t SendClick(Desktop& desktop, Hwnd control, bool moveCursor);
// The mouse messages' lParam for the point 15,15 of the control's client area
// (client 0,0 when its rectangles cannot be read), as SendClick aims.
std::intptr_t ClickPointLParam(Desktop& desktop, Hwnd control);
// The same five messages posted; the cursor is never moved.
bool PostClick(Desktop& desktop, Hwnd control);
// All lines of an edit box joined without separators; returns the units of text.
// At most 65,535 lines and 65,535 units are read.
int ReadEditLines(Desktop& desktop, Hwnd edit, std::u16string& text);
// An amount box read back: the text as read (WM_GETTEXT, 1024 units) and, when
// it is not empty, stored into field trimmed and without thousands commas,
// with the signed integer it starts with. An empty box leaves field alone.
struct AmountRead {
    std::u16string shown;
    std::int64_t value = 0;
};
AmountRead ReadAmountInto(Desktop& desktop, Hwnd box, char16_t* field, std::size_t units);
template <std::size_t N>
AmountRead ReadAmountInto(Desktop& desktop, Hwnd box, char16_t (&field)[N]) {
    return ReadAmountInto(desktop, box, field, N);
}
// The place boxes of an entry window that shows places as the operator typed
// them (CManerXE4, Icon2013), each read with WM_GETTEXT into bufferUnits units.
// A place box: its text trimmed as the place's full text, the part in brackets
// as its name. emptyCode when the box is empty; 99 once the program stopped
// answering; else 0.
int ReadPlaceBox(Desktop& desktop, std::size_t bufferUnits, Hwnd box, PlaceRecord& place, int emptyCode);
// The via boxes up to the first empty one: the name box trimmed as the name,
// the detail box trimmed (the name where it is empty) as the full text, the
// name then completed from it (PrefixViaName). count: the via points read.
// 99 once the program stopped answering; else 0.
int ReadViaBoxes(Desktop& desktop, std::size_t bufferUnits, const Hwnd (&names)[3], const Hwnd (&details)[3],
                 PlaceRecord (&via)[3], ViaDetail detail, int& count);
// Posts the control's BN_CLICKED command to parent, then a real mouse click just
// below the control's client area, and puts the cursor back. The click is made
// only on a window of the parent's own process: where the control's rectangles
// cannot be read, or another program's window (a notification, the operator's
// own program) lies over the point, no real click is made and the cursor stays
// put; the step's own check then decides. True when the click was made.
bool PostCommandAndMouseClick(Desktop& desktop, Hwnd parent, Hwnd control);

class CCallPort {
public:
    CCallPort(Desktop& desktop, const DelayProfile& profile) : desktop(desktop), profile(&profile) {}
    virtual ~CCallPort() = default;
    CCallPort(const CCallPort&) = delete;
    CCallPort& operator=(const CCallPort&) = delete;

    // Slot 1: the dispatch program's main window, or null.
    virtual Hwnd FindMainWindow() = 0;
    // Slot 2: read the order open on the dispatch screen into order.
    virtual int ReadOrder(Module oleacc, const char16_t* readScript, OrderRecord* order,
                          std::u16string& message) = 0;
    // Slot 3: type order into a fresh entry window and finish it.
    virtual int EnterOrder(Module oleacc, const char16_t* readScript, const char16_t* pointScript,
                           OrderRecord* order, int requireBranch, std::u16string& message,
                           int finishAction) = 0;
    // Slot 4: cancel every entry window that is open.
    virtual void CloseEntryWindows(Hwnd mainWindow) = 0;

    // The browser steps: the map page's document, reached through the browser
    // window's WM_HTML_GETOBJECT (oleacc loaded) or through accessibility (oleacc
    // null). 0, or a code from 40 to 45 or 94; on a failure document is null.
    // The accessibility path shows mapDialog for its hit test and hides it again
    // once an accessible object answered (a failure 40 leaves it shown); the
    // message path never shows or hides it.
    int GetMapDocument(Module oleacc, Hwnd mapDialog, Hwnd browserWindow,
                       std::shared_ptr<PageDocument>& document);
    // Runs readScript (no conversions, 512 units at most) through the page's eval
    // and stores the two numbers of its answer in place.x and place.y. 0, 46, 47 or 48
    // (a refused format, an empty answer, one that does not hold exactly two
    // pieces, or a piece longer than 31 units is 48; place is then left alone).
    int RunPositionScript(PageDocument& document, const char16_t* readScript, PlaceRecord& place,
                          PositionPieces pieces = PositionPieces::Whole);
    // Formats pointScript with x, y (and a callback text when expected says so)
    // into at most bufferUnits units, runs it through the page's eval after a
    // shortSettle pause, and requires it to answer true. 0, 46, 47, 48 or 63 (a
    // refused format is 63).
    int RunPlacementScript(PageDocument& document, const char16_t* pointScript, std::size_t bufferUnits,
                           ScriptArguments expected, const ScriptInputs& inputs);

    // Clicks the control, pauses shortSettle, then sends one WM_CHAR per UTF-16
    // unit with a keyDelay pause after each. Typing stops when the program stops
    // answering.
    void TypeText(Hwnd control, std::u16string text);
    // Optionally clicks the edit at 0,0, replaces its text (select all, Delete) or
    // puts the caret at its end (append), types text with TypeText, and leaves the
    // box with Tab. In append mode the caret is put at the end once more right
    // after TypeText's click, which would otherwise have moved it into the old text.
    void EnterText(Hwnd edit, std::u16string text, bool click, bool append);

protected:
    // Looks the main window up with FindMainWindow, 10 tries 100 ms apart; a cached
    // mainWnd answers at once.
    bool WaitMainWindow();
    // The shared opening of every ReadOrder: main window, brought forward.
    // Returns 0 or 4.
    int BringMainWindowForward();
    void Pause(std::int32_t milliseconds) {
        if (milliseconds > 0) desktop.Sleep(static_cast<std::uint32_t>(milliseconds));
    }

    Desktop& desktop;
    Hwnd mainWnd{};
    const DelayProfile* profile;

private:
    // TypeText; with caretAt, EM_SETSEL(caretAt, -1) follows the click.
    void TypeTextAfterClick(Hwnd control, const std::u16string& text, std::optional<std::uintptr_t> caretAt);
};

}  // namespace qm
