// The reasons the program will not run at all, checked before any window is shown or anything
// is touched: a Windows that cannot take this package, and a package it cannot use.
#pragma once

#include "platform/Text.h"
#include "platform/Wow64.h"

class CDriverInstaller;

enum class StartRefusal {
    None,
    Wow64,              // the 32-bit program on 64-bit Windows
    Arm,                // Windows on ARM, which this package has no driver for
    ProtectedPrint,     // Windows protected print mode takes no third-party driver
    PackagePathTooLong, // the package lies too deep for its paths
};

// How the architecture decides, from the machine the program was built for and what Windows
// says of the process: it runs only where Windows' own machine is the program's. Where
// IsWow64Process2 did not answer, only a 32-bit program under WOW64 is refused.
StartRefusal JudgeArchitecture(MachineType builtFor, const ProcessMachines& machines);

// Whether Windows protected print mode is on, as its policy sets it.
bool ProtectedPrintModeOn();

// The first reason, in this order: the architecture, protected print mode, the package path.
StartRefusal FindStartRefusal(const CDriverInstaller& installer);

// What the user is told for a refusal (None: nothing).
const WChar* RefusalText(StartRefusal refusal);
