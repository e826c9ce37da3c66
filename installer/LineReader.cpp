// Line-by-line reading of 8-bit text files.
#include "installer/LineReader.h"

#include <cstring>

namespace {
// Bytes read from the file at a time.
constexpr std::size_t kChunkBytes = 64 * 1024;
const char kLineFeed = '\n';
const char kCarriageReturn = '\r';
} // namespace

bool CLineReader::Open(const WChar* path) {
    m_nPosition = 0;
    m_nEnd = 0;
    m_bAtEnd = !m_file.Open(path);
    if (!m_bAtEnd) {
        m_buffer.resize(kChunkBytes);
    }
    return !m_bAtEnd;
}

bool CLineReader::Refill() {
    m_nPosition = 0;
    m_nEnd = m_bAtEnd ? 0 : m_file.Read(m_buffer.data(), m_buffer.size());
    if (m_nEnd == 0) {
        m_bAtEnd = true;
    }
    return m_nEnd != 0;
}

// The line without its carriage return, if it ended in "\r\n".
std::string_view CLineReader::Finish(std::string_view line) {
    if (!line.empty() && line.back() == kCarriageReturn) {
        line.remove_suffix(1);
    }
    return line;
}

bool CLineReader::ReadLine(std::string_view& line) {
    m_longLine.clear();
    bool readAny = false;
    for (;;) {
        if (m_nPosition == m_nEnd && !Refill()) {
            line = std::string_view(m_longLine.data(), m_longLine.size());
            return readAny;
        }
        readAny = true;
        const char* start = m_buffer.data() + m_nPosition;
        const std::size_t available = m_nEnd - m_nPosition;
        const char* end = static_cast<const char*>(std::memchr(start, kLineFeed, available));
        if (end == nullptr) {
            m_longLine.insert(m_longLine.end(), start, start + available);
            m_nPosition = m_nEnd;
            continue;
        }
        const std::size_t length = static_cast<std::size_t>(end - start);
        m_nPosition += length + 1;
        if (m_longLine.empty()) {
            // The usual case: the whole line lies in the chunk, and is read in place.
            line = Finish(std::string_view(start, length));
        } else {
            m_longLine.insert(m_longLine.end(), start, end);
            line = Finish(std::string_view(m_longLine.data(), m_longLine.size()));
        }
        return true;
    }
}
