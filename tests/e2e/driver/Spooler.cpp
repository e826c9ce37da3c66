// Records the local printers and the default printer, to prove a run left the spooler alone.
#include "Spooler.h"

#include "Text.h"

#include <algorithm>
#include <windows.h>
#include <winspool.h>

namespace driver {
namespace {

// Level 4 gives just names and attributes, which is all we compare.
constexpr DWORD kPrinterInfoLevel = 4;
// Level 1 gives just the port names.
constexpr DWORD kPortInfoLevel = 1;
// The list may grow between the sizing call and the real one; retry a few times.
constexpr int kSizingAttempts = 3;

// Lists names with one of the spooler's two-call enumerations. `enumerate(buffer, size,
// needed, count)` makes the call; `nameOf(buffer, i)` reads record i's name.
template <class Enumerate, class NameOf>
bool enumerateNames(const wchar_t* what, Enumerate enumerate, NameOf nameOf,
                    std::vector<std::wstring>& names, std::wstring& error) {
    names.clear();
    for (int attempt = 0; attempt < kSizingAttempts; ++attempt) {
        DWORD needed = 0;
        DWORD count = 0;
        if (enumerate(nullptr, 0, &needed, &count)) {
            return true; // nothing at all
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            error = std::wstring(what) + L" failed with error " + std::to_wstring(GetLastError());
            return false;
        }
        std::vector<BYTE> buffer(needed);
        if (!enumerate(buffer.data(), needed, &needed, &count)) {
            if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
                continue;
            }
            error = std::wstring(what) + L" failed with error " + std::to_wstring(GetLastError());
            return false;
        }
        for (DWORD i = 0; i < count; ++i) {
            const wchar_t* name = nameOf(buffer.data(), i);
            names.push_back(name ? name : L"");
        }
        return true;
    }
    error = std::wstring(what) + L" kept asking for a bigger buffer";
    return false;
}

bool readPrinters(std::vector<std::wstring>& names, std::wstring& error) {
    const bool ok = enumerateNames(
        L"EnumPrintersW",
        [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) {
            return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, kPrinterInfoLevel, buffer, size,
                                 needed, count) != FALSE;
        },
        [](const BYTE* buffer, DWORD i) {
            return reinterpret_cast<const PRINTER_INFO_4W*>(buffer)[i].pPrinterName;
        },
        names, error);
    std::sort(names.begin(), names.end());
    return ok;
}

// Fills the default printer; no default at all is a valid state, not an error.
void readDefaultPrinter(SpoolerState& state) {
    state.hasDefault = false;
    state.defaultPrinter.clear();
    for (int attempt = 0; attempt < kSizingAttempts; ++attempt) {
        DWORD size = 0;
        GetDefaultPrinterW(nullptr, &size);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) {
            return;
        }
        std::vector<wchar_t> buffer(size);
        if (GetDefaultPrinterW(buffer.data(), &size)) {
            state.hasDefault = true;
            state.defaultPrinter = buffer.data();
            return;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            return;
        }
    }
}

std::wstring describeDefault(const SpoolerState& state) {
    return state.hasDefault ? quoted(state.defaultPrinter) : std::wstring(L"none");
}

} // namespace

bool readPortNames(std::vector<std::wstring>& names, std::wstring& error) {
    return enumerateNames(
        L"EnumPortsW",
        [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* count) {
            return EnumPortsW(nullptr, kPortInfoLevel, buffer, size, needed, count) != FALSE;
        },
        [](const BYTE* buffer, DWORD i) {
            return reinterpret_cast<const PORT_INFO_1W*>(buffer)[i].pName;
        },
        names, error);
}

bool readSpoolerState(SpoolerState& state, std::wstring& error) {
    if (!readPrinters(state.printers, error)) {
        return false;
    }
    readDefaultPrinter(state);
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
