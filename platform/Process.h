// Starting one of the system's own programs and waiting for it.
#pragma once

#include "platform/Text.h"

// Starts `program`, a file name such as "rundll32.exe", from the system directory by its full
// path (never through the search path, where a planted copy could be found first), with
// `parameters` as its command line, the system directory as its current folder (never the
// package folder, where it could find a planted DLL), no handle of ours inherited, shown
// normally. Never through the shell: the shell looks the verb of a program up in the class
// registry, and that includes the user's own part, which any program the user runs may write
// without elevation; what it put there would run elevated. Waits at most `waitMs` for the
// program to end and closes its handles. Returns true when it was started, whether or not it
// ended within the wait; false when it could not be started, with the platform's error code in
// `error` (ERROR_FILE_NOT_FOUND when the program is missing).
bool RunSystemProgram(const WChar* program, const WChar* parameters, unsigned long waitMs,
                      unsigned long& error);
