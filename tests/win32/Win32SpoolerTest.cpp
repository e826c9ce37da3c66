// The win32 spooler wrapper against the real spooler (Wine's, when run under Wine): the tests
// install their own driver and printers and remove them again, whatever happens.
//
// Where Wine 8.0 behaves unlike Windows, the tests assert what Wine does, under the heading
// "Wine differs", and what Windows does otherwise:
// - SetPrinterW purge fails with ERROR_INVALID_LEVEL (124).
// - DeletePrinterDriverExW fails with ERROR_INVALID_PARAMETER (87) for any delete flag, so
//   DPD_DELETE_ALL_FILES never works (with no flag it deletes even a driver in use).
// - A deleted printer can still be opened by name while some handle to it is open.
// - A handle opened with no defaults may delete the printer.
#include <windows.h>

#include <gtest/gtest.h>
#include <winspool.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "installer/DriverInstaller.h"
#include "platform/Spooler.h"

namespace {

constexpr DWORD kDriverInfoLevel = 3;  // DRIVER_INFO_3W
constexpr DWORD kPrinterInfoLevel = 2; // PRINTER_INFO_2W
constexpr DWORD kPortInfoLevel = 2;    // PORT_INFO_2W
constexpr DWORD kDriverVersion = 3;    // a user-mode driver, the only kind Wine takes
// Room for any list a test prefix holds, so the reference listing needs a single call.
constexpr DWORD kGenerousBytes = 1 << 16;

const wchar_t kTestDriver[] = L"Veltra Spooler Test Driver";
const wchar_t kDriverFile[] = L"wineps.drv";
const wchar_t kDataFile[] = L"generic.ppd";
const wchar_t kPrintProcessor[] = L"WinPrint";
const wchar_t kDatatype[] = L"RAW";
const wchar_t kPort[] = L"LPT1:";

const wchar_t kPrinter[] = L"Veltra Spooler Test LQ-630K";
const wchar_t kCopy[] = L"Veltra Spooler Test LQ-630K (副本 1)";
const wchar_t kChinese[] = L"卓澜 Veltra 测试打印机";
const wchar_t kMissing[] = L"Veltra Spooler Test Nobody";
const wchar_t kOtherCase[] = L"VELTRA spooler test lq-630k";
const wchar_t* const kTestPrinters[] = {kPrinter, kCopy, kChinese};

bool RunningOnWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Deletes the printer of this name if there is one; quiet when there is none.
void RemovePrinter(const wchar_t* name) {
    PRINTER_DEFAULTSW fullControl = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (OpenPrinterW(const_cast<LPWSTR>(name), &printer, &fullControl)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
}

// The test driver, installed for the guard's lifetime. It goes with DeletePrinterDriverW,
// which works on Wine where the wrapper's DeletePrinterDriverExW does not.
class TestDriver {
public:
    TestDriver() {
        DRIVER_INFO_3W info = {};
        info.cVersion = kDriverVersion;
        info.pName = const_cast<LPWSTR>(kTestDriver);
        info.pDriverPath = const_cast<LPWSTR>(kDriverFile);
        info.pConfigFile = const_cast<LPWSTR>(kDriverFile);
        info.pDataFile = const_cast<LPWSTR>(kDataFile);
        m_installed = AddPrinterDriverExW(nullptr, kDriverInfoLevel, reinterpret_cast<BYTE*>(&info),
                                          APD_COPY_NEW_FILES) != FALSE;
    }
    ~TestDriver() {
        if (m_installed) {
            DeletePrinterDriverW(nullptr, nullptr, const_cast<LPWSTR>(kTestDriver));
        }
    }
    TestDriver(const TestDriver&) = delete;
    TestDriver& operator=(const TestDriver&) = delete;
    bool Installed() const { return m_installed; }

private:
    bool m_installed = false;
};

// A printer on the test driver, deleted again when the guard goes (if a test has not).
class TestPrinter {
public:
    explicit TestPrinter(const wchar_t* name) : m_name(name) {
        PRINTER_INFO_2W info = {};
        info.pPrinterName = const_cast<LPWSTR>(name);
        info.pPortName = const_cast<LPWSTR>(kPort);
        info.pDriverName = const_cast<LPWSTR>(kTestDriver);
        info.pPrintProcessor = const_cast<LPWSTR>(kPrintProcessor);
        info.pDatatype = const_cast<LPWSTR>(kDatatype);
        HANDLE printer = AddPrinterW(nullptr, kPrinterInfoLevel, reinterpret_cast<BYTE*>(&info));
        m_added = printer != nullptr;
        if (m_added) {
            ClosePrinter(printer);
        }
    }
    ~TestPrinter() { RemovePrinter(m_name); }
    TestPrinter(const TestPrinter&) = delete;
    TestPrinter& operator=(const TestPrinter&) = delete;
    bool Added() const { return m_added; }

private:
    const wchar_t* m_name;
    bool m_added = false;
};

// A listing made straight with the API in one call, to hold the wrapper's against.
template <typename Info, typename Enumerate>
std::vector<std::wstring> ReferenceNames(Enumerate enumerate, LPWSTR Info::*nameOf) {
    std::vector<BYTE> buffer(kGenerousBytes);
    DWORD needed = 0;
    DWORD returned = 0;
    EXPECT_TRUE(enumerate(buffer.data(), kGenerousBytes, &needed, &returned))
        << "error " << GetLastError() << ", " << needed << " bytes needed";
    std::vector<std::wstring> names;
    const Info* records = reinterpret_cast<const Info*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i) {
        names.emplace_back(records[i].*nameOf);
    }
    return names;
}

std::vector<std::wstring> ReferencePrinters() {
    return ReferenceNames(
        [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, kPrinterInfoLevel, buffer, size,
                                 needed, returned);
        },
        &PRINTER_INFO_2W::pPrinterName);
}

std::vector<std::wstring> ReferencePorts() {
    return ReferenceNames(
        [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPortsW(nullptr, kPortInfoLevel, buffer, size, needed, returned);
        },
        &PORT_INFO_2W::pPortName);
}

bool Listed(const wchar_t* name) {
    std::vector<WString> names;
    EXPECT_TRUE(SpoolerEnumPrinterNames(names));
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool CanOpen(const wchar_t* name) {
    CPrinterHandle handle;
    return handle.Open(name, PrinterAccess::Default);
}

TEST(Win32SpoolerPorts, ListsTheSpoolersPortsInItsOrder) {
    std::vector<WString> ports = {L"already there"};
    ASSERT_TRUE(SpoolerEnumPorts(ports));
    ASSERT_FALSE(ports.empty());
    EXPECT_EQ(ports.front(), L"already there");
    ports.erase(ports.begin());
    EXPECT_EQ(ports, ReferencePorts());
    EXPECT_NE(std::find(ports.begin(), ports.end(), L"LPT1:"), ports.end());
}

TEST(Win32SpoolerEmpty, NoPrintersMeansAnEmptyList) {
    for (const wchar_t* name : kTestPrinters) {
        RemovePrinter(name); // what an earlier, killed run may have left
    }
    if (!ReferencePrinters().empty()) {
        GTEST_SKIP() << "this prefix has printers of its own";
    }
    std::vector<WString> names;
    EXPECT_TRUE(SpoolerEnumPrinterNames(names));
    EXPECT_TRUE(names.empty());
}

// Every test starts with the driver and the three printers in place, and leaves none of them.
class Win32SpoolerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_driver.Installed()) << "error " << GetLastError();
        for (const std::unique_ptr<TestPrinter>& printer : m_printers) {
            ASSERT_TRUE(printer->Added()) << "error " << GetLastError();
        }
    }

    static std::vector<std::unique_ptr<TestPrinter>> AddTestPrinters() {
        std::vector<std::unique_ptr<TestPrinter>> printers;
        for (const wchar_t* name : kTestPrinters) {
            RemovePrinter(name); // what an earlier, killed run may have left
            printers.push_back(std::make_unique<TestPrinter>(name));
        }
        return printers;
    }

    // Declared first, so it goes last: a driver cannot go before its printers.
    TestDriver m_driver;
    std::vector<std::unique_ptr<TestPrinter>> m_printers = AddTestPrinters();
};

TEST_F(Win32SpoolerTest, ListsEveryPrinterByItsExactNameInTheSpoolersOrder) {
    std::vector<WString> names = {L"already there"};
    ASSERT_TRUE(SpoolerEnumPrinterNames(names));
    EXPECT_EQ(names.front(), L"already there");
    names.erase(names.begin());
    EXPECT_EQ(names, ReferencePrinters());
    for (const wchar_t* name : kTestPrinters) {
        EXPECT_EQ(std::count(names.begin(), names.end(), name), 1);
    }
}

TEST_F(Win32SpoolerTest, OpensAnExistingPrinterOnly) {
    for (PrinterAccess access : {PrinterAccess::Default, PrinterAccess::AllAccess}) {
        for (const wchar_t* name : kTestPrinters) {
            CPrinterHandle handle;
            EXPECT_TRUE(handle.Open(name, access));
            EXPECT_TRUE(handle.IsOpen());
            EXPECT_TRUE(handle.Close());
            EXPECT_FALSE(handle.Close()) << "nothing left to close";
        }
        CPrinterHandle missing;
        EXPECT_FALSE(missing.Open(kMissing, access));
        EXPECT_FALSE(missing.IsOpen());
    }
}

// Printer names do not depend on case, on Windows as on Wine.
TEST_F(Win32SpoolerTest, ANameInOtherCaseOpensTheSamePrinter) {
    CPrinterHandle handle;
    EXPECT_TRUE(handle.Open(kOtherCase, PrinterAccess::AllAccess));
}

TEST_F(Win32SpoolerTest, DeleteRemovesThePrinter) {
    CPrinterHandle handle;
    ASSERT_TRUE(handle.Open(kCopy, PrinterAccess::AllAccess));
    EXPECT_TRUE(handle.Delete());
    EXPECT_TRUE(handle.Close());
    EXPECT_FALSE(Listed(kCopy));
    EXPECT_FALSE(CanOpen(kCopy));
    EXPECT_TRUE(Listed(kPrinter)) << "only the copy was deleted";
}

TEST_F(Win32SpoolerTest, APrinterDeletedWhileAnotherHandleIsOpenIsNoLongerListed) {
    CPrinterHandle other;
    CPrinterHandle deleting;
    ASSERT_TRUE(other.Open(kChinese, PrinterAccess::Default));
    ASSERT_TRUE(deleting.Open(kChinese, PrinterAccess::AllAccess));
    EXPECT_TRUE(deleting.Delete());
    EXPECT_TRUE(deleting.Close());
    EXPECT_FALSE(Listed(kChinese));
    if (RunningOnWine()) {
        // Wine differs: it still opens a deleted printer by name while a handle is open.
        EXPECT_TRUE(CanOpen(kChinese));
    } else {
        EXPECT_FALSE(CanOpen(kChinese));
    }
    EXPECT_TRUE(other.Close());
    EXPECT_FALSE(CanOpen(kChinese));
}

TEST_F(Win32SpoolerTest, AHandleWithoutDefaultsMayNotDelete) {
    CPrinterHandle handle;
    ASSERT_TRUE(handle.Open(kPrinter, PrinterAccess::Default));
    if (RunningOnWine()) {
        // Wine differs: it grants the delete that Windows refuses with ERROR_ACCESS_DENIED.
        EXPECT_TRUE(handle.Delete());
    } else {
        EXPECT_FALSE(handle.Delete());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
}

TEST_F(Win32SpoolerTest, PurgeDiscardsTheQueue) {
    CPrinterHandle handle;
    ASSERT_TRUE(handle.Open(kPrinter, PrinterAccess::AllAccess));
    if (RunningOnWine()) {
        // Wine differs: SetPrinterW knows no level 0, so no purge works.
        EXPECT_FALSE(handle.Purge());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
    } else {
        EXPECT_TRUE(handle.Purge());
    }
}

TEST_F(Win32SpoolerTest, ADriverGoesOnlyWhenNoPrinterUsesIt) {
    EXPECT_FALSE(SpoolerDeletePrinterDriver(kTestDriver, true));
    for (const wchar_t* name : kTestPrinters) {
        RemovePrinter(name);
    }
    if (RunningOnWine()) {
        // Wine differs: DeletePrinterDriverExW takes no delete flag, in use or not; the
        // fixture's guard deletes the driver another way.
        EXPECT_FALSE(SpoolerDeletePrinterDriver(kTestDriver, true));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    } else {
        EXPECT_TRUE(SpoolerDeletePrinterDriver(kTestDriver, true));
    }
}

TEST_F(Win32SpoolerTest, AMissingDriverCannotBeDeleted) {
    EXPECT_FALSE(SpoolerDeletePrinterDriver(L"Veltra Spooler Test No Such Driver", true));
}

} // namespace

// The installer's own queries on Wine's real spooler: the printer and its numbered copy, in the
// spooler's order; letter case ignored, as the spooler ignores it; a name prefix; the real
// port list.
TEST_F(Win32SpoolerTest, InstallerQueriesSeeThePrinterItsCopyAndThePorts) {
    CDriverInstaller installer;
    std::vector<std::wstring> expected;
    std::vector<std::wstring> onDriver;
    for (const std::wstring& name : ReferencePrinters()) {
        if (name == kPrinter) {
            expected.push_back(name);
        }
        if (name == kPrinter || name == kCopy || name == kChinese) {
            onDriver.push_back(name);
        }
    }
    // The copy is on the test driver, not on a driver of the printer's name: not ours.
    NameList found;
    EXPECT_EQ(installer.CollectPrintersByName(kPrinter, found), 1);
    EXPECT_EQ(found, expected);
    NameList ofDriver;
    EXPECT_EQ(installer.CollectPrintersOfDriver(kTestDriver, ofDriver), 3);
    EXPECT_EQ(ofDriver, onDriver);

    NameList otherCase;
    EXPECT_EQ(installer.CollectPrintersByName(kOtherCase, otherCase), 1);
    EXPECT_EQ(otherCase, expected);
    EXPECT_EQ(installer.IsPrinterInstalled(kPrinter), 1);
    EXPECT_EQ(installer.IsPrinterInstalled(L"Veltra Spooler Test LQ"), 0) << "a mere prefix";
    EXPECT_EQ(installer.IsPrinterInstalled(kOtherCase), 1);
    EXPECT_EQ(installer.IsPrinterInstalled(kMissing), 0);

    NameList ports;
    EXPECT_EQ(installer.CollectPortNames(ports), 1);
    EXPECT_EQ(ports, ReferencePorts());
}
