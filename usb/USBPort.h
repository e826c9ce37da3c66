// The attached USB printer: finding and opening it, and asking it for its IEEE 1284 device ID.
#pragma once

#include <cstddef>

#include "platform/Text.h"
#include "platform/UsbPrinter.h"

// Printer interfaces examined at most, in the platform's enumeration order.
constexpr unsigned long kMaxUsbInterfaces = 127;
// A device path, terminator included; a longer one is not examined.
constexpr std::size_t kDevicePathCapacity = 260;
// The VID and PID taken from a device path.
constexpr std::size_t kVidPidLength = 4;
// How long the printer has to answer the device-ID request.
constexpr unsigned long kDeviceIdWaitMs = 500;
// The buffer the device ID is read into.
constexpr std::size_t kDeviceIdCapacity = 1024;

// One USB printer, opened exclusively, with the one request the installer sends it. The user
// opens it, asks for the device ID any number of times and closes it; a printer still open
// when the object goes is closed then.
class CUSBPort {
public:
    CUSBPort();
    ~CUSBPort();
    CUSBPort(const CUSBPort&) = delete;
    CUSBPort& operator=(const CUSBPort&) = delete;

    // Opens the first present printer interface whose device path carries "VID_" and "PID_"
    // and that can be opened exclusively, and gives its VID and PID (upper case). False when
    // there is none; `vid` and `pid` are then unchanged and nothing is open.
    virtual bool OpenUsbPrinter(WString& vid, WString& pid);
    // Takes the 4 characters after the first "VID_" and after the first "PID_" of `text`,
    // compared and given in upper case. False, with `vid` and `pid` unchanged, when one of the
    // two is missing or the text is longer than a device path may be.
    bool ParseVidPid(const WChar* text, WString& vid, WString& pid) const;
    // Asks the open printer for its device ID and waits at most kDeviceIdWaitMs for it. False
    // when no printer is open, the driver refuses or the answer comes too late.
    bool GetDeviceId(unsigned char* buffer, unsigned long size, unsigned long& returned);
    // Closes the printer; false when none was open.
    bool CloseDevice();

private:
    DeviceHandle m_hDevice;
};

// The model a printer reports in its device ID: the text from offset 2 (after the two length
// bytes) to the first zero byte, never beyond the `returned` bytes, widened in the thread's
// ANSI code page; then the value after the first "MDL:" up to the next ";". Empty when there
// is no "MDL:" or no ";" after it.
WString ExtractDeviceIdModel(const unsigned char* deviceId, std::size_t returned);
