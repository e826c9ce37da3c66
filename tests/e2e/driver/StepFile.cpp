// Reads a steps file for the wizard driver: one step per line, checked before anything runs.
#include "StepFile.h"

#include "Text.h"
#include "UsbSteps.h"

#include <cwctype>

namespace driver {
namespace {

// Control ids are 16-bit in dialog templates.
constexpr long kMaxControlId = 0xFFFF;
// A sleep step longer than this is surely a typo, and a test has 60 s in all.
constexpr long kMaxSleepMs = 30000;
// Enough digits for both limits above, few enough that a long cannot overflow.
constexpr size_t kMaxDigits = 9;
constexpr long kDecimalBase = 10;

const std::string kUtf8Bom = "\xEF\xBB\xBF";

struct NamedButton {
    const wchar_t* name;
    WizardButton button;
};

constexpr NamedButton kButtons[] = {
    {L"back", WizardButton::Back},     {L"next", WizardButton::Next},
    {L"finish", WizardButton::Finish}, {L"cancel", WizardButton::Cancel},
    {L"help", WizardButton::Help},
};

struct NamedState {
    const wchar_t* name;
    ButtonState state;
};

constexpr NamedState kStates[] = {
    {L"enabled", ButtonState::Enabled},
    {L"disabled", ButtonState::Disabled},
    {L"hidden", ButtonState::Hidden},
    {L"visible", ButtonState::Visible},
};

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
        } else if (next == L'\\') {
            result += L'\\';
        } else {
            error = std::wstring(L"unknown escape \\") + next + L" (only \\n and \\\\ exist)";
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
    for (const NamedButton& entry : kButtons) {
        if (text == entry.name && (allowHelp || entry.button != WizardButton::Help)) {
            button = entry.button;
            return true;
        }
    }
    error =
        L"unknown button " + quoted(text) +
        (allowHelp ? L" (back, next, finish, cancel or help)" : L" (back, next, finish or cancel)");
    return false;
}

bool parseState(const std::wstring& text, ButtonState& state, std::wstring& error) {
    for (const NamedState& entry : kStates) {
        if (text == entry.name) {
            state = entry.state;
            return true;
        }
    }
    error = L"unknown button state " + quoted(text) + L" (enabled, disabled, hidden or visible)";
    return false;
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

// Parses one non-empty, non-comment line into step.
bool parseLine(const std::wstring& line, Step& step, std::wstring& error) {
    std::wstring rest;
    const std::wstring command = firstWord(line, rest);
    const auto noArguments = [&]() {
        if (!rest.empty()) {
            error = L"'" + command + L"' takes no arguments";
            return false;
        }
        return true;
    };
    // For "command <id> <text...>" steps.
    const auto idAndText = [&](std::wstring& text) {
        std::wstring tail;
        const std::wstring id = firstWord(rest, tail);
        return parseNumber(id, kMaxControlId, step.controlId, error) && unescape(tail, text, error);
    };

    if (isUsbStep(command)) {
        return parseUsbStep(command, rest, step, error);
    }
    if (command == L"start") {
        step.kind = StepKind::Start;
        return noArguments();
    }
    if (command == L"exits") {
        step.kind = StepKind::Exits;
        return noArguments();
    }
    if (command == L"spooler-snapshot") {
        step.kind = StepKind::SpoolerSnapshot;
        return noArguments();
    }
    if (command == L"spooler-unchanged") {
        step.kind = StepKind::SpoolerUnchanged;
        return noArguments();
    }
    if (command == L"page") {
        step.kind = StepKind::Page;
        if (rest.empty()) {
            error = L"'page' needs the page caption";
            return false;
        }
        return unescape(rest, step.name, error);
    }
    if (command == L"text") {
        step.kind = StepKind::Text;
        return idAndText(step.text);
    }
    if (command == L"button") {
        step.kind = StepKind::Button;
        std::wstring state;
        const std::wstring button = firstWord(rest, state);
        return parseButton(button, true, step.button, error) &&
               parseState(state, step.state, error);
    }
    if (command == L"press") {
        step.kind = StepKind::Press;
        return parseButton(rest, false, step.button, error);
    }
    if (command == L"list") {
        step.kind = StepKind::List;
        std::wstring all;
        if (!idAndText(all)) {
            return false;
        }
        // Nothing after the id means an empty list box.
        if (all.empty()) {
            return true;
        }
        size_t start = 0;
        for (;;) {
            const size_t bar = all.find(L'|', start);
            step.items.push_back(all.substr(start, bar - start));
            if (bar == std::wstring::npos) {
                break;
            }
            start = bar + 1;
        }
        return true;
    }
    if (command == L"ports") {
        // The list box holds exactly the spooler's ports, in the spooler's order.
        step.kind = StepKind::ListPorts;
        std::wstring nothing;
        return idAndText(nothing);
    }
    if (command == L"listsel") {
        step.kind = StepKind::ListSel;
        return idAndText(step.text);
    }
    if (command == L"select") {
        step.kind = StepKind::Select;
        return idAndText(step.text);
    }
    if (command == L"msgbox") {
        step.kind = StepKind::MsgBox;
        std::wstring text;
        const std::wstring caption = firstWord(rest, text);
        if (caption.empty()) {
            error = L"'msgbox' needs a caption and a text";
            return false;
        }
        return unescape(caption, step.name, error) && unescape(text, step.text, error);
    }
    if (command == L"shot") {
        step.kind = StepKind::Shot;
        if (!isValidFileName(rest)) {
            error = L"'shot' needs a file name without path characters, got " + quoted(rest);
            return false;
        }
        step.name = rest;
        return true;
    }
    if (command == L"sleep") {
        step.kind = StepKind::Sleep;
        return parseNumber(rest, kMaxSleepMs, step.milliseconds, error);
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
    for (const NamedButton& entry : kButtons) {
        if (entry.button == button) {
            return entry.name;
        }
    }
    return L"?";
}

const wchar_t* buttonStateName(ButtonState state) {
    for (const NamedState& entry : kStates) {
        if (entry.state == state) {
            return entry.name;
        }
    }
    return L"?";
}

} // namespace driver
