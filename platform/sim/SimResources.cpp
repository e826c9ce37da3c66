// Reads the DIALOGEX templates of the program's resource script (embedded at build time).
// Only the forms the script uses are understood; anything else is a fault in the script or
// here, and stops the test run loudly.
#include "platform/sim/SimResources.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <sstream>
#include <stdexcept>

#include "platform/sim/SimText.h"

extern const char kSimResourceScript[];
extern const char kSimResourceHeader[];

namespace sim {
namespace {

// Language of a template: LANG_CHINESE with SUBLANG_CHINESE_SIMPLIFIED.
constexpr int kLangChineseSimplified = 2052;
constexpr int kHexBase = 16;

const std::map<std::string, long>& KnownSymbols() {
    static const std::map<std::string, long> symbols = {
        {"WS_CHILD", kWsChild},
        {"WS_VISIBLE", kWsVisible},
        {"WS_DISABLED", kWsDisabled},
        {"WS_CAPTION", kWsCaption},
        {"WS_BORDER", kWsBorder},
        {"WS_VSCROLL", kWsVScroll},
        {"WS_HSCROLL", kWsHScroll},
        {"WS_GROUP", kWsGroup},
        {"WS_TABSTOP", kWsTabStop},
        {"DS_SETFONT", kDsSetFont},
        {"SS_LEFT", kSsLeft},
        {"SS_BITMAP", kSsBitmap},
        {"SS_REALSIZECONTROL", kSsRealSizeControl},
        {"LBS_NOTIFY", kLbsNotify},
        {"LBS_SORT", kLbsSort},
        {"LBS_NOINTEGRALHEIGHT", kLbsNoIntegralHeight},
        {"BS_AUTORADIOBUTTON", kBsAutoRadioButton},
    };
    return symbols;
}

// Splits one line into tokens: quoted strings (kept with their quotes), words, numbers and
// the separators "," and "|".
std::vector<std::string> Tokenize(const std::string& line) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
            break;
        } else if (c == '"') {
            std::size_t end = i + 1;
            while (end < line.size() && line[end] != '"') {
                ++end;
            }
            tokens.push_back(line.substr(i, end + 1 - i));
            i = end + 1;
        } else if (c == ',' || c == '|') {
            tokens.push_back(std::string(1, c));
            ++i;
        } else {
            std::size_t end = i;
            while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end])) &&
                   line[end] != ',' && line[end] != '|') {
                ++end;
            }
            tokens.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return tokens;
}

class Parser {
public:
    explicit Parser(const std::string& header) {
        std::istringstream lines(header);
        std::string line;
        while (std::getline(lines, line)) {
            const std::vector<std::string> t = Tokenize(line);
            if (t.size() == 3 && t[0] == "#define") {
                m_symbols[t[1]] = Number(t[2]);
            }
        }
    }

    long Value(const std::string& token) const {
        if (!token.empty() &&
            (std::isdigit(static_cast<unsigned char>(token[0])) || token[0] == '-')) {
            return Number(token);
        }
        auto own = m_symbols.find(token);
        if (own != m_symbols.end()) {
            return own->second;
        }
        auto known = KnownSymbols().find(token);
        if (known != KnownSymbols().end()) {
            return known->second;
        }
        throw std::runtime_error("resource script: unknown symbol " + token);
    }

    // A style expression: values joined by "|", starting at tokens[pos]; pos ends after it.
    unsigned Style(const std::vector<std::string>& t, std::size_t& pos) const {
        unsigned style = static_cast<unsigned>(Value(t.at(pos++)));
        while (pos < t.size() && t[pos] == "|") {
            style |= static_cast<unsigned>(Value(t.at(pos + 1)));
            pos += 2;
        }
        return style;
    }

private:
    static long Number(const std::string& token) {
        return std::strtol(token.c_str(), nullptr,
                           token.find("0x") != std::string::npos ? kHexBase : 0);
    }

    std::map<std::string, long> m_symbols;
};

WString Unquote(const std::string& token) {
    if (token.size() < 2 || token.front() != '"') {
        return WString();
    }
    return FromUtf8(token.substr(1, token.size() - 2));
}

// Reads "x , y , cx , cy" starting at tokens[pos].
void ReadRect(const std::vector<std::string>& t, std::size_t pos, const Parser& p, int& x, int& y,
              int& cx, int& cy) {
    x = static_cast<int>(p.Value(t.at(pos)));
    y = static_cast<int>(p.Value(t.at(pos + 2)));
    cx = static_cast<int>(p.Value(t.at(pos + 4)));
    cy = static_cast<int>(p.Value(t.at(pos + 6)));
}

ControlTemplate ReadControl(const std::vector<std::string>& t, const Parser& p) {
    // CONTROL text , id , class , style , x , y , cx , cy
    ControlTemplate control;
    control.text = Unquote(t.at(1));
    control.id = static_cast<int>(p.Value(t.at(3)));
    control.className = t.at(5).substr(1, t.at(5).size() - 2);
    std::size_t pos = 7;
    // A CONTROL statement is a visible child unless its style says otherwise.
    control.style = kWsChild | kWsVisible | p.Style(t, pos);
    ReadRect(t, pos + 1, p, control.x, control.y, control.cx, control.cy);
    return control;
}

// Passes over a resource that is no dialog (the VERSIONINFO): its lines up to the END that
// closes its first BEGIN.
void SkipResource(std::istream& lines) {
    std::string line;
    int depth = 0;
    while (std::getline(lines, line)) {
        const std::vector<std::string> t = Tokenize(line);
        if (!t.empty() && t[0] == "BEGIN") {
            ++depth;
        } else if (!t.empty() && t[0] == "END" && --depth == 0) {
            return;
        }
    }
}

} // namespace

const ControlTemplate* DialogTemplate::FindControl(int controlId) const {
    for (const ControlTemplate& control : controls) {
        if (control.id == controlId) {
            return &control;
        }
    }
    return nullptr;
}

std::vector<DialogTemplate> ParseDialogTemplates(const std::string& script,
                                                 const std::string& header) {
    const Parser parser(header);
    std::vector<DialogTemplate> dialogs;
    std::istringstream lines(script);
    std::string line;
    int language = 0;
    bool inBody = false;
    while (std::getline(lines, line)) {
        const std::vector<std::string> t = Tokenize(line);
        if (t.empty()) {
            continue;
        }
        if (t[0] == "LANGUAGE") {
            language = t.at(1) == "LANG_CHINESE" && t.at(3) == "SUBLANG_CHINESE_SIMPLIFIED"
                           ? kLangChineseSimplified
                           : 0;
        } else if (t.size() > 1 && t[1] == "DIALOGEX") {
            DialogTemplate dialog;
            dialog.id = static_cast<int>(parser.Value(t[0]));
            dialog.language = language;
            ReadRect(t, 2, parser, dialog.x, dialog.y, dialog.cx, dialog.cy);
            dialogs.push_back(dialog);
        } else if (t.size() > 1 && t[1] == "VERSIONINFO") {
            SkipResource(lines);
        } else if (dialogs.empty()) {
            continue;
        } else if (t[0] == "STYLE") {
            std::size_t pos = 1;
            dialogs.back().style = parser.Style(t, pos);
        } else if (t[0] == "CAPTION") {
            dialogs.back().caption = Unquote(t.at(1));
        } else if (t[0] == "FONT") {
            dialogs.back().fontSize = static_cast<int>(parser.Value(t.at(1)));
            dialogs.back().fontName = Unquote(t.at(3));
        } else if (t[0] == "BEGIN") {
            inBody = true;
        } else if (t[0] == "END") {
            inBody = false;
        } else if (inBody && t[0] == "CONTROL") {
            dialogs.back().controls.push_back(ReadControl(t, parser));
        } else if (inBody) {
            throw std::runtime_error("resource script: unexpected statement " + t[0]);
        }
    }
    return dialogs;
}

const DialogTemplate* FindDialogTemplate(int id) {
    static const std::vector<DialogTemplate> dialogs =
        ParseDialogTemplates(kSimResourceScript, kSimResourceHeader);
    for (const DialogTemplate& dialog : dialogs) {
        if (dialog.id == id) {
            return &dialog;
        }
    }
    return nullptr;
}

} // namespace sim
