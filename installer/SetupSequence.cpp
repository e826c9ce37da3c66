// One installation and one removal, step by step.
#include "installer/SetupSequence.h"

#include "platform/AppendFile.h"
#include "platform/Spooler.h"

namespace {
// ERROR_UNKNOWN_PRINTER_DRIVER: there is no such driver (any more), which is what the deletion
// wants; the removal of the last printer may already have deleted it.
constexpr unsigned long kNoSuchDriver = 1797;

// The HRESULT as the log's error code: its 32 bits as they stand.
unsigned long HresultCode(SpoolerResult result) {
    return static_cast<std::uint32_t>(result);
}

StepOutcome OutcomeOf(bool succeeded) {
    return succeeded ? StepOutcome::Succeeded : StepOutcome::Failed;
}

StepOutcome OutcomeOf(StepOutcome outcome) {
    return outcome;
}

// HRESULTs below zero are failures (FAILED).
StepOutcome OutcomeOf(SpoolerResult result, unsigned long& error) {
    if (result == kSpoolerNotImplemented) {
        return StepOutcome::Skipped;
    }
    error = HresultCode(result);
    return OutcomeOf(result >= kSpoolerSucceeded);
}
} // namespace

// Runs one step and reports it; false only when it failed.
template <class Work> bool CSetupSequence::Step(SetupStep step, Work work) {
    const std::uint64_t started = MonotonicMs();
    unsigned long error = 0;
    const StepOutcome outcome = OutcomeOf(work(error));
    ISetupListener* listener = m_installer.GetStepListener();
    if (listener != nullptr) {
        listener->OnStep(step, outcome, error, MonotonicMs() - started);
    }
    return outcome != StepOutcome::Failed;
}

WString CSetupSequence::DriverName() const {
    WChar name[kNameCapacity] = {};
    m_installer.GetDriverName(name, kNameCapacity);
    return name;
}

// With no name the spooler would open the print server itself, and every printer whose second
// character is "(" would pass for a copy. The removal works on copies of kWorkingNameCapacity,
// so a longer name would reach it cut, and a cut name is another printer's.
bool CSetupSequence::IsUsableName(const WString& name) {
    return !name.empty() && name.size() < kWorkingNameCapacity;
}

bool CSetupSequence::Prepare(const RemovalRunner& runRemoval) {
    const WString name = DriverName();
    // A package without the driver would fail only after the old printer had gone.
    const bool canInstall = Step(SetupStep::Check, [&](unsigned long&) {
        return IsUsableName(name) && m_installer.PackageHasDriver(name.c_str()) != 0;
    });
    if (!canInstall || (m_installer.GetQuietFlag() != 0 && !Stage())) {
        return false;
    }
    m_installer.SaveOldPrinterSettings(name.c_str());
    CPrinterHandle printer;
    if (!printer.Open(name.c_str(), PrinterAccess::Default)) {
        return true;
    }
    if (!runRemoval()) {
        return false;
    }
    // Our handle kept the old printer until the removal was done. Only now are the old
    // printers gone, and with them their hold on the driver, which the removal could therefore
    // not delete. A printer that is not ours still using it keeps it, as the spooler decides.
    const bool closed = printer.Close();
    DeleteDriver(name);
    if (closed) {
        Step(SetupStep::Rescan, [&](unsigned long&) { return m_installer.RescanDevices() != 0; });
    }
    return true;
}

// Windows takes into its driver store only a package it trusts: unattended, nobody could answer
// its question about any other, so the old printer stays until it is known that the new one
// can come.
bool CSetupSequence::Stage() {
    return Step(SetupStep::Stage, [&](unsigned long& error) {
        m_installer.BuildDriverInfPath();
        return OutcomeOf(SpoolerStageDriverPackage(m_installer.GetDriverInf()), error);
    });
}

void CSetupSequence::RemoveOldPrinters() {
    const WString name = DriverName();
    NameList printers;
    if (m_installer.CollectPrintersByName(name.c_str(), printers) != 0) {
        for (const WString& printer : printers) {
            RemovePrinter(printer);
        }
    }
}

void CSetupSequence::RemovePrinter(const WString& printer) {
    Step(SetupStep::Remove, [&](unsigned long&) {
        bool deleted = false;
        m_installer.RemovePrinterAndDriver(printer.c_str(), &deleted);
        return deleted;
    });
}

bool CSetupSequence::DeleteDriver(const WString& name) {
    return Step(SetupStep::DeleteDriver, [&](unsigned long& error) {
        if (m_installer.DeleteDriverAndFiles(name.c_str()) != 0) {
            return true;
        }
        error = SpoolerLastError();
        if (error == kNoSuchDriver) {
            return true;
        }
        // A spooler that does not say "no such driver" (Wine's) is asked whether it has one.
        bool installed = true;
        WString package;
        if (SpoolerFindDriver(name.c_str(), installed, package) && !installed) {
            error = 0;
            return true;
        }
        return false;
    });
}

bool CSetupSequence::Install() {
    const WString name = DriverName();
    NameList before;
    m_installer.CollectPrintersOfDriver(name.c_str(), before);
    if (!Step(SetupStep::Install, [&](unsigned long& error) {
            const bool installed = m_installer.InstallDriver() != 0;
            error = m_installer.GetInstallError();
            return installed;
        })) {
        return false;
    }
    // A setting that cannot be set does not undo the installation.
    Step(SetupStep::Restore,
         [&](unsigned long& error) { return m_installer.RestoreSettings(before, error); });
    // What becomes of these does not change the outcome: the driver is installed.
    if (m_installer.GetDefaultFlag() != 0) {
        Step(SetupStep::DefaultPrinter,
             [&](unsigned long&) { return m_installer.MakeDefaultPrinter() != 0; });
    }
    if (m_installer.GetTestPageFlag() != 0) {
        m_installer.PrintTestPage();
    }
    return true;
}

bool CSetupSequence::Run() {
    return Prepare([this] {
               RemoveOldPrinters();
               return true;
           }) &&
           Install();
}

bool CSetupSequence::Uninstall() {
    const WString name = DriverName();
    NameList printers;
    if (!IsUsableName(name) || m_installer.CollectPrintersOfDriver(name.c_str(), printers) < 0) {
        return false;
    }
    // The driver knows its package only while it is installed.
    WString package;
    bool installed = false;
    SpoolerFindDriver(name.c_str(), installed, package);
    for (const WString& printer : printers) {
        RemovePrinter(printer);
    }
    // A printer the spooler still holds, pending deletion, keeps the driver: the deletion says
    // so in its error, and the removal has not happened.
    if (!DeleteDriver(name)) {
        return false;
    }
    DeletePackage(package);
    NameList left;
    return m_installer.CollectPrintersOfDriver(name.c_str(), left) == 0;
}

// Does not change the outcome: the driver is gone, and only a later plug-and-play printer
// would find the package.
void CSetupSequence::DeletePackage(const WString& infPath) {
    Step(SetupStep::DeletePackage, [&](unsigned long& error) {
        return infPath.empty() ? StepOutcome::Skipped
                               : OutcomeOf(SpoolerDeleteDriverPackage(infPath.c_str()), error);
    });
}
