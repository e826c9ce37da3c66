// The port selection page: lists the spooler's ports in its order and, on Next, stores the
// chosen one in the installer record.
#include "pages/Step2.h"

#include "installer/DriverInstaller.h"
#include "pages/NameLimit.h"
#include "res/resource.h"

namespace {
const WChar kPortCaption[] =
    WTEXT("没有检测到与打印机连接的可用USB口，请手动选择端口，并按“下一步”确认驱动安装信息。");

constexpr int kSearchFromTop = -1;
constexpr int kFirstItem = 0;
constexpr int kStay = -1;
} // namespace

CStep2::CStep2() : CPropertyPage(IDD_STEP2) {}

void CStep2::DoDataExchange(CDataExchange& dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_STEP2_PORTS, m_listPorts);
    DDX_Text(dx, IDC_STEP2_CAPTION, m_strCaption);
}

bool CStep2::OnSetActive() {
    SetWizardButtons(WizBack | WizNext);
    m_strCaption = kPortCaption;
    FillPortList();
    UpdateData(false);
    return CPropertyPage::OnSetActive();
}

void CStep2::FillPortList() {
    m_listPorts.DeleteAll();
    NameList ports;
    theInstaller.CollectOfferedPorts(ports);
    for (const WString& port : ports) {
        m_listPorts.AddString(port);
    }
    // The list box's own prefix search, which ignores case.
    if (m_listPorts.SelectString(kSearchFromTop, kPreselectedPort) == kListBoxError) {
        m_listPorts.SetCurSel(kFirstItem);
    }
    UpdateData(false);
}

int CStep2::OnWizardBack() {
    return CPropertyPage::OnWizardBack();
}

int CStep2::OnWizardNext() {
    UpdateData(true);
    if (m_listPorts.GetCurSel() != kListBoxError) {
        const WString port = m_listPorts.GetSelectedText();
        if (!NameFitsInstallation(*this, port, kPortNameTooLongText)) {
            return kStay;
        }
        theInstaller.SetPortName(port.c_str());
    }
    return CPropertyPage::OnWizardNext();
}
