// The plug-and-play device tree: having it enumerated again, and putting a driver package on
// the devices with a given hardware id.
#pragma once

#include "platform/Text.h"

// Configuration manager results (CONFIGRET): kConfigSuccess is CR_SUCCESS.
using ConfigResult = unsigned long;
constexpr ConfigResult kConfigSuccess = 0;

// A device node of the tree (DEVINST).
using DeviceNode = unsigned long;

// Locates the root of the device tree (CM_Locate_DevNodeW with no device ID,
// CM_LOCATE_DEVNODE_NORMAL).
ConfigResult DeviceTreeLocateRoot(DeviceNode& root);

// Enumerates the tree below `node` again (CM_Reenumerate_DevNode, CM_REENUMERATE_NORMAL).
ConfigResult DeviceTreeReenumerate(DeviceNode node);

// Installs the driver package `infPath` on every present device with this hardware id, even
// where the device's own driver is a better match (UpdateDriverForPlugAndPlayDevicesW,
// INSTALLFLAG_FORCE, no parent window). Not `interactive`: the system may ask nothing
// (INSTALLFLAG_NONINTERACTIVE), and fails where it would have to. True when it succeeded;
// `restartNeeded` then tells whether the system asks for a restart.
bool UpdatePnPDeviceDriver(const WChar* hardwareId, const WChar* infPath, bool interactive,
                           bool& restartNeeded);
