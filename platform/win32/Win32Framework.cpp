// The framework on the real property sheet: pages from the program's dialog resources, their
// notifications turned into the page hooks, the sheet's start-up into CPropertySheet::OnInitDialog.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <type_traits>
#include <vector>

#include "platform/Framework.h"
#include "platform/win32/Win32Windows.h"

namespace {

// The common control classes of the first Windows 95 set (ICC_WIN95_CLASSES).
constexpr DWORD kCommonControlClasses = ICC_WIN95_CLASSES;
// WM_DPICHANGED_AFTERPARENT (Windows 10 1703 and later), which the headers declare only for
// programs that require that Windows.
constexpr UINT kDpiChangedAfterParent = 0x02E3;
// Fitted pictures are true-colour, with no alpha channel for the control to blend with.
constexpr WORD kFittedBitsPerPixel = 24;

struct BitmapDeleter {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

// A bitmap picture control of a page: the bitmap it loaded itself, and the copy made to fit its
// frame at the current display scale (none while the original fits as it is).
struct Picture {
    HWND control = nullptr;
    UniqueBitmap original;
    UniqueBitmap fitted;
};

struct PageHost {
    CPropertyPage* page = nullptr;
    std::unique_ptr<Win32Dialog> window;
    // The page's pictures, found by FindPictures; deleted with the page.
    std::vector<Picture> pictures;
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

// The bitmap drawn over the whole of a frame, resampled smoothly (halftone) and keeping its
// proportions: what does not fit is cut off at the bottom, or evenly at both sides.
UniqueBitmap FitBitmap(HBITMAP source, const BITMAP& size, LONG width, LONG height) {
    LONG sourceWidth = size.bmWidth;
    LONG sourceHeight = size.bmHeight;
    if (width * sourceHeight > height * sourceWidth) {
        sourceHeight = MulDiv(sourceWidth, height, width);
    } else {
        sourceWidth = MulDiv(sourceHeight, width, height);
    }
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = kFittedBitsPerPixel;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap fitted(CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    HDC from = CreateCompatibleDC(nullptr);
    HDC to = CreateCompatibleDC(nullptr);
    bool drawn = false;
    if (fitted && from && to) {
        const HGDIOBJ oldFrom = SelectObject(from, source);
        const HGDIOBJ oldTo = SelectObject(to, fitted.get());
        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr); // as HALFTONE requires
        drawn = StretchBlt(to, 0, 0, width, height, from, (size.bmWidth - sourceWidth) / 2, 0,
                           sourceWidth, sourceHeight, SRCCOPY) != FALSE;
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
    }
    DeleteDC(from);
    DeleteDC(to);
    return drawn ? std::move(fitted) : UniqueBitmap();
}

// The banner is drawn for 96 DPI. Its picture control (SS_REALSIZECONTROL) keeps the frame of
// its dialog units at every display scale and would stretch the bitmap into it pixel by pixel
// on each paint; at any other size than the bitmap's the page shows a copy resampled once to
// the frame instead, which the control draws 1:1. Each copy is made from the original, so a
// change of scale never resamples an earlier copy. A picture whose copy cannot be made keeps
// the control's own stretching.
void FitPicture(Picture& picture) {
    RECT frame = {};
    BITMAP size = {};
    if (!GetClientRect(picture.control, &frame) ||
        !GetObjectW(picture.original.get(), sizeof(size), &size)) {
        return;
    }
    UniqueBitmap fitted;
    if (frame.right != size.bmWidth || frame.bottom != size.bmHeight) {
        fitted = FitBitmap(picture.original.get(), size, frame.right, frame.bottom);
        if (!fitted) {
            return;
        }
    }
    const HBITMAP shown = fitted ? fitted.get() : picture.original.get();
    SendMessageW(picture.control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown));
    // The copy shown until now is no longer used by the control.
    picture.fitted = std::move(fitted);
}

// Takes over the bitmaps that the page's picture controls loaded, and fits each to its frame.
void FindPictures(HWND page, std::vector<Picture>& pictures) {
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        // Only a bitmap static answers STM_GETIMAGE with a bitmap.
        const auto shown =
            reinterpret_cast<HBITMAP>(SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
        if (shown) {
            pictures.push_back(Picture{child, UniqueBitmap(shown), UniqueBitmap()});
            FitPicture(pictures.back());
        }
    }
}

INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        auto* host = reinterpret_cast<PageHost*>(sheetPage->lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
        host->window = std::make_unique<Win32Dialog>(hwnd, GetParent(hwnd));
        host->page->AttachWindow(host->window.get());
        FindPictures(hwnd, host->pictures);
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
    case kDpiChangedAfterParent:
        // The sheet has moved to a display of another scale and Windows has laid the page out
        // anew: the pictures' frames have new sizes.
        for (Picture& picture : host->pictures) {
            FitPicture(picture);
        }
        return FALSE;
    case WM_DESTROY:
        host->page->AttachWindow(nullptr);
        host->window.reset();
        // The controls give up the bitmaps, which are ours, before they go.
        for (Picture& picture : host->pictures) {
            SendMessageW(picture.control, STM_SETIMAGE, IMAGE_BITMAP, 0);
        }
        host->pictures.clear();
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
