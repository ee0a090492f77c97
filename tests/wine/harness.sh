#!/bin/bash
# The one way to Wine for tests, benchmarks and the demo: it picks the test
# world, keeps a private win64 prefix and an Xvfb display in a state folder of
# the build (never ~/.wine), and says which wine and registry view to use.
#
#   harness.sh world              the test world: wow64, or x64 (and a loud line)
#   harness.sh start|stop STATE   make the prefix if missing and start Xvfb; stop both
#   harness.sh run STATE CMD...   run CMD in that environment; an .exe is copied
#                                 into C:\tarnwick\bin and run there
#   harness.sh env STATE          the environment, for a shell to eval
#
# wow64: the i686 launcher under WOW64, as on Windows 10/11. x64 (no 32-bit
# programs here, or TARNWICK_FORCE_X64=1): an x86_64 build under wine64.
set -u

# Whether the kernel runs a 32-bit program is asked by running one: a static
# i386 ELF of 93 bytes that only calls exit(0).
probe_32bit() {
    local probe status
    probe=$(mktemp) || return 1
    printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x5d\0\0\0\x5d\0\0\0\x05\0\0\0\0\x10\0\0\xb8\x01\0\0\0\x31\xdb\xcd\x80' >"$probe"
    chmod +x "$probe" && "$probe" 2>/dev/null
    status=$?
    rm -f "$probe"
    return $status
}

world() {
    if [ "${TARNWICK_FORCE_X64:-0}" = 1 ]; then
        echo "harness: TARNWICK_FORCE_X64=1: the Windows tests run the x86_64 build of the same sources" >&2
    elif probe_32bit; then
        echo wow64
        return
    else
        echo "harness: this kernel runs no 32-bit programs: the Windows tests run the x86_64 build of the same sources" >&2
    fi
    echo x64
}

action=${1:-}
[ "$action" = world ] && { world; exit 0; }
state=$(realpath -m "$2")
shift 2

TARNWICK_WORLD=$(world 2>/dev/null)
if [ "$TARNWICK_WORLD" = x64 ]; then
    # Debian's /usr/bin/wine prefers the 32-bit loader whenever wine32 is
    # installed, even where it cannot run. The x86_64 launcher reads the
    # registry's 64-bit view and sees System32.
    export TARNWICK_WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64
    export TARNWICK_REG_VIEW=/reg:64 TARNWICK_SYSTEM_FOLDER=system32
else
    # A 32-bit program on 64-bit Windows reads WOW6432Node; its System32 is SysWOW64.
    export TARNWICK_WINE=/usr/bin/wine TARNWICK_REG_VIEW=/reg:32 TARNWICK_SYSTEM_FOLDER=syswow64
fi
export TARNWICK_WORLD WINEPREFIX="$state/prefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko: the launcher needs neither, and their installers would
# ask questions in a window.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes the user's language and code page from the locale: English
# whatever the host's. A test that wants another language sets LC_ALL for
# its runs (scripts/install-deps.sh installs the locales).
export LC_ALL=C.UTF-8
unset LANGUAGE LC_MESSAGES
[ -f "$state/display" ] && export DISPLAY=":$(cat "$state/display")"

wine_() { "$TARNWICK_WINE" "$@"; }
start_xvfb() {
    [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null && return 0
    local n
    for n in $(seq 91 160); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
        echo $! >"$state/xvfb.pid"
        for _ in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && { echo "$n" >"$state/display"; export DISPLAY=":$n"; return 0; }
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
    wineserver -w
    # Without Z: a drive scan cannot wander into the host's file system.
    rm -f "$WINEPREFIX/dosdevices/z:"
    # Xvfb has no window manager: Wine draws the frames itself and does not
    # wait (2 s each time) for a manager to confirm that a window was hidden.
    wine_ reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Drive J: shows a folder of its own, where tests and the demo put the
    # JVM bridge (tools/jvm_bridge): a "network" drive no scan of the fixed
    # drives walks. Wine learns a drive's type only when wineserver starts.
    wine_ reg add 'HKLM\Software\Wine\Drives' /v j: /d network /f >/dev/null 2>&1 || return 1
    wineserver -w
    mkdir -p "$WINEPREFIX/drive_c/tarnwick/bin" "$state/bridge-drive"
    ln -sfn "$state/bridge-drive" "$WINEPREFIX/dosdevices/j:"
    # Wine's own fonts (MS Sans Serif, Tahoma, ...), which dialogs are laid
    # out for: Debian's Wine looks for them in the prefix's Fonts folder.
    ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
    touch "$ready"
}

case "$action" in
    start)
        mkdir -p "$state"
        [ "$TARNWICK_WORLD" = x64 ] && world >/dev/null || echo "harness: 64-bit Windows (WOW64)"
        start_xvfb && make_prefix
        ;;
    stop)
        wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null
        [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null
        rm -f "$state/xvfb.pid" "$state/display"
        exit 0
        ;;
    env)
        for name in WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES LC_ALL DISPLAY TARNWICK_WORLD TARNWICK_WINE \
            TARNWICK_REG_VIEW TARNWICK_SYSTEM_FOLDER WINELOADER; do
            [ -n "${!name:-}" ] && printf "export %s='%s'\n" "$name" "${!name}"
        done
        ;;
    run)
        program=$1
        shift
        if [[ "$program" == *.exe ]]; then
            cp -f "$program" "$WINEPREFIX/drive_c/tarnwick/bin/"
            # From a folder Wine can name, so children get a working folder.
            cd "$WINEPREFIX/drive_c/tarnwick/bin" &&
                exec timeout 600 "$TARNWICK_WINE" "C:\\tarnwick\\bin\\$(basename "$program")" "$@"
        fi
        export TARNWICK_WINE_HARNESS="$0" TARNWICK_WINE_STATE="$state"
        exec timeout 600 "$program" "$@"
        ;;
    *)
        echo "usage: harness.sh world|start|stop|run|env [STATE ...]" >&2
        exit 2
        ;;
esac
