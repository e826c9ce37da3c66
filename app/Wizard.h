// The wizard sheet: a property sheet in wizard mode whose Help button never shows.
#pragma once

#include "platform/Framework.h"

class CWizard : public CPropertySheet {
public:
    CWizard(const WString& caption, ParentWindow parent, int selectPage);
    ~CWizard() override = default;

    bool OnInitDialog() override;
};
