// The port selection page. For now it only leads on; the port list comes with the spooler.
#include "pages/Step2.h"

#include "res/resource.h"

CStep2::CStep2() : CPropertyPage(IDD_STEP2) {}

bool CStep2::OnSetActive() {
    SetWizardButtons(WizBack | WizNext);
    return CPropertyPage::OnSetActive();
}
