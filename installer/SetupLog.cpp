// Writing the run's log lines.
#include "installer/SetupLog.h"

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
std::string Decimal(std::uint64_t value, unsigned width = 1) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + value % kDecimalBase));
        value /= kDecimalBase;
    } while (value != 0);
    if (digits.size() < width) {
        digits.insert(0, width - digits.size(), '0');
    }
    return digits;
}

// An HRESULT as Windows' documentation writes it: "0x" and eight hexadecimal digits.
std::string Hresult(unsigned long value) {
    std::string digits = "0x";
    for (unsigned shift = kHresultDigits; shift-- > 0;) {
        digits.push_back(kHexadecimalDigits[(value >> (shift * 4)) % kHexadecimalBase]);
    }
    return digits;
}

// The step's error code as the log writes it: HRESULTs in hexadecimal, Win32 errors in decimal.
std::string ErrorCode(SetupStep step, unsigned long error) {
    if (error == 0) {
        return std::string();
    }
    return step == SetupStep::Stage || step == SetupStep::DeletePackage ? Hresult(error)
                                                                        : Decimal(error);
}

// "YYYY-MM-DD hh:mm:ss.mmm"
std::string TimeStamp(const LocalTime& t) {
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
    WriteLine(kStartStep, mode, std::string(), 0);
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
void CSetupLog::WriteLine(const char* step, const char* outcome, const std::string& code,
                          std::uint64_t milliseconds) {
    if (!m_bOpen) {
        return;
    }
    m_file.Append(TimeStamp(CurrentLocalTime()) + kSeparator + step + kSeparator + outcome +
                  kSeparator + code + kSeparator + Decimal(milliseconds) + kSeparator +
                  Decimal(m_nProcessId) + kLineEnd);
}
