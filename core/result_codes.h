// The catalogue of every result code the robot can return, with a short name and
// meaning for callers. A code means different things in different dispatch
// programs (13 is LogiD2's missing mileage button), so the catalogue is keyed by
// (adapter kind, code): the rows every adapter shares, and each adapter's own.
// Request handling, the reference caller and the tests all read it. Code names
// these values by their constants, never by bare numbers.
#pragma once

#include <cstdint>
#include <span>

namespace qm {

// The OrderRecord's adapterKind values; kShared marks the rows all adapters share.
namespace adapter {
constexpr int kShared = 0;
constexpr int kLogiD2 = 1;
constexpr int kLogiD5 = 2;
constexpr int kCManerXE4 = 3;
constexpr int kIcon2013 = 4;
}  // namespace adapter

// Codes every adapter shares.
namespace result {
constexpr int kSuccess = 0;
constexpr int kAdapterNotServed = 2;
constexpr int kException = 3;
constexpr int kMainWindowNotFound = 4;
constexpr int kOrderWindowNotFound = 11;
// The map dialog and its page.
constexpr int kMapDialogNotFound = 36;
constexpr int kMapOriginButtonNotFound = 37;
constexpr int kMapDestinationButtonNotFound = 38;
constexpr int kMapBrowserNotFound = 39;
constexpr int kAccessibleObjectNotFound = 40;
constexpr int kNoServiceProvider = 41;
constexpr int kNoHtmlElement = 42;
constexpr int kNoDocument = 43;
constexpr int kNoScriptObject = 44;
constexpr int kNoWindowDocument = 45;
constexpr int kNoParentWindow = 46;
constexpr int kNoDispatchEx = 47;
constexpr int kScriptFailed = 48;
constexpr int kPlacementFailed = 63;
constexpr int kNoObjectFromLresult = 94;
constexpr int kNoFreshEntryWindow = 95;
// Request handling: the desk lock could not be had (the system refused it),
// another request kept the desk for the whole wait, or the desk cannot take
// the real input that the request needs (a locked or disconnected session,
// another input desktop). None of them touches a dispatch program.
constexpr int kDeskUnavailable = 89;
constexpr int kDeskBusy = 90;
constexpr int kDeskTakesNoInput = 91;
constexpr int kNotResponding = 99;
}  // namespace result

// LogiD2's own codes.
namespace result::logid2 {
constexpr int kUnregisteredCompany = 3;  // the same number as an exception
constexpr int kMdiClientNotFound = 5;
constexpr int kReceptionViewNotFound = 7;
constexpr int kMainListNotFound = 8;
constexpr int kReceptionButtonNotFound = 10;
constexpr int kMileageButtonNotFound = 13;
constexpr int kCopyAfterHoldButtonNotFound = 16;
constexpr int kCashLabelNotFound = 19;
constexpr int kPostpaidLabelNotFound = 20;
constexpr int kCardLabelNotFound = 21;
constexpr int kConsignmentButtonNotFound = 23;
constexpr int kCompanySupportButtonNotFound = 26;
constexpr int kInquiryAnchorNotFound = 27;
constexpr int kCancelButtonNotFound = 29;
constexpr int kViaLabelNotFound = 31;
constexpr int kAppropriateButtonNotFound = 50;
constexpr int kAddViaButtonNotFound = 53;
constexpr int kHoldButtonNotFound = 92;
constexpr int kInquiryButtonNotFound = 93;
}  // namespace result::logid2

// LogiD5's own codes (its order steps share LogiD2's, in result::logi).
namespace result::logid5 {
constexpr int kMdiClientNotFound = 5;
constexpr int kReceptionViewNotFound = 7;
constexpr int kMainListNotFound = 8;
constexpr int kReceptionButtonNotFound = 10;
constexpr int kReservationLabelNotFound = 13;
constexpr int kPhone2DialogNotFound = 16;
constexpr int kCompanySupportNotFound = 18;
constexpr int kBusinessFeeLabelNotFound = 23;
constexpr int kMemoDialogNotFound = 25;
constexpr int kPaymentComboNotFound = 27;
constexpr int kCancelButtonNotFound = 29;
constexpr int kOriginDialogNotFound = 30;
constexpr int kAddViaDialogNotFound = 31;
constexpr int kSearchButtonsNotFound = 32;
constexpr int kAddViaButtonNotFound = 53;
constexpr int kHoldButtonNotFound = 92;
constexpr int kInquiryButtonNotFound = 93;
}  // namespace result::logid5

// CManerXE4's own codes.
namespace result::cmanerxe4 {
constexpr int kReceptionTabNotFound = 7;
constexpr int kReceptionButtonNotFound = 10;
constexpr int kCallerLabelNotFound = 13;
constexpr int kPostpaidLabelNotFound = 20;
constexpr int kConsignmentLabelNotFound = 23;
constexpr int kMemoLabelNotFound = 25;
constexpr int kFeeLabelNotFound = 27;
constexpr int kOriginLabelNotFound = 30;
constexpr int kDestinationLabelNotFound = 33;
constexpr int kViaAnchorNotFound = 50;
constexpr int kOriginEmpty = 57;
constexpr int kDestinationEmpty = 58;
constexpr int kOriginNotTaken = 59;
constexpr int kDestinationNotTaken = 60;
constexpr int kPaymentNotSupported = 65;
constexpr int kBranchNotShown = 66;
constexpr int kCustomerNotShown = 68;
constexpr int kSecondPhoneMismatch = 69;
constexpr int kPaymentMismatch = 70;
constexpr int kFareMismatch = 72;
constexpr int kCashNegative = 73;
constexpr int kPostpaidMismatch = 74;
constexpr int kCardNegative = 75;
constexpr int kMileageMismatch = 76;
constexpr int kHoldButtonNotFound = 92;
constexpr int kInquiryButtonNotFound = 93;
}  // namespace result::cmanerxe4

// Icon2013's own codes.
namespace result::icon2013 {
constexpr int kMdiFrameNotFound = 6;
constexpr int kInquiryDialogNotFound = 9;
constexpr int kReceptionButtonNotFound = 10;
constexpr int kNoOrderDialog = 12;
constexpr int kBranchLabelNotFound = 13;
constexpr int kSearchButtonNotFound = 16;
constexpr int kFareLabelNotFound = 18;
constexpr int kConsignmentButtonNotFound = 23;
constexpr int kMemoLabelNotFound = 25;
constexpr int kEnlargeButtonNotFound = 26;
constexpr int kPaymentLabelNotFound = 27;
constexpr int kCloseButtonNotFound = 29;
constexpr int kOriginLabelNotFound = 30;
constexpr int kDestinationLabelNotFound = 33;
constexpr int kViaLabelNotFound = 53;
constexpr int kShrinkButtonNotFound = 54;
constexpr int kOriginEmpty = 57;
constexpr int kDestinationEmpty = 58;
constexpr int kOriginNotTaken = 59;
constexpr int kDestinationNotTaken = 60;
constexpr int kPaymentNotSupported = 65;
constexpr int kBranchNotSelected = 66;
constexpr int kBranchTextMalformed = 67;
constexpr int kCustomerNotShown = 68;
constexpr int kSecondPhoneMismatch = 69;
constexpr int kPaymentComboEmpty = 70;
constexpr int kFareEmpty = 71;
constexpr int kFareMismatch = 72;
constexpr int kPostpaidNegative = 74;
constexpr int kCardNegative = 75;
constexpr int kMileageNegative = 76;
constexpr int kMixedWithoutAmounts = 77;
constexpr int kHoldButtonNotFound = 92;
constexpr int kInquiryButtonNotFound = 93;
}  // namespace result::icon2013

// Codes of the order steps LogiD2 and LogiD5 share, and of the Logi map
// page's address.
namespace result::logi {
constexpr int kOriginEmpty = 57;
constexpr int kDestinationEmpty = 58;
constexpr int kOriginNotTaken = 59;
constexpr int kDestinationNotTaken = 60;
constexpr int kPaymentNotSupported = 65;
constexpr int kBranchNotShown = 66;
constexpr int kBranchDisplayMalformed = 67;
constexpr int kCustomerNotShown = 68;
constexpr int kSecondPhoneMismatch = 69;
constexpr int kPaymentComboMismatch = 70;
constexpr int kFareEmpty = 71;
constexpr int kFareMismatch = 72;
constexpr int kCashMismatch = 73;
constexpr int kPostpaidNegative = 74;
constexpr int kCardNegative = 75;
constexpr int kMileageRefused = 76;
constexpr int kMixedWithoutAmounts = 77;
constexpr int kConsignmentNotSet = 78;

constexpr int kMapUrlUnreadable = 96;
constexpr int kMapUrlWithoutQuery = 97;
constexpr int kMapUrlMissingPosition = 98;
}  // namespace result::logi

struct ResultCodeInfo {
    int adapter;          // adapter::kShared or the adapter kind whose own row it is
    int code;
    const char* name;     // short identifier, for example "MainWindowNotFound"
    const char* meaning;  // one English sentence
};

// Every row, sorted by (adapter, code).
std::span<const ResultCodeInfo> ResultCatalogue();
// What code means for adapterKind: the adapter's own row, else the shared row;
// null when the catalogue knows neither.
const ResultCodeInfo* FindResultCode(int adapterKind, int code);

}  // namespace qm
