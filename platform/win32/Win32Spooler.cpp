// The print spooler on Windows: winspool calls behind the functions of platform/Spooler.h.
// winspool.drv is no KnownDLL, so it is loaded from the system directory when first needed.
#include "platform/Spooler.h"

#include "platform/TwoCallSizing.h"

#include <windows.h>

#include <climits>
#include <cstddef>
#include <cstring>

#include <winspool.h>

#include "platform/win32/SystemLibrary.h"

namespace {

// Calls one spooler function by name; when winspool cannot be had, the call fails as the
// function itself fails, with the loader's error as the last error.
template <class Function, class... Arguments>
BOOL CallSpooler(const char* name, Arguments... arguments) {
    Function* function = g_spoolerLibrary.Get<Function>(name);
    return function != nullptr ? function(arguments...) : FALSE;
}

constexpr DWORD kPrinterInfoLevel = 2;      // PRINTER_INFO_2W
constexpr DWORD kPortInfoLevel = 2;         // PORT_INFO_2W
constexpr DWORD kAnyDriverVersion = 0;      // without DPD_DELETE_SPECIFIC_VERSION: every version
constexpr DWORD kCommandOnlyLevel = 0;      // SetPrinterW with no printer data, only a command
constexpr DWORD kNoCommand = 0;             // SetPrinterW with data and no command
constexpr DWORD kSecurityInfoLevel = 3;     // PRINTER_INFO_3: the security descriptor alone
constexpr DWORD kDriverInfoLevel = 8;       // DRIVER_INFO_8W: with the package's INF path
constexpr DWORD kNoDeletionFlags = 0;       // the driver alone, its files left
constexpr DWORD kSilentUpload = 0x00000001; // UPDP_SILENT_UPLOAD: nothing asked of anyone

// Runs one of the spooler's enumerations: `enumerate(buffer, size, &needed, &returned)` is
// one call of EnumPrintersW, EnumPortsW or EnumPrinterDriversW; `take(record, out)` adds what
// one record holds to `out`, false for a record the spooler filled wrongly. The records reach
// `out` only when everything worked.
template <typename Info, typename Out, typename Enumerate, typename Take>
bool EnumerateRecords(Enumerate enumerate, Take take, std::vector<Out>& out) {
    DWORD returned = 0;
    CReportedBuffer buffer;
    const bool ok = EnumerateInTwoCalls(
        buffer,
        [&](unsigned char* data, std::size_t size, std::size_t& needed) {
            DWORD neededBytes = 0;
            returned = 0;
            const BOOL result = enumerate(data, static_cast<DWORD>(size), &neededBytes, &returned);
            needed = neededBytes;
            return result != FALSE;
        },
        [] { return GetLastError() == ERROR_INSUFFICIENT_BUFFER; });
    if (!ok) {
        return false;
    }
    // A spooler that claims more records than its buffer holds is not believed.
    if (returned > buffer.Size() / sizeof(Info)) {
        SetLastError(ERROR_INVALID_DATA);
        return false;
    }
    std::vector<Out> found;
    const Info* const records = reinterpret_cast<const Info*>(buffer.Data());
    for (DWORD i = 0; i < returned; ++i) {
        if (!take(records[i], found)) {
            SetLastError(ERROR_INVALID_DATA);
            return false;
        }
    }
    out.insert(out.end(), found.begin(), found.end());
    return true;
}

// A text the spooler may leave out, as a string: empty for none.
WString TextOf(LPCWSTR text) {
    return text != nullptr ? WString(text) : WString();
}

// A text of ours as the spooler's structures take it: null for none.
LPWSTR TextFor(const WString& text) {
    return text.empty() ? nullptr : const_cast<LPWSTR>(text.c_str());
}

// The bytes a DEVMODEW takes, its driver's private part included; 0 when `bytes` do not hold
// a whole one.
std::size_t DevModeBytes(const unsigned char* data, std::size_t size) {
    if (data == nullptr || size < offsetof(DEVMODEW, dmFields)) {
        return 0;
    }
    DEVMODEW header;
    std::memcpy(&header, data, offsetof(DEVMODEW, dmFields));
    const std::size_t whole = std::size_t(header.dmSize) + header.dmDriverExtra;
    return header.dmSize >= offsetof(DEVMODEW, dmFields) && whole <= size ? whole : 0;
}

// The DACL of a security descriptor, alone in a self-relative descriptor of its own; empty
// when there is none.
std::vector<unsigned char> DaclAlone(PSECURITY_DESCRIPTOR descriptor) {
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    SECURITY_DESCRIPTOR alone;
    if (descriptor == nullptr ||
        !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present ||
        dacl == nullptr || !InitializeSecurityDescriptor(&alone, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&alone, TRUE, dacl, FALSE)) {
        return {};
    }
    DWORD size = 0;
    MakeSelfRelativeSD(&alone, nullptr, &size);
    std::vector<unsigned char> bytes(size);
    if (size == 0 || !MakeSelfRelativeSD(&alone, bytes.data(), &size)) {
        return {};
    }
    return bytes;
}

HANDLE AsHandle(void* printer) {
    return static_cast<HANDLE>(printer);
}

} // namespace

bool SpoolerNamesEqual(const WChar* a, std::size_t aLength, const WChar* b, std::size_t bLength) {
    constexpr std::size_t kLongestComparable = static_cast<std::size_t>(INT_MAX);
    constexpr BOOL kIgnoreCase = TRUE;
    if (aLength > kLongestComparable || bLength > kLongestComparable) {
        return false;
    }
    return CompareStringOrdinal(a, static_cast<int>(aLength), b, static_cast<int>(bLength),
                                kIgnoreCase) == CSTR_EQUAL;
}

bool SpoolerEnumPrinters(std::vector<PrinterListing>& printers) {
    return EnumerateRecords<PRINTER_INFO_2W>(
        [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
            return CallSpooler<decltype(EnumPrintersW)>("EnumPrintersW", PRINTER_ENUM_LOCAL,
                                                        nullptr, kPrinterInfoLevel, buffer, size,
                                                        needed, returned);
        },
        [](const PRINTER_INFO_2W& record, std::vector<PrinterListing>& found) {
            if (record.pPrinterName == nullptr) {
                return false;
            }
            found.push_back({record.pPrinterName, TextOf(record.pDriverName),
                             (record.Attributes & PRINTER_ATTRIBUTE_TS) != 0});
            return true;
        },
        printers);
}

bool SpoolerEnumPorts(std::vector<WString>& names) {
    return EnumerateRecords<PORT_INFO_2W>(
        [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
            return CallSpooler<decltype(EnumPortsW)>("EnumPortsW", nullptr, kPortInfoLevel, buffer,
                                                     size, needed, returned);
        },
        [](const PORT_INFO_2W& record, std::vector<WString>& found) {
            if (record.pPortName == nullptr) {
                return false;
            }
            found.emplace_back(record.pPortName);
            return true;
        },
        names);
}

bool SpoolerGetDefaultPrinter(WString& name) {
    DWORD characters = 0;
    CallSpooler<decltype(GetDefaultPrinterW)>("GetDefaultPrinterW", nullptr, &characters);
    if (characters == 0) {
        return false;
    }
    std::vector<wchar_t> buffer(characters);
    if (!CallSpooler<decltype(GetDefaultPrinterW)>("GetDefaultPrinterW", buffer.data(),
                                                   &characters)) {
        return false;
    }
    name.assign(buffer.data(), TextLength(buffer.data(), buffer.size()));
    return true;
}

bool SameDevModeLayout(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    if (DevModeBytes(a.data(), a.size()) == 0 || DevModeBytes(b.data(), b.size()) == 0) {
        return false;
    }
    DEVMODEW first;
    DEVMODEW second;
    std::memcpy(&first, a.data(), offsetof(DEVMODEW, dmFields));
    std::memcpy(&second, b.data(), offsetof(DEVMODEW, dmFields));
    return first.dmSpecVersion == second.dmSpecVersion &&
           first.dmDriverVersion == second.dmDriverVersion && first.dmSize == second.dmSize &&
           first.dmDriverExtra == second.dmDriverExtra;
}

bool SpoolerDeletePrinterDriver(const WChar* driverName, bool unusedFiles) {
    return CallSpooler<decltype(DeletePrinterDriverExW)>(
               "DeletePrinterDriverExW", nullptr, nullptr, const_cast<LPWSTR>(driverName),
               unusedFiles ? DPD_DELETE_UNUSED_FILES : kNoDeletionFlags,
               kAnyDriverVersion) != FALSE;
}

bool SpoolerFindDriver(const WChar* driverName, bool& installed, WString& infPath) {
    std::vector<WString> paths;
    const WString wanted = driverName;
    const bool listed = EnumerateRecords<DRIVER_INFO_8W>(
        [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
            return CallSpooler<decltype(EnumPrinterDriversW)>("EnumPrinterDriversW", nullptr,
                                                              nullptr, kDriverInfoLevel, buffer,
                                                              size, needed, returned);
        },
        [&](const DRIVER_INFO_8W& record, std::vector<WString>& found) {
            const WString name = TextOf(record.pName);
            if (SpoolerNamesEqual(name, wanted)) {
                found.push_back(TextOf(record.pszInfPath));
            }
            return true;
        },
        paths);
    installed = listed && !paths.empty();
    infPath = installed ? paths.front() : WString();
    return listed;
}

SpoolerResult SpoolerStageDriverPackage(const WChar* infPath) {
    auto* upload =
        g_spoolerLibrary.Get<decltype(UploadPrinterDriverPackageW)>("UploadPrinterDriverPackageW");
    if (upload == nullptr) {
        return kSpoolerNotImplemented;
    }
    wchar_t staged[MAX_PATH] = {};
    ULONG characters = MAX_PATH;
    return upload(nullptr, infPath, nullptr, kSilentUpload, nullptr, staged, &characters);
}

SpoolerResult SpoolerDeleteDriverPackage(const WChar* infPath) {
    auto* remove =
        g_spoolerLibrary.Get<decltype(DeletePrinterDriverPackageW)>("DeletePrinterDriverPackageW");
    return remove != nullptr ? remove(nullptr, infPath, nullptr) : kSpoolerNotImplemented;
}

unsigned long SpoolerLastError() {
    return GetLastError();
}

CPrinterHandle::~CPrinterHandle() {
    Close();
}

// Opening again first lets go of the printer held so far, whatever becomes of the new one.
bool CPrinterHandle::Open(const WChar* printerName, PrinterAccess access) {
    Close();
    PRINTER_DEFAULTSW fullControl = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE opened = nullptr;
    if (!CallSpooler<decltype(OpenPrinterW)>(
            "OpenPrinterW", const_cast<LPWSTR>(printerName), &opened,
            access == PrinterAccess::AllAccess ? &fullControl : nullptr)) {
        return false;
    }
    m_hPrinter = opened;
    return IsOpen();
}

bool CPrinterHandle::Purge() {
    return IsOpen() && CallSpooler<decltype(SetPrinterW)>(
                           "SetPrinterW", AsHandle(m_hPrinter), kCommandOnlyLevel, nullptr,
                           static_cast<DWORD>(PRINTER_CONTROL_PURGE)) != FALSE;
}

bool CPrinterHandle::Delete() {
    return IsOpen() &&
           CallSpooler<decltype(DeletePrinter)>("DeletePrinter", AsHandle(m_hPrinter)) != FALSE;
}

// The handle is given up even when ClosePrinter fails: there is nothing sensible left to
// retry with it.
bool CPrinterHandle::Close() {
    if (!IsOpen()) {
        return false;
    }
    HANDLE closing = AsHandle(m_hPrinter);
    m_hPrinter = nullptr;
    return CallSpooler<decltype(ClosePrinter)>("ClosePrinter", closing) != FALSE;
}

bool CPrinterHandle::GetSettings(PrinterSettings& settings) {
    if (!IsOpen()) {
        return false;
    }
    CReportedBuffer buffer;
    const bool read = EnumerateInTwoCalls(
        buffer,
        [&](unsigned char* data, std::size_t size, std::size_t& needed) {
            DWORD neededBytes = 0;
            const BOOL result = CallSpooler<decltype(GetPrinterW)>(
                "GetPrinterW", AsHandle(m_hPrinter), kPrinterInfoLevel, data,
                static_cast<DWORD>(size), &neededBytes);
            needed = neededBytes;
            return result != FALSE;
        },
        [] { return GetLastError() == ERROR_INSUFFICIENT_BUFFER; });
    if (!read || buffer.Size() < sizeof(PRINTER_INFO_2W)) {
        return false;
    }
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.Data());
    settings = PrinterSettings();
    settings.printerName = TextOf(info->pPrinterName);
    settings.shareName = TextOf(info->pShareName);
    settings.port = TextOf(info->pPortName);
    settings.driver = TextOf(info->pDriverName);
    settings.comment = TextOf(info->pComment);
    settings.location = TextOf(info->pLocation);
    settings.separatorFile = TextOf(info->pSepFile);
    settings.printProcessor = TextOf(info->pPrintProcessor);
    settings.datatype = TextOf(info->pDatatype);
    settings.parameters = TextOf(info->pParameters);
    settings.attributes = info->Attributes;
    settings.priority = info->Priority;
    settings.defaultPriority = info->DefaultPriority;
    settings.startTime = info->StartTime;
    settings.untilTime = info->UntilTime;
    // The DEVMODE lies inside the buffer: never read past its end, whatever it claims.
    const auto* devMode = reinterpret_cast<const unsigned char*>(info->pDevMode);
    const unsigned char* end = buffer.Data() + buffer.Size();
    if (devMode != nullptr && devMode >= buffer.Data() && devMode < end) {
        const std::size_t bytes = DevModeBytes(devMode, std::size_t(end - devMode));
        settings.devMode.assign(devMode, devMode + bytes);
    }
    settings.dacl = DaclAlone(info->pSecurityDescriptor);
    return true;
}

bool CPrinterHandle::SetSettings(const PrinterSettings& settings) {
    if (!IsOpen()) {
        return false;
    }
    // SetPrinterW reads the DEVMODE through a DEVMODEW pointer: give it aligned memory.
    std::vector<DEVMODEW> devMode((settings.devMode.size() + sizeof(DEVMODEW) - 1) /
                                  sizeof(DEVMODEW));
    if (!settings.devMode.empty()) {
        std::memcpy(devMode.data(), settings.devMode.data(), settings.devMode.size());
    }
    PRINTER_INFO_2W info = {};
    info.pPrinterName = TextFor(settings.printerName);
    info.pShareName = TextFor(settings.shareName);
    info.pPortName = TextFor(settings.port);
    info.pDriverName = TextFor(settings.driver);
    info.pComment = TextFor(settings.comment);
    info.pLocation = TextFor(settings.location);
    info.pDevMode = devMode.empty() ? nullptr : devMode.data();
    info.pSepFile = TextFor(settings.separatorFile);
    info.pPrintProcessor = TextFor(settings.printProcessor);
    info.pDatatype = TextFor(settings.datatype);
    info.pParameters = TextFor(settings.parameters);
    info.pSecurityDescriptor = nullptr;
    info.Attributes = settings.attributes;
    info.Priority = settings.priority;
    info.DefaultPriority = settings.defaultPriority;
    info.StartTime = settings.startTime;
    info.UntilTime = settings.untilTime;
    return CallSpooler<decltype(SetPrinterW)>("SetPrinterW", AsHandle(m_hPrinter),
                                              kPrinterInfoLevel, reinterpret_cast<BYTE*>(&info),
                                              kNoCommand) != FALSE;
}

bool CPrinterHandle::SetDacl(const std::vector<unsigned char>& dacl) {
    if (!IsOpen() || dacl.empty()) {
        return false;
    }
    std::vector<unsigned char> descriptor = dacl;
    PRINTER_INFO_3 info = {descriptor.data()};
    return CallSpooler<decltype(SetPrinterW)>("SetPrinterW", AsHandle(m_hPrinter),
                                              kSecurityInfoLevel, reinterpret_cast<BYTE*>(&info),
                                              kNoCommand) != FALSE;
}

bool CPrinterHandle::MergeDevMode(const WChar* printerName, const std::vector<unsigned char>& saved,
                                  std::vector<unsigned char>& merged) {
    auto* documentProperties =
        g_spoolerLibrary.Get<decltype(DocumentPropertiesW)>("DocumentPropertiesW");
    const std::size_t savedBytes = DevModeBytes(saved.data(), saved.size());
    if (!IsOpen() || documentProperties == nullptr || savedBytes == 0) {
        return false;
    }
    LPWSTR name = const_cast<LPWSTR>(printerName);
    const LONG needed =
        documentProperties(nullptr, AsHandle(m_hPrinter), name, nullptr, nullptr, 0);
    if (needed < static_cast<LONG>(offsetof(DEVMODEW, dmFields))) {
        return false;
    }
    const auto records = [](std::size_t bytes) {
        return (bytes + sizeof(DEVMODEW) - 1) / sizeof(DEVMODEW);
    };
    std::vector<DEVMODEW> in(records(savedBytes));
    std::memcpy(in.data(), saved.data(), savedBytes);
    std::vector<DEVMODEW> out(records(std::size_t(needed)));
    if (documentProperties(nullptr, AsHandle(m_hPrinter), name, out.data(), in.data(),
                           DM_IN_BUFFER | DM_OUT_BUFFER) != IDOK) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(out.data());
    const std::size_t outBytes = DevModeBytes(bytes, std::size_t(needed));
    merged.assign(bytes, bytes + outBytes);
    return outBytes != 0;
}
