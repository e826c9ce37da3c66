// The program's own process on Windows: its command line, its id, its error mode.
#include <windows.h>

#include "platform/ProgramCommandLine.h"

WString ProgramCommandLine() {
    return GetCommandLineW();
}

unsigned long CurrentProcessId() {
    return GetCurrentProcessId();
}

void NeverAskThroughErrorBoxes() {
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}
