#!/bin/bash
# Runs Windows programs for the tests: a private 32-bit Wine prefix and an
# Xvfb display, both kept in a state folder of the build. Never ~/.wine.
#
#   harness.sh start STATE        create the prefix if missing, start Xvfb
#   harness.sh stop STATE         stop wineserver and Xvfb
#   harness.sh run STATE CMD...   run CMD with the environment set; an .exe
#                                 is copied into C:\tarnwick\bin and run there
#   harness.sh env STATE          print the environment for a shell to eval
set -u

action=$1
state=$(realpath -m "$2")
shift 2

export WINEPREFIX="$state/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko: the launcher needs neither, and their installers would
# ask questions in a window.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes the user's language and code page from the locale: English
# (C.UTF-8 reads as en-US) whatever the host's. A test that wants another
# language sets LC_ALL for those runs (the locale must exist on the host;
# scripts/install-deps.sh installs them all).
export LC_ALL=C.UTF-8
unset LANGUAGE LC_MESSAGES

set_display() {
    if [ -f "$state/display" ]; then
        export DISPLAY=":$(cat "$state/display")"
    fi
}

start_xvfb() {
    [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null && return 0
    local n
    for n in $(seq 91 160); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
        echo $! >"$state/xvfb.pid"
        for _ in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && { echo "$n" >"$state/display"; return 0; }
            kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null || break
            sleep 0.1
        done
    done
    echo "harness: could not start Xvfb" >&2
    return 1
}

make_prefix() {
    [ -f "$WINEPREFIX/system.reg" ] && [ -f "$state/prefix-unmanaged.ready" ] && return 0
    rm -rf "$WINEPREFIX" "$state/prefix-unmanaged.ready"
    wineboot -i >"$state/wineboot.log" 2>&1 || { cat "$state/wineboot.log" >&2; return 1; }
    wineserver -w
    # Without Z: a drive scan cannot wander into the host's file system.
    rm -f "$WINEPREFIX/dosdevices/z:"
    # Xvfb has no window manager: Wine draws the frames itself and does not
    # wait (2 s each time) for a manager to confirm that a window was hidden.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    mkdir -p "$WINEPREFIX/drive_c/tarnwick/bin"
    touch "$state/prefix-unmanaged.ready"
}

# Drive J: shows a folder of its own, where tests and the demo put the JVM
# bridge (tools/jvm_bridge). A "network" drive: no scan of the fixed drives
# ever walks it. Wine learns a drive's type only when wineserver starts, so
# the type is set and wineserver gone before the drive appears.
make_bridge_drive() {
    [ -L "$WINEPREFIX/dosdevices/j:" ] && return 0
    mkdir -p "$state/bridge-drive"
    wine reg add 'HKLM\Software\Wine\Drives' /v j: /d network /f >/dev/null 2>&1 || return 1
    wineserver -w
    ln -sfn "$state/bridge-drive" "$WINEPREFIX/dosdevices/j:"
}

# Wine's own fonts (MS Sans Serif, Tahoma, ...), which dialogs are laid out
# for: Debian's Wine does not look for them where fonts-wine puts them, but
# it does in the prefix's Fonts folder.
link_wine_fonts() {
    local font
    for font in /usr/share/wine/fonts/*; do
        [ -e "$font" ] && ln -sf "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
    done
    return 0
}

case "$action" in
    start)
        mkdir -p "$state"
        start_xvfb || exit 1
        set_display
        make_prefix || exit 1
        make_bridge_drive || exit 1
        link_wine_fonts
        ;;
    stop)
        set_display
        wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null
        if [ -f "$state/xvfb.pid" ]; then
            kill "$(cat "$state/xvfb.pid")" 2>/dev/null
            rm -f "$state/xvfb.pid" "$state/display"
        fi
        exit 0
        ;;
    env)
        set_display
        echo "export WINEPREFIX='$WINEPREFIX' WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES='$WINEDLLOVERRIDES' DISPLAY='${DISPLAY:-}' LC_ALL='$LC_ALL'"
        ;;
    run)
        set_display
        program=$1
        shift
        if [[ "$program" == *.exe ]]; then
            name=$(basename "$program")
            cp -f "$program" "$WINEPREFIX/drive_c/tarnwick/bin/$name"
            # From a folder Wine can name, so children get a working folder.
            cd "$WINEPREFIX/drive_c/tarnwick/bin"
            exec timeout 600 wine "C:\\tarnwick\\bin\\$name" "$@"
        fi
        export TARNWICK_WINE_HARNESS="$0" TARNWICK_WINE_STATE="$state"
        exec timeout 600 "$program" "$@"
        ;;
    *)
        echo "usage: harness.sh start|stop|run|env STATE ..." >&2
        exit 2
        ;;
esac
