// The driver selection page: the models of the package's series, sorted by the list box.
#pragma once

#include "platform/Framework.h"

class CStep3 : public CPropertyPage {
public:
    CStep3();

    WString m_strCaption;
    CListBox m_listDrivers;

    // Rebuilds the model list from the catalogue and selects the first entry.
    int FillDriverList();

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnSetActive() override;
    int OnWizardBack() override;
    int OnWizardNext() override;
};
