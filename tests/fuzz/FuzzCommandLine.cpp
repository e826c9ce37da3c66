// Fuzzes the print UI command lines with any driver and port names: whatever is started must
// read back as exactly the names given, so no name can add a switch of its own.
#include "tests/fuzz/FuzzSupport.h"

#include "platform/sim/PrintUICommand.h"
#include "platform/sim/SimPrintUI.h"

namespace {
const WChar kEntry[] = WTEXT("PRINTUI.DLL,PrintUIEntry");
constexpr std::size_t kEntryLength = sizeof(kEntry) / sizeof(kEntry[0]) - 1;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sim::Machine::Get().Reset();
    const std::vector<WString> names = fuzz::WideFields(data, size, 2);
    CDriverInstaller installer;
    sim::Machine::Get().WriteFile(installer.GetDriverInf(), "");
    installer.SetDriverName(names[0].c_str());
    installer.SetPortName(names[1].c_str());
    installer.SetDefaultFlag(1);
    installer.InstallWithPrintUI();
    installer.MakeDefaultPrinter();

    WChar driver[kNameCapacity] = {};
    WChar port[kNameCapacity] = {};
    installer.GetDriverName(driver, kNameCapacity);
    installer.GetPortName(port, kNameCapacity);
    for (const sim::ProgramLaunch& launch : sim::PrintUI::Get().Launches()) {
        fuzz::Check(launch.parameters.compare(0, kEntryLength, kEntry) == 0);
        PrintUICommand command;
        fuzz::Check(ParsePrintUICommand(launch.parameters.substr(kEntryLength), command));
        fuzz::Check(command.printer == driver);
        fuzz::Check(command.install != command.setDefault && !command.testPage);
        if (command.install) {
            fuzz::Check(command.model == driver && command.port == port &&
                        command.infFile == installer.GetDriverInf() && !command.quiet);
        }
    }
    return 0;
}
