// Simulated dialogs, list boxes and the wizard sheet, following the property sheet's rules:
// pages are created on first activation, Back/Next/Finish/Cancel ask the active page first,
// and a page's wizard-button flags decide which buttons show and which are enabled.
#include "platform/sim/SimWindows.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimText.h"

namespace sim {

namespace {
constexpr int kForward = 1;
constexpr int kBackward = -1;
// How often the modal loop looks for work while a worker thread runs (real time).
constexpr unsigned long kWorkerPollMs = 1;
// Ids of the sheet's buttons, all present from the start.
const int kSheetButtons[] = {kBackButton, kNextButton, kFinishButton, kCancelButton, kHelpButton};

// Case-blind comparison, as the list box compares its items.
int CompareNoCase(const WString& a, const WString& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const WChar ca = FoldAsciiCase(a[i]);
        const WChar cb = FoldAsciiCase(b[i]);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool StartsWithNoCase(const WString& text, const WString& prefix) {
    return text.size() >= prefix.size() &&
           CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

bool IsListBoxClass(const std::string& className) {
    std::string lower = className;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == "listbox";
}
} // namespace

// --- list box ---

bool SimListBox::IsIndex(int index) const {
    return index >= 0 && index < static_cast<int>(m_items.size());
}

int SimListBox::GetCount() const {
    return static_cast<int>(m_items.size());
}

int SimListBox::DeleteString(int index) {
    if (!IsIndex(index)) {
        return kListBoxError;
    }
    m_items.erase(m_items.begin() + index);
    if (m_nSelection == index) {
        m_nSelection = kListBoxError;
    } else if (m_nSelection > index) {
        --m_nSelection;
    }
    return GetCount();
}

int SimListBox::AddString(const WString& text) {
    std::size_t at = m_items.size();
    if (m_bSorted) {
        at = 0;
        while (at < m_items.size() && CompareNoCase(m_items[at], text) <= 0) {
            ++at;
        }
    }
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(at), text);
    const int index = static_cast<int>(at);
    if (m_nSelection >= index) {
        ++m_nSelection;
    }
    return index;
}

int SimListBox::SetCurSel(int index) {
    if (!IsIndex(index)) {
        m_nSelection = kListBoxError;
        return kListBoxError;
    }
    m_nSelection = index;
    return index;
}

int SimListBox::GetCurSel() const {
    return m_nSelection;
}

int SimListBox::GetTextLen(int index) const {
    return IsIndex(index) ? static_cast<int>(m_items[static_cast<std::size_t>(index)].size())
                          : kListBoxError;
}

WString SimListBox::GetText(int index) const {
    return IsIndex(index) ? m_items[static_cast<std::size_t>(index)] : WString();
}

int SimListBox::SelectString(int startAfter, const WString& prefix) {
    const int count = GetCount();
    for (int step = 1; step <= count; ++step) {
        const int index = (startAfter + step + count) % count;
        if (StartsWithNoCase(m_items[static_cast<std::size_t>(index)], prefix)) {
            m_nSelection = index;
            return index;
        }
    }
    return kListBoxError;
}

// --- dialogs ---

SimDialog::SimDialog(const DialogTemplate& dialog) : m_strCaption(dialog.caption) {
    for (const ControlTemplate& control : dialog.controls) {
        SimItem& item = m_items[control.id];
        item.text = control.text;
        item.visible = (control.style & kWsVisible) != 0;
        item.enabled = (control.style & kWsDisabled) == 0;
        if (IsListBoxClass(control.className)) {
            item.listBox = std::make_unique<SimListBox>((control.style & kLbsSort) != 0);
        }
    }
}

void SimDialog::AddItem(int id, bool visible) {
    m_items[id].visible = visible;
}

bool SimDialog::HasItem(int id) const {
    return m_items.count(id) != 0;
}

WString SimDialog::GetItemText(int id) const {
    auto it = m_items.find(id);
    return it == m_items.end() ? WString() : it->second.text;
}

void SimDialog::SetItemText(int id, const WString& text) {
    auto it = m_items.find(id);
    if (it != m_items.end()) {
        SimItem& item = it->second;
        item.text = text;
        if (item.shown.empty() || item.shown.back() != text) {
            item.shown.push_back(text);
        }
    }
}

std::vector<WString> SimDialog::TextsShown(int id) const {
    auto it = m_items.find(id);
    return it == m_items.end() ? std::vector<WString>() : it->second.shown;
}

IListBox* SimDialog::GetListBox(int id) {
    auto it = m_items.find(id);
    return it == m_items.end() ? nullptr : it->second.listBox.get();
}

void SimDialog::ShowItem(int id, bool show) {
    auto it = m_items.find(id);
    if (it != m_items.end()) {
        it->second.visible = show;
    }
}

void SimDialog::EnableItem(int id, bool enable) {
    auto it = m_items.find(id);
    if (it != m_items.end()) {
        it->second.enabled = enable;
    }
}

bool SimDialog::IsItemVisible(int id) const {
    auto it = m_items.find(id);
    return it != m_items.end() && it->second.visible;
}

bool SimDialog::IsItemEnabled(int id) const {
    auto it = m_items.find(id);
    return it != m_items.end() && it->second.enabled;
}

void SimDialog::RepaintNow() {
    if (m_pSheet != nullptr) {
        m_pSheet->DispatchQueued(kSetWizardButtonsMessage);
    }
}

int SimDialog::ShowMessageBox(const WString& text, const WString& caption, unsigned style) {
    return Machine::Get().ShowMessageBox({m_strCaption, text, caption, style});
}

std::uintptr_t SimDialog::SetTimer(std::uintptr_t id, unsigned) {
    // As on Windows, a thread cannot start a timer on another thread's window.
    if (m_pSheet == nullptr || !m_pSheet->OnSheetThread() ||
        Machine::Get().TakeFailure(Operation::SetTimer)) {
        return 0;
    }
    return m_pSheet->SetTimer(m_pPage, id);
}

bool SimDialog::KillTimer(std::uintptr_t id) {
    return m_pSheet != nullptr && m_pSheet->OnSheetThread() && m_pSheet->KillTimer(m_pPage, id);
}

std::intptr_t SimDialog::SendPrivateMessage(unsigned message, std::uintptr_t wParam,
                                            std::intptr_t lParam) {
    CPropertyPage* page = m_pPage;
    if (m_pSheet == nullptr || page == nullptr) {
        return 0;
    }
    return m_pSheet->Send([page, message, wParam, lParam] {
        std::intptr_t result = 0;
        return page->OnPrivateMessage(message, wParam, lParam, result) ? result : 0;
    });
}

bool SimDialog::PostPrivateMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    CPropertyPage* page = m_pPage;
    if (m_pSheet == nullptr || page == nullptr ||
        Machine::Get().TakeFailure(Operation::PostMessage)) {
        return false;
    }
    return m_pSheet->Post([page, message, wParam, lParam] {
        std::intptr_t result = 0;
        page->OnPrivateMessage(message, wParam, lParam, result);
    });
}

// --- sheet ---

SimSheetWindow::SimSheetWindow(const WString& caption) : SimDialog(caption) {
    for (int id : kSheetButtons) {
        AddItem(id, true);
    }
    // Until a page says otherwise: Back and Next, no Finish. Help shows, as the framework's
    // sheet offers it when the application handles Help; the wizard hides it itself.
    ShowItem(kFinishButton, false);
}

bool SimSheetWindow::PostButtonPress(WizardButton button) {
    SimSheet* sheet = m_pSheet;
    return sheet != nullptr && sheet->Post([sheet, button] { sheet->Press(button); });
}

void SimSheetWindow::SetWizardButtons(unsigned flags) {
    if (m_pSheet != nullptr) {
        m_pSheet->Post([this, flags] { ShowWizardButtons(flags); }, kSetWizardButtonsMessage);
    }
}

void SimSheetWindow::ShowWizardButtons(unsigned flags) {
    EnableItem(kBackButton, (flags & WizBack) != 0);
    const bool finish = (flags & (WizFinish | WizDisabledFinish)) != 0;
    // With Finish offered, Finish takes Next's place.
    ShowItem(kFinishButton, finish);
    EnableItem(kFinishButton, (flags & WizFinish) != 0);
    ShowItem(kNextButton, !finish);
    EnableItem(kNextButton, (flags & WizNext) != 0);
}

SimSheet::SimSheet(CPropertySheet& sheet) : m_sheet(sheet), m_window(sheet.GetCaption()) {}

SimSheet::~SimSheet() {
    Close(m_nResult);
    // A sender another thread has in Send may still be on its way out: as a window's messages
    // on Windows, the queue outlives every call made to it.
    std::unique_lock<std::mutex> lock(m_queueMutex);
    m_queueChanged.wait(lock, [this] { return m_nSenders == 0; });
}

void SimSheet::Open() {
    if (!m_sheet.IsWizardMode() || m_sheet.GetPageCount() == 0) {
        throw std::logic_error("simulated sheet: only wizards with pages are simulated");
    }
    m_pageWindows.resize(static_cast<std::size_t>(m_sheet.GetPageCount()));
    m_bOpen = true;
    m_uiThread = std::this_thread::get_id();
    m_window.SetHost(this, nullptr);
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_bAcceptingWork = true;
    }
    m_sheet.AttachWindow(&m_window);
    Activate(m_sheet.GetStartPage(), kForward);
    m_sheet.OnInitDialog();
}

void SimSheet::Close(int result) {
    if (!m_bOpen) {
        return;
    }
    m_bOpen = false;
    m_nResult = result;
    m_timers.clear();
    {
        // The window is gone: what was queued is never handled, and a waiting sender gets 0.
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_bAcceptingWork = false;
        for (Work& work : m_queue) {
            if (work.done) {
                *work.done = true;
            }
        }
        m_queue.clear();
    }
    m_queueChanged.notify_all();
    for (int i = 0; i < m_sheet.GetPageCount(); ++i) {
        m_sheet.GetPage(i)->AttachWindow(nullptr);
    }
    m_sheet.AttachWindow(nullptr);
}

void SimSheet::Abandon() {
    Close(SheetAbandoned);
}

CPropertyPage* SimSheet::ActivePage() const {
    return m_nActive < 0 ? nullptr : m_sheet.GetPage(m_nActive);
}

SimDialog& SimSheet::ActiveDialog() {
    if (m_nActive < 0) {
        throw std::logic_error("simulated sheet: no active page");
    }
    return *m_pageWindows[static_cast<std::size_t>(m_nActive)];
}

const WString& SimSheet::ActiveCaption() {
    return ActiveDialog().Caption();
}

int SimSheet::PageIndexOfTemplate(int templateId) const {
    for (int i = 0; i < m_sheet.GetPageCount(); ++i) {
        if (m_sheet.GetPage(i)->GetTemplateId() == templateId) {
            return i;
        }
    }
    return -1;
}

void SimSheet::Activate(int index, int direction) {
    for (; index >= 0 && index < m_sheet.GetPageCount(); index += direction) {
        CPropertyPage* page = m_sheet.GetPage(index);
        std::unique_ptr<SimDialog>& window = m_pageWindows[static_cast<std::size_t>(index)];
        if (!window) {
            const DialogTemplate* dialog = FindDialogTemplate(page->GetTemplateId());
            if (dialog == nullptr) {
                throw std::logic_error("simulated sheet: page without a dialog template");
            }
            window = std::make_unique<SimDialog>(*dialog);
            window->SetHost(this, page);
            page->AttachWindow(window.get());
            page->OnInitDialog();
        }
        const int previous = m_nActive;
        m_nActive = index;
        if (page->OnSetActive()) {
            return;
        }
        m_nActive = previous;
    }
}

bool SimSheet::Press(WizardButton button) {
    if (!m_bOpen) {
        return false;
    }
    CPropertyPage* page = ActivePage();
    switch (button) {
    case WizardButton::Back:
    case WizardButton::Next: {
        const bool next = button == WizardButton::Next;
        if (!IsButtonEnabled(next ? kNextButton : kBackButton)) {
            return false;
        }
        const int answer = next ? page->OnWizardNext() : page->OnWizardBack();
        const int direction = next ? kForward : kBackward;
        if (answer == -1) {
            return true;
        }
        const int target = answer == 0 ? m_nActive + direction : PageIndexOfTemplate(answer);
        if (target >= 0 && target < m_sheet.GetPageCount()) {
            Activate(target, direction);
        }
        return true;
    }
    case WizardButton::Finish:
        if (!IsButtonEnabled(kFinishButton)) {
            return false;
        }
        if (page->OnWizardFinish()) {
            Close(SheetFinished);
        }
        return true;
    case WizardButton::Cancel:
        if (!IsButtonEnabled(kCancelButton)) {
            return false;
        }
        if (page->OnQueryCancel()) {
            Close(SheetCancelled);
        }
        return true;
    }
    return false;
}

bool SimSheet::RequestClose(CloseRequest) {
    if (!m_bOpen) {
        return false;
    }
    if (ActivePage()->OnQueryCancel()) {
        Close(SheetCancelled);
    }
    return !m_bOpen;
}

std::intptr_t SimSheet::Send(const std::function<std::intptr_t()>& work) {
    if (OnSheetThread()) {
        return m_bOpen ? work() : 0;
    }
    auto result = std::make_shared<std::intptr_t>(0);
    auto done = std::make_shared<bool>(false);
    std::unique_lock<std::mutex> lock(m_queueMutex);
    if (!m_bAcceptingWork) {
        return 0;
    }
    m_queue.push_back({work, result, done});
    ++m_nSenders;
    m_queueChanged.notify_all();
    const bool answered = m_queueChanged.wait_for(lock, std::chrono::milliseconds(kHangLimitMs),
                                                  [&] { return *done; });
    --m_nSenders;
    m_queueChanged.notify_all();
    if (!answered) {
        ++Machine::Get().hangs;
        return 0;
    }
    return *result;
}

bool SimSheet::Post(const std::function<void()>& work, unsigned message) {
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        if (!m_bAcceptingWork) {
            return false;
        }
        m_queue.push_back({[work] {
                               work();
                               return std::intptr_t(0);
                           },
                           nullptr, nullptr, message});
    }
    m_queueChanged.notify_all();
    return true;
}

void SimSheet::DispatchQueued(unsigned message) {
    std::vector<Work> taken;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        for (auto it = m_queue.begin(); it != m_queue.end();) {
            if (it->message == message) {
                taken.push_back(std::move(*it));
                it = m_queue.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (Work& work : taken) {
        work.run();
    }
}

bool SimSheet::DispatchOne() {
    Work work;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        if (m_queue.empty()) {
            return false;
        }
        work = std::move(m_queue.front());
        m_queue.pop_front();
    }
    const std::intptr_t result = work.run();
    if (work.done) {
        {
            std::lock_guard<std::mutex> lock(m_queueMutex);
            *work.result = result;
            *work.done = true;
        }
        m_queueChanged.notify_all();
    }
    return true;
}

void SimSheet::WaitForWork(unsigned long milliseconds) {
    std::unique_lock<std::mutex> lock(m_queueMutex);
    m_queueChanged.wait_for(lock, std::chrono::milliseconds(milliseconds),
                            [this] { return !m_queue.empty(); });
}

std::uintptr_t SimSheet::SetTimer(CPropertyPage* page, std::uintptr_t id) {
    for (const Timer& timer : m_timers) {
        if (timer.page == page && timer.id == id) {
            return id;
        }
    }
    m_timers.push_back({page, id});
    return id;
}

bool SimSheet::KillTimer(CPropertyPage* page, std::uintptr_t id) {
    auto it = std::find_if(m_timers.begin(), m_timers.end(), [&](const Timer& timer) {
        return timer.page == page && timer.id == id;
    });
    if (it == m_timers.end()) {
        return false;
    }
    m_timers.erase(it);
    return true;
}

bool SimSheet::TickTimers() {
    if (m_timers.empty()) {
        return false;
    }
    // A handler may start or kill timers, so tick a copy.
    const std::vector<Timer> timers = m_timers;
    for (const Timer& timer : timers) {
        ++m_nTimerTicks;
        timer.page->OnTimer(timer.id);
        if (!m_bOpen) {
            break;
        }
    }
    return true;
}

bool SimSheet::RunUntilSettled() {
    using Clock = std::chrono::steady_clock;
    Machine& machine = Machine::Get();
    Clock::time_point lastProgress = Clock::now();
    int idleTicks = 0;
    while (m_bOpen) {
        if (DispatchOne()) {
            lastProgress = Clock::now();
            idleTicks = 0;
            continue;
        }
        const bool workerRunning = machine.RunningThreads() > 0;
        if (workerRunning) {
            TickTimers();
            WaitForWork(kWorkerPollMs);
        } else if (!TickTimers()) {
            return true;
        }
        const bool stuck =
            workerRunning ? Clock::now() - lastProgress > std::chrono::milliseconds(kHangLimitMs)
                          : ++idleTicks > kMaxIdleTicks;
        if (stuck) {
            ++machine.hangs;
            Abandon();
        }
    }
    return false;
}

} // namespace sim

// The modal loop: the queue first, then the timers; the simulated user gets a turn only when
// the wizard has settled, as a user who waits for the wizard.
int RunModalSheet(CPropertySheet& sheet) {
    sim::SimSheet window(sheet);
    window.Open();
    sim::Machine& machine = sim::Machine::Get();
    while (window.RunUntilSettled()) {
        if (!machine.user || !machine.user(window)) {
            ++machine.abandonedSheets;
            window.Abandon();
        }
    }
    return window.Result();
}
