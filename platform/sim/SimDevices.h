// The simulated device tree behind the host build's platform/UsbPrinter.h and
// platform/DeviceManager.h: USB printers with their interfaces and device IDs, the
// configuration manager's rescan, and the device installer that puts a driver package on
// them.
//
// How it behaves, modelled on Windows:
// - Printers are listed in the order they were attached, each with its device path.
// - Opening is exclusive: a printer held open (by the program or by another process) cannot be
//   opened again (ERROR_SHARING_VIOLATION).
// - A printer answers the device-ID request at once, after a delay in simulated time, or
//   never; an answer later than the caller's wait leaves the request pending, and the caller
//   cancels it. The answer is cut to the caller's buffer.
// - The device installer succeeds only when a present printer has the hardware id; it then
//   installs the INF's model for that id and creates the printer on the printer's own port.
// - Every member function may be called from any thread.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "platform/UsbPrinter.h"

namespace sim {

// An answer that never comes.
constexpr unsigned long kNeverAnswers = 0xFFFFFFFF;

constexpr unsigned long kErrorSharingViolation = 32;      // ERROR_SHARING_VIOLATION
constexpr unsigned long kErrorNotSupported = 50;          // ERROR_NOT_SUPPORTED
constexpr unsigned long kErrorNoSuchDevinst = 0xE000020B; // ERROR_NO_SUCH_DEVINST
constexpr unsigned long kCrFailure = 0x13;                // CR_FAILURE

// A device ID as a printer sends it: two big-endian length bytes, which count themselves,
// then the text.
std::string DeviceIdBytes(const std::string& text);

struct UsbPrinter {
    WString devicePath;              // as the platform lists it, e.g. \\?\usb#vid_1a2b&pid_0001#...
    std::string deviceId;            // the bytes the printer answers, length bytes included
    unsigned long answerAfterMs = 0; // 0: at once; kNeverAnswers: never
    unsigned long refusesWith = 0;   // not 0: the driver refuses the request with this error
    bool heldByAnotherProcess = false; // another program has it open
    std::vector<WString> hardwareIds;  // as the device reports them
    WString port = WTEXT("USB001");    // the port Windows creates its printer on
};

// One call of the device installer.
struct DriverUpdate {
    WString hardwareId;
    WString infPath;
    bool interactive = true; // without INSTALLFLAG_NONINTERACTIVE
    bool succeeded = false;
};

class Devices {
public:
    static Devices& Get();
    // No printers, no handles, no calls recorded.
    void Reset();

    // Setting the scene.
    void Attach(const UsbPrinter& printer);
    // Whether the device installer asks for a restart after an update.
    void SetRestartNeeded(bool restart);
    // Whether the device installer creates the printer before it returns; when not, a test
    // adds it later, as Windows may a moment after the update.
    bool createsPrinters = true;

    // Looking at the state.
    std::size_t OpenHandleCount() const;
    std::size_t CancelledRequests() const;
    int Reenumerations() const;
    std::vector<DriverUpdate> DriverUpdates() const;
    // Every printer answers the requests it still has pending, into the callers' buffers.
    // Returns how many answers were written.
    int DeliverLateAnswers();

    // The platform's functions on the simulated tree.
    bool ListInterfaces() const;
    CUsbPrinterInterfaces::Entry Interface(unsigned long index, WString& path) const;
    DeviceHandle Open(const WString& path);
    bool Close(DeviceHandle device);
    bool Query1284Id(DeviceHandle device, unsigned char* buffer, unsigned long size,
                     unsigned long& returned, unsigned long waitMs);
    bool UpdateDriver(const WString& hardwareId, const WString& infPath, bool interactive,
                      bool& restartNeeded);
    void CountReenumeration();

private:
    struct Handle {
        std::size_t printer = 0;
        DeviceHandle value = nullptr;
    };
    struct Pending {
        std::size_t printer = 0;
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
    };

    Devices() = default;
    const Handle* FindHandle(DeviceHandle device) const;
    bool IsOpen(std::size_t printer) const;

    mutable std::mutex m_mutex;
    std::vector<UsbPrinter> m_printers;
    std::vector<Handle> m_handles;
    std::vector<Pending> m_pending;
    std::vector<DriverUpdate> m_updates;
    std::uintptr_t m_nextHandle = 0;
    std::size_t m_nCancelled = 0;
    int m_nReenumerations = 0;
    bool m_bRestartNeeded = false;
};

} // namespace sim
