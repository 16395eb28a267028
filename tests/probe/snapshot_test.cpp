// Field snapshots: a screen of each substitute written to a file, read back,
// rebuilt and probed again gives the report of the screen itself; two
// snapshots compared name the anchor an update took away; files that are not
// snapshots are refused with what is wrong; and the snapshots taken of the
// real substitutes under Wine replay to the report the probe gave there.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/utf.h"
#include "tests/probe/probe_desk.h"
#include "tools/quillmere-replay/replay.h"
#include "tools/snapshot/snapshot.h"

namespace qm::probe {
namespace {

namespace fs = std::filesystem;

// The snapshot of the desk as the probe takes it, through its file.
snapshot::Snapshot TakeThroughFile(Desk& desk, const Report& report, bool withTexts) {
    const snapshot::Snapshot taken = snapshot::Take([&](int) -> Desktop& { return desk.d; }, report, withTexts);
    snapshot::ReadResult read = snapshot::FromJson(snapshot::ToJson(taken));
    EXPECT_TRUE(read.snapshot) << read.error;
    return read.snapshot ? *read.snapshot : snapshot::Snapshot{};
}

TEST(Snapshot, EachSubstitutesScreenReplaysToTheReportOfTheScreenItself) {
    enum class Screen { Fresh, Filled, Both };
    for (int kind = 1; kind <= 4; ++kind) {
        for (Screen screen : {Screen::Fresh, Screen::Filled, Screen::Both}) {
            SCOPED_TRACE("program " + std::to_string(kind) + ", screen " + std::to_string(static_cast<int>(screen)));
            Desk desk;
            desk.Start(kind);
            const std::u16string k = Utf8ToUtf16(std::to_string(kind));
            if (screen != Screen::Filled) desk.Probe({u"--adapter", k, u"--open-new"});
            if (screen != Screen::Fresh) desk.ShowFilled(kind);
            const Report live = desk.Probe({u"--adapter", k});
            ASSERT_EQ(ProgramState::Running, live.adapters.at(0).program);

            const snapshot::Snapshot s = TakeThroughFile(desk, live, true);
            Options options = ParseArguments({u"--adapter", k}).options;
            EXPECT_EQ(RenderJson(live), RenderJson(replay::Replay(s, options)));

            // Masked, the boxes keep their lengths: every anchor and entry state is found alike.
            const snapshot::Snapshot masked = TakeThroughFile(desk, live, false);
            const Report replayed = replay::Replay(masked, options);
            EXPECT_EQ(ExitCode(live), ExitCode(replayed)) << RenderTable(replayed);
            ASSERT_EQ(live.adapters[0].entries.size(), replayed.adapters[0].entries.size());
            for (std::size_t i = 0; i < live.adapters[0].entries.size(); ++i)
                EXPECT_EQ(live.adapters[0].entries[i].state, replayed.adapters[0].entries[i].state);
            for (const WindowRecord& w : masked.tree.windows) {
                if (w.kind != WindowKind::Edit) continue;
                EXPECT_EQ(std::u16string::npos, w.shown.find(u"010")) << "a telephone number left the desk";
                EXPECT_EQ(std::u16string::npos, w.shown.find(u"서울역"));
            }
        }
    }
}

// Without --with-texts a snapshot keeps the texts the robot looks for and the
// kind and size of every other (docs/snapshots.md has the same table).
TEST(Snapshot, MaskingKeepsWhatTheRobotLooksForWindowKindByWindowKind) {
    struct Case {
        const char* what;
        WindowKind kind;
        bool besideABox;  // its sibling before it is an edit box
        std::u16string caption;
        std::u16string kept;
    };
    const Case cases[] = {
        {"a window title", WindowKind::Dialog, false, u"홍길동 님 오더 3", u"<digits+Hangul 5-16>"},
        {"a dialog an anchor names", WindowKind::Dialog, false, u"메인리스트", u"메인리스트"},
        {"a container", WindowKind::Container, false, u"Panel1", u"<digits+Latin 5-16>"},
        {"a button", WindowKind::Button, false, u"확인", u"확인"},
        {"a button beside a box", WindowKind::Button, true, u"홍길동", u"<Hangul 1-4>"},
        {"an anchor button beside a box", WindowKind::Button, true, u"업체지원", u"업체지원"},
        {"a check box beside a box", WindowKind::CheckBox, true, u"VIP Kim", u"<Latin 5-16>"},
        {"a label", WindowKind::Label, false, u"요금", u"요금"},
        {"a label beside a box", WindowKind::Label, true, u"010-1234-5678", u"<digits+signs 5-16>"},
        {"an anchor label beside a box", WindowKind::Label, true, u"현금", u"현금"},
        {"an edit box's caption", WindowKind::Edit, false, u"현금", u"<Hangul 1-4>"},
        {"a combo box's caption", WindowKind::Combo, false, u"현금", u"<Hangul 1-4>"},
        {"an empty caption", WindowKind::Label, true, u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowTree tree;
        tree.windows.push_back({.handle = Hwnd{1}, .kind = WindowKind::Dialog});
        if (c.besideABox) tree.windows.push_back({.handle = Hwnd{2}, .parent = Hwnd{1}, .kind = WindowKind::Edit});
        tree.windows.push_back({.handle = Hwnd{3}, .parent = Hwnd{1}, .caption = c.caption, .kind = c.kind});
        snapshot::MaskTexts(tree, AllAnchorTexts());
        EXPECT_EQ(Utf16ToUtf8(c.kept), Utf16ToUtf8(tree.windows.back().caption));
    }

    // What boxes show, line by line; a combo box keeps its selection, its
    // selected item reading as it shows; an empty box stays empty.
    WindowTree boxes;
    boxes.windows.push_back({.handle = Hwnd{1}, .kind = WindowKind::Edit, .shown = u"서울역\r\n강남역 2번 출구",
                             .lines = {u"서울역", u"강남역 2번 출구"}});
    boxes.windows.push_back({.handle = Hwnd{2}, .kind = WindowKind::Combo, .shown = u"카드",
                             .items = {u"현금", u"카드"}, .selection = 1});
    boxes.windows.push_back({.handle = Hwnd{3}, .kind = WindowKind::Edit});
    snapshot::MaskTexts(boxes, AllAnchorTexts());
    EXPECT_EQ(u"<Hangul 1-4>\r\n<digits+Hangul 5-16>", boxes.windows[0].shown);
    EXPECT_EQ((std::vector<std::u16string>{u"<Hangul 1-4>", u"<digits+Hangul 5-16>"}), boxes.windows[0].lines);
    EXPECT_EQ(boxes.windows[1].items.at(1), boxes.windows[1].shown);
    EXPECT_EQ(1, boxes.windows[1].selection);
    EXPECT_TRUE(boxes.windows[2].shown.empty());
    EXPECT_TRUE(snapshot::IsMaskedText(boxes.windows[0].shown));
    EXPECT_FALSE(snapshot::IsMaskedText(u"<Back"));
}

// A program that stops answering still yields a snapshot, marked partial,
// after one bounded wait; replayed, it is reported as not answering.
TEST(Snapshot, AHungProgramYieldsAPartialSnapshotAfterOneWait) {
    Desk desk;
    desk.Start(1).host->Hang(600000);
    const Report live = desk.Probe({u"--adapter", u"1"});
    ASSERT_EQ(ProgramState::NotAnswering, live.adapters.at(0).program);
    const snapshot::Snapshot s = TakeThroughFile(desk, live, false);
    EXPECT_TRUE(s.tree.partial);
    EXPECT_EQ("LogiD2 stopped answering in its main window", s.tree.partialReason);
    ASSERT_FALSE(s.tree.windows.empty());
    EXPECT_EQ(u"SmartD2-", s.tree.windows[0].className);
    EXPECT_EQ(testing::FakeDesktop::kSendTimeoutMs, desk.d.BlockedTotal()) << "the probe and the snapshot waited once in all";
    const Report replayed = replay::Replay(s, ParseArguments({u"--adapter", u"1"}).options);
    EXPECT_EQ(ProgramState::NotAnswering, replayed.adapters.at(0).program);
    EXPECT_EQ(kExitSomethingMissing, ExitCode(replayed));
}

// An update that left an anchor out: the diff names the row, its code and the
// window that went; the same screen twice differs in nothing.
TEST(Snapshot, ADiffNamesTheAnchorAnUpdateTookAwayWithItsCode) {
    struct Case {
        int kind;
        const char16_t* omit;
        const char* row;
        const char* code;
    };
    const Case cases[] = {
        {1, u"현금", "label 현금: found -> missing, 19 ", "\"현금\""},
        {2, u"업소비", "dialog with 업소비: found -> missing, 23 ", "업소비"},
        {3, u"수수료", "label 수수료: found -> missing, 27 ", "수수료"},
        {4, u"축소", "button 축소: found -> missing, 54 ", "축소"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.omit));
        const std::u16string k = Utf8ToUtf16(std::to_string(c.kind));
        auto take = [&](std::vector<std::u16string> omit) {
            Desk desk;
            CommonOptions common;
            common.omit = std::move(omit);
            desk.Start(c.kind, common);
            const Report report = desk.Probe({u"--adapter", k, u"--open-new"});
            return TakeThroughFile(desk, report, false);
        };
        const snapshot::Snapshot before = take({});
        const snapshot::Snapshot after = take({c.omit});
        const Options options = ParseArguments({u"--adapter", k}).options;

        const replay::Difference same = replay::Compare(before, before, options);
        EXPECT_TRUE(same.rows.empty());
        EXPECT_TRUE(same.windows.empty());

        const replay::Difference d = replay::Compare(before, after, options);
        ASSERT_FALSE(d.rows.empty());
        const std::string first = d.rows[0].row + ": " + d.rows[0].before + " -> " + d.rows[0].after;
        EXPECT_EQ(0u, first.find(c.row)) << "largest consequence first: " << replay::RenderDiff(d);
        bool removed = false;
        for (const replay::WindowChange& w : d.windows)
            removed = removed || (w.kind == replay::WindowChange::Kind::Removed && w.window.find(c.code) != std::string::npos);
        EXPECT_TRUE(removed) << replay::RenderDiff(d);
    }
}

TEST(Snapshot, AWindowMovedAmongItsSiblingsOrRenamedIsNamedSo) {
    Desk desk;
    desk.Start(1);
    const Report report = desk.Probe({u"--adapter", u"1", u"--open-new"});
    const snapshot::Snapshot before = TakeThroughFile(desk, report, false);
    snapshot::Snapshot after = before;
    // The label "현금" goes to the end of its siblings, and a button is renamed.
    auto& windows = after.tree.windows;
    auto label = std::find_if(windows.begin(), windows.end(), [](const WindowRecord& w) { return w.caption == u"현금"; });
    ASSERT_NE(windows.end(), label);
    const WindowRecord moved = *label;
    windows.erase(label);
    auto last = std::find_if(windows.rbegin(), windows.rend(), [&](const WindowRecord& w) { return w.parent == moved.parent; });
    windows.insert(last.base(), moved);
    auto button = std::find_if(windows.begin(), windows.end(), [](const WindowRecord& w) { return w.caption == u"적정"; });
    ASSERT_NE(windows.end(), button);
    button->caption = u"적 정";

    const replay::Difference d = replay::Compare(before, after, ParseArguments({u"--adapter", u"1"}).options);
    const std::string text = replay::RenderDiff(d);
    EXPECT_NE(std::string::npos, text.find("moved  Static \"현금\"")) << text;
    EXPECT_NE(std::string::npos, text.find("text \"적정\" -> \"적 정\"")) << text;
    EXPECT_NE(std::string::npos, text.find("button 적정: found -> missing, 50")) << text;
}

// A window that moved with its children changed (the usual case after an
// update): the move, what went from under it and what came are all named.
TEST(Snapshot, AWindowMovedWithItsChildrenChangedIsComparedWhole) {
    Desk desk;
    desk.Start(1);
    const Report report = desk.Probe({u"--adapter", u"1", u"--open-new"});
    const snapshot::Snapshot before = TakeThroughFile(desk, report, true);
    snapshot::Snapshot after = before;
    auto& windows = after.tree.windows;
    auto find = [&](auto test) { return *std::find_if(windows.begin(), windows.end(), test); };
    // The child dialog holding the second memo box goes under the main list, the box giving way to five labels.
    WindowRecord dialog = find([](const WindowRecord& w) { return w.id == 1300 && w.kind == WindowKind::Dialog; });
    const Hwnd mainList = find([](const WindowRecord& w) { return w.caption == u"메인리스트"; }).handle;
    std::erase_if(windows, [&](const WindowRecord& w) { return w.handle == dialog.handle || w.parent == dialog.handle; });
    dialog.parent = mainList;
    windows.push_back(dialog);
    for (std::uintptr_t i = 0; i < 5; ++i) {
        WindowRecord label;
        label.handle = Hwnd{0x7f000 + i};
        label.parent = dialog.handle;
        label.className = u"Static";
        label.caption = u"새 " + Utf8ToUtf16(std::to_string(i));
        label.kind = WindowKind::Label;
        windows.push_back(label);
    }
    ASSERT_TRUE(snapshot::FromJson(snapshot::ToJson(after)).snapshot);

    const std::string text = replay::RenderDiff(replay::Compare(before, after, ParseArguments({u"--adapter", u"1"}).options));
    EXPECT_NE(std::string::npos, text.find("windows: 5 added, 1 removed, 1 moved, 0 changed\n")) << text;
    EXPECT_NE(std::string::npos, text.find("moved  #32770 (id 1300): from #32770 \"오더 접수\" to #32770 \"메인리스트\"")) << text;
    EXPECT_NE(std::string::npos, text.find("removed  Edit (id 1014) in #32770 (id 1300)\n")) << text;
    EXPECT_NE(std::string::npos, text.find("added  Static \"새 4\" in #32770 (id 1300)")) << text;
    EXPECT_NE(std::string::npos, text.find("button 업체지원: found; second memo box reaches Edit (id 1014) -> found; second memo box off the end")) << text;
}

// A chain of windows as deep as the reader takes replays and compares; one
// level more is refused (tools/snapshot/snapshot.h says why no desk is deeper).
TEST(Snapshot, TreesAsDeepAsTheReaderTakesReplayAndCompare) {
    const snapshot::ReadResult base = snapshot::ReadFile(std::string(QM_SOURCE_DIR) + "/tests/snapshots/logid2-fresh.json");
    ASSERT_TRUE(base.snapshot) << base.error;
    auto chained = [&](std::size_t depth) {
        snapshot::Snapshot s = *base.snapshot;
        Hwnd parent = s.programs.at(0).mainWindow;
        for (std::uintptr_t i = 0; i < depth; ++i) {
            WindowRecord label;
            label.handle = Hwnd{0x7f00000 + i};
            label.parent = parent;
            label.process = s.programs[0].process;
            label.className = u"Static";
            label.caption = u"깊이";
            label.kind = WindowKind::Label;
            s.tree.windows.push_back(label);
            parent = label.handle;
        }
        return snapshot::ToJson(s);
    };
    const snapshot::ReadResult deep = snapshot::FromJson(chained(snapshot::kMaxDepth));
    ASSERT_TRUE(deep.snapshot) << deep.error;
    const Options options = ParseArguments({}).options;
    EXPECT_EQ(ExitCode(replay::Replay(*base.snapshot, options)), ExitCode(replay::Replay(*deep.snapshot, options)));
    snapshot::Snapshot renamed = *deep.snapshot;
    renamed.tree.windows.back().caption = u"바닥";
    const replay::Difference d = replay::Compare(*deep.snapshot, renamed, options);
    ASSERT_EQ(1u, d.windows.size()) << replay::RenderDiff(d);
    EXPECT_EQ("text \"깊이\" -> \"바닥\"", d.windows[0].detail);
    const replay::Difference added = replay::Compare(*base.snapshot, *deep.snapshot, options);
    ASSERT_EQ(1u, added.windows.size()) << replay::RenderDiff(added);
    EXPECT_EQ("with the " + std::to_string(snapshot::kMaxDepth - 1) + " window(s) in it", added.windows[0].detail);

    const snapshot::ReadResult deeper = snapshot::FromJson(chained(snapshot::kMaxDepth + 1));
    EXPECT_FALSE(deeper.snapshot);
    EXPECT_NE(std::string::npos, deeper.error.find("parent: the window lies more than 256 parents deep")) << deeper.error;
}

TEST(Snapshot, FilesThatAreNotSnapshotsAreRefusedWithWhatIsWrong) {
    Desk desk;
    desk.Start(3);
    const Report report = desk.Probe({u"--adapter", u"3", u"--open-new"});
    const std::string good = snapshot::ToJson(snapshot::Take([&](int) -> Desktop& { return desk.d; }, report, false));
    ASSERT_TRUE(snapshot::FromJson(good).snapshot);
    const nlohmann::ordered_json j = nlohmann::ordered_json::parse(good);
    ASSERT_GE(j["windows"].size(), 3u);
    const std::string second = j["windows"][1]["handle"];
    const std::string third = j["windows"][2]["handle"];
    auto edited = [&](const std::function<void(nlohmann::ordered_json&)>& edit) {
        nlohmann::ordered_json copy = j;
        edit(copy);
        return copy.dump();
    };
    struct Case {
        const char* what;
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {"truncated", good.substr(0, good.size() / 2), "not JSON (truncated or damaged)"},
        {"empty", "", "not JSON"},
        {"an array", "[]", "the file: must hold an object, not an array"},
        {"another format", edited([](auto& x) { x["format"] = "something else"; }), "format: is not"},
        {"a newer format", edited([](auto& x) { x["formatVersion"] = 2; }), "formatVersion: 2 is newer"},
        {"a handle as a number", edited([](auto& x) { x["windows"][0]["handle"] = 65552; }), "windows[0].handle: must be a handle"},
        {"a class as a number", edited([](auto& x) { x["windows"][1]["class"] = 7; }), "windows[1].class: must be a text, not a number"},
        {"a missing field", edited([](auto& x) { x["windows"][1].erase("style"); }), "windows[1]: \"style\" is missing"},
        {"an unknown kind", edited([](auto& x) { x["windows"][1]["kind"] = "slider"; }), "windows[1].kind: \"slider\" is not a kind"},
        {"a short rectangle", edited([](auto& x) { x["windows"][1]["window"] = {1, 2, 3}; }), "windows[1].window: must be [left, top"},
        {"an absent parent", edited([](auto& x) { x["windows"][2]["parent"] = "0x7"; }), "windows[2].parent: 0x7 is not a window of the snapshot"},
        {"an absent owner", edited([](auto& x) { x["windows"][0]["owner"] = "0x9"; }), "windows[0].owner: 0x9 is not a window"},
        {"a parent loop", edited([&](auto& x) { x["windows"][1]["parent"] = third; x["windows"][2]["parent"] = second; }),
         "parent links make a loop"},
        {"two windows, one handle", edited([&](auto& x) { x["windows"][2]["handle"] = second; }), "is given to two windows"},
        {"a selection beyond the items", edited([](auto& x) {
             for (auto& w : x["windows"])
                 if (w["kind"] == "combo") w["selection"] = 99;
         }), ".selection: must be at most"},
        {"a selection without items", edited([](auto& x) {
             for (auto& w : x["windows"])
                 if (w["kind"] == "combo") w["items"] = nlohmann::ordered_json::array(), w["selection"] = 0;
         }), ".selection: must be at most -1"},
        {"nested too deep", std::string(100000, '['), "nested deeper than 16 levels"},
        {"very large", std::string(snapshot::kMaxFileBytes + 1, ' '), "larger than 32 MB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const snapshot::ReadResult r = snapshot::FromJson(c.text);
        EXPECT_FALSE(r.snapshot);
        EXPECT_NE(std::string::npos, r.error.find(c.error)) << r.error;
    }

    // The program refuses them with exit code 2 and the file's name.
    const fs::path bad = fs::temp_directory_path() / "quillmere-bad-snapshot.json";
    std::ofstream(bad) << good.substr(0, 100);
    std::string out, err;
    EXPECT_EQ(replay::kExitBadInput, replay::Main({bad.string()}, out, err));
    EXPECT_NE(std::string::npos, err.find(bad.string() + ": not JSON")) << err;
    EXPECT_EQ(replay::kExitBadInput, replay::Main({"--diff", bad.string()}, out, err));
    EXPECT_EQ(replay::kExitBadInput, replay::Main({bad.string(), "--open-new"}, out, err));
    fs::remove(bad);
    // Its version, as every program prints it: exit code 0.
    out.clear();
    EXPECT_EQ(0, replay::Main({"--version"}, out, err));
    EXPECT_EQ(0u, out.rfind("quillmere-replay ", 0)) << out;
}

// The snapshots taken of the real substitutes under Wine (tests/snapshots):
// each replays here to the report the probe printed there, and each
// "-moved" or "-without" one differs from its screen in the anchor it names.
TEST(Snapshot, TheSubstitutesSnapshotsFromWineReplayToTheirLiveReports) {
    const fs::path dir = fs::path(QM_SOURCE_DIR) / "tests" / "snapshots";
    int replayed = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (e.path().extension() != ".json" || name.find(".live.") != std::string::npos) continue;
        SCOPED_TRACE(name);
        fs::path live = e.path();
        live.replace_extension(".live.json");
        if (!fs::exists(live)) continue;
        std::ifstream in(live);
        std::stringstream expected;
        expected << in.rdbuf();
        std::string out, err;
        const int code = replay::Main({e.path().string(), "--json"}, out, err);
        EXPECT_EQ(expected.str(), out) << err;
        EXPECT_EQ(nlohmann::json::parse(expected.str())["exitCode"].get<int>(), code);
        ++replayed;
    }
    EXPECT_GE(replayed, 15) << "a fresh, a filled and an incomplete screen of each substitute, and three map dialogs";

    struct Diff {
        const char* program;
        const char* row;
    };
    const Diff diffs[] = {
        {"logid2", "LogiD2: label 현금: found -> missing, 19 CashLabelNotFound"},
        {"logid5", "LogiD5: dialog with 업소비: found -> missing, 23 BusinessFeeLabelNotFound"},
        {"cmanerxe4", "CManerXE4: label 수수료: found -> missing, 27 FeeLabelNotFound"},
        {"icon2013", "Icon2013: button 축소: found -> missing, 54 ShrinkButtonNotFound"},
    };
    for (const Diff& d : diffs) {
        SCOPED_TRACE(d.program);
        const std::string base = (dir / d.program).string();
        std::string out, err;
        EXPECT_EQ(replay::kExitDiffers, replay::Main({"--diff", base + "-fresh.json", base + "-without-anchor.json"}, out, err)) << err;
        EXPECT_NE(std::string::npos, out.find("largest consequence first:\n  " + std::string(d.row) + "\n")) << out;
    }
}

}  // namespace
}  // namespace qm::probe
