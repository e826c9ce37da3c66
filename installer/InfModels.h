// Whether a driver INF offers a model on this machine, read as Windows reads it: through the
// models section it chooses for each manufacturer.
#pragma once

#include "platform/Text.h"
#include "platform/WindowsVersion.h"
#include "platform/Wow64.h"

// What Windows chooses a models section for: the architecture of the program that installs
// (kMachineAmd64 or kMachineI386) and the running Windows.
struct InfTarget {
    MachineType machine = kMachineUnknown;
    WindowsVersion windows;
};

// True when `model` is a key of a models section that Windows would choose for `target` for
// one of the entries of the INF's [Manufacturer] section, the names compared as the spooler
// compares printer names. False when the INF cannot be read.
bool InfOffersModel(const WChar* infPath, const WString& model, const InfTarget& target);
