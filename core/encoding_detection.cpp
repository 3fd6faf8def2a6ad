// SPDX-License-Identifier: MIT
// Which encoding a file's bytes are in: the one pass of ScanBytes (the facts it tells:
// high bytes, zero bytes, the first mark, the first four-byte GB18030 character), UTF-8
// and UTF-8 with a few bad sequences, UTF-16 without a byte-order mark (by its zero bytes,
// its line feeds, the script its units read as) and the Big5 statistic of common
// characters.
#include <algorithm>
#include <bitset>
#include <cstring>
#include <optional>

#include "core/encoding.h"
#include "core/encoding_parts.h"
#include "core/gbk_blocks.h"
#include "core/side_by_side.h"

namespace morvane {
using namespace encoding_parts;

namespace {

// ---- the Big5 statistic -------------------------------------------------------------------

// The most common characters of Chinese prose, in simplified and traditional forms. A text
// read in the right encoding is full of them (about a third of its characters); read in
// the wrong one of GBK and Big5 the same bytes are other, mostly rare, characters.
constexpr std::string_view kCommon =
    "的一是不了在人有我他这個个們们中来來上大为為和国國地到以说說时時要就出会會可也你对對"
    "生能而子那得于於着著下自之年过過发發后後作里裡用道行所然家种種事成方多经經么麼去法学學"
    "如都同现現当當没沒动動面起看定天分还還进進好小部其些主样樣理心她本前开開但因只从從想"
    "实實日军軍者意无無力它与與长長把机機十民第公此已工使情明性知全三又关關点點正业業外将將"
    "两兩高间間由问問很最重并並物手应應战戰向头頭文体體政美相见見被利什二等产產或新己制制身"
    "果加西斯月话話合回特代内內信表化老给給世位次度门門任常先海通教儿兒原东東声聲提立及比员"
    "員解水名真论論处處走义義各入几幾口认認条條平系气氣题題活尔爾更别別打女变變四神总總何电"
    "電数數安少报報才结結反受目太量再感建务務做接必场場件计計管期市直德资資命山金指克许許统"
    "統区區保至队隊形社便空决決治展马馬科司五基眼书書非则則听聽白却卻界达達光放强強即像难難"
    "且权權思王象完设設式色路记記南品住告类類求据據程北边邊死张張该該交规規万萬取拉格望觉覺"
    "术術领領共确確传傳师師观觀清今切院让讓识識候带帶导導争爭运運笑飞飛风風步改收根干幹造言"
    "联聯持组組每济濟车車亲親极極林服快办辦议議往元英士证證近失转轉夫令准準布始怎呢存未远遠"
    "叫台台单單影具罗羅字爱愛击擊流备備兵连連调調深商算质質团團集百需价價花党黨华華城石级級"
    "整府离離况況亚亞请請技际際约約示复復病息究线線似官火断斷精满滿支视視消越器容照须須九增"
    "研写寫称稱企八功吗嗎包片史委乎查轻輕易早曾除农農找装裝广廣显顯吧阿李标標谈談吃图圖念六"
    "引历歷首医醫局突专專费費号號尽盡另周较較注语語仅僅考落青随隨选選列武红紅响響虽雖推势勢"
    "参參希古众眾构構房半节節土投某案黑维維革划劃敌敵致陈陳律足态態护護七兴興派孩验驗责責营"
    "營星够夠章音跟志底站严嚴巴例防族供效续續施留讲講型料终終答紧緊黄黃绝絕奇察母京段依批群"
    "项項故按河米围圍江织織害斗鬥双雙境客纪紀采採举舉杀殺攻父苏蘇密低朝友诉訴止细細愿願千值"
    "仍男钱錢破网網热熱助倒育属屬坐帝限船脸臉职職速刻乐樂否刚剛威毛状狀率甚独獨球般普怕弹彈"
    "校苦创創假久错錯承印晚兰蘭试試股拿脑腦预預谁誰益阳陽若哪微尼继繼送急血惊驚伤傷素药藥适"
    "適波夜省初喜卫衛源食险險待述陆陸习習置居劳勞财財环環排福纳納欢歡雷警获獲模充负負云雲停"
    "木游遊龙龍树樹疑层層冷洲冲衝射略范範竟句室异異激汉漢村哈策演简簡卡罪判担擔州静靜退既衣"
    "您宗积積余餘痛检檢差富灵靈协協角占配征修皮挥揮胜勝降阶階审審沉坚堅善妈媽刘劉读讀啊超免"
    "压壓银銀买買皇养養伊怀懷执執副乱亂抗犯追帮幫宣佛岁歲航优優怪香著田铁鐵控税稅左右份穿艺"
    "藝背阵陣草脚腳概恶惡块塊顿頓敢守酒岛島托央户戶烈洋哥索胡款靠评評版宝寶座释釋景顾顧弟登"
    "货貨互付伯慢欧歐换換闻聞危忙核暗姐介坏壞讨討丽麗良序升监監临臨亮露永呼味野架域沙掉括舰"
    "艦鱼魚杂雜误誤湾灣吉减減编編楚肯测測败敗屋跑梦夢散温溫困剑劍渐漸封救贵貴枪槍缺楼樓县縣"
    "尚毫移娘朋画畫班智亦耳恩短掌恐遗遺固席松秘谢謝鲁魯遇康虑慮幸均销銷钟鐘诗詩藏赶趕剧劇票"
    "损損忽巨炮旧舊端探湖录錄叶葉春乡鄉附吸予礼禮港雨呀板庭妇婦归歸睛饭飯额額含顺順输輸摇搖"
    "招婚脱脫补補谓謂督毒油疗療旅泽澤材灭滅逐莫笔筆亡鲜鮮词詞圣聖择擇寻尋厂廠睡博勒烟煙授诺"
    "諾伦倫岸奥奧唐卖賣俄炸载載洛健堂旁宫宮喝借君禁阴陰园園谋謀宋避抓荣榮姑孙孫逃牙束跳顶頂"
    "玉镇鎮雪午练練迫爷爺篇肉嘴馆館遍凡础礎洞卷坦牛宁寧纸紙诸諸训訓私庄莊祖丝絲翻暴森塔默握"
    "戏戲隐隱熟骨访訪弱蒙歌店鬼软軟典欲萨薩伙遭盘盤爸扩擴盖蓋弄雄稳穩忘亿億刺拥擁徒姆杨楊齐"
    "齊赛賽趣曲刀床迎冰虚虛玩析窗醒妻透购購替塞努休虎扬揚途侵刑绿綠兄迅套贸貿毕畢唯谷轮輪库"
    "庫迹跡尤竞競街促延震弃棄甲伟偉麻川申缓緩潜潛闪閃售灯燈针針哲络絡抵朱埃抱鼓植纯純夏忍页"
    "頁杰傑筑築折郑鄭贝貝尊吴吳秀混臣雅振染盛怒舞圆圓搞狂措姓残殘秋培迷诚誠宽寬宇猛摆擺梅毁"
    "毀伸摩盟末乃悲拍丁赵趙郎殿";

struct CommonSets {
  std::bitset<65536> gbk;
  std::bitset<65536> big5;
  std::bitset<65536> unicode;
};

const CommonSets& Common() {
  static const CommonSets sets = [] {
    CommonSets s;
    // kCommon is UTF-8 of BMP characters only.
    std::u16string units;
    for (std::size_t i = 0; i < kCommon.size();) {
      const unsigned char b = At(kCommon, i);
      char32_t c;
      std::size_t len;
      if (b < 0x80) {
        c = b, len = 1;
      } else if (b < 0xE0) {
        c = (b & 0x1F) << 6 | (At(kCommon, i + 1) & 0x3F), len = 2;
      } else {
        c = (b & 0x0F) << 12 | (At(kCommon, i + 1) & 0x3F) << 6 | (At(kCommon, i + 2) & 0x3F);
        len = 3;
      }
      units.push_back(static_cast<char16_t>(c));
      i += len;
    }
    for (char16_t u : units) {
      s.unicode.set(u);
      const std::u16string one(1, u);
      const std::string g = EncodeOne(Encoding::kGbk, one);
      if (g.size() == 2) s.gbk.set(At(g, 0) << 8 | At(g, 1));
      const std::string b = EncodeOne(Encoding::kBig5, one);
      if (b.size() == 2) s.big5.set(At(b, 0) << 8 | At(b, 1));
    }
    return s;
  }();
  return sets;
}

// ---- detection helpers ---------------------------------------------------------------------

struct ZeroCounts {
  std::size_t even = 0;
  std::size_t odd = 0;
};

ZeroCounts CountZeros(std::string_view bytes) {
  ZeroCounts counts;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)));
    if (mask == 0) continue;
    counts.even += static_cast<std::size_t>(__builtin_popcount(mask & 0x5555u));
    counts.odd += static_cast<std::size_t>(__builtin_popcount(mask & 0xAAAAu));
  }
#endif
  for (; i < n; ++i) {
    if (data[i] == 0) (i % 2 == 0 ? counts.even : counts.odd) += 1;
  }
  return counts;
}

// Whether a UTF-16 unit is what prose is made of: printable ASCII, one of the most common
// Chinese characters, or CJK or full-width punctuation. Read in the wrong byte order, the
// units of such a text are mostly rare characters, unassigned or surrogates.
bool ProseUnit(const CommonSets& common, unsigned unit) {
  return (unit >= 0x20 && unit < 0x7F) || common.unicode.test(unit) ||
         (unit >= 0x3000 && unit <= 0x303F) || (unit >= 0xFF00 && unit <= 0xFFEF) ||
         (unit >= 0x2010 && unit <= 0x2027);
}

// The byte order in which the units of the first 4 MiB are clearly more often prose (at
// least 8 such units, and four times as many as in the other order), as the Big5 test
// counts.
std::optional<Encoding> Utf16ByProse(std::string_view bytes) {
  const CommonSets& common = Common();
  bytes = bytes.substr(0, std::min<std::size_t>(bytes.size(), 4u << 20));
  std::size_t le = 0;
  std::size_t be = 0;
  for (std::size_t i = 0; i + 2 <= bytes.size(); i += 2) {
    le += ProseUnit(common, At(bytes, i) | At(bytes, i + 1) << 8) ? 1 : 0;
    be += ProseUnit(common, At(bytes, i) << 8 | At(bytes, i + 1)) ? 1 : 0;
  }
  if (le >= 8 && le >= 4 * be) return Encoding::kUtf16Le;
  if (be >= 8 && be >= 4 * le) return Encoding::kUtf16Be;
  return std::nullopt;
}

// Whether a UTF-16 unit is a character of Chinese script: a common Chinese character, any
// CJK ideograph, or CJK and full-width punctuation.
bool HanUnit(const CommonSets& common, unsigned unit) {
  return common.unicode.test(unit) || (unit >= 0x4E00 && unit <= 0x9FFF) ||
         (unit >= 0x3400 && unit <= 0x4DBF) || (unit >= 0x3000 && unit <= 0x303F) ||
         (unit >= 0xFF00 && unit <= 0xFFEF);
}

// A text that holds zero bytes between its characters is UTF-16 whatever its length: the
// byte order in which more of its units are of one script. Chinese read in the wrong byte
// order puts the characters whose low byte is zero (一 U+4E00, 开 U+5F00) among ASCII,
// and the others among unassigned and rare characters, so the Chinese characters of the
// right order decide first (at least four times as many as in the other order); else the
// prose units as Utf16ByProse counts them, with little-endian, the order of Windows, where
// both read alike.
Encoding Utf16ByScript(std::string_view bytes) {
  const CommonSets& common = Common();
  bytes = bytes.substr(0, std::min<std::size_t>(bytes.size(), 4u << 20));
  std::size_t hanLe = 0;
  std::size_t hanBe = 0;
  std::size_t proseLe = 0;
  std::size_t proseBe = 0;
  for (std::size_t i = 0; i + 2 <= bytes.size(); i += 2) {
    const unsigned le = At(bytes, i) | At(bytes, i + 1) << 8;
    const unsigned be = At(bytes, i) << 8 | At(bytes, i + 1);
    hanLe += HanUnit(common, le) ? 1 : 0;
    hanBe += HanUnit(common, be) ? 1 : 0;
    proseLe += ProseUnit(common, le) ? 1 : 0;
    proseBe += ProseUnit(common, be) ? 1 : 0;
  }
  if (hanLe > 0 && hanLe >= 4 * hanBe) return Encoding::kUtf16Le;
  if (hanBe > 0 && hanBe >= 4 * hanLe) return Encoding::kUtf16Be;
  return proseBe > proseLe ? Encoding::kUtf16Be : Encoding::kUtf16Le;
}

// Whether the zero bytes make two-byte units. A text of one-byte characters holds no zero
// byte (one would end it), so zero bytes at all point to UTF-16; the byte order is told by
// the line breaks (0A 00 or 00 0A at a unit start: every novel has them, while the
// ideographic space U+3000 that indents its paragraphs puts zeros on the other side), or,
// in a text without line feeds, whose zero bytes may all come from characters such as
// U+4E00 and U+3000, by the order in which the units read as Chinese prose.
std::optional<Encoding> Utf16ByZeros(std::string_view bytes) {
  // Zero bytes and 0x1A at the end are padding, whatever the encoding.
  while (!bytes.empty() && (bytes.back() == '\0' || bytes.back() == '\x1A')) bytes.remove_suffix(1);
  const ZeroCounts z = CountZeros(bytes);
  if (z.even + z.odd < 2) return std::nullopt;
  std::size_t le = 0;
  std::size_t be = 0;
  const std::size_t n = bytes.size();
  for (const char* at = bytes.data(); at != nullptr;) {
    at = static_cast<const char*>(
        std::memchr(at, '\n', n - static_cast<std::size_t>(at - bytes.data())));
    if (at == nullptr) break;
    const std::size_t i = static_cast<std::size_t>(at - bytes.data());
    if (i % 2 == 0 && i + 1 < n && bytes[i + 1] == '\0') ++le;
    if (i % 2 == 1 && bytes[i - 1] == '\0') ++be;
    ++at;
    if (at == bytes.data() + n) break;
  }
  if (le + be > 0) {
    if (le >= 8 * be) return Encoding::kUtf16Le;
    if (be >= 8 * le) return Encoding::kUtf16Be;
  }
  return Utf16ByProse(bytes);
}

// UTF-16 of a text with zero bytes between its characters (two or more, not counting
// the padding at the end) that no test above told apart: no text of the other encodings
// holds them (a one-byte encoding's text would end at the first), so it is UTF-16 in the
// byte order Utf16ByScript finds.
std::optional<Encoding> Utf16ByZerosAlone(std::string_view bytes) {
  while (!bytes.empty() && (bytes.back() == '\0' || bytes.back() == '\x1A')) bytes.remove_suffix(1);
  const ZeroCounts z = CountZeros(bytes);
  if (z.even + z.odd < 2) return std::nullopt;
  return Utf16ByScript(bytes);
}

// Offset of the first four-byte GB18030 character at a character boundary; npos if none.
std::size_t FirstFourByteGb18030(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t known = 0;  // a character boundary at or before the candidates looked at
  auto check = [&](std::size_t i) {
    if (!(IsLead(data[i]) && IsDigit(data[i + 1]) && IsLead(data[i + 2]) && IsDigit(data[i + 3])))
      return false;
    if (BoundaryAtOrAfter(Encoding::kGb18030, bytes, i, known) != i) return false;
    return true;
  };
  std::size_t i = 0;
#if defined(__SSE2__)
  // Candidates: a byte of 0x81 or above (0xFF is rare enough to check later) followed
  // by a digit, twice.
  const __m128i digitBase = _mm_set1_epi8(static_cast<char>(0x30 + 0x80));
  const __m128i digitTop = _mm_set1_epi8(static_cast<char>(0x39 + 0x80 + 1));
  const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i leadLow = _mm_set1_epi8(static_cast<char>(0x81 - 0x80 - 1));
  auto digits = [&](std::size_t at) {
    const __m128i v =
        _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at)), bias);
    return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_sub_epi8(digitBase, _mm_set1_epi8(1))),
                         _mm_cmplt_epi8(v, digitTop));
  };
  auto leads = [&](std::size_t at) {
    const __m128i v =
        _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at)), bias);
    return _mm_cmpgt_epi8(v, leadLow);
  };
  for (; i + 19 <= n; i += 16) {
    const __m128i first = _mm_and_si128(leads(i), digits(i + 1));
    if (_mm_movemask_epi8(first) == 0) continue;
    const __m128i both = _mm_and_si128(first, _mm_and_si128(leads(i + 2), digits(i + 3)));
    for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(both)); mask != 0;
         mask &= mask - 1) {
      const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
      if (check(at)) return at;
    }
  }
#endif
  for (; i + 4 <= n; ++i) {
    if (check(i)) return i;
  }
  return std::string_view::npos;
}

// Big5 only when it is clearly Big5 and not GBK: over the double-byte characters of the
// first 4 MiB (stepped as GBK and Big5 step them), count those that are among the common
// characters in Big5 and those that are among them in GBK. Big5 wins when it has at least
// 8 such hits and four times as many as GBK. A text of either is full of its common
// characters (a quarter to a third of all characters), while the same pairs read in the
// other encoding are mostly rare characters or none, so real texts are far apart; a short
// or unusual text stays GBK.
bool ClearlyBig5(std::string_view bytes) {
  const CommonSets& common = Common();
  bytes = bytes.substr(0, std::min<std::size_t>(bytes.size(), 4u << 20));
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t gbkHits = 0;
  std::size_t big5Hits = 0;
  // Stepped as CharLength steps Big5. Once GBK leads by more than the pairs left could
  // make up, the answer is known: a GBK text is told within its first half.
  for (std::size_t i = 0, next = std::size_t{1} << 16; i < n;) {
    if (SixteenAsciiAt(data, i, n)) {
      i += 16;
      continue;
    }
    if (IsLead(data[i]) && i + 1 < n && data[i + 1] >= 0x40) {
      const unsigned pair = data[i] << 8 | data[i + 1];
      gbkHits += common.gbk.test(pair) ? 1 : 0;
      big5Hits += common.big5.test(pair) ? 1 : 0;
      i += 2;
    } else {
      ++i;
    }
    if (i >= next) {
      if (4 * gbkHits > big5Hits + (n - i) / 2) return false;
      next = i + (std::size_t{1} << 16);
    }
  }
  return big5Hits >= 8 && big5Hits >= 4 * gbkHits;
}

bool AllAscii(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 64 <= n; i += 64) {
    __m128i v = _mm_or_si128(
        _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 16))),
        _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 32)),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 48))));
    if (_mm_movemask_epi8(v) != 0) return false;
  }
#endif
  for (; i < n; ++i) {
    if (data[i] >= 0x80) return false;
  }
  return true;
}

// At most one ill-formed sequence per this many well-formed characters of three or four
// bytes: a Chinese UTF-8 text with a few bad bytes (a cut-off last character, a damaged
// byte) has one per ten thousand or fewer, while GBK, GB18030, Big5 or UTF-16 read as UTF-8
// have more ill-formed sequences than such characters. Two-byte characters are not counted:
// a GBK text can read as a run of them shifted by one byte ("第第第" as U+06B5 ...).
constexpr std::size_t kCharactersPerBadSequence = 100;

bool FewBadSequences(const Utf8Tally& tally) {
  return tally.sequences * kCharactersPerBadSequence <= tally.characters;
}

// UTF-8 but for a few ill-formed sequences, checked at every MiB from the start, so that
// a text in another encoding is told within its first MiB, and within a MiB every 4 KiB:
// the rest of the MiB can add at most one character of three bytes or more per three
// bytes, so once the ill-formed sequences are too many for that, the check at the MiB's
// end fails whatever follows.
bool MostlyUtf8(std::string_view bytes) {
  struct TooMany {
    bool& failed;
    bool operator()(const Utf8Tally& tally) const { return failed = !FewBadSequences(tally); }
    bool operator()(const Utf8Tally& tally, std::size_t i, std::size_t to) const {
      return failed = tally.sequences * kCharactersPerBadSequence >
                      tally.characters + (to - std::min(i, to)) / 3;
    }
  };
  bool failed = false;
  TallyUtf8(bytes, TooMany{failed});
  return !failed;
}

}  // namespace

Detected DetectEncoding(std::string_view bytes) {
  if (auto bom = EncodingOfBom(bytes)) return {*bom, true};
  const bool ascii = AllAscii(bytes);
  if (ascii && bytes.find('\0') == std::string_view::npos) return {Encoding::kGbk, false};
  if (!ascii && IsUtf8(bytes)) return {Encoding::kUtf8, false};
  if (auto utf16 = Utf16ByZeros(bytes)) return {*utf16, false};
  if (!ascii && MostlyUtf8(bytes)) return {Encoding::kUtf8, false};
  if (auto utf16 = Utf16ByZerosAlone(bytes)) return {*utf16, false};
  if (ascii) return {Encoding::kGbk, false};
  if (FirstFourByteGb18030(bytes) != std::string_view::npos) return {Encoding::kGb18030, false};
  if (ClearlyBig5(bytes)) return {Encoding::kBig5, false};
  return {Encoding::kGbk, false};
}

// ---- one pass for detection and the text end ----------------------------------------------

namespace {

// What a byte of 0x00 or 0x1A tells.
void NoteMark(ByteFacts& facts, const unsigned char* data, std::size_t i) {
  if (data[i] == 0x00) ++facts.zeros;
  if ((data[i] == 0x00 || data[i] == 0x1A) && facts.firstMark == ByteFacts::kNone)
    facts.firstMark = i;
}

// Whether a four-byte GB18030 character starts at i (a byte of 0x81 or above and a digit,
// twice, at a character boundary); only the first one counts.
void NoteFourByte(ByteFacts& facts, std::string_view bytes, std::size_t i) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (facts.firstFourByte != ByteFacts::kNone || i + 4 > bytes.size()) return;
  if (IsLead(data[i]) && IsDigit(data[i + 1]) && IsLead(data[i + 2]) && IsDigit(data[i + 3]) &&
      BoundaryAtOrAfter(Encoding::kGb18030, bytes, i, 0) == i)
    facts.firstFourByte = i;
}

#if defined(__SSE2__)
// Blocks of 64 bytes from i on, each a few loads and comparisons: text holds no marks and
// few digits, so most blocks end after one test of each; where a digit follows a byte, the
// four-byte pattern is tested on the whole block at once. The GBK count goes along on the
// bytes already loaded. The last bytes are left to the caller, so that a character starting
// there is looked at whole even when its digits lie beyond to. Returns where it stopped.
std::size_t ScanBlocksSse2(std::string_view bytes, std::size_t i, std::size_t to, ByteFacts& facts,
                           GbkScan& gbk) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const __m128i zero = _mm_setzero_si128();
  const __m128i eof = _mm_set1_epi8(0x1A);
  const __m128i digitLow = _mm_set1_epi8(0x30);
  const __m128i nine = _mm_set1_epi8(9);
  const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
  auto load = [&](std::size_t at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
  };
  auto digitsOf = [&](__m128i v) {
    const __m128i d = _mm_sub_epi8(v, digitLow);
    return _mm_cmpeq_epi8(_mm_min_epu8(d, nine), d);
  };
  auto leadsOf = [&](__m128i v) { return _mm_cmpgt_epi8(_mm_xor_si128(v, bias), zero); };
  __m128i high = zero;
  for (; i + 64 + 3 <= to; i += 64) {
    __m128i marks = zero;
    __m128i digits = zero;
    for (std::size_t k = 0; k < 64; k += 16) {
      const __m128i v = load(i + k);
      high = _mm_or_si128(high, v);
      marks = _mm_or_si128(marks, _mm_or_si128(_mm_cmpeq_epi8(v, zero), _mm_cmpeq_epi8(v, eof)));
      digits = _mm_or_si128(digits, digitsOf(load(i + k + 1)));
    }
    AccountGbk(GbkBitsSse2(data + i), data + i, i, gbk);
    if (_mm_movemask_epi8(marks) != 0) {
      for (std::size_t k = i; k < i + 64; ++k) NoteMark(facts, data, k);
    }
    if (_mm_movemask_epi8(digits) == 0 || facts.firstFourByte != ByteFacts::kNone) continue;
    for (std::size_t k = 0; k < 64; k += 16) {
      const __m128i pattern =
          _mm_and_si128(_mm_and_si128(leadsOf(load(i + k)), digitsOf(load(i + k + 1))),
                        _mm_and_si128(leadsOf(load(i + k + 2)), digitsOf(load(i + k + 3))));
      for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(pattern)); mask != 0;
           mask &= mask - 1)
        NoteFourByte(facts, bytes, i + k + static_cast<std::size_t>(__builtin_ctz(mask)));
    }
  }
  if (_mm_movemask_epi8(high) != 0) facts.high = true;
  return i;
}
#endif

#if defined(MORVANE_X86)
#define MORVANE_AVX2 __attribute__((target("avx2"))) inline
MORVANE_AVX2 __m256i Load32(const unsigned char* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}
MORVANE_AVX2 __m256i DigitsOf(__m256i v) {
  const __m256i d = _mm256_sub_epi8(v, _mm256_set1_epi8(0x30));
  return _mm256_cmpeq_epi8(_mm256_min_epu8(d, _mm256_set1_epi8(9)), d);
}
MORVANE_AVX2 __m256i LeadsOf(__m256i v) {
  return _mm256_cmpgt_epi8(_mm256_xor_si256(v, _mm256_set1_epi8(static_cast<char>(0x80))),
                           _mm256_setzero_si256());
}
MORVANE_AVX2 __m256i MarksOf(__m256i v) {
  return _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_setzero_si256()),
                         _mm256_cmpeq_epi8(v, _mm256_set1_epi8(0x1A)));
}
#undef MORVANE_AVX2

// ScanBlocksSse2 with vectors of 32 bytes.
__attribute__((target("avx2"))) std::size_t ScanBlocksAvx2(std::string_view bytes, std::size_t i,
                                                           std::size_t to, ByteFacts& facts,
                                                           GbkScan& gbk) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const __m256i zero = _mm256_setzero_si256();
  __m256i high = zero;
  for (; i + 64 + 3 <= to; i += 64) {
    const __m256i low = Load32(data + i);
    const __m256i upper = Load32(data + i + 32);
    high = _mm256_or_si256(high, _mm256_or_si256(low, upper));
    const __m256i marks = _mm256_or_si256(MarksOf(low), MarksOf(upper));
    const __m256i digits =
        _mm256_or_si256(DigitsOf(Load32(data + i + 1)), DigitsOf(Load32(data + i + 33)));
    AccountGbk(GbkBitsAvx2(low, upper), data + i, i, gbk);
    if (!_mm256_testz_si256(marks, marks)) {
      for (std::size_t k = i; k < i + 64; ++k) NoteMark(facts, data, k);
    }
    if (_mm256_testz_si256(digits, digits) || facts.firstFourByte != ByteFacts::kNone) continue;
    for (std::size_t k = 0; k < 64; k += 32) {
      const __m256i pattern = _mm256_and_si256(
          _mm256_and_si256(LeadsOf(Load32(data + i + k)), DigitsOf(Load32(data + i + k + 1))),
          _mm256_and_si256(LeadsOf(Load32(data + i + k + 2)), DigitsOf(Load32(data + i + k + 3))));
      for (auto mask = static_cast<std::uint32_t>(_mm256_movemask_epi8(pattern)); mask != 0;
           mask &= mask - 1)
        NoteFourByte(facts, bytes, i + k + static_cast<std::size_t>(__builtin_ctz(mask)));
    }
  }
  if (_mm256_movemask_epi8(high) != 0) facts.high = true;
  return i;
}
#endif

// The facts of bytes [from, to) of bytes; candidates for a four-byte GB18030 character
// may read up to three bytes beyond to.
ByteFacts ScanRange(std::string_view bytes, std::size_t from, std::size_t to) {
  ByteFacts facts;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t i = from;
#if defined(__SSE2__)
  GbkScan gbk;
#if defined(MORVANE_X86)
  if (HasAvx2()) i = ScanBlocksAvx2(bytes, i, to, facts, gbk);
#endif
  i = ScanBlocksSse2(bytes, i, to, facts, gbk);
  AccountGbkRest(data, i, to, gbk);
  facts.gbk = gbk.found;
#else
  facts.gbkCounted = false;
#endif
  for (; i < to; ++i) {
    NoteMark(facts, data, i);
    if (data[i] >= 0x80) facts.high = true;
    NoteFourByte(facts, bytes, i);
  }
  return facts;
}

}  // namespace

std::size_t GbkStartAtOrAfter(std::string_view bytes, std::size_t at) {
  if (at == 0) return 0;  // the text's first character starts there
  const std::size_t n = bytes.size();
  for (std::size_t j = at; j < n; ++j) {
    if (!IsLead(At(bytes, j - 1))) return j;
  }
  return n;
}

ByteFacts ScanBytes(std::string_view bytes, bool sideBySide) {
  const std::size_t n = bytes.size();
  const std::size_t middle = GbkStartAtOrAfter(bytes, n / 2);
  if (!sideBySide || n < kSideBySideBytes || middle >= n) return ScanRange(bytes, 0, n);
  ByteFacts halves[2];
  RunSideBySide(2, [&](std::size_t part) {
    halves[part] = part == 0 ? ScanRange(bytes, 0, middle) : ScanRange(bytes, middle, n);
  });
  JoinFacts(halves[0], halves[1]);
  return halves[0];
}

ByteFacts ScanBytesIn(std::string_view bytes, std::size_t from, std::size_t to) {
  return ScanRange(bytes, from, to);
}

void JoinFacts(ByteFacts& earlier, const ByteFacts& later) {
  earlier.high = earlier.high || later.high;
  earlier.zeros += later.zeros;
  if (earlier.firstMark == ByteFacts::kNone) earlier.firstMark = later.firstMark;
  if (earlier.firstFourByte == ByteFacts::kNone) earlier.firstFourByte = later.firstFourByte;
  JoinUndecodable(earlier.gbk, later.gbk);
  earlier.gbkCounted = earlier.gbkCounted && later.gbkCounted;
}

namespace {

// IsUtf8 of large texts in two halves side by side. The second half starts at the first byte
// at or after the middle that is no continuation byte: a character that spans the middle is
// then checked whole in the first half. Where four such bytes follow each other, the text
// holds a sequence too long and is no UTF-8 either way.
bool IsUtf8InHalves(std::string_view bytes) {
  if (bytes.size() < kSideBySideBytes) return IsUtf8(bytes);
  std::size_t middle = bytes.size() / 2;
  for (int k = 0; k < 3 && IsContinuation(At(bytes, middle)); ++k) ++middle;
  bool halves[2] = {false, false};
  RunSideBySide(2, [&](std::size_t part) {
    halves[part] = part == 0 ? IsUtf8(bytes.substr(0, middle)) : IsUtf8(bytes.substr(middle));
  });
  return halves[0] && halves[1];
}

}  // namespace

Detected DetectEncoding(std::string_view bytes, const ByteFacts& facts) {
  if (auto bom = EncodingOfBom(bytes)) return {*bom, true};
  if (!facts.high && facts.zeros < 2) return {Encoding::kGbk, false};
  if (facts.high && IsUtf8InHalves(bytes)) return {Encoding::kUtf8, false};
  if (facts.zeros >= 2) {
    if (auto utf16 = Utf16ByZeros(bytes)) return {*utf16, false};
  }
  if (facts.high && MostlyUtf8(bytes)) return {Encoding::kUtf8, false};
  if (facts.zeros >= 2) {
    if (auto utf16 = Utf16ByZerosAlone(bytes)) return {*utf16, false};
  }
  if (!facts.high) return {Encoding::kGbk, false};
  if (facts.firstFourByte != ByteFacts::kNone) return {Encoding::kGb18030, false};
  if (ClearlyBig5(bytes)) return {Encoding::kBig5, false};
  return {Encoding::kGbk, false};
}

Detected ResolveEncoding(std::string_view bytes, std::optional<Encoding> forced) {
  if (!forced) return DetectEncoding(bytes);
  const std::string_view bom = BomOf(*forced);
  return {*forced, !bom.empty() && bytes.starts_with(bom)};
}

}  // namespace morvane
