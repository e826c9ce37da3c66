// The full path of the running executable.
#pragma once

#include <cstddef>

#include "platform/Text.h"

// Writes the executable's full path, NUL-terminated, into `buffer`. Returns false when the
// whole path does not fit `capacity` characters (the buffer then holds an empty text), or when
// the platform cannot tell.
bool GetModulePath(WChar* buffer, std::size_t capacity);
