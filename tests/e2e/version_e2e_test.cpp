// The version every program states: --version prints "NAME VERSION" and ends
// with 0, and the version resource the caller reads names the robot's build.
#include <gtest/gtest.h>

#include <cwchar>
#include <optional>
#include <string>

#include "platform/win32/version_info.h"
#include "quillmere_version.h"
#include "tests/e2e/e2e_support.h"
#include "tools/quillmere-call/robot_process.h"

namespace qm::e2e {
namespace {

TEST(Version, EachProgramPrintsTheProjectsVersion) {
    for (const std::string name : {"quillmere-call", "quillmere-probe", "winmsg", "logid2-sim", "logid5-sim",
                                   "cmanerxe4-sim", "icon2013-sim"}) {
        const std::wstring wide(name.begin(), name.end());
        const RunResult run = RunProgram(wide + L".exe", wide + L" --version", 30000);
        ASSERT_TRUE(run.ended) << name;
        EXPECT_EQ(run.exitCode, 0u) << name;
        EXPECT_EQ(run.output, name + " " + kVersion + "\n");
    }
}

TEST(Version, TheRobotsVersionResourceIsReadAndAMissingOneIsNone) {
    const std::pair<const wchar_t*, std::optional<std::string>> cases[] = {
        {L"quillmere.exe", std::string(kVersion)},
        {L"silent-robot.exe", std::nullopt},  // a program without a version resource
        {L"no-such-program.exe", std::nullopt},
    };
    for (const auto& [program, version] : cases)
        EXPECT_EQ(win32::ProductVersionOf(call::OwnDirectory() + program), version)
            << std::string(program, program + std::wcslen(program));
}

}  // namespace
}  // namespace qm::e2e
