#include "testing/message_log.h"

#include <cstdio>
#include <sstream>

#include "platform/messages.h"

namespace qm::testing {

ExpectedMessage Sent(std::uint32_t message) { return ExpectedMessage{message, std::nullopt, std::nullopt, false}; }
ExpectedMessage Sent(std::uint32_t message, std::uintptr_t wParam) {
    return ExpectedMessage{message, wParam, std::nullopt, false};
}
ExpectedMessage Sent(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    return ExpectedMessage{message, wParam, lParam, false};
}
ExpectedMessage Posted(std::uint32_t message) { return ExpectedMessage{message, std::nullopt, std::nullopt, true}; }
ExpectedMessage Posted(std::uint32_t message, std::uintptr_t wParam) {
    return ExpectedMessage{message, wParam, std::nullopt, true};
}
ExpectedMessage Posted(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    return ExpectedMessage{message, wParam, lParam, true};
}
ExpectedMessage AnyWay(std::uint32_t message) {
    ExpectedMessage e;
    e.message = message;
    return e;
}
ExpectedMessage Optional(ExpectedMessage expected) {
    expected.optional = true;
    return expected;
}

std::vector<RecordedMessage> PortOnly(const std::vector<RecordedMessage>& messages) {
    std::vector<RecordedMessage> out;
    for (const auto& r : messages) {
        if (r.fromPort) out.push_back(r);
    }
    return out;
}

std::vector<RecordedMessage> OnlyMessages(const std::vector<RecordedMessage>& messages,
                                          const std::vector<std::uint32_t>& numbers) {
    std::vector<RecordedMessage> out;
    for (const auto& r : messages) {
        for (auto n : numbers) {
            if (r.message == n) {
                out.push_back(r);
                break;
            }
        }
    }
    return out;
}

std::string MessageName(std::uint32_t message) {
    namespace m = qm::msg;
    struct Name {
        std::uint32_t number;
        const char* name;
    };
    static const Name names[] = {
        {0x0002, "WM_DESTROY"},        {m::WM_SETFOCUS, "WM_SETFOCUS"},
        {m::WM_KILLFOCUS, "WM_KILLFOCUS"}, {m::WM_SETTEXT, "WM_SETTEXT"},
        {m::WM_GETTEXT, "WM_GETTEXT"}, {m::WM_GETTEXTLENGTH, "WM_GETTEXTLENGTH"},
        {m::WM_CLOSE, "WM_CLOSE"},     {0x0018, "WM_SHOWWINDOW"},
        {m::WM_KEYDOWN, "WM_KEYDOWN"}, {m::WM_KEYUP, "WM_KEYUP"},
        {m::WM_CHAR, "WM_CHAR"},       {m::WM_COMMAND, "WM_COMMAND"},
        {m::WM_SYSCOMMAND, "WM_SYSCOMMAND"}, {m::WM_TIMER, "WM_TIMER"},
        {m::WM_LBUTTONDOWN, "WM_LBUTTONDOWN"}, {m::WM_LBUTTONUP, "WM_LBUTTONUP"},
        {m::WM_USER, "WM_USER"},       {0x00B0, "EM_GETSEL"},
        {m::EM_SETSEL, "EM_SETSEL"},   {m::EM_GETLINECOUNT, "EM_GETLINECOUNT"},
        {m::EM_LINEINDEX, "EM_LINEINDEX"}, {m::EM_LINELENGTH, "EM_LINELENGTH"},
        {m::EM_GETLINE, "EM_GETLINE"}, {m::BM_GETCHECK, "BM_GETCHECK"},
        {m::BM_SETCHECK, "BM_SETCHECK"}, {0x00F2, "BM_GETSTATE"},
        {m::BM_SETSTATE, "BM_SETSTATE"}, {m::BM_CLICK, "BM_CLICK"},
        {m::CB_ADDSTRING, "CB_ADDSTRING"}, {m::CB_GETCOUNT, "CB_GETCOUNT"},
        {m::CB_GETCURSEL, "CB_GETCURSEL"}, {m::CB_GETLBTEXT, "CB_GETLBTEXT"},
        {m::CB_GETLBTEXTLEN, "CB_GETLBTEXTLEN"}, {0x014B, "CB_RESETCONTENT"},
        {m::CB_SETCURSEL, "CB_SETCURSEL"},
    };
    for (const auto& n : names) {
        if (n.number == message) return n.name;
    }
    char buffer[32];
    if (message >= 0xC000 && message <= 0xFFFF) {
        std::snprintf(buffer, sizeof buffer, "registered 0x%X", static_cast<unsigned>(message));
    } else {
        std::snprintf(buffer, sizeof buffer, "0x%04X", static_cast<unsigned>(message));
    }
    return buffer;
}

namespace {

std::string Hex(unsigned long long v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%llx", v);
    return buffer;
}

std::string Describe(const ExpectedMessage& e) {
    std::string s = e.posted ? (*e.posted ? "posted " : "sent ") : "sent/posted ";
    s += MessageName(e.message);
    s += " wParam=" + (e.wParam ? Hex(*e.wParam) : std::string("any"));
    s += " lParam=" + (e.lParam ? Hex(static_cast<unsigned long long>(*e.lParam)) : std::string("any"));
    if (e.optional) s += " (optional)";
    return s;
}

bool Matches(const RecordedMessage& r, const ExpectedMessage& e) {
    if (r.message != e.message) return false;
    if (e.wParam && *e.wParam != r.wParam) return false;
    if (e.lParam && *e.lParam != r.lParam) return false;
    if (e.posted && *e.posted != r.posted) return false;
    return true;
}

}  // namespace

std::string Describe(const RecordedMessage& r) {
    std::string s = r.posted ? "posted " : "sent ";
    s += MessageName(r.message);
    s += " wParam=" + Hex(r.wParam);
    s += " lParam=" + Hex(static_cast<unsigned long long>(r.lParam));
    if (!r.text.empty()) {
        s += " text=\"";
        for (char16_t c : r.text) {
            if (c >= 0x20 && c < 0x7F) {
                s.push_back(static_cast<char>(c));
            } else {
                char buffer[16];
                std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
                s += buffer;
            }
        }
        s += "\"";
    }
    s += " to " + Hex(static_cast<unsigned long long>(r.window));
    if (!r.fromPort) s += " (not from the port)";
    return s;
}

std::string DiffMessages(const std::vector<RecordedMessage>& actual, const std::vector<ExpectedMessage>& expected) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < actual.size() && j < expected.size()) {
        if (Matches(actual[i], expected[j])) {
            ++i;
            ++j;
        } else if (expected[j].optional) {
            ++j;
        } else {
            break;
        }
    }
    while (i == actual.size() && j < expected.size() && expected[j].optional) ++j;
    if (i == actual.size() && j == expected.size()) return std::string();

    std::ostringstream out;
    out << "message sequence differs at actual #" << i << " / expected #" << j << "\n";
    out << "expected (" << expected.size() << "):\n";
    for (std::size_t k = 0; k < expected.size(); ++k) {
        out << (k == j ? " => " : "    ") << k << ": " << Describe(expected[k]) << "\n";
    }
    if (j == expected.size()) out << " => (end)\n";
    out << "actual (" << actual.size() << "):\n";
    for (std::size_t k = 0; k < actual.size(); ++k) {
        out << (k == i ? " => " : "    ") << k << ": " << Describe(actual[k]) << "\n";
    }
    if (i == actual.size()) out << " => (end)\n";
    return out.str();
}

}  // namespace qm::testing
