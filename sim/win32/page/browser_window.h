// The browser window of a substitute program's map page: class
// "Internet Explorer_Server", a child of the map dialog. It answers
//   RegisterWindowMessage("WM_HTML_GETOBJECT") with LresultFromObject of the
//     page's document (IHTMLDocument), and
//   WM_GETOBJECT for OBJID_CLIENT with LresultFromObject of the page's
//     accessible object,
// as the embedded browser does. A window without a page answers neither.
#pragma once

#include <windows.h>

#include <memory>

#include "sim/win32/page/page_object.h"

namespace qm::sim::page {

inline constexpr wchar_t kBrowserClassName[] = L"Internet Explorer_Server";

// Registers the window class in this process (once; later calls do nothing).
bool RegisterBrowserClass();

// A browser window showing page (which may be null, and attached later).
// rect is in the parent's client coordinates (screen coordinates when parent is null).
HWND CreateBrowserWindow(HWND parent, const RECT& rect, std::shared_ptr<PageObject> page, int id = 0,
                         DWORD style = WS_CHILD | WS_VISIBLE);

// Shows another page in a browser window (null: none). False when browser is
// not a browser window of this process.
bool AttachPage(HWND browser, std::shared_ptr<PageObject> page);
// The page a browser window of this process shows, or null.
std::shared_ptr<PageObject> PageOf(HWND browser);

}  // namespace qm::sim::page
