// Questions put to the print spooler: printers of a driver's name and their numbered copies,
// whether a printer exists, and the ports. Names compare as the spooler compares them,
// without regard to letter case: to it "VELTRA KX-680" and "Veltra KX-680" are one printer.
#include "installer/DriverInstaller.h"

#include <algorithm>
#include <iterator>

#include "platform/Spooler.h"

const WChar kPreselectedPort[] = WTEXT("LPT1:");

namespace {
constexpr int kEnumerationFailed = -1;
// Offered when the spooler cannot be asked for its ports.
const WChar* const kFallbackPorts[] = {WTEXT("LPT1:"), WTEXT("LPT2:"), WTEXT("LPT3:"),
                                       WTEXT("COM1:"), WTEXT("COM2:"), WTEXT("COM3:"),
                                       WTEXT("COM4:"), WTEXT("COM5:"), WTEXT("USB001")};
// Windows names a copy of a printer after it: the name, a blank, then "(" ("Name (Copy 1)",
// "Name (副本 1)").
const WChar kCopySeparator = WTEXT(' ');
const WChar kCopyOpening = WTEXT('(');

bool SameName(const WString& a, const WString& b) {
    return SpoolerNamesEqual(a.data(), a.size(), b.data(), b.size());
}

bool StartsWithName(const WString& text, const WString& name) {
    return text.size() >= name.size() &&
           SpoolerNamesEqual(text.data(), name.size(), name.data(), name.size());
}

// The printer of exactly this name, or one of its numbered copies: the name, a blank, then "("
// and more text. Anything else after the name ("Veltra KX-6800(二楼)" for "Veltra KX-680") is
// a printer the user named, perhaps for another model: never ours to take.
bool IsPrinterOfName(const WString& printer, const WString& name) {
    const std::size_t n = name.size();
    return SameName(printer, name) ||
           (printer.size() > n + 2 && StartsWithName(printer, name) &&
            printer[n] == kCopySeparator && printer[n + 1] == kCopyOpening);
}
} // namespace

int CDriverInstaller::CollectPrintersByName(const WChar* name, NameList& printers) const {
    NameList installed;
    if (!SpoolerEnumPrinters(installed)) {
        return kEnumerationFailed;
    }
    const WString wanted = name;
    int count = 0;
    for (const WString& printer : installed) {
        if (IsPrinterOfName(printer, wanted)) {
            printers.push_back(printer);
            ++count;
        }
    }
    return count;
}

int CDriverInstaller::IsPrinterInstalled(const WChar* name) const {
    // Only the printer itself or a numbered copy proves the installation: a printer whose name
    // merely begins with this one ("KX-1000" for "KX-100") is another model's.
    NameList found;
    return CollectPrintersByName(name, found) > 0 ? 1 : 0;
}

int CDriverInstaller::HasNewPrinterOfName(const WChar* name, const NameList& before) const {
    NameList now;
    if (CollectPrintersByName(name, now) <= 0) {
        return 0;
    }
    for (const WString& printer : now) {
        const bool wasThere = std::any_of(before.begin(), before.end(), [&](const WString& old) {
            return SameName(old, printer);
        });
        if (!wasThere) {
            return 1;
        }
    }
    return 0;
}

int CDriverInstaller::CollectPortNames(NameList& ports) const {
    return SpoolerEnumPorts(ports) ? 1 : 0;
}

void CDriverInstaller::CollectOfferedPorts(NameList& ports) const {
    if (!CollectPortNames(ports)) {
        ports.assign(std::begin(kFallbackPorts), std::end(kFallbackPorts));
    }
}

WString CDriverInstaller::PreselectedPort(const NameList& ports) const {
    const WString wanted = kPreselectedPort;
    for (const WString& port : ports) {
        if (StartsWithName(port, wanted)) {
            return port;
        }
    }
    return ports.empty() ? WString() : ports.front();
}
