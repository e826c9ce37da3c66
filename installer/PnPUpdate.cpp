// The plug-and-play route: the package driver put on the attached USB printer's device, for
// the hardware id the driver INF gives for the selected driver.
#include "installer/DriverInstaller.h"

#include <string_view>

#include "platform/CodePage.h"
#include "platform/DeviceManager.h"

int CDriverInstaller::UpdatePnPDriver() {
    BuildDriverInfPath();
    const WString quotedModel = QuotedModel(m_szDriverName);
    unsigned char hardwareId[kHardwareIdCapacity] = {};
    bool restartNeeded = false;
    m_bRestartNeeded = 0;
    if (!FindUsbHardwareId(m_szDriverInf, quotedModel.c_str(), quotedModel.size(), hardwareId,
                           kHardwareIdCapacity)) {
        return 0;
    }
    const WString wideId =
        WidenWithThreadCodePage(std::string_view(reinterpret_cast<const char*>(hardwareId)));
    // A restart the system asks for is left to the user (or, unattended, to whoever reads the
    // exit code): the update counts as done.
    const bool updated =
        UpdatePnPDeviceDriver(wideId.c_str(), m_szDriverInf, m_bQuiet == 0, restartNeeded);
    m_bRestartNeeded = updated && restartNeeded ? 1 : 0;
    return updated ? 1 : 0;
}
