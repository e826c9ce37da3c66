// Questions put to the print spooler: printers of a driver's name and their numbered copies,
// whether a printer exists, and the ports. Names compare exactly, case included.
#include "installer/DriverInstaller.h"

#include "platform/Spooler.h"

namespace {
constexpr int kEnumerationFailed = -1;
// A numbered copy is the name, one character (normally a blank), then "(".
const WChar kCopyOpening = WTEXT('(');

bool StartsWith(const WString& text, const WString& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// The printer of exactly this name, or one of its numbered copies: the name, one more
// character, then "(" and more text. The character after the name is not examined.
bool IsPrinterOfName(const WString& printer, const WString& name) {
    const std::size_t n = name.size();
    return printer == name ||
           (printer.size() > n + 2 && StartsWith(printer, name) && printer[n + 1] == kCopyOpening);
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
    NameList installed;
    if (!SpoolerEnumPrinters(installed)) {
        return 0;
    }
    // Only the printer itself or a numbered copy proves the installation: a printer whose name
    // merely begins with this one ("KX-1000" for "KX-100") is another model's.
    const WString wanted = name;
    for (const WString& printer : installed) {
        if (IsPrinterOfName(printer, wanted)) {
            return 1;
        }
    }
    return 0;
}

int CDriverInstaller::CollectPortNames(NameList& ports) const {
    return SpoolerEnumPorts(ports) ? 1 : 0;
}
