// The print UI stand-in under Wine, through the real rundll32 as the wizard starts it: what
// each command does to the spooler and what it logs. Needs the stand-in installed in the
// prefix (tools/wine-env.sh: veltra_wine_install_printui); removes every printer it makes.
#include "StandIn.h"
#include "StandInCommand.h"

#include <windows.h>

#include <gtest/gtest.h>
#include <winspool.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using standin::Action;
using standin::Command;
using standin::LogEntry;
using standin::Settings;

// Names with a blank and Chinese, as real model names have.
const std::wstring kPrinter = L"Veltra 卓澜 Stand-in Test";
const std::wstring kPort = L"LPT1:";
const std::wstring kOtherPort = L"LPT2:";
const std::wstring kMissingPort = L"NOPORT:";
const std::wstring kEntry = L"PRINTUI.DLL,PrintUIEntry ";
// The copies a test may make, all removed again.
constexpr int kCopiesCleanedUp = 3;
constexpr DWORD kDelayMs = 400;

std::string utf8(const std::wstring& text) {
    std::string result(
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(),
                        static_cast<int>(result.size()), nullptr, nullptr);
    result.pop_back(); // the terminator
    return result;
}

// The name Windows' print UI gives the n-th copy, in the user interface's language.
std::wstring copyName(int n) {
    const bool chinese =
        GetUserDefaultUILanguage() == MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    return kPrinter + (chinese ? L" (副本 " : L" (Copy ") + std::to_wstring(n) + L")";
}

std::vector<std::wstring> testPrinterNames() {
    std::vector<std::wstring> names = {kPrinter};
    for (int n = 1; n <= kCopiesCleanedUp; ++n) {
        names.push_back(copyName(n));
    }
    return names;
}

// Our test printers that exist now, as "name on port with driver" in UTF-8, sorted.
std::vector<std::string> testPrinters() {
    std::vector<standin::Printer> printers;
    std::wstring error;
    EXPECT_TRUE(standin::listPrinters(printers, error)) << utf8(error);
    const std::vector<std::wstring> ours = testPrinterNames();
    std::vector<std::string> found;
    for (const standin::Printer& printer : printers) {
        if (std::find(ours.begin(), ours.end(), printer.name) != ours.end()) {
            found.push_back(
                utf8(printer.name + L" on " + printer.port + L" with " + printer.driver));
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string described(const std::wstring& name, const std::wstring& port) {
    return utf8(name + L" on " + port + L" with " + kPrinter);
}

// The wizard's own line, trailing blank included: the model is named as the printer.
std::wstring installLine(const std::wstring& inf, const std::wstring& port) {
    return L"/if /n \"" + kPrinter + L"\" /f \"" + inf + L"\" /r \"" + port + L"\" /m \"" +
           kPrinter + L"\" ";
}

std::wstring printerLine(const wchar_t* action) {
    return std::wstring(action) + L" /q /n \"" + kPrinter + L"\"";
}

// True if the file is our stand-in, not Wine's own printui.dll: only ours names the log.
bool isStandIn(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    std::string bytes;
    constexpr DWORD kChunkBytes = 65536;
    std::vector<char> chunk(kChunkBytes);
    DWORD got = 0;
    while (ReadFile(file, chunk.data(), kChunkBytes, &got, nullptr) && got > 0) {
        bytes.append(chunk.data(), got);
    }
    CloseHandle(file);
    const std::wstring logName = L"veltra-printui.log";
    const std::string marker(reinterpret_cast<const char*>(logName.data()),
                             logName.size() * sizeof(wchar_t));
    return bytes.find(marker) != std::string::npos;
}

std::wstring systemFolder() {
    const std::wstring rundll32 = standin::systemRundll32();
    return rundll32.substr(0, rundll32.rfind(L'\\'));
}

// Every test starts and ends with no test printer, no settings, an empty log and the
// default printer it found.
class StandInTest : public ::testing::Test {
protected:
    void SetUp() override {
        cleanUp();
        defaultBefore_ = standin::defaultPrinter();
        wchar_t folder[MAX_PATH] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
        inf_ = std::wstring(folder) + L"veltra-standin-test.inf";
        HANDLE file = CreateFileW(inf_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
        const std::wstring installed = systemFolder() + L"\\printui.dll";
        ASSERT_TRUE(isStandIn(installed))
            << utf8(installed) << " is not the stand-in: run veltra_wine_install_printui";
    }

    void TearDown() override {
        cleanUp();
        DeleteFileW(inf_.c_str());
        if (!defaultBefore_.empty()) {
            SetDefaultPrinterW(defaultBefore_.c_str());
        }
    }

    static void cleanUp() {
        std::wstring error;
        for (const std::wstring& name : testPrinterNames()) {
            standin::deletePrinter(name, error); // most of them are not there
        }
        standin::deleteDriver(kPrinter, nullptr, error);
        standin::deleteDriver(kPrinter, standin::kX86Environment, error);
        EXPECT_TRUE(standin::writeSettings(Settings(), error)) << utf8(error);
        EXPECT_TRUE(standin::clearLog(error)) << utf8(error);
    }

    static void configure(const Settings& settings) {
        std::wstring error;
        ASSERT_TRUE(standin::writeSettings(settings, error)) << utf8(error);
    }

    // Runs the command through rundll32 and returns the log entry it left.
    static LogEntry run(const std::wstring& commandLine,
                        const std::wstring& rundll32 = standin::systemRundll32()) {
        std::wstring error;
        EXPECT_TRUE(standin::clearLog(error)) << utf8(error);
        EXPECT_TRUE(standin::runRundll32(rundll32, kEntry + commandLine, error)) << utf8(error);
        std::vector<LogEntry> log;
        EXPECT_TRUE(standin::readLog(log, error)) << utf8(error);
        EXPECT_EQ(log.size(), 1u) << "one command, one log line";
        return log.empty() ? LogEntry() : log.front();
    }

    static void addExisting(const std::wstring& name) {
        std::wstring error;
        ASSERT_TRUE(standin::ensureDriver(kPrinter, error)) << utf8(error);
        ASSERT_TRUE(standin::addPrinter({name, kPort, kPrinter}, error)) << utf8(error);
    }

    std::wstring inf_;
    std::wstring defaultBefore_;
};

// /if in each situation: the printers that exist before, the settings, the port and whether
// the INF is there decide which printer appears, if any.
struct InstallCase {
    const char* situation;
    std::vector<std::wstring> before; // test printers that exist already, on kPort
    Settings settings;
    std::wstring port;
    bool infExists;
    std::wstring made; // the printer the command adds, empty for none
    const wchar_t* outcome;
};

TEST_F(StandInTest, InstallsAPrinterUnderTheNextFreeNameUnlessToldOrUnableTo) {
    const Settings normal;
    const Settings failOtherPort = {kOtherPort, false, 0};
    const Settings failThisPort = {kPort, false, 0};
    const Settings failAll = {L"", true, 0};
    const InstallCase cases[] = {
        {"a new printer", {}, normal, kPort, true, kPrinter, L"ok: "},
        {"the name is taken", {kPrinter}, normal, kPort, true, copyName(1), L"ok: "},
        {"the first copy is taken too",
         {kPrinter, copyName(1)},
         normal,
         kOtherPort,
         true,
         copyName(2),
         L"ok: "},
        {"only a copy is there", {copyName(1)}, normal, kPort, true, kPrinter, L"ok: "},
        {"another port fails", {}, failOtherPort, kPort, true, kPrinter, L"ok: "},
        {"this port fails", {}, failThisPort, kPort, true, L"", L"failed: FailPort"},
        {"everything fails", {}, failAll, kPort, true, L"", L"failed: FailAll"},
        {"no INF file", {}, normal, kPort, false, L"", L"failed: no INF file"},
        {"no such port", {}, normal, kMissingPort, true, L"", L"failed: no port"},
    };
    for (const InstallCase& c : cases) {
        SCOPED_TRACE(c.situation);
        cleanUp();
        std::vector<std::string> expected;
        for (const std::wstring& name : c.before) {
            addExisting(name);
            expected.push_back(described(name, kPort));
        }
        configure(c.settings);
        const std::wstring inf = c.infExists ? inf_ : inf_ + L".missing";
        const std::wstring line = installLine(inf, c.port);
        const LogEntry logged = run(line);
        EXPECT_EQ(utf8(logged.commandLine), utf8(line)) << "logged exactly as sent";
        EXPECT_EQ(logged.arch, standin::buildArch());
        EXPECT_EQ(utf8(logged.outcome).rfind(utf8(c.outcome), 0), 0u) << utf8(logged.outcome);
        if (!c.made.empty()) {
            expected.push_back(described(c.made, c.port));
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(testPrinters(), expected);
    }
}

TEST_F(StandInTest, MakesAnExistingPrinterTheDefault) {
    addExisting(kPrinter);
    const LogEntry logged = run(printerLine(L"/y"));
    EXPECT_EQ(utf8(logged.outcome).rfind("ok: ", 0), 0u) << utf8(logged.outcome);
    EXPECT_EQ(utf8(standin::defaultPrinter()), utf8(kPrinter));
}

TEST_F(StandInTest, RefusesToMakeAMissingPrinterTheDefault) {
    const LogEntry logged = run(printerLine(L"/y"));
    EXPECT_EQ(utf8(logged.outcome).rfind("failed: no printer", 0), 0u) << utf8(logged.outcome);
    EXPECT_EQ(utf8(standin::defaultPrinter()), utf8(defaultBefore_));
}

TEST_F(StandInTest, RecordsATestPageForAnExistingPrinterOnly) {
    EXPECT_EQ(utf8(run(printerLine(L"/k")).outcome).rfind("failed: no printer", 0), 0u);
    addExisting(kPrinter);
    EXPECT_EQ(utf8(run(printerLine(L"/k")).outcome).rfind("ok: test page", 0), 0u);
}

TEST_F(StandInTest, DoesNothingWithAMalformedLine) {
    const LogEntry logged = run(L"/if /n \"" + kPrinter + L"\" /f");
    EXPECT_EQ(utf8(logged.outcome), "failed: malformed: /f has no value");
    EXPECT_TRUE(testPrinters().empty());
}

// A lower bound only: the stand-in must not act before DelayMs has passed.
TEST_F(StandInTest, WaitsAsLongAsDelayMsSays) {
    addExisting(kPrinter);
    configure({L"", false, kDelayMs});
    const ULONGLONG started = GetTickCount64();
    EXPECT_EQ(utf8(run(printerLine(L"/k")).outcome).rfind("ok: ", 0), 0u);
    EXPECT_GE(GetTickCount64() - started, kDelayMs);
}

// Any process may start syswow64's 32-bit rundll32 itself; it loads the i686 stand-in from
// there, which reads the same settings and writes the same log and spooler. (In a 32-bit
// process the other tests do the same through the redirected system folder.)
TEST_F(StandInTest, The32BitStandInSharesSettingsLogAndSpooler) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemWow64DirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        GTEST_SKIP() << "no syswow64: a 32-bit prefix";
    }
    const std::wstring wow64(folder);
    if (!isStandIn(wow64 + L"\\printui.dll")) {
        GTEST_SKIP() << "no i686 stand-in in syswow64 (veltra_wine_install_printui got one DLL)";
    }
    configure({kOtherPort, false, 0});
    const std::wstring rundll32 = wow64 + L"\\rundll32.exe";
    LogEntry logged = run(installLine(inf_, kOtherPort), rundll32);
    EXPECT_EQ(logged.arch, L"x86");
    EXPECT_EQ(utf8(logged.outcome).rfind("failed: FailPort", 0), 0u) << utf8(logged.outcome);
    logged = run(installLine(inf_, kPort), rundll32);
    EXPECT_EQ(utf8(logged.outcome).rfind("ok: ", 0), 0u) << utf8(logged.outcome);
    EXPECT_EQ(testPrinters(), std::vector<std::string>{described(kPrinter, kPort)});
}

// The parser alone: what each line asks for, or why it is malformed.
struct ParseCase {
    const wchar_t* line;
    const wchar_t* error; // null if the line is good; then what it asks for:
    Action action = Action::InstallPrinter;
    const wchar_t* printer = L"";
    const wchar_t* inf = L"";
    const wchar_t* port = L"";
    const wchar_t* model = L"";
    bool quiet = false;
};

TEST(StandInCommand, ParsesTheSwitchesOfWindowsPrintUi) {
    const ParseCase cases[] = {
        {L"/if /n \"A b\" /f \"C:\\x y\\a.inf\" /r \"LPT1:\" /m \"M 1\" ", nullptr,
         Action::InstallPrinter, L"A b", L"C:\\x y\\a.inf", L"LPT1:", L"M 1", false},
        {L"/if /q /n \"A\" /f \"a.inf\" /r \"LPT2:\" /m \"M\" ", nullptr, Action::InstallPrinter,
         L"A", L"a.inf", L"LPT2:", L"M", true},
        {L"/y /q /n \"卓澜 A\"", nullptr, Action::SetDefault, L"卓澜 A", L"", L"", L"", true},
        {L"/q /k /n P", nullptr, Action::TestPage, L"P", L"", L"", L"", true},
        {L"/n\"P q\" /k", nullptr, Action::TestPage, L"P q", L"", L"", L"", false},
        {L"/nP /y /Z /b base /q", nullptr, Action::SetDefault, L"P", L"", L"", L"", true},
        {L"\t/k\t/n  \"\"P\"\"", nullptr, Action::TestPage, L"P", L"", L"", L"", false},
        {L"/y /n \"P", L"a double quote is not closed"},
        {L"/y /n", L"/n has no value"},
        {L"/y /n /q", L"/n has no value"},
        {L"/y /n A /n B", L"/n is given twice"},
        {L"/y /k /n A", L"more than one action (/k)"},
        {L"/n A", L"no action (/if, /y or /k)"},
        {L"", L"no action (/if, /y or /k)"},
        {L"/Y /n A", L"no action (/if, /y or /k)"},
        {L"A /y", L"\"A\" belongs to no switch"},
        {L"/y /n \"\"", L"/n is missing or empty"},
        {L"/if /n A /f a.inf /m A", L"/r is missing or empty"},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(utf8(c.line));
        Command command;
        std::wstring error;
        const bool ok = standin::parseCommand(c.line, command, error);
        EXPECT_EQ(utf8(error), utf8(c.error ? c.error : L""));
        EXPECT_EQ(ok, c.error == nullptr);
        if (ok) {
            EXPECT_EQ(command.action, c.action);
            EXPECT_EQ(utf8(command.printer), utf8(c.printer));
            EXPECT_EQ(utf8(command.inf), utf8(c.inf));
            EXPECT_EQ(utf8(command.port), utf8(c.port));
            EXPECT_EQ(utf8(command.model), utf8(c.model));
            EXPECT_EQ(command.quiet, c.quiet);
        }
    }
}

TEST(StandInCommand, ListsTheSwitchesOfALine) {
    EXPECT_EQ(standin::switchesOf(L"/if /n \"/y\" /q /fx \"a"),
              (std::vector<std::wstring>{L"/if", L"/n", L"/q", L"/fx"}));
}

} // namespace
