// The wizard driver's fake USB printer steps: plug printers in and out, check what SetupAPI lists.
#pragma once

#include "StepFile.h"

#include <string>
#include <vector>

namespace driver {

// Steps (the printers are tests/usbfake's, run by the fakeinst.exe that the environment
// variable VELTRA_FAKEINST names; tools/wine-env.sh and the CMake tests set it):
//   usb-attach <instance-id> <1284-id> <delay-ms>   plug in a fake printer
//   usb-set <instance-id> <1284-id> <delay-ms>      change what it answers from now on
//   usb-detach <instance-id>                        pull it out
//   usb-detach-all                                  pull out every fake printer
//   usb-present <instance-id>                       this process sees its USB printer interface
//   usb-absent <instance-id>                        this process does not see it
// instance-id is taken as written (backslashes are not escapes) and has the form
// ROOT\<device>\<instance>, e.g. ROOT\VID_1A2B&PID_0001\0000: Wine starts only root devices.
// The 1284 id is the rest of the line up to the delay, printable ASCII without double quotes.
// delay-ms is how long the printer takes to answer a request for its 1284 id: a decimal
// number, 0 at once, or "never" (until the caller cancels). The step keeps the instance id in
// Step::name, the 1284 id in Step::text and the delay in Step::usbDelayMs.

// True if command is one of the steps above.
bool isUsbStep(const std::wstring& command);

// Reads the arguments of a usb-* step into step; on error says what is wrong.
bool parseUsbStep(const std::wstring& command, const std::wstring& arguments, Step& step,
                  std::wstring& error);

// Runs the usb-* steps, and makes sure no fake printer outlives its test: whatever the steps
// attached and did not detach is detached when this object goes.
class FakeUsbPrinters {
public:
    FakeUsbPrinters() = default;
    FakeUsbPrinters(const FakeUsbPrinters&) = delete;
    FakeUsbPrinters& operator=(const FakeUsbPrinters&) = delete;
    ~FakeUsbPrinters();

    // Detaches the fake printers an earlier run left in the prefix (one killed half-way), so
    // every run starts with none. Cheap when there are none: nothing is started then.
    // detail says what was detached, if anything.
    bool startClean(std::wstring& detail, std::wstring& error);

    bool run(const Step& step, std::wstring& detail, std::wstring& error);

private:
    bool attach(const Step& step, std::wstring& detail, std::wstring& error);
    bool detach(const Step& step, std::wstring& detail, std::wstring& error);
    bool detachAll(std::wstring& detail, std::wstring& error);
    // Waits until SetupAPI lists the printer's interface (want true) or does not (false).
    bool waitListed(const Step& step, bool want, std::wstring& detail, std::wstring& error) const;

    std::vector<std::wstring> attached_; // instance ids, as the steps wrote them
};

} // namespace driver
