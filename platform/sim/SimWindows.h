// Simulated dialog windows, list boxes and the wizard sheet, kept in memory so the pages run
// headless. A test drives a SimSheet as a user drives the real one: it reads the active page,
// its texts and the buttons, and presses buttons.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/Framework.h"
#include "platform/Window.h"
#include "platform/sim/SimResources.h"

namespace sim {

// Ids of the sheet's own buttons (the property sheet's control ids).
enum SheetButtonId : int {
    kBackButton = 0x3023,
    kNextButton = 0x3024,
    kFinishButton = 0x3025,
    kCancelButton = IdCancel,
    kHelpButton = IdHelp,
};

class SimListBox : public IListBox {
public:
    explicit SimListBox(bool sorted) : m_bSorted(sorted) {}

    int GetCount() const override;
    int DeleteString(int index) override;
    int AddString(const WString& text) override;
    int SetCurSel(int index) override;
    int GetCurSel() const override;
    int GetTextLen(int index) const override;
    WString GetText(int index) const override;
    int SelectString(int startAfter, const WString& prefix) override;

    const std::vector<WString>& Items() const { return m_items; }

private:
    bool IsIndex(int index) const;

    const bool m_bSorted;
    std::vector<WString> m_items;
    int m_nSelection = kListBoxError;
};

// One item of a simulated dialog.
struct SimItem {
    WString text;
    bool visible = true;
    bool enabled = true;
    std::unique_ptr<SimListBox> listBox;
};

class SimDialog : public ISheetWindow {
public:
    // A page window made from its dialog template.
    explicit SimDialog(const DialogTemplate& dialog);

    bool HasItem(int id) const override;
    WString GetItemText(int id) const override;
    void SetItemText(int id, const WString& text) override;
    IListBox* GetListBox(int id) override;
    void ShowItem(int id, bool show) override;
    void EnableItem(int id, bool enable) override;
    int ShowMessageBox(const WString& text, const WString& caption, unsigned style) override;
    // A page has no wizard buttons of its own: the pages set them through the sheet.
    void SetWizardButtons(unsigned) override {}

    const WString& Caption() const { return m_strCaption; }
    bool IsItemVisible(int id) const;
    bool IsItemEnabled(int id) const;

protected:
    // A window with no items yet.
    explicit SimDialog(const WString& caption) : m_strCaption(caption) {}
    void AddItem(int id, bool visible);

private:
    const WString m_strCaption;
    std::map<int, SimItem> m_items;
};

// The sheet's own window: its buttons, and how the pages' wizard-button flags show them.
class SimSheetWindow : public SimDialog {
public:
    explicit SimSheetWindow(const WString& caption);
    void SetWizardButtons(unsigned flags) override;
    // Enabled, and visible so that a user can reach it.
    bool IsButtonEnabled(int id) const { return IsItemVisible(id) && IsItemEnabled(id); }
};

// How a modal run ended when the simulated user walked away.
constexpr int SheetAbandoned = -2;

class SimSheet {
public:
    explicit SimSheet(CPropertySheet& sheet);
    ~SimSheet();
    SimSheet(const SimSheet&) = delete;
    SimSheet& operator=(const SimSheet&) = delete;

    // Creates the sheet window and shows its start page.
    void Open();
    bool IsOpen() const { return m_bOpen; }
    int Result() const { return m_nResult; }
    void Abandon();

    // What the user sees.
    CPropertyPage* ActivePage() const;
    SimDialog& ActiveDialog();
    const WString& ActiveCaption();
    WString Text(int id) { return ActiveDialog().GetItemText(id); }
    bool IsButtonVisible(int id) const { return m_window.IsItemVisible(id); }
    bool IsButtonEnabled(int id) const { return m_window.IsButtonEnabled(id); }
    CPropertySheet& Sheet() { return m_sheet; }

    // Presses a button as a user does: a hidden or disabled button does nothing. Returns
    // whether the press was taken.
    bool Press(WizardButton button);

private:
    // Moves to the page `index`, creating its window on first use. A page that refuses to be
    // shown is skipped in the direction of travel.
    void Activate(int index, int direction);
    int PageIndexOfTemplate(int templateId) const;
    void Close(int result);

    CPropertySheet& m_sheet;
    SimSheetWindow m_window;
    std::vector<std::unique_ptr<SimDialog>> m_pageWindows;
    int m_nActive = -1;
    bool m_bOpen = false;
    int m_nResult = 0;
};

} // namespace sim
