#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Random differential check of morvane-cli against reference.py.

Each case builds one to five small input files from a seeded random mix of
GBK text, broken byte sequences, control bytes, white space and chapter
markers, runs one morvane-cli command on them in a fresh folder, and compares
the exit status (0 or not), standard output and every file of the output
folder byte for byte with what reference.py says.  A mismatch is shrunk to a
small input and printed with everything needed to run it again.

    check_cli.py --cli build/cli/morvane-cli --seed 7 --cases 5000
    check_cli.py --cli ... --seed 7 --only 1234      # one case again, verbosely
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True   # keep the source folder clean when ctest runs it
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reference  # noqa: E402

FIRST = reference.FIRST_MARKER
SECOND = reference.SECOND_MARKER
ASCII = b"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,;:!?'\"()[]-_=+*/\\"
PREFIX_CHARS = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_.-"


# ---------------------------------------------------------------------------
# Input generation
# ---------------------------------------------------------------------------

def hanzi(rng):
    return bytes((rng.randint(0xB0, 0xF7), rng.randint(0xA1, 0xFE)))


def extension_char(rng):
    # GBK characters outside GB2312: the second byte may lie below 0x81.
    trail = rng.choice([rng.randint(0x40, 0x7E), 0x80, rng.randint(0x81, 0xFE)])
    return bytes((rng.randint(0x81, 0xFE), trail))


def filler(rng, n):
    """n bytes of text to put between two markers."""
    out = bytearray()
    while len(out) < n:
        if n - len(out) >= 2 and rng.random() < 0.6:
            out += hanzi(rng)
        else:
            out.append(rng.choice(ASCII))
    return bytes(out)


def heading(rng):
    # Span from the first marker to the second: around the 16-byte limit most
    # of the time, anywhere up to well past it otherwise.
    span = rng.choice([2, 3, 4, 6, 15, 16, 17, 18, 15, 16, 17, 18, rng.randint(2, 24)])
    return FIRST + filler(rng, span - 2) + SECOND


def straddle(rng):
    """Marker bytes that do not start on a character boundary."""
    marker = rng.choice([FIRST, SECOND])
    kind = rng.randrange(5)
    if kind == 0:      # lead byte swallowing the marker's first byte
        return bytes((rng.randint(0x81, 0xFE),)) + marker + filler(rng, rng.randint(0, 3))
    if kind == 1:      # a marker made of the tail of one character and the head of the next
        return bytes((rng.randint(0xB0, 0xF7), marker[0], marker[1], rng.randint(0xA1, 0xFE)))
    if kind == 2:      # half markers alone
        return bytes((rng.choice([0xB5, 0xDA, 0xD5, 0xC2]),))
    if kind == 3:      # adjacent markers, no gap
        return rng.choice([FIRST + SECOND + FIRST + SECOND, FIRST + FIRST + SECOND, FIRST + SECOND + SECOND])
    return b"x" + marker


TOKENS = {
    "ascii": lambda rng: bytes((rng.choice(ASCII),)),
    "word": lambda rng: bytes(rng.choice(ASCII) for _ in range(rng.randint(2, 9))),
    "hanzi": hanzi,
    "ext": extension_char,
    "anybyte": lambda rng: bytes((rng.randint(1, 255),)),
    "lonelead": lambda rng: bytes((rng.choice([0x80, 0xFF, rng.randint(0x81, 0xFE)]),)),
    "crlf": lambda rng: b"\r\n",
    "cr": lambda rng: b"\r",
    "lf": lambda rng: b"\n",
    "space": lambda rng: b" " * rng.choice([1, 1, 2, 3]),
    "tab": lambda rng: b"\t",
    "fwspace": lambda rng: b"\xa1\xa1",
    "first": lambda rng: FIRST,
    "second": lambda rng: SECOND,
    "heading": heading,
    "straddle": straddle,
    "stop": lambda rng: bytes((rng.choice([0x00, 0x1A]),)),
    "leadstop": lambda rng: bytes((rng.randint(0x80, 0xFF), rng.choice([0x00, 0x1A]))),
}

FLAVOURS = {
    "plain": {"ascii": 6, "word": 3, "hanzi": 10, "crlf": 2, "space": 1, "lf": 1},
    "hanzi": {"hanzi": 20, "ext": 2, "ascii": 1},
    "messy": {"ascii": 4, "hanzi": 6, "ext": 3, "anybyte": 4, "lonelead": 3, "crlf": 1,
              "cr": 1, "lf": 1, "space": 1, "tab": 1, "fwspace": 1, "leadstop": 0.3,
              "heading": 0.5, "straddle": 0.5},
    "white": {"ascii": 4, "hanzi": 4, "space": 4, "tab": 3, "crlf": 3, "cr": 2, "lf": 2,
              "fwspace": 2, "lonelead": 1, "ext": 1, "anybyte": 1},
    "chapters": {"ascii": 3, "hanzi": 6, "crlf": 2, "first": 2, "second": 2, "heading": 3,
                 "straddle": 2, "lonelead": 0.5, "ext": 0.5, "lf": 0.5},
    "dense": {"first": 4, "second": 4, "heading": 3, "straddle": 3, "ascii": 1, "hanzi": 1},
}


def make_text(rng, size, flavour, stops=False):
    weights = dict(FLAVOURS[flavour])
    if stops:
        weights["stop"] = 0.4
        weights["leadstop"] = weights.get("leadstop", 0) + 0.4
    names = list(weights)
    w = [weights[n] for n in names]
    out = bytearray()
    while len(out) < size:
        out += TOKENS[rng.choices(names, w)[0]](rng)
    if rng.random() < 0.7:
        del out[size:]          # an exact, often odd, size; may cut a character
    if out and rng.random() < 0.15:
        out[-1] = rng.choice([0x80, 0xFF, 0xB5, 0xD5, 0x81])   # lone lead byte last
    return bytes(out)


def text_size(rng, limit):
    return rng.choice([0, 1, 2, 3, rng.randint(0, 16), rng.randint(0, limit), rng.randint(0, limit)])


def random_prefix(rng):
    r = rng.random()
    if r < 0.05:
        return ""
    return "".join(rng.choice(PREFIX_CHARS) for _ in range(rng.randint(1, 8)))


# Names for runs with the default prefix: (folder below the input folder, file name).
DEFAULT_NAMES = [
    ("", "book.txt"), ("", "a.b.txt"), ("", "book"), ("", ".txt"), ("", "x.y.z"),
    ("in.old", "book"), ("in.old", "novel.txt"), ("", "my book.txt"), ("", "t.TXT"),
    ("", "第一卷.part.txt"), ("卷一", "中文名.txt"), ("", "章节.txt"), ("", "a..txt"),
    ("", "乗.x.txt"),     # GBK 81 5C: a second byte equal to the backslash
    ("", "a\\b.txt"),    # the backslash is an ordinary name character here
]


def make_case(rng):
    op = rng.choices(["cut-bytes", "cut-kb", "chapters", "merge", "clean"], [30, 15, 25, 12, 18])[0]
    stops = rng.random() < 0.15
    case = {"op": op}
    if op == "cut-bytes":
        size_class = rng.choice(["0", "1", "2", "3", "small", "small", "around", "big", "neg", "huge", "signed"])
        limit = 300 if size_class in ("0", "1", "2", "3", "signed") else 1500
        flavour = rng.choice(["plain", "hanzi", "hanzi", "messy", "white", "chapters"])
        data = [make_text(rng, text_size(rng, limit), flavour, stops)]
        n = len(data[0])
        size = {
            "small": lambda: str(rng.randint(4, 40)),
            "around": lambda: str(max(1, n + rng.randint(-2, 2))),
            "big": lambda: str(n * 2 + rng.randint(1, 999)),
            "neg": lambda: rng.choice(["-1", "-5", str(-rng.randint(2, 3000))]),
            "huge": lambda: rng.choice(["2147483647", "2147483646", "1000000"]),
            "signed": lambda: rng.choice(["-0", "+1", "+3", "+%d" % rng.randint(4, 40)]),
        }.get(size_class, lambda: size_class)()
        case["size"] = size
    elif op == "cut-kb":
        size = rng.choice(["1", "1", "1", "1", "2", "2", "2", "3", "0", "-1", "-0", "+1",
                           "2097151", "2097152", "abc"])
        k = max(1, int(size)) if size.lstrip("-").isdigit() and int(size) < 10 else 1
        n = rng.choice([rng.randint(0, 5000), k * 1024 * rng.randint(1, 3) + rng.randint(-3, 3)])
        flavour = rng.choice(["plain", "hanzi", "hanzi", "messy"])
        data = [make_text(rng, max(0, n), flavour, stops)]
        case["size"] = size
    elif op == "chapters":
        flavour = rng.choice(["chapters", "chapters", "dense", "messy"])
        size = rng.choice([rng.randint(0, 40), rng.randint(20, 400), rng.randint(20, 1500)])
        data = [make_text(rng, size, flavour, stops)]
    elif op == "merge":
        count = rng.randint(2, 5)
        data = [make_text(rng, text_size(rng, 300), rng.choice(list(FLAVOURS)), stops)
                for _ in range(count)]
        if rng.random() < 0.1:
            # The same file twice is written twice.
            data[1] = data[0]
            case["same_file"] = True
    else:
        flavour = rng.choice(["white", "white", "messy", "plain"])
        data = [make_text(rng, text_size(rng, 600), flavour, stops)]
        case["spaces"] = rng.random() < 0.5
        case["line_breaks"] = rng.random() < 0.5
        case["tabs"] = rng.random() < 0.5
    case["data"] = data
    if op != "clean" and rng.random() < 0.2:
        folder, name = rng.choice(DEFAULT_NAMES)
        case["default_name"] = (folder, name)
        case["prefix"] = None
    else:
        case["prefix"] = random_prefix(rng) if op != "clean" else None
    if case["prefix"] is not None and rng.random() < 0.1:
        # Files already in the output folder: those the run writes are replaced
        # whole, the others stay as they were.
        p = case["prefix"]
        names = [p + "-1.txt", p + "-0.txt", p + "-2.txt", p + "-999.txt", p + "已合并.txt", "other.txt"]
        case["stale"] = {n.encode("utf-8"): bytes(rng.randint(0, 255) for _ in range(rng.randint(0, 400)))
                         for n in rng.sample(names, rng.randint(1, 3))}
    return case


# ---------------------------------------------------------------------------
# Running one case
# ---------------------------------------------------------------------------

class Actual:
    def __init__(self, rc, stdout, stderr, files):
        self.rc = rc
        self.stdout = stdout
        self.stderr = stderr
        self.files = files


def fs_name(gbk_name):
    """The name a GBK file name has in the file system."""
    return gbk_name.decode("gbk").encode("utf-8")


def layout(case, root):
    """Input paths (str) for the case's files below root/in."""
    in_dir = os.path.join(root, "in")
    if case.get("default_name"):
        folder, name = case["default_name"]
        first = os.path.join(in_dir, folder, name) if folder else os.path.join(in_dir, name)
    else:
        first = os.path.join(in_dir, "input.txt")
    paths = [first]
    for i in range(1, len(case["data"])):
        if case.get("same_file") and i == 1:
            paths.append(first)
        else:
            paths.append(os.path.join(in_dir, "part%d.txt" % (i + 1)))
    return paths


def command_line(cli, case, paths, out_dir):
    op = case["op"]
    args = [cli]
    # The reference reads every input as GBK, as the program did before it knew other
    # encodings: the check pins the encoding instead of letting random bytes be detected.
    if op == "cut-bytes":
        args += ["cut", "--encoding", "gbk", "--bytes", case["size"]]
    elif op == "cut-kb":
        args += ["cut", "--encoding", "gbk", "--kb", case["size"]]
    elif op == "clean":
        args += ["clean", "--encoding", "gbk"]
        args += ["--spaces"] if case["spaces"] else []
        args += ["--line-breaks"] if case["line_breaks"] else []
        args += ["--tabs"] if case["tabs"] else []
        return args + [paths[0]]
    else:
        args += [op, "--encoding", "gbk"]
    prefix = case["prefix"]
    if prefix == "":
        args += ["--prefix", ""]       # "--prefix=" would take the next word as its value
    elif prefix is not None:
        args += ["--prefix=" + prefix]
    args += ["--out", out_dir]
    return args + (paths if op == "merge" else paths[:1])


def run_cli(cli, case, keep=False):
    root = tempfile.mkdtemp(prefix="morvane-diff-")
    try:
        paths = layout(case, root)
        for p, d in zip(paths, case["data"]):
            os.makedirs(os.path.dirname(p), exist_ok=True)
            with open(p, "wb") as f:
                f.write(d)
        out_dir = os.path.join(root, "out")
        os.mkdir(out_dir)
        for name, content in case.get("stale", {}).items():
            with open(os.path.join(os.fsencode(out_dir), name), "wb") as f:
                f.write(content)
        args = command_line(cli, case, paths, out_dir)
        proc = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        # The same command inside any folder holding in/ and out/, for the report.
        shown = [a.replace(root, ".") for a in args[1:]]
        files = {}
        for name in os.listdir(os.fsencode(out_dir)):
            full = os.path.join(os.fsencode(out_dir), name)
            with open(full, "rb") as f:
                files[name] = f.read()
        return Actual(proc.returncode, proc.stdout, proc.stderr, files), paths, shown
    finally:
        if not keep:
            shutil.rmtree(root, ignore_errors=True)


def expected_outcome(case, paths, banner):
    command = dict(case)
    command["paths"] = [p.encode("gbk") for p in paths]
    if case["prefix"] == "":
        # The desktop cuts with an empty prefix box; the command line takes no empty value.
        return reference.Outcome(False, b"", {})
    if case["prefix"] is not None:
        command["prefix"] = case["prefix"].encode("ascii")
    return reference.run(command, banner)


def compare(expected, actual, stale):
    """A list of differences, empty when the run matches."""
    diffs = []
    if expected.ok != (actual.rc == 0):
        diffs.append("exit status: expected %s, got %d" % ("0" if expected.ok else "non-zero", actual.rc))
    if expected.ok and expected.stdout != actual.stdout:
        diffs.append("stdout: " + first_difference(expected.stdout, actual.stdout))
    want = dict(stale)
    if expected.ok:
        want.update({fs_name(n): c for n, c in expected.files.items()})
    missing = sorted(set(want) - set(actual.files))
    extra = sorted(set(actual.files) - set(want))
    if missing:
        diffs.append("missing files: " + ", ".join(show_name(n) for n in missing))
    if extra:
        diffs.append("unexpected files: " + ", ".join(show_name(n) for n in extra))
    for name in sorted(set(want) & set(actual.files)):
        if want[name] != actual.files[name]:
            diffs.append("%s: %s" % (show_name(name), first_difference(want[name], actual.files[name])))
    return diffs


def show_name(name):
    return name.decode("utf-8", "backslashreplace")


def first_difference(want, got):
    i = 0
    while i < min(len(want), len(got)) and want[i] == got[i]:
        i += 1
    lo = max(0, i - 8)
    return ("expected %d bytes, got %d; first difference at offset %d: expected ..%s.. got ..%s.."
            % (len(want), len(got), i, want[lo:i + 16].hex(" "), got[lo:i + 16].hex(" ")))


def check(cli, case, banner):
    actual, paths, args = run_cli(cli, case)
    expected = expected_outcome(case, paths, banner)
    return compare(expected, actual, case.get("stale", {})), expected, actual, args


# ---------------------------------------------------------------------------
# Shrinking and reporting
# ---------------------------------------------------------------------------

def shrink(cli, case, banner, budget=300):
    """Smaller inputs that still mismatch (greedy chunk removal)."""
    best = case
    for index in range(len(case["data"])):
        chunk = max(1, len(best["data"][index]) // 2)
        while chunk >= 1 and budget > 0:
            start = 0
            progressed = False
            while start < len(best["data"][index]) and budget > 0:
                data = best["data"][index]
                candidate = dict(best)
                candidate["data"] = list(best["data"])
                candidate["data"][index] = data[:start] + data[start + chunk:]
                if candidate.get("same_file") and index < 2:
                    candidate["data"][1 - index] = candidate["data"][index]
                budget -= 1
                if check(cli, candidate, banner)[0]:
                    best = candidate
                    progressed = True
                else:
                    start += chunk
            if not progressed:
                chunk //= 2
    return best


def shell_quote(s):
    if s and all(c.isalnum() or c in "/._-=" for c in s):
        return s
    return "'" + s.replace("'", "'\\''") + "'"


def report(label, cli, case, banner):
    diffs, expected, actual, args = check(cli, case, banner)
    print("%s: %s" % (label, case["op"]))
    for i, d in enumerate(case["data"]):
        print("  input %d (%d bytes): %s" % (i + 1, len(d), d.hex(" ") or "(empty)"))
    paths = layout(case, ".")
    print("  reproduce:")
    print("    rm -rf in out && mkdir out")
    for name, content in case.get("stale", {}).items():
        print("    printf '%s' > %s  # already in the output folder" % (
            "".join("\\x%02x" % b for b in content), shell_quote("out/" + show_name(name))))
    for p, d in zip(paths, case["data"]):
        print("    mkdir -p %s && printf '%s' > %s" % (
            shell_quote(os.path.dirname(p)), "".join("\\x%02x" % b for b in d), shell_quote(p)))
    print("    morvane-cli " + " ".join(shell_quote(a) for a in args))
    print("  expected: exit %s, stdout %s, files %s" % (
        "0" if expected.ok else "non-zero", expected.stdout.hex(" ") or "(empty)",
        ", ".join("%s (%d bytes)" % (show_name(fs_name(n)), len(c)) for n, c in sorted(expected.files.items()))
        or "(none)" if expected.ok else "(none)"))
    print("  actual:   exit %d, stdout %s, files %s" % (
        actual.rc, actual.stdout.hex(" ") or "(empty)",
        ", ".join("%s (%d bytes)" % (show_name(n), len(c)) for n, c in sorted(actual.files.items())) or "(none)"))
    if actual.stderr:
        print("  stderr:   " + actual.stderr.decode("utf-8", "replace").strip().replace("\n", "\n            "))
    for d in diffs:
        print("  - " + d)
    sys.stdout.flush()


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--cli", required=True, help="path of morvane-cli")
    ap.add_argument("--seed", default="1")
    ap.add_argument("--cases", type=int, default=300)
    ap.add_argument("--only", type=int, help="run only this case number")
    ap.add_argument("--no-shrink", action="store_true")
    ap.add_argument("--max-failures", type=int, default=10)
    args = ap.parse_args()

    cli = os.path.abspath(args.cli)
    banner = subprocess.run([cli, "banner"], stdout=subprocess.PIPE, check=True).stdout
    if len(banner) != 202:
        print("banner is %d bytes, not 202" % len(banner))
        return 1

    indices = [args.only] if args.only is not None else range(args.cases)
    failures = 0
    ran = 0
    ops = {}
    began = time.time()
    for index in indices:
        case = make_case(random.Random("%s:%d" % (args.seed, index)))
        ops[case["op"]] = ops.get(case["op"], 0) + 1
        ran += 1
        diffs = check(cli, case, banner)[0]
        if args.only is not None and not diffs:
            report("MATCH seed %s case %d" % (args.seed, index), cli, case, banner)
        if not diffs:
            continue
        failures += 1
        label = "MISMATCH seed %s case %d (rerun: --seed %s --only %d)" % (args.seed, index, args.seed, index)
        report(label, cli, case, banner)
        if not args.no_shrink:
            report(label + ", shrunk", cli, shrink(cli, case, banner), banner)
        if failures >= args.max_failures:
            print("stopping after %d mismatches" % failures)
            break
    print("%d cases (%s), seed %s, %d mismatches, %.1f s" % (
        ran, ", ".join("%s %d" % kv for kv in sorted(ops.items())), args.seed,
        failures, time.time() - began))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
