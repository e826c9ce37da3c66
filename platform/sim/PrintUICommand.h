// Reading a print UI command line (the part after "PRINTUI.DLL,PrintUIEntry"): the switches
// the installer sends, as the print UI documents them. Used by the simulated print UI.
#pragma once

#include "platform/Text.h"

struct PrintUICommand {
    bool install = false;    // /if: install a printer from an INF file
    bool setDefault = false; // /y: make the printer the default one
    bool testPage = false;   // /k: print a test page
    bool quiet = false;      // /q: no error windows of the print UI's own
    WString printer;         // /n
    WString infFile;         // /f
    WString port;            // /r
    WString model;           // /m
};

// Splits `arguments` into switches and values: blanks separate them, a value in double quotes
// may hold blanks and ends at the next double quote. /n, /f, /r and /m take the next item as
// their value; other switches are flags, and unknown ones are ignored. False for a line that
// cannot be read: a switch without its value, a quote left open, an item that is no switch
// where a switch was expected.
bool ParsePrintUICommand(const WString& arguments, PrintUICommand& command);
