// The fake desktop must answer as Windows does. Each test builds the window tree
// of mirror_tree.h twice, on a FakeDesktop in this process and as real windows
// in the mirror helper program, makes the same sequence of port calls against
// both, and compares the answers. Windows are compared by their place in the
// tree (handle values differ); a failure lists every call whose answers differ.
//
// The fake's headers come before windows.h: they name constants (WM_DESTROY,
// EM_GETSEL, ...) that windows.h turns into macros. Below them the Windows
// macros themselves serve as message numbers.
#include "callport/window_tree.h"
#include "core/utf.h"
#include "platform/desktop.h"
#include "platform/messages.h"
#include "testing/fake_desktop.h"

#include "platform/win32/windows_names.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/win32_desktop.h"
#include "tests/win32/mirror_tree.h"

namespace qm::mirror {
namespace {

using qm::testing::Behaviour;
using qm::testing::FakeDesktop;
using qm::testing::WindowSpec;

// ---------------------------------------------------------------------------
// Answers as text, so that both sides can be compared and printed alike.

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The text in double quotes, UTF-8, with control characters and lone
// surrogates spelled out.
std::string Quote(const std::u16string& s) {
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool low = c >= 0xDC00 && c <= 0xDFFF;
        char hex[16];
        if (high && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (s[i + 1] - 0xDC00));
            ++i;
        } else if (c == u'\r') {
            out += "\\r";
        } else if (c == u'\n') {
            out += "\\n";
        } else if (c == u'"' || c == u'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || high || low) {
            std::snprintf(hex, sizeof(hex), "\\u%04X", static_cast<unsigned>(c));
            out += hex;
        } else {
            AppendUtf8(out, c);
        }
    }
    return out + "\"";
}

std::string Arg(const char16_t* s) { return s ? Quote(s) : std::string("null"); }

// One side's answers, in the order the calls were made.
class Probe {
public:
    Probe(Desktop& desktop, const std::vector<Hwnd>& nodes) : d(desktop), nodes_(nodes) {}

    Desktop& d;
    Hwnd operator[](int index) const { return index < 0 ? kNoWindow : nodes_[static_cast<std::size_t>(index)]; }

    // A window by its place in the tree.
    std::string Name(Hwnd h) {
        if (IsNull(h)) return "null";
        for (int i = 0; i < kNodeCount; ++i) {
            if (nodes_[static_cast<std::size_t>(i)] == h) return kTree[i].name;
        }
        return "a window outside the tree of class " + Quote(d.GetClassName(h, 64));
    }
    static std::string NodeName(int index) { return index < 0 ? "null" : kTree[index].name; }

    void Window(const std::string& op, Hwnd h) { Record(op, Name(h)); }
    void Windows(const std::string& op, const std::vector<Hwnd>& list) {
        std::string s = "[";
        for (std::size_t i = 0; i < list.size(); ++i) s += (i ? ", " : "") + Name(list[i]);
        Record(op, s + "]");
    }
    void Number(const std::string& op, std::intptr_t value) { Record(op, std::to_string(value)); }
    void Text(const std::string& op, const std::u16string& text) { Record(op, Quote(text)); }
    void Text(const std::string& op, const std::optional<std::u16string>& text) {
        Record(op, text ? Quote(*text) : std::string("none"));
    }

    void Record(const std::string& op, const std::string& answer) {
        if (!ops_.insert(op).second) ADD_FAILURE() << "the sequence makes the call " << op << " twice";
        answers_.emplace_back(op, answer);
    }

    const std::vector<std::pair<std::string, std::string>>& Answers() const { return answers_; }

private:
    std::vector<Hwnd> nodes_;
    std::set<std::string> ops_;
    std::vector<std::pair<std::string, std::string>> answers_;
};

// Differences already known, in the manner of Wine's todo_wine: each is the
// call, the fake's answer and the real one. A listed difference is not a
// failure while both answers stay exactly as listed; when either changes (the
// fake was fixed, say) the test fails until the entry is taken off the list.
struct KnownDifference {
    const char* call;
    const char* fake;
    const char* real;
};

const KnownDifference kKnownDifferences[] = {
    // Past the end of the text Windows documents 0 for EM_LINELENGTH, as the fake
    // answers; Wine answers the length of the last line.
    {"EM_LINELENGTH(1000), past the end", "0", "5"},
};

const KnownDifference* Known(const std::string& call) {
    for (const auto& k : kKnownDifferences) {
        if (call == k.call) return &k;
    }
    return nullptr;
}

// Every call whose answers differ and is not a known difference, and every
// known difference that changed, one entry each; empty when all is as expected.
std::string Differences(const Probe& fake, const Probe& real) {
    std::ostringstream out;
    const auto& a = fake.Answers();
    const auto& b = real.Answers();
    if (a.size() != b.size()) {
        out << "  the sequences made " << a.size() << " calls on the fake and " << b.size() << " for real\n";
    }
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const std::string& call = a[i].first;
        if (call != b[i].first) {
            out << "  call " << i << " is " << call << " on the fake but " << b[i].first << " for real\n";
            break;
        }
        const KnownDifference* known = Known(call);
        if (known && a[i].second == known->fake && b[i].second == known->real) continue;
        if (a[i].second == b[i].second && !known) continue;
        out << "  " << call << "\n      fake: " << a[i].second << "\n      real: " << b[i].second << "\n";
        if (known) {
            out << "      (listed as a known difference with fake: " << known->fake << ", real: " << known->real
                << "; bring the list up to date)\n";
        }
    }
    return out.str();
}

// ---------------------------------------------------------------------------
// The calls, written once for both desktops.

void FindTop(Probe& p, const char16_t* cls, const char16_t* title) {
    p.Window("FindWindow(" + Arg(cls) + ", " + Arg(title) + ")", p.d.FindWindow(cls, title));
}

void FindChild(Probe& p, int parent, int after, const char16_t* cls, const char16_t* title) {
    p.Window("FindWindowEx(" + Probe::NodeName(parent) + ", " + Probe::NodeName(after) + ", " + Arg(cls) + ", " +
                 Arg(title) + ")",
             p.d.FindWindowEx(p[parent], p[after], cls, title));
}

const char* RelationName(Relation r) {
    switch (r) {
        case Relation::Child: return "Child";
        case Relation::Next: return "Next";
        case Relation::Previous: return "Previous";
        case Relation::EnabledPopup: return "EnabledPopup";
        case Relation::Owner: return "Owner";
    }
    return "?";
}

void Get(Probe& p, int node, Relation r) {
    p.Window(std::string("GetWindow(") + Probe::NodeName(node) + ", " + RelationName(r) + ")", p.d.GetWindow(p[node], r));
}

// The windows reached by repeating one relation from a window, up to null.
void Chain(Probe& p, int from, Relation r) {
    std::vector<Hwnd> seen;
    for (Hwnd h = p.d.GetWindow(p[from], r); !IsNull(h) && seen.size() < 20; h = p.d.GetWindow(h, r)) {
        seen.push_back(h);
    }
    p.Windows(std::string("GetWindow(..., ") + RelationName(r) + ") repeated from " + Probe::NodeName(from), seen);
}

void Enumerate(Probe& p, int parent, std::size_t stopAfter = 100) {
    std::vector<Hwnd> seen;
    p.d.EnumChildWindows(p[parent], [&](Hwnd h) {
        seen.push_back(h);
        return seen.size() < stopAfter;
    });
    p.Windows("EnumChildWindows(" + Probe::NodeName(parent) + ")" +
                  (stopAfter < 100 ? ", stopped after " + std::to_string(stopAfter) : std::string()),
              seen);
}

// A sent message and its result, under a label that says what it asks.
void Ask(Probe& p, const std::string& label, int node, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    p.Number(label, p.d.Send(p[node], message, static_cast<std::uintptr_t>(wParam), static_cast<std::intptr_t>(lParam)));
}

// What a snapshot reads of a window's style, and whether it shares the main
// window's process.
void Shape(Probe& p, int node) {
    const Hwnd h = p[node];
    const std::optional<WindowInfo> info = p.d.GetWindowInfo(h);
    WindowRecord w;
    w.style = info ? info->style : 0;
    std::string facts = std::string(KindName(KindOf(p.d.GetClassName(h, 255), w.style)));
    facts += w.Visible() ? " visible" : " hidden";
    facts += w.Enabled() ? " enabled" : " disabled";
    if (w.Child()) facts += " child";
    if (w.Popup()) facts += " popup";
    if ((w.style & ES_MULTILINE) != 0 && KindOf(p.d.GetClassName(h, 255), w.style) == WindowKind::Edit) facts += " multi-line";
    if (p.d.GetWindowProcessId(h) == p.d.GetWindowProcessId(p[kMain])) facts += ", the main window's process";
    p.Text("style of " + Probe::NodeName(node), Utf8ToUtf16(facts));
}

void Texts(Probe& p, int node) {
    const std::string n = Probe::NodeName(node);
    const Hwnd h = p[node];
    p.Text("GetClassName(" + n + ", 255)", p.d.GetClassName(h, 255));
    p.Text("GetClassName(" + n + ", 2)", p.d.GetClassName(h, 2));
    p.Text("GetWindowText(" + n + ", 255)", p.d.GetWindowText(h, 255));
    p.Text("GetWindowText(" + n + ", 3)", p.d.GetWindowText(h, 3));
    p.Number("GetDlgCtrlID(" + n + ")", p.d.GetDlgCtrlID(h));
    p.Text("SendGetText(" + n + ", 256)", p.d.SendGetText(h, 256));
    p.Text("SendGetText(" + n + ", 3)", p.d.SendGetText(h, 3));
    p.Text("SendGetText(" + n + ", 1)", p.d.SendGetText(h, 1));
    Ask(p, "WM_GETTEXTLENGTH(" + n + ")", node, WM_GETTEXTLENGTH);
}

void Type(Probe& p, int node, const std::u16string& text) {
    for (char16_t unit : text) p.d.Send(p[node], WM_CHAR, unit, 0);
    p.Text("SendGetText(" + Probe::NodeName(node) + ", 256) after typing " + Quote(text), p.d.SendGetText(p[node], 256));
}

// The edit box's lines as the robot reads them; `when` tells the calls apart.
void Lines(Probe& p, const std::string& when, int count) {
    const Hwnd edit = p[kEdit];
    p.Number("EM_GETLINECOUNT " + when, p.d.Send(edit, EM_GETLINECOUNT, 0, 0));
    for (int line = -1; line <= count; ++line) {
        const std::string l = std::to_string(line);
        const std::intptr_t index = p.d.Send(edit, EM_LINEINDEX, static_cast<std::uintptr_t>(line), 0);
        p.Number("EM_LINEINDEX(" + l + ") " + when, index);
        if (line >= 0 && line < count) {
            p.Number("EM_LINELENGTH(EM_LINEINDEX(" + l + ")) " + when,
                     p.d.Send(edit, EM_LINELENGTH, static_cast<std::uintptr_t>(index), 0));
        }
        p.Text("SendGetLine(" + l + ", 100) " + when, p.d.SendGetLine(edit, line, 100));
    }
}

void Select(Probe& p, std::uintptr_t from, std::intptr_t to) { p.d.Send(p[kEdit], EM_SETSEL, from, to); }

// ---------------------------------------------------------------------------
// The fixture: the fake tree in this process, the real one in the helper.

std::vector<Hwnd> BuildFakeTree(FakeDesktop& d) {
    std::vector<Hwnd> made;
    for (const Node& n : kTree) {
        WindowSpec shape;
        shape.text = n.text;
        shape.id = n.id;
        shape.rect = Rect{n.rect.left, n.rect.top, n.rect.right, n.rect.bottom};
        if (n.parent >= 0) shape.parent = made[static_cast<std::size_t>(n.parent)];
        if (n.owner >= 0) shape.owner = made[static_cast<std::size_t>(n.owner)];
        switch (n.kind) {
            case Kind::Frame:
                shape.className = kMainClass;
                shape.overlapped = true;
                break;
            case Kind::Popup:
            case Kind::ChildDialog: shape.behaviour = Behaviour::Dialog; break;
            case Kind::Edit: shape.behaviour = Behaviour::Edit; break;
            case Kind::PushButton: shape.behaviour = Behaviour::Button; break;
            case Kind::CheckBox:
                shape.behaviour = Behaviour::CheckBox;
                shape.checked = true;
                break;
            case Kind::Label: shape.behaviour = Behaviour::Label; break;
            case Kind::DropDownList:
                shape.behaviour = Behaviour::Combo;
                for (const char16_t* item : kComboItems) shape.items.emplace_back(item);
                shape.selection = kComboSelection;
                break;
        }
        made.push_back(d.Create(shape));
    }
    return made;
}

std::wstring OwnFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    while (path.size() <= 32768) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) break;
        if (n < path.size()) {
            const std::wstring full(path.data(), n);
            const auto slash = full.find_last_of(L"\\/");
            return slash == std::wstring::npos ? L"." : full.substr(0, slash);
        }
        path.resize(path.size() * 2);
    }
    return L".";
}

class FakeDesktopConformance : public ::testing::Test {
protected:
    void SetUp() override {
        fakeNodes_ = BuildFakeTree(fake_);
        StartMirror();
    }

    void TearDown() override {
        if (process_) {
            ::TerminateProcess(process_.get(), 0);
            ::WaitForSingleObject(process_.get(), 10000);
        }
    }

    // Runs the sequence on both desktops and fails with every difference.
    // Returns the real side's answers by call, for checks of the tree itself.
    std::map<std::string, std::string> ExpectSameAnswers(const std::function<void(Probe&)>& sequence) {
        Probe fake(fake_, fakeNodes_);
        sequence(fake);
        Probe real(real_, realNodes_);
        sequence(real);
        const std::string differences = Differences(fake, real);
        EXPECT_TRUE(differences.empty()) << "the fake desktop answers differently from Windows:\n" << differences;
        return {real.Answers().begin(), real.Answers().end()};
    }

    FakeDesktop fake_;
    win32::Win32Desktop real_;
    std::vector<Hwnd> fakeNodes_;
    std::vector<Hwnd> realNodes_;

private:
    void StartMirror() {
        static int counter = 0;
        const std::wstring name =
            L"QmMirrorBlock-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        mapping_.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Block),
                                            name.c_str()));
        ASSERT_TRUE(mapping_);
        view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Block)));
        ASSERT_TRUE(view_);
        auto& block = *static_cast<Block*>(view_.get());

        const std::wstring exe = OwnFolder() + L"\\" + kHelperExe;
        std::wstring commandLine = L"\"" + exe + L"\" " + name + L" " + std::to_wstring(::GetCurrentProcessId());
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &si, &pi))
            << "cannot start the mirror helper (error " << ::GetLastError() << ")";
        process_.reset(pi.hProcess);
        ::CloseHandle(pi.hThread);

        // Bounded: a first start in a fresh prefix takes a few seconds.
        const ULONGLONG end = ::GetTickCount64() + 30000;
        while (block.ready == 0 && ::WaitForSingleObject(process_.get(), 10) == WAIT_TIMEOUT &&
               ::GetTickCount64() < end) {
        }
        const int failed = block.failedNode;
        ASSERT_NE(block.ready, -1) << "the helper could not make the window "
                                   << (failed >= 0 && failed < kNodeCount ? kTree[failed].name : "?");
        ASSERT_EQ(block.ready, 1) << "the helper did not come up";
        for (std::uint64_t h : block.handles) realNodes_.push_back(static_cast<Hwnd>(static_cast<std::uintptr_t>(h)));
        // Once the helper answers a message, it has handled everything its
        // windows sent themselves while they were made and shown.
        DWORD_PTR ignored = 0;
        ASSERT_TRUE(::SendMessageTimeoutW(reinterpret_cast<HWND>(block.handles[kMain]), WM_NULL, 0, 0,
                                          SMTO_ABORTIFHUNG, 10000, &ignored));
    }

    win32::UniqueHandle mapping_;
    win32::MappedView view_;
    win32::UniqueHandle process_;
};

// ---------------------------------------------------------------------------

TEST_F(FakeDesktopConformance, LooksUpWindowsByClassAndText) {
    const auto real = ExpectSameAnswers([](Probe& p) {
        FindTop(p, kMainClass, nullptr);  // two windows of the class: the one on top
        FindTop(p, nullptr, kTree[kMain].text);
        FindTop(p, u"#32770", kTree[kPopup].text);
        FindTop(p, u"qmmirrormain", kTree[kMain].text);     // class names regardless of case
        FindTop(p, nullptr, u"접수 입력 (ORDER)");             // titles regardless of ASCII case
        FindTop(p, nullptr, u"콜 접수 대조창 CAFÉ");          // ... and of other letters' case
        FindTop(p, kMainClass, u"콜 접수");                   // the whole title only
        FindTop(p, u"QmMirrorNoSuchClass", nullptr);
        FindChild(p, -1, kSecond, kMainClass, nullptr);  // the next match after each
        FindChild(p, -1, kMain, kMainClass, nullptr);

        FindChild(p, kPopup, -1, u"Button", nullptr);
        FindChild(p, kPopup, kPush, u"Button", nullptr);  // the second match
        FindChild(p, kPopup, kCheck, u"Button", nullptr);
        FindChild(p, kPopup, -1, u"Button", u"탁송");
        FindChild(p, kPopup, -1, nullptr, u"접  수(&N)");
        FindChild(p, kPopup, -1, u"static", u"고객 전화번호 (TEL)");
        FindChild(p, kPopup, kLabel, nullptr, nullptr);
        FindChild(p, kPopup, -1, u"#32770", nullptr);
        FindChild(p, kPopup, -1, u"Button", u"확인");  // not a direct child
        FindChild(p, kInner, -1, u"Button", u"확인");
        FindChild(p, kPopup, kInnerButton, u"Button", nullptr);  // childAfter of another parent
        FindChild(p, kPopup, -1, u"Edit", nullptr);
        FindChild(p, kPopup, -1, u"Edit", kEditText);   // an edit box by its creation text
        FindChild(p, kPopup, -1, u"ComboBox", u"결제");  // a combo box by its creation text
        FindChild(p, kPopup, -1, u"ComboBox", kComboItems[kComboSelection]);  // ... or what it shows
        FindChild(p, kMain, -1, nullptr, nullptr);
    });
    // Both agreeing is not enough: they must agree on what the tree is.
    EXPECT_EQ(real.at("FindWindow(\"QmMirrorMain\", null)"), "second");
    EXPECT_EQ(real.at("FindWindowEx(popup, push, \"Button\", null)"), "check");
    EXPECT_EQ(real.at("FindWindowEx(popup, null, \"Button\", \"확인\")"), "null");
}

TEST_F(FakeDesktopConformance, WalksTheTreeInCreationOrder) {
    const auto real = ExpectSameAnswers([](Probe& p) {
        Get(p, kPopup, Relation::Child);
        Chain(p, kEdit, Relation::Next);
        Chain(p, kInner, Relation::Previous);
        Get(p, kInner, Relation::Child);
        Get(p, kInnerButton, Relation::Next);
        Get(p, kInnerButton, Relation::Previous);
        Get(p, kEdit, Relation::Child);
        Get(p, kCombo, Relation::Child);
        Get(p, kMain, Relation::Child);
        Get(p, -1, Relation::Child);
        // The main window owns a visible, enabled popup: both answer it. (With
        // none, Windows answers the window itself and the fake null.)
        Get(p, kMain, Relation::EnabledPopup);
        for (int i = 0; i < kNodeCount; ++i) {
            p.Window("GetParent(" + Probe::NodeName(i) + ")", p.d.GetParent(p[i]));
            Get(p, i, Relation::Owner);
            Shape(p, i);
        }
        p.Window("GetParent(null)", p.d.GetParent(kNoWindow));
        Enumerate(p, kPopup);
        Enumerate(p, kPopup, 3);
        Enumerate(p, kInner);
        Enumerate(p, kMain);
        Enumerate(p, kCombo);
        Enumerate(p, -1);
    });
    EXPECT_EQ(real.at("EnumChildWindows(popup)"), "[edit, push, check, label, combo, inner, innerButton]");
    EXPECT_EQ(real.at("GetWindow(..., Previous) repeated from inner"), "[combo, label, check, push, edit]");
    EXPECT_EQ(real.at("GetParent(popup)"), "main");
    EXPECT_EQ(real.at("GetWindow(popup, Owner)"), "main");
    EXPECT_EQ(real.at("style of check"), "\"check box visible enabled child, the main window's process\"");
}

TEST_F(FakeDesktopConformance, ReadsTextsClassesAndIds) {
    const auto real = ExpectSameAnswers([](Probe& p) {
        for (int i = 0; i < kNodeCount; ++i) Texts(p, i);
        // Texts set from outside: a label's and a button's caption follow them.
        p.Number("SendSetText(label, \"새 라벨\")", p.d.SendSetText(p[kLabel], u"새 라벨"));
        p.Text("GetWindowText(label, 255) after WM_SETTEXT", p.d.GetWindowText(p[kLabel], 255));
        p.Text("SendGetText(label, 256) after WM_SETTEXT", p.d.SendGetText(p[kLabel], 256));
        p.Number("SendSetText(popup, \"새 제목\")", p.d.SendSetText(p[kPopup], u"새 제목"));
        FindTop(p, u"#32770", u"새 제목");
        p.Text("GetWindowText(null, 255)", p.d.GetWindowText(kNoWindow, 255));
        p.Text("SendGetText(null, 256)", p.d.SendGetText(kNoWindow, 256));
    });
    EXPECT_EQ(real.at("SendGetText(push, 3)"), "\"접 \"");
    EXPECT_EQ(real.at("GetDlgCtrlID(innerButton)"), "1");
}

TEST_F(FakeDesktopConformance, ReadsTheEditBoxLineByLine) {
    const auto real = ExpectSameAnswers([](Probe& p) {
        Lines(p, "as made", 3);
        const Hwnd edit = p[kEdit];
        p.Text("SendGetLine(0, 3)", p.d.SendGetLine(edit, 0, 3));
        p.Text("SendGetLine(2, 2)", p.d.SendGetLine(edit, 2, 2));
        p.Text("SendGetLine(0, 0)", p.d.SendGetLine(edit, 0, 0));
        Ask(p, "EM_LINELENGTH(3), inside the first line", kEdit, EM_LINELENGTH, 3);
        Ask(p, "EM_LINELENGTH(1000), past the end", kEdit, EM_LINELENGTH, 1000);
        // The caret's line (-1) and the unselected rest of the selected lines.
        Select(p, 8, 8);
        Ask(p, "EM_LINEINDEX(-1) with the caret at 8", kEdit, EM_LINEINDEX, static_cast<WPARAM>(-1));
        Ask(p, "EM_LINELENGTH(-1) with the caret at 8", kEdit, EM_LINELENGTH, static_cast<WPARAM>(-1));
        Select(p, 2, 12);
        Ask(p, "EM_LINEINDEX(-1) with 2..12 selected", kEdit, EM_LINEINDEX, static_cast<WPARAM>(-1));
        Ask(p, "EM_LINELENGTH(-1) with 2..12 selected", kEdit, EM_LINELENGTH, static_cast<WPARAM>(-1));
        Select(p, 12, 2);
        Ask(p, "EM_GETSEL with 12..2 selected", kEdit, EM_GETSEL);
        Ask(p, "EM_LINEINDEX(-1) with 12..2 selected", kEdit, EM_LINEINDEX, static_cast<WPARAM>(-1));
    });
    EXPECT_EQ(real.at("SendGetLine(1, 100) as made"), "\"\"");
    EXPECT_EQ(real.at("SendGetLine(2, 100) as made"), "\"3번 출구\"");
}

TEST_F(FakeDesktopConformance, TypedCharactersLandWhereTheCaretIs) {
    const auto real = ExpectSameAnswers([](Probe& p) {
        const Hwnd edit = p[kEdit];
        Select(p, 1000, 1000);  // the end
        Type(p, kEdit, u" 가나\r끝x\b!");
        Ask(p, "WM_GETTEXTLENGTH(edit) after typing", kEdit, WM_GETTEXTLENGTH);
        p.Text("GetWindowText(edit, 255) after typing", p.d.GetWindowText(edit, 255));
        Lines(p, "after typing", 4);
        Select(p, 0, 3);  // typing replaces the selection
        Type(p, kEdit, u"부산");
        Ask(p, "EM_GETSEL after typing over 0..3", kEdit, EM_GETSEL);
        Select(p, 0, 0);
        Type(p, kEdit, u"\b");  // nothing before the caret
        Ask(p, "WM_KEYDOWN(VK_DELETE) at 0", kEdit, WM_KEYDOWN, VK_DELETE);
        p.Text("SendGetText(edit, 256) after VK_DELETE", p.d.SendGetText(edit, 256));
        // WM_SETTEXT replaces everything and puts the caret at the start.
        p.Number("SendSetText(edit, \"한 줄\")", p.d.SendSetText(edit, u"한 줄"));
        p.Text("GetWindowText(edit, 255) after WM_SETTEXT", p.d.GetWindowText(edit, 255));
        Ask(p, "EM_GETSEL after WM_SETTEXT", kEdit, EM_GETSEL);
        Type(p, kEdit, u"새 ");
        p.Number("SendSetText(edit, \"\")", p.d.SendSetText(edit, u""));
        Lines(p, "after emptying", 1);
        Ask(p, "WM_GETTEXTLENGTH(edit) after emptying", kEdit, WM_GETTEXTLENGTH);
    });
    EXPECT_EQ(real.at("SendGetText(edit, 256) after typing \"새 \""), "\"새 한 줄\"");
}

TEST_F(FakeDesktopConformance, CheckBoxesAnswerAndToggleOnAClick) {
    const auto real = ExpectSameAnswers([](Probe& p) {
        Ask(p, "BM_GETCHECK(check)", kCheck, BM_GETCHECK);
        Ask(p, "BM_GETCHECK(push)", kPush, BM_GETCHECK);
        Ask(p, "BM_GETCHECK(innerButton)", kInnerButton, BM_GETCHECK);
        Ask(p, "BM_GETCHECK(label)", kLabel, BM_GETCHECK);
        // The robot's click made of sent messages.
        const LPARAM inside = MAKELPARAM(5, 5);
        const Hwnd check = p[kCheck];
        p.d.Send(check, WM_SETFOCUS, 0, 0);
        p.d.Send(check, WM_LBUTTONDOWN, MK_LBUTTON, inside);
        p.d.Send(check, BM_SETSTATE, 1, 0);
        p.d.Send(check, WM_LBUTTONUP, 0, inside);
        p.d.Send(check, BM_SETSTATE, 0, 0);
        Ask(p, "BM_GETCHECK(check) after a click of messages", kCheck, BM_GETCHECK);
        p.d.Send(check, WM_LBUTTONDOWN, MK_LBUTTON, inside);
        p.d.Send(check, WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
        Ask(p, "BM_GETCHECK(check) after a button-up outside it", kCheck, BM_GETCHECK);
        Ask(p, "BM_CLICK(check)", kCheck, BM_CLICK);
        Ask(p, "BM_GETCHECK(check) after BM_CLICK", kCheck, BM_GETCHECK);
        p.d.Send(check, WM_KEYDOWN, VK_SPACE, 0);
        p.d.Send(check, WM_KEYUP, VK_SPACE, 0);
        Ask(p, "BM_GETCHECK(check) after VK_SPACE", kCheck, BM_GETCHECK);
        Ask(p, "BM_SETCHECK(check, BST_CHECKED)", kCheck, BM_SETCHECK, BST_CHECKED);
        Ask(p, "BM_GETCHECK(check) after BM_SETCHECK", kCheck, BM_GETCHECK);
        Ask(p, "BM_SETCHECK(push, BST_CHECKED)", kPush, BM_SETCHECK, BST_CHECKED);  // it has no check
        Ask(p, "BM_GETCHECK(push) after BM_SETCHECK", kPush, BM_GETCHECK);
    });
    EXPECT_EQ(real.at("BM_GETCHECK(check)"), "1");
    EXPECT_EQ(real.at("BM_GETCHECK(check) after a click of messages"), "0");
}

TEST_F(FakeDesktopConformance, ReadsAndSelectsComboItems) {
    const auto real = ExpectSameAnswers([](Probe& p) {
        const Hwnd combo = p[kCombo];
        Ask(p, "CB_GETCOUNT", kCombo, CB_GETCOUNT);
        Ask(p, "CB_GETCURSEL as made", kCombo, CB_GETCURSEL);
        for (int i = -1; i <= 3; ++i) {
            p.Text("SendGetComboItem(combo, " + std::to_string(i) + ")", p.d.SendGetComboItem(combo, i));
        }
        Ask(p, "CB_GETLBTEXTLEN(1)", kCombo, CB_GETLBTEXTLEN, 1);
        Ask(p, "CB_GETLBTEXTLEN(5)", kCombo, CB_GETLBTEXTLEN, 5);
        auto state = [&](const std::string& when) {
            Ask(p, "CB_GETCURSEL " + when, kCombo, CB_GETCURSEL);
            p.Text("SendGetText(combo, 64) " + when, p.d.SendGetText(combo, 64));
            Ask(p, "WM_GETTEXTLENGTH(combo) " + when, kCombo, WM_GETTEXTLENGTH);
        };
        Ask(p, "CB_SETCURSEL(2)", kCombo, CB_SETCURSEL, 2);
        state("after selecting 2");
        Ask(p, "CB_SETCURSEL(7), no such item", kCombo, CB_SETCURSEL, 7);
        state("after selecting 7");
        Ask(p, "CB_SETCURSEL(0)", kCombo, CB_SETCURSEL, 0);
        Ask(p, "WM_KEYDOWN(VK_DOWN) to combo", kCombo, WM_KEYDOWN, VK_DOWN);  // a closed list: the next item
        state("after VK_DOWN");
        Ask(p, "WM_KEYDOWN(VK_UP) to combo", kCombo, WM_KEYDOWN, VK_UP);
        state("after VK_UP");
        Ask(p, "CB_SETCURSEL(-1)", kCombo, CB_SETCURSEL, static_cast<WPARAM>(-1));  // no selection
        state("after selecting -1");
        Ask(p, "CB_SETCURSEL(1)", kCombo, CB_SETCURSEL, 1);
        // A drop-down list has no edit box to take a text.
        p.Number("SendSetText(combo, \"직접 입력\")", p.d.SendSetText(combo, u"직접 입력"));
        state("after WM_SETTEXT");
        p.Text("GetWindowText(combo, 255) after WM_SETTEXT", p.d.GetWindowText(combo, 255));
    });
    EXPECT_EQ(real.at("SendGetComboItem(combo, 2)"), "\"카드\"");
    EXPECT_EQ(real.at("SendGetText(combo, 64) after selecting 2"), "\"카드\"");
}

}  // namespace
}  // namespace qm::mirror
