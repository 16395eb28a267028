// CCallPort: the abstract base of the four adapters, and the input primitives
// that all of them share. Everything here reaches the other program through the
// Desktop port only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/delay_profile.h"
#include "app/request_block.h"
#include "platform/desktop.h"

namespace qm {

// Free primitives (no adapter state).
// Clicks the point 15,15 of the control's client area with sent messages:
// WM_SETFOCUS, WM_LBUTTONDOWN, BM_SETSTATE TRUE, WM_LBUTTONUP, BM_SETSTATE FALSE.
std::intptr_t SendClick(Desktop& desktop, Hwnd control, bool moveCursor);
// The same five messages posted; the cursor is never moved.
bool PostClick(Desktop& desktop, Hwnd control);
// All lines of an edit box joined without separators; returns the units read.
int ReadEditLines(Desktop& desktop, Hwnd edit, std::u16string& text);
// Posts the control's BN_CLICKED command to parent, then a real mouse click just
// below the control's client area, and puts the cursor back.
void PostCommandAndMouseClick(Desktop& desktop, Hwnd parent, Hwnd control);

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

protected:
    Desktop& desktop;
    Hwnd mainWnd{};
    const DelayProfile* profile;
};

}  // namespace qm
