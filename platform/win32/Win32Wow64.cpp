// Whether the program runs under WOW64, from IsWow64Process where Windows has it.
#include <windows.h>

#include "platform/Wow64.h"
#include "platform/win32/SystemLibrary.h"

namespace {
const char kIsWow64Process[] = "IsWow64Process";
} // namespace

bool RunsUnderWow64() {
    auto* isWow64Process = KernelFunction<decltype(IsWow64Process)>(kIsWow64Process);
    BOOL wow64 = FALSE;
    return isWow64Process != nullptr && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}
