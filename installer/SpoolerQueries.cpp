// Questions put to the print spooler: printers of a driver's name and their numbered copies,
// whether a printer exists, and the ports. Names compare as the spooler compares them,
// without regard to letter case: to it "VELTRA KX-680" and "Veltra KX-680" are one printer.
#include "installer/DriverInstaller.h"

#include <algorithm>

#include "platform/Spooler.h"

namespace {
constexpr int kEnumerationFailed = -1;
// A numbered copy is the name, one character (normally a blank), then "(".
const WChar kCopyOpening = WTEXT('(');

bool SameName(const WString& a, const WString& b) {
    return SpoolerNamesEqual(a.data(), a.size(), b.data(), b.size());
}

bool StartsWithName(const WString& text, const WString& name) {
    return text.size() >= name.size() &&
           SpoolerNamesEqual(text.data(), name.size(), name.data(), name.size());
}

// The printer of exactly this name, or one of its numbered copies: the name, one more
// character, then "(" and more text. The character after the name is not examined.
bool IsPrinterOfName(const WString& printer, const WString& name) {
    const std::size_t n = name.size();
    return SameName(printer, name) || (printer.size() > n + 2 && StartsWithName(printer, name) &&
                                       printer[n + 1] == kCopyOpening);
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
