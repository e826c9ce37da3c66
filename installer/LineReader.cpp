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

bool CLineReader::ReadLine(std::string& line) {
    line.clear();
    bool readAny = false;
    for (;;) {
        if (m_nPosition == m_nEnd && !Refill()) {
            return readAny;
        }
        readAny = true;
        const char* start = m_buffer.data() + m_nPosition;
        const std::size_t available = m_nEnd - m_nPosition;
        const char* end = static_cast<const char*>(std::memchr(start, kLineFeed, available));
        if (end == nullptr) {
            line.append(start, available);
            m_nPosition = m_nEnd;
            continue;
        }
        line.append(start, static_cast<std::size_t>(end - start));
        m_nPosition += static_cast<std::size_t>(end - start) + 1;
        if (!line.empty() && line.back() == kCarriageReturn) {
            line.pop_back();
        }
        return true;
    }
}
