// UTF-16 text as the whole program uses it, with bounded copies into fixed-capacity buffers.
#pragma once

#include <cstddef>
#include <string>

// Windows' own wide character is UTF-16; elsewhere char16_t is, so capacities and counts
// come out the same in both builds.
#ifdef _WIN32
using WChar = wchar_t;
#define WTEXT(s) L##s
#else
using WChar = char16_t;
#define WTEXT(s) u##s
#endif

using WString = std::basic_string<WChar>;

// Length of a NUL-terminated text, looking at no more than `capacity` characters.
inline std::size_t TextLength(const WChar* text, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && text[n] != 0) {
        ++n;
    }
    return n;
}

// Copies `source` into `dest` (capacity in characters, NUL included). The copy always ends
// with a NUL inside `dest`; when `source` does not fit, as much as fits is copied and the
// result is false, so callers can tell a cut copy from a whole one.
inline bool CopyText(WChar* dest, std::size_t capacity, const WChar* source) {
    if (capacity == 0) {
        return false;
    }
    std::size_t n = 0;
    while (n + 1 < capacity && source[n] != 0) {
        dest[n] = source[n];
        ++n;
    }
    dest[n] = 0;
    return source[n] == 0;
}

// Appends `source` to the text already in `dest`, under the same rules as CopyText.
inline bool AppendText(WChar* dest, std::size_t capacity, const WChar* source) {
    const std::size_t used = TextLength(dest, capacity);
    if (used == capacity) {
        return false;
    }
    return CopyText(dest + used, capacity - used, source);
}

// Fills the whole buffer with NULs.
inline void ClearText(WChar* dest, std::size_t capacity) {
    for (std::size_t i = 0; i < capacity; ++i) {
        dest[i] = 0;
    }
}
