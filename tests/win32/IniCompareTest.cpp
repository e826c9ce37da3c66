// Our INI reader against the platform's: tricky catalogue files read through both, every
// answer compared character for character, untouched buffer positions included.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "platform/sim/SimIniParser.h"

namespace {

constexpr UINT kChineseCodePage = 936;
constexpr WChar kUnwritten = 0x2591; // fills buffers, so positions left alone compare too
constexpr unsigned long kGuard = 4;  // characters after the buffer our reader must not touch
constexpr unsigned long kLargeCapacity = 1UL << 17;
constexpr unsigned long kCatalogueCapacity = 2048; // what the installer reads sections with
constexpr unsigned long kSweepLimit = 40;          // every capacity below this is tried
constexpr unsigned long kEdgeReach = 3;            // and every one this close to the whole answer
constexpr std::size_t kMaxReported = 30;
constexpr std::size_t kEscapeChars = 8; // "\uXXXX" and its NUL
constexpr WChar kFiller = L'v';

// Lines are written without their ends; each file picks its own.
const WChar kCrLf[] = L"\r\n";
const WChar kLf[] = L"\n";
const WChar kCr[] = L"\r";

// "[KX通用系列]" and one key, in GBK bytes written out by hand.
const char kGbkSeries[] = "[KX\xCD\xA8\xD3\xC3\xCF\xB5\xC1\xD0]\r\nmodel=KX-P1121\r\n";

std::string Encoded(const WString& text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

std::string Utf8(const WString& text) {
    return Encoded(text, CP_UTF8);
}

// Non-printing characters shown as \uXXXX, so a report tells NULs and fillers apart.
std::string Shown(const WChar* text, std::size_t count) {
    WString visible;
    for (std::size_t i = 0; i < count; ++i) {
        if (text[i] < L' ') {
            wchar_t code[kEscapeChars];
            swprintf(code, sizeof(code) / sizeof(code[0]), L"\\u%04X", text[i]);
            visible += code;
        } else {
            visible += text[i];
        }
    }
    return Utf8(visible);
}

std::string Utf16BeWithMark(const WString& text) {
    std::string bytes = sim::EncodeUtf16LeWithMark(text);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::swap(bytes[i], bytes[i + 1]);
    }
    return bytes;
}

// The decoder the platform itself uses, for the comparison of everything after decoding.
WString DecodeLikeThePlatform(const std::string& bytes, sim::IniByteEncoding encoding) {
    if (bytes.empty()) {
        return {};
    }
    const UINT codePage = encoding == sim::IniByteEncoding::Utf8 ? CP_UTF8 : CP_ACP;
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    WString text(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), n);
    return text;
}

WString Joined(const std::vector<WString>& lines, const WChar* lineEnd) {
    WString text;
    for (const WString& line : lines) {
        text += line;
        text += lineEnd;
    }
    return text;
}

// Everything the reader must get right on plain ASCII lines.
std::vector<WString> TrickyLines() {
    return {
        L"; a comment before any section",
        L"top = before any section",
        L"[Drivers]",
        L"KX-100=kx100.inf",
        L"  Spaced Key   =   spaced value   ",
        L"NoEquals",
        L"EmptyValue=",
        L"=first nameless",
        L"=second nameless",
        L"other=between",
        L"= third nameless",
        L";commented=hidden",
        L"  ;indented comment=hidden too",
        L"# hash=kept",
        L"'quoted key'=\"double quoted\"",
        L"single='single'",
        L"mismatch=\"abc'",
        L"lone=\"",
        L"twoquotes=\"\"",
        L"spacedquotes=  \"  inside  \"  ",
        L"inner=a\"b\"c",
        L"a=b=c",
        L"dup=first",
        L"DUP=second",
        L"tab\t=\ttab value\t",
        L"ctrl\x1a=\x1avalue\x1a",
        WString(L"nul=before\0after", 16),
        WString(L"\0starts with a NUL", 18),
        L"=after the NUL line",
        L"[Second]",
        L"k=v",
        L"[drivers]",
        L"later=from the second Drivers",
        L"[  Padded Name  ]",
        L"p=padded",
        L"[NoClose",
        L"after=noclose",
        L"[Trailing] junk after",
        L"t=1",
        L"[]",
        L"e=empty name section",
        L"[a]b]",
        L"x=last bracket",
        L" [Indented]",
        L"i=indented header",
        L"[Blank Lines]",
        L"",
        L"   ",
        L"b=after blanks",
        L"[Only Comments]",
        L";one",
        L";two",
        L"[Empty]",
        L"[Last]",
        L"final=no line end after me",
    };
}

std::vector<WString> ChineseLines() {
    return {
        L"; 卓澜打印机驱动目录",
        L"[KX通用系列]",
        L"型号 = KX-P1121",
        L"路径=驱动\\KX\\kx.inf",
        L"说明=\"带引号的说明\"",
        L"[kx通用系列]",
        L"第二节=不会被读到",
        L"[  打印机  ]",
        L"端口=LPT1:",
        L"[ＶＥＬＴＲＡ]",
        L"ｍｏｄｅｌ=全角",
        L"[ΑΒΓ]",
        L"ΔΕ=希腊",
        L"[АБВ]",
        L"Ёж=俄",
    };
}

// Letters of other scripts, for the case-blind matching (UTF-16 files only).
std::vector<WString> FoldingLines() {
    return {
        L"[Àé Ölçü]", L"Ärger=latin", L"[Σίσυφος]", L"Ώρα=greek", L"[Ёжик]", L"Щука=cyrillic",
        L"[Ŀĳ Ǆ]",    L"ſ=long s",    L"[ⓐⓑ]",      L"Ⅻ=roman",   L"[ǅ]",    L"ǆ=title",
    };
}

// A section whose list, closing NUL included, is exactly `size` characters.
std::vector<WString> SectionOfPackedSize(const WString& name, unsigned long size) {
    constexpr unsigned long kPiece = 60;
    std::vector<WString> lines{L"[" + name + L"]"};
    unsigned long remaining = size - 1; // the closing NUL
    for (int index = 0; remaining > 0; ++index) {
        const unsigned long take = remaining >= 2 * kPiece ? kPiece : remaining;
        WString line = L"L" + std::to_wstring(index) + L"=";
        line.resize(take - 1, kFiller); // the line's own NUL makes up `take`
        lines.push_back(line);
        remaining -= take;
    }
    return lines;
}

std::vector<WString> LimitLines() {
    std::vector<WString> lines;
    for (unsigned long size :
         {kCatalogueCapacity - 1, kCatalogueCapacity, kCatalogueCapacity + 1}) {
        const std::vector<WString> section =
            SectionOfPackedSize(L"Packed" + std::to_wstring(size), size);
        lines.insert(lines.end(), section.begin(), section.end());
    }
    return lines;
}

std::vector<WString> LongLines() {
    constexpr unsigned long kLongValue = 5000;
    constexpr unsigned long kHugeLine = 70000;
    std::vector<WString> lines;
    lines.push_back(L"[Long]");
    lines.push_back(L"value=" + WString(kLongValue, kFiller));
    lines.push_back(L"after=long value");
    lines.push_back(L"[Huge]");
    lines.push_back(L"line=" + WString(kHugeLine, kFiller));
    lines.push_back(L"after=huge line");
    return lines;
}

struct Catalogue {
    const char* name;
    std::string bytes;
};

std::vector<Catalogue> Catalogues() {
    const WString tricky = Joined(TrickyLines(), kCrLf);
    const WString chinese = Joined(ChineseLines(), kCrLf);
    WString mixed = Joined(TrickyLines(), kLf);
    mixed += Joined(ChineseLines(), kCr);
    WString unterminated = Joined(TrickyLines(), kCrLf);
    unterminated.resize(unterminated.size() - 2);
    return {
        {"CrLfAnsi", Encoded(tricky, kChineseCodePage)},
        {"LfAnsi", Encoded(Joined(TrickyLines(), kLf), kChineseCodePage)},
        {"CrAnsi", Encoded(Joined(TrickyLines(), kCr), kChineseCodePage)},
        {"MixedEndsAnsi", Encoded(mixed, kChineseCodePage)},
        {"NoFinalLineEnd", Encoded(unterminated, kChineseCodePage)},
        {"ChineseAnsi", Encoded(chinese, kChineseCodePage)},
        {"ChineseBytes", kGbkSeries},
        {"ChineseUtf16Le", sim::EncodeUtf16LeWithMark(chinese + tricky)},
        {"ChineseUtf16LeLf", sim::EncodeUtf16LeWithMark(Joined(ChineseLines(), kLf))},
        {"FoldingUtf16Le", sim::EncodeUtf16LeWithMark(Joined(FoldingLines(), kCrLf))},
        {"ChineseUtf16Be", Utf16BeWithMark(chinese)},
        {"ChineseUtf8Bom", "\xEF\xBB\xBF" + Encoded(chinese, CP_UTF8)},
        {"Utf8NoBom", Encoded(chinese, CP_UTF8)},
        {"Limits", Encoded(Joined(LimitLines(), kCrLf), kChineseCodePage)},
        {"LongLines", Encoded(Joined(LongLines(), kCrLf), kChineseCodePage)},
        {"Empty", ""},
        {"OnlyMark", sim::EncodeUtf16LeWithMark(L"")},
        {"OneByte", "x"},
        {"NoSections", "a=1\r\nb=2\r\n"},
    };
}

// Queries both readers and records every difference.
class Comparison {
public:
    Comparison(std::wstring path, const std::string& bytes)
        : m_path(std::move(path)),
          m_document(sim::IniDocument::FromBytes(bytes, DecodeLikeThePlatform)) {}

    const sim::IniDocument& Document() const { return m_document; }
    const std::vector<std::string>& Differences() const { return m_differences; }
    std::size_t Queries() const { return m_queries; }

    // The whole list's count, from the platform.
    unsigned long WholeSection(const WString& section) {
        std::vector<WChar> buffer(kLargeCapacity);
        return IniReadSection(section.c_str(), buffer.data(), kLargeCapacity, m_path.c_str());
    }
    unsigned long WholeString(const WString& section, const WString& key) {
        std::vector<WChar> buffer(kLargeCapacity);
        return IniReadString(section.c_str(), key.c_str(), nullptr, buffer.data(), kLargeCapacity,
                             m_path.c_str());
    }

    void Section(const WString& section, unsigned long capacity) {
        Compare(
            "section [" + Utf8(section) + "]", capacity,
            [&](WChar* buffer) {
                return IniReadSection(section.c_str(), buffer, capacity, m_path.c_str());
            },
            [&](WChar* buffer) {
                return m_document.ReadSection(section.c_str(), buffer, capacity);
            });
    }

    void String(const WString& section, const WChar* key, const WChar* defaultValue,
                unsigned long capacity) {
        const std::string what =
            "string [" + Utf8(section) + "] " +
            (key ? "'" + Utf8(key) + "'" : std::string("(no key)")) + " default " +
            (defaultValue ? "'" + Utf8(defaultValue) + "'" : std::string("null"));
        Compare(
            what, capacity,
            [&](WChar* buffer) {
                return IniReadString(section.c_str(), key, defaultValue, buffer, capacity,
                                     m_path.c_str());
            },
            [&](WChar* buffer) {
                return m_document.ReadString(section.c_str(), key, defaultValue, buffer, capacity);
            });
    }

private:
    template <typename Platform, typename Ours>
    void Compare(const std::string& what, unsigned long capacity, Platform platform, Ours ours) {
        ++m_queries;
        std::vector<WChar> real(capacity + kGuard, kUnwritten);
        std::vector<WChar> mine(capacity + kGuard, kUnwritten);
        const unsigned long realCount = platform(real.data());
        const unsigned long myCount = ours(mine.data());
        const bool sameText = std::equal(real.begin(), real.begin() + capacity, mine.begin());
        const bool guardKept = std::all_of(mine.begin() + capacity, mine.end(),
                                           [](WChar c) { return c == kUnwritten; });
        if (realCount == myCount && sameText && guardKept) {
            return;
        }
        m_differences.push_back(what + " capacity " + std::to_string(capacity) + ": platform " +
                                std::to_string(realCount) + " \"" + Shown(real.data(), capacity) +
                                "\", ours " + std::to_string(myCount) + " \"" +
                                Shown(mine.data(), capacity) + "\"" +
                                (guardKept ? "" : " (ours wrote past the buffer)"));
    }

    std::wstring m_path;
    sim::IniDocument m_document;
    std::vector<std::string> m_differences;
    std::size_t m_queries = 0;
};

// Every small capacity, and every one near the whole answer's.
std::vector<unsigned long> CapacitiesFor(unsigned long whole, unsigned long smallest) {
    std::vector<unsigned long> capacities;
    for (unsigned long c = smallest; c < kSweepLimit && c <= whole + kEdgeReach; ++c) {
        capacities.push_back(c);
    }
    const unsigned long low = whole > kSweepLimit + kEdgeReach ? whole - kEdgeReach : kSweepLimit;
    for (unsigned long c = low; c <= whole + kEdgeReach; ++c) {
        capacities.push_back(c);
    }
    capacities.push_back(kCatalogueCapacity);
    return capacities;
}

WString Upper(WString text) {
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}
WString Lower(WString text) {
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// A name as written, in the platform's capitals and small letters, and with blanks around.
std::vector<WString> Spellings(const WString& name) {
    return {name, Upper(name), Lower(name), L"  " + name + L"\t"};
}

const WChar* const kDefaults[] = {nullptr, L"dflt", L"dflt  ", L"   ", L"\"quoted default\"",
                                  L"'x",   L""};

void CompareSections(Comparison& comparison) {
    std::vector<WString> names{L"NoSuchSection", L"", L" ", L"Drivers ", L"Padded Name"};
    for (const sim::IniSection& section : comparison.Document().Sections()) {
        for (const WString& spelling : Spellings(section.name)) {
            names.push_back(spelling);
        }
    }
    for (const WString& name : names) {
        for (unsigned long capacity : CapacitiesFor(comparison.WholeSection(name), 2)) {
            comparison.Section(name, capacity);
        }
    }
}

// Every key in its spellings, cut at every capacity, with every default; the section in its
// spellings with the first key, a missing key, and no key at all.
void CompareStrings(Comparison& comparison) {
    for (const sim::IniSection& section : comparison.Document().Sections()) {
        std::vector<WString> keys{L"NoSuchKey", L"", L" "};
        for (const sim::IniLine& line : section.lines) {
            for (const WString& spelling : Spellings(line.name)) {
                keys.push_back(spelling);
            }
        }
        for (const WString& key : keys) {
            const unsigned long whole = comparison.WholeString(section.name, key);
            for (unsigned long capacity : CapacitiesFor(whole, 1)) {
                comparison.String(section.name, key.c_str(), nullptr, capacity);
            }
            for (const WChar* defaultValue : kDefaults) {
                comparison.String(section.name, key.c_str(), defaultValue, kSweepLimit);
            }
        }
        const WString firstKey = section.lines.empty() ? WString() : section.lines[0].name;
        for (const WString& sectionName : Spellings(section.name)) {
            comparison.String(sectionName, firstKey.c_str(), nullptr, kSweepLimit);
            comparison.String(sectionName, L"NoSuchKey", L"dflt", kSweepLimit);
            for (const WChar* defaultValue : kDefaults) {
                comparison.String(sectionName, nullptr, defaultValue, kLargeCapacity);
                comparison.String(sectionName, nullptr, defaultValue, kEdgeReach);
            }
        }
    }
    // Defaults cut and quoted, with no file behind them.
    for (const WChar* defaultValue : kDefaults) {
        for (unsigned long capacity = 1; capacity < kSweepLimit; ++capacity) {
            comparison.String(L"NoSuchSection", L"NoSuchKey", defaultValue, capacity);
        }
    }
}

// A test that writes catalogue files into a folder of the run's own; each file goes when its
// test ends, the folder when the suite does.
template <typename Base> class CatalogueFolder : public Base {
protected:
    static void SetUpTestSuite() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        s_folder = std::wstring(temp) + L"veltra-ini-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(s_folder.c_str(), nullptr);
    }
    static void TearDownTestSuite() { RemoveDirectoryW(s_folder.c_str()); }
    void TearDown() override { DeleteFileW(m_path.c_str()); }

    std::wstring Write(const Catalogue& catalogue) {
        const std::string name = catalogue.name;
        m_path = s_folder + L"\\" + std::wstring(name.begin(), name.end()) + L".ini";
        HANDLE file = CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, catalogue.bytes.data(), static_cast<DWORD>(catalogue.bytes.size()),
                  &written, nullptr);
        CloseHandle(file);
        EXPECT_EQ(written, catalogue.bytes.size());
        return m_path;
    }

    static inline std::wstring s_folder;
    std::wstring m_path;
};

class IniCompare : public CatalogueFolder<::testing::TestWithParam<Catalogue>> {};

// Names the catalogue in gtest's messages instead of dumping its bytes.
void PrintTo(const Catalogue& catalogue, std::ostream* out) {
    *out << catalogue.name;
}
using IniCompareSanity = CatalogueFolder<::testing::Test>;

// Runs every query on both readers and reports the first differences.
void ExpectSameAnswers(Comparison& comparison) {
    CompareSections(comparison);
    CompareStrings(comparison);
    const std::vector<std::string>& differences = comparison.Differences();
    for (std::size_t i = 0; i < differences.size() && i < kMaxReported; ++i) {
        ADD_FAILURE() << differences[i];
    }
    EXPECT_EQ(differences.size(), 0u) << "of " << comparison.Queries() << " queries";
}

TEST_P(IniCompare, EveryAnswerIsThePlatforms) {
    ASSERT_EQ(GetACP(), kChineseCodePage) << "run with the project's Wine environment";
    Comparison comparison(Write(GetParam()), GetParam().bytes);
    ExpectSameAnswers(comparison);
}

INSTANTIATE_TEST_SUITE_P(IniFiles, IniCompare, ::testing::ValuesIn(Catalogues()),
                         [](const ::testing::TestParamInfo<Catalogue>& file) {
                             return std::string(file.param.name);
                         });

// A file that is not there reads as one without sections.
TEST(IniCompareMissing, EveryAnswerIsThePlatforms) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    Comparison comparison(std::wstring(temp) + L"veltra-no-such-catalogue.ini", std::string());
    ExpectSameAnswers(comparison);
}

// The comparisons above would agree on Chinese names even if both readers garbled them; this
// pins what the platform reads from known GBK bytes.
TEST_F(IniCompareSanity, PlatformReadsGbkBytesAsChinese) {
    const std::wstring path = Write({"GbkSanity", kGbkSeries});
    WChar buffer[kSweepLimit];
    EXPECT_EQ(IniReadString(L"kx通用系列", L"MODEL", nullptr, buffer, kSweepLimit, path.c_str()),
              8u);
    EXPECT_EQ(WString(buffer), L"KX-P1121");
}

} // namespace
