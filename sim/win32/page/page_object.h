// The map page of a substitute dispatch program: a real COM object in the
// program's process that a browser window ("Internet Explorer_Server", see
// browser_window.h) hands out to other processes.
//
// What another process reaches, and how:
//   WM_HTML_GETOBJECT -> ObjectFromLresult -> the document (IHTMLDocument,
//     IHTMLDocument2: get_Script, get_URL, get_parentWindow)
//   document.get_Script / get_parentWindow -> the window (IHTMLWindow2:
//     get_document; IDispatchEx: GetDispID "eval", Invoke/InvokeEx)
//   WM_GETOBJECT(OBJID_CLIENT) -> the accessible object (IAccessible: accHitTest
//     answers CHILDID_SELF; IServiceProvider: QueryService(IHTMLElement)) ->
//     the element (IHTMLElement: get_document)
// Every other method of those interfaces answers E_NOTIMPL. "eval" runs its
// one string argument through the system's JScript engine (in this process)
// and returns the value; a script error returns DISP_E_EXCEPTION with the
// result left VT_EMPTY.
//
// Threading: create and use a page on one thread that has COM initialised as
// a single-threaded apartment (OleInitialize) and pumps messages: calls from
// other processes arrive through that thread's message loop.
//
//   OleInitialize(nullptr);
//   auto page = qm::sim::page::PageObject::Create(u"http://map/?strSPosX=0");
//   page->LoadScript(u"var centre = {x: 0, y: 0};"
//                    u"function setCenter(x, y) { centre.x = x; centre.y = y; return true; }");
//   HWND browser = qm::sim::page::CreateBrowserWindow(dialog, rect, page);
//   ...  // the robot runs "setCenter(37.5, 127)" through eval
//   auto x = page->Evaluate(u"centre.x");   // u"37.5"
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace qm::sim::page {

// Switches that make one step of the way to the page fail, as a broken or
// unusual browser would. All off by default; change them at any time.
struct PageFaults {
    // The message path.
    bool noLresult = false;         // WM_HTML_GETOBJECT answers 0 (ObjectFromLresult fails)
    bool noScript = false;          // IHTMLDocument::get_Script fails
    bool scriptNotWindow = false;   // get_Script gives an object without IHTMLWindow2
    bool noWindowDocument = false;  // IHTMLWindow2::get_document fails
    bool noParentWindow = false;    // IHTMLDocument2::get_parentWindow fails
    bool noDispatchEx = false;      // the window offers no IDispatchEx
    bool noEval = false;            // GetDispID("eval") answers DISP_E_UNKNOWNNAME
    bool failUrl = false;           // IHTMLDocument2::get_URL fails
    // The accessibility path.
    bool noAccessible = false;       // WM_GETOBJECT(OBJID_CLIENT) is left to the system
    bool noServiceProvider = false;  // the accessible object offers no IServiceProvider
    int elementFailures = 0;         // the next N QueryService(IHTMLElement) calls fail; < 0: all
    bool noElementDocument = false;  // IHTMLElement::get_document fails
    bool elementDocumentNotDocument2 = false;  // get_document gives an object without IHTMLDocument2
};

// What other processes asked of the page.
struct PageStats {
    int documentRequests = 0;    // WM_HTML_GETOBJECT answered with the document
    int accessibleRequests = 0;  // WM_GETOBJECT answered with the accessible object
    int hitTests = 0;            // IAccessible::accHitTest calls
    int serviceQueries = 0;      // IServiceProvider::QueryService calls
    std::vector<std::u16string> evals;  // every text that came through "eval", in order
};

class PageCore;

class PageObject {
public:
    // A page with its own JScript engine, on this thread. Null when the engine
    // cannot be created (COM not initialised, JScript missing).
    static std::shared_ptr<PageObject> Create(std::u16string url = u"about:blank");
    ~PageObject();
    PageObject(const PageObject&) = delete;
    PageObject& operator=(const PageObject&) = delete;

    void SetUrl(std::u16string url);
    std::u16string GetUrl() const;

    // Runs the page's own code (function and variable declarations) in the
    // engine's global scope. False on a script error (see LastError()).
    bool LoadScript(const std::u16string& source);
    // Runs text as "eval" does and gives the value as JScript's String() would
    // ("3" for 1+2, "true", "undefined"); empty on a script error.
    std::optional<std::u16string> Evaluate(const std::u16string& text);
    // Runs text as "eval" does and converts the value as the robot does with
    // the VARIANT it receives: once to VT_BSTR, once to VT_BOOL.
    ScriptValue EvaluateValue(const std::u16string& text);
    // The description of the last script error, empty when none happened.
    std::u16string LastError() const;

    PageFaults& Faults();
    const PageStats& Stats() const;
    PageStats& Stats();  // e.g. to clear the eval log between steps

    // Called after every "eval" that came from another process, with its text;
    // the host may read the page's new state here. Not called for Evaluate.
    void OnEval(std::function<void(const std::u16string& text)> handler);

    // The COM side (for browser_window.cpp): an IUnknown of the document and of
    // the accessible object, each with a reference added for the caller.
    void* NewDocumentReference();
    void* NewAccessibleReference();
    // The browser window showing the page (for accLocation); may be null.
    void SetWindow(void* hwnd);

private:
    explicit PageObject(PageCore* core);
    PageCore* core_;  // one reference of the core's shared count
};

}  // namespace qm::sim::page
