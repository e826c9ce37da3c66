// The win32 back end against the real API: module path, list boxes on the program's own dialog
// templates, and a real property sheet in wizard mode driven through its messages.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Wizard.h"
#include "platform/Framework.h"
#include "platform/ModulePath.h"
#include "platform/win32/Win32Windows.h"
#include "res/resource.h"
#include "tests/common/ListBoxCases.h"

namespace {

constexpr std::size_t kPathCapacity = MAX_PATH;
constexpr std::size_t kTooSmall = 4;

TEST(Win32ModulePath, GivesTheWholePathOrNothing) {
    WChar path[kPathCapacity];
    ASSERT_TRUE(GetModulePath(path, kPathCapacity));
    const std::wstring whole = path;
    EXPECT_EQ(whole.substr(1, 2), L":\\");
    EXPECT_NE(whole.find(L"veltra_win32_tests.exe"), std::wstring::npos);

    WChar small[kTooSmall] = {L'x', L'x', L'x', L'x'};
    EXPECT_FALSE(GetModulePath(small, kTooSmall));
    EXPECT_EQ(small[0], 0) << "a cut path must not be left behind";
}

// A page of the program's own dialogs, created as a plain dialog for the list box tests.
// Page templates are child windows, so a hidden top-level window holds them.
class TemplateDialog {
public:
    explicit TemplateDialog(int templateId) {
        m_hHost = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        m_hWnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                    m_hHost, Proc, 0);
    }
    ~TemplateDialog() {
        if (m_hHost != nullptr) {
            DestroyWindow(m_hHost);
        }
    }
    TemplateDialog(const TemplateDialog&) = delete;
    TemplateDialog& operator=(const TemplateDialog&) = delete;
    HWND Handle() const { return m_hWnd; }

private:
    static INT_PTR CALLBACK Proc(HWND, UINT message, WPARAM, LPARAM) {
        return message == WM_INITDIALOG ? TRUE : FALSE;
    }
    HWND m_hHost = nullptr;
    HWND m_hWnd = nullptr;
};

TEST(Win32ListBox, RealListBoxesOnThePagesTemplatesOrderAsExpected) {
    InitCommonControlClasses();
    std::vector<std::unique_ptr<TemplateDialog>> dialogs;
    auto make = [&dialogs](bool sorted) {
        // The driver page's list sorts; the port page's keeps the order items come in.
        dialogs.push_back(std::make_unique<TemplateDialog>(sorted ? IDD_STEP3 : IDD_STEP2));
        HWND dialog = dialogs.back()->Handle();
        EXPECT_NE(dialog, nullptr);
        return std::make_unique<Win32ListBox>(
            GetDlgItem(dialog, sorted ? IDC_STEP3_DRIVERS : IDC_STEP2_PORTS));
    };
    const std::vector<std::vector<WString>> shown = RunOrderCases(make);
    const std::vector<ListBoxOrderCase> cases = ListBoxOrderCases();
    ASSERT_EQ(shown.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(shown[i], cases[i].shown) << "case " << i;
    }
}

TEST(Win32ListBox, PrefixSearchIsCaseBlind) {
    TemplateDialog dialog(IDD_STEP2);
    Win32ListBox box(GetDlgItem(dialog.Handle(), IDC_STEP2_PORTS));
    std::vector<int> expected;
    for (const ListBoxSearchCase& c : ListBoxSearchCases()) {
        expected.push_back(c.found);
    }
    EXPECT_EQ(RunSearchCases(box), expected);
}

// A page that records the hooks it gets and acts as a scripted user from inside them.
class RecordingPage : public CPropertyPage {
public:
    RecordingPage(int templateId, std::vector<std::string>& log, const char* name)
        : CPropertyPage(templateId), m_log(log), m_name(name) {}

    unsigned buttons = WizBack | WizNext;
    // Pressed (posted) each time the page becomes active, as a user would.
    std::vector<WizardButton> pressOnActive;
    std::vector<bool> finishAnswers;

    bool OnInitDialog() override {
        Log("init");
        return CPropertyPage::OnInitDialog();
    }
    bool OnSetActive() override {
        Log("active");
        SetWizardButtons(buttons);
        if (m_nActivations < pressOnActive.size()) {
            HWND sheet = GetParent(static_cast<Win32Dialog*>(GetWindow())->Handle());
            PostMessageW(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(pressOnActive[m_nActivations]),
                         0);
        }
        ++m_nActivations;
        return true;
    }
    int OnWizardNext() override {
        Log("next");
        return 0;
    }
    int OnWizardBack() override {
        Log("back");
        return 0;
    }
    bool OnWizardFinish() override {
        Log("finish");
        const bool answer = m_nFinishes < finishAnswers.size() && finishAnswers[m_nFinishes];
        ++m_nFinishes;
        return answer;
    }
    bool OnQueryCancel() override {
        Log("cancel");
        return true;
    }

private:
    void Log(const char* what) { m_log.push_back(m_name + ":" + what); }
    std::vector<std::string>& m_log;
    std::string m_name;
    std::size_t m_nActivations = 0;
    std::size_t m_nFinishes = 0;
};

class HelpProbeWizard : public CWizard {
public:
    HelpProbeWizard() : CWizard(L"Probe", nullptr, 0) {}
    bool helpExistedAtStart = false;
    bool helpVisibleAfterInit = true;

    bool OnInitDialog() override {
        HWND sheet = static_cast<Win32Dialog*>(GetWindow())->Handle();
        helpExistedAtStart = GetDlgItem(sheet, IDHELP) != nullptr;
        const bool result = CWizard::OnInitDialog();
        helpVisibleAfterInit = IsWindowVisible(GetDlgItem(sheet, IDHELP)) != FALSE;
        return result;
    }
};

TEST(Win32PropertySheet, WizardWalksForwardBackAndCancelsThroughThePageHooks) {
    InitCommonControlClasses();
    std::vector<std::string> log;
    HelpProbeWizard sheet;
    RecordingPage first(IDD_STEP1, log, "1"), second(IDD_STEP3, log, "2");
    first.buttons = WizNext;
    first.pressOnActive = {WizardButton::Next, WizardButton::Cancel};
    second.pressOnActive = {WizardButton::Back};
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    sheet.SetWizardMode();

    EXPECT_EQ(sheet.DoModal(), SheetCancelled);

    const std::vector<std::string> expected = {"1:init",   "1:active", "1:next",   "2:init",
                                               "2:active", "2:back",   "1:active", "1:cancel"};
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(sheet.helpExistedAtStart) << "the framework's sheet should carry Help";
    EXPECT_FALSE(sheet.helpVisibleAfterInit);
    EXPECT_EQ(first.GetWindow(), nullptr) << "pages keep no window after the sheet closed";
}

TEST(Win32PropertySheet, FinishClosesOnlyWhenThePageAgrees) {
    InitCommonControlClasses();
    std::vector<std::string> log;
    CWizard sheet(L"Probe", nullptr, 0);
    RecordingPage only(IDD_STEP5, log, "5");
    only.buttons = WizBack | WizFinish;
    only.finishAnswers = {false, true};
    only.pressOnActive = {WizardButton::Finish};
    sheet.AddPage(&only);
    sheet.SetWizardMode();
    // The first Finish is refused; press it again once the page has said no.
    struct Again {
        static VOID CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
            HWND sheetWindow = FindWindowW(L"#32770", nullptr);
            if (sheetWindow != nullptr) {
                PostMessageW(sheetWindow, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
            }
        }
    };
    constexpr UINT kRetryMs = 300;
    const UINT_PTR timer = SetTimer(nullptr, 0, kRetryMs, Again::Tick);

    EXPECT_EQ(sheet.DoModal(), SheetFinished);
    KillTimer(nullptr, timer);

    const std::vector<std::string> expected = {"5:init", "5:active", "5:finish", "5:finish"};
    EXPECT_EQ(log, expected);
}

} // namespace
