// The welcome page: greets the user and leads on to the driver page.
#include "pages/Step1.h"

#include "res/resource.h"

namespace {
const WChar kWelcomeText[] = WTEXT("欢迎使用卓澜打印机驱动安装向导。\n\n")
    WTEXT("若已出现了“找到新硬件向导”窗口，请点击“找到新硬件向导”窗口中的“取消”按钮来中断它。\n\n")
        WTEXT("点击“下一步”按钮选择打印机驱动程序。");
} // namespace

CStep1::CStep1() : CPropertyPage(IDD_STEP1) {}

void CStep1::DoDataExchange(CDataExchange& dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_STEP1_WELCOME, m_strWelcome);
}

bool CStep1::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    // Set once, when the page is created; later activations leave it as it is.
    m_strWelcome = kWelcomeText;
    UpdateData(false);
    return true;
}

bool CStep1::OnSetActive() {
    SetWizardButtons(WizNext);
    return CPropertyPage::OnSetActive();
}

int CStep1::OnWizardNext() {
    return CPropertyPage::OnWizardNext();
}
