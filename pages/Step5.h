// The confirmation and installation page.
#pragma once

#include "platform/Framework.h"

class CStep5 : public CPropertyPage {
public:
    CStep5();

protected:
    bool OnSetActive() override;
};
