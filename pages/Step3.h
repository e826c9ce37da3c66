// The driver selection page.
#pragma once

#include "platform/Framework.h"

class CStep3 : public CPropertyPage {
public:
    CStep3();

protected:
    bool OnSetActive() override;
};
