// One whole walk through the real wizard on the simulated machine, as a user makes it: the
// welcome page, a model, a port, Finish, then a look at what the wizard shows.
#pragma once

#include <string>

#include "app/OrvaneApp.h"
#include "app/WizardPages.h"
#include "platform/sim/SimDevices.h"
#include "platform/sim/SimPrintUI.h"
#include "platform/sim/SimSpooler.h"
#include "res/resource.h"
#include "tests/host/TestSupport.h"

// What the user saw.
struct WalkSeen {
    std::string stoppedOn; // the page the user gave up on; empty when the wizard closed itself
    std::string route;     // "plug and play", "print UI" or "none started"
    std::string status;    // the confirmation page's status line at the end
    std::string boxes;     // every message box, in order
    std::string after;     // "closed", or the buttons still enabled
    int leaks = 0;         // events, thread, device and spooler handles, print UIs left, hangs
};

namespace walk {

// Selects the item with this text in the list box, as a click would; false when none has it.
inline bool Select(sim::SimSheet& sheet, int listId, const std::string& text) {
    IListBox* list = sheet.ActiveDialog().GetListBox(listId);
    for (int i = 0; list != nullptr && i < list->GetCount(); ++i) {
        if (U8(list->GetText(i)) == text) {
            list->SetCurSel(i);
            return true;
        }
    }
    return false;
}

inline std::string EnabledButtons(sim::SimSheet& sheet) {
    std::string seen;
    const struct {
        int id;
        const char* name;
    } buttons[] = {{sim::kBackButton, "Back"},
                   {sim::kNextButton, "Next"},
                   {sim::kFinishButton, "Finish"},
                   {sim::kCancelButton, "Cancel"}};
    for (const auto& button : buttons) {
        if (sheet.IsButtonEnabled(button.id)) {
            seen += std::string(seen.empty() ? "" : ", ") + button.name;
        }
    }
    return "open; enabled: " + (seen.empty() ? std::string("none") : seen);
}

} // namespace walk

// Walks the wizard with `model` and `port` chosen (empty: the preselected ones). A page that
// will not let the user on ends the walk there, with Cancel.
inline WalkSeen WalkWizard(const std::string& model, const std::string& port,
                           bool leaveSpoolerHandles = false) {
    sim::Machine& machine = sim::Machine::Get();
    WalkSeen seen;
    seen.after = "closed";
    const auto nextFrom = [&](const char* caption, int listId, const std::string& item) {
        return [&seen, caption, listId, item](sim::SimSheet& s) {
            if (U8(s.ActiveCaption()) != caption) {
                return;
            }
            if (!item.empty() && !walk::Select(s, listId, item)) {
                ADD_FAILURE() << "no item " << item;
            }
            s.Press(WizardButton::Next);
            if (U8(s.ActiveCaption()) == caption) {
                seen.stoppedOn = caption;
            }
        };
    };
    ScriptedUser user({
        [](sim::SimSheet& s) { s.Press(WizardButton::Next); },
        nextFrom("卓澜打印机驱动安装步骤2", IDC_STEP3_DRIVERS, model),
        nextFrom("卓澜打印机驱动安装步骤3", IDC_STEP2_PORTS, port),
        [](sim::SimSheet& s) { s.Press(WizardButton::Finish); },
        [&](sim::SimSheet& s) {
            seen.after = walk::EnabledButtons(s);
            s.Press(WizardButton::Cancel);
        },
    });
    machine.user = [&](sim::SimSheet& s) {
        // Once a page stopped the user, the rest of the script is not played.
        if (!seen.stoppedOn.empty() && seen.after == "closed") {
            seen.after = walk::EnabledButtons(s);
            s.Press(WizardButton::Cancel);
            return true;
        }
        return user(s);
    };
    CWizard sheet(kWizardCaption, nullptr, 0);
    CWizardPages pages;
    pages.AddTo(sheet);
    sheet.DoModal();
    machine.JoinThreads();

    seen.status = U8(pages.step5.m_strStatus);
    bool printUI = false;
    for (const sim::ProgramLaunch& launch : sim::PrintUI::Get().Launches()) {
        printUI = printUI || launch.parameters.find(WTEXT(" /if ")) != WString::npos;
    }
    const bool plugAndPlay = !sim::Devices::Get().DriverUpdates().empty();
    seen.route = plugAndPlay ? "plug and play" : printUI ? "print UI" : "none started";
    for (const sim::MessageBoxRecord& box : machine.MessageBoxes()) {
        seen.boxes += std::string(seen.boxes.empty() ? "" : " then ") + "\"" + U8(box.caption) +
                      ": " + U8(box.text) + "\"" + (box.ownerCaption.empty() ? " (no owner)" : "");
    }
    seen.leaks = machine.openEvents + machine.openThreadHandles + machine.hangs +
                 static_cast<int>(sim::Devices::Get().OpenHandleCount());
    for (const sim::ProgramLaunch& launch : sim::PrintUI::Get().Launches()) {
        seen.leaks += launch.started && launch.state == sim::ProgramState::Running ? 1 : 0;
    }
    if (!leaveSpoolerHandles) {
        seen.leaks += static_cast<int>(sim::Spooler::Get().OpenHandleCount());
    }
    machine.user = nullptr;
    return seen;
}
