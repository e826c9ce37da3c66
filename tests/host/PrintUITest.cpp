// The print UI commands and the removal of an earlier installation, against the simulated
// rundll32, print UI and spooler.
#include <gtest/gtest.h>

#include "installer/DriverInstaller.h"
#include "platform/Spooler.h"
#include "platform/sim/SimPrintUI.h"
#include "platform/sim/SimSpooler.h"
#include "tests/host/TestSupport.h"

namespace {

using sim::CommandOutcome;
using sim::PrintUI;
using sim::Spooler;
using sim::SpoolerCall;

const WString kDriver = WTEXT("Veltra KX-680");
const WString kPort = WTEXT("LPT1:");
const WString kInf = WTEXT("C:\\VeltraSetup\\PrinterDriver\\OEMPRINTCOMP.INF");
const WString kRundll32 = WTEXT("C:\\Windows\\system32\\rundll32.exe");
// The print UI installs only a model its INF names.
const char kInfText[] =
    "[Veltra.NTamd64]\n\"VELTRA KX-680\" = KX680.GPD,USBPRINT\\VELTRAKX-680D2C1\n";

class PrintUICommands : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        Machine().WriteFile(kInf, kInfText);
        m_installer.SetDriverName(kDriver.c_str());
        m_installer.SetPortName(kPort.c_str());
    }
    std::vector<std::string> Parameters() {
        std::vector<std::string> lines;
        for (const sim::ProgramLaunch& launch : PrintUI::Get().Launches()) {
            lines.push_back(U8(launch.parameters));
        }
        return lines;
    }

    CDriverInstaller m_installer;
};

TEST_F(PrintUICommands, EachCommandStartsTheSystemsRundll32WithItsExactLine) {
    m_installer.SetDefaultFlag(1);
    m_installer.SetTestPageFlag(1);
    EXPECT_EQ(m_installer.InstallWithPrintUI(), 1);
    EXPECT_EQ(m_installer.MakeDefaultPrinter(), 1);
    EXPECT_EQ(m_installer.PrintTestPage(), 1);

    EXPECT_EQ(Parameters(),
              (std::vector<std::string>{
                  "PRINTUI.DLL,PrintUIEntry /if /n \"Veltra KX-680\" /f "
                  "\"C:\\VeltraSetup\\PrinterDriver\\OEMPRINTCOMP.INF\" /r \"LPT1:\" /m "
                  "\"Veltra KX-680\" ",
                  "PRINTUI.DLL,PrintUIEntry /y /q /n \"Veltra KX-680\"",
                  "PRINTUI.DLL,PrintUIEntry /k /q /n \"Veltra KX-680\"",
              }));
    for (const sim::ProgramLaunch& launch : PrintUI::Get().Launches()) {
        EXPECT_EQ(U8(launch.program), U8(kRundll32)) << "never found through the search path";
        EXPECT_EQ(launch.waitMs, 120000u);
    }
    EXPECT_EQ(U8(Spooler::Get().FindPrinter(kDriver)->port), "LPT1:");
    EXPECT_EQ(U8(Spooler::Get().DefaultPrinter()), U8(kDriver));
    EXPECT_EQ(PrintUI::Get().TestPages(kDriver), 1);
    EXPECT_TRUE(Machine().MessageBoxes().empty());
}

TEST_F(PrintUICommands, ClearFlagsStartNothing) {
    EXPECT_EQ(m_installer.MakeDefaultPrinter(), 1);
    EXPECT_EQ(m_installer.PrintTestPage(), 1);
    EXPECT_TRUE(PrintUI::Get().Launches().empty());
}

TEST_F(PrintUICommands, AFailedStartShowsItsMessageAndFails) {
    const struct {
        unsigned long error;
        const char* text;
    } cases[] = {
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "Access to the specified file is denied."},
        {8, "There is not enough memory to perform the specified action."},
        {32, "A sharing violation occurred."},
        {1155, "There is no application associated with the given file name extension."},
        {1156, "The Dynamic Data Exchange (DDE) transaction failed."},
        {1157, "One of the library files necessary to run the application can't be found."},
        {1223, "The function prompted the user for additional information, but the user "
               "canceled the request."},
        {1460, "Other error occurred."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        Machine().Reset();
        Machine().WriteFile(kInf, kInfText);
        PrintUI::Get().FailStarts(c.error);
        EXPECT_EQ(m_installer.InstallWithPrintUI(), 0);
        const std::vector<sim::MessageBoxRecord> boxes = Machine().MessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(U8(boxes[0].text), c.text);
        EXPECT_EQ(U8(boxes[0].caption), "ERROR");
        EXPECT_EQ(U8(boxes[0].ownerCaption), "") << "the box has no owner";
        EXPECT_EQ(boxes[0].style, static_cast<unsigned>(MbOk | MbIconError));
        EXPECT_EQ(Spooler::Get().CallCount(SpoolerCall::EnumPrinters), 2u)
            << "the printers are listed before the start, and never checked after it";
    }
    Machine().Reset();
    PrintUI::Get().RemoveRundll32();
    m_installer.SetDefaultFlag(1);
    EXPECT_EQ(m_installer.MakeDefaultPrinter(), 0);
    ASSERT_EQ(Machine().MessageBoxes().size(), 1u);
    EXPECT_EQ(U8(Machine().MessageBoxes()[0].text), "The specified file was not found.");
}

TEST_F(PrintUICommands, ThePresenceCheckComesHalfASecondAfterTheCommandEnded) {
    PrintUI::Get().commandMs = 300;
    std::size_t enumerationsAtStart = 0;
    PrintUI::Get().onLaunch = [&](const sim::ProgramLaunch&) {
        enumerationsAtStart = Spooler::Get().CallCount(SpoolerCall::EnumPrinters);
    };
    EXPECT_EQ(m_installer.InstallWithPrintUI(), 1);
    EXPECT_EQ(enumerationsAtStart, 2u) << "what was there before, in one two-call listing";
    EXPECT_EQ(Spooler::Get().CallCount(SpoolerCall::EnumPrinters), 4u) << "then one check";
    EXPECT_EQ(Machine().clockMs.load(), 300u + 500u);
}

TEST_F(PrintUICommands, WhatTheCommandLeavesDecidesTheInstallation) {
    const struct {
        const char* what;
        CommandOutcome outcome;
        std::vector<WString> printersBefore;
        int installed;
        unsigned long long clockMs;
        WString driver = kDriver;
        WString port = kPort;
        bool firstListingRefused = false;
        bool quiet = false;
    } cases[] = {
        {"runs", CommandOutcome::Runs, {}, 1, 500},
        {"does nothing", CommandOutcome::DoesNothing, {}, 0, 500},
        {"runs past the wait: no presence check", CommandOutcome::RunsPastWait, {}, 0, 120000},
        {"only a look-alike", CommandOutcome::DoesNothing, {kDriver + WTEXT("0")}, 0, 500},
        {"a numbered copy appears", CommandOutcome::Runs, {kDriver}, 1, 500},
        {"a copy that was there proves nothing",
         CommandOutcome::DoesNothing,
         {WTEXT("VELTRA KX-680 (Copy 1)")},
         0,
         500},
        {"a model the INF does not name", CommandOutcome::Runs, {}, 0, 500, WTEXT("Veltra KX-9")},
        {"a port there is not", CommandOutcome::Runs, {}, 0, 500, kDriver, WTEXT("LPT9:")},
        {"unlisted before: any printer of the name counts",
         CommandOutcome::DoesNothing,
         {kDriver + WTEXT(" (Copy 1)")},
         1,
         500,
         kDriver,
         kPort,
         true},
        {"quiet", CommandOutcome::RunsPastWait, {}, 0, 900000, kDriver, kPort, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Machine().Reset();
        Machine().WriteFile(kInf, kInfText);
        Spooler::Get().AddDriver(kDriver);
        for (const WString& printer : c.printersBefore) {
            Spooler::Get().AddPrinter(printer, kPort, kDriver);
        }
        if (c.firstListingRefused) {
            Spooler::Get().Refuse(SpoolerCall::EnumPrinters, sim::kErrorRpcServerUnavailable, 1);
        }
        m_installer.SetDriverName(c.driver.c_str());
        m_installer.SetPortName(c.port.c_str());
        PrintUI::Get().SetOutcome(c.outcome);
        m_installer.SetQuietFlag(c.quiet);
        EXPECT_EQ(m_installer.InstallWithPrintUI(), c.installed);
        EXPECT_EQ(PrintUI::Get().Launches().size(), 1u);
        EXPECT_EQ(Machine().clockMs.load(), c.clockMs);
        EXPECT_TRUE(Machine().MessageBoxes().empty());
    }
}

// Names that could break out of their quotes, or none at all, start nothing: the operation
// fails as a failed installation does, without a box of its own.
TEST_F(PrintUICommands, NamesThatCannotBeQuotedOrNoNameStartNothing) {
    const struct {
        WString driver;
        WString port;
    } cases[] = {
        {WTEXT("Veltra \" /k /n \"x"), kPort},
        {kDriver, WTEXT("LPT1:\" /y /n \"x")},
        {WTEXT("Veltra\tKX"), kPort},
        {WTEXT("Veltra\nKX"), kPort},
        {kDriver, WString(WTEXT("LPT1:")) + WChar(0x85)},
        {kDriver, WTEXT("\\\\server\\share\\")},
        {WString(), kPort},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(U8(c.driver) + " on " + U8(c.port));
        m_installer.SetDriverName(c.driver.c_str());
        m_installer.SetPortName(c.port.c_str());
        m_installer.SetDefaultFlag(1);
        EXPECT_EQ(m_installer.InstallWithPrintUI(), 0);
        if (!c.driver.empty()) {
            EXPECT_EQ(m_installer.MakeDefaultPrinter(), c.port == kPort ? 0 : 1);
        }
    }
    EXPECT_EQ(Parameters().size(), 3u) << "only the set-default lines with a sound driver name";
    EXPECT_TRUE(Machine().MessageBoxes().empty());
    EXPECT_TRUE(Spooler::Get().Printers().empty());
}

class Removal : public SimTest {
protected:
    CDriverInstaller m_installer;
    Spooler& m_spooler = Spooler::Get();
};

TEST_F(Removal, APrinterWithQueuedJobsIsPurgedDeletedAndClosedThenItsDriverGoes) {
    m_spooler.AddDriver(kDriver, {WTEXT("C:\\Windows\\System32\\spool\\KX680.GPD")});
    ASSERT_TRUE(m_spooler.AddPrinter(kDriver, kPort, kDriver));
    ASSERT_TRUE(m_spooler.QueueJobs(kDriver, 3));

    EXPECT_EQ(m_installer.RemovePrinterAndDriver(kDriver.c_str()), 1);

    std::vector<SpoolerCall> calls;
    for (const sim::SpoolerCallRecord& call : m_spooler.Calls()) {
        calls.push_back(call.call);
        EXPECT_EQ(call.error, sim::kNoError);
    }
    EXPECT_EQ(calls, (std::vector<SpoolerCall>{
                         SpoolerCall::OpenPrinter, SpoolerCall::Purge, SpoolerCall::DeletePrinter,
                         SpoolerCall::ClosePrinter, SpoolerCall::DeletePrinterDriver}));
    EXPECT_TRUE(m_spooler.Printers().empty());
    EXPECT_FALSE(m_spooler.HasDriver(kDriver));
    EXPECT_EQ(m_spooler.OpenHandleCount(), 0u);
}

TEST_F(Removal, ADriverWithoutPrinterGoesAndNeitherFailsSilently) {
    m_spooler.AddDriver(kDriver);
    EXPECT_EQ(m_installer.RemovePrinterAndDriver(kDriver.c_str()), 1);
    EXPECT_FALSE(m_spooler.HasDriver(kDriver));
    EXPECT_EQ(m_installer.RemovePrinterAndDriver(kDriver.c_str()), 0);
    EXPECT_EQ(m_spooler.CallCount(SpoolerCall::DeletePrinterDriver), 2u);
    EXPECT_TRUE(Machine().MessageBoxes().empty());
}

TEST_F(Removal, EveryStepIsTriedWhateverTheOneBeforeDid) {
    m_spooler.AddDriver(kDriver);
    ASSERT_TRUE(m_spooler.AddPrinter(kDriver, kPort, kDriver));
    m_spooler.Refuse(SpoolerCall::Purge, sim::kErrorInvalidLevel);
    m_spooler.Refuse(SpoolerCall::DeletePrinter, sim::kErrorAccessDenied);
    m_spooler.Refuse(SpoolerCall::ClosePrinter, sim::kErrorInvalidHandle);
    EXPECT_EQ(m_installer.RemovePrinterAndDriver(kDriver.c_str()), 0) << "the driver is in use";
    EXPECT_EQ(m_spooler.CallCount(SpoolerCall::DeletePrinterDriver), 1u);
}

// The page removes each printer that the query lists, in the spooler's order; the driver can
// only go once no printer uses it, so only a list that ends with the plain name removes it.
TEST_F(Removal, APrinterAndItsCopiesGoInTheSpoolersOrder) {
    const WString copy1 = kDriver + WTEXT(" (Copy 1)");
    const WString copy2 = kDriver + WTEXT(" (Copy 2)");
    const struct {
        std::vector<WString> order;
        std::vector<int> results;
        bool driverLeft;
    } cases[] = {
        {{kDriver, copy1, copy2}, {0, 0, 0}, true},
        {{copy1, copy2, kDriver}, {0, 0, 1}, false},
    };
    for (const auto& c : cases) {
        m_spooler.Reset();
        m_spooler.AddDriver(kDriver);
        for (const WString& printer : c.order) {
            ASSERT_TRUE(m_spooler.AddPrinter(printer, kPort, kDriver));
        }
        NameList listed;
        ASSERT_EQ(m_installer.CollectPrintersByName(kDriver.c_str(), listed), 3);
        EXPECT_EQ(listed, c.order);
        std::vector<int> results;
        for (const WString& printer : listed) {
            results.push_back(m_installer.RemovePrinterAndDriver(printer.c_str()));
        }
        EXPECT_EQ(results, c.results);
        EXPECT_TRUE(m_spooler.Printers().empty());
        EXPECT_EQ(m_spooler.HasDriver(kDriver), c.driverLeft);
    }
}

} // namespace
