// Fuzzes the device-ID model extraction: any bytes as the printer's answer, read directly and
// through a simulated USB printer that answers with them.
#include "tests/fuzz/FuzzSupport.h"

#include "platform/sim/SimDevices.h"
#include "usb/USBPort.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The answer exactly as long as the input: reading past it is an overflow.
    const std::vector<unsigned char> answer(data, data + size);
    const WString model = ExtractDeviceIdModel(answer.data(), answer.size());
    fuzz::Check(model.size() <= size);

    sim::Machine::Get().Reset();
    sim::UsbPrinter printer;
    printer.devicePath = WTEXT("\\\\?\\usb#vid_1a2b&pid_0001#fuzz");
    printer.deviceId.assign(reinterpret_cast<const char*>(data), size);
    sim::Devices::Get().Attach(printer);
    CDriverInstaller installer;
    WString reported;
    fuzz::Check(installer.GetUsbPrinterModel(reported) == 1);
    fuzz::Check(sim::Devices::Get().OpenHandleCount() == 0);
    return 0;
}
