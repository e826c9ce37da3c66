# Sets up Wine for the wizard's tests (prefix, zh_CN locale, fonts, display); source it with the build folder.
#
#   source tools/wine-env.sh BUILD_DIR
#   veltra_wine_warm      # before ctest, so no Wine service holds ctest's pipes
#   veltra_usb_attach ... # fake USB printers, see tools/usbfake.sh
#   veltra_wine_stop      # ends the wineserver and the Xvfb this file started
#
# Everything it makes lives under BUILD_DIR: wineprefix/, locale/ (only if the
# system lacks zh_CN.UTF-8) and xvfb.* (only if there was no usable display).
# Sourcing starts the prefix's wineserver and keeps it up until veltra_wine_stop;
# it checks that the prefix starts and makes it anew if it does not. A second
# run reuses all of it and takes about a second.

if [ "$#" -ne 1 ] || [ -z "$1" ]; then
    echo "usage: source tools/wine-env.sh BUILD_DIR" >&2
    return 2 2>/dev/null || exit 2
fi

VELTRA_WINE_BUILD_DIR="$(mkdir -p "$1" && cd "$1" && pwd)" ||
    { echo "wine-env: cannot make or enter the build folder $1" >&2; return 1; }

# Display numbers tried for our own Xvfb, and how long to wait for it to accept clients.
VELTRA_XVFB_FIRST_DISPLAY=90
VELTRA_XVFB_LAST_DISPLAY=140
VELTRA_XVFB_START_TRIES=50 # times 0.1 s
VELTRA_XVFB_SCREEN="1280x1024x24"

# Wine as the project runs it (tools/wine/wine): on a machine that runs no 32-bit programs,
# 64-bit ones still run.
export PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine:$PATH"
# Whether this machine runs 32-bit Windows programs at all: "no" when the kernel's 32-bit
# emulation is off, and then neither 32-bit Wine nor the x86 package can run here, and "no" when
# 32-bit Wine (wine32:i386) could not be installed (tools/deps says why); VELTRA_WINE_NO_32BIT
# tells which.
if [ ! -x /usr/lib/wine/wine ]; then
    export VELTRA_WINE_RUNS_32BIT=no
    export VELTRA_WINE_NO_32BIT="32-bit Wine (wine32:i386) is not installed: tools/deps could not install it"
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    export VELTRA_WINE_RUNS_32BIT=yes
else
    export VELTRA_WINE_RUNS_32BIT=no
    export VELTRA_WINE_NO_32BIT="its kernel's 32-bit emulation is off: dmesg says \"32-bit emulation disabled\""
fi

export WINEPREFIX="$VELTRA_WINE_BUILD_DIR/wineprefix"
# The i686 build's tests run in a 32-bit prefix, as on 32-bit Windows, the only one its package
# is for. The x86_64 build's prefix is 64-bit and runs 32-bit programs too, as 64-bit Windows
# does: there the x86 package is seen to refuse, and the fake USB printer's 64-bit driver runs.
if grep -qs '^CMAKE_TOOLCHAIN_FILE:[A-Z]*=.*i686' "$VELTRA_WINE_BUILD_DIR/CMakeCache.txt"; then
    export WINEARCH=win32
else
    export WINEARCH=win64
fi
export WINEDEBUG=-all

# The x86_64 Windows build makes the fake USB printer here (tests/usbfake); the end-to-end
# tests and the veltra_usb_* functions run it from there.
export VELTRA_FAKEINST="$VELTRA_WINE_BUILD_DIR/usbfake/fakeinst.exe"
# shellcheck source=tools/usbfake.sh
source "$(dirname "${BASH_SOURCE[0]}")/usbfake.sh" ||
    { echo "wine-env: cannot read tools/usbfake.sh" >&2; return 1; }

# A prefix that starts runs a command in about 1 s cold; one that hangs gets this long.
VELTRA_WINE_START_TIMEOUT=60

# glibc here ships no compiled zh_CN locale. Without one Wine garbles non-ASCII
# command-line arguments and file names, so build it into the build folder.
_veltra_has_zh_locale() {
    # No grep -q: under pipefail, locale would die of SIGPIPE and fail the test.
    locale -a 2>/dev/null | grep -ix 'zh_CN\.utf-\?8' >/dev/null
}

if ! _veltra_has_zh_locale; then
    _veltra_locale_dir="$VELTRA_WINE_BUILD_DIR/locale"
    if [ ! -f "$_veltra_locale_dir/zh_CN.UTF-8/LC_CTYPE" ]; then
        mkdir -p "$_veltra_locale_dir"
        # localedef exits 1 on mere warnings; the file check below is what counts.
        localedef -i zh_CN -f UTF-8 "$_veltra_locale_dir/zh_CN.UTF-8" >/dev/null 2>&1 || true
    fi
    if [ -f "$_veltra_locale_dir/zh_CN.UTF-8/LC_CTYPE" ]; then
        export LOCPATH="$_veltra_locale_dir"
    else
        echo "wine-env: could not generate the zh_CN.UTF-8 locale (is the 'locales' package installed?)" >&2
    fi
    unset _veltra_locale_dir
fi
# Bash applies these to itself at once but ignores an exported LOCPATH, so it
# warns that it cannot switch; the programs it starts do see LOCPATH.
{
    export LANG=zh_CN.UTF-8
    export LC_ALL=zh_CN.UTF-8
} 2>/dev/null

# True if an X server answers on $1 (a display name like :90).
_veltra_display_works() {
    local display="$1"
    [ -n "$display" ] || return 1
    if command -v xdpyinfo >/dev/null 2>&1; then
        DISPLAY="$display" xdpyinfo >/dev/null 2>&1 </dev/null
    elif command -v xdotool >/dev/null 2>&1; then
        DISPLAY="$display" xdotool getdisplaygeometry >/dev/null 2>&1 </dev/null
    else
        # Local displays only: the socket is the best we can check without X tools.
        [ -S "/tmp/.X11-unix/X${display#:}" ]
    fi
}

_veltra_start_xvfb() {
    local pid_file="$VELTRA_WINE_BUILD_DIR/xvfb.pid"
    local display_file="$VELTRA_WINE_BUILD_DIR/xvfb.display"

    # Reuse the Xvfb an earlier run of this file left for this build folder.
    if [ -f "$pid_file" ] && [ -f "$display_file" ]; then
        local old_pid old_display
        old_pid="$(cat "$pid_file")"
        old_display="$(cat "$display_file")"
        if kill -0 "$old_pid" 2>/dev/null && _veltra_display_works "$old_display"; then
            export DISPLAY="$old_display"
            return 0
        fi
        rm -f "$pid_file" "$display_file"
    fi

    local n
    for ((n = VELTRA_XVFB_FIRST_DISPLAY; n <= VELTRA_XVFB_LAST_DISPLAY; n++)); do
        if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; then
            continue
        fi
        Xvfb ":$n" -screen 0 "$VELTRA_XVFB_SCREEN" -nolisten tcp \
            >"$VELTRA_WINE_BUILD_DIR/xvfb.log" 2>&1 </dev/null &
        local pid=$!
        local try
        for ((try = 0; try < VELTRA_XVFB_START_TRIES; try++)); do
            if ! kill -0 "$pid" 2>/dev/null; then
                break # lost a race for this display number: try the next one
            fi
            if _veltra_display_works ":$n"; then
                echo "$pid" >"$pid_file"
                echo ":$n" >"$display_file"
                export DISPLAY=":$n"
                return 0
            fi
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    echo "wine-env: could not start Xvfb (see $VELTRA_WINE_BUILD_DIR/xvfb.log)" >&2
    return 1
}

if ! _veltra_display_works "${DISPLAY:-}"; then
    _veltra_start_xvfb || return 1
fi

# Runs a Wine tool with every stream redirected, so no Wine service keeps the
# caller's pipes open. Returns the tool's status.
_veltra_wine_quiet() {
    "$@" >/dev/null 2>&1 </dev/null
}

# Starts the prefix's wineserver for good (until veltra_wine_stop), before any
# Wine program: one started by a program ends 3 s after the last one exits, and
# `wineserver -p` cannot make a running one stay. A server that outlived ctest's
# first test would come back inside the next one, holding ctest's pipes.
_veltra_wineserver_up() {
    _veltra_wine_quiet wineserver -p || true # fails if one is already up: fine
}

# Makes the prefix anew (about 8 s). Wine starts a newly installed plug-and-play
# driver, such as the fake USB printer, only in a prefix whose wineserver was
# restarted after `wineboot -i`, so it is restarted here once.
_veltra_make_prefix() {
    _veltra_wine_quiet wineserver -k || true # fails if none is running: fine
    if ! rm -rf "$WINEPREFIX" || ! mkdir -p "$WINEPREFIX"; then
        echo "wine-env: cannot empty $WINEPREFIX" >&2
        return 1
    fi
    _veltra_wineserver_up
    if ! _veltra_wine_quiet wineboot -i; then
        echo "wine-env: wineboot -i failed to make $WINEPREFIX" >&2
        return 1
    fi
    _veltra_wine_quiet wineserver -k || true
    _veltra_wineserver_up
}

# True if the prefix is of WINEARCH's kind and its programs start: in a 64-bit
# prefix a 64-bit and (where this machine runs them) a 32-bit one, in a 32-bit
# prefix a 32-bit one; what Wine said is left in BUILD_DIR/wine-start.log. A
# prefix of the other kind, or one made before 32-bit Wine was installed ("could
# not load kernel32.dll"), fails here instead of in every test.
_veltra_prefix_starts() {
    local log="$VELTRA_WINE_BUILD_DIR/wine-start.log"
    if ! grep -qx "#arch=$WINEARCH" "$WINEPREFIX/system.reg" 2>/dev/null; then
        echo "the prefix is not a $WINEARCH one" >"$log"
        return 1
    fi
    timeout "$VELTRA_WINE_START_TIMEOUT" wine cmd /c exit 0 >"$log" 2>&1 </dev/null || return 1
    if [ "$WINEARCH" = win64 ] && [ "$VELTRA_WINE_RUNS_32BIT" = yes ]; then
        timeout "$VELTRA_WINE_START_TIMEOUT" wine 'C:\windows\syswow64\cmd.exe' /c exit 0 \
            >>"$log" 2>&1 </dev/null
    fi
}

if [ -f "$WINEPREFIX/system.reg" ]; then
    _veltra_wineserver_up
else
    _veltra_make_prefix || return 1
fi
if ! _veltra_prefix_starts; then
    echo "wine-env: the Wine prefix $WINEPREFIX does not start" \
        "($(grep -m 1 . "$VELTRA_WINE_BUILD_DIR/wine-start.log" || echo "Wine said nothing"));" \
        "making it anew" >&2
    if ! _veltra_make_prefix || ! _veltra_prefix_starts; then
        echo "wine-env: a new prefix does not start either:" >&2
        cat "$VELTRA_WINE_BUILD_DIR/wine-start.log" >&2
        echo "wine-env: is 32-bit Wine installed (wine32:i386)? tools/deps installs it" >&2
        return 1
    fi
fi

# Message boxes ask for SimSun, which is missing: without the replacement their
# Chinese text shows as empty boxes. Without Managed=N each top-level window
# waits about 2 s for a window manager that Xvfb does not have.
# user.reg is only written when the wineserver saves, so a quick second run may
# add the keys again; that is harmless.
if ! grep -q '^"SimSun"="WenQuanYi Micro Hei"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    _veltra_wine_quiet wine reg add 'HKCU\Software\Wine\Fonts\Replacements' \
        /v SimSun /d "WenQuanYi Micro Hei" /f ||
        { echo "wine-env: could not set the SimSun font replacement" >&2; return 1; }
fi
if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    _veltra_wine_quiet wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f ||
        { echo "wine-env: could not set Managed=N for the X11 driver" >&2; return 1; }
fi

# Installs the print UI stand-in (tests/wine/printui) into the prefix, given the x86_64 and the
# i686 build's printui.dll: a 64-bit prefix gets the first in system32 and the second in
# syswow64 (if it has one), a 32-bit prefix the second in system32. The override makes Wine
# load our file and never its own builtin print UI.
veltra_wine_install_printui() {
    if [ "$#" -ne 2 ]; then
        echo "usage: veltra_wine_install_printui X64_DLL X86_DLL" >&2
        return 2
    fi
    local windows="$WINEPREFIX/drive_c/windows"
    local -a places=("$1" system32 "$2" syswow64)
    if [ "$WINEARCH" = win32 ]; then
        places=("$2" system32)
    fi
    local i
    for ((i = 0; i < ${#places[@]}; i += 2)); do
        [ -d "$windows/${places[i + 1]}" ] || continue
        cp "${places[i]}" "$windows/${places[i + 1]}/printui.dll" || {
            echo "wine-env: could not copy ${places[i]} into ${places[i + 1]}" >&2
            return 1
        }
    done
    if ! grep -q '^"printui"="native"' "$WINEPREFIX/user.reg" 2>/dev/null; then
        _veltra_wine_quiet wine reg add 'HKCU\Software\Wine\DllOverrides' \
            /v printui /d native /f ||
            { echo "wine-env: could not set the printui DLL override" >&2; return 1; }
    fi
}

# Starts a wineserver that stays up and boots the prefix's services, all with
# output redirected. Call it before ctest: Wine's background processes inherit
# the output of whichever process starts them, and ctest waits until every
# holder of a test's pipe has gone.
veltra_wine_warm() {
    _veltra_wine_quiet wineserver -p || true # fails if one is already up: fine
    _veltra_wine_quiet wine wineboot
}

# Ends every Wine process of the prefix and the Xvfb this file started, if any.
veltra_wine_stop() {
    _veltra_wine_quiet wineserver -k || true # fails if none is running: fine
    local pid_file="$VELTRA_WINE_BUILD_DIR/xvfb.pid"
    if [ -f "$pid_file" ]; then
        local pid
        pid="$(cat "$pid_file")"
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            local try
            for ((try = 0; try < VELTRA_XVFB_START_TRIES; try++)); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
        fi
        rm -f "$pid_file" "$VELTRA_WINE_BUILD_DIR/xvfb.display"
    fi
}
