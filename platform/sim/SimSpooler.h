// The simulated print spooler behind the host build's platform/Spooler.h: printers, drivers,
// ports, open handles and queued jobs, plus refusals a test can arrange and a record of calls.
//
// How it behaves, modelled on the Windows spooler:
// - Printer, driver and port names match ordinally without regard to case, as on Windows.
// - Printers are listed in the order they were added; ports in the order given, by default
//   kDefaultPorts (a Windows machine with one USB printer attached).
// - A handle opened with no defaults gets only PRINTER_ACCESS_USE, as on Windows: purging or
//   deleting through it is refused with ERROR_ACCESS_DENIED. Full control may do both.
// - DeletePrinter marks the printer "delete pending". From then on it is no longer listed and
//   can no longer be opened by name (ERROR_INVALID_PRINTER_NAME), and it stops being the
//   default printer; handles already open keep working. The printer object, and with it its
//   hold on the driver, goes once its last handle is closed and no job is queued. Deleting a
//   printer already pending deletion succeeds and changes nothing.
// - A driver cannot be deleted while any printer object uses it, one pending deletion
//   included (ERROR_PRINTER_DRIVER_IN_USE). Deleting it deletes its files from the machine,
//   but never a file that another installed driver also uses: asked to delete all its files
//   (DPD_DELETE_ALL_FILES), the spooler refuses while one is shared; asked to delete the unused
//   ones (DPD_DELETE_UNUSED_FILES), it deletes the driver and leaves the shared files.
// - Enumerations size themselves as the real ones do: the records need bytes (see
//   kPrinterRecordBytes), a call with too small a buffer fails with ERROR_INSUFFICIENT_BUFFER
//   and tells how many bytes it needs. With nothing to list a call with no buffer succeeds.
// - A printer keeps what GetPrinterW level 2 tells of it (PrinterSettings); a new one gets its
//   driver's printing defaults. SetPrinterW level 2 refuses a share name that another printer
//   object holds, one pending deletion included (NERR_DuplicateShare), and sets no security;
//   level 3 sets the DACL alone. DocumentPropertiesW merges the saved paper size and
//   orientation into the printer's own defaults (refuse it to have it fail as Wine's does).
// - The driver store holds the packages staged (UploadPrinterDriverPackageW) or installed by the
//   print UI; a driver remembers the package it came from.
// - A refused call changes nothing: a refused ClosePrinter leaves the handle open.
// - Every member function may be called from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/Spooler.h"
#include "platform/Text.h"

namespace sim {

// The Windows error codes the simulated spooler gives, under their winerror.h names.
constexpr unsigned long kNoError = 0;
constexpr unsigned long kErrorAccessDenied = 5;            // ERROR_ACCESS_DENIED
constexpr unsigned long kErrorInvalidHandle = 6;           // ERROR_INVALID_HANDLE
constexpr unsigned long kErrorInvalidParameter = 87;       // ERROR_INVALID_PARAMETER
constexpr unsigned long kErrorInsufficientBuffer = 122;    // ERROR_INSUFFICIENT_BUFFER
constexpr unsigned long kErrorInvalidLevel = 124;          // ERROR_INVALID_LEVEL
constexpr unsigned long kErrorRpcServerUnavailable = 1722; // RPC_S_SERVER_UNAVAILABLE: no spooler
constexpr unsigned long kErrorInvalidUserBuffer = 1784;    // ERROR_INVALID_USER_BUFFER
constexpr unsigned long kErrorUnknownPrinterDriver = 1797; // ERROR_UNKNOWN_PRINTER_DRIVER
constexpr unsigned long kErrorInvalidPrinterName = 1801;   // ERROR_INVALID_PRINTER_NAME
constexpr unsigned long kErrorPrinterDriverInUse = 3001;   // ERROR_PRINTER_DRIVER_IN_USE
constexpr unsigned long kErrorDuplicateShare = 2118;       // NERR_DuplicateShare

// A DEVMODE as the simulated drivers lay it out: the four fields that tell a driver's layout,
// then the two settings a test looks at. Bytes() gives it as the spooler hands it out.
struct DevMode {
    std::uint16_t specVersion = 0x0401; // DM_SPECVERSION
    std::uint16_t driverVersion = 0x0100;
    std::uint16_t size = 220; // sizeof(DEVMODEW)
    std::uint16_t driverExtra = 0;
    std::uint16_t paperSize = 9;   // DMPAPER_A4
    std::uint16_t orientation = 1; // DMORIENT_PORTRAIT
    std::vector<unsigned char> Bytes() const;
    static bool Parse(const std::vector<unsigned char>& bytes, DevMode& devMode);
};

// What a simulated driver brings besides its files.
struct DriverTraits {
    DevMode defaults;
    WString package; // the INF path of the package it came from; it lands in the driver store
};

// Bytes one record takes in an enumeration's buffer before its texts: the size of
// PRINTER_INFO_2W and of PORT_INFO_2W in 64-bit Windows.
constexpr std::size_t kPrinterRecordBytes = 136;
constexpr std::size_t kPortRecordBytes = 32;

// The ports of a freshly started spooler.
extern const std::vector<WString> kDefaultPorts;

// The spooler functions the program calls, one value each.
enum class SpoolerCall {
    EnumPrinters,        // EnumPrintersW
    EnumPorts,           // EnumPortsW
    OpenPrinter,         // OpenPrinterW
    Purge,               // SetPrinterW with PRINTER_CONTROL_PURGE
    DeletePrinter,       // DeletePrinter
    ClosePrinter,        // ClosePrinter
    DeletePrinterDriver, // DeletePrinterDriverExW
    GetPrinter,          // GetPrinterW level 2
    SetPrinter,          // SetPrinterW level 2
    SetSecurity,         // SetPrinterW level 3
    StagePackage,        // UploadPrinterDriverPackageW (the error is the HRESULT)
    DeletePackage,       // DeletePrinterDriverPackageW (the error is the HRESULT)
    DocumentProperties,  // DocumentPropertiesW merging printing defaults
};

// One call as the spooler received and answered it.
struct SpoolerCallRecord {
    SpoolerCall call = SpoolerCall::EnumPrinters;
    WString name;                // the printer opened or the driver deleted
    bool withBuffer = false;     // enumerations: whether a buffer came with the call
    std::size_t bufferBytes = 0; // enumerations: the size the caller gave
    unsigned long error = kNoError;
};

// A printer object as the spooler holds it.
struct SpoolerPrinter {
    WString name;
    WString port;
    WString driver;
    int queuedJobs = 0;
    bool pendingDeletion = false;
    int openHandles = 0;
    // Everything else GetPrinterW level 2 tells (its name, port and driver are the above).
    PrinterSettings settings;
};

// Which of a deleted driver's files go with it: all (DPD_DELETE_ALL_FILES) or the unused ones
// (DPD_DELETE_UNUSED_FILES).
enum class DriverFiles { All, Unused, None };

// Refuse every call from now on, not only one of them.
constexpr unsigned kEveryCall = 0;

class Spooler {
public:
    static Spooler& Get();
    // A freshly started spooler: the default ports, no printers, no drivers, no default
    // printer, no handles, no refusals, no calls recorded.
    void Reset();

    // Setting the scene. AddPrinter adds at the end of the list; it fails when the name is
    // taken or the driver is not installed. QueueJobs fails for a missing printer or one
    // pending deletion; SetDefaultPrinter for a printer that cannot be opened.
    void AddDriver(const WString& name, const std::vector<WString>& files = {},
                   const DriverTraits& traits = DriverTraits());
    // Changes what GetPrinterW tells of a printer, as a user's own settings would.
    bool ChangePrinter(const WString& name, const std::function<void(PrinterSettings&)>& change);
    // Deletion flags refused with ERROR_INVALID_PARAMETER, as Wine refuses every one.
    bool refusesDeletionFlags = false;
    // What UploadPrinterDriverPackageW answers (S_OK: it stages the package).
    SpoolerResult stagingResult = kSpoolerSucceeded;
    bool AddPrinter(const WString& name, const WString& port, const WString& driver);
    bool QueueJobs(const WString& printer, int count);
    void SetPorts(const std::vector<WString>& ports);
    bool SetDefaultPrinter(const WString& name);

    // Looking at the state. Printers() holds every printer object, pending ones included.
    std::vector<SpoolerPrinter> Printers() const;
    std::optional<SpoolerPrinter> FindPrinter(const WString& name) const;
    bool HasDriver(const WString& name) const;
    bool HasPort(const WString& name) const;
    std::vector<WString> DriverStore() const; // the packages' INF paths
    WString DefaultPrinter() const;           // empty when there is none
    std::size_t OpenHandleCount() const;
    std::vector<SpoolerCallRecord> Calls() const;
    std::size_t CallCount(SpoolerCall call) const;

    // Makes the spooler refuse `call` with `error`: every such call from now on, or only the
    // nthCall-th one from now (1: the next one). An enumeration is two calls, the sizing one
    // and the filling one, so nthCall 2 with nothing else in between refuses the filling
    // call. A new refusal of the same call replaces the earlier one.
    void Refuse(SpoolerCall call, unsigned long error, unsigned nthCall = kEveryCall);
    void StopRefusing();
    // Makes every enumeration claim to need `bytes` (0: what its list really takes), as a
    // spooler gone wrong might.
    void ClaimNeededBytes(std::size_t bytes);
    // Called on the calling thread after each call has been answered, the spooler free to be
    // called again: a test can change the scene between the two calls of an enumeration (the
    // list grows, as when the print UI adds a queue) or look at the program while it waits.
    std::function<void(const SpoolerCallRecord&)> onCall;

    // The spooler's functions, as the host build's platform/Spooler.h calls them. Each sets
    // the calling thread's last error, kNoError on success.
    // One enumeration call (EnumPrinters or EnumPorts): `needed` gets the bytes the whole
    // list takes, and on success `names` gets the list.
    // (For ports only the listing's name is set.)
    bool Enumerate(SpoolerCall which, bool withBuffer, std::size_t bufferBytes, std::size_t& needed,
                   std::vector<PrinterListing>& records);
    void* OpenPrinter(const WString& name, PrinterAccess access); // null when refused
    bool PurgePrinter(void* handle);
    bool DeletePrinter(void* handle);
    bool ClosePrinter(void* handle);
    bool DeletePrinterDriver(const WString& name, DriverFiles files);
    bool GetPrinter(void* handle, PrinterSettings& settings);
    bool SetPrinter(void* handle, const PrinterSettings& settings);
    bool SetSecurity(void* handle, const std::vector<unsigned char>& dacl);
    bool MergeDevMode(void* handle, const std::vector<unsigned char>& saved,
                      std::vector<unsigned char>& merged);
    bool FindDriver(const WString& driver, bool& installed, WString& infPath) const;
    SpoolerResult StagePackage(const WString& infPath);
    SpoolerResult DeletePackage(const WString& infPath);
    unsigned long LastError() const;

private:
    struct Printer : SpoolerPrinter {
        unsigned long id = 0;
    };
    struct Driver {
        std::vector<WString> files;
        DriverTraits traits;
    };
    struct Handle {
        unsigned long printerId = 0;
        PrinterAccess access = PrinterAccess::Default;
    };
    struct Refusal {
        unsigned long error = kNoError;
        unsigned nthCall = kEveryCall;
        unsigned callsSeen = 0;
    };

    Spooler();
    unsigned long TakeRefusal(SpoolerCall call);
    template <typename Work>
    bool Answer(std::unique_lock<std::mutex>& lock, SpoolerCallRecord record, Work work);
    Printer* FindByName(const WString& name);
    const Printer* FindByName(const WString& name) const;
    Printer* FindById(unsigned long id);
    Handle* FindHandle(void* handle);
    Printer* ControlledPrinter(void* handle, unsigned long& error);
    Driver* FindDriver(const WString& name);
    void AddToStore(const WString& infPath);
    std::vector<PrinterListing> ListedPrinters() const;
    void DeleteIfDone(const Printer& printer);

    mutable std::mutex m_mutex;
    std::vector<Printer> m_printers;
    std::map<WString, Driver> m_drivers; // by name as installed
    std::vector<WString> m_driverStore;
    std::vector<WString> m_ports;
    WString m_defaultPrinter;
    std::map<std::uintptr_t, Handle> m_handles;
    std::uintptr_t m_nextHandle = 0;
    unsigned long m_nextPrinterId = 0;
    std::map<SpoolerCall, Refusal> m_refusals;
    std::vector<SpoolerCallRecord> m_calls;
    std::size_t m_nClaimedBytes = 0;
};

} // namespace sim
