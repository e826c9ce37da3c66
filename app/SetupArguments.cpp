// Splitting the command line as Windows does, and reading the setup's switches from it.
#include "app/SetupArguments.h"

namespace {
constexpr WChar kQuote = WTEXT('"');
constexpr WChar kBackslash = WTEXT('\\');
constexpr WChar kBlank = WTEXT(' ');
constexpr WChar kTab = WTEXT('\t');

bool IsBlank(WChar c) {
    return c == kBlank || c == kTab;
}

std::size_t SkipBlanks(const WString& line, std::size_t next) {
    while (next < line.size() && IsBlank(line[next])) {
        ++next;
    }
    return next;
}

// The program's name, from `next` on, as Windows reads it: a quoted name ends at the next
// quote, whatever follows it, and an unquoted one at the first blank or tab; backslashes are
// part of the path, since a folder's path may well end in one just before a quote.
WString ReadProgramName(const WString& line, std::size_t& next) {
    if (line[next] == kQuote) {
        const std::size_t close = line.find(kQuote, next + 1);
        const std::size_t end = close == WString::npos ? line.size() : close;
        const WString name = line.substr(next + 1, end - next - 1);
        next = end == line.size() ? end : end + 1;
        return name;
    }
    const std::size_t start = next;
    while (next < line.size() && !IsBlank(line[next])) {
        ++next;
    }
    return line.substr(start, next - start);
}

// One argument after the program's name, from `next` on.
WString ReadArgument(const WString& line, std::size_t& next) {
    WString argument;
    bool quoted = false;
    std::size_t backslashes = 0; // met since the last other character, not yet written
    for (; next < line.size(); ++next) {
        const WChar c = line[next];
        if (c == kBackslash) {
            ++backslashes;
            continue;
        }
        if (c != kQuote) {
            argument.append(backslashes, kBackslash);
            backslashes = 0;
            if (!quoted && IsBlank(c)) {
                break;
            }
            argument.push_back(c);
            continue;
        }
        argument.append(backslashes / 2, kBackslash);
        const bool escaped = backslashes % 2 == 1;
        backslashes = 0;
        if (escaped) {
            argument.push_back(kQuote);
        } else if (quoted && next + 1 < line.size() && line[next + 1] == kQuote) {
            // "" inside quotes is a quote of the text, and quoting ends there, as
            // CommandLineToArgvW has it (the C runtime's own reader stays quoted).
            argument.push_back(kQuote);
            ++next;
            quoted = false;
        } else {
            quoted = !quoted;
        }
    }
    argument.append(backslashes, kBackslash);
    return argument;
}
} // namespace

std::vector<WString> SplitCommandLine(const WString& commandLine) {
    std::vector<WString> arguments;
    if (commandLine.empty()) {
        return arguments;
    }
    std::size_t next = 0;
    arguments.push_back(ReadProgramName(commandLine, next));
    for (next = SkipBlanks(commandLine, next); next < commandLine.size();
         next = SkipBlanks(commandLine, next)) {
        arguments.push_back(ReadArgument(commandLine, next));
    }
    return arguments;
}

namespace {
constexpr WChar kSlash = WTEXT('/');
constexpr WChar kDash = WTEXT('-');

// One name of a switch: what it sets, and where its value goes (null for a switch without one).
// A switch with several names shares one `given`, so that giving it twice under two of its
// names is caught like giving it twice under one.
struct SwitchName {
    const WChar* name; // in small letters
    bool SetupArguments::*given;
    WString SetupArguments::*value;
};

const SwitchName kSwitches[] = {
    {WTEXT("?"), &SetupArguments::help, nullptr},
    {WTEXT("help"), &SetupArguments::help, nullptr},
    {WTEXT("quiet"), &SetupArguments::quiet, nullptr},
    {WTEXT("q"), &SetupArguments::quiet, nullptr},
    {WTEXT("silent"), &SetupArguments::quiet, nullptr},
    {WTEXT("s"), &SetupArguments::quiet, nullptr},
    {WTEXT("uninstall"), &SetupArguments::uninstall, nullptr},
    {WTEXT("nodefault"), &SetupArguments::noDefault, nullptr},
    {WTEXT("model"), &SetupArguments::hasModel, &SetupArguments::model},
    {WTEXT("port"), &SetupArguments::hasPort, &SetupArguments::port},
    {WTEXT("log"), &SetupArguments::hasLog, &SetupArguments::logPath},
};

// ASCII capitals as small letters: switch names are ASCII, and users type them in any case.
WChar SmallLetter(WChar c) {
    return c >= WTEXT('A') && c <= WTEXT('Z') ? static_cast<WChar>(c - WTEXT('A') + WTEXT('a')) : c;
}

// The switch that `argument` names, or null for a plain word or an unknown switch.
const SwitchName* FindSwitch(const WString& argument) {
    if (argument.empty() || (argument[0] != kSlash && argument[0] != kDash)) {
        return nullptr;
    }
    WString name;
    for (std::size_t i = 1; i < argument.size(); ++i) {
        name.push_back(SmallLetter(argument[i]));
    }
    for (const SwitchName& known : kSwitches) {
        if (name == known.name) {
            return &known;
        }
    }
    return nullptr;
}

// Whether the switches make one sensible run: an unattended install names its model, an
// unattended removal names its model and nothing else, and the model, the port and the
// default-printer choice mean nothing to the wizard.
bool MakeSense(const SetupArguments& parsed) {
    const bool unattended = parsed.quiet || parsed.uninstall;
    const bool installOnly = parsed.hasPort || parsed.noDefault;
    return unattended == parsed.hasModel && (!installOnly || (parsed.quiet && !parsed.uninstall));
}
} // namespace

ArgumentsVerdict ReadSetupArguments(const std::vector<WString>& arguments, SetupArguments& parsed) {
    parsed = SetupArguments();
    if (arguments.empty()) {
        return ArgumentsVerdict::Wizard;
    }
    // Read to the end even past a mistake, so that a request for help anywhere is seen.
    SetupArguments read;
    bool wrong = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const SwitchName* given = FindSwitch(arguments[i]);
        if (given == nullptr || read.*given->given) {
            wrong = true;
            continue;
        }
        read.*given->given = true;
        if (given->value != nullptr) {
            if (i + 1 == arguments.size()) {
                wrong = true;
                break;
            }
            read.*given->value = arguments[++i];
        }
    }
    // What was read stays, also for a wrong command line: a quiet run stays quiet.
    parsed = read;
    if (read.help) {
        return ArgumentsVerdict::Help;
    }
    if (wrong || !MakeSense(read)) {
        return ArgumentsVerdict::Wrong;
    }
    return ArgumentsVerdict::Run;
}
