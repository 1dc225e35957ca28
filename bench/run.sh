#!/usr/bin/env bash
# Builds the benchmark, generates the installations (kept between runs: a
# stamp in each tree names the generator and the preset), runs one process
# per preset pinned to one CPU together with its prefix's wineserver, and
# prints the table. The JSON lines and the table go to build*/bench/, the
# plot to bench/plot.svg.
#
#   bench/run.sh                      both presets, 0.3 s per figure
#   bench/run.sh --readme             the same, and the tables into docs/performance.md
#   TN_BENCH_PRESETS=typical bench/run.sh
#   TN_BENCH_SECONDS=1 TN_BENCH_CPU=0 bench/run.sh
#   TN_BENCH_QUERY=GetComponentProducts bench/run.sh   (only the queries named so)
#
# Unpinned, Wine's file I/O figures jump several-fold between runs: the
# benchmark and the wineserver it talks to for every file and registry
# call must share one CPU.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# Times are figures only where the build runs natively.
TN_NATIVE_ONLY=1 source scripts/wine-env.sh
presets=${TN_BENCH_PRESETS:-"typical large"}
seconds=${TN_BENCH_SECONDS:-0.3}
cpu=${TN_BENCH_CPU:-$(($(nproc) - 1))}

if [ "$TN_PRESET" = default ]; then
    cmake --preset default >/dev/null
else
    cmake --preset x64 >/dev/null
fi
cmake --build --preset "$TN_PRESET" --target tn_bench TNInstall Vaultcore >/dev/null

build=$root/${TN_BIN%/bin}
out=$build/bench
mkdir -p "$out"
export WINEPREFIX=$build/wine/bench WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
bash scripts/make-prefix.sh "$WINEPREFIX" "$TN_WINEARCH"

# The wineserver of this prefix is started by the first Wine process and
# inherits that process's CPU set; stop a running one so the next starts
# pinned, and check it once it runs.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
# The server works in a directory named after the prefix's device and inode
# (below a temporary folder whose name differs between Wine builds).
server_dir_name() {
    printf 'server-%x-%x' "0x$(stat -c '%D' "$WINEPREFIX")" "$(stat -c '%i' "$WINEPREFIX")"
}
pin_server() {
    local name pid
    name=$(server_dir_name)
    for _ in $(seq 50); do
        for p in /proc/[0-9]*; do
            if [[ "$(readlink "$p/cwd" 2>/dev/null)" == */"$name" ]]; then
                pid=${p#/proc/}
                taskset -pc "$cpu" "$pid" >/dev/null
                echo "wineserver $pid: CPUs $(taskset -pc "$pid" | sed 's/.*: //')" >&2
                return 0
            fi
        done
        sleep 0.2
    done
    echo "warning: did not find this prefix's wineserver to pin" >&2
}

cd "$root/$TN_BIN"
run_wine() { taskset -c "$cpu" "$TN_WINE_LOADER" "$@" </dev/null; }

# The build measured: the i686 one that ships where 32-bit code runs.
if [ "$TN_PRESET" = default ]; then
    build_name="i686"
else
    build_name="x86_64 ($TN_WHY, so not the i686 build that ships)"
fi
{
    printf '{"type":"machine","cpu":"%s","cpus":%s,"pinned_cpu":%s,"kernel":"%s","wine":"%s","build":"%s","date":"%s","load":"%s"}\n' \
        "$(lscpu | sed -n 's/^Model name: *//p' | head -1)" "$(nproc)" "$cpu" "$(uname -r)" \
        "$("$TN_WINE_LOADER" --version 2>/dev/null)" "$build_name" "$(date -u +%Y-%m-%dT%H:%MZ)" \
        "$(cut -d' ' -f1-3 /proc/loadavg)"
} >"$out/machine.jsonl"

status=0
for preset in $presets; do
    run_wine ./tn_bench.exe generate --preset "$preset"
    pin_server &
    pinner=$!
    echo "running $preset (pinned to CPU $cpu, $seconds s per figure)" >&2
    run_wine ./tn_bench.exe run --preset "$preset" --seconds "$seconds" --query "${TN_BENCH_QUERY:-}" \
        --out "Z:${out//\//\\}\\$preset.jsonl" || status=$?
    wait "$pinner" || true
done

cd "$root"
files=("$out/machine.jsonl")
for preset in $presets; do files+=("$out/$preset.jsonl"); done
readme=()
if [ "${1:-}" = --readme ]; then readme=(--readme docs/performance.md); fi
python3 bench/report.py "${files[@]}" --markdown "$out/table.md" --svg bench/plot.svg "${readme[@]}"
exit "$status"
