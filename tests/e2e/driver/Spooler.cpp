// Records the local printers and the default printer, to prove a run left the spooler alone.
#include "Spooler.h"

#include "StandIn.h"
#include "Text.h"

#include <algorithm>

namespace driver {
namespace {

std::wstring describeDefault(const SpoolerState& state) {
    return state.hasDefault ? quoted(state.defaultPrinter) : std::wstring(L"none");
}

} // namespace

bool readPortNames(std::vector<std::wstring>& names, std::wstring& error) {
    return standin::listPorts(names, error);
}

bool readSpoolerState(SpoolerState& state, std::wstring& error) {
    std::vector<standin::Printer> printers;
    if (!standin::listPrinters(printers, error)) {
        return false;
    }
    state.printers.clear();
    for (const standin::Printer& printer : printers) {
        state.printers.push_back(printer.name);
    }
    std::sort(state.printers.begin(), state.printers.end());
    state.defaultPrinter = standin::defaultPrinter();
    state.hasDefault = !state.defaultPrinter.empty();
    return true;
}

std::wstring describeSpoolerChanges(const SpoolerState& before, const SpoolerState& after) {
    std::wstring changes;
    const auto add = [&changes](const std::wstring& change) {
        changes += (changes.empty() ? L"" : L"; ") + change;
    };
    for (const std::wstring& name : after.printers) {
        if (!std::binary_search(before.printers.begin(), before.printers.end(), name)) {
            add(L"printer " + quoted(name) + L" was added");
        }
    }
    for (const std::wstring& name : before.printers) {
        if (!std::binary_search(after.printers.begin(), after.printers.end(), name)) {
            add(L"printer " + quoted(name) + L" was removed");
        }
    }
    if (before.hasDefault != after.hasDefault || before.defaultPrinter != after.defaultPrinter) {
        add(L"default printer was " + describeDefault(before) + L", is now " +
            describeDefault(after));
    }
    return changes;
}

} // namespace driver
