// Reads a steps file for the wizard driver: one step per line, checked before anything runs.
#pragma once

#include <string>
#include <vector>

namespace driver {

enum class StepKind {
    Start,
    Launch,
    Page,
    Text,
    Texts,
    Button,
    Press,
    Close,
    List,
    ListPorts,
    ListSel,
    Select,
    MsgBox,
    NoMsgBox,
    Shot,
    Banner,
    Exits,
    UsbAttach, // the usb-* steps, see UsbSteps.h
    UsbSet,
    UsbDetach,
    UsbDetachAll,
    UsbPresent,
    UsbAbsent,
    SpoolerSnapshot,
    SpoolerUnchanged,
    AddPrinter,
    RemovePrinter,
    Printer,
    NoPrinter,
    DefaultPrinter,
    SetPrinter,
    PrinterSettings,
    PrintUiSetting,
    PrintUiRun,
    PrintUiLogClear,
    PrintUiCount,
    PrintUiLine,
    Sleep,
    RegDword,
    Run,
    ExitCode,
    RemoveFile, // delete-file (DeleteFile is a Windows macro)
    Log,
};

enum class WizardButton { Back, Next, Finish, Cancel, Help };

enum class ButtonState { Enabled, Disabled, Hidden, Visible };

// How a user closes the wizard without its buttons.
enum class CloseWay { TitleBar, AltF4, Escape };

// What the print UI stand-in is told to do (tests/wine/printui).
enum class PrintUiMode { FailPort, FailAll, Delay, Normal };

// The printer settings set-printer sets and printer-settings reads back: PRINTER_INFO_2W's
// fields and two of its printing defaults (DEVMODE).
enum class PrinterField {
    Comment,
    Location,
    Share, // the share name; set, the printer is shared, and empty, it is not
    Separator,
    Priority,
    DefaultPriority,
    Start, // start and until time: minutes after midnight UTC, as the spooler keeps them
    Until,
    Paper, // dmPaperSize
    Orientation,
};

// One "<key>=<value>" of those steps.
struct PrinterSetting {
    PrinterField field = PrinterField::Comment;
    std::wstring value; // as the spooler gives it back: the text, or the number in decimal
    int number = 0;     // the number of a numeric field
};

struct Step {
    StepKind kind = StepKind::Start;
    int line = 0;        // 1-based line number in the steps file
    std::wstring source; // the line as written, for the log
    WizardButton button = WizardButton::Next;
    ButtonState state = ButtonState::Enabled;
    CloseWay closeWay = CloseWay::TitleBar;
    PrintUiMode printUiMode = PrintUiMode::Normal;
    int controlId = 0;
    int milliseconds = 0;
    int number = 0; // a count, a 1-based line number, a registry value or an exit code
    // usb-attach, usb-set: how long the fake printer takes to answer
    unsigned long usbDelayMs = 0;
    std::wstring name; // page or message box caption, screenshot, printer or file name, a key
    std::wstring text; // expected or wanted text (escapes replaced), a switch, a port, a value name
    std::wstring driver; // add-printer's driver entry
    std::vector<std::wstring> items;
    std::vector<PrinterSetting> settings; // set-printer, printer-settings
};

// Parses a whole steps file (UTF-8, an optional BOM, LF or CRLF line ends).
// Lines are "command arg arg...", arguments split by a single blank; the last
// argument of text-taking steps is the rest of the line (reg-dword reads its last
// two words first, and its key is what comes before them). In text arguments \n
// stands for a line feed, \s for a blank (for one at the end of a line, which
// editors drop) and \\ for a backslash. Blank lines and lines starting with #
// are skipped. On error returns false and says which line is wrong.
bool parseSteps(const std::string& utf8, std::vector<Step>& steps, std::wstring& error);

const wchar_t* buttonName(WizardButton button);
const wchar_t* buttonStateName(ButtonState state);
const wchar_t* closeWayName(CloseWay way);
// The key of the field in the steps file.
const wchar_t* printerFieldName(PrinterField field);

} // namespace driver
