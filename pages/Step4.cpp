// The options page.
#include "pages/Step4.h"

#include "res/resource.h"

CStep4::CStep4() : CPropertyPage(IDD_STEP4) {}
