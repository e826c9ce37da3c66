// The port selection page: the spooler's ports (or a fixed list), "LPT1:" preselected.
#pragma once

#include "platform/Framework.h"

class CStep2 : public CPropertyPage {
public:
    CStep2();

    WString m_strCaption;
    CListBox m_listPorts;

    // Empties and refills the port list and selects the default port.
    void FillPortList();

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnSetActive() override;
    int OnWizardBack() override;
    int OnWizardNext() override;
};
