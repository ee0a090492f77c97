#!/bin/bash
# A silent run with the host's real JVM, through the JVM bridge: the real
# Verify output read through the pipe and matched, the launch, and the real
# sample installer's files in the prefix.
#   real_jvm_test.sh LAUNCHER.EXE TARNPACK JAVA_CLASSES_DIR JVM_BRIDGE.EXE
set -u
. "$(dirname "$0")/lib.sh"

launcher=$1 tarnpack=$2 classes=$3 bridge=$4
CRLF=$'\r\n'
win_dir='C:\e2e\realjvm'
dir="$(drive_c)/e2e/realjvm"
rm -rf "$dir"
mkdir -p "$dir/resources"
# The vendor the launcher derives from the vendor URL: a keyword it holds,
# else the URL itself.
vendor=$(host_jvm_property "$classes" java.vendor.url)
for word in sun microsoft ibm; do [[ "$vendor" == *$word* ]] && { vendor=$word; break; }; done
version=$(criterion_version "$(host_jvm_property "$classes" java.version)")
criteria="type=jre:version=$version"

printf 'Welcome.\r\n' >"$dir/resources/readme.txt"
head -c 5000 /dev/urandom >"$dir/resources/data.bin"
"$tarnpack" archive -o "$dir/Installer.class" --class "$classes/Installer.class" \
    --section Docs "$dir/resources/readme.txt" --compressed Data "$dir/resources/data.bin" >/dev/null &&
    "$tarnpack" build -o "$dir/setup.exe" --launcher "$launcher" --archive "$dir/Installer.class" \
        --verify "$classes/Verify.class" --criteria "$criteria" >/dev/null ||
    { fail "tarnpack" "exit $?"; e2e_summary; exit 1; }

# The sample installer, given no folder, installs into user.home, which the
# bridge makes the host path of the Windows profile.
profile=$(tw_wine winepath -u "$(tw_wine cmd /c 'echo %USERPROFILE%' 2>/dev/null | tr -d '\r')" 2>/dev/null)
target="$profile/TarnwickSample"
win_temp=$(wine_temp_win)
clean() {
    remove_jvm_bridge "$version"
    rm -rf "$target"
}
clean
install_jvm_bridge "$bridge" "$version"
(cd "$dir" && timeout 180 "$TARNWICK_WINE" "$win_dir\\setup.exe" -silent -log real.log -logall) >"$dir/stdout.txt" 2>&1

size() { stat -c %s "$1"; }
image=$(size "$launcher")
o1=$((image + 43 + 2 + 15))
o2=$((o1 + $(size "$dir/Installer.class") + 2 + 12))
o3=$((o2 + $(size "$classes/Verify.class") + 2 + 18))
bin="$JVM_BRIDGE_HOME\\bin\\java.exe"
searching=$'\t'"Searching a JVM that matches the criteria "
# The vendor in the summary comes from what the real JVM printed: the
# criterion had none, and the match filled it in.
expect_log "the whole trace: the real JVM verified through the pipe, then launched" "$dir/real.log" \
"${CRLF}Reading installation executable  $win_dir\\setup.exe ${CRLF}"\
$'\t'"Exe Size ($image), Total File Size ($(size "$dir/setup.exe")) ..${CRLF}"\
$'\t'"Reading 3 Section Info...${CRLF}"\
$'\t'"Section Info: Name(Installer.class), Size($(size "$dir/Installer.class")), File Offset($o1)${CRLF}"\
$'\t'"Section Info: Name(Verify.class), Size($(size "$classes/Verify.class")), File Offset($o2)${CRLF}"\
$'\t'"Section Info: Name(vm search criteria), Size($((2 + ${#criteria}))), File Offset($o3)${CRLF}"\
"${CRLF}Extracting file  $win_temp\\Verify.class ...${CRLF}"\
"${CRLF}Extracting file  $win_temp\\Installer.class ....${CRLF}"\
"${CRLF}Extracting Search Criteria...${CRLF}"\
"${CRLF}Search summary ${CRLF}"\
"${CRLF}$searching (Vendor=, Version=$version, Type=jre) in the Registry...${CRLF}"\
$'\t'"Verifying JVM  $bin...Passed.${CRLF}"\
"$searching (Vendor=$vendor, Version=$version, Type=jre)...$bin Passed${CRLF}"\
"Found a JVM at  $bin${CRLF}"\
"${CRLF}Launching  $win_temp\\Installer.class Using JVM $bin${CRLF}"\
"${CRLF}Deleting file  $win_temp\\Verify.class...${CRLF}"\
"${CRLF}Deleting file  $win_temp\\Installer.class...${CRLF}"

for name in readme.txt data.bin; do
    if cmp -s "$dir/resources/$name" "$target/$name"; then
        pass "the real installer wrote $name into the prefix, byte for byte"; else
        fail "the real installer wrote $name into the prefix" "$(ls -l "$target" 2>&1)"; fi
done
left=$(ls -d "$(wine_temp_dir)"/jvm-bridge-* 2>/dev/null)
if [ -z "$left" ]; then pass "the bridge leaves no run folder behind"; else
    fail "the bridge leaves no run folder behind" "$left"; fi

clean
if [ ! -e "$WINEPREFIX/dosdevices/j:/jvm" ] &&
    ! tw_wine reg query "HKLM\\Software\\JavaSoft\\Java Runtime Environment\\$version" "$TARNWICK_REG_VIEW" >/dev/null 2>&1; then
    pass "the bridge and its key are gone afterwards"; else fail "the bridge and its key are gone afterwards"; fi
e2e_summary
