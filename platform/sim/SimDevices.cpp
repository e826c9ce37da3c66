// The simulated device tree, and the host build's platform/UsbPrinter.h and
// platform/DeviceManager.h on it.
#include "platform/sim/SimDevices.h"

#include <algorithm>
#include <sstream>

#include "platform/DeviceManager.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimSpooler.h"
#include "platform/sim/SimText.h"

namespace sim {

namespace {

// Handle values start here and only grow, so none is null or INVALID_HANDLE_VALUE.
constexpr std::uintptr_t kFirstHandle = 0x2000;
constexpr unsigned kByteBits = 8;
constexpr unsigned kByteMask = 0xFF;
// The root of the device tree, as the configuration manager hands it out.
constexpr DeviceNode kRootNode = 1;

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The model an INF installs for a hardware id: the quoted name of the first model line
// ("name" = section, id, ...) whose first id is that one. Empty when there is none.
WString ModelForHardwareId(const std::string& inf, const WString& hardwareId) {
    std::istringstream lines(inf);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string text = Trim(line);
        const std::size_t close = text.find('"', 1);
        const std::size_t first = text.find(',');
        if (text.empty() || text[0] != '"' || close == std::string::npos ||
            first == std::string::npos) {
            continue;
        }
        const std::size_t second = text.find(',', first + 1);
        const std::string id = Trim(text.substr(
            first + 1, second == std::string::npos ? std::string::npos : second - first - 1));
        if (EqualsIgnoringAsciiCase(FromUtf8(id), hardwareId)) {
            return FromUtf8(text.substr(1, close - 1));
        }
    }
    return WString();
}

} // namespace

std::string DeviceIdBytes(const std::string& text) {
    const std::size_t length = text.size() + 2;
    std::string bytes;
    bytes.push_back(static_cast<char>((length >> kByteBits) & kByteMask));
    bytes.push_back(static_cast<char>(length & kByteMask));
    return bytes + text;
}

Devices& Devices::Get() {
    static Devices devices;
    return devices;
}

void Devices::Reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_printers.clear();
    m_handles.clear();
    m_pending.clear();
    m_updates.clear();
    m_nextHandle = kFirstHandle;
    m_nCancelled = 0;
    m_nReenumerations = 0;
    createsPrinters = true;
    m_bRestartNeeded = false;
}

void Devices::Attach(const UsbPrinter& printer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_printers.push_back(printer);
}

void Devices::SetRestartNeeded(bool restart) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bRestartNeeded = restart;
}

std::size_t Devices::OpenHandleCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_handles.size();
}

std::size_t Devices::CancelledRequests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nCancelled;
}

int Devices::Reenumerations() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nReenumerations;
}

std::vector<DriverUpdate> Devices::DriverUpdates() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_updates;
}

int Devices::DeliverLateAnswers() {
    std::lock_guard<std::mutex> lock(m_mutex);
    int written = 0;
    for (const Pending& request : m_pending) {
        const std::string& answer = m_printers[request.printer].deviceId;
        std::copy_n(answer.begin(), std::min<std::size_t>(answer.size(), request.size),
                    request.buffer);
        ++written;
    }
    m_pending.clear();
    return written;
}

bool Devices::ListInterfaces() const {
    return !Machine::Get().TakeFailure(Operation::ListUsbPrinters);
}

CUsbPrinterInterfaces::Entry Devices::Interface(unsigned long index, WString& path) const {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (index >= m_printers.size()) {
            return CUsbPrinterInterfaces::Entry::End;
        }
        path = m_printers[index].devicePath;
    }
    if (Machine::Get().TakeFailure(Operation::UsbInterfacePath)) {
        path.clear();
        return CUsbPrinterInterfaces::Entry::NoDetail;
    }
    return CUsbPrinterInterfaces::Entry::Found;
}

const Devices::Handle* Devices::FindHandle(DeviceHandle device) const {
    for (const Handle& handle : m_handles) {
        if (handle.value == device) {
            return &handle;
        }
    }
    return nullptr;
}

bool Devices::IsOpen(std::size_t printer) const {
    return std::any_of(m_handles.begin(), m_handles.end(),
                       [printer](const Handle& handle) { return handle.printer == printer; });
}

DeviceHandle Devices::Open(const WString& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (std::size_t i = 0; i < m_printers.size(); ++i) {
        if (m_printers[i].devicePath != path) {
            continue;
        }
        if (m_printers[i].heldByAnotherProcess || IsOpen(i)) {
            return kNoDevice;
        }
        Handle handle{i, reinterpret_cast<DeviceHandle>(m_nextHandle++)};
        m_handles.push_back(handle);
        return handle.value;
    }
    return kNoDevice;
}

bool Devices::Close(DeviceHandle device) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = std::find_if(m_handles.begin(), m_handles.end(),
                           [device](const Handle& handle) { return handle.value == device; });
    if (it == m_handles.end()) {
        return false;
    }
    m_handles.erase(it);
    return true;
}

bool Devices::Query1284Id(DeviceHandle device, unsigned char* buffer, unsigned long size,
                          unsigned long& returned, unsigned long waitMs) {
    std::lock_guard<std::mutex> lock(m_mutex);
    returned = 0;
    const Handle* handle = FindHandle(device);
    if (handle == nullptr || m_printers[handle->printer].refusesWith != 0) {
        return false;
    }
    const UsbPrinter& printer = m_printers[handle->printer];
    Machine& machine = Machine::Get();
    if (printer.answerAfterMs > waitMs) {
        // Not answered in time: the request stays pending until the caller cancels it, which
        // the platform does before it returns.
        m_pending.push_back({handle->printer, buffer, size});
        machine.clockMs += waitMs;
        m_pending.pop_back();
        ++m_nCancelled;
        return false;
    }
    machine.clockMs += printer.answerAfterMs;
    const std::size_t count = std::min<std::size_t>(printer.deviceId.size(), size);
    std::copy_n(printer.deviceId.begin(), count, buffer);
    returned = static_cast<unsigned long>(count);
    return true;
}

bool Devices::UpdateDriver(const WString& hardwareId, const WString& infPath, bool interactive,
                           bool& restartNeeded) {
    std::lock_guard<std::mutex> lock(m_mutex);
    DriverUpdate update{hardwareId, infPath, interactive, false};
    std::string inf;
    const UsbPrinter* device = nullptr;
    for (const UsbPrinter& printer : m_printers) {
        for (const WString& id : printer.hardwareIds) {
            if (device == nullptr && EqualsIgnoringAsciiCase(id, hardwareId)) {
                device = &printer;
            }
        }
    }
    Machine& machine = Machine::Get();
    const WString model =
        machine.ReadFile(infPath, inf) ? ModelForHardwareId(inf, hardwareId) : WString();
    if (!machine.TakeFailure(Operation::UpdateDeviceDriver) && device != nullptr &&
        !model.empty()) {
        Spooler& spooler = Spooler::Get();
        if (!spooler.HasDriver(model)) {
            DriverTraits traits;
            traits.package = infPath;
            spooler.AddDriver(model, {}, traits);
        }
        if (createsPrinters && !spooler.FindPrinter(model)) {
            spooler.AddPrinter(model, device->port, model);
        }
        restartNeeded = m_bRestartNeeded;
        update.succeeded = true;
    }
    m_updates.push_back(update);
    return update.succeeded;
}

void Devices::CountReenumeration() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_nReenumerations;
}

} // namespace sim

const DeviceHandle kNoDevice = reinterpret_cast<DeviceHandle>(~std::uintptr_t(0));

CUsbPrinterInterfaces::~CUsbPrinterInterfaces() {
    m_hList = nullptr;
}

bool CUsbPrinterInterfaces::Open() {
    if (!sim::Devices::Get().ListInterfaces()) {
        return false;
    }
    m_hList = this;
    return true;
}

CUsbPrinterInterfaces::Entry CUsbPrinterInterfaces::Get(unsigned long index, WString& path) {
    if (m_hList == nullptr) {
        return Entry::End;
    }
    return sim::Devices::Get().Interface(index, path);
}

DeviceHandle DeviceOpenExclusive(const WChar* path) {
    return sim::Devices::Get().Open(path);
}

bool DeviceClose(DeviceHandle device) {
    return sim::Devices::Get().Close(device);
}

bool DeviceQuery1284Id(DeviceHandle device, unsigned char* buffer, unsigned long size,
                       unsigned long& returned, unsigned long waitMs) {
    return sim::Devices::Get().Query1284Id(device, buffer, size, returned, waitMs);
}

ConfigResult DeviceTreeLocateRoot(DeviceNode& root) {
    unsigned long error = 0;
    if (sim::Machine::Get().TakeFailure(sim::Operation::LocateDeviceRoot, error)) {
        return error;
    }
    root = sim::kRootNode;
    return kConfigSuccess;
}

ConfigResult DeviceTreeReenumerate(DeviceNode node) {
    unsigned long error = 0;
    if (sim::Machine::Get().TakeFailure(sim::Operation::ReenumerateDevices, error)) {
        return error;
    }
    if (node != sim::kRootNode) {
        return sim::kCrFailure;
    }
    sim::Devices::Get().CountReenumeration();
    return kConfigSuccess;
}

bool UpdatePnPDeviceDriver(const WChar* hardwareId, const WChar* infPath, bool interactive,
                           bool& restartNeeded) {
    return sim::Devices::Get().UpdateDriver(hardwareId, infPath, interactive, restartNeeded);
}
