# Machine set-up shared by the end-to-end runner, bench/run.sh and
# scripts/demo.sh. Runs under tests/wine/harness.sh, which exports
# WINEPREFIX, TARNWICK_WINE, TARNWICK_REG_VIEW and TARNWICK_WORLD.

tw_wine() { "$TARNWICK_WINE" "$@"; }

# windows_build_dir BUILD: the Windows programs of this world (the x64 world
# runs the x86_64 build of the same sources).
windows_build_dir() { if [ "$TARNWICK_WORLD" = x64 ]; then echo "$1/windows-x64"; else echo "$1/windows"; fi; }

# reg_set_java_home KEY VALUE: the value JavaHome of HKLM\KEY in the view the
# launcher reads.
reg_set_java_home() { tw_wine reg add "HKLM\\$1" /v JavaHome /d "$2" /f "$TARNWICK_REG_VIEW" >/dev/null 2>&1; }

# reg_delete KEY: HKLM\KEY and all below it; a missing key is no error.
reg_delete() { tw_wine reg delete "HKLM\\$1" /f "$TARNWICK_REG_VIEW" >/dev/null 2>&1; return 0; }

# map_fixed_drive LETTER HOSTFOLDER: Wine takes a dosdevices link to a local
# folder for a fixed drive (GetDriveType sees it at once).
map_fixed_drive() {
    local letter=${1,,}
    [[ "$letter" =~ ^[abd-y]$ ]] || { echo "map_fixed_drive: will not map drive '$1'" >&2; return 1; }
    mkdir -p "$2" && ln -sfn "$(realpath "$2")" "$WINEPREFIX/dosdevices/$letter:"
}

unmap_drive() { [ ! -L "$WINEPREFIX/dosdevices/${1,,}:" ] || rm -f "$WINEPREFIX/dosdevices/${1,,}:"; }

# The host's real JVM through the JVM bridge (tools/jvm_bridge) as
# J:\jvm\bin\java.exe. The harness makes J: a network drive, so no drive scan
# finds it; only a search for the host JVM's own version reads its key.
JVM_BRIDGE_HOME='J:\jvm'

# host_jvm_property CLASSES_DIR NAME: what the host JVM reports for NAME.
host_jvm_property() { java -cp "$1" Verify | tr -d '\r' | awk -v k="$2 = " 'index($0, k) == 1 { print substr($0, length(k) + 1) }'; }

# criterion_version JAVA_VERSION: "17" of 17.0.15, "1.8" of 1.8.0_392 (no
# second '.', so the registry key the search reads is named by exactly it).
criterion_version() { awk -F. '{ print ($1 == "1") ? $1 "." $2 : $1 }' <<<"$1"; }

# install_jvm_bridge BRIDGE.EXE VERSION [HOST_JAVA]
install_jvm_bridge() {
    local bin="$WINEPREFIX/dosdevices/j:/jvm/bin"
    mkdir -p "$bin" && cp -f "$1" "$bin/java.exe" &&
        printf 'java=%s\n' "${3:-$(readlink -f "$(command -v java)")}" >"$bin/bridge.properties" &&
        reg_set_java_home "Software\\JavaSoft\\Java Runtime Environment\\$2" "$JVM_BRIDGE_HOME"
}

remove_jvm_bridge() { reg_delete "Software\\JavaSoft\\Java Runtime Environment\\$1"; rm -rf "$WINEPREFIX/dosdevices/j:/jvm"; }
