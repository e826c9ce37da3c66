// The portable half of the application framework: data exchange, pages, sheet and application.
#include "platform/Framework.h"

void DDX_Text(CDataExchange& dx, int id, WString& value) {
    if (dx.m_bSaveAndValidate) {
        value = dx.m_window.GetItemText(id);
    } else {
        dx.m_window.SetItemText(id, value);
    }
}

void DDX_Control(CDataExchange& dx, int id, CListBox& control) {
    if (!control.IsAttached()) {
        control.Attach(dx.m_window.GetListBox(id));
    }
}

void CPropertyPage::DoDataExchange(CDataExchange&) {}

bool CPropertyPage::OnInitDialog() {
    UpdateData(false);
    return true;
}

bool CPropertyPage::UpdateData(bool saveAndValidate) {
    if (m_pWindow == nullptr) {
        return false;
    }
    CDataExchange dx(*m_pWindow, saveAndValidate);
    DoDataExchange(dx);
    return true;
}

void CPropertyPage::SetWizardButtons(unsigned flags) {
    if (m_pSheet != nullptr) {
        m_pSheet->SetWizardButtons(flags);
    }
}

int CPropertyPage::ShowMessageBox(const WString& text, const WString& caption, unsigned style) {
    return m_pWindow ? m_pWindow->ShowMessageBox(text, caption, style) : 0;
}

void CPropertyPage::OnTimer(std::uintptr_t) {}

bool CPropertyPage::OnPrivateMessage(unsigned, std::uintptr_t, std::intptr_t, std::intptr_t&) {
    return false;
}

std::uintptr_t CPropertyPage::SetTimer(std::uintptr_t id, unsigned milliseconds) {
    return m_pWindow ? m_pWindow->SetTimer(id, milliseconds) : 0;
}

bool CPropertyPage::KillTimer(std::uintptr_t id) {
    return m_pWindow != nullptr && m_pWindow->KillTimer(id);
}

std::intptr_t CPropertyPage::SendPrivateMessage(unsigned message, std::uintptr_t wParam,
                                                std::intptr_t lParam) {
    return m_pWindow ? m_pWindow->SendPrivateMessage(message, wParam, lParam) : 0;
}

bool CPropertyPage::PostPrivateMessage(unsigned message, std::uintptr_t wParam,
                                       std::intptr_t lParam) {
    return m_pWindow != nullptr && m_pWindow->PostPrivateMessage(message, wParam, lParam);
}

void CPropertyPage::RepaintNow() {
    if (m_pWindow != nullptr) {
        m_pWindow->RepaintNow();
    }
}

ISheetWindow* CPropertyPage::GetSheetWindow() const {
    return m_pSheet ? m_pSheet->GetWindow() : nullptr;
}

bool CPropertyPage::EndWizardAsCancel() {
    ISheetWindow* sheet = GetSheetWindow();
    return sheet != nullptr && sheet->PostButtonPress(WizardButton::Cancel);
}

CPropertySheet::CPropertySheet(const WString& caption, ParentWindow parent, int selectPage)
    : m_strCaption(caption), m_pParent(parent), m_nStartPage(selectPage) {}

void CPropertySheet::AddPage(CPropertyPage* page) {
    page->SetSheet(this);
    m_pages.push_back(page);
}

bool CPropertySheet::SetActivePage(CPropertyPage* page) {
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i] == page) {
            m_nStartPage = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

int CPropertySheet::DoModal() {
    return RunModalSheet(*this);
}

void CPropertySheet::SetWizardButtons(unsigned flags) {
    if (m_pWindow != nullptr) {
        m_pWindow->SetWizardButtons(flags);
    }
}

namespace {
CWinApp* g_pRunningApp = nullptr;
}

CWinApp::CWinApp() {
    g_pRunningApp = this;
}

CWinApp::~CWinApp() {
    if (g_pRunningApp == this) {
        g_pRunningApp = nullptr;
    }
}

CWinApp* CWinApp::Current() {
    return g_pRunningApp;
}
