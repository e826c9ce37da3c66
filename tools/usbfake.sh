# Plugs fake USB printers (tests/usbfake) into the current WINEPREFIX and pulls them out again.
# shellcheck shell=bash
#
# tools/wine-env.sh sources this and sets VELTRA_FAKEINST to BUILD_DIR/usbfake/fakeinst.exe,
# which the Windows build makes. Test equipment only: nothing here touches a package.
#
#   veltra_usb_attach 'ROOT\VID_1A2B&PID_0001\0000' 'MFG:Veltra;MDL:KX-210+;CLS:PRINTER;' 0
#   veltra_usb_set    'ROOT\VID_1A2B&PID_0001\0000' 'MFG:Veltra;MDL:KX-300;' 1000
#   veltra_usb_detach 'ROOT\VID_1A2B&PID_0001\0000'
#   veltra_usb_detach_all
#
# The instance id must start with ROOT\ (Wine starts only root devices). The delay is how
# long, in ms, the printer takes to answer a request for its IEEE 1284 id: 0 at once,
# 4294967295 never (until the caller cancels). Each call takes 0.05-0.3 s; an attached printer
# is listed by SetupAPI as soon as the call returns, a detached one is gone as soon as it
# returns, and the same instance id can be attached again at once. Printers stay in the
# prefix across `wineserver -k` until detached. On failure a function says why and returns 1.

# Runs fakeinst.exe from its own folder, where the driver's .sys and .inf lie, so no Unix
# path has to go through Wine's drive mapping.
_veltra_fakeinst() { # fakeinst arguments...
    if [ ! -f "${VELTRA_FAKEINST:-}" ]; then
        echo "usbfake: no fakeinst.exe at '${VELTRA_FAKEINST:-}' (VELTRA_FAKEINST; tools/build makes it)" >&2
        return 1
    fi
    local dir log
    dir="$(dirname "$VELTRA_FAKEINST")"
    log="$dir/fakeinst.log"
    # Into a file, never a pipe: a Wine service it wakes would hold a pipe open for good.
    if ! (cd "$dir" && wine ./fakeinst.exe "$@") >"$log" 2>&1 </dev/null; then
        echo "usbfake: fakeinst $* failed:" >&2
        cat "$log" >&2
        return 1
    fi
}

# Fails with the usage line unless the function got the number of arguments it needs.
_veltra_usb_usage() { # wanted, got, usage
    [ "$1" -eq "$2" ] && return 0
    echo "usage: $3" >&2
    return 2
}

veltra_usb_attach() { # instance-id 1284-id delay-ms
    _veltra_usb_usage 3 "$#" "veltra_usb_attach <instance-id> <1284-id> <delay-ms>" &&
        _veltra_fakeinst install fakeusbprint.inf "$@"
}

# Changes what an attached printer answers, from its next request on.
veltra_usb_set() { # instance-id 1284-id delay-ms
    _veltra_usb_usage 3 "$#" "veltra_usb_set <instance-id> <1284-id> <delay-ms>" &&
        _veltra_fakeinst set "$@"
}

veltra_usb_detach() { # instance-id
    _veltra_usb_usage 1 "$#" "veltra_usb_detach <instance-id>" &&
        _veltra_fakeinst remove "$1"
}

# Detaches every fake printer of the prefix; succeeds when there is none.
veltra_usb_detach_all() {
    _veltra_usb_usage 0 "$#" "veltra_usb_detach_all" &&
        _veltra_fakeinst remove-all
}
