// The application object and the two globals, in the order they must be constructed.
#include "app/OrvaneApp.h"

#include "app/SetupRun.h"

#include "app/Wizard.h"
#include "app/WizardPages.h"
#include "installer/DriverInstaller.h"

// Both globals live in this one file so their order is fixed: the installer record (and with
// it the package paths) exists before the application object.
CDriverInstaller theInstaller;
COrvaneApp theApp;

const WChar kWizardCaption[] = WTEXT("Veltra Printer Driver Setup");

namespace {
const WChar kRegistryKey[] = WTEXT("Local AppWizard-Generated Applications");
constexpr int kFirstPage = 0;

void RunWizard() {
    CWizard sheet(kWizardCaption, nullptr, kFirstPage);
    CWizardPages pages;
    pages.AddTo(sheet);
    sheet.DoModal();
    // The pages, then the sheet, go out of scope in reverse order of construction.
}
} // namespace

bool COrvaneApp::InitInstance() {
    InitCommonControlClasses();
    CWinApp::InitInstance();
    SetRegistryKey(kRegistryKey);
    SetExitCode(RunSetup(RunWizard));
    return false;
}
