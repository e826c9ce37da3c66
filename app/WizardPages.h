// The wizard's pages, constructed together and added to the sheet in display order.
#pragma once

#include "app/Wizard.h"
#include "pages/Step1.h"
#include "pages/Step2.h"
#include "pages/Step3.h"
#include "pages/Step4.h"
#include "pages/Step5.h"

// Members are constructed in this order and destroyed in reverse.
struct CWizardPages {
    CStep1 step1;
    CStep2 step2;
    CStep3 step3;
    CStep4 step4; // the options page; its choices are fixed, so it is never added
    CStep5 step5;

    // Display order: welcome, driver, port, confirmation. Leaves the sheet in wizard mode on
    // the welcome page.
    void AddTo(CWizard& sheet) {
        sheet.AddPage(&step1);
        sheet.AddPage(&step3);
        sheet.AddPage(&step2);
        sheet.AddPage(&step5);
        sheet.SetWizardMode();
        sheet.SetActivePage(&step1);
    }
};
