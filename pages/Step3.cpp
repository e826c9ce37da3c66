// The driver selection page: lists the models of "KX通用系列" and, on Next, stores the driver
// of the chosen model in the installer record.
#include "pages/Step3.h"

#include "installer/DriverInstaller.h"
#include "pages/NameLimit.h"
#include "res/resource.h"

namespace {
const WChar kDriverCaption[] = WTEXT("请选择要安装的打印机驱动：");
constexpr int kFirstEntry = 0;
constexpr int kStay = -1;
} // namespace

CStep3::CStep3() : CPropertyPage(IDD_STEP3) {}

void CStep3::DoDataExchange(CDataExchange& dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_STEP3_DRIVERS, m_listDrivers);
    DDX_Text(dx, IDC_STEP3_CAPTION, m_strCaption);
}

bool CStep3::OnSetActive() {
    SetWizardButtons(WizBack | WizNext);
    m_strCaption = kDriverCaption;
    FillDriverList();
    UpdateData(false);
    return CPropertyPage::OnSetActive();
}

int CStep3::FillDriverList() {
    m_listDrivers.DeleteAll();
    NameList models;
    theInstaller.ReadOfferedModels(models);
    for (const WString& model : models) {
        m_listDrivers.AddString(model);
    }
    m_listDrivers.SetCurSel(kFirstEntry);
    UpdateData(false);
    return 1;
}

int CStep3::OnWizardBack() {
    return CPropertyPage::OnWizardBack();
}

int CStep3::OnWizardNext() {
    UpdateData(true);
    const WString model = m_listDrivers.GetSelectedText();
    if (!model.empty()) {
        // Whatever the lookup finds is stored: a model without a driver entry leaves the
        // driver name empty.
        WChar driverName[kPathCapacity] = {};
        theInstaller.GetModelDriverName(model.c_str(), driverName, kPathCapacity);
        if (!NameFitsInstallation(*this, driverName, kDriverNameTooLongText)) {
            return kStay;
        }
        theInstaller.SetDriverName(driverName);
    }
    return CPropertyPage::OnWizardNext();
}
