// Records the local printers and the default printer, to prove a run left the spooler alone.
#pragma once

#include <string>
#include <vector>

namespace driver {

struct SpoolerState {
    std::vector<std::wstring> printers; // sorted local printer names
    bool hasDefault = false;
    std::wstring defaultPrinter;
};

// Reads the current state; returns false with a reason if the spooler won't tell.
bool readSpoolerState(SpoolerState& state, std::wstring& error);

// The spooler's port names, in its own order.
bool readPortNames(std::vector<std::wstring>& names, std::wstring& error);

// Describes how after differs from before; empty if they are the same.
std::wstring describeSpoolerChanges(const SpoolerState& before, const SpoolerState& after);

} // namespace driver
