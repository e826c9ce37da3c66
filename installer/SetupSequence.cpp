// One installation and one removal, step by step.
#include "installer/SetupSequence.h"

#include "platform/AppendFile.h"
#include "platform/Spooler.h"

namespace {
// ERROR_UNKNOWN_PRINTER_DRIVER: there is no such driver (any more), which is what the deletion
// wants; the removal of the last printer may already have deleted it.
constexpr unsigned long kNoSuchDriver = 1797;
} // namespace

template <class Work> bool CSetupSequence::Step(SetupStep step, Work work) {
    const std::uint64_t started = MonotonicMs();
    unsigned long error = 0;
    const bool succeeded = work(error);
    ISetupListener* listener = m_installer.GetStepListener();
    if (listener != nullptr) {
        listener->OnStep(step, succeeded, error, MonotonicMs() - started);
    }
    return succeeded;
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
    if (!canInstall) {
        return false;
    }
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
        return error == kNoSuchDriver;
    });
}

bool CSetupSequence::Install() {
    if (!Step(SetupStep::Install, [&](unsigned long& error) {
            const bool installed = m_installer.InstallDriver() != 0;
            error = m_installer.GetInstallError();
            return installed;
        })) {
        return false;
    }
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
    if (!IsUsableName(name) || m_installer.CollectPrintersByName(name.c_str(), printers) < 0) {
        return false;
    }
    for (const WString& printer : printers) {
        RemovePrinter(printer);
    }
    DeleteDriver(name);
    NameList left;
    return m_installer.CollectPrintersByName(name.c_str(), left) == 0;
}
