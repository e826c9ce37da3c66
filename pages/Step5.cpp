// The confirmation page. Until the installation engine is in, Finish is shown but disabled, so
// nobody can take a closed wizard for an installed printer.
#include "pages/Step5.h"

#include "res/resource.h"

CStep5::CStep5() : CPropertyPage(IDD_STEP5) {}

bool CStep5::OnSetActive() {
    SetWizardButtons(WizBack | WizDisabledFinish);
    return CPropertyPage::OnSetActive();
}
