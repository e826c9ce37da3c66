// Reading a file line by line as 8-bit text, the way a text-mode stream reads it.
#pragma once

#include <cstddef>
#include <string_view>
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
    // The next line; false at the end of the file. The view stays good until the next call.
    bool ReadLine(std::string_view& line);

private:
    bool Refill();
    std::string_view Finish(std::string_view line);

    CFileReader m_file;
    std::vector<char> m_buffer;
    // A line that spans chunks is gathered here.
    std::vector<char> m_longLine;
    std::size_t m_nPosition = 0;
    std::size_t m_nEnd = 0;
    bool m_bAtEnd = true;
};
