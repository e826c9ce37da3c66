// The welcome page.
#pragma once

#include "platform/Framework.h"

class CStep1 : public CPropertyPage {
public:
    CStep1();

    WString m_strWelcome;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    bool OnSetActive() override;
    int OnWizardNext() override;
};
