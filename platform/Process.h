// Starting one of the system's own programs and waiting for it.
#pragma once

#include "platform/Text.h"

// Starts `program`, a file name such as "rundll32.exe", from the system directory by its full
// path (never through the search path, where a planted copy could be found first), with
// `parameters` as its command line (ShellExecuteExW, verb "open", shown normally). Waits at
// most `waitMs` for it to end and closes the process handle. Returns true when it was started,
// whether or not it ended within the wait; false when it could not be started, with the
// platform's error code in `error` (ERROR_FILE_NOT_FOUND when the program is missing).
bool RunSystemProgram(const WChar* program, const WChar* parameters, unsigned long waitMs,
                      unsigned long& error);
