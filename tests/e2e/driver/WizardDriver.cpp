// Drives the setup wizard from another process as a user would, following a steps file.
//
// usage: WizardDriver.exe <wizard-exe> <steps-file> <screenshot-dir>
//
// Prints each step and its outcome as UTF-8, stops at the first failing step,
// and exits 0 only if every step passed. The wizard never outlives the driver:
// whatever happens, it is killed at the end if it is still running.
//
// Steps (StepFile.h has the file format; ids are decimal):
//   start                      run the wizard (again, once an earlier run has
//                              exited), wait for its sheet
//   launch                     run it and wait for nothing: a box that it shows instead
//                              of its sheet is for msgbox
//   page <caption>             wait until the current page has this caption
//   text <id> <text>           the current page's control has exactly this text
//   texts <id> <a>|<b>|...     the control shows a, then b, ..., in this order (below)
//   button <b> <state>         b: back next finish cancel help;
//                              state: enabled disabled hidden visible
//   press <b>                  b must be visible and enabled; back next finish cancel
//   close <way>                the sheet must be enabled (no message box open);
//                              titlebar: post it WM_SYSCOMMAND SC_CLOSE, as the title
//                              bar's close button does; altf4: post WM_SYSKEYDOWN VK_F4
//                              with Alt down, and the key up, to the focused control;
//                              escape: post WM_KEYDOWN VK_ESCAPE and the key up to the
//                              focused control (the sheet if none has the focus). The
//                              step only asks: a later page or exits step checks what
//                              the wizard made of it. Measured under Wine: the sheet's
//                              dialog loop turns Esc into WM_COMMAND IDCANCEL, the
//                              control's DefWindowProc turns Alt+F4 into WM_SYSCOMMAND
//                              SC_CLOSE (then WM_CLOSE); all three reach the page as
//                              PSN_QUERYCANCEL.
//   list <id> <a>|<b>|...      the list box holds exactly these items, in order
//   ports <id>                 the list box holds exactly the spooler's ports, in its order
//   listsel <id> <text>        the list box's selected item
//   select <id> <text>         select that item and tell the page, as a click would
//   msgbox <caption> <text>    a message box of the sheet (before any sheet, one owned by
//                              no window) shows this; click OK
//   no-msgbox <ms>             no message box (any dialog of the wizard but its sheet)
//                              appears for this long; passes early if the wizard exits
//   shot <name>                <screenshot-dir>/<name>.png of the sheet, plus
//                              <name>-msgbox.png if a message box is open
//   banner                     the current page's picture (the child that answers
//                              STM_GETIMAGE with a bitmap) fills its frame, which reaches at
//                              least as far down as the page's other controls: across the
//                              picture, that row shows none of the page beside it
//   exits                      the wizard process ends
//   usb-attach, usb-set, usb-detach, usb-detach-all, usb-present, usb-absent
//                              fake USB printers, see UsbSteps.h
//   spooler-snapshot           remember the local printers and the default one
//   spooler-unchanged          they are still the same
//   sleep <ms>
//   reg-dword <key> <value> <n>
//                              set the REG_DWORD value to n under HKLM\<key>, in the 64-bit
//                              view. The value's name and n are the last two words, the key
//                              (blanks and all, backslashes as written) is what comes before
//                              them. Every value set is deleted when the run ends.
//
// The wizard without a window (its unattended mode), in its package folder (the exe's):
//   run <arguments>            start it with its quoted path and the arguments as its command
//                              line, the package folder as its current one, and go on. Until it
//                              ends, a watcher looks for a visible top-level window of it every
//                              5 ms and remembers the first one
//   exit-code <n>              the latest run not yet waited for ends within 30 s with exit code
//                              n, and showed no window (fails as soon as the watcher sees one)
//   delete-file <file>         delete the file in the package folder, if it is there
//   log <file> <step>:<outcome>|...
//                              the package folder's log file, as /log writes it (SetupLog.h),
//                              has exactly these steps with these outcomes, in this order
//
// Printers (these need no wizard; a name may not contain "|"):
//   add-printer <name>|<port>[|<driver>]
//                              add a local printer as the print UI stand-in does: the
//                              driver entry (named as the printer unless given) first;
//                              fails if a printer of that name exists
//   remove-printer <name>      delete that printer
//   printer <name>|<port>      a local printer of exactly this name is on this port
//   no-printer <name>          no printer of this name (in any case)
//   default-printer <name>     this printer is the default one
//
// The print UI stand-in (tests/wine/printui, which the wizard runs through rundll32):
//   printui fail-port <port>   its /if on this port does nothing
//   printui fail-all           every command does nothing
//   printui delay <ms>         it waits this long before acting
//   printui normal             none of the three
//   printui-run <parameters>   run the system folder's rundll32.exe with these parameters
//                              (e.g. PRINTUI.DLL,PrintUIEntry /k /n "P") and wait for it
//   printui-log-clear          empty its log
//   printui-count <switch> <n> exactly n commands logged since printui-log-clear have this
//                              switch (/if, /y, /k, /q...)
//   printui-line <n> <text>    the n-th command logged since printui-log-clear is exactly
//                              this text; write a blank at its end as \s
//
// Steps that check a state wait for it: control texts and buttons up to 3 s, pages,
// windows, printers and the log up to 10 s.
//
// texts polls every 5 ms and records each change. It passes once it has seen <a> and then
// the last text, and between them nothing but texts of the list in list order (skipping
// none backwards); what the control showed before <a> is ignored. A text shown for less
// than 5 ms may go unseen: an intermediate one is then reported as missed, which is no
// failure; <a> and the last text must be seen. It waits up to 20 s in all.
//
// At the end the driver deletes the printers and driver entries that were not there when
// it started, sets the default printer back and clears the stand-in's settings, so a
// failed run leaves the next test a clean spooler. Its output says what it removed.
#include "PrinterSteps.h"
#include "Screenshot.h"
#include "SetupLog.h"
#include "Spooler.h"
#include "StepFile.h"
#include "Text.h"
#include "TextSequence.h"
#include "UsbSteps.h"
#include "Wait.h"
#include "WinePath.h"

#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <list>
#include <string>
#include <utility>
#include <vector>

namespace driver {
namespace {

constexpr int kExitPassed = 0;
constexpr int kExitFailed = 1;

// Every wait is bounded: windows and the process get this long...
constexpr DWORD kWindowTimeoutMs = 10000;
constexpr DWORD kProcessTimeoutMs = 10000;
// ...button states and control texts this long (they change within milliseconds).
constexpr DWORD kButtonTimeoutMs = 3000;
constexpr DWORD kTextTimeoutMs = 3000;
constexpr DWORD kPollIntervalMs = 50;
// A single cross-process message may take this long before we give up on it,
// so a hung wizard cannot hang the driver.
constexpr DWORD kSendTimeoutMs = 2000;
// Time for the page to paint before a screenshot.
constexpr DWORD kPaintDelayMs = 300;
// After a page change the new page posts its button states; give the wizard a
// moment to work through them so button checks don't see the previous page's.
constexpr DWORD kSettleTimeoutMs = 500;
constexpr DWORD kSettleDelayMs = 50;
// texts looks this often, and gives a whole sequence this long.
constexpr DWORD kQuickPollMs = 5;
constexpr DWORD kSequenceTimeoutMs = 20000;
// no-msgbox looks this often.
constexpr DWORD kMessageBoxPollMs = 5;
// run's watcher looks for windows this often, so that one shown only briefly is still seen.
constexpr DWORD kWatchIntervalMs = 5;
// exit-code gives an unattended run this long: an installation with a slowed print UI.
constexpr DWORD kRunTimeoutMs = 30000;
// Longer window titles are cut short in messages.
constexpr int kTitleLength = 256;
// Keystroke lParam: one repeat, the scan code from bit 16, the key flags (KF_*) in the
// high word.
constexpr LPARAM kOneRepeat = 1;
constexpr int kHighWordShift = 16;
// Exit code we give the wizard when we have to kill it.
constexpr UINT kKilledExitCode = 0xE2E;

// The wizard buttons' control ids on the property sheet.
constexpr int kBackButtonId = 0x3023;
constexpr int kNextButtonId = 0x3024;
constexpr int kFinishButtonId = 0x3025;
constexpr int kCancelButtonId = IDCANCEL;
constexpr int kHelpButtonId = IDHELP;

// A message box is a dialog whose text is the static with this id.
constexpr int kMessageBoxTextId = 0xFFFF;

const wchar_t kDialogClass[] = L"#32770";
constexpr int kClassNameLength = 64;

std::wstring errorText(const wchar_t* what, DWORD code = GetLastError()) {
    return std::wstring(what) + L" failed with error " + std::to_wstring(code);
}

std::wstring joinItems(const std::vector<std::wstring>& items) {
    return quoted(join(items, L'|'));
}

// Sends a message, giving up after kSendTimeoutMs.
bool sendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
    result = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                               &result) != 0;
}

bool readWindowText(HWND window, std::wstring& text) {
    DWORD_PTR length = 0;
    if (!sendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, length)) {
        return false;
    }
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!sendWithTimeout(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                         copied)) {
        return false;
    }
    text.assign(buffer.data(), copied < length ? copied : length);
    return true;
}

std::wstring className(HWND window) {
    wchar_t name[kClassNameLength] = {};
    GetClassNameW(window, name, kClassNameLength);
    return name;
}

bool isVisibleDialog(HWND window) {
    return IsWindowVisible(window) && className(window) == kDialogClass;
}

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

// EnumWindows's callback. A named CALLBACK function, not a lambda: on i686 the callback
// is stdcall, which a lambda does not convert to.
BOOL CALLBACK addProcessWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId) {
        search->windows.push_back(window);
    }
    return TRUE;
}

// All top-level windows that belong to the process.
std::vector<HWND> processWindows(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(addProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

// Describes the process's visible windows, for failure messages.
std::wstring describeWindows(DWORD processId) {
    std::wstring text;
    for (HWND window : processWindows(processId)) {
        if (!IsWindowVisible(window)) {
            continue;
        }
        std::wstring caption;
        readWindowText(window, caption);
        text += (text.empty() ? L"" : L", ") + className(window) + L" " + quoted(caption) +
                (GetWindow(window, GW_OWNER) ? L" (owned)" : L" (no owner)");
    }
    return text.empty() ? L"the wizard shows no window" : L"the wizard shows: " + text;
}

bool readMessageBox(HWND box, std::wstring& caption, std::wstring& text) {
    HWND textControl = GetDlgItem(box, kMessageBoxTextId);
    return readWindowText(box, caption) && textControl && readWindowText(textControl, text);
}

std::wstring describeMessageBox(HWND box) {
    std::wstring caption;
    std::wstring text;
    readMessageBox(box, caption, text);
    return L"caption " + quoted(caption) + L", text " + quoted(text);
}

int buttonControlId(WizardButton button) {
    switch (button) {
    case WizardButton::Back:
        return kBackButtonId;
    case WizardButton::Next:
        return kNextButtonId;
    case WizardButton::Finish:
        return kFinishButtonId;
    case WizardButton::Cancel:
        return kCancelButtonId;
    case WizardButton::Help:
        return kHelpButtonId;
    }
    return 0;
}

WPARAM pressCode(WizardButton button) {
    switch (button) {
    case WizardButton::Back:
        return PSBTN_BACK;
    case WizardButton::Next:
        return PSBTN_NEXT;
    case WizardButton::Finish:
        return PSBTN_FINISH;
    case WizardButton::Cancel:
        return PSBTN_CANCEL;
    case WizardButton::Help:
        return PSBTN_HELP;
    }
    return PSBTN_NEXT;
}

bool createDirectories(const std::wstring& path) {
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == L'\\' || path[i] == L'/') {
            const std::wstring prefix = path.substr(0, i);
            // Skip drive roots like "Z:" and empty prefixes.
            if (prefix.empty() || prefix.back() == L':') {
                continue;
            }
            if (!CreateDirectoryW(prefix.c_str(), nullptr) &&
                GetLastError() != ERROR_ALREADY_EXISTS) {
                return false;
            }
        }
    }
    return true;
}

bool readFileBytes(const std::wstring& path, std::string& bytes, std::wstring& error) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = errorText(L"opening the file");
        return false;
    }
    bytes.clear();
    constexpr DWORD kChunkBytes = 4096;
    char chunk[kChunkBytes];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, chunk, sizeof(chunk), &got, nullptr) != FALSE) && got > 0) {
        bytes.append(chunk, got);
    }
    if (!ok) {
        error = errorText(L"reading the file");
    }
    CloseHandle(file);
    return ok;
}

// A process of the program under test, in a job that kills it and all it started when closed
// (if jobs work; else it is killed alone).
struct WizardProcess {
    HANDLE job = nullptr;
    HANDLE process = nullptr;
    DWORD id = 0;
};

// Lets go of the process; closing its job ends whatever it left running.
void releaseProcess(WizardProcess& wizard) {
    for (HANDLE handle : {wizard.process, wizard.job}) {
        if (handle) {
            CloseHandle(handle);
        }
    }
    wizard = WizardProcess();
}

// Starts exe with its quoted path and the arguments as its command line, in the folder.
bool startProcess(const std::wstring& exe, const std::wstring& arguments,
                  const std::wstring& folder, WizardProcess& started, std::wstring& error) {
    // A job that kills its processes when closed: nothing the wizard starts can
    // outlive the driver. If jobs don't work, we still kill the wizard itself.
    started.job = CreateJobObjectW(nullptr, nullptr);
    if (started.job) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(started.job, JobObjectExtendedLimitInformation, &limits,
                                     sizeof(limits))) {
            CloseHandle(started.job);
            started.job = nullptr;
        }
    }

    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, folder.c_str(), &startup, &info)) {
        error = errorText(L"CreateProcessW") + L" for " + exe;
        releaseProcess(started);
        return false;
    }
    if (started.job && !AssignProcessToJobObject(started.job, info.hProcess)) {
        CloseHandle(started.job);
        started.job = nullptr;
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    started.process = info.hProcess;
    started.id = info.dwProcessId;
    return true;
}

// Kills the process if it still runs and waits until it is gone; true if it had to.
bool killProcess(const WizardProcess& wizard) {
    if (!wizard.process || WaitForSingleObject(wizard.process, 0) != WAIT_TIMEOUT) {
        return false;
    }
    // The job also takes down anything the wizard started.
    if (!(wizard.job && TerminateJobObject(wizard.job, kKilledExitCode))) {
        TerminateProcess(wizard.process, kKilledExitCode);
    }
    WaitForSingleObject(wizard.process, kProcessTimeoutMs);
    return true;
}

// A run step's process, and the thread that watches it for windows.
struct QuietRun {
    WizardProcess wizard;
    HANDLE watcher = nullptr;
    std::wstring firstWindow; // class and title of the first visible window seen, set by watcher
    bool waitedFor = false;   // by an exit-code step
};

// The watcher: looks for a visible top-level window of the process every kWatchIntervalMs and
// ends at the first one it sees, or when the process ends.
DWORD WINAPI watchWindows(void* context) {
    QuietRun& run = *static_cast<QuietRun*>(context);
    do {
        for (HWND window : processWindows(run.wizard.id)) {
            if (IsWindowVisible(window)) {
                // Another process's title is read without a message: a busy program cannot
                // stall the watcher.
                wchar_t title[kTitleLength] = {};
                GetWindowTextW(window, title, kTitleLength);
                run.firstWindow = className(window) + L" " + quoted(title);
                return 0;
            }
        }
    } while (WaitForSingleObject(run.wizard.process, kWatchIntervalMs) == WAIT_TIMEOUT);
    return 0;
}

class Driver {
public:
    Driver(std::wstring wizardExe, std::wstring screenshotDir)
        : wizardExe_(std::move(wizardExe)), screenshotDir_(std::move(screenshotDir)),
          packageFolder_(wizardExe_.substr(0, wizardExe_.find_last_of(L"\\/"))) {}
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;
    ~Driver() { stopWizard(); }

    // Runs one step. detail may say something worth logging on success.
    bool run(const Step& step, std::wstring& detail, std::wstring& error);

    // Kills the wizard and the run steps' programs that still run; returns true if it had to.
    bool stopWizard();

    // Deletes the registry values the steps set; says what it did in notes, false on failure.
    bool deleteRegistryValues(std::vector<std::wstring>& notes);

    // Undoes what the run did to the spooler (PrinterSteps::restore).
    bool restoreSpooler(std::vector<std::wstring>& notes) { return printerSteps_.restore(notes); }
    // Detaches fake USB printers an earlier run left, so the steps start with none.
    bool startClean(std::wstring& detail, std::wstring& error) {
        return usb_.startClean(detail, error);
    }

private:
    bool launch(std::wstring& error);
    bool start(std::wstring& detail, std::wstring& error);
    bool waitPage(const Step& step, std::wstring& error);
    bool checkText(const Step& step, std::wstring& error);
    bool checkTexts(const Step& step, std::wstring& detail, std::wstring& error);
    bool close(const Step& step, std::wstring& detail, std::wstring& error);
    bool noMessageBox(const Step& step, std::wstring& detail, std::wstring& error);
    bool checkButton(const Step& step, std::wstring& error);
    bool press(const Step& step, std::wstring& error);
    bool checkList(const Step& step, std::wstring& error);
    bool checkPortList(const Step& step, std::wstring& error);
    bool checkListSelection(const Step& step, std::wstring& error);
    bool select(const Step& step, std::wstring& error);
    bool handleMessageBox(const Step& step, std::wstring& error);
    bool shot(const Step& step, std::wstring& detail, std::wstring& error);
    bool checkBanner(std::wstring& detail, std::wstring& error);
    bool waitExit(std::wstring& detail, std::wstring& error);
    bool spoolerSnapshot(std::wstring& detail, std::wstring& error);
    bool spoolerUnchanged(std::wstring& error);
    bool runQuietly(const Step& step, std::wstring& detail, std::wstring& error);
    bool checkExitCode(const Step& step, std::wstring& detail, std::wstring& error);
    bool setRegistryDword(const Step& step, std::wstring& error);
    bool deletePackageFile(const Step& step, std::wstring& detail, std::wstring& error);
    bool checkLog(const Step& step, std::wstring& error);

    bool wizardRunning() const {
        return wizard_.process && WaitForSingleObject(wizard_.process, 0) == WAIT_TIMEOUT;
    }
    DWORD wizardExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(wizard_.process, &code);
        return code;
    }

    // Calls check until it returns true, the timeout passes or the wizard exits.
    template <typename Check>
    WaitResult waitFor(DWORD timeoutMs, Check check, DWORD intervalMs = kPollIntervalMs) const {
        return pollUntil(timeoutMs, intervalMs, check, [this]() { return !wizardRunning(); });
    }

    // Turns a failed wait into a reason, with what was seen last.
    std::wstring waitFailure(WaitResult result, DWORD timeoutMs, const std::wstring& seen) const {
        if (result == WaitResult::Stopped) {
            return L"the wizard exited (code " + std::to_wstring(wizardExitCode()) +
                   L") while waiting; last seen: " + seen;
        }
        return L"not so after " + seconds(timeoutMs) + L": " + seen;
    }

    // Fails unless the wizard runs and its sheet is still there.
    bool needSheet(std::wstring& error) const;
    HWND findSheet() const;
    // A visible dialog owned by the sheet (a message box), or null.
    HWND findMessageBox() const;
    // Any visible dialog of the wizard but its sheet, owned or not, or null.
    HWND findOtherDialog() const;
    // The control that has the keyboard focus in the sheet, else the sheet itself.
    HWND focusedWindow() const;
    HWND currentPage() const;
    // The page control with the id, or null with what went wrong in seen.
    HWND pageControl(int controlId, std::wstring& seen) const;
    bool readListItems(HWND list, std::vector<std::wstring>& items, std::wstring& seen) const;
    // Describes a wizard button's state in seen; true if it matches want.
    bool buttonIs(WizardButton button, ButtonState want, std::wstring& seen) const;
    void settle() const;

    std::wstring wizardExe_;
    std::wstring screenshotDir_;
    std::wstring packageFolder_; // the wizard's own folder
    WizardProcess wizard_;       // of start and launch
    std::list<QuietRun> runs_;   // a list, so the watchers' runs stay where they are
    // What reg-dword steps set: key and value name, deleted at the end.
    std::vector<std::pair<std::wstring, std::wstring>> registryValues_;
    HWND sheet_ = nullptr;
    bool haveSnapshot_ = false;
    SpoolerState snapshot_;
    PrinterSteps printerSteps_;
    FakeUsbPrinters usb_; // destroyed after the wizard is stopped
};

bool Driver::run(const Step& step, std::wstring& detail, std::wstring& error) {
    detail.clear();
    error.clear();
    switch (step.kind) {
    case StepKind::Start:
        return start(detail, error);
    case StepKind::Launch:
        return launch(error);
    case StepKind::Page:
        return waitPage(step, error);
    case StepKind::Text:
        return checkText(step, error);
    case StepKind::Texts:
        return checkTexts(step, detail, error);
    case StepKind::Close:
        return close(step, detail, error);
    case StepKind::NoMsgBox:
        return noMessageBox(step, detail, error);
    case StepKind::Button:
        return checkButton(step, error);
    case StepKind::Press:
        return press(step, error);
    case StepKind::List:
        return checkList(step, error);
    case StepKind::ListPorts:
        return checkPortList(step, error);
    case StepKind::ListSel:
        return checkListSelection(step, error);
    case StepKind::Select:
        return select(step, error);
    case StepKind::MsgBox:
        return handleMessageBox(step, error);
    case StepKind::Shot:
        return shot(step, detail, error);
    case StepKind::Banner:
        return checkBanner(detail, error);
    case StepKind::Exits:
        return waitExit(detail, error);
    case StepKind::UsbAttach:
    case StepKind::UsbSet:
    case StepKind::UsbDetach:
    case StepKind::UsbDetachAll:
    case StepKind::UsbPresent:
    case StepKind::UsbAbsent:
        return usb_.run(step, detail, error);
    case StepKind::SpoolerSnapshot:
        return spoolerSnapshot(detail, error);
    case StepKind::SpoolerUnchanged:
        return spoolerUnchanged(error);
    case StepKind::Sleep:
        Sleep(static_cast<DWORD>(step.milliseconds));
        return true;
    case StepKind::RegDword:
        return setRegistryDword(step, error);
    case StepKind::Run:
        return runQuietly(step, detail, error);
    case StepKind::ExitCode:
        return checkExitCode(step, detail, error);
    case StepKind::RemoveFile:
        return deletePackageFile(step, detail, error);
    case StepKind::Log:
        return checkLog(step, error);
    case StepKind::AddPrinter:
    case StepKind::RemovePrinter:
    case StepKind::Printer:
    case StepKind::NoPrinter:
    case StepKind::DefaultPrinter:
    case StepKind::SetPrinter:
    case StepKind::PrinterSettings:
    case StepKind::PrintUiSetting:
    case StepKind::PrintUiRun:
    case StepKind::PrintUiLogClear:
    case StepKind::PrintUiCount:
    case StepKind::PrintUiLine:
        return printerSteps_.run(step, detail, error);
    }
    error = L"unknown step";
    return false;
}

bool Driver::stopWizard() {
    bool killed = killProcess(wizard_);
    releaseProcess(wizard_);
    sheet_ = nullptr;
    for (QuietRun& run : runs_) {
        killed = killProcess(run.wizard) || killed;
        // Only once the process is gone: the watcher uses its handle until then.
        WaitForSingleObject(run.watcher, kProcessTimeoutMs);
        CloseHandle(run.watcher);
        releaseProcess(run.wizard);
    }
    runs_.clear();
    return killed;
}

bool Driver::launch(std::wstring& error) {
    if (wizardRunning()) {
        error = L"the wizard is still running";
        return false;
    }
    releaseProcess(wizard_); // lets go of an earlier run that has ended
    sheet_ = nullptr;
    // The wizard runs in the screenshot folder, not its own, so it has to find
    // its package files from its own path.
    if (!createDirectories(screenshotDir_)) {
        error = errorText(L"creating the screenshot folder");
        return false;
    }
    return startProcess(wizardExe_, L"", screenshotDir_, wizard_, error);
}

bool Driver::start(std::wstring& detail, std::wstring& error) {
    const ULONGLONG started = GetTickCount64();
    if (!launch(error)) {
        return false;
    }
    const WaitResult result = waitFor(kWindowTimeoutMs, [this]() {
        sheet_ = findSheet();
        return sheet_ != nullptr;
    });
    if (result != WaitResult::Done) {
        error = waitFailure(result, kWindowTimeoutMs, describeWindows(wizard_.id));
        return false;
    }
    detail = L"process " + std::to_wstring(wizard_.id) + L", sheet after " +
             std::to_wstring(GetTickCount64() - started) + L" ms";
    return true;
}

HWND Driver::findSheet() const {
    for (HWND window : processWindows(wizard_.id)) {
        if (isVisibleDialog(window) && !GetWindow(window, GW_OWNER)) {
            return window;
        }
    }
    return nullptr;
}

HWND Driver::findMessageBox() const {
    for (HWND window : processWindows(wizard_.id)) {
        if (window != sheet_ && isVisibleDialog(window) && GetWindow(window, GW_OWNER) == sheet_) {
            return window;
        }
    }
    return nullptr;
}

bool Driver::needSheet(std::wstring& error) const {
    if (!wizard_.process) {
        error = L"the wizard is not running: no 'start' step before this one";
        return false;
    }
    if (!wizardRunning()) {
        error = L"the wizard has exited (code " + std::to_wstring(wizardExitCode()) + L")";
        return false;
    }
    if (!IsWindow(sheet_)) {
        error = L"the wizard's window is gone; " + describeWindows(wizard_.id);
        return false;
    }
    return true;
}

HWND Driver::currentPage() const {
    DWORD_PTR page = 0;
    if (!sendWithTimeout(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0, page)) {
        return nullptr;
    }
    return reinterpret_cast<HWND>(page);
}

void Driver::settle() const {
    WaitForInputIdle(wizard_.process, kSettleTimeoutMs);
    Sleep(kSettleDelayMs);
}

bool Driver::waitPage(const Step& step, std::wstring& error) {
    if (!needSheet(error)) {
        return false;
    }
    std::wstring seen;
    const WaitResult result = waitFor(kWindowTimeoutMs, [&]() {
        HWND page = currentPage();
        std::wstring caption;
        if (!page) {
            seen = L"the sheet has no current page";
            return false;
        }
        if (!readWindowText(page, caption)) {
            seen = L"the current page does not answer";
            return false;
        }
        seen = L"the current page is " + quoted(caption);
        return caption == step.name;
    });
    if (result != WaitResult::Done) {
        error = waitFailure(result, kWindowTimeoutMs, seen);
        return false;
    }
    settle();
    return true;
}

HWND Driver::pageControl(int controlId, std::wstring& seen) const {
    HWND page = currentPage();
    if (!page) {
        seen = L"the sheet has no current page";
        return nullptr;
    }
    HWND control = GetDlgItem(page, controlId);
    if (!control) {
        std::wstring caption;
        readWindowText(page, caption);
        seen = L"the current page " + quoted(caption) + L" has no control " +
               std::to_wstring(controlId);
    }
    return control;
}

bool Driver::checkText(const Step& step, std::wstring& error) {
    if (!needSheet(error)) {
        return false;
    }
    std::wstring seen;
    const WaitResult result = waitFor(kTextTimeoutMs, [&]() {
        HWND control = pageControl(step.controlId, seen);
        std::wstring text;
        if (!control) {
            return false;
        }
        if (!readWindowText(control, text)) {
            seen = L"the control does not answer";
            return false;
        }
        seen = L"expected " + quoted(step.text) + L" but the control has " + quoted(text);
        return text == step.text;
    });
    if (result != WaitResult::Done) {
        error = waitFailure(result, kTextTimeoutMs, seen);
        return false;
    }
    return true;
}

bool Driver::checkTexts(const Step& step, std::wstring& detail, std::wstring& error) {
    if (!needSheet(error)) {
        return false;
    }
    TextSequence sequence(step.items);
    std::wstring note;
    const WaitResult result = waitFor(
        kSequenceTimeoutMs,
        [&]() {
            note.clear();
            HWND control = pageControl(step.controlId, note);
            std::wstring text;
            if (control && readWindowText(control, text)) {
                sequence.observe(text);
            }
            return !sequence.problem().empty() || sequence.complete();
        },
        kQuickPollMs);
    const std::wstring history = L"seen " + joinItems(sequence.seen());
    if (!sequence.problem().empty()) {
        error = sequence.problem() + L"; " + history;
        return false;
    }
    if (result != WaitResult::Done) {
        error =
            waitFailure(result, kSequenceTimeoutMs, history + (note.empty() ? L"" : L"; " + note));
        return false;
    }
    detail = history;
    if (!sequence.missed().empty()) {
        detail += L"; missed (shown for less than " + std::to_wstring(kQuickPollMs) + L" ms?) " +
                  joinItems(sequence.missed());
    }
    return true;
}

HWND Driver::focusedWindow() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    const DWORD thread = GetWindowThreadProcessId(sheet_, nullptr);
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus &&
        (info.hwndFocus == sheet_ || IsChild(sheet_, info.hwndFocus))) {
        return info.hwndFocus;
    }
    return sheet_;
}

bool Driver::close(const Step& step, std::wstring& detail, std::wstring& error) {
    if (!needSheet(error)) {
        return false;
    }
    // As with press: a user cannot close a sheet that a message box has disabled.
    if (!IsWindowEnabled(sheet_)) {
        error = L"cannot close it: the sheet is disabled; " + describeWindows(wizard_.id);
        return false;
    }
    // Posted, never sent, and only asked: the wizard may ask back with a message box.
    HWND target = sheet_;
    bool posted = false;
    const auto postKey = [&](UINT down, UINT up, WPARAM key, LPARAM flags) {
        target = focusedWindow();
        const LPARAM scan =
            static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC))
            << kHighWordShift;
        const LPARAM released =
            static_cast<LPARAM>(static_cast<DWORD>(KF_REPEAT | KF_UP) << kHighWordShift);
        posted = PostMessageW(target, down, key, kOneRepeat | scan | flags) &&
                 PostMessageW(target, up, key, kOneRepeat | scan | flags | released);
    };
    switch (step.closeWay) {
    case CloseWay::TitleBar:
        posted = PostMessageW(sheet_, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case CloseWay::AltF4:
        postKey(WM_SYSKEYDOWN, WM_SYSKEYUP, VK_F4,
                static_cast<LPARAM>(KF_ALTDOWN) << kHighWordShift);
        break;
    case CloseWay::Escape:
        postKey(WM_KEYDOWN, WM_KEYUP, VK_ESCAPE, 0);
        break;
    }
    if (!posted) {
        error = errorText(L"PostMessageW");
        return false;
    }
    detail = std::wstring(closeWayName(step.closeWay)) + L" posted to " + className(target) +
             (target == sheet_ ? L" (the sheet)" : L" " + std::to_wstring(GetDlgCtrlID(target)));
    return true;
}

HWND Driver::findOtherDialog() const {
    for (HWND window : processWindows(wizard_.id)) {
        if (window != sheet_ && isVisibleDialog(window)) {
            return window;
        }
    }
    return nullptr;
}

bool Driver::noMessageBox(const Step& step, std::wstring& detail, std::wstring& error) {
    if (!wizard_.process || !wizardRunning()) {
        error = L"the wizard is not running";
        return false;
    }
    const ULONGLONG started = GetTickCount64();
    HWND box = nullptr;
    const WaitResult result = pollUntil(
        static_cast<DWORD>(step.milliseconds), kMessageBoxPollMs,
        [&]() {
            box = findOtherDialog();
            return box != nullptr;
        },
        [this]() { return !wizardRunning(); });
    const std::wstring after = std::to_wstring(GetTickCount64() - started) + L" ms";
    if (result == WaitResult::Done) {
        error = L"after " + after + L" a message box appeared: " + describeMessageBox(box);
        return false;
    }
    if (result == WaitResult::Stopped) {
        detail = L"the wizard exited after " + after + L" (code " +
                 std::to_wstring(wizardExitCode()) + L")";
    }
    return true;
}

bool Driver::buttonIs(WizardButton button, ButtonState want, std::wstring& seen) const {
    HWND control = GetDlgItem(sheet_, buttonControlId(button));
    const bool visible = control && IsWindowVisible(control);
    const bool enabled = control && IsWindowEnabled(control);
    seen = std::wstring(buttonName(button)) + L" is " +
           (!control   ? L"absent"
            : !visible ? L"hidden"
            : enabled  ? L"enabled"
                       : L"disabled");
    switch (want) {
    case ButtonState::Enabled:
        return visible && enabled;
    case ButtonState::Disabled:
        return visible && !enabled;
    case ButtonState::Hidden:
        return !visible;
    case ButtonState::Visible:
        return visible;
    }
    return false;
}

bool Driver::checkButton(const Step& step, std::wstring& error) {
    if (!needSheet(error)) {
        return false;
    }
    std::wstring seen;
    const WaitResult result =
        waitFor(kButtonTimeoutMs, [&]() { return buttonIs(step.button, step.state, seen); });
    if (result != WaitResult::Done) {
        error = L"wanted " + std::wstring(buttonStateName(step.state)) + L", " +
                waitFailure(result, kButtonTimeoutMs, seen);
        return false;
    }
    return true;
}

bool Driver::press(const Step& step, std::wstring& error) {
    if (!needSheet(error)) {
        return false;
    }
    // A user can only press what is there and enabled; PSM_PRESSBUTTON would
    // silently ignore anything else.
    std::wstring seen;
    const WaitResult result = waitFor(
        kButtonTimeoutMs, [&]() { return buttonIs(step.button, ButtonState::Enabled, seen); });
    if (result != WaitResult::Done) {
        error = L"cannot press it, " + waitFailure(result, kButtonTimeoutMs, seen);
        return false;
    }
    // Posted, never sent: the wizard may answer with a modal message box.
    if (!PostMessageW(sheet_, PSM_PRESSBUTTON, pressCode(step.button), 0)) {
        error = errorText(L"PostMessageW(PSM_PRESSBUTTON)");
        return false;
    }
    return true;
}

bool Driver::readListItems(HWND list, std::vector<std::wstring>& items, std::wstring& seen) const {
    items.clear();
    DWORD_PTR count = 0;
    if (!sendWithTimeout(list, LB_GETCOUNT, 0, 0, count) || static_cast<LRESULT>(count) == LB_ERR) {
        seen = L"the list box does not tell its item count";
        return false;
    }
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (!sendWithTimeout(list, LB_GETTEXTLEN, i, 0, length) ||
            static_cast<LRESULT>(length) == LB_ERR) {
            seen = L"the list box does not tell the length of item " + std::to_wstring(i);
            return false;
        }
        std::vector<wchar_t> buffer(length + 1, L'\0');
        DWORD_PTR copied = 0;
        if (!sendWithTimeout(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()),
                             copied) ||
            static_cast<LRESULT>(copied) == LB_ERR) {
            seen = L"the list box does not give item " + std::to_wstring(i);
            return false;
        }
        items.emplace_back(buffer.data(), copied < length ? copied : length);
    }
    return true;
}

bool Driver::checkList(const Step& step, std::wstring& error) {
    if (!needSheet(error)) {
        return false;
    }
    std::wstring seen;
    const WaitResult result = waitFor(kTextTimeoutMs, [&]() {
        HWND list = pageControl(step.controlId, seen);
        std::vector<std::wstring> items;
        if (!list || !readListItems(list, items, seen)) {
            return false;
        }
        seen = L"expected " + joinItems(step.items) + L" but the list has " + joinItems(items);
        return items == step.items;
    });
    if (result != WaitResult::Done) {
        error = waitFailure(result, kTextTimeoutMs, seen);
        return false;
    }
    return true;
}

bool Driver::checkPortList(const Step& step, std::wstring& error) {
    Step withPorts = step;
    return readPortNames(withPorts.items, error) && checkList(withPorts, error);
}

bool Driver::checkListSelection(const Step& step, std::wstring& error) {
    if (!needSheet(error)) {
        return false;
    }
    std::wstring seen;
    const WaitResult result = waitFor(kTextTimeoutMs, [&]() {
        HWND list = pageControl(step.controlId, seen);
        std::vector<std::wstring> items;
        if (!list || !readListItems(list, items, seen)) {
            return false;
        }
        DWORD_PTR selection = 0;
        if (!sendWithTimeout(list, LB_GETCURSEL, 0, 0, selection)) {
            seen = L"the list box does not tell its selection";
            return false;
        }
        const LRESULT index = static_cast<LRESULT>(selection);
        if (index < 0 || static_cast<size_t>(index) >= items.size()) {
            seen = L"expected " + quoted(step.text) + L" selected but nothing is";
            return false;
        }
        seen = L"expected " + quoted(step.text) + L" selected but " + quoted(items[index]) + L" is";
        return items[index] == step.text;
    });
    if (result != WaitResult::Done) {
        error = waitFailure(result, kTextTimeoutMs, seen);
        return false;
    }
    return true;
}

bool Driver::select(const Step& step, std::wstring& error) {
    if (!needSheet(error)) {
        return false;
    }
    std::wstring seen;
    HWND list = nullptr;
    size_t index = 0;
    const WaitResult result = waitFor(kTextTimeoutMs, [&]() {
        list = pageControl(step.controlId, seen);
        std::vector<std::wstring> items;
        if (!list || !readListItems(list, items, seen)) {
            return false;
        }
        for (index = 0; index < items.size(); ++index) {
            if (items[index] == step.text) {
                return true;
            }
        }
        seen = L"no item " + quoted(step.text) + L" in " + joinItems(items);
        return false;
    });
    if (result != WaitResult::Done) {
        error = waitFailure(result, kTextTimeoutMs, seen);
        return false;
    }
    DWORD_PTR answer = 0;
    if (!sendWithTimeout(list, LB_SETCURSEL, index, 0, answer) ||
        static_cast<LRESULT>(answer) == LB_ERR) {
        error = L"the list box refused to select item " + std::to_wstring(index);
        return false;
    }
    // LB_SETCURSEL does not notify the page the way a click does; tell it.
    HWND page = GetParent(list);
    const WPARAM command = MAKEWPARAM(step.controlId, LBN_SELCHANGE);
    if (!sendWithTimeout(page, WM_COMMAND, command, reinterpret_cast<LPARAM>(list), answer) &&
        GetLastError() != ERROR_TIMEOUT) {
        // A timeout is fine: the page may be showing a message box about it.
        error = errorText(L"sending LBN_SELCHANGE");
        return false;
    }
    return true;
}

bool Driver::handleMessageBox(const Step& step, std::wstring& error) {
    // Launched, with no sheet yet, findMessageBox finds a box owned by no window.
    if ((sheet_ || !wizardRunning()) && !needSheet(error)) {
        return false;
    }
    HWND box = nullptr;
    WaitResult result = waitFor(kWindowTimeoutMs, [&]() {
        box = findMessageBox();
        return box != nullptr;
    });
    if (result != WaitResult::Done) {
        error = L"no message box: " +
                waitFailure(result, kWindowTimeoutMs, describeWindows(wizard_.id));
        return false;
    }

    std::wstring caption;
    std::wstring text;
    if (!readMessageBox(box, caption, text)) {
        error = L"cannot read the message box; " + describeWindows(wizard_.id);
        return false;
    }
    if (caption != step.name) {
        error = L"message box caption is " + quoted(caption) + L", expected " + quoted(step.name) +
                L" (its text: " + quoted(text) + L")";
        return false;
    }
    if (text != step.text) {
        error = L"message box text is " + quoted(text) + L", expected " + quoted(step.text);
        return false;
    }

    HWND button = GetDlgItem(box, IDOK);
    if (!button || !IsWindowVisible(button)) {
        button = GetDlgItem(box, IDCANCEL);
    }
    if (!button || !PostMessageW(button, BM_CLICK, 0, 0)) {
        error = L"cannot click the message box's OK or Cancel button";
        return false;
    }
    result = waitFor(kWindowTimeoutMs, [box]() { return !IsWindow(box) || !IsWindowVisible(box); });
    if (result == WaitResult::TimedOut) {
        error = L"the message box is still open " + seconds(kWindowTimeoutMs) +
                L" after clicking its button";
        return false;
    }
    return true;
}

bool Driver::shot(const Step& step, std::wstring& detail, std::wstring& error) {
    if (!needSheet(error)) {
        return false;
    }
    Sleep(kPaintDelayMs);
    const std::wstring path = screenshotDir_ + L"\\" + step.name + L".png";
    if (!saveWindowPng(sheet_, path, error)) {
        return false;
    }
    detail = path;
    // Wine puts message boxes in the middle of the screen, away from the sheet
    // at the top left, so an open one gets a picture of its own.
    if (HWND box = findMessageBox()) {
        const std::wstring boxPath = screenshotDir_ + L"\\" + step.name + L"-msgbox.png";
        if (!saveWindowPng(box, boxPath, error)) {
            return false;
        }
        detail += L", " + boxPath;
    }
    return true;
}

bool Driver::checkBanner(std::wstring& detail, std::wstring& error) {
    if (!needSheet(error)) {
        return false;
    }
    HWND page = currentPage();
    HWND picture = nullptr;
    RECT frame{};
    RECT shown{};
    LONG row = 0; // the lowest bottom edge of the page's controls, then the row above it
    for (HWND child = page ? GetWindow(page, GW_CHILD) : nullptr; child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect{};
        DWORD_PTR bitmap = 0;
        if (IsWindowVisible(child) && GetWindowRect(child, &rect)) {
            row = std::max(row, rect.bottom);
        }
        if (!picture && sendWithTimeout(child, STM_GETIMAGE, IMAGE_BITMAP, 0, bitmap) && bitmap) {
            picture = child;
            frame = rect;
        }
    }
    if (!picture || !GetWindowRect(page, &shown)) {
        error = L"the current page shows no picture";
        return false;
    }
    Sleep(kPaintDelayMs);
    row = std::min(row, shown.bottom) - 1;
    HDC screen = GetDC(nullptr);
    const COLORREF beside = GetPixel(screen, frame.right, row);
    LONG bare = 0;
    for (LONG x = frame.left; x < frame.right; ++x) {
        bare += GetPixel(screen, x, row) == beside ? 1 : 0;
    }
    ReleaseDC(nullptr, screen);
    detail = L"row " + std::to_wstring(row - frame.top) + L" of the picture (" +
             std::to_wstring(frame.right - frame.left) + L" by " +
             std::to_wstring(frame.bottom - frame.top) + L")";
    error = detail + L" shows the page's background in " + std::to_wstring(bare) + L" pixels";
    return bare == 0;
}

bool Driver::waitExit(std::wstring& detail, std::wstring& error) {
    if (!wizard_.process) {
        error = L"the wizard was never started";
        return false;
    }
    if (WaitForSingleObject(wizard_.process, kProcessTimeoutMs) != WAIT_OBJECT_0) {
        error = L"the wizard is still running after " + seconds(kProcessTimeoutMs) + L"; " +
                describeWindows(wizard_.id);
        return false;
    }
    detail = L"exit code " + std::to_wstring(wizardExitCode());
    return true;
}

bool Driver::spoolerSnapshot(std::wstring& detail, std::wstring& error) {
    if (!readSpoolerState(snapshot_, error)) {
        return false;
    }
    haveSnapshot_ = true;
    detail = std::to_wstring(snapshot_.printers.size()) + L" printers, default " +
             (snapshot_.hasDefault ? quoted(snapshot_.defaultPrinter) : L"none");
    return true;
}

bool Driver::spoolerUnchanged(std::wstring& error) {
    if (!haveSnapshot_) {
        error = L"no 'spooler-snapshot' step before this one";
        return false;
    }
    SpoolerState now;
    if (!readSpoolerState(now, error)) {
        return false;
    }
    error = describeSpoolerChanges(snapshot_, now);
    return error.empty();
}

bool Driver::runQuietly(const Step& step, std::wstring& detail, std::wstring& error) {
    QuietRun& run = runs_.emplace_back();
    if (!startProcess(wizardExe_, step.text, packageFolder_, run.wizard, error)) {
        runs_.pop_back();
        return false;
    }
    run.watcher = CreateThread(nullptr, 0, watchWindows, &run, 0, nullptr);
    if (!run.watcher) {
        error = errorText(L"CreateThread");
        killProcess(run.wizard);
        releaseProcess(run.wizard);
        runs_.pop_back();
        return false;
    }
    detail = L"process " + std::to_wstring(run.wizard.id);
    return true;
}

bool Driver::checkExitCode(const Step& step, std::wstring& detail, std::wstring& error) {
    const auto run =
        std::find_if(runs_.rbegin(), runs_.rend(), [](const QuietRun& r) { return !r.waitedFor; });
    if (run == runs_.rend()) {
        error = L"no 'run' step left to wait for";
        return false;
    }
    run->waitedFor = true;
    const std::wstring which = L"process " + std::to_wstring(run->wizard.id);
    // The watcher ends with the process, or at once when it sees a window.
    if (WaitForSingleObject(run->watcher, kRunTimeoutMs) != WAIT_OBJECT_0) {
        error = which + L" is still running after " + seconds(kRunTimeoutMs) + L"; " +
                describeWindows(run->wizard.id);
        return false;
    }
    if (!run->firstWindow.empty()) {
        error = which + L" showed a window: " + run->firstWindow;
        return false;
    }
    DWORD code = 0;
    GetExitCodeProcess(run->wizard.process, &code);
    detail = which + L" exited with code " + std::to_wstring(code);
    if (code != static_cast<DWORD>(step.number)) {
        error = detail + L", expected " + std::to_wstring(step.number);
        return false;
    }
    return true;
}

bool Driver::setRegistryDword(const Step& step, std::wstring& error) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, step.name.c_str(), 0, nullptr, 0,
                                     KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        const DWORD value = static_cast<DWORD>(step.number);
        status = RegSetValueExW(key, step.text.c_str(), 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS) {
        error = errorText(L"setting the value", static_cast<DWORD>(status));
        return false;
    }
    const std::pair<std::wstring, std::wstring> set(step.name, step.text);
    if (std::find(registryValues_.begin(), registryValues_.end(), set) == registryValues_.end()) {
        registryValues_.push_back(set);
    }
    return true;
}

bool Driver::deleteRegistryValues(std::vector<std::wstring>& notes) {
    notes.clear();
    bool ok = true;
    for (const auto& [keyName, valueName] : registryValues_) {
        HKEY key = nullptr;
        LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyName.c_str(), 0,
                                       KEY_SET_VALUE | KEY_WOW64_64KEY, &key);
        if (status == ERROR_SUCCESS) {
            status = RegDeleteValueW(key, valueName.c_str());
            RegCloseKey(key);
        }
        const std::wstring what = L"delete HKLM\\" + keyName + L" value " + quoted(valueName);
        notes.push_back(status == ERROR_SUCCESS
                            ? what
                            : L"could not " + what + L" (error " + std::to_wstring(status) + L")");
        ok = ok && status == ERROR_SUCCESS;
    }
    registryValues_.clear();
    return ok;
}

bool Driver::deletePackageFile(const Step& step, std::wstring& detail, std::wstring& error) {
    const std::wstring path = packageFolder_ + L"\\" + step.name;
    if (DeleteFileW(path.c_str())) {
        detail = L"deleted " + path;
        return true;
    }
    if (GetLastError() == ERROR_FILE_NOT_FOUND) {
        detail = L"there was no " + path;
        return true;
    }
    error = errorText(L"DeleteFileW") + L" for " + path;
    return false;
}

bool Driver::checkLog(const Step& step, std::wstring& error) {
    const std::wstring path = packageFolder_ + L"\\" + step.name;
    std::string bytes;
    if (!readFileBytes(path, bytes, error) || !checkSetupLog(bytes, step.items, error)) {
        error = path + L": " + error;
        return false;
    }
    return true;
}

int runDriver(int argc, wchar_t** argv) {
    setUpConsole();
    if (argc != 4) {
        printLine(L"usage: WizardDriver.exe <wizard-exe> <steps-file> <screenshot-dir>");
        return kExitFailed;
    }
    const std::wstring wizardExe = toWindowsPath(argv[1]);
    const std::wstring stepsPath = toWindowsPath(argv[2]);
    const std::wstring screenshotDir = toWindowsPath(argv[3]);

    std::string bytes;
    std::wstring error;
    std::vector<Step> steps;
    if (!readFileBytes(stepsPath, bytes, error) || !parseSteps(bytes, steps, error)) {
        printLine(stepsPath + L": " + error);
        return kExitFailed;
    }
    printLine(L"wizard: " + wizardExe);
    printLine(L"steps: " + stepsPath + L" (" + std::to_wstring(steps.size()) + L")");
    printLine(L"screenshots: " + screenshotDir);

    Driver driver(wizardExe, screenshotDir);
    std::wstring cleaned;
    if (!driver.startClean(cleaned, error)) {
        printLine(L"FAILED to start without fake USB printers: " + error);
        return kExitFailed;
    }
    if (!cleaned.empty()) {
        printLine(cleaned);
    }
    size_t passed = 0;
    for (const Step& step : steps) {
        printLine(L"line " + std::to_wstring(step.line) + L": " + step.source);
        const ULONGLONG started = GetTickCount64();
        std::wstring detail;
        const bool ok = driver.run(step, detail, error);
        const std::wstring took = std::to_wstring(GetTickCount64() - started) + L" ms";
        if (!ok) {
            printLine(L"  FAILED (" + took + L"): " + error);
            break;
        }
        printLine(L"  ok (" + took + L")" + (detail.empty() ? L"" : L": " + detail));
        ++passed;
    }
    if (driver.stopWizard()) {
        printLine(L"the wizard was still running: killed it");
    }
    std::vector<std::wstring> notes;
    const bool restored = driver.restoreSpooler(notes);
    std::vector<std::wstring> registryNotes;
    const bool registryRestored = driver.deleteRegistryValues(registryNotes);
    notes.insert(notes.end(), registryNotes.begin(), registryNotes.end());
    for (const std::wstring& note : notes) {
        printLine(L"cleanup: " + note);
    }
    if (!restored || !registryRestored) {
        printLine(L"FAILED: the spooler or the registry is not as the run found it");
        return kExitFailed;
    }

    if (passed == steps.size()) {
        printLine(L"PASSED: all " + std::to_wstring(steps.size()) + L" steps");
        return kExitPassed;
    }
    printLine(L"FAILED at step " + std::to_wstring(passed + 1) + L" of " +
              std::to_wstring(steps.size()) + L" (line " + std::to_wstring(steps[passed].line) +
              L")");
    return kExitFailed;
}

} // namespace
} // namespace driver

int wmain(int argc, wchar_t** argv) {
    return driver::runDriver(argc, argv);
}
