// Which processor the program runs on, as Windows tells it, so that a package is never run on
// a Windows it cannot install on.
#pragma once

// Machine types as Windows numbers them (IMAGE_FILE_MACHINE_*).
using MachineType = unsigned short;
constexpr MachineType kMachineUnknown = 0;    // IMAGE_FILE_MACHINE_UNKNOWN
constexpr MachineType kMachineI386 = 0x014c;  // IMAGE_FILE_MACHINE_I386
constexpr MachineType kMachineArmNt = 0x01c4; // IMAGE_FILE_MACHINE_ARMNT (32-bit ARM)
constexpr MachineType kMachineAmd64 = 0x8664; // IMAGE_FILE_MACHINE_AMD64
constexpr MachineType kMachineArm64 = 0xaa64; // IMAGE_FILE_MACHINE_ARM64

// What Windows says of the running process.
struct ProcessMachines {
    // True when IsWow64Process2 (Windows 10 1709 and later) answered; `process` and `native`
    // are then its answer. Where it is missing or fails, only `wow64` is known.
    bool known = false;
    // The process's machine under WOW64; kMachineUnknown for a process that runs natively or
    // under x64 emulation on ARM64 (which is no WOW64).
    MachineType process = kMachineUnknown;
    // The machine of Windows itself: ARM64 also for an emulated x64 process.
    MachineType native = kMachineUnknown;
    // IsWow64Process: true for a 32-bit program on 64-bit Windows; false for a 64-bit program
    // (even one emulated on ARM64), on 32-bit Windows, and where the system cannot tell.
    bool wow64 = false;
};

// Asks Windows: IsWow64Process2 where kernel32 has it, IsWow64Process as well. Never from
// GetNativeSystemInfo, which under x64 emulation reports AMD64.
ProcessMachines QueryProcessMachines();

// The machine this program was built for: kMachineAmd64 or kMachineI386.
MachineType ProgramMachine();
