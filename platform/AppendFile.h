// A text file that lines are appended to, and the clocks that stamp them.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/Text.h"

// A file opened for appending (others may read and append to it too). Closes itself when it
// goes out of scope.
class CAppendFile {
public:
    CAppendFile() = default;
    ~CAppendFile();
    CAppendFile(const CAppendFile&) = delete;
    CAppendFile& operator=(const CAppendFile&) = delete;

    // Opens `path` (a relative one from the current folder), creating the file when it is
    // missing. False when it can be neither opened nor created, and when it may lead to another
    // file: a reparse point of any kind (a symbolic link, a junction, a mount point...), or one
    // of several hard links.
    bool Open(const WChar* path);
    // Whether Open made the file, rather than finding it.
    bool Created() const { return m_bCreated; }
    // Appends the bytes at the file's end; false when not all of them were written.
    bool Append(std::string_view bytes);
    void Close();

private:
    void* m_hFile = nullptr;
    bool m_bCreated = false;
};

// The local time of day and date, to the millisecond (GetLocalTime).
struct LocalTime {
    unsigned year = 0;
    unsigned month = 0;
    unsigned day = 0;
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
    unsigned milliseconds = 0;
};
LocalTime CurrentLocalTime();

// Milliseconds since the system started (GetTickCount64), for measuring how long a step took.
std::uint64_t MonotonicMs();
