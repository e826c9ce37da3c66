// The start-up refusals.
#include "app/StartupChecks.h"

#include <cstdint>

#include "installer/DriverInstaller.h"
#include "platform/Registry.h"

namespace {
// Shown when the 32-bit program runs on 64-bit Windows.
const WChar kWrongWindowsText[] =
    WTEXT("此安装包只适用于32位Windows，无法在64位Windows上安装打印机驱动。\n\n")
        WTEXT("请改用64位（x64）安装包中的 VeltraSetup.exe。");
// Shown on Windows on ARM: the package's INF has no ARM64 driver, and an emulated x64 program
// would remove the old printer and then fail to install the new one.
const WChar kArmWindowsText[] =
    WTEXT("此安装包不支持ARM版Windows，无法在此计算机上安装打印机驱动。");
const WChar kProtectedPrintText[] =
    WTEXT("Windows 受保护的打印模式已打开，无法安装此打印机驱动。\n\n")
        WTEXT("请联系管理员关闭此模式后，再重新运行安装程序。");
// Shown when the package lies in a folder too deep for its paths.
const WChar kPathTooLongText[] = WTEXT("安装程序所在文件夹的路径过长，无法找到安装文件。\n\n")
    WTEXT("请将整个安装文件夹复制到路径较短的位置（例如 C:\\VeltraSetup），再重新运行安装程序。");

// Where Windows keeps the policy of protected print mode: the value Group Policy and Intune
// set, and the one administrators' own scripts set and read. Either at 1 turns the mode on.
const WChar kProtectedPrintKey[] =
    WTEXT("SOFTWARE\\Policies\\Microsoft\\Windows NT\\Printers\\WPP");
const WChar* const kProtectedPrintValues[] = {WTEXT("WindowsProtectedPrintGroupPolicyState"),
                                              WTEXT("WindowsProtectedPrintMode")};
constexpr std::uint32_t kPolicyOn = 1;
} // namespace

StartRefusal JudgeArchitecture(MachineType builtFor, const ProcessMachines& machines) {
    if (!machines.known || machines.native == kMachineUnknown) {
        return machines.wow64 ? StartRefusal::Wow64 : StartRefusal::None;
    }
    if (machines.native == builtFor) {
        return StartRefusal::None;
    }
    if (machines.native == kMachineArm64 || machines.native == kMachineArmNt) {
        return StartRefusal::Arm;
    }
    return StartRefusal::Wow64;
}

bool ProtectedPrintModeOn() {
    for (const WChar* value : kProtectedPrintValues) {
        std::uint32_t data = 0;
        if (ReadMachineDword(kProtectedPrintKey, value, data) && data == kPolicyOn) {
            return true;
        }
    }
    return false;
}

StartRefusal FindStartRefusal(const CDriverInstaller& installer) {
    const StartRefusal architecture = JudgeArchitecture(ProgramMachine(), QueryProcessMachines());
    if (architecture != StartRefusal::None) {
        return architecture;
    }
    if (ProtectedPrintModeOn()) {
        return StartRefusal::ProtectedPrint;
    }
    // Running on cut paths would read and install from the wrong place.
    if (!installer.HasPackagePaths()) {
        return StartRefusal::PackagePathTooLong;
    }
    return StartRefusal::None;
}

const WChar* RefusalText(StartRefusal refusal) {
    switch (refusal) {
    case StartRefusal::None:
        break;
    case StartRefusal::Wow64:
        return kWrongWindowsText;
    case StartRefusal::Arm:
        return kArmWindowsText;
    case StartRefusal::ProtectedPrint:
        return kProtectedPrintText;
    case StartRefusal::PackagePathTooLong:
        return kPathTooLongText;
    }
    return WTEXT("");
}
