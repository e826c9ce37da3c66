// The wizard driver's fake USB printer steps: plug printers in and out, check what SetupAPI lists.
#include "UsbSteps.h"

#include "Text.h"
#include "WinePath.h"

#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>

#include <climits>
#include <cwctype>
#include <initializer_list>
#include <utility>

namespace driver {
namespace {

// The interface class of USB printers, as usbprint.sys registers it (usbprint.h).
constexpr GUID kUsbPrintInterface = {
    0x28d78fad, 0x5a12, 0x11d1, {0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03, 0xa8, 0xc2}};

// What fakeinst.exe needs: its own path, from the environment, and the driver's INF beside it.
const wchar_t kFakeinstVariable[] = L"VELTRA_FAKEINST";
const wchar_t kFakeInf[] = L"fakeusbprint.inf";
// The hardware id fakeinst gives every fake printer.
const wchar_t kFakeHardwareId[] = L"fakeusbprint";
const wchar_t kRootEnumerator[] = L"ROOT";
const wchar_t kRootPrefix[] = L"ROOT\\";
// ROOT\<device>\<instance>: two backslashes.
constexpr int kInstanceIdSeparators = 2;

// fakeinst takes 0.1-0.4 s; once, in a prefix that was never restarted, an install took 10 s.
constexpr DWORD kFakeinstTimeoutMs = 30000;
// An attached printer is listed as soon as fakeinst returns; this only bounds a slow machine.
constexpr DWORD kListTimeoutMs = 3000;
constexpr DWORD kPollIntervalMs = 50;

// The fake driver answers with up to 1024 bytes, two of them the length; it reads the text
// into 512 UTF-16 units, the last one for the terminating zero.
constexpr size_t kMaxDeviceIdLength = 510;
const wchar_t kNeverAnswers[] = L"never";
constexpr unsigned long long kMaxDelayMs = 0xFFFFFFFFull; // also what "never" stands for
constexpr size_t kMaxDelayDigits = 10;
constexpr unsigned kDecimalBase = 10;
constexpr wchar_t kFirstPrintable = L' ';
constexpr wchar_t kLastPrintable = L'~';

enum class UsbArguments { None, InstanceId, Printer };

struct UsbCommand {
    const wchar_t* name;
    StepKind kind;
    UsbArguments arguments;
};

constexpr UsbCommand kUsbCommands[] = {
    {L"usb-attach", StepKind::UsbAttach, UsbArguments::Printer},
    {L"usb-set", StepKind::UsbSet, UsbArguments::Printer},
    {L"usb-detach", StepKind::UsbDetach, UsbArguments::InstanceId},
    {L"usb-detach-all", StepKind::UsbDetachAll, UsbArguments::None},
    {L"usb-present", StepKind::UsbPresent, UsbArguments::InstanceId},
    {L"usb-absent", StepKind::UsbAbsent, UsbArguments::InstanceId},
};

const UsbCommand* findCommand(const std::wstring& command) {
    for (const UsbCommand& entry : kUsbCommands) {
        if (command == entry.name) {
            return &entry;
        }
    }
    return nullptr;
}

// Device instance ids compare without regard to case, as Windows treats them.
bool sameInstanceId(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool parseInstanceId(const std::wstring& text, std::wstring& id, std::wstring& error) {
    int separators = 0;
    bool emptyPart = text.empty() || text.back() == L'\\';
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\') {
            ++separators;
            emptyPart = emptyPart || i == 0 || text[i - 1] == L'\\';
        }
    }
    const std::wstring prefix = text.substr(0, std::wstring(kRootPrefix).size());
    if (!sameInstanceId(prefix, kRootPrefix) || separators != kInstanceIdSeparators || emptyPart ||
        text.size() >= MAX_DEVICE_ID_LEN || text.find(L' ') != std::wstring::npos) {
        error = L"expected an instance id like ROOT\\VID_1A2B&PID_0001\\0000, got " + quoted(text);
        return false;
    }
    id = text;
    return true;
}

bool parseDeviceId(const std::wstring& text, std::wstring& id, std::wstring& error) {
    if (text.empty() || text.size() > kMaxDeviceIdLength) {
        error = L"the 1284 id must have 1 to " + std::to_wstring(kMaxDeviceIdLength) +
                L" characters, got " + std::to_wstring(text.size());
        return false;
    }
    for (wchar_t c : text) {
        if (c < kFirstPrintable || c > kLastPrintable || c == L'"') {
            error = L"the 1284 id may hold only printable ASCII without double quotes, got " +
                    quoted(text);
            return false;
        }
    }
    id = text;
    return true;
}

bool parseDelay(const std::wstring& text, unsigned long& delay, std::wstring& error) {
    if (text == kNeverAnswers) {
        delay = static_cast<unsigned long>(kMaxDelayMs);
        return true;
    }
    unsigned long long value = 0;
    bool digits = !text.empty() && text.size() <= kMaxDelayDigits;
    for (wchar_t c : text) {
        digits = digits && std::iswdigit(c);
        value = value * kDecimalBase + static_cast<unsigned>(c - L'0');
    }
    if (!digits || value > kMaxDelayMs) {
        error = L"expected a delay in ms up to " + std::to_wstring(kMaxDelayMs) + L" or " +
                quoted(kNeverAnswers) + L", got " + quoted(text);
        return false;
    }
    delay = static_cast<unsigned long>(value);
    return true;
}

// "<instance-id> <1284-id> <delay-ms>": the 1284 id may hold blanks, the others cannot.
bool parsePrinter(const std::wstring& text, Step& step, std::wstring& error) {
    const size_t first = text.find(L' ');
    const size_t last = text.rfind(L' ');
    if (first == std::wstring::npos || first == last) {
        error = L"expected <instance-id> <1284-id> <delay-ms>, got " + quoted(text);
        return false;
    }
    return parseInstanceId(text.substr(0, first), step.name, error) &&
           parseDeviceId(text.substr(first + 1, last - first - 1), step.text, error) &&
           parseDelay(text.substr(last + 1), step.usbDelayMs, error);
}

// Owns a kernel handle.
class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (valid()) {
            CloseHandle(handle_);
        }
    }
    bool valid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Owns a SetupAPI device information set.
class DeviceList {
public:
    explicit DeviceList(HDEVINFO list) : list_(list) {}
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;
    ~DeviceList() {
        if (valid()) {
            SetupDiDestroyDeviceInfoList(list_);
        }
    }
    bool valid() const { return list_ != INVALID_HANDLE_VALUE; }
    HDEVINFO get() const { return list_; }

private:
    HDEVINFO list_;
};

std::wstring errorText(const wchar_t* what, DWORD code = GetLastError()) {
    return std::wstring(what) + L" failed with error " + std::to_wstring(code);
}

std::wstring instanceIdOf(HDEVINFO list, SP_DEVINFO_DATA& device) {
    wchar_t id[MAX_DEVICE_ID_LEN] = {};
    return SetupDiGetDeviceInstanceIdW(list, &device, id, MAX_DEVICE_ID_LEN, nullptr) ? id : L"";
}

struct UsbInterface {
    std::wstring instanceId;
    std::wstring devicePath;
};

// The USB printer interfaces SetupAPI lists as present, the way a program looking for a
// printer asks for them.
bool listUsbPrinters(std::vector<UsbInterface>& found, std::wstring& error) {
    found.clear();
    DeviceList list(SetupDiGetClassDevsW(&kUsbPrintInterface, nullptr, nullptr,
                                         DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!list.valid()) {
        error = errorText(L"SetupDiGetClassDevsW(USB printers)");
        return false;
    }
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    for (DWORD i = 0;
         SetupDiEnumDeviceInterfaces(list.get(), nullptr, &kUsbPrintInterface, i, &data); ++i) {
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailW(list.get(), &data, nullptr, 0, &size, nullptr);
        std::vector<BYTE> buffer(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof(device);
        if (size < sizeof(*detail)) {
            error = errorText(L"SetupDiGetDeviceInterfaceDetailW (size)");
            return false;
        }
        detail->cbSize = sizeof(*detail);
        if (!SetupDiGetDeviceInterfaceDetailW(list.get(), &data, detail, size, nullptr, &device)) {
            error = errorText(L"SetupDiGetDeviceInterfaceDetailW");
            return false;
        }
        found.push_back({instanceIdOf(list.get(), device), detail->DevicePath});
    }
    if (GetLastError() != ERROR_NO_MORE_ITEMS) {
        error = errorText(L"SetupDiEnumDeviceInterfaces");
        return false;
    }
    return true;
}

// Every fake printer in the prefix, started or not: the root devices with our hardware id.
bool listFakePrinters(std::vector<std::wstring>& ids, std::wstring& error) {
    ids.clear();
    DeviceList list(SetupDiGetClassDevsW(nullptr, kRootEnumerator, nullptr, DIGCF_ALLCLASSES));
    if (!list.valid()) {
        error = errorText(L"SetupDiGetClassDevsW(ROOT)");
        return false;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(list.get(), i, &device); ++i) {
        // A longer hardware id does not fit: then it is not ours either.
        wchar_t hardwareId[sizeof(kFakeHardwareId) / sizeof(wchar_t) + 1] = {};
        if (SetupDiGetDeviceRegistryPropertyW(list.get(), &device, SPDRP_HARDWAREID, nullptr,
                                              reinterpret_cast<BYTE*>(hardwareId),
                                              sizeof(hardwareId), nullptr) &&
            sameInstanceId(hardwareId, kFakeHardwareId)) {
            ids.push_back(instanceIdOf(list.get(), device));
        }
    }
    return true;
}

std::wstring joined(const std::vector<std::wstring>& texts, const wchar_t* separator) {
    std::wstring result;
    for (const std::wstring& text : texts) {
        result += (result.empty() ? L"" : separator) + text;
    }
    return result;
}

// What the child printed, read back from the start of the file it wrote to.
std::wstring readOutput(HANDLE file) {
    std::string bytes;
    constexpr DWORD kChunkBytes = 4096;
    char chunk[kChunkBytes];
    DWORD got = 0;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    std::wstring text;
    fromUtf8(bytes, text);
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        end = end == std::wstring::npos ? text.size() : end;
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(line);
        }
        start = end + 1;
    }
    return joined(lines, L"; ");
}

// Runs fakeinst.exe in its own folder and waits for it; output gets what it printed.
// Its output goes to a temporary file rather than a pipe, which a Wine service it wakes
// could keep open.
bool runFakeinst(std::initializer_list<std::wstring> arguments, std::wstring& output,
                 std::wstring& error) {
    output.clear();
    std::vector<wchar_t> variable(MAX_PATH);
    DWORD length = GetEnvironmentVariableW(kFakeinstVariable, variable.data(),
                                           static_cast<DWORD>(variable.size()));
    if (length >= variable.size()) {
        variable.resize(length);
        length = GetEnvironmentVariableW(kFakeinstVariable, variable.data(), length);
    }
    if (length == 0) {
        error = std::wstring(kFakeinstVariable) +
                L" is not set: source tools/wine-env.sh, or run the test through ctest";
        return false;
    }
    const std::wstring exe = toWindowsPath(variable.data());
    if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = errorText((L"looking for " + exe + L" (" + kFakeinstVariable + L")").c_str());
        return false;
    }
    const std::wstring folder = exe.substr(0, exe.rfind(L'\\'));

    wchar_t tempFolder[MAX_PATH] = {};
    wchar_t tempName[MAX_PATH] = {};
    if (!GetTempPathW(MAX_PATH, tempFolder) || !GetTempFileNameW(tempFolder, L"usb", 0, tempName)) {
        error = errorText(L"GetTempFileNameW");
        return false;
    }
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    Handle log(CreateFileW(tempName, GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherited,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                           nullptr));
    if (!log.valid()) {
        error = errorText(L"creating fakeinst's output file");
        return false;
    }

    std::wstring commandLine = L"\"" + exe + L"\"";
    std::wstring shown = L"fakeinst";
    for (const std::wstring& argument : arguments) {
        commandLine += L" \"" + argument + L"\"";
        shown += L" " + argument;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = log.get();
    startup.hStdError = log.get();
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, folder.c_str(), &startup, &info)) {
        error = errorText((L"starting " + shown).c_str());
        return false;
    }
    Handle process(info.hProcess);
    Handle thread(info.hThread);
    if (WaitForSingleObject(process.get(), kFakeinstTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), ERROR_TIMEOUT);
        error = shown + L" did not finish within " + std::to_wstring(kFakeinstTimeoutMs) + L" ms";
        return false;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.get(), &exitCode);
    output = readOutput(log.get());
    if (exitCode != 0) {
        error = shown + L" failed (exit code " + std::to_wstring(exitCode) + L"): " + output;
        return false;
    }
    return true;
}

} // namespace

bool isUsbStep(const std::wstring& command) {
    return findCommand(command) != nullptr;
}

bool parseUsbStep(const std::wstring& command, const std::wstring& arguments, Step& step,
                  std::wstring& error) {
    const UsbCommand* entry = findCommand(command);
    if (!entry) {
        error = L"unknown step " + quoted(command);
        return false;
    }
    step.kind = entry->kind;
    switch (entry->arguments) {
    case UsbArguments::None:
        if (!arguments.empty()) {
            error = L"'" + command + L"' takes no arguments";
            return false;
        }
        return true;
    case UsbArguments::InstanceId:
        return parseInstanceId(arguments, step.name, error);
    case UsbArguments::Printer:
        return parsePrinter(arguments, step, error);
    }
    return false;
}

FakeUsbPrinters::~FakeUsbPrinters() {
    if (attached_.empty()) {
        return;
    }
    std::wstring output;
    std::wstring error;
    for (const std::wstring& id : attached_) {
        if (!runFakeinst({L"remove", id}, output, error)) {
            printLine(L"could not detach the fake USB printer " + id + L": " + error);
        } else {
            printLine(L"detached the fake USB printer the steps left attached: " + id);
        }
    }
}

bool FakeUsbPrinters::startClean(std::wstring& detail, std::wstring& error) {
    std::vector<std::wstring> leftovers;
    if (!listFakePrinters(leftovers, error)) {
        return false;
    }
    if (leftovers.empty()) {
        return true;
    }
    std::wstring output;
    if (!runFakeinst({L"remove-all"}, output, error)) {
        return false;
    }
    detail = L"detached the fake USB printers an earlier run left: " + joined(leftovers, L", ");
    return true;
}

bool FakeUsbPrinters::run(const Step& step, std::wstring& detail, std::wstring& error) {
    switch (step.kind) {
    case StepKind::UsbAttach:
        return attach(step, detail, error);
    case StepKind::UsbSet:
        return runFakeinst({L"set", step.name, step.text, std::to_wstring(step.usbDelayMs)}, detail,
                           error);
    case StepKind::UsbDetach:
        return detach(step, detail, error);
    case StepKind::UsbDetachAll:
        return detachAll(detail, error);
    case StepKind::UsbPresent:
        return waitListed(step, true, detail, error);
    case StepKind::UsbAbsent:
        return waitListed(step, false, detail, error);
    default:
        error = L"not a usb step";
        return false;
    }
}

bool FakeUsbPrinters::attach(const Step& step, std::wstring& detail, std::wstring& error) {
    if (!runFakeinst({L"install", kFakeInf, step.name, step.text, std::to_wstring(step.usbDelayMs)},
                     detail, error)) {
        return false;
    }
    for (const std::wstring& id : attached_) {
        if (sameInstanceId(id, step.name)) {
            return true;
        }
    }
    attached_.push_back(step.name);
    return true;
}

bool FakeUsbPrinters::detach(const Step& step, std::wstring& detail, std::wstring& error) {
    if (!runFakeinst({L"remove", step.name}, detail, error)) {
        return false;
    }
    for (auto it = attached_.begin(); it != attached_.end(); ++it) {
        if (sameInstanceId(*it, step.name)) {
            attached_.erase(it);
            break;
        }
    }
    return true;
}

bool FakeUsbPrinters::detachAll(std::wstring& detail, std::wstring& error) {
    if (!runFakeinst({L"remove-all"}, detail, error)) {
        return false;
    }
    attached_.clear();
    return true;
}

bool FakeUsbPrinters::waitListed(const Step& step, bool want, std::wstring& detail,
                                 std::wstring& error) const {
    const std::wstring caller = std::to_wstring(sizeof(void*) * CHAR_BIT) + L"-bit process";
    const ULONGLONG deadline = GetTickCount64() + kListTimeoutMs;
    for (;;) {
        std::vector<UsbInterface> found;
        if (!listUsbPrinters(found, error)) {
            return false;
        }
        const UsbInterface* match = nullptr;
        std::vector<std::wstring> paths;
        for (const UsbInterface& entry : found) {
            paths.push_back(entry.devicePath);
            if (sameInstanceId(entry.instanceId, step.name)) {
                match = &entry;
            }
        }
        if ((match != nullptr) == want) {
            detail = match ? L"a " + caller + L" sees " + match->devicePath
                           : L"a " + caller + L" does not see it";
            return true;
        }
        if (GetTickCount64() >= deadline) {
            error = L"not so after " + std::to_wstring(kListTimeoutMs) + L" ms: a " + caller +
                    L" sees " +
                    (paths.empty() ? L"no USB printer interface" : joined(paths, L", "));
            return false;
        }
        Sleep(kPollIntervalMs);
    }
}

} // namespace driver
