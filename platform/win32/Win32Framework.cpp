// The framework on the real property sheet: pages from the program's dialog resources, their
// notifications turned into the page hooks, the sheet's start-up into CPropertySheet::OnInitDialog.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <vector>

#include "platform/Framework.h"
#include "platform/win32/Win32Windows.h"

namespace {

// The common control classes of the first Windows 95 set (ICC_WIN95_CLASSES).
constexpr DWORD kCommonControlClasses = ICC_WIN95_CLASSES;

struct PageHost {
    CPropertyPage* page = nullptr;
    std::unique_ptr<Win32Dialog> window;
};

struct SheetRun {
    CPropertySheet* sheet = nullptr;
    std::unique_ptr<Win32Dialog> window;
};

// The sheet being started: the sheet's start-up callback carries no context. The program runs
// one modal sheet at a time, on its user-interface thread.
SheetRun* g_pStartingSheet = nullptr;

LRESULT PageNotification(CPropertyPage& page, UINT code, bool& handled) {
    handled = true;
    switch (code) {
    case PSN_SETACTIVE:
        return page.OnSetActive() ? 0 : -1;
    case PSN_WIZBACK:
        return page.OnWizardBack();
    case PSN_WIZNEXT:
        return page.OnWizardNext();
    case PSN_WIZFINISH:
        // Non-zero keeps the sheet open.
        return page.OnWizardFinish() ? FALSE : TRUE;
    case PSN_QUERYCANCEL:
        return page.OnQueryCancel() ? FALSE : TRUE;
    default:
        handled = false;
        return 0;
    }
}

// A page's own messages (WM_USER up to WM_APP), with the answer for the sender.
INT_PTR PrivateMessage(HWND hwnd, CPropertyPage& page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message < WM_USER || message >= WM_APP) {
        return FALSE;
    }
    std::intptr_t result = 0;
    if (!page.OnPrivateMessage(message, wParam, lParam, result)) {
        return FALSE;
    }
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        auto* host = reinterpret_cast<PageHost*>(sheetPage->lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
        host->window = std::make_unique<Win32Dialog>(hwnd, GetParent(hwnd));
        host->page->AttachWindow(host->window.get());
        return host->page->OnInitDialog() ? TRUE : FALSE;
    }
    auto* host = reinterpret_cast<PageHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (host == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_NOTIFY: {
        bool handled = false;
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        const LRESULT result = PageNotification(*host->page, header->code, handled);
        if (handled) {
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        }
        return handled ? TRUE : FALSE;
    }
    case WM_TIMER:
        host->page->OnTimer(wParam);
        return FALSE;
    case WM_DESTROY:
        host->page->AttachWindow(nullptr);
        host->window.reset();
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return FALSE;
    default:
        return PrivateMessage(hwnd, *host->page, message, wParam, lParam);
    }
}

int CALLBACK SheetCallback(HWND hwnd, UINT message, LPARAM) {
    SheetRun* run = g_pStartingSheet;
    if (message == PSCB_INITIALIZED && run != nullptr) {
        run->window = std::make_unique<Win32Dialog>(hwnd, hwnd);
        run->sheet->AttachWindow(run->window.get());
        run->sheet->OnInitDialog();
    }
    return 0;
}

} // namespace

void InitCommonControlClasses() {
    INITCOMMONCONTROLSEX classes = {};
    classes.dwSize = sizeof(classes);
    classes.dwICC = kCommonControlClasses;
    InitCommonControlsEx(&classes);
}

int ShowAppMessageBox(const WString& text, const WString& caption, unsigned style) {
    return MessageBoxW(nullptr, text.c_str(), caption.c_str(), style);
}

int RunModalSheet(CPropertySheet& sheet) {
    const int count = sheet.GetPageCount();
    std::vector<PageHost> hosts(static_cast<std::size_t>(count));
    std::vector<PROPSHEETPAGEW> pages(static_cast<std::size_t>(count));
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (int i = 0; i < count; ++i) {
        PageHost& host = hosts[static_cast<std::size_t>(i)];
        host.page = sheet.GetPage(i);
        PROPSHEETPAGEW& page = pages[static_cast<std::size_t>(i)];
        page.dwSize = sizeof(page);
        page.dwFlags = PSP_DEFAULT;
        page.hInstance = instance;
        page.pszTemplate = MAKEINTRESOURCEW(host.page->GetTemplateId());
        page.pfnDlgProc = PageProc;
        page.lParam = reinterpret_cast<LPARAM>(&host);
    }

    SheetRun run;
    run.sheet = &sheet;
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    // The application handles Help, so the framework's sheet carries a Help button; a sheet
    // that has no help to give hides it in OnInitDialog.
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_HASHELP;
    if (sheet.IsWizardMode()) {
        header.dwFlags |= PSH_WIZARD;
    }
    header.hwndParent = static_cast<HWND>(sheet.GetParent());
    header.hInstance = instance;
    header.pszCaption = sheet.GetCaption().c_str();
    header.nPages = static_cast<UINT>(count);
    header.nStartPage = static_cast<UINT>(sheet.GetStartPage());
    header.ppsp = pages.data();
    header.pfnCallback = SheetCallback;

    g_pStartingSheet = &run;
    const INT_PTR result = PropertySheetW(&header);
    g_pStartingSheet = nullptr;
    sheet.AttachWindow(nullptr);
    for (PageHost& host : hosts) {
        host.page->AttachWindow(nullptr);
    }
    if (result < 0) {
        return SheetFailed;
    }
    return result > 0 ? SheetFinished : SheetCancelled;
}
