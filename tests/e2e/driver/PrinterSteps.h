// The wizard driver's steps that set up and check printers and the print UI stand-in.
#pragma once

#include "StandIn.h"
#include "StepFile.h"

#include <string>
#include <vector>

namespace driver {

// Runs the steps about printers and the print UI stand-in, which need no wizard, and leaves
// the spooler as it found it.
class PrinterSteps {
public:
    // Remembers the printers, driver entries and default printer there are now, and clears
    // the stand-in's settings (a killed run may have left some).
    PrinterSteps();

    bool run(const Step& step, std::wstring& detail, std::wstring& error);

    // Deletes the printers and driver entries that were not there at the start, sets the
    // default printer back and clears the stand-in's settings. Says what it did in notes;
    // false if something could not be undone.
    bool restore(std::vector<std::wstring>& notes);

private:
    bool addPrinter(const Step& step, std::wstring& error);
    bool removePrinter(const Step& step, std::wstring& error);
    bool checkPrinter(const Step& step, std::wstring& error);
    bool checkNoPrinter(const Step& step, std::wstring& error);
    bool checkDefaultPrinter(const Step& step, std::wstring& error);
    bool setPrinter(const Step& step, std::wstring& error);
    bool checkSettings(const Step& step, std::wstring& error);
    bool setPrintUi(const Step& step, std::wstring& error);
    bool clearLog(std::wstring& error);
    bool checkCount(const Step& step, std::wstring& error);
    bool checkLine(const Step& step, std::wstring& error);

    bool remembered_ = false;
    std::vector<standin::Printer> startPrinters_;
    std::vector<standin::Driver> startDrivers_;
    std::wstring startDefault_;
    bool logCleared_ = false;
};

} // namespace driver
