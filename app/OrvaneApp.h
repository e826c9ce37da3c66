// The application object: builds the wizard, runs it once and ends.
#pragma once

#include "platform/Framework.h"

class COrvaneApp : public CWinApp {
public:
    bool InitInstance() override;
};

extern COrvaneApp theApp;

// Caption of the wizard sheet.
extern const WChar kWizardCaption[];
