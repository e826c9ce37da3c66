// INI file bytes read as the platform's private-profile functions read them (portable).
#include "platform/sim/SimIniParser.h"

#include "platform/sim/SimText.h"

namespace sim {
namespace {

constexpr unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
constexpr unsigned char kUtf16LeMark[] = {0xFF, 0xFE};
constexpr unsigned char kUtf16BeMark[] = {0xFE, 0xFF};
constexpr int kBitsPerByte = 8;
constexpr unsigned kByteMask = 0xFF;

constexpr WChar kSectionOpen = WTEXT('[');
constexpr WChar kSectionClose = WTEXT(']');
constexpr WChar kEquals = WTEXT('=');
constexpr WChar kComment = WTEXT(';');
constexpr WChar kSingleQuote = WTEXT('\'');
constexpr WChar kDoubleQuote = WTEXT('"');
constexpr WChar kSpace = WTEXT(' ');
constexpr WChar kCarriageReturn = WTEXT('\r');
constexpr WChar kLineFeed = WTEXT('\n');
constexpr WChar kTab = WTEXT('\t');
constexpr WChar kDosEndOfFile = 0x1A; // ^Z, left at the end of files by old DOS tools

// The smallest buffer a section list can be written into: one text and the closing NUL.
constexpr unsigned long kSmallestList = 2;

// Only ASCII letters match without regard to case: Wine 8.0 leaves every other letter as it
// is ("Ä" is not "ä", full-width "Ａ" is not "ａ").

// Tab, LF, VT, FF and CR are one run of codes.
bool IsBlank(WChar c) {
    return (c >= kTab && c <= kCarriageReturn) || c == kDosEndOfFile || c == kSpace;
}

bool IsLineBreak(WChar c) {
    return c == kCarriageReturn || c == kLineFeed;
}

// The platform keeps names and values as C strings: a NUL inside a line ends them.
WString UpToNul(const WChar* first, const WChar* last) {
    const WChar* end = first;
    while (end < last && *end != 0) {
        ++end;
    }
    return WString(first, end);
}

void TrimBlanks(const WChar*& first, const WChar*& last) {
    while (first < last && IsBlank(*first)) {
        ++first;
    }
    while (last > first && IsBlank(last[-1])) {
        --last;
    }
}

WString Trimmed(const WChar* text) {
    const WChar* first = text;
    const WChar* last = text + TextLength(text, WString::npos);
    TrimBlanks(first, last);
    return WString(first, last);
}

bool StartsWith(const std::string& bytes, const unsigned char* mark, std::size_t markSize) {
    if (bytes.size() < markSize) {
        return false;
    }
    for (std::size_t i = 0; i < markSize; ++i) {
        if (static_cast<unsigned char>(bytes[i]) != mark[i]) {
            return false;
        }
    }
    return true;
}

// The platform's lstrcpynW: at most capacity - 1 characters and a NUL (nothing at all when the
// capacity is 0). Returns the number of characters copied.
std::size_t CopyCut(WChar* dest, const WChar* source, std::size_t capacity) {
    if (capacity == 0) {
        return 0;
    }
    std::size_t n = 0;
    while (n + 1 < capacity && source[n] != 0) {
        dest[n] = source[n];
        ++n;
    }
    dest[n] = 0;
    return n;
}

// A value (or default) into the buffer, one pair of matching quotes around it dropped. The
// platform's way has a quirk kept here on purpose: it copies from after the opening quote and
// then drops the last character copied whenever the buffer could hold the rest of the value
// but for its NUL, so a value cut just before its closing quote also loses one more character.
unsigned long CopyValue(WChar* buffer, const WChar* value, unsigned long capacity) {
    bool quoted = false;
    const WChar first = value[0];
    if ((first == kSingleQuote || first == kDoubleQuote) && value[1] != 0) {
        const std::size_t length = TextLength(value, WString::npos);
        if (value[length - 1] == first) {
            quoted = true;
            ++value;
        }
    }
    std::size_t copied = CopyCut(buffer, value, capacity);
    if (quoted && capacity >= TextLength(value, WString::npos) && copied > 0) {
        buffer[--copied] = 0;
    }
    return static_cast<unsigned long>(copied);
}

// The platform drops trailing spaces (spaces only) from the default, but never its first
// character: a default of blanks alone stays one blank.
WString DefaultWithoutTrailingSpaces(const WChar* defaultValue) {
    WString text = defaultValue != nullptr ? defaultValue : WTEXT("");
    std::size_t end = text.size();
    while (end > 1 && text[end - 1] == kSpace) {
        --end;
    }
    text.resize(end);
    return text;
}

// One line of the file into the section being filled, or a new section.
void ParseLine(const WChar* first, const WChar* last, std::vector<IniSection>& sections) {
    TrimBlanks(first, last);
    if (first >= last) {
        return;
    }
    if (*first == kSectionOpen) {
        const WChar* close = last;
        while (close > first && close[-1] != kSectionClose) {
            --close;
        }
        if (close > first) {
            const WChar* nameFirst = first + 1;
            const WChar* nameLast = close - 1;
            TrimBlanks(nameFirst, nameLast);
            sections.push_back({UpToNul(nameFirst, nameLast), {}});
            return;
        }
        // No ']' at all: an ordinary line.
    }
    IniLine line;
    const WChar* equals = first;
    while (equals < last && *equals != kEquals) {
        ++equals;
    }
    const WChar* nameLast = equals;
    while (nameLast > first && IsBlank(nameLast[-1])) {
        --nameLast;
    }
    line.name = UpToNul(first, nameLast);
    if (equals < last) {
        const WChar* valueFirst = equals + 1;
        while (valueFirst < last && IsBlank(*valueFirst)) {
            ++valueFirst;
        }
        line.value = UpToNul(valueFirst, last);
        line.hasValue = true;
    }
    std::vector<IniLine>& lines = sections.back().lines;
    // A nameless line right after another nameless line is not kept.
    if (nameLast == first && !lines.empty() && lines.back().name.empty()) {
        return;
    }
    lines.push_back(std::move(line));
}

} // namespace

WString DecodeIniFile(const std::string& bytes, const IniTextDecoder& decode) {
    if (StartsWith(bytes, kUtf8Mark, sizeof(kUtf8Mark))) {
        return decode(bytes.substr(sizeof(kUtf8Mark)), IniByteEncoding::Utf8);
    }
    if (StartsWith(bytes, kUtf16LeMark, sizeof(kUtf16LeMark))) {
        return DecodeUtf16Bytes(bytes.data() + sizeof(kUtf16LeMark),
                                bytes.size() - sizeof(kUtf16LeMark), false);
    }
    if (StartsWith(bytes, kUtf16BeMark, sizeof(kUtf16BeMark))) {
        return DecodeUtf16Bytes(bytes.data() + sizeof(kUtf16BeMark),
                                bytes.size() - sizeof(kUtf16BeMark), true);
    }
    return decode(bytes, IniByteEncoding::Ansi);
}

IniDocument IniDocument::FromBytes(const std::string& bytes, const IniTextDecoder& decode) {
    if (bytes.empty()) {
        return IniDocument();
    }
    return FromText(DecodeIniFile(bytes, decode));
}

IniDocument IniDocument::FromText(const WString& text) {
    IniDocument document;
    document.m_sections.push_back({WString(), {}});
    const WChar* next = text.data();
    const WChar* end = text.data() + text.size();
    while (next < end) {
        const WChar* first = next;
        while (next < end && !IsLineBreak(*next)) {
            ++next;
        }
        const WChar* last = next;
        while (next < end && IsLineBreak(*next)) {
            ++next;
        }
        ParseLine(first, last, document.m_sections);
    }
    return document;
}

const IniSection* IniDocument::FindSection(const WString& name) const {
    for (const IniSection& section : m_sections) {
        if (EqualsIgnoringAsciiCase(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

// The platform's packing, step for step: each line goes in whole or cut to what is left but
// one; once fewer than two characters are left the list is closed, and then the count is
// capacity - 2 even when the last line happened to fit exactly.
unsigned long IniDocument::PackSection(const IniSection& section, WChar* buffer,
                                       unsigned long capacity, bool withValues) const {
    WChar* out = buffer;
    unsigned long left = capacity;
    for (const IniLine& line : section.lines) {
        if (left <= kSmallestList) {
            break;
        }
        if (line.name.empty() && !line.hasValue) {
            continue; // only a line starting with a NUL character gets here
        }
        if (!line.name.empty() && line.name[0] == kComment) {
            continue;
        }
        if (!withValues && !line.hasValue) {
            continue;
        }
        std::size_t copied = CopyCut(out, line.name.c_str(), left - 1);
        left -= static_cast<unsigned long>(copied + 1);
        out += copied + 1;
        if (left < kSmallestList) {
            break;
        }
        if (withValues && line.hasValue) {
            out[-1] = kEquals;
            copied = CopyCut(out, line.value.c_str(), left - 1);
            left -= static_cast<unsigned long>(copied + 1);
            out += copied + 1;
        }
    }
    *out = 0;
    if (left <= 1) {
        out[-1] = 0;
        return capacity - kSmallestList;
    }
    return capacity - left;
}

unsigned long IniDocument::ListSection(const WChar* section, WChar* buffer, unsigned long capacity,
                                       bool withValues) const {
    if (capacity < kSmallestList) {
        ClearText(buffer, capacity);
        return 0;
    }
    const IniSection* found = FindSection(section);
    if (found == nullptr) {
        buffer[0] = 0;
        buffer[1] = 0;
        return 0;
    }
    return PackSection(*found, buffer, capacity, withValues);
}

unsigned long IniDocument::ReadSection(const WChar* section, WChar* buffer,
                                       unsigned long capacity) const {
    if (section == nullptr || buffer == nullptr) {
        return 0;
    }
    return ListSection(section, buffer, capacity, true);
}

unsigned long IniDocument::ReadString(const WChar* section, const WChar* key,
                                      const WChar* defaultValue, WChar* buffer,
                                      unsigned long capacity) const {
    if (buffer == nullptr || capacity == 0 || section == nullptr) {
        return 0;
    }
    if (key == nullptr) {
        // The names of the keys, the section looked up as the section list does it; the
        // default, with its trailing spaces, when that gives nothing.
        const unsigned long count = ListSection(section, buffer, capacity, false);
        if (buffer[0] != 0) {
            return count;
        }
        return CopyValue(buffer, defaultValue != nullptr ? defaultValue : WTEXT(""), capacity);
    }
    const WString fallback = DefaultWithoutTrailingSpaces(defaultValue);
    const WChar* value = fallback.c_str();
    // Unlike the section list, the string lookup drops blanks around the names asked for.
    const IniSection* found = FindSection(Trimmed(section));
    if (found != nullptr) {
        const WString wanted = Trimmed(key);
        for (const IniLine& line : found->lines) {
            if (EqualsIgnoringAsciiCase(line.name, wanted)) {
                if (line.hasValue) {
                    value = line.value.c_str();
                }
                break;
            }
        }
    }
    return CopyValue(buffer, value, capacity);
}

WString DecodeUtf16Bytes(const char* bytes, std::size_t size, bool bigEndian) {
    WString text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const unsigned first = static_cast<unsigned char>(bytes[i]);
        const unsigned second = static_cast<unsigned char>(bytes[i + 1]);
        const unsigned high = bigEndian ? first : second;
        const unsigned low = bigEndian ? second : first;
        text.push_back(static_cast<WChar>((high << kBitsPerByte) | low));
    }
    return text;
}

std::string EncodeUtf16LeWithMark(const WString& text) {
    std::string bytes(reinterpret_cast<const char*>(kUtf16LeMark), sizeof(kUtf16LeMark));
    for (WChar c : text) {
        const unsigned unit = static_cast<unsigned>(c);
        bytes.push_back(static_cast<char>(unit & kByteMask));
        bytes.push_back(static_cast<char>((unit >> kBitsPerByte) & kByteMask));
    }
    return bytes;
}

} // namespace sim
