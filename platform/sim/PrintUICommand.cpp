// Reading print UI command lines.
#include "platform/sim/PrintUICommand.h"

#include <vector>

namespace {

const WChar kQuote = WTEXT('"');
const WChar kSwitchMark = WTEXT('/');

bool IsBlank(WChar c) {
    return c == WTEXT(' ') || c == WTEXT('\t');
}

// The items of the line; false when a quote is left open.
bool SplitItems(const WString& line, std::vector<WString>& items) {
    std::size_t i = 0;
    while (i < line.size()) {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        WString item;
        if (line[i] == kQuote) {
            const std::size_t close = line.find(kQuote, i + 1);
            if (close == WString::npos) {
                return false;
            }
            item = line.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            while (i < line.size() && !IsBlank(line[i])) {
                item.push_back(line[i++]);
            }
        }
        items.push_back(item);
    }
    return true;
}

} // namespace

bool ParsePrintUICommand(const WString& arguments, PrintUICommand& command) {
    std::vector<WString> items;
    if (!SplitItems(arguments, items)) {
        return false;
    }
    struct ValueSwitch {
        const WChar* name;
        WString PrintUICommand::*value;
    };
    const ValueSwitch valueSwitches[] = {
        {WTEXT("/n"), &PrintUICommand::printer},
        {WTEXT("/f"), &PrintUICommand::infFile},
        {WTEXT("/r"), &PrintUICommand::port},
        {WTEXT("/m"), &PrintUICommand::model},
    };
    struct FlagSwitch {
        const WChar* name;
        bool PrintUICommand::*flag;
    };
    const FlagSwitch flagSwitches[] = {
        {WTEXT("/if"), &PrintUICommand::install},
        {WTEXT("/y"), &PrintUICommand::setDefault},
        {WTEXT("/k"), &PrintUICommand::testPage},
        {WTEXT("/q"), &PrintUICommand::quiet},
    };
    PrintUICommand parsed;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const WString& item = items[i];
        if (item.empty() || item[0] != kSwitchMark) {
            return false;
        }
        // Unknown switches are ignored, as the print UI ignores them.
        for (const ValueSwitch& s : valueSwitches) {
            if (item == s.name) {
                if (i + 1 >= items.size()) {
                    return false;
                }
                parsed.*s.value = items[++i];
            }
        }
        for (const FlagSwitch& s : flagSwitches) {
            if (item == s.name) {
                parsed.*s.flag = true;
            }
        }
    }
    command = parsed;
    return true;
}
