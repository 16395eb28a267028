#include "app/result_codes.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace qm {
namespace {

constexpr std::array kCatalogue = std::to_array<ResultCodeInfo>({
    {adapter::kShared, result::kSuccess, "Success",
     "The request was carried out."},
    {adapter::kShared, result::kAdapterNotServed, "AdapterNotServed",
     "The order's adapterKind names no served dispatch program (1 to 4)."},
    {adapter::kShared, result::kException, "Exception",
     "The work ended with an exception; the message holds its text."},
    {adapter::kShared, result::kMainWindowNotFound, "MainWindowNotFound",
     "The dispatch program's main window was not found; is the program running?"},
    {adapter::kShared, result::kOrderWindowNotFound, "OrderWindowNotFound",
     "The dispatch program's order or entry window was not found in time."},
    {adapter::kShared, result::kMapDialogNotFound, "MapDialogNotFound",
     "The map dialog did not appear in time."},
    {adapter::kShared, result::kMapOriginButtonNotFound, "MapOriginButtonNotFound",
     "The map dialog has no set-origin button."},
    {adapter::kShared, result::kMapDestinationButtonNotFound, "MapDestinationButtonNotFound",
     "The map dialog has no set-destination button."},
    {adapter::kShared, result::kMapBrowserNotFound, "MapBrowserNotFound",
     "The map dialog shows no browser window in time."},
    {adapter::kShared, result::kAccessibleObjectNotFound, "AccessibleObjectNotFound",
     "No accessible object at the map browser's client point in time."},
    {adapter::kShared, result::kNoServiceProvider, "NoServiceProvider",
     "The map browser's accessible object offers no service provider."},
    {adapter::kShared, result::kNoHtmlElement, "NoHtmlElement",
     "The map browser's service provider gave no HTML element."},
    {adapter::kShared, result::kNoDocument, "NoDocument",
     "The map browser gave no document object."},
    {adapter::kShared, result::kNoScriptObject, "NoScriptObject",
     "The map page's document gave no script window."},
    {adapter::kShared, result::kNoWindowDocument, "NoWindowDocument",
     "The map page window gave no document."},
    {adapter::kShared, result::kNoParentWindow, "NoParentWindow",
     "The map page's document gave no parent window."},
    {adapter::kShared, result::kNoDispatchEx, "NoDispatchEx",
     "The map page window offers no IDispatchEx."},
    {adapter::kShared, result::kScriptFailed, "ScriptFailed",
     "The map page has no eval, or the position script's text is not exactly two numbers (or the script does not fit)."},
    {adapter::kShared, result::kPlacementFailed, "PlacementFailed",
     "The map page's point script did not return true (or could not be formatted)."},
    {adapter::kShared, result::kNoObjectFromLresult, "NoObjectFromLresult",
     "The accessibility library offers no ObjectFromLresult."},
    {adapter::kShared, result::kNoFreshEntryWindow, "NoFreshEntryWindow",
     "No fresh entry window appeared after three presses of the reception button."},
    {adapter::kShared, result::kNotResponding, "NotResponding",
     "The dispatch program stopped answering window messages; the request was ended."},
    {adapter::kLogiD2, result::logid2::kUnregisteredCompany, "ExceptionOrUnregisteredCompany",
     "The work ended with an exception (the message holds its text), or LogiD2 reported an unregistered company after the finishing button."},
    {adapter::kLogiD2, result::logid2::kMdiClientNotFound, "MdiClientNotFound",
     "LogiD2's main window has no MDI client area."},
    {adapter::kLogiD2, result::logid2::kReceptionViewNotFound, "ReceptionViewNotFound",
     "LogiD2's reception view was not found."},
    {adapter::kLogiD2, result::logid2::kMainListNotFound, "MainListNotFound",
     "LogiD2's main list dialog was not found."},
    {adapter::kLogiD2, result::logid2::kReceptionButtonNotFound, "ReceptionButtonNotFound",
     "LogiD2's reception button was not found on the main list."},
    {adapter::kLogiD2, result::logid2::kMileageButtonNotFound, "MileageButtonNotFound",
     "The entry window has no mileage button (branch boxes not found)."},
    {adapter::kLogiD2, result::logid2::kCopyAfterHoldButtonNotFound, "CopyAfterHoldButtonNotFound",
     "The entry window has no copy-after-hold button (customer boxes not found)."},
    {adapter::kLogiD2, result::logid2::kCashLabelNotFound, "CashLabelNotFound",
     "The entry window has no cash label."},
    {adapter::kLogiD2, result::logid2::kPostpaidLabelNotFound, "PostpaidLabelNotFound",
     "The entry window has no postpaid label."},
    {adapter::kLogiD2, result::logid2::kCardLabelNotFound, "CardLabelNotFound",
     "The entry window has no card label."},
    {adapter::kLogiD2, result::logid2::kConsignmentButtonNotFound, "ConsignmentButtonNotFound",
     "The entry window has no consignment check button."},
    {adapter::kLogiD2, result::logid2::kCompanySupportButtonNotFound, "CompanySupportButtonNotFound",
     "The entry window has no company-support button (second memo not found)."},
    {adapter::kLogiD2, result::logid2::kInquiryAnchorNotFound, "InquiryAnchorNotFound",
     "The entry window has no inquiry button among its direct children (payment combo not found)."},
    {adapter::kLogiD2, result::logid2::kCancelButtonNotFound, "CancelButtonNotFound",
     "The entry window has no cancel button."},
    {adapter::kLogiD2, result::logid2::kViaLabelNotFound, "ViaLabelNotFound",
     "The entry window has no via label (map buttons not found)."},
    {adapter::kLogiD2, result::logid2::kAppropriateButtonNotFound, "AppropriateButtonNotFound",
     "The entry window has no appropriate-fare button (via boxes not found)."},
    {adapter::kLogiD2, result::logid2::kAddViaButtonNotFound, "AddViaButtonNotFound",
     "The entry window has no add-via button."},
    {adapter::kLogiD2, result::logid2::kOriginEmpty, "OriginEmpty",
     "The origin box is empty."},
    {adapter::kLogiD2, result::logid2::kDestinationEmpty, "DestinationEmpty",
     "The destination box is empty."},
    {adapter::kLogiD2, result::logid2::kOriginNotTaken, "OriginNotTaken",
     "The origin box is empty after typing."},
    {adapter::kLogiD2, result::logid2::kDestinationNotTaken, "DestinationNotTaken",
     "The destination box is empty after typing."},
    {adapter::kLogiD2, result::logid2::kPaymentNotSupported, "PaymentNotSupported",
     "The payment type or the combination of amounts is not supported."},
    {adapter::kLogiD2, result::logid2::kBranchNotShown, "BranchNotShown",
     "The branch display did not show the branch (or is empty)."},
    {adapter::kLogiD2, result::logid2::kBranchDisplayMalformed, "BranchDisplayMalformed",
     "The branch display shows no number in parentheses."},
    {adapter::kLogiD2, result::logid2::kCustomerNotShown, "CustomerNotShown",
     "The customer display did not show the telephone (or is empty)."},
    {adapter::kLogiD2, result::logid2::kSecondPhoneMismatch, "SecondPhoneMismatch",
     "The second telephone box is empty or differs from the order."},
    {adapter::kLogiD2, result::logid2::kPaymentComboMismatch, "PaymentComboMismatch",
     "The payment combo is empty or does not show the selected type."},
    {adapter::kLogiD2, result::logid2::kFareEmpty, "FareEmpty",
     "The fare box is empty."},
    {adapter::kLogiD2, result::logid2::kFareMismatch, "FareMismatch",
     "The fare box is empty, differs from the order, or is negative."},
    {adapter::kLogiD2, result::logid2::kCashMismatch, "CashMismatch",
     "The cash box is empty, differs from the order, or is negative."},
    {adapter::kLogiD2, result::logid2::kPostpaidNegative, "PostpaidNegative",
     "The postpaid amount is negative."},
    {adapter::kLogiD2, result::logid2::kCardNegative, "CardNegative",
     "The card amount is negative."},
    {adapter::kLogiD2, result::logid2::kMileageRefused, "MileageRefused",
     "The mileage box is empty, differs, is negative, or the dispatch program refused mileage."},
    {adapter::kLogiD2, result::logid2::kMixedWithoutAmounts, "MixedWithoutAmounts",
     "Mixed payment without a positive postpaid, mileage or card amount."},
    {adapter::kLogiD2, result::logid2::kConsignmentNotSet, "ConsignmentNotSet",
     "The consignment check did not take the wanted state."},
    {adapter::kLogiD2, result::logid2::kHoldButtonNotFound, "HoldButtonNotFound",
     "The entry window has no hold button."},
    {adapter::kLogiD2, result::logid2::kInquiryButtonNotFound, "InquiryButtonNotFound",
     "The entry window has no inquiry button."},
    {adapter::kLogiD2, result::logi::kMapUrlUnreadable, "MapUrlUnreadable",
     "The map page's address could not be read."},
    {adapter::kLogiD2, result::logi::kMapUrlWithoutQuery, "MapUrlWithoutQuery",
     "The map page's address is empty or has no query."},
    {adapter::kLogiD2, result::logi::kMapUrlMissingPosition, "MapUrlMissingPosition",
     "The map page's address lacks an origin or destination coordinate."},
});

constexpr bool Before(const ResultCodeInfo& a, const ResultCodeInfo& b) {
    return std::tie(a.adapter, a.code) < std::tie(b.adapter, b.code);
}

constexpr bool SortedUnique() {
    for (std::size_t i = 1; i < kCatalogue.size(); ++i)
        if (!Before(kCatalogue[i - 1], kCatalogue[i])) return false;
    return true;
}
static_assert(SortedUnique(), "the catalogue is kept sorted by adapter and code, each pair once");

const ResultCodeInfo* Find(int adapterKind, int code) {
    const ResultCodeInfo key{adapterKind, code, nullptr, nullptr};
    auto it = std::lower_bound(kCatalogue.begin(), kCatalogue.end(), key, Before);
    return it != kCatalogue.end() && it->adapter == adapterKind && it->code == code ? &*it : nullptr;
}

}  // namespace

std::span<const ResultCodeInfo> ResultCatalogue() { return kCatalogue; }

const ResultCodeInfo* FindResultCode(int adapterKind, int code) {
    if (adapterKind != adapter::kShared) {
        if (const ResultCodeInfo* own = Find(adapterKind, code)) return own;
    }
    return Find(adapter::kShared, code);
}

}  // namespace qm
