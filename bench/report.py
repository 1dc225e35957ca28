#!/usr/bin/env python3
"""Makes the benchmark's tables and plot from tn_bench's JSON lines.

    report.py machine.jsonl typical.jsonl large.jsonl [--markdown FILE] [--svg FILE]

Prints the tables (Markdown) and checks the targets: switch off, DLL/raw
at most 1.5 for every query; the library's own work on its files held in
memory at most 2.0 times one pass over the same bytes; DLL/profile at most
0.5 for the queries that read several description files; cost growing with
the bytes read from typical to large; no wrong answer.
"""
import argparse
import json
import math
import sys

RAW_TARGET = 1.5
MEMORY_TARGET = 2.0
PROFILE_TARGET = 0.5
STORE_SHARE_TARGET = 0.10


def load(paths):
    machine, meta, figures, counts, answers = None, {}, {}, {}, {}
    for path in paths:
        with open(path, encoding="utf-8") as f:
            for line in f:
                line = line.strip()
                if not line:
                    continue
                rec = json.loads(line)
                kind = rec["type"]
                if kind == "machine":
                    machine = rec
                elif kind == "meta":
                    meta[rec["preset"]] = rec
                elif kind == "figure":
                    figures[(rec["preset"], rec["query"], rec["switch"], rec["method"])] = rec
                elif kind == "counts":
                    counts[(rec["preset"], rec["query"], rec["switch"])] = rec
                elif kind == "answers":
                    answers[(rec["preset"], rec["query"], rec["switch"])] = rec
    return machine, meta, figures, counts, answers


def fmt_us(value):
    if value >= 10000:
        return f"{value / 1000:.1f} ms"
    if value >= 1000:
        return f"{value / 1000:.2f} ms"
    return f"{value:.0f} µs" if value >= 100 else f"{value:.1f} µs"


def fmt_bytes(value):
    if value >= 1 << 20:
        return f"{value / (1 << 20):.1f} MiB"
    if value >= 1 << 10:
        return f"{value / (1 << 10):.0f} KiB"
    return f"{value} B"


def rows_in_order(counts, presets):
    seen, order = set(), []
    for preset in presets:
        for (p, query, switch) in counts:
            if p == preset and (query, switch) not in seen:
                seen.add((query, switch))
                order.append((query, switch))
    return sorted(order, key=lambda r: (r[1] == "on", order.index(r)))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("inputs", nargs="+")
    ap.add_argument("--markdown")
    ap.add_argument("--svg")
    ap.add_argument("--readme", help="replace the text between the benchmark markers of this file")
    args = ap.parse_args()

    machine, meta, figures, counts, answers = load(args.inputs)
    presets = [p for p in ("smoke", "typical", "large") if p in meta]
    rows = rows_in_order(counts, presets)
    out = []
    failures = []

    if machine:
        out.append(f"Measured on {machine['cpu']} ({machine['cpus']} CPUs, benchmark and wineserver "
                   f"pinned to CPU {machine['pinned_cpu']}), Linux {machine['kernel']}, "
                   f"{machine['wine']}, {machine['build']} build, {machine['date']}, "
                   f"load average {machine['load']} at the start.")
        out.append("")
    for preset in presets:
        m = meta[preset]
        out.append(f"- **{preset}**: {m['components']} components x {m['files_per_component']} files, "
                   f"{m['products']} products, {m['map_entries']} file-map entries; "
                   f"{fmt_bytes(m['tree_bytes'])} of description files, largest component file "
                   f"{fmt_bytes(m['largest_component_file'])}, largest product file "
                   f"{fmt_bytes(m['largest_product_file'])}.")
    out.append("")

    def fig(preset, query, switch, method):
        rec = figures.get((preset, query, switch, method))
        return rec["median_us"] if rec else None

    out.append("| query | switch | preset | DLL | raw floor | profile API | DLL/raw | DLL/profile | wrong |")
    out.append("|---|---|---|---:|---:|---:|---:|---:|---:|")
    for query, switch in rows:
        for preset in presets:
            if (preset, query, switch) not in counts:
                continue
            dll, raw, prof = (fig(preset, query, switch, m) for m in ("dll", "raw", "profile"))
            if dll is None:
                continue
            multi = counts[(preset, query, switch)]["multi_file"]
            a = answers.get((preset, query, switch), {})
            wrong = a.get("dll_wrong", 0) + a.get("linked_wrong", 0)
            r_raw = dll / raw if raw else float("nan")
            r_prof = dll / prof if prof else float("nan")
            mark_raw = mark_prof = ""
            if switch == "off" and r_raw > RAW_TARGET:
                mark_raw = " ✗"
                failures.append(f"{query} ({preset}): DLL/raw {r_raw:.2f} > {RAW_TARGET}")
            if multi and switch == "off" and r_prof > PROFILE_TARGET:
                mark_prof = " ✗"
                failures.append(f"{query} ({preset}): DLL/profile {r_prof:.2f} > {PROFILE_TARGET}")
            if wrong:
                failures.append(f"{query} ({preset}, switch {switch}): {wrong} wrong answers")
            out.append(f"| {query} | {switch} | {preset} | {fmt_us(dll)} | {fmt_us(raw)} | {fmt_us(prof)} "
                       f"| {r_raw:.2f}{mark_raw} | {r_prof:.2f}{mark_prof} | {wrong} |")
    out.append("")

    memory_rows = [(q, p) for q, s in rows if s == "off" for p in presets
                   if fig(p, q, "off", "memory") and fig(p, q, "off", "pass")]
    if memory_rows:
        out.append("The library's own work (switch off): the export code linked into the benchmark "
                   "answering with the query's files held in memory (its file calls served from "
                   "memory), against one pass over the same bytes that finds the query's key lines.")
        out.append("")
        out.append("| query | preset | in memory | one pass | memory/pass |")
        out.append("|---|---|---:|---:|---:|")
        for query, preset in memory_rows:
            mem, one = fig(preset, query, "off", "memory"), fig(preset, query, "off", "pass")
            ratio = mem / one
            mark = ""
            if ratio > MEMORY_TARGET:
                mark = " ✗"
                failures.append(f"{query} ({preset}): in memory {ratio:.2f} x one pass > {MEMORY_TARGET}")
            out.append(f"| {query} | {preset} | {fmt_us(mem)} | {fmt_us(one)} | {ratio:.2f}{mark} |")
        out.append("")

    if "typical" in presets and "large" in presets:
        out.append("Growth from typical to large (switch off): the library's cost against the floor's "
                   "and against the bytes the query reads. A step that grows faster than the input "
                   "(quadratic list handling, section lookup, de-duplication) shows as DLL × well above "
                   "floor ×.")
        out.append("")
        out.append("| query | DLL typical → large | DLL × | floor × | bytes typical → large | bytes × | DLL × / bytes × |")
        out.append("|---|---:|---:|---:|---:|---:|---:|")
        for query, switch in rows:
            if switch != "off":
                continue
            t, l = fig("typical", query, "off", "dll"), fig("large", query, "off", "dll")
            rt, rl = fig("typical", query, "off", "raw"), fig("large", query, "off", "raw")
            ct, cl = counts.get(("typical", query, "off")), counts.get(("large", query, "off"))
            if not (t and l and rt and rl and ct and cl):
                continue
            g_cost, g_floor = l / t, rl / rt
            g_bytes = cl["floor_bytes"] / ct["floor_bytes"] if ct["floor_bytes"] else float("nan")
            if g_cost > 1.5 * max(g_floor, g_bytes):
                failures.append(f"{query}: cost grows {g_cost:.1f}x for {g_bytes:.1f}x the bytes "
                                f"({g_floor:.1f}x for the floor)")
            out.append(f"| {query} | {fmt_us(t)} → {fmt_us(l)} | {g_cost:.1f} | {g_floor:.1f} | "
                       f"{fmt_bytes(ct['floor_bytes'])} → {fmt_bytes(cl['floor_bytes'])} | {g_bytes:.1f} | "
                       f"{g_cost / g_bytes:.2f} |")
        out.append("")

    out.append("One call of the same code linked into the benchmark, counted (files and bytes: the library's / the floor's):")
    out.append("")
    out.append("| query | switch | preset | files | bytes read | allocations | peak heap | peak / largest file | "
               "store objects, opens, reads, finds | store time | store share |")
    out.append("|---|---|---|---:|---:|---:|---:|---:|---|---:|---:|")
    for query, switch in rows:
        for preset in presets:
            c = counts.get((preset, query, switch))
            if not c:
                continue
            dll = fig(preset, query, switch, "dll")
            # The store's share of the same (counted) calls it was timed in.
            share = c.get("store_share", c["store_us"] / dll if dll else 0)
            largest = c["largest_read"] or 1
            ratio = c["peak_bytes"] / largest if c["largest_read"] else float("nan")
            if switch == "on" and share > STORE_SHARE_TARGET:
                failures.append(f"{query} ({preset}, switch on): store {share:.0%} of the query")
            out.append(f"| {query} | {switch} | {preset} | {c['opens']} / {c['floor_files']} | "
                       f"{fmt_bytes(c['bytes_read'])} / {fmt_bytes(c['floor_bytes'])} | {c['allocations']} | "
                       f"{fmt_bytes(c['peak_bytes'])} | {ratio:.1f} | {c['store_objects']}, {c['store_opens']}, "
                       f"{c['store_reads']}, {c['store_finds']} | {fmt_us(c['store_us'])} | {share:.1%} |")
    out.append("")
    if failures:
        out.append("Targets missed:")
        out.extend(f"- {f}" for f in failures)
    else:
        out.append("Every target holds and every answer was right.")
    text = "\n".join(out) + "\n"
    sys.stdout.write(text)
    if args.markdown:
        with open(args.markdown, "w", encoding="utf-8") as f:
            f.write(text)
    if args.svg:
        write_svg(args.svg, rows, presets, fig)
    if args.readme:
        update_readme(args.readme, text)


BEGIN, END = "<!-- benchmark results: begin -->", "<!-- benchmark results: end -->"


def update_readme(path, text):
    """Puts the tables between the two marker lines of the file."""
    with open(path, encoding="utf-8") as f:
        content = f.read()
    start, end = content.find(BEGIN), content.find(END)
    if start < 0 or end < start:
        sys.exit(f"{path}: no benchmark markers")
    content = content[:start] + BEGIN + "\n\n" + text + "\n" + content[end:]
    with open(path, "w", encoding="utf-8") as f:
        f.write(content)


def write_svg(path, rows, presets, fig):
    """Horizontal bars on a log scale: DLL and floor per query and preset."""
    queries = [q for q, s in rows if s == "off"]
    series = []
    for preset in presets:
        series.append((preset, "dll", f"DLL, {preset}"))
        series.append((preset, "raw", f"floor, {preset}"))
    colours = {("typical", "dll"): "#1f5fa8", ("typical", "raw"): "#9cc3ea",
               ("large", "dll"): "#b8461b", ("large", "raw"): "#f2b18f",
               ("smoke", "dll"): "#3a7d44", ("smoke", "raw"): "#a9d8b0"}
    values = [fig(p, q, "off", m) for q in queries for p, m, _ in series]
    values = [v for v in values if v]
    if not values:
        return
    lo = 10 ** math.floor(math.log10(min(values)))
    hi = 10 ** math.ceil(math.log10(max(values)))
    left, width, bar, gap, top = 290, 560, 9, 12, 60
    height = top + len(queries) * (len(series) * bar + gap) + 40

    def x(v):
        return left + width * (math.log10(v) - math.log10(lo)) / (math.log10(hi) - math.log10(lo))

    svg = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{left + width + 30}" height="{height}" '
           f'font-family="sans-serif" font-size="11">',
           '<rect width="100%" height="100%" fill="white"/>',
           f'<text x="{left}" y="18" font-size="13" font-weight="bold">Time per call (median, log scale), '
           f'file-map switch off</text>']
    for i, (preset, method, label) in enumerate(series):
        lx = left + (i % 4) * 140
        ly = 30 + (i // 4) * 14
        svg.append(f'<rect x="{lx}" y="{ly}" width="10" height="9" fill="{colours[(preset, method)]}"/>')
        svg.append(f'<text x="{lx + 14}" y="{ly + 8}">{label}</text>')
    decade = lo
    while decade <= hi * 1.0001:
        xx = x(decade)
        svg.append(f'<line x1="{xx:.1f}" y1="{top - 6}" x2="{xx:.1f}" y2="{height - 30}" stroke="#ddd"/>')
        label = f"{decade:g} µs" if decade < 1000 else f"{decade / 1000:g} ms"
        svg.append(f'<text x="{xx:.1f}" y="{height - 16}" text-anchor="middle">{label}</text>')
        decade *= 10
    y = top
    for q in queries:
        svg.append(f'<text x="{left - 8}" y="{y + len(series) * bar / 2 + 4:.1f}" text-anchor="end">'
                   f'{q.replace("&", "&amp;")}</text>')
        for preset, method, _ in series:
            v = fig(preset, q, "off", method)
            if v:
                svg.append(f'<rect x="{left}" y="{y}" width="{max(1.0, x(v) - left):.1f}" height="{bar - 1}" '
                           f'fill="{colours[(preset, method)]}"><title>{q}, {preset}, {method}: '
                           f'{fmt_us(v)}</title></rect>')
            y += bar
        y += gap
    svg.append("</svg>")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(svg) + "\n")


if __name__ == "__main__":
    main()
