// The pages' dialog templates, as the resource script defines them.
#include <gtest/gtest.h>

#include "platform/sim/SimResources.h"
#include "res/resource.h"
#include "tests/host/TestSupport.h"

namespace {

using namespace sim;

constexpr int kPageWidth = 340;
constexpr int kPageHeight = 190;
constexpr int kLangChineseSimplified = 2052;
constexpr unsigned kPageStyle = kDsSetFont | kWsChild | kWsDisabled | kWsCaption;
constexpr unsigned kControl = kWsChild | kWsVisible;
constexpr unsigned kListStyle =
    kLbsNotify | kLbsNoIntegralHeight | kWsVScroll | kWsHScroll | kWsBorder | kWsTabStop | kControl;

struct ExpectedControl {
    int id;
    const char* className;
    unsigned style;
    int x, y, cx, cy;
};

struct ExpectedPage {
    int id;
    const char* caption;
    std::vector<ExpectedControl> controls;
};

const ExpectedControl kPicture = {
    IDC_PICTURE, "Static", kSsBitmap | kSsRealSizeControl | kControl, 0, 0, 152, 192};

const ExpectedPage kPages[] = {
    {IDD_STEP1,
     "卓澜打印机驱动安装步骤1",
     {kPicture, {IDC_STEP1_WELCOME, "Static", kSsLeft | kControl, 170, 17, 153, 147}}},
    {IDD_STEP3,
     "卓澜打印机驱动安装步骤2",
     {kPicture,
      {IDC_STEP3_CAPTION, "Static", kSsLeft | kControl, 170, 14, 156, 18},
      {IDC_STEP3_DRIVERS, "ListBox", kListStyle | kLbsSort, 170, 35, 160, 148}}},
    {IDD_STEP2,
     "卓澜打印机驱动安装步骤3",
     {kPicture,
      {IDC_STEP2_CAPTION, "Static", kSsLeft | kControl, 170, 15, 155, 52},
      {IDC_STEP2_PORTS, "ListBox", kListStyle, 170, 72, 159, 117}}},
    {IDD_STEP5,
     "卓澜打印机驱动安装步骤4",
     {kPicture,
      {IDC_STEP5_DRIVER, "Static", kSsLeft | kControl, 170, 16, 161, 23},
      {IDC_STEP5_PORT, "Static", kSsLeft | kControl, 170, 43, 160, 21},
      {IDC_STEP5_CONFIRM, "Static", kSsLeft | kControl, 170, 74, 160, 54},
      {IDC_STEP5_STATUS_LABEL, "Static", kSsLeft | kControl, 170, 142, 160, 8},
      {IDC_STEP5_STATUS, "Static", kSsLeft | kControl, 170, 161, 156, 11}}},
};

void ExpectPageLook(const DialogTemplate& dialog) {
    EXPECT_EQ(dialog.cx, kPageWidth);
    EXPECT_EQ(dialog.cy, kPageHeight);
    EXPECT_EQ(dialog.style, kPageStyle);
    EXPECT_EQ(dialog.fontSize, 8);
    EXPECT_EQ(U8(dialog.fontName), "MS Shell Dlg");
    EXPECT_EQ(dialog.language, kLangChineseSimplified);
}

TEST(DialogTemplates, PagesHaveTheirCaptionsControlsPositionsAndStyles) {
    for (const ExpectedPage& page : kPages) {
        SCOPED_TRACE(page.id);
        const DialogTemplate* dialog = FindDialogTemplate(page.id);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(U8(dialog->caption), page.caption);
        ExpectPageLook(*dialog);
        ASSERT_EQ(dialog->controls.size(), page.controls.size());
        for (std::size_t i = 0; i < page.controls.size(); ++i) {
            const ExpectedControl& want = page.controls[i];
            const ControlTemplate& got = dialog->controls[i];
            SCOPED_TRACE(want.id);
            EXPECT_EQ(got.id, want.id);
            EXPECT_EQ(got.className, want.className);
            EXPECT_EQ(got.style, want.style);
            EXPECT_EQ((std::vector<int>{got.x, got.y, got.cx, got.cy}),
                      (std::vector<int>{want.x, want.y, want.cx, want.cy}));
        }
    }
}

TEST(DialogTemplates, OptionsPageOffersYesAndNoForBothChoices) {
    const DialogTemplate* dialog = FindDialogTemplate(IDD_STEP4);
    ASSERT_NE(dialog, nullptr);
    ExpectPageLook(*dialog);
    EXPECT_EQ(dialog->controls.front().style, kPicture.style);
    const int radios[][2] = {{IDC_STEP4_DEFAULT_YES, IDC_STEP4_DEFAULT_NO},
                             {IDC_STEP4_TESTPAGE_YES, IDC_STEP4_TESTPAGE_NO}};
    for (const auto& pair : radios) {
        const ControlTemplate* yes = dialog->FindControl(pair[0]);
        const ControlTemplate* no = dialog->FindControl(pair[1]);
        ASSERT_TRUE(yes && no);
        EXPECT_EQ(U8(yes->text), "是");
        EXPECT_EQ(U8(no->text), "否");
        EXPECT_TRUE(yes->style & kWsGroup) << "each yes/no pair is its own group";
    }
}

TEST(DialogTemplates, ReaderRejectsWhatItDoesNotUnderstand) {
    const std::string header = "#define IDD_X 7\n#define IDC_Y 8\n";
    EXPECT_THROW(ParseDialogTemplates("IDD_X DIALOGEX 0, 0, 1, 1\nBEGIN\n"
                                      "  LTEXT \"a\", IDC_Y, 1, 1, 1, 1\nEND\n",
                                      header),
                 std::runtime_error);
    EXPECT_THROW(
        ParseDialogTemplates("IDD_X DIALOGEX 0, 0, 1, 1\nBEGIN\n"
                             "  CONTROL \"a\", IDC_Y, \"Static\", SS_UNKNOWN, 1, 1, 1, 1\nEND\n",
                             header),
        std::runtime_error);
}

} // namespace
