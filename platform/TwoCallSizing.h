// The spooler's enumerations size themselves in two calls; both back ends make them here.
#pragma once

#include <cstddef>
#include <vector>

// Asks once with no buffer for the bytes needed, then again with exactly that many.
// `call(data, size, needed)` makes one enumeration call (data null: no buffer) and returns
// whether it succeeded; `lastErrorWasTooSmall()` tells whether a failed first call failed only
// for want of a buffer. When the first call already succeeds there is nothing to list, and the
// second call is made with no buffer as well. Returns whether the second call succeeded;
// `buffer` then holds what it delivered.
template <class Call, class LastErrorWasTooSmall>
bool EnumerateInTwoCalls(std::vector<unsigned char>& buffer, Call call,
                         LastErrorWasTooSmall lastErrorWasTooSmall) {
    std::size_t needed = 0;
    const bool nothingToList = call(nullptr, 0, needed);
    if (!nothingToList && !lastErrorWasTooSmall()) {
        return false;
    }
    buffer.assign(nothingToList ? 0 : needed, 0);
    return call(buffer.empty() ? nullptr : buffer.data(), buffer.size(), needed);
}
