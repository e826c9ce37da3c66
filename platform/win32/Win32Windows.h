// Thin wrappers over real dialog windows and list boxes. They borrow the window handles; the
// property sheet owns the windows.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

#include "platform/Window.h"

class Win32ListBox : public IListBox {
public:
    explicit Win32ListBox(HWND box) : m_hWnd(box) {}

    int GetCount() const override;
    int DeleteString(int index) override;
    int AddString(const WString& text) override;
    int SetCurSel(int index) override;
    int GetCurSel() const override;
    int GetTextLen(int index) const override;
    WString GetText(int index) const override;
    int SelectString(int startAfter, const WString& prefix) override;

private:
    int Send(UINT message, WPARAM wParam, LPARAM lParam) const;

    HWND m_hWnd;
};

// A dialog: a property page, or the sheet itself. `sheet` is the property sheet window that
// takes the wizard-button settings.
class Win32Dialog : public ISheetWindow {
public:
    Win32Dialog(HWND dialog, HWND sheet) : m_hWnd(dialog), m_hSheet(sheet) {}

    bool HasItem(int id) const override;
    WString GetItemText(int id) const override;
    void SetItemText(int id, const WString& text) override;
    IListBox* GetListBox(int id) override;
    void ShowItem(int id, bool show) override;
    void EnableItem(int id, bool enable) override;
    void RepaintNow() override;
    int ShowMessageBox(const WString& text, const WString& caption, unsigned style) override;
    std::uintptr_t SetTimer(std::uintptr_t id, unsigned milliseconds) override;
    bool KillTimer(std::uintptr_t id) override;
    std::intptr_t SendPrivateMessage(unsigned message, std::uintptr_t wParam,
                                     std::intptr_t lParam) override;
    bool PostPrivateMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void SetWizardButtons(unsigned flags) override;
    bool PostButtonPress(WizardButton button) override;

    HWND Handle() const { return m_hWnd; }

private:
    HWND m_hWnd;
    HWND m_hSheet;
    std::map<int, std::unique_ptr<Win32ListBox>> m_listBoxes;
};
