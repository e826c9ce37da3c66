// printui.dll for the Wine test prefix: stands in for Windows' print UI (Wine's does nothing).
//
// rundll32 calls PrintUIEntryW with the rest of its command line. The stand-in does what
// Windows' print UI does for the three switches the setup wizard uses, through the public
// spooler API only, and logs every command line with its outcome and with the program and
// current folder it ran in (StandIn.h). It never shows a window. Test equipment: it is never part
// of the setup package.
#include "StandIn.h"
#include "StandInCommand.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

bool fileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

// /if: the driver entry first (as an INF install adds it), then the printer under the next
// free name: Windows' print UI never gives two printers one name, though Wine's AddPrinterW
// would.
std::wstring installPrinter(const standin::Command& command, const standin::Settings& settings) {
    if (!fileExists(command.inf)) {
        return L"failed: no INF file " + quoted(command.inf);
    }
    if (!settings.failPort.empty() && standin::sameName(command.port, settings.failPort)) {
        return L"failed: FailPort is " + quoted(settings.failPort);
    }
    // Wine's AddPrinterW takes any port name; Windows refuses one it does not know.
    std::wstring error;
    std::vector<std::wstring> ports;
    if (!standin::listPorts(ports, error)) {
        return L"failed: " + error;
    }
    const auto samePort = [&](const std::wstring& port) {
        return standin::sameName(port, command.port);
    };
    if (std::none_of(ports.begin(), ports.end(), samePort)) {
        return L"failed: no port " + quoted(command.port);
    }
    std::vector<standin::Printer> printers;
    if (!standin::ensureDriver(command.model, error) || !standin::listPrinters(printers, error)) {
        return L"failed: " + error;
    }
    const standin::Printer printer = {standin::freePrinterName(printers, command.printer),
                                      command.port, command.model};
    if (!standin::addPrinter(printer, error)) {
        return L"failed: " + error;
    }
    return L"ok: printer " + quoted(printer.name) + L" on " + quoted(printer.port) +
           L" with driver " + quoted(printer.driver);
}

// /y and /k work on an existing printer only, as in Windows.
std::wstring onExistingPrinter(const standin::Command& command) {
    std::wstring error;
    std::vector<standin::Printer> printers;
    if (!standin::listPrinters(printers, error)) {
        return L"failed: " + error;
    }
    if (!standin::findPrinter(printers, command.printer)) {
        return L"failed: no printer " + quoted(command.printer);
    }
    if (command.action == standin::Action::TestPage) {
        // Nothing is printed: the log line is the test page.
        return L"ok: test page for " + quoted(command.printer);
    }
    if (!standin::setDefaultPrinter(command.printer, error)) {
        return L"failed: " + error;
    }
    return L"ok: default printer " + quoted(command.printer);
}

std::wstring run(const std::wstring& commandLine) {
    const standin::Settings settings = standin::readSettings();
    Sleep(settings.delayMs < standin::kMaxDelayMs ? settings.delayMs : standin::kMaxDelayMs);
    if (settings.failAll) {
        return L"failed: FailAll is set";
    }
    standin::Command command;
    std::wstring error;
    if (!standin::parseCommand(commandLine, command, error)) {
        return L"failed: malformed: " + error;
    }
    return command.action == standin::Action::InstallPrinter ? installPrinter(command, settings)
                                                             : onExistingPrinter(command);
}

} // namespace

// The entry point rundll32 looks for ("PrintUIEntry" plus W, with Unicode arguments).
extern "C" __declspec(dllexport) void CALLBACK
    PrintUIEntryW(HWND, HINSTANCE, LPCWSTR commandLine, int) {
    const std::wstring line = commandLine ? commandLine : L"";
    std::wstring error;
    wchar_t program[MAX_PATH] = {};
    wchar_t folder[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    GetCurrentDirectoryW(MAX_PATH, folder);
    // Nobody could hear about a failure to log: rundll32 always exits 0.
    standin::appendLog({standin::buildArch(), program, folder, run(line), line}, error);
}
