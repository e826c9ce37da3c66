// The driver selection page, headless: the list, its order and selection, and what Next stores.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/host/PageTest.h"

namespace {

const char kCatalogue[] =
    "[PRINTER_SERIES]\nKX通用系列\n"
    "[KX通用系列]\nVeltra KX-680\nveltra KX-1800\n卓澜 KX-120\nVeltra KX 500\n"
    "Veltra KX-90 经济型\n"
    "[PRINTER_NAME]\nVeltra KX-680=Veltra KX-680\nVeltra KX-1800=Veltra KX-1800\n"
    "卓澜 KX-120=Veltra KX-120\nVeltra KX 500=Veltra KX-500\n";

class DriverPage : public PageTest {
protected:
    void OpenOnDriverPage() {
        OpenWizard();
        ASSERT_TRUE(Press(WizardButton::Next));
        ASSERT_EQ(Caption(), "卓澜打印机驱动安装步骤2");
    }
    void ExpectEmptyListThatLetsNextGoOn();
};

TEST_F(DriverPage, ListsTheSeriesSortedWithTheFirstSelected) {
    WriteCatalogue(kCatalogue);
    OpenOnDriverPage();
    EXPECT_EQ(U8(Wizard().Text(IDC_STEP3_CAPTION)), "请选择要安装的打印机驱动：");
    EXPECT_EQ(ListItems(IDC_STEP3_DRIVERS),
              (std::vector<std::string>{"Veltra KX 500", "veltra KX-1800", "Veltra KX-680",
                                        "Veltra KX-90 经济型", "卓澜 KX-120"}));
    EXPECT_EQ(SelectedItem(IDC_STEP3_DRIVERS), "Veltra KX 500");
    EXPECT_TRUE(Wizard().IsButtonEnabled(sim::kBackButton));
    EXPECT_TRUE(Wizard().IsButtonEnabled(sim::kNextButton));
}

TEST_F(DriverPage, NextStoresTheChosenModelsDriver) {
    WriteCatalogue(kCatalogue);
    OpenOnDriverPage();
    SelectItem(IDC_STEP3_DRIVERS, "卓澜 KX-120");
    ASSERT_TRUE(Press(WizardButton::Next));
    EXPECT_EQ(Caption(), "卓澜打印机驱动安装步骤3");
    EXPECT_EQ(StoredDriver(), "Veltra KX-120");
}

TEST_F(DriverPage, ReturningRebuildsTheListAndSelectsTheFirstAgain) {
    WriteCatalogue(kCatalogue);
    OpenOnDriverPage();
    SelectItem(IDC_STEP3_DRIVERS, "Veltra KX-680");
    ASSERT_TRUE(Press(WizardButton::Next));
    // The catalogue changes behind the wizard's back: the list is read again on return.
    WriteCatalogue("[KX通用系列]\nVeltra KX-680\nVeltra KX 500\nAAA\n"
                   "[PRINTER_NAME]\nAAA=Veltra AAA\nVeltra KX 500=Veltra KX-500\n");
    ASSERT_TRUE(Press(WizardButton::Back));
    EXPECT_EQ(ListItems(IDC_STEP3_DRIVERS),
              (std::vector<std::string>{"AAA", "Veltra KX 500", "Veltra KX-680"}));
    EXPECT_EQ(SelectedItem(IDC_STEP3_DRIVERS), "AAA");
    EXPECT_EQ(StoredDriver(), "Veltra KX-680") << "Back keeps the earlier choice";
    ASSERT_TRUE(Press(WizardButton::Next));
    EXPECT_EQ(StoredDriver(), "Veltra AAA");
}

TEST_F(DriverPage, ModelWithoutDriverEntryStoresAnEmptyNameSilently) {
    WriteCatalogue(kCatalogue);
    theInstaller.SetDriverName(WTEXT("earlier"));
    OpenOnDriverPage();
    SelectItem(IDC_STEP3_DRIVERS, "Veltra KX-90 经济型");
    ASSERT_TRUE(Press(WizardButton::Next));
    EXPECT_EQ(Caption(), "卓澜打印机驱动安装步骤3");
    EXPECT_EQ(StoredDriver(), "");
    EXPECT_TRUE(Machine().MessageBoxes().empty());
}

// With no usable catalogue the list stays empty, nothing is selected, and Next goes on
// without touching the stored driver name.
void DriverPage::ExpectEmptyListThatLetsNextGoOn() {
    theInstaller.SetDriverName(WTEXT("earlier"));
    OpenOnDriverPage();
    EXPECT_TRUE(ListItems(IDC_STEP3_DRIVERS).empty());
    EXPECT_EQ(SelectedItem(IDC_STEP3_DRIVERS), "<none>");
    ASSERT_TRUE(Press(WizardButton::Next));
    EXPECT_EQ(Caption(), "卓澜打印机驱动安装步骤3");
    EXPECT_EQ(StoredDriver(), "earlier");
}

TEST_F(DriverPage, MissingCatalogueGivesAnEmptyList) {
    ExpectEmptyListThatLetsNextGoOn();
}

TEST_F(DriverPage, EmptyCatalogueGivesAnEmptyList) {
    WriteCatalogue("");
    ExpectEmptyListThatLetsNextGoOn();
}

TEST_F(DriverPage, EmptySeriesSectionGivesAnEmptyList) {
    WriteCatalogue("[KX通用系列]\n[PRINTER_NAME]\nA=B\n");
    ExpectEmptyListThatLetsNextGoOn();
}

TEST_F(DriverPage, DriverNameTooLongForTheInstallationIsRefusedWithAMessage) {
    const std::string longest(kWorkingNameCapacity - 1, 'd');
    const std::string tooLong(kWorkingNameCapacity, 'e');
    WriteCatalogue("[KX通用系列]\nA\nB\n[PRINTER_NAME]\nA=" + longest + "\nB=" + tooLong + "\n");
    OpenOnDriverPage();
    SelectItem(IDC_STEP3_DRIVERS, "B");
    EXPECT_TRUE(Press(WizardButton::Next));
    EXPECT_EQ(Caption(), "卓澜打印机驱动安装步骤2")
        << "the wizard went on with a name it cannot use";
    ASSERT_EQ(Machine().MessageBoxes().size(), 1u);
    EXPECT_EQ(U8(Machine().MessageBoxes()[0].caption), "ERROR");
    EXPECT_EQ(StoredDriver(), "");

    SelectItem(IDC_STEP3_DRIVERS, "A");
    ASSERT_TRUE(Press(WizardButton::Next));
    EXPECT_EQ(StoredDriver(), longest);
}

} // namespace
