// Reading a file's bytes from start to end.
#pragma once

#include <cstddef>

#include "platform/Text.h"

// A file opened for reading (others may read it too). Closes itself when it goes out of scope.
class CFileReader {
public:
    CFileReader() = default;
    ~CFileReader();
    CFileReader(const CFileReader&) = delete;
    CFileReader& operator=(const CFileReader&) = delete;

    // False when the file is missing or may not be read.
    bool Open(const WChar* path);
    // Reads up to `size` bytes into `buffer`; 0 at the end of the file or on a failure.
    std::size_t Read(char* buffer, std::size_t size);
    void Close();

private:
    void* m_hFile = nullptr;
};
