// The log an administrator asks for with /log: one line for each step of the run, appended to
// a file as UTF-8, its fields separated by tabs: local time, step, outcome, the platform's
// error code where the step has one, the step's duration in milliseconds, and the process's id
// (which tells apart the lines of runs that write to one log at once).
#pragma once

#include <cstdint>
#include <string_view>

#include "installer/SetupSequence.h"
#include "platform/AppendFile.h"
#include "platform/NamedMutex.h"

class CSetupLog : public ISetupListener {
public:
    // Opens (or creates, with a byte-order mark) the file; false when it can be neither.
    bool Open(const WChar* path);
    // The first line: what the run is ("install", "uninstall" or "wizard").
    void Start(const char* mode);
    // A line for the one-setup guard when it guards nothing and the run goes on: "ignored"
    // (Foreign: the name is taken by what is no other setup) or "failed", with the error code.
    void GuardNotHeld(MutexClaim claim, unsigned long error);
    // The last line: how the run ended (its outcome word and exit code) and how long it took.
    void End(const char* outcome, int exitCode, std::uint64_t milliseconds);
    void OnStep(SetupStep step, StepOutcome outcome, unsigned long error,
                std::uint64_t milliseconds) override;
    // Whether an installation step has succeeded in this run.
    bool Installed() const { return m_bInstalled; }

private:
    void WriteLine(const char* step, const char* outcome, std::string_view code,
                   std::uint64_t milliseconds);

    CAppendFile m_file;
    unsigned long m_nProcessId = 0;
    bool m_bOpen = false;
    bool m_bInstalled = false;
};
