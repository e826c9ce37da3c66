// The options page (make default, print a test page). The wizard fixes both choices, so the
// page is built but never added to the sheet.
#pragma once

#include "platform/Framework.h"

class CStep4 : public CPropertyPage {
public:
    CStep4();
};
