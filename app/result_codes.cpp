#include "app/result_codes.h"

#include <algorithm>
#include <array>

namespace qm {
namespace {

constexpr std::array kCatalogue = std::to_array<ResultCodeInfo>({
    {0, "Success", "The request was carried out."},
    {2, "AdapterNotServed", "The order's adapterKind names no served dispatch program (1 to 4)."},
    {3, "ExceptionOrUnregisteredCompany",
     "The work ended with an exception (the message holds its text), or LogiD2 reported an unregistered company after the finishing button."},
    {4, "MainWindowNotFound", "The dispatch program's main window was not found; is the program running?"},
    {5, "MdiClientNotFound", "LogiD2's main window has no MDI client area."},
    {7, "ReceptionViewNotFound", "LogiD2's reception view was not found."},
    {8, "MainListNotFound", "LogiD2's main list dialog was not found."},
    {10, "ReceptionButtonNotFound", "LogiD2's reception button was not found on the main list."},
    {11, "OrderWindowNotFound", "The dispatch program's order or entry window was not found in time."},
    {13, "MileageButtonNotFound", "The entry window has no mileage button (branch boxes not found)."},
    {16, "CopyAfterHoldButtonNotFound", "The entry window has no copy-after-hold button (customer boxes not found)."},
    {19, "CashLabelNotFound", "The entry window has no cash label."},
    {20, "PostpaidLabelNotFound", "The entry window has no postpaid label."},
    {21, "CardLabelNotFound", "The entry window has no card label."},
    {23, "ConsignmentButtonNotFound", "The entry window has no consignment check button."},
    {26, "CompanySupportButtonNotFound", "The entry window has no company-support button (second memo not found)."},
    {27, "InquiryAnchorNotFound", "The entry window has no inquiry button among its direct children (payment combo not found)."},
    {29, "CancelButtonNotFound", "The entry window has no cancel button."},
    {31, "ViaLabelNotFound", "The entry window has no via label (map buttons not found)."},
    {36, "MapDialogNotFound", "The map view dialog did not appear in time."},
    {37, "MapOriginButtonNotFound", "The map view dialog has no set-origin button."},
    {38, "MapDestinationButtonNotFound", "The map view dialog has no set-destination button."},
    {39, "MapBrowserNotFound", "The map view dialog shows no browser window in time."},
    {40, "AccessibleObjectNotFound", "No accessible object at the map browser's client point in time."},
    {41, "NoServiceProvider", "The map browser's accessible object offers no service provider."},
    {42, "NoHtmlElement", "The map browser's service provider gave no HTML element."},
    {43, "NoDocument", "The map browser gave no document object."},
    {44, "NoScriptObject", "The map page's document gave no script window."},
    {45, "NoWindowDocument", "The map page window gave no document."},
    {46, "NoParentWindow", "The map page's document gave no parent window."},
    {47, "NoDispatchEx", "The map page window offers no IDispatchEx."},
    {48, "ScriptFailed", "The map page has no eval, or the position script's text is not exactly two numbers (or the script does not fit)."},
    {50, "AppropriateButtonNotFound", "The entry window has no appropriate-fare button (via boxes not found)."},
    {53, "AddViaButtonNotFound", "The entry window has no add-via button."},
    {57, "OriginEmpty", "The origin box is empty."},
    {58, "DestinationEmpty", "The destination box is empty."},
    {59, "OriginNotTaken", "The origin box is empty after typing."},
    {60, "DestinationNotTaken", "The destination box is empty after typing."},
    {63, "PlacementFailed", "The map page's point script did not return true (or could not be formatted)."},
    {65, "PaymentNotSupported", "The payment type or the combination of amounts is not supported."},
    {66, "BranchNotShown", "The branch display did not show the branch (or is empty)."},
    {67, "BranchDisplayMalformed", "The branch display shows no number in parentheses."},
    {68, "CustomerNotShown", "The customer display did not show the telephone (or is empty)."},
    {69, "SecondPhoneMismatch", "The second telephone box is empty or differs from the order."},
    {70, "PaymentComboMismatch", "The payment combo is empty or does not show the selected type."},
    {71, "FareEmpty", "The fare box is empty."},
    {72, "FareMismatch", "The fare box is empty, differs from the order, or is negative."},
    {73, "CashMismatch", "The cash box is empty, differs from the order, or is negative."},
    {74, "PostpaidNegative", "The postpaid amount is negative."},
    {75, "CardNegative", "The card amount is negative."},
    {76, "MileageRefused", "The mileage box is empty, differs, is negative, or the dispatch program refused mileage."},
    {77, "MixedWithoutAmounts", "Mixed payment without a positive postpaid, mileage or card amount."},
    {78, "ConsignmentNotSet", "The consignment check did not take the wanted state."},
    {92, "HoldButtonNotFound", "The entry window has no hold button."},
    {93, "InquiryButtonNotFound", "The entry window has no inquiry button."},
    {94, "NoObjectFromLresult", "The accessibility library offers no ObjectFromLresult."},
    {95, "NoFreshEntryWindow", "No fresh entry window appeared after three presses of the reception button."},
    {96, "MapUrlUnreadable", "The map page's address could not be read."},
    {97, "MapUrlWithoutQuery", "The map page's address is empty or has no query."},
    {98, "MapUrlMissingPosition", "The map page's address lacks an origin or destination coordinate."},
    {99, "NotResponding", "The dispatch program stopped answering window messages; the request was ended."},
});

constexpr bool SortedUnique() {
    for (std::size_t i = 1; i < kCatalogue.size(); ++i)
        if (kCatalogue[i - 1].code >= kCatalogue[i].code) return false;
    return true;
}
static_assert(SortedUnique(), "the catalogue is kept sorted by code, each code once");

}  // namespace

std::span<const ResultCodeInfo> ResultCatalogue() { return kCatalogue; }

const ResultCodeInfo* FindResultCode(int code) {
    auto it = std::lower_bound(kCatalogue.begin(), kCatalogue.end(), code,
                               [](const ResultCodeInfo& e, int c) { return e.code < c; });
    return it != kCatalogue.end() && it->code == code ? &*it : nullptr;
}

}  // namespace qm
