// The simulated spooler behaves as the installer relies on a real one behaving: enumeration
// sizing, handles, pending deletion, drivers in use, purging, the default printer, refusals.
#include <thread>
#include <vector>

#include "platform/Spooler.h"
#include "platform/TwoCallSizing.h"
#include "platform/sim/SimSpooler.h"
#include "tests/host/TestSupport.h"

namespace {

using sim::SpoolerCall;

const WString kDriver = WTEXT("Veltra LQ-630K");
const WString kOtherDriver = WTEXT("Generic / Text Only");
const WString kPrinter = WTEXT("Veltra LQ-630K");
const WString kCopy = WTEXT("Veltra LQ-630K (副本 1)");
const WString kOffice = WTEXT("卓澜 办公室打印机");
const WString kPort = WTEXT("LPT1:");
const WString kDriverFile = WTEXT("C:\\Windows\\System32\\spool\\drivers\\x64\\3\\VLQ630.GPD");
const WString kUnknown = WTEXT("Nobody's Printer");
constexpr int kSomeJobs = 3;

class SimSpoolerTest : public SimTest {
protected:
    sim::Spooler& Spooler() { return sim::Spooler::Get(); }

    // A machine with the Veltra driver (one file on disk) and printers using the drivers.
    void InstallPrinters(const std::vector<WString>& names, const WString& driver = kDriver) {
        Machine().WriteFile(kDriverFile, "*GPDFileVersionNum: 1.0");
        Spooler().AddDriver(kDriver, {kDriverFile});
        Spooler().AddDriver(kOtherDriver);
        for (const WString& name : names) {
            ASSERT_TRUE(Spooler().AddPrinter(name, kPort, driver)) << U8(name);
        }
    }

    std::vector<WString> ListedPrinters() {
        std::vector<WString> names;
        EXPECT_TRUE(SpoolerEnumPrinterNames(names));
        return names;
    }

    bool Exists(const WString& name) { return Spooler().FindPrinter(name).has_value(); }

    bool DriverFileOnDisk() {
        std::string bytes;
        return Machine().ReadFile(kDriverFile, bytes);
    }
};

// ---- Enumerations

using SimSpoolerEnumTest = SimSpoolerTest;

TEST_F(SimSpoolerEnumTest, ListsPrintersInTheirOrderWithTheTwoCallSizing) {
    InstallPrinters({kPrinter, kOffice, kCopy});
    std::vector<WString> names = {WTEXT("already there")};
    ASSERT_TRUE(SpoolerEnumPrinterNames(names));
    EXPECT_EQ(names, (std::vector<WString>{WTEXT("already there"), kPrinter, kOffice, kCopy}));

    const std::vector<sim::SpoolerCallRecord> calls = Spooler().Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_FALSE(calls[0].withBuffer);
    EXPECT_EQ(calls[0].bufferBytes, 0u);
    EXPECT_EQ(calls[0].error, sim::kErrorInsufficientBuffer);
    EXPECT_TRUE(calls[1].withBuffer);
    EXPECT_GE(calls[1].bufferBytes, (names.size() - 1) * sim::kPrinterRecordBytes);
    EXPECT_EQ(calls[1].error, sim::kNoError);
}

TEST_F(SimSpoolerEnumTest, NothingToListMeansTwoCallsWithoutBuffer) {
    std::vector<WString> names;
    ASSERT_TRUE(SpoolerEnumPrinterNames(names));
    EXPECT_TRUE(names.empty());
    const std::vector<sim::SpoolerCallRecord> calls = Spooler().Calls();
    ASSERT_EQ(calls.size(), 2u);
    for (const sim::SpoolerCallRecord& call : calls) {
        EXPECT_FALSE(call.withBuffer);
        EXPECT_EQ(call.error, sim::kNoError);
    }
}

TEST_F(SimSpoolerEnumTest, ATooSmallBufferIsRefusedWithTheSizeNeeded) {
    InstallPrinters({kPrinter});
    std::size_t needed = 0;
    std::vector<PrinterListing> listed;
    EXPECT_FALSE(Spooler().Enumerate(SpoolerCall::EnumPrinters, true, 1, needed, listed));
    EXPECT_EQ(Spooler().LastError(), sim::kErrorInsufficientBuffer);
    EXPECT_TRUE(listed.empty());
    EXPECT_TRUE(Spooler().Enumerate(SpoolerCall::EnumPrinters, true, needed, needed, listed));
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, kPrinter);
}

TEST_F(SimSpoolerEnumTest, PortsComeInTheGivenOrder) {
    std::vector<WString> ports;
    ASSERT_TRUE(SpoolerEnumPorts(ports));
    EXPECT_EQ(ports, sim::kDefaultPorts);
    EXPECT_EQ(ports.front(), WTEXT("LPT1:"));
    EXPECT_EQ(Spooler().CallCount(SpoolerCall::EnumPorts), 2u);

    const std::vector<WString> mine = {WTEXT("USB002"), WTEXT("COM9:"), WTEXT("LPT1:")};
    Spooler().SetPorts(mine);
    ports.clear();
    ASSERT_TRUE(SpoolerEnumPorts(ports));
    EXPECT_EQ(ports, mine);
}

TEST_F(SimSpoolerEnumTest, MachineResetBringsBackAFreshSpooler) {
    InstallPrinters({kPrinter});
    Spooler().SetPorts({WTEXT("USB002")});
    Spooler().Refuse(SpoolerCall::EnumPorts, sim::kErrorRpcServerUnavailable);
    CPrinterHandle handle;
    ASSERT_TRUE(handle.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
    Machine().Reset();
    EXPECT_TRUE(Spooler().Printers().empty());
    EXPECT_FALSE(Spooler().HasDriver(kDriver));
    EXPECT_EQ(Spooler().OpenHandleCount(), 0u);
    EXPECT_TRUE(Spooler().Calls().empty());
    std::vector<WString> ports;
    EXPECT_TRUE(SpoolerEnumPorts(ports));
    EXPECT_EQ(ports, sim::kDefaultPorts);
    EXPECT_FALSE(handle.Close()) << "a handle from before the reset must not be valid after it";
}

// ---- Handles

using SimSpoolerHandleTest = SimSpoolerTest;

TEST_F(SimSpoolerHandleTest, OpensExactlyTheExistingPrinters) {
    InstallPrinters({kPrinter, kOffice});
    for (PrinterAccess access : {PrinterAccess::Default, PrinterAccess::AllAccess}) {
        CPrinterHandle handle;
        EXPECT_TRUE(handle.Open(kOffice.c_str(), access));
        EXPECT_TRUE(handle.IsOpen());
        EXPECT_FALSE(handle.Open(kUnknown.c_str(), access));
        EXPECT_FALSE(handle.IsOpen()) << "a failed open must not leave the old handle behind";
        EXPECT_FALSE(handle.Open(kCopy.c_str(), access)) << "a copy name is a different printer";
    }
    EXPECT_EQ(Spooler().OpenHandleCount(), 0u);
    EXPECT_EQ(Spooler().Calls().back().error, sim::kErrorInvalidPrinterName);
}

TEST_F(SimSpoolerHandleTest, NamesMatchWithoutRegardToCase) {
    InstallPrinters({kPrinter});
    CPrinterHandle handle;
    EXPECT_TRUE(handle.Open(WTEXT("VELTRA lq-630k"), PrinterAccess::Default));
    EXPECT_FALSE(Spooler().AddPrinter(WTEXT("veltra LQ-630K"), kPort, kDriver));
}

TEST_F(SimSpoolerHandleTest, EveryHandleIsClosedOnceAndByTheDestructor) {
    InstallPrinters({kPrinter});
    {
        CPrinterHandle first;
        CPrinterHandle second;
        ASSERT_TRUE(first.Open(kPrinter.c_str(), PrinterAccess::Default));
        ASSERT_TRUE(second.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
        EXPECT_EQ(Spooler().FindPrinter(kPrinter)->openHandles, 2);
        EXPECT_TRUE(first.Close());
        EXPECT_FALSE(first.Close()) << "closing twice must fail the second time";
        ASSERT_TRUE(first.Open(kPrinter.c_str(), PrinterAccess::Default));
        ASSERT_TRUE(first.Open(kPrinter.c_str(), PrinterAccess::Default)) << "reopening";
        EXPECT_EQ(Spooler().OpenHandleCount(), 2u);
    }
    EXPECT_EQ(Spooler().OpenHandleCount(), 0u);
    EXPECT_EQ(Spooler().FindPrinter(kPrinter)->openHandles, 0);
}

TEST_F(SimSpoolerHandleTest, AClosedHandleCanNoLongerBeUsed) {
    InstallPrinters({kPrinter});
    void* handle = Spooler().OpenPrinter(kPrinter, PrinterAccess::AllAccess);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(Spooler().ClosePrinter(handle));
    EXPECT_FALSE(Spooler().PurgePrinter(handle));
    EXPECT_EQ(Spooler().LastError(), sim::kErrorInvalidHandle);
    EXPECT_FALSE(Spooler().DeletePrinter(handle));
    EXPECT_FALSE(Spooler().ClosePrinter(handle));
    EXPECT_TRUE(Exists(kPrinter));
}

TEST_F(SimSpoolerHandleTest, ANeverOpenedHandleAsksTheSpoolerNothing) {
    CPrinterHandle handle;
    EXPECT_FALSE(handle.Purge());
    EXPECT_FALSE(handle.Delete());
    EXPECT_FALSE(handle.Close());
    EXPECT_TRUE(Spooler().Calls().empty());
}

// ---- Deleting printers

using SimSpoolerDeleteTest = SimSpoolerTest;

TEST_F(SimSpoolerDeleteTest, DeletedPrinterGoesWhenItsOwnHandleCloses) {
    InstallPrinters({kPrinter, kOffice});
    CPrinterHandle handle;
    ASSERT_TRUE(handle.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
    ASSERT_TRUE(handle.Delete());
    EXPECT_EQ(ListedPrinters(), std::vector<WString>{kOffice}) << "pending: no longer listed";
    EXPECT_TRUE(Spooler().FindPrinter(kPrinter)->pendingDeletion);
    EXPECT_TRUE(handle.Close());
    EXPECT_FALSE(Exists(kPrinter));
}

TEST_F(SimSpoolerDeleteTest, APrinterPendingDeletionWaitsForEveryHandle) {
    InstallPrinters({kPrinter});
    CPrinterHandle other;
    CPrinterHandle deleting;
    ASSERT_TRUE(other.Open(kPrinter.c_str(), PrinterAccess::Default));
    ASSERT_TRUE(deleting.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
    ASSERT_TRUE(deleting.Delete());
    EXPECT_TRUE(deleting.Close());
    EXPECT_TRUE(Exists(kPrinter)) << "still held by the other handle";
    EXPECT_TRUE(ListedPrinters().empty());

    CPrinterHandle late;
    EXPECT_FALSE(late.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
    EXPECT_FALSE(Spooler().AddPrinter(kPrinter, kPort, kDriver)) << "the name is still taken";

    EXPECT_TRUE(other.Close());
    EXPECT_FALSE(Exists(kPrinter));
    EXPECT_TRUE(Spooler().AddPrinter(kPrinter, kPort, kDriver));
}

TEST_F(SimSpoolerDeleteTest, DeletingTwiceThroughOpenHandlesIsHarmless) {
    InstallPrinters({kPrinter});
    CPrinterHandle first;
    CPrinterHandle second;
    ASSERT_TRUE(first.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
    ASSERT_TRUE(second.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
    EXPECT_TRUE(first.Delete());
    EXPECT_TRUE(second.Delete());
    first.Close();
    second.Close();
    EXPECT_TRUE(Spooler().Printers().empty());
}

TEST_F(SimSpoolerDeleteTest, AHandleOpenedWithoutDefaultsMayNeitherPurgeNorDelete) {
    InstallPrinters({kPrinter});
    ASSERT_TRUE(Spooler().QueueJobs(kPrinter, kSomeJobs));
    CPrinterHandle handle;
    ASSERT_TRUE(handle.Open(kPrinter.c_str(), PrinterAccess::Default));
    EXPECT_FALSE(handle.Purge());
    EXPECT_EQ(Spooler().LastError(), sim::kErrorAccessDenied);
    EXPECT_FALSE(handle.Delete());
    EXPECT_EQ(Spooler().LastError(), sim::kErrorAccessDenied);
    handle.Close();
    EXPECT_EQ(Spooler().FindPrinter(kPrinter)->queuedJobs, kSomeJobs);
    EXPECT_FALSE(Spooler().FindPrinter(kPrinter)->pendingDeletion);
}

TEST_F(SimSpoolerDeleteTest, DeletingTheDefaultPrinterClearsTheDefault) {
    InstallPrinters({kPrinter, kOffice});
    ASSERT_TRUE(Spooler().SetDefaultPrinter(WTEXT("veltra lq-630k")));
    EXPECT_EQ(Spooler().DefaultPrinter(), kPrinter);

    CPrinterHandle handle;
    ASSERT_TRUE(handle.Open(kOffice.c_str(), PrinterAccess::AllAccess));
    ASSERT_TRUE(handle.Delete());
    EXPECT_EQ(Spooler().DefaultPrinter(), kPrinter) << "another printer's deletion";

    ASSERT_TRUE(handle.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
    ASSERT_TRUE(handle.Delete());
    EXPECT_EQ(Spooler().DefaultPrinter(), WString());
    EXPECT_FALSE(Spooler().SetDefaultPrinter(kPrinter)) << "pending deletion";
}

// ---- Purging

using SimSpoolerPurgeTest = SimSpoolerTest;

TEST_F(SimSpoolerPurgeTest, PurgeDiscardsEveryQueuedJob) {
    InstallPrinters({kPrinter, kOffice});
    ASSERT_TRUE(Spooler().QueueJobs(kPrinter, kSomeJobs));
    ASSERT_TRUE(Spooler().QueueJobs(kOffice, kSomeJobs));
    CPrinterHandle handle;
    ASSERT_TRUE(handle.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
    EXPECT_TRUE(handle.Purge());
    EXPECT_EQ(Spooler().FindPrinter(kPrinter)->queuedJobs, 0);
    EXPECT_EQ(Spooler().FindPrinter(kOffice)->queuedJobs, kSomeJobs);
}

TEST_F(SimSpoolerPurgeTest, QueuedJobsKeepADeletedPrinterAndItsDriver) {
    InstallPrinters({kPrinter});
    ASSERT_TRUE(Spooler().QueueJobs(kPrinter, kSomeJobs));
    CPrinterHandle handle;
    ASSERT_TRUE(handle.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
    ASSERT_TRUE(handle.Delete());
    EXPECT_FALSE(Spooler().QueueJobs(kPrinter, 1)) << "no job may join a printer being deleted";
    EXPECT_TRUE(handle.Close());
    EXPECT_TRUE(Exists(kPrinter)) << "its jobs still wait";
    EXPECT_FALSE(handle.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
    EXPECT_FALSE(SpoolerDeletePrinterDriver(kDriver.c_str(), true));
}

TEST_F(SimSpoolerPurgeTest, PurgeDeleteCloseRemovesAPrinterWithJobs) {
    InstallPrinters({kPrinter});
    ASSERT_TRUE(Spooler().QueueJobs(kPrinter, kSomeJobs));
    CPrinterHandle handle;
    ASSERT_TRUE(handle.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
    EXPECT_TRUE(handle.Purge());
    EXPECT_TRUE(handle.Delete());
    EXPECT_TRUE(handle.Close());
    EXPECT_FALSE(Exists(kPrinter));
    EXPECT_TRUE(SpoolerDeletePrinterDriver(kDriver.c_str(), true));
}

// ---- Drivers

using SimSpoolerDriverTest = SimSpoolerTest;

TEST_F(SimSpoolerDriverTest, AnUnusedDriverGoesWithItsFiles) {
    InstallPrinters({kOffice}, kOtherDriver);
    ASSERT_TRUE(DriverFileOnDisk());
    EXPECT_TRUE(SpoolerDeletePrinterDriver(WTEXT("VELTRA LQ-630K"), true));
    EXPECT_FALSE(Spooler().HasDriver(kDriver));
    EXPECT_FALSE(DriverFileOnDisk());
    EXPECT_TRUE(Spooler().HasDriver(kOtherDriver));

    EXPECT_FALSE(SpoolerDeletePrinterDriver(kDriver.c_str(), true)) << "already gone";
    EXPECT_EQ(Spooler().LastError(), sim::kErrorUnknownPrinterDriver);
}

TEST_F(SimSpoolerDriverTest, AFileAnotherDriverSharesStaysAndRefusesDeletingAllFiles) {
    InstallPrinters({kOffice}, kOtherDriver);
    Spooler().AddDriver(kOtherDriver, {kDriverFile});
    EXPECT_FALSE(Spooler().DeletePrinterDriver(kDriver, sim::DriverFiles::All));
    EXPECT_EQ(Spooler().LastError(), sim::kErrorPrinterDriverInUse);
    EXPECT_TRUE(SpoolerDeletePrinterDriver(kDriver.c_str(), true));
    EXPECT_FALSE(Spooler().HasDriver(kDriver));
    EXPECT_TRUE(DriverFileOnDisk()) << "still used by " << U8(kOtherDriver);
}

TEST_F(SimSpoolerDriverTest, ADriverInUseStaysUntilItsLastPrinterIsGone) {
    InstallPrinters({kPrinter, kCopy});
    EXPECT_FALSE(SpoolerDeletePrinterDriver(kDriver.c_str(), true));
    EXPECT_EQ(Spooler().LastError(), sim::kErrorPrinterDriverInUse);

    CPrinterHandle handle;
    for (const WString& name : {kPrinter, kCopy}) {
        ASSERT_TRUE(handle.Open(name.c_str(), PrinterAccess::AllAccess));
        ASSERT_TRUE(handle.Delete());
        EXPECT_FALSE(SpoolerDeletePrinterDriver(kDriver.c_str(), true)) << "a handle is still open";
        ASSERT_TRUE(handle.Close());
    }
    EXPECT_TRUE(SpoolerDeletePrinterDriver(kDriver.c_str(), true));
    EXPECT_FALSE(DriverFileOnDisk());
}

TEST_F(SimSpoolerDriverTest, APrinterNeedsAnInstalledDriver) {
    EXPECT_FALSE(Spooler().AddPrinter(kPrinter, kPort, kDriver));
    Spooler().AddDriver(kDriver);
    EXPECT_TRUE(Spooler().AddPrinter(kPrinter, kPort, kDriver));
    const sim::SpoolerPrinter printer = *Spooler().FindPrinter(kPrinter);
    EXPECT_EQ(printer.port, kPort);
    EXPECT_EQ(printer.driver, kDriver);
}

// ---- Refusals

using SimSpoolerRefusalTest = SimSpoolerTest;

TEST_F(SimSpoolerRefusalTest, AnEnumerationFailsWhicheverCallIsRefused) {
    InstallPrinters({kPrinter});
    struct Case {
        unsigned nthCall;
        unsigned long error;
        std::size_t callsMade;
    };
    const Case cases[] = {
        {1, sim::kErrorRpcServerUnavailable, 1}, // the sizing call, with another error than 122
        {2, sim::kErrorAccessDenied, 2},         // the filling call
    };
    for (SpoolerCall call : {SpoolerCall::EnumPrinters, SpoolerCall::EnumPorts}) {
        for (const Case& c : cases) {
            Machine().Reset();
            InstallPrinters({kPrinter});
            Spooler().Refuse(call, c.error, c.nthCall);
            std::vector<WString> names = {kOffice};
            const bool listed = call == SpoolerCall::EnumPrinters ? SpoolerEnumPrinterNames(names)
                                                                  : SpoolerEnumPorts(names);
            EXPECT_FALSE(listed) << c.nthCall << " " << c.error;
            EXPECT_EQ(names, std::vector<WString>{kOffice}) << "names must stay as they were";
            EXPECT_EQ(Spooler().CallCount(call), c.callsMade);
            EXPECT_EQ(Spooler().Calls().back().error, c.error);

            names.clear();
            const bool again = call == SpoolerCall::EnumPrinters ? SpoolerEnumPrinterNames(names)
                                                                 : SpoolerEnumPorts(names);
            EXPECT_TRUE(again) << "a one-off refusal must not last";
        }
    }
}

// A list that grows between its sizing and its reading (the print UI adds a queue just then)
// is sized and read again; one that grows at every call is given up after a few tries.
TEST_F(SimSpoolerRefusalTest, AListThatGrowsBetweenTheCallsIsReadAgain) {
    for (const int growths : {1, 1000}) {
        SCOPED_TRACE(growths);
        Machine().Reset();
        InstallPrinters({kPrinter});
        int added = 0;
        Spooler().onCall = [&](const sim::SpoolerCallRecord&) {
            if (added < growths) {
                ++added;
                Spooler().AddPrinter(kPrinter + WTEXT(" (") + sim::ToWString(added) + WTEXT(")"),
                                     kPort, kDriver);
            }
        };
        std::vector<WString> names = {kOffice};
        const bool listed = SpoolerEnumPrinterNames(names);
        const bool readWhole = growths == 1;
        EXPECT_EQ(listed, readWhole);
        EXPECT_EQ(names.size(), readWhole ? 3u : 1u);
        EXPECT_EQ(Spooler().CallCount(SpoolerCall::EnumPrinters),
                  readWhole ? 3u : 1u + kSizingAttempts);
    }
}

TEST_F(SimSpoolerRefusalTest, AnEmptyListWhoseSecondCallFailsIsAFailure) {
    Spooler().Refuse(SpoolerCall::EnumPrinters, sim::kErrorRpcServerUnavailable, 2);
    std::vector<WString> names;
    EXPECT_FALSE(SpoolerEnumPrinterNames(names));
}

TEST_F(SimSpoolerRefusalTest, OnlyTheNthCallIsRefused) {
    InstallPrinters({kPrinter});
    constexpr unsigned kThird = 3;
    Spooler().Refuse(SpoolerCall::OpenPrinter, sim::kErrorAccessDenied, kThird);
    CPrinterHandle handles[kThird + 1];
    EXPECT_TRUE(handles[0].Open(kPrinter.c_str(), PrinterAccess::Default));
    EXPECT_TRUE(handles[1].Open(kPrinter.c_str(), PrinterAccess::Default));
    EXPECT_FALSE(handles[2].Open(kPrinter.c_str(), PrinterAccess::Default));
    EXPECT_EQ(Spooler().LastError(), sim::kErrorAccessDenied);
    EXPECT_TRUE(handles[3].Open(kPrinter.c_str(), PrinterAccess::Default));
}

TEST_F(SimSpoolerRefusalTest, ARefusalForEveryCallLastsUntilStopped) {
    InstallPrinters({kPrinter});
    Spooler().Refuse(SpoolerCall::OpenPrinter, sim::kErrorRpcServerUnavailable);
    CPrinterHandle handle;
    EXPECT_FALSE(handle.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
    EXPECT_FALSE(handle.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
    Spooler().StopRefusing();
    EXPECT_TRUE(handle.Open(kPrinter.c_str(), PrinterAccess::AllAccess));
}

TEST_F(SimSpoolerRefusalTest, ARefusedCallChangesNothing) {
    InstallPrinters({kPrinter});
    ASSERT_TRUE(Spooler().QueueJobs(kPrinter, kSomeJobs));
    CPrinterHandle handle;
    ASSERT_TRUE(handle.Open(kPrinter.c_str(), PrinterAccess::AllAccess));

    Spooler().Refuse(SpoolerCall::Purge, sim::kErrorAccessDenied);
    EXPECT_FALSE(handle.Purge());
    EXPECT_EQ(Spooler().FindPrinter(kPrinter)->queuedJobs, kSomeJobs);

    Spooler().Refuse(SpoolerCall::DeletePrinter, sim::kErrorAccessDenied);
    EXPECT_FALSE(handle.Delete());
    EXPECT_FALSE(Spooler().FindPrinter(kPrinter)->pendingDeletion);

    Spooler().Refuse(SpoolerCall::DeletePrinterDriver, sim::kErrorAccessDenied);
    EXPECT_FALSE(SpoolerDeletePrinterDriver(kOtherDriver.c_str(), true));
    EXPECT_TRUE(Spooler().HasDriver(kOtherDriver));

    Spooler().Refuse(SpoolerCall::ClosePrinter, sim::kErrorInvalidHandle);
    EXPECT_FALSE(handle.Close());
    EXPECT_FALSE(handle.IsOpen()) << "the wrapper gives the handle up all the same";
    EXPECT_EQ(Spooler().OpenHandleCount(), 1u) << "but the spooler still holds it";
    EXPECT_EQ(Spooler().Calls().back().error, sim::kErrorInvalidHandle);
}

// ---- Threads

using SimSpoolerThreadTest = SimSpoolerTest;

TEST_F(SimSpoolerThreadTest, ConcurrentCallersLeaveAConsistentSpooler) {
    InstallPrinters({kPrinter, kOffice});
    constexpr int kThreads = 4;
    constexpr int kRounds = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([] {
            for (int round = 0; round < kRounds; ++round) {
                std::vector<WString> names;
                EXPECT_TRUE(SpoolerEnumPrinterNames(names));
                CPrinterHandle handle;
                EXPECT_TRUE(handle.Open(kOffice.c_str(), PrinterAccess::AllAccess));
                EXPECT_TRUE(handle.Purge());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(Spooler().OpenHandleCount(), 0u);
    EXPECT_EQ(Spooler().CallCount(SpoolerCall::OpenPrinter),
              static_cast<std::size_t>(kThreads * kRounds));
}

} // namespace
