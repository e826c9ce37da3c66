// The confirmation page headless, each test one road through the whole wizard: Finish, the
// workers, the status line in order, the outcome box, and what is left on the machine.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "pages/Step5.h"
#include "platform/sim/SimDevices.h"
#include "platform/sim/SimPrintUI.h"
#include "platform/sim/SimSpooler.h"
#include "res/resource.h"
#include "tests/host/PageTest.h"
#include "tests/host/WizardWalk.h"

namespace {

using sim::PrintUI;
using sim::Spooler;
using sim::SpoolerCall;

const char kRemoving[] = "正在删除所要替换的驱动...";
const char kInstalling[] = "正在安装打印机驱动...";
const char kSucceeded[] = "打印机驱动已成功安装！";
const char kFailed[] = "打印机驱动安装失败！";
const WString kKx500 = WTEXT("Veltra KX-500");
const WString kKx680 = WTEXT("Veltra KX-680");

// What the user was shown as the outcome.
struct Outcome {
    std::string text;
    std::string caption;
    unsigned style;
};
const Outcome kSuccessBox = {"打印机驱动安装成功！", "OK", MbOk | MbIconInformation};
const Outcome kFailureBox = {"打印机驱动安装失败！", "ERROR", MbOk | MbIconError};

class ConfirmationPage : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        WriteSamplePackage(theInstaller.GetPrinterInfoFile(), theInstaller.GetDriverInf());
    }
    // Walks to the confirmation page with this model and port chosen.
    void WalkToConfirmation(const char* model, const char* port) {
        OpenWizard();
        ASSERT_TRUE(Press(WizardButton::Next));
        SelectItem(IDC_STEP3_DRIVERS, model);
        ASSERT_TRUE(Press(WizardButton::Next));
        SelectItem(IDC_STEP2_PORTS, port);
        ASSERT_TRUE(Press(WizardButton::Next));
        ASSERT_EQ(Caption(), "卓澜打印机驱动安装步骤4");
    }
    // Presses Finish and waits, as a user does, until the wizard has settled.
    void Finish() {
        ASSERT_TRUE(Press(WizardButton::Finish));
        Wizard().RunUntilSettled();
    }
    std::vector<std::string> StatusTexts() {
        std::vector<std::string> texts;
        for (const WString& text : Wizard().ActiveDialog().TextsShown(IDC_STEP5_STATUS)) {
            texts.push_back(U8(text));
        }
        return texts;
    }
    std::vector<Outcome> Boxes() {
        std::vector<Outcome> boxes;
        for (const sim::MessageBoxRecord& box : Machine().MessageBoxes()) {
            EXPECT_EQ(U8(box.ownerCaption), "卓澜打印机驱动安装步骤4") << "owned by the page";
            boxes.push_back({U8(box.text), U8(box.caption), box.style});
        }
        return boxes;
    }
    void ExpectButtonsEnabled(bool enabled) {
        EXPECT_EQ(Wizard().IsButtonEnabled(sim::kBackButton), enabled);
        EXPECT_EQ(Wizard().IsButtonEnabled(sim::kFinishButton), enabled);
        EXPECT_EQ(Wizard().IsButtonEnabled(sim::kCancelButton), enabled);
    }
    // Nothing the installation opened is left open, nothing hung. A worker may still be
    // returning after it handed over its outcome.
    void ExpectNothingLeft() {
        Machine().JoinThreads();
        EXPECT_EQ(Machine().openEvents.load(), 0);
        EXPECT_EQ(Machine().openThreadHandles.load(), 0);
        EXPECT_EQ(Machine().RunningThreads(), 0);
        EXPECT_EQ(Spooler::Get().OpenHandleCount(), 0u);
        EXPECT_EQ(sim::Devices::Get().OpenHandleCount(), 0u);
        EXPECT_EQ(Machine().hangs.load(), 0);
    }
    std::vector<std::string> Commands() {
        std::vector<std::string> switches;
        for (const sim::ProgramLaunch& launch : PrintUI::Get().Launches()) {
            switches.push_back(U8(launch.parameters.substr(25, 3)));
        }
        return switches;
    }
};

bool operator==(const Outcome& a, const Outcome& b) {
    return a.text == b.text && a.caption == b.caption && a.style == b.style;
}

TEST_F(ConfirmationPage, AFirstInstallationOnLpt1EndsWithTheOkBoxAndTheWizardClosed) {
    WalkToConfirmation("Veltra KX 500", "LPT1:");
    EXPECT_EQ(U8(Wizard().Text(IDC_STEP5_DRIVER)), "驱动：Veltra KX-500");
    EXPECT_EQ(U8(Wizard().Text(IDC_STEP5_PORT)), "端口：LPT1:");
    EXPECT_EQ(U8(Wizard().Text(IDC_STEP5_CONFIRM)),
              "单击完成按扭后，本向导会按照前面几个步骤的设置，自动完成打印机驱动的安装。");
    EXPECT_EQ(U8(Wizard().Text(IDC_STEP5_STATUS_LABEL)), "状态：");
    ExpectButtonsEnabled(true);

    Finish();

    EXPECT_EQ(StatusTexts(), (std::vector<std::string>{"", kInstalling, kSucceeded}));
    EXPECT_EQ(Boxes(), (std::vector<Outcome>{kSuccessBox}));
    EXPECT_FALSE(Wizard().IsOpen());
    EXPECT_EQ(Wizard().Result(), SheetCancelled) << "closed the way Cancel closes it";
    EXPECT_EQ(Commands(), (std::vector<std::string>{"/if", "/y "}));
    EXPECT_EQ(U8(Spooler::Get().FindPrinter(kKx500)->port), "LPT1:");
    EXPECT_EQ(U8(Spooler::Get().DefaultPrinter()), "Veltra KX-500");
    EXPECT_EQ(PrintUI::Get().TestPages(kKx500), 0);
    EXPECT_EQ(sim::Devices::Get().Reenumerations(), 0) << "nothing removed, no rescan";
    EXPECT_EQ(theInstaller.GetDefaultFlag(), 1);
    EXPECT_EQ(theInstaller.GetTestPageFlag(), 0);
    ExpectNothingLeft();
}

TEST_F(ConfirmationPage, AReinstallationRemovesThePrinterItsCopiesAndTheDriverButNoLookAlike) {
    Spooler& spooler = Spooler::Get();
    const WString oldDriverFile = WTEXT("C:\\Windows\\System32\\spool\\drivers\\x64\\3\\KX500.GPD");
    const WString sharedFile = WTEXT("C:\\Windows\\System32\\spool\\drivers\\x64\\3\\VELTRAKX.INI");
    Machine().WriteFile(oldDriverFile, "*GPDFileVersionNum: 1.0");
    Machine().WriteFile(sharedFile, "[Veltra]");
    spooler.AddDriver(kKx500, {oldDriverFile, sharedFile});
    spooler.AddDriver(kKx680, {sharedFile});
    spooler.AddDriver(WTEXT("Other"));
    ASSERT_TRUE(spooler.AddPrinter(kKx500 + WTEXT(" (Copy 1)"), WTEXT("COM1:"), kKx500));
    ASSERT_TRUE(spooler.AddPrinter(WTEXT("VELTRA KX-500"), WTEXT("COM1:"), kKx500));
    ASSERT_TRUE(spooler.AddPrinter(kKx500 + WTEXT("X"), WTEXT("COM1:"), WTEXT("Other")));
    ASSERT_TRUE(spooler.AddPrinter(kKx500 + WTEXT("0(二楼)"), WTEXT("COM2:"), WTEXT("Other")));
    ASSERT_TRUE(spooler.QueueJobs(kKx500, 2));
    ASSERT_TRUE(spooler.QueueJobs(kKx500 + WTEXT(" (Copy 1)"), 1));
    ASSERT_TRUE(spooler.SetDefaultPrinter(kKx500));
    WalkToConfirmation("Veltra KX 500", "LPT2:");
    // What the user sees while the page waits for the removal.
    std::vector<bool> buttonsWhileRemoving;
    spooler.onCall = [&](const sim::SpoolerCallRecord& call) {
        if (call.call == SpoolerCall::DeletePrinter && buttonsWhileRemoving.empty()) {
            for (int id : {sim::kBackButton, sim::kFinishButton, sim::kCancelButton}) {
                buttonsWhileRemoving.push_back(Wizard().IsButtonEnabled(id));
            }
        }
    };

    Finish();

    EXPECT_EQ(StatusTexts(), (std::vector<std::string>{"", kRemoving, kInstalling, kSucceeded}));
    EXPECT_EQ(buttonsWhileRemoving, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(Boxes(), (std::vector<Outcome>{kSuccessBox}));
    EXPECT_EQ(spooler.CallCount(SpoolerCall::Purge), 2u);
    EXPECT_FALSE(spooler.FindPrinter(kKx500 + WTEXT(" (Copy 1)")));
    EXPECT_EQ(U8(spooler.FindPrinter(kKx500 + WTEXT("X"))->port), "COM1:") << "not a copy";
    EXPECT_TRUE(spooler.FindPrinter(kKx500 + WTEXT("0(二楼)"))) << "no blank before (: not a copy";
    EXPECT_EQ(U8(spooler.FindPrinter(kKx500)->name), "Veltra KX-500") << "the new printer";
    EXPECT_EQ(U8(spooler.FindPrinter(kKx500)->port), "LPT2:");
    EXPECT_EQ(U8(spooler.DefaultPrinter()), "Veltra KX-500");
    std::string bytes;
    EXPECT_FALSE(Machine().ReadFile(oldDriverFile, bytes)) << "the old driver went with its files";
    EXPECT_TRUE(Machine().ReadFile(sharedFile, bytes)) << "but not with the one KX-680 shares";
    EXPECT_EQ(sim::Devices::Get().Reenumerations(), 1);
    ExpectNothingLeft();
}

TEST_F(ConfirmationPage, ACataloguedUsbPrinterTakesThePlugAndPlayRoute) {
    sim::UsbPrinter printer;
    printer.devicePath =
        WTEXT("\\\\?\\usb#vid_1a2b&pid_0680#1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
    printer.deviceId = sim::DeviceIdBytes("MFG:Veltra;MDL:Veltra KX-680;CLS:PRINTER;");
    printer.hardwareIds = {WTEXT("USBPRINT\\VELTRAKX-680D2C1")};
    sim::Devices::Get().Attach(printer);
    WalkToConfirmation("Veltra KX-680", "COM2:");

    Finish();

    EXPECT_EQ(StatusTexts(), (std::vector<std::string>{"", kInstalling, kSucceeded}));
    EXPECT_EQ(Boxes(), (std::vector<Outcome>{kSuccessBox}));
    EXPECT_EQ(Commands(), (std::vector<std::string>{"/y "})) << "no print UI install";
    // Windows names the printer after the INF's model, in its capitals; printer names ignore
    // case, so the default-printer command still finds it.
    EXPECT_EQ(U8(Spooler::Get().FindPrinter(kKx680)->name), "VELTRA KX-680");
    EXPECT_EQ(U8(Spooler::Get().FindPrinter(kKx680)->port), "USB001") << "the device's port";
    EXPECT_EQ(U8(Spooler::Get().DefaultPrinter()), "VELTRA KX-680");
    ExpectNothingLeft();

    // Unplugged, then installed again on LPT1:: the queue plug and play made goes, the new
    // printer becomes the default one.
    sim::Devices::Get().Reset();
    const WalkSeen again = WalkWizard("Veltra KX-680", "LPT1:");
    EXPECT_EQ(again.route, "print UI");
    EXPECT_EQ(again.status, kSucceeded);
    const std::vector<sim::SpoolerPrinter> printers = Spooler::Get().Printers();
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(U8(printers[0].name), "Veltra KX-680");
    EXPECT_EQ(U8(printers[0].port), "LPT1:");
    EXPECT_EQ(U8(Spooler::Get().DefaultPrinter()), "Veltra KX-680");
}

// A numbered copy from long ago is no proof of this installation: only the print UI's own
// printer is.
TEST_F(ConfirmationPage, AFailureLeavesThePageForBackAndASecondFinish) {
    Spooler::Get().AddDriver(kKx500);
    ASSERT_TRUE(Spooler::Get().AddPrinter(kKx500 + WTEXT(" (Copy 1)"), WTEXT("COM1:"), kKx500));
    ASSERT_TRUE(Spooler::Get().AddPrinter(kKx500, WTEXT("COM3:"), kKx500));
    Spooler::Get().ChangePrinter(kKx500, [](PrinterSettings& s) { s.comment = WTEXT("前台"); });
    // First a package whose INF does not name the driver: it fails before anything is removed.
    std::string inf;
    ASSERT_TRUE(Machine().ReadFile(theInstaller.GetDriverInf(), inf));
    Machine().WriteFile(theInstaller.GetDriverInf(), "  \"VELTRA KX-680\" = KX680.GPD\r\n");
    WalkToConfirmation("Veltra KX 500", "LPT1:");
    Finish();
    EXPECT_EQ(StatusTexts(), (std::vector<std::string>{"", kFailed}));
    EXPECT_TRUE(Commands().empty());
    EXPECT_TRUE(Spooler::Get().FindPrinter(kKx500 + WTEXT(" (Copy 1)"))) << "the old copy stays";
    EXPECT_TRUE(Spooler::Get().HasDriver(kKx500)) << "and so does its driver";
    Machine().WriteFile(theInstaller.GetDriverInf(), inf);
    PrintUI::Get().SetOutcome(sim::CommandOutcome::DoesNothing);

    Finish();

    EXPECT_TRUE(Wizard().IsOpen());
    EXPECT_EQ(StatusTexts(),
              (std::vector<std::string>{"", kFailed, kRemoving, kInstalling, kFailed}));
    EXPECT_EQ(Boxes(), (std::vector<Outcome>{kFailureBox, kFailureBox}));
    ExpectButtonsEnabled(true);
    EXPECT_EQ(Commands(), (std::vector<std::string>{"/if"})) << "no default for a failure";
    EXPECT_EQ(Machine().openEvents.load(), 0);

    // Then a print UI that outlives the wizard's wait: the retry waits for it to end first.
    PrintUI::Get().SetOutcome(sim::CommandOutcome::Runs);
    PrintUI::Get().commandMs = 150000;
    ASSERT_TRUE(Press(WizardButton::Back));
    SelectItem(IDC_STEP2_PORTS, "LPT2:");
    ASSERT_TRUE(Press(WizardButton::Next));
    EXPECT_EQ(U8(Wizard().Text(IDC_STEP5_PORT)), "端口：LPT2:");
    EXPECT_EQ(U8(Wizard().Text(IDC_STEP5_STATUS)), "") << "cleared on return";
    Finish();
    PrintUI::Get().commandMs = 0;
    std::vector<sim::ProgramState> lateAtEachCall;
    Spooler::Get().onCall = [&](const sim::SpoolerCallRecord&) {
        lateAtEachCall.push_back(PrintUI::Get().Launches()[1].state);
    };
    Finish();

    ASSERT_FALSE(lateAtEachCall.empty());
    EXPECT_EQ(lateAtEachCall[0], sim::ProgramState::Finished) << "the spooler touched beside it";
    EXPECT_EQ(StatusTexts(), (std::vector<std::string>{"", kFailed, kRemoving, kInstalling, kFailed,
                                                       "", kInstalling, kFailed, kInstalling,
                                                       kRemoving, kInstalling, kSucceeded}));
    EXPECT_EQ(Boxes(), (std::vector<Outcome>{kFailureBox, kFailureBox, kFailureBox, kSuccessBox}));
    EXPECT_FALSE(Wizard().IsOpen());
    ASSERT_EQ(Spooler::Get().Printers().size(), 1u) << "neither the old copy nor a new one";
    EXPECT_EQ(U8(Spooler::Get().FindPrinter(kKx500)->port), "LPT2:");
    EXPECT_EQ(U8(Spooler::Get().FindPrinter(kKx500)->settings.comment), "前台")
        << "what the second Finish saved before it removed the old printer";
    ExpectNothingLeft();
}

// Timer 1 may tick while the installation thread still pauses before it sets the event: the
// handler waits for it and reports once.
TEST_F(ConfirmationPage, ATickBeforeTheOutcomeWaitsForItAndReportsOnce) {
    WalkToConfirmation("Veltra KX 500", "LPT1:");
    bool tickedFirst = false;
    Machine().onSleep = [&](unsigned long ms) {
        if (ms != 100) {
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (Wizard().TimerTicks() == 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        tickedFirst = Wizard().TimerTicks() > 0;
    };

    Finish();

    EXPECT_TRUE(tickedFirst);
    EXPECT_EQ(Boxes(), (std::vector<Outcome>{kSuccessBox}));
    ExpectNothingLeft();
}

// Closing the wizard any way while a worker runs would take the page from under it, and a
// second Finish (another program can send one past the disabled button) would start a second
// installation over the first.
TEST_F(ConfirmationPage, NoWayOfClosingOrFinishingAgainWorksWhileAWorkerRuns) {
    WalkToConfirmation("Veltra KX 500", "LPT1:");
    std::vector<bool> closed;
    PrintUI::Get().onLaunch = [&](const sim::ProgramLaunch& launch) {
        if (launch.parameters.find(WTEXT("/if")) == WString::npos) {
            return;
        }
        Wizard().Send([&] {
            closed.push_back(Wizard().Press(WizardButton::Cancel));
            for (auto how : {sim::CloseRequest::CloseBox, sim::CloseRequest::AltF4,
                             sim::CloseRequest::Escape}) {
                closed.push_back(Wizard().RequestClose(how));
            }
            closed.push_back(Wizard().ActivePage()->OnWizardFinish());
            return std::intptr_t(0);
        });
    };

    Finish();

    EXPECT_EQ(closed, (std::vector<bool>{false, false, false, false, false}));
    EXPECT_EQ(Commands(), (std::vector<std::string>{"/if", "/y "})) << "one installation";
    EXPECT_EQ(Boxes(), (std::vector<Outcome>{kSuccessBox}));
    EXPECT_EQ(Wizard().Result(), SheetCancelled);
    ExpectNothingLeft();
}

// A model without a driver entry leaves the driver name empty: the spooler would take an
// empty name for the print server, and "A(B" would pass for a copy. Nothing is touched.
TEST_F(ConfirmationPage, AnEmptyDriverNameRemovesAndStartsNothing) {
    Spooler::Get().AddDriver(WTEXT("Other"));
    ASSERT_TRUE(Spooler::Get().AddPrinter(WTEXT("A(B"), WTEXT("LPT1:"), WTEXT("Other")));
    WalkToConfirmation("Veltra KX-90 经济型", "LPT1:");

    Finish();

    EXPECT_EQ(StatusTexts(), (std::vector<std::string>{"", kFailed}));
    EXPECT_EQ(Boxes(), (std::vector<Outcome>{kFailureBox}));
    ExpectButtonsEnabled(true);
    EXPECT_TRUE(PrintUI::Get().Launches().empty());
    EXPECT_TRUE(Spooler::Get().FindPrinter(WTEXT("A(B")));
    EXPECT_EQ(Spooler::Get().CallCount(SpoolerCall::OpenPrinter), 0u);
    ExpectNothingLeft();
}

// When the platform cannot give the page an event, a thread, its timer or its message, the
// user still gets an outcome that tells the truth, and the page never hangs.
struct CreationFailure {
    const char* what;
    sim::Operation operation;
    unsigned nth;
    bool printerBefore;
    std::vector<std::string> status;
    Outcome box;
    bool open;
};

void PrintTo(const CreationFailure& failure, std::ostream* out) {
    *out << failure.what;
}

class CreationFailures : public ConfirmationPage,
                         public testing::WithParamInterface<CreationFailure> {};

TEST_P(CreationFailures, EndInAnHonestOutcome) {
    const CreationFailure& c = GetParam();
    if (c.printerBefore) {
        Spooler::Get().AddDriver(kKx500);
        ASSERT_TRUE(Spooler::Get().AddPrinter(kKx500, WTEXT("LPT3:"), kKx500));
    }
    WalkToConfirmation("Veltra KX 500", "LPT1:");
    Machine().Fail(c.operation, 0, c.nth);

    Finish();

    EXPECT_EQ(StatusTexts(), c.status);
    EXPECT_EQ(Boxes(), (std::vector<Outcome>{c.box}));
    EXPECT_EQ(Wizard().IsOpen(), c.open);
    if (c.open) {
        ExpectButtonsEnabled(true);
    }
    ExpectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(
    ConfirmationPage, CreationFailures,
    testing::Values(
        CreationFailure{
            "RemovalEvent", sim::Operation::CreateEvent, 1, true, {"", kFailed}, kFailureBox, true},
        CreationFailure{"RemovalThread",
                        sim::Operation::CreateThread,
                        1,
                        true,
                        {"", kRemoving, kFailed},
                        kFailureBox,
                        true},
        CreationFailure{"InstallationEvent",
                        sim::Operation::CreateEvent,
                        1,
                        false,
                        {"", kFailed},
                        kFailureBox,
                        true},
        CreationFailure{"InstallationThread",
                        sim::Operation::CreateThread,
                        1,
                        false,
                        {"", kFailed},
                        kFailureBox,
                        true},
        CreationFailure{"TimerReportedAtOnce",
                        sim::Operation::SetTimer,
                        sim::kEveryTime,
                        false,
                        {"", kInstalling, kSucceeded},
                        kSuccessBox,
                        false},
        CreationFailure{"TimerRequestReportedAtOnce",
                        sim::Operation::PostMessage,
                        1,
                        false,
                        {"", kInstalling, kSucceeded},
                        kSuccessBox,
                        false}),
    [](const testing::TestParamInfo<CreationFailure>& param) { return param.param.what; });

} // namespace
