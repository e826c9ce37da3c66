// The attached USB printer as the installer sees it: the model it reports, and the device
// tree's rescan after an earlier installation was removed.
#include <cstdio>

#include "installer/DriverInstaller.h"
#include "platform/DeviceManager.h"
#include "usb/USBPort.h"

int CDriverInstaller::GetUsbPrinterModel(WString& model) {
    CUSBPort port;
    WString vid;
    WString pid;
    const bool found = port.CUSBPort::OpenUsbPrinter(vid, pid);
    // Whether the request worked is not asked: a printer that does not answer reports no
    // model, and the buffer of a failed request holds nothing.
    unsigned char deviceId[kDeviceIdCapacity] = {};
    unsigned long returned = 0;
    if (!port.GetDeviceId(deviceId, kDeviceIdCapacity, returned)) {
        returned = 0;
    }
    model =
        ExtractDeviceIdModel(deviceId, returned < kDeviceIdCapacity ? returned : kDeviceIdCapacity);
    port.CloseDevice();
    if (!found) {
        model.clear();
        return 0;
    }
    return 1;
}

namespace {
constexpr unsigned kHexDigitBits = 4;
const char kHexDigits[] = "0123456789abcdef";

// Writes "<what> failed: <code in hexadecimal>" and a line end to standard output, as
// printf("%x") writes the code: lower case, no leading zeros. (printf itself would bring a
// whole formatting engine into the program for these two lines.)
void ReportFailure(const char* what, ConfigResult code) {
    constexpr std::size_t kMaxDigits = 2 * sizeof(ConfigResult);
    char digits[kMaxDigits + 2] = {};
    std::size_t first = kMaxDigits;
    digits[kMaxDigits] = '\n';
    do {
        digits[--first] = kHexDigits[code & ((1u << kHexDigitBits) - 1)];
        code >>= kHexDigitBits;
    } while (code != 0);
    std::fputs(what, stdout);
    std::fputs(" failed: ", stdout);
    std::fputs(digits + first, stdout);
}
} // namespace

int CDriverInstaller::RescanDevices() {
    DeviceNode root = 0;
    ConfigResult result = DeviceTreeLocateRoot(root);
    if (result != kConfigSuccess) {
        ReportFailure("CM_Locate_DevNode", result);
        return 0;
    }
    result = DeviceTreeReenumerate(root);
    if (result != kConfigSuccess) {
        ReportFailure("CM_Reenumerate_DevNode", result);
        return 0;
    }
    return 1;
}
