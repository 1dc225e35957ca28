#!/usr/bin/env bash
# Builds the release archive of one commit twice, one build after the other,
# from two clean clones in folders of different names and depths, under
# different time zones, umasks, locales and job counts, with no
# SOURCE_DATE_EPOCH set; then checks that the two archives and every file in
# them are identical byte for byte, that the modules carry the commit's time,
# and that no file holds the path of either folder. Prints the SHA-256 of
# both archives and of every file, and the time each step took.
#   check_reproducible.sh <source dir> [commit, default HEAD]
# Two builds take several minutes: ctest runs it only through
# `ctest --preset reproducible`, which sets TN_CHECK_REPRODUCIBLE=1.
set -u
if [ "${TN_CHECK_REPRODUCIBLE:-}" != 1 ]; then
    echo "skipped: two whole builds; run it with ctest --preset reproducible"
    exit 77
fi
source_dir=$1
commit=$(git -C "$source_dir" rev-parse --verify "${2:-HEAD}^{commit}") || exit 1
time_of_commit=$(git -C "$source_dir" log -1 --format=%ct "$commit")
[ -z "$(git -C "$source_dir" status --porcelain)" ] ||
    echo "note: changes not committed in $source_dir are not part of this check"
echo "commit $commit, time $time_of_commit"
unset SOURCE_DATE_EPOCH
work=$(mktemp -d "${TMPDIR:-/tmp}/tn-reproducible.XXXXXX")
version=$(sed -n 's/^#define TN_VERSION_\(MAJOR\|MINOR\|PATCH\) \([0-9]*\)$/\2/p' "$source_dir/include/tn_version.h" | paste -sd.)
name=TNInstall-$version-win32
source "$(dirname "$0")/check_lib.sh"

# One step, timed: step <label> <log> <command...>
step() {
    local label=$1 log=$2 start=$SECONDS
    shift 2
    if "$@" >>"$log" 2>&1; then
        echo "   $label: $((SECONDS - start)) s"
    else
        echo "FAIL: $label (see $log)"
        tail -n 20 "$log"
        fail=1
        return 1
    fi
}

# build <folder> <time zone> <umask> <locale> <jobs>
build() {
    local dir=$1 log=$work/$(basename "$1").log
    echo "build in $dir (TZ=$2, umask $3, LC_ALL=$4, $5 jobs), started $(date -u +%H:%M:%S) UTC"
    mkdir -p "$(dirname "$dir")"
    step "clone" "$log" git clone --quiet --no-checkout "$source_dir" "$dir" &&
        step "checkout" "$log" git -C "$dir" checkout --quiet --detach "$commit" &&
        (cd "$dir" && umask "$3" && export TZ=$2 LC_ALL=$4 &&
         step "configure" "$log" cmake --preset default -DTN_TEST_PREFIXES="" &&
         step "build and package" "$log" cmake --build --preset default --target package -j "$5")
}

start=$SECONDS
build "$work/one/TNInstall" UTC 022 C.UTF-8 2 || fail=1
build "$work/second-build/with/a/longer/path/src" Pacific/Chatham 077 C 1 || fail=1
echo "both builds: $((SECONDS - start)) s"
a=$work/one/TNInstall/build/$name.zip
b=$work/second-build/with/a/longer/path/src/build/$name.zip

if [ $fail = 0 ]; then
    "${TN_PYTHON:-python3}" "$source_dir/scripts/compare-kit.py" --exact "$a" "$b" | tee "$work/compare.log"
    compared=${PIPESTATUS[0]}
    check "the two archives are identical" 'cmp -s "$a" "$b"'
    check "every file in them is identical" '[ "$compared" = 0 ]'

    mkdir -p "$work/unpacked"
    (cd "$work/unpacked" && cmake -E tar xf "$a")
    leaks=$(grep -rlF -e "$work" "$work/unpacked")
    check "no file holds a build folder's path${leaks:+ (found in: $(echo $leaks))}" '[ -z "$leaks" ]'
    for m in TNInstall.dll Vaultcore.dll tninstall.exe; do
        file=$work/unpacked/$name/bin/$m
        pe=$(od -An -tu4 -j 60 -N4 "$file" | tr -d ' ')
        stamp=$(od -An -tu4 -j $((pe + 8)) -N4 "$file" | tr -d ' ')
        check "$m carries the commit's time in its PE header ($stamp)" '[ "$stamp" = "$time_of_commit" ]'
    done
fi

[ $fail = 0 ] && rm -rf "$work"
finish_checks "the builds are kept in $work"
