// Whether the program runs on the Windows it was built for.
#pragma once

// True for a 32-bit program on 64-bit Windows (under WOW64), where it cannot install the driver
// it brings: the plug-and-play update refuses a 32-bit caller, and the print UI and the driver
// deletion work on the 32-bit driver environment. False for a 64-bit program, on 32-bit
// Windows, and where the system cannot tell.
bool RunsUnderWow64();
