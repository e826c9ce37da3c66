// The program started by a deployment engine: one row per exit code, each a whole run on the
// simulated machine that must show nothing and leave the spooler as the code says.
#include <gtest/gtest.h>

#include "app/OrvaneApp.h"
#include "app/SetupRun.h"
#include "installer/DriverInstaller.h"
#include "platform/sim/SimDevices.h"
#include "platform/sim/SimPrintUI.h"
#include "platform/sim/SimSpooler.h"
#include "tests/host/TestSupport.h"

namespace {

using sim::Spooler;

const WString kKx500 = WTEXT("Veltra KX-500");
const WString kProgram = WTEXT("\"C:\\VeltraSetup\\VeltraSetup.exe\" ");
const WString kInstall = WTEXT("/quiet /model \"veltra kx 500\" /log C:\\setup.log ");

class UnattendedRun : public SimTest {
protected:
    void TearDown() override {
        SimTest::TearDown();
        theInstaller = CDriverInstaller();
    }
    // Every printer as "name|port", and the default printer last.
    static std::string SpoolerHolds() {
        std::string holds;
        for (const sim::SpoolerPrinter& printer : Spooler::Get().Printers()) {
            holds += U8(printer.name) + "|" + U8(printer.port) + "; ";
        }
        return holds + "default: " + U8(Spooler::Get().DefaultPrinter());
    }
    // The log's steps and outcomes, "step:outcome" a line.
    std::string LogSteps() {
        std::string bytes, steps;
        Machine().ReadFile(WTEXT("C:\\setup.log"), bytes);
        for (std::size_t at = 0; (at = bytes.find('\t', at)) != std::string::npos;) {
            const std::size_t outcome = bytes.find('\t', at + 1);
            steps += bytes.substr(at + 1, outcome - at - 1) + ":" +
                     bytes.substr(outcome + 1, bytes.find('\t', outcome + 1) - outcome - 1) + " ";
            at = bytes.find('\n', at);
        }
        return steps;
    }
};

TEST_F(UnattendedRun, EachExitCodeLeavesTheSpoolerAsItSaysAndShowsNothing) {
    struct Row {
        const char* what;
        WString arguments;
        std::function<void()> scene;
        int exitCode;
        std::string spooler;
        std::string log;
    };
    const auto oldPrinter = [] {
        Spooler::Get().AddDriver(kKx500);
        Spooler::Get().AddPrinter(kKx500, WTEXT("COM1:"), kKx500);
        Spooler::Get().AddPrinter(kKx500 + WTEXT(" (Copy 1)"), WTEXT("COM1:"), kKx500);
    };
    const Row rows[] = {
        {"installed", kInstall + WTEXT("/port lpt2:"), oldPrinter, kExitSucceeded,
         "Veltra KX-500|LPT2:; default: Veltra KX-500",
         "start:install check:ok remove:ok remove:ok delete-driver:ok rescan:ok install:ok "
         "default-printer:ok end:ok "},
        {"plug and play, restart needed", kInstall + WTEXT("-NoDefault"),
         [] {
             sim::UsbPrinter printer;
             printer.devicePath = WTEXT("\\\\?\\usb#vid_1a2b&pid_0500#1#{28d78fad-5a12-11d1-ae5b-"
                                        "0000f803a8c2}");
             printer.deviceId = sim::DeviceIdBytes("MFG:Veltra;MDL:Veltra KX 500;");
             printer.hardwareIds = {WTEXT("USBPRINT\\VELTRAKX-5004C7E")};
             sim::Devices::Get().Attach(printer);
             sim::Devices::Get().SetRestartNeeded(true);
         },
         kExitRestartNeeded, "VELTRA KX-500|USB001; default: ",
         "start:install check:ok install:ok end:restart-needed "},
        {"the package lacks the driver", kInstall,
         [oldPrinter] {
             oldPrinter();
             sim::Machine::Get().WriteFile(theInstaller.GetDriverInf(),
                                           "\"VELTRA KX-680\" = KX680.GPD");
         },
         kExitFailed, "Veltra KX-500|COM1:; Veltra KX-500 (Copy 1)|COM1:; default: ",
         "start:install check:failed end:failed "},
        {"rundll32 cannot be started: told by the exit code alone", kInstall,
         [oldPrinter] {
             oldPrinter();
             sim::PrintUI::Get().RemoveRundll32();
         },
         kExitFailed, "default: ",
         "start:install check:ok remove:ok remove:ok delete-driver:ok rescan:ok install:failed "
         "end:failed "},
        {"a model without a driver", WTEXT("/s /model \"Veltra KX-90 经济型\""), oldPrinter,
         kExitFailed, "Veltra KX-500|COM1:; Veltra KX-500 (Copy 1)|COM1:; default: ", ""},
        {"an unlisted port", kInstall + WTEXT("/port LPT9:"), oldPrinter, kExitWrongCommandLine,
         "Veltra KX-500|COM1:; Veltra KX-500 (Copy 1)|COM1:; default: ", ""},
        {"protected print mode", kInstall,
         [oldPrinter] {
             oldPrinter();
             sim::Machine::Get().SetRegistryValue(
                 WTEXT("SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP"),
                 WTEXT("WindowsProtectedPrintGroupPolicyState"), {true, 1});
         },
         kExitUnsupported,
         "Veltra KX-500|COM1:; Veltra KX-500 (Copy 1)|COM1:; default: ", "end:unsupported "},
        {"another setup runs", kInstall,
         [oldPrinter] {
             oldPrinter();
             sim::Machine::Get().HoldMutexElsewhere(kSetupMutexName);
         },
         kExitBusy, "Veltra KX-500|COM1:; Veltra KX-500 (Copy 1)|COM1:; default: ", "end:busy "},
        {"uninstalled, copies only",
         WTEXT("/uninstall /Q /log C:\\setup.log /MODEL \"Veltra KX 500\""),
         [] {
             Spooler::Get().AddDriver(kKx500);
             Spooler::Get().AddDriver(WTEXT("Other"));
             Spooler::Get().AddPrinter(kKx500 + WTEXT(" (Copy 2)"), WTEXT("COM1:"), kKx500);
             Spooler::Get().AddPrinter(kKx500 + WTEXT("0(二楼)"), WTEXT("COM2:"), WTEXT("Other"));
         },
         kExitSucceeded, "Veltra KX-5000(二楼)|COM2:; default: ",
         "start:uninstall remove:ok delete-driver:ok end:ok "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Machine().Reset();
        theInstaller = CDriverInstaller();
        WriteSamplePackage(theInstaller.GetPrinterInfoFile(), theInstaller.GetDriverInf());
        row.scene();
        Machine().commandLine = kProgram + row.arguments;

        EXPECT_FALSE(theApp.InitInstance());

        EXPECT_EQ(theApp.GetExitCode(), row.exitCode);
        EXPECT_EQ(SpoolerHolds(), row.spooler);
        EXPECT_EQ(LogSteps(), row.log);
        EXPECT_TRUE(Machine().MessageBoxes().empty()) << U8(Machine().MessageBoxes()[0].text);
        EXPECT_EQ(Machine().abandonedSheets, 0) << "a wizard was shown";
        EXPECT_EQ(Machine().hangs.load(), 0);
        for (const sim::DriverUpdate& update : sim::Devices::Get().DriverUpdates()) {
            EXPECT_FALSE(update.interactive);
        }
    }
}

} // namespace
