// The map page inside a dispatch program's browser control: reaching its
// document, and running the caller's scripts through the page's "eval".
#include <string>

#include "callport/call_port.h"
#include "callport/text.h"
#include "callport/wait.h"
#include "core/result_codes.h"
#include "platform/messages.h"

namespace qm {

namespace {

constexpr std::size_t kReadScriptUnits = 512;

// Bare script pointers come from the request block, whose fields hold at most
// 1200 units; a text without a terminator this far in is not a script.
constexpr std::size_t kMaxScriptScan = 4096;

std::optional<std::u16string_view> ScriptText(const char16_t* script) {
    if (script == nullptr) return std::u16string_view{};
    std::size_t n = 0;
    while (n < kMaxScriptScan && script[n] != u'\0') ++n;
    if (n == kMaxScriptScan) return std::nullopt;
    return std::u16string_view(script, n);
}

// The page window's eval, ready to call: 0, or 47 / 48.
int FindEval(PageWindow& window, std::shared_ptr<PageEval>& eval, std::int32_t& id) {
    eval = window.QueryEval();
    if (!eval) return result::kNoDispatchEx;
    const std::optional<std::int32_t> found = eval->GetDispId(u"eval");
    if (!found) return result::kScriptFailed;
    id = *found;
    return result::kSuccess;
}

}  // namespace

int CCallPort::GetMapDocument(Module oleacc, Hwnd mapDialog, Hwnd browserWindow,
                              std::shared_ptr<PageDocument>& document) {
    if (oleacc != kNoModule) {
        // The message path: the browser hands its document out as an LRESULT.
        // The map dialog is neither shown nor hidden here.
        const std::uint32_t getObject = desktop.RegisterWindowMessage(u"WM_HTML_GETOBJECT");
        const std::optional<std::intptr_t> answered =
            desktop.SendTimeout(browserWindow, getObject, 0, 0, msg::SMTO_ABORTIFHUNG, 3000);
        // Unanswered, the document is not obtained (below). Whether the whole
        // program stopped answering, rather than its page alone, an ordinary
        // bounded message to the map dialog tells: a hung program is then
        // marked so, and nothing more is asked of it.
        if (!answered) desktop.Send(IsNull(mapDialog) ? browserWindow : mapDialog, msg::WM_NULL, 0, 0);
        if (desktop.NotResponding()) {
            document.reset();
            return result::kNotResponding;
        }
        const std::intptr_t lresult = answered.value_or(0);
        if (!desktop.HasObjectFromLresult(oleacc)) {
            document.reset();
            return result::kNoObjectFromLresult;
        }
        const std::shared_ptr<PageRootDocument> root = desktop.ObjectFromLresult(oleacc, lresult);
        if (!root) {
            document.reset();
            return result::kNoDocument;
        }
        const std::shared_ptr<PageWindow> window = root->GetScriptWindow();
        if (!window) {
            document.reset();
            return result::kNoScriptObject;
        }
        std::shared_ptr<PageDocument> found = window->GetDocument();
        if (!found) {
            document.reset();
            return result::kNoWindowDocument;
        }
        document = std::move(found);
        return result::kSuccess;
    }

    // The accessibility path: the object at a point inside the browser, shown
    // for the hit test and hidden again once it answered. Showing checks that
    // the program still answers; one that does not is asked nothing through
    // its accessible objects, whose calls no bound covers.
    desktop.ShowWindow(mapDialog, msg::SW_SHOW);
    if (desktop.NotResponding()) {
        document.reset();
        return result::kNotResponding;
    }
    const std::optional<WindowInfo> info = desktop.GetWindowInfo(browserWindow);
    if (!info) {
        // No browser window, so no point to test: nothing to wait for.
        document.reset();
        return result::kAccessibleObjectNotFound;
    }
    const Point point{info->client.left + 10, info->client.top + 10};
    std::shared_ptr<PageAccessible> accessible;
    auto probeAccessible = [&] { return (accessible = desktop.AccessibleObjectFromPoint(point)) != nullptr; };
    if (!probeAccessible()) SleepThenProbe(desktop, profile->accessibleWait, probeAccessible);
    if (!accessible) {
        document.reset();
        return result::kAccessibleObjectNotFound;  // the dialog stays shown
    }
    desktop.ShowWindow(mapDialog, msg::SW_HIDE);
    if (desktop.NotResponding()) {
        document.reset();
        return result::kNotResponding;
    }
    const std::shared_ptr<PageServiceProvider> provider = accessible->QueryServiceProvider();
    if (!provider) {
        document.reset();
        return result::kNoServiceProvider;
    }
    // 30 tries in all, 100 ms apart.
    std::shared_ptr<PageElement> element;
    Tries(desktop, 30, 100, [&] { return (element = provider->QueryHtmlElement()) != nullptr; });
    if (!element) {
        document.reset();
        return result::kNoHtmlElement;
    }
    std::shared_ptr<PageDocument> found = element->GetDocument();
    if (!found) {
        document.reset();
        return result::kNoDocument;
    }
    if (found != document) document = std::move(found);
    return result::kSuccess;
}

int CCallPort::RunPositionScript(PageDocument& document, const char16_t* readScript, PlaceRecord& place,
                                 PositionPieces pieces) {
    const std::shared_ptr<PageWindow> window = document.GetParentWindow();
    if (!window) return result::kNoParentWindow;
    // The read script is a format without arguments ("%%" is a percent sign); a
    // script the formatter refuses is never run.
    const std::optional<std::u16string_view> format = ScriptText(readScript);
    if (!format) return result::kScriptFailed;
    const std::optional<std::u16string> script =
        FormatScript(*format, ScriptArguments::None, ScriptInputs{}, kReadScriptUnits);
    if (!script) return result::kScriptFailed;
    std::shared_ptr<PageEval> eval;
    std::int32_t id = 0;
    if (const int code = FindEval(*window, eval, id)) return code;

    const ScriptValue value = eval->Invoke(id, *script);
    const std::optional<PagePosition> position =
        ParsePositionText(value.text.value_or(std::u16string{}), pieces);
    if (!position) return result::kScriptFailed;
    place.x = position->x;
    place.y = position->y;
    return result::kSuccess;
}

int CCallPort::RunPlacementScript(PageDocument& document, const char16_t* pointScript, std::size_t bufferUnits,
                                  ScriptArguments expected, const ScriptInputs& inputs) {
    const std::shared_ptr<PageWindow> window = document.GetParentWindow();
    if (!window) return result::kNoParentWindow;
    const std::optional<std::u16string_view> format = ScriptText(pointScript);
    if (!format) return result::kPlacementFailed;
    const std::optional<std::u16string> script = FormatScript(*format, expected, inputs, bufferUnits);
    if (!script) return result::kPlacementFailed;
    std::shared_ptr<PageEval> eval;
    std::int32_t id = 0;
    if (const int code = FindEval(*window, eval, id)) return code;
    Pause(profile->shortSettle);
    const ScriptValue value = eval->Invoke(id, *script);
    return value.boolean == true ? result::kSuccess : result::kPlacementFailed;
}

}  // namespace qm
