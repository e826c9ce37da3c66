// Dialog items and list boxes through their window messages.
#include "platform/win32/Win32Windows.h"

#include <commctrl.h>

#include <vector>

static_assert(IdOk == IDOK && IdCancel == IDCANCEL && IdHelp == IDHELP, "button ids");
static_assert(WizBack == PSWIZB_BACK && WizNext == PSWIZB_NEXT && WizFinish == PSWIZB_FINISH &&
                  WizDisabledFinish == PSWIZB_DISABLEDFINISH,
              "wizard button flags");
static_assert(static_cast<int>(WizardButton::Back) == PSBTN_BACK &&
                  static_cast<int>(WizardButton::Next) == PSBTN_NEXT &&
                  static_cast<int>(WizardButton::Finish) == PSBTN_FINISH &&
                  static_cast<int>(WizardButton::Cancel) == PSBTN_CANCEL,
              "wizard buttons");
static_assert(MbOk == MB_OK && MbIconError == MB_ICONERROR &&
                  MbIconInformation == MB_ICONINFORMATION,
              "message box styles");
static_assert(kListBoxError == LB_ERR, "list box error");
static_assert(kFirstPrivateMessage == WM_USER, "first private message");

int Win32ListBox::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return static_cast<int>(SendMessageW(m_hWnd, message, wParam, lParam));
}

int Win32ListBox::GetCount() const {
    return Send(LB_GETCOUNT, 0, 0);
}

int Win32ListBox::DeleteString(int index) {
    return Send(LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

int Win32ListBox::AddString(const WString& text) {
    return Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int Win32ListBox::SetCurSel(int index) {
    return Send(LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32ListBox::GetCurSel() const {
    return Send(LB_GETCURSEL, 0, 0);
}

int Win32ListBox::GetTextLen(int index) const {
    return Send(LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
}

WString Win32ListBox::GetText(int index) const {
    const int length = GetTextLen(index);
    if (length == LB_ERR) {
        return WString();
    }
    std::vector<WChar> buffer(static_cast<std::size_t>(length) + 1, 0);
    const int copied =
        Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return copied == LB_ERR ? WString() : WString(buffer.data());
}

int Win32ListBox::SelectString(int startAfter, const WString& prefix) {
    return Send(LB_SELECTSTRING, static_cast<WPARAM>(startAfter),
                reinterpret_cast<LPARAM>(prefix.c_str()));
}

bool Win32Dialog::HasItem(int id) const {
    return GetDlgItem(m_hWnd, id) != nullptr;
}

WString Win32Dialog::GetItemText(int id) const {
    HWND item = GetDlgItem(m_hWnd, id);
    if (item == nullptr) {
        return WString();
    }
    const int length = GetWindowTextLengthW(item);
    std::vector<WChar> buffer(static_cast<std::size_t>(length) + 1, 0);
    GetWindowTextW(item, buffer.data(), length + 1);
    return WString(buffer.data());
}

void Win32Dialog::SetItemText(int id, const WString& text) {
    SetDlgItemTextW(m_hWnd, id, text.c_str());
}

IListBox* Win32Dialog::GetListBox(int id) {
    std::unique_ptr<Win32ListBox>& box = m_listBoxes[id];
    if (!box) {
        HWND item = GetDlgItem(m_hWnd, id);
        if (item == nullptr) {
            return nullptr;
        }
        box = std::make_unique<Win32ListBox>(item);
    }
    return box.get();
}

void Win32Dialog::ShowItem(int id, bool show) {
    HWND item = GetDlgItem(m_hWnd, id);
    if (item != nullptr) {
        ShowWindow(item, show ? SW_SHOW : SW_HIDE);
    }
}

void Win32Dialog::EnableItem(int id, bool enable) {
    HWND item = GetDlgItem(m_hWnd, id);
    if (item != nullptr) {
        EnableWindow(item, enable ? TRUE : FALSE);
    }
}

// The sheet's wizard buttons change when it handles the PSM_SETWIZBUTTONS a page posted: a
// thread about to block handles those first, then paints the whole sheet, its buttons and the
// page included.
void Win32Dialog::RepaintNow() {
    MSG message;
    while (PeekMessageW(&message, m_hSheet, PSM_SETWIZBUTTONS, PSM_SETWIZBUTTONS, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
    RedrawWindow(m_hSheet, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

int Win32Dialog::ShowMessageBox(const WString& text, const WString& caption, unsigned style) {
    return ::MessageBoxW(m_hWnd, text.c_str(), caption.c_str(), style);
}

std::uintptr_t Win32Dialog::SetTimer(std::uintptr_t id, unsigned milliseconds) {
    return ::SetTimer(m_hWnd, id, milliseconds, nullptr);
}

bool Win32Dialog::KillTimer(std::uintptr_t id) {
    return ::KillTimer(m_hWnd, id) != FALSE;
}

std::intptr_t Win32Dialog::SendPrivateMessage(unsigned message, std::uintptr_t wParam,
                                              std::intptr_t lParam) {
    return SendMessageW(m_hWnd, message, wParam, lParam);
}

bool Win32Dialog::PostPrivateMessage(unsigned message, std::uintptr_t wParam,
                                     std::intptr_t lParam) {
    return PostMessageW(m_hWnd, message, wParam, lParam) != FALSE;
}

void Win32Dialog::SetWizardButtons(unsigned flags) {
    PropSheet_SetWizButtons(m_hSheet, flags);
}

bool Win32Dialog::PostButtonPress(WizardButton button) {
    return PostMessageW(m_hSheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0) != FALSE;
}
