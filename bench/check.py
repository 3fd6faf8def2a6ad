#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks the outputs of one benchmark pair before its timings are trusted.

Each check prints one line for RESULTS.md and exits non-zero when our output is wrong.
Our files end with the banner (given as a file); the peer's files do not.
"""
import os
import re
import sys

BANNER = b""


def read(path):
    with open(path, "rb") as f:
        return f.read()


def numbered(folder, first):
    """Our numbered pieces prefix-N.txt in number order, checked for gaps."""
    found = {}
    for name in os.listdir(folder):
        m = re.fullmatch(r".*-(\d+)\.txt", name)
        if m:
            found[int(m.group(1))] = os.path.join(folder, name)
    numbers = sorted(found)
    if numbers != list(range(first, first + len(numbers))):
        fail("numbered files with gaps in %s" % folder)
    return [found[n] for n in numbers]


def peer_pieces(folder):
    return [os.path.join(folder, n) for n in sorted(os.listdir(folder))]


def strip_banner(path):
    data = read(path)
    if not data.endswith(BANNER):
        fail("%s does not end with the banner" % path)
    return data[: len(data) - len(BANNER)]


def fail(message):
    print("FAILED: " + message)
    sys.exit(1)


ENCODING = "gbk"


def char_starts_ok(text, cuts):
    """Whether every cut offset falls on a character start. A line feed is never part of a
    double-byte character, so stepping starts at the line that holds the cut."""
    n = len(text)
    if ENCODING == "utf-8":
        return all(cut >= n or (text[cut] & 0xC0) != 0x80 for cut in cuts)
    for cut in cuts:
        i = text.rfind(b"\n", 0, cut) + 1
        while i < cut:
            i += 2 if text[i] >= 0x81 and i + 1 < n else 1
        if i != cut:
            return False
    return True


def check_cut(text_path, ours, peer, kb):
    text = read(text_path)
    piece = kb * 1024
    mine = [strip_banner(p) for p in numbered(ours, 1)]
    theirs = [read(p) for p in peer_pieces(peer)]
    if b"".join(mine) != text:
        fail("our pieces do not join up to the input")
    expected = -(-len(text) // piece)
    if len(mine) != expected:
        fail("%d pieces, expected %d" % (len(mine), expected))
    most = 3 if ENCODING == "utf-8" else 1
    longer = sum(1 for p in mine if piece < len(p) <= piece + most)
    if any(len(p) > piece + most for p in mine):
        fail("a piece longer than the piece size plus %d byte(s)" % most)
    same = sum(1 for a, b in zip(mine, theirs) if a == b)
    ends = []
    pos = 0
    for p in mine:
        pos += len(p)
        ends.append(pos)
    if not char_starts_ok(text, ends[:-1]):
        fail("a piece ends inside a double-byte character")
    if same == len(mine) == len(theirs):
        print("ok: %d pieces, each identical to split's apart from the banner" % len(mine))
    else:
        print("ok: %d pieces (split: %d) joining up to the input; %d lengthened to keep "
              "a character whole; %d identical to split's" % (len(mine), len(theirs), longer, same))


def check_chapters(text_path, ours, peer, reported):
    text = read(text_path)
    mine = [strip_banner(p) for p in numbered(ours, 0)]
    if b"".join(mine) != text:
        fail("our chapter files do not join up to the input")
    if reported is not None and int(reported) + 1 != len(mine):
        fail("%s headings reported but %d files written" % (reported, len(mine)))
    if any(not p.startswith("第".encode(ENCODING)) for p in mine[1:]):
        fail("a chapter file does not start with the heading's first marker")
    theirs = [read(p) for p in peer_pieces(peer)]
    if b"".join(theirs) != text:
        fail("csplit's pieces do not join up to the input")
    starts_mine = set()
    pos = 0
    for p in mine:
        starts_mine.add(pos)
        pos += len(p)
    starts_theirs = set()
    pos = 0
    for p in theirs:
        starts_theirs.add(pos)
        pos += len(p)
    common = len(starts_mine & starts_theirs)
    print("ok: %d files (csplit: %d); %d chapter starts in common, %d only ours (a 第 and a 章 "
          "within 16 bytes inside a paragraph), %d only csplit's"
          % (len(mine), len(theirs), common, len(starts_mine - starts_theirs),
             len(starts_theirs - starts_mine)))


def check_merge(ours, peer_file, inputs):
    files = [os.path.join(ours, n) for n in os.listdir(ours)]
    if len(files) != 1:
        fail("expected one merged file in %s" % ours)
    joined = b"".join(read(p) for p in inputs)
    if strip_banner(files[0]) != joined:
        fail("merged file is not the inputs joined")
    if read(peer_file) != joined:
        fail("cat's output is not the inputs joined")
    print("ok: merged file = the %d inputs joined + banner (%d bytes)" % (len(inputs), len(joined)))


def check_same(ours_file, peer_file):
    a = read(ours_file)
    b = read(peer_file)
    if a != b:
        fail("outputs differ (%d and %d bytes)" % (len(a), len(b)))
    print("ok: byte-identical outputs (%d bytes)" % len(a))


def check_epub(text_file, book, peer_zip):
    """The book opens as a ZIP whose every entry's CRC holds, the media type first and
    stored, and its chapters hold every non-blank line of the text."""
    import zipfile
    with zipfile.ZipFile(book) as z:
        infos = z.infolist()
        if infos[0].filename != "mimetype" or infos[0].compress_type != zipfile.ZIP_STORED:
            fail("mimetype is not the first, stored entry")
        bad = z.testzip()
        if bad is not None:
            fail("entry %s is damaged" % bad)
        pages = [i.filename for i in infos if re.fullmatch(r"OEBPS/c\d+(-\d+)?\.xhtml", i.filename)]
        paragraphs = 0
        for name in pages:
            paragraphs += len(re.findall(rb"<(?:p|h1|h2)[ >]", z.read(name)))
    lines = sum(1 for line in read(text_file).split(b"\n") if line.strip(b" \t\r\xa1"))
    if paragraphs != lines:
        fail("%d paragraphs for %d lines" % (paragraphs, lines))
    print("ok: %d XHTML files, %d paragraphs (one per line); %d bytes (zip -6: %d)"
          % (len(pages), paragraphs, os.path.getsize(book), os.path.getsize(peer_zip)))


def main():
    global BANNER
    global ENCODING
    kind = sys.argv[1]
    if kind.endswith("-utf8"):
        kind = kind[: -len("-utf8")]
        ENCODING = "utf-8"
    BANNER = read(sys.argv[2])
    args = sys.argv[3:]
    if kind == "cut":
        check_cut(args[0], args[1], args[2], int(args[3]))
    elif kind == "chapters":
        check_chapters(args[0], args[1], args[2], args[3] if len(args) > 3 else None)
    elif kind == "merge":
        check_merge(args[0], args[1], args[2:])
    elif kind == "same":
        check_same(args[0], args[1])
    elif kind == "epub":
        check_epub(args[0], args[1], args[2])
    else:
        fail("unknown check " + kind)


if __name__ == "__main__":
    main()
