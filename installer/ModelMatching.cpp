// Tying names together: the catalogue series that lists a printer's model, whether the driver
// INF offers the selected driver on this machine, and the USB hardware id it gives for it.
#include "installer/DriverInstaller.h"

#include <string_view>

#include "installer/InfModels.h"
#include "installer/LineReader.h"

namespace {

// The maker's name as the driver INF writes it in its model names.
const WChar kMakerMixedCase[] = WTEXT("Veltra");
const WChar kMakerCapitals[] = WTEXT("VELTRA");
const char kFieldSeparator = ',';
const char kUsbMark[] = "USB";
const WChar kQuote[] = WTEXT("\"");

void ReplaceAll(WString& text, const WString& from, const WString& to) {
    for (std::size_t at = text.find(from); at != WString::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// Whether the line's first `length` characters are the model's, each byte of the line one
// character. A line shorter than that does not match.
bool LineStartsWithModel(std::string_view line, const WString& model, std::size_t length) {
    const std::size_t wanted = length < model.size() ? length : model.size();
    if (line.size() < length || wanted != length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (static_cast<WChar>(static_cast<unsigned char>(line[i])) != model[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

int CDriverInstaller::FindModelSeries(WString& series, const WString& model) const {
    NameList allSeries;
    ReadSeriesList(allSeries);
    for (const WString& name : allSeries) {
        NameList models;
        ReadSectionLines(name.c_str(), models);
        bool found = false;
        for (const WString& line : models) {
            found = found || line == model;
        }
        if (found) {
            series = name;
            return 1;
        }
    }
    return 0;
}

int CDriverInstaller::FindUsbHardwareId(const WChar* infPath, const WChar* quotedModel,
                                        std::size_t length, unsigned char* buffer,
                                        std::size_t capacity) const {
    WString model = quotedModel;
    ReplaceAll(model, kMakerMixedCase, kMakerCapitals);

    CLineReader inf;
    if (!inf.Open(infPath)) {
        return 0;
    }
    std::string_view line;
    while (inf.ReadLine(line)) {
        if (!LineStartsWithModel(line, model, length)) {
            continue;
        }
        const std::size_t firstComma = line.find(kFieldSeparator);
        if (firstComma == std::string_view::npos ||
            line.find(kUsbMark, firstComma > 0 ? firstComma - 1 : 0) == std::string_view::npos) {
            continue;
        }
        // The id is the field after the first comma, as it stands; with no second comma it
        // is empty.
        const std::size_t secondComma = line.find(kFieldSeparator, firstComma + 1);
        const std::string_view id = secondComma == std::string_view::npos
                                        ? std::string_view()
                                        : line.substr(firstComma + 1, secondComma - firstComma - 1);
        // An id that would not leave the buffer terminated is no id this installer can use.
        if (id.size() >= capacity) {
            return 0;
        }
        id.copy(reinterpret_cast<char*>(buffer), id.size());
        buffer[id.size()] = 0;
        return 1;
    }
    return 0;
}

WString CDriverInstaller::QuotedModel(const WChar* driverName) {
    return kQuote + WString(driverName) + kQuote;
}

int CDriverInstaller::PackageHasDriver(const WChar* driverName) {
    BuildDriverInfPath();
    // The print UI installs the model from the models section Windows chooses here, so a model
    // that the INF lists for the other architecture only would fail after the old printer had
    // gone.
    InfTarget target;
    target.machine = ProgramMachine();
    if (!QueryWindowsVersion(target.windows)) {
        return 0;
    }
    return InfOffersModel(m_szDriverInf, driverName, target) ? 1 : 0;
}
