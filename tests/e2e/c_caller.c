/* A caller written in C99 against include/quillmere.h alone: it sends LogiD2 an
 * order to register through quillmere_run and prints what came back, one
 * "key=value" a line in UTF-8.
 *
 *   quillmere-c-caller.exe ROBOT.exe TIMEOUT_MS
 *
 * ROBOT.exe is a file beside this program. The exit code is quillmere_run's. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "include/quillmere.h"

/* Copies text into a field of units units, always terminated. */
static void put(quillmere_char16* field, size_t units, const wchar_t* text) {
    size_t n = wcslen(text);
    if (n >= units) n = units - 1;
    memcpy(field, text, n * sizeof *field);
    field[n] = 0;
}
#define PUT(field, text) put(field, sizeof(field) / sizeof((field)[0]), text)

/* Prints key=field, the field read up to its terminator or its end. */
static void show(const char* key, const quillmere_char16* field, size_t units) {
    char utf8[4096];
    size_t n = 0;
    int bytes;
    while (n < units && field[n] != 0) ++n;
    bytes = n == 0 ? 0 : WideCharToMultiByte(CP_UTF8, 0, field, (int)n, utf8, (int)sizeof utf8, NULL, NULL);
    printf("%s=%.*s\n", key, bytes, utf8);
}
#define SHOW(key, field) show(key, field, sizeof(field) / sizeof((field)[0]))

static void place(quillmere_place* p, double x, double y, const wchar_t* name, const wchar_t* full) {
    p->x = x;
    p->y = y;
    PUT(p->name, name);
    PUT(p->full_text, full);
}

int wmain(int argc, wchar_t** argv) {
    static quillmere_request request, answer; /* 19,800 bytes each: not on the stack */
    wchar_t robot[MAX_PATH + 64];
    DWORD length;
    wchar_t* slash;
    int outcome;

    if (argc != 3 || wcslen(argv[1]) > 60) {
        fputs("usage: quillmere-c-caller.exe ROBOT.exe TIMEOUT_MS\n", stderr);
        return 64;
    }
    length = GetModuleFileNameW(NULL, robot, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 65;
    slash = wcsrchr(robot, L'\\');
    if (slash == NULL) return 65;
    wcscpy(slash + 1, argv[1]);

    request.mode = QUILLMERE_MODE_ENTER;
    request.speed = QUILLMERE_SPEED_FAST;
    request.require_branch = 1;
    request.finish_action = QUILLMERE_FINISH_REGISTER;
    PUT(request.point_script, L"setCenter(%f, %f)");
    request.order.adapter_kind = QUILLMERE_ADAPTER_LOGID2;
    request.order.pay_type = QUILLMERE_PAY_CASH;
    request.order.consignment = 1;
    PUT(request.order.fare, L"12000");
    PUT(request.order.cash_amount, L"12000");
    PUT(request.order.branch_number, L"021234567");
    PUT(request.order.customer_phone, L"01012345678");
    PUT(request.order.customer_phone2, L"01098765432");
    PUT(request.order.driver_memo, L"조심히 운전해 주세요");
    PUT(request.order.memo2, L"현관 앞");
    place(&request.order.origin, 37.5547, 126.9707, L"서울역", L"서울역 [서울역 1번출구]");
    place(&request.order.destination, 37.4979, 127.0276, L"강남역", L"강남역 [강남역 2번출구]");
    place(&request.order.via[0], 0, 0, L"용산역", L"용산역");
    place(&request.order.via[1], 0, 0, L"삼각지역", L"삼각지역");

    outcome = quillmere_run(robot, &request, &answer, (DWORD)wcstoul(argv[2], NULL, 10));
    printf("run=%d\nstatus=%d\nresult=%d\n", outcome, (int)answer.status, (int)answer.result);
    SHOW("message", answer.message);
    SHOW("branchName", answer.order.branch_name);
    SHOW("branchNumber", answer.order.branch_number);
    SHOW("customerPhone", answer.order.customer_phone);
    SHOW("fare", answer.order.fare);
    SHOW("cashAmount", answer.order.cash_amount);
    printf("payType=%d\nconsignment=%d\n", (int)answer.order.pay_type, (int)answer.order.consignment);
    SHOW("origin.name", answer.order.origin.name);
    SHOW("origin.fullText", answer.order.origin.full_text);
    printf("origin.x=%.4f\n", answer.order.origin.x);
    SHOW("destination.fullText", answer.order.destination.full_text);
    SHOW("via2.fullText", answer.order.via[1].full_text);
    SHOW("via3.fullText", answer.order.via[2].full_text);
    return outcome;
}
