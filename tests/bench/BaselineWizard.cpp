// The floor the wizard's start-up is measured against: the least a program can do to show a
// one-page wizard with the same manifest (common controls 6) on this platform.
#include <windows.h>

#include <commctrl.h>

namespace {
constexpr int kPageTemplate = 100;

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
    PROPSHEETPAGEW page = {};
    page.dwSize = sizeof(page);
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEW(kPageTemplate);
    page.pfnDlgProc = PageProc;
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_WIZARD;
    header.hInstance = instance;
    header.pszCaption = L"Baseline";
    header.nPages = 1;
    header.ppsp = &page;
    PropertySheetW(&header);
    return 0;
}
