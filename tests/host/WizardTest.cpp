// The application and the wizard frame, driven headless as a user drives the real wizard.
#include <gtest/gtest.h>

#include "app/OrvaneApp.h"
#include "app/SetupRun.h"
#include "installer/DriverInstaller.h"
#include "pages/Step1.h"
#include "platform/sim/SimDevices.h"
#include "platform/sim/SimPrintUI.h"
#include "platform/sim/SimSpooler.h"
#include "res/resource.h"
#include "tests/host/TestSupport.h"

namespace {

using sim::SimSheet;
using sim::Spooler;

const WString kStep1Caption = WTEXT("卓澜打印机驱动安装步骤1");
const WString kStep2Caption = WTEXT("卓澜打印机驱动安装步骤2");
const WString kStep3Caption = WTEXT("卓澜打印机驱动安装步骤3");
const WString kStep4Caption = WTEXT("卓澜打印机驱动安装步骤4");

const WString kKx500 = WTEXT("Veltra KX-500");
const WString kProgram = WTEXT("\"C:\\VeltraSetup\\VeltraSetup.exe\" ");
const WString kInstall = WTEXT("/quiet /model \"veltra kx 500\" /log C:\\setup.log ");

// Every printer as "name|port", the default printer, then whether the driver and packages
// are installed.
std::string SpoolerHolds() {
    std::string holds;
    for (const sim::SpoolerPrinter& printer : Spooler::Get().Printers()) {
        holds += U8(printer.name) + "|" + U8(printer.port) + "; ";
    }
    return holds + "default: " + U8(Spooler::Get().DefaultPrinter()) +
           (Spooler::Get().HasDriver(kKx500) ? "; driver" : "") + "; store " +
           std::to_string(Spooler::Get().DriverStore().size());
}
// A catalogued KX-500 on USB.
void AttachKx500() {
    sim::UsbPrinter printer;
    printer.devicePath =
        WTEXT("\\\\?\\usb#vid_1a2b&pid_0500#1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}");
    printer.deviceId = sim::DeviceIdBytes("MFG:Veltra;MDL:Veltra KX 500;");
    printer.hardwareIds = {WTEXT("USBPRINT\\VELTRAKX-5004C7E")};
    sim::Devices::Get().Attach(printer);
}

// The log's steps and outcomes, "step:outcome" a line ("step:failed:code" with an error code).
std::string LogSteps() {
    std::string bytes, steps;
    sim::Machine::Get().ReadFile(WTEXT("C:\\setup.log"), bytes);
    for (std::size_t at = 0; (at = bytes.find('\t', at)) != std::string::npos;) {
        const std::size_t outcome = bytes.find('\t', at + 1), code = bytes.find('\t', outcome + 1);
        const std::size_t end = bytes.find('\n', at);
        const std::string step = bytes.substr(at + 1, outcome - at - 1),
                          said = bytes.substr(outcome + 1, code - outcome - 1),
                          number = bytes.substr(code + 1, bytes.find('\t', code + 1) - code - 1);
        const bool failedStep = said == "failed" && step != "end" && !number.empty();
        steps += step + ":" + said + (failedStep ? ":" + number : "") + " ";
        const std::size_t processId = bytes.rfind('\t', end) + 1; // the last field
        EXPECT_EQ(bytes.substr(processId, end - processId),
                  std::to_string(sim::kDefaultProcessId) + "\r");
        at = end;
    }
    return steps;
}

class Wizard : public SimTest {
protected:
    void TearDown() override {
        // The global record is shared by every test in this binary; give it back as it was.
        SimTest::TearDown();
        theInstaller = CDriverInstaller();
    }

    // Runs the application with the given user; returns what InitInstance returned.
    bool RunApp(ScriptedUser& user) {
        Machine().user = std::ref(user);
        return theApp.InitInstance();
    }

    // Runs the application on a fresh machine with the sample package, what `scene` laid out
    // and these arguments, as a deployment engine starts it; it must never go on running.
    void RunFresh(const WString& arguments, const std::function<void()>& scene) {
        Machine().Reset();
        theInstaller = CDriverInstaller();
        WriteSamplePackage(theInstaller.GetPrinterInfoFile(), theInstaller.GetDriverInf());
        scene();
        Machine().commandLine = kProgram + arguments;
        EXPECT_FALSE(theApp.InitInstance());
    }
};

// What the user saw on each page: caption and the state of the buttons.
struct Seen {
    WString caption;
    bool back, next, finish, help;
};

Seen Look(SimSheet& s) {
    return {s.ActiveCaption(), s.IsButtonEnabled(sim::kBackButton),
            s.IsButtonEnabled(sim::kNextButton), s.IsButtonVisible(sim::kFinishButton),
            s.IsButtonVisible(sim::kHelpButton)};
}

TEST_F(Wizard, NextWalksWelcomeDriverPortConfirmationThenCancelEnds) {
    std::vector<Seen> seen;
    auto lookAndPress = [&](WizardButton button) {
        return [&seen, button](SimSheet& s) {
            seen.push_back(Look(s));
            EXPECT_TRUE(s.Press(button));
        };
    };
    ScriptedUser user({lookAndPress(WizardButton::Next), lookAndPress(WizardButton::Next),
                       lookAndPress(WizardButton::Next), lookAndPress(WizardButton::Cancel)});

    EXPECT_FALSE(RunApp(user));

    // caption, Back enabled, Next enabled, Finish shown, Help shown
    const Seen expected[] = {
        {kStep1Caption, false, true, false, false},
        {kStep2Caption, true, true, false, false},
        {kStep3Caption, true, true, false, false},
        {kStep4Caption, true, false, true, false},
    };
    ASSERT_EQ(seen.size(), std::size(expected));
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(U8(seen[i].caption), U8(expected[i].caption)) << "page " << i;
        EXPECT_EQ(seen[i].back, expected[i].back) << "Back on page " << i;
        EXPECT_EQ(seen[i].next, expected[i].next) << "Next on page " << i;
        EXPECT_EQ(seen[i].finish, expected[i].finish) << "Finish on page " << i;
        EXPECT_EQ(seen[i].help, expected[i].help) << "Help on page " << i;
    }
    EXPECT_EQ(user.StepsTaken(), std::size(expected));
    EXPECT_EQ(Machine().abandonedSheets, 0) << "the wizard did not close on Cancel";
}

TEST_F(Wizard, StartsTheFrameworkAsExpectedAndShowsNoMessage) {
    ScriptedUser user({[](SimSheet& s) { s.Press(WizardButton::Cancel); }});
    EXPECT_FALSE(RunApp(user));
    EXPECT_EQ(Machine().commonControlsRegistrations, 1);
    EXPECT_EQ(U8(theApp.GetRegistryKey()), "Local AppWizard-Generated Applications");
    EXPECT_TRUE(Machine().MessageBoxes().empty());
}

TEST_F(Wizard, SheetHasItsCaptionAndOnlyTheFourPagesInDisplayOrder) {
    std::vector<int> templates;
    WString caption;
    ScriptedUser user({[&](SimSheet& s) {
        caption = s.Sheet().GetCaption();
        for (int i = 0; i < s.Sheet().GetPageCount(); ++i) {
            templates.push_back(s.Sheet().GetPage(i)->GetTemplateId());
        }
        s.Press(WizardButton::Cancel);
    }});
    RunApp(user);
    EXPECT_EQ(U8(caption), "Veltra Printer Driver Setup");
    EXPECT_EQ(templates, (std::vector<int>{IDD_STEP1, IDD_STEP3, IDD_STEP2, IDD_STEP5}));
}

TEST_F(Wizard, WelcomePageOffersOnlyNextAlsoAfterComingBack) {
    std::vector<Seen> seen;
    auto look = [&](SimSheet& s) { seen.push_back(Look(s)); };
    ScriptedUser user({
        look,
        [](SimSheet& s) { s.Press(WizardButton::Next); },
        [](SimSheet& s) { EXPECT_TRUE(s.Press(WizardButton::Back)); },
        look,
        // Back is disabled here: pressing it must not move the wizard.
        [](SimSheet& s) { EXPECT_FALSE(s.Press(WizardButton::Back)); },
        look,
        [](SimSheet& s) { s.Press(WizardButton::Cancel); },
    });
    RunApp(user);
    ASSERT_EQ(seen.size(), 3u);
    for (const Seen& s : seen) {
        EXPECT_EQ(U8(s.caption), U8(kStep1Caption));
        EXPECT_FALSE(s.back);
        EXPECT_TRUE(s.next);
        EXPECT_FALSE(s.finish);
        EXPECT_FALSE(s.help);
    }
}

TEST_F(Wizard, WelcomeTextIsSetOnceWhenThePageIsCreated) {
    WString first, afterReturn;
    ScriptedUser user({
        [&](SimSheet& s) {
            first = s.Text(IDC_STEP1_WELCOME);
            // Stand-in for anything that changes the static later: a later activation must
            // not write the text again.
            s.ActiveDialog().SetItemText(IDC_STEP1_WELCOME, WTEXT("changed"));
            s.Press(WizardButton::Next);
        },
        [](SimSheet& s) { s.Press(WizardButton::Back); },
        [&](SimSheet& s) {
            afterReturn = s.Text(IDC_STEP1_WELCOME);
            s.Press(WizardButton::Cancel);
        },
    });
    RunApp(user);
    EXPECT_EQ(
        U8(first),
        "欢迎使用卓澜打印机驱动安装向导。\n\n"
        "若已出现了“找到新硬件向导”窗口，请点击“找到新硬件向导”窗口中的“取消”按钮来中断它。\n\n"
        "点击“下一步”按钮选择打印机驱动程序。");
    EXPECT_EQ(U8(afterReturn), "changed");
}

// Every start-up refusal, in their order: the architecture (from IsWow64Process2 where it
// answers, else IsWow64Process), protected print mode, the package path. A refused start shows
// one box and no page; the others open the wizard.
TEST_F(Wizard, EachStartUpRefusalShowsOneClearMessageAndNoWizard) {
    const WString deep = WString(WTEXT("C:\\")) + WString(kMaxModuleDirLength, WTEXT('d')) +
                         WTEXT("\\VeltraSetup.exe");
    const WString policy = WTEXT("SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP");
    constexpr auto x64 = kMachineAmd64, x86 = kMachineI386, arm = kMachineArm64;
    constexpr auto none = kMachineUnknown;
    const char* const kWizard = nullptr;
    struct Row {
        MachineType builtFor;
        bool answers; // IsWow64Process2 exists and answers
        MachineType process, native;
        bool wow64; // IsWow64Process
        const WChar* policyValue;
        sim::Machine::RegistryValue policyData;
        bool deepPath;
        const char* says;
    };
    const sim::Machine::RegistryValue on{true, 1}, off{true, 0}, text{false, 1};
    const Row rows[] = {
        {x64, true, none, x64, false, nullptr, on, false, kWizard},
        {x64, true, none, arm, false, nullptr, on, false, "不支持ARM版Windows"},
        {x64, false, none, none, false, nullptr, on, false, kWizard},
        {x86, true, none, x86, false, nullptr, on, false, kWizard},
        {x86, true, x86, x64, true, nullptr, on, false, "请改用64位（x64）安装包"},
        {x86, true, x86, arm, true, nullptr, on, false, "不支持ARM版Windows"},
        {x86, false, none, none, true, nullptr, on, false, "请改用64位（x64）安装包"},
        {x64, true, none, arm, false, WTEXT("WindowsProtectedPrintMode"), on, true,
         "不支持ARM版Windows"},
        {x64, true, none, x64, false, WTEXT("WindowsProtectedPrintGroupPolicyState"), on, true,
         "受保护的打印模式已打开"},
        {x64, true, none, x64, false, WTEXT("WindowsProtectedPrintMode"), on, false,
         "受保护的打印模式已打开"},
        {x64, true, none, x64, false, WTEXT("WindowsProtectedPrintMode"), off, false, kWizard},
        {x64, true, none, x64, false, WTEXT("WindowsProtectedPrintMode"), text, false, kWizard},
        {x64, true, none, x64, false, nullptr, on, true, "路径过长"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << (&row - rows));
        Machine().Reset();
        Machine().programMachine = row.builtFor;
        Machine().isWow64Process2Answers = row.answers;
        Machine().processMachine = row.process;
        Machine().nativeMachine = row.native;
        Machine().wow64 = row.wow64;
        if (row.policyValue != nullptr) {
            Machine().SetRegistryValue(policy, row.policyValue, row.policyData);
        }
        Machine().modulePath = row.deepPath ? deep : Machine().modulePath;
        theInstaller = CDriverInstaller();
        ScriptedUser user({[](SimSheet& s) { s.Press(WizardButton::Cancel); }});

        EXPECT_FALSE(RunApp(user));

        EXPECT_EQ(user.StepsTaken(), row.says == kWizard ? 1u : 0u);
        ASSERT_EQ(Machine().MessageBoxes().size(), row.says == kWizard ? 0u : 1u);
        if (row.says != kWizard) {
            const sim::MessageBoxRecord box = Machine().MessageBoxes()[0];
            EXPECT_EQ(U8(box.caption), "ERROR");
            EXPECT_NE(U8(box.text).find(row.says), std::string::npos) << U8(box.text);
            EXPECT_EQ(box.style, static_cast<unsigned>(MbOk | MbIconError));
        }
        EXPECT_EQ(theApp.GetExitCode(), 0) << "the wizard ends as it always did";
    }
}

TEST_F(Wizard, UserWhoWalksAwayDoesNotHangTheModalLoop) {
    ScriptedUser nobody({});
    EXPECT_FALSE(RunApp(nobody));
    EXPECT_EQ(Machine().abandonedSheets, 1);
}

// Started by a deployment engine: one row per exit code (1618: the guard's rows), each a
// whole run that must show nothing and leave the spooler as the code says; the last row, without
// /quiet, shows its one box.
TEST_F(Wizard, UnattendedRunsEndWithTheirExitCodeShowNothingAndLeaveTheSpoolerSo) {
    struct Row {
        const char* what;
        WString arguments;
        std::function<void()> scene;
        int exitCode;
        std::string spooler;
        std::string log;
        const char* box = nullptr;
    };
    const std::string kInstalledAlone =
        "Veltra KX-500|COM1:; default: Veltra KX-500; driver; store 1";
    const std::string kInstalledSteps =
        "check:ok stage:ok remove:ok remove:ok delete-driver:ok rescan:ok install:ok restore:ok "
        "default-printer:ok end:ok ";
    const std::string kUntouched =
        "Veltra KX-500|COM1:; Veltra KX-500 (Copy 1)|COM1:; default: ; driver; store 0";
    const WString kUninstall = WTEXT("/uninstall /Q /log C:\\setup.log /MODEL \"Veltra KX 500\"");
    constexpr auto kUntrustedPackage =
        static_cast<SpoolerResult>(0x800B0109u); // CERT_E_UNTRUSTEDROOT
    const auto renamedPrinter = [] {
        sim::DriverTraits traits;
        traits.package = theInstaller.GetDriverInf();
        Spooler::Get().AddDriver(kKx500, {}, traits);
        Spooler::Get().AddPrinter(WTEXT("前台打印机"), WTEXT("LPT1:"), kKx500);
    };
    const auto oldPrinter = [] {
        Spooler::Get().AddDriver(kKx500);
        Spooler::Get().AddPrinter(kKx500, WTEXT("COM1:"), kKx500);
        Spooler::Get().AddPrinter(kKx500 + WTEXT(" (Copy 1)"), WTEXT("COM1:"), kKx500);
    };
    // The guard's name held by another process, `owner`'s object of `kind`.
    const auto held = [oldPrinter](const WString& name, sim::ObjectOwner owner,
                                   sim::ObjectKind kind) {
        return [oldPrinter, name, owner, kind] {
            oldPrinter();
            sim::Machine::Get().HoldMutexElsewhere(name, owner, kind);
        };
    };
    const Row rows[] = {
        {"installed, a mutex of another name held", kInstall + WTEXT("/port lpt2:"),
         held(WTEXT("Other"), sim::ObjectOwner::System, sim::ObjectKind::Mutex), kExitSucceeded,
         "Veltra KX-500|LPT2:; default: Veltra KX-500; driver; store 1",
         "start:install check:ok stage:ok remove:ok remove:ok delete-driver:ok rescan:ok "
         "install:ok restore:ok default-printer:ok end:ok "},
        {"plug and play, restart needed", kInstall + WTEXT("-NoDefault"),
         [] {
             AttachKx500();
             sim::Devices::Get().SetRestartNeeded(true);
         },
         kExitRestartNeeded, "VELTRA KX-500|USB001; default: ; driver; store 1",
         "start:install check:ok stage:ok install:ok restore:skipped end:restart-needed "},
        {"the package lacks the driver", kInstall,
         [oldPrinter] {
             oldPrinter();
             sim::Machine::Get().WriteFile(theInstaller.GetDriverInf(),
                                           "\"VELTRA KX-680\" = KX680.GPD");
         },
         kExitFailed, kUntouched, "start:install check:failed end:failed "},
        {"rundll32 cannot be started: told by the exit code alone", kInstall,
         [oldPrinter] {
             oldPrinter();
             sim::PrintUI::Get().RemoveRundll32();
         },
         kExitFailed, "default: ; store 1",
         "start:install check:ok stage:ok remove:ok remove:ok delete-driver:ok rescan:ok "
         "install:failed:2 end:failed "},
        {"the print UI outlives its 15 minutes: ended", kInstall,
         [] { sim::PrintUI::Get().SetOutcome(sim::CommandOutcome::RunsPastWait); }, kExitFailed,
         "default: ; store 1", "start:install check:ok stage:ok install:failed:1460 end:failed "},
        {"an unlisted port", kInstall + WTEXT("/port LPT9:"), oldPrinter, kExitWrongCommandLine,
         kUntouched, ""},
        {"protected print mode", kInstall,
         [oldPrinter] {
             oldPrinter();
             sim::Machine::Get().SetRegistryValue(
                 WTEXT("SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP"),
                 WTEXT("WindowsProtectedPrintGroupPolicyState"), {true, 1});
         },
         kExitUnsupported, kUntouched, "start:install end:unsupported "},
        {"staging refused: nothing touched", kInstall,
         [oldPrinter] {
             oldPrinter();
             Spooler::Get().stagingResult = kUntrustedPackage;
         },
         kExitFailed, kUntouched, "start:install check:ok stage:failed:0x800B0109 end:failed "},
        {"a copy on another driver and a Remote Desktop printer are not ours", kInstall,
         [oldPrinter] {
             oldPrinter();
             Spooler::Get().AddDriver(WTEXT("Other"));
             Spooler::Get().AddPrinter(kKx500 + WTEXT(" (redirected 2)"), WTEXT("TS001"),
                                       WTEXT("Other"));
             Spooler::Get().AddPrinter(kKx500 + WTEXT(" (Copy 3)"), WTEXT("TS002"), kKx500);
             Spooler::Get().ChangePrinter(kKx500 + WTEXT(" (Copy 3)"), [](PrinterSettings& s) {
                 s.attributes |= kPrinterAttributeRemoteDesktop;
             });
         },
         kExitSucceeded,
         "Veltra KX-500 (redirected 2)|TS001; Veltra KX-500 (Copy 3)|TS002; Veltra "
         "KX-500|COM1:; default: Veltra KX-500; driver; store 1",
         "start:install check:ok stage:ok remove:ok remove:ok delete-driver:failed:3001 rescan:ok "
         "install:ok restore:ok default-printer:ok end:ok "},
        {"uninstalled, copies only",
         WTEXT("/uninstall /Q /log C:\\setup.log /MODEL \"Veltra KX 500\""),
         [] {
             Spooler::Get().AddDriver(kKx500);
             Spooler::Get().AddDriver(WTEXT("Other"));
             Spooler::Get().AddPrinter(kKx500 + WTEXT(" (Copy 2)"), WTEXT("COM1:"), kKx500);
             Spooler::Get().AddPrinter(kKx500 + WTEXT("0(二楼)"), WTEXT("COM2:"), WTEXT("Other"));
         },
         kExitSucceeded, "Veltra KX-5000(二楼)|COM2:; default: ; store 0",
         "start:uninstall remove:ok delete-driver:ok delete-package:skipped end:ok "},
        {"uninstalled: a renamed printer goes, and the package with the driver", kUninstall,
         renamedPrinter, kExitSucceeded, "default: ; store 0",
         "start:uninstall remove:ok delete-driver:ok delete-package:ok end:ok "},
        {"uninstalled where the spooler takes no deletion flag", kUninstall,
         [renamedPrinter] {
             renamedPrinter();
             Spooler::Get().refusesDeletionFlags = true;
         },
         kExitSucceeded, "default: ; store 0",
         "start:uninstall remove:ok delete-driver:ok delete-package:ok end:ok "},
        {"a printer pending deletion keeps the driver", kUninstall,
         [renamedPrinter] {
             renamedPrinter();
             Spooler::Get().QueueJobs(WTEXT("前台打印机"), 1);
             Spooler::Get().Refuse(sim::SpoolerCall::Purge, sim::kErrorAccessDenied);
         },
         kExitFailed, "前台打印机|LPT1:; default: ; driver; store 1",
         "start:uninstall remove:ok delete-driver:failed:3001 end:failed "},
        // The one-setup guard: only a mutex that SYSTEM or administrators own is another
        // setup's; a name that anyone else took is passed by, and the log says so.
        {"another setup holds the guard as SYSTEM", kInstall,
         held(kSetupMutexName, sim::ObjectOwner::System, sim::ObjectKind::Mutex), kExitBusy,
         kUntouched, "start:install end:busy "},
        {"another setup holds the guard as an administrator", kInstall,
         held(kSetupMutexName, sim::ObjectOwner::Administrators, sim::ObjectKind::Mutex), kExitBusy,
         kUntouched, "start:install end:busy "},
        {"another owner's mutex of that name does not stop the setup", kInstall,
         held(kSetupMutexName, sim::ObjectOwner::OtherUser, sim::ObjectKind::Mutex), kExitSucceeded,
         kInstalledAlone, "start:install guard:ignored " + kInstalledSteps},
        {"nor an event of that name", kInstall,
         held(kSetupMutexName, sim::ObjectOwner::Administrators, sim::ObjectKind::Event),
         kExitSucceeded, kInstalledAlone, "start:install guard:ignored " + kInstalledSteps},
        {"a log in a folder that does not exist",
         WTEXT("/quiet /model \"veltra kx 500\" /log C:\\No\\s.log"), oldPrinter, kExitLogFailure,
         kUntouched, ""},
        {"the wizard's log cannot be opened", WTEXT("/log C:\\No\\s.log"), oldPrinter,
         kExitLogFailure, kUntouched, "", "无法打开日志文件：\nC:\\No\\s.log"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        RunFresh(row.arguments, row.scene);

        EXPECT_EQ(theApp.GetExitCode(), row.exitCode);
        EXPECT_EQ(SpoolerHolds(), row.spooler);
        EXPECT_EQ(LogSteps(), row.log);
        const std::vector<sim::MessageBoxRecord> boxes = Machine().MessageBoxes();
        ASSERT_EQ(boxes.size(), row.box ? 1u : 0u) << U8(boxes.empty() ? WString() : boxes[0].text);
        if (row.box) {
            EXPECT_EQ(U8(boxes[0].text) + "|" + U8(boxes[0].caption),
                      row.box + std::string("|ERROR"));
            EXPECT_EQ(boxes[0].style, static_cast<unsigned>(MbOk | MbIconError));
        }
        EXPECT_EQ(Machine().errorMode,
                  row.box ? 0u : sim::kSemFailCriticalErrors | sim::kSemNoOpenFileErrorBox);
        EXPECT_EQ(Machine().abandonedSheets, 0) << "a wizard was shown";
        EXPECT_EQ(Machine().hangs.load(), 0);
        for (const sim::ProgramLaunch& launch : sim::PrintUI::Get().Launches()) {
            EXPECT_FALSE(launch.started && launch.state == sim::ProgramState::Running);
        }
        for (const sim::DriverUpdate& update : sim::Devices::Get().DriverUpdates()) {
            EXPECT_FALSE(update.interactive);
        }
    }
}

// What the new printer holds, "port|share|attributes|comment|location|separator|priorities|
// hours|paper|DACL", the attributes a user sets in hexadecimal.
std::string CarriedTo(const WString& name) {
    const auto printer = Spooler::Get().FindPrinter(name);
    if (!printer) {
        return "no printer " + U8(name);
    }
    const PrinterSettings& s = printer->settings;
    sim::DevMode devMode;
    sim::DevMode::Parse(s.devMode, devMode);
    char attributes[16];
    std::snprintf(attributes, sizeof attributes, "%lx", s.attributes & 0x38b);
    return U8(printer->port) + "|" + U8(s.shareName) + "|" + attributes + "|" + U8(s.comment) +
           "|" + U8(s.location) + "|" + U8(s.separatorFile) + "|" + std::to_string(s.priority) +
           "/" + std::to_string(s.defaultPriority) + "|" + std::to_string(s.startTime) + "-" +
           std::to_string(s.untilTime) + "|" + std::to_string(devMode.paperSize) + " v" +
           std::to_string(devMode.driverVersion) + "|" + std::to_string(s.dacl.size());
}

// A quiet reinstall without /port over an old printer that a user set up: what comes across,
// and what the log says of it.
TEST_F(Wizard, AReinstallCarriesTheOldPrintersSettingsToTheNewOne) {
    struct Row {
        const char* what;
        const char* oldDriver;
        std::uint16_t oldLayout; // the old driver's dmDriverVersion
        std::function<void()> fault;
        const char* newPrinter;
        std::string carried;
        const char* restore;
    };
    CPrinterHandle held;
    const std::string kAll = "COM2:|KX500|10b|前台|二楼|C:\\pcl.sep|7/3|480-1080|";
    const Row rows[] = {
        {"every field; the new driver merges the printing defaults",
         "Veltra KX-500",
         0x200,
         {},
         "Veltra KX-500",
         kAll + "15 v256|3",
         "ok"},
        {"the driver cannot merge: set as they were, same layout", "Veltra KX-500", 0x100,
         [] { Spooler::Get().Refuse(sim::SpoolerCall::DocumentProperties, 87); }, "Veltra KX-500",
         kAll + "15 v256|3", "ok"},
        {"the driver cannot merge: another layout keeps the new defaults", "Veltra KX-500", 0x200,
         [] { Spooler::Get().Refuse(sim::SpoolerCall::DocumentProperties, 87); }, "Veltra KX-500",
         kAll + "9 v256|3", "ok"},
        {"another driver's defaults only through the driver", "Old KX", 0x100,
         [] { Spooler::Get().Refuse(sim::SpoolerCall::DocumentProperties, 87); }, "Veltra KX-500",
         kAll + "9 v256|3", "ok"},
        {"the old printer, pending deletion, still holds the share", "Veltra KX-500", 0x100,
         [&held] { held.Open(kKx500.c_str(), PrinterAccess::Default); }, "Veltra KX-500 (Copy 1)",
         "COM2:|KX500|103|前台|二楼|C:\\pcl.sep|7/3|480-1080|15 v256|3", "failed"},
        {"a restore that fails leaves a good installation", "Veltra KX-500", 0x100,
         [] { Spooler::Get().Refuse(sim::SpoolerCall::SetPrinter, 5); }, "Veltra KX-500",
         "COM2:||200||||0/0|0-0|9 v256|3", "failed"},
        {"plug and play creates its printer late", "Veltra KX-500", 0x100,
         [] {
             AttachKx500();
             sim::Devices::Get().createsPrinters = false;
             sim::Machine::Get().onSleep = [sleeps = 0](unsigned long) mutable {
                 if (++sleeps == 3) {
                     Spooler::Get().AddPrinter(WTEXT("VELTRA KX-500"), WTEXT("USB001"), kKx500);
                 }
             };
         },
         "VELTRA KX-500", "USB001|KX500|10b|前台|二楼|C:\\pcl.sep|7/3|480-1080|15 v256|3", "ok"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Machine().Reset();
        theInstaller = CDriverInstaller();
        WriteSamplePackage(theInstaller.GetPrinterInfoFile(), theInstaller.GetDriverInf());
        sim::DriverTraits old;
        old.defaults.driverVersion = row.oldLayout;
        old.defaults.paperSize = 15;
        Spooler::Get().AddDriver(sim::FromUtf8(row.oldDriver), {}, old);
        Spooler::Get().AddPrinter(kKx500, WTEXT("COM2:"), sim::FromUtf8(row.oldDriver));
        Spooler::Get().ChangePrinter(kKx500, [](PrinterSettings& s) {
            s.shareName = WTEXT("KX500");
            s.attributes = kPrinterAttributeShared | kPrinterAttributeQueued |
                           kPrinterAttributeKeepPrintedJobs | kPrinterAttributeDirect;
            s.comment = WTEXT("前台");
            s.location = WTEXT("二楼");
            s.separatorFile = WTEXT("C:\\pcl.sep");
            s.priority = 7;
            s.defaultPriority = 3;
            s.startTime = 480;
            s.untilTime = 1080;
            s.dacl = {1, 2, 3};
        });
        if (row.fault) {
            row.fault();
        }
        Machine().commandLine = kProgram + kInstall;

        EXPECT_FALSE(theApp.InitInstance());

        held.Close();
        EXPECT_EQ(theApp.GetExitCode(), kExitSucceeded);
        EXPECT_EQ(CarriedTo(sim::FromUtf8(row.newPrinter)), row.carried);
        EXPECT_NE(LogSteps().find(std::string(" install:ok restore:") + row.restore),
                  std::string::npos)
            << LogSteps();
    }
}

} // namespace
