/* quillmere.h: calling the Quillmere order-entry robot from C (C99 or later;
 * C++ may include it too).
 *
 * A caller creates a named file mapping of QUILLMERE_BLOCK_SIZE (19,800) bytes
 * whose name begins with "quilmer", writes a request block into it with status
 * 0, and starts quillmere.exe with the mapping's name as its whole command line.
 * The robot writes status 1 when it takes the request and status 2 as its very
 * last write; only then are result, message and the order valid. Texts are
 * NUL-terminated UTF-16 in fixed arrays (at most the array's length less one
 * unit), numbers little-endian.
 *
 * quillmere_run (Windows only) does all of it with a time-out:
 *
 *     quillmere_request request, answer;
 *     memset(&request, 0, sizeof request);
 *     request.finish_action = QUILLMERE_FINISH_REGISTER;
 *     request.order.adapter_kind = QUILLMERE_ADAPTER_LOGID2;
 *     ...fill the order...
 *     if (quillmere_run(L"C:\\Quillmere\\quillmere.exe", &request, &answer, 300000) == QUILLMERE_RUN_ANSWERED
 *         && answer.result == QUILLMERE_RESULT_SUCCESS) { ...answer.order is the order as the program shows it... }
 *
 * A result code means what the adapter's own row says (QUILLMERE_LOGID2_...
 * for adapter kind 1), else the shared row (QUILLMERE_RESULT_...): 13 is
 * LogiD2's missing mileage button and CManerXE4's missing caller label. The
 * meaning of every code is in docs/result-codes.md.
 *
 * The header is its own implementation: every function is static inline, and
 * nothing needs linking but kernel32. */
#ifndef QUILLMERE_H
#define QUILLMERE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One UTF-16 code unit: wchar_t on Windows, so that L"..." texts and the W
 * functions take the fields as they are. */
#if defined(_WIN32)
typedef wchar_t quillmere_char16;
#else
typedef uint16_t quillmere_char16;
#endif

/* A compile-time check: C11's _Static_assert, C++'s static_assert, else an
 * array whose size is negative when the condition fails. */
#if defined(__cplusplus)
#define QUILLMERE_CHECK(name, condition) static_assert(condition, #name)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define QUILLMERE_CHECK(name, condition) _Static_assert(condition, #name)
#else
#define QUILLMERE_CHECK(name, condition) typedef char quillmere_check_##name[(condition) ? 1 : -1]
#endif

#define QUILLMERE_BLOCK_SIZE 19800
#define QUILLMERE_MAPPING_PREFIX L"quilmer"

/* status */
#define QUILLMERE_STATUS_WRITTEN 0 /* the caller wrote the request */
#define QUILLMERE_STATUS_TAKEN 1   /* the robot took it */
#define QUILLMERE_STATUS_DONE 2    /* the robot's last write: result, message and order are valid */

/* mode */
#define QUILLMERE_MODE_ENTER 0 /* enter an order; any other value reads the order on screen */
#define QUILLMERE_MODE_READ 1

/* finish_action (entry): any other value leaves the entry window open */
#define QUILLMERE_FINISH_DISCARD 1
#define QUILLMERE_FINISH_REGISTER 2
#define QUILLMERE_FINISH_HOLD 3
#define QUILLMERE_FINISH_INQUIRY 4

/* speed: any other value is normal */
#define QUILLMERE_SPEED_SLOW 1
#define QUILLMERE_SPEED_FAST 3

/* order.adapter_kind: the dispatch program */
#define QUILLMERE_ADAPTER_LOGID2 1
#define QUILLMERE_ADAPTER_LOGID5 2
#define QUILLMERE_ADAPTER_CMANERXE4 3
#define QUILLMERE_ADAPTER_ICON2013 4

/* order.pay_type */
#define QUILLMERE_PAY_MIXED 0
#define QUILLMERE_PAY_CASH 1
#define QUILLMERE_PAY_CARD 2
#define QUILLMERE_PAY_POSTPAID 3
#define QUILLMERE_PAY_MILEAGE 4

/* The block as it lies in the mapping: natural alignment, no padding. */
#if defined(_MSC_VER) || defined(__GNUC__) || defined(__clang__)
#pragma pack(push, 8)
#endif

typedef struct quillmere_place {
    double x;
    double y;
    quillmere_char16 name[512];
    quillmere_char16 full_text[512];
} quillmere_place;

typedef struct quillmere_order {
    int32_t adapter_kind;
    int32_t oleacc_loaded;
    int32_t consignment;
    int32_t pay_type;
    quillmere_char16 fare[12];
    quillmere_char16 cash_amount[12];
    quillmere_char16 postpaid_amount[12];
    quillmere_char16 card_amount[12];
    quillmere_char16 mileage_amount[12];
    uint8_t reserved[32]; /* no adapter reads or writes it; callers leave it zero */
    quillmere_char16 branch_name[24];
    quillmere_char16 branch_number[24];
    quillmere_char16 customer_phone[24];
    quillmere_char16 customer_phone2[24];
    quillmere_char16 driver_memo[1024];
    quillmere_char16 memo2[1024];
    quillmere_place origin;
    quillmere_place destination;
    quillmere_place via[3];
} quillmere_order;

typedef struct quillmere_request {
    int32_t mode;
    int32_t require_branch;
    int32_t finish_action;
    int32_t speed;
    quillmere_char16 read_script[300];
    quillmere_char16 point_script[1200];
    int32_t status;
    int32_t result;
    quillmere_order order;
    quillmere_char16 message[1000];
} quillmere_request;

#if defined(_MSC_VER) || defined(__GNUC__) || defined(__clang__)
#pragma pack(pop)
#endif

QUILLMERE_CHECK(char16_is_two_bytes, sizeof(quillmere_char16) == 2);
QUILLMERE_CHECK(place_size, sizeof(quillmere_place) == 2064);
QUILLMERE_CHECK(place_x, offsetof(quillmere_place, x) == 0);
QUILLMERE_CHECK(place_y, offsetof(quillmere_place, y) == 8);
QUILLMERE_CHECK(place_name, offsetof(quillmere_place, name) == 16);
QUILLMERE_CHECK(place_full_text, offsetof(quillmere_place, full_text) == 1040);
QUILLMERE_CHECK(order_size, sizeof(quillmere_order) == 14776);
QUILLMERE_CHECK(order_adapter_kind, offsetof(quillmere_order, adapter_kind) == 0);
QUILLMERE_CHECK(order_oleacc_loaded, offsetof(quillmere_order, oleacc_loaded) == 4);
QUILLMERE_CHECK(order_consignment, offsetof(quillmere_order, consignment) == 8);
QUILLMERE_CHECK(order_pay_type, offsetof(quillmere_order, pay_type) == 12);
QUILLMERE_CHECK(order_fare, offsetof(quillmere_order, fare) == 16);
QUILLMERE_CHECK(order_cash_amount, offsetof(quillmere_order, cash_amount) == 40);
QUILLMERE_CHECK(order_postpaid_amount, offsetof(quillmere_order, postpaid_amount) == 64);
QUILLMERE_CHECK(order_card_amount, offsetof(quillmere_order, card_amount) == 88);
QUILLMERE_CHECK(order_mileage_amount, offsetof(quillmere_order, mileage_amount) == 112);
QUILLMERE_CHECK(order_reserved, offsetof(quillmere_order, reserved) == 136);
QUILLMERE_CHECK(order_branch_name, offsetof(quillmere_order, branch_name) == 168);
QUILLMERE_CHECK(order_branch_number, offsetof(quillmere_order, branch_number) == 216);
QUILLMERE_CHECK(order_customer_phone, offsetof(quillmere_order, customer_phone) == 264);
QUILLMERE_CHECK(order_customer_phone2, offsetof(quillmere_order, customer_phone2) == 312);
QUILLMERE_CHECK(order_driver_memo, offsetof(quillmere_order, driver_memo) == 360);
QUILLMERE_CHECK(order_memo2, offsetof(quillmere_order, memo2) == 2408);
QUILLMERE_CHECK(order_origin, offsetof(quillmere_order, origin) == 4456);
QUILLMERE_CHECK(order_destination, offsetof(quillmere_order, destination) == 6520);
QUILLMERE_CHECK(order_via, offsetof(quillmere_order, via) == 8584);
QUILLMERE_CHECK(order_via_1, offsetof(quillmere_order, via[1]) == 10648);
QUILLMERE_CHECK(order_via_2, offsetof(quillmere_order, via[2]) == 12712);
QUILLMERE_CHECK(request_size, sizeof(quillmere_request) == QUILLMERE_BLOCK_SIZE);
QUILLMERE_CHECK(request_mode, offsetof(quillmere_request, mode) == 0);
QUILLMERE_CHECK(request_require_branch, offsetof(quillmere_request, require_branch) == 4);
QUILLMERE_CHECK(request_finish_action, offsetof(quillmere_request, finish_action) == 8);
QUILLMERE_CHECK(request_speed, offsetof(quillmere_request, speed) == 12);
QUILLMERE_CHECK(request_read_script, offsetof(quillmere_request, read_script) == 16);
QUILLMERE_CHECK(request_point_script, offsetof(quillmere_request, point_script) == 616);
QUILLMERE_CHECK(request_status, offsetof(quillmere_request, status) == 3016);
QUILLMERE_CHECK(request_result, offsetof(quillmere_request, result) == 3020);
QUILLMERE_CHECK(request_order, offsetof(quillmere_request, order) == 3024);
QUILLMERE_CHECK(request_origin_full_text, offsetof(quillmere_request, order.origin.full_text) == 8520);
QUILLMERE_CHECK(request_via_2_full_text, offsetof(quillmere_request, order.via[2].full_text) == 16776);
QUILLMERE_CHECK(request_message, offsetof(quillmere_request, message) == 17800);

/* ---- result codes --------------------------------------------------------- */

/* Codes every dispatch program shares (its own row, below, comes first where one has the same number). */
#define QUILLMERE_RESULT_SUCCESS                             0
#define QUILLMERE_RESULT_ADAPTER_NOT_SERVED                  2
#define QUILLMERE_RESULT_EXCEPTION                           3
#define QUILLMERE_RESULT_MAIN_WINDOW_NOT_FOUND               4
#define QUILLMERE_RESULT_ORDER_WINDOW_NOT_FOUND              11
#define QUILLMERE_RESULT_MAP_DIALOG_NOT_FOUND                36
#define QUILLMERE_RESULT_MAP_ORIGIN_BUTTON_NOT_FOUND         37
#define QUILLMERE_RESULT_MAP_DESTINATION_BUTTON_NOT_FOUND    38
#define QUILLMERE_RESULT_MAP_BROWSER_NOT_FOUND               39
#define QUILLMERE_RESULT_ACCESSIBLE_OBJECT_NOT_FOUND         40
#define QUILLMERE_RESULT_NO_SERVICE_PROVIDER                 41
#define QUILLMERE_RESULT_NO_HTML_ELEMENT                     42
#define QUILLMERE_RESULT_NO_DOCUMENT                         43
#define QUILLMERE_RESULT_NO_SCRIPT_OBJECT                    44
#define QUILLMERE_RESULT_NO_WINDOW_DOCUMENT                  45
#define QUILLMERE_RESULT_NO_PARENT_WINDOW                    46
#define QUILLMERE_RESULT_NO_DISPATCH_EX                      47
#define QUILLMERE_RESULT_SCRIPT_FAILED                       48
#define QUILLMERE_RESULT_PLACEMENT_FAILED                    63
#define QUILLMERE_RESULT_DESK_UNAVAILABLE                    89
#define QUILLMERE_RESULT_DESK_BUSY                           90
#define QUILLMERE_RESULT_DESK_TAKES_NO_INPUT                 91
#define QUILLMERE_RESULT_NO_OBJECT_FROM_LRESULT              94
#define QUILLMERE_RESULT_NO_FRESH_ENTRY_WINDOW               95
#define QUILLMERE_RESULT_NOT_RESPONDING                      99

/* LogiD2's own codes (adapter kind 1). */
#define QUILLMERE_LOGID2_EXCEPTION_OR_UNREGISTERED_COMPANY   3
#define QUILLMERE_LOGID2_MDI_CLIENT_NOT_FOUND                5
#define QUILLMERE_LOGID2_RECEPTION_VIEW_NOT_FOUND            7
#define QUILLMERE_LOGID2_MAIN_LIST_NOT_FOUND                 8
#define QUILLMERE_LOGID2_RECEPTION_BUTTON_NOT_FOUND          10
#define QUILLMERE_LOGID2_MILEAGE_BUTTON_NOT_FOUND            13
#define QUILLMERE_LOGID2_COPY_AFTER_HOLD_BUTTON_NOT_FOUND    16
#define QUILLMERE_LOGID2_CASH_LABEL_NOT_FOUND                19
#define QUILLMERE_LOGID2_POSTPAID_LABEL_NOT_FOUND            20
#define QUILLMERE_LOGID2_CARD_LABEL_NOT_FOUND                21
#define QUILLMERE_LOGID2_CONSIGNMENT_BUTTON_NOT_FOUND        23
#define QUILLMERE_LOGID2_COMPANY_SUPPORT_BUTTON_NOT_FOUND    26
#define QUILLMERE_LOGID2_INQUIRY_ANCHOR_NOT_FOUND            27
#define QUILLMERE_LOGID2_CANCEL_BUTTON_NOT_FOUND             29
#define QUILLMERE_LOGID2_VIA_LABEL_NOT_FOUND                 31
#define QUILLMERE_LOGID2_APPROPRIATE_BUTTON_NOT_FOUND        50
#define QUILLMERE_LOGID2_ADD_VIA_BUTTON_NOT_FOUND            53
#define QUILLMERE_LOGID2_ORIGIN_EMPTY                        57
#define QUILLMERE_LOGID2_DESTINATION_EMPTY                   58
#define QUILLMERE_LOGID2_ORIGIN_NOT_TAKEN                    59
#define QUILLMERE_LOGID2_DESTINATION_NOT_TAKEN               60
#define QUILLMERE_LOGID2_PAYMENT_NOT_SUPPORTED               65
#define QUILLMERE_LOGID2_BRANCH_NOT_SHOWN                    66
#define QUILLMERE_LOGID2_BRANCH_DISPLAY_MALFORMED            67
#define QUILLMERE_LOGID2_CUSTOMER_NOT_SHOWN                  68
#define QUILLMERE_LOGID2_SECOND_PHONE_MISMATCH               69
#define QUILLMERE_LOGID2_PAYMENT_COMBO_MISMATCH              70
#define QUILLMERE_LOGID2_FARE_EMPTY                          71
#define QUILLMERE_LOGID2_FARE_MISMATCH                       72
#define QUILLMERE_LOGID2_CASH_MISMATCH                       73
#define QUILLMERE_LOGID2_POSTPAID_NEGATIVE                   74
#define QUILLMERE_LOGID2_CARD_NEGATIVE                       75
#define QUILLMERE_LOGID2_MILEAGE_REFUSED                     76
#define QUILLMERE_LOGID2_MIXED_WITHOUT_AMOUNTS               77
#define QUILLMERE_LOGID2_CONSIGNMENT_NOT_SET                 78
#define QUILLMERE_LOGID2_HOLD_BUTTON_NOT_FOUND               92
#define QUILLMERE_LOGID2_INQUIRY_BUTTON_NOT_FOUND            93
#define QUILLMERE_LOGID2_MAP_URL_UNREADABLE                  96
#define QUILLMERE_LOGID2_MAP_URL_WITHOUT_QUERY               97
#define QUILLMERE_LOGID2_MAP_URL_MISSING_POSITION            98

/* LogiD5's own codes (adapter kind 2). */
#define QUILLMERE_LOGID5_MDI_CLIENT_NOT_FOUND                5
#define QUILLMERE_LOGID5_RECEPTION_VIEW_NOT_FOUND            7
#define QUILLMERE_LOGID5_MAIN_LIST_NOT_FOUND                 8
#define QUILLMERE_LOGID5_RECEPTION_BUTTON_NOT_FOUND          10
#define QUILLMERE_LOGID5_RESERVATION_LABEL_NOT_FOUND         13
#define QUILLMERE_LOGID5_PHONE2_DIALOG_NOT_FOUND             16
#define QUILLMERE_LOGID5_COMPANY_SUPPORT_NOT_FOUND           18
#define QUILLMERE_LOGID5_BUSINESS_FEE_LABEL_NOT_FOUND        23
#define QUILLMERE_LOGID5_MEMO_DIALOG_NOT_FOUND               25
#define QUILLMERE_LOGID5_PAYMENT_COMBO_NOT_FOUND             27
#define QUILLMERE_LOGID5_CANCEL_BUTTON_NOT_FOUND             29
#define QUILLMERE_LOGID5_ORIGIN_DIALOG_NOT_FOUND             30
#define QUILLMERE_LOGID5_ADD_VIA_DIALOG_NOT_FOUND            31
#define QUILLMERE_LOGID5_SEARCH_BUTTONS_NOT_FOUND            32
#define QUILLMERE_LOGID5_ADD_VIA_BUTTON_NOT_FOUND            53
#define QUILLMERE_LOGID5_ORIGIN_EMPTY                        57
#define QUILLMERE_LOGID5_DESTINATION_EMPTY                   58
#define QUILLMERE_LOGID5_ORIGIN_NOT_TAKEN                    59
#define QUILLMERE_LOGID5_DESTINATION_NOT_TAKEN               60
#define QUILLMERE_LOGID5_PAYMENT_NOT_SUPPORTED               65
#define QUILLMERE_LOGID5_BRANCH_NOT_SHOWN                    66
#define QUILLMERE_LOGID5_BRANCH_DISPLAY_MALFORMED            67
#define QUILLMERE_LOGID5_CUSTOMER_NOT_SHOWN                  68
#define QUILLMERE_LOGID5_SECOND_PHONE_MISMATCH               69
#define QUILLMERE_LOGID5_PAYMENT_COMBO_MISMATCH              70
#define QUILLMERE_LOGID5_FARE_EMPTY                          71
#define QUILLMERE_LOGID5_FARE_MISMATCH                       72
#define QUILLMERE_LOGID5_CASH_MISMATCH                       73
#define QUILLMERE_LOGID5_POSTPAID_NEGATIVE                   74
#define QUILLMERE_LOGID5_CARD_NEGATIVE                       75
#define QUILLMERE_LOGID5_MILEAGE_REFUSED                     76
#define QUILLMERE_LOGID5_MIXED_WITHOUT_AMOUNTS               77
#define QUILLMERE_LOGID5_CONSIGNMENT_NOT_SET                 78
#define QUILLMERE_LOGID5_HOLD_BUTTON_NOT_FOUND               92
#define QUILLMERE_LOGID5_INQUIRY_BUTTON_NOT_FOUND            93
#define QUILLMERE_LOGID5_MAP_URL_UNREADABLE                  96
#define QUILLMERE_LOGID5_MAP_URL_WITHOUT_QUERY               97
#define QUILLMERE_LOGID5_MAP_URL_MISSING_POSITION            98

/* CManerXE4's own codes (adapter kind 3). */
#define QUILLMERE_CMANERXE4_RECEPTION_TAB_NOT_FOUND          7
#define QUILLMERE_CMANERXE4_RECEPTION_BUTTON_NOT_FOUND       10
#define QUILLMERE_CMANERXE4_CALLER_LABEL_NOT_FOUND           13
#define QUILLMERE_CMANERXE4_POSTPAID_LABEL_NOT_FOUND         20
#define QUILLMERE_CMANERXE4_CONSIGNMENT_LABEL_NOT_FOUND      23
#define QUILLMERE_CMANERXE4_MEMO_LABEL_NOT_FOUND             25
#define QUILLMERE_CMANERXE4_FEE_LABEL_NOT_FOUND              27
#define QUILLMERE_CMANERXE4_ORIGIN_LABEL_NOT_FOUND           30
#define QUILLMERE_CMANERXE4_DESTINATION_LABEL_NOT_FOUND      33
#define QUILLMERE_CMANERXE4_VIA_ANCHOR_NOT_FOUND             50
#define QUILLMERE_CMANERXE4_ORIGIN_EMPTY                     57
#define QUILLMERE_CMANERXE4_DESTINATION_EMPTY                58
#define QUILLMERE_CMANERXE4_ORIGIN_NOT_TAKEN                 59
#define QUILLMERE_CMANERXE4_DESTINATION_NOT_TAKEN            60
#define QUILLMERE_CMANERXE4_PAYMENT_NOT_SUPPORTED            65
#define QUILLMERE_CMANERXE4_BRANCH_NOT_SHOWN                 66
#define QUILLMERE_CMANERXE4_CUSTOMER_NOT_SHOWN               68
#define QUILLMERE_CMANERXE4_SECOND_PHONE_MISMATCH            69
#define QUILLMERE_CMANERXE4_PAYMENT_MISMATCH                 70
#define QUILLMERE_CMANERXE4_FARE_MISMATCH                    72
#define QUILLMERE_CMANERXE4_CASH_NEGATIVE                    73
#define QUILLMERE_CMANERXE4_POSTPAID_MISMATCH                74
#define QUILLMERE_CMANERXE4_CARD_NEGATIVE                    75
#define QUILLMERE_CMANERXE4_MILEAGE_MISMATCH                 76
#define QUILLMERE_CMANERXE4_HOLD_BUTTON_NOT_FOUND            92
#define QUILLMERE_CMANERXE4_INQUIRY_BUTTON_NOT_FOUND         93

/* Icon2013's own codes (adapter kind 4). */
#define QUILLMERE_ICON2013_MDI_FRAME_NOT_FOUND               6
#define QUILLMERE_ICON2013_INQUIRY_DIALOG_NOT_FOUND          9
#define QUILLMERE_ICON2013_RECEPTION_BUTTON_NOT_FOUND        10
#define QUILLMERE_ICON2013_NO_ORDER_DIALOG                   12
#define QUILLMERE_ICON2013_BRANCH_LABEL_NOT_FOUND            13
#define QUILLMERE_ICON2013_SEARCH_BUTTON_NOT_FOUND           16
#define QUILLMERE_ICON2013_FARE_LABEL_NOT_FOUND              18
#define QUILLMERE_ICON2013_CONSIGNMENT_BUTTON_NOT_FOUND      23
#define QUILLMERE_ICON2013_MEMO_LABEL_NOT_FOUND              25
#define QUILLMERE_ICON2013_ENLARGE_BUTTON_NOT_FOUND          26
#define QUILLMERE_ICON2013_PAYMENT_LABEL_NOT_FOUND           27
#define QUILLMERE_ICON2013_CLOSE_BUTTON_NOT_FOUND            29
#define QUILLMERE_ICON2013_ORIGIN_LABEL_NOT_FOUND            30
#define QUILLMERE_ICON2013_DESTINATION_LABEL_NOT_FOUND       33
#define QUILLMERE_ICON2013_VIA_LABEL_NOT_FOUND               53
#define QUILLMERE_ICON2013_SHRINK_BUTTON_NOT_FOUND           54
#define QUILLMERE_ICON2013_ORIGIN_EMPTY                      57
#define QUILLMERE_ICON2013_DESTINATION_EMPTY                 58
#define QUILLMERE_ICON2013_ORIGIN_NOT_TAKEN                  59
#define QUILLMERE_ICON2013_DESTINATION_NOT_TAKEN             60
#define QUILLMERE_ICON2013_PAYMENT_NOT_SUPPORTED             65
#define QUILLMERE_ICON2013_BRANCH_NOT_SELECTED               66
#define QUILLMERE_ICON2013_BRANCH_TEXT_MALFORMED             67
#define QUILLMERE_ICON2013_CUSTOMER_NOT_SHOWN                68
#define QUILLMERE_ICON2013_SECOND_PHONE_MISMATCH             69
#define QUILLMERE_ICON2013_PAYMENT_COMBO_EMPTY               70
#define QUILLMERE_ICON2013_FARE_EMPTY                        71
#define QUILLMERE_ICON2013_FARE_MISMATCH                     72
#define QUILLMERE_ICON2013_POSTPAID_NEGATIVE                 74
#define QUILLMERE_ICON2013_CARD_NEGATIVE                     75
#define QUILLMERE_ICON2013_MILEAGE_NEGATIVE                  76
#define QUILLMERE_ICON2013_MIXED_WITHOUT_AMOUNTS             77
#define QUILLMERE_ICON2013_HOLD_BUTTON_NOT_FOUND             92
#define QUILLMERE_ICON2013_INQUIRY_BUTTON_NOT_FOUND          93

/* ---- running a request (Windows) ------------------------------------------ */

#if defined(_WIN32)

#include <string.h>
#include <wchar.h>
#include <windows.h>

#if defined(_MSC_VER) && !defined(__cplusplus)
#define QUILLMERE_INLINE __inline
#else
#define QUILLMERE_INLINE inline
#endif

/* What quillmere_run ended with. */
#define QUILLMERE_RUN_ANSWERED 0     /* the robot answered: status 2, result, message and order are valid */
#define QUILLMERE_RUN_BAD_ARGUMENT 1 /* a null argument; nothing was started */
#define QUILLMERE_RUN_NO_MAPPING 2   /* the mapping could not be created or mapped (GetLastError says why) */
#define QUILLMERE_RUN_NOT_STARTED 3  /* the robot could not be started (GetLastError says why; 740: not elevated) */
#define QUILLMERE_RUN_NO_ANSWER 4    /* the robot ended without answering */
#define QUILLMERE_RUN_TIMED_OUT 5    /* no answer within the time-out: the robot was ended */

/* How long an answered robot has to end before it is ended (it exits right
 * after its answer), and how long an ended one is waited for. */
#define QUILLMERE_EXIT_WAIT_MS 10000
#define QUILLMERE_END_WAIT_MS 5000

/* A program started in a job of its own that ends it when the job's handle is
 * closed: a child the caller can never leave behind. */
typedef struct quillmere_child {
    HANDLE job;
    HANDLE process;
    DWORD process_id;
} quillmere_child;

/* Starts program with command_line (writable; the program is named
 * separately, so it is not the first token) in a job that is ended with its
 * handle. FALSE when it could not be started: nothing is left open and
 * GetLastError says why. */
static QUILLMERE_INLINE BOOL quillmere_start_child(const wchar_t* program, wchar_t* command_line,
                                                   BOOL inherit_handles, STARTUPINFOW* startup,
                                                   quillmere_child* child) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    PROCESS_INFORMATION info;
    DWORD error;
    child->job = CreateJobObjectW(NULL, NULL);
    child->process = NULL;
    child->process_id = 0;
    if (child->job == NULL) return FALSE;
    memset(&limits, 0, sizeof limits);
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(child->job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    memset(&info, 0, sizeof info);
    if (!CreateProcessW(program, command_line, NULL, NULL, inherit_handles, CREATE_SUSPENDED, NULL, NULL, startup,
                        &info)) {
        error = GetLastError();
        CloseHandle(child->job);
        child->job = NULL;
        SetLastError(error);
        return FALSE;
    }
    /* Where the job cannot take it (a job of the caller's that forbids
     * nesting), the process is still ended by quillmere_end_child. */
    AssignProcessToJobObject(child->job, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    child->process = info.hProcess;
    child->process_id = info.dwProcessId;
    return TRUE;
}

/* Ends the child (and whatever it started in its job) when it still runs, and
 * waits up to QUILLMERE_END_WAIT_MS for it to go. */
static QUILLMERE_INLINE void quillmere_end_child(quillmere_child* child) {
    if (child->process == NULL || WaitForSingleObject(child->process, 0) != WAIT_TIMEOUT) return;
    if (child->job != NULL) TerminateJobObject(child->job, 1);
    TerminateProcess(child->process, 1);
    WaitForSingleObject(child->process, QUILLMERE_END_WAIT_MS);
}

/* Closes the child's handles (a child still running is ended with its job). */
static QUILLMERE_INLINE void quillmere_close_child(quillmere_child* child) {
    if (child->process != NULL) CloseHandle(child->process);
    if (child->job != NULL) CloseHandle(child->job);
    child->process = NULL;
    child->job = NULL;
}

/* Writes value in decimal at out[at]; the index after it. */
static QUILLMERE_INLINE size_t quillmere_put_number_(wchar_t* out, size_t at, unsigned long value) {
    wchar_t digits[10];
    size_t n = 0;
    do {
        digits[n++] = (wchar_t)(L'0' + value % 10);
        value /= 10;
    } while (value != 0 && n < 10);
    while (n > 0) out[at++] = digits[--n];
    return at;
}

/* A request block in a named mapping of its own: the name is the robot's
 * whole command line. */
typedef struct quillmere_block {
    HANDLE mapping;
    void* view;
    DWORD size;
    wchar_t name[64];
} quillmere_block;

/* Creates a mapping of size bytes named "PREFIX-PID-TICKS-N" that nobody else
 * uses (prefix must begin with "quilmer" and be at most 24 characters) and maps
 * it. FALSE when it could not be made: nothing is left open and GetLastError
 * says why. */
static QUILLMERE_INLINE BOOL quillmere_open_block(const wchar_t* prefix, DWORD size, quillmere_block* block) {
    size_t at, length = wcslen(prefix);
    unsigned attempt;
    DWORD error;
    block->mapping = NULL;
    block->view = NULL;
    block->size = size;
    block->name[0] = L'\0';
    if (length > 24 || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    for (attempt = 0; attempt < 100 && block->mapping == NULL; ++attempt) {
        memcpy(block->name, prefix, length * sizeof(wchar_t));
        at = length;
        block->name[at++] = L'-';
        at = quillmere_put_number_(block->name, at, GetCurrentProcessId());
        block->name[at++] = L'-';
        at = quillmere_put_number_(block->name, at, GetTickCount());
        block->name[at++] = L'-';
        at = quillmere_put_number_(block->name, at, attempt);
        block->name[at] = L'\0';
        block->mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, size, block->name);
        if (block->mapping != NULL && GetLastError() == ERROR_ALREADY_EXISTS) {
            CloseHandle(block->mapping);
            block->mapping = NULL;
        }
    }
    if (block->mapping == NULL) return FALSE;
    block->view = MapViewOfFile(block->mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
    if (block->view == NULL) {
        error = GetLastError();
        CloseHandle(block->mapping);
        block->mapping = NULL;
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

/* The block's status, read once with a full barrier; 0 while the mapping is
 * too small to hold it. */
static QUILLMERE_INLINE LONG quillmere_block_status(const quillmere_block* block) {
    if (block->size < offsetof(quillmere_request, result)) return 0;
    return InterlockedCompareExchange(
        (volatile LONG*)((char*)block->view + offsetof(quillmere_request, status)), 0, 0);
}

static QUILLMERE_INLINE void quillmere_close_block(quillmere_block* block) {
    if (block->view != NULL) UnmapViewOfFile(block->view);
    if (block->mapping != NULL) CloseHandle(block->mapping);
    block->view = NULL;
    block->mapping = NULL;
}

/* Runs one request: a mapping of its own ("quilmer-c-PID-TICKS-N"), the robot
 * started with the mapping's name as its whole command line, then a wait of at
 * most timeout_ms for status 2. answer receives the block as the robot left it
 * whenever the mapping was made (status 2 and the answer with
 * QUILLMERE_RUN_ANSWERED); request's status is sent as 0. The robot is never
 * left running: one that does not answer in time is ended, and so is one
 * that does not end within QUILLMERE_EXIT_WAIT_MS of its answer. Every
 * handle is closed before it returns. */
static QUILLMERE_INLINE int quillmere_run(const wchar_t* robot, const quillmere_request* request,
                                          quillmere_request* answer, DWORD timeout_ms) {
    quillmere_block block;
    quillmere_child child;
    STARTUPINFOW startup;
    DWORD started, elapsed, step, waited, error;
    int outcome;

    if (robot == NULL || request == NULL || answer == NULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return QUILLMERE_RUN_BAD_ARGUMENT;
    }
    if (!quillmere_open_block(L"quilmer-c", QUILLMERE_BLOCK_SIZE, &block)) return QUILLMERE_RUN_NO_MAPPING;
    memcpy(block.view, request, QUILLMERE_BLOCK_SIZE);
    ((quillmere_request*)block.view)->status = QUILLMERE_STATUS_WRITTEN;

    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    if (!quillmere_start_child(robot, block.name, FALSE, &startup, &child)) {
        error = GetLastError();
        quillmere_close_block(&block);
        SetLastError(error);
        return QUILLMERE_RUN_NOT_STARTED;
    }

    /* Status 2, the robot's end or the time-out, whichever comes first; the
     * process's end cuts a step short. */
    started = GetTickCount();
    for (;;) {
        if (quillmere_block_status(&block) == QUILLMERE_STATUS_DONE) {
            outcome = QUILLMERE_RUN_ANSWERED;
            break;
        }
        elapsed = GetTickCount() - started;
        if (elapsed >= timeout_ms) {
            outcome = QUILLMERE_RUN_TIMED_OUT;
            break;
        }
        step = timeout_ms - elapsed < 10 ? timeout_ms - elapsed : 10;
        waited = WaitForSingleObject(child.process, step);
        if (waited == WAIT_OBJECT_0) {
            outcome = quillmere_block_status(&block) == QUILLMERE_STATUS_DONE ? QUILLMERE_RUN_ANSWERED
                                                                             : QUILLMERE_RUN_NO_ANSWER;
            break;
        }
        if (waited != WAIT_TIMEOUT) Sleep(step);
    }
    if (outcome == QUILLMERE_RUN_ANSWERED) WaitForSingleObject(child.process, QUILLMERE_EXIT_WAIT_MS);
    quillmere_end_child(&child);
    quillmere_close_child(&child);
    memcpy(answer, block.view, QUILLMERE_BLOCK_SIZE);
    quillmere_close_block(&block);
    return outcome;
}

#endif /* _WIN32 */

#ifdef __cplusplus
}
#endif

#endif /* QUILLMERE_H */
