// UTF-8 <-> UTF-16 conversion (well-formed input is assumed; bad bytes become U+FFFD).
#include "platform/sim/SimText.h"

#include <locale.h>
#include <wctype.h>

namespace sim {
namespace {
constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char16_t kHighSurrogate = 0xD800;
constexpr char16_t kLowSurrogate = 0xDC00;
constexpr char32_t kSurrogateSpan = 0x400;
constexpr char32_t kSurrogateBits = 0x3FF;
constexpr int kSurrogateShift = 10;

void AppendCodePoint(WString& out, char32_t cp) {
    if (cp < kFirstSupplementary) {
        out.push_back(static_cast<WChar>(cp));
        return;
    }
    cp -= kFirstSupplementary;
    out.push_back(static_cast<WChar>(kHighSurrogate + (cp >> kSurrogateShift)));
    out.push_back(static_cast<WChar>(kLowSurrogate + (cp & kSurrogateBits)));
}
} // namespace

WChar UpcaseOrdinal(WChar c) {
    // The C library's capitals for the whole of Unicode, whatever the process's own locale.
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    if (c >= kHighSurrogate && c < kLowSurrogate + kSurrogateSpan) {
        return c;
    }
    if (unicode == locale_t(0)) {
        return c >= u'a' && c <= u'z' ? static_cast<WChar>(c - u'a' + u'A') : c;
    }
    const wint_t upper = towupper_l(static_cast<wint_t>(c), unicode);
    return upper < kFirstSupplementary ? static_cast<WChar>(upper) : c;
}

bool EqualsOrdinalIgnoringCase(const WString& a, const WString& b) {
    return EqualsFolded(a, b, UpcaseOrdinal);
}

WString FromUtf8(const std::string& text) {
    WString out;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            cp = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            cp = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            cp = kReplacement;
        }
        ++i;
        for (int k = 0; k < extra; ++k, ++i) {
            if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
                cp = kReplacement;
                break;
            }
            cp = (cp << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        }
        AppendCodePoint(out, cp);
    }
    return out;
}

std::string ToUtf8(const WString& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= kHighSurrogate && cp < kLowSurrogate && i + 1 < text.size()) {
            cp = kFirstSupplementary + ((cp - kHighSurrogate) << kSurrogateShift) +
                 (static_cast<char32_t>(text[i + 1]) - kLowSurrogate);
            ++i;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < kFirstSupplementary) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

WString ToWString(long long number) {
    return FromUtf8(std::to_string(number));
}
} // namespace sim
