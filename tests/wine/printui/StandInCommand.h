// Reads the command lines that the print UI stand-in gets from rundll32 (PrintUIEntry switches).
#pragma once

#include <string>
#include <vector>

namespace standin {

// What a command line asks for. The stand-in knows only the three actions the setup
// wizard uses; Windows' print UI knows many more, and any other switch is ignored.
enum class Action {
    InstallPrinter, // /if: install a printer from an INF file
    SetDefault,     // /y: make the printer the default one
    TestPage,       // /k: print a test page
};

struct Command {
    Action action = Action::InstallPrinter;
    std::wstring printer; // /n
    std::wstring inf;     // /f
    std::wstring port;    // /r
    std::wstring model;   // /m
    bool quiet = false;   // /q: no message boxes (the stand-in never shows any)
};

// Parses a PrintUIEntry command line. Switches are case-sensitive, as in Windows' print UI;
// a value follows its switch after a blank ("/n name") or directly ("/nname"), and double
// quotes group blanks into a value ("/n "a b"", also /n"a b"). /q may stand anywhere.
// Unknown switches are skipped, with the word after them if that is no switch. Exactly one
// action is allowed; /if needs /n, /f, /r and /m, the others /n. A line that breaks any of
// this (an open quote, a value with no switch, a switch given twice...) is malformed: false,
// with the reason in error.
bool parseCommand(const std::wstring& line, Command& command, std::wstring& error);

// The switches on a command line ("/if", "/q", ...), in order; values are left out. A
// malformed line gives the switches before the point where it breaks.
std::vector<std::wstring> switchesOf(const std::wstring& line);

} // namespace standin
