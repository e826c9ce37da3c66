// Checks the log that the wizard writes when run without a window (its /log switch).
#include "SetupLog.h"

#include "Text.h"

namespace driver {
namespace {

const std::string kUtf8Bom = "\xEF\xBB\xBF";
// What a time field looks like; each 0 stands for any digit.
const std::wstring kTimeShape = L"0000-00-00 00:00:00.000";

const std::wstring kStartStep = L"start";

enum Field { kTime, kStep, kOutcome, kErrorCode, kDuration, kProcessId, kFieldCount };

bool isDigits(const std::wstring& text) {
    return text.find_first_not_of(L"0123456789") == std::wstring::npos;
}

bool hasTimeShape(const std::wstring& text) {
    if (text.size() != kTimeShape.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= L'0' && text[i] <= L'9';
        if (kTimeShape[i] == L'0' ? !digit : text[i] != kTimeShape[i]) {
            return false;
        }
    }
    return true;
}

// The name of the first field that is malformed, or null.
const wchar_t* malformedField(const std::vector<std::wstring>& fields) {
    if (!hasTimeShape(fields[kTime])) {
        return L"time";
    }
    if (fields[kStep].empty() || fields[kOutcome].empty()) {
        return fields[kStep].empty() ? L"step" : L"outcome";
    }
    if (!isDigits(fields[kErrorCode])) {
        return L"error code";
    }
    if (fields[kDuration].empty() || !isDigits(fields[kDuration])) {
        return L"duration";
    }
    return fields[kProcessId].empty() || !isDigits(fields[kProcessId]) ? L"process id" : nullptr;
}

} // namespace

bool checkSetupLog(const std::string& bytes, const std::vector<std::wstring>& expected,
                   std::wstring& error) {
    std::wstring text;
    if (bytes.compare(0, kUtf8Bom.size(), kUtf8Bom) != 0) {
        error = L"the log does not start with a UTF-8 BOM";
        return false;
    }
    if (!fromUtf8(bytes.substr(kUtf8Bom.size()), text)) {
        error = L"the log is not valid UTF-8";
        return false;
    }
    std::vector<std::wstring> lines = split(text, L'\n');
    if (lines.back().empty()) {
        lines.pop_back(); // what follows the last line's end
    }
    std::vector<std::wstring> seen;
    std::wstring processId;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::wstring line = lines[i];
        if (!line.empty() && line.back() == L'\r') {
            line.pop_back();
        }
        const std::vector<std::wstring> fields = split(line, L'\t');
        const std::wstring where = L"line " + std::to_wstring(i + 1) + L" " + quoted(line);
        if (fields.size() != kFieldCount) {
            error = where + L" has " + std::to_wstring(fields.size()) + L" fields, not " +
                    std::to_wstring(kFieldCount);
            return false;
        }
        if (const wchar_t* field = malformedField(fields)) {
            error = where + L": its " + field + L" field is malformed";
            return false;
        }
        // Only a run's first line may come from another process than the line before it.
        if (fields[kStep] != kStartStep && fields[kProcessId] != processId) {
            error = where + L" is from process " + fields[kProcessId] + L", not " +
                    quoted(processId) + L" as the line before it";
            return false;
        }
        processId = fields[kProcessId];
        seen.push_back(fields[kStep] + L":" + fields[kOutcome]);
    }
    if (seen != expected) {
        error = L"expected " + quoted(join(expected, L'|')) + L" but the log has " +
                quoted(join(seen, L'|'));
        return false;
    }
    return true;
}

} // namespace driver
