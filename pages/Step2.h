// The port selection page.
#pragma once

#include "platform/Framework.h"

class CStep2 : public CPropertyPage {
public:
    CStep2();

protected:
    bool OnSetActive() override;
};
