// The simulated Windows machine: its settings, what the program did to it, and the simulated
// user who answers message boxes and drives modal wizards. Tests reset it before each case.
#pragma once

#include <functional>
#include <vector>

#include "platform/Text.h"

namespace sim {

class SimSheet;

struct MessageBoxRecord {
    WString ownerCaption; // empty for a box without owner
    WString text;
    WString caption;
    unsigned style = 0;
};

class Machine {
public:
    static Machine& Get();
    // Back to a freshly started machine.
    void Reset();

    // Full path of the running executable; empty makes the platform fail to tell it.
    WString modulePath;

    // Message boxes shown so far, and who answers them (default: the OK button).
    std::vector<MessageBoxRecord> messageBoxes;
    std::function<int(const MessageBoxRecord&)> answerMessageBox;

    // Calls made to register the common control classes.
    int commonControlsRegistrations = 0;

    // The user of modal wizards: called again and again while a wizard runs modally; returns
    // false when it has nothing more to do, which abandons the wizard (SheetAbandoned), so a
    // test can never hang in a modal loop.
    std::function<bool(SimSheet&)> user;
    int abandonedSheets = 0;

    // Records a message box and returns the user's answer.
    int ShowMessageBox(const MessageBoxRecord& box);

private:
    Machine();
};

} // namespace sim
