#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the corpus that the junk rules are measured on (bench/junk_rules.sh) and that the
line-cleaning tests sample:

  tests/data/junk-keep.txt  story lines that hold the words ads use (手机, 阅读, 下载, 网址,
                            本站, 收藏, 更新, PS, 第N更, 记住, 最新章节 ...): no rule may take one;
  tests/data/junk-drop.txt  ad and site lines in the forms download sites write them, with
                            example domains only: the rules must take them.

One line each, UTF-8, made the same on every run (a fixed seed), so the files are checked in
and a change to them shows in a diff.

  bench/junk_corpus.py [OUT_DIR]      (default tests/data)
"""
import itertools
import os
import random
import sys

NAMES = ["他", "她", "老张", "林晚", "陈默", "小雨", "王老板", "阿福", "周先生", "李婶", "赵队长",
         "苏青", "老刘", "许主任", "孙掌柜", "顾言", "沈姑娘", "韩医生", "宋老师", "那个少年"]
TIMES = ["第二天", "傍晚", "半夜", "清晨", "午饭后", "那天下午", "临走前", "下班以后", "雨停之后",
         "周末", "年关前", "散会后"]
PLACES = ["车站", "茶馆", "办公室", "病房", "书房", "宿舍", "码头", "院子里", "地铁上", "图书馆",
          "派出所", "集市上"]

# Story sentences; {n} a person, {t} a time, {p} a place. Each holds a word that ads use.
KEEP = [
    "{n}掏出手机阅读邮件，随后登录公司系统查看报表。",
    "{n}把电子书下载到了阅读器上，准备路上看。",
    "{t}，{n}在{p}把那个网址抄在一张纸条上。",
    "{n}说本站今天不停车，让大家到下一站再下。",
    "{n}把那只玉镯收藏在箱底，从来不给人看。",
    "{t}，{n}的手机响了，是一条系统更新的提醒。",
    "{n}在信的末尾添了一句：PS：记得带伞。",
    "{n}记住了那个网址，回家就打开看了看。",
    "{t}，{n}坐在{p}，低头用手机阅读一篇长文。",
    "第三更天的时候，{p}传来一阵急促的脚步声。",
    "{n}熬到三更天，才把账本看完。",
    "{n}收藏的那些旧书，都堆在{p}的角落里。",
    "{n}想起那部小说的最新章节还没有看，心里有些痒。",
    "{n}在{p}下载了一张地图，才找到回去的路。",
    "{t}，{n}把手机递过来：“你看，这个网址打不开。”",
    "“请记住，{t}之前一定要回来。”{n}说。",
    "{n}一秒也没有犹豫，转身冲进了{p}。",
    "{n}用了一秒记住那张脸，却用了十年去忘记。",
    "{n}在{p}翻到一本旧杂志，封底印着一个早已失效的网址。",
    "本站的站长是个五十来岁的男人，{t}总在{p}喝茶。",
    "{n}说，这本书的更新太慢，读者都等急了。",
    "{n}的博客停止更新已经三年了。",
    "{n}把文件下载下来，又用手机发给了同事。",
    "{n}喜欢在{p}阅读，一坐就是一下午。",
    "{t}，{n}把收藏夹里的网页一个个删掉。",
    "{n}点开那个下载链接，屏幕上却跳出一行乱码。",
    "那本书{n}读过三遍，连最新章节都背得出来。",
    "{n}求了半天，{p}的人才肯放{n}进去。",
    "{n}恳求老师再给一次机会，老师只是摇头。",
    "{n}跪求了一夜，也没能求来那张推荐信。",
    "“求你了，”{n}说，“就这一次。”",
    "{n}把月票夹在钱包里，{t}去{p}坐车。",
    "{n}给{p}打赏了几个铜板，换来一碗热汤。",
    "{n}订阅了三份报纸，{t}总在{p}一份份翻完。",
    "{n}在{p}看到一张告示：本站即将停运，请旅客改乘汽车。",
    "{n}把免费阅读的券送给了{p}门口的学生。",
    "{n}说这个站点的地址换过三次，{n}一次也没记住。",
    "{t}，{n}在{p}搜索了很久，终于找到那份旧档案。",
    "{n}打开手机浏览器，访问了那家医院的网站。",
    "{n}在{p}登录了自己的账号，才发现密码被人改了。",
    "{n}百度搜索了一下那个名字，什么也没查到。",
    "{n}上网搜索最新消息，却只看到一堆旧闻。",
    "{n}在手机上追更那部连载，每天等到半夜。",
    "{n}笑着说：“今天两更，明天再说。”",
    "{n}的小店{t}更新了菜单，多了一道红烧鱼。",
    "{n}把下一章的草稿改了又改，直到{t}才交给编辑。",
    "{n}读完这一章，合上书，望着{p}发呆。",
    "本章的故事要从{n}在{p}遇到的那个人说起。",
    "{n}记得那个地址，{p}往东第三户。",
    "{n}在名片背面写下自己的网址和电话。",
    "{t}，{n}把旧手机收进抽屉，再也没有开过。",
    "{n}在{p}等车，顺手把那本书加入书架。",
    "PS是{n}在信里最爱写的两个字母。",
    "{n}用PS把照片修了一遍，才发给{p}的人。",
    "{n}把那首诗收藏进了笔记本的最后一页。",
    "{n}点点头，把这个网站的名字记在心里。",
    "{t}，{p}的广播说：本站到了，请下车的乘客准备。",
    "{n}推荐了一本好书给{p}的朋友们。",
    "{n}投了一票，{t}才知道结果。",
    "{n}看着手机上的阅读量，一时说不出话来。",
    "{n}把章节目录抄在扉页上，方便以后查找。",
    "{n}说：“更多的事情，{t}再谈。”",
    "精彩的故事不在书里，{n}想，而在{p}那些人的脸上。",
    "{n}写完第一更的稿子，天已经亮了。",
    "全文阅读完毕，{n}才发现自己在{p}坐了一整夜。",
    "{n}把TXT文件拷进了U盘，{t}带去{p}。",
    "{n}问：“这本书的txt能下载吗？”",
    "{n}在{p}的电脑上下载了全集，足足几个G。",
    "{n}一边更新简历，一边在{p}投递。",
    "{n}把书签夹在最新一章，{t}接着读。",
    "手机没电了，{n}只好在{p}借了一个充电宝。",
    "{n}把收藏多年的邮票卖给了{p}的一个商人。",
    "{n}记住本站的名字，是因为{t}在那里下过一场大雨。",
    "{n}说：“记住这个网址，出了事就去找他。”",
    "“www是什么意思？”{n}在{p}问道。",
    "{n}把网址念给{p}的人听：三个w，一个点，后面是他的名字。",
    "{n}求订阅的声音在{p}里回荡，可没人理他。",
    "{n}说这是第二更的戏，{t}才开锣。",
    "{n}推开{p}的门，看见墙上贴着“本站禁止吸烟”。",
    "{n}的书斋里收藏着三百多本线装书。",
    "{t}，{n}又一次打开那个阅读软件，却什么也读不进去。",
    "{n}在名片背面写下自己的网址：www.example.com，又添了电话号码。",
    "{n}说公司的网站是 www.example.com，让{p}的人有空去看看。",
    "{n}把 example.net 这个域名卖了三万块，{t}就去{p}请客。",
    "{n}在{p}的电脑上打开 www.example.org，阅读那篇报道。",
    "手机响了，{n}看了一眼：又是{p}发来的消息。",
    "手机用户越来越多，{n}的书店{t}就关了门。",
    "收藏本是{n}的爱好，后来却成了生计。",
    "最新章节的稿子，{n}{t}才写完。",
    "本站停车两分钟，{n}趁机下去买了包烟。",
    "一秒，两秒，{n}数着，{p}终于安静下来。",
    "求人不如求己，{n}{t}想通了这个道理。",
    "PS：{n}后来才知道，那封信根本没有寄出去。",
    "第一更鼓响过，{n}还在{p}等着。",
    "上一章说到{n}去了{p}，这一章接着说。",
    "更多的人涌进了{p}，{n}被挤到了墙角。",
    "精彩的还在后头，{n}笑着对{p}的人说。",
    "百度搜索不到的东西，{n}偏偏在{p}找到了。",
    "下载完成的提示音响起，{n}才松了一口气。",
    "阅读是{n}唯一的消遣，{t}也不例外。",
    "记住本站的名字是{n}的习惯，{t}也一样。",
]

DOMAINS = ["www.example.com", "www.example.info", "www.example.la", "m.example.com",
           "example.net", "www.example.org", "m.example.la", "wap.example.cc"]
URLS = ["https://www.example.com", "https://m.example.info/", "http://www.example.la/book/12345/",
        "https://www.example.org/read/88/", "http://m.example.net"]
SITES = ["某某阁", "某某小说网", "某某书屋", "某某中文网", "青云阁", "墨香书屋"]

# Ad lines; {d} a domain, {u} an address with its scheme, {s} a site's name.
DROP = [
    "一秒记住【{s} {d}】，精彩小说无弹窗免费阅读！",
    "一秒记住【{s}】，精彩小说无弹窗免费阅读！",
    "天才一秒记住本站地址：{d}。手机版阅读网址：{d}",
    "天才一秒记住『{s}』，为您提供精彩小说阅读。",
    "一秒记住↘{s}↙，为您提供精彩小说阅读。",
    "一秒記住【{s} {d}】，精彩小說無彈窗免費閱讀！",
    "请收藏本站：{u}。{s}手机版：{u}",
    "请收藏本站：{u}",
    "收藏本站：{d}",
    "最新章节请访问 {d}",
    "最新章节请访问{s}（{d}）",
    "最新章节请到{s}阅读：{d}",
    "手机用户请浏览{d}阅读，更优质的阅读体验。",
    "手机用户请到{d}阅读。",
    "手机阅读本章请访问 {d}",
    "本书首发于{s} {d}",
    "本书首发{s}，请勿转载！",
    "百度搜索 {s} 最快更新！",
    "百度搜索“{s}”，最快追更，最新章节尽在{s}！",
    "记住本站网址：{d}",
    "请记住本书首发域名：{d}。{s}手机版阅读网址：{d}",
    "请记住本站域名：{d}",
    "本站域名 {d} 请牢记！",
    "{s}手机版阅读网址：{d}",
    "更多精彩小说请访问 {d}",
    "看最新章节请到{s}（{d}）",
    "免费阅读最新章节，请访问 {d}",
    "txt电子书下载请到 {d}",
    "全本小说txt下载：{d}",
    "{u}",
    "（{d}）",
    "【{d}】",
    "{d}",
    "喜欢本书请大家收藏：（{d}）{s}更新速度全网最快。",
    "如果觉得好看，请把本站网址推荐给您的朋友吧！",
    "{s}（{d}）最新章节免费阅读",
]
# Lines of their own that need no address.
DROP_PLAIN = [
    "PS：今天两更，求订阅！", "PS：今天三更，求月票！", "PS:今天两更，求订阅！", "ps：求推荐票！",
    "PS：明天加更，求收藏求推荐！", "PS：第二更送到，求月票！", "Ps：今天有事，只有一更，见谅！",
    "第一更，求收藏！", "第三更到，求月票！", "今天第二更送上，求推荐票！", "（第一更）",
    "（求推荐票、求收藏）", "【求月票】", "求收藏！求推荐！", "跪求月票！", "求订阅！求打赏！",
    "求推荐票！求月票！", "(求收藏求推荐)", "【第二更，求订阅】",
    "章节错误,点此举报(免注册)", "本章未完，请点击下一页继续阅读！", "本章未完，点击下一页继续阅读。",
    "加入书签，方便阅读", "投推荐票 上一章 目录 下一章 加入书签", "上一章 ← 章节目录 → 下一章",
    "上一章 | 目录 | 下一章", "（本章未完，请翻页）", "请点击下一页继续阅读",
    "手机用户请浏览阅读，更优质的阅读体验。", "精彩小说无弹窗免费阅读！", "小说无弹窗免费阅读！",
    "【本书首发，请支持正版】", "本章完，请继续阅读下一章！",
    "請記住本站域名：www.example.com", "手機用戶請瀏覽m.example.com閱讀，更優質的閱讀體驗。",
    "最新章節請訪問 www.example.com", "PS：今天兩更，求訂閱！", "求推薦票！求月票！",
]


def keep_lines():
    rng = random.Random(31)
    lines = []
    seen = set()
    for frame in KEEP:
        combos = list(itertools.product(NAMES, TIMES, PLACES))
        rng.shuffle(combos)
        made = 0
        for n, t, p in combos:
            line = frame.format(n=n, t=t, p=p)
            if line in seen:
                continue
            seen.add(line)
            lines.append(line)
            made += 1
            if made == 45:
                break
    return lines


def drop_lines():
    rng = random.Random(31)
    lines = []
    seen = set()
    for frame in DROP:
        combos = list(itertools.product(DOMAINS, URLS, SITES))
        rng.shuffle(combos)
        made = 0
        for d, u, s in combos:
            line = frame.format(d=d, u=u, s=s)
            if line in seen:
                continue
            seen.add(line)
            lines.append(line)
            made += 1
            if made == 6:
                break
    for line in DROP_PLAIN:
        if line not in seen:
            seen.add(line)
            lines.append(line)
    return lines


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data")
    for name, lines in (("junk-keep.txt", keep_lines()), ("junk-drop.txt", drop_lines())):
        with open(os.path.join(out, name), "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        print(f"{name}: {len(lines)} lines")


if __name__ == "__main__":
    main()
