// Readers of the printer catalogue PrinterInfor.Inf: series, the models of a series, the
// driver of a model and the type of a driver.
#include "installer/DriverInstaller.h"

#include "platform/FileReader.h"

#include "platform/IniFile.h"

namespace {
const WChar kSeriesSection[] = WTEXT("PRINTER_SERIES");
const WChar kDriverNameSection[] = WTEXT("PRINTER_NAME");
const WChar kPrinterTypeSection[] = WTEXT("PRINTER_TYPE");
// The series whose models the wizard offers.
const WChar kOfferedSeries[] = WTEXT("KX通用系列");
const WChar kType24Pin[] = WTEXT("24");
const WChar kType9Pin[] = WTEXT("9");

constexpr unsigned long kSectionCapacity = 2048;
constexpr unsigned long kTypeCapacity = 20;
// The platform reports a list that did not fit as exactly capacity - 2 characters.
constexpr unsigned long kCutListMargin = 2;

constexpr int kPrinterType24Pin = 1;
constexpr int kPrinterType9Pin = 2;
constexpr int kNoPrinterType = -1;
} // namespace

int CDriverInstaller::ReadProfileSection(const WChar* section, const WChar* file, WChar* buffer,
                                         unsigned long capacity) const {
    const unsigned long count = IniReadSection(section, buffer, capacity, file);
    if (count == 0 || count + kCutListMargin == capacity) {
        return 0;
    }
    return static_cast<int>(count);
}

int CDriverInstaller::ReadProfileString(const WChar* section, const WChar* key, const WChar* file,
                                        WChar* buffer, unsigned long capacity) const {
    const unsigned long count = IniReadString(section, key, nullptr, buffer, capacity, file);
    // A value of capacity - 2 characters counts as absent, like a cut list; a value the
    // platform had to cut (capacity - 1) is not the value either, and must not pass for one.
    return count != 0 && count + kCutListMargin < capacity ? 1 : 0;
}

int CDriverInstaller::GetModelDriverName(const WChar* model, WChar* buffer,
                                         unsigned long capacity) const {
    return ReadProfileString(kDriverNameSection, model, m_szPrinterInfoFile, buffer, capacity);
}

int CDriverInstaller::GetPrinterType(const WChar* driverName) const {
    WChar type[kTypeCapacity] = {};
    if (!ReadProfileString(kPrinterTypeSection, driverName, m_szPrinterInfoFile, type,
                           kTypeCapacity)) {
        return kNoPrinterType;
    }
    const WString value = type;
    if (value == kType24Pin) {
        return kPrinterType24Pin;
    }
    if (value == kType9Pin) {
        return kPrinterType9Pin;
    }
    return kNoPrinterType;
}

int CDriverInstaller::ReadSectionLines(const WChar* section, NameList& lines) const {
    WChar buffer[kSectionCapacity] = {};
    const int count = ReadProfileSection(section, m_szPrinterInfoFile, buffer, kSectionCapacity);
    if (count == 0) {
        return 0;
    }
    // Each line is one NUL-terminated string of the packed list. Lines are kept whole, as the
    // file has them: a model name cut short would name another model or none.
    const WChar* start = buffer;
    for (int i = 0; i < count; ++i) {
        if (buffer[i] == 0) {
            lines.emplace_back(start);
            start = buffer + i + 1;
        }
    }
    return 1;
}

int CDriverInstaller::ReadSeriesList(NameList& series) const {
    return ReadSectionLines(kSeriesSection, series);
}

int CDriverInstaller::ReadOfferedModels(NameList& models) const {
    return ReadSectionLines(kOfferedSeries, models);
}

bool CDriverInstaller::CanReadCatalogue() const {
    CFileReader catalogue;
    return HasPackagePaths() && catalogue.Open(m_szPrinterInfoFile);
}
