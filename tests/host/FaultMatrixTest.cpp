// The fault matrix: the whole wizard walked once for every platform operation an
// installation uses, with that one operation failing (or hanging past its limit), and what
// the user saw. The table is kept in docs/fault-matrix.md; set VELTRA_WRITE_FAULT_MATRIX=1 to
// write it anew.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>

#include "installer/DriverInstaller.h"
#include "tests/host/WizardWalk.h"

namespace {

using sim::Operation;
using sim::PrintUI;
using sim::Spooler;
using sim::SpoolerCall;

// The two roads an installation can take.
enum class Road {
    PrintUI,    // no USB printer; an earlier printer and a copy of it are installed
    PlugAndPlay // a catalogued USB printer is attached
};

sim::UsbPrinter Kx680(unsigned long answerAfterMs = 0, unsigned long refusesWith = 0,
                      bool held = false);

struct Fault {
    const char* operation;
    const char* failure;
    Road road;
    std::function<void()> arrange;
    // The printer attached on the plug-and-play road.
    sim::UsbPrinter device = Kx680();
};

const WString kKx500 = WTEXT("Veltra KX-500");

void RefuseSpooler(SpoolerCall call, unsigned long error) {
    Spooler::Get().Refuse(call, error);
}

sim::UsbPrinter Kx680(unsigned long answerAfterMs, unsigned long refusesWith, bool held) {
    sim::UsbPrinter printer;
    printer.devicePath =
        WTEXT("\\\\?\\usb#vid_1a2b&pid_0680#1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
    printer.deviceId = sim::DeviceIdBytes("MFG:Veltra;MDL:Veltra KX-680;CLS:PRINTER;");
    printer.hardwareIds = {WTEXT("USBPRINT\\VELTRAKX-680D2C1")};
    printer.answerAfterMs = answerAfterMs;
    printer.refusesWith = refusesWith;
    printer.heldByAnotherProcess = held;
    return printer;
}

std::vector<Fault> Faults() {
    using sim::Machine;
    auto fail = [](Operation operation, unsigned long error, unsigned nth = sim::kEveryTime) {
        return [=] { Machine::Get().Fail(operation, error, nth); };
    };
    auto refuse = [](SpoolerCall call, unsigned long error) {
        return [=] { RefuseSpooler(call, error); };
    };
    const auto nothing = [] {};
    return {
        {"(none)", "-", Road::PrintUI, [] {}},
        {"(none)", "-", Road::PlugAndPlay, [] {}},
        {"EnumPortsW", "refused (1722)", Road::PrintUI,
         refuse(SpoolerCall::EnumPorts, sim::kErrorRpcServerUnavailable)},
        {"EnumPrintersW", "refused (1722)", Road::PrintUI,
         refuse(SpoolerCall::EnumPrinters, sim::kErrorRpcServerUnavailable)},
        {"OpenPrinterW", "refused (5)", Road::PrintUI,
         refuse(SpoolerCall::OpenPrinter, sim::kErrorAccessDenied)},
        {"SetPrinterW (purge)", "refused (124)", Road::PrintUI,
         refuse(SpoolerCall::Purge, sim::kErrorInvalidLevel)},
        {"DeletePrinter", "refused (5)", Road::PrintUI,
         refuse(SpoolerCall::DeletePrinter, sim::kErrorAccessDenied)},
        {"ClosePrinter", "refused (6)", Road::PrintUI,
         refuse(SpoolerCall::ClosePrinter, sim::kErrorInvalidHandle)},
        {"DeletePrinterDriverExW", "refused (3001)", Road::PrintUI,
         refuse(SpoolerCall::DeletePrinterDriver, sim::kErrorPrinterDriverInUse)},
        {"CreateEventW", "fails (removal event)", Road::PrintUI,
         fail(Operation::CreateEvent, 8, 1)},
        {"CreateEventW", "fails (installation event)", Road::PrintUI,
         fail(Operation::CreateEvent, 8, 2)},
        {"CreateThread", "fails (removal thread)", Road::PrintUI,
         fail(Operation::CreateThread, 8, 1)},
        {"CreateThread", "fails (installation thread)", Road::PrintUI,
         fail(Operation::CreateThread, 8, 2)},
        {"SetTimer", "fails", Road::PrintUI, fail(Operation::SetTimer, 8)},
        {"PostMessageW", "fails", Road::PrintUI, fail(Operation::PostMessage, 1816)},
        {"CM_Locate_DevNodeW", "fails (0x13)", Road::PrintUI,
         fail(Operation::LocateDeviceRoot, sim::kCrFailure)},
        {"CM_Reenumerate_DevNode", "fails (0x13)", Road::PrintUI,
         fail(Operation::ReenumerateDevices, sim::kCrFailure)},
        {"CreateProcessW (rundll32)", "fails (5)", Road::PrintUI,
         [] { PrintUI::Get().FailStarts(5); }},
        {"CreateProcessW (rundll32)", "missing (2)", Road::PrintUI,
         [] { PrintUI::Get().RemoveRundll32(); }},
        {"print UI /if", "does nothing", Road::PrintUI,
         [] { PrintUI::Get().SetOutcome(sim::CommandOutcome::DoesNothing); }},
        {"print UI /if", "ends after 150 s", Road::PrintUI,
         [] { PrintUI::Get().commandMs = 150000; }},
        {"SetupDiGetClassDevsW", "fails", Road::PlugAndPlay, fail(Operation::ListUsbPrinters, 13)},
        {"SetupDiGetDeviceInterfaceDetailW", "fails", Road::PlugAndPlay,
         fail(Operation::UsbInterfacePath, 13)},
        {"CreateFileW (printer)", "held by another program", Road::PlugAndPlay, nothing,
         Kx680(0, 0, true)},
        {"IOCTL_USBPRINT_GET_1284_ID", "refused (50)", Road::PlugAndPlay, nothing,
         Kx680(0, sim::kErrorNotSupported)},
        {"IOCTL_USBPRINT_GET_1284_ID", "answered after 600 ms", Road::PlugAndPlay, nothing,
         Kx680(600)},
        {"IOCTL_USBPRINT_GET_1284_ID", "never answered", Road::PlugAndPlay, nothing,
         Kx680(sim::kNeverAnswers)},
        {"CreateFileW (driver INF)", "fails (5)", Road::PlugAndPlay, fail(Operation::OpenFile, 5)},
        {"UpdateDriverForPlugAndPlayDevicesW", "fails", Road::PlugAndPlay,
         fail(Operation::UpdateDeviceDriver, sim::kErrorNoSuchDevinst)},
    };
}

// Walks the wizard once on the fault's road with the fault arranged.
WalkSeen Walk(const Fault& fault) {
    sim::Machine::Get().Reset();
    theInstaller = CDriverInstaller();
    WriteSamplePackage(theInstaller.GetPrinterInfoFile(), theInstaller.GetDriverInf());
    const bool usb = fault.road == Road::PlugAndPlay;
    if (usb) {
        sim::Devices::Get().Attach(fault.device);
    } else {
        Spooler::Get().AddDriver(kKx500);
        Spooler::Get().AddPrinter(kKx500, WTEXT("COM1:"), kKx500);
        Spooler::Get().AddPrinter(kKx500 + WTEXT(" (Copy 1)"), WTEXT("COM1:"), kKx500);
    }
    fault.arrange();
    // A refused ClosePrinter leaves the spooler's handle open: the spooler's doing.
    return WalkWizard(usb ? "Veltra KX-680" : "Veltra KX 500", "",
                      std::string(fault.operation) == "ClosePrinter");
}

std::string MatrixPath() {
    return std::string(VELTRA_SOURCE_DIR) + "/docs/fault-matrix.md";
}

class FaultMatrix : public SimTest {
protected:
    void TearDown() override {
        SimTest::TearDown();
        theInstaller = CDriverInstaller();
    }
};

TEST_F(FaultMatrix, EveryFailureEndsInAnHonestOutcomeWithNothingLeftOpen) {
    std::string table =
        "# Fault matrix\n\n"
        "Each row walks the whole wizard once on the simulated machine (welcome, driver, port, "
        "Finish) with one platform operation failing, and records what the user saw. "
        "Print UI road: no USB printer, an earlier \"Veltra KX-500\" and a copy of it "
        "installed. Plug-and-play road: a USB printer reporting the catalogued \"Veltra "
        "KX-680\" attached. Generated by the host test FaultMatrix; do not edit by hand.\n\n"
        "| operation | failure | road | route taken | status line | boxes | afterwards |\n"
        "|---|---|---|---|---|---|---|\n";
    for (const Fault& fault : Faults()) {
        SCOPED_TRACE(std::string(fault.operation) + " " + fault.failure);
        const WalkSeen seen = Walk(fault);
        EXPECT_EQ(seen.leaks, 0) << "a handle, thread or event left open, or a hang";
        // Never a silent end, and never success without the printer.
        EXPECT_NE(seen.boxes, "");
        const bool succeeded = seen.after == "closed";
        EXPECT_EQ(succeeded, seen.status == "打印机驱动已成功安装！");
        if (!succeeded) {
            EXPECT_EQ(seen.after, "open; enabled: Back, Finish, Cancel");
        }
        table += std::string("| ") + fault.operation + " | " + fault.failure + " | " +
                 (fault.road == Road::PrintUI ? "print UI" : "plug and play") + " | " + seen.route +
                 " | " + seen.status + " | " + seen.boxes + " | " + seen.after + " |\n";
    }
    if (std::getenv("VELTRA_WRITE_FAULT_MATRIX") != nullptr) {
        std::ofstream(MatrixPath(), std::ios::binary) << table;
    }
    std::cout << table;
    EXPECT_EQ(SourceFile("docs/fault-matrix.md"), table)
        << "docs/fault-matrix.md is out of date: run with VELTRA_WRITE_FAULT_MATRIX=1";
}

} // namespace
