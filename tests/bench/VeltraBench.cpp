// Times the wizard under Wine from another process, against a baseline measured in the same
// run: its start-up against an empty one-page wizard with the same manifest, and its Finish
// against the waits the design imposes. Prints medians and ratios.
//
//   VeltraBench.exe startup <runs> <baseline.exe> <wizard.exe>
//       From CreateProcessW to the first page shown and painted (no update region left in the
//       sheet or any window in it), each program in turn, after a warm-up.
//   VeltraBench.exe finish <runs> <wizard.exe>
//       From pressing Finish on the confirmation page to the "OK" box, for a first
//       installation on LPT1: with the print UI stand-in; then the two print UI commands the
//       installation runs, started alone, to split the time into what the design waits for
//       (the 500 ms pause, timer 1's 200 ms, the two rundll32 processes) and the rest.
//   VeltraBench.exe quiet <runs> <wizard.exe>
//       From CreateProcessW to the exit of a quiet installation on LPT1:, against what the
//       same run's log says its install and default-printer steps took (the print UI
//       processes and the 500 ms pause) and against the bare start and exit of the same
//       program (/quiet /?, which does nothing), timed in the same run: the rest is the
//       program's own.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "StandIn.h"

namespace {

constexpr int kWarmUpRuns = 3;
constexpr DWORD kPollMs = 1;
constexpr DWORD kTimeoutMs = 20000;
constexpr DWORD kSettleMs = 100;
constexpr double kMsPerSecond = 1000.0;
// What the design waits for on every Finish: the pause before the presence check and the
// period of the timer that reports the outcome.
constexpr double kPresencePauseMs = 500;
constexpr double kOutcomeTimerMs = 200;
constexpr int kBackButton = 0x3023;
constexpr int kNextButton = 0x3024;
constexpr int kFinishButton = 0x3025;
constexpr int kConfirmationPages = 3; // Next presses from the welcome page
const wchar_t kDialogClass[] = L"#32770";
const wchar_t kOkCaption[] = L"OK";
const wchar_t kDriver[] = L"Veltra KX-500";
const wchar_t kPort[] = L"LPT1:";

double Now() {
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * kMsPerSecond /
           static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Search {
    DWORD processId;
    const wchar_t* caption; // null: any
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (owner != search->processId || !IsWindowVisible(window) ||
        lstrcmpW(name, kDialogClass) != 0) {
        return TRUE;
    }
    if (search->caption != nullptr) {
        wchar_t caption[64] = {};
        GetWindowTextW(window, caption, 64);
        if (lstrcmpW(caption, search->caption) != 0) {
            return TRUE;
        }
    }
    search->found = window;
    return FALSE;
}

HWND VisibleDialog(DWORD processId, const wchar_t* caption = nullptr) {
    Search search{processId, caption, nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK FindUnpainted(HWND window, LPARAM context) {
    if (IsWindowVisible(window) && GetUpdateRect(window, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(context) = true;
        return FALSE;
    }
    return TRUE;
}

// Shown with a page in it, and nothing in it left to paint.
bool ShownAndPainted(HWND sheet) {
    if (sheet == nullptr || GetUpdateRect(sheet, nullptr, FALSE)) {
        return false;
    }
    HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    bool unpainted = false;
    EnumChildWindows(sheet, FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    return page != nullptr && IsWindowVisible(page) && !unpainted;
}

template <class Condition> bool WaitFor(Condition condition) {
    const double deadline = Now() + kTimeoutMs;
    while (!condition()) {
        if (Now() > deadline) {
            return false;
        }
        Sleep(kPollMs);
    }
    return true;
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

struct Process {
    PROCESS_INFORMATION info = {};
    bool Start(const std::wstring& exe, const std::wstring& arguments = std::wstring()) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
        return CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              FolderOf(exe).c_str(), &startup, &info) != FALSE;
    }
    void End() {
        if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info.hProcess, 1);
        }
        WaitForSingleObject(info.hProcess, kTimeoutMs);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
};

// Milliseconds from CreateProcessW to the first page shown and painted; negative on failure.
double StartUp(const std::wstring& exe) {
    Process process;
    const double start = Now();
    if (!process.Start(exe)) {
        return -1;
    }
    HWND sheet = nullptr;
    const bool shown = WaitFor([&] {
        sheet = VisibleDialog(process.info.dwProcessId);
        return ShownAndPainted(sheet);
    });
    const double elapsed = Now() - start;
    process.End();
    return shown ? elapsed : -1;
}

int RunStartUp(int runs, const std::wstring& baseline, const std::wstring& wizard) {
    std::vector<double> base;
    std::vector<double> ours;
    for (int i = -kWarmUpRuns; i < runs; ++i) {
        const double b = StartUp(baseline);
        const double w = StartUp(wizard);
        if (b < 0 || w < 0) {
            std::printf("startup: a program did not show its page within %lu ms\n", kTimeoutMs);
            return 1;
        }
        if (i >= 0) {
            base.push_back(b);
            ours.push_back(w);
        }
    }
    const double b = Median(base);
    const double w = Median(ours);
    std::printf("startup: baseline %.1f ms, wizard %.1f ms (medians of %d each, interleaved): "
                "%.2fx the baseline\n",
                b, w, runs, w / b);
    return 0;
}

bool Enabled(HWND sheet, int button) {
    HWND control = GetDlgItem(sheet, button);
    return control != nullptr && IsWindowVisible(control) && IsWindowEnabled(control);
}

bool CleanUp(std::wstring& error) {
    std::vector<standin::Printer> printers;
    if (!standin::listPrinters(printers, error)) {
        return false;
    }
    if (standin::findPrinter(printers, kDriver) != nullptr &&
        !standin::deletePrinter(kDriver, error)) {
        return false;
    }
    standin::deleteDriver(kDriver, nullptr, error);
    return true;
}

// Milliseconds from Finish to the OK box; negative on failure.
double Finish(const std::wstring& wizard) {
    Process process;
    if (!process.Start(wizard)) {
        return -1;
    }
    const DWORD id = process.info.dwProcessId;
    HWND sheet = nullptr;
    bool ready = WaitFor([&] { return (sheet = VisibleDialog(id)) != nullptr; });
    for (int page = 0; ready && page < kConfirmationPages; ++page) {
        ready = WaitFor([&] { return Enabled(sheet, kNextButton); });
        PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        Sleep(kSettleMs);
    }
    ready = ready && WaitFor([&] { return Enabled(sheet, kFinishButton); });
    double elapsed = -1;
    if (ready) {
        const double start = Now();
        PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
        HWND box = nullptr;
        if (WaitFor([&] { return (box = VisibleDialog(id, kOkCaption)) != nullptr; })) {
            elapsed = Now() - start;
            PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            WaitForSingleObject(process.info.hProcess, kTimeoutMs);
        }
    }
    process.End();
    std::wstring error;
    if (!CleanUp(error)) {
        std::printf("finish: cleaning up failed\n");
        return -1;
    }
    return elapsed;
}

// Milliseconds one print UI command takes when started alone, as the wizard starts it.
double Command(const std::wstring& parameters) {
    std::wstring error;
    const double start = Now();
    if (!standin::runRundll32(standin::systemRundll32(), parameters, error)) {
        return -1;
    }
    return Now() - start;
}

// No printer of the driver left, and the print UI stand-in told to do as Windows' would.
bool SetUpSpooler(const char* benchmark) {
    std::wstring error;
    if (!CleanUp(error) || !standin::writeSettings({}, error)) {
        std::printf("%s: the spooler or the stand-in cannot be set up\n", benchmark);
        return false;
    }
    return true;
}

int RunFinish(int runs, const std::wstring& wizard) {
    std::wstring error;
    if (!SetUpSpooler("finish")) {
        return 1;
    }
    const std::wstring inf = FolderOf(wizard) + L"PrinterDriver\\OEMPRINTCOMP.INF";
    const std::wstring install = std::wstring(L"PRINTUI.DLL,PrintUIEntry /if /n \"") + kDriver +
                                 L"\" /f \"" + inf + L"\" /r \"" + kPort + L"\" /m \"" + kDriver +
                                 L"\" ";
    const std::wstring setDefault =
        std::wstring(L"PRINTUI.DLL,PrintUIEntry /y /q /n \"") + kDriver + L"\"";
    std::vector<double> totals;
    std::vector<double> commands;
    for (int i = -1; i < runs; ++i) {
        const double total = Finish(wizard);
        const double installMs = Command(install);
        const double defaultMs = Command(setDefault);
        if (total < 0 || installMs < 0 || defaultMs < 0 || !CleanUp(error)) {
            std::printf("finish: run %d failed\n", i);
            return 1;
        }
        if (i >= 0) {
            totals.push_back(total);
            commands.push_back(installMs + defaultMs);
        }
    }
    const double total = Median(totals);
    const double processes = Median(commands);
    const double designed = kPresencePauseMs + kOutcomeTimerMs + processes;
    std::printf("finish: %.1f ms from Finish to the OK box (median of %d); the design waits "
                "%.1f ms of it (500 ms pause, 200 ms timer, %.1f ms for the two print UI "
                "processes); the rest: %.1f ms\n",
                total, runs, designed, processes, total - designed);
    return 0;
}

// The milliseconds the log gives its install and default-printer steps (the field before a
// line's last, the process id; the step the second); negative when either is missing or failed.
double DesignedWaits(const std::wstring& log) {
    std::ifstream file(log.c_str());
    std::string line;
    double waits = 0;
    int found = 0;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string date, time, step, outcome, rest;
        fields >> date >> time >> step >> outcome;
        if ((step == "install" || step == "default-printer") && outcome == "ok") {
            const std::size_t processId = line.find_last_of('\t');
            const std::size_t duration = line.find_last_of('\t', processId - 1) + 1;
            waits += std::stod(line.substr(duration, processId - duration));
            ++found;
        }
    }
    return found == 2 ? waits : -1;
}

// Milliseconds from CreateProcessW to the exit of the program with these arguments; negative
// when it could not be run or did not end with exit code 0.
double QuietRun(const std::wstring& wizard, const std::wstring& arguments) {
    Process process;
    const double start = Now();
    DWORD exitCode = 1;
    const bool ran = process.Start(wizard, arguments) &&
                     WaitForSingleObject(process.info.hProcess, kTimeoutMs) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(process.info.hProcess, &exitCode) && exitCode == 0;
    const double elapsed = Now() - start;
    process.End();
    return ran ? elapsed : -1;
}

void PrintSpread(const char* what, const std::vector<double>& values) {
    std::printf("%s %.1f ms (median of %zu, %.1f to %.1f)", what, Median(values), values.size(),
                *std::min_element(values.begin(), values.end()),
                *std::max_element(values.begin(), values.end()));
}

int RunQuiet(int runs, const std::wstring& wizard) {
    std::wstring error;
    if (!SetUpSpooler("quiet")) {
        return 1;
    }
    const std::wstring log = FolderOf(wizard) + L"bench-quiet.log";
    const std::wstring install =
        std::wstring(L"/quiet /model \"Veltra KX 500\" /port ") + kPort + L" /log \"" + log + L"\"";
    const std::wstring nothing = L"/quiet /?";
    std::vector<double> totals;
    std::vector<double> bares;
    std::vector<double> rests;
    for (int i = -kWarmUpRuns; i < runs; ++i) {
        DeleteFileW(log.c_str());
        const double bare = QuietRun(wizard, nothing);
        const double total = QuietRun(wizard, install);
        const double waits = DesignedWaits(log);
        if (bare < 0 || total < 0 || waits < 0 || !CleanUp(error)) {
            std::printf("quiet: run %d failed\n", i);
            return 1;
        }
        if (i >= 0) {
            totals.push_back(total);
            bares.push_back(bare);
            rests.push_back(total - waits - bare);
        }
    }
    DeleteFileW(log.c_str());
    PrintSpread("quiet: start to exit", totals);
    PrintSpread("; bare start and exit (/quiet /?)", bares);
    PrintSpread("; the rest, beyond those and the install and default-printer steps' own time in "
                "the same run's log:",
                rests);
    std::printf("\n");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    const int runs = argc > 2 ? _wtoi(argv[2]) : 0;
    if (mode == L"startup" && argc == 5 && runs > 0) {
        return RunStartUp(runs, argv[3], argv[4]);
    }
    if (mode == L"finish" && argc == 4 && runs > 0) {
        return RunFinish(runs, argv[3]);
    }
    if (mode == L"quiet" && argc == 4 && runs > 0) {
        return RunQuiet(runs, argv[3]);
    }
    std::printf("usage: VeltraBench.exe startup <runs> <baseline.exe> <wizard.exe>\n"
                "       VeltraBench.exe finish <runs> <wizard.exe>\n"
                "       VeltraBench.exe quiet <runs> <wizard.exe>\n");
    return 2;
}
