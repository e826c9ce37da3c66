// Driver and model matching, the plug-and-play update and the installation sequence, against
// the simulated spooler, print UI, device tree and device installer together.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "installer/DriverInstaller.h"
#include "platform/sim/SimDevices.h"
#include "platform/sim/SimPrintUI.h"
#include "platform/sim/SimSpooler.h"
#include "tests/host/TestSupport.h"

namespace {

using sim::Devices;
using sim::PrintUI;
using sim::Spooler;

const WString kUsbPath =
    WTEXT("\\\\?\\usb#vid_1a2b&pid_0680#5&1&2#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
const char kKx680Id[] = "USBPRINT\\VELTRAKX-680D2C1";

sim::UsbPrinter AttachedPrinter(const std::string& model, const std::string& hardwareId) {
    sim::UsbPrinter printer;
    printer.devicePath = kUsbPath;
    printer.deviceId = sim::DeviceIdBytes("MFG:Veltra;CMD:ESC/P;MDL:" + model + ";CLS:PRINTER;");
    printer.hardwareIds = {sim::FromUtf8(hardwareId)};
    return printer;
}

class Matching : public SimTest {
protected:
    static constexpr unsigned char kUsedByte = 'Z';

    void SetUp() override {
        SimTest::SetUp();
        WriteSamplePackage(m_installer.GetPrinterInfoFile(), m_installer.GetDriverInf());
    }
    // The id FindUsbHardwareId gives for `driver` in an INF of these lines ("-" for none).
    std::string HardwareId(const std::string& inf, const WString& driver) {
        Machine().WriteFile(m_installer.GetDriverInf(), inf);
        const WString quoted = WTEXT("\"") + driver + WTEXT("\"");
        // A used buffer: the id must end itself, not rely on zeros left from before.
        unsigned char buffer[kHardwareIdCapacity];
        std::fill(std::begin(buffer), std::end(buffer), kUsedByte);
        if (!m_installer.FindUsbHardwareId(m_installer.GetDriverInf(), quoted.c_str(),
                                           quoted.size(), buffer, kHardwareIdCapacity)) {
            return "-";
        }
        return reinterpret_cast<const char*>(buffer);
    }

    CDriverInstaller m_installer;
};

TEST_F(Matching, AReportedModelIsFoundInTheFirstSeriesThatListsIt) {
    const struct {
        const char* model;
        int found;
        const char* series;
    } cases[] = {
        {"Veltra KX-680", 1, "KX通用系列"}, // listed in both series: the first wins
        {"Veltra KX-2600", 1, "KX专业系列"}, {"veltra kx-680", 0, "-"},
        {"Veltra KX-680 ", 0, "-"},          {"", 0, "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        WString series = WTEXT("-");
        EXPECT_EQ(m_installer.FindModelSeries(series, sim::FromUtf8(c.model)), c.found);
        EXPECT_EQ(U8(series), c.series);
    }
}

TEST_F(Matching, TheHardwareIdIsTheFieldAfterTheFirstCommaOfTheFirstUsbLine) {
    const std::string kx500 = "\"VELTRA KX-500\" = KX500.GPD,LPTENUM\\KX500, C1\n"
                              "\"VELTRA KX-500\" = KX500.GPD,USBPRINT\\KX500, C1\n";
    const std::string chineseGbk = "\"\xD7\xBF\xC0\xBD KX\" = S,USBPRINT\\CN,\n";
    const struct {
        const char* what;
        std::string inf;
        WString driver;
        const char* id;
    } cases[] = {
        {"the sample package", SourceFile("sample/PrinterDriver/OEMPRINTCOMP.INF"),
         WTEXT("Veltra KX-680"), kKx680Id},
        {"parallel line skipped, next line's id", kx500, WTEXT("VELTRA KX-500"), "USBPRINT\\KX500"},
        {"the leading blank kept", "\"VELTRA M\" = S, USBPRINT\\M, C\n", WTEXT("VELTRA M"),
         " USBPRINT\\M"},
        {"no second comma: an empty id", "\"VELTRA M\" = S,USBPRINT\\M\n", WTEXT("VELTRA M"), ""},
        {"an indented line does not match", " \"VELTRA M\" = S,USBPRINT\\M,\n", WTEXT("VELTRA M"),
         "-"},
        {"the maker's name in mixed case in the INF does not match",
         "\"Veltra M\" = S,USBPRINT\\M,\n", WTEXT("Veltra M"), "-"},
        {"USB in the install section is not seen", "\"VELTRA M\" = XUSB,ID,\n", WTEXT("VELTRA M"),
         "-"},
        {"USB anywhere after the comma counts; the id is still the second field",
         "\"VELTRA M\" = S,LPT\\M,USBCOMPAT\n", WTEXT("VELTRA M"), "LPT\\M"},
        {"a double-byte driver name never matches", chineseGbk, WTEXT("卓澜 KX"), "-"},
        {"a long line is read whole", std::string(70000, 'x') + "\"VELTRA M\" = S,USB,\n",
         WTEXT("VELTRA M"), "-"},
        {"an id that would fill the buffer is refused",
         "\"VELTRA M\" = S,USB" + std::string(kHardwareIdCapacity, 'I') + ",\n", WTEXT("VELTRA M"),
         "-"},
        {"CRLF line ends", "\"VELTRA M\" = S,USBPRINT\\M\r\n", WTEXT("VELTRA M"), ""},
        {"no line end at all", "\"VELTRA M\" = S,USBPRINT\\M,X", WTEXT("VELTRA M"), "USBPRINT\\M"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(HardwareId(c.inf, c.driver), c.id);
    }
    Machine().DeleteFile(m_installer.GetDriverInf());
    unsigned char buffer[kHardwareIdCapacity] = {};
    EXPECT_EQ(m_installer.FindUsbHardwareId(m_installer.GetDriverInf(), WTEXT("\"VELTRA M\""), 10,
                                            buffer, kHardwareIdCapacity),
              0)
        << "no INF";
}

// The package check finds a model only in the models section Windows chooses for the
// program's architecture and the running Windows (10.0.19045, a workstation, suite 0x100).
TEST_F(Matching, ThePackageOffersOnlyTheModelsOfTheSectionWindowsChooses) {
    const MachineType x64 = kMachineAmd64;
    const MachineType x86 = kMachineI386;
    const std::string sample = SourceFile("sample/PrinterDriver/OEMPRINTCOMP.INF");
    const std::string newer =
        "[Manufacturer]\nV=M,NTamd64,NTamd64.10.0...19045,NTamd64.10.0...22000\n"
        "[M.NTamd64]\n\"VELTRA OLD\"=S\n[M.NTamd64.10.0...19045]\n\"VELTRA M\"=S\n"
        "[M.NTamd64.10.0...22000]\n\"VELTRA 11\"=S\n";
    const std::string strings =
        "[Manufacturer]\n%V%=%Models%,NTamd64\n[Strings]\nModels=Other\n"
        "KX=\"VELTRA OTHER\"\n[Strings.0804]\nmodels = \"M\"\nkx=\"VELTRA M\"\n"
        "[M.NTamd64]\n%KX% = S\n[Other.NTamd64]\n\"VELTRA O\"=S\n";
    const std::string comments =
        "[Manufacturer] ; makers\n V = M , NTamd64 ; x64\n; V2=X,NTamd64\n"
        "[m.ntAMD64]\n; \"VELTRA C\" = S\n \"veltra m;1\" = S ; one\n[X.NTamd64]\n"
        "\"VELTRA X\" = S\n";
    const struct {
        const char* what;
        MachineType program;
        std::string inf;
        const char* driver;
        int found;
    } cases[] = {
        {"the sample package, x64", x64, sample, "Veltra KX-680", 1},
        {"the sample package, x86", x86, sample, "Veltra KX-680", 1},
        {"a model the INF lacks", x64, sample, "Veltra KX-9999", 0},
        {"x86 models only: the x64 program refuses", x64,
         "[Manufacturer]\nV=M,NTx86\n[M.NTx86]\n\"VELTRA M\"=S\n", "Veltra M", 0},
        {"x86 models only: the x86 program takes them", x86,
         "[Manufacturer]\nV=M,NTx86\n[M.NTx86]\n\"VELTRA M\"=S\n", "Veltra M", 1},
        {"x86 and NT: x86 chooses NTx86", x86,
         "[Manufacturer]\nV=M,NT,NTx86\n[M.NT]\n\"VELTRA M\"=S\n[M.NTx86]\n\"VELTRA X\"=S\n",
         "Veltra M", 0},
        {"NT alone fits x86", x86, "[Manufacturer]\nV=M,NT.6.0\n[M.NT.6.0]\n\"VELTRA M\"=S\n",
         "Veltra M", 1},
        {"NT alone does not fit x64", x64, "[Manufacturer]\nV=M,NT\n[M.NT]\n\"VELTRA M\"=S\n",
         "Veltra M", 0},
        {"undecorated, x86", x86, "[Manufacturer]\nV=M\n[M]\n\"VELTRA M\"=S\n", "Veltra M", 1},
        {"undecorated, x64", x64, "[Manufacturer]\nV=M\n[M]\n\"VELTRA M\"=S\n", "Veltra M", 0},
        {"undecorated when no decoration fits, x86", x86,
         "[Manufacturer]\nV=M,NTamd64\n[M]\n\"VELTRA M\"=S\n", "Veltra M", 1},
        {"the highest version not above Windows", x64, newer, "Veltra M", 1},
        {"an older section Windows would not choose", x64, newer, "Veltra OLD", 0},
        {"a version above the running Windows", x64, newer, "Veltra 11", 0},
        {"product type and suite that fit", x64,
         "[Manufacturer]\nV=M,NTamd64,NTamd64.6.1.0x1.0x100\n[M.NTamd64.6.1.0x1.0x100]\n\"VELTRA "
         "M\"=S\n",
         "Veltra M", 1},
        {"a server product type does not fit", x64,
         "[Manufacturer]\nV=M,NTamd64.6.1.3\n[M.NTamd64.6.1.3]\n\"VELTRA M\"=S\n", "Veltra M", 0},
        {"%strkey% from [Strings.0804] over [Strings]", x64, strings, "Veltra M", 1},
        {"no model from the [Strings] section's choice", x64, strings, "Veltra O", 0},
        {"comments, blanks and letter case", x64, comments, "Veltra M;1", 1},
        {"a commented-out model", x64, comments, "Veltra C", 0},
        {"a commented-out manufacturer", x64, comments, "Veltra X", 0},
        {"a model in the ANSI code page", x64,
         "[Manufacturer]\nV=M,NTamd64\n[M.NTamd64]\n\"\xD7\xBF\xC0\xBD KX\"=S\n", "卓澜 KX", 1},
        {"a model line outside any models section", x64, "\"VELTRA M\" = S\n", "Veltra M", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Machine().programMachine = c.program;
        Machine().WriteFile(m_installer.GetDriverInf(), c.inf);
        EXPECT_EQ(m_installer.PackageHasDriver(sim::FromUtf8(c.driver).c_str()), c.found);
    }
}

// Every road through InstallDriver: the route it takes, what it returns, what the system
// shows afterwards.
TEST_F(Matching, TheInstallationTakesTheRouteTheAttachedPrinterDecides) {
    enum Fault { None, StartFails, CommandDoesNothing, UpdateFails, NoInf, Restart };
    const struct {
        const char* what;
        std::vector<sim::UsbPrinter> attached;
        const char* driver;
        Fault fault;
        int result;
        std::size_t launches;
        std::size_t updates;
        const char* printerPort; // where the printer of the driver's name ends up; "-": none
        std::size_t boxes;
    } cases[] = {
        {"no USB printer: print UI", {}, "Veltra KX-680", None, 1, 1, 0, "LPT2:", 0},
        {"unknown model: print UI",
         {AttachedPrinter("Veltra KX-9999", kKx680Id)},
         "Veltra KX-680",
         None,
         1,
         1,
         0,
         "LPT2:",
         0},
        {"model in another case: print UI",
         {AttachedPrinter("VELTRA KX-680", kKx680Id)},
         "Veltra KX-680",
         None,
         1,
         1,
         0,
         "LPT2:",
         0},
        {"catalogued: plug and play on the device's port",
         {AttachedPrinter("Veltra KX-680", kKx680Id)},
         "Veltra KX-680",
         None,
         1,
         0,
         1,
         "USB001",
         0},
        {"catalogued, a restart asked for",
         {AttachedPrinter("Veltra KX-680", kKx680Id)},
         "Veltra KX-680",
         Restart,
         1,
         0,
         1,
         "USB001",
         0},
        {"catalogued, but no USB id for the driver: no fallback",
         {AttachedPrinter("Veltra KX-680", kKx680Id)},
         "Veltra KX-120",
         None,
         0,
         0,
         0,
         "-",
         0},
        {"another catalogued model attached: the update fails",
         {AttachedPrinter("Veltra KX-2600", "USBPRINT\\VELTRAKX-2600E5F0")},
         "Veltra KX-680",
         None,
         0,
         0,
         1,
         "-",
         0},
        {"the device installer fails",
         {AttachedPrinter("Veltra KX-680", kKx680Id)},
         "Veltra KX-680",
         UpdateFails,
         0,
         0,
         1,
         "-",
         0},
        {"no driver INF on the plug-and-play route",
         {AttachedPrinter("Veltra KX-680", kKx680Id)},
         "Veltra KX-680",
         NoInf,
         0,
         0,
         0,
         "-",
         0},
        {"rundll32 cannot start", {}, "Veltra KX-680", StartFails, 0, 1, 0, "-", 1},
        {"the print UI fails inside", {}, "Veltra KX-680", CommandDoesNothing, 0, 1, 0, "-", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Machine().Reset();
        CDriverInstaller installer;
        WriteSamplePackage(installer.GetPrinterInfoFile(), installer.GetDriverInf());
        installer.SetDriverName(sim::FromUtf8(c.driver).c_str());
        installer.SetPortName(WTEXT("LPT2:"));
        for (const sim::UsbPrinter& printer : c.attached) {
            Devices::Get().Attach(printer);
        }
        switch (c.fault) {
        case StartFails:
            PrintUI::Get().FailStarts(sim::kErrorFileNotFound);
            break;
        case CommandDoesNothing:
            PrintUI::Get().SetOutcome(sim::CommandOutcome::DoesNothing);
            break;
        case UpdateFails:
            Machine().Fail(sim::Operation::UpdateDeviceDriver, sim::kErrorNoSuchDevinst);
            break;
        case NoInf:
            Machine().DeleteFile(installer.GetDriverInf());
            break;
        case Restart:
            Devices::Get().SetRestartNeeded(true);
            break;
        case None:
            break;
        }

        EXPECT_EQ(installer.InstallDriver(), c.result);

        EXPECT_EQ(PrintUI::Get().Launches().size(), c.launches);
        const std::vector<sim::DriverUpdate> updates = Devices::Get().DriverUpdates();
        ASSERT_EQ(updates.size(), c.updates);
        if (!updates.empty()) {
            EXPECT_EQ(U8(updates[0].hardwareId), kKx680Id);
            EXPECT_EQ(U8(updates[0].infPath), U8(installer.GetDriverInf()));
        }
        const auto printer = Spooler::Get().FindPrinter(sim::FromUtf8(c.driver));
        EXPECT_EQ(printer ? U8(printer->port) : std::string("-"), c.printerPort);
        EXPECT_EQ(Machine().MessageBoxes().size(), c.boxes);
        EXPECT_EQ(Devices::Get().OpenHandleCount(), 0u);
    }
}

} // namespace
