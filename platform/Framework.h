// The small application framework the wizard is written against: application object, property
// sheet in wizard mode, property pages, data exchange and list boxes. The classes are portable;
// each back end supplies the windows (platform/Window.h) and RunModalSheet.
#pragma once

#include <vector>

#include "platform/Text.h"
#include "platform/Window.h"

class CPropertySheet;

// A list box member of a page, attached to its control by DDX_Control.
class CListBox {
public:
    void Attach(IListBox* box) { m_box = box; }
    bool IsAttached() const { return m_box != nullptr; }
    int GetCount() const { return m_box ? m_box->GetCount() : 0; }
    int DeleteString(int index) { return m_box ? m_box->DeleteString(index) : kListBoxError; }
    int AddString(const WString& text) { return m_box ? m_box->AddString(text) : kListBoxError; }
    int SetCurSel(int index) { return m_box ? m_box->SetCurSel(index) : kListBoxError; }
    int GetCurSel() const { return m_box ? m_box->GetCurSel() : kListBoxError; }
    int GetTextLen(int index) const { return m_box ? m_box->GetTextLen(index) : kListBoxError; }
    WString GetText(int index) const { return m_box ? m_box->GetText(index) : WString(); }
    int SelectString(int startAfter, const WString& prefix) {
        return m_box ? m_box->SelectString(startAfter, prefix) : kListBoxError;
    }
    // Deletes every item, from the last to the first.
    void DeleteAll() {
        for (int i = GetCount() - 1; i >= 0; --i) {
            DeleteString(i);
        }
    }
    // The selected item's text; empty when nothing is selected.
    WString GetSelectedText() const {
        const int selected = GetCurSel();
        return selected == kListBoxError ? WString() : GetText(selected);
    }

private:
    IListBox* m_box = nullptr;
};

// One transfer between a page's members and its controls.
class CDataExchange {
public:
    CDataExchange(IDialogWindow& window, bool saveAndValidate)
        : m_window(window), m_bSaveAndValidate(saveAndValidate) {}
    IDialogWindow& m_window;
    const bool m_bSaveAndValidate;
};

// Binds a string member to the text of a control.
void DDX_Text(CDataExchange& dx, int id, WString& value);
// Attaches a list box member to its control.
void DDX_Control(CDataExchange& dx, int id, CListBox& control);

// A page of a property sheet, built on a dialog template. The sheet calls the virtual hooks;
// their defaults let the wizard move on.
class CPropertyPage {
public:
    explicit CPropertyPage(int templateId) : m_nTemplateId(templateId) {}
    virtual ~CPropertyPage() = default;
    CPropertyPage(const CPropertyPage&) = delete;
    CPropertyPage& operator=(const CPropertyPage&) = delete;

    int GetTemplateId() const { return m_nTemplateId; }

    virtual void DoDataExchange(CDataExchange& dx);
    // Once, when the page's window has been created. Transfers the members to the controls.
    virtual bool OnInitDialog();
    // Each time the page becomes active; false keeps it from being shown.
    virtual bool OnSetActive() { return true; }
    // Back or Next pressed: 0 moves one page on, -1 stays, a template id goes to that page.
    virtual int OnWizardBack() { return 0; }
    virtual int OnWizardNext() { return 0; }
    // Finish pressed: true lets the sheet close.
    virtual bool OnWizardFinish() { return true; }
    // Cancel pressed, or the sheet asked to close in any other way (its close box, Alt+F4,
    // Escape): true lets the sheet close.
    virtual bool OnQueryCancel() { return true; }
    // A tick of one of the page's timers.
    virtual void OnTimer(std::uintptr_t id);
    // One of the page's own messages (kFirstPrivateMessage and above). True when the page
    // handled it; `result` is then the answer to the sender.
    virtual bool OnPrivateMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                                  std::intptr_t& result);

    // Transfers between members and controls: true reads the controls into the members.
    bool UpdateData(bool saveAndValidate);
    // Sets the sheet's wizard buttons.
    void SetWizardButtons(unsigned flags);
    int ShowMessageBox(const WString& text, const WString& caption, unsigned style);
    // The page window's timers and own messages (see IDialogWindow); they fail when the page
    // has no window.
    std::uintptr_t SetTimer(std::uintptr_t id, unsigned milliseconds);
    bool KillTimer(std::uintptr_t id);
    std::intptr_t SendPrivateMessage(unsigned message, std::uintptr_t wParam = 0,
                                     std::intptr_t lParam = 0);
    bool PostPrivateMessage(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    // Ends the wizard the way Cancel does: the sheet is asked to press Cancel once the current
    // message is done, and the active page's OnQueryCancel has the last word.
    bool EndWizardAsCancel();
    // Paints the page's changes at once (see IDialogWindow::RepaintNow).
    void RepaintNow();
    // The sheet's own window, or null when the sheet is not shown.
    ISheetWindow* GetSheetWindow() const;

    CPropertySheet* GetSheet() const { return m_pSheet; }
    IDialogWindow* GetWindow() const { return m_pWindow; }

    // Used by the sheet and the back ends.
    void SetSheet(CPropertySheet* sheet) { m_pSheet = sheet; }
    void AttachWindow(IDialogWindow* window) { m_pWindow = window; }

private:
    const int m_nTemplateId;
    CPropertySheet* m_pSheet = nullptr;
    IDialogWindow* m_pWindow = nullptr;
};

// Opaque handle of a parent window (null: none).
using ParentWindow = void*;

// Result of a modal sheet: closed by Finish or by Cancel, or never shown.
enum SheetResult : int { SheetFailed = -1, SheetCancelled = IdCancel, SheetFinished = 0x3025 };

// A modal property sheet; SetWizardMode turns it into a wizard.
class CPropertySheet {
public:
    CPropertySheet(const WString& caption, ParentWindow parent, int selectPage);
    virtual ~CPropertySheet() = default;
    CPropertySheet(const CPropertySheet&) = delete;
    CPropertySheet& operator=(const CPropertySheet&) = delete;

    void AddPage(CPropertyPage* page);
    void SetWizardMode() { m_bWizardMode = true; }
    bool SetActivePage(CPropertyPage* page);
    // Runs the sheet until it closes; returns how it closed (SheetResult).
    int DoModal();

    // Once, when the sheet's window and its first page exist.
    virtual bool OnInitDialog() { return true; }

    void SetWizardButtons(unsigned flags);

    const WString& GetCaption() const { return m_strCaption; }
    ParentWindow GetParent() const { return m_pParent; }
    bool IsWizardMode() const { return m_bWizardMode; }
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const { return m_pages[static_cast<std::size_t>(index)]; }
    int GetStartPage() const { return m_nStartPage; }
    ISheetWindow* GetWindow() const { return m_pWindow; }

    // Used by the back ends while the sheet runs.
    void AttachWindow(ISheetWindow* window) { m_pWindow = window; }

private:
    const WString m_strCaption;
    const ParentWindow m_pParent;
    int m_nStartPage;
    bool m_bWizardMode = false;
    std::vector<CPropertyPage*> m_pages;
    ISheetWindow* m_pWindow = nullptr;
};

// The application object. Its constructor makes it the running application, which the
// program's entry point starts.
class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Runs the application; false ends it at once.
    virtual bool InitInstance() { return true; }
    // Names the per-user settings root. The framework itself stores nothing there.
    void SetRegistryKey(const WString& key) { m_strRegistryKey = key; }
    const WString& GetRegistryKey() const { return m_strRegistryKey; }
    // What the process ends with (0 unless the application says otherwise).
    void SetExitCode(int code) { m_nExitCode = code; }
    int GetExitCode() const { return m_nExitCode; }

    static CWinApp* Current();

private:
    WString m_strRegistryKey;
    int m_nExitCode = 0;
};

// Registers the common control classes the pages use.
void InitCommonControlClasses();

// A message box with no owner window, for when there is no wizard to own it.
int ShowAppMessageBox(const WString& text, const WString& caption, unsigned style);

// Back end: shows the sheet modally and returns how it closed (SheetResult).
int RunModalSheet(CPropertySheet& sheet);
