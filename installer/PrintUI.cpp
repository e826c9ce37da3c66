// The print UI commands: the one runner that starts rundll32 with PRINTUI.DLL,PrintUIEntry in
// a job, reports a failed start and deals with a print UI that outlives its wait, and the
// install, set-default and test-page command lines.
#include "installer/DriverInstaller.h"

#include <utility>

#include "installer/CommandLine.h"
#include "platform/Framework.h"
#include "platform/Process.h"
#include "platform/Threads.h"

namespace {

const WChar kRundll32[] = WTEXT("rundll32.exe");
const WChar kInstallFormat[] =
    WTEXT("PRINTUI.DLL,PrintUIEntry /if /n \"%s\" /f \"%s\" /r \"%s\" /m \"%s\" ");
// Unattended, the print UI must not stop on a window of its own that nobody will close.
const WChar kQuietInstallFormat[] =
    WTEXT("PRINTUI.DLL,PrintUIEntry /if /q /n \"%s\" /f \"%s\" /r \"%s\" /m \"%s\" ");
const WChar kSetDefaultFormat[] = WTEXT("PRINTUI.DLL,PrintUIEntry /y /q /n \"%s\"");
const WChar kTestPageFormat[] = WTEXT("PRINTUI.DLL,PrintUIEntry /k /q /n \"%s\"");
constexpr std::size_t kCommandLineCapacity = 1024;

// How long a command may run before the installer goes on without it. The wizard's user sees
// the print UI's own windows and can answer them; past the wait the page reports a failure
// and waits for the print UI before it does anything else.
constexpr unsigned long kCommandWaitMs = 120000;
// Unattended, an installation on a busy spooler or a slow disk may take long, and nobody is
// waiting at a screen: a print UI still running after this is taken as stuck (a prompt in a
// session nobody sees) and ended. Deployment engines allow an hour or more by default.
constexpr unsigned long kQuietInstallWaitMs = 15 * 60 * 1000;
// ERROR_TIMEOUT: the print UI outlived its wait.
constexpr unsigned long kErrorTimeout = 1460;
// The print UI may still be registering the printer when its process ends.
constexpr unsigned long kPresenceCheckDelayMs = 500;

const WChar kErrorCaption[] = WTEXT("ERROR");

// What the user is told when rundll32 cannot be started, by the start's error code. The last
// four only the shell gives; rundll32 is started without it, so they do not occur.
struct LaunchError {
    unsigned long code;
    const WChar* text;
};
const LaunchError kLaunchErrors[] = {
    {2, WTEXT("The specified file was not found.")},
    {3, WTEXT("The specified path was not found.")},
    {5, WTEXT("Access to the specified file is denied.")},
    {8, WTEXT("There is not enough memory to perform the specified action.")},
    {32, WTEXT("A sharing violation occurred.")},
    {1155, WTEXT("There is no application associated with the given file name extension.")},
    {1156, WTEXT("The Dynamic Data Exchange (DDE) transaction failed.")},
    {1157, WTEXT("One of the library files necessary to run the application can't be found.")},
    {1223, WTEXT("The function prompted the user for additional information, but the user "
                 "canceled the request.")},
};
const WChar kOtherLaunchError[] = WTEXT("Other error occurred.");

const WChar* LaunchErrorText(unsigned long code) {
    for (const LaunchError& error : kLaunchErrors) {
        if (error.code == code) {
            return error.text;
        }
    }
    return kOtherLaunchError;
}

} // namespace

int CDriverInstaller::RunPrintUICommand(const WChar* parameters, unsigned long waitMs,
                                        unsigned long& error) {
    CSystemProgram printUI;
    if (!printUI.Start(kRundll32, parameters, error)) {
        // Unattended, nobody could close the box: the failure shows in the outcome alone.
        if (m_bQuiet == 0) {
            ShowAppMessageBox(LaunchErrorText(error), kErrorCaption, MbOk | MbIconError);
        }
        return 0;
    }
    if (printUI.Wait(waitMs)) {
        return 1;
    }
    error = kErrorTimeout;
    // Unattended, the run ends next and lets go of the setup guard: a print UI still
    // installing then would meet a retry. Should it not be gone at once, closing its job
    // (below) ends it too.
    if (m_bQuiet != 0) {
        printUI.End();
    } else {
        m_latePrintUI = std::move(printUI);
    }
    return 0;
}

bool CDriverInstaller::HasLatePrintUI() {
    if (m_latePrintUI.IsHeld() && m_latePrintUI.Wait(0)) {
        m_latePrintUI.Close();
    }
    return m_latePrintUI.IsHeld();
}

void CDriverInstaller::WaitForLatePrintUI() {
    m_latePrintUI.Wait(kWaitForever);
    m_latePrintUI.Close();
}

int CDriverInstaller::InstallWithPrintUI() {
    BuildDriverInfPath();
    // With no name every printer would "exist" afterwards; with a name that could break its
    // quotes the line would say something else. Neither is started.
    WChar line[kCommandLineCapacity];
    if (m_szDriverName[0] == 0 ||
        !FormatCommandLine(line, kCommandLineCapacity,
                           m_bQuiet != 0 ? kQuietInstallFormat : kInstallFormat,
                           {m_szDriverName, m_szDriverInf, m_szPortName, m_szDriverName})) {
        return 0;
    }
    // A printer of the name that was there before (a copy the removal did not reach) proves
    // nothing about this installation: only one that the command added does. A listing that
    // fails leaves `before` empty, and then any printer of the name counts.
    NameList before;
    CollectPrintersByName(m_szDriverName, before);
    // A print UI that outlived its wait proves nothing yet, whatever the spooler shows.
    if (!RunPrintUICommand(line, m_bQuiet != 0 ? kQuietInstallWaitMs : kCommandWaitMs,
                           m_nInstallError)) {
        return 0;
    }
    SleepMs(kPresenceCheckDelayMs);
    return HasNewPrinterOfName(m_szDriverName, before);
}

namespace {
// Runs one of the commands that act on the installed printer, when its flag is set.
int RunPrinterCommand(CDriverInstaller& installer, int flag, const WChar* format,
                      const WChar* driverName) {
    if (flag == 0) {
        return 1;
    }
    WChar line[kCommandLineCapacity];
    if (!FormatCommandLine(line, kCommandLineCapacity, format, {driverName})) {
        return 0;
    }
    // One spooler call each: the installation's own wait is more than enough, in either mode.
    unsigned long error = 0;
    return installer.RunPrintUICommand(line, kCommandWaitMs, error) != 0 ? 1 : 0;
}
} // namespace

int CDriverInstaller::MakeDefaultPrinter() {
    return RunPrinterCommand(*this, m_bSetDefault, kSetDefaultFormat, m_szDriverName);
}

int CDriverInstaller::PrintTestPage() {
    return RunPrinterCommand(*this, m_bPrintTestPage, kTestPageFormat, m_szDriverName);
}
