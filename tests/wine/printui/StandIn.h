// What the print UI stand-in shares with the tests that use it: its settings, its log and its
// spooler calls.
//
// The stand-in is a printui.dll of our own for the Wine test prefix (Wine's own PrintUIEntryW
// does nothing). The wizard driver and the stand-in's test include this header to set the
// stand-in up, read what it was asked to do and build printer scenes the same way it does.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <winspool.h>

namespace standin {

// How the stand-in is told to misbehave: values under HKCU\Software\VeltraTest\PrintUI,
// read on every call. HKCU\Software is shared by 32- and 64-bit processes.
struct Settings {
    std::wstring failPort; // FailPort (REG_SZ): an /if on this port does nothing
    bool failAll = false;  // FailAll (DWORD 1): every command does nothing
    DWORD delayMs = 0;     // DelayMs (DWORD): sleep this long before acting
};

// Missing values read as the defaults above.
Settings readSettings();

// Writes all three values; a default one is deleted instead, so writeSettings({}) leaves no
// trace. False with a reason in error if the registry refuses.
bool writeSettings(const Settings& settings, std::wstring& error);

// The stand-in waits at most this long, whatever DelayMs says.
constexpr DWORD kMaxDelayMs = 30000;

// One line of the log: which build of the stand-in ran, in which program (rundll32's full path)
// and current folder, what it did ("ok..." or "failed: why") and the command line exactly as
// rundll32 passed it.
struct LogEntry {
    std::wstring arch;
    std::wstring program;
    std::wstring folder;
    std::wstring outcome;
    std::wstring commandLine;
};

// "x64" or "x86": the architecture this code was built for.
const wchar_t* buildArch();

// <Windows folder>\Temp\veltra-printui.log, the same for 32- and 64-bit processes (the Temp
// folder is not redirected). UTF-8, one line per command: the fields in order, tab between
// them. Line breaks inside a command line are written as \r and \n, so one command stays one
// line.
std::wstring logPath();

bool appendLog(const LogEntry& entry, std::wstring& error);
// A missing log is an empty one.
bool readLog(std::vector<LogEntry>& entries, std::wstring& error);
bool clearLog(std::wstring& error);

// A local printer as the spooler lists it.
struct Printer {
    std::wstring name;
    std::wstring port;
    std::wstring driver;
};

bool listPrinters(std::vector<Printer>& printers, std::wstring& error);

// The spooler's port names, in its order.
bool listPorts(std::vector<std::wstring>& ports, std::wstring& error);

// Whether the names are the same to the spooler, which ignores case.
bool sameName(const std::wstring& a, const std::wstring& b);

// The printer of this name (by sameName), or null.
const Printer* findPrinter(const std::vector<Printer>& printers, const std::wstring& name);

// The name Windows' print UI gives a new printer called `wanted`: that name if it is free,
// else the first free "wanted (Copy N)", N = 1, 2, ... "Copy" is the print UI's word in the
// user's language: "副本" on Chinese Windows, "Copy" on others.
std::wstring freePrinterName(const std::vector<Printer>& printers, const std::wstring& wanted);

// Adds the driver entry the stand-in installs for every model (Wine's PostScript driver under
// the model's name), unless a driver of that name exists already.
bool ensureDriver(const std::wstring& model, std::wstring& error);

// Adds a local printer on the port with that driver, under exactly that name. Refused, as
// Windows refuses it, when a listed printer carries the name already, letter case ignored.
bool addPrinter(const Printer& printer, std::wstring& error);

bool deletePrinter(const std::wstring& name, std::wstring& error);

// The printer's PRINTER_INFO_2W as GetPrinterW gives it: at the start of buffer, which also
// holds its strings and DEVMODE.
bool readPrinter(const std::wstring& name, std::vector<BYTE>& buffer, std::wstring& error);

// Reads the printer's PRINTER_INFO_2W through a full-control handle, lets change edit it and
// stores it with SetPrinterW. The security descriptor is taken out first, so the printer keeps
// its own. change says in its error why it would not.
using PrinterChange = std::function<bool(PRINTER_INFO_2W& info, std::wstring& error)>;
bool changePrinter(const std::wstring& name, const PrinterChange& change, std::wstring& error);

// The spooler's strings may be null: those read as empty.
std::wstring text(const wchar_t* value);

// Deletes the driver entry of the environment ("Windows x64", "Windows NT x86"; null for
// this process's own). Wine's DeletePrinterDriverExW fails; this older call works.
bool deleteDriver(const std::wstring& model, const wchar_t* environment, std::wstring& error);

// Driver entries are kept per environment: the 32-bit stand-in adds its entries to this one.
extern const wchar_t kX86Environment[];

// The default printer's name, or empty if there is none.
std::wstring defaultPrinter();

bool setDefaultPrinter(const std::wstring& name, std::wstring& error);

// A driver entry and the environment it is for.
struct Driver {
    std::wstring name;
    std::wstring environment;
};

// The driver entries of every environment.
bool listDrivers(std::vector<Driver>& drivers, std::wstring& error);

// <system folder>\rundll32.exe, the one the wizard starts: for a 32-bit process on 64-bit
// Windows (or Wine) the system folder is redirected to syswow64.
std::wstring systemRundll32();

// Starts rundll32 with these parameters (e.g. "PRINTUI.DLL,PrintUIEntry /y /n "P"") as the
// wizard does (CreateProcessW, its own folder as the current one) and waits until it ends.
// rundll32 always exits 0, so only the stand-in's log tells what happened.
bool runRundll32(const std::wstring& rundll32, const std::wstring& parameters, std::wstring& error);

} // namespace standin
