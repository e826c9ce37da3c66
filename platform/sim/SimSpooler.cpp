// The simulated print spooler, and the host build's platform/Spooler.h functions working on it.
#include "platform/sim/SimSpooler.h"

#include "platform/TwoCallSizing.h"

#include <algorithm>
#include <iterator>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimText.h"

namespace sim {

const std::vector<WString> kDefaultPorts = {
    WTEXT("LPT1:"), WTEXT("LPT2:"), WTEXT("LPT3:"), WTEXT("COM1:"),  WTEXT("COM2:"),
    WTEXT("COM3:"), WTEXT("COM4:"), WTEXT("FILE:"), WTEXT("USB001"),
};

namespace {

// Handle values start here and only grow, so no handle is null and none outlives a Reset.
constexpr std::uintptr_t kFirstHandle = 0x1000;

// What a printer the spooler makes starts with: printing starts once a job is wholly spooled.
constexpr unsigned long kPrinterAttributeLocal = 0x00000040; // PRINTER_ATTRIBUTE_LOCAL
constexpr unsigned long kNewPrinterAttributes =
    kPrinterAttributeLocal | kPrinterAttributeDoCompleteFirst;

// What the calling thread's last spooler call left, as GetLastError would tell it.
thread_local unsigned long t_lastError = kNoError;

// Names of printers and drivers compare as Windows compares them: without regard to case.
bool SameName(const WString& a, const WString& b) {
    return EqualsOrdinalIgnoringCase(a, b);
}

// The bytes an enumeration needs for these names: each record, then its text with its NUL.
std::size_t BytesFor(const std::vector<PrinterListing>& records, std::size_t recordBytes) {
    std::size_t bytes = 0;
    for (const PrinterListing& record : records) {
        bytes += recordBytes + (record.name.size() + record.driver.size() + 2) * sizeof(WChar);
    }
    return bytes;
}

} // namespace

// Each field as two bytes, low byte first, in the order of the struct.
std::vector<unsigned char> DevMode::Bytes() const {
    std::vector<unsigned char> bytes;
    for (std::uint16_t field :
         {specVersion, driverVersion, size, driverExtra, paperSize, orientation}) {
        bytes.push_back(static_cast<unsigned char>(field & 0xFF));
        bytes.push_back(static_cast<unsigned char>(field >> 8));
    }
    return bytes;
}

bool DevMode::Parse(const std::vector<unsigned char>& bytes, DevMode& devMode) {
    std::uint16_t* const fields[] = {&devMode.specVersion, &devMode.driverVersion,
                                     &devMode.size,        &devMode.driverExtra,
                                     &devMode.paperSize,   &devMode.orientation};
    if (bytes.size() != 2 * std::size(fields)) {
        return false;
    }
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        *fields[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return true;
}

Spooler::Spooler() {
    m_nextHandle = kFirstHandle;
    Reset();
}

Spooler& Spooler::Get() {
    static Spooler spooler;
    return spooler;
}

void Spooler::Reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_printers.clear();
    m_drivers.clear();
    m_driverStore.clear();
    refusesDeletionFlags = false;
    stagingResult = kSpoolerSucceeded;
    m_ports = kDefaultPorts;
    m_defaultPrinter.clear();
    m_handles.clear();
    m_nextPrinterId = 0;
    m_refusals.clear();
    m_calls.clear();
    m_nClaimedBytes = 0;
    onCall = nullptr;
}

// ---- Setting the scene

void Spooler::AddDriver(const WString& name, const std::vector<WString>& files,
                        const DriverTraits& traits) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!traits.package.empty()) {
        AddToStore(traits.package);
    }
    Driver* installed = FindDriver(name);
    if (installed != nullptr) {
        *installed = Driver{files, traits};
        return;
    }
    m_drivers[name] = Driver{files, traits};
}

bool Spooler::ChangePrinter(const WString& name,
                            const std::function<void(PrinterSettings&)>& change) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Printer* printer = FindByName(name);
    if (printer == nullptr) {
        return false;
    }
    change(printer->settings);
    return true;
}

bool Spooler::AddPrinter(const WString& name, const WString& port, const WString& driver) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Driver* installed = FindDriver(driver);
    if (name.empty() || FindByName(name) != nullptr || installed == nullptr) {
        return false;
    }
    Printer printer;
    printer.name = name;
    printer.port = port;
    printer.driver = driver;
    printer.settings.printProcessor = WTEXT("winprint");
    printer.settings.datatype = WTEXT("RAW");
    printer.settings.attributes = kNewPrinterAttributes;
    printer.settings.devMode = installed->traits.defaults.Bytes();
    printer.id = ++m_nextPrinterId;
    m_printers.push_back(printer);
    return true;
}

bool Spooler::QueueJobs(const WString& printer, int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Printer* found = FindByName(printer);
    if (found == nullptr || found->pendingDeletion) {
        return false;
    }
    found->queuedJobs += count;
    return true;
}

void Spooler::SetPorts(const std::vector<WString>& ports) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ports = ports;
}

bool Spooler::SetDefaultPrinter(const WString& name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Printer* found = FindByName(name);
    if (found == nullptr || found->pendingDeletion) {
        return false;
    }
    m_defaultPrinter = found->name;
    return true;
}

// ---- Looking at the state

std::vector<SpoolerPrinter> Spooler::Printers() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::vector<SpoolerPrinter>(m_printers.begin(), m_printers.end());
}

std::optional<SpoolerPrinter> Spooler::FindPrinter(const WString& name) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Printer* found = FindByName(name);
    if (found == nullptr) {
        return std::nullopt;
    }
    return SpoolerPrinter(*found);
}

bool Spooler::HasDriver(const WString& name) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return const_cast<Spooler*>(this)->FindDriver(name) != nullptr;
}

std::vector<WString> Spooler::DriverStore() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_driverStore;
}

bool Spooler::HasPort(const WString& name) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::any_of(m_ports.begin(), m_ports.end(),
                       [&name](const WString& port) { return SameName(port, name); });
}

WString Spooler::DefaultPrinter() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_defaultPrinter;
}

std::size_t Spooler::OpenHandleCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_handles.size();
}

std::vector<SpoolerCallRecord> Spooler::Calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

std::size_t Spooler::CallCount(SpoolerCall call) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<std::size_t>(
        std::count_if(m_calls.begin(), m_calls.end(),
                      [call](const SpoolerCallRecord& record) { return record.call == call; }));
}

// ---- Refusals

void Spooler::Refuse(SpoolerCall call, unsigned long error, unsigned nthCall) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_refusals[call] = Refusal{error, nthCall, 0};
}

void Spooler::ClaimNeededBytes(std::size_t bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nClaimedBytes = bytes;
}

void Spooler::StopRefusing() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_refusals.clear();
}

unsigned long Spooler::TakeRefusal(SpoolerCall call) {
    auto it = m_refusals.find(call);
    if (it == m_refusals.end()) {
        return kNoError;
    }
    Refusal& refusal = it->second;
    if (refusal.nthCall == kEveryCall) {
        return refusal.error;
    }
    if (++refusal.callsSeen < refusal.nthCall) {
        return kNoError;
    }
    const unsigned long error = refusal.error;
    m_refusals.erase(it);
    return error;
}

// ---- The spooler's functions

// Every call goes through here, the lock held: a refusal the test arranged comes first, else
// `work` does the call and tells its error. The call is recorded with its outcome; then the
// lock is let go and the test's onCall sees the call.
template <typename Work>
bool Spooler::Answer(std::unique_lock<std::mutex>& lock, SpoolerCallRecord record, Work work) {
    unsigned long error = TakeRefusal(record.call);
    if (error == kNoError) {
        error = work();
    }
    record.error = error;
    m_calls.push_back(record);
    lock.unlock();
    if (onCall) {
        onCall(record);
    }
    t_lastError = error;
    return error == kNoError;
}

bool Spooler::Enumerate(SpoolerCall which, bool withBuffer, std::size_t bufferBytes,
                        std::size_t& needed, std::vector<PrinterListing>& records) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool printers = which == SpoolerCall::EnumPrinters;
    std::vector<PrinterListing> listed =
        printers ? ListedPrinters() : std::vector<PrinterListing>();
    for (const WString& port : printers ? std::vector<WString>() : m_ports) {
        listed.push_back({port, WString(), false});
    }
    needed = m_nClaimedBytes != 0
                 ? m_nClaimedBytes
                 : BytesFor(listed, printers ? kPrinterRecordBytes : kPortRecordBytes);
    return Answer(lock, {which, WString(), withBuffer, bufferBytes}, [&]() {
        if (which != SpoolerCall::EnumPrinters && which != SpoolerCall::EnumPorts) {
            return kErrorInvalidParameter;
        }
        if (!withBuffer && bufferBytes > 0) {
            return kErrorInvalidUserBuffer;
        }
        if (bufferBytes < needed) {
            return kErrorInsufficientBuffer;
        }
        records = listed;
        return kNoError;
    });
}

void* Spooler::OpenPrinter(const WString& name, PrinterAccess access) {
    std::unique_lock<std::mutex> lock(m_mutex);
    void* opened = nullptr;
    Answer(lock, {SpoolerCall::OpenPrinter, name}, [&]() {
        Printer* printer = FindByName(name);
        if (printer == nullptr || printer->pendingDeletion) {
            return kErrorInvalidPrinterName;
        }
        const std::uintptr_t value = m_nextHandle++;
        m_handles[value] = Handle{printer->id, access};
        ++printer->openHandles;
        opened = reinterpret_cast<void*>(value);
        return kNoError;
    });
    return opened;
}

bool Spooler::PurgePrinter(void* handle) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return Answer(lock, {SpoolerCall::Purge, WString()}, [&]() {
        unsigned long error = kNoError;
        Printer* printer = ControlledPrinter(handle, error);
        if (printer != nullptr) {
            printer->queuedJobs = 0;
        }
        return error;
    });
}

bool Spooler::DeletePrinter(void* handle) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return Answer(lock, {SpoolerCall::DeletePrinter, WString()}, [&]() {
        unsigned long error = kNoError;
        Printer* printer = ControlledPrinter(handle, error);
        if (printer != nullptr) {
            printer->pendingDeletion = true;
            if (SameName(m_defaultPrinter, printer->name)) {
                m_defaultPrinter.clear();
            }
        }
        return error;
    });
}

bool Spooler::ClosePrinter(void* handle) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return Answer(lock, {SpoolerCall::ClosePrinter, WString()}, [&]() {
        const Handle* open = FindHandle(handle);
        if (open == nullptr) {
            return kErrorInvalidHandle;
        }
        Printer* printer = FindById(open->printerId);
        m_handles.erase(reinterpret_cast<std::uintptr_t>(handle));
        --printer->openHandles;
        DeleteIfDone(*printer);
        return kNoError;
    });
}

bool Spooler::DeletePrinterDriver(const WString& name, DriverFiles files) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return Answer(lock, {SpoolerCall::DeletePrinterDriver, name}, [&]() {
        auto driver = std::find_if(m_drivers.begin(), m_drivers.end(),
                                   [&name](const auto& d) { return SameName(d.first, name); });
        if (files != DriverFiles::None && refusesDeletionFlags) {
            return kErrorInvalidParameter;
        }
        if (driver == m_drivers.end()) {
            return kErrorUnknownPrinterDriver;
        }
        const bool inUse =
            std::any_of(m_printers.begin(), m_printers.end(),
                        [&name](const Printer& printer) { return SameName(printer.driver, name); });
        if (inUse) {
            return kErrorPrinterDriverInUse;
        }
        // A file another driver also uses (a shared INI, the Unidrv core) stays for it.
        const auto sharedByAnother = [&](const WString& file) {
            return std::any_of(m_drivers.begin(), m_drivers.end(), [&](const auto& other) {
                return &other != &*driver &&
                       std::any_of(other.second.files.begin(), other.second.files.end(),
                                   [&](const WString& used) { return SameName(used, file); });
            });
        };
        const std::vector<WString>& own = driver->second.files;
        const bool anyShared = std::any_of(own.begin(), own.end(), sharedByAnother);
        if (files == DriverFiles::All && anyShared) {
            return kErrorPrinterDriverInUse;
        }
        for (const WString& file : own) {
            if (files != DriverFiles::None && !sharedByAnother(file)) {
                Machine::Get().DeleteFile(file);
            }
        }
        m_drivers.erase(driver);
        return kNoError;
    });
}

bool Spooler::GetPrinter(void* handle, PrinterSettings& settings) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return Answer(lock, {SpoolerCall::GetPrinter, WString()}, [&]() {
        const Handle* open = FindHandle(handle);
        if (open == nullptr) {
            return kErrorInvalidHandle;
        }
        const Printer* printer = FindById(open->printerId);
        settings = printer->settings;
        settings.printerName = printer->name;
        settings.port = printer->port;
        settings.driver = printer->driver;
        return kNoError;
    });
}

bool Spooler::SetPrinter(void* handle, const PrinterSettings& settings) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return Answer(lock, {SpoolerCall::SetPrinter, WString()}, [&]() {
        unsigned long error = kNoError;
        Printer* printer = ControlledPrinter(handle, error);
        if (printer == nullptr) {
            return error;
        }
        const bool shared = (settings.attributes & kPrinterAttributeShared) != 0;
        const bool shareTaken =
            std::any_of(m_printers.begin(), m_printers.end(), [&](const Printer& other) {
                return &other != printer &&
                       (other.settings.attributes & kPrinterAttributeShared) != 0 &&
                       SameName(other.settings.shareName, settings.shareName);
            });
        if (shared && shareTaken) {
            return kErrorDuplicateShare;
        }
        // Level 2 without a security descriptor leaves the printer's own.
        const std::vector<unsigned char> dacl = printer->settings.dacl;
        printer->settings = settings;
        printer->settings.dacl = dacl;
        printer->port = settings.port;
        return kNoError;
    });
}

bool Spooler::SetSecurity(void* handle, const std::vector<unsigned char>& dacl) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return Answer(lock, {SpoolerCall::SetSecurity, WString()}, [&]() {
        unsigned long error = kNoError;
        Printer* printer = ControlledPrinter(handle, error);
        if (printer != nullptr) {
            printer->settings.dacl = dacl;
        }
        return error;
    });
}

bool Spooler::MergeDevMode(void* handle, const std::vector<unsigned char>& saved,
                           std::vector<unsigned char>& merged) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return Answer(lock, {SpoolerCall::DocumentProperties, WString()}, [&]() {
        const Handle* open = FindHandle(handle);
        DevMode own;
        DevMode wanted;
        if (open == nullptr || !DevMode::Parse(FindById(open->printerId)->settings.devMode, own) ||
            !DevMode::Parse(saved, wanted)) {
            return kErrorInvalidParameter;
        }
        own.paperSize = wanted.paperSize;
        own.orientation = wanted.orientation;
        merged = own.Bytes();
        return kNoError;
    });
}

bool Spooler::FindDriver(const WString& driver, bool& installed, WString& infPath) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Driver* found = const_cast<Spooler*>(this)->FindDriver(driver);
    installed = found != nullptr;
    infPath = installed ? found->traits.package : WString();
    return true;
}

// HRESULTs carry a Win32 error in their low word (HRESULT_FROM_WIN32).
static SpoolerResult HresultOf(unsigned long error) {
    constexpr unsigned long kWin32Facility = 0x80070000UL;
    return error == kNoError ? kSpoolerSucceeded
                             : static_cast<SpoolerResult>(kWin32Facility | (error & 0xFFFFUL));
}

SpoolerResult Spooler::StagePackage(const WString& infPath) {
    std::unique_lock<std::mutex> lock(m_mutex);
    SpoolerResult result = stagingResult;
    const bool staged = Answer(lock, {SpoolerCall::StagePackage, infPath}, [&]() {
        if (result == kSpoolerSucceeded) {
            AddToStore(infPath);
        }
        return static_cast<unsigned long>(result);
    });
    return staged ? kSpoolerSucceeded : static_cast<SpoolerResult>(t_lastError);
}

SpoolerResult Spooler::DeletePackage(const WString& infPath) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool deleted = Answer(lock, {SpoolerCall::DeletePackage, infPath}, [&]() {
        auto it = std::find_if(m_driverStore.begin(), m_driverStore.end(),
                               [&](const WString& staged) { return SameName(staged, infPath); });
        if (it == m_driverStore.end()) {
            return static_cast<unsigned long>(HresultOf(kErrorFileNotFound));
        }
        m_driverStore.erase(it);
        return kNoError;
    });
    return deleted ? kSpoolerSucceeded : static_cast<SpoolerResult>(t_lastError);
}

unsigned long Spooler::LastError() const {
    return t_lastError;
}

// ---- Lookups, the lock held

Spooler::Printer* Spooler::FindByName(const WString& name) {
    return const_cast<Printer*>(static_cast<const Spooler*>(this)->FindByName(name));
}

const Spooler::Printer* Spooler::FindByName(const WString& name) const {
    auto it = std::find_if(m_printers.begin(), m_printers.end(), [&name](const Printer& printer) {
        return SameName(printer.name, name);
    });
    return it == m_printers.end() ? nullptr : &*it;
}

Spooler::Printer* Spooler::FindById(unsigned long id) {
    auto it = std::find_if(m_printers.begin(), m_printers.end(),
                           [id](const Printer& printer) { return printer.id == id; });
    return it == m_printers.end() ? nullptr : &*it;
}

// The store keeps one copy of a package, however often it comes.
void Spooler::AddToStore(const WString& infPath) {
    if (std::none_of(m_driverStore.begin(), m_driverStore.end(),
                     [&](const WString& staged) { return SameName(staged, infPath); })) {
        m_driverStore.push_back(infPath);
    }
}

Spooler::Driver* Spooler::FindDriver(const WString& name) {
    auto it = std::find_if(m_drivers.begin(), m_drivers.end(),
                           [&name](const auto& driver) { return SameName(driver.first, name); });
    return it == m_drivers.end() ? nullptr : &it->second;
}

Spooler::Handle* Spooler::FindHandle(void* handle) {
    auto it = m_handles.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == m_handles.end() ? nullptr : &it->second;
}

// The printer behind a handle opened for full control; null, with the reason in `error`,
// for an unknown handle or one that only may use the printer.
Spooler::Printer* Spooler::ControlledPrinter(void* handle, unsigned long& error) {
    const Handle* open = FindHandle(handle);
    if (open == nullptr) {
        error = kErrorInvalidHandle;
        return nullptr;
    }
    if (open->access != PrinterAccess::AllAccess) {
        error = kErrorAccessDenied;
        return nullptr;
    }
    error = kNoError;
    return FindById(open->printerId);
}

std::vector<PrinterListing> Spooler::ListedPrinters() const {
    std::vector<PrinterListing> listed;
    for (const Printer& printer : m_printers) {
        if (!printer.pendingDeletion) {
            listed.push_back({printer.name, printer.driver,
                              (printer.settings.attributes & kPrinterAttributeRemoteDesktop) != 0});
        }
    }
    return listed;
}

// A printer pending deletion goes once it has neither an open handle nor a queued job.
void Spooler::DeleteIfDone(const Printer& printer) {
    if (printer.pendingDeletion && printer.openHandles == 0 && printer.queuedJobs == 0) {
        m_printers.erase(m_printers.begin() + (&printer - m_printers.data()));
    }
}

} // namespace sim

// ---- platform/Spooler.h on the simulated spooler

namespace {

// The two calls of an enumeration, as the Windows build makes them: first with no buffer to
// learn the size, then with a buffer of that size (or, when the first call already succeeded
// because there is nothing to list, again with no buffer). Names are added only on success.
bool EnumerateRecords(sim::SpoolerCall which, std::vector<PrinterListing>& records) {
    sim::Spooler& spooler = sim::Spooler::Get();
    std::vector<PrinterListing> found;
    CReportedBuffer buffer;
    const bool ok = EnumerateInTwoCalls(
        buffer,
        [&](unsigned char* data, std::size_t size, std::size_t& needed) {
            return spooler.Enumerate(which, data != nullptr, size, needed, found);
        },
        [&] { return spooler.LastError() == sim::kErrorInsufficientBuffer; });
    if (!ok) {
        return false;
    }
    records.insert(records.end(), found.begin(), found.end());
    return true;
}

} // namespace

bool SpoolerNamesEqual(const WChar* a, std::size_t aLength, const WChar* b, std::size_t bLength) {
    return sim::EqualsOrdinalIgnoringCase(WString(a, aLength), WString(b, bLength));
}

bool SpoolerEnumPrinters(std::vector<PrinterListing>& printers) {
    return EnumerateRecords(sim::SpoolerCall::EnumPrinters, printers);
}

bool SpoolerEnumPorts(std::vector<WString>& names) {
    std::vector<PrinterListing> ports;
    if (!EnumerateRecords(sim::SpoolerCall::EnumPorts, ports)) {
        return false;
    }
    for (const PrinterListing& port : ports) {
        names.push_back(port.name);
    }
    return true;
}

bool SpoolerGetDefaultPrinter(WString& name) {
    name = sim::Spooler::Get().DefaultPrinter();
    return !name.empty();
}

bool SameDevModeLayout(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    sim::DevMode first;
    sim::DevMode second;
    return sim::DevMode::Parse(a, first) && sim::DevMode::Parse(b, second) &&
           first.specVersion == second.specVersion && first.driverVersion == second.driverVersion &&
           first.size == second.size && first.driverExtra == second.driverExtra;
}

unsigned long SpoolerLastError() {
    return sim::Spooler::Get().LastError();
}

bool SpoolerDeletePrinterDriver(const WChar* driverName, bool unusedFiles) {
    return sim::Spooler::Get().DeletePrinterDriver(
        driverName, unusedFiles ? sim::DriverFiles::Unused : sim::DriverFiles::None);
}

bool SpoolerFindDriver(const WChar* driverName, bool& installed, WString& infPath) {
    return sim::Spooler::Get().FindDriver(driverName, installed, infPath);
}

SpoolerResult SpoolerStageDriverPackage(const WChar* infPath) {
    return sim::Spooler::Get().StagePackage(infPath);
}

SpoolerResult SpoolerDeleteDriverPackage(const WChar* infPath) {
    return sim::Spooler::Get().DeletePackage(infPath);
}

CPrinterHandle::~CPrinterHandle() {
    Close();
}

bool CPrinterHandle::Open(const WChar* printerName, PrinterAccess access) {
    Close();
    m_hPrinter = sim::Spooler::Get().OpenPrinter(printerName, access);
    return IsOpen();
}

bool CPrinterHandle::Purge() {
    return IsOpen() && sim::Spooler::Get().PurgePrinter(m_hPrinter);
}

bool CPrinterHandle::Delete() {
    return IsOpen() && sim::Spooler::Get().DeletePrinter(m_hPrinter);
}

bool CPrinterHandle::Close() {
    if (!IsOpen()) {
        return false;
    }
    void* closing = m_hPrinter;
    m_hPrinter = nullptr;
    return sim::Spooler::Get().ClosePrinter(closing);
}

bool CPrinterHandle::GetSettings(PrinterSettings& settings) {
    return IsOpen() && sim::Spooler::Get().GetPrinter(m_hPrinter, settings);
}

bool CPrinterHandle::SetSettings(const PrinterSettings& settings) {
    return IsOpen() && sim::Spooler::Get().SetPrinter(m_hPrinter, settings);
}

bool CPrinterHandle::SetDacl(const std::vector<unsigned char>& dacl) {
    return IsOpen() && !dacl.empty() && sim::Spooler::Get().SetSecurity(m_hPrinter, dacl);
}

bool CPrinterHandle::MergeDevMode(const WChar*, const std::vector<unsigned char>& saved,
                                  std::vector<unsigned char>& merged) {
    return IsOpen() && sim::Spooler::Get().MergeDevMode(m_hPrinter, saved, merged);
}
