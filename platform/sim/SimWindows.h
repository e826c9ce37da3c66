// Simulated dialog windows, list boxes and the wizard sheet, kept in memory so the pages run
// headless. A test drives a SimSheet as a user drives the real one: it reads the active page,
// its texts and the buttons, and presses buttons.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
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

class SimSheet;

// One item of a simulated dialog.
struct SimItem {
    WString text;
    std::vector<WString> shown; // every text it showed, in order, repeats left out
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
    // Nothing is painted headless, but what the sheet has queued for its buttons takes effect
    // now, as it does on the screen.
    void RepaintNow() override;
    int ShowMessageBox(const WString& text, const WString& caption, unsigned style) override;
    // A page has no wizard buttons of its own: the pages set them through the sheet.
    void SetWizardButtons(unsigned) override {}
    bool PostButtonPress(WizardButton) override { return false; }
    // Timers and own messages go through the sheet's queue (see SimSheet).
    std::uintptr_t SetTimer(std::uintptr_t id, unsigned milliseconds) override;
    bool KillTimer(std::uintptr_t id) override;
    std::intptr_t SendPrivateMessage(unsigned message, std::uintptr_t wParam,
                                     std::intptr_t lParam) override;
    bool PostPrivateMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;

    const WString& Caption() const { return m_strCaption; }
    bool IsItemVisible(int id) const;
    bool IsItemEnabled(int id) const;
    // Every text the item showed, in order, consecutive repeats left out.
    std::vector<WString> TextsShown(int id) const;

    // The sheet and page the window belongs to.
    void SetHost(SimSheet* sheet, CPropertyPage* page) {
        m_pSheet = sheet;
        m_pPage = page;
    }

protected:
    // A window with no items yet.
    explicit SimDialog(const WString& caption) : m_strCaption(caption) {}
    void AddItem(int id, bool visible);

    SimSheet* m_pSheet = nullptr;
    CPropertyPage* m_pPage = nullptr;

private:
    const WString m_strCaption;
    std::map<int, SimItem> m_items;
};

// The sheet's message that sets its wizard buttons (PSM_SETWIZBUTTONS). Pages post it, as
// PropSheet_SetWizButtons does, so it takes effect only once the sheet's thread handles it.
constexpr unsigned kSetWizardButtonsMessage = kFirstPrivateMessage + 112;

// The sheet's own window: its buttons, and how the pages' wizard-button flags show them.
class SimSheetWindow : public SimDialog {
public:
    explicit SimSheetWindow(const WString& caption);
    // Queues the change (see kSetWizardButtonsMessage).
    void SetWizardButtons(unsigned flags) override;
    bool PostButtonPress(WizardButton button) override;
    // Enabled, and visible so that a user can reach it.
    bool IsButtonEnabled(int id) const { return IsItemVisible(id) && IsItemEnabled(id); }

private:
    // Which buttons show and which are enabled, as the sheet handles the message.
    void ShowWizardButtons(unsigned flags);
};

// How a modal run ended when the simulated user walked away.
constexpr int SheetAbandoned = -2;

// The ways a user can ask a sheet to close besides its Cancel button. All of them reach the
// active page as a query to cancel, whether or not the Cancel button is enabled.
enum class CloseRequest { CloseBox, AltF4, Escape };

// Timer ticks in a row, with nothing else happening, after which the loop counts a hang.
constexpr int kMaxIdleTicks = 1000;

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
    // Asks the sheet to close by its close box, Alt+F4 or Escape. Returns whether it closed.
    bool RequestClose(CloseRequest how);

    // The window's message queue, as the modal loop works through it. Send and Post may be
    // called from any thread; Send from the sheet's own thread runs the work at once, from
    // another it waits until the loop has run it (0 when the sheet is gone).
    std::intptr_t Send(const std::function<std::intptr_t()>& work);
    // `message` names what is posted, so that it can be handled ahead of the rest.
    bool Post(const std::function<void()>& work, unsigned message = 0);
    // Runs at once, in order, the queued work posted as `message`, and only that (what
    // PeekMessage filtered to one message does).
    void DispatchQueued(unsigned message);
    bool OnSheetThread() const { return std::this_thread::get_id() == m_uiThread; }
    // Works through the queue and the timers, waiting for workers, until the wizard has
    // settled: nothing queued, no worker running, no timer running. False when the sheet
    // closed meanwhile. A wizard that never settles is a hang: it is counted and abandoned.
    bool RunUntilSettled();
    // Runs the oldest queued work; false when the queue is empty.
    bool DispatchOne();
    // Waits up to `milliseconds` of real time for queued work.
    void WaitForWork(unsigned long milliseconds);
    // Gives every running timer one tick; false when none runs.
    bool TickTimers();
    int TimerTicks() const { return m_nTimerTicks; }
    std::uintptr_t SetTimer(CPropertyPage* page, std::uintptr_t id);
    bool KillTimer(CPropertyPage* page, std::uintptr_t id);

private:
    struct Work {
        std::function<std::intptr_t()> run;
        std::shared_ptr<std::intptr_t> result; // set when a sender waits for it
        std::shared_ptr<bool> done;
        unsigned message = 0;
    };
    struct Timer {
        CPropertyPage* page = nullptr;
        std::uintptr_t id = 0;
    };

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

    std::thread::id m_uiThread;
    std::mutex m_queueMutex;
    std::condition_variable m_queueChanged;
    std::deque<Work> m_queue;
    bool m_bAcceptingWork = false;
    int m_nSenders = 0; // threads inside Send; the sheet waits for them before it goes
    std::vector<Timer> m_timers;
    std::atomic<int> m_nTimerTicks{0};
};

} // namespace sim
