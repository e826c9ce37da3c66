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
// The list may grow between the sizing call and the real one; retry a few times.
constexpr int kSizingAttempts = 3;

bool readPrinters(std::vector<std::wstring>& names, std::wstring& error) {
    names.clear();
    for (int attempt = 0; attempt < kSizingAttempts; ++attempt) {
        DWORD needed = 0;
        DWORD count = 0;
        if (EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, kPrinterInfoLevel, nullptr, 0, &needed,
                          &count)) {
            return true; // no printers at all
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            error = L"EnumPrintersW failed with error " + std::to_wstring(GetLastError());
            return false;
        }
        std::vector<BYTE> buffer(needed);
        if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, kPrinterInfoLevel, buffer.data(), needed,
                           &needed, &count)) {
            if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
                continue;
            }
            error = L"EnumPrintersW failed with error " + std::to_wstring(GetLastError());
            return false;
        }
        const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            names.push_back(info[i].pPrinterName ? info[i].pPrinterName : L"");
        }
        std::sort(names.begin(), names.end());
        return true;
    }
    error = L"EnumPrintersW kept asking for a bigger buffer";
    return false;
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
