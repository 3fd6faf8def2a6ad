#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""How well each chapter rule finds the chapters of books whose chapters are known.

The generator puts 120 chapters of known text (paragraphs of the shared novella, the
novella's own headings left out) into the shapes web novels take, in GBK, UTF-8 and
UTF-16LE, and notes the byte offset where it put each chapter: where its volume line
begins when one opens it, else where its heading begins. It knows nothing of the rules.
Each rule's `chapters --list` is then held against those offsets: precision (the starts
found that are chapters), recall (the chapters found) and F1.

    chapter_truth.py [--cli build/cli/morvane-cli] [--rules near,lines,auto] [--table]
"""
import argparse
import os
import random
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
NOVELLA = os.path.join(HERE, "..", "tests", "data", "a-q-zhengzhuan.gbk.txt")
CHAPTERS = 120
DIGITS = "零一二三四五六七八九"
TITLE_HANZI = "风云雷电山河日月星辰江湖剑影刀光龙虎英雄少年归来夜雨孤城长歌故人天涯明镜秋水春花"
ADS = ["本书首发起点中文网，最新章节请到 www.example.com 阅读",
       "手机用户请浏览 m.example.com 阅读，更优质的阅读体验。",
       "（本章完）",
       "求月票！求推荐票！"]
TRAPS = ["第三天，他又来了。", "第九部队开进了城里", "第一是文章的名目", "第十二章程序繁琐，众人只得照办。",
         "第二回合他就输了", "第一节课上，先生讲了书"]


def chinese(n):
    """1..9999 in Chinese numerals: 十二, 一百零五, 一千二百三十四."""
    if n < 10:
        return DIGITS[n]
    if n < 20:
        return "十" + (DIGITS[n % 10] if n % 10 else "")
    out, zero = "", False
    for value, name in ((1000, "千"), (100, "百"), (10, "十"), (1, "")):
        digit = n // value % 10
        if digit:
            if zero and out:
                out += "零"
            out += DIGITS[digit] + name
            zero = False
        elif out:
            zero = True
    return out


def fullwidth(n):
    return "".join(chr(ord("０") + int(d)) for d in str(n))


def paragraphs():
    with open(NOVELLA, "rb") as f:
        lines = f.read().decode("gbk").splitlines()
    return [l for l in lines if l.strip() and not l.startswith("第")]


def title(rng):
    return "".join(rng.choice(TITLE_HANZI) for _ in range(rng.randint(2, 6)))


def heading(shape, n, t):
    return {
        "zhang": f"第{chinese(n)}章 {t}",
        "hui": f"第{chinese(n)}回　{t}",
        "talk": f"第{n}话 {t}",
        "fullwidth": f"第{fullwidth(n)}章　{t}",
        "digits": f"第{''.join('〇一二三四五六七八九'[int(d)] for d in str(n))}章：{t}",
        "comma": f"{n}、{t}",
        "padded": f"{n:03d} {t}",
        "bracket": f"【第{chinese(n)}章 {t}】",
        "english": f"Chapter {n} {t}",
        "named": f"第{chinese(n)}章 {t}",
        "web": f"第{n}章 {t}",
        "contents": f"第{chinese(n)}章 {t}",
        "contents-web": f"第{n}章 {t}",
        "back": f"第{n}章 {t}",
    }[shape]


SHAPES = ["zhang", "hui", "talk", "fullwidth", "digits", "comma", "padded", "bracket", "english",
          "named", "web", "contents", "contents-web", "back"]


def book(shape, seed):
    """The lines of a book and, for each chapter, the index of the line it begins at."""
    rng = random.Random(seed)
    body = paragraphs()
    lines = [f"《阿Q外传·{shape}》", "作者：佚名", "简介：一部为量度而写的书。", ""]
    starts = []
    web = shape in ("web", "contents-web", "back")
    # 楔子 before the first volume, back matter after the last chapter.
    names_first = ["楔子"] if shape in ("named", "back") else []
    names_last = ["尾声", "后记", "番外 阿Q的梦", "完本感言"] if shape in ("named", "back") else []
    titles = [title(rng) for _ in range(CHAPTERS + 1)]
    if shape.startswith("contents"):
        # A table of contents at the front: every heading (and volume), nothing between.
        lines += ["目录", ""]
        for n in range(1, CHAPTERS + 1):
            if web and n % 30 == 1:
                lines.append(f"第{chinese(n // 30 + 1)}卷 卷{chinese(n // 30 + 1)}")
            lines.append(heading(shape, n, titles[n]))
            if shape == "contents":
                lines.append("")
        lines.append("")
    for name in names_first:
        starts.append(len(lines))
        lines += [name] + [rng.choice(body) for _ in range(rng.randint(3, 8))]
    for n in range(1, CHAPTERS + 1):
        t = titles[n]
        starts.append(len(lines))
        if web and n % 30 == 1:
            lines += [f"第{chinese(n // 30 + 1)}卷 卷{chinese(n // 30 + 1)}", ""]
        h = heading(shape, n, t)
        lines.append(h)
        if web:
            lines += ["", h if n % 2 else t, ""]
        for _ in range(rng.randint(3, 12)):
            lines.append(rng.choice(body))
            if web and rng.random() < 0.15:
                lines.append(rng.choice(TRAPS))
            if web and rng.random() < 0.1:
                lines.append(rng.choice(ADS[:2] + ADS[3:]))
            if web and rng.random() < 0.3:
                lines.append("")
        if web:
            lines += ["", "（本章完）", rng.choice(ADS), ""]
    for name in names_last:
        starts.append(len(lines))
        lines += [name] + [rng.choice(body) for _ in range(rng.randint(3, 8))]
    return lines, starts


ENCODINGS = {"gbk": ("gbk", "\r\n"), "utf-8": ("utf-8", "\n"), "utf-16le": ("utf-16-le", "\r\n")}


def encoded(lines, starts, encoding):
    codec, eol = ENCODINGS[encoding]
    offsets, data, at = [], [], 0
    wanted = set(starts)
    for i, line in enumerate(lines):
        if i in wanted:
            offsets.append(at)
        piece = (line + eol).encode(codec)
        data.append(piece)
        at += len(piece)
    return b"".join(data), offsets


def found(cli, path, rule, encoding):
    out = subprocess.run([cli, "chapters", "--list", "--rule", rule, "--encoding", encoding, path],
                         check=True, capture_output=True).stdout.decode("utf-8")
    return [int(line.split("\t")[1]) for line in out.splitlines() if line]


def scores(found_offsets, truth):
    hits = len(set(found_offsets) & set(truth))
    precision = hits / len(found_offsets) if found_offsets else 0.0
    recall = hits / len(truth)
    f1 = 2 * precision * recall / (precision + recall) if hits else 0.0
    return precision, recall, f1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", default=os.path.join(HERE, "..", "build", "cli", "morvane-cli"))
    parser.add_argument("--rules", default="near,lines,auto")
    parser.add_argument("--table", action="store_true", help="a Markdown table of F1")
    args = parser.parse_args()
    rules = args.rules.split(",")
    worst = {rule: 1.0 for rule in rules}
    rows = []
    with tempfile.TemporaryDirectory() as folder:
        for k, shape in enumerate(SHAPES):
            lines, starts = book(shape, seed=k + 1)
            for encoding in ENCODINGS:
                data, truth = encoded(lines, starts, encoding)
                path = os.path.join(folder, f"{shape}-{encoding}.txt")
                with open(path, "wb") as f:
                    f.write(data)
                row = [shape, encoding]
                for rule in rules:
                    p, r, f1 = scores(found(args.cli, path, rule, encoding), truth)
                    worst[rule] = min(worst[rule], f1)
                    row.append((p, r, f1))
                rows.append(row)
    if args.table:
        print("| shape | encoding | " + " | ".join(f"{r} P / R / F1" for r in rules) + " |")
        print("|---|---|" + "---:|" * len(rules))
        for row in rows:
            print(f"| {row[0]} | {row[1]} | " +
                  " | ".join(f"{p:.2f} / {r:.2f} / {f:.3f}" for p, r, f in row[2:]) + " |")
    else:
        for row in rows:
            print(f"{row[0]:10} {row[1]:9} " +
                  "  ".join(f"{rule}: P {p:.2f} R {r:.2f} F1 {f:.3f}"
                            for rule, (p, r, f) in zip(rules, row[2:])))
    print("worst F1: " + ", ".join(f"{rule} {worst[rule]:.3f}" for rule in rules))
    return 0 if "auto" not in worst or worst["auto"] >= 0.99 else 1


if __name__ == "__main__":
    sys.exit(main())
