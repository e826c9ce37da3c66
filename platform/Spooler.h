// The local print spooler: the printers, their ports and drivers, as the installer uses them.
// No server name is ever passed: it is always this machine's spooler. Every failure comes back
// as false (or no handle); nothing here shows a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Text.h"

// Whether two printer names are one to the spooler, which compares them ordinally and without
// regard to letter case (CompareStringOrdinal, ignoring case). The lengths are in characters;
// neither text needs a terminator, so the start of a name can be compared on its own.
bool SpoolerNamesEqual(const WChar* a, std::size_t aLength, const WChar* b, std::size_t bLength);
inline bool SpoolerNamesEqual(const WString& a, const WString& b) {
    return SpoolerNamesEqual(a.data(), a.size(), b.data(), b.size());
}

// Printer attributes (PRINTER_INFO_2W's Attributes), under their winspool.h names.
constexpr unsigned long kPrinterAttributeQueued = 0x00000001;          // PRINTER_ATTRIBUTE_QUEUED
constexpr unsigned long kPrinterAttributeDirect = 0x00000002;          // PRINTER_ATTRIBUTE_DIRECT
constexpr unsigned long kPrinterAttributeShared = 0x00000008;          // PRINTER_ATTRIBUTE_SHARED
constexpr unsigned long kPrinterAttributeEnableDevQueue = 0x00000080;  // ..._ENABLE_DEVQ
constexpr unsigned long kPrinterAttributeKeepPrintedJobs = 0x00000100; // ..._KEEPPRINTEDJOBS
constexpr unsigned long kPrinterAttributeDoCompleteFirst = 0x00000200; // ..._DO_COMPLETE_FIRST
constexpr unsigned long kPrinterAttributeRemoteDesktop = 0x00008000;   // PRINTER_ATTRIBUTE_TS

// One local printer as the spooler lists it.
struct PrinterListing {
    WString name;
    WString driver;
    // A printer that a Remote Desktop session brought along from the client
    // (PRINTER_ATTRIBUTE_TS): it belongs to that session, never to an installation here.
    bool remoteDesktop = false;
};

// Appends the local printers (EnumPrintersW, PRINTER_ENUM_LOCAL, level 2) in the spooler's
// order. False when the spooler refused; `printers` is then unchanged.
bool SpoolerEnumPrinters(std::vector<PrinterListing>& printers);

// The names alone of SpoolerEnumPrinters, in its order.
inline bool SpoolerEnumPrinterNames(std::vector<WString>& names) {
    std::vector<PrinterListing> printers;
    if (!SpoolerEnumPrinters(printers)) {
        return false;
    }
    for (const PrinterListing& printer : printers) {
        names.push_back(printer.name);
    }
    return true;
}

// The default printer of the calling user (GetDefaultPrinterW). False when there is none or
// the spooler cannot tell.
bool SpoolerGetDefaultPrinter(WString& name);

// A printer as GetPrinterW level 2 describes it (PRINTER_INFO_2W), everything a user or an
// administrator may have set on it included. The DEVMODE and the security descriptor are kept
// as the bytes the spooler gave.
struct PrinterSettings {
    WString printerName;
    WString shareName;
    WString port;
    WString driver;
    WString comment;
    WString location;
    WString separatorFile;
    WString printProcessor;
    WString datatype;
    WString parameters;
    unsigned long attributes = 0;
    unsigned long priority = 0;
    unsigned long defaultPriority = 0;
    unsigned long startTime = 0; // minutes after midnight, UTC, as the spooler keeps them
    unsigned long untilTime = 0;
    // The printing defaults: a DEVMODEW with its driver's private part; empty when none.
    std::vector<unsigned char> devMode;
    // A self-relative security descriptor holding the printer's DACL alone (no owner, no
    // group): what SetPrinterW level 3 may set back on another printer. Empty when the spooler
    // gave none (Wine gives none) or it has no DACL.
    std::vector<unsigned char> dacl;
};

// Whether two DEVMODEs are laid out by the same driver: the same dmSpecVersion,
// dmDriverVersion, dmSize and dmDriverExtra. False when either is too short to tell.
bool SameDevModeLayout(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b);

// Appends the names of the ports the spooler knows (EnumPortsW, level 2) in its order.
// False when the spooler refused; `names` is then unchanged.
bool SpoolerEnumPorts(std::vector<WString>& names);

// Deletes the printer driver of this name for the current environment, any version
// (DeletePrinterDriverExW). With `unusedFiles`, also those of its files that no other installed
// driver uses (DPD_DELETE_UNUSED_FILES; DPD_DELETE_ALL_FILES would fail whenever another driver
// shares a file, as every driver built on the same core does); without it, no flag at all.
// Fails while a printer uses it, one pending deletion included.
bool SpoolerDeletePrinterDriver(const WChar* driverName, bool unusedFiles);

// HRESULTs of the driver package functions.
using SpoolerResult = std::int32_t;
constexpr SpoolerResult kSpoolerSucceeded = 0; // S_OK
constexpr SpoolerResult kSpoolerNotImplemented =
    static_cast<SpoolerResult>(0x80004001u); // E_NOTIMPL

// Whether a printer driver of this name is installed for the current environment, and the INF
// path of the driver store's copy of the package it came from, empty where the spooler keeps
// none (EnumPrinterDriversW level 8, pszInfPath). False when the spooler cannot tell.
bool SpoolerFindDriver(const WChar* driverName, bool& installed, WString& infPath);
// Stages a driver package into the driver store, asking nobody (UploadPrinterDriverPackageW,
// UPDP_SILENT_UPLOAD): Windows takes only a package it trusts, a signed one. E_NOTIMPL where
// the function is missing.
SpoolerResult SpoolerStageDriverPackage(const WChar* infPath);
// Removes a package from the driver store (DeletePrinterDriverPackageW), so that plug and play
// cannot bring its printer back. E_NOTIMPL where the function is missing.
SpoolerResult SpoolerDeleteDriverPackage(const WChar* infPath);

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
    // Reads the printer's settings (GetPrinterW level 2).
    bool GetSettings(PrinterSettings& settings);
    // Sets them (SetPrinterW level 2) with no security descriptor: an owner that this handle may
    // not set would fail the whole call. The DACL goes with SetDacl.
    bool SetSettings(const PrinterSettings& settings);
    // Sets a DACL as PrinterSettings::dacl holds it, and nothing else (SetPrinterW level 3).
    bool SetDacl(const std::vector<unsigned char>& dacl);
    // Merges `saved` printing defaults into this printer's own through its driver
    // (DocumentPropertiesW, DM_IN_BUFFER | DM_OUT_BUFFER), so that the driver keeps what it
    // understands; `merged` gets the result. False where the driver cannot (no driver UI).
    bool MergeDevMode(const WChar* printerName, const std::vector<unsigned char>& saved,
                      std::vector<unsigned char>& merged);
    // Closes the handle (ClosePrinter); true when it was closed.
    bool Close();

private:
    void* m_hPrinter = nullptr;
};
