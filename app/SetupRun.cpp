// The command line, the start-up refusals, the one-setup guard, and the unattended runs.
#include "app/SetupRun.h"

#include <cstdint>

#include "app/OrvaneApp.h"
#include "app/SetupArguments.h"
#include "app/StartupChecks.h"
#include "installer/DriverInstaller.h"
#include "installer/SetupLog.h"
#include "installer/SetupSequence.h"
#include "platform/AppendFile.h"
#include "platform/Framework.h"
#include "platform/NamedMutex.h"
#include "platform/ProgramCommandLine.h"
#include "platform/Spooler.h"

const WChar kSetupMutexName[] = WTEXT("VeltraPrinterDriverSetup");

namespace {

const WChar kUsageText[] = WTEXT("用法：VeltraSetup.exe [开关]\n") WTEXT(
    "不带开关时显示安装向导。\n\n")
    WTEXT("/quiet（或 /q、/silent、/s）\t无人值守安装，不显示任何窗口；须与 /model 同用\n") WTEXT(
        "/model 型号\t要安装或卸载的型号，即向导列出的名称，例如 /model \"Veltra KX 500\"\n")
        WTEXT("/port 端口\t打印机端口，例如 /port LPT2:；默认为原打印机的端口，没有时为 "
              "LPT1:（仅与 /quiet 同用）\n")
            WTEXT("/nodefault\t不改变默认打印机，原打印机是默认打印机时除外（仅与 /quiet 同用）\n")
                WTEXT("/uninstall\t删除该型号的打印机及其驱动；须与 /model 同用\n")
                    WTEXT("/log 文件\t把每一步的结果追加写入该文件（UTF-8）\n")
                        WTEXT("/?（或 /help）\t显示本说明\n\n") WTEXT("退出代码：\n")
                            WTEXT("0\t成功\n") WTEXT("3010\t成功，需要重新启动计算机\n")
                                WTEXT("1603\t安装或删除失败\n") WTEXT("87\t命令行有误\n")
                                    WTEXT("1622\t无法打开日志文件\n")
                                        WTEXT("1633\t此 Windows 不能安装此安装包\n")
                                            WTEXT("1618\t另一个打印机驱动安装程序正在运行");
const WChar kErrorCaption[] = WTEXT("ERROR");
const WChar kOkCaption[] = WTEXT("OK");
const WChar kBusyText[] =
    WTEXT("打印机驱动安装程序已在运行。\n\n") WTEXT("请等待它结束后，再重新运行安装程序。");
const WChar kLogFailedText[] = WTEXT("无法打开日志文件：\n");
const WChar kUninstalledText[] = WTEXT("打印机驱动已删除。");
const WChar kUninstallFailedText[] = WTEXT("打印机驱动删除失败！");

// The log's words for the kind of run and for how it ended.
const char kWizardMode[] = "wizard";
const char kInstallMode[] = "install";
const char kUninstallMode[] = "uninstall";
const char kInstalledOutcome[] = "ok";
const char kNotInstalledOutcome[] = "cancelled";

const char* OutcomeWord(int exitCode) {
    switch (exitCode) {
    case kExitSucceeded:
        return "ok";
    case kExitRestartNeeded:
        return "restart-needed";
    case kExitBusy:
        return "busy";
    case kExitUnsupported:
        return "unsupported";
    default:
        return "failed";
    }
}

// The first entry of `list` that is `wanted`, letter case ignored; empty when there is none.
WString FindIgnoringCase(const NameList& list, const WString& wanted) {
    for (const WString& entry : list) {
        if (SpoolerNamesEqual(entry, wanted)) {
            return entry;
        }
    }
    return WString();
}

class CSetupRun {
public:
    explicit CSetupRun(const std::function<void()>& runWizard) : m_runWizard(runWizard) {}
    int Run();

private:
    bool Unattended() const { return m_args.quiet || m_args.uninstall; }
    // A box, unless nobody is there to answer it.
    void Tell(const WChar* text, const WChar* caption, unsigned style) const;
    // What the model and port name, from the lists the wizard would show. False when the
    // command line names one that is not listed.
    bool ResolveChoices();
    // The old printer's port when it is among the offered ones; empty otherwise.
    WString OldPrinterPort() const;
    // The usage, and the exit code of a wrong command line.
    int WrongCommandLine() const;
    // What the run is, as the log's first line names it.
    const char* Mode() const;
    // From now on a log line for every step.
    void BeginSteps();
    // Ends the run: the log's last line, and the exit code (the wizard's is always 0).
    int End(int exitCode);
    int Install();
    int Uninstall();

    const std::function<void()>& m_runWizard;
    SetupArguments m_args;
    WString m_strDriver;
    WString m_strPort;
    NameList m_ports;
    bool m_bPackageReadable = true;
    CSetupLog m_log;
    bool m_bLogging = false;
    std::uint64_t m_nStartedMs = MonotonicMs();
};

void CSetupRun::Tell(const WChar* text, const WChar* caption, unsigned style) const {
    if (!m_args.quiet) {
        ShowAppMessageBox(text, caption, style);
    }
}

int CSetupRun::WrongCommandLine() const {
    Tell(kUsageText, kErrorCaption, MbOk | MbIconError);
    return kExitWrongCommandLine;
}

const char* CSetupRun::Mode() const {
    return m_args.uninstall ? kUninstallMode : m_args.quiet ? kInstallMode : kWizardMode;
}

void CSetupRun::BeginSteps() {
    if (m_bLogging) {
        theInstaller.SetStepListener(&m_log);
    }
}

int CSetupRun::Run() {
    std::vector<WString> arguments = SplitCommandLine(ProgramCommandLine());
    if (!arguments.empty()) {
        arguments.erase(arguments.begin());
    }
    const ArgumentsVerdict verdict = ReadSetupArguments(arguments, m_args);
    if (m_args.quiet) {
        // Nobody is there to answer Windows' own boxes either, nor the print UI's.
        NeverAskThroughErrorBoxes();
    }
    switch (verdict) {
    case ArgumentsVerdict::Wizard:
    case ArgumentsVerdict::Run:
        break;
    case ArgumentsVerdict::Help:
        Tell(kUsageText, kWizardCaption, MbOk | MbIconInformation);
        return kExitSucceeded;
    case ArgumentsVerdict::Wrong:
        return WrongCommandLine();
    }
    if (!ResolveChoices()) {
        return WrongCommandLine();
    }
    if (m_args.hasLog) {
        if (!m_log.Open(m_args.logPath.c_str())) {
            Tell((kLogFailedText + m_args.logPath).c_str(), kErrorCaption, MbOk | MbIconError);
            return kExitLogFailure;
        }
        m_bLogging = true;
        m_log.Start(Mode());
    }

    const StartRefusal refusal = FindStartRefusal(theInstaller);
    if (refusal != StartRefusal::None) {
        Tell(RefusalText(refusal), kErrorCaption, MbOk | MbIconError);
        return End(refusal == StartRefusal::PackagePathTooLong ? kExitFailed : kExitUnsupported);
    }
    // Two setups at once would remove and install over each other. A guard that cannot be
    // made at all does not stop the setup: it would then never run anywhere that happens; nor
    // does a name that someone else took, who could otherwise stop every setup for good.
    CNamedMutex guard;
    const MutexClaim claim = guard.Claim(kSetupMutexName);
    if (claim == MutexClaim::HeldElsewhere) {
        Tell(kBusyText, kErrorCaption, MbOk | MbIconError);
        return End(kExitBusy);
    }
    if (claim != MutexClaim::Claimed && m_bLogging) {
        m_log.GuardNotHeld(claim, guard.Error());
    }
    if (m_args.uninstall) {
        return Uninstall();
    }
    if (m_args.quiet) {
        return Install();
    }
    BeginSteps();
    m_runWizard();
    theInstaller.SetStepListener(nullptr);
    return End(kExitSucceeded);
}

bool CSetupRun::ResolveChoices() {
    if (!m_args.hasModel) {
        return true;
    }
    // A package that cannot be read is no fault of the command line: the run fails later.
    m_bPackageReadable = theInstaller.CanReadCatalogue();
    if (!m_bPackageReadable) {
        return true;
    }
    NameList models;
    theInstaller.ReadOfferedModels(models);
    const WString model = FindIgnoringCase(models, m_args.model);
    if (model.empty()) {
        return false;
    }
    // As the driver page's Next takes it: a model without a driver entry leaves no name.
    WChar driver[kPathCapacity] = {};
    theInstaller.GetModelDriverName(model.c_str(), driver, kPathCapacity);
    m_strDriver = driver;

    theInstaller.CollectOfferedPorts(m_ports);
    m_strPort = m_args.hasPort ? FindIgnoringCase(m_ports, m_args.port)
                               : theInstaller.PreselectedPort(m_ports);
    return !m_args.hasPort || !m_strPort.empty();
}

WString CSetupRun::OldPrinterPort() const {
    const PrinterSettings* old = theInstaller.SavedSettings();
    return old != nullptr ? FindIgnoringCase(m_ports, old->port) : WString();
}

int CSetupRun::End(int exitCode) {
    if (m_bLogging) {
        const bool wizard = !Unattended();
        const char* outcome = !wizard             ? OutcomeWord(exitCode)
                              : m_log.Installed() ? kInstalledOutcome
                                                  : kNotInstalledOutcome;
        m_log.End(outcome, exitCode, MonotonicMs() - m_nStartedMs);
    }
    return Unattended() ? exitCode : kExitSucceeded;
}

int CSetupRun::Install() {
    BeginSteps();
    theInstaller.SetQuietFlag(1);
    theInstaller.SetDriverName(m_strDriver.c_str());
    // A reinstall keeps the printer where it stood (USB001, a network port) unless told
    // otherwise, and where the old printer was this account's default, deleting it must not
    // hand the default to another printer, even with /nodefault.
    theInstaller.SaveOldPrinterSettings(m_strDriver.c_str());
    const WString oldPort = m_args.hasPort ? WString() : OldPrinterPort();
    theInstaller.SetPortName(oldPort.empty() ? m_strPort.c_str() : oldPort.c_str());
    theInstaller.SetDefaultFlag(!m_args.noDefault || theInstaller.OldPrinterWasDefault() ? 1 : 0);
    theInstaller.SetTestPageFlag(0);
    const bool installed = m_bPackageReadable && CSetupSequence(theInstaller).Run();
    theInstaller.SetStepListener(nullptr);
    if (!installed) {
        return End(kExitFailed);
    }
    return End(theInstaller.GetRestartFlag() != 0 ? kExitRestartNeeded : kExitSucceeded);
}

int CSetupRun::Uninstall() {
    BeginSteps();
    theInstaller.SetQuietFlag(m_args.quiet ? 1 : 0);
    theInstaller.SetDriverName(m_strDriver.c_str());
    const bool removed = m_bPackageReadable && CSetupSequence(theInstaller).Uninstall();
    theInstaller.SetStepListener(nullptr);
    if (removed) {
        Tell(kUninstalledText, kOkCaption, MbOk | MbIconInformation);
    } else {
        Tell(kUninstallFailedText, kErrorCaption, MbOk | MbIconError);
    }
    return End(removed ? kExitSucceeded : kExitFailed);
}

} // namespace

int RunSetup(const std::function<void()>& runWizard) {
    return CSetupRun(runWizard).Run();
}
