// The application object and the two globals, in the order they must be constructed.
#include "app/OrvaneApp.h"

#include "app/Wizard.h"
#include "app/WizardPages.h"
#include "installer/DriverInstaller.h"

// Both globals live in this one file so their order is fixed: the installer record (and with
// it the package paths) exists before the application object.
CDriverInstaller theInstaller;
COrvaneApp theApp;

const WChar kWizardCaption[] = WTEXT("Veltra Printer Driver Setup");

namespace {
// Shown instead of the wizard when the package lies in a folder too deep for its paths.
const WChar kPathTooLongText[] = WTEXT("安装程序所在文件夹的路径过长，无法找到安装文件。\n\n")
    WTEXT("请将整个安装文件夹复制到路径较短的位置（例如 C:\\VeltraSetup），再重新运行安装程序。");
const WChar kPathTooLongCaption[] = WTEXT("ERROR");
const WChar kRegistryKey[] = WTEXT("Local AppWizard-Generated Applications");
constexpr int kFirstPage = 0;
} // namespace

bool COrvaneApp::InitInstance() {
    InitCommonControlClasses();
    CWinApp::InitInstance();
    SetRegistryKey(kRegistryKey);

    // Running on cut paths would read and install from the wrong place; stop here instead.
    if (!theInstaller.HasPackagePaths()) {
        ShowAppMessageBox(kPathTooLongText, kPathTooLongCaption, MbOk | MbIconError);
        return false;
    }

    CWizard sheet(kWizardCaption, nullptr, kFirstPage);
    CWizardPages pages;
    pages.AddTo(sheet);
    sheet.DoModal();

    // The pages, then the sheet, go out of scope in reverse order of construction.
    return false;
}
