// Which machine the program and Windows run on, from IsWow64Process2 and IsWow64Process where
// Windows has them.
#include <windows.h>

#include "platform/Wow64.h"
#include "platform/win32/SystemLibrary.h"

namespace {
const char kIsWow64Process[] = "IsWow64Process";
const char kIsWow64Process2[] = "IsWow64Process2";

// Windows 10 1709 brought it, so older SDK headers, MinGW's among them, may not declare it.
using IsWow64Process2Function = BOOL WINAPI(HANDLE, USHORT*, USHORT*);

bool RunsUnderWow64() {
    auto* isWow64Process = KernelFunction<decltype(IsWow64Process)>(kIsWow64Process);
    BOOL wow64 = FALSE;
    return isWow64Process != nullptr && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}
} // namespace

ProcessMachines QueryProcessMachines() {
    ProcessMachines machines;
    auto* isWow64Process2 = KernelFunction<IsWow64Process2Function>(kIsWow64Process2);
    USHORT process = IMAGE_FILE_MACHINE_UNKNOWN;
    USHORT native = IMAGE_FILE_MACHINE_UNKNOWN;
    // A call that fails tells nothing, just as a missing function does.
    if (isWow64Process2 != nullptr && isWow64Process2(GetCurrentProcess(), &process, &native)) {
        machines.known = true;
        machines.process = process;
        machines.native = native;
    }
    machines.wow64 = RunsUnderWow64();
    return machines;
}

MachineType ProgramMachine() {
#if defined(__x86_64__) || defined(_M_X64)
    return kMachineAmd64;
#elif defined(__i386__) || defined(_M_IX86)
    return kMachineI386;
#else
#error "The setup program is built for x64 or x86 only"
#endif
}
