// The installation sequence: the plug-and-play route when a catalogued USB printer is
// attached, the print UI route on the chosen port otherwise.
#include "installer/DriverInstaller.h"

int CDriverInstaller::InstallDriver() {
    BuildDriverInfPath();
    m_nInstallError = 0;
    WString model;
    const int printerPresent = GetUsbPrinterModel(model);
    WString series;
    const int catalogued = FindModelSeries(series, model);
    // A failed update is the outcome: the print UI would put a second printer on a port the
    // device does not use.
    if (printerPresent && catalogued) {
        return UpdatePnPDriver();
    }
    return InstallWithPrintUI();
}
