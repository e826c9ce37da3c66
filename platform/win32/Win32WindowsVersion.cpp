// The running Windows' version, from RtlGetVersion in ntdll.
#include <windows.h>

#include "platform/WindowsVersion.h"
#include "platform/win32/SystemLibrary.h"

namespace {
const char kRtlGetVersion[] = "RtlGetVersion";
// STATUS_SUCCESS, RtlGetVersion's only answer (winternl.h, which MinGW's windows.h leaves out).
constexpr LONG kStatusSuccess = 0;

// Declared with the extended structure, which RtlGetVersion fills whole when its size says so.
using RtlGetVersionFunction = LONG WINAPI(OSVERSIONINFOEXW*);
} // namespace

bool QueryWindowsVersion(WindowsVersion& version) {
    auto* rtlGetVersion = NtdllFunction<RtlGetVersionFunction>(kRtlGetVersion);
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (rtlGetVersion == nullptr || rtlGetVersion(&info) != kStatusSuccess) {
        return false;
    }
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.build = info.dwBuildNumber;
    version.productType = info.wProductType;
    version.suiteMask = info.wSuiteMask;
    return true;
}
