// The order of one installation (check, removal of the old one, driver deletion, rescan,
// installation, default printer) and of one removal, in one place: the wizard's confirmation
// page drives it on its threads, the unattended run straight through, and a log hears of each
// step of either.
#pragma once

#include <cstdint>
#include <functional>

#include "installer/DriverInstaller.h"

// The steps, as they follow each other.
enum class SetupStep { Check, Remove, DeleteDriver, Rescan, Install, DefaultPrinter };

// Hears of each step once it has ended: whether it worked, the platform's error code where
// the step has one (0 otherwise), and how long it took. Called on the thread that ran the
// step; steps never overlap.
class ISetupListener {
public:
    virtual ~ISetupListener() = default;
    virtual void OnStep(SetupStep step, bool succeeded, unsigned long error,
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
    // a driver to install and that the package has it: nothing is touched when not. Then, if a
    // printer of the driver's name is installed, keeps it open while `runRemoval` removes the
    // old printers, deletes the driver once the last of them is gone, and has the devices
    // rescanned. False when the installation may not go on.
    bool Prepare(const RemovalRunner& runRemoval);
    // Removes every printer of the driver's name and its numbered copies, each with its driver.
    void RemoveOldPrinters();
    // The installation, then the default printer and the test page where their flags ask for
    // them. True when the driver was installed.
    bool Install();
    // Prepare and Install on this thread, as an unattended run has them.
    bool Run();

    // Removes every printer of the driver's name and its copies, then deletes the driver where
    // the spooler lets it go. No check, no rescan (which would bring a plug-and-play printer
    // straight back), nothing installed. True when no printer of the name is left.
    bool Uninstall();

private:
    template <class Work> bool Step(SetupStep step, Work work);
    WString DriverName() const;
    static bool IsUsableName(const WString& name);
    void RemovePrinter(const WString& printer);
    bool DeleteDriver(const WString& name);

    CDriverInstaller& m_installer;
};
