// Removal of an earlier installation: a printer of the driver's name, purged and deleted, and
// the printer driver of that name with all its files.
#include "installer/DriverInstaller.h"

#include <memory>
#include <new>

#include "platform/Spooler.h"

int CDriverInstaller::RemovePrinterAndDriver(const WChar* name, bool* printerDeleted) {
    // A copy of its own: the caller's list may not be touched while the spooler works.
    const std::size_t length = std::char_traits<WChar>::length(name);
    std::unique_ptr<WChar[]> copy(new (std::nothrow) WChar[length + 1]);
    if (!copy) {
        return 0;
    }
    CopyText(copy.get(), length + 1, name);

    // Each step is tried whatever became of the one before.
    CPrinterHandle printer;
    bool deleted = false;
    if (printer.Open(copy.get(), PrinterAccess::AllAccess)) {
        PurgePrinterQueue(printer);
        deleted = printer.Delete();
        printer.Close();
    }
    if (printerDeleted != nullptr) {
        *printerDeleted = deleted;
    }
    return DeleteDriverAndFiles(copy.get());
}

namespace {
// ERROR_INVALID_PARAMETER: a spooler that takes no deletion flag at all (Wine's).
constexpr unsigned long kFlagRefused = 87;
} // namespace

int CDriverInstaller::DeleteDriverAndFiles(const WChar* name) {
    if (SpoolerDeletePrinterDriver(name, true)) {
        return 1;
    }
    // Asked again without the flag, it deletes the driver and leaves its files.
    return SpoolerLastError() == kFlagRefused && SpoolerDeletePrinterDriver(name, false) ? 1 : 0;
}

int CDriverInstaller::PurgePrinterQueue(CPrinterHandle& printer) {
    return printer.Purge() ? 1 : 0;
}
