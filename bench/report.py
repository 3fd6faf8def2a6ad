#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes bench/RESULTS.md from the tables that bench/run.sh collected.

Everything above the line "<!-- notes -->" is rewritten on each run; the notes written by
hand below it (what bounds each figure, profiles, open points) are kept. With --update, a run
of some operations, sizes or file systems (run.sh --only/--sizes/--fs) rewrites only the rows
it measured: every other row of the earlier results stays as it was, and a line under the
title says which rows are newer and from which build.
"""
import argparse
import json
import os
import platform
import statistics
import subprocess
from collections import defaultdict

MARK = "<!-- notes -->"

PEERS = {
    "cut-ascii": "split -b 200K (ASCII novel)",
    "cut-gbk": "split -b 200K (GBK novel)",
    "cut-utf8": "split -b 200K (UTF-8 novel)",
    "detect-gbk": "cat FILE > /dev/null (GBK novel)",
    "detect-utf8": "cat FILE > /dev/null (UTF-8 novel)",
    "chapters": "csplit on the heading lines (LC_ALL=C)",
    "chapters-utf8": "csplit on the heading lines (UTF-8 novel, LC_ALL=C)",
    "merge": "cat A B C > OUT",
    "clean": "tr -d ' ' | sed -z 's/\\r\\n//g'",
    "clean-vs-perl": "tr -d ' ' | perl -pe 's/\\r\\n\\z//'",
}
OURS = {
    "cut-ascii": "morvane-cli cut --kb 200",
    "cut-gbk": "morvane-cli cut --kb 200",
    "cut-utf8": "morvane-cli cut --kb 200",
    "detect-gbk": "morvane-cli detect",
    "detect-utf8": "morvane-cli detect",
    "chapters": "morvane-cli chapters",
    "chapters-utf8": "morvane-cli chapters",
    "merge": "morvane-cli merge (3 files)",
    "clean": "morvane-cli clean --spaces --line-breaks",
    "clean-vs-perl": "morvane-cli clean --spaces --line-breaks",
    "read-cat": "cat FILE > /dev/null",
    "write-cp": "cp FILE OUT",
    "write-dd": "dd if=FILE of=OUT bs=1M",
}
# Targets (ratio of medians) on every file system and size, unless limited below.
TARGETS = {"cut-gbk": 0.9, "merge": 1.0, "clean": 0.8, "chapters": 0.55, "cut-utf8": 1.0,
           "chapters-utf8": 0.8}
# Where a target holds: sizes and file systems (None: all).
TARGET_SIZES = {"cut-utf8": ("1G",), "chapters-utf8": ("1G",)}
TARGET_FS = {"chapters": ("ext4", "tmpfs")}
RSS_TARGET = {"cut-gbk": 1.3, "cut-ascii": 1.3, "chapters": 1.3, "merge": 1.3}
ORDER = ["cut-ascii", "cut-gbk", "cut-utf8", "detect-gbk", "detect-utf8", "chapters",
         "chapters-utf8", "merge", "clean", "clean-vs-perl", "read-cat", "write-cp", "write-dd"]
FS_ORDER = {"ext4": 0, "tmpfs": 1, "xfs": 2}


def split_size(size):
    """"1G/tmpfs" -> ("1G", "tmpfs"); a merge's "3x341M/xfs" -> ("3x341M", "xfs")."""
    base, _, fs = size.partition("/")
    return base, fs


def size_rank(size):
    base, fs = split_size(size)
    whole = base.split("x")[-1]
    mib = float(whole[:-1]) * {"K": 1 / 1024, "M": 1, "G": 1024}.get(whole[-1], 1) \
        if whole[-1] in "KMG" else 0
    return (FS_ORDER.get(fs, 9), -mib)


def target_of(bench, size):
    base, fs = split_size(size)
    if bench not in TARGETS:
        return None
    whole = base.split("x")[-1]
    if bench == "merge":
        whole = {"85M": "256M", "341M": "1G"}.get(whole, whole)
    if whole not in ("256M", "1G"):
        return None
    if bench in TARGET_SIZES and whole not in TARGET_SIZES[bench]:
        return None
    if bench in TARGET_FS and fs not in TARGET_FS[bench]:
        return None
    return TARGETS[bench]


def sh(cmd):
    try:
        return subprocess.run(cmd, shell=True, capture_output=True, text=True,
                              timeout=20).stdout.strip()
    except Exception:
        return ""


def machine_facts(cli):
    mem = sh("awk '/MemTotal/ {printf \"%.1f GiB\", $2/1048576}' /proc/meminfo")
    here = os.path.dirname(os.path.abspath(__file__))
    fs = sh("findmnt -n -o FSTYPE,OPTIONS -T %s" % here)
    rows = [
        ("CPU", sh("grep -m1 'model name' /proc/cpuinfo | cut -d: -f2").strip()),
        ("cores (nproc)", sh("nproc")),
        ("memory", mem),
        ("kernel", platform.release()),
        ("file system of bench/", " ".join(fs.split())),
        ("dirty page limits", sh("echo ratio $(cat /proc/sys/vm/dirty_ratio)%, background "
                                 "$(cat /proc/sys/vm/dirty_background_ratio)%")),
        ("compiler", sh("c++ --version | head -1")),
        ("hyperfine", sh("hyperfine --version")),
        ("coreutils", sh("split --version | head -1")),
        ("sed", sh("sed --version | head -1")),
        ("perl", sh("perl -e 'print $^V'")),
        ("morvane-cli", "%s (commit %s)" % (cli, sh("git -C %s rev-parse --short HEAD" % here))),
    ]
    return rows


def fmt(x):
    return "%.3f" % x if x is not None else "-"


def ratio(a, b):
    return a / b if a and b else None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--work", required=True)
    ap.add_argument("--cli", default="")
    ap.add_argument("--rounds", default="")
    ap.add_argument("--out", required=True)
    ap.add_argument("--update", action="store_true",
                    help="replace only the rows this run measured in the earlier results")
    args = ap.parse_args()

    times = defaultdict(lambda: defaultdict(list))       # (bench,size) -> side -> [s]
    rounds = defaultdict(lambda: defaultdict(dict))      # (bench,size) -> round -> side -> s
    users = defaultdict(lambda: defaultdict(list))
    with open(os.path.join(args.work, "times.tsv")) as f:
        for line in f:
            bench, size, side, rnd, sec, user, system = line.rstrip("\n").split("\t")
            times[(bench, size)][side].append(float(sec))
            users[(bench, size)][side].append((float(user), float(system)))
            rounds[(bench, size)][rnd][side] = float(sec)
    rss = defaultdict(dict)
    with open(os.path.join(args.work, "rss.tsv")) as f:
        for line in f:
            bench, size, side, kb, nbytes = line.rstrip("\n").split("\t")
            rss[(bench, size)][side] = (int(kb) * 1024, int(nbytes))
    checks = []
    with open(os.path.join(args.work, "checks.tsv")) as f:
        for line in f:
            checks.append(line.rstrip("\n").split("\t", 2))

    loads = defaultdict(list)
    path = os.path.join(args.work, "loads.tsv")
    if os.path.exists(path):
        with open(path) as f:
            for line in f:
                bench, size, _, load = line.rstrip("\n").split("\t")
                loads[(bench, size)].append(float(load))
    filesystems = []
    path = os.path.join(args.work, "filesystems.tsv")
    if os.path.exists(path):
        with open(path) as f:
            filesystems = [line.rstrip("\n").split("\t", 1) for line in f if "\t" in line]

    keys = sorted(set(times) | set(rss),
                  key=lambda k: (size_rank(k[1]),
                                 ORDER.index(k[0]) if k[0] in ORDER else 99))
    limits = {}
    for (bench, size), sides in times.items():
        if bench.startswith(("read-", "write-")) and sides.get("ours"):
            limits[(bench, size)] = statistics.median(sides["ours"])

    out = []
    out.append("# Benchmark results\n")
    out.append("Written by `bench/run.sh` on %s; %s timed rounds per command, ours and the peer "
               "alternating within each round (hyperfine, one run per command per round, after "
               "one untimed warm-up run each); every run writes into a folder no other run used. "
               "Page cache warm: the inputs are read once before timing. Times in seconds. "
               "Ratios are ours / peer from this one run: of the medians, of the minimums, and "
               "the median of the per-round ratios.\n"
               % (sh("date -u '+%Y-%m-%d %H:%M UTC'"), args.rounds))
    out.append("## Machine\n")
    out.append("| | |\n|---|---|")
    for k, v in machine_facts(args.cli):
        out.append("| %s | %s |" % (k, v.replace("|", "/")))
    out.append("")
    out.append("## Data\n")
    out.append("Generated by `bench/gen_novel.py` (seed 1; the merge's second and third file seeds 2 "
               "and 3): GBK novels with headings \"第N章 title\" + CR LF, paragraphs of common "
               "GB2312 hanzi with full-width punctuation, indented with full-width spaces (3% with "
               "a tab), a few half-width spaces; 3-17 KiB per chapter; ASCII novels of the same "
               "shape in English words. Sizes are exact (256M = 268 435 456 bytes, 1G = "
               "1 073 741 824 bytes).\n")

    if filesystems:
        out.append("## File systems\n")
        out.append("Inputs and outputs of each comparison on the same file system.\n")
        out.append("| label | what |\n|---|---|")
        for label, what in filesystems:
            out.append("| %s | %s |" % (label, what.replace("|", "/")))
        out.append("")
    out.append("## Times\n")
    out.append("`size` is the input's size and the file system of inputs and outputs; `load` the "
               "1-minute load average after each round (2 cores: above 1 the machine was shared).\n")
    out.append("| size | operation | peer | ours min | ours median | peer min | peer median | "
               "ratio (medians) | ratio (mins) | ratio (per round) | x cp | target | | load |")
    out.append("|---|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|---|")
    verdicts = []
    for key in keys:
        bench, size = key
        if bench not in OURS or bench.startswith(("read-", "write-")):
            continue
        sides = times.get(key, {})
        o = sides.get("ours", [])
        p = sides.get("peer", [])
        om = statistics.median(o) if o else None
        pm = statistics.median(p) if p else None
        per_round = [r["ours"] / r["peer"] for r in rounds[key].values()
                     if "ours" in r and "peer" in r and r["peer"] > 0]
        rmed = ratio(om, pm)
        cp = limits.get(("write-cp", size))
        if cp is not None and cp < 0.01:
            cp = None  # a copy that shares blocks (XFS reflink) is no limit of writing
        target = target_of(bench, size)
        verdict = ""
        if target and rmed:
            verdict = "met" if rmed <= target else "missed"
            verdicts.append((bench, size, rmed, target, verdict))
        out.append("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |" % (
            size, OURS[bench], "`%s`" % PEERS.get(bench, "").replace("|", "\\|"),
            fmt(min(o) if o else None), fmt(om),
            fmt(min(p) if p else None), fmt(pm), fmt(rmed),
            fmt(ratio(min(o) if o else None, min(p) if p else None)),
            fmt(statistics.median(per_round) if per_round else None),
            fmt(ratio(om, cp)) if bench != "merge" and cp else "-",
            "<= %.2f" % target if target else "", verdict,
            "%.1f-%.1f" % (min(loads[key]), max(loads[key])) if loads.get(key) else ""))
    out.append("")
    out.append("The limits of the machine (the same inputs; `x cp` above divides our median by "
               "the median of `cp` on the input of the same size):\n")
    out.append("| size | command | min | median | user | sys |")
    out.append("|---|---|---:|---:|---:|---:|")
    for key in keys:
        bench, size = key
        if not bench.startswith(("read-", "write-")):
            continue
        o = times[key].get("ours", [])
        us = users[key].get("ours", [])
        if not o:
            continue
        out.append("| %s | %s | %s | %s | %s | %s |" % (
            size, OURS.get(bench, bench), fmt(min(o)), fmt(statistics.median(o)),
            fmt(statistics.median(u for u, _ in us)), fmt(statistics.median(s for _, s in us))))
    out.append("")

    out.append("## CPU time (medians: user + sys seconds)\n")
    out.append("| size | operation | ours user | ours sys | peer user | peer sys |")
    out.append("|---|---|---:|---:|---:|---:|")
    for key in keys:
        bench, size = key
        if bench.startswith(("read-", "write-")) or key not in users:
            continue
        u = users[key]
        def med(side, i):
            vals = [t[i] for t in u.get(side, [])]
            return fmt(statistics.median(vals)) if vals else "-"
        out.append("| %s | %s | %s | %s | %s | %s |" % (size, bench, med("ours", 0), med("ours", 1),
                                                        med("peer", 0), med("peer", 1)))
    out.append("")

    out.append("## Peak memory (max RSS, `/usr/bin/time -v`, one run each)\n")
    out.append("| size | operation | input MiB | ours MiB | ours / input | peer MiB | target | |")
    out.append("|---|---|---:|---:|---:|---:|---:|---|")
    for key in keys:
        bench, size = key
        r = rss.get(key)
        if not r or bench.startswith(("read-", "write-")):
            continue
        ob, nbytes = r.get("ours", (0, 0))
        pb = r.get("peer", (0, 0))[0]
        share = ob / nbytes if nbytes else None
        target = RSS_TARGET.get(bench) if split_size(size)[0] in ("1G", "3x341M") else None
        verdict = ""
        if target and share is not None:
            verdict = "met" if share <= target else "missed"
            verdicts.append((bench + " RSS", size, share, target, verdict))
        out.append("| %s | %s | %.0f | %.0f | %s | %.0f | %s | %s |" % (
            size, bench, nbytes / 2**20, ob / 2**20, fmt(share), pb / 2**20,
            "<= %.1f x input" % target if target else "", verdict))
    out.append("")

    out.append("## Output checks (the warm-up run of each pair)\n")
    for bench, size, text in checks:
        out.append("- %s, %s: %s" % (bench, size, text))
    out.append("")

    desktop = os.path.join(args.work, "desktop.json")
    if os.path.exists(desktop):
        out.append("## Desktop (offscreen Qt, Google Benchmark, 5 repetitions)\n")
        try:
            doc = json.load(open(desktop))
            out.append("| benchmark | statistic | wall ms | CPU ms |")
            out.append("|---|---|---:|---:|")
            for b in doc.get("benchmarks", []):
                if b.get("aggregate_name") not in ("mean", "median", "min", None):
                    continue
                scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
                out.append("| %s | %s | %.2f | %.2f |" % (
                    b.get("run_name", b["name"]), b.get("aggregate_name", "run"),
                    b["real_time"] * scale, b["cpu_time"] * scale))
        except (ValueError, KeyError) as e:
            out.append("(could not read the desktop figures: %s)" % e)
        out.append("")

    responsiveness = os.path.join(args.work, "responsiveness.md")
    if os.path.exists(responsiveness):
        out.append("## Desktop responsiveness during long work (offscreen Qt, 1 GiB)\n")
        out.append(open(responsiveness, encoding="utf-8").read())
        out.append("")

    out.append("## Targets\n")
    for bench, size, value, target, verdict in verdicts:
        out.append("- %s on %s: %.3f against <= %.2f: **%s**" % (bench, size, value, target, verdict))
    out.append("")

    notes = ""
    if os.path.exists(args.out):
        old = open(args.out, encoding="utf-8").read()
        if MARK in old:
            notes = old[old.index(MARK):]
    if not notes:
        notes = MARK + "\n\n## Notes\n\n(what bounds each figure, profiles and open points go here)\n"
    text = "\n".join(out) + "\n"
    if args.update and os.path.exists(args.out):
        old = open(args.out, encoding="utf-8").read()
        old = old[:old.index(MARK)] if MARK in old else old
        updated = sorted(set("%s %s" % (size, bench) for bench, size in keys))
        text = merged_results(old, text, "Rows of this run (%s) rewritten on %s with %s." % (
            ", ".join(updated), sh("date -u '+%Y-%m-%d %H:%M UTC'"),
            dict(machine_facts(args.cli)).get("morvane-cli", "morvane-cli")))
    with open(args.out, "w", encoding="utf-8") as f:
        f.write(text + notes)


# The rows of a table or list are known by their first cells (size, operation and peer) or
# by the words before the colon of a list item.
KEY_CELLS = {"| size | operation | peer |": 3, "| label | what |": 1}


def row_key(header, line):
    if line.startswith("| ") and not header.startswith(LISTS):
        cells = [c.strip() for c in line.strip("|").split(" | ")]
        n = next((v for k, v in KEY_CELLS.items() if header.startswith(k)), 2)
        return tuple(cells[:n])
    if line.startswith("- "):
        return line.split(":", 1)[0]
    return None


LISTS = ("## Output checks", "## Targets")


def sections(text):
    """The blocks of a results file: (header, rows). A table's header is its line of column
    names and its rows the lines after it; a list's header is its heading and its rows every
    line up to the next heading; any other line is a block of its own, header None."""
    blocks = []
    previous = ""
    for line in text.split("\n"):
        if line.startswith("## "):
            blocks.append([line, []] if line.startswith(LISTS) else [None, [line]])
        elif blocks and blocks[-1][0] and blocks[-1][0].startswith(LISTS):
            blocks[-1][1].append(line)
        elif line.startswith("|") and previous.startswith("|") and blocks[-1][0]:
            blocks[-1][1].append(line)
        elif line.startswith("| ") and not previous.startswith("|"):
            blocks.append([line, []])
        else:
            blocks.append([None, [line]])
        previous = line
    return blocks


def merged_results(old, new, note):
    """The earlier results with the rows of the new ones in place of theirs, and new rows
    after the last earlier row of the same size (or at the end of their table or list).
    Tables other than those of sizes and file systems (the machine's) stay as they were."""
    fresh = {}
    for header, rows in sections(new):
        if header:
            fresh.setdefault(header, []).extend(rows)
    out = []
    noted = False
    measured = set(note[note.index("(") + 1:note.index(")")].split(", "))
    for header, rows in sections(old):
        if header is None:
            # An earlier note of rows that this run measured again has had its day.
            if rows and rows[0].startswith("Rows of this run ("):
                earlier = rows[0][rows[0].index("(") + 1:rows[0].index(")")].split(", ")
                if set(earlier) <= measured:
                    if out and out[-1] == "":
                        out.pop()
                    continue
            out.extend(rows)
            if not noted and rows and rows[0].startswith("# "):
                out.extend(["", note])
                noted = True
            continue
        out.append(header)
        mergeable = header.startswith(("| size |", "| label |") + LISTS)
        replacing = {} if not mergeable else {
            row_key(header, r): r for r in fresh.get(header, [])
            if row_key(header, r) is not None and not r.startswith("|--")}
        kept = []
        for r in rows:
            k = row_key(header, r)
            kept.append(replacing.pop(k) if k in replacing else r)
        for k, r in replacing.items():
            size = k[0] if isinstance(k, tuple) else None
            same = [i for i, x in enumerate(kept)
                    if size and row_key(header, x) and row_key(header, x)[:1] == (size,)]
            items = [i for i, x in enumerate(kept) if x.startswith(("|", "- "))]
            at = max(same) if same else (max(items) if items else len(kept) - 1)
            kept.insert(at + 1, r)
        out.extend(kept)
    return "\n".join(out)


if __name__ == "__main__":
    main()
