// Shared by the fuzz targets: a fresh simulated machine for every input, and the input cut
// into wide texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "installer/DriverInstaller.h"
#include "platform/sim/SimMachine.h"

namespace fuzz {

// Stops the run: the fuzzer saves the input that got here.
inline void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The input as UTF-16 code units (pairs of bytes, little-endian), any values at all.
inline WString WideText(const std::uint8_t* data, std::size_t size) {
    WString text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text.push_back(static_cast<WChar>(data[i] | (data[i + 1] << 8)));
    }
    return text;
}

// The input cut at each NUL code unit into `count` texts (missing ones empty).
inline std::vector<WString> WideFields(const std::uint8_t* data, std::size_t size,
                                       std::size_t count) {
    std::vector<WString> fields(1);
    for (WChar c : WideText(data, size)) {
        if (c == 0 && fields.size() < count) {
            fields.emplace_back();
        } else if (c != 0) {
            fields.back().push_back(c);
        }
    }
    fields.resize(count);
    return fields;
}

// A buffer that is NUL-terminated somewhere within its capacity.
inline bool IsTerminated(const WChar* buffer, std::size_t capacity) {
    return TextLength(buffer, capacity) < capacity;
}

} // namespace fuzz
