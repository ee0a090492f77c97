#!/bin/bash
# The one way to Wine for tests, benchmarks and the demo: it picks the test
# world, keeps a private 64-bit Wine prefix and an Xvfb display in a state
# folder of the build (never ~/.wine), and says which wine, wineserver and
# registry view to use.
#
#   harness.sh world              print the test world: wow64 or x64 (and
#                                 the loud line on stderr for x64)
#   harness.sh start STATE        create the prefix if missing, start Xvfb
#   harness.sh stop STATE         stop wineserver and Xvfb
#   harness.sh run STATE CMD...   run CMD with the environment set; an .exe
#                                 is copied into C:\tarnwick\bin and run there
#   harness.sh env STATE          print the environment for a shell to eval
#
# Worlds. wow64: the i686 launcher in a win64 prefix, as on Windows 10/11.
# x64: the kernel runs no 32-bit programs (Debian's 32-bit Wine loader fails
# with "Exec format error"), so the Windows-side targets are built for x86_64
# and run under wine64. TARNWICK_FORCE_X64=1 takes the fallback anyway.
set -u

# A static i386 ELF of 93 bytes that only calls exit(0): whether the kernel
# runs it is the question, so it is asked by running it.
probe_32bit() {
    local probe
    probe=$(mktemp) || return 1
    printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x5d\0\0\0\x5d\0\0\0\x05\0\0\0\0\x10\0\0\xb8\x01\0\0\0\x31\xdb\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    local status=$?
    rm -f "$probe"
    return $status
}

world() {
    if [ "${TARNWICK_FORCE_X64:-0}" = 1 ]; then
        echo x64
    elif probe_32bit; then
        echo wow64
    else
        echo x64
    fi
}

loud_line() {
    if [ "${TARNWICK_FORCE_X64:-0}" = 1 ]; then
        echo "harness: TARNWICK_FORCE_X64=1: the Windows tests run the x86_64 build of the same sources" >&2
    else
        echo "harness: this kernel runs no 32-bit programs: the Windows tests run the x86_64 build of the same sources" >&2
    fi
}

action=${1:-}
if [ "$action" = world ]; then
    world=$(world)
    [ "$world" = x64 ] && loud_line
    echo "$world"
    exit 0
fi
state=$(realpath -m "$2")
shift 2

TARNWICK_WORLD=$(world)
export TARNWICK_WORLD
if [ "$TARNWICK_WORLD" = x64 ]; then
    # Debian's /usr/bin/wine prefers the 32-bit loader whenever wine32 is
    # installed, even where it cannot run.
    export TARNWICK_WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64
    # The x86_64 launcher reads the registry's 64-bit view, sees System32.
    export TARNWICK_REG_VIEW=/reg:64 TARNWICK_SYSTEM_FOLDER=system32
else
    export TARNWICK_WINE=/usr/bin/wine
    # A 32-bit program on 64-bit Windows reads WOW6432Node, and its System32
    # is SysWOW64.
    export TARNWICK_REG_VIEW=/reg:32 TARNWICK_SYSTEM_FOLDER=syswow64
fi
export TARNWICK_WINESERVER=/usr/bin/wineserver
export WINEPREFIX="$state/prefix"
export WINEARCH=win64
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

wine_() { "$TARNWICK_WINE" "$@"; }
wineserver_() { "$TARNWICK_WINESERVER" "$@"; }

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
    local ready="$state/prefix-$TARNWICK_WORLD.ready"
    [ -f "$WINEPREFIX/system.reg" ] && [ -f "$ready" ] && return 0
    rm -rf "$WINEPREFIX" "$state"/prefix-*.ready
    wine_ wineboot -i >"$state/wineboot.log" 2>&1 || { cat "$state/wineboot.log" >&2; return 1; }
    wineserver_ -w
    # Without Z: a drive scan cannot wander into the host's file system.
    rm -f "$WINEPREFIX/dosdevices/z:"
    # Xvfb has no window manager: Wine draws the frames itself and does not
    # wait (2 s each time) for a manager to confirm that a window was hidden.
    wine_ reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver_ -w
    mkdir -p "$WINEPREFIX/drive_c/tarnwick/bin"
    touch "$ready"
}

# Drive J: shows a folder of its own, where tests and the demo put the JVM
# bridge (tools/jvm_bridge). A "network" drive: no scan of the fixed drives
# ever walks it. Wine learns a drive's type only when wineserver starts, so
# the type is set and wineserver gone before the drive appears.
make_bridge_drive() {
    [ -L "$WINEPREFIX/dosdevices/j:" ] && return 0
    mkdir -p "$state/bridge-drive"
    wine_ reg add 'HKLM\Software\Wine\Drives' /v j: /d network /f >/dev/null 2>&1 || return 1
    wineserver_ -w
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

print_env() {
    local name
    for name in WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES LC_ALL TARNWICK_WORLD TARNWICK_WINE \
        TARNWICK_WINESERVER TARNWICK_REG_VIEW TARNWICK_SYSTEM_FOLDER; do
        printf "export %s='%s'\n" "$name" "${!name}"
    done
    [ -n "${WINELOADER:-}" ] && printf "export WINELOADER='%s'\n" "$WINELOADER"
    printf "export DISPLAY='%s'\n" "${DISPLAY:-}"
}

case "$action" in
    start)
        mkdir -p "$state"
        if [ "$TARNWICK_WORLD" = x64 ]; then loud_line; else echo "harness: 64-bit Windows (WOW64)"; fi
        start_xvfb || exit 1
        set_display
        make_prefix || exit 1
        make_bridge_drive || exit 1
        link_wine_fonts
        ;;
    stop)
        set_display
        wineserver_ -k 2>/dev/null
        wineserver_ -w 2>/dev/null
        if [ -f "$state/xvfb.pid" ]; then
            kill "$(cat "$state/xvfb.pid")" 2>/dev/null
            rm -f "$state/xvfb.pid" "$state/display"
        fi
        exit 0
        ;;
    env)
        set_display
        print_env
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
            exec timeout 600 "$TARNWICK_WINE" "C:\\tarnwick\\bin\\$name" "$@"
        fi
        export TARNWICK_WINE_HARNESS="$0" TARNWICK_WINE_STATE="$state"
        exec timeout 600 "$program" "$@"
        ;;
    *)
        echo "usage: harness.sh world|start|stop|run|env [STATE ...]" >&2
        exit 2
        ;;
esac
