// The simulated system programs behind the host build's platform/Process.h: rundll32 running
// the print UI entry point, which carries out its install, set-default and test-page commands
// on the simulated spooler. As Windows' print UI, an install does nothing when its INF names
// no such model or the spooler knows no such port, and a printer whose name is taken (letter
// case ignored) is added as a numbered copy. A test can make a start fail, have commands do
// nothing or run past the caller's wait, and watch every launch.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "platform/Text.h"
#include "platform/sim/SimMachine.h"

namespace sim {

// Error codes of a failed start, under their winerror.h names.
constexpr unsigned long kErrorFileNotFound = 2; // ERROR_FILE_NOT_FOUND

// The system directory of the simulated machine, and the programs in it.
extern const WChar kSystemDirectory[];

// What a started command does.
enum class CommandOutcome {
    Runs,        // carries out the command and ends at once
    DoesNothing, // ends at once without doing anything (the print UI failed inside)
    RunsPastWait // still runs when the caller's wait ends; what it would do comes too late
};

// One start of a system program, as the machine saw it.
struct ProgramLaunch {
    WString program;    // full path of the program started
    WString parameters; // its command line
    unsigned long waitMs = 0;
    unsigned long long startedAtMs = 0; // the machine's clock at the start
    bool started = false;
};

class PrintUI {
public:
    static PrintUI& Get();
    // A machine with rundll32 and a working print UI, no launches, no test pages.
    void Reset();

    // Settings. FailStarts makes starting fail with `error` (every time, or only the nth
    // start from now); SetOutcome says what started commands do from now on.
    void FailStarts(unsigned long error, unsigned nthStart = kEveryTime);
    void SetOutcome(CommandOutcome outcome);
    // Removes rundll32.exe from the system directory.
    void RemoveRundll32();
    // Called on the starting thread for each start, before the command runs.
    std::function<void(const ProgramLaunch&)> onLaunch;
    // How long a command that runs takes, in simulated milliseconds.
    unsigned long commandMs = 0;

    // Looking.
    std::vector<ProgramLaunch> Launches() const;
    int TestPages(const WString& printer) const;

    // platform/Process.h on the simulated machine.
    bool Run(const WChar* program, const WChar* parameters, unsigned long waitMs,
             unsigned long& error);

private:
    PrintUI() = default;
    bool TakeStartFailure(unsigned long& error);
    void Carry(const WString& parameters);

    mutable std::mutex m_mutex;
    bool m_bRundll32Present = true;
    unsigned long m_nStartError = 0;
    unsigned m_nFailNth = 0;
    unsigned m_nStartsSeen = 0;
    bool m_bFailStarts = false;
    CommandOutcome m_outcome = CommandOutcome::Runs;
    std::vector<ProgramLaunch> m_launches;
    std::map<WString, int> m_testPages;
};

} // namespace sim
