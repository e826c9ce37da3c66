// The wizard sheet.
#include "app/Wizard.h"

CWizard::CWizard(const WString& caption, ParentWindow parent, int selectPage)
    : CPropertySheet(caption, parent, selectPage) {}

bool CWizard::OnInitDialog() {
    const bool result = CPropertySheet::OnInitDialog();
    // The wizard has no help to offer, so the Help button goes.
    IDialogWindow* window = GetWindow();
    if (window != nullptr && window->HasItem(IdHelp)) {
        window->ShowItem(IdHelp, false);
    }
    return result;
}
