#!/bin/bash
# Proves the test suite bites: applies each fault of mutants.txt in turn to a
# copy of the tracked tree (BUILD/mutants/src, built in BUILD/mutants/build),
# rebuilds and runs ctest. Killed: the suite failed; survived: it passed;
# invalid (not counted): the fault did not apply or build.
#   tests/mutants/run.sh BUILD [--tree GITREF] [ids...] | --check
# --tree copies another commit's files (the list comes from here); given ids
# run in that order; MUTANTS_BASELINE=0 skips the run without a fault.
set -u
here=$(cd "$(dirname "$0")" && pwd) top=$(cd "$(dirname "$0")/../.." && pwd)
# mutants.txt: blocks of "key: value" lines (see its head).
declare -A file from to
order=()
while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in
        id:*) id=${line#id: } order+=("${line#id: }") ;;
        file:*) file[$id]=${line#file: } ;;
        from:*) from[$id]=${from[$id]+${from[$id]}$'\n'}${line#from: } ;;
        to:*) value=${line#to:} to[$id]=${to[$id]+${to[$id]}$'\n'}${value# } ;;
    esac
done <"$here/mutants.txt"
occurs_once() { FROM=${from[$id]} perl -0777 -ne 'my $n = () = /\Q$ENV{FROM}\E/g; exit($n != 1)' "$1" 2>/dev/null; }
# --check: only that every fault still applies to this tree (a test does it).
if [ "${1:-}" = --check ]; then
    bad=0
    for id in "${order[@]}"; do occurs_once "$top/${file[$id]}" || { echo "mutant $id: its text is not found exactly once in ${file[$id]}"; bad=1; }; done
    echo "${#order[@]} mutants checked" && exit $bad
fi
[ $# -ge 1 ] || { echo "usage: $0 BUILD [--tree GITREF] [ids...]" >&2; exit 2; }
work=$(realpath -m "$1")/mutants ref=
shift
[ "${1:-}" = --tree ] && { ref=$2; shift 2; }
src=$work/src bld=$work/build export=$work/export log=$work/logs
rm -rf "$export" && mkdir -p "$export" "$src" "$log"
if [ -n "$ref" ]; then git -C "$top" archive "$ref" | tar -x -C "$export" || exit 1
else (cd "$top" && git ls-files -z | xargs -0 cp --parents -t "$export") || exit 1; fi
# Copied only where it differs: the build stays incremental from run to run.
(cd "$export" && find . -type f | sort) >"$work/files.new"
(cd "$src" && find . -type f | sort) | comm -13 "$work/files.new" - | (cd "$src" && xargs -r rm -f)
while read -r f; do
    cmp -s "$export/$f" "$src/$f" || { mkdir -p "$(dirname "$src/$f")" && cp "$export/$f" "$src/$f"; }
done <"$work/files.new"

build() { cmake --build "$bld" -j2 >"$log/build.txt" 2>&1 </dev/null; }
[ -f "$bld/CMakeCache.txt" ] || cmake -S "$src" -B "$bld" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug -DTARNWICK_SHIPPED_BUILD=OFF >"$log/configure.txt" 2>&1
build || { echo "mutants: the unchanged tree does not build, see $log/build.txt" >&2; exit 1; }
# A run stopped at a failure skips the fixture that ends Wine and Xvfb.
trap '"$src/tests/wine/harness.sh" stop "$bld/wine" >/dev/null 2>&1' EXIT

failed_test() { grep -E '\*\*\*(Failed|Timeout|Exception)|Not Run' "$1" | tail -1 | sed -E 's/.*#[0-9]+: ([^ ]+).*/\1/'; }
# Cheap tests first, the first failure ends the suite; unless the test passes
# when run again alone: then it failed by chance and the phase runs again.
suite() {
    local phase try name
    : >"$1"
    # Not mutants.list: a fault in the copy is meant to be there.
    for phase in "-E ^(wine|e2e|mutants)\." "-R ^wine\.unit$" "-R ^e2e\."; do
        for try in 1 2; do
            # shellcheck disable=SC2086
            (cd "$bld" && ctest -j2 --stop-on-failure $phase) >>"$1" 2>&1 </dev/null && continue 2
            name=$(failed_test "$1")
            [ $try = 1 ] && [ -n "$name" ] && (cd "$bld" && ctest -R "^$name\$") >>"$1" 2>&1 </dev/null || return 1
            echo "flaky: $name" >>"$1"
        done
    done
}
[ "${MUTANTS_BASELINE:-1}" = 0 ] || suite "$log/baseline.txt" ||
    { echo "mutants: the suite fails without a mutant: $(failed_test "$log/baseline.txt")" >&2; exit 1; }

[ $# -eq 0 ] || order=("$@")
apply() { occurs_once "$1" && FROM=${from[$id]} TO=${to[$id]} perl -0777 -i -pe 's/\Q$ENV{FROM}\E/$ENV{TO}/' "$1"; }
total=0 killed=0 invalid=0
for id in "${order[@]}"; do
    path=$src/${file[$id]:-none} test= t0=$(date +%s) result=invalid
    if ! cp "$path" "$work/original" 2>/dev/null; then test="(no such mutant or file)"
    elif ! apply "$path"; then test="(does not apply)"
    elif ! build; then test="(does not build)"; cp "$log/build.txt" "$log/$id.build.txt"
    elif suite "$log/$id.txt"; then result=survived
    else result=killed test=$(failed_test "$log/$id.txt") killed=$((killed + 1)); fi
    # A plain copy: the restored file is newer than the mutant's objects.
    [ -f "$work/original" ] && cat "$work/original" >"$path" && rm -f "$work/original"
    [ $result = invalid ] && invalid=$((invalid + 1)) || total=$((total + 1))
    printf '%-30s %-9s %-22s %4ds %s\n' "$id" $result "$test" $(($(date +%s) - t0)) \
        "$(grep '^flaky:' "$log/$id.txt" 2>/dev/null | tr '\n' ' ')"
done
build
[ $invalid -eq 0 ] || echo "mutants: $invalid invalid (not counted)"
[ $total -gt 0 ] || exit 1
echo "mutants: $killed killed of $total ($((100 * killed / total))%)"
[ $killed -eq $total ]
