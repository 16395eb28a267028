// A browser page for the fake desktop: what the robot reaches through the
// "Internet Explorer_Server" window of a map dialog. A test or a substitute
// program attaches one to a window (FakeDesktop::AttachPage), sets its URL and
// supplies the answer of its "eval"; switches make each step on the way to the
// page fail the way a real browser can.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace qm::testing {

// ---- Script results -------------------------------------------------------
// The robot converts the VARIANT that "eval" returns once to text (VT_BSTR) and
// once to a boolean (VT_BOOL) with VariantChangeType and no flags. These helpers
// build the ScriptValue that a page would give for each kind of JavaScript value:
//
//   value            text                          boolean
//   undefined/error  ""  (VT_EMPTY -> empty BSTR)  false
//   null             none (type mismatch)          none
//   true / false     "-1" / "0" (VT_BOOL -> BSTR   true / false
//                    goes through VarBstrFromI2
//                    unless VARIANT_ALPHABOOL)
//   number           shortest form with at most    number != 0
//                    15 significant digits, "."
//                    as decimal point, "1E+21"
//   string           the string itself             "True"/"False" in any case, else
//                                                  a decimal number text (blanks
//                                                  around allowed) != 0; anything
//                                                  else (and "") converts to none
//
// A script that throws leaves the result VT_EMPTY, the same as undefined.
ScriptValue ScriptEmpty();
ScriptValue ScriptNull();
ScriptValue ScriptBool(bool value);
ScriptValue ScriptNumber(double value);
ScriptValue ScriptString(const std::u16string& value);

// ---- The page ---------------------------------------------------------------
// Every step the robot takes towards a page, and the switch that makes it fail.
struct PageFailures {
    static constexpr int kAlways = std::numeric_limits<int>::max();

    // Message path.
    bool objectFromLresult = false;  // ObjectFromLresult gives no document
    bool scriptWindow = false;       // the root document gives no script window
    bool windowDocument = false;     // the page window gives no document
    // Script steps.
    bool parentWindow = false;       // the document gives no parent window
    bool queryEval = false;          // the page window offers no IDispatchEx
    bool evalDispId = false;         // GetDispID("eval") fails
    bool url = false;                // get_URL fails
    // Accessibility path. The counts are the number of first tries that fail
    // (kAlways: every try).
    int accessibleMissing = 0;       // AccessibleObjectFromPoint finds nothing
    bool serviceProvider = false;    // the accessible object has no service provider
    int elementMissing = 0;          // QueryService(IHTMLElement) gives nothing
    bool elementDocument = false;    // the element gives no document
};

class FakePage {
public:
    // The dispatch id that GetDispId("eval") answers.
    static constexpr std::int32_t kEvalDispId = 1000;

    // What get_URL answers.
    std::u16string url;
    // Runs one script; every script the robot ran is also kept in `scripts`.
    // Without a hook a script gives ScriptEmpty(), like a statement without value.
    std::function<ScriptValue(const std::u16string& script)> eval;
    PageFailures fail;

    // Recorded: every script passed to eval, in order, and the tries counted
    // against fail.accessibleMissing and fail.elementMissing.
    std::vector<std::u16string> scripts;
    int accessibleTries = 0;
    int elementTries = 0;

    // False once the page's window is destroyed: every object obtained from
    // the page then fails its calls, as a disconnected COM object does.
    bool Attached() const { return attached_; }

private:
    friend class FakeDesktop;
    bool attached_ = true;
};

// The objects of the two ways to a page's document (internal to the fake,
// exposed so that a test can build them without a window when it wants to).
std::shared_ptr<PageRootDocument> MakeRootDocument(std::shared_ptr<FakePage> page);
std::shared_ptr<PageAccessible> MakeAccessible(std::shared_ptr<FakePage> page);

}  // namespace qm::testing
