// The command line the program was started with.
#pragma once

#include "platform/Text.h"

// The whole command line, the program's own name first, as Windows keeps it
// (GetCommandLineW).
WString ProgramCommandLine();
