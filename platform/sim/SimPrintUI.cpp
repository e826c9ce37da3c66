// The simulated rundll32 and print UI, and the host build's platform/Process.h on them.
#include "platform/sim/SimPrintUI.h"

#include <sstream>

#include "platform/Process.h"
#include "platform/sim/PrintUICommand.h"
#include "platform/sim/SimSpooler.h"
#include "platform/sim/SimText.h"

namespace sim {

const WChar kSystemDirectory[] = WTEXT("C:\\Windows\\system32\\");

namespace {
const WChar kRundll32[] = WTEXT("rundll32.exe");
// rundll32 hands the print UI the text after its entry point's name.
const WChar kPrintUIEntry[] = WTEXT("PRINTUI.DLL,PrintUIEntry");
// The name a second printer of the same name gets, as the print UI numbers copies.
const WChar kCopyOpening[] = WTEXT(" (Copy ");
const WChar kCopyClosing[] = WTEXT(")");

bool StartsWith(const WString& text, const WString& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

const char kInfQuote = '"';
const char kInfAssignment = '=';
const char kInfBlanks[] = " \t";

// Whether the INF has a model line for `model` ("model" = install section, ...), the names
// compared as Windows compares them, without regard to case.
bool InfDeclaresModel(const std::string& inf, const WString& model) {
    std::istringstream lines(inf);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t open = line.find_first_not_of(kInfBlanks);
        const std::size_t close = open == std::string::npos ? open : line.find(kInfQuote, open + 1);
        if (open == std::string::npos || line[open] != kInfQuote || close == std::string::npos) {
            continue;
        }
        const std::size_t assignment = line.find_first_not_of(kInfBlanks, close + 1);
        if (assignment != std::string::npos && line[assignment] == kInfAssignment &&
            EqualsOrdinalIgnoringCase(FromUtf8(line.substr(open + 1, close - open - 1)), model)) {
            return true;
        }
    }
    return false;
}

// The first free name among the printer's own and its numbered copies.
WString FreePrinterName(const Spooler& spooler, const WString& name) {
    WString candidate = name;
    for (int copy = 1; spooler.FindPrinter(candidate); ++copy) {
        candidate = name + kCopyOpening + ToWString(copy) + kCopyClosing;
    }
    return candidate;
}

} // namespace

PrintUI& PrintUI::Get() {
    static PrintUI printUI;
    return printUI;
}

void PrintUI::Reset() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bRundll32Present = true;
    m_bFailStarts = false;
    m_nStartError = 0;
    m_nFailNth = 0;
    m_nStartsSeen = 0;
    m_outcome = CommandOutcome::Runs;
    m_nFirstHandle += m_launches.size();
    m_launches.clear();
    m_testPages.clear();
    onLaunch = nullptr;
    commandMs = 0;
}

void PrintUI::FailStarts(unsigned long error, unsigned nthStart) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bFailStarts = true;
    m_nStartError = error;
    m_nFailNth = nthStart;
    m_nStartsSeen = 0;
}

void PrintUI::SetOutcome(CommandOutcome outcome) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_outcome = outcome;
}

void PrintUI::RemoveRundll32() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bRundll32Present = false;
}

std::vector<ProgramLaunch> PrintUI::Launches() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_launches;
}

int PrintUI::TestPages(const WString& printer) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_testPages.find(printer);
    return it == m_testPages.end() ? 0 : it->second;
}

bool PrintUI::TakeStartFailure(unsigned long& error) {
    if (!m_bFailStarts) {
        return false;
    }
    ++m_nStartsSeen;
    if (m_nFailNth != kEveryTime && m_nStartsSeen != m_nFailNth) {
        return false;
    }
    error = m_nStartError;
    return true;
}

std::uintptr_t PrintUI::Start(const WChar* program, const WChar* parameters, unsigned long& error) {
    ProgramLaunch launch{WString(kSystemDirectory) + program, parameters, 0,
                         Machine::Get().clockMs.load()};
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const bool present = m_bRundll32Present && WString(program) == kRundll32;
        if (!present) {
            error = kErrorFileNotFound;
        }
        launch.started = present && !TakeStartFailure(error);
        launch.handle = launch.started ? m_nFirstHandle + m_launches.size() + 1 : 0;
        launch.outcome = m_outcome;
        launch.endsAtMs =
            m_outcome == CommandOutcome::RunsPastWait ? kNever : launch.startedAtMs + commandMs;
        m_launches.push_back(launch);
    }
    if (onLaunch) {
        onLaunch(launch);
    }
    return launch.handle;
}

ProgramLaunch* PrintUI::Find(std::uintptr_t handle) {
    const std::size_t index = handle - m_nFirstHandle - 1;
    return handle > m_nFirstHandle && index < m_launches.size() ? &m_launches[index] : nullptr;
}

bool PrintUI::Wait(std::uintptr_t handle, unsigned long waitMs) {
    Machine& machine = Machine::Get();
    std::unique_lock<std::mutex> lock(m_mutex);
    ProgramLaunch* launch = Find(handle);
    if (launch == nullptr || launch->state != ProgramState::Running) {
        return true;
    }
    launch->waitMs = launch->waitMs == 0 ? waitMs : launch->waitMs;
    const unsigned long long now = machine.clockMs;
    if (launch->endsAtMs > now + waitMs) {
        machine.clockMs += waitMs;
        // Nothing else ends it in a test: waiting for ever would be a hang.
        machine.hangs += waitMs == kWaitForever ? 1 : 0;
        return false;
    }
    machine.clockMs += launch->endsAtMs > now ? launch->endsAtMs - now : 0;
    launch->state = ProgramState::Finished;
    const WString work = launch->outcome == CommandOutcome::Runs ? launch->parameters : WString();
    lock.unlock();
    Carry(work);
    return true;
}

void PrintUI::Kill(std::uintptr_t handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    ProgramLaunch* launch = Find(handle);
    if (launch != nullptr && launch->state == ProgramState::Running) {
        launch->state = ProgramState::Killed;
    }
}

void PrintUI::Carry(const WString& parameters) {
    PrintUICommand command;
    if (!StartsWith(parameters, kPrintUIEntry) ||
        !ParsePrintUICommand(parameters.substr(std::char_traits<WChar>::length(kPrintUIEntry)),
                             command)) {
        return;
    }
    Spooler& spooler = Spooler::Get();
    if (command.install) {
        // As Windows' print UI, it installs only a model its INF names, on a port there is.
        std::string inf;
        if (command.printer.empty() || !Machine::Get().ReadFile(command.infFile, inf) ||
            !InfDeclaresModel(inf, command.model) || !spooler.HasPort(command.port)) {
            return;
        }
        if (!spooler.HasDriver(command.model)) {
            DriverTraits traits;
            traits.package = command.infFile;
            spooler.AddDriver(command.model, {}, traits);
        }
        spooler.AddPrinter(FreePrinterName(spooler, command.printer), command.port, command.model);
    } else if (command.setDefault) {
        spooler.SetDefaultPrinter(command.printer);
    } else if (command.testPage && spooler.FindPrinter(command.printer)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_testPages[command.printer];
    }
}

} // namespace sim

bool CSystemProgram::Start(const WChar* program, const WChar* parameters, unsigned long& error) {
    Close();
    error = 0;
    m_hProcess = reinterpret_cast<void*>(sim::PrintUI::Get().Start(program, parameters, error));
    m_hJob = m_hProcess;
    return m_hProcess != nullptr;
}

bool CSystemProgram::Wait(unsigned long milliseconds) {
    return sim::PrintUI::Get().Wait(reinterpret_cast<std::uintptr_t>(m_hProcess), milliseconds);
}

bool CSystemProgram::End() {
    sim::PrintUI::Get().Kill(reinterpret_cast<std::uintptr_t>(m_hJob));
    return true;
}

void CSystemProgram::Close() {
    End(); // the job kills what still runs in it when its handle closes
    m_hProcess = m_hJob = nullptr;
}
