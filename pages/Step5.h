// The confirmation and installation page: shows the chosen driver and port and, on Finish,
// removes an earlier installation and installs on worker threads while the page reports each
// phase. A print UI that outlived its wait is waited for before Finish, Back or Cancel acts.
#pragma once

#include <cstdint>

#include "platform/Framework.h"
#include "platform/Threads.h"

// The page's own message: the controls show the members again. Sent by the workers.
constexpr unsigned WM_REFRESH_PAGE = kFirstPrivateMessage + 100;

class CStep5 : public CPropertyPage {
public:
    CStep5();

    WString m_strConfirm;
    WString m_strDriverLine;
    WString m_strPortLine;
    WString m_strStatusLabel;
    WString m_strStatus;
    // The outcome the installation thread hands to the page: 0 none, 1 success, -1 failure.
    int m_nResult = 0;
    std::uintptr_t m_nTimerId = 0;
    CEvent m_hRemoveEvent;
    CEvent m_hInstallEvent;

    std::intptr_t OnRefreshPage(std::uintptr_t wParam, std::intptr_t lParam);
    // Back, Finish and Cancel together: all disabled while the page installs.
    void EnableWizardButtons(bool enable);

    static unsigned RemoveOldDriverThread(void* page);
    static unsigned InstallDriverThread(void* page);
    static unsigned LatePrintUIThread(void* page);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    bool OnSetActive() override;
    int OnWizardBack() override;
    bool OnWizardFinish() override;
    bool OnQueryCancel() override;
    void OnTimer(std::uintptr_t id) override;
    bool OnPrivateMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                          std::intptr_t& result) override;

private:
    // Runs the removal of the old printers on a worker thread while this thread waits.
    bool RunRemoval();
    // The installation thread asks the page's own thread to start timer 1, which only that
    // thread may do; if no timer can be had, the outcome is reported at once.
    void StartTimer();
    // Waits for the installation thread's outcome and reports it.
    void ReportOutcome(bool joinWorker);
    // Reports a Finish that could not start its work: nothing was installed.
    void ReportFailureWithoutWorker();
    // The status line, the message box, and what follows it.
    void ShowOutcome(int result);
    // From the installation thread, after its outcome is set: have the page report it.
    void RequestReport(bool timerRequested);
    // When a print UI of an earlier Finish still runs: shows the installing status with the
    // buttons disabled, waits for it on a thread, then has `button` pressed again (Finish
    // removes nothing, and the program does not end, beside it). False when none runs.
    bool WaitForLatePrintUI(WizardButton button);
    // On the page's thread once that print UI has ended: the buttons back, and the press.
    void PressAgain();

    CThread m_installThread;
    CThread m_lateThread;
    WizardButton m_pressAfterWait = WizardButton::Finish;
    // True from Finish until the outcome has been reported: the wizard may not close then.
    bool m_bBusy = false;
};
