// Reads a steps file for the wizard driver: one step per line, checked before anything runs.
#include "StepFile.h"

#include "Text.h"
#include "UsbSteps.h"

#include <algorithm>
#include <cwctype>
#include <iterator>

namespace driver {
namespace {

// Control ids are 16-bit in dialog templates.
constexpr long kMaxControlId = 0xFFFF;
// A sleep step longer than this is surely a typo, and a test has 60 s in all.
constexpr long kMaxSleepMs = 30000;
// Counts of log lines stay far below this.
constexpr long kMaxCount = 1000;
// Enough digits for all limits above, few enough that a long cannot overflow.
constexpr size_t kMaxDigits = 9;
// Registry numbers and exit codes: anything that many digits can say.
constexpr long kMaxDword = 999999999;
constexpr long kDecimalBase = 10;
// The printer settings' numbers: winspool.h's MAX_PRIORITY, the last minute of a day, the
// largest short (DEVMODE's paper size) and DMORIENT_LANDSCAPE.
constexpr long kMaxPriority = 99;
constexpr long kLastMinute = 24 * 60 - 1;
constexpr long kMaxShort = 32767;
constexpr long kMaxOrientation = 2;
// The maximum of a printer setting that is a text, not a number.
constexpr long kText = -1;

const std::string kUtf8Bom = "\xEF\xBB\xBF";

// The words of the steps file for an enum's values.
template <typename Value> struct Named {
    const wchar_t* name;
    Value value;
};

constexpr Named<WizardButton> kButtons[] = {
    {L"back", WizardButton::Back},     {L"next", WizardButton::Next},
    {L"finish", WizardButton::Finish}, {L"cancel", WizardButton::Cancel},
    {L"help", WizardButton::Help},
};

constexpr Named<ButtonState> kStates[] = {
    {L"enabled", ButtonState::Enabled},
    {L"disabled", ButtonState::Disabled},
    {L"hidden", ButtonState::Hidden},
    {L"visible", ButtonState::Visible},
};

constexpr Named<CloseWay> kCloseWays[] = {
    {L"titlebar", CloseWay::TitleBar},
    {L"altf4", CloseWay::AltF4},
    {L"escape", CloseWay::Escape},
};

constexpr Named<PrintUiMode> kPrintUiModes[] = {
    {L"fail-port", PrintUiMode::FailPort},
    {L"fail-all", PrintUiMode::FailAll},
    {L"delay", PrintUiMode::Delay},
    {L"normal", PrintUiMode::Normal},
};

struct FieldSyntax {
    const wchar_t* name;
    PrinterField field;
    long maximum; // kText for a text
};

constexpr FieldSyntax kPrinterFields[] = {
    {L"comment", PrinterField::Comment, kText},
    {L"location", PrinterField::Location, kText},
    {L"share", PrinterField::Share, kText},
    {L"separator", PrinterField::Separator, kText},
    {L"priority", PrinterField::Priority, kMaxPriority},
    {L"default-priority", PrinterField::DefaultPriority, kMaxPriority},
    {L"start", PrinterField::Start, kLastMinute},
    {L"until", PrinterField::Until, kLastMinute},
    {L"paper", PrinterField::Paper, kMaxShort},
    {L"orientation", PrinterField::Orientation, kMaxOrientation},
};

// The table's entry for the word, or null.
template <typename Value, size_t N>
const Named<Value>* byName(const Named<Value> (&table)[N], const std::wstring& name) {
    for (const Named<Value>& entry : table) {
        if (name == entry.name) {
            return &entry;
        }
    }
    return nullptr;
}

template <typename Value, size_t N>
const wchar_t* nameOf(const Named<Value> (&table)[N], Value value) {
    for (const Named<Value>& entry : table) {
        if (entry.value == value) {
            return entry.name;
        }
    }
    return L"?";
}

// Splits off the text before the first blank; rest gets what follows that blank.
std::wstring firstWord(const std::wstring& text, std::wstring& rest) {
    const size_t blank = text.find(L' ');
    if (blank == std::wstring::npos) {
        rest.clear();
        return text;
    }
    rest = text.substr(blank + 1);
    return text.substr(0, blank);
}

bool unescape(const std::wstring& text, std::wstring& result, std::wstring& error) {
    result.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\') {
            result += text[i];
            continue;
        }
        if (i + 1 == text.size()) {
            error = L"a lone backslash ends the line (write \\\\ for a backslash)";
            return false;
        }
        const wchar_t next = text[++i];
        if (next == L'n') {
            result += L'\n';
        } else if (next == L's') {
            result += L' ';
        } else if (next == L'\\') {
            result += L'\\';
        } else {
            error = std::wstring(L"unknown escape \\") + next + L" (only \\n, \\s and \\\\ exist)";
            return false;
        }
    }
    return true;
}

bool parseNumber(const std::wstring& text, long maximum, int& value, std::wstring& error) {
    if (text.empty() || text.size() > kMaxDigits) {
        error = L"expected a decimal number, got " + quoted(text);
        return false;
    }
    long number = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            error = L"expected a decimal number, got " + quoted(text);
            return false;
        }
        number = number * kDecimalBase + (c - L'0');
    }
    if (number > maximum) {
        error = L"number " + text + L" is larger than " + std::to_wstring(maximum);
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

bool parseButton(const std::wstring& text, bool allowHelp, WizardButton& button,
                 std::wstring& error) {
    const Named<WizardButton>* entry = byName(kButtons, text);
    if (entry && (allowHelp || entry->value != WizardButton::Help)) {
        button = entry->value;
        return true;
    }
    error =
        L"unknown button " + quoted(text) +
        (allowHelp ? L" (back, next, finish, cancel or help)" : L" (back, next, finish or cancel)");
    return false;
}

bool parseState(const std::wstring& text, ButtonState& state, std::wstring& error) {
    const Named<ButtonState>* entry = byName(kStates, text);
    if (!entry) {
        error =
            L"unknown button state " + quoted(text) + L" (enabled, disabled, hidden or visible)";
        return false;
    }
    state = entry->value;
    return true;
}

bool isValidFileName(const std::wstring& name) {
    if (name.empty()) {
        return false;
    }
    for (wchar_t c : name) {
        if (c < L' ' || std::wstring(L"\\/:*?\"<>|").find(c) != std::wstring::npos) {
            return false;
        }
    }
    return true;
}

// Splits "a|b|c" into its items; an empty text is one empty item.
std::vector<std::wstring> splitItems(const std::wstring& text) {
    return split(text, L'|');
}

// Each step's arguments are read by one of these; `command` is for messages.
using ArgumentParser = bool (*)(const std::wstring& command, const std::wstring& rest, Step& step,
                                std::wstring& error);

bool noArguments(const std::wstring& command, const std::wstring& rest, Step&,
                 std::wstring& error) {
    if (!rest.empty()) {
        error = L"'" + command + L"' takes no arguments";
        return false;
    }
    return true;
}

// The rest of the line as one text (a caption, a printer name...), which may not be empty.
bool nameArgument(const std::wstring& command, const std::wstring& rest, Step& step,
                  std::wstring& error) {
    if (rest.empty()) {
        error =
            L"'" + command + L"' needs " + (command == L"page" ? L"the page caption" : L"a name");
        return false;
    }
    return unescape(rest, step.name, error);
}

// "<id> <text...>"
bool idAndText(const std::wstring&, const std::wstring& rest, Step& step, std::wstring& error) {
    std::wstring tail;
    const std::wstring id = firstWord(rest, tail);
    return parseNumber(id, kMaxControlId, step.controlId, error) &&
           unescape(tail, step.text, error);
}

// "<id> <a>|<b>|..."; nothing after the id means an empty list box.
bool idAndItems(const std::wstring& command, const std::wstring& rest, Step& step,
                std::wstring& error) {
    if (!idAndText(command, rest, step, error)) {
        return false;
    }
    if (!step.text.empty()) {
        step.items = splitItems(step.text);
    }
    return true;
}

// "<id> <a>|<b>|...": at least one text.
bool idAndSequence(const std::wstring& command, const std::wstring& rest, Step& step,
                   std::wstring& error) {
    if (!idAndText(command, rest, step, error)) {
        return false;
    }
    if (step.text.empty()) {
        error = L"'" + command + L"' needs the texts after the id";
        return false;
    }
    step.items = splitItems(step.text);
    return true;
}

bool idOnly(const std::wstring&, const std::wstring& rest, Step& step, std::wstring& error) {
    return parseNumber(rest, kMaxControlId, step.controlId, error);
}

bool buttonAndState(const std::wstring&, const std::wstring& rest, Step& step,
                    std::wstring& error) {
    std::wstring state;
    const std::wstring button = firstWord(rest, state);
    return parseButton(button, true, step.button, error) && parseState(state, step.state, error);
}

bool buttonToPress(const std::wstring&, const std::wstring& rest, Step& step, std::wstring& error) {
    return parseButton(rest, false, step.button, error);
}

bool closeWay(const std::wstring&, const std::wstring& rest, Step& step, std::wstring& error) {
    const Named<CloseWay>* entry = byName(kCloseWays, rest);
    if (!entry) {
        error = L"unknown way to close " + quoted(rest) + L" (titlebar, altf4 or escape)";
        return false;
    }
    step.closeWay = entry->value;
    return true;
}

bool captionAndText(const std::wstring& command, const std::wstring& rest, Step& step,
                    std::wstring& error) {
    std::wstring text;
    const std::wstring caption = firstWord(rest, text);
    if (caption.empty()) {
        error = L"'" + command + L"' needs a caption and a text";
        return false;
    }
    return unescape(caption, step.name, error) && unescape(text, step.text, error);
}

bool fileName(const std::wstring& command, const std::wstring& rest, Step& step,
              std::wstring& error) {
    if (!isValidFileName(rest)) {
        error =
            L"'" + command + L"' needs a file name without path characters, got " + quoted(rest);
        return false;
    }
    step.name = rest;
    return true;
}

bool milliseconds(const std::wstring&, const std::wstring& rest, Step& step, std::wstring& error) {
    return parseNumber(rest, kMaxSleepMs, step.milliseconds, error);
}

// The rest of the line unescaped, and its items.
bool unescapeItems(const std::wstring& rest, std::wstring& text, std::vector<std::wstring>& parts,
                   std::wstring& error) {
    if (!unescape(rest, text, error)) {
        return false;
    }
    parts = splitItems(text);
    return true;
}

// "<name>|<port>", and for add-printer an optional "|<driver>" (the name by default).
bool printerAndPort(const std::wstring& command, const std::wstring& rest, Step& step,
                    std::wstring& error) {
    std::wstring text;
    std::vector<std::wstring> parts;
    if (!unescapeItems(rest, text, parts, error)) {
        return false;
    }
    const size_t most = command == L"add-printer" ? 3 : 2;
    const bool empty = std::any_of(parts.begin(), parts.end(),
                                   [](const std::wstring& part) { return part.empty(); });
    if (parts.size() < 2 || parts.size() > most || empty) {
        error = L"'" + command + L"' needs <name>|<port>" +
                (most == 3 ? L" and maybe |<driver>" : L"") + L", got " + quoted(text);
        return false;
    }
    step.name = parts[0];
    step.text = parts[1];
    step.driver = parts.size() == 3 ? parts[2] : parts[0];
    return true;
}

// "<name>|<key>=<value>|...": a printer and at least one of its settings.
bool printerAndSettings(const std::wstring& command, const std::wstring& rest, Step& step,
                        std::wstring& error) {
    std::wstring text;
    std::vector<std::wstring> parts;
    if (!unescapeItems(rest, text, parts, error)) {
        return false;
    }
    if (parts.size() < 2 || parts[0].empty()) {
        error = L"'" + command + L"' needs <name>|<key>=<value>|..., got " + quoted(text);
        return false;
    }
    step.name = parts[0];
    for (size_t i = 1; i < parts.size(); ++i) {
        const size_t equals = parts[i].find(L'=');
        const std::wstring key = parts[i].substr(0, equals);
        const auto syntax = std::find_if(std::begin(kPrinterFields), std::end(kPrinterFields),
                                         [&](const FieldSyntax& f) { return key == f.name; });
        if (equals == std::wstring::npos || syntax == std::end(kPrinterFields)) {
            std::wstring keys;
            for (const FieldSyntax& f : kPrinterFields) {
                keys += (keys.empty() ? L"" : L", ") + std::wstring(f.name);
            }
            error = L"expected <key>=<value>, got " + quoted(parts[i]) + L" (keys: " + keys + L")";
            return false;
        }
        PrinterSetting setting{syntax->field, parts[i].substr(equals + 1), 0};
        if (syntax->maximum != kText) {
            if (!parseNumber(setting.value, syntax->maximum, setting.number, error)) {
                error = key + L": " + error;
                return false;
            }
            setting.value = std::to_wstring(setting.number);
        }
        step.settings.push_back(setting);
    }
    return true;
}

bool printUiMode(const std::wstring&, const std::wstring& rest, Step& step, std::wstring& error) {
    std::wstring argument;
    const std::wstring mode = firstWord(rest, argument);
    const Named<PrintUiMode>* entry = byName(kPrintUiModes, mode);
    if (!entry) {
        error = L"unknown printui setting " + quoted(mode) +
                L" (fail-port <port>, fail-all, delay <ms> or normal)";
        return false;
    }
    step.printUiMode = entry->value;
    switch (entry->value) {
    case PrintUiMode::FailPort:
        if (argument.empty()) {
            error = L"'printui fail-port' needs the port";
            return false;
        }
        return unescape(argument, step.text, error);
    case PrintUiMode::Delay:
        return parseNumber(argument, kMaxSleepMs, step.milliseconds, error);
    case PrintUiMode::FailAll:
    case PrintUiMode::Normal:
        break;
    }
    return noArguments(L"printui " + mode, argument, step, error);
}

bool wholeText(const std::wstring& command, const std::wstring& rest, Step& step,
               std::wstring& error) {
    if (rest.empty()) {
        error = L"'" + command + L"' needs the parameters";
        return false;
    }
    return unescape(rest, step.text, error);
}

// "<switch> <n>"
bool switchAndCount(const std::wstring&, const std::wstring& rest, Step& step,
                    std::wstring& error) {
    std::wstring count;
    step.text = firstWord(rest, count);
    if (step.text.size() < 2 || step.text[0] != L'/') {
        error = L"expected a switch like /if, got " + quoted(step.text);
        return false;
    }
    return parseNumber(count, kMaxCount, step.number, error);
}

// "<n> <text...>", n from 1.
bool lineAndText(const std::wstring&, const std::wstring& rest, Step& step, std::wstring& error) {
    std::wstring text;
    const std::wstring number = firstWord(rest, text);
    if (!parseNumber(number, kMaxCount, step.number, error)) {
        return false;
    }
    if (step.number == 0) {
        error = L"lines are counted from 1";
        return false;
    }
    return unescape(text, step.text, error);
}

// "<key> <value-name> <number>": the key, which may hold blanks, is all before the last two
// words, taken as written (its backslashes separate keys; they are no escapes).
bool keyValueNumber(const std::wstring& command, const std::wstring& rest, Step& step,
                    std::wstring& error) {
    const size_t numberAt = rest.rfind(L' ');
    const size_t valueAt =
        numberAt == std::wstring::npos || numberAt == 0 ? numberAt : rest.rfind(L' ', numberAt - 1);
    if (valueAt == std::wstring::npos || valueAt == 0 || valueAt + 1 == numberAt) {
        error = L"'" + command + L"' needs <key> <value-name> <number>";
        return false;
    }
    step.name = rest.substr(0, valueAt);
    step.text = rest.substr(valueAt + 1, numberAt - valueAt - 1);
    return parseNumber(rest.substr(numberAt + 1), kMaxDword, step.number, error);
}

bool dwordNumber(const std::wstring&, const std::wstring& rest, Step& step, std::wstring& error) {
    return parseNumber(rest, kMaxDword, step.number, error);
}

// "<file> <step>:<outcome>|<step>:<outcome>|..."
bool fileAndSteps(const std::wstring& command, const std::wstring& rest, Step& step,
                  std::wstring& error) {
    std::wstring sequence;
    if (!fileName(command, firstWord(rest, sequence), step, error)) {
        return false;
    }
    step.items = splitItems(sequence);
    for (const std::wstring& item : step.items) {
        const size_t colon = item.find(L':');
        if (colon == std::wstring::npos || colon == 0 || colon + 1 == item.size()) {
            error = L"'" + command + L"' needs <file> <step>:<outcome>|..., got " + quoted(item);
            return false;
        }
    }
    return true;
}

struct StepSyntax {
    const wchar_t* command;
    StepKind kind;
    ArgumentParser parse;
};

constexpr StepSyntax kSteps[] = {
    {L"start", StepKind::Start, noArguments},
    {L"launch", StepKind::Launch, noArguments},
    {L"exits", StepKind::Exits, noArguments},
    {L"page", StepKind::Page, nameArgument},
    {L"text", StepKind::Text, idAndText},
    {L"texts", StepKind::Texts, idAndSequence},
    {L"button", StepKind::Button, buttonAndState},
    {L"press", StepKind::Press, buttonToPress},
    {L"close", StepKind::Close, closeWay},
    {L"list", StepKind::List, idAndItems},
    {L"ports", StepKind::ListPorts, idOnly},
    {L"listsel", StepKind::ListSel, idAndText},
    {L"select", StepKind::Select, idAndText},
    {L"msgbox", StepKind::MsgBox, captionAndText},
    {L"no-msgbox", StepKind::NoMsgBox, milliseconds},
    {L"shot", StepKind::Shot, fileName},
    {L"banner", StepKind::Banner, noArguments},
    {L"spooler-snapshot", StepKind::SpoolerSnapshot, noArguments},
    {L"spooler-unchanged", StepKind::SpoolerUnchanged, noArguments},
    {L"add-printer", StepKind::AddPrinter, printerAndPort},
    {L"remove-printer", StepKind::RemovePrinter, nameArgument},
    {L"printer", StepKind::Printer, printerAndPort},
    {L"no-printer", StepKind::NoPrinter, nameArgument},
    {L"default-printer", StepKind::DefaultPrinter, nameArgument},
    {L"set-printer", StepKind::SetPrinter, printerAndSettings},
    {L"printer-settings", StepKind::PrinterSettings, printerAndSettings},
    {L"printui", StepKind::PrintUiSetting, printUiMode},
    {L"printui-run", StepKind::PrintUiRun, wholeText},
    {L"printui-log-clear", StepKind::PrintUiLogClear, noArguments},
    {L"printui-count", StepKind::PrintUiCount, switchAndCount},
    {L"printui-line", StepKind::PrintUiLine, lineAndText},
    {L"sleep", StepKind::Sleep, milliseconds},
    {L"reg-dword", StepKind::RegDword, keyValueNumber},
    {L"run", StepKind::Run, wholeText},
    {L"exit-code", StepKind::ExitCode, dwordNumber},
    {L"delete-file", StepKind::RemoveFile, fileName},
    {L"log", StepKind::Log, fileAndSteps},
};

// Parses one non-empty, non-comment line into step.
bool parseLine(const std::wstring& line, Step& step, std::wstring& error) {
    std::wstring rest;
    const std::wstring command = firstWord(line, rest);
    if (isUsbStep(command)) {
        return parseUsbStep(command, rest, step, error);
    }
    for (const StepSyntax& syntax : kSteps) {
        if (command == syntax.command) {
            step.kind = syntax.kind;
            return syntax.parse(command, rest, step, error);
        }
    }
    error = L"unknown step " + quoted(command);
    return false;
}

} // namespace

bool parseSteps(const std::string& utf8, std::vector<Step>& steps, std::wstring& error) {
    steps.clear();
    std::string bytes = utf8;
    if (bytes.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0) {
        bytes.erase(0, kUtf8Bom.size());
    }
    std::wstring wide;
    if (!fromUtf8(bytes, wide)) {
        error = L"the steps file is not valid UTF-8";
        return false;
    }

    int lineNumber = 0;
    size_t start = 0;
    while (start <= wide.size()) {
        const size_t end = wide.find(L'\n', start);
        std::wstring line = wide.substr(start, end == std::wstring::npos ? end : end - start);
        start = end == std::wstring::npos ? wide.size() + 1 : end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == L'\r') {
            line.pop_back();
        }

        size_t firstVisible = 0;
        while (firstVisible < line.size() && std::iswspace(line[firstVisible])) {
            ++firstVisible;
        }
        if (firstVisible == line.size() || line[firstVisible] == L'#') {
            continue;
        }

        Step step;
        step.line = lineNumber;
        step.source = line;
        std::wstring lineError;
        if (!parseLine(line, step, lineError)) {
            error = L"line " + std::to_wstring(lineNumber) + L": " + lineError;
            return false;
        }
        steps.push_back(step);
    }
    if (steps.empty()) {
        error = L"the steps file has no steps";
        return false;
    }
    return true;
}

const wchar_t* buttonName(WizardButton button) {
    return nameOf(kButtons, button);
}

const wchar_t* buttonStateName(ButtonState state) {
    return nameOf(kStates, state);
}

const wchar_t* closeWayName(CloseWay way) {
    return nameOf(kCloseWays, way);
}

const wchar_t* printerFieldName(PrinterField field) {
    for (const FieldSyntax& syntax : kPrinterFields) {
        if (syntax.field == field) {
            return syntax.name;
        }
    }
    return L"?";
}

} // namespace driver
