// What the print UI stand-in shares with the tests that use it: its settings, its log and its
// spooler calls.
#include "StandIn.h"

#include <algorithm>

#include <winspool.h>

namespace standin {

const wchar_t kX86Environment[] = L"Windows NT x86";

namespace {

const wchar_t kSettingsKey[] = L"Software\\VeltraTest\\PrintUI";
const wchar_t kFailPortValue[] = L"FailPort";
const wchar_t kFailAllValue[] = L"FailAll";
const wchar_t kDelayValue[] = L"DelayMs";

const wchar_t kLogFile[] = L"\\Temp\\veltra-printui.log";
constexpr wchar_t kLogSeparator = L'\t';
constexpr wchar_t kLogLineEnd = L'\n';
constexpr size_t kLogFields = 5; // those of LogEntry

// The driver entry behind every stand-in printer: Wine's PostScript driver, whose files
// every Wine prefix has.
constexpr DWORD kDriverLevel = 3; // DRIVER_INFO_3W
constexpr DWORD kDriverNamesLevel = 1;
constexpr DWORD kDriverDetailsLevel = 2; // DRIVER_INFO_2W, which names the environment
const wchar_t kAllEnvironments[] = L"all";
constexpr DWORD kDriverVersion = 3; // a user-mode driver
const wchar_t kDriverFile[] = L"wineps.drv";
const wchar_t kDataFile[] = L"generic.ppd";

constexpr DWORD kPrinterLevel = 2; // PRINTER_INFO_2W
constexpr DWORD kPortLevel = 1;    // PORT_INFO_1W
const wchar_t kPrintProcessor[] = L"WinPrint";
const wchar_t kDatatype[] = L"RAW";

// How the print UI names a copy, by user interface language.
struct CopyWord {
    LANGID language;
    const wchar_t* word;
};
constexpr CopyWord kCopyWords[] = {
    {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), L"副本"},
};
const wchar_t kDefaultCopyWord[] = L"Copy";

// rundll32 takes 0.1-0.3 s under Wine, plus whatever DelayMs asks for.
constexpr DWORD kRundll32TimeoutMs = kMaxDelayMs + 10000;

// A list may grow between the sizing call and the real one; retry a few times.
constexpr int kSizingAttempts = 3;

std::wstring failure(const wchar_t* what, DWORD code = GetLastError()) {
    return std::wstring(what) + L" failed with error " + std::to_wstring(code);
}

// Runs one of the spooler's two-call queries, `call(buffer, size, &needed)`, into buffer.
template <class Call>
bool query(const wchar_t* what, Call call, std::vector<BYTE>& buffer, std::wstring& error) {
    DWORD needed = 0;
    for (int attempt = 0; attempt < kSizingAttempts; ++attempt) {
        buffer.resize(needed);
        if (call(buffer.empty() ? nullptr : buffer.data(), needed, &needed)) {
            return true;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            error = failure(what);
            return false;
        }
    }
    error = std::wstring(what) + L" kept asking for a bigger buffer";
    return false;
}

// Runs one of the spooler's two-call enumerations, `call(buffer, size, &needed, &count)`,
// and makes an item of each Record it gives with `convert`.
template <class Record, class Item, class Call, class Convert>
bool enumerate(const wchar_t* what, Call call, Convert convert, std::vector<Item>& items,
               std::wstring& error) {
    items.clear();
    std::vector<BYTE> buffer;
    DWORD count = 0;
    const auto counted = [&](BYTE* data, DWORD size, DWORD* needed) {
        return call(data, size, needed, &count);
    };
    if (!query(what, counted, buffer, error)) {
        return false;
    }
    const auto* records = reinterpret_cast<const Record*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        items.push_back(convert(records[i]));
    }
    return true;
}

// Owns a handle and closes it with `close` when it goes.
template <typename Handle, typename Result, Result(WINAPI* close)(Handle)> class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() {
        if (valid()) {
            close(handle_);
        }
    }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    Handle get() const { return handle_; }
    // For the API calls that hand out the handle through a parameter.
    Handle* receive() { return &handle_; }

private:
    Handle handle_ = nullptr;
};

using PrinterHandle = Owned<HANDLE, BOOL, ClosePrinter>;
using RegistryKey = Owned<HKEY, LSTATUS, RegCloseKey>;
using File = Owned<HANDLE, BOOL, CloseHandle>;

// Opens the printer with PRINTER_ACCESS_USE to read it, PRINTER_ALL_ACCESS to change or delete it.
bool openPrinter(const std::wstring& name, ACCESS_MASK access, PrinterHandle& printer,
                 std::wstring& error) {
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, access};
    if (!OpenPrinterW(const_cast<LPWSTR>(name.c_str()), printer.receive(), &defaults)) {
        error = failure(L"OpenPrinterW") + L" for \"" + name + L"\"";
        return false;
    }
    return true;
}

bool getPrinter(HANDLE printer, std::vector<BYTE>& buffer, std::wstring& error) {
    const auto call = [printer](BYTE* data, DWORD size, DWORD* needed) {
        return GetPrinterW(printer, kPrinterLevel, data, size, needed) != FALSE;
    };
    return query(L"GetPrinterW", call, buffer, error);
}

// Converts between UTF-16 and UTF-8; `to` is empty if the text does not convert.
std::string utf8Of(const std::wstring& text) {
    const int size = static_cast<int>(text.size());
    std::string to(WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr),
                   '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, to.data(), static_cast<int>(to.size()),
                        nullptr, nullptr);
    return to;
}

std::wstring wideOf(const std::string& text) {
    const int size = static_cast<int>(text.size());
    std::wstring to(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, to.data(), static_cast<int>(to.size()));
    return to;
}

// One command, one log line: line breaks become visible escapes.
std::wstring oneLine(const std::wstring& text) {
    std::wstring result;
    for (wchar_t c : text) {
        result += c == L'\r' ? L"\\r" : c == L'\n' ? L"\\n" : std::wstring(1, c);
    }
    return result;
}

// A missing or unreadable setting reads as empty or 0.
std::wstring readString(const wchar_t* name) {
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, nullptr,
                     &bytes) != ERROR_SUCCESS) {
        return std::wstring();
    }
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, text.data(),
                     &bytes) != ERROR_SUCCESS) {
        return std::wstring();
    }
    return text.data();
}

DWORD readDword(const wchar_t* name) {
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value,
                     &bytes) != ERROR_SUCCESS) {
        return 0;
    }
    return value;
}

LSTATUS writeString(HKEY key, const wchar_t* name, const std::wstring& text) {
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
}

LSTATUS writeDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value));
}

LSTATUS deleteValue(HKEY key, const wchar_t* name) {
    const LSTATUS status = RegDeleteValueW(key, name);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

} // namespace

Settings readSettings() {
    Settings settings;
    settings.failPort = readString(kFailPortValue);
    settings.failAll = readDword(kFailAllValue) == 1;
    settings.delayMs = readDword(kDelayValue);
    return settings;
}

bool writeSettings(const Settings& settings, std::wstring& error) {
    RegistryKey key;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                                     nullptr, key.receive(), nullptr);
    if (status == ERROR_SUCCESS) {
        status = settings.failPort.empty()
                     ? deleteValue(key.get(), kFailPortValue)
                     : writeString(key.get(), kFailPortValue, settings.failPort);
    }
    if (status == ERROR_SUCCESS) {
        status = settings.failAll ? writeDword(key.get(), kFailAllValue, 1)
                                  : deleteValue(key.get(), kFailAllValue);
    }
    if (status == ERROR_SUCCESS) {
        status = settings.delayMs ? writeDword(key.get(), kDelayValue, settings.delayMs)
                                  : deleteValue(key.get(), kDelayValue);
    }
    if (status != ERROR_SUCCESS) {
        error = failure(L"writing HKCU\\Software\\VeltraTest\\PrintUI", status);
        return false;
    }
    return true;
}

const wchar_t* buildArch() {
#if defined(_WIN64)
    return L"x64";
#else
    return L"x86";
#endif
}

std::wstring logPath() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length < MAX_PATH ? length : 0) + kLogFile;
}

bool appendLog(const LogEntry& entry, std::wstring& error) {
    const std::string line = utf8Of(entry.arch + kLogSeparator + entry.program + kLogSeparator +
                                    entry.folder + kLogSeparator + oneLine(entry.outcome) +
                                    kLogSeparator + oneLine(entry.commandLine) + kLogLineEnd);
    // Append-only access makes each write land at the end, even with two writers.
    File file(CreateFileW(logPath().c_str(), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file.valid() ||
        !WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) {
        error = failure(L"writing the log");
        return false;
    }
    return true;
}

bool readLog(std::vector<LogEntry>& entries, std::wstring& error) {
    entries.clear();
    File file(CreateFileW(logPath().c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) {
            return true;
        }
        error = failure(L"opening the log");
        return false;
    }
    std::string bytes;
    constexpr DWORD kChunkBytes = 4096;
    char chunk[kChunkBytes];
    DWORD got = 0;
    while (ReadFile(file.get(), chunk, kChunkBytes, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    const std::wstring text = wideOf(bytes);
    size_t start = 0;
    // Only whole lines count: a writer may be half-way through the last one.
    for (size_t end; (end = text.find(kLogLineEnd, start)) != std::wstring::npos; start = end + 1) {
        const std::wstring line = text.substr(start, end - start);
        // Only the command line, the last field, may hold a tab.
        std::vector<std::wstring> fields;
        size_t from = 0;
        for (size_t tab; fields.size() + 1 < kLogFields &&
                         (tab = line.find(kLogSeparator, from)) != std::wstring::npos;
             from = tab + 1) {
            fields.push_back(line.substr(from, tab - from));
        }
        if (fields.size() + 1 < kLogFields) {
            error = L"log line " + std::to_wstring(entries.size() + 1) + L" has fewer than " +
                    std::to_wstring(kLogFields) + L" fields";
            return false;
        }
        entries.push_back({fields[0], fields[1], fields[2], fields[3], line.substr(from)});
    }
    return true;
}

bool clearLog(std::wstring& error) {
    if (!DeleteFileW(logPath().c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        error = failure(L"deleting the log");
        return false;
    }
    return true;
}

bool listPrinters(std::vector<Printer>& printers, std::wstring& error) {
    return enumerate<PRINTER_INFO_2W>(
        L"EnumPrintersW",
        [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, kPrinterLevel, data, size, needed,
                                 returned) != FALSE;
        },
        [](const PRINTER_INFO_2W& record) {
            return Printer{text(record.pPrinterName), text(record.pPortName),
                           text(record.pDriverName)};
        },
        printers, error);
}

std::wstring text(const wchar_t* value) {
    return value ? value : L"";
}

bool sameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool listPorts(std::vector<std::wstring>& ports, std::wstring& error) {
    return enumerate<PORT_INFO_1W>(
        L"EnumPortsW",
        [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPortsW(nullptr, kPortLevel, data, size, needed, returned) != FALSE;
        },
        [](const PORT_INFO_1W& record) { return text(record.pName); }, ports, error);
}

const Printer* findPrinter(const std::vector<Printer>& printers, const std::wstring& name) {
    for (const Printer& printer : printers) {
        if (sameName(printer.name, name)) {
            return &printer;
        }
    }
    return nullptr;
}

std::wstring freePrinterName(const std::vector<Printer>& printers, const std::wstring& wanted) {
    if (!findPrinter(printers, wanted)) {
        return wanted;
    }
    std::wstring word = kDefaultCopyWord;
    for (const CopyWord& entry : kCopyWords) {
        if (entry.language == GetUserDefaultUILanguage()) {
            word = entry.word;
        }
    }
    // Each printer rules out at most one number, so one of the first size()+1 is free.
    for (size_t n = 1;; ++n) {
        const std::wstring name = wanted + L" (" + word + L" " + std::to_wstring(n) + L")";
        if (!findPrinter(printers, name)) {
            return name;
        }
    }
}

bool ensureDriver(const std::wstring& model, std::wstring& error) {
    std::vector<std::wstring> drivers;
    const bool listed = enumerate<DRIVER_INFO_1W>(
        L"EnumPrinterDriversW",
        [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrinterDriversW(nullptr, nullptr, kDriverNamesLevel, data, size, needed,
                                       returned) != FALSE;
        },
        [](const DRIVER_INFO_1W& record) { return text(record.pName); }, drivers, error);
    if (!listed) {
        return false;
    }
    if (std::any_of(drivers.begin(), drivers.end(),
                    [&](const std::wstring& driver) { return sameName(driver, model); })) {
        return true;
    }
    DRIVER_INFO_3W info = {};
    info.cVersion = kDriverVersion;
    info.pName = const_cast<LPWSTR>(model.c_str());
    info.pDriverPath = const_cast<LPWSTR>(kDriverFile);
    info.pConfigFile = const_cast<LPWSTR>(kDriverFile);
    info.pDataFile = const_cast<LPWSTR>(kDataFile);
    if (!AddPrinterDriverExW(nullptr, kDriverLevel, reinterpret_cast<BYTE*>(&info),
                             APD_COPY_NEW_FILES)) {
        error = failure(L"AddPrinterDriverExW");
        return false;
    }
    return true;
}

bool addPrinter(const Printer& printer, std::wstring& error) {
    // Windows' AddPrinter refuses a name a printer already carries, letter case ignored; Wine's
    // silently replaces that printer.
    std::vector<Printer> printers;
    if (!listPrinters(printers, error)) {
        return false;
    }
    if (const Printer* existing = findPrinter(printers, printer.name)) {
        error = failure(L"AddPrinterW", ERROR_PRINTER_ALREADY_EXISTS) + L": there is a printer \"" +
                existing->name + L"\" on \"" + existing->port + L"\"";
        return false;
    }
    PRINTER_INFO_2W info = {};
    info.pPrinterName = const_cast<LPWSTR>(printer.name.c_str());
    info.pPortName = const_cast<LPWSTR>(printer.port.c_str());
    info.pDriverName = const_cast<LPWSTR>(printer.driver.c_str());
    info.pPrintProcessor = const_cast<LPWSTR>(kPrintProcessor);
    info.pDatatype = const_cast<LPWSTR>(kDatatype);
    HANDLE handle = AddPrinterW(nullptr, kPrinterLevel, reinterpret_cast<BYTE*>(&info));
    if (!handle) {
        error = failure(L"AddPrinterW");
        return false;
    }
    ClosePrinter(handle);
    return true;
}

bool deletePrinter(const std::wstring& name, std::wstring& error) {
    PrinterHandle printer;
    if (!openPrinter(name, PRINTER_ALL_ACCESS, printer, error)) {
        return false;
    }
    if (!DeletePrinter(printer.get())) {
        error = failure(L"DeletePrinter");
        return false;
    }
    return true;
}

bool readPrinter(const std::wstring& name, std::vector<BYTE>& buffer, std::wstring& error) {
    PrinterHandle printer;
    return openPrinter(name, PRINTER_ACCESS_USE, printer, error) &&
           getPrinter(printer.get(), buffer, error);
}

bool changePrinter(const std::wstring& name, const PrinterChange& change, std::wstring& error) {
    PrinterHandle printer;
    std::vector<BYTE> buffer;
    if (!openPrinter(name, PRINTER_ALL_ACCESS, printer, error) ||
        !getPrinter(printer.get(), buffer, error)) {
        return false;
    }
    auto& info = *reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    if (!change(info, error)) {
        return false;
    }
    info.pSecurityDescriptor = nullptr;
    if (!SetPrinterW(printer.get(), kPrinterLevel, buffer.data(), 0)) {
        error = failure(L"SetPrinterW");
        return false;
    }
    return true;
}

bool deleteDriver(const std::wstring& model, const wchar_t* environment, std::wstring& error) {
    if (!DeletePrinterDriverW(nullptr, const_cast<LPWSTR>(environment),
                              const_cast<LPWSTR>(model.c_str()))) {
        error = failure(L"DeletePrinterDriverW");
        return false;
    }
    return true;
}

std::wstring defaultPrinter() {
    for (int attempt = 0; attempt < kSizingAttempts; ++attempt) {
        DWORD size = 0;
        GetDefaultPrinterW(nullptr, &size);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) {
            return std::wstring();
        }
        std::vector<wchar_t> name(size, L'\0');
        if (GetDefaultPrinterW(name.data(), &size)) {
            return name.data();
        }
    }
    return std::wstring();
}

bool setDefaultPrinter(const std::wstring& name, std::wstring& error) {
    if (!SetDefaultPrinterW(name.c_str())) {
        error = failure(L"SetDefaultPrinterW");
        return false;
    }
    return true;
}

bool listDrivers(std::vector<Driver>& drivers, std::wstring& error) {
    return enumerate<DRIVER_INFO_2W>(
        L"EnumPrinterDriversW",
        [](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrinterDriversW(nullptr, const_cast<LPWSTR>(kAllEnvironments),
                                       kDriverDetailsLevel, data, size, needed, returned) != FALSE;
        },
        [](const DRIVER_INFO_2W& record) {
            return Driver{text(record.pName), text(record.pEnvironment)};
        },
        drivers, error);
}

std::wstring systemRundll32() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length < MAX_PATH ? length : 0) + L"\\rundll32.exe";
}

bool runRundll32(const std::wstring& rundll32, const std::wstring& parameters,
                 std::wstring& error) {
    std::wstring commandLine = L"\"" + rundll32 + L"\" " + parameters;
    const std::wstring folder = rundll32.substr(0, rundll32.rfind(L'\\'));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(rundll32.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        error = failure(L"CreateProcessW") + L" for " + rundll32;
        return false;
    }
    const bool ended = WaitForSingleObject(process.hProcess, kRundll32TimeoutMs) == WAIT_OBJECT_0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!ended) {
        error = L"rundll32 still runs after " + std::to_wstring(kRundll32TimeoutMs) + L" ms";
    }
    return ended;
}

} // namespace standin
