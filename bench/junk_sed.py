#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes a sed -E script with the same expressions as `morvane-cli clean --junk
--trailing-space --indent fullwidth` (data/junk-lines.txt, blanks at either end of a line
aside, a CR before the LF kept), for the side-by-side benchmark in bench/clean_lines.sh."""
import re
import sys

BLANK = "[ \t\u3000]"


def main():
    rules, out = sys.argv[1], sys.argv[2]
    lines = []
    for raw in open(rules, encoding="utf-8"):
        rule = raw.rstrip("\r\n").strip(" \t\u3000")
        if not rule or rule.startswith("#"):
            continue
        expr = rule[3:] if rule.startswith("re:") else re.escape(rule)
        expr = expr.replace("/", "\\/")
        lines.append(f"/^{BLANK}*({expr}){BLANK}*\r?$/d")
    lines.append(f"s/{BLANK}+(\r?)$/\\1/")
    lines.append(f"/^{BLANK}*\r?$/!s/^{BLANK}*/\u3000\u3000/")
    with open(out, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
