// The command line is split as CommandLineToArgvW splits it and read into one verdict.
#include <gtest/gtest.h>

#include "app/SetupArguments.h"
#include "tests/host/TestSupport.h"

namespace {
using Words = std::vector<WString>;

struct SplitCase {
    const WChar* line;
    Words arguments;
};

const SplitCase kSplitCases[] = {
    {WTEXT(""), {}},
    {WTEXT(R"("C:\Program Files\V\VeltraSetup.exe" /q)"),
     {WTEXT(R"(C:\Program Files\V\VeltraSetup.exe)"), WTEXT("/q")}},
    {WTEXT(R"("C:\Setup\" /q)"), {WTEXT(R"(C:\Setup\)"), WTEXT("/q")}},
    {WTEXT(R"("C:\a b"/q)"), {WTEXT(R"(C:\a b)"), WTEXT("/q")}},
    {WTEXT("p\ta \t b\t"), {WTEXT("p"), WTEXT("a"), WTEXT("b")}},
    {WTEXT(R"(p "a b" "" c"d e"f)"), {WTEXT("p"), WTEXT("a b"), WTEXT(""), WTEXT("cd ef")}},
    {WTEXT(R"(p "a""b c "0 1""" 2)"),
     {WTEXT("p"), WTEXT(R"(a"b)"), WTEXT("c"), WTEXT(R"(0 1" 2)")}},
    {WTEXT(R"(p a\\\\"b c" d\\\"e)"), {WTEXT("p"), WTEXT(R"(a\\b c)"), WTEXT(R"(d\"e)")}},
    {WTEXT(R"(p a\\b c\ "d\\")"), {WTEXT("p"), WTEXT(R"(a\\b)"), WTEXT(R"(c\)"), WTEXT(R"(d\)")}},
};

TEST(SetupArguments, SplitsAsWindowsDoes) {
    for (const SplitCase& c : kSplitCases) {
        const Words split = SplitCommandLine(c.line);
        ASSERT_EQ(split.size(), c.arguments.size()) << U8(c.line);
        for (std::size_t i = 0; i < split.size(); ++i) {
            EXPECT_EQ(U8(split[i]), U8(c.arguments[i])) << U8(c.line);
        }
    }
}

// What a Run asks for, in one line: the fields that are set, in a fixed order.
WString Describe(const SetupArguments& a) {
    const std::pair<bool, WString> fields[] = {{a.help, WTEXT("help")},
                                               {a.quiet, WTEXT("quiet")},
                                               {a.uninstall, WTEXT("uninstall")},
                                               {a.noDefault, WTEXT("nodefault")},
                                               {a.hasModel, WTEXT("model=") + a.model},
                                               {a.hasPort, WTEXT("port=") + a.port},
                                               {a.hasLog, WTEXT("log=") + a.logPath}};
    WString text;
    for (const auto& field : fields) {
        text += field.first ? field.second + WTEXT(" ") : WString();
    }
    return text;
}

using V = ArgumentsVerdict;
struct ReadCase {
    const WChar* arguments; // split as the command line after the program's name
    V verdict;
    const WChar* parsed; // Describe's line; empty for all but Run
};

const ReadCase kReadCases[] = {
    {WTEXT(""), V::Wizard, WTEXT("")},
    {WTEXT("/bogus"), V::Wrong, WTEXT("")},
    {WTEXT("word"), V::Wrong, WTEXT("")},
    {WTEXT("/ /model M"), V::Wrong, WTEXT("model=M ")},
    {WTEXT("/q /quiet /model M"), V::Wrong, WTEXT("quiet model=M ")},
    {WTEXT("/log L -LOG K"), V::Wrong, WTEXT("log=L ")},
    {WTEXT("/quiet /model"), V::Wrong, WTEXT("quiet model= ")},
    {WTEXT("/quiet"), V::Wrong, WTEXT("quiet ")},
    {WTEXT("/uninstall"), V::Wrong, WTEXT("uninstall ")},
    {WTEXT("/model M"), V::Wrong, WTEXT("model=M ")},
    {WTEXT("/port P"), V::Wrong, WTEXT("port=P ")},
    {WTEXT("/nodefault"), V::Wrong, WTEXT("nodefault ")},
    {WTEXT("/uninstall /quiet /model M /port P"), V::Wrong,
     WTEXT("quiet uninstall model=M port=P ")},
    {WTEXT("/uninstall /model M /nodefault"), V::Wrong, WTEXT("uninstall nodefault model=M ")},
    {WTEXT("/?"), V::Help, WTEXT("help ")},
    {WTEXT("/bogus /q /q -HeLp"), V::Help, WTEXT("help quiet ")},
    {WTEXT("/QUIET -Model M"), V::Run, WTEXT("quiet model=M ")},
    {WTEXT("-s /model /port /port /?"), V::Run, WTEXT("quiet model=/port port=/? ")},
    {WTEXT("/Silent /model M /nodefault /log L"), V::Run, WTEXT("quiet nodefault model=M log=L ")},
    {WTEXT("/uninstall /q /model M"), V::Run, WTEXT("quiet uninstall model=M ")},
    {WTEXT("/log C:\\setup.log"), V::Run, WTEXT("log=C:\\setup.log ")},
};

TEST(SetupArguments, ReadsOneVerdict) {
    for (const ReadCase& c : kReadCases) {
        const Words split = SplitCommandLine(WTEXT("p ") + WString(c.arguments));
        SetupArguments parsed;
        parsed.noDefault = true; // left from before: every verdict starts afresh
        EXPECT_EQ(ReadSetupArguments(Words(split.begin() + 1, split.end()), parsed), c.verdict)
            << U8(c.arguments);
        EXPECT_EQ(U8(Describe(parsed)), U8(c.parsed)) << U8(c.arguments);
    }
}
} // namespace
