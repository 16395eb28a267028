// The substitute kit on its own: the option parser a substitute extends, the
// order book and its file, the orders' JSON for other programs' texts, amounts,
// the layout builder and the shared control commands.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "core/utf.h"
#include "platform/messages.h"
#include "sim/fake_host.h"
#include "sim/kit/files.h"
#include "sim/kit/layout.h"
#include "sim/kit/options.h"
#include "sim/kit/orders.h"
#include "sim/kit/substitute.h"
#include "sim/kit/text.h"
#include "testing/fake_desktop.h"

namespace qm::sim::kit {
namespace {

struct Own : CommonOptions {
    bool loud = false;
    bool quiet = true;
    std::uint32_t lookupDelayMs = 300;
    std::u16string suffix;
    std::vector<int> numbers;
};

OptionParser OwnParser(Own& o) {
    OptionParser p(u"demo-sim", u"a demonstration.");
    p.Common(o, u"show it filled");
    p.Flag(u"--loud", u"talk", o.loud);
    p.Flag(u"--no-quiet", u"not quiet", o.quiet, false);
    p.Delay(u"--lookup-delay", u"lookup after MS", o.lookupDelayMs);
    p.Text(u"--suffix", u"TEXT", u"after amounts", o.suffix);
    p.Value(u"--number", u"N", u"a number\nrepeatable", [&o](const std::u16string& v) {
        const auto n = ReadCount(v);
        if (n) o.numbers.push_back(static_cast<int>(*n));
        return n.has_value();
    });
    p.Command(u"42 at an entry window", u"something");
    return p;
}

TEST(KitOptions, TheSharedAndTheProgramsOwnOptionsFillTheirFields) {
    Own o;
    const ParseOutcome r = OwnParser(o).Parse({u"--omit", u"a", u"--loud", u"--omit", u"b", u"--no-quiet",
                                               u"--lookup-delay", u"0", u"--suffix", u"원", u"--number", u"7",
                                               u"--number", u"8", u"--hang-after-command", u"65535", u"--hang-ms",
                                               u"12", u"--orders-file", u"o.json", u"--open-order", u"p.json"});
    ASSERT_EQ(r.error, u"");
    EXPECT_FALSE(r.help);
    EXPECT_EQ(o.omit, (std::vector<std::u16string>{u"a", u"b"}));
    EXPECT_TRUE(o.loud);
    EXPECT_FALSE(o.quiet);
    EXPECT_EQ(o.lookupDelayMs, 0u);
    EXPECT_EQ(o.suffix, u"원");
    EXPECT_EQ(o.numbers, (std::vector<int>{7, 8}));
    EXPECT_EQ(o.hangAfterCommand, std::optional<int>(65535));
    EXPECT_EQ(o.hangMs, 12u);
    EXPECT_EQ(o.ordersFile, u"o.json");
    EXPECT_EQ(o.openOrderFile, u"p.json");
    for (const char16_t* h : {u"--help", u"-h", u"/?"}) {
        Own fresh;
        EXPECT_TRUE(OwnParser(fresh).Parse({u"--loud", h}).help);
    }
    Own fresh;
    const ParseOutcome version = OwnParser(fresh).Parse({u"--loud", u"--version"});
    EXPECT_TRUE(version.version && version.error.empty() && !version.help);
}

TEST(KitOptions, AMalformedCommandLineNamesTheOptionAndWhatItNeeds) {
    const std::pair<std::vector<std::u16string>, std::u16string> cases[] = {
        {{u"--lookup-delay"}, u"--lookup-delay needs milliseconds"},
        {{u"--lookup-delay", u"1e3"}, u"--lookup-delay needs milliseconds"},
        {{u"--number", u"x"}, u"--number needs N"},
        {{u"--hang-after-command", u"65536"}, u"--hang-after-command needs a command id (0-65535)"},
        {{u"--orders-file", u""}, u"--orders-file needs a path"},
        {{u"--open-order"}, u"--open-order needs a path"},
        {{u"--omit"}, u"--omit needs a window text or class"},
        {{u"--loud", u"--frobnicate"}, u"unknown option: --frobnicate"},
    };
    for (const auto& [args, error] : cases) {
        Own o;
        EXPECT_EQ(OwnParser(o).Parse(args).error, error) << Utf16ToUtf8(args[0]);
    }
}

TEST(KitOptions, HelpListsSharedHeadThenOwnThenSharedTailInOneColumn) {
    Own o;
    const std::u16string help = OwnParser(o).Help();
    std::vector<std::string> names;
    std::istringstream lines(Utf16ToUtf8(help));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  --", 0) == 0) names.push_back(line.substr(2, line.find(' ', 2) - 2));
        // Every entry's text (and its continuation lines) starts in column 27.
        if (line.rfind("  ", 0) == 0 && line.size() > 27) {
            EXPECT_EQ(line[26], ' ') << line;
            EXPECT_NE(line[27], ' ') << line;
        }
    }
    EXPECT_EQ(names, (std::vector<std::string>{"--orders-file", "--open-order", "--omit", "--loud", "--no-quiet",
                                               "--lookup-delay", "--suffix", "--number", "--hang-after-command",
                                               "--hang-ms", "--version", "--help"}));
    EXPECT_NE(help.find(u"lookup after MS (300)"), std::u16string::npos) << "a delay's default";
    EXPECT_NE(help.find(u"0x7100 + k"), std::u16string::npos);
    EXPECT_LT(help.find(u"0x7100 + k"), help.find(u"42 at an entry window")) << "own commands after the shared";
}

TEST(KitText, AmountsAreReadAndGroupedAsOperatorsTypeThem) {
    const std::tuple<const char16_t*, const char16_t*, std::optional<std::u16string>> cases[] = {
        {u" 12,000 ", u"", u"12000"}, {u"0012000원", u"원", u"12000"}, {u"-1,2,3", u"", u"-123"},
        {u"+5", u"", u"5"},           {u"-0", u"", u"0"},            {u"000", u"", u"0"},
        {u"12a", u"", std::nullopt},  {u"", u"", std::nullopt},      {u"원", u"원", std::nullopt},
    };
    for (const auto& [text, suffix, value] : cases) EXPECT_EQ(ReadAmount(text, suffix), value) << Utf16ToUtf8(text);
    EXPECT_EQ(GroupThousands(u"-1234567"), u"-1,234,567");
    EXPECT_EQ(GroupThousands(u"999"), u"999");
    EXPECT_EQ(GroupThousands(u"1000"), u"1,000");
    EXPECT_FALSE(IsPositiveAmount(u"0"));
    EXPECT_FALSE(IsPositiveAmount(u"-5"));
    EXPECT_FALSE(IsPositiveAmount(std::nullopt));
    EXPECT_TRUE(IsPositiveAmount(u"5"));
    EXPECT_EQ(ReadCount(u"123456789"), std::optional<std::uint32_t>(123456789u));
    EXPECT_EQ(ReadCount(u"1234567890"), std::nullopt);
}

// The orders file as LogiD2 has always written it: keys in alphabetical order,
// two-space indentation, a final newline.
TEST(KitOrders, TheOrdersFileKeepsItsExactForm) {
    StoredOrder o;
    o.serial = 3;
    o.status = u"held";
    o.fare = u"12,000";
    o.origin = {u"서울역", GeoPoint{37.5, 127.25}};
    const std::string json = OrdersToJson({o});
    const std::string start =
        "{\n  \"orders\": [\n    {\n      \"branchDisplay\": \"\",\n      \"branchNumber\": \"\",\n"
        "      \"cardAmount\": \"\",\n      \"cashAmount\": \"\",\n      \"consignment\": false,\n";
    EXPECT_EQ(json.substr(0, start.size()), start);
    EXPECT_NE(json.find("      \"origin\": {\n        \"text\": \"서울역\",\n        \"x\": 37.5,\n"
                        "        \"y\": 127.25\n      },\n"),
              std::string::npos);
    EXPECT_NE(json.find("\"via\": [\n        {\n          \"text\": \"\",\n          \"x\": null,\n"),
              std::string::npos);
    EXPECT_EQ(json.substr(json.size() - 4), "]\n}\n");
}

TEST(KitOrders, AProgramsOwnTextsTravelAsFurtherMembers) {
    StoredOrder o;
    o.extra = {{"viaDetail1", u"2층"}, {"fare", u"must not replace the fare"}};
    o.fare = u"5,000";
    const std::string json = OrdersToJson({o});
    EXPECT_EQ(json.find("must not replace"), std::string::npos);
    std::string error;
    const auto back = OrderFromJson(json, error);
    ASSERT_TRUE(back.has_value()) << error;
    EXPECT_EQ(back->fare, u"5,000");
    EXPECT_EQ(back->extra, (std::map<std::string, std::u16string>{{"viaDetail1", u"2층"}}));
    EXPECT_TRUE(OrderFromJson("{\"cardNote\": \"x\", \"count\": 3}", error)->extra.count("cardNote"));
    EXPECT_FALSE(OrderFromJson("{\"cardNote\": \"x\", \"count\": 3}", error)->extra.count("count"));
}

TEST(KitOrders, TheBookNumbersOrdersAndWritesItsFileOnEveryChange) {
    const auto path = std::filesystem::temp_directory_path() / "qm_kit_order_book_test.json";
    std::filesystem::remove(path);
    OrderBook book(path.u16string());
    StoredOrder earlier;
    earlier.serial = 7;
    EXPECT_EQ(book.Add(earlier), 0u);
    EXPECT_EQ(book.Orders()[0].status, u"held");
    EXPECT_EQ(book.Store(StoredOrder{}), 1u);
    EXPECT_EQ(book.Orders()[1].serial, 8) << "after the highest serial seen";
    StoredOrder changed;
    changed.serial = 99;
    changed.status = u"registered";
    EXPECT_TRUE(book.Replace(0, changed));
    EXPECT_EQ(book.Orders()[0].serial, 7) << "a replaced order keeps its serial";
    EXPECT_FALSE(book.Replace(2, changed));
    EXPECT_EQ(book.Add(StoredOrder{}), 2u);
    EXPECT_EQ(book.Orders()[2].serial, 9);
    EXPECT_EQ(ReadTextFile(path.u16string()), std::optional<std::string>(book.Json()));
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".tmp"));
    std::filesystem::remove(path);
    EXPECT_FALSE(OrderBook().Write()) << "no file, nothing written";
}

WindowSpec TopLevelOf(const std::u16string& cls, const std::u16string& text = {}) {
    WindowSpec s;
    s.className = cls;
    s.text = text;
    s.rect = {0, 0, 400, 300};
    return s;
}

class KitLayoutTest : public ::testing::Test {
protected:
    testing::FakeDesktop d_;
    FakeHost host_{d_};
};

TEST_F(KitLayoutTest, TheTableIsTheTreeItsOrderAndItsPlaces) {
    const LayoutNode root = Window("frame", u"QmLayoutFrame", u"접수", 0, {100, 50, 600, 450}).Holding({
        Label(u"발신☎", 1, {10, 10, 60, 30}),
        Dialog("box", u"", 2, {10, 40, 310, 140}).Holding({
            Edit("memo", 3, {5, 5, 200, 30}).CommandsTo("frame"),
            Button("save", u"저장", 4, {5, 40, 80, 66}),
        }),
        Edit("phone", 5, {320, 10, 450, 36}).ReadOnly(),
        Combo("pay", 6, {320, 40, 420, 200}, {u"현금", u"카드"}, 1),
    });
    const Built built = BuildTopLevel(host_, root, kNoWindow, nullptr);
    ASSERT_EQ(built.made.size(), 7u);
    const Hwnd frame = built.Get("frame");
    const Hwnd first = d_.GetWindow(frame, Relation::Child);
    EXPECT_EQ(d_.GetWindowText(first, 127), u"발신☎");
    EXPECT_EQ(d_.GetWindow(first, Relation::Next), built.Get("box"));
    EXPECT_EQ(d_.GetWindow(built.Get("box"), Relation::Next), built.Get("phone"));
    EXPECT_EQ(d_.GetWindow(built.Get("box"), Relation::Child), built.Get("memo"));
    EXPECT_EQ(d_.GetDlgCtrlID(built.Get("save")), 4);
    EXPECT_EQ(d_.GetClassName(built.Get("pay"), 127), u"ComboBox");
    EXPECT_EQ(d_.SendGetText(built.Get("pay"), 100), u"카드");
    // A control's place on screen follows from the table: its parents' client origins plus its rectangle.
    const Rect frameClient = d_.GetWindowInfo(frame)->client;
    const Rect memo = host_.ScreenRect(built.Get("memo"));
    EXPECT_EQ(memo.left, frameClient.left + 10 + 5);
    EXPECT_EQ(memo.top, frameClient.top + 40 + 5);
    EXPECT_EQ(memo.right - memo.left, 195);
    // The memo's commands go to the window it names.
    std::vector<int> atFrame;
    host_.OnCommand(frame, [&](int id, int code, Hwnd) { atFrame.push_back(id * 1000 + code); });
    d_.Send(built.Get("memo"), msg::WM_CHAR, u'x', 0);
    EXPECT_NE(std::find(atFrame.begin(), atFrame.end(), 3 * 1000 + msg::EN_CHANGE), atFrame.end());
    d_.Send(built.Get("phone"), msg::WM_CHAR, u'x', 0);
    EXPECT_EQ(d_.SendGetText(built.Get("phone"), 100), u"") << "read-only";
}

TEST_F(KitLayoutTest, ALeftOutWindowTakesItsChildrenAndItsDependantsWithIt) {
    std::vector<LayoutNode> nodes = {
        Dialog("box", u"", 2, {10, 40, 310, 140}).Holding({Button("save", u"저장", 4, {5, 40, 80, 66})}),
        Edit("memo", 3, {5, 5, 200, 30}).CommandsTo("box"),
        Label(u"요금", 5, {0, 0, 40, 20}, "fareLabel"),
    };
    FindNode(nodes, "fareLabel")->text = u"수수료";
    EXPECT_EQ(FindNode(nodes, "save")->id, 4) << "found inside its parent";
    EXPECT_EQ(FindNode(nodes, "nothing"), nullptr);
    const Hwnd frame = host_.Create(TopLevelOf(u"QmLayoutFrame2"));
    const Built built = BuildChildren(host_, nodes, frame, [](const WindowSpec& s) { return s.id == 2; });
    EXPECT_TRUE(IsNull(built.Get("box")));
    EXPECT_TRUE(IsNull(built.Get("save")));
    EXPECT_TRUE(IsNull(built.Get("memo"))) << "its command target was left out";
    EXPECT_EQ(d_.GetWindowText(built.Get("fareLabel"), 127), u"수수료");
    EXPECT_EQ(built.made.size(), 1u);
}

// The smallest substitute: a main window, an entry window per shown order.
class TinySim final : public Substitute {
public:
    TinySim(Host& host, CommonOptions o) : Substitute(host, std::move(o)) {}
    bool Start() override {
        main_ = Make(TopLevelOf(u"QmTinyMain", u"tiny"));
        ListenMain(main_, [this](int id, int code, Hwnd) { own.push_back(id * 10 + code); });
        return !IsNull(main_);
    }
    Hwnd MainWindow() const override { return main_; }
    Hwnd ShowStoredOrder(std::size_t k) override {
        shown.push_back(k);
        return k < Orders().size() ? main_ : kNoWindow;
    }
    std::vector<std::size_t> shown;
    std::vector<int> own;

private:
    Hwnd main_{};
};

TEST_F(KitLayoutTest, EveryMainWindowAnswersTheSharedControlCommands) {
    const auto path = std::filesystem::temp_directory_path() / "qm_kit_tiny_sim_test.json";
    std::filesystem::remove(path);
    CommonOptions o;
    o.ordersFile = path.u16string();
    o.hangAfterCommand = 5;
    o.hangMs = 1000;
    TinySim sim(host_, o);
    ASSERT_TRUE(sim.Start());
    const Hwnd main = sim.MainWindow();
    sim.AddOrder({});
    std::filesystem::remove(path);
    d_.Send(main, msg::WM_COMMAND, msg::MakeWParam(kCmdWriteOrders, 0), 0);
    EXPECT_EQ(ReadTextFile(path.u16string()), std::optional<std::string>(sim.OrdersJson()));
    d_.Send(main, msg::WM_COMMAND, msg::MakeWParam(kCmdOpenOrderBase + 1, 0), 0);
    d_.Post(main, msg::WM_COMMAND, msg::MakeWParam(kCmdOpenOrderBase, 0), 0);
    d_.Send(main, msg::WM_COMMAND, msg::MakeWParam(kCmdOpenOrderBase + kMaxOpenableOrders, 0), 0);
    d_.Send(main, msg::WM_COMMAND, msg::MakeWParam(kCmdWriteOrders, 1), 0);  // a notification, not a command
    d_.Sleep(10);
    EXPECT_EQ(sim.shown, (std::vector<std::size_t>{1, 0}));
    EXPECT_EQ(sim.own, (std::vector<int>{(kCmdOpenOrderBase + kMaxOpenableOrders) * 10, kCmdWriteOrders * 10 + 1}));
    // --hang-after-command, and 0x7002: the program stops answering.
    d_.Send(main, msg::WM_COMMAND, msg::MakeWParam(5, 0), 0);
    EXPECT_EQ(d_.Send(main, msg::WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_TRUE(d_.NotResponding());
    d_.Sleep(1000);
    d_.ResetNotResponding();
    d_.Send(main, msg::WM_COMMAND, msg::MakeWParam(kCmdHang, 0), 0);
    EXPECT_EQ(d_.Send(main, msg::WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_TRUE(d_.NotResponding());
    std::filesystem::remove(path);
}

TEST_F(KitLayoutTest, AMainWindowLeftOutByItsClassEndsTheStart) {
    CommonOptions o;
    o.omit = {u"QmTinyMain"};
    TinySim sim(host_, o);
    EXPECT_FALSE(sim.Start()) << "by class";
}

}  // namespace
}  // namespace qm::sim::kit
