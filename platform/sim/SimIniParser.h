// Reads the bytes of an INI file the way the platform's GetPrivateProfileSectionW and
// GetPrivateProfileStringW do, in portable code so the Windows tests can hold it against them.
//
// What the platform does, as read in Wine's profile code and checked under Wine 8.0 by
// tests/win32/IniCompareTest.cpp:
//  - A file starting EF BB BF is UTF-8, FF FE is UTF-16LE, FE FF is UTF-16BE (the mark is
//    dropped); anything else is text in the ANSI code page. An empty file has no sections at
//    all; any other file has a nameless section holding the lines before the first header.
//  - Lines end at any run of CR and LF characters, so a lone CR ends a line too. Blanks
//    (tab, LF, VT, FF, CR, space and ^Z) around a line are dropped; there is no length limit.
//  - "[name]" starts a section: the name is what lies between the '[' and the LAST ']' of the
//    line, blanks around it dropped; anything after that ']' is ignored. A line starting with
//    '[' but holding no ']' is an ordinary line of the current section.
//  - Other lines split at their first '=': blanks before and after it are dropped. A line
//    without '=' is kept as a key without value. A line with an empty name ("=x") is dropped
//    when the line before it in the same section also had an empty name.
//  - Nothing is a comment while reading: ";x=1" is a key named ";x". The section list skips
//    lines starting with ';' (but not '#'), and the string lookup can still find them.
//  - Sections and keys match without regard to case, for ASCII letters only. Duplicate
//    sections are not merged: only the first of a name is ever read, and within it the first
//    key of a name. The string lookup drops blanks around the names asked for; the section
//    list does not.
//  - The section list gives lines exactly as kept ("key=value" or "key"), values unchanged.
//    A list is cut as described in platform/IniFile.h; a list that fills the buffer exactly,
//    closing NUL included, is reported as cut (capacity - 2) although nothing is missing.
//  - A string value (or the default) loses one pair of matching quotes (' or ") around it.
//    The default loses trailing spaces first, but keeps at least its first character.
//
// Where real Windows may answer otherwise (not checked, no Windows here): it may not honour a
// UTF-8 mark, and it may fold letters beyond ASCII. Catalogues are UTF-16LE or ANSI with
// ASCII keys, which neither point touches.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Text.h"

namespace sim {

// How a run of bytes is to be turned into UTF-16 text.
enum class IniByteEncoding {
    Ansi, // the machine's ANSI code page
    Utf8, // UTF-8 (after a byte-order mark)
};

// Turns bytes into UTF-16 text. Each build supplies its own: the simulated machine one on
// iconv, the Windows tests one on MultiByteToWideChar.
using IniTextDecoder = std::function<WString(const std::string& bytes, IniByteEncoding encoding)>;

// The text of a file as the platform sees it: the byte-order mark recognised and dropped, the
// rest decoded. A UTF-16 file of odd length loses its last byte.
WString DecodeIniFile(const std::string& bytes, const IniTextDecoder& decode);

// One line of a section as it was kept: "name" alone when the line had no '='.
struct IniLine {
    WString name;
    WString value;
    bool hasValue = false;
};

struct IniSection {
    WString name;
    std::vector<IniLine> lines;
};

// A parsed file, answering as the platform's two functions do. A default-constructed one is
// a missing (or empty) file.
class IniDocument {
public:
    IniDocument() = default;
    static IniDocument FromBytes(const std::string& bytes, const IniTextDecoder& decode);
    // The decoded text of a file that is not empty.
    static IniDocument FromText(const WString& text);

    // As GetPrivateProfileSectionW; see platform/IniFile.h. With a capacity below 2 the
    // platform writes outside the buffer; this writes at most one NUL and gives 0.
    unsigned long ReadSection(const WChar* section, WChar* buffer, unsigned long capacity) const;

    // As GetPrivateProfileStringW with a section and a key (a null key gives the names of the
    // section's keys that have a value, or the default when there are none).
    unsigned long ReadString(const WChar* section, const WChar* key, const WChar* defaultValue,
                             WChar* buffer, unsigned long capacity) const;

    const std::vector<IniSection>& Sections() const { return m_sections; }

private:
    const IniSection* FindSection(const WString& name) const;
    unsigned long ListSection(const WChar* section, WChar* buffer, unsigned long capacity,
                              bool withValues) const;
    unsigned long PackSection(const IniSection& section, WChar* buffer, unsigned long capacity,
                              bool withValues) const;

    std::vector<IniSection> m_sections;
};

// UTF-16 bytes without a mark as text; an odd last byte is dropped.
WString DecodeUtf16Bytes(const char* bytes, std::size_t size, bool bigEndian);

// Test helper: `text` as UTF-16LE bytes behind a byte-order mark, as Notepad saves it.
std::string EncodeUtf16LeWithMark(const WString& text);

// The simulated machine's decoder (iconv; host build only, defined in SimIniFile.cpp), for
// the given ANSI code page. Bytes the code page does not define decode as the platform's do
// where that is simple (single-byte pages: the byte's own value), else as U+FFFD.
WString DecodeAnsiCodePage(const std::string& bytes, unsigned codePage);

} // namespace sim
