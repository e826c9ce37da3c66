// The simulated system programs behind the host build's platform/Process.h: rundll32 running
// the print UI entry point, which carries out its install, set-default and test-page commands
// on the simulated spooler. As Windows' print UI, an install does nothing when its INF names
// no such model or the spooler knows no such port, and a printer whose name is taken (letter
// case ignored) is added as a numbered copy. A started program runs until its simulated time
// has passed, or until its job (ended or closed) kills it. A test can make a start fail, have
// commands do nothing or run past any wait, and watch every launch.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "platform/Text.h"
#include "platform/sim/SimMachine.h"

namespace sim {

// A failed start gives the machine's kErrorFileNotFound when rundll32 is missing.

// The system directory of the simulated machine, and the programs in it.
extern const WChar kSystemDirectory[];

// What a started command does.
enum class CommandOutcome {
    Runs,        // carries out the command and ends, commandMs after its start
    DoesNothing, // ends as Runs does without doing anything (the print UI failed inside)
    RunsPastWait // never ends on its own (stuck on a prompt): only its job ends it
};
constexpr unsigned long long kNever = ~0ULL;

// How far a started program has come.
enum class ProgramState { Running, Finished, Killed };

// One start of a system program, as the machine saw it.
struct ProgramLaunch {
    WString program;                    // full path of the program started
    WString parameters;                 // its command line
    unsigned long waitMs = 0;           // how long its starter first waited for it
    unsigned long long startedAtMs = 0; // the machine's clock at the start
    bool started = false;
    ProgramState state = ProgramState::Running; // once started
    std::uintptr_t handle = 0;                  // what the process and job handles hold
    CommandOutcome outcome = CommandOutcome::Runs;
    unsigned long long endsAtMs = 0; // when it ends on its own, or kNever
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

    // platform/Process.h on the simulated machine: a started program's handle (0: none),
    // a wait on it, and its job ending it.
    std::uintptr_t Start(const WChar* program, const WChar* parameters, unsigned long& error);
    bool Wait(std::uintptr_t handle, unsigned long waitMs);
    void Kill(std::uintptr_t handle);

private:
    PrintUI() = default;
    bool TakeStartFailure(unsigned long& error);
    ProgramLaunch* Find(std::uintptr_t handle);
    void Carry(const WString& parameters);

    mutable std::mutex m_mutex;
    std::uintptr_t m_nFirstHandle = 0; // handles are never reused, so none outlives Reset
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
