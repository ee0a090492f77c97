#!/bin/bash
# Proves the test suite bites: applies each fault of mutants.txt, one at a
# time, to a copy of the tracked tree, rebuilds incrementally and runs ctest.
# Killed: the suite failed. Survived: it passed. Invalid: the fault did not
# apply or did not build (not counted).
#   tests/mutants/run.sh BUILD [--tree GITREF] [ids...]
# The copy is BUILD/mutants/src, its build (and, through the harness, its Wine
# prefix) BUILD/mutants/build. --tree copies the tracked files of another
# commit, to measure an older suite; the list always comes from here. Given
# ids run in the order given. MUTANTS_BASELINE=0 skips the unmutated run.
set -u
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
[ $# -ge 1 ] || { echo "usage: $0 BUILD [--tree GITREF] [ids...]" >&2; exit 2; }
work=$(realpath -m "$1")/mutants
shift
ref=
if [ "${1:-}" = --tree ]; then ref=$2; shift 2; fi
src=$work/src bld=$work/build export=$work/export log=$work/logs
mkdir -p "$src" "$log"

# A fresh export, copied over only where it differs: unchanged files keep
# their times, so the build stays incremental from one run to the next.
rm -rf "$export" && mkdir -p "$export"
if [ -n "$ref" ]; then
    git -C "$top" archive "$ref" | tar -x -C "$export" || exit 1
else
    (cd "$top" && git ls-files -z | xargs -0 cp --parents -t "$export") || exit 1
fi
(cd "$export" && find . -type f | sort) >"$work/files.new"
(cd "$src" && find . -type f | sort) | comm -13 "$work/files.new" - | (cd "$src" && xargs -r rm -f)
while read -r f; do
    cmp -s "$export/$f" "$src/$f" || { mkdir -p "$(dirname "$src/$f")" && cp "$export/$f" "$src/$f"; }
done <"$work/files.new"

build() { cmake --build "$bld" -j2 >"$log/build.txt" 2>&1 </dev/null; }
[ -f "$bld/CMakeCache.txt" ] || cmake -S "$src" -B "$bld" -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SHIPPED_BUILD=OFF >"$log/configure.txt" 2>&1
build || { echo "mutants: the unchanged tree does not build, see $log/build.txt" >&2; exit 1; }
# A run stopped at a failure skips the fixture that ends Wine and Xvfb.
trap '"$src/tests/wine/harness.sh" stop "$bld/wine" >/dev/null 2>&1' EXIT

failed_test() {
    grep -E '\*\*\*(Failed|Timeout|Exception)|Not Run' "$1" | tail -1 | sed -E 's/.*Test +#[0-9]+: ([^ ]+).*/\1/'
}
# Cheap tests first: the native ones, the Win32 unit tests, the end-to-end
# runs. The first failure ends the suite, unless the test passes when run
# again alone: then it failed by chance (a shared machine) and the phase
# runs once more.
suite() {
    local phase try name
    : >"$1"
    for phase in "-E ^(wine|e2e)\." "-R ^wine\.unit$" "-R ^e2e\."; do
        for try in 1 2; do
            # shellcheck disable=SC2086
            (cd "$bld" && ctest -j2 --stop-on-failure $phase) >>"$1" 2>&1 </dev/null && continue 2
            name=$(failed_test "$1")
            [ $try = 1 ] && [ -n "$name" ] || return 1
            (cd "$bld" && ctest -R "^$name\$") >>"$1" 2>&1 </dev/null || return 1
            echo "flaky: $name" >>"$1"
        done
    done
}
if [ "${MUTANTS_BASELINE:-1}" = 1 ] && ! suite "$log/baseline.txt"; then
    echo "mutants: the suite fails without a mutant: $(failed_test "$log/baseline.txt")" >&2
    exit 1
fi

# mutants.txt: blocks of "key: value" lines (id, file, from, to, why). Several
# from/to lines are one text of several lines; an empty "to:" deletes.
declare -A file from to
order=()
while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in
        id:*) id=${line#id: }; order+=("$id") ;;
        file:*) file[$id]=${line#file: } ;;
        from:*) from[$id]=${from[$id]+${from[$id]}$'\n'}${line#from: } ;;
        to:*) value=${line#to:}; to[$id]=${to[$id]+${to[$id]}$'\n'}${value# } ;;
    esac
done <"$here/mutants.txt"
[ $# -eq 0 ] || order=("$@")

# apply FILE FROM TO: FROM must occur exactly once.
apply() {
    FROM=$2 TO=$3 perl -0777 -e '
        open my $in, "<", $ARGV[0] or exit 2; my $t = <$in>; close $in;
        my $n = () = $t =~ /\Q$ENV{FROM}\E/g; exit 3 if $n != 1;
        $t =~ s/\Q$ENV{FROM}\E/$ENV{TO}/; open my $out, ">", $ARGV[0] or exit 2; print $out $t;' "$1"
}
total=0 killed=0 invalid=0 started=$(date +%s)
for id in "${order[@]}"; do
    path=$src/${file[$id]:-none} test= t0=$(date +%s)
    if [ -z "${file[$id]:-}" ] || ! cp "$path" "$work/original" 2>/dev/null; then
        result=invalid test="(no such mutant or file)"
    elif ! apply "$path" "${from[$id]}" "${to[$id]}"; then
        result=invalid test="(does not apply)"
    elif ! build; then
        result=invalid test="(does not build)"; cp "$log/build.txt" "$log/$id.build.txt"
    elif suite "$log/$id.txt"; then
        result=survived
    else
        result=killed test=$(failed_test "$log/$id.txt"); killed=$((killed + 1))
    fi
    # A plain copy: the restored file is newer than the mutant's objects.
    [ -f "$work/original" ] && cat "$work/original" >"$path" && rm -f "$work/original"
    [ $result = invalid ] && invalid=$((invalid + 1)) || total=$((total + 1))
    printf '%-30s %-9s %-22s %4ds %s\n' "$id" "$result" "$test" $(($(date +%s) - t0)) \
        "$(grep '^flaky:' "$log/$id.txt" 2>/dev/null | tr '\n' ' ')"
done
build
[ $invalid -eq 0 ] || echo "mutants: $invalid invalid (not counted)"
[ $total -gt 0 ] || exit 1
echo "mutants: $killed killed of $total ($((100 * killed / total))%) in $(($(date +%s) - started))s"
