// The print spooler on Windows: winspool calls behind the functions of platform/Spooler.h.
// winspool.drv is no KnownDLL, so it is loaded from the system directory when first needed.
#include "platform/Spooler.h"

#include "platform/TwoCallSizing.h"

#include <windows.h>

#include <climits>

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

constexpr DWORD kPrinterInfoLevel = 2; // PRINTER_INFO_2W
constexpr DWORD kPortInfoLevel = 2;    // PORT_INFO_2W
constexpr DWORD kAnyDriverVersion = 0; // without DPD_DELETE_SPECIFIC_VERSION: every version
constexpr DWORD kCommandOnlyLevel = 0; // SetPrinterW with no printer data, only a command

// Runs one of the spooler's enumerations: `enumerate(buffer, size, &needed, &returned)` is
// one call of EnumPrintersW or EnumPortsW; `nameOf` picks the name out of one record. The names
// reach `names` only when everything worked.
template <typename Info, typename Enumerate>
bool EnumerateNames(Enumerate enumerate, LPWSTR Info::*nameOf, std::vector<WString>& names) {
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
    std::vector<WString> found;
    const Info* const records = reinterpret_cast<const Info*>(buffer.Data());
    for (DWORD i = 0; i < returned; ++i) {
        if (records[i].*nameOf == nullptr) {
            SetLastError(ERROR_INVALID_DATA);
            return false;
        }
        found.emplace_back(records[i].*nameOf);
    }
    names.insert(names.end(), found.begin(), found.end());
    return true;
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

bool SpoolerEnumPrinters(std::vector<WString>& names) {
    return EnumerateNames(
        [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
            return CallSpooler<decltype(EnumPrintersW)>("EnumPrintersW", PRINTER_ENUM_LOCAL,
                                                        nullptr, kPrinterInfoLevel, buffer, size,
                                                        needed, returned);
        },
        &PRINTER_INFO_2W::pPrinterName, names);
}

bool SpoolerEnumPorts(std::vector<WString>& names) {
    return EnumerateNames(
        [](BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
            return CallSpooler<decltype(EnumPortsW)>("EnumPortsW", nullptr, kPortInfoLevel, buffer,
                                                     size, needed, returned);
        },
        &PORT_INFO_2W::pPortName, names);
}

bool SpoolerDeletePrinterDriver(const WChar* driverName) {
    return CallSpooler<decltype(DeletePrinterDriverExW)>(
               "DeletePrinterDriverExW", nullptr, nullptr, const_cast<LPWSTR>(driverName),
               DPD_DELETE_UNUSED_FILES, kAnyDriverVersion) != FALSE;
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
