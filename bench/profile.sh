#!/usr/bin/env bash
# Where one query's time goes: samples the library code (linked into
# tn_bench) answering it, and names the addresses with addr2line.
#
#   bench/profile.sh typical "FindInstalledFile (TNol" [on|off|memory] [seconds]
#
# Prints the functions with the most samples of their own ("self"), those
# with the most samples anywhere below them ("inclusive"), the time spent in
# system modules (file and registry calls), and who called into them. With
# "memory" the switch is off and the query's files are served from memory,
# so that only the library's own work is sampled.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=$1 query=$2 switch=${3:-off} seconds=${4:-5}
# Times are figures only where the build runs natively.
TN_NATIVE_ONLY=1 source scripts/wine-env.sh
cmake --build --preset "$TN_PRESET" --target tn_bench TNInstall Vaultcore >/dev/null
build=$PWD/${TN_BIN%/bin}
export WINEPREFIX=$build/wine/bench WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
bash scripts/make-prefix.sh "$WINEPREFIX" "$TN_WINEARCH"
# Not pinned: the sampling thread needs a CPU of its own while the measured
# thread runs, or every sample lands where that thread waits.
cpus=0-$(($(nproc) - 1))
case "$TN_PRESET" in default) tool=i686-w64-mingw32-addr2line ;; *) tool=x86_64-w64-mingw32-addr2line ;; esac
raw=$(cd "$TN_BIN" && taskset -c "$cpus" "$TN_WINE_LOADER" ./tn_bench.exe profile --preset "$preset" \
    --query "$query" --switch "$switch" --profile-seconds "$seconds" </dev/null)
python3 - "$tool" "$build/bin/tn_bench.exe" <<PY
import collections, subprocess, sys
tool, exe = sys.argv[1], sys.argv[2]
lines = """$raw""".splitlines()
head = [l for l in lines if l.split()[0] in ("query", "calls", "samples")]
print("\n".join(head))
samples = int([l for l in lines if l.startswith("samples")][0].split()[1]) or 1
rows = [l.split() for l in lines if l.split()[0] in ("self", "incl", "caller")]
addresses = sorted({r[1] for r in rows})
names = {}
if addresses:
    out = subprocess.run([tool, "-a", "-f", "-i", "-C", "-e", exe] + ["0x" + a for a in addresses],
                         capture_output=True, text=True).stdout.splitlines()
    # Groups of: the address, then function and place per inlining level,
    # innermost first; the outermost function is the one that owns the code.
    current = None
    for line in out:
        if line.startswith("0x"):
            current = line[2:].lstrip("0")
            continue
        if current is not None and not (":" in line and ("/" in line or line.startswith("??"))):
            names[current] = line
for kind, title in (("self", "self"), ("incl", "inclusive"), ("caller", "calls into system modules from")):
    totals = collections.Counter()
    for r in rows:
        if r[0] == kind:
            totals[names.get(r[1].lstrip("0"), r[1])] += int(r[2])
    print(f"\n{title}:")
    for name, count in totals.most_common(25):
        print(f"{100.0 * count / samples:6.1f}%  {name[:150]}")
print("\nsystem functions called:")
for l in sorted((l for l in lines if l.startswith("entry ")), key=lambda l: -int(l.split()[2]))[:15]:
    _, name, count = l.split()
    print(f"{100.0 * int(count) / samples:6.1f}%  {name}")
print("\nsystem modules:")
for l in lines:
    if l.startswith("module "):
        _, name, count = l.split()
        print(f"{100.0 * int(count) / samples:6.1f}%  {name}")
PY
