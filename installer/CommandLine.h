// Building the print UI's command lines from names that come from outside (the catalogue, the
// spooler's port list): a name that could break out of its double quotes is never used.
#pragma once

#include <cstddef>
#include <initializer_list>

#include "platform/Text.h"

// True when `value` can stand between double quotes on a command line and still be read back
// as itself: it holds no double quote and no control character, and it does not end in a
// backslash (which would escape the closing quote).
bool IsQuotableValue(const WChar* value);

// Writes `format` into `out` (capacity in characters, NUL included), each "%s" replaced by the
// next of `values`, unchanged. `out` is cleared first. False, with `out` empty, when a value is
// not quotable, the values do not match the "%s" in number, or the line does not fit.
bool FormatCommandLine(WChar* out, std::size_t capacity, const WChar* format,
                       std::initializer_list<const WChar*> values);
