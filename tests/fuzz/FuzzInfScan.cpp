// Fuzzes the driver INF's model-line scan: any bytes as the INF, looked up for the sample's
// driver names and for a name taken from the input's first line.
#include "tests/fuzz/FuzzSupport.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sim::Machine::Get().Reset();
    CDriverInstaller installer;
    const std::string inf(reinterpret_cast<const char*>(data), size);
    sim::Machine::Get().WriteFile(installer.GetDriverInf(), inf);

    WString firstLine;
    for (std::size_t i = 0; i < inf.size() && inf[i] != '\n'; ++i) {
        firstLine.push_back(static_cast<unsigned char>(inf[i]));
    }
    for (const WString& quoted : {WString(WTEXT("\"Veltra KX-680\"")), firstLine}) {
        // The buffer has a guard byte past its capacity that must stay untouched.
        unsigned char buffer[kHardwareIdCapacity + 1];
        std::memset(buffer, 0, kHardwareIdCapacity);
        buffer[kHardwareIdCapacity] = 0xA5;
        const int found = installer.FindUsbHardwareId(installer.GetDriverInf(), quoted.c_str(),
                                                      quoted.size(), buffer, kHardwareIdCapacity);
        fuzz::Check(buffer[kHardwareIdCapacity] == 0xA5);
        fuzz::Check(found == 0 || std::memchr(buffer, 0, kHardwareIdCapacity) != nullptr);
    }
    return 0;
}
