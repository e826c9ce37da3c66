// Bad inputs from outside, as one table: catalogues, driver INFs, device IDs, package folders
// and names that are broken, huge or hostile. Each gives its specified result or a clear
// message; the sanitizer builds of this test catch any overflow.
#include <gtest/gtest.h>

#include <functional>

#include "installer/CommandLine.h"
#include "installer/DriverInstaller.h"
#include "tests/host/WizardWalk.h"
#include "usb/USBPort.h"

namespace {

constexpr std::size_t kMegabyte = 1024 * 1024;

std::string Repeat(const std::string& text, std::size_t bytes) {
    std::string out;
    out.reserve(bytes + text.size());
    while (out.size() < bytes) {
        out += text;
    }
    return out;
}

// The sample package with this catalogue (UTF-8 text, stored as UTF-16LE like the real one,
// or raw bytes when `raw` is set).
void UseCatalogue(const std::string& catalogue, bool raw = false) {
    sim::Machine::Get().WriteFile(theInstaller.GetPrinterInfoFile(),
                                  raw ? catalogue : Utf16LeFile(catalogue));
}

// A package with one model whose driver has this name, in the catalogue and in the INF.
void UsePackageFor(const std::string& driver) {
    UseCatalogue("[PRINTER_SERIES]\nKX通用系列\n[KX通用系列]\nVeltra M\n[PRINTER_NAME]\nVeltra M=" +
                 driver + "\n");
    sim::Machine::Get().WriteFile(theInstaller.GetDriverInf(),
                                  "[Manufacturer]\nV=Veltra,NTamd64\n[Veltra.NTamd64]\n\"" +
                                      driver + "\" = M.GPD,LPTENUM\\M\n");
}

// The models the driver page lists, joined with "|".
std::string ListedModels() {
    std::string listed = "-";
    sim::Machine::Get().user = [&](sim::SimSheet& s) {
        if (U8(s.ActiveCaption()) == "卓澜打印机驱动安装步骤1") {
            return s.Press(WizardButton::Next);
        }
        listed.clear();
        IListBox* list = s.ActiveDialog().GetListBox(IDC_STEP3_DRIVERS);
        for (int i = 0; i < list->GetCount(); ++i) {
            listed += (i ? "|" : "") + U8(list->GetText(i));
        }
        s.Press(WizardButton::Cancel);
        return true;
    };
    CWizard sheet(kWizardCaption, nullptr, 0);
    CWizardPages pages;
    pages.AddTo(sheet);
    sheet.DoModal();
    return listed;
}

// The whole walk, summed up: where it ended and with which boxes.
std::string WalkSummary(const std::string& port = "") {
    const WalkSeen seen = WalkWizard("", port);
    EXPECT_EQ(seen.leaks, 0);
    return (seen.stoppedOn.empty() ? seen.status : "stopped on " + seen.stoppedOn) + " / " +
           seen.route + " / " + seen.boxes;
}

std::string HardwareIdFor(const std::string& inf, const std::string& driver) {
    sim::Machine::Get().WriteFile(theInstaller.GetDriverInf(), inf);
    const WString quoted = WTEXT("\"") + sim::FromUtf8(driver) + WTEXT("\"");
    std::vector<unsigned char> buffer(kHardwareIdCapacity, 0);
    const int found = theInstaller.FindUsbHardwareId(theInstaller.GetDriverInf(), quoted.c_str(),
                                                     quoted.size(), buffer.data(), buffer.size());
    return found ? "id " + std::string(reinterpret_cast<const char*>(buffer.data())) : "no id";
}

std::string ModelOf(const std::string& bytes, std::size_t returned) {
    std::vector<unsigned char> deviceId(kDeviceIdCapacity, 0);
    std::copy_n(bytes.begin(), std::min(bytes.size(), deviceId.size()), deviceId.begin());
    return "model '" + U8(ExtractDeviceIdModel(deviceId.data(), returned)) + "'";
}

std::string PackageIn(std::size_t folderLength) {
    sim::Machine::Get().modulePath =
        WTEXT("C:\\") + WString(folderLength - 4, WTEXT('p')) + WTEXT("\\VeltraSetup.exe");
    const CDriverInstaller installer;
    return installer.HasPackagePaths()
               ? "paths " + std::to_string(U8(installer.GetDriverInf()).size())
               : "refused";
}

const char kOk[] = "打印机驱动已成功安装！ / print UI / \"OK: 打印机驱动安装成功！\"";
const char kDriverTooLong[] =
    "stopped on 卓澜打印机驱动安装步骤2 / none started / \"ERROR: "
    "所选型号的驱动程序名称过长（超过99个字符），无法安装。\n\n安装包中的 PrinterInfor.Inf "
    "可能有误，请与打印机供应商联系。\"";
const char kPortTooLong[] =
    "stopped on 卓澜打印机驱动安装步骤3 / none started / \"ERROR: "
    "所选端口的名称过长（超过99个字符），无法在该端口上安装打印机。\n\n请选择其他端口。\"";
const char kRefused[] = "打印机驱动安装失败！ / none started / \"ERROR: 打印机驱动安装失败！\"";

std::string Name(std::size_t length) {
    return "Veltra " + std::string(length - 7, 'n');
}

std::string WithPort(const std::string& port) {
    sim::Spooler::Get().SetPorts({sim::FromUtf8(port)});
    return WalkSummary(port);
}

struct BadInput {
    const char* what;
    std::function<std::string()> run;
    std::string expected;
};

class BadInputs : public SimTest {
protected:
    void TearDown() override {
        SimTest::TearDown();
        theInstaller = CDriverInstaller();
    }
};

TEST_F(BadInputs, EachGivesItsResultOrAClearMessage) {
    const std::string sample = SourceFile("sample/PrinterInfor.Inf");
    const BadInput cases[] = {
        // The catalogue.
        {"catalogue: binary garbage",
         [] {
             UseCatalogue(Repeat("\x01\xFE\x00\xFF\x9B\x80", 4096), true);
             return ListedModels();
         },
         ""},
        {"catalogue: empty",
         [] {
             UseCatalogue("", true);
             return ListedModels();
         },
         ""},
        {"catalogue: NUL characters",
         [] {
             UseCatalogue("[KX通用系列]\nVeltra" + std::string(1, '\0') + " A\nB\n");
             return ListedModels();
         },
         "B|Veltra"},
        {"catalogue: 100 MB (in UTF-16) of comments before the models",
         [&] {
             UseCatalogue(Repeat("; padding padding padding padding\n", 50 * kMegabyte) + sample);
             return ListedModels();
         },
         "Veltra KX 500|Veltra KX-1800|Veltra KX-350 Pro|Veltra KX-680|Veltra KX-90 经济型|卓澜 "
         "KX-120"},
        {"catalogue: a section past the list buffer",
         [] {
             UseCatalogue("[KX通用系列]\n" + Repeat("Veltra KX-680\n", 3000));
             return ListedModels();
         },
         ""},
        {"catalogue: a line past every buffer",
         [] {
             UseCatalogue("[KX通用系列]\n" + std::string(5000, 'L') + "\nVeltra A\n");
             return ListedModels();
         },
         ""},
        {"catalogue: a section name past every buffer",
         [] {
             UseCatalogue("[" + std::string(5000, 'S') + "]\nx\n[KX通用系列]\nVeltra A\n");
             return ListedModels();
         },
         "Veltra A"},
        // The driver INF.
        {"INF: 20 MB, the model line last",
         [] {
             return HardwareIdFor(Repeat("\"VELTRA X\" = S,USBPRINT\\X,\n", 20 * kMegabyte) +
                                      "\"VELTRA M\" = S,USBPRINT\\M,\n",
                                  "VELTRA M");
         },
         "id USBPRINT\\M"},
        {"INF: NUL bytes",
         [] {
             return HardwareIdFor(
                 std::string("\"VELTRA M\" = S,USB\0X,\n\"VELTRA M\" = S,USBPRINT\\M,\n", 48),
                 "VELTRA M");
         },
         "id USB"},
        {"INF: a line of 8 MB",
         [] {
             return HardwareIdFor(std::string(8 * kMegabyte, ',') + "\n\"VELTRA M\" = S,USB,\n",
                                  "VELTRA M");
         },
         "id USB"},
        {"INF: no line ends",
         [] { return HardwareIdFor(Repeat("\"VELTRA M\" = S,LPT,", kMegabyte), "VELTRA M"); },
         "no id"},
        {"INF: an id of 1023 characters",
         [] {
             return HardwareIdFor("\"VELTRA M\" = S," + std::string(1020, 'I') + "USB,\n",
                                  "VELTRA M")
                 .substr(0, 6);
         },
         "id III"},
        {"INF: an id of 1024 characters",
         [] {
             return HardwareIdFor("\"VELTRA M\" = S," + std::string(1021, 'I') + "USB,\n",
                                  "VELTRA M");
         },
         "no id"},
        // Device IDs.
        {"device ID: length bytes claim more than was returned",
         [] {
             return ModelOf(std::string("\xFF\xFF"
                                        "MDL:A;",
                                        8),
                            8);
         },
         "model 'A'"},
        {"device ID: no zero byte, 1024 bytes full",
         [] {
             return ModelOf(std::string(2, 'x') + "MDL:F;" + std::string(1016, 'z'),
                            kDeviceIdCapacity);
         },
         "model 'F'"},
        {"device ID: MDL: beyond the bytes returned",
         [] { return ModelOf(sim::DeviceIdBytes("MFG:X;MDL:A;"), 8); }, "model ''"},
        {"device ID: returned count past the buffer",
         [] { return ModelOf(sim::DeviceIdBytes("MDL:A;"), kDeviceIdCapacity); }, "model 'A'"},
        // The package folder (trailing backslash included).
        {"package folder of 229 characters", [] { return PackageIn(229); }, "paths 259"},
        {"package folder of 230 characters", [] { return PackageIn(230); }, "refused"},
        {"package folder of 2000 characters", [] { return PackageIn(2000); }, "refused"},
        // Driver names, from the catalogue, and port names, from the spooler.
        {"driver name of 99 characters",
         [] {
             UsePackageFor(Name(99));
             return WalkSummary();
         },
         kOk},
        {"driver name of 100 characters",
         [] {
             UsePackageFor(Name(100));
             return WalkSummary();
         },
         kDriverTooLong},
        {"driver name of 199 characters",
         [] {
             UsePackageFor(Name(199));
             return WalkSummary();
         },
         kDriverTooLong},
        {"driver name of 200 characters",
         [] {
             UsePackageFor(Name(200));
             return WalkSummary();
         },
         kDriverTooLong},
        {"driver name of 1000 characters",
         [] {
             UsePackageFor(Name(1000));
             return WalkSummary();
         },
         kDriverTooLong},
        {"driver name with a quote",
         [] {
             UsePackageFor("Veltra \"KX\" /y");
             return WalkSummary();
         },
         kRefused},
        {"driver name with a control character",
         [] {
             UsePackageFor("Veltra\x07KX");
             return WalkSummary();
         },
         kRefused},
        // No ANSI code page holds such a name, so the INF (written here as UTF-8) cannot name
        // the driver as Windows reads it: refused before anything is removed.
        {"driver name outside the BMP",
         [] {
             UsePackageFor("Veltra 𠀋𩸽 KX");
             return WalkSummary();
         },
         kRefused},
        {"port name of 99 characters",
         [] {
             UsePackageFor("Veltra KX");
             return WithPort("P" + std::string(98, ':'));
         },
         kOk},
        {"port name of 100 characters",
         [] {
             UsePackageFor("Veltra KX");
             return WithPort(std::string(100, 'P'));
         },
         kPortTooLong},
        {"port name of 1000 characters",
         [] {
             UsePackageFor("Veltra KX");
             return WithPort(std::string(1000, 'P'));
         },
         kPortTooLong},
        {"port name with a quote",
         [] {
             UsePackageFor("Veltra KX");
             return WithPort("LPT1:\" /y /n \"x");
         },
         "打印机驱动安装失败！ / none started / \"ERROR: 打印机驱动安装失败！\""},
        {"port name ending in a backslash",
         [] {
             UsePackageFor("Veltra KX");
             return WithPort("\\\\server\\share\\");
         },
         "打印机驱动安装失败！ / none started / \"ERROR: 打印机驱动安装失败！\""},
        {"port name outside the BMP",
         [] {
             UsePackageFor("Veltra KX");
             return WithPort("𩸽:");
         },
         kOk},
    };
    for (const BadInput& c : cases) {
        SCOPED_TRACE(c.what);
        Machine().Reset();
        theInstaller = CDriverInstaller();
        WriteSamplePackage(theInstaller.GetPrinterInfoFile(), theInstaller.GetDriverInf());
        EXPECT_EQ(c.run(), c.expected);
        EXPECT_EQ(Machine().hangs.load(), 0);
    }
}

} // namespace
