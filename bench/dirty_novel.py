#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Adds what downloads leave in a novel to a generated UTF-8 one, for the cleaning benchmark.

Each heading is repeated on the next line; after every 25th paragraph comes a site line (one
of a few, cycling), after every 40th a run of three blank lines, and every 7th paragraph
ends with blanks. Lines keep their CR LF or LF. Deterministic, so both sides of a comparison
clean the same text.
"""
import sys

ADS = [
    "请记住本站域名：www.example.com",
    "天才一秒记住本站地址：example.com",
    "手机用户请浏览m.example.com阅读，更优质的阅读体验。",
    "https://www.example.com/book/1024.html",
    "求推荐票！求月票！",
]


def main():
    src, dst = sys.argv[1], sys.argv[2]
    paragraphs = 0
    with open(src, "rb") as fin, open(dst, "wb") as fout:
        for raw in fin:
            line = raw.decode("utf-8", "surrogateescape")
            body = line.rstrip("\r\n")
            end = line[len(body):]
            fout.write(raw)
            if body.startswith("第") and len(body) < 40 and "章" in body[:12]:
                fout.write(raw)
                continue
            if not body.strip():
                continue
            paragraphs += 1
            if paragraphs % 7 == 0:
                fout.seek(fout.tell() - len(raw))
                fout.write((body + "  \t" + end).encode("utf-8", "surrogateescape"))
            if paragraphs % 25 == 0:
                fout.write((ADS[paragraphs // 25 % len(ADS)] + (end or "\n")).encode())
            if paragraphs % 40 == 0:
                fout.write(((end or "\n") * 3).encode())


if __name__ == "__main__":
    main()
