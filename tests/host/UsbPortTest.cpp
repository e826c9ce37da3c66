// The attached USB printer on the simulated device tree: which interface is opened, the
// device-ID request and its late answers, the model the printer reports, and the rescan.
#include <gtest/gtest.h>

#include "installer/DriverInstaller.h"
#include "platform/sim/SimDevices.h"
#include "tests/host/TestSupport.h"
#include "usb/USBPort.h"

namespace {

using sim::Devices;
using sim::UsbPrinter;

const WString kPrinterPath =
    WTEXT("\\\\?\\usb#vid_1a2b&pid_0001#5&1&2#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
const std::string kDeviceId = "MFG:Veltra;CMD:ESC/P;MDL:KX-680;CLS:PRINTER;";

UsbPrinter Printer(const WString& path, const std::string& id = kDeviceId) {
    UsbPrinter printer;
    printer.devicePath = path;
    printer.deviceId = sim::DeviceIdBytes(id);
    return printer;
}

class UsbPort : public SimTest {};

// Which interface OpenUsbPrinter takes: the first present one, in enumeration order, whose
// path has VID_ and PID_ and that it can open exclusively.
TEST_F(UsbPort, OpensTheFirstInterfaceWithVidAndPidThatItCanHave) {
    UsbPrinter held = Printer(WTEXT("\\\\?\\usb#vid_0001&pid_0001#held"));
    held.heldByAnotherProcess = true;
    const WString tooLong = WTEXT("\\\\?\\usb#vid_0003&pid_0003#") + WString(240, WTEXT('x'));
    const struct {
        const char* what;
        std::vector<UsbPrinter> tree;
        bool found;
        const char* vid;
        const char* pid;
    } cases[] = {
        {"no printer", {}, false, "-", "-"},
        {"a lower-case path", {Printer(kPrinterPath)}, true, "1A2B", "0001"},
        {"VID without PID is skipped",
         {Printer(WTEXT("\\\\?\\usb#vid_0002#x")), Printer(WTEXT("\\\\?\\USB#VID_04B8&PID_0005"))},
         true,
         "04B8",
         "0005"},
        {"a printer held open elsewhere is skipped",
         {held, Printer(kPrinterPath)},
         true,
         "1A2B",
         "0001"},
        {"a path too long is not examined", {Printer(tooLong)}, false, "-", "-"},
        {"a PID cut short by the end of the path",
         {Printer(WTEXT("\\\\?\\usb#vid_1a2b&pid_12"))},
         true,
         "1A2B",
         "12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Machine().Reset();
        for (const UsbPrinter& printer : c.tree) {
            Devices::Get().Attach(printer);
        }
        WString vid = WTEXT("-");
        WString pid = WTEXT("-");
        {
            CUSBPort port;
            EXPECT_EQ(port.OpenUsbPrinter(vid, pid), c.found);
            EXPECT_EQ(U8(vid), c.vid);
            EXPECT_EQ(U8(pid), c.pid);
            EXPECT_EQ(Devices::Get().OpenHandleCount(), c.found ? 1u : 0u);
            EXPECT_EQ(port.CloseDevice(), c.found);
        }
        EXPECT_EQ(Devices::Get().OpenHandleCount(), 0u);
    }
}

TEST_F(UsbPort, OnlyTheFirst127InterfacesAreExamined) {
    for (int i = 0; i < 127; ++i) {
        Devices::Get().Attach(Printer(WTEXT("\\\\?\\usb#no-ids#") + sim::ToWString(i)));
    }
    Devices::Get().Attach(Printer(kPrinterPath));
    WString vid;
    WString pid;
    CUSBPort port;
    EXPECT_FALSE(port.OpenUsbPrinter(vid, pid));
}

TEST_F(UsbPort, WithoutTheInterfaceListOrAPathNothingOpens) {
    Devices::Get().Attach(Printer(kPrinterPath));
    WString vid;
    WString pid;
    CUSBPort port;
    Machine().Fail(sim::Operation::ListUsbPrinters, 0, 1);
    EXPECT_FALSE(port.OpenUsbPrinter(vid, pid));
    Machine().Fail(sim::Operation::UsbInterfacePath, 0, 1);
    EXPECT_FALSE(port.OpenUsbPrinter(vid, pid));
    EXPECT_TRUE(port.OpenUsbPrinter(vid, pid)) << "the next attempt sees the printer";
}

TEST_F(UsbPort, WithNothingOpenTheRequestAndTheCloseFailAtOnce) {
    CUSBPort port;
    unsigned char buffer[kDeviceIdCapacity] = {};
    unsigned long returned = 7;
    EXPECT_FALSE(port.GetDeviceId(buffer, kDeviceIdCapacity, returned));
    EXPECT_FALSE(port.CloseDevice());
    EXPECT_EQ(Machine().clockMs.load(), 0u);
}

// A printer that answers after the 500 ms: the request is cancelled before it returns, and
// the late answer can no longer reach the caller's buffer.
TEST_F(UsbPort, ALateAnswerIsCancelledAndNeverWritten) {
    for (unsigned long delay : {200ul, 501ul, sim::kNeverAnswers}) {
        SCOPED_TRACE(delay);
        Machine().Reset();
        UsbPrinter printer = Printer(kPrinterPath);
        printer.answerAfterMs = delay;
        Devices::Get().Attach(printer);
        const bool inTime = delay <= kDeviceIdWaitMs;
        CUSBPort port;
        WString vid;
        WString pid;
        ASSERT_TRUE(port.OpenUsbPrinter(vid, pid));
        unsigned char buffer[kDeviceIdCapacity] = {};
        unsigned long returned = 0;
        EXPECT_EQ(port.GetDeviceId(buffer, kDeviceIdCapacity, returned), inTime);
        EXPECT_EQ(Machine().clockMs.load(), inTime ? delay : kDeviceIdWaitMs);
        EXPECT_EQ(Devices::Get().CancelledRequests(), inTime ? 0u : 1u);
        EXPECT_EQ(Devices::Get().DeliverLateAnswers(), 0);
        EXPECT_EQ(buffer[2] != 0, inTime);
    }
}

TEST_F(UsbPort, TheModelComesFromTheDeviceIdsMdlKey) {
    std::string full(kDeviceIdCapacity, 'A');
    full.replace(2, 12, "MDL:KX-FULL;");
    std::string lyingLength = sim::DeviceIdBytes("MDL:KX-1;");
    lyingLength[0] = static_cast<char>(0x7F);
    const std::string gbkModel = "MDL:\xBF\xA8\xC0\xBD KX-120;"; // 卡澜 in code page 936
    const struct {
        const char* what;
        std::string bytes;
        unsigned long returned;
        const char* model;
    } cases[] = {
        {"the usual", sim::DeviceIdBytes("MFG:X;CMD:Y;MDL:AB-100;CLS:PRINTER;"), 0, "AB-100"},
        {"blanks kept", sim::DeviceIdBytes("MDL: AB 100 ;"), 0, " AB 100 "},
        {"no ; after MDL:", sim::DeviceIdBytes("MFG:X;MDL:AB-100"), 0, ""},
        {"only MODEL:", sim::DeviceIdBytes("MFG:X;MODEL:AB-100;"), 0, ""},
        {"case matters", sim::DeviceIdBytes("mdl:AB-100;"), 0, ""},
        {"256 bytes or more", sim::DeviceIdBytes(std::string(300, 'x') + "MDL:LONG;"), 0, "LONG"},
        {"code page 936", sim::DeviceIdBytes(gbkModel), 0, "卡澜 KX-120"},
        {"a zero byte ends the text", sim::DeviceIdBytes(std::string("MDL:A", 5) + '\0' + "B;"), 0,
         ""},
        {"lying length bytes", lyingLength, 0, "KX-1"},
        {"cut by the bytes returned", sim::DeviceIdBytes("MDL:KX-1;"), 8, ""},
        {"1024 bytes full, no zero byte", full, 0, "KX-FULL"},
        {"nothing returned", sim::DeviceIdBytes("MDL:KX-1;"), 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<unsigned char> bytes(c.bytes.begin(), c.bytes.end());
        const std::size_t returned = c.returned != 0 ? c.returned : bytes.size();
        EXPECT_EQ(U8(ExtractDeviceIdModel(bytes.data(), returned)), c.model);
    }
}

TEST_F(UsbPort, TheInstallerReadsTheAttachedPrintersModelAndLeavesItClosed) {
    CDriverInstaller installer;
    WString model = WTEXT("stale");
    EXPECT_EQ(installer.GetUsbPrinterModel(model), 0) << "no printer";
    EXPECT_EQ(U8(model), "");

    UsbPrinter slow = Printer(kPrinterPath);
    slow.answerAfterMs = sim::kNeverAnswers;
    UsbPrinter refusing = Printer(kPrinterPath);
    refusing.refusesWith = sim::kErrorNotSupported;
    const struct {
        const char* what;
        UsbPrinter printer;
        const char* model;
    } cases[] = {
        {"answers", Printer(kPrinterPath), "KX-680"},
        {"never answers", slow, ""},
        {"refuses", refusing, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Machine().Reset();
        Devices::Get().Attach(c.printer);
        model = WTEXT("stale");
        EXPECT_EQ(installer.GetUsbPrinterModel(model), 1);
        EXPECT_EQ(U8(model), c.model);
        EXPECT_EQ(Devices::Get().OpenHandleCount(), 0u);
    }
}

TEST_F(UsbPort, TheRescanTellsWhichConfigurationManagerCallFailed) {
    CDriverInstaller installer;
    const struct {
        sim::Operation failing;
        unsigned long code;
        int result;
        const char* output;
    } cases[] = {
        {sim::Operation::OpenFile, 0, 1, ""},
        {sim::Operation::LocateDeviceRoot, 0x13, 0, "CM_Locate_DevNode failed: 13\n"},
        {sim::Operation::ReenumerateDevices, 0x33, 0, "CM_Reenumerate_DevNode failed: 33\n"},
    };
    for (const auto& c : cases) {
        Machine().Reset();
        Machine().Fail(c.failing, c.code);
        testing::internal::CaptureStdout();
        EXPECT_EQ(installer.RescanDevices(), c.result);
        std::fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.output);
        EXPECT_EQ(Devices::Get().Reenumerations(), c.result);
    }
}

} // namespace
