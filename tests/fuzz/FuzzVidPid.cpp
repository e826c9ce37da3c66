// Fuzzes the VID and PID parser with any UTF-16 text as a device path.
#include "tests/fuzz/FuzzSupport.h"

#include "usb/USBPort.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const WString path = fuzz::WideText(data, size);
    CUSBPort port;
    WString vid = WTEXT("unchanged");
    WString pid = WTEXT("unchanged");
    if (port.ParseVidPid(path.c_str(), vid, pid)) {
        fuzz::Check(vid.size() <= kVidPidLength && pid.size() <= kVidPidLength);
        for (WChar c : vid + pid) {
            fuzz::Check(!(c >= WTEXT('a') && c <= WTEXT('z')));
        }
    } else {
        fuzz::Check(vid == WTEXT("unchanged") && pid == WTEXT("unchanged"));
    }
    return 0;
}
