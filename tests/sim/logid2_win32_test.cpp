// logid2-sim.exe as another process, driven through the real port as the
// robot drives it: real controls, its own message loop, real JScript in the map
// page. Runs under Wine.
#include "platform/win32/windows_names.h"
#include <ole2.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/win32_desktop.h"
#include "sim/logid2/logid2_sim.h"

namespace qm::sim::logid2 {
namespace {

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t dir[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

class LogiD2ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        oleacc_ = ::LoadLibraryW(L"oleacc.dll");
        ordersFile_ = TempFile(L"logid2_sim_program_test.json");
        ::DeleteFileW(ordersFile_.c_str());
    }
    void TearDown() override {
        if (process_) {
            if (!IsNull(main_)) ::PostMessageW(reinterpret_cast<HWND>(main_), WM_CLOSE, 0, 0);
            if (::WaitForSingleObject(process_.get(), 5000) != WAIT_OBJECT_0) ::TerminateProcess(process_.get(), 9);
            ::WaitForSingleObject(process_.get(), 5000);
        }
        if (oleacc_) ::FreeLibrary(oleacc_);
        ::DeleteFileW(ordersFile_.c_str());
        ::OleUninitialize();
    }

    void Launch(const std::wstring& extra = L"") {
        std::wstring command = L"\"" + OwnFolder() + L"logid2-sim.exe\" --orders-file \"" + ordersFile_ + L"\" " + extra;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        process_.reset(pi.hProcess);
        ::CloseHandle(pi.hThread);
        pid_ = pi.dwProcessId;
        for (int i = 0; i < 100 && IsNull(main_); ++i) {
            const HWND h = ::FindWindowW(L"SmartD2-", nullptr);
            DWORD pid = 0;
            if (h) ::GetWindowThreadProcessId(h, &pid);
            if (h && pid == pid_) main_ = static_cast<Hwnd>(reinterpret_cast<std::uintptr_t>(h));
            else ::Sleep(100);
        }
        ASSERT_FALSE(IsNull(main_)) << "the main window did not appear";
        // The main window is made before what it holds.
        ASSERT_TRUE(Within3s([&] { return !IsNull(Descendant(main_, u"Button", u"접  수(&N)")); }));
    }

    Hwnd Descendant(Hwnd root, const std::u16string& cls, const std::u16string& text) {
        Hwnd found{};
        d_.EnumChildWindows(root, [&](Hwnd h) {
            if (d_.GetClassName(h, 127) == cls && d_.GetWindowText(h, 127) == text) {
                found = h;
                return false;
            }
            return true;
        });
        return found;
    }
    Hwnd Walk(Hwnd from, Relation relation, int steps) {
        for (int i = 0; i < steps && !IsNull(from); ++i) from = d_.GetWindow(from, relation);
        return from;
    }
    void SendClick(Hwnd control) {
        const auto info = d_.GetWindowInfo(control);
        ASSERT_TRUE(info.has_value());
        const auto client = d_.ScreenToClient(control, Point{info->client.left + 15, info->client.top + 15});
        ASSERT_TRUE(client.has_value());
        const auto p = MAKELPARAM(client->x, client->y);
        d_.Send(control, WM_SETFOCUS, 0, 0);
        d_.Send(control, WM_LBUTTONDOWN, MK_LBUTTON, p);
        d_.Send(control, BM_SETSTATE, 1, 0);
        d_.Send(control, WM_LBUTTONUP, 0, p);
        d_.Send(control, BM_SETSTATE, 0, 0);
    }
    void PostClick(Hwnd control) {
        const auto p = MAKELPARAM(15, 15);
        d_.Post(control, WM_SETFOCUS, 0, 0);
        d_.Post(control, WM_LBUTTONDOWN, MK_LBUTTON, p);
        d_.Post(control, BM_SETSTATE, 1, 0);
        d_.Post(control, WM_LBUTTONUP, 0, p);
        d_.Post(control, BM_SETSTATE, 0, 0);
    }
    void Type(Hwnd edit, const std::u16string& text) {
        for (char16_t c : text) d_.Send(edit, WM_CHAR, c, 0);
    }
    void PostKey(Hwnd control, std::uintptr_t vk) {
        d_.Post(control, WM_KEYDOWN, vk, 0);
        d_.Post(control, WM_KEYUP, vk, 0);
    }
    std::u16string Lines(Hwnd edit) {
        std::u16string out;
        const auto n = d_.Send(edit, EM_GETLINECOUNT, 0, 0);
        for (int i = 0; i < n; ++i) {
            const auto index = d_.Send(edit, EM_LINEINDEX, static_cast<std::uintptr_t>(i), 0);
            const auto len = d_.Send(edit, EM_LINELENGTH, static_cast<std::uintptr_t>(index), 0);
            if (len > 0) out += d_.SendGetLine(edit, i, static_cast<std::size_t>(len));
        }
        return out;
    }
    // Polls up to 3 s for a condition, 100 ms apart.
    template <class F>
    bool Within3s(F condition) {
        return WithinMs(3000, condition);
    }
    // Under Xvfb without a window manager (and outside Wine's virtual
    // desktop), Wine waits up to 2 s for every top-level window it unmaps:
    // closing a window with owned windows may take several seconds then.
    template <class F>
    bool WithinMs(int ms, F condition) {
        for (int i = 0; i < ms / 100; ++i) {
            if (condition()) return true;
            ::Sleep(100);
        }
        return condition();
    }
    Hwnd OpenEntry() {
        const Hwnd button = Descendant(main_, u"Button", u"접  수(&N)");
        EXPECT_FALSE(IsNull(button));
        SendClick(button);
        Hwnd entry{};
        Within3s([&] { return !IsNull(entry = d_.GetWindow(main_, Relation::EnabledPopup)); });
        return entry;
    }
    Hwnd Box(const char16_t* title, const char16_t* text, const char16_t* button) {
        Hwnd box{};
        while (!IsNull(box = d_.FindWindowEx(kNoWindow, box, u"#32770", title))) {
            if (!IsNull(d_.FindWindowEx(box, kNoWindow, u"Static", text)) &&
                !IsNull(d_.FindWindowEx(box, kNoWindow, u"Button", button)))
                return box;
        }
        return kNoWindow;
    }
    Module Oleacc() const { return static_cast<Module>(reinterpret_cast<std::uintptr_t>(oleacc_)); }

    win32::Win32Desktop d_{3000};
    HMODULE oleacc_ = nullptr;
    win32::UniqueHandle process_;
    DWORD pid_ = 0;
    Hwnd main_{};
    std::wstring ordersFile_;
};

TEST_F(LogiD2ProgramTest, RealWindowsKeepTheTreeAndTheSiblingOrder) {
    Launch();
    EXPECT_FALSE(IsNull(Descendant(main_, u"AfxFrameOrView110s", u"접수")));
    EXPECT_FALSE(IsNull(Descendant(main_, u"#32770", u"메인리스트")));
    const Hwnd entry = OpenEntry();
    ASSERT_FALSE(IsNull(entry));
    const Hwnd phone = d_.GetWindow(entry, Relation::Child);
    EXPECT_EQ(d_.GetDlgCtrlID(phone), kIdPhone);
    EXPECT_EQ(d_.Send(phone, WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_EQ(d_.GetDlgCtrlID(Walk(phone, Relation::Next, 4)), kIdDriverMemo);
    EXPECT_EQ(d_.GetDlgCtrlID(Walk(d_.FindWindowEx(entry, kNoWindow, u"Button", u"마일리지"), Relation::Next, 5)),
              kIdBranchDisplay);
    EXPECT_EQ(d_.GetDlgCtrlID(Walk(d_.FindWindowEx(entry, kNoWindow, u"Button", u"적정"), Relation::Previous, 9)),
              kIdVia1);
    const Hwnd support = d_.FindWindowEx(entry, kNoWindow, u"Button", u"업체지원");
    EXPECT_EQ(d_.GetDlgCtrlID(d_.GetWindow(Walk(support, Relation::Next, 5), Relation::Child)), kIdMemo2);
    const Hwnd combo = Walk(d_.FindWindowEx(entry, kNoWindow, u"Button", u"문의"), Relation::Next, 4);
    EXPECT_EQ(d_.GetClassName(combo, 127), u"ComboBox");
    EXPECT_EQ(d_.SendGetText(combo, 1024), u"현금");
    EXPECT_EQ(d_.SendGetComboItem(combo, 1), std::optional<std::u16string>(u"후불"));
    Hwnd dialog = d_.FindWindowEx(entry, kNoWindow, u"#32770", nullptr);
    dialog = d_.FindWindowEx(entry, dialog, u"#32770", nullptr);
    EXPECT_FALSE(IsNull(d_.FindWindowEx(dialog, kNoWindow, u"Button", u"탁송")));
}

TEST_F(LogiD2ProgramTest, PostedKeysReachTheHooksUntranslated) {
    Launch(L"--customer-delay 200");
    const Hwnd entry = OpenEntry();
    ASSERT_FALSE(IsNull(entry));
    const Hwnd branch = Walk(d_.FindWindowEx(entry, kNoWindow, u"Button", u"마일리지"), Relation::Next, 1);
    const Hwnd branchDisplay = Walk(branch, Relation::Next, 4);
    Type(branch, u"02-123-4567");
    PostKey(branch, VK_RETURN);
    EXPECT_TRUE(Within3s([&] { return Lines(branchDisplay) == u"로지본사 > 강남지사 (02-123-4567)"; }));
    EXPECT_EQ(d_.Send(branch, EM_GETLINECOUNT, 0, 0), 1) << "Enter put no line break into the box";

    const Hwnd phone = d_.GetWindow(entry, Relation::Child);
    const Hwnd phoneDisplay = Walk(d_.FindWindowEx(entry, kNoWindow, u"Button", u"대기후복사"), Relation::Next, 1);
    Type(phone, u"010-1234-5678");
    PostKey(phone, VK_RETURN);
    EXPECT_TRUE(Within3s([&] { return Lines(phoneDisplay) == u"010-1234-5678"; }));

    const Hwnd fare = Walk(phone, Relation::Next, 3);
    Type(fare, u"12000");
    PostKey(fare, VK_TAB);
    EXPECT_TRUE(Within3s([&] { return d_.SendGetText(fare, 1024) == u"12,000"; }));
    EXPECT_EQ(d_.Send(fare, EM_GETLINECOUNT, 0, 0), 1) << "Tab put no tab character into the box";
}

TEST_F(LogiD2ProgramTest, MapPageRunsTheCallersScriptInRealJScript) {
    Launch();
    const Hwnd entry = OpenEntry();
    ASSERT_FALSE(IsNull(entry));
    d_.Send(entry, WM_COMMAND, 3826, 0);
    const Hwnd dialog = d_.FindWindowEx(kNoWindow, kNoWindow, u"#32770", u"지도보기");
    ASSERT_FALSE(IsNull(dialog));
    const Hwnd setOrigin = d_.FindWindowEx(dialog, kNoWindow, u"Button", u"출발지를 현위치로");
    const Hwnd setDestination = d_.FindWindowEx(dialog, kNoWindow, u"Button", u"도착지를 현위치로");
    Hwnd browser{};
    d_.EnumChildWindows(dialog, [&](Hwnd h) {
        if (d_.GetClassName(h, 100) == u"Internet Explorer_Server") browser = h;
        return IsNull(browser);
    });
    ASSERT_FALSE(IsNull(browser));
    d_.ShowWindow(dialog, SW_HIDE);

    const auto lresult = d_.SendTimeout(browser, d_.RegisterWindowMessage(u"WM_HTML_GETOBJECT"), 0, 0,
                                        SMTO_ABORTIFHUNG, 3000);
    ASSERT_TRUE(lresult.has_value());
    auto root = d_.ObjectFromLresult(Oleacc(), *lresult);
    ASSERT_TRUE(root);
    auto window = root->GetScriptWindow();
    ASSERT_TRUE(window);
    auto document = window->GetDocument();
    ASSERT_TRUE(document);
    auto eval = document->GetParentWindow()->QueryEval();
    ASSERT_TRUE(eval);
    const auto id = eval->GetDispId(u"eval");
    ASSERT_TRUE(id.has_value());

    EXPECT_EQ(eval->Invoke(*id, u"setCenter(37.500000, 127.100000)").boolean, std::optional<bool>(true));
    d_.Send(d_.GetParent(setOrigin), WM_COMMAND, MAKEWPARAM(d_.GetDlgCtrlID(setOrigin), 0),
            static_cast<std::intptr_t>(setOrigin));
    EXPECT_EQ(eval->Invoke(*id, u"setCenter('north', 1)").boolean, std::optional<bool>(false));
    EXPECT_EQ(eval->Invoke(*id, u"setCenter(37.6, 127.2)").boolean, std::optional<bool>(true));
    d_.Send(d_.GetParent(setDestination), WM_COMMAND, MAKEWPARAM(d_.GetDlgCtrlID(setDestination), 0),
            static_cast<std::intptr_t>(setDestination));
    EXPECT_EQ(document->GetUrl(),
              std::optional<std::u16string>(
                  u"http://logid2.map.invalid/map.asp?strSPosX=127.1&strSPosY=37.5&strDPosX=127.2&strDPosY=37.6"));
    const ScriptValue broken = eval->Invoke(*id, u"setCenter(");
    EXPECT_NE(broken.boolean, std::optional<bool>(true));

    d_.Send(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsNull(d_.FindWindowEx(kNoWindow, kNoWindow, u"#32770", u"지도보기")));
}

TEST_F(LogiD2ProgramTest, ConsignmentClickWarnsAndRegisterWritesTheOrdersFile) {
    Launch();
    const Hwnd entry = OpenEntry();
    ASSERT_FALSE(IsNull(entry));
    const Hwnd origin = Walk(d_.GetWindow(entry, Relation::Child), Relation::Next, 1);
    Type(origin, u"서울역");
    Hwnd dialog = d_.FindWindowEx(entry, kNoWindow, u"#32770", nullptr);
    dialog = d_.FindWindowEx(entry, dialog, u"#32770", nullptr);
    const Hwnd consign = d_.FindWindowEx(dialog, kNoWindow, u"Button", u"탁송");
    PostClick(consign);
    EXPECT_TRUE(Within3s([&] { return d_.Send(consign, BM_GETCHECK, 0, 0) == 1; }));
    Hwnd warning{};
    EXPECT_TRUE(Within3s([&] {
        warning = Box(u"확인", u"탁송오더 등록시 탁송체크 해지불가하므로 오더취소후 재접수 하시기 바랍니다", u"확인");
        return !IsNull(warning);
    }));
    const Hwnd ok = d_.FindWindowEx(warning, kNoWindow, u"Button", u"확인");
    d_.Send(warning, WM_COMMAND, MAKEWPARAM(d_.GetDlgCtrlID(ok), 0), static_cast<std::intptr_t>(ok));

    const Hwnd registerButton = d_.FindWindowEx(entry, kNoWindow, u"Button", u"등   록(&R)");
    ASSERT_FALSE(IsNull(registerButton));
    d_.Post(entry, WM_COMMAND, MAKEWPARAM(d_.GetDlgCtrlID(registerButton), 0),
            static_cast<std::intptr_t>(registerButton));
    EXPECT_TRUE(WithinMs(10000, [&] { return !::IsWindow(reinterpret_cast<HWND>(entry)); }));
    std::ifstream in(std::filesystem::path(ordersFile_), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("\"status\": \"registered\""), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("\"consignment\": true"), std::string::npos);
    EXPECT_NE(text.str().find("\xec\x84\x9c\xec\x9a\xb8\xec\x97\xad"), std::string::npos);  // 서울역
}

TEST_F(LogiD2ProgramTest, HangCommandStopsTheMessageLoop) {
    Launch(L"--hang-ms 4000");
    d_.Post(main_, WM_COMMAND, kCmdHang, 0);
    ::Sleep(200);
    EXPECT_EQ(d_.Send(main_, WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_TRUE(d_.NotResponding());
}

}  // namespace
}  // namespace qm::sim::logid2
