#!/bin/sh
# Runs one end-to-end test for ctest, keeping Wine's stderr out of ctest's pipe.
#
# usage: run-driver.sh <stderr-log> <wine...> <WizardDriver.exe> <wizard-exe> <steps> <screenshot-dir>
#
# Wine starts explorer.exe (the desktop) on demand, and it inherits the Unix
# stderr of the process that needed it, here the driver. It lives on for about
# a second after the last window closes, and ctest waits for every holder of its
# pipe to go away, so each test took a second longer. With stderr in a log file
# only the driver's own output (stdout) reaches ctest. The log is shown when the
# test fails, since that is where Wine reports crashes.

log="$1"
shift
# A walk of a 32-bit program (VELTRA_E2E_RUNS_32BIT) cannot run where the kernel runs no 32-bit
# programs (VELTRA_WINE_RUNS_32BIT, from tools/wine-env.sh); 77 tells ctest it skipped itself.
if [ -n "${VELTRA_E2E_RUNS_32BIT:-}" ] && [ "${VELTRA_WINE_RUNS_32BIT:-}" = no ]; then
    echo "not run: this machine runs no 32-bit programs"
    exit 77
fi
"$@" 2>"$log"
status=$?
if [ "$status" -ne 0 ] && [ -s "$log" ]; then
    echo "--- Wine's stderr ($log):"
    cat "$log"
fi
exit "$status"
