// The driver selection page. For now it only leads on; the model list comes with the catalogue.
#include "pages/Step3.h"

#include "res/resource.h"

CStep3::CStep3() : CPropertyPage(IDD_STEP3) {}

bool CStep3::OnSetActive() {
    SetWizardButtons(WizBack | WizNext);
    return CPropertyPage::OnSetActive();
}
