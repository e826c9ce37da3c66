// What a back end's windows offer the portable framework: dialog items, list boxes, the
// wizard sheet's buttons and message boxes. platform/win32 wraps real windows; platform/sim
// keeps the same state in memory for the headless tests.
#pragma once

#include <cstdint>

#include "platform/Text.h"

// Values shared with the platform's own constants (the win32 back end checks that they agree).
enum ButtonId : int { IdOk = 1, IdCancel = 2, IdHelp = 9 };

// Wizard buttons a page offers (the property sheet's PSWIZB_* bits).
enum WizardButtonFlags : unsigned {
    WizBack = 0x1,
    WizNext = 0x2,
    WizFinish = 0x4,
    WizDisabledFinish = 0x8,
};

// The sheet's wizard buttons, as a user presses them (the property sheet's PSBTN_* values).
enum class WizardButton : int { Back = 0, Next = 1, Finish = 2, Cancel = 5 };

// Message box styles and answers the program uses (MB_* and ID* values).
enum MessageBoxStyle : unsigned {
    MbOk = 0x0,
    MbIconError = 0x10,
    MbIconInformation = 0x40,
};

// Result of a list box operation that found nothing or failed (LB_ERR).
constexpr int kListBoxError = -1;

// A list box on a dialog. Indexes are zero-based; operations return kListBoxError as the
// control does.
class IListBox {
public:
    virtual ~IListBox() = default;
    virtual int GetCount() const = 0;
    virtual int DeleteString(int index) = 0;
    // Adds an item; a sorted list box puts it in its sorted place. Returns its index.
    virtual int AddString(const WString& text) = 0;
    virtual int SetCurSel(int index) = 0;
    virtual int GetCurSel() const = 0;
    virtual int GetTextLen(int index) const = 0;
    virtual WString GetText(int index) const = 0;
    // Selects the first item after `startAfter` (-1: from the top, wrapping round) whose text
    // begins with `prefix`, compared without regard to case. Returns its index.
    virtual int SelectString(int startAfter, const WString& prefix) = 0;
};

// A dialog window: a property page or the sheet around the pages.
class IDialogWindow {
public:
    virtual ~IDialogWindow() = default;
    virtual bool HasItem(int id) const = 0;
    virtual WString GetItemText(int id) const = 0;
    virtual void SetItemText(int id, const WString& text) = 0;
    // The list box with this id, or null when the dialog has none.
    virtual IListBox* GetListBox(int id) = 0;
    virtual void ShowItem(int id, bool show) = 0;
    virtual void EnableItem(int id, bool enable) = 0;
    // Paints what changed at once, the whole sheet with its controls included, for a thread
    // that is about to block and could not paint later. Wizard-button changes still queued
    // (they are posted) take effect first, so the buttons show as they were last set.
    virtual void RepaintNow() = 0;
    // A modal message box owned by this window; returns the button the user chose.
    virtual int ShowMessageBox(const WString& text, const WString& caption, unsigned style) = 0;

    // A timer of this window: every `milliseconds` the window's thread gets a tick for `id`.
    // As on Windows, only the thread that owns the window may start one. Returns the timer's
    // id, 0 when it could not be started.
    virtual std::uintptr_t SetTimer(std::uintptr_t id, unsigned milliseconds) = 0;
    virtual bool KillTimer(std::uintptr_t id) = 0;

    // A message of the window's own (kFirstPrivateMessage and above), delivered on the thread
    // that owns the window. Send waits until it has been handled, from any thread, and returns
    // the handler's result; Post only queues it and tells whether that worked.
    virtual std::intptr_t SendPrivateMessage(unsigned message, std::uintptr_t wParam,
                                             std::intptr_t lParam) = 0;
    virtual bool PostPrivateMessage(unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam) = 0;
};

// The first message number a window may define for itself (WM_USER).
constexpr unsigned kFirstPrivateMessage = 0x0400;

// The sheet window of a wizard.
class ISheetWindow : public IDialogWindow {
public:
    // Which of Back, Next and Finish are offered (WizardButtonFlags).
    virtual void SetWizardButtons(unsigned flags) = 0;
    // Queues a press of one of the sheet's buttons, handled as if the user had pressed it once
    // the current message is done (PSM_PRESSBUTTON, posted).
    virtual bool PostButtonPress(WizardButton button) = 0;
};
