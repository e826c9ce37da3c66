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

bool StartsWithName(const WString& text, const WString& name) {
    return text.size() >= name.size() &&
           SpoolerNamesEqual(text.data(), name.size(), name.data(), name.size());
}

// A numbered copy of the printer of this name: the name, a blank, then "(" and more text.
// Anything else after the name ("Veltra KX-6800(二楼)" for "Veltra KX-680") is a printer the
// user named, perhaps for another model.
bool IsCopyName(const WString& printer, const WString& name) {
    const std::size_t n = name.size();
    return printer.size() > n + 2 && StartsWithName(printer, name) &&
           printer[n] == kCopySeparator && printer[n + 1] == kCopyOpening;
}

// Ours: the printer of exactly this name, which the new one needs, whatever its driver; and a
// numbered copy of it only when it is on this driver too ("Veltra KX-500 (redirected 2)" on
// another driver is somebody else's). A Remote Desktop printer belongs to its session.
bool IsPrinterOfName(const PrinterListing& printer, const WString& name) {
    return !printer.remoteDesktop &&
           (SpoolerNamesEqual(printer.name, name) ||
            (IsCopyName(printer.name, name) && SpoolerNamesEqual(printer.driver, name)));
}

bool IsPrinterOfDriver(const PrinterListing& printer, const WString& driver) {
    return !printer.remoteDesktop && SpoolerNamesEqual(printer.driver, driver);
}

// Appends the names of the local printers that `ours` takes; the count, or
// kEnumerationFailed.
template <class Ours> int CollectPrinters(const WString& name, NameList& printers, Ours ours) {
    std::vector<PrinterListing> installed;
    if (!SpoolerEnumPrinters(installed)) {
        return kEnumerationFailed;
    }
    int count = 0;
    for (const PrinterListing& printer : installed) {
        if (ours(printer, name)) {
            printers.push_back(printer.name);
            ++count;
        }
    }
    return count;
}
} // namespace

int CDriverInstaller::CollectPrintersByName(const WChar* name, NameList& printers) const {
    return CollectPrinters(name, printers, IsPrinterOfName);
}

int CDriverInstaller::CollectPrintersOfDriver(const WChar* driver, NameList& printers) const {
    return CollectPrinters(driver, printers, IsPrinterOfDriver);
}

int CDriverInstaller::IsPrinterInstalled(const WChar* name) const {
    // Only the printer itself or a numbered copy proves the installation: a printer whose name
    // merely begins with this one ("KX-1000" for "KX-100") is another model's.
    NameList found;
    return CollectPrintersByName(name, found) > 0 ? 1 : 0;
}

namespace {
// The first of `now` that is not in `before`; empty when there is none.
WString FirstNewName(const NameList& now, const NameList& before) {
    for (const WString& printer : now) {
        const bool wasThere = std::any_of(before.begin(), before.end(), [&](const WString& old) {
            return SpoolerNamesEqual(old, printer);
        });
        if (!wasThere) {
            return printer;
        }
    }
    return WString();
}
} // namespace

int CDriverInstaller::HasNewPrinterOfName(const WChar* name, const NameList& before) const {
    NameList now;
    return CollectPrintersByName(name, now) > 0 && !FirstNewName(now, before).empty() ? 1 : 0;
}

WString CDriverInstaller::NewPrinterOfDriver(const WChar* driver, const NameList& before) const {
    NameList now;
    return CollectPrintersOfDriver(driver, now) > 0 ? FirstNewName(now, before) : WString();
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
