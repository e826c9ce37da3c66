// The wizard driver's own logic, without a wizard: reading steps files and following texts.
#include "driver/StepFile.h"
#include "driver/Text.h"
#include "driver/TextSequence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using driver::parseSteps;
using driver::Step;
using driver::StepKind;
using driver::TextSequence;

std::string utf8(const std::wstring& text) {
    return driver::toUtf8(text);
}

struct GoodLine {
    const char* line;
    StepKind kind;
    const wchar_t* name;
    const wchar_t* text;
    int number; // milliseconds, count or line number, as the step has it
};

TEST(DriverSteps, ReadsThePrinterAndPrintUiSteps) {
    const GoodLine cases[] = {
        {"add-printer Veltra 卓澜 KX|LPT1:", StepKind::AddPrinter, L"Veltra 卓澜 KX", L"LPT1:", 0},
        {"printer A b|USB001", StepKind::Printer, L"A b", L"USB001", 0},
        {"remove-printer A b\\s", StepKind::RemovePrinter, L"A b ", L"", 0},
        {"no-printer A (副本 1)", StepKind::NoPrinter, L"A (副本 1)", L"", 0},
        {"default-printer A", StepKind::DefaultPrinter, L"A", L"", 0},
        {"printui fail-port LPT2:", StepKind::PrintUiSetting, L"", L"LPT2:", 0},
        {"printui delay 250", StepKind::PrintUiSetting, L"", L"", 250},
        {"printui-run PRINTUI.DLL,PrintUIEntry /y /n \"A\"\\s", StepKind::PrintUiRun, L"",
         L"PRINTUI.DLL,PrintUIEntry /y /n \"A\" ", 0},
        {"printui-count /if 2", StepKind::PrintUiCount, L"", L"/if", 2},
        {"printui-line 3 /k /q /n \"C:\\\\x\"\\s", StepKind::PrintUiLine, L"",
         L"/k /q /n \"C:\\x\" ", 3},
        {"no-msgbox 800", StepKind::NoMsgBox, L"", L"", 800},
        {"texts 1032 a|b c|", StepKind::Texts, L"", L"a|b c|", 0},
        {"reg-dword SOFTWARE\\Microsoft\\Windows NT\\Printers Mode 0", StepKind::RegDword,
         L"SOFTWARE\\Microsoft\\Windows NT\\Printers", L"Mode", 0},
    };
    for (const GoodLine& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<Step> steps;
        std::wstring error;
        ASSERT_TRUE(parseSteps(c.line, steps, error)) << utf8(error);
        ASSERT_EQ(steps.size(), 1u);
        const Step& step = steps.front();
        EXPECT_EQ(step.kind, c.kind);
        EXPECT_EQ(utf8(step.name), utf8(c.name));
        EXPECT_EQ(utf8(step.text), utf8(c.text));
        EXPECT_EQ(step.kind == StepKind::PrintUiCount || step.kind == StepKind::PrintUiLine
                      ? step.number
                      : step.milliseconds,
                  c.number);
    }
}

TEST(DriverSteps, FillsTheDetailsOfTheNewSteps) {
    std::vector<Step> steps;
    std::wstring error;
    ASSERT_TRUE(parseSteps("add-printer A|LPT1:\nadd-printer B|LPT2:|Veltra KX\n"
                           "close altf4\nprintui fail-all\ntexts 7 a|b c|\n"
                           "printer-settings A|comment=x=y\\s|share=|paper=09",
                           steps, error))
        << utf8(error);
    ASSERT_EQ(steps.size(), 6u);
    EXPECT_EQ(utf8(steps[0].driver), "A") << "the driver entry is named as the printer";
    EXPECT_EQ(utf8(steps[1].driver), "Veltra KX");
    EXPECT_EQ(steps[2].closeWay, driver::CloseWay::AltF4);
    EXPECT_EQ(steps[3].printUiMode, driver::PrintUiMode::FailAll);
    EXPECT_EQ(steps[4].controlId, 7);
    EXPECT_EQ(steps[4].items, (std::vector<std::wstring>{L"a", L"b c", L""}));
    const std::vector<driver::PrinterSetting>& settings = steps[5].settings;
    ASSERT_EQ(settings.size(), 3u);
    EXPECT_EQ(utf8(settings[0].value), "x=y ");
    EXPECT_EQ(settings[1].field, driver::PrinterField::Share);
    EXPECT_EQ(utf8(settings[2].value), "9") << "a number reads back as the spooler writes it";
    EXPECT_EQ(settings[2].number, 9);
}

struct BadLine {
    const char* line;
    const char* error;
};

TEST(DriverSteps, RefusesMalformedStepsWithTheReason) {
    const BadLine cases[] = {
        {"add-printer A",
         "line 1: 'add-printer' needs <name>|<port> and maybe |<driver>, got \"A\""},
        {"printer A|B|C", "line 1: 'printer' needs <name>|<port>, got \"A|B|C\""},
        {"printer |LPT1:", "line 1: 'printer' needs <name>|<port>, got \"|LPT1:\""},
        {"no-printer", "line 1: 'no-printer' needs a name"},
        {"set-printer A|colour=1",
         "line 1: expected <key>=<value>, got \"colour=1\" (keys: comment, location, share, "
         "separator, priority, default-priority, start, until, paper, orientation)"},
        {"printui", "line 1: unknown printui setting \"\" (fail-port <port>, fail-all, delay <ms> "
                    "or normal)"},
        {"printui fail-port", "line 1: 'printui fail-port' needs the port"},
        {"printui fail-all now", "line 1: 'printui fail-all' takes no arguments"},
        {"printui delay soon", "line 1: expected a decimal number, got \"soon\""},
        {"printui-log-clear all", "line 1: 'printui-log-clear' takes no arguments"},
        {"printui-count if 1", "line 1: expected a switch like /if, got \"if\""},
        {"printui-count /if", "line 1: expected a decimal number, got \"\""},
        {"printui-line 0 /y", "line 1: lines are counted from 1"},
        {"printui-run", "line 1: 'printui-run' needs the parameters"},
        {"close window", "line 1: unknown way to close \"window\" (titlebar, altf4 or escape)"},
        {"no-msgbox 40000", "line 1: number 40000 is larger than 30000"},
        {"texts 1031", "line 1: 'texts' needs the texts after the id"},
        {"text 1031 a\\tb", "line 1: unknown escape \\t (only \\n, \\s and \\\\ exist)"},
    };
    for (const BadLine& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<Step> steps;
        std::wstring error;
        EXPECT_FALSE(parseSteps(c.line, steps, error));
        EXPECT_EQ(utf8(error), c.error);
    }
}

// What the control showed, poll by poll, and what the texts step makes of it.
struct SequenceCase {
    const char* what;
    std::vector<std::wstring> shown;
    bool complete;
    bool broken;
    std::vector<std::wstring> missed;
};

TEST(DriverTexts, FollowsASequenceAndToleratesOnlyMissedIntermediateTexts) {
    const std::vector<std::wstring> expected = {L"a", L"b", L"c"};
    const SequenceCase cases[] = {
        {"all in order", {L"a", L"b", L"c"}, true, false, {}},
        {"old text first, repeats", {L"", L"old", L"a", L"a", L"b", L"b", L"c"}, true, false, {}},
        {"b too brief to see", {L"a", L"c"}, true, false, {L"b"}},
        {"not there yet", {L"old", L"a", L"b"}, false, false, {}},
        {"a never seen", {L"b", L"c"}, false, false, {}},
        {"back to a", {L"a", L"b", L"a"}, false, true, {}},
        {"a stranger in between", {L"a", L"x", L"c"}, false, true, {}},
        {"c before b", {L"a", L"c", L"b"}, true, false, {L"b"}},
    };
    for (const SequenceCase& c : cases) {
        SCOPED_TRACE(c.what);
        TextSequence sequence(expected);
        for (const std::wstring& text : c.shown) {
            sequence.observe(text);
        }
        EXPECT_EQ(sequence.complete(), c.complete);
        EXPECT_EQ(!sequence.problem().empty(), c.broken) << utf8(sequence.problem());
        EXPECT_EQ(sequence.missed(), c.missed);
    }
}

TEST(DriverTexts, ARepeatedTextCountsAgainWhenItComesBack) {
    TextSequence sequence({L"working", L"done", L"working"});
    for (const wchar_t* text : {L"working", L"done", L"working"}) {
        sequence.observe(text);
    }
    EXPECT_TRUE(sequence.complete());
    EXPECT_EQ(sequence.seen(), (std::vector<std::wstring>{L"working", L"done", L"working"}));
}

} // namespace
