// Bounded polling for the wizard driver: every wait it does ends.
#pragma once

#include <windows.h>

namespace driver {

enum class WaitResult { Done, TimedOut, Stopped };

// Calls check every intervalMs until it returns true (Done), stopped() returns true
// (Stopped: e.g. the wizard exited) or timeoutMs have passed (TimedOut).
template <typename Check, typename Stopped>
WaitResult pollUntil(DWORD timeoutMs, DWORD intervalMs, Check check, Stopped stopped) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (check()) {
            return WaitResult::Done;
        }
        if (stopped()) {
            return WaitResult::Stopped;
        }
        if (GetTickCount64() >= deadline) {
            return WaitResult::TimedOut;
        }
        Sleep(intervalMs);
    }
}

} // namespace driver
