// Window-message numbers and flags that the portable code uses. They are the
// values of the Windows headers, repeated here so that the toolkit, the adapters
// and the fake desktop do not include windows.h.
#pragma once
#include <cstdint>

namespace qm::msg {

constexpr std::uint32_t WM_NULL = 0x0000;
constexpr std::uint32_t WM_SETFOCUS = 0x0007;
constexpr std::uint32_t WM_KILLFOCUS = 0x0008;
constexpr std::uint32_t WM_SETTEXT = 0x000C;
constexpr std::uint32_t WM_GETTEXT = 0x000D;
constexpr std::uint32_t WM_GETTEXTLENGTH = 0x000E;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_KEYDOWN = 0x0100;
constexpr std::uint32_t WM_KEYUP = 0x0101;
constexpr std::uint32_t WM_CHAR = 0x0102;
constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
constexpr std::uint32_t WM_TIMER = 0x0113;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
constexpr std::uint32_t WM_USER = 0x0400;

constexpr std::uint32_t EM_SETSEL = 0x00B1;
constexpr std::uint32_t EM_GETLINECOUNT = 0x00BA;
constexpr std::uint32_t EM_LINEINDEX = 0x00BB;
constexpr std::uint32_t EM_LINELENGTH = 0x00C1;
constexpr std::uint32_t EM_GETLINE = 0x00C4;

constexpr std::uint32_t BM_GETCHECK = 0x00F0;
constexpr std::uint32_t BM_SETCHECK = 0x00F1;
constexpr std::uint32_t BM_SETSTATE = 0x00F3;
constexpr std::uint32_t BM_CLICK = 0x00F5;

constexpr std::uint32_t CB_GETLBTEXT = 0x0148;
constexpr std::uint32_t CB_GETLBTEXTLEN = 0x0149;
constexpr std::uint32_t CB_GETCOUNT = 0x0146;
constexpr std::uint32_t CB_GETCURSEL = 0x0147;
constexpr std::uint32_t CB_ADDSTRING = 0x0143;
constexpr std::uint32_t CB_SETCURSEL = 0x014E;
constexpr std::intptr_t CB_ERR = -1;

constexpr std::uint16_t BN_CLICKED = 0;
constexpr std::uint16_t EN_CHANGE = 0x0300;
constexpr std::uint16_t CBN_SELCHANGE = 1;

constexpr std::uintptr_t MK_LBUTTON = 0x0001;
constexpr std::uintptr_t VK_TAB = 0x09;
constexpr std::uintptr_t VK_RETURN = 0x0D;
constexpr std::uintptr_t VK_SPACE = 0x20;
constexpr std::uintptr_t VK_DOWN = 0x28;
constexpr std::uintptr_t VK_DELETE = 0x2E;

constexpr std::uintptr_t SC_CLOSE = 0xF060;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

constexpr std::uint32_t MOUSEEVENTF_LEFTDOWN = 0x0002;
constexpr std::uint32_t MOUSEEVENTF_LEFTUP = 0x0004;

constexpr std::uint32_t SMTO_ABORTIFHUNG = 0x0002;

constexpr std::uint32_t BST_CHECKED = 1;

// Style bits (GetWindowInfo's dwStyle) that tell what a window is.
constexpr std::uint32_t WS_POPUP = 0x80000000u;
constexpr std::uint32_t WS_CHILD = 0x40000000u;
constexpr std::uint32_t WS_MINIMIZE = 0x20000000u;
constexpr std::uint32_t WS_VISIBLE = 0x10000000u;
constexpr std::uint32_t WS_DISABLED = 0x08000000u;
constexpr std::uint32_t ES_MULTILINE = 0x0004u;
constexpr std::uint32_t ES_READONLY = 0x0800u;
constexpr std::uint32_t CBS_DROPDOWN = 0x0002u;
constexpr std::uint32_t CBS_DROPDOWNLIST = 0x0003u;
constexpr std::uint32_t BS_TYPEMASK = 0x000Fu;
constexpr std::uint32_t BS_CHECKBOX = 0x0002u;
constexpr std::uint32_t BS_AUTOCHECKBOX = 0x0003u;

// MAKELPARAM / MAKEWPARAM with the same packing as the Windows macros.
constexpr std::intptr_t MakeLParam(int low, int high) {
    return static_cast<std::intptr_t>(static_cast<std::uint32_t>((static_cast<std::uint32_t>(low) & 0xFFFFu) |
                                                               ((static_cast<std::uint32_t>(high) & 0xFFFFu) << 16)));
}
constexpr std::uintptr_t MakeWParam(int low, int high) {
    return static_cast<std::uintptr_t>((static_cast<std::uint32_t>(low) & 0xFFFFu) |
                                       ((static_cast<std::uint32_t>(high) & 0xFFFFu) << 16));
}
constexpr int LowWord(std::uintptr_t v) { return static_cast<int>(v & 0xFFFFu); }
constexpr int HighWord(std::uintptr_t v) { return static_cast<int>((v >> 16) & 0xFFFFu); }
constexpr int SignedLowWord(std::intptr_t v) { return static_cast<std::int16_t>(v & 0xFFFF); }
constexpr int SignedHighWord(std::intptr_t v) { return static_cast<std::int16_t>((v >> 16) & 0xFFFF); }

}  // namespace qm::msg
