// Starting one of the system's own programs in a job of its own, waiting for it, ending it.
#pragma once

#include "platform/Text.h"

// A wait without a time-out (INFINITE).
constexpr unsigned long kWaitForever = 0xFFFFFFFF;

// One started system program and the job object it runs in, owned together: whatever ends
// the owner (Close, its destructor, the end of our process, or someone ending our process at
// their own time limit) ends the program and everything it started, because the job kills its
// processes when its last handle closes (JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE). Moving hands the
// program to another owner. Used from one thread at a time.
class CSystemProgram {
public:
    CSystemProgram() = default;
    ~CSystemProgram() { Close(); }
    CSystemProgram(CSystemProgram&& other) noexcept { TakeFrom(other); }
    CSystemProgram& operator=(CSystemProgram&& other) noexcept {
        if (this != &other) {
            Close();
            TakeFrom(other);
        }
        return *this;
    }
    CSystemProgram(const CSystemProgram&) = delete;
    CSystemProgram& operator=(const CSystemProgram&) = delete;

    // Starts `program`, a file name such as "rundll32.exe", from the system directory by its
    // full path (never through the search path, where a planted copy could be found first),
    // with `parameters` as its command line, the system directory as its current folder
    // (never the package folder, where it could find a planted DLL), no handle of ours
    // inherited, shown normally. Never through the shell: the shell looks the verb of a
    // program up in the class registry, and that includes the user's own part, which any
    // program the user runs may write without elevation; what it put there would run
    // elevated. The program is created suspended and runs only once it is in its job, so
    // nothing it starts can begin outside the job. Before Windows 8 a process can be in one
    // job only: where we run in a deployment engine's job, the program breaks away from it
    // into ours if that job allows it, and else runs in the engine's job alone, which ends it
    // when the engine ends the job; End and Close then reach the program itself, not what it
    // started. A program held so far is let go of first (see Close). False when it could not
    // be started, with the platform's error code in `error` (ERROR_FILE_NOT_FOUND when the
    // program is missing).
    bool Start(const WChar* program, const WChar* parameters, unsigned long& error);
    // Waits at most `milliseconds` (or kWaitForever) for the program to end. True when it has
    // ended, or when none is held.
    bool Wait(unsigned long milliseconds);
    // Ends the program with everything in its job, and waits a little for it to be gone.
    // True when it has ended.
    bool End();
    // Whether a program is held, running or ended.
    bool IsHeld() const { return m_hProcess != nullptr; }
    // Lets go of the program: one still running in its job ends with it.
    void Close();

private:
    void TakeFrom(CSystemProgram& other) noexcept {
        m_hProcess = other.m_hProcess;
        m_hJob = other.m_hJob;
        other.m_hProcess = nullptr;
        other.m_hJob = nullptr;
    }

    void* m_hProcess = nullptr;
    void* m_hJob = nullptr; // null when the program runs outside a job of ours
};
