#include "app/CommandLine.h"

#include "acquisition/PortBases.h"
#include "acquisition/ports/PortBus.h"
#include "app/DeviceBinding.h"
#include "app/PortsFile.h"
#include "common/Error.h"
#include "common/NumberText.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <string_view>

namespace kordel {

namespace {

constexpr int LongestSettle = 1000; // ms
constexpr std::size_t HelpColumn = 22;
constexpr std::size_t UsageWidth = 78;

// What an option is for, which decides the options it goes with.
enum class Use {
    Port,    // how the ports are reached: taken by the buses that list it
    Mode,    // --check, --samples: what to do instead of opening the window
    Address, // the port addresses, for the line check and the run without windows
    Run,     // the run without windows only
    Answer,  // answered without doing anything else
};

struct Option {
    std::string_view name;
    std::string_view value; // what the help calls the value; empty for a flag
    Use use;
    std::string_view help;                     // a line per line of the help
    std::string CommandLine::*field = nullptr; // where the text of a window field goes
    bool repeats = false;
    std::string_view needs = {}; // what a refusal says it needs, when more than the value
};

// Every option but the bus flags, in the order the help lists them.
const std::vector<Option>& options() {
    static const std::vector<Option> table{
        {"--device", "ADDR=PATH", Use::Port,
         "use serial device PATH for the port at hexadecimal\n"
         "address ADDR, e.g. --device 3F8=/dev/ttyUSB0",
         nullptr, true},
        {"--settle", "MS", Use::Port,
         "wait MS milliseconds (0 to 1000) after a line change\n"
         "before reading CTS, on every serial device; by default\n"
         "the wait is chosen per device from its driver (0 where\n"
         "none is needed)",
         nullptr, false, "MS, whole milliseconds from 0 to 1000"},
        {"--check", "", Use::Mode,
         "check both converter lines without a window, then exit:\n"
         "0 when both ports could be driven, else 1"},
        {"--samples", "N", Use::Mode,
         "measure N pairs without a window: channel 1, a tab and\n"
         "channel 2 on standard output, one line per pair",
         &CommandLine::samples},
        {"--recover", "", Use::Mode,
         "the last run that was interrupted, or whose pairs were\n"
         "not saved: its pairs on standard output as --samples\n"
         "gives them, or with --save its three files"},
        {"--pause", "MS", Use::Run, "wait MS milliseconds after each pair (default 0)",
         &CommandLine::pause},
        {"--multiplier1", "K", Use::Run, "multiply channel 1 by the integer K (default 1)",
         &CommandLine::multiplier1},
        {"--multiplier2", "K", Use::Run, "multiply channel 2 by the integer K (default 1)",
         &CommandLine::multiplier2},
        {"--com1", "HEX", Use::Address, "port address of channel 1 (default 3F8)",
         &CommandLine::com1},
        {"--com2", "HEX", Use::Address, "port address of channel 2 (default 2F8)",
         &CommandLine::com2},
        {"--save", "NAME", Use::Run, "write NAME(1).txt, NAME(2).txt and NAME.bmp instead"},
        {"--help", "", Use::Answer, "show this text"},
        {"--version", "", Use::Answer, "show the version"},
    };
    return table;
}

CommandLine refused(std::string reason) {
    CommandLine line;
    line.action = CommandLine::Action::Refuse;
    line.reason = std::move(reason);
    return line;
}

// "a", "a or b", "a, b or c"
std::string listed(const std::vector<std::string_view>& items, std::string_view conjunction) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += i == 0 ? "" : i + 1 == items.size() ? " " + std::string(conjunction) + " " : ", ";
        text += items[i];
    }
    return text;
}

// ---- tokens ----

QString nameOf(std::string_view option) {
    return QString::fromLatin1(option.substr(2).data(), static_cast<qsizetype>(option.size() - 2));
}

// Every byte as one character, so that a value comes back byte for byte, whatever the encoding
// of a path.
QStringList tokens(const std::vector<std::string>& arguments) {
    QStringList list{QStringLiteral("kordel")};
    for (const std::string& argument : arguments) {
        list << QString::fromLatin1(argument.data(), static_cast<qsizetype>(argument.size()));
    }
    return list;
}

std::string bytesOf(const QString& token) {
    return token.toLatin1().toStdString();
}

void addOptions(QCommandLineParser& parser) {
    for (const BusChoice& bus : busChoices()) {
        if (!bus.flag.empty()) {
            parser.addOption(QCommandLineOption(nameOf(bus.flag)));
        }
    }
    for (const Option& option : options()) {
        QCommandLineOption parsed(nameOf(option.name));
        if (!option.value.empty()) {
            parsed.setValueName(QString::fromLatin1(option.value.data(), option.value.size()));
        }
        parser.addOption(parsed);
    }
}

const Option* optionNamed(std::string_view name) {
    const auto found = std::find_if(options().begin(), options().end(),
                                    [name](const Option& option) { return option.name == name; });
    return found == options().end() ? nullptr : &*found;
}

std::string needsValue(const Option& option) {
    return std::string(option.name) + " needs " +
           std::string(option.needs.empty() ? option.value : option.needs);
}

bool isFlag(std::string_view name) {
    const auto& buses = busChoices();
    const Option* option = optionNamed(name);
    return (option != nullptr && option->value.empty()) ||
           std::any_of(buses.begin(), buses.end(), [name](const BusChoice& bus) {
               return !bus.flag.empty() && bus.flag == name;
           });
}

// The parser fails on an unknown option, a value missing at the end of the line, or a value
// given to a flag (--demo=yes).
std::string tokenError(const QCommandLineParser& parser,
                       const std::vector<std::string>& arguments) {
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty()) {
        const std::string name = bytesOf(unknown.front());
        return "unknown option '" + std::string(name.size() == 1 ? "-" : "--") + name + "'";
    }
    if (const Option* option = optionNamed(arguments.back()); option && !option->value.empty()) {
        return needsValue(*option);
    }
    for (const std::string& argument : arguments) {
        const std::string name = argument.substr(0, argument.find('='));
        if (name.size() < argument.size() && isFlag(name)) {
            return name + " takes no value";
        }
    }
    return bytesOf(parser.errorText());
}

bool isSet(const QCommandLineParser& parser, std::string_view option) {
    return parser.isSet(nameOf(option));
}

std::string valueOf(const QCommandLineParser& parser, std::string_view option) {
    return bytesOf(parser.value(nameOf(option)));
}

bool isInteger(const std::string& text, Use use) {
    try {
        if (use == Use::Address) {
            portBase(text);
        } else {
            parseInteger(text);
        }
        return true;
    } catch (const Error&) {
        return false;
    }
}

std::string notAnInteger(std::string_view option, const std::string& text) {
    return std::string(option) + ": " + errorBoxText(notAnIntegerText(text));
}

// ---- the ports ----

std::optional<int> parseSettle(const std::string& text) {
    int milliseconds = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, milliseconds);
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front())) ||
        error != std::errc() || stop != end || milliseconds > LongestSettle) {
        return std::nullopt;
    }
    return milliseconds;
}

std::string servesOnly(std::string_view option) {
    std::vector<std::string_view> takers;
    std::vector<std::string_view> others;
    for (const BusChoice& bus : busChoices()) {
        (bus.takesOption(option) ? takers : others).push_back(bus.name);
    }
    return std::string(option) + " serves only " + listed(takers, "and") + ", not " +
           listed(others, "or");
}

const BusChoice* chosenBus(const QCommandLineParser& parser, std::string& reason) {
    std::vector<std::string_view> flags;
    const BusChoice* chosen = &busChoices().front();
    for (const BusChoice& bus : busChoices()) {
        if (!bus.flag.empty() && isSet(parser, bus.flag)) {
            flags.push_back(bus.flag);
            chosen = &bus;
        }
    }
    if (flags.size() > 1) {
        reason = listed(flags, "and") + " exclude each other";
        return nullptr;
    }
    return chosen;
}

std::optional<std::string> choosePorts(const QCommandLineParser& parser, CommandLine& line) {
    std::string reason;
    const BusChoice* bus = chosenBus(parser, reason);
    if (bus == nullptr) {
        return reason;
    }
    line.bus = bus->kind;
    for (const QString& binding : parser.values(nameOf("--device"))) {
        if (auto refusal = addBinding(line.devices, bytesOf(binding), {})) {
            return refusal;
        }
    }
    if (isSet(parser, "--settle")) {
        const std::string settle = valueOf(parser, "--settle");
        if (!isInteger(settle, Use::Port)) {
            return notAnInteger("--settle", settle);
        }
        if (!(line.settle = parseSettle(settle))) {
            return needsValue(*optionNamed("--settle"));
        }
    }
    for (const Option& option : options()) {
        if (option.use == Use::Port && isSet(parser, option.name) &&
            !bus->takesOption(option.name)) {
            return servesOnly(option.name);
        }
    }
    return std::nullopt;
}

bool givesPortOptions(const QCommandLineParser& parser) {
    const auto& buses = busChoices();
    return std::any_of(buses.begin(), buses.end(),
                       [&](const BusChoice& bus) {
                           return !bus.flag.empty() && isSet(parser, bus.flag);
                       }) ||
           std::any_of(options().begin(), options().end(), [&](const Option& option) {
               return option.use == Use::Port && isSet(parser, option.name);
           });
}

// The command line's port options, else those of the ports file.
std::optional<std::string> takePorts(const QCommandLineParser& parser, CommandLine& line) {
    if (!givesPortOptions(parser)) {
        return readPortsFile(line.portsFile, line);
    }
    line.portsFrom = CommandLine::PortsFrom::CommandLine;
    return choosePorts(parser, line);
}

// ---- what to do ----

// --samples makes the line a run without windows, the only one the run's options serve.
std::optional<std::string> chooseAction(const QCommandLineParser& parser, CommandLine& line) {
    const bool check = isSet(parser, "--check");
    const bool samples = isSet(parser, "--samples");
    const bool recover = isSet(parser, "--recover");
    if (check && samples) {
        return "--samples and --check exclude each other";
    }
    if (recover && (check || samples)) {
        return std::string(samples ? "--samples" : "--check") + " and --recover exclude each other";
    }
    line.action = check     ? CommandLine::Action::Check
                  : samples ? CommandLine::Action::Measure
                  : recover ? CommandLine::Action::Recover
                            : CommandLine::Action::Run;
    for (const Option& option : options()) {
        const bool recovered = recover && option.name == "--save";
        if (option.use == Use::Run && !samples && !recovered && isSet(parser, option.name)) {
            return std::string(option.name) + " needs --samples";
        }
    }
    for (const Option& option : options()) {
        const bool addressed = line.action == CommandLine::Action::Check ||
                               line.action == CommandLine::Action::Measure;
        if (option.use == Use::Address && !addressed && isSet(parser, option.name)) {
            return "--com1 and --com2 serve only --samples and --check";
        }
    }
    return std::nullopt;
}

// The fields' texts stay as typed, for the run's own conversion; one that is no integer at all
// is a wrong command line, found before any line is touched.
std::optional<std::string> takeFields(const QCommandLineParser& parser, CommandLine& line) {
    for (const Option& option : options()) {
        if (option.field != nullptr && isSet(parser, option.name)) {
            line.*option.field = valueOf(parser, option.name);
            if (!isInteger(line.*option.field, option.use)) {
                return notAnInteger(option.name, line.*option.field);
            }
        }
    }
    if (isSet(parser, "--save")) {
        line.save = valueOf(parser, "--save");
    }
    return std::nullopt;
}

// ---- the help ----

std::string usageOf(const Option& option) {
    std::string text = "[" + std::string(option.name);
    if (!option.value.empty()) {
        text += " " + std::string(option.value);
    }
    return text + (option.repeats ? "]..." : "]");
}

// `words` after `first`, wrapped at the usage width onto lines that start with `indent`.
std::string wrapped(std::string first, const std::vector<std::string>& words,
                    const std::string& indent) {
    std::string text;
    std::string line = std::move(first);
    for (const std::string& word : words) {
        if (line.size() + 1 + word.size() > UsageWidth) {
            text += line + "\n";
            line = indent;
        } else {
            line += " ";
        }
        line += word;
    }
    return text + line + "\n";
}

// The options of the given uses in the table's order, then `last`.
std::vector<std::string> usagesOf(std::initializer_list<Use> uses, std::string last = "") {
    std::vector<std::string> words;
    for (const Option& option : options()) {
        if (std::find(uses.begin(), uses.end(), option.use) != uses.end()) {
            words.push_back(usageOf(option));
        }
    }
    if (!last.empty()) {
        words.push_back(std::move(last));
    }
    return words;
}

std::string portsSynopsis() {
    std::vector<std::string_view> flags;
    for (const BusChoice& bus : busChoices()) {
        if (!bus.flag.empty()) {
            flags.push_back(bus.flag);
        }
    }
    std::string buses;
    for (const std::string_view flag : flags) {
        buses += (buses.empty() ? "[" : " | ") + std::string(flag);
    }
    std::vector<std::string> words{buses + "]"};
    const std::vector<std::string> portOptions = usagesOf({Use::Port});
    words.insert(words.end(), portOptions.begin(), portOptions.end());
    return wrapped("PORTS:", words, "       ");
}

std::string helpLine(std::string_view name, std::string_view value, std::string_view help) {
    std::string label = "  " + std::string(name);
    if (!value.empty()) {
        label += " " + std::string(value);
    }
    std::string text =
        label + std::string(HelpColumn - std::min(HelpColumn - 1, label.size()), ' ');
    for (std::size_t start = 0; start <= help.size();) {
        const std::size_t end = std::min(help.find('\n', start), help.size());
        text += (start == 0 ? "" : std::string(HelpColumn, ' ')) +
                std::string(help.substr(start, end - start)) + "\n";
        start = end + 1;
    }
    return text;
}

const std::string Indent(14, ' '); // under the first option of a usage line

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments,
                             const std::filesystem::path& portsFile) {
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(tokens(arguments))) {
        return refused(tokenError(parser, arguments));
    }
    if (const QStringList rest = parser.positionalArguments(); !rest.isEmpty()) {
        return refused("unexpected argument '" + bytesOf(rest.front()) + "'");
    }
    CommandLine line;
    line.portsFile = portsFile;
    if (isSet(parser, "--help") || isSet(parser, "--version")) {
        line.action = isSet(parser, "--help") ? CommandLine::Action::ShowHelp
                                              : CommandLine::Action::ShowVersion;
        return line;
    }
    for (const auto& rule : {takePorts, chooseAction, takeFields}) {
        if (const auto reason = rule(parser, line)) {
            return refused(*reason);
        }
    }
    return line;
}

std::string usageText() {
    std::string text =
        "Usage: kordel [PORTS]                  the main window\n" +
        wrapped("       kordel --check", usagesOf({Use::Address}, "[PORTS]"), Indent) +
        wrapped("       kordel --samples N", usagesOf({Use::Run, Use::Address}, "[PORTS]"),
                Indent) +
        "       kordel --recover [--save NAME]\n" + portsSynopsis();
    for (const BusChoice& bus : busChoices()) {
        text += helpLine(bus.flag.empty() ? "(no option)" : bus.flag, "", bus.help);
    }
    for (const Option& option : options()) {
        text += helpLine(option.name, option.value, option.help);
    }
    return text + portsFileHelp();
}

std::string portsOriginText(const CommandLine& line) {
    switch (line.portsFrom) {
    case CommandLine::PortsFrom::CommandLine:
        return "port options: from the command line\n";
    case CommandLine::PortsFrom::PortsFile:
        return "port options: from " + line.portsFile.string() + "\n";
    case CommandLine::PortsFrom::Defaults:
        break;
    }
    return "port options: none" +
           (line.portsFile.empty() ? "" : ", and no file " + line.portsFile.string()) + "\n";
}

std::string versionText() {
    return "kordel " KORDEL_VERSION "\n";
}

std::optional<int> answerWithoutWindows(const CommandLine& line, std::ostream& out,
                                        std::ostream& err) {
    switch (line.action) {
    case CommandLine::Action::Run:
    case CommandLine::Action::Measure:
    case CommandLine::Action::Check:
    case CommandLine::Action::Recover:
        return std::nullopt;
    case CommandLine::Action::ShowHelp:
        out << usageText();
        return 0;
    case CommandLine::Action::ShowVersion:
        out << versionText();
        return 0;
    case CommandLine::Action::Refuse:
        err << "kordel: " << line.reason << "\nTry 'kordel --help' for more information.\n";
        return UsageErrorStatus;
    }
    return UsageErrorStatus;
}

} // namespace kordel
