// One run of the program, as its command line asks: the wizard (no arguments, or only a log),
// an unattended installation, or the removal of a model's printers. Deployment engines judge
// such a run by its exit code alone.
#pragma once

#include <functional>

#include "platform/Text.h"

// Exit codes, Windows' own installer codes, as deployment engines read them.
constexpr int kExitSucceeded = 0;         // ERROR_SUCCESS
constexpr int kExitWrongCommandLine = 87; // ERROR_INVALID_PARAMETER
constexpr int kExitFailed = 1603;         // ERROR_INSTALL_FAILURE
constexpr int kExitBusy = 1618;           // ERROR_INSTALL_ALREADY_RUNNING
constexpr int kExitLogFailure = 1622;     // ERROR_INSTALL_LOG_FAILURE
constexpr int kExitUnsupported = 1633;    // ERROR_INSTALL_PLATFORM_UNSUPPORTED
constexpr int kExitRestartNeeded = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED

// The name that keeps two setups of this driver from running at once, in every session
// (CNamedMutex::Claim says where it lives).
extern const WChar kSetupMutexName[];

// Runs the program as its command line says; `runWizard` shows the wizard and returns once it
// has closed. Returns the process's exit code: always 0 for the wizard, as it always was.
int RunSetup(const std::function<void()>& runWizard);
