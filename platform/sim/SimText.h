// UTF-8 <-> UTF-16 conversion for the simulated Windows and its tests.
#pragma once

#include <string>

#include "platform/Text.h"

namespace sim {

// ASCII capitals as small letters, every other character as it is: names on the simulated
// machine (printers, drivers, hardware ids, INI sections, files) match as Windows matches
// them, without regard to the case of ASCII letters.
inline WChar FoldAsciiCase(WChar c) {
    return c >= WTEXT('A') && c <= WTEXT('Z') ? static_cast<WChar>(c - WTEXT('A') + WTEXT('a')) : c;
}

// Whether the texts are equal once each character has gone through `fold`.
template <class Fold> bool EqualsFolded(const WString& a, const WString& b, Fold fold) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

inline bool EqualsIgnoringAsciiCase(const WString& a, const WString& b) {
    return EqualsFolded(a, b, FoldAsciiCase);
}

// Printer names on the simulated machine compare as Windows' spooler compares them: ordinally,
// each UTF-16 unit taken as its capital (surrogates as they are), as CompareStringOrdinal does
// when told to ignore case.
WChar UpcaseOrdinal(WChar c);
bool EqualsOrdinalIgnoringCase(const WString& a, const WString& b);

WString FromUtf8(const std::string& text);
std::string ToUtf8(const WString& text);
// A number in decimal digits.
WString ToWString(long long number);
} // namespace sim
