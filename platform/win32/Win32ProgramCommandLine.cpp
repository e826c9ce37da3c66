// The program's command line as Windows keeps it.
#include <windows.h>

#include "platform/ProgramCommandLine.h"

WString ProgramCommandLine() {
    return GetCommandLineW();
}
