// The local print spooler: the printers, their ports and drivers, as the installer uses them.
// No server name is ever passed: it is always this machine's spooler. Every failure comes back
// as false (or no handle); nothing here shows a message.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/Text.h"

// Whether two printer names are one to the spooler, which compares them ordinally and without
// regard to letter case (CompareStringOrdinal, ignoring case). The lengths are in characters;
// neither text needs a terminator, so the start of a name can be compared on its own.
bool SpoolerNamesEqual(const WChar* a, std::size_t aLength, const WChar* b, std::size_t bLength);

// Appends the names of the local printers (EnumPrintersW, PRINTER_ENUM_LOCAL, level 2) in the
// spooler's order. False when the spooler refused; `names` is then unchanged.
bool SpoolerEnumPrinters(std::vector<WString>& names);

// Appends the names of the ports the spooler knows (EnumPortsW, level 2) in its order.
// False when the spooler refused; `names` is then unchanged.
bool SpoolerEnumPorts(std::vector<WString>& names);

// Deletes the printer driver of this name for the current environment, with those of its files
// that no other installed driver uses (DeletePrinterDriverExW, DPD_DELETE_UNUSED_FILES, any
// version). Fails while a printer uses it. (DPD_DELETE_ALL_FILES would fail whenever another
// driver shares a file, as every driver built on the same core does.)
bool SpoolerDeletePrinterDriver(const WChar* driverName);

// The error of the calling thread's last spooler call that failed (GetLastError right after it).
unsigned long SpoolerLastError();

// How a printer is opened: with no defaults, or for full control (PRINTER_ALL_ACCESS).
enum class PrinterAccess { Default, AllAccess };

// An open printer. Closes itself when it goes out of scope; Close() tells whether that worked.
class CPrinterHandle {
public:
    CPrinterHandle() = default;
    ~CPrinterHandle();
    CPrinterHandle(const CPrinterHandle&) = delete;
    CPrinterHandle& operator=(const CPrinterHandle&) = delete;

    // Opens the printer of exactly this name (OpenPrinterW). False when there is none or it
    // may not be opened.
    bool Open(const WChar* printerName, PrinterAccess access);
    bool IsOpen() const { return m_hPrinter != nullptr; }
    // Discards every job queued on the printer (SetPrinterW, PRINTER_CONTROL_PURGE).
    bool Purge();
    // Deletes the printer; while other handles are open it goes when the last one closes.
    bool Delete();
    // Closes the handle (ClosePrinter); true when it was closed.
    bool Close();

private:
    void* m_hPrinter = nullptr;
};
