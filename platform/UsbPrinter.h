// The USB printers attached to the machine: the USB printer device interface class
// (GUID_DEVINTERFACE_USBPRINT), opening a printer's interface, and its IEEE 1284 device-ID
// request (IOCTL_USBPRINT_GET_1284_ID).
#pragma once

#include <cstddef>

#include "platform/Text.h"

// An open device, or kNoDevice. It is the platform's own handle (INVALID_HANDLE_VALUE for none).
using DeviceHandle = void*;
extern const DeviceHandle kNoDevice;

// The present USB printer interfaces (SetupDiGetClassDevsW with DIGCF_PRESENT |
// DIGCF_DEVICEINTERFACE), in the platform's enumeration order. The list is released when the
// object goes out of scope.
class CUsbPrinterInterfaces {
public:
    CUsbPrinterInterfaces() = default;
    ~CUsbPrinterInterfaces();
    CUsbPrinterInterfaces(const CUsbPrinterInterfaces&) = delete;
    CUsbPrinterInterfaces& operator=(const CUsbPrinterInterfaces&) = delete;

    // False when the platform gives no list at all.
    bool Open();

    enum class Entry {
        Found,    // `path` holds the interface's device path
        NoDetail, // the interface exists but its path could not be read
        End,      // no interface at this index: the enumeration is over
    };
    // The interface at `index` (SetupDiEnumDeviceInterfaces, then the two-call
    // SetupDiGetDeviceInterfaceDetailW).
    Entry Get(unsigned long index, WString& path);

private:
    void* m_hList = nullptr;
};

// Opens a device path for reading and writing, exclusively (share mode 0) and for overlapped
// I/O (CreateFileW). kNoDevice when it cannot be opened, for instance while another process
// holds it.
DeviceHandle DeviceOpenExclusive(const WChar* path);

// Closes a handle from DeviceOpenExclusive.
bool DeviceClose(DeviceHandle device);

// Sends IOCTL_USBPRINT_GET_1284_ID and waits at most `waitMs` for the answer: the device ID as
// the printer sends it, two big-endian length bytes and then the text, cut to `size` bytes.
// True when the request was answered; `returned` then tells how many bytes of `buffer` hold
// the answer. False when it was refused or not answered in time: a request still pending
// then is cancelled, and the device can no longer write into `buffer` once this returns.
bool DeviceQuery1284Id(DeviceHandle device, unsigned char* buffer, unsigned long size,
                       unsigned long& returned, unsigned long waitMs);
