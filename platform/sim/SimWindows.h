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
    // The sheet window: `owner` handles SetWizardButtons.
    SimDialog(const WString& caption, ISheetWindow* owner);

    bool HasItem(int id) const override;
    WString GetItemText(int id) const override;
    void SetItemText(int id, const WString& text) override;
    IListBox* GetListBox(int id) override;
    void ShowItem(int id, bool show) override;
    void EnableItem(int id, bool enable) override;
    int ShowMessageBox(const WString& text, const WString& caption, unsigned style) override;
    void SetWizardButtons(unsigned flags) override;

    const WString& Caption() const { return m_strCaption; }
    bool IsItemVisible(int id) const;
    bool IsItemEnabled(int id) const;
    void AddItem(int id, bool visible);

private:
    const WString m_strCaption;
    ISheetWindow* m_pOwner = nullptr;
    std::map<int, SimItem> m_items;
};

// How a modal run ended when the simulated user walked away.
constexpr int SheetAbandoned = -2;

class SimSheet : public ISheetWindow {
public:
    explicit SimSheet(CPropertySheet& sheet);
    ~SimSheet() override;
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
    bool IsButtonEnabled(int id) const;
    CPropertySheet& Sheet() { return m_sheet; }

    // Presses a button as a user does: a hidden or disabled button does nothing. Returns
    // whether the press was taken.
    bool Press(WizardButton button);

    // ISheetWindow
    bool HasItem(int id) const override { return m_window.HasItem(id); }
    WString GetItemText(int id) const override { return m_window.GetItemText(id); }
    void SetItemText(int id, const WString& text) override { m_window.SetItemText(id, text); }
    IListBox* GetListBox(int id) override { return m_window.GetListBox(id); }
    void ShowItem(int id, bool show) override { m_window.ShowItem(id, show); }
    void EnableItem(int id, bool enable) override { m_window.EnableItem(id, enable); }
    int ShowMessageBox(const WString& text, const WString& caption, unsigned style) override {
        return m_window.ShowMessageBox(text, caption, style);
    }
    void SetWizardButtons(unsigned flags) override;

private:
    // Moves to the page `index`, creating its window on first use. A page that refuses to be
    // shown is skipped in the direction of travel.
    void Activate(int index, int direction);
    int PageIndexOfTemplate(int templateId) const;
    void Close(int result);

    CPropertySheet& m_sheet;
    SimDialog m_window;
    std::vector<std::unique_ptr<SimDialog>> m_pageWindows;
    int m_nActive = -1;
    bool m_bOpen = false;
    int m_nResult = 0;
};

} // namespace sim
