#include "sim/kit/options.h"

#include <utility>

#include "sim/kit/text.h"

namespace qm::sim::kit {
namespace {

constexpr std::size_t kColumn = 25;  // where the help of an option starts, after two blanks

// One entry of the help: "  NAME META" padded to the column, then the help;
// continuation lines line up under it.
std::u16string HelpLine(const std::u16string& head, const std::u16string& help) {
    std::u16string out = u"  " + head;
    out.append(head.size() < kColumn ? kColumn - head.size() : 1, u' ');
    for (char16_t c : help) {
        out.push_back(c);
        if (c == u'\n') out.append(kColumn + 2, u' ');
    }
    out.push_back(u'\n');
    return out;
}

std::u16string DecimalText(std::uint32_t value) {
    std::u16string out;
    do {
        out.insert(out.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value > 0);
    return out;
}

}  // namespace

OptionParser::OptionParser(std::u16string program, std::u16string summary)
    : program_(std::move(program)), summary_(std::move(summary)) {
    Option version;
    version.name = u"--version";
    version.help = u"print the program's name and version";
    tail_.push_back(std::move(version));
    Option help;
    help.name = u"--help";
    help.help = u"this text";
    tail_.push_back(std::move(help));
}

void OptionParser::Add(std::vector<Option>& list, Option option) {
    // The tail ends with --version and --help; everything else goes before them.
    if (&list == &tail_) list.insert(list.end() - 2, std::move(option));
    else list.push_back(std::move(option));
}

void OptionParser::Common(CommonOptions& o, std::u16string openOrderHelp) {
    Add(head_, {u"--orders-file", u"PATH", u"write the stored orders as JSON to PATH on every change",
                [&o](const std::u16string& v) {
                    o.ordersFile = v;
                    return !v.empty();
                },
                u"--orders-file needs a path"});
    Add(head_, {u"--open-order", u"PATH", std::move(openOrderHelp),
                [&o](const std::u16string& v) {
                    o.openOrderFile = v;
                    return !v.empty();
                },
                u"--open-order needs a path"});
    Add(head_, {u"--omit", u"TEXT",
                u"never create windows whose text or class is TEXT (and\ntheir children); repeatable.",
                [&o](const std::u16string& v) {
                    o.omit.push_back(v);
                    return true;
                },
                u"--omit needs a window text or class"});
    Add(tail_, {u"--hang-after-command", u"ID", u"stop answering after handling WM_COMMAND with this id",
                [&o](const std::u16string& v) {
                    const auto id = ReadCount(v);
                    if (!id || *id > 0xFFFF) return false;
                    o.hangAfterCommand = static_cast<int>(*id);
                    return true;
                },
                u"--hang-after-command needs a command id (0-65535)"});
    Add(tail_, {u"--hang-ms", u"MS", u"how long the program stays hung (" + DecimalText(o.hangMs) + u")",
                [&o](const std::u16string& v) {
                    const auto n = ReadCount(v);
                    if (n) o.hangMs = *n;
                    return n.has_value();
                },
                u"--hang-ms needs milliseconds"});
}

void OptionParser::Flag(std::u16string name, std::u16string help, bool& out, bool value) {
    Add(own_, {std::move(name), u"", std::move(help), [&out, value](const std::u16string&) {
                   out = value;
                   return true;
               }, u""});
}

void OptionParser::Delay(std::u16string name, std::u16string help, std::uint32_t& out) {
    std::u16string needs = name + u" needs milliseconds";
    Add(own_, {std::move(name), u"MS", help + u" (" + DecimalText(out) + u")",
               [&out](const std::u16string& v) {
                   const auto n = ReadCount(v);
                   if (n) out = *n;
                   return n.has_value();
               },
               std::move(needs)});
}

void OptionParser::Text(std::u16string name, std::u16string meta, std::u16string help, std::u16string& out,
                        bool nonEmpty) {
    Add(own_, {std::move(name), std::move(meta), std::move(help), [&out, nonEmpty](const std::u16string& v) {
                   out = v;
                   return !nonEmpty || !v.empty();
               }, u""});
}

void OptionParser::Value(std::u16string name, std::u16string meta, std::u16string help,
                         std::function<bool(const std::u16string&)> take, std::u16string needs) {
    Add(own_, {std::move(name), std::move(meta), std::move(help), std::move(take), std::move(needs)});
}

void OptionParser::Command(std::u16string what, std::u16string help) {
    commands_.emplace_back(std::move(what), std::move(help));
}

void OptionParser::Section(std::u16string text) { sections_.push_back(std::move(text)); }

ParseOutcome OptionParser::Parse(const std::vector<std::u16string>& args) const {
    ParseOutcome r;
    auto find = [this](const std::u16string& name) -> const Option* {
        for (const std::vector<Option>* list : {&head_, &own_, &tail_})
            for (const Option& o : *list)
                if (o.name == name) return &o;
        return nullptr;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::u16string& a = args[i];
        if (a == u"--help" || a == u"-h" || a == u"/?") {
            r.help = true;
            continue;
        }
        if (a == u"--version") {
            r.version = true;
            continue;
        }
        const Option* o = find(a);
        if (!o) {
            r.error = u"unknown option: " + a;
            return r;
        }
        const std::u16string needs = o->needs.empty() ? o->name + u" needs " + o->meta : o->needs;
        if (o->meta.empty()) {
            o->take(u"");
            continue;
        }
        if (i + 1 >= args.size() || !o->take(args[++i])) {
            r.error = needs;
            return r;
        }
    }
    return r;
}

std::u16string OptionParser::Help() const {
    std::u16string out = program_ + u": " + summary_ + u"\n\nOptions:\n";
    for (const std::vector<Option>* list : {&head_, &own_, &tail_})
        for (const Option& o : *list) out += HelpLine(o.meta.empty() ? o.name : o.name + u" " + o.meta, o.help);
    out += u"\nCommands at the main window (WM_COMMAND, low word):\n";
    out += HelpLine(u"0x7001", u"write the orders file now");
    out += HelpLine(u"0x7002", u"stop answering for --hang-ms");
    out += HelpLine(u"0x7100 + k", u"show stored order k (0-based) in a filled entry window");
    for (const auto& [what, help] : commands_) out += HelpLine(what, help);
    for (const std::u16string& s : sections_) out += u"\n" + s;
    return out;
}

}  // namespace qm::sim::kit
