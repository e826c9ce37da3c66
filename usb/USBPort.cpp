// The attached USB printer, found through the USB printer interface class.
#include "usb/USBPort.h"

namespace {
const WChar kVidMark[] = WTEXT("VID_");
const WChar kPidMark[] = WTEXT("PID_");
constexpr std::size_t kMarkLength = 4;

WString ToUpperAscii(WString text) {
    for (WChar& c : text) {
        if (c >= WTEXT('a') && c <= WTEXT('z')) {
            c = static_cast<WChar>(c - WTEXT('a') + WTEXT('A'));
        }
    }
    return text;
}

bool IsOpen(DeviceHandle device) {
    return device != nullptr && device != kNoDevice;
}
} // namespace

CUSBPort::CUSBPort() : m_hDevice(kNoDevice) {}

CUSBPort::~CUSBPort() {
    CloseDevice();
}

bool CUSBPort::OpenUsbPrinter(WString& vid, WString& pid) {
    // Callers open with nothing open; a printer still held would otherwise be lost open.
    CloseDevice();
    CUsbPrinterInterfaces interfaces;
    if (!interfaces.Open()) {
        return false;
    }
    for (unsigned long index = 0; index < kMaxUsbInterfaces; ++index) {
        WString path;
        const CUsbPrinterInterfaces::Entry entry = interfaces.Get(index, path);
        if (entry == CUsbPrinterInterfaces::Entry::End) {
            break;
        }
        if (entry == CUsbPrinterInterfaces::Entry::NoDetail) {
            continue;
        }
        // Opened before its path is looked at, and exclusively: a printer another program
        // holds is skipped.
        m_hDevice = DeviceOpenExclusive(path.c_str());
        if (!IsOpen(m_hDevice)) {
            continue;
        }
        if (ParseVidPid(path.c_str(), vid, pid)) {
            return true;
        }
        CloseDevice();
    }
    return false;
}

bool CUSBPort::ParseVidPid(const WChar* text, WString& vid, WString& pid) const {
    if (TextLength(text, kDevicePathCapacity) == kDevicePathCapacity) {
        return false;
    }
    const WString path = ToUpperAscii(text);
    const std::size_t vidAt = path.find(kVidMark);
    if (vidAt == WString::npos) {
        return false;
    }
    const std::size_t pidAt = path.find(kPidMark);
    if (pidAt == WString::npos) {
        return false;
    }
    vid = path.substr(vidAt + kMarkLength, kVidPidLength);
    pid = path.substr(pidAt + kMarkLength, kVidPidLength);
    return true;
}

bool CUSBPort::GetDeviceId(unsigned char* buffer, unsigned long size, unsigned long& returned) {
    if (!IsOpen(m_hDevice)) {
        return false;
    }
    return DeviceQuery1284Id(m_hDevice, buffer, size, returned, kDeviceIdWaitMs);
}

bool CUSBPort::CloseDevice() {
    if (!IsOpen(m_hDevice)) {
        return false;
    }
    DeviceClose(m_hDevice);
    m_hDevice = kNoDevice;
    return true;
}
