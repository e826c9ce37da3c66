// Writing the run's log lines.
#include "installer/SetupLog.h"

#include <algorithm>
#include <cstring>

#include "platform/ProgramCommandLine.h"

namespace {
const char kByteOrderMark[] = "\xEF\xBB\xBF";
const char kSeparator = '\t';
const char kLineEnd[] = "\r\n";
const char kStartStep[] = "start";
const char kEndStep[] = "end";
const char kGuardStep[] = "guard";
const char kGuardIgnored[] = "ignored";
const char kSucceeded[] = "ok";
const char kFailed[] = "failed";
const char kSkipped[] = "skipped";
constexpr unsigned kHexadecimalBase = 16;
constexpr unsigned kHresultDigits = 8;
const char kHexadecimalDigits[] = "0123456789ABCDEF";
constexpr unsigned kDecimalBase = 10;
constexpr unsigned kDateDigits = 2;
constexpr unsigned kYearDigits = 4;
constexpr unsigned kMillisecondDigits = 3;
// The most decimal digits a 64-bit number has.
constexpr std::size_t kMostDigits = 20;
// Room for the longest line with more than twice to spare: its fields are our own short words
// and numbers of at most kMostDigits digits, about a hundred bytes in all.
constexpr std::size_t kLongestLine = 256;

// A line's bytes, built in a buffer of its own: the narrow std::string would bring the C++
// runtime's whole 8-bit string implementation into the program for these few lines.
class LogText {
public:
    // Appends as much of `more` as there is room for.
    void Append(std::string_view more) {
        const std::size_t count = std::min(more.size(), kLongestLine - m_size);
        // An empty view may have no data at all, which memcpy must not be given.
        if (count != 0) {
            std::memcpy(m_bytes + m_size, more.data(), count);
        }
        m_size += count;
    }
    void Append(char more) { Append(std::string_view(&more, 1)); }
    operator std::string_view() const { return std::string_view(m_bytes, m_size); }

private:
    char m_bytes[kLongestLine] = {};
    std::size_t m_size = 0;
};

LogText operator+(LogText text, std::string_view more) {
    text.Append(more);
    return text;
}

LogText operator+(LogText text, char more) {
    text.Append(more);
    return text;
}

const char* StepName(SetupStep step) {
    switch (step) {
    case SetupStep::Check:
        return "check";
    case SetupStep::Stage:
        return "stage";
    case SetupStep::Remove:
        return "remove";
    case SetupStep::DeleteDriver:
        return "delete-driver";
    case SetupStep::DeletePackage:
        return "delete-package";
    case SetupStep::Rescan:
        return "rescan";
    case SetupStep::Install:
        return "install";
    case SetupStep::Restore:
        return "restore";
    case SetupStep::DefaultPrinter:
        return "default-printer";
    }
    return "";
}

const char* OutcomeName(StepOutcome outcome) {
    switch (outcome) {
    case StepOutcome::Succeeded:
        return kSucceeded;
    case StepOutcome::Failed:
        return kFailed;
    case StepOutcome::Skipped:
        return kSkipped;
    }
    return "";
}

// The number in decimal, at least `width` digits, zeros in front.
LogText Decimal(std::uint64_t value, unsigned width = 1) {
    char digits[kMostDigits];
    std::size_t first = kMostDigits;
    do {
        digits[--first] = static_cast<char>('0' + value % kDecimalBase);
        value /= kDecimalBase;
    } while (value != 0);
    while (first > 0 && kMostDigits - first < width) {
        digits[--first] = '0';
    }
    LogText text;
    text.Append(std::string_view(digits + first, kMostDigits - first));
    return text;
}

// An HRESULT as Windows' documentation writes it: "0x" and eight hexadecimal digits.
LogText Hresult(unsigned long value) {
    LogText digits;
    digits.Append("0x");
    for (unsigned shift = kHresultDigits; shift-- > 0;) {
        digits.Append(kHexadecimalDigits[(value >> (shift * 4)) % kHexadecimalBase]);
    }
    return digits;
}

// The step's error code as the log writes it: HRESULTs in hexadecimal, Win32 errors in decimal.
LogText ErrorCode(SetupStep step, unsigned long error) {
    if (error == 0) {
        return LogText();
    }
    return step == SetupStep::Stage || step == SetupStep::DeletePackage ? Hresult(error)
                                                                        : Decimal(error);
}

// "YYYY-MM-DD hh:mm:ss.mmm"
LogText TimeStamp(const LocalTime& t) {
    return Decimal(t.year, kYearDigits) + '-' + Decimal(t.month, kDateDigits) + '-' +
           Decimal(t.day, kDateDigits) + ' ' + Decimal(t.hour, kDateDigits) + ':' +
           Decimal(t.minute, kDateDigits) + ':' + Decimal(t.second, kDateDigits) + '.' +
           Decimal(t.milliseconds, kMillisecondDigits);
}
} // namespace

bool CSetupLog::Open(const WChar* path) {
    m_nProcessId = CurrentProcessId();
    m_bOpen = m_file.Open(path) && (!m_file.Created() || m_file.Append(kByteOrderMark));
    return m_bOpen;
}

void CSetupLog::Start(const char* mode) {
    WriteLine(kStartStep, mode, std::string_view(), 0);
}

void CSetupLog::GuardNotHeld(MutexClaim claim, unsigned long error) {
    WriteLine(kGuardStep, claim == MutexClaim::Foreign ? kGuardIgnored : kFailed, Decimal(error),
              0);
}

void CSetupLog::End(const char* outcome, int exitCode, std::uint64_t milliseconds) {
    WriteLine(kEndStep, outcome, Decimal(static_cast<unsigned>(exitCode)), milliseconds);
}

void CSetupLog::OnStep(SetupStep step, StepOutcome outcome, unsigned long error,
                       std::uint64_t milliseconds) {
    if (step == SetupStep::Install && outcome == StepOutcome::Succeeded) {
        m_bInstalled = true;
    }
    WriteLine(StepName(step), OutcomeName(outcome), ErrorCode(step, error), milliseconds);
}

// A line that cannot be written is lost; the run goes on, as it would without a log.
void CSetupLog::WriteLine(const char* step, const char* outcome, std::string_view code,
                          std::uint64_t milliseconds) {
    if (!m_bOpen) {
        return;
    }
    m_file.Append(TimeStamp(CurrentLocalTime()) + kSeparator + step + kSeparator + outcome +
                  kSeparator + code + kSeparator + Decimal(milliseconds) + kSeparator +
                  Decimal(m_nProcessId) + kLineEnd);
}
