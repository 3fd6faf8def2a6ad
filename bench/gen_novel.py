#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes a synthetic novel of an exact size for the benchmarks, deterministic from a seed.

GBK kind: chapter headings "第N章 title" (N in Chinese numerals or in digits), CR LF line
breaks, paragraphs of common GB2312 hanzi with full-width punctuation (，。！？“”：、；……),
indented with two full-width spaces or, now and then, a tab; a few half-width spaces (Latin
names, numbers, trailing blanks) so that cleaning has work to do; chapters of 3 to 17 KiB,
about 100 000 chapters per GiB. ASCII kind: the same shape in English words. UTF-8 kind: the
GBK novel in UTF-8 (its characters take three bytes, so a gigabyte holds fewer chapters).

The text is built from a pool of paragraphs drawn once from the seed; chapters pick from the
pool, so a gigabyte takes a few seconds. The file never holds a zero byte or 0x1A, and ends on
a character boundary.
"""
import argparse
import random
import sys

COMMON_HANZI = (
    "的一是不了人我在有他这为之大来以个中上们到说国和地也子时道出而要于就下得可你年生自会那后能对着事"
    "其里所去行过家十用发天如然作方成者多日都三小军二无同么经法当起与好看学进种将还分此心前面又定见只主"
    "没公从知全把外已被因性由两老今现山民回气实长想意明手本样开高女情动体理点力正很头心知道问部相白东西"
    "身门眼话声走路马向水风光色花车书听先边少再给最笑变打真已站跟信比落城夜月星雨雪河海云林草树石火"
    "父母哥姐弟妹儿王李张刘陈杨黄赵周吴孙朱胡林郭何高罗郑梁谢宋唐许韩冯邓曹彭曾萧田董袁潘于蒋蔡余杜"
    "叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵"
    "万钱严覃武戴莫孔向汤常温康施文牛樊葛邢安齐易乔伍庞颜倪庄聂鲁岳翟殷詹申欧耿关兰焦俞左柳甘祝包宁"
    "尚符舒阮柯纪梅童凌毕单季裴霍涂成苗谷盛曲翁冉骆蓝路游辛靳管柴蒙鲍华喻祁蒲房滕屈饶解牟艾尤阳时穆农"
    "剑刀枪弓箭剑法内功掌拳腿步轻身修炼丹药灵魂魄神仙妖魔鬼怪宗派门弟子师父长老掌门江湖武林天下英雄"
    "豪杰侠客剑客刀客恩怨情仇爱恨生死离别相逢重逢寻找追杀逃跑躲藏隐居闭关突破境界修为实力气息血脉"
    "忽然突然终于已经曾经正在将要可能应该必须一定似乎仿佛好像果然竟然居然难道究竟到底何必何况况且"
    "并且而且但是可是然而不过只是于是因此所以如果假如即使虽然尽管无论不管只要只有除非哪怕既然"
    "看见听见感觉觉得知道明白了解认识记得忘记想起思考考虑决定打算希望愿意喜欢讨厌害怕担心着急"
)

PUNCT_MID = ["，", "，", "，", "、", "；", "："]
PUNCT_END = ["。", "。", "。", "！", "？", "……"]
NUMERALS = "零一二三四五六七八九"
LATIN_BITS = ["QQ", "MP3", "VIP", "Tom", "Jack", "OK", "2012", "100", "3000", "A", "B"]
SAYING = ["说", "道", "问", "喊道", "笑道", "冷冷地说", "低声道"]

ENGLISH = (
    "the of and to a in that it was he for on are as with his they at be this from have or by one "
    "had not but what all were when we there can an your which their said if do will each about how "
    "up out them then she many some so these would other into has more her two like him see time "
    "could no make than first been its who now people my made over did down only way find use may "
    "water long little very after words called just where most know sword river night castle road "
    "king queen stranger silver winter mountain letter shadow window morning distant quiet ancient"
).split()


def chinese_number(n):
    """Chinese numeral for 1..99999 as a novel writes it: 十一, 一百零五, 一千二百三十四."""
    units = ["", "十", "百", "千", "万"]
    digits = [int(c) for c in str(n)]
    out = []
    zero = False
    for i, d in enumerate(digits):
        place = len(digits) - 1 - i
        if d == 0:
            zero = True
            continue
        if zero and out:
            out.append("零")
        zero = False
        if not (d == 1 and place == 1 and i == 0):
            out.append(NUMERALS[d])
        out.append(units[place])
    return "".join(out)


def hanzi_pool():
    seen = []
    for ch in COMMON_HANZI:
        if ch not in seen:
            seen.append(ch)
    # The heading markers come only where the text puts them on purpose.
    seen = [ch for ch in seen if ch not in "第章"]
    for ch in seen:
        b = ch.encode("gbk")
        assert len(b) == 2 and 0xB0 <= b[0] <= 0xF7 and 0xA1 <= b[1] <= 0xFE, ch
    return seen


class GbkNovel:
    def __init__(self, rng):
        self.rng = rng
        self.hanzi = hanzi_pool()
        self.paragraphs = [self.paragraph().encode("gbk") for _ in range(6000)]
        self.blank = b"\r\n"
        self.style_digits = False

    def words(self, lo, hi):
        rng = self.rng
        return "".join(rng.choice(self.hanzi) for _ in range(rng.randint(lo, hi)))

    def sentence(self):
        rng = self.rng
        parts = [self.words(3, 12)]
        for _ in range(rng.randint(0, 3)):
            parts.append(rng.choice(PUNCT_MID))
            if rng.random() < 0.05:
                parts.append(rng.choice(LATIN_BITS) + " ")
            if rng.random() < 0.04:
                parts.append("第" + NUMERALS[rng.randint(1, 9)] + rng.choice("次天个回"))
            if rng.random() < 0.003:
                parts.append(rng.choice(["文章", "章法", "规章"]))
            parts.append(self.words(2, 10))
        return "".join(parts) + rng.choice(PUNCT_END)

    def paragraph(self):
        rng = self.rng
        body = []
        for _ in range(rng.randint(1, 6)):
            if rng.random() < 0.25:
                body.append(self.words(2, 3) + rng.choice(SAYING) + "：“" + self.sentence() + "”")
            else:
                body.append(self.sentence())
        indent = "\t" if rng.random() < 0.03 else "　　"
        tail = "  " if rng.random() < 0.02 else ""
        return indent + "".join(body) + tail + "\r\n"

    def heading(self, n):
        rng = self.rng
        if n % 500 == 1:
            self.style_digits = rng.random() < 0.4
        number = chinese_number(n) if n < 100000 else str(n)
        # "第" and "章" stand at most 16 bytes apart in a heading: long numerals go as digits.
        if self.style_digits or len(number) > 7:
            number = str(n)
        gap = " " if rng.random() < 0.8 else "　"
        return ("第" + number + "章" + gap + self.words(2, 8) + "\r\n").encode("gbk")

    def chapter(self, n):
        rng = self.rng
        target = rng.randint(3 * 1024, 17 * 1024)
        parts = [self.heading(n), self.blank]
        size = len(parts[0]) + 2
        while size < target:
            p = rng.choice(self.paragraphs)
            parts.append(p)
            size += len(p)
        return b"".join(parts)


class AsciiNovel:
    def __init__(self, rng):
        self.rng = rng
        self.paragraphs = [self.paragraph().encode("ascii") for _ in range(6000)]

    def paragraph(self):
        rng = self.rng
        sentences = []
        for _ in range(rng.randint(1, 6)):
            words = [rng.choice(ENGLISH) for _ in range(rng.randint(4, 18))]
            words[0] = words[0].capitalize()
            sentences.append(" ".join(words) + rng.choice([".", ".", ".", "!", "?"]))
        return "    " + " ".join(sentences) + "\r\n"

    def chapter(self, n):
        rng = self.rng
        target = rng.randint(3 * 1024, 17 * 1024)
        title = " ".join(rng.choice(ENGLISH) for _ in range(rng.randint(2, 5))).title()
        parts = [("Chapter %d %s\r\n\r\n" % (n, title)).encode("ascii")]
        size = len(parts[0])
        while size < target:
            p = rng.choice(self.paragraphs)
            parts.append(p)
            size += len(p)
        return b"".join(parts)


def parse_size(text):
    scale = {"K": 1 << 10, "M": 1 << 20, "G": 1 << 30}
    text = text.strip().upper().rstrip("IB")
    if text and text[-1] in scale:
        return int(text[:-1]) * scale[text[-1]]
    return int(text)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--kind", choices=["gbk", "ascii", "utf8"], default="gbk")
    ap.add_argument("--size", default="256M", help="exact size in bytes, or with K/M/G")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("output")
    args = ap.parse_args()

    size = parse_size(args.size)
    rng = random.Random(args.seed)
    novel = AsciiNovel(rng) if args.kind == "ascii" else GbkNovel(rng)

    written = 0
    chapters = 0
    with open(args.output, "wb") as out:
        if args.kind != "ascii":
            front = "书名：无名之书\r\n作者：佚名\r\n\r\n".encode(
                "gbk" if args.kind == "gbk" else "utf-8")
        else:
            front = b"A Book Without a Name\r\nAnonymous\r\n\r\n"
        out.write(front)
        written += len(front)
        batch = []
        batch_bytes = 0
        while written + batch_bytes < size:
            chapters += 1
            c = novel.chapter(chapters)
            if args.kind == "utf8":
                c = c.decode("gbk").encode("utf-8")
            batch.append(c)
            batch_bytes += len(c)
            if batch_bytes >= 8 << 20:
                data = b"".join(batch)
                data = data[: size - written]
                out.write(data)
                written += len(data)
                batch, batch_bytes = [], 0
        data = b"".join(batch)[: size - written]
        written += len(data)
        out.write(data)
        # The cut may have left half a double-byte character at the end: replace it.
        if args.kind == "gbk" and written:
            out.flush()
    if args.kind == "gbk":
        fix_tail(args.output)
    if args.kind == "utf8":
        fix_utf8_tail(args.output)
    print("%s: %d bytes, %d chapters" % (args.output, size, chapters), file=sys.stderr)


def fix_utf8_tail(path):
    """Ends the file on a character boundary by turning a cut-off UTF-8 sequence into dots."""
    with open(path, "r+b") as f:
        f.seek(0, 2)
        end = f.tell()
        f.seek(max(0, end - 4))
        tail = f.read()
        for back in range(1, len(tail) + 1):
            b = tail[-back]
            if b < 0x80:
                break
            if b >= 0xC0:
                want = 2 if b < 0xE0 else 3 if b < 0xF0 else 4
                if want > back:
                    f.seek(end - back)
                    f.write(b"." * back)
                break


def fix_tail(path):
    """Ends the file on a character boundary by turning a dangling lead byte into '.'."""
    with open(path, "r+b") as f:
        f.seek(0, 2)
        end = f.tell()
        f.seek(max(0, end - 65536))
        tail = f.read()
    # Walk from a line start inside the tail (every line starts on a character boundary).
    start = tail.find(b"\n") + 1
    i = start
    last_char = start
    while i < len(tail):
        last_char = i
        i += 2 if tail[i] >= 0x81 else 1
    if i > len(tail):
        with open(path, "r+b") as f:
            f.seek(end - (len(tail) - last_char))
            f.write(b".")


if __name__ == "__main__":
    main()
