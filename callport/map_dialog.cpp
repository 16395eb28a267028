#include "callport/map_dialog.h"

#include "callport/wait.h"
#include "callport/windows.h"
#include "core/result_codes.h"

namespace qm {

int FindMapDialog(Desktop& desktop, const DelayProfile& profile, const MapDialogTexts& texts, MapDialogHandles& out) {
    SleepThenProbe(desktop, profile.mapWait, [&] {
        out.dialog = desktop.FindWindowEx(kNoWindow, kNoWindow, u"#32770", texts.title);
        return !IsNull(out.dialog);
    });
    if (IsNull(out.dialog)) return result::kMapDialogNotFound;

    out.originButton = DirectChild(desktop, out.dialog, u"Button", texts.originButton);
    if (IsNull(out.originButton)) return result::kMapOriginButtonNotFound;
    out.destButton = DirectChild(desktop, out.dialog, u"Button", texts.destButton);
    if (IsNull(out.destButton)) return result::kMapDestinationButtonNotFound;

    // The browser window may come after the dialog: look first, then wait.
    const bool found = ProbeThenSleep(desktop, profile.mapWait, [&] {
        out.browser = FindBrowser(desktop, out.dialog);
        return !IsNull(out.browser);
    });
    return found ? result::kSuccess : result::kMapBrowserNotFound;
}

}  // namespace qm
