// The catalogue readers on small catalogues of the tests' own.
#include <gtest/gtest.h>

#include "installer/DriverInstaller.h"
#include "tests/host/TestSupport.h"

namespace {

constexpr unsigned long kValueCapacity = 260;

class Catalogue : public SimTest {
protected:
    void Write(const std::string& utf8) {
        Machine().WriteFile(m_installer.GetPrinterInfoFile(), Utf16LeFile(utf8));
    }
    std::vector<std::string> Lines(const std::string& section, int* result = nullptr) {
        NameList lines;
        const int r = m_installer.ReadSectionLines(sim::FromUtf8(section).c_str(), lines);
        if (result != nullptr) {
            *result = r;
        }
        std::vector<std::string> out;
        for (const WString& line : lines) {
            out.push_back(U8(line));
        }
        return out;
    }
    // A section of `count` lines of `length` letters each.
    static std::string Section(const std::string& name, int count, std::size_t length) {
        std::string text = "[" + name + "]\n";
        for (int i = 0; i < count; ++i) {
            text += std::string(length - 1, 'a') + static_cast<char>('A' + i % 26) + "\n";
        }
        return text;
    }

    CDriverInstaller m_installer;
};

TEST_F(Catalogue, SectionLinesComeWholeInFileOrderWithDuplicates) {
    Write("[KX通用系列]\nM3\nM1\nM2=value\nM1\n[One]\nOnly\n[PRINTER_SERIES]\nS1\nS2\n");
    int result = 0;
    EXPECT_EQ(Lines("KX通用系列", &result),
              (std::vector<std::string>{"M3", "M1", "M2=value", "M1"}));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Lines("one"), (std::vector<std::string>{"Only"})) << "section names are case-blind";

    NameList series = {WTEXT("kept")};
    EXPECT_EQ(m_installer.ReadSeriesList(series), 1);
    ASSERT_EQ(series.size(), 3u) << "the list is only appended to";
    EXPECT_EQ(U8(series[0]), "kept");
    EXPECT_EQ(U8(series[2]), "S2");
}

TEST_F(Catalogue, MissingFileOrSectionLeavesTheListAsItWas) {
    NameList lines = {WTEXT("kept")};
    EXPECT_EQ(m_installer.ReadSectionLines(WTEXT("KX通用系列"), lines), 0);
    Write("[Other]\nx\n[Empty]\n");
    EXPECT_EQ(m_installer.ReadSectionLines(WTEXT("KX通用系列"), lines), 0);
    EXPECT_EQ(m_installer.ReadSectionLines(WTEXT("Empty"), lines), 0);
    EXPECT_EQ(lines.size(), 1u);
}

TEST_F(Catalogue, SectionNeedingMoreThan2045CharactersReadsAsAbsent) {
    // Lines of 408 letters take 409 characters each in the packed list.
    constexpr std::size_t kLine = 408;
    struct Case {
        int lines;
        std::size_t extra; // letters added to the last line
        bool read;
    };
    const Case cases[] = {
        {5, 0, true},  // 2045 characters: the largest list that counts
        {5, 1, false}, // 2046: taken as cut
        {6, 0, false}, // 2454: cut by the platform
        {1, 0, true},  // one line, one string
    };
    for (const Case& c : cases) {
        std::string text = Section("Big", c.lines, kLine);
        text.insert(text.size() - 1, std::string(c.extra, 'z'));
        Write(text);
        int result = -1;
        const std::vector<std::string> lines = Lines("Big", &result);
        EXPECT_EQ(result, c.read ? 1 : 0) << c.lines << " lines +" << c.extra;
        EXPECT_EQ(lines.size(), c.read ? static_cast<std::size_t>(c.lines) : 0u);
    }
}

TEST_F(Catalogue, ModelDriverNameIsFoundCaseBlindOrLeftEmpty) {
    Write("[PRINTER_NAME]\nVeltra KX-680=Veltra KX-680 驱动\nEmpty=\n");
    WChar name[kValueCapacity] = {};
    EXPECT_EQ(m_installer.GetModelDriverName(WTEXT("veltra kx-680"), name, kValueCapacity), 1);
    EXPECT_EQ(U8(name), "Veltra KX-680 驱动");

    for (const WChar* model : {WTEXT("Veltra KX-90"), WTEXT("Empty"), WTEXT("")}) {
        WChar none[kValueCapacity] = {};
        EXPECT_EQ(m_installer.GetModelDriverName(model, none, kValueCapacity), 0) << U8(model);
        EXPECT_EQ(U8(none), "");
    }
}

TEST_F(Catalogue, ValuesAtOrOverTheReaderLimitDoNotCount) {
    const std::string atLimit(kValueCapacity - 2, 'v');  // 258: counted as absent
    const std::string longest(kValueCapacity - 3, 'w');  // 257: fine
    const std::string tooLong(kValueCapacity + 40, 'x'); // cut by the platform
    Write("[PRINTER_NAME]\nA=" + atLimit + "\nB=" + longest + "\nC=" + tooLong + "\n");
    WChar name[kValueCapacity] = {};
    EXPECT_EQ(m_installer.GetModelDriverName(WTEXT("A"), name, kValueCapacity), 0);
    EXPECT_EQ(m_installer.GetModelDriverName(WTEXT("B"), name, kValueCapacity), 1);
    EXPECT_EQ(U8(name), longest);
    EXPECT_EQ(m_installer.GetModelDriverName(WTEXT("C"), name, kValueCapacity), 0)
        << "a value cut to fit must not pass for the driver name";
}

TEST_F(Catalogue, PrinterTypeIsOneForTwentyFourTwoForNineElseMinusOne) {
    Write("[PRINTER_TYPE]\nA=24\nB=9\nC=09\nD=\nE=24x\nF=" + std::string(18, '2') + "\n");
    const std::pair<const WChar*, int> cases[] = {
        {WTEXT("A"), 1},  {WTEXT("b"), 2},  {WTEXT("C"), -1},    {WTEXT("D"), -1},
        {WTEXT("E"), -1}, {WTEXT("F"), -1}, {WTEXT("None"), -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(m_installer.GetPrinterType(c.first), c.second) << U8(c.first);
    }
}

} // namespace
