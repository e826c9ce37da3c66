// The program's own process: the command line it was started with, its id, and whether Windows
// may stop it with boxes of its own.
#pragma once

#include "platform/Text.h"

// The whole command line, the program's own name first, as Windows keeps it
// (GetCommandLineW).
WString ProgramCommandLine();

// The process's id (GetCurrentProcessId), which tells one run's log lines from another's.
unsigned long CurrentProcessId();

// From now on Windows fails at once, with an error code, where it would ask the user in a box
// of its own (a drive without its disk, a file that cannot be opened): SetErrorMode with
// SEM_FAILCRITICALERRORS and SEM_NOOPENFILEERRORBOX added to what is set. Processes started
// later (the print UI) inherit it.
void NeverAskThroughErrorBoxes();
