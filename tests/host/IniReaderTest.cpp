// The simulated INI reader through the seam: lists, strings, cuts, line ends and encodings.
#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "platform/sim/SimIniParser.h"
#include "tests/host/TestSupport.h"

namespace {

constexpr WChar kUnwritten = u'#'; // fills buffers, so positions left alone show up
constexpr unsigned long kRoomy = 256;
const WChar kCatalogue[] = u"C:\\VeltraSetup\\Drivers.ini";

// A literal with its embedded NULs (the literal's own last NUL left out).
template <std::size_t N> WString Chars(const char16_t (&literal)[N]) {
    return WString(literal, N - 1);
}

std::string Ascii(const WString& text) {
    return std::string(text.begin(), text.end());
}

// The catalogue every table below reads, with each line end in turn.
std::string CatalogueText(const std::string& lineEnd) {
    const std::vector<std::string> lines = {
        "; Veltra drivers",
        "[Drivers]",
        "KX-100=kx100.inf",
        "  Model  =  KX 100  ",
        "NoEquals",
        ";comment=skipped",
        "Empty=",
        "Quoted=\"a b\"",
        "dup=first",
        "DUP=second",
        "[drivers]",
        "Later=second section",
        "[Edge]",
        "ab=cd",
        "[Empty Section]",
        "[Nameless]",
        "=one",
        "=two",
        "k=v",
        "=three",
    };
    std::string text;
    for (const std::string& line : lines) {
        text += line + lineEnd;
    }
    return text;
}

struct SectionCase {
    const char* what;
    const char16_t* section;
    unsigned long capacity;
    unsigned long count;
    WString buffer; // the buffer's first characters after the call
};

std::vector<SectionCase> SectionCases() {
    const WString drivers = Chars(u"KX-100=kx100.inf\0Model=KX 100\0NoEquals\0Empty=\0"
                                  u"Quoted=\"a b\"\0dup=first\0DUP=second\0\0");
    const unsigned long driversCount = static_cast<unsigned long>(drivers.size() - 1);
    return {
        {"as written", u"Drivers", kRoomy, driversCount, drivers},
        {"capitals: case-blind, and the first of the two", u"DRIVERS", kRoomy, driversCount,
         drivers},
        {"small letters: still the first", u"drivers", kRoomy, driversCount, drivers},
        {"blanks around the name are not dropped", u" Drivers", kRoomy, 0, Chars(u"\0\0#")},
        {"missing section", u"Nowhere", kRoomy, 0, Chars(u"\0\0#")},
        {"section without lines", u"Empty Section", kRoomy, 0, Chars(u"\0#")},
        {"a nameless line right after another is dropped", u"Nameless", kRoomy, 16,
         Chars(u"=one\0k=v\0=three\0\0")},
        {"cut in the first line", u"Drivers", 8, 6, Chars(u"KX-100\0\0")},
        {"cut right after a line's NUL", u"Drivers", 19, 17, Chars(u"KX-100=kx100.inf\0\0#")},
        {"cut one into the second line", u"Drivers", 20, 18, Chars(u"KX-100=kx100.inf\0M\0\0")},
        {"fits with room to spare", u"Edge", 8, 6, Chars(u"ab=cd\0\0#")},
        {"fits exactly: counted as cut", u"Edge", 7, 5, Chars(u"ab=cd\0\0")},
        {"one short", u"Edge", 6, 4, Chars(u"ab=c\0\0")},
        {"smallest list: one NUL only", u"Edge", 2, 0, Chars(u"\0#")},
        {"too small for any list", u"Edge", 1, 0, Chars(u"\0")},
    };
}

struct StringCase {
    const char* what;
    const char16_t* section;
    const char16_t* key;
    const char16_t* defaultValue;
    unsigned long capacity;
    WString value;
};

std::vector<StringCase> StringCases() {
    return {
        {"as written", u"Drivers", u"KX-100", nullptr, kRoomy, u"kx100.inf"},
        {"case-blind section and key", u"dRIVERS", u"kx-100", nullptr, kRoomy, u"kx100.inf"},
        {"blanks around the names asked for are dropped", u" Drivers\t", u"  Model ", nullptr,
         kRoomy, u"KX 100"},
        {"blanks around '=' and the line are dropped", u"Drivers", u"Model", nullptr, kRoomy,
         u"KX 100"},
        {"cut to capacity - 1", u"Drivers", u"Model", nullptr, 4, u"KX "},
        {"capacity 1 gives the empty text", u"Drivers", u"Model", nullptr, 1, u""},
        {"one pair of quotes dropped", u"Drivers", u"Quoted", nullptr, kRoomy, u"a b"},
        {"quoted value just fitting", u"Drivers", u"Quoted", nullptr, 5, u"a b"},
        // The platform drops the last character copied whenever the value but for its NUL
        // would fit, even when that character is not the closing quote.
        {"quoted value cut before its closing quote", u"Drivers", u"Quoted", nullptr, 4, u"a "},
        {"empty value is a value", u"Drivers", u"Empty", u"dflt", kRoomy, u""},
        {"line without '=' has no value", u"Drivers", u"NoEquals", u"dflt", kRoomy, u"dflt"},
        {"first of two keys", u"Drivers", u"Dup", nullptr, kRoomy, u"first"},
        {"second section of a name is never read", u"Drivers", u"Later", u"dflt", kRoomy, u"dflt"},
        {"comment lines are found by name", u"Drivers", u";comment", nullptr, kRoomy, u"skipped"},
        {"missing key, no default", u"Drivers", u"Nothing", nullptr, kRoomy, u""},
        {"missing section, default", u"Nowhere", u"Model", u"dflt", kRoomy, u"dflt"},
        {"default loses trailing spaces", u"Nowhere", u"Model", u"dflt  ", kRoomy, u"dflt"},
        {"default of spaces keeps one", u"Nowhere", u"Model", u"   ", kRoomy, u" "},
        {"default loses its quotes", u"Nowhere", u"Model", u"'q'", kRoomy, u"q"},
        {"default cut", u"Nowhere", u"Model", u"default", 4, u"def"},
    };
}

class IniReader : public SimTest {
protected:
    void WriteCatalogue(const std::string& bytes) { Machine().WriteFile(kCatalogue, bytes); }

    // The section's list as the buffer holds it, as many characters as `expected` has.
    unsigned long Section(const WChar* section, unsigned long capacity, std::size_t shown,
                          WString& buffer) {
        std::vector<WChar> chars(capacity + 1, kUnwritten);
        const unsigned long count = IniReadSection(section, chars.data(), capacity, kCatalogue);
        EXPECT_EQ(chars[capacity], kUnwritten) << "wrote past the buffer";
        buffer.assign(chars.data(), shown);
        return count;
    }

    WString String(const WChar* section, const WChar* key, const WChar* defaultValue,
                   unsigned long capacity, unsigned long& count) {
        std::vector<WChar> chars(capacity + 1, kUnwritten);
        count = IniReadString(section, key, defaultValue, chars.data(), capacity, kCatalogue);
        EXPECT_EQ(chars[capacity], kUnwritten) << "wrote past the buffer";
        return WString(chars.data());
    }

    void ExpectSections(const std::vector<SectionCase>& cases) {
        for (const SectionCase& c : cases) {
            WString buffer;
            EXPECT_EQ(Section(c.section, c.capacity, c.buffer.size(), buffer), c.count) << c.what;
            EXPECT_EQ(buffer, c.buffer) << c.what << ": " << Ascii(buffer);
        }
    }

    void ExpectStrings(const std::vector<StringCase>& cases) {
        for (const StringCase& c : cases) {
            unsigned long count = 0;
            const WString value = String(c.section, c.key, c.defaultValue, c.capacity, count);
            EXPECT_EQ(value, c.value) << c.what << ": " << U8(value);
            EXPECT_EQ(count, c.value.size()) << c.what;
        }
    }
};

TEST_F(IniReader, SectionListsCountAndCutAsThePlatform) {
    WriteCatalogue(CatalogueText("\r\n"));
    ExpectSections(SectionCases());
}

TEST_F(IniReader, StringsMatchCutAndFallBackAsThePlatform) {
    WriteCatalogue(CatalogueText("\r\n"));
    ExpectStrings(StringCases());
}

TEST_F(IniReader, EveryLineEndReadsTheSame) {
    for (const char* lineEnd : {"\n", "\r", "\n\r", "\r\n\r\n"}) {
        SCOPED_TRACE(testing::Message() << "line end " << testing::PrintToString(lineEnd));
        WriteCatalogue(CatalogueText(lineEnd));
        ExpectSections(SectionCases());
        ExpectStrings(StringCases());
    }
}

TEST_F(IniReader, FilePathIsCaseBlind) {
    Machine().WriteFile(u"c:\\veltrasetup\\DRIVERS.INI", CatalogueText("\r\n"));
    unsigned long count = 0;
    EXPECT_EQ(String(u"Drivers", u"KX-100", nullptr, kRoomy, count), u"kx100.inf");
}

TEST_F(IniReader, MissingOrEmptyFileReadsAsNoSections) {
    for (bool empty : {false, true}) {
        SCOPED_TRACE(empty ? "empty file" : "missing file");
        if (empty) {
            WriteCatalogue("");
        }
        WString buffer;
        EXPECT_EQ(Section(u"Drivers", kRoomy, 3, buffer), 0u);
        EXPECT_EQ(buffer, Chars(u"\0\0#"));
        // The nameless section before the first header exists only in a file with bytes.
        EXPECT_EQ(Section(u"", kRoomy, 3, buffer), 0u);
        EXPECT_EQ(buffer, Chars(u"\0\0#"));
        unsigned long count = 1;
        EXPECT_EQ(String(u"Drivers", u"Model", u"dflt", kRoomy, count), u"dflt");
        EXPECT_EQ(count, 4u);
        EXPECT_EQ(String(u"Drivers", u"Model", nullptr, kRoomy, count), u"");
        EXPECT_EQ(count, 0u);
    }
}

TEST_F(IniReader, LinesBeforeTheFirstHeaderFormTheNamelessSection) {
    WriteCatalogue("top=1\r\n[A]\r\nk=v\r\n");
    WString buffer;
    EXPECT_EQ(Section(u"", kRoomy, 7, buffer), 6u);
    EXPECT_EQ(buffer, Chars(u"top=1\0\0"));
}

// The Chinese series name, in the encodings a catalogue may come in.
const char16_t kSeries[] = u"KX通用系列";
const char kSeriesGbk[] = "[KX\xCD\xA8\xD3\xC3\xCF\xB5\xC1\xD0]\r\nmodel=KX-P1121\r\n";

class IniEncoding : public IniReader {
protected:
    // The series section's list and its model, as read from the catalogue now written.
    void ExpectSeriesRead() {
        WString buffer;
        EXPECT_EQ(Section(kSeries, kRoomy, 16, buffer), 15u);
        EXPECT_EQ(buffer, Chars(u"model=KX-P1121\0\0"));
        unsigned long count = 0;
        EXPECT_EQ(String(u"kx通用系列", u"MODEL", nullptr, kRoomy, count), u"KX-P1121");
        EXPECT_EQ(count, 8u);
    }
    void ExpectSeriesMissing() {
        WString buffer;
        EXPECT_EQ(Section(kSeries, kRoomy, 2, buffer), 0u);
        EXPECT_EQ(buffer, Chars(u"\0\0"));
    }
};

TEST_F(IniEncoding, Utf16WithMarkIsReadOnAnyCodePage) {
    const std::string bytes =
        sim::EncodeUtf16LeWithMark(WString(u"[") + kSeries + u"]\r\nmodel=KX-P1121\r\n");
    for (unsigned codePage : {sim::kCodePageChinese, sim::kCodePageWestern}) {
        SCOPED_TRACE(codePage);
        Machine().ansiCodePage = codePage;
        WriteCatalogue(bytes);
        ExpectSeriesRead();
    }
}

TEST_F(IniEncoding, GbkBytesNeedTheChineseCodePage) {
    WriteCatalogue(kSeriesGbk);
    Machine().ansiCodePage = sim::kCodePageChinese;
    ExpectSeriesRead();

    // On a Western machine the same bytes are Latin letters, and the series is not there.
    Machine().ansiCodePage = sim::kCodePageWestern;
    ExpectSeriesMissing();
    unsigned long count = 0;
    EXPECT_EQ(String(u"KX\u00CD\u00A8\u00D3\u00C3\u00CF\u00B5\u00C1\u00D0", u"model", nullptr,
                     kRoomy, count),
              u"KX-P1121");
}

TEST_F(IniEncoding, Utf8WithMarkIsReadAndWithoutIsTakenForAnsi) {
    WriteCatalogue("\xEF\xBB\xBF" +
                   sim::ToUtf8(WString(u"[") + kSeries + u"]\r\nmodel=KX-P1121\r\n"));
    ExpectSeriesRead();
    WriteCatalogue(sim::ToUtf8(WString(u"[") + kSeries + u"]\r\nmodel=KX-P1121\r\n"));
    ExpectSeriesMissing();
}

TEST_F(IniEncoding, Utf16BigEndianWithMarkIsRead) {
    std::string bytes =
        sim::EncodeUtf16LeWithMark(WString(u"[") + kSeries + u"]\r\nmodel=KX-P1121\r\n");
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::swap(bytes[i], bytes[i + 1]);
    }
    WriteCatalogue(bytes);
    ExpectSeriesRead();
}

// Bytes decoded as the platform decodes them, odd ones included.
TEST(IniAnsiDecoding, MatchesThePlatformsDecoder) {
    struct Case {
        const char* what;
        std::string bytes;
        unsigned codePage;
        WString text;
    };
    const std::vector<Case> cases = {
        {"GBK pair", "\xCD\xA8", sim::kCodePageChinese, u"通"},
        {"euro sign", "\x80", sim::kCodePageChinese, u"\u20AC"},
        {"0xFF starts no pair",
         "a\xFF"
         "b",
         sim::kCodePageChinese, u"a\uF8F5b"},
        {"lead byte swallows the line feed after it", "a\x81\nb", sim::kCodePageChinese, u"a?b"},
        {"lead byte at the end", "a\x81", sim::kCodePageChinese, u"a?"},
        {"Western letters", "\xC4\xE9", sim::kCodePageWestern, u"\u00C4\u00E9"},
        {"Western euro sign", "\x80", sim::kCodePageWestern, u"\u20AC"},
        {"undefined Western bytes keep their value", "\x81\x8D\x8F\x90\x9D", sim::kCodePageWestern,
         u"\u0081\u008D\u008F\u0090\u009D"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sim::DecodeAnsiCodePage(c.bytes, c.codePage), c.text) << c.what;
    }
}

} // namespace
