// The order of one installation (check, removal of the old one, driver deletion, rescan,
// installation, default printer) and of one removal, in one place: the wizard's confirmation
// page drives it on its threads, the unattended run straight through, and a log hears of each
// step of either.
#pragma once

#include <cstdint>
#include <functional>

#include "installer/DriverInstaller.h"

// The steps, as they follow each other. Stage and DeletePackage carry an HRESULT as their
// error code; the others a Win32 error.
enum class SetupStep {
    Check,
    Stage,
    Remove,
    DeleteDriver,
    DeletePackage,
    Rescan,
    Install,
    Restore,
    DefaultPrinter,
};

// How a step ended: skipped means there was nothing for it to do, or the system cannot do it.
enum class StepOutcome { Succeeded, Failed, Skipped };

// Hears of each step once it has ended: how, the platform's error code where the step has one
// (0 otherwise), and how long it took. Called on the thread that ran the step; steps never
// overlap.
class ISetupListener {
public:
    virtual ~ISetupListener() = default;
    virtual void OnStep(SetupStep step, StepOutcome outcome, unsigned long error,
                        std::uint64_t milliseconds) = 0;
};

// Works on the installer record's driver name, port and flags; reports to its step listener.
class CSetupSequence {
public:
    explicit CSetupSequence(CDriverInstaller& installer) : m_installer(installer) {}

    // Runs RemoveOldPrinters somewhere and returns once it has ended; false when it could not
    // be run.
    using RemovalRunner = std::function<bool()>;

    // Everything before the installation proper, on the caller's thread. Checks that there is
    // a driver to install and that the package has it, and, unattended, stages the package
    // into the driver store: nothing is touched when either fails. Saves what the old printer
    // carries across. Then, if a printer of the driver's name is installed, keeps it open
    // while `runRemoval` removes the old printers, deletes the driver once the last of them is
    // gone, and has the devices rescanned. False when the installation may not go on.
    bool Prepare(const RemovalRunner& runRemoval);
    // Removes every printer of the driver's name and its numbered copies, each with its driver.
    void RemoveOldPrinters();
    // The installation, the old printer's settings set on the new one, then the default
    // printer and the test page where their flags ask for them. True when the driver was
    // installed.
    bool Install();
    // Prepare and Install on this thread, as an unattended run has them.
    bool Run();

    // Removes every printer on the driver, whatever its name, then deletes the driver and its
    // package in the driver store (so that a USB printer plugged in later does not bring it
    // back). No check, no rescan (which would bring a plug-and-play printer straight back),
    // nothing installed. True when no printer uses the driver any more and it is gone.
    bool Uninstall();

private:
    template <class Work> bool Step(SetupStep step, Work work);
    bool Stage();
    void DeletePackage(const WString& infPath);
    WString DriverName() const;
    static bool IsUsableName(const WString& name);
    void RemovePrinter(const WString& printer);
    bool DeleteDriver(const WString& name);

    CDriverInstaller& m_installer;
};
