// The program's command line: split as Windows splits it, and read into what the run is asked
// to do. Started without arguments, the program is the wizard and nothing here applies.
#pragma once

#include <vector>

#include "platform/Text.h"

// Splits a command line into its arguments by the rules of CommandLineToArgvW: the first
// argument (the program's own name) ends at the quote that closes it when it starts with one,
// else at the first blank or tab, with no backslash rules; after it, arguments are separated by blanks
// and tabs outside double quotes, 2n backslashes before a quote give n backslashes and the
// quote opens or closes quoting, 2n+1 give n and a literal quote, backslashes elsewhere stand
// as they are, and "" inside quotes gives one literal quote. An empty command line gives no
// arguments at all.
std::vector<WString> SplitCommandLine(const WString& commandLine);

// What the arguments ask for. Switches are read without regard to case and start with "/" or
// "-"; a switch's value is the next argument, whatever it is.
struct SetupArguments {
    bool help = false;      // /? or /help
    bool quiet = false;     // /quiet, /q, /silent or /s
    bool uninstall = false; // /uninstall
    bool noDefault = false; // /nodefault
    bool hasModel = false;  // /model NAME
    bool hasPort = false;   // /port NAME
    bool hasLog = false;    // /log PATH
    WString model;
    WString port;
    WString logPath;
};

enum class ArgumentsVerdict {
    Wizard, // no arguments: the wizard, as it always was
    Run,    // arguments that make sense together; `arguments` says what to do
    Help,   // /? or /help was given, whatever else was: show the usage
    Wrong,  // the command line is wrong: exit code 87
};

// Reads the arguments after the program's own name (SplitCommandLine's result without its
// first element). Wrong: an unknown switch or a plain word, a switch given twice (under any of
// its names), a switch without its value, /quiet or /uninstall without /model, /model without
// /quiet or /uninstall, /port or /nodefault without /quiet or together with /uninstall. Whether
// the model and the port exist is for the caller to judge. `parsed` holds what was read also
// when the verdict is Help or Wrong, so that a quiet run that went wrong stays quiet.
ArgumentsVerdict ReadSetupArguments(const std::vector<WString>& arguments, SetupArguments& parsed);
