// A fixture that opens the real wizard (the application's sheet and pages) on the simulated
// machine and lets a test drive it one press at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/OrvaneApp.h"
#include "app/WizardPages.h"
#include "installer/DriverInstaller.h"
#include "tests/host/TestSupport.h"

class PageTest : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        theInstaller = CDriverInstaller();
    }
    void TearDown() override {
        m_window.reset();
        SimTest::TearDown();
        theInstaller = CDriverInstaller();
    }

    void OpenWizard() {
        m_pages.AddTo(m_sheet);
        m_window = std::make_unique<sim::SimSheet>(m_sheet);
        m_window->Open();
        HandleQueued();
    }
    sim::SimSheet& Wizard() { return *m_window; }
    // Presses a button, then lets the wizard handle what that queued (its buttons among it).
    bool Press(WizardButton button) {
        const bool taken = m_window->Press(button);
        HandleQueued();
        return taken;
    }
    void HandleQueued() {
        while (m_window->DispatchOne()) {
        }
    }
    std::string Caption() { return U8(m_window->ActiveCaption()); }

    // Writes the package's catalogue, stored as UTF-16LE like the shipped one.
    void WriteCatalogue(const std::string& utf8) {
        Machine().WriteFile(theInstaller.GetPrinterInfoFile(), Utf16LeFile(utf8));
    }

    std::vector<std::string> ListItems(int id) {
        std::vector<std::string> items;
        IListBox* box = m_window->ActiveDialog().GetListBox(id);
        for (int i = 0; box != nullptr && i < box->GetCount(); ++i) {
            items.push_back(U8(box->GetText(i)));
        }
        return items;
    }
    std::string SelectedItem(int id) {
        IListBox* box = m_window->ActiveDialog().GetListBox(id);
        return box == nullptr || box->GetCurSel() == kListBoxError
                   ? std::string("<none>")
                   : U8(box->GetText(box->GetCurSel()));
    }
    // Selects the item with this text, as a click would.
    void SelectItem(int id, const std::string& text) {
        IListBox* box = m_window->ActiveDialog().GetListBox(id);
        for (int i = 0; i < box->GetCount(); ++i) {
            if (U8(box->GetText(i)) == text) {
                box->SetCurSel(i);
                return;
            }
        }
        ADD_FAILURE() << "no item " << text;
    }

    std::string StoredDriver() {
        WChar name[kNameCapacity] = {};
        theInstaller.GetDriverName(name, kNameCapacity);
        return U8(name);
    }
    std::string StoredPort() {
        WChar name[kNameCapacity] = {};
        theInstaller.GetPortName(name, kNameCapacity);
        return U8(name);
    }

    CWizard m_sheet{kWizardCaption, nullptr, 0};
    CWizardPages m_pages;
    std::unique_ptr<sim::SimSheet> m_window;
};
