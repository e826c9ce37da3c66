// The system's lists size themselves in two calls; both back ends make them here.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

// A buffer of a size the system reported. The size comes from outside the program, so an
// allocation that cannot be had fails the one query that wanted it, never the program.
class CReportedBuffer {
public:
    // Makes the buffer `bytes` long, its old contents gone; 0 bytes gives no buffer at all.
    // False, with no buffer, when the memory cannot be had. The memory is aligned for any of
    // the system's records.
    bool Allocate(std::size_t bytes) {
        m_data.reset();
        m_size = 0;
        if (bytes == 0) {
            return true;
        }
        m_data.reset(new (std::nothrow) unsigned char[bytes]());
        if (!m_data) {
            return false;
        }
        m_size = bytes;
        return true;
    }
    unsigned char* Data() const { return m_data.get(); }
    std::size_t Size() const { return m_size; }

private:
    std::unique_ptr<unsigned char[]> m_data;
    std::size_t m_size = 0;
};

// Times a list is asked for again when it grew between sizing it and reading it: a printer
// installation adds queues exactly while the installer looks.
constexpr int kSizingAttempts = 4;

// Asks once with no buffer for the bytes needed, then again with exactly that many.
// `call(data, size, needed)` makes one enumeration call (data null: no buffer) and returns
// whether it succeeded, with the bytes the whole list needs in `needed`;
// `lastErrorWasTooSmall()` tells whether a failed call failed only for want of buffer. When
// the first call already succeeds there is nothing to list, and the second call is made with
// no buffer as well. When the list grew in between, so that the second call finds its buffer
// too small, it is sized and read again, up to kSizingAttempts times in all. Returns whether
// a reading call succeeded; `buffer` then holds what it delivered. A size that cannot be
// allocated fails the enumeration.
template <class Call, class LastErrorWasTooSmall>
bool EnumerateInTwoCalls(CReportedBuffer& buffer, Call call,
                         LastErrorWasTooSmall lastErrorWasTooSmall) {
    std::size_t needed = 0;
    bool answered = call(nullptr, 0, needed);
    if (answered) {
        needed = 0; // nothing to list: the second call goes without a buffer as well
    }
    for (int attempt = 0; attempt < kSizingAttempts; ++attempt) {
        if (!answered && !lastErrorWasTooSmall()) {
            return false;
        }
        if (!buffer.Allocate(needed)) {
            return false;
        }
        answered = call(buffer.Data(), buffer.Size(), needed);
        if (answered) {
            return true;
        }
    }
    return false;
}
