// Reading a file line by line as 8-bit text, the way a text-mode stream reads it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/FileReader.h"
#include "platform/Text.h"

// Lines end at "\n" or "\r\n"; the line end is not part of the line, and a last line without
// one still counts. Every byte is one character, NUL bytes included. Lines of any length are
// read whole: a long line is never split into pieces.
class CLineReader {
public:
    // False when the file cannot be opened.
    bool Open(const WChar* path);
    // The next line; false at the end of the file.
    bool ReadLine(std::string& line);

private:
    bool Refill();

    CFileReader m_file;
    std::vector<char> m_buffer;
    std::size_t m_nPosition = 0;
    std::size_t m_nEnd = 0;
    bool m_bAtEnd = true;
};
