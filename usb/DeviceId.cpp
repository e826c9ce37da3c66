// The model the attached USB printer reports, and the device tree's rescan.
#include <cstdio>
#include <string>

#include "installer/DriverInstaller.h"
#include "platform/CodePage.h"
#include "platform/DeviceManager.h"
#include "usb/USBPort.h"

namespace {
// The device ID's text starts after its two length bytes.
constexpr std::size_t kDeviceIdTextOffset = 2;
const WChar kModelKey[] = WTEXT("MDL:");
constexpr std::size_t kModelKeyLength = 4;
const WChar kPairEnd = WTEXT(';');
} // namespace

WString ExtractDeviceIdModel(const unsigned char* deviceId, std::size_t returned) {
    std::string text;
    for (std::size_t i = kDeviceIdTextOffset; i < returned && deviceId[i] != 0; ++i) {
        text.push_back(static_cast<char>(deviceId[i]));
    }
    const WString wide = WidenWithThreadCodePage(text);
    const std::size_t key = wide.find(kModelKey);
    if (key == WString::npos) {
        return WString();
    }
    const std::size_t start = key + kModelKeyLength;
    const std::size_t end = wide.find(kPairEnd, start);
    return end == WString::npos ? WString() : wide.substr(start, end - start);
}

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

int CDriverInstaller::RescanDevices() {
    DeviceNode root = 0;
    ConfigResult result = DeviceTreeLocateRoot(root);
    if (result != kConfigSuccess) {
        std::printf("CM_Locate_DevNode failed: %lx\n", result);
        return 0;
    }
    result = DeviceTreeReenumerate(root);
    if (result != kConfigSuccess) {
        std::printf("CM_Reenumerate_DevNode failed: %lx\n", result);
        return 0;
    }
    return 1;
}
