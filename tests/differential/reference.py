# SPDX-License-Identifier: MIT
"""Slow, literal model of what morvane-cli writes.

Every routine here is the step-by-step rule of the program, written out with
1-based positions and the same small text operations the engine is built on,
so that a difference against the real tool points at one rule.  Nothing is
optimised: the inputs handed to it are a few KiB at most.

Texts are Python `bytes` in GBK.  Output file names are returned as GBK bytes
too; the caller turns them into the names the file system shows.
"""

import math

# ---------------------------------------------------------------------------
# Byte text and numbers
# ---------------------------------------------------------------------------

FIRST_MARKER = "第".encode("gbk")    # B5 DA
SECOND_MARKER = "章".encode("gbk")   # D5 C2
HEADING_SPAN = 16
MERGED_SUFFIX = "已合并.txt".encode("gbk")


def text_length(text):
    return len(text)


def left_text(text, n):
    if n <= 0:
        return b""
    return text[:min(n, len(text))]


def right_text(text, n):
    if n <= 0:
        return b""
    n = min(n, len(text))
    return text[len(text) - n:]


def mid_text(text, start, n):
    p = start - 1
    if p < 0 or p >= len(text) or n <= 0:
        return b""
    if p + n > len(text):
        n = len(text) - p
    return text[p:p + n]


def char_code(text, position=1):
    if position < 1 or position > len(text):
        return 0
    b = text[position - 1]
    return b - 256 if b >= 0x80 else b


def find_text(text, wanted, start):
    """1-based position of the first occurrence at or after `start`, or -1.

    The scan steps by characters from wherever it starts: a byte of 0x80 or
    above is passed over together with the byte after it.
    """
    b = start - 1
    if b < 0:
        b = 0
    length = len(text)
    if b != 0 and b >= length:
        return -1
    i = b
    while True:
        if length - i < len(wanted):
            return -1
        if text[i:i + len(wanted)] == wanted:
            return i + 1
        if text[i] >= 0x80:
            if i == length - 1:
                # A lone last byte of 0x80 or above: compared above, scan over.
                return -1
            i += 2
        else:
            i += 1


def find_text_backward(text, wanted):
    """1-based position of the last occurrence met by the same scan, or -1."""
    length = len(text)
    latest = -1
    i = 0
    while True:
        if length - i < len(wanted):
            return latest
        if text[i:i + len(wanted)] == wanted:
            latest = i + 1
        if text[i] >= 0x80:
            if i == length - 1:
                return latest
            i += 2
        else:
            i += 1


def replace_subtext(text, wanted, replacement):
    """Every occurrence met by a left-to-right character scan replaced.

    A lone last byte of 0x80 or above is kept, like any other byte that is
    not part of a match.
    """
    if not text or not wanted:
        return bytes(text)
    out = bytearray()
    p = 0
    r = len(text)
    w = len(wanted)
    while r >= w:
        if text[p:p + w] == wanted:
            out += replacement
            p += w
            r -= w
        elif text[p] >= 0x80:
            if p == len(text) - 1:
                out.append(text[p])
                p += 1
                r -= 1
                break
            out += text[p:p + 2]
            p += 2
            r -= 2
        else:
            out.append(text[p])
            p += 1
            r -= 1
    out += text[p:]
    return bytes(out)


def is_lead_byte(value):
    # Lead bytes of code page 936.
    return 0x81 <= value <= 0xFE


def is_lead_byte_at(text, offset):
    if offset < 0 or offset >= len(text):
        return False
    return is_lead_byte(text[offset])


def to_integer(text):
    folded = bytearray()
    i = 0
    while i < len(text):
        c = text[i]
        if c >= 0x80:
            if i == len(text) - 1:
                break
            d = text[i + 1]
            if c == 0xA3 and 0xA1 <= d <= 0xFE:
                folded.append(d & 0x7F)
            elif c == 0xA1 and d == 0xA1:
                folded.append(0x20)
            elif c == 0xA1 and d == 0xAB:
                folded.append(ord("~"))
            elif c == 0xA1 and d in (0xEE, 0xEF):
                folded.append(ord("*"))
            else:
                folded += bytes((c, d))
            i += 2
        else:
            folded.append(c)
            i += 1
    j = 0
    while j < len(folded) and folded[j] in b" \t\n\v\f\r":
        j += 1
    sign = 1
    if j < len(folded) and folded[j] in b"+-":
        sign = -1 if folded[j] == ord("-") else 1
        j += 1
    value = 0
    while j < len(folded) and 0x30 <= folded[j] <= 0x39:
        value = value * 10 + (folded[j] - 0x30)
        j += 1
    return sign * value


def to_text(value):
    if isinstance(value, bytes):
        return bytes(value)
    if isinstance(value, int):
        return b"%d" % value
    raise TypeError("only ints and texts are formatted here")


# ---------------------------------------------------------------------------
# Reading a file
# ---------------------------------------------------------------------------

def read_text(data):
    """The text of a file's bytes.

    The text ends at the first 0x00 or 0x1A standing at a character start; a
    byte of 0x80 or above followed by 0x00 goes with it.  A lone last byte of
    0x80 or above is kept, and a two-byte character whose second byte is 0x1A
    belongs to the text.
    """
    n = len(data)
    if n == 0:
        return b""
    end = n
    i = 0
    while i < n:
        c = data[i]
        if c == 0x00 or c == 0x1A:
            end = i
            break
        if c >= 0x80:
            if i + 1 >= n:
                break
            if data[i + 1] == 0x00:
                end = i
                break
            i += 2
        else:
            i += 1
    return bytes(data[:end])


# ---------------------------------------------------------------------------
# Output naming
# ---------------------------------------------------------------------------

def base_name_of(path, separator=b"/"):
    dot = find_text_backward(path, b".")
    slash = find_text_backward(path, separator)
    name = right_text(path, len(path) - slash)
    return left_text(name, dot - slash - 1)


def piece_name(prefix, number):
    return prefix + b"-" + to_text(number) + b".txt"


def merged_name(prefix):
    return prefix + MERGED_SUFFIX


# ---------------------------------------------------------------------------
# Size cutting
# ---------------------------------------------------------------------------

def piece_count(size, piece_bytes):
    q = float(size) / float(piece_bytes)
    count = int(q)  # truncation toward zero
    if abs(math.fmod(float(size), float(piece_bytes))) > 1e-7:
        count += 1
    return count


def character_starts(text):
    """Which offsets of GBK text start a character, stepping from its start:
    a lead byte 0x81..0xFE takes the byte after it unless that byte is below
    0x40 (no trail byte is); any other byte stands alone. The end counts."""
    starts = [False] * (len(text) + 1)
    i = 0
    while i < len(text):
        starts[i] = True
        if is_lead_byte(text[i]) and i + 1 < len(text) and text[i + 1] >= 0x40:
            i += 2
        else:
            i += 1
    starts[len(text)] = True
    return starts


def cut_into_pieces(text, size, piece_bytes):
    """[(number, piece)] in writing order. A piece ends at the first character
    start at or after its nominal end, so no character is ever split."""
    written = []
    count = piece_count(size, piece_bytes)
    starts = character_starts(text)
    offset = 0
    for i in range(1, count + 1):
        if piece_bytes <= 0:
            # A piece of no bytes, and the rest stays as it was.
            written.append((i, b""))
            continue
        end = min(len(text), offset + piece_bytes)
        while not starts[end]:
            end += 1
        written.append((i, text[offset:end]))
        offset = end
    return written


MAX_KB = 2097151   # the largest K whose byte count fits a 32-bit int


def simple_cut_piece_bytes(n):
    """Bytes per piece of the byte-sized cut, or None when refused."""
    if n < 0:
        return None
    return 1 if n == 0 else n


def normal_cut_piece_bytes(k):
    """Bytes per piece of the K-sized cut, or None when refused."""
    if k < 1 or k > MAX_KB:
        return None
    return int(k * 1024.0)


# ---------------------------------------------------------------------------
# Whitespace cleaning
# ---------------------------------------------------------------------------

def remove_spaces(text):
    if not text:
        return text
    return replace_subtext(text, b" ", b"")


def remove_line_breaks(text):
    if not text:
        return text
    return replace_subtext(text, b"\r\n", b"")


def remove_tabs(text):
    if not text:
        return text
    recorded = len(text)
    for i in range(recorded, -1, -1):
        one = mid_text(text, i, 1)
        if to_text(char_code(one)) == b"9":
            text = replace_subtext(text, one, b"")
    return text


def clean(text, spaces, line_breaks, tabs):
    if spaces:
        text = remove_spaces(text)
    if line_breaks:
        text = remove_line_breaks(text)
    if tabs:
        text = remove_tabs(text)
    return text


# ---------------------------------------------------------------------------
# Chapters
# ---------------------------------------------------------------------------

def marker_positions(text, marker):
    # Each next search starts right after the whole marker just found, so the
    # scan keeps to the character boundaries it was on.
    found = []
    start = 1
    while True:
        pos = find_text(text, marker, start)
        if pos == -1:
            return found
        found.append(pos)
        start = pos + len(marker)


def chapter_search(text):
    a = marker_positions(text, FIRST_MARKER)
    b = marker_positions(text, SECOND_MARKER)
    c = []
    i = j = 0
    while i < len(b) and j < len(a):
        if b[i] < a[j]:
            i += 1
        elif b[i] - a[j] <= HEADING_SPAN:
            c.append(a[j])
            i += 1
            j += 1
        else:
            j += 1
    return c


def chapter_cut(text, starts):
    """[(number, piece)] in writing order, numbered from 0."""
    t = text
    length = text_length(t)
    boundaries = list(starts) + [length + 1]
    written = []
    prev = 1
    rest = t
    for k in range(1, len(boundaries) + 1):
        cur = boundaries[k - 1]
        piece = left_text(rest, cur - prev)
        written.append((k - 1, piece))
        rest = right_text(rest, length - cur + 1)
        prev = cur
    return written


# ---------------------------------------------------------------------------
# The command line
# ---------------------------------------------------------------------------

class Outcome:
    """What one run must produce: success or refusal, standard output and
    the output folder's files (GBK name -> content)."""

    def __init__(self, ok, stdout=b"", files=None):
        self.ok = ok
        self.stdout = stdout
        self.files = files or {}


def refused():
    return Outcome(False)


def parse_int_argument(arg):
    """An option value as the program takes it: a plain decimal integer, or None."""
    s = arg.strip()
    digits = s[1:] if s[:1] in ("+", "-") else s
    if not digits or not digits.isascii() or not digits.isdigit():
        return None
    return to_integer(s.encode("ascii"))


def run(command, banner):
    """Expected outcome of a morvane-cli run.

    `command` is a dict: op ('cut-bytes', 'cut-kb', 'chapters', 'merge',
    'clean'), 'size' (the option's string for the cuts), 'prefix' (GBK bytes,
    or None for the default), 'paths' (input paths as GBK bytes), 'data'
    (input file bytes, one per path) and for clean the three flags.
    """
    op = command["op"]
    texts = [read_text(d) for d in command["data"]]
    prefix = command.get("prefix")
    if prefix is None and op != "clean":
        prefix = base_name_of(command["paths"][0])

    def files(pieces):
        return {piece_name(prefix, n): p + banner for n, p in pieces}

    if op == "cut-bytes":
        n = parse_int_argument(command["size"])
        if n is None:
            return refused()
        piece_bytes = simple_cut_piece_bytes(n)
        if piece_bytes is None:
            return refused()
        text = texts[0]
        if not text:
            # The simple cut refuses an empty text.
            return refused()
        return Outcome(True, b"", files(cut_into_pieces(text, len(text), piece_bytes)))

    if op == "cut-kb":
        k = parse_int_argument(command["size"])
        if k is None:
            return refused()
        piece_bytes = normal_cut_piece_bytes(k)
        if piece_bytes is None:
            return refused()
        text = texts[0]
        return Outcome(True, b"", files(cut_into_pieces(text, len(text), piece_bytes)))

    if op == "chapters":
        text = texts[0]
        starts = chapter_search(text)
        out = to_text(len(starts)) + b"\n"
        return Outcome(True, out, files(chapter_cut(text, starts)))

    if op == "merge":
        merged = b"".join(texts)
        return Outcome(True, b"", {merged_name(prefix): merged + banner})

    if op == "clean":
        out = clean(texts[0], command["spaces"], command["line_breaks"], command["tabs"])
        return Outcome(True, out, {})

    raise ValueError(op)
