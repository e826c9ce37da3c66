// The confirmation and installation page.
#include "pages/Step5.h"

#include "installer/DriverInstaller.h"
#include "installer/SetupSequence.h"
#include "res/resource.h"

namespace {

const WChar kDriverPrefix[] = WTEXT("驱动：");
const WChar kPortPrefix[] = WTEXT("端口：");
const WChar kConfirmText[] =
    WTEXT("单击完成按扭后，本向导会按照前面几个步骤的设置，自动完成打印机驱动的安装。");
const WChar kStatusLabel[] = WTEXT("状态：");
const WChar kRemovingText[] = WTEXT("正在删除所要替换的驱动...");
const WChar kInstallingText[] = WTEXT("正在安装打印机驱动...");
const WChar kSucceededText[] = WTEXT("打印机驱动已成功安装！");
const WChar kFailedText[] = WTEXT("打印机驱动安装失败！");
const WChar kSuccessBoxText[] = WTEXT("打印机驱动安装成功！");
const WChar kSuccessCaption[] = WTEXT("OK");
const WChar kFailureBoxText[] = WTEXT("打印机驱动安装失败！");
const WChar kFailureCaption[] = WTEXT("ERROR");

// The installation thread's request to start timer 1 (posted), and its request to report at
// once when that could not be posted (sent, after the outcome is set).
constexpr unsigned kStartTimerMessage = WM_REFRESH_PAGE + 1;
constexpr unsigned kReportNowMessage = WM_REFRESH_PAGE + 2;
// From the thread that waited for a late print UI: it has ended (sent).
constexpr unsigned kLatePrintUIEndedMessage = WM_REFRESH_PAGE + 3;

constexpr std::uintptr_t kOutcomeTimer = 1;
constexpr unsigned kOutcomeTimerMs = 200;
// Lets the success text be seen before the box covers it.
constexpr unsigned long kSuccessPauseMs = 100;

constexpr int kNoResult = 0;
constexpr int kSucceeded = 1;
constexpr int kFailed = -1;
constexpr unsigned kThreadSucceeded = 0;
constexpr unsigned kThreadFailed = 1;

} // namespace

CStep5::CStep5() : CPropertyPage(IDD_STEP5) {}

void CStep5::DoDataExchange(CDataExchange& dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_STEP5_DRIVER, m_strDriverLine);
    DDX_Text(dx, IDC_STEP5_PORT, m_strPortLine);
    DDX_Text(dx, IDC_STEP5_STATUS_LABEL, m_strStatusLabel);
    DDX_Text(dx, IDC_STEP5_STATUS, m_strStatus);
    DDX_Text(dx, IDC_STEP5_CONFIRM, m_strConfirm);
}

bool CStep5::OnInitDialog() {
    return CPropertyPage::OnInitDialog();
}

bool CStep5::OnSetActive() {
    SetWizardButtons(WizBack | WizFinish);
    WChar name[kWorkingNameCapacity] = {};
    theInstaller.GetDriverName(name, kWorkingNameCapacity);
    m_strDriverLine = WString(kDriverPrefix) + name;
    theInstaller.GetPortName(name, kWorkingNameCapacity);
    m_strPortLine = WString(kPortPrefix) + name;
    m_strConfirm = kConfirmText;
    m_strStatusLabel = kStatusLabel;
    m_strStatus.clear();
    UpdateData(false);
    return CPropertyPage::OnSetActive();
}

int CStep5::OnWizardBack() {
    // Only this page knows of a late print UI: it is not left while one runs.
    return WaitForLatePrintUI(WizardButton::Back) ? -1 : CPropertyPage::OnWizardBack();
}

bool CStep5::OnQueryCancel() {
    // Closing now would take the page from under a worker that still uses it.
    return !m_bBusy && !WaitForLatePrintUI(WizardButton::Cancel);
}

void CStep5::EnableWizardButtons(bool enable) {
    SetWizardButtons(enable ? WizBack | WizFinish : WizDisabledFinish);
    ISheetWindow* sheet = GetSheetWindow();
    if (sheet != nullptr && sheet->HasItem(IdCancel)) {
        sheet->EnableItem(IdCancel, enable);
    }
}

std::intptr_t CStep5::OnRefreshPage(std::uintptr_t, std::intptr_t) {
    UpdateData(false);
    return 1;
}

bool CStep5::OnPrivateMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                              std::intptr_t& result) {
    switch (message) {
    case WM_REFRESH_PAGE:
        result = OnRefreshPage(wParam, lParam);
        return true;
    case kStartTimerMessage:
        StartTimer();
        return true;
    case kReportNowMessage:
        // The sender is the installation thread itself: it cannot be waited for here.
        ReportOutcome(false);
        return true;
    case kLatePrintUIEndedMessage:
        PressAgain();
        return true;
    default:
        return false;
    }
}

bool CStep5::OnWizardFinish() {
    // Another Finish while this one runs (another program can send one past the disabled
    // button) would start a second installation over the first.
    if (m_bBusy || WaitForLatePrintUI(WizardButton::Finish)) {
        return false;
    }
    EnableWizardButtons(false);
    m_bBusy = true;
    SendPrivateMessage(WM_REFRESH_PAGE);
    theInstaller.SetDefaultFlag(1);
    theInstaller.SetTestPageFlag(0);

    CSetupSequence sequence(theInstaller);
    if (!sequence.Prepare([this] { return RunRemoval(); }) || !m_hInstallEvent.Create() ||
        !m_installThread.Start(InstallDriverThread, this)) {
        m_hInstallEvent.Close();
        ReportFailureWithoutWorker();
    }
    return false;
}

bool CStep5::RunRemoval() {
    CThread removal;
    if (!m_hRemoveEvent.Create()) {
        return false;
    }
    m_strStatus = kRemovingText;
    SendPrivateMessage(WM_REFRESH_PAGE);
    // This thread waits for the removal without painting: show the status and the disabled
    // buttons first.
    RepaintNow();
    if (!removal.Start(RemoveOldDriverThread, this)) {
        m_hRemoveEvent.Close();
        return false;
    }
    m_hRemoveEvent.Wait();
    m_hRemoveEvent.Reset();
    removal.Join();
    removal.Close();
    m_hRemoveEvent.Close();
    return true;
}

unsigned CStep5::RemoveOldDriverThread(void* parameter) {
    auto* page = static_cast<CStep5*>(parameter);
    CSetupSequence(theInstaller).RemoveOldPrinters();
    page->m_hRemoveEvent.Set();
    return 0;
}

unsigned CStep5::InstallDriverThread(void* parameter) {
    auto* page = static_cast<CStep5*>(parameter);
    page->m_strStatus = kInstallingText;
    page->SendPrivateMessage(WM_REFRESH_PAGE);
    if (CSetupSequence(theInstaller).Install()) {
        page->m_strStatus = kSucceededText;
        page->SendPrivateMessage(WM_REFRESH_PAGE);
        const bool timerRequested = page->PostPrivateMessage(kStartTimerMessage);
        SleepMs(kSuccessPauseMs);
        page->m_nResult = kSucceeded;
        page->m_hInstallEvent.Set();
        page->RequestReport(timerRequested);
        return kThreadSucceeded;
    }
    page->m_strStatus = kFailedText;
    page->SendPrivateMessage(WM_REFRESH_PAGE);
    page->m_nResult = kFailed;
    page->m_hInstallEvent.Set();
    page->RequestReport(page->PostPrivateMessage(kStartTimerMessage));
    return kThreadFailed;
}

void CStep5::RequestReport(bool timerRequested) {
    if (!timerRequested) {
        SendPrivateMessage(kReportNowMessage);
    }
}

bool CStep5::WaitForLatePrintUI(WizardButton button) {
    if (!theInstaller.HasLatePrintUI()) {
        return false;
    }
    EnableWizardButtons(false);
    m_bBusy = true;
    m_pressAfterWait = button;
    m_strStatus = kInstallingText;
    UpdateData(false);
    // Its end may be minutes away: this thread goes on painting meanwhile.
    if (!m_lateThread.Start(LatePrintUIThread, this)) {
        ReportFailureWithoutWorker();
    }
    return true;
}

unsigned CStep5::LatePrintUIThread(void* parameter) {
    theInstaller.WaitForLatePrintUI();
    // The page's thread waits for nothing of this one, so it takes the message at once.
    static_cast<CStep5*>(parameter)->SendPrivateMessage(kLatePrintUIEndedMessage);
    return 0;
}

void CStep5::PressAgain() {
    // The thread's last act was the message that brought us here: only its handle is left.
    m_lateThread.Close();
    m_bBusy = false;
    EnableWizardButtons(true);
    ISheetWindow* sheet = GetSheetWindow();
    if (sheet == nullptr || !sheet->PostButtonPress(m_pressAfterWait)) {
        // The user presses it again.
        m_strStatus = kFailedText;
        UpdateData(false);
    }
}

void CStep5::StartTimer() {
    m_nTimerId = SetTimer(kOutcomeTimer, kOutcomeTimerMs);
    if (m_nTimerId == 0) {
        ReportOutcome(true);
    }
}

void CStep5::OnTimer(std::uintptr_t id) {
    if (id == m_nTimerId && m_nTimerId != 0) {
        ReportOutcome(true);
    }
    CPropertyPage::OnTimer(id);
}

void CStep5::ReportOutcome(bool joinWorker) {
    m_hInstallEvent.Wait();
    m_hInstallEvent.Reset();
    const int result = m_nResult;
    if (result == kNoResult) {
        return;
    }
    if (m_nTimerId != 0) {
        KillTimer(m_nTimerId);
        m_nTimerId = 0;
    }
    if (joinWorker) {
        m_installThread.Join();
    }
    m_installThread.Close();
    m_hInstallEvent.Close();
    ShowOutcome(result);
}

void CStep5::ReportFailureWithoutWorker() {
    m_strStatus = kFailedText;
    UpdateData(false);
    ShowOutcome(kFailed);
}

void CStep5::ShowOutcome(int result) {
    m_bBusy = false;
    if (result == kFailed) {
        ShowMessageBox(kFailureBoxText, kFailureCaption, MbOk | MbIconError);
    } else {
        ShowMessageBox(kSuccessBoxText, kSuccessCaption, MbOk | MbIconInformation);
        EndWizardAsCancel();
    }
    m_nResult = kNoResult;
    EnableWizardButtons(true);
}
