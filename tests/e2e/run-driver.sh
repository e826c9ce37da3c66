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
#
# VELTRA_E2E_DPI (veltra_add_e2e_test's DPI), if set, is the display scale the wizard runs at,
# for this test only: Wine 8 gives a new process the DPI in HKCU\Control Panel\Desktop's
# LogPixels, or without it the prefix's 96.

log="$1"
shift
# A walk of a 32-bit program (VELTRA_E2E_RUNS_32BIT) cannot run where the kernel runs no 32-bit
# programs (VELTRA_WINE_RUNS_32BIT, from tools/wine-env.sh); 77 tells ctest it skipped itself.
if [ -n "${VELTRA_E2E_RUNS_32BIT:-}" ] && [ "${VELTRA_WINE_RUNS_32BIT:-}" = no ]; then
    echo "not run: this machine runs no 32-bit programs"
    exit 77
fi
# Runs Wine's reg on that value if the test has a DPI: dpi WINE add|delete [reg's arguments]
dpi() {
    wine="$1" command="$2"
    shift 2
    [ -z "${VELTRA_E2E_DPI:-}" ] || "$wine" reg "$command" 'HKCU\Control Panel\Desktop' \
        /v LogPixels /f "$@" >/dev/null 2>&1 </dev/null
}
dpi "$1" add /t REG_DWORD /d "${VELTRA_E2E_DPI:-}" ||
    { echo "run-driver.sh: could not set ${VELTRA_E2E_DPI:-} DPI"; exit 1; }
"$@" 2>"$log"
status=$?
dpi "$1" delete || { echo "run-driver.sh: could not set 96 DPI back"; status=1; }
if [ "$status" -ne 0 ] && [ -s "$log" ]; then
    echo "--- Wine's stderr ($log):"
    cat "$log"
fi
exit "$status"
