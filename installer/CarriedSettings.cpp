// What a reinstall carries across from the printer it replaces to the one it creates: sharing,
// comment and location, separator page, priorities and hours, the printing defaults and the
// permissions, as a user or an administrator set them. The print processor, datatype and
// parameters are the new driver's, and per-user printing preferences stay with each user.
#include "installer/DriverInstaller.h"

#include "installer/SetupSequence.h"
#include "platform/Threads.h"

namespace {

// The attributes a user sets on a printer's pages; the others are the spooler's or the
// driver's.
constexpr unsigned long kUserAttributes =
    kPrinterAttributeQueued | kPrinterAttributeDirect | kPrinterAttributeKeepPrintedJobs |
    kPrinterAttributeDoCompleteFirst | kPrinterAttributeShared | kPrinterAttributeEnableDevQueue;

// Plug and play may create the printer a moment after the update returned.
constexpr unsigned long kNewPrinterPollMs = 500;
constexpr unsigned long kNewPrinterWaitMs = 10000;

// The printing defaults the new printer gets: the saved ones merged by its driver, which keeps
// what it understands; where the driver cannot merge, the saved ones as they were only when its
// own driver laid them out (another driver's private part would be garbage to it); else its own.
std::vector<unsigned char> CarriedDevMode(CPrinterHandle& printer, const PrinterSettings& current,
                                          const PrinterSettings& saved) {
    std::vector<unsigned char> merged;
    if (saved.devMode.empty()) {
        return current.devMode;
    }
    if (printer.MergeDevMode(current.printerName.c_str(), saved.devMode, merged)) {
        return merged;
    }
    if (SpoolerNamesEqual(saved.driver, current.driver) &&
        SameDevModeLayout(saved.devMode, current.devMode)) {
        return saved.devMode;
    }
    return current.devMode;
}

} // namespace

void CDriverInstaller::SaveOldPrinterSettings(const WChar* driverName) {
    const WString name = driverName;
    // No name would open the print server itself.
    if (name.empty() || (m_bSettingsRead && SpoolerNamesEqual(name, m_strSettingsOf))) {
        return;
    }
    m_bSettingsRead = true;
    m_strSettingsOf = name;
    m_savedSettings.reset();
    m_bOldWasDefault = 0;
    CPrinterHandle printer;
    PrinterSettings settings;
    if (!printer.Open(driverName, PrinterAccess::AllAccess) || !printer.GetSettings(settings) ||
        (settings.attributes & kPrinterAttributeRemoteDesktop) != 0) {
        return;
    }
    m_savedSettings = settings;
    WString defaultPrinter;
    NameList ours;
    if (SpoolerGetDefaultPrinter(defaultPrinter) && CollectPrintersByName(driverName, ours) > 0) {
        for (const WString& old : ours) {
            m_bOldWasDefault =
                m_bOldWasDefault != 0 || SpoolerNamesEqual(old, defaultPrinter) ? 1 : 0;
        }
    }
}

const PrinterSettings* CDriverInstaller::SavedSettings() const {
    return m_savedSettings ? &*m_savedSettings : nullptr;
}

StepOutcome CDriverInstaller::RestoreSettings(const NameList& before, unsigned long& error) {
    if (!m_savedSettings) {
        return StepOutcome::Skipped;
    }
    WString created = NewPrinterOfDriver(m_szDriverName, before);
    for (unsigned long waited = 0; created.empty() && waited < kNewPrinterWaitMs;
         waited += kNewPrinterPollMs) {
        SleepMs(kNewPrinterPollMs);
        created = NewPrinterOfDriver(m_szDriverName, before);
    }
    if (created.empty()) {
        return StepOutcome::Skipped;
    }
    const PrinterSettings& saved = *m_savedSettings;
    CPrinterHandle printer;
    PrinterSettings settings;
    if (!printer.Open(created.c_str(), PrinterAccess::AllAccess) ||
        !printer.GetSettings(settings)) {
        error = SpoolerLastError();
        return StepOutcome::Failed;
    }
    settings.shareName = saved.shareName;
    settings.comment = saved.comment;
    settings.location = saved.location;
    settings.separatorFile = saved.separatorFile;
    settings.attributes =
        (settings.attributes & ~kUserAttributes) | (saved.attributes & kUserAttributes);
    settings.priority = saved.priority;
    settings.defaultPriority = saved.defaultPriority;
    settings.startTime = saved.startTime;
    settings.untilTime = saved.untilTime;
    settings.devMode = CarriedDevMode(printer, settings, saved);
    bool restored = printer.SetSettings(settings);
    if (!restored) {
        error = SpoolerLastError();
        // The old printer, still pending deletion, may hold the share name: the rest is set
        // unshared rather than lost.
        if ((settings.attributes & kPrinterAttributeShared) != 0) {
            settings.attributes &= ~kPrinterAttributeShared;
            printer.SetSettings(settings);
        }
    }
    if (!saved.dacl.empty() && !printer.SetDacl(saved.dacl)) {
        error = restored ? SpoolerLastError() : error;
        restored = false;
    }
    return restored ? StepOutcome::Succeeded : StepOutcome::Failed;
}
