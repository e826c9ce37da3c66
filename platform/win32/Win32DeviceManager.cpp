// The device tree on Windows: the configuration manager's rescan and the device installer's
// driver update, both from their DLLs in the system directory.
#include <windows.h>

#include <cfgmgr32.h>
#include <newdev.h>

#include "platform/DeviceManager.h"
#include "platform/win32/SystemLibrary.h"

ConfigResult DeviceTreeLocateRoot(DeviceNode& root) {
    auto* locate = g_configManagerLibrary.Get<decltype(CM_Locate_DevNodeW)>("CM_Locate_DevNodeW");
    if (locate == nullptr) {
        return CR_FAILURE;
    }
    DEVINST node = 0;
    const CONFIGRET result = locate(&node, nullptr, CM_LOCATE_DEVNODE_NORMAL);
    root = node;
    return result;
}

ConfigResult DeviceTreeReenumerate(DeviceNode node) {
    auto* reenumerate =
        g_configManagerLibrary.Get<decltype(CM_Reenumerate_DevNode)>("CM_Reenumerate_DevNode");
    if (reenumerate == nullptr) {
        return CR_FAILURE;
    }
    return reenumerate(node, CM_REENUMERATE_NORMAL);
}

bool UpdatePnPDeviceDriver(const WChar* hardwareId, const WChar* infPath, bool interactive,
                           bool& restartNeeded) {
    auto* update = g_deviceInstallLibrary.Get<decltype(UpdateDriverForPlugAndPlayDevicesW)>(
        "UpdateDriverForPlugAndPlayDevicesW");
    if (update == nullptr) {
        return false;
    }
    BOOL restart = FALSE;
    const DWORD flags = INSTALLFLAG_FORCE | (interactive ? 0 : INSTALLFLAG_NONINTERACTIVE);
    const BOOL updated = update(nullptr, hardwareId, infPath, flags, &restart);
    restartNeeded = restart != FALSE;
    return updated != FALSE;
}
