// The request exchange through the real programs under Wine: quillmere.exe with
// its command-line test and shared-block handshake, and quillmere-call.exe.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <string>

#include "core/result_codes.h"
#include "core/utf.h"
#include "tests/e2e/e2e_support.h"
#include "tools/quillmere-call/robot_process.h"

#include "quillmere_version.h"  // made by CMake

namespace qm::e2e {
namespace {

constexpr DWORD kRobotTimeoutMs = 60000;

std::string Utf8(const char16_t* text) { return Utf16ToUtf8(text); }

// Fills a block the way a caller does: an order for adapterKind, a message of the caller's.
void FillBlock(RequestBlock& b, int mode, int adapterKind) {
    std::memset(&b, 0, sizeof b);
    b.mode = mode;
    b.speed = 3;
    b.order.adapterKind = adapterKind;
    WriteField(b.message, u"호출자의 메시지");
    WriteField(b.order.customerPhone, u"01012345678");
}

TEST(Robot, AnswersAnUnservedAdapterWithResult2AndKeepsTheMessage) {
    for (int kind : {0, 7}) {
        SharedBlock shared;
        FillBlock(*shared.Block(), 0, kind);
        RunResult run = RunProgram(L"quillmere.exe", shared.Name(), kRobotTimeoutMs);
        ASSERT_TRUE(run.ended) << kind;
        RequestBlock& b = *shared.Block();
        EXPECT_EQ(b.status, 2) << kind;
        EXPECT_EQ(b.result, 2) << kind;
        EXPECT_EQ(Utf8(b.message), Utf8(u"호출자의 메시지")) << kind;
        EXPECT_EQ(Utf8(b.order.customerPhone), "01012345678") << kind;
        EXPECT_EQ(b.order.adapterKind, kind);
        EXPECT_EQ(run.output, "");
    }
}

TEST(Robot, TrimsBlanksAroundTheMappingName) {
    SharedBlock shared;
    FillBlock(*shared.Block(), 9, 7);
    RunResult run = RunProgram(L"quillmere.exe", L"  " + shared.Name() + L"  ", kRobotTimeoutMs);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(shared.Block()->status, 2);
    EXPECT_EQ(shared.Block()->result, 2);
}

TEST(Robot, StatusPresetTo2StillGoesThroughARealRun) {
    SharedBlock shared;
    FillBlock(*shared.Block(), 0, 0);
    shared.Block()->status = 2;
    shared.Block()->result = -1;
    RunResult run = RunProgram(L"quillmere.exe", shared.Name(), kRobotTimeoutMs);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(shared.Block()->status, 2);
    EXPECT_EQ(shared.Block()->result, 2);  // written by the robot, not the caller's -1
}

TEST(Robot, RejectedCommandLinesLeaveAnIdleDialog) {
    for (const std::wstring& form : {std::wstring(L"\"%\""), std::wstring(L"x%"), std::wstring(L"Q%")}) {
        SharedBlock shared;
        FillBlock(*shared.Block(), 0, 7);
        std::wstring line = form;
        std::wstring name = shared.Name();
        if (form == L"Q%") name[0] = L'Q';  // the prefix in capitals: "Quilmer..."
        line.replace(line.find(L'%'), 1, name);
        call::ChildProcess robot(call::OwnDirectory() + L"quillmere.exe", line, true);
        // The robot's dialog (other windows of the process, such as the IME's, come first).
        HWND dialog = nullptr;
        for (int i = 0; i < 200 && !dialog; ++i) {
            ::Sleep(50);
            for (HWND w : WindowsOfProcess(robot.ProcessId())) {
                wchar_t cls[16] = {};
                ::GetClassNameW(w, cls, 16);
                if (std::wstring(cls) == L"#32770") dialog = w;
            }
        }
        ASSERT_NE(dialog, nullptr) << "no dialog for command line " << Utf16ToUtf8(std::u16string(line.begin(), line.end()));
        ::Sleep(500);  // a request would have been taken by now
        EXPECT_TRUE(robot.Running());
        EXPECT_EQ(shared.Block()->status, 0);
        EXPECT_EQ(shared.Block()->result, 0);
        // The user closes the idle dialog; the program ends.
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(robot.Wait(20000));
        robot.DrainOutput();
        EXPECT_EQ(robot.Output(), "");
    }
}

TEST(Robot, ANameWithoutMappingPrintsTheOpenFailure) {
    RunResult run = RunProgram(L"quillmere.exe", L"quilmerNoSuchMapping" + std::to_wstring(::GetTickCount64()),
                               kRobotTimeoutMs);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.output, Utf16ToUtf8(u"공유 메모리를 열수 없습니다\n"));
}

TEST(Robot, AShortMappingIsNeitherReadNorWritten) {
    SharedBlock shared(4096);
    std::memset(shared.Bytes(), 0x5A, 4096);
    RunResult run = RunProgram(L"quillmere.exe", shared.Name(), kRobotTimeoutMs);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.output, Utf16ToUtf8(u"공유 메모리가 요청 블록보다 작습니다\n"));
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(shared.Bytes()[i], 0x5A) << "byte " << i << " was written";
}

TEST(Caller, PrintsTheAnswerAsJson) {
    RunResult run = RunCaller({}, R"j({"mode": 5, "message": "keep me", "order": {"adapterKind": 7, "fare": "12000"}})j");
    ASSERT_TRUE(run.ended);
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    const auto answer = nlohmann::json::parse(run.output);
    EXPECT_EQ(answer["status"], 2);
    EXPECT_EQ(answer["result"], 2);
    EXPECT_EQ(answer["resultName"], FindResultCode(adapter::kShared, 2)->name);
    EXPECT_EQ(answer["message"], "keep me");
    EXPECT_EQ(answer["order"]["fare"], "12000");
    EXPECT_EQ(answer["order"]["adapterKind"], 7);
    EXPECT_EQ(answer["robotVersion"], kVersion) << "the robot's version resource";
}

TEST(Caller, RefusesBadRequestsWithoutStartingAnything) {
    struct Case { const char* json; const char* mentions; };
    const Case cases[] = {
        {"{not json", "not valid JSON"},
        {R"j({"order": {"adapterKind": 1, "flavour": 2}})j", "order.flavour"},
        {R"j({"order": {"fare": "1234567890123"}})j", "order.fare"},
        {R"j({"speed": 99999999999})j", "speed"},
    };
    for (const Case& c : cases) {
        // A robot path that does not exist: had the caller tried to start it, it would say so and exit 2.
        RunResult run = RunCaller({L"--robot", L"C:\\no\\such\\robot.exe"}, c.json);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exitCode, 1u) << c.json << ": " << run.output;
        EXPECT_NE(run.output.find(c.mentions), std::string::npos) << run.output;
    }
}

TEST(Caller, EndsARobotThatNeverAnswers) {
    const std::wstring robot = call::OwnDirectory() + L"silent-robot.exe";
    RunResult run = RunCaller({L"--robot", robot, L"--timeout", L"2"}, R"j({"order": {"adapterKind": 1}})j", 60000);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 3u) << run.output;
    EXPECT_NE(run.output.find("did not answer within 2 s"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("status 1"), std::string::npos) << run.output;
    // The stand-in holds a named mutex while it lives: the caller must not leave it behind.
    HANDLE leftover = ::OpenMutexW(SYNCHRONIZE, FALSE, L"quillmere-silent-robot-alive");
    EXPECT_EQ(leftover, nullptr) << "the silent robot is still running";
    if (leftover) ::CloseHandle(leftover);
}

}  // namespace
}  // namespace qm::e2e
