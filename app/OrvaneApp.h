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
// Shown instead of the wizard when the package lies in a folder too deep for its paths.
extern const WChar kPathTooLongText[];
extern const WChar kPathTooLongCaption[];
