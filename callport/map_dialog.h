// The map dialogs of LogiD2, LogiD5 and Icon2013 are alike: a top-level
// "#32770" with a set-origin and a set-destination button and an embedded
// browser that may come a little after the dialog. One search serves them all.
#pragma once

#include "core/delay_profile.h"
#include "platform/desktop.h"

namespace qm {

struct MapDialogHandles {
    Hwnd dialog{};        // the top-level "#32770"
    Hwnd originButton{};  // its set-origin button
    Hwnd destButton{};    // its set-destination button
    Hwnd browser{};       // its "Internet Explorer_Server" descendant
};

struct MapDialogTexts {
    const char16_t* title;
    const char16_t* originButton;  // a direct child Button of the dialog
    const char16_t* destButton;
};

// Sleeps 100 ms and looks for the dialog until mapWait has passed (36), then
// takes its two buttons (37, 38) and looks for its browser, then sleeps 100 ms,
// until mapWait has passed again (39). 0 when all four are found; out holds what
// was found either way.
int FindMapDialog(Desktop& desktop, const DelayProfile& profile, const MapDialogTexts& texts, MapDialogHandles& out);

}  // namespace qm
