// The port selection page, headless: the spooler's list or the fixed one, the preselected
// "LPT1:", and what Next stores.
#include <gtest/gtest.h>

#include "platform/sim/SimSpooler.h"
#include "res/resource.h"
#include "tests/host/PageTest.h"

namespace {

const char kInstruction[] =
    "没有检测到与打印机连接的可用USB口，请手动选择端口，并按“下一步”确认驱动安装信息。";
const std::vector<std::string> kFixedList = {
    "LPT1:", "LPT2:", "LPT3:", "COM1:", "COM2:", "COM3:", "COM4:", "COM5:", "USB001"};

class PortPage : public PageTest {
protected:
    void SetPorts(std::initializer_list<WString> ports) { sim::Spooler::Get().SetPorts(ports); }
    void OpenOnPortPage() {
        OpenWizard();
        ASSERT_TRUE(Press(WizardButton::Next));
        ASSERT_TRUE(Press(WizardButton::Next));
        ASSERT_EQ(Caption(), "卓澜打印机驱动安装步骤3");
    }
};

TEST_F(PortPage, ShowsTheSpoolersPortsInItsOrderWithLpt1Selected) {
    SetPorts({WTEXT("USB001"), WTEXT("COM1:"), WTEXT("LPT1:"), WTEXT("FILE:")});
    OpenOnPortPage();
    EXPECT_EQ(U8(Wizard().Text(IDC_STEP2_CAPTION)), kInstruction);
    EXPECT_EQ(ListItems(IDC_STEP2_PORTS),
              (std::vector<std::string>{"USB001", "COM1:", "LPT1:", "FILE:"}));
    EXPECT_EQ(SelectedItem(IDC_STEP2_PORTS), "LPT1:");
    EXPECT_TRUE(Wizard().IsButtonEnabled(sim::kBackButton));
    EXPECT_TRUE(Wizard().IsButtonEnabled(sim::kNextButton));
}

TEST_F(PortPage, LowerCaseLpt1IsStillFoundByThePrefixSearch) {
    SetPorts({WTEXT("COM1:"), WTEXT("lpt1:"), WTEXT("LPT10:")});
    OpenOnPortPage();
    EXPECT_EQ(SelectedItem(IDC_STEP2_PORTS), "lpt1:");
}

TEST_F(PortPage, WithoutLpt1TheFirstPortIsSelected) {
    SetPorts({WTEXT("COM3:"), WTEXT("LPT2:")});
    OpenOnPortPage();
    EXPECT_EQ(SelectedItem(IDC_STEP2_PORTS), "COM3:");
}

TEST_F(PortPage, RefusedPortListGivesTheFixedNine) {
    sim::Spooler::Get().Refuse(sim::SpoolerCall::EnumPorts, sim::kErrorRpcServerUnavailable);
    OpenOnPortPage();
    EXPECT_EQ(ListItems(IDC_STEP2_PORTS), kFixedList);
    EXPECT_EQ(SelectedItem(IDC_STEP2_PORTS), "LPT1:");
}

TEST_F(PortPage, NextStoresThePortAsListed) {
    SetPorts({WTEXT("LPT1:"), WTEXT("USB001")});
    OpenOnPortPage();
    SelectItem(IDC_STEP2_PORTS, "USB001");
    ASSERT_TRUE(Press(WizardButton::Next));
    EXPECT_EQ(Caption(), "卓澜打印机驱动安装步骤4");
    EXPECT_EQ(StoredPort(), "USB001");
}

TEST_F(PortPage, ComingBackReselectsLpt1WhileTheStoredPortKeepsTheChoice) {
    OpenOnPortPage();
    SelectItem(IDC_STEP2_PORTS, "COM2:");
    ASSERT_TRUE(Press(WizardButton::Next));
    ASSERT_TRUE(Press(WizardButton::Back));
    EXPECT_EQ(Caption(), "卓澜打印机驱动安装步骤3");
    EXPECT_EQ(U8(Wizard().Text(IDC_STEP2_CAPTION)), kInstruction);
    EXPECT_EQ(SelectedItem(IDC_STEP2_PORTS), "LPT1:");
    EXPECT_EQ(StoredPort(), "COM2:");
}

TEST_F(PortPage, EmptyPortListLeavesTheStoredPortAndStillGoesOn) {
    SetPorts({});
    theInstaller.SetPortName(WTEXT("COM1:"));
    OpenOnPortPage();
    EXPECT_TRUE(ListItems(IDC_STEP2_PORTS).empty());
    ASSERT_TRUE(Press(WizardButton::Next));
    EXPECT_EQ(Caption(), "卓澜打印机驱动安装步骤4");
    EXPECT_EQ(StoredPort(), "COM1:");
}

TEST_F(PortPage, PortNameTooLongForTheInstallationIsRefusedWithAMessage) {
    const WString tooLong(kWorkingNameCapacity, WTEXT('p'));
    SetPorts({tooLong, WTEXT("LPT1:")});
    OpenOnPortPage();
    SelectItem(IDC_STEP2_PORTS, U8(tooLong));
    EXPECT_TRUE(Press(WizardButton::Next));
    EXPECT_EQ(Caption(), "卓澜打印机驱动安装步骤3");
    ASSERT_EQ(Machine().MessageBoxes().size(), 1u);
    EXPECT_EQ(StoredPort(), "");
}

} // namespace
