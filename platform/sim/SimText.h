// UTF-8 <-> UTF-16 conversion for the simulated Windows and its tests.
#pragma once

#include <string>

#include "platform/Text.h"

namespace sim {
WString FromUtf8(const std::string& text);
std::string ToUtf8(const WString& text);
// A number in decimal digits.
WString ToWString(long long number);
} // namespace sim
