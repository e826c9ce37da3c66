// The installer's engine on the win32 back end under Wine: rundll32 started from the system
// directory and waited for, the print UI stand-in installing a printer that the engine then
// sees and removes, fake USB printers found and asked for their device ID through the real
// SetupAPI, and the configuration manager and device installer as Wine answers them. Where
// Wine answers otherwise than Windows, the test says so. Needs the stand-in and, for the
// Win32FakeUsb tests, the fake USB printers of the 64-bit test prefix (tools/test sets both up).
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "StandIn.h"
#include "UsbSteps.h"
#include "installer/DriverInstaller.h"
#include "platform/DeviceManager.h"
#include "platform/Process.h"
#include "platform/Spooler.h"
#include "usb/USBPort.h"

namespace {

const wchar_t kDriver[] = L"Veltra Win32 Engine Test";
const wchar_t kPort[] = L"LPT3:";
const wchar_t kPrinterId[] = L"ROOT\\VID_1A2B&PID_0680\\0000";
const wchar_t kCatalogued[] = L"MFG:Veltra;CMD:ESC/P;MDL:Veltra KX-680;CLS:PRINTER;";
constexpr unsigned long kAtOnce = 0;
constexpr unsigned long kLate = 200;
constexpr unsigned long kNever = 0xFFFFFFFF;
// Wine's DeletePrinterDriverExW fails with ERROR_INVALID_PARAMETER whatever it is given.
constexpr DWORD kWineDeleteDriverError = ERROR_INVALID_PARAMETER;
// Wine's CM_Locate_DevNodeW fails with CR_FAILURE.
constexpr ConfigResult kWineLocateResult = 0x13;

std::wstring Folder(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Folder(path);
}

// Plugs fake USB printers in and pulls them out again when it goes.
class FakePrinters {
public:
    void Attach(const wchar_t* instanceId, const wchar_t* deviceId, unsigned long delayMs) {
        Run(driver::StepKind::UsbAttach, instanceId, deviceId, delayMs);
    }
    void Set(const wchar_t* instanceId, const wchar_t* deviceId, unsigned long delayMs) {
        Run(driver::StepKind::UsbSet, instanceId, deviceId, delayMs);
    }

private:
    void Run(driver::StepKind kind, const wchar_t* instanceId, const wchar_t* deviceId,
             unsigned long delayMs) {
        driver::Step step;
        step.kind = kind;
        step.name = instanceId;
        step.text = deviceId;
        step.usbDelayMs = delayMs;
        std::wstring detail;
        std::wstring error;
        ASSERT_TRUE(m_printers.run(step, detail, error)) << std::string(error.begin(), error.end());
    }
    driver::FakeUsbPrinters m_printers;
};

// Reads the attached printer's device ID; false when nothing could be opened.
bool ReadDeviceId(std::string& answer, bool& answered, DWORD& elapsedMs) {
    CUSBPort port;
    std::wstring vid;
    std::wstring pid;
    if (!port.OpenUsbPrinter(vid, pid)) {
        return false;
    }
    unsigned char buffer[kDeviceIdCapacity] = {};
    unsigned long returned = 0;
    const DWORD start = GetTickCount();
    answered = port.GetDeviceId(buffer, kDeviceIdCapacity, returned);
    elapsedMs = GetTickCount() - start;
    // The request is over either way: nothing may write into the buffer any more.
    Sleep(kLate * 2);
    answer.assign(reinterpret_cast<const char*>(buffer), returned);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer + returned)), "")
        << "written past the answer";
    EXPECT_TRUE(port.CloseDevice());
    return true;
}

// A rundll32.exe planted beside the program and in the current folder (a copy of hostname.exe,
// which ends at once and does nothing) is never started: the stand-in that the system's own
// rundll32 loads logs the command, after the delay it was told to take, with the program and
// the current folder it ran in: the system directory's, not ours.
TEST(Win32Launcher, StartsTheSystemsRundll32AndWaitsForIt) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring planted = ModuleFolder() + L"rundll32.exe";
    ASSERT_TRUE(
        CopyFileW((std::wstring(system) + L"\\hostname.exe").c_str(), planted.c_str(), FALSE));
    SetCurrentDirectoryW(ModuleFolder().c_str());
    std::wstring error;
    ASSERT_TRUE(standin::clearLog(error));
    standin::Settings slow;
    slow.delayMs = kLate * 2;
    ASSERT_TRUE(standin::writeSettings(slow, error));

    const wchar_t kCommand[] = L"PRINTUI.DLL,PrintUIEntry /k /q /n \"Nobody\"";
    unsigned long startError = 0;
    const DWORD start = GetTickCount();
    CSystemProgram printUI;
    EXPECT_TRUE(printUI.Start(L"rundll32.exe", kCommand, startError));
    EXPECT_TRUE(printUI.Wait(20000));
    EXPECT_GE(GetTickCount() - start, slow.delayMs) << "returned before the command ended";
    std::vector<standin::LogEntry> log;
    ASSERT_TRUE(standin::readLog(log, error));
    ASSERT_EQ(log.size(), 1u) << "the planted rundll32 ran instead";
    EXPECT_EQ(log[0].commandLine, L"/k /q /n \"Nobody\"");
    EXPECT_EQ(log[0].program, std::wstring(system) + L"\\rundll32.exe");
    EXPECT_EQ(log[0].folder, system);

    standin::writeSettings({}, error);
    DeleteFileW(planted.c_str());
}

TEST(Win32Engine, ThePrintUIInstallsAPrinterThatTheEngineSeesAndRemoves) {
    // The package's driver INF beside us, where the installer record looks for it.
    CDriverInstaller installer;
    CreateDirectoryW((ModuleFolder() + L"PrinterDriver").c_str(), nullptr);
    std::ofstream(installer.GetDriverInf()) << "; driver INF\n";
    std::wstring error;
    ASSERT_TRUE(standin::clearLog(error));
    installer.SetDriverName(kDriver);
    installer.SetPortName(kPort);
    installer.SetDefaultFlag(1);

    EXPECT_EQ(installer.InstallWithPrintUI(), 1);
    EXPECT_EQ(installer.IsPrinterInstalled(kDriver), 1);
    EXPECT_EQ(installer.MakeDefaultPrinter(), 1);
    EXPECT_EQ(standin::defaultPrinter(), kDriver);
    std::vector<standin::LogEntry> log;
    ASSERT_TRUE(standin::readLog(log, error));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].commandLine, L"/if /n \"" + std::wstring(kDriver) + L"\" /f \"" +
                                      installer.GetDriverInf() + L"\" /r \"LPT3:\" /m \"" +
                                      kDriver + L"\" ");

    bool installed = false;
    std::wstring package;
    EXPECT_TRUE(SpoolerFindDriver(kDriver, installed, package));
    EXPECT_TRUE(installed);
    EXPECT_EQ(installer.RemovePrinterAndDriver(kDriver), 1)
        << "Wine takes no deletion flag: asked again without one, it deletes the driver";
    EXPECT_EQ(installer.IsPrinterInstalled(kDriver), 0) << "the printer is gone";
    EXPECT_TRUE(SpoolerFindDriver(kDriver, installed, package));
    EXPECT_FALSE(installed) << "and so is the driver";
    EXPECT_FALSE(SpoolerDeletePrinterDriver(kDriver, true));
    EXPECT_EQ(GetLastError(), kWineDeleteDriverError);
    standin::deleteDriver(kDriver, nullptr, error);
}

TEST(Win32Usb, WithNoPrinterAttachedNothingOpens) {
    CUSBPort port;
    std::wstring vid;
    std::wstring pid;
    EXPECT_FALSE(port.OpenUsbPrinter(vid, pid));
    unsigned char buffer[kDeviceIdCapacity] = {};
    unsigned long returned = 0;
    EXPECT_FALSE(port.GetDeviceId(buffer, kDeviceIdCapacity, returned));
    EXPECT_FALSE(port.CloseDevice());
}

TEST(Win32FakeUsb, AnInterfaceWithoutPidIsSkipped) {
    FakePrinters printers;
    printers.Attach(L"ROOT\\VID_1A2B\\0000", kCatalogued, kAtOnce);
    CUSBPort port;
    std::wstring vid = L"-";
    std::wstring pid = L"-";
    EXPECT_FALSE(port.OpenUsbPrinter(vid, pid));
    EXPECT_EQ(vid + pid, L"--");
}

TEST(Win32FakeUsb, TheDeviceIdComesAtOnceOrLateAndALateOneIsCancelled) {
    FakePrinters printers;
    printers.Attach(kPrinterId, kCatalogued, kAtOnce);
    {
        CUSBPort port;
        std::wstring vid;
        std::wstring pid;
        ASSERT_TRUE(port.OpenUsbPrinter(vid, pid));
        EXPECT_EQ(vid, L"1A2B");
        EXPECT_EQ(pid, L"0680");
    }
    const struct {
        unsigned long delayMs;
        bool answered;
    } cases[] = {{kAtOnce, true}, {kLate, true}, {kNever, false}, {kAtOnce, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.delayMs);
        printers.Set(kPrinterId, kCatalogued, c.delayMs);
        std::string answer;
        bool answered = false;
        DWORD elapsedMs = 0;
        ASSERT_TRUE(ReadDeviceId(answer, answered, elapsedMs));
        EXPECT_EQ(answered, c.answered);
        if (c.answered) {
            std::vector<unsigned char> bytes(answer.begin(), answer.end());
            EXPECT_EQ(ExtractDeviceIdModel(bytes.data(), bytes.size()), L"Veltra KX-680");
        } else {
            EXPECT_EQ(answer, "");
            EXPECT_GE(elapsedMs, kDeviceIdWaitMs - 50) << "gave up before 500 ms";
        }
    }
}

TEST(Win32FakeUsb, TheInstallerReadsTheAttachedPrintersModel) {
    FakePrinters printers;
    printers.Attach(kPrinterId, kCatalogued, kAtOnce);
    CDriverInstaller installer;
    std::wstring model;
    EXPECT_EQ(installer.GetUsbPrinterModel(model), 1);
    EXPECT_EQ(model, L"Veltra KX-680");
}

TEST(Win32DeviceManager, WineAnswersTheRescanAndTheUpdateItsOwnWay) {
    CDriverInstaller installer;
    testing::internal::CaptureStdout();
    const int rescanned = installer.RescanDevices();
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "CM_Locate_DevNode failed: 13\n");
    EXPECT_EQ(rescanned, 0) << "Wine has no device tree root to locate";
    DeviceNode root = 0;
    EXPECT_EQ(DeviceTreeLocateRoot(root), kWineLocateResult);

    // Windows fails when no present device has the id; Wine says it worked.
    bool restart = true;
    EXPECT_TRUE(UpdatePnPDeviceDriver(L"USBPRINT\\VELTRANOSUCHDEVICE", installer.GetDriverInf(),
                                      true, restart));
    EXPECT_FALSE(restart);
}

} // namespace
