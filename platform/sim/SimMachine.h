// The simulated Windows machine: its settings, what the program did to it, and the simulated
// user who answers message boxes and drives modal wizards. Tests reset it before each case.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/Text.h"

namespace sim {

class SimSheet;

constexpr unsigned kCodePageChinese = 936;
constexpr unsigned kCodePageWestern = 1252;

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

    // The ANSI code page of the machine (936: Simplified Chinese; 1252: Western European).
    unsigned ansiCodePage = kCodePageChinese;

    // The machine's files, by full path; paths match without regard to case, as on Windows.
    void WriteFile(const WString& path, const std::string& bytes);
    bool ReadFile(const WString& path, std::string& bytes) const;
    void DeleteFile(const WString& path);

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
    static WString FileKey(const WString& path);

    std::map<WString, std::string> m_files;
};

} // namespace sim
