// Reads the command lines that the print UI stand-in gets from rundll32 (PrintUIEntry switches).
#include "StandInCommand.h"

namespace standin {
namespace {

constexpr wchar_t kSwitchMark = L'/';
constexpr wchar_t kQuote = L'"';

struct Token {
    std::wstring text; // quotes removed; a switch keeps its slash
    bool isSwitch = false;
};

bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Splits the line into words at blanks outside double quotes. A word that starts with an
// unquoted slash is a switch. Stops with false at an unclosed quote.
bool tokenize(const std::wstring& line, std::vector<Token>& tokens, std::wstring& error) {
    tokens.clear();
    size_t i = 0;
    for (;;) {
        while (i < line.size() && isBlank(line[i])) {
            ++i;
        }
        if (i == line.size()) {
            return true;
        }
        Token token;
        token.isSwitch = line[i] == kSwitchMark;
        bool inQuotes = false;
        for (; i < line.size() && (inQuotes || !isBlank(line[i])); ++i) {
            if (line[i] == kQuote) {
                inQuotes = !inQuotes;
            } else {
                token.text += line[i];
            }
        }
        if (inQuotes) {
            error = L"a double quote is not closed";
            return false;
        }
        tokens.push_back(token);
    }
}

// What a switch this parser knows does.
enum class Role { Action, Quiet, Value };

struct KnownSwitch {
    const wchar_t* name; // without the slash
    Role role;
    Action action;                // for Role::Action
    std::wstring Command::*value; // for Role::Value
};

const KnownSwitch kSwitches[] = {
    {L"if", Role::Action, Action::InstallPrinter, nullptr},
    {L"y", Role::Action, Action::SetDefault, nullptr},
    {L"k", Role::Action, Action::TestPage, nullptr},
    {L"q", Role::Quiet, Action::InstallPrinter, nullptr},
    {L"n", Role::Value, Action::InstallPrinter, &Command::printer},
    {L"f", Role::Value, Action::InstallPrinter, &Command::inf},
    {L"r", Role::Value, Action::InstallPrinter, &Command::port},
    {L"m", Role::Value, Action::InstallPrinter, &Command::model},
};

// The switch with exactly this name, or else a one-letter value switch that the name starts
// with (its value attached); null for a switch we do not know.
const KnownSwitch* findSwitch(const std::wstring& name, std::wstring& attached) {
    attached.clear();
    for (const KnownSwitch& known : kSwitches) {
        if (name == known.name) {
            return &known;
        }
    }
    for (const KnownSwitch& known : kSwitches) {
        if (known.role == Role::Value && name.size() > 1 && name[0] == known.name[0]) {
            attached = name.substr(1);
            return &known;
        }
    }
    return nullptr;
}

// The values each action needs, in the order the message names them.
struct Needs {
    Action action;
    std::vector<std::pair<const wchar_t*, std::wstring Command::*>> values;
};

const Needs kNeeds[] = {
    {Action::InstallPrinter,
     {{L"/n", &Command::printer},
      {L"/f", &Command::inf},
      {L"/r", &Command::port},
      {L"/m", &Command::model}}},
    {Action::SetDefault, {{L"/n", &Command::printer}}},
    {Action::TestPage, {{L"/n", &Command::printer}}},
};

} // namespace

bool parseCommand(const std::wstring& line, Command& command, std::wstring& error) {
    command = Command();
    std::vector<Token> tokens;
    if (!tokenize(line, tokens, error)) {
        return false;
    }
    bool haveAction = false;
    std::vector<std::wstring Command::*> given;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (!token.isSwitch) {
            error = L"\"" + token.text + L"\" belongs to no switch";
            return false;
        }
        const std::wstring name = token.text.substr(1);
        const bool valueFollows = i + 1 < tokens.size() && !tokens[i + 1].isSwitch;
        std::wstring attached;
        const KnownSwitch* known = findSwitch(name, attached);
        if (!known) {
            if (valueFollows) {
                ++i; // an unknown switch's value
            }
            continue;
        }
        switch (known->role) {
        case Role::Quiet:
            command.quiet = true;
            break;
        case Role::Action:
            if (haveAction) {
                error = L"more than one action (" + token.text + L")";
                return false;
            }
            haveAction = true;
            command.action = known->action;
            break;
        case Role::Value:
            for (std::wstring Command::*value : given) {
                if (value == known->value) {
                    error = L"/" + std::wstring(known->name) + L" is given twice";
                    return false;
                }
            }
            if (attached.empty() && !valueFollows) {
                error = L"/" + std::wstring(known->name) + L" has no value";
                return false;
            }
            command.*(known->value) = attached.empty() ? tokens[++i].text : attached;
            given.push_back(known->value);
            break;
        }
    }
    if (!haveAction) {
        error = L"no action (/if, /y or /k)";
        return false;
    }
    for (const Needs& needs : kNeeds) {
        if (needs.action != command.action) {
            continue;
        }
        for (const auto& [name, value] : needs.values) {
            if ((command.*value).empty()) {
                error = std::wstring(name) + L" is missing or empty";
                return false;
            }
        }
    }
    return true;
}

std::vector<std::wstring> switchesOf(const std::wstring& line) {
    std::vector<Token> tokens;
    std::wstring error;
    // On an open quote, tokenize keeps the words before it: the switches read so far.
    tokenize(line, tokens, error);
    std::vector<std::wstring> switches;
    for (const Token& token : tokens) {
        if (token.isSwitch) {
            switches.push_back(token.text);
        }
    }
    return switches;
}

} // namespace standin
