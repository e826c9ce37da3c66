// Finding a model in the driver INF's models sections that Windows chooses on this machine,
// with the little of the INF syntax that takes: sections, keys, comments, quotes, %strkey%.
#include "installer/InfModels.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <tuple>
#include <vector>

#include "installer/LineReader.h"
#include "platform/CodePage.h"
#include "platform/Spooler.h"

namespace {

using Names = std::vector<WString>;

const char kBlanks[] = " \t";
const char kSectionStart = '[';
const WChar kWideBlanks[] = WTEXT(" \t");
const WChar kSectionEnd = WTEXT(']');
const WChar kComment = WTEXT(';');
const WChar kQuote = WTEXT('"');
const WChar kAssignment = WTEXT('=');
const WChar kFieldSeparator = WTEXT(',');
const WChar kTokenMark = WTEXT('%');
const WChar kDecorationSeparator = WTEXT('.');

const WChar kManufacturerSection[] = WTEXT("Manufacturer");
// The package is Chinese: its strings in Simplified Chinese (language 0804) come before the
// ones for every language.
const WChar kChineseStringsSection[] = WTEXT("Strings.0804");
const WChar kStringsSection[] = WTEXT("Strings");
enum FirstPassSection : std::size_t { Manufacturer, ChineseStrings, Strings };
constexpr std::size_t kNotWanted = static_cast<std::size_t>(-1);

// A decoration: "NT", the architecture, then up to five fields after dots.
const WChar kNt[] = WTEXT("NT");
enum DecorationField : std::size_t { Major, Minor, ProductType, SuiteMask, Build, FieldCount };
struct Architecture {
    MachineType machine;
    const WChar* name;
};
const Architecture kArchitectures[] = {{kMachineAmd64, WTEXT("amd64")},
                                       {kMachineI386, WTEXT("x86")}};
// A field beyond a DWORD is no number Windows reads.
constexpr std::uint64_t kLargestField = 0xFFFFFFFFu;
constexpr unsigned kDecimal = 10;
constexpr unsigned kHexadecimal = 16;
const WChar kHexPrefix[] = WTEXT("0x");

std::size_t IndexOf(const Names& names, const WString& name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (SpoolerNamesEqual(names[i], name)) {
            return i;
        }
    }
    return kNotWanted;
}

WString Trimmed(const WString& text) {
    const std::size_t start = text.find_first_not_of(kWideBlanks);
    return start == WString::npos
               ? WString()
               : text.substr(start, text.find_last_not_of(kWideBlanks) - start + 1);
}

// Where `mark` first stands outside double quotes; npos when nowhere.
std::size_t FindOutsideQuotes(const WString& text, WChar mark) {
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        quoted = quoted != (text[i] == kQuote);
        if (!quoted && text[i] == mark) {
            return i;
        }
    }
    return WString::npos;
}

WString Unquoted(const WString& text) {
    WString plain;
    for (WChar c : text) {
        if (c != kQuote) {
            plain += c;
        }
    }
    return plain;
}

// The pieces of `text` between separators outside quotes, blanks trimmed.
Names Split(const WString& text, WChar separator) {
    Names pieces;
    WString rest = text;
    for (std::size_t at = FindOutsideQuotes(rest, separator); at != WString::npos;
         at = FindOutsideQuotes(rest, separator)) {
        pieces.push_back(Trimmed(rest.substr(0, at)));
        rest.erase(0, at + 1);
    }
    pieces.push_back(Trimmed(rest));
    return pieces;
}

// One line of a section: "key = value", or a key alone.
struct Entry {
    WString key;
    WString value;
    bool hasValue = false;
};

Entry SplitEntry(const WString& line) {
    const std::size_t at = FindOutsideQuotes(line, kAssignment);
    if (at == WString::npos) {
        return {line, WString(), false};
    }
    return {Trimmed(line.substr(0, at)), Trimmed(line.substr(at + 1)), true};
}

// Calls onLine(index of the section in `wanted`, line) for every line of the wanted sections
// that is more than blanks and comment, without them, until onLine returns false. Only the
// lines of wanted sections are widened. False when the INF cannot be opened.
template <class OnLine>
bool ReadSections(const WChar* infPath, const Names& wanted, OnLine onLine) {
    CLineReader inf;
    if (!inf.Open(infPath)) {
        return false;
    }
    std::size_t section = kNotWanted;
    std::string_view bytes;
    while (inf.ReadLine(bytes)) {
        const std::size_t start = bytes.find_first_not_of(kBlanks);
        if (start == std::string_view::npos ||
            (section == kNotWanted && bytes[start] != kSectionStart)) {
            continue;
        }
        // Widened before it is taken apart: a double-byte character may end in a '[' or ']'.
        const WString wide = WidenWithThreadCodePage(bytes.substr(start));
        const WString line = Trimmed(wide.substr(0, FindOutsideQuotes(wide, kComment)));
        if (line.empty()) {
            continue;
        }
        if (bytes[start] == kSectionStart) {
            section = IndexOf(wanted, Trimmed(line.substr(1, line.find(kSectionEnd) - 1)));
        } else if (!onLine(section, line)) {
            break;
        }
    }
    return true;
}

// The string sections' keys and values, the Chinese ones looked at first.
struct StringTable {
    std::vector<Entry> chinese;
    std::vector<Entry> general;

    // The value of %token%; the token as it stands when no string section has it.
    WString Lookup(const WString& token) const {
        for (const std::vector<Entry>* entries : {&chinese, &general}) {
            for (const Entry& entry : *entries) {
                if (SpoolerNamesEqual(entry.key, token)) {
                    return entry.value;
                }
            }
        }
        return kTokenMark + token + kTokenMark;
    }

    // `text` with every %strkey% replaced by its string, and "%%" by a single '%'.
    WString Resolved(const WString& text) const {
        WString out;
        std::size_t at = 0;
        for (std::size_t open = text.find(kTokenMark); open != WString::npos;
             open = text.find(kTokenMark, at)) {
            const std::size_t close = text.find(kTokenMark, open + 1);
            if (close == WString::npos) {
                break;
            }
            out.append(text, at, open - at);
            const WString token = text.substr(open + 1, close - open - 1);
            out += token.empty() ? WString(1, kTokenMark) : Lookup(token);
            at = close + 1;
        }
        return out + text.substr(at);
    }
};

bool ParseField(const WString& text, std::uint64_t& value) {
    const bool hex = text.size() > 2 && SpoolerNamesEqual(text.substr(0, 2), kHexPrefix);
    const unsigned base = hex ? kHexadecimal : kDecimal;
    const WString digits = hex ? text.substr(2) : text;
    value = 0;
    for (WChar c : digits) {
        unsigned digit = kHexadecimal;
        if (c >= WTEXT('0') && c <= WTEXT('9')) {
            digit = static_cast<unsigned>(c - WTEXT('0'));
        } else if (c >= WTEXT('a') && c <= WTEXT('f')) {
            digit = static_cast<unsigned>(c - WTEXT('a')) + kDecimal;
        } else if (c >= WTEXT('A') && c <= WTEXT('F')) {
            digit = static_cast<unsigned>(c - WTEXT('A')) + kDecimal;
        }
        value = value * base + digit;
        if (digit >= base || value > kLargestField) {
            return false;
        }
    }
    return !digits.empty();
}

// How well a fitting decoration fits: the architecture named, then the version (major, minor,
// build), then a product type and a suite mask named. Higher is better.
using Rank = std::tuple<bool, std::uint64_t, std::uint64_t, std::uint64_t, bool, bool>;

// Whether `decoration` fits the target, and how well. A field given that this machine does not
// match makes it not fit: another architecture, a version above the running Windows, another
// product type, a suite the machine lacks. No architecture fits only an x86 program.
bool Fits(const WString& decoration, const InfTarget& target, Rank& rank) {
    const WString nt = kNt;
    if (decoration.size() < nt.size() || !SpoolerNamesEqual(decoration.substr(0, nt.size()), nt)) {
        return false;
    }
    const Names parts = Split(decoration.substr(nt.size()), kDecorationSeparator);
    if (parts.size() > FieldCount + 1) {
        return false;
    }
    const WString& architecture = parts[0];
    bool architectureFits = architecture.empty() && target.machine == kMachineI386;
    for (const Architecture& known : kArchitectures) {
        architectureFits = architectureFits || (known.machine == target.machine &&
                                                SpoolerNamesEqual(architecture, known.name));
    }
    std::uint64_t fields[FieldCount] = {};
    bool given[FieldCount] = {};
    for (std::size_t i = 1; i < parts.size(); ++i) {
        given[i - 1] = !parts[i].empty();
        if (given[i - 1] && !ParseField(parts[i], fields[i - 1])) {
            return false;
        }
    }
    const WindowsVersion& windows = target.windows;
    const bool versionFits =
        std::tie(fields[Major], fields[Minor], fields[Build]) <=
        std::make_tuple(std::uint64_t{windows.major}, std::uint64_t{windows.minor},
                        std::uint64_t{windows.build});
    const bool productFits = !given[ProductType] || fields[ProductType] == windows.productType;
    const bool suiteFits =
        !given[SuiteMask] || (fields[SuiteMask] & windows.suiteMask) == fields[SuiteMask];
    rank = Rank(!architecture.empty(), fields[Major], fields[Minor], fields[Build],
                given[ProductType], given[SuiteMask]);
    return architectureFits && versionFits && productFits && suiteFits;
}

// The models section Windows chooses for one [Manufacturer] entry
// ("name = models-section-name, decoration, ..."); empty when none fits. Of equally good
// decorations the first listed wins. When none fits, an x86 program takes the section as named.
WString ChosenSection(const Entry& manufacturer, const StringTable& strings,
                      const InfTarget& target) {
    const Names fields = manufacturer.hasValue ? Split(manufacturer.value, kFieldSeparator)
                                               : Names{manufacturer.key};
    const WString models = strings.Resolved(Unquoted(fields[0]));
    const WString* best = nullptr;
    Rank bestRank;
    for (std::size_t i = 1; i < fields.size(); ++i) {
        Rank rank;
        if (Fits(fields[i], target, rank) && (best == nullptr || rank > bestRank)) {
            best = &fields[i];
            bestRank = rank;
        }
    }
    if (best != nullptr) {
        return models + kDecorationSeparator + *best;
    }
    return target.machine == kMachineI386 ? models : WString();
}

} // namespace

bool InfOffersModel(const WChar* infPath, const WString& model, const InfTarget& target) {
    std::vector<Entry> manufacturers;
    StringTable strings;
    const Names firstPass = {kManufacturerSection, kChineseStringsSection, kStringsSection};
    const bool read =
        ReadSections(infPath, firstPass, [&](std::size_t section, const WString& line) {
            Entry entry = SplitEntry(line);
            if (section == Manufacturer) {
                manufacturers.push_back(entry);
            } else {
                entry.value = Unquoted(entry.value);
                (section == ChineseStrings ? strings.chinese : strings.general).push_back(entry);
            }
            return true;
        });
    Names chosen;
    for (const Entry& manufacturer : manufacturers) {
        const WString section = ChosenSection(manufacturer, strings, target);
        if (!section.empty()) {
            chosen.push_back(section);
        }
    }
    bool found = false;
    if (read && !chosen.empty()) {
        ReadSections(infPath, chosen, [&](std::size_t, const WString& line) {
            const Entry entry = SplitEntry(line);
            found =
                entry.hasValue && SpoolerNamesEqual(strings.Resolved(Unquoted(entry.key)), model);
            return !found;
        });
    }
    return found;
}
