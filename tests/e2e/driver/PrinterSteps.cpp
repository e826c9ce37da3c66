// The wizard driver's steps that set up and check printers and the print UI stand-in.
#include "PrinterSteps.h"

#include "StandInCommand.h"
#include "Text.h"
#include "Wait.h"

#include <algorithm>

namespace driver {
namespace {

// Printers, the default printer and the stand-in's log change once rundll32 is done: 0.1 to
// 0.3 s under Wine, plus whatever delay a test asks of the stand-in.
constexpr DWORD kSpoolerTimeoutMs = 10000;
constexpr DWORD kPollIntervalMs = 50;

// Waits until check(seen) is true; false after kSpoolerTimeoutMs, with what it saw last.
template <typename Check> bool waitSpooler(Check check, std::wstring& error) {
    std::wstring seen;
    const WaitResult result = pollUntil(
        kSpoolerTimeoutMs, kPollIntervalMs, [&]() { return check(seen); }, []() { return false; });
    if (result != WaitResult::Done) {
        error = L"not so after " + seconds(kSpoolerTimeoutMs) + L": " + seen;
        return false;
    }
    return true;
}

std::wstring describePrinters(const std::vector<standin::Printer>& printers) {
    std::wstring text;
    for (const standin::Printer& printer : printers) {
        text +=
            (text.empty() ? L"" : L", ") + quoted(printer.name) + L" on " + quoted(printer.port);
    }
    return text.empty() ? L"there are no printers" : L"the printers: " + text;
}

std::wstring describeLog(const std::vector<standin::LogEntry>& log) {
    std::wstring text;
    for (size_t i = 0; i < log.size(); ++i) {
        text += L"; " + std::to_wstring(i + 1) + L": " + quoted(log[i].commandLine) + L" (" +
                log[i].outcome + L")";
    }
    return L"the log has " + std::to_wstring(log.size()) + L" commands" + text;
}

bool hasSwitch(const std::wstring& commandLine, const std::wstring& wanted) {
    const std::vector<std::wstring> switches = standin::switchesOf(commandLine);
    return std::find(switches.begin(), switches.end(), wanted) != switches.end();
}

// Where PRINTER_INFO_2W keeps a setting: a text or a number. The DEVMODE's are not here.
struct FieldPlace {
    PrinterField field;
    LPWSTR PRINTER_INFO_2W::*text;
    DWORD PRINTER_INFO_2W::*number;
};

constexpr FieldPlace kFieldPlaces[] = {
    {PrinterField::Comment, &PRINTER_INFO_2W::pComment, nullptr},
    {PrinterField::Location, &PRINTER_INFO_2W::pLocation, nullptr},
    {PrinterField::Share, &PRINTER_INFO_2W::pShareName, nullptr},
    {PrinterField::Separator, &PRINTER_INFO_2W::pSepFile, nullptr},
    {PrinterField::Priority, nullptr, &PRINTER_INFO_2W::Priority},
    {PrinterField::DefaultPriority, nullptr, &PRINTER_INFO_2W::DefaultPriority},
    {PrinterField::Start, nullptr, &PRINTER_INFO_2W::StartTime},
    {PrinterField::Until, nullptr, &PRINTER_INFO_2W::UntilTime},
};

const FieldPlace* placeOf(PrinterField field) {
    for (const FieldPlace& place : kFieldPlaces) {
        if (place.field == field) {
            return &place;
        }
    }
    return nullptr;
}

// The other settings are in the DEVMODE: dmPaperSize or dmOrientation, with their dmFields bit.
DWORD devModeFlag(PrinterField field) {
    return field == PrinterField::Paper ? DM_PAPERSIZE : DM_ORIENTATION;
}

// The setting as the spooler holds it, written as the steps file writes it.
std::wstring readSetting(const PRINTER_INFO_2W& info, PrinterField field) {
    const DEVMODEW* mode = info.pDevMode;
    if (field == PrinterField::Share && !(info.Attributes & PRINTER_ATTRIBUTE_SHARED)) {
        return L"";
    }
    if (const FieldPlace* place = placeOf(field)) {
        return place->text ? standin::text(info.*place->text)
                           : std::to_wstring(info.*place->number);
    }
    if (!mode || !(mode->dmFields & devModeFlag(field))) {
        return mode ? L"unset" : L"no DEVMODE";
    }
    return std::to_wstring(field == PrinterField::Paper ? mode->dmPaperSize : mode->dmOrientation);
}

// Puts the setting into info; its texts stay the step's own.
bool writeSetting(PRINTER_INFO_2W& info, const PrinterSetting& setting, std::wstring& error) {
    DEVMODEW* mode = info.pDevMode;
    if (setting.field == PrinterField::Share) {
        info.Attributes = setting.value.empty() ? info.Attributes & ~PRINTER_ATTRIBUTE_SHARED
                                                : info.Attributes | PRINTER_ATTRIBUTE_SHARED;
    }
    if (const FieldPlace* place = placeOf(setting.field)) {
        if (place->text) {
            info.*place->text = const_cast<LPWSTR>(setting.value.c_str());
        } else {
            info.*place->number = static_cast<DWORD>(setting.number);
        }
        return true;
    }
    if (!mode) {
        error = L"the printer has no DEVMODE to set " +
                std::wstring(printerFieldName(setting.field)) + L" in";
        return false;
    }
    const auto value = static_cast<short>(setting.number);
    (setting.field == PrinterField::Paper ? mode->dmPaperSize : mode->dmOrientation) = value;
    mode->dmFields |= devModeFlag(setting.field);
    return true;
}

} // namespace

PrinterSteps::PrinterSteps() {
    std::wstring error;
    remembered_ =
        standin::listPrinters(startPrinters_, error) && standin::listDrivers(startDrivers_, error);
    startDefault_ = standin::defaultPrinter();
    standin::writeSettings(standin::Settings(), error);
}

bool PrinterSteps::run(const Step& step, std::wstring& detail, std::wstring& error) {
    switch (step.kind) {
    case StepKind::AddPrinter:
        return addPrinter(step, error);
    case StepKind::RemovePrinter:
        return removePrinter(step, error);
    case StepKind::Printer:
        return checkPrinter(step, error);
    case StepKind::NoPrinter:
        return checkNoPrinter(step, error);
    case StepKind::DefaultPrinter:
        return checkDefaultPrinter(step, error);
    case StepKind::SetPrinter:
        return setPrinter(step, error);
    case StepKind::PrinterSettings:
        return checkSettings(step, error);
    case StepKind::PrintUiSetting:
        return setPrintUi(step, error);
    case StepKind::PrintUiRun:
        detail = standin::systemRundll32();
        return standin::runRundll32(detail, step.text, error);
    case StepKind::PrintUiLogClear:
        return clearLog(error);
    case StepKind::PrintUiCount:
        return checkCount(step, error);
    case StepKind::PrintUiLine:
        return checkLine(step, error);
    default:
        error = L"not a printer step"; // WizardDriver.cpp runs the others
        return false;
    }
}

bool PrinterSteps::addPrinter(const Step& step, std::wstring& error) {
    return standin::ensureDriver(step.driver, error) &&
           standin::addPrinter({step.name, step.text, step.driver}, error);
}

bool PrinterSteps::removePrinter(const Step& step, std::wstring& error) {
    std::vector<standin::Printer> printers;
    if (!standin::listPrinters(printers, error)) {
        return false;
    }
    const bool exists = std::any_of(printers.begin(), printers.end(),
                                    [&](const standin::Printer& p) { return p.name == step.name; });
    if (!exists) {
        error = L"no printer " + quoted(step.name) + L"; " + describePrinters(printers);
        return false;
    }
    return standin::deletePrinter(step.name, error);
}

bool PrinterSteps::checkPrinter(const Step& step, std::wstring& error) {
    return waitSpooler(
        [&](std::wstring& seen) {
            std::vector<standin::Printer> printers;
            if (!standin::listPrinters(printers, seen)) {
                return false;
            }
            for (const standin::Printer& printer : printers) {
                if (printer.name == step.name) {
                    seen = quoted(printer.name) + L" is on " + quoted(printer.port);
                    return printer.port == step.text;
                }
            }
            seen = L"no printer " + quoted(step.name) + L"; " + describePrinters(printers);
            return false;
        },
        error);
}

bool PrinterSteps::checkNoPrinter(const Step& step, std::wstring& error) {
    return waitSpooler(
        [&](std::wstring& seen) {
            std::vector<standin::Printer> printers;
            if (!standin::listPrinters(printers, seen)) {
                return false;
            }
            const standin::Printer* printer = standin::findPrinter(printers, step.name);
            if (printer) {
                seen = L"there is a printer " + quoted(printer->name) + L" on " +
                       quoted(printer->port);
            }
            return printer == nullptr;
        },
        error);
}

bool PrinterSteps::checkDefaultPrinter(const Step& step, std::wstring& error) {
    return waitSpooler(
        [&](std::wstring& seen) {
            const std::wstring current = standin::defaultPrinter();
            seen = current.empty() ? L"there is no default printer"
                                   : L"the default printer is " + quoted(current);
            return current == step.name;
        },
        error);
}

bool PrinterSteps::setPrinter(const Step& step, std::wstring& error) {
    return standin::changePrinter(
        step.name,
        [&](PRINTER_INFO_2W& info, std::wstring& why) {
            return std::all_of(step.settings.begin(), step.settings.end(),
                               [&](const PrinterSetting& s) { return writeSetting(info, s, why); });
        },
        error);
}

bool PrinterSteps::checkSettings(const Step& step, std::wstring& error) {
    return waitSpooler(
        [&](std::wstring& seen) {
            std::vector<BYTE> buffer;
            if (!standin::readPrinter(step.name, buffer, seen)) {
                return false;
            }
            const auto& info = *reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
            bool same = true;
            seen = quoted(step.name) + L" has";
            for (const PrinterSetting& setting : step.settings) {
                const std::wstring value = readSetting(info, setting.field);
                seen += std::wstring(L" ") + printerFieldName(setting.field) + L"=" + quoted(value);
                same = same && value == setting.value;
            }
            return same;
        },
        error);
}

bool PrinterSteps::setPrintUi(const Step& step, std::wstring& error) {
    standin::Settings settings = standin::readSettings();
    switch (step.printUiMode) {
    case PrintUiMode::FailPort:
        settings.failPort = step.text;
        break;
    case PrintUiMode::FailAll:
        settings.failAll = true;
        break;
    case PrintUiMode::Delay:
        settings.delayMs = static_cast<DWORD>(step.milliseconds);
        break;
    case PrintUiMode::Normal:
        settings = standin::Settings();
        break;
    }
    return standin::writeSettings(settings, error);
}

bool PrinterSteps::clearLog(std::wstring& error) {
    logCleared_ = standin::clearLog(error);
    return logCleared_;
}

bool PrinterSteps::checkCount(const Step& step, std::wstring& error) {
    if (!logCleared_) {
        error = L"no 'printui-log-clear' step before this one";
        return false;
    }
    return waitSpooler(
        [&](std::wstring& seen) {
            std::vector<standin::LogEntry> log;
            if (!standin::readLog(log, seen)) {
                return false;
            }
            const auto count = std::count_if(log.begin(), log.end(), [&](const auto& entry) {
                return hasSwitch(entry.commandLine, step.text);
            });
            seen = std::to_wstring(count) + L" with " + step.text + L", not " +
                   std::to_wstring(step.number) + L"; " + describeLog(log);
            return count == step.number;
        },
        error);
}

bool PrinterSteps::checkLine(const Step& step, std::wstring& error) {
    if (!logCleared_) {
        error = L"no 'printui-log-clear' step before this one";
        return false;
    }
    std::wstring logged;
    const bool arrived = waitSpooler(
        [&](std::wstring& seen) {
            std::vector<standin::LogEntry> log;
            if (!standin::readLog(log, seen)) {
                return false;
            }
            seen = describeLog(log);
            if (log.size() < static_cast<size_t>(step.number)) {
                return false;
            }
            logged = log[step.number - 1].commandLine;
            return true;
        },
        error);
    if (arrived && logged != step.text) {
        error = L"command " + std::to_wstring(step.number) + L" is " + quoted(logged) +
                L", expected " + quoted(step.text);
        return false;
    }
    return arrived;
}

bool PrinterSteps::restore(std::vector<std::wstring>& notes) {
    notes.clear();
    bool ok = true;
    std::wstring error;
    const auto note = [&](bool done, const std::wstring& what) {
        notes.push_back(done ? what : L"could not " + what + L": " + error);
        ok = ok && done;
    };
    if (!standin::writeSettings(standin::Settings(), error)) {
        note(false, L"clear the stand-in's settings");
    }
    std::vector<standin::Printer> printers;
    std::vector<standin::Driver> drivers;
    if (!remembered_ || !standin::listPrinters(printers, error) ||
        !standin::listDrivers(drivers, error)) {
        note(false, L"read the spooler, so it is left as it is");
        return false;
    }
    // Printers first: Wine deletes a driver entry even while a printer uses it.
    for (const standin::Printer& printer : printers) {
        const bool old =
            std::any_of(startPrinters_.begin(), startPrinters_.end(),
                        [&](const standin::Printer& p) { return p.name == printer.name; });
        if (!old) {
            note(standin::deletePrinter(printer.name, error),
                 L"remove printer " + quoted(printer.name));
        }
    }
    for (const standin::Driver& driver : drivers) {
        const bool old =
            std::any_of(startDrivers_.begin(), startDrivers_.end(), [&](const standin::Driver& d) {
                return d.name == driver.name && d.environment == driver.environment;
            });
        if (!old) {
            note(standin::deleteDriver(driver.name, driver.environment.c_str(), error),
                 L"remove driver entry " + quoted(driver.name) + L" (" + driver.environment + L")");
        }
    }
    if (!startDefault_.empty() && standin::defaultPrinter() != startDefault_) {
        note(standin::setDefaultPrinter(startDefault_, error),
             L"set the default printer back to " + quoted(startDefault_));
    }
    return ok;
}

} // namespace driver
