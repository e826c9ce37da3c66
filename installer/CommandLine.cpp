// Command lines built only from values that cannot break their quoting.
#include "installer/CommandLine.h"

namespace {
const WChar kQuote = WTEXT('"');
const WChar kBackslash = WTEXT('\\');
const WChar kPlaceholder[] = WTEXT("%s");
constexpr std::size_t kPlaceholderLength = 2;

// C0 and C1 control characters and DEL.
bool IsControl(WChar c) {
    constexpr WChar kLastC0 = 0x1F;
    constexpr WChar kDelete = 0x7F;
    constexpr WChar kLastC1 = 0x9F;
    return c <= kLastC0 || (c >= kDelete && c <= kLastC1);
}
} // namespace

bool IsQuotableValue(const WChar* value) {
    std::size_t n = 0;
    for (; value[n] != 0; ++n) {
        if (value[n] == kQuote || IsControl(value[n])) {
            return false;
        }
    }
    return n == 0 || value[n - 1] != kBackslash;
}

bool FormatCommandLine(WChar* out, std::size_t capacity, const WChar* format,
                       std::initializer_list<const WChar*> values) {
    ClearText(out, capacity);
    WString line;
    const WString pattern = format;
    std::size_t from = 0;
    for (const WChar* value : values) {
        const std::size_t at = pattern.find(kPlaceholder, from);
        if (at == WString::npos || !IsQuotableValue(value)) {
            return false;
        }
        line.append(pattern, from, at - from).append(value);
        from = at + kPlaceholderLength;
    }
    if (pattern.find(kPlaceholder, from) != WString::npos) {
        return false;
    }
    line.append(pattern, from, WString::npos);
    if (!CopyText(out, capacity, line.c_str())) {
        ClearText(out, capacity);
        return false;
    }
    return true;
}
