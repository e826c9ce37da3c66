// The model a USB printer reports in its IEEE 1284 device ID.
#include <string_view>

#include "platform/CodePage.h"
#include "usb/USBPort.h"

namespace {
// The device ID's text starts after its two length bytes.
constexpr std::size_t kDeviceIdTextOffset = 2;
const WChar kModelKey[] = WTEXT("MDL:");
constexpr std::size_t kModelKeyLength = 4;
const WChar kPairEnd = WTEXT(';');
} // namespace

WString ExtractDeviceIdModel(const unsigned char* deviceId, std::size_t returned) {
    std::size_t textEnd = kDeviceIdTextOffset;
    while (textEnd < returned && deviceId[textEnd] != 0) {
        ++textEnd;
    }
    const WString wide = textEnd <= kDeviceIdTextOffset
                             ? WString()
                             : WidenWithThreadCodePage(std::string_view(
                                   reinterpret_cast<const char*>(deviceId) + kDeviceIdTextOffset,
                                   textEnd - kDeviceIdTextOffset));
    const std::size_t key = wide.find(kModelKey);
    if (key == WString::npos) {
        return WString();
    }
    const std::size_t start = key + kModelKeyLength;
    const std::size_t end = wide.find(kPairEnd, start);
    return end == WString::npos ? WString() : wide.substr(start, end - start);
}
