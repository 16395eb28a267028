// The command line every substitute shares, and the parser a substitute adds
// its own options to.
//
//   kit::OptionParser parser(u"logid2-sim", u"a substitute for the LogiD2 dispatch program ...");
//   parser.Common(options);                              // --orders-file ... --hang-ms
//   parser.Flag(u"--alt-cancel", u"the cancel button reads ...", options.altCancel);
//   parser.Delay(u"--entry-delay", u"the entry window appears MS after ...", options.entryDelayMs);
//   parser.Value(u"--branch", u"NUMBER=NAME", u"add a branch", [&](const std::u16string& v) {...});
//   const kit::ParseOutcome r = parser.Parse(args);      // r.help, r.error
//
// The help text lists the shared head options (--orders-file, --open-order,
// --omit), then the program's own in the order added, then --hang-after-command,
// --hang-ms, --version and --help, then the commands at the main window (the shared ones
// and the program's) and the program's further sections.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm::sim::kit {

// What every substitute can be told.
struct CommonOptions {
    // Windows whose text or class is one of these are never created (a missing
    // anchor). Leaving out a window leaves out its children.
    std::vector<std::u16string> omit;
    std::optional<int> hangAfterCommand;  // stop answering after a WM_COMMAND with this id
    std::uint32_t hangMs = 600000;        // how long a hang lasts
    std::u16string ordersFile;     // written on every change when set
    std::u16string openOrderFile;  // an order (JSON) loaded at start and shown in a filled entry window
};

// The commands every substitute's main window answers (WM_COMMAND, low word,
// notification code 0), besides the program's own.
constexpr int kCmdWriteOrders = 0x7001;    // write the orders file now
constexpr int kCmdHang = 0x7002;           // stop answering for hangMs
constexpr int kCmdOpenOrderBase = 0x7100;  // + k: show stored order k (0-based) in a filled entry window
constexpr int kMaxOpenableOrders = 0x100;

struct ParseOutcome {
    bool help = false;
    bool version = false;  // --version: print the program's name and version
    std::u16string error;  // empty when the command line was understood
};

class OptionParser {
public:
    // program: the executable's name ("logid2-sim"); summary: the first lines of
    // the help text after "program: ".
    OptionParser(std::u16string program, std::u16string summary);

    // The shared options, stored into options. openOrderHelp says what the
    // program does with --open-order (its own name for the filled window).
    void Common(CommonOptions& options, std::u16string openOrderHelp);

    // A switch. help may hold "\n" for continuation lines.
    void Flag(std::u16string name, std::u16string help, bool& out, bool value = true);
    // Milliseconds: the help is followed by " (default)".
    void Delay(std::u16string name, std::u16string help, std::uint32_t& out);
    // A text; an empty one is accepted unless nonEmpty.
    void Text(std::u16string name, std::u16string meta, std::u16string help, std::u16string& out,
              bool nonEmpty = false);
    // Any value: take returns false when the value is not understood, and the
    // error is "<name> needs <meta>" (or needs, when given).
    void Value(std::u16string name, std::u16string meta, std::u16string help,
               std::function<bool(const std::u16string&)> take, std::u16string needs = {});

    // A line under "Commands at the main window" after the shared ones.
    void Command(std::u16string what, std::u16string help);
    // A free section at the end of the help text (its own heading and lines).
    void Section(std::u16string text);

    ParseOutcome Parse(const std::vector<std::u16string>& args) const;
    std::u16string Help() const;
    const std::u16string& Program() const { return program_; }

private:
    struct Option {
        std::u16string name;
        std::u16string meta;  // empty: a switch
        std::u16string help;
        std::function<bool(const std::u16string&)> take;
        std::u16string needs;
    };
    void Add(std::vector<Option>& list, Option option);

    std::u16string program_;
    std::u16string summary_;
    std::vector<Option> head_, own_, tail_;
    std::vector<std::pair<std::u16string, std::u16string>> commands_;
    std::vector<std::u16string> sections_;
};

}  // namespace qm::sim::kit
