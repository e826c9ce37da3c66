// Which Windows the program runs on (version, build, product type and suites), so that the
// driver INF's models section is the one Windows itself will choose here.
#pragma once

// Product types as Windows numbers them (OSVERSIONINFOEXW's wProductType).
constexpr unsigned kProductWorkstation = 1;      // VER_NT_WORKSTATION
constexpr unsigned kProductDomainController = 2; // VER_NT_DOMAIN_CONTROLLER
constexpr unsigned kProductServer = 3;           // VER_NT_SERVER

// The running Windows, as the kernel tells it.
struct WindowsVersion {
    unsigned long major = 0; // 10 for Windows 10 and 11
    unsigned long minor = 0;
    unsigned long build = 0;  // Windows 11 starts at 22000
    unsigned productType = 0; // one of the kProduct* values
    unsigned suiteMask = 0;   // the VER_SUITE_* bits of the installed product suites
};

// Fills `version` from RtlGetVersion in ntdll, which tells every program the truth.
// GetVersionExW answers by the program's manifest instead: one that does not declare Windows
// 8.1 or 10 is told 6.2 on any later Windows, so a manifest edit would silently change which
// models the package offers. False, with `version` left as it was, only where ntdll lacks the
// function or it fails, which no Windows this program runs on does.
bool QueryWindowsVersion(WindowsVersion& version);
