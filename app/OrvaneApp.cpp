// The application object and the two globals, in the order they must be constructed.
#include "app/OrvaneApp.h"

#include "app/Wizard.h"
#include "app/WizardPages.h"
#include "installer/DriverInstaller.h"
#include "platform/Wow64.h"

// Both globals live in this one file so their order is fixed: the installer record (and with
// it the package paths) exists before the application object.
CDriverInstaller theInstaller;
COrvaneApp theApp;

const WChar kWizardCaption[] = WTEXT("Veltra Printer Driver Setup");

namespace {
// Shown instead of the wizard when the 32-bit program runs on 64-bit Windows.
const WChar kWrongWindowsText[] =
    WTEXT("此安装包只适用于32位Windows，无法在64位Windows上安装打印机驱动。\n\n")
        WTEXT("请改用64位（x64）安装包中的 VeltraSetup.exe。");
// Shown instead of the wizard when the package lies in a folder too deep for its paths.
const WChar kPathTooLongText[] = WTEXT("安装程序所在文件夹的路径过长，无法找到安装文件。\n\n")
    WTEXT("请将整个安装文件夹复制到路径较短的位置（例如 C:\\VeltraSetup），再重新运行安装程序。");
const WChar kRefusalCaption[] = WTEXT("ERROR");
const WChar kRegistryKey[] = WTEXT("Local AppWizard-Generated Applications");
constexpr int kFirstPage = 0;

// One error box instead of the wizard; the program then ends, having touched nothing.
void RefuseToStart(const WChar* text) {
    ShowAppMessageBox(text, kRefusalCaption, MbOk | MbIconError);
}
} // namespace

bool COrvaneApp::InitInstance() {
    InitCommonControlClasses();
    CWinApp::InitInstance();
    SetRegistryKey(kRegistryKey);

    // A 32-bit program on 64-bit Windows would remove the old printer and then fail to install
    // the new one; stop before anything is touched.
    if (RunsUnderWow64()) {
        RefuseToStart(kWrongWindowsText);
        return false;
    }
    // Running on cut paths would read and install from the wrong place; stop here instead.
    if (!theInstaller.HasPackagePaths()) {
        RefuseToStart(kPathTooLongText);
        return false;
    }

    CWizard sheet(kWizardCaption, nullptr, kFirstPage);
    CWizardPages pages;
    pages.AddTo(sheet);
    sheet.DoModal();

    // The pages, then the sheet, go out of scope in reverse order of construction.
    return false;
}
