// The installer record: package paths from the executable's folder, names and flags.
#include <gtest/gtest.h>

#include "installer/DriverInstaller.h"
#include "tests/host/TestSupport.h"

namespace {

class InstallerState : public SimTest {
protected:
    // The folder "X:\" padded with letters to `length` characters, trailing backslash included.
    static WString FolderOfLength(std::size_t length) {
        WString folder = WTEXT("X:\\");
        folder.append(length - folder.size() - 1, WTEXT('a'));
        folder.push_back(WTEXT('\\'));
        return folder;
    }
};

TEST_F(InstallerState, PathsComeFromTheExecutablesFolder) {
    Machine().modulePath = WTEXT("D:\\Pkg\\VeltraSetup.exe");
    CDriverInstaller installer;
    EXPECT_TRUE(installer.HasPackagePaths());
    EXPECT_EQ(WString(installer.GetModuleDir()), WTEXT("D:\\Pkg\\"));
    EXPECT_EQ(WString(installer.GetPrinterInfoFile()), WTEXT("D:\\Pkg\\PrinterInfor.Inf"));
    EXPECT_EQ(WString(installer.GetDriverInf()), WTEXT("D:\\Pkg\\PrinterDriver\\OEMPRINTCOMP.INF"));
    EXPECT_EQ(WString(installer.GetLanguageFile()), WTEXT("D:\\Pkg\\Language.inf"));
}

TEST_F(InstallerState, FreshRecordHasEmptyNamesClearFlagsAndEnglish) {
    CDriverInstaller installer;
    WChar name[kNameCapacity] = {WTEXT('?')};
    installer.GetDriverName(name, kNameCapacity);
    EXPECT_EQ(WString(name), WTEXT(""));
    name[0] = WTEXT('?');
    installer.GetPortName(name, kNameCapacity);
    EXPECT_EQ(WString(name), WTEXT(""));
    EXPECT_EQ(installer.GetDefaultFlag(), 0);
    EXPECT_EQ(installer.GetTestPageFlag(), 0);
    EXPECT_EQ(WString(installer.GetLanguage()), WTEXT("English"));
}

TEST_F(InstallerState, FlagsStoreOneOnlyForOne) {
    struct Case {
        int given;
        int stored;
    };
    const Case cases[] = {{1, 1}, {2, 0}, {-1, 0}, {0, 0}, {1, 1}};
    CDriverInstaller installer;
    for (const Case& c : cases) {
        installer.SetDefaultFlag(c.given);
        installer.SetTestPageFlag(c.given);
        EXPECT_EQ(installer.GetDefaultFlag(), c.stored) << c.given;
        EXPECT_EQ(installer.GetTestPageFlag(), c.stored) << c.given;
    }
}

TEST_F(InstallerState, RebuildingAPathLeavesItUnchanged) {
    Machine().modulePath = WTEXT("C:\\Users\\李\\Downloads\\Veltra\\VeltraSetup.exe");
    CDriverInstaller installer;
    const WString before = installer.GetDriverInf();
    installer.BuildDriverInfPath();
    installer.BuildDriverInfPath();
    installer.BuildPrinterInfoFilePath();
    EXPECT_EQ(WString(installer.GetDriverInf()), before);
    EXPECT_EQ(WString(installer.GetPrinterInfoFile()),
              WTEXT("C:\\Users\\李\\Downloads\\Veltra\\PrinterInfor.Inf"));
}

TEST_F(InstallerState, FolderAtTheLimitStillFitsEveryPath) {
    const WString folder = FolderOfLength(kMaxModuleDirLength);
    Machine().modulePath = folder + WTEXT("VeltraSetup.exe");
    CDriverInstaller installer;
    ASSERT_TRUE(installer.HasPackagePaths());
    const WString driverInf = installer.GetDriverInf();
    EXPECT_EQ(driverInf, folder + WTEXT("PrinterDriver\\OEMPRINTCOMP.INF"));
    EXPECT_EQ(driverInf.size(), kPathCapacity - 1);
}

TEST_F(InstallerState, FolderPastTheLimitGivesNoPathsAtAll) {
    // One character more, a path the platform cannot give whole, and a path with no folder:
    // none of them may leave a cut path behind.
    const WString tooLongFolder =
        FolderOfLength(kMaxModuleDirLength + 1) + WTEXT("VeltraSetup.exe");
    const WString pastCapacity = FolderOfLength(kPathCapacity + 10) + WTEXT("VeltraSetup.exe");
    for (const WString& path :
         {tooLongFolder, pastCapacity, WString(WTEXT("VeltraSetup.exe")), WString()}) {
        Machine().modulePath = path;
        CDriverInstaller installer;
        EXPECT_FALSE(installer.HasPackagePaths()) << U8(path);
        EXPECT_EQ(WString(installer.GetModuleDir()), WTEXT(""));
        EXPECT_EQ(WString(installer.GetPrinterInfoFile()), WTEXT(""));
        EXPECT_EQ(WString(installer.GetDriverInf()), WTEXT(""));
        EXPECT_EQ(WString(installer.GetLanguageFile()), WTEXT(""));
    }
}

TEST_F(InstallerState, NamesAreCopiedWithinTheirCapacities) {
    CDriverInstaller installer;
    const WString longName(kNameCapacity + 50, WTEXT('n'));
    installer.SetDriverName(longName.c_str());
    installer.SetPortName(WTEXT("LPT1:"));
    WChar out[kNameCapacity + 100];
    installer.GetDriverName(out, kNameCapacity + 100);
    EXPECT_EQ(WString(out), longName.substr(0, kNameCapacity - 1));
    installer.GetPortName(out, kNameCapacity);
    EXPECT_EQ(WString(out), WTEXT("LPT1:")) << "the driver name ran into the port name";

    constexpr std::size_t kShort = 3;
    installer.GetPortName(out, kShort);
    EXPECT_EQ(WString(out), WTEXT("LP"));
}

} // namespace
