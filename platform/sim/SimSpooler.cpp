// The simulated print spooler, and the host build's platform/Spooler.h functions working on it.
#include "platform/sim/SimSpooler.h"

#include "platform/TwoCallSizing.h"

#include <algorithm>

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

// What the calling thread's last spooler call left, as GetLastError would tell it.
thread_local unsigned long t_lastError = kNoError;

// Names of printers and drivers compare as Windows compares them: without regard to case.
bool SameName(const WString& a, const WString& b) {
    return EqualsOrdinalIgnoringCase(a, b);
}

// The bytes an enumeration needs for these names: each record, then its text with its NUL.
std::size_t BytesFor(const std::vector<WString>& names, std::size_t recordBytes) {
    std::size_t bytes = 0;
    for (const WString& name : names) {
        bytes += recordBytes + (name.size() + 1) * sizeof(WChar);
    }
    return bytes;
}

} // namespace

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

void Spooler::AddDriver(const WString& name, const std::vector<WString>& files) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& driver : m_drivers) {
        if (SameName(driver.first, name)) {
            driver.second = files;
            return;
        }
    }
    m_drivers[name] = files;
}

bool Spooler::AddPrinter(const WString& name, const WString& port, const WString& driver) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const bool driverInstalled =
        std::any_of(m_drivers.begin(), m_drivers.end(),
                    [&driver](const auto& installed) { return SameName(installed.first, driver); });
    if (name.empty() || FindByName(name) != nullptr || !driverInstalled) {
        return false;
    }
    Printer printer;
    printer.name = name;
    printer.port = port;
    printer.driver = driver;
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
    return std::any_of(m_drivers.begin(), m_drivers.end(),
                       [&name](const auto& driver) { return SameName(driver.first, name); });
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
                        std::size_t& needed, std::vector<WString>& names) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool printers = which == SpoolerCall::EnumPrinters;
    const std::vector<WString> listed = printers ? ListedPrinterNames() : m_ports;
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
        names = listed;
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
                       std::any_of(other.second.begin(), other.second.end(),
                                   [&](const WString& used) { return SameName(used, file); });
            });
        };
        const bool anyShared =
            std::any_of(driver->second.begin(), driver->second.end(), sharedByAnother);
        if (files == DriverFiles::All && anyShared) {
            return kErrorPrinterDriverInUse;
        }
        for (const WString& file : driver->second) {
            if (!sharedByAnother(file)) {
                Machine::Get().DeleteFile(file);
            }
        }
        m_drivers.erase(driver);
        return kNoError;
    });
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

std::vector<WString> Spooler::ListedPrinterNames() const {
    std::vector<WString> names;
    for (const Printer& printer : m_printers) {
        if (!printer.pendingDeletion) {
            names.push_back(printer.name);
        }
    }
    return names;
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
bool EnumerateNames(sim::SpoolerCall which, std::vector<WString>& names) {
    sim::Spooler& spooler = sim::Spooler::Get();
    std::vector<WString> found;
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
    names.insert(names.end(), found.begin(), found.end());
    return true;
}

} // namespace

bool SpoolerNamesEqual(const WChar* a, std::size_t aLength, const WChar* b, std::size_t bLength) {
    return sim::EqualsOrdinalIgnoringCase(WString(a, aLength), WString(b, bLength));
}

bool SpoolerEnumPrinters(std::vector<WString>& names) {
    return EnumerateNames(sim::SpoolerCall::EnumPrinters, names);
}

bool SpoolerEnumPorts(std::vector<WString>& names) {
    return EnumerateNames(sim::SpoolerCall::EnumPorts, names);
}

unsigned long SpoolerLastError() {
    return sim::Spooler::Get().LastError();
}

bool SpoolerDeletePrinterDriver(const WChar* driverName) {
    return sim::Spooler::Get().DeletePrinterDriver(driverName, sim::DriverFiles::Unused);
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
