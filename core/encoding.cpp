#include "core/encoding.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>

#include "core/fatal.h"
#include "core/gbk.h"
#include "core/side_by_side.h"
#include "core/thread_converter.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MORVANE_X86 1
#endif

namespace morvane {
namespace {

struct Names {
  Encoding encoding;
  std::string_view name;
  std::string_view label;
};
constexpr Names kNames[] = {
    {Encoding::kGbk, "gbk", "GBK"},
    {Encoding::kGb18030, "gb18030", "GB18030"},
    {Encoding::kUtf8, "utf-8", "UTF-8"},
    {Encoding::kUtf16Le, "utf-16le", "UTF-16LE"},
    {Encoding::kUtf16Be, "utf-16be", "UTF-16BE"},
    {Encoding::kBig5, "big5", "Big5"},
};

const Names& NamesOf(Encoding encoding) {
  return kNames[static_cast<std::size_t>(encoding)];
}

unsigned char At(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

bool IsLead(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}
bool IsDigit(unsigned char b) {
  return b >= 0x30 && b <= 0x39;
}
bool IsContinuation(unsigned char b) {
  return (b & 0xC0) == 0x80;
}

// ---- UTF-8 validation -------------------------------------------------------------------

// Length of the well-formed UTF-8 sequence at i (1..4), or 0.
std::size_t WellFormedAt(std::string_view s, std::size_t i) {
  const unsigned char b = At(s, i);
  if (b < 0x80) return 1;
  std::size_t len;
  unsigned char lo = 0x80;
  unsigned char hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (s.size() - i < len) return 0;
  if (At(s, i + 1) < lo || At(s, i + 1) > hi) return 0;
  for (std::size_t k = 2; k < len; ++k) {
    if (!IsContinuation(At(s, i + k))) return 0;
  }
  return len;
}

#if defined(MORVANE_X86)
// The lookup method: every error of UTF-8 shows in the pair of a byte and the one before
// it (its high nibble, its low nibble, the next byte's high nibble), except a missing or
// extra third or fourth byte, which the bytes two and three back tell. Three table
// lookups and two comparisons per 32 bytes, no branch but the loop's.
constexpr std::uint8_t kTooShort = 1 << 0;
constexpr std::uint8_t kTooLong = 1 << 1;
constexpr std::uint8_t kOverlong3 = 1 << 2;
constexpr std::uint8_t kTooLarge = 1 << 3;
constexpr std::uint8_t kSurrogate = 1 << 4;
constexpr std::uint8_t kOverlong2 = 1 << 5;
constexpr std::uint8_t kTooLarge1000 = 1 << 6;
constexpr std::uint8_t kOverlong4 = 1 << 6;
constexpr std::uint8_t kTwoConts = 1 << 7;
constexpr std::uint8_t kCarry = kTooShort | kTooLong | kTwoConts;

__attribute__((target("avx2"))) __m256i Table16(std::array<std::uint8_t, 16> t) {
  __m128i half = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t.data()));
  return _mm256_broadcastsi128_si256(half);
}

// The 32 bytes ending one byte (n bytes) before the current block.
template <int N>
__attribute__((target("avx2"))) __m256i Prev(__m256i input, __m256i previous) {
  return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(previous, input, 0x21), 16 - N);
}

__attribute__((target("avx2"))) bool IsUtf8Avx2(const unsigned char* data, std::size_t n,
                                                std::size_t* checked) {
  const __m256i byte1High = Table16(
      {kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTwoConts,
       kTwoConts, kTwoConts, kTwoConts, kTooShort | kOverlong2, kTooShort,
       kTooShort | kOverlong3 | kSurrogate, kTooShort | kTooLarge | kTooLarge1000 | kOverlong4});
  const __m256i byte1Low =
      Table16({kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry, kCarry,
               kCarry | kTooLarge, kCarry | kTooLarge | kTooLarge1000,
               kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
               kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
               kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
               kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000 | kSurrogate,
               kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000});
  const __m256i byte2High = Table16(
      {kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
       kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
       kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,
       kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
       kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge, kTooShort, kTooShort, kTooShort,
       kTooShort});
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i third = _mm256_set1_epi8(static_cast<char>(0xE0 - 0x80));
  const __m256i fourth = _mm256_set1_epi8(static_cast<char>(0xF0 - 0x80));
  const __m256i high = _mm256_set1_epi8(static_cast<char>(0x80));
  __m256i previous = _mm256_setzero_si256();
  __m256i error = _mm256_setzero_si256();
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    const __m256i input = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
    if (_mm256_movemask_epi8(input) == 0) {
      // All ASCII: only a sequence left open at the end of the previous block can be
      // wrong (a lead in its last byte, a three- or four-byte lead two or three back).
      const __m256i open = _mm256_subs_epu8(
          previous,
          _mm256_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                           -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, static_cast<char>(0xF0 - 1),
                           static_cast<char>(0xE0 - 1), static_cast<char>(0xC0 - 1)));
      error = _mm256_or_si256(error, open);
      previous = input;
      continue;
    }
    const __m256i prev1 = Prev<1>(input, previous);
    const __m256i sc = _mm256_and_si256(
        _mm256_and_si256(
            _mm256_shuffle_epi8(byte1High, _mm256_and_si256(_mm256_srli_epi16(prev1, 4), nibble)),
            _mm256_shuffle_epi8(byte1Low, _mm256_and_si256(prev1, nibble))),
        _mm256_shuffle_epi8(byte2High, _mm256_and_si256(_mm256_srli_epi16(input, 4), nibble)));
    const __m256i prev2 = Prev<2>(input, previous);
    const __m256i prev3 = Prev<3>(input, previous);
    const __m256i must23 =
        _mm256_or_si256(_mm256_subs_epu8(prev2, third), _mm256_subs_epu8(prev3, fourth));
    const __m256i must23High = _mm256_and_si256(must23, high);
    error = _mm256_or_si256(error, _mm256_xor_si256(must23High, sc));
    previous = input;
    // Text in another encoding shows an error within the first few blocks: stop there
    // rather than read a gigabyte to the end.
    if ((i & 0xFFFF) == 0 && !_mm256_testz_si256(error, error)) return false;
  }
  // The tail goes to the scalar check from the last character start before it.
  // A sequence that runs from the last block into the tail is checked again whole.
  std::size_t start = i;
  for (std::size_t k = 1; k <= 3 && k <= i; ++k) {
    if (data[i - k] >= 0xC0) {
      start = i - k;
      break;
    }
    if (data[i - k] < 0x80) break;
  }
  *checked = start;
  return _mm256_testz_si256(error, error) != 0;
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

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

// ---- ICU ---------------------------------------------------------------------------------

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

const char* IcuName(Encoding encoding) {
  switch (encoding) {
    case Encoding::kGbk:
      return "windows-936";
    case Encoding::kGb18030:
      return "gb18030";
    case Encoding::kBig5:
      return "windows-950";
    case Encoding::kUtf8:
      return "UTF-8";
    case Encoding::kUtf16Le:
      return "UTF-16LE";
    case Encoding::kUtf16Be:
      return "UTF-16BE";
  }
  return "windows-936";
}

// Counts what the encoding cannot hold and writes "?" for it.
struct Unencodable {
  std::size_t count = 0;
  std::size_t firstIndex = 0;
  char32_t firstChar = 0;
  const UChar* base = nullptr;
};

void CountUnencodable(const void* context, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                      UChar32 codePoint, UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  auto* seen = static_cast<Unencodable*>(const_cast<void*>(context));
  if (seen->count == 0) {
    seen->firstChar = static_cast<char32_t>(codePoint);
    seen->firstIndex = static_cast<std::size_t>(args->source - seen->base);
    // source already stands after the character.
    seen->firstIndex -= codePoint >= 0x10000 ? 2 : 1;
  }
  ++seen->count;
  *err = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(args, "?", 1, 0, err);
}

Converter OpenConverter(Encoding encoding) {
  UErrorCode err = U_ZERO_ERROR;
  Converter c(ucnv_open(IcuName(encoding), &err));
  if (U_FAILURE(err) || !c) {
    // "ICU编码转换器不可用": ICU's data is part of the installation, so it is broken.
    RuntimeError(ByteText("ICU\xB1\xE0\xC2\xEB\xD7\xAA\xBB\xBB\xC6\xF7\xB2\xBB\xBF\xC9\xD3\xC3"));
  }
  ucnv_setFallback(c.get(), false);
  return c;
}

// One converter per thread and encoding.
UConverter* ThreadConverter(Encoding encoding) {
  static_assert(std::size(kEncodings) < kThreadConverterSlots);
  return morvane::ThreadConverter(static_cast<int>(encoding), [](int slot) {
    return OpenConverter(static_cast<Encoding>(slot)).release();
  });
}

// The character of one multi-byte sequence, through ICU; empty when it is none.
std::u16string DecodeOne(Encoding encoding, std::string_view bytes) {
  UConverter* c = ThreadConverter(encoding);
  ucnv_resetToUnicode(c);
  UErrorCode err = U_ZERO_ERROR;
  ucnv_setToUCallBack(c, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  UChar out[4];
  UChar* target = out;
  const char* source = bytes.data();
  err = U_ZERO_ERROR;
  ucnv_toUnicode(c, &target, out + 4, &source, bytes.data() + bytes.size(), nullptr, true, &err);
  if (U_FAILURE(err) || source != bytes.data() + bytes.size()) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(out),
                        static_cast<std::size_t>(target - out));
}

std::string EncodeOne(Encoding encoding, std::u16string_view text) {
  UConverter* c = ThreadConverter(encoding);
  ucnv_resetFromUnicode(c);
  UErrorCode err = U_ZERO_ERROR;
  ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  char out[16];
  char* target = out;
  const UChar* source = reinterpret_cast<const UChar*>(text.data());
  err = U_ZERO_ERROR;
  ucnv_fromUnicode(c, &target, out + sizeof out, &source, source + text.size(), nullptr, true,
                   &err);
  if (U_FAILURE(err)) return {};
  return std::string(out, static_cast<std::size_t>(target - out));
}

// The double-byte characters of GBK, GB18030 and Big5, learnt from ICU once: the one table
// the program reads and writes them with. units holds the character of lead 0x81..0xFE and
// trail 0x40..0xFF (0 where the pair is none); back the pair that each character is
// written as (0 where the encoding has no pair for it).
//
// A pair is read as the character ICU's converter gives it, also where the character is
// written back as another pair: code page 950 as Windows reads it has such duplicates
// (A2CC and A451 are both 十, A2A4 and F9F9 both ═, F9FA..F9FD are ╭╮╰╯ as A27E..A2A3
// are), which ICU's windows-950 decodes as Windows does and writes back as the first
// pair. Its user-defined areas (8140..A0FE, C6A1..C8FE, FA40..FEFE) decode to the same
// private-use characters as in Windows (U+EEB8.., U+F6B1..U+F848, U+E000..U+E310).
// Windows' table holds no pair that ICU's leaves out; it also reads a lone 0x80 and 0xFF
// (as U+0080/U+F8F8 in 950, U+20AC/U+F8F5 in 936), which no text of these encodings
// holds and which stay undecodable bytes here, so no character is written as them.
struct PairTable {
  std::vector<char16_t> units = std::vector<char16_t>(126 * 192, 0);
  std::vector<std::uint16_t> back = std::vector<std::uint16_t>(65536, 0);
  // The characters Windows writes as one byte of 0x80 and above (in 936 U+20AC as 0x80),
  // with that byte: text typed in a window writes them so (EncodeShown), as it always did.
  std::vector<std::pair<char16_t, unsigned char>> singles;
  char16_t At(unsigned char lead, unsigned char trail) const {
    return units[(lead - 0x81) * 192 + (trail - 0x40)];
  }
};

PairTable LearnPairs(Encoding encoding) {
  PairTable table;
  for (int b = 0x80; b <= 0xFF; ++b) {
    const char one = static_cast<char>(b);
    const std::u16string u = DecodeOne(encoding, std::string_view(&one, 1));
    if (u.size() == 1 && u[0] >= 0x80 && EncodeOne(encoding, u) == std::string_view(&one, 1))
      table.singles.emplace_back(u[0], static_cast<unsigned char>(b));
  }
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFF; ++trail) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string u = DecodeOne(encoding, std::string_view(pair, 2));
      if (u.size() != 1 || u[0] < 0x80) continue;
      table.units[(lead - 0x81) * 192 + (trail - 0x40)] = u[0];
      if (EncodeOne(encoding, u) == std::string_view(pair, 2))
        table.back[u[0]] = static_cast<std::uint16_t>(lead << 8 | trail);
    }
  }
  return table;
}

const PairTable& PairsOf(Encoding encoding) {
  static std::once_flag once[3];
  static PairTable tables[3];
  const int k = encoding == Encoding::kGbk ? 0 : encoding == Encoding::kGb18030 ? 1 : 2;
  std::call_once(once[k], [&] { tables[k] = LearnPairs(encoding); });
  return tables[k];
}

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
  std::size_t gbkHits = 0;
  std::size_t big5Hits = 0;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t len = CharLength(Encoding::kBig5, bytes, i);
    if (len == 2) {
      const unsigned pair = At(bytes, i) << 8 | At(bytes, i + 1);
      gbkHits += common.gbk.test(pair) ? 1 : 0;
      big5Hits += common.big5.test(pair) ? 1 : 0;
    }
    i += len;
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

// ---- UTF-8 with a few bad sequences ----------------------------------------------------------

// Well-formed characters of three and four bytes (the Chinese characters and punctuation)
// and ill-formed sequences (each one step of CharLength, as Decode escapes them) of a
// stretch of UTF-8 text.
struct Utf8Tally {
  std::size_t characters = 0;
  std::size_t sequences = 0;
  std::size_t bytes = 0;  // the bytes of the ill-formed sequences
  std::size_t first = 0;  // offset of the first of them
};

// The bytes of 0xE0 and above: in valid UTF-8 the lead bytes of three- and four-byte
// characters.
std::size_t CountLongLeads(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t count = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i below = _mm_set1_epi8(0x5F);
  for (; i + 16 <= n; i += 16) {
    const __m128i v =
        _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), bias);
    count += static_cast<std::size_t>(
        __builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(v, below)))));
  }
#endif
  for (; i < n; ++i) count += data[i] >= 0xE0 ? 1 : 0;
  return count;
}

// Adds bytes [from, to) to tally, one character at a time; from is a character start.
void TallyUtf8Slowly(std::string_view bytes, std::size_t from, std::size_t to, Utf8Tally& tally) {
  for (std::size_t i = from; i < to;) {
    const std::size_t length = WellFormedAt(bytes, i);
    if (length > 2) ++tally.characters;
    if (length != 0) {
      i += length;
      continue;
    }
    const std::size_t step = CharLength(Encoding::kUtf8, bytes, i);
    if (tally.sequences++ == 0) tally.first = i;
    tally.bytes += step;
    i += step;
  }
}

// The tally of bytes, a MiB at a time: a MiB that is valid UTF-8 (the vectorised test) only
// has its lead bytes counted; the others are stepped through. After each MiB, enough(tally)
// may end the count. Each MiB ends before a byte that is no continuation byte (or after
// three that are), where no sequence can run across.
template <typename Enough>
Utf8Tally TallyUtf8(std::string_view bytes, Enough enough) {
  constexpr std::size_t kStretch = 1u << 20;
  Utf8Tally tally;
  const std::size_t n = bytes.size();
  for (std::size_t from = 0; from < n;) {
    std::size_t to = std::min(n, from + kStretch);
    for (int k = 0; k < 3 && to < n && IsContinuation(At(bytes, to)); ++k) ++to;
    const std::string_view stretch = bytes.substr(from, to - from);
    if (IsUtf8(stretch)) {
      tally.characters += CountLongLeads(stretch);
    } else {
      TallyUtf8Slowly(bytes, from, to, tally);
    }
    from = to;
    if (enough(tally)) break;
  }
  return tally;
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
// a text in another encoding is told within its first MiB.
bool MostlyUtf8(std::string_view bytes) {
  bool few = true;
  TallyUtf8(bytes, [&](const Utf8Tally& tally) {
    few = FewBadSequences(tally);
    return !few;
  });
  return few;
}

// ---- bytes that are no GBK character, 64 at a time ------------------------------------------

// Every pair of a lead byte (0x81..0xFE) and a trail byte (0x40..0xFE but 0x7F) is a GBK
// character in the table the program reads GBK with (code page 936 with its user-defined
// areas), so a byte that is no GBK character is one of: a lead byte followed by a byte that
// is no trail byte (with it when that byte is 0x40 or above, alone otherwise, as CharLength
// steps), a lead byte at the end, or a 0x80 or 0xFF that is no trail byte. Where a
// character starts follows from the runs of lead bytes: a run starts a character, and its
// bytes alternate between lead and trail. Carried from one block of 64 bytes to the next:
struct GbkScan {
  bool inRun = false;     // the last byte is a lead byte
  bool lastLead = false;  // ... and starts a character
  Undecodable found;
};

bool GbkTableIsStructural() {
  static const bool structural = [] {
    const PairTable& pairs = PairsOf(Encoding::kGbk);
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail != 0x7F &&
            pairs.At(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)) == 0)
          return false;
      }
    }
    return true;
  }();
  return structural;
}

#if defined(__SSE2__)
// The bytes of one block of 64 that matter, a bit each.
struct GbkBits {
  std::uint64_t leads = 0;     // 0x81..0xFE
  std::uint64_t notTrail = 0;  // below 0x40, 0x7F and 0xFF
  std::uint64_t lone = 0;      // 0x80 and 0xFF
};

// Where the block's characters start, from its lead bytes and what the block before left,
// and the bytes that are no character.
inline void AccountGbk(const GbkBits& bits, const unsigned char* block, std::size_t base,
                       GbkScan& scan) {
  constexpr std::uint64_t kEven = 0x5555555555555555ull;
  const std::uint64_t leads = bits.leads;
  // Runs whose first byte here starts a character at an even offset, or at 0 carried on.
  std::uint64_t evenStarts = leads & ~((leads << 1) | (scan.inRun ? 1u : 0u)) & kEven;
  if ((leads & 1) && scan.inRun && !scan.lastLead) evenStarts |= 1;
  const std::uint64_t evenRuns = leads & ~(leads + evenStarts);
  const std::uint64_t starts = (evenRuns & kEven) | (leads & ~evenRuns & ~kEven);
  const std::uint64_t trails = (starts << 1) | (scan.lastLead ? 1u : 0u);
  const std::uint64_t badTrails = trails & bits.notTrail;
  const std::uint64_t badLone = bits.lone & ~trails;
  scan.inRun = (leads >> 63) != 0;
  scan.lastLead = (starts >> 63) != 0;
  if ((badTrails | badLone) == 0) return;
  std::size_t first = static_cast<std::size_t>(-1);
  if (badLone != 0) first = base + static_cast<std::size_t>(__builtin_ctzll(badLone));
  if (badTrails != 0)
    first = std::min(first, base + static_cast<std::size_t>(__builtin_ctzll(badTrails)) - 1);
  if (scan.found.count == 0) scan.found.first = first;
  // A lead byte goes with the byte after it when that byte is 0x40 or above.
  std::size_t count = static_cast<std::size_t>(__builtin_popcountll(badLone));
  for (std::uint64_t bad = badTrails; bad != 0; bad &= bad - 1)
    count += block[__builtin_ctzll(bad)] < 0x40 ? 1 : 2;
  scan.found.count += count;
}

GbkBits GbkBitsSse2(const unsigned char* block) {
  const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i ff = _mm_set1_epi8(static_cast<char>(0xFF));
  GbkBits bits;
  for (int k = 0; k < 4; ++k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * k));
    const __m128i s = _mm_xor_si128(v, bias);  // unsigned order as signed
    const __m128i lead = _mm_and_si128(_mm_cmpgt_epi8(s, _mm_setzero_si128()),
                                       _mm_cmplt_epi8(s, _mm_set1_epi8(0x7F)));
    const __m128i isFf = _mm_cmpeq_epi8(v, ff);
    const __m128i notTrail =
        _mm_or_si128(_mm_cmplt_epi8(s, _mm_set1_epi8(-0x40)),
                     _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F)), isFf));
    const int shift = 16 * k;
    auto mask = [](__m128i m) {
      return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(m)) & 0xFFFFu);
    };
    bits.leads |= mask(lead) << shift;
    bits.notTrail |= mask(notTrail) << shift;
    bits.lone |= mask(_mm_or_si128(_mm_cmpeq_epi8(v, bias), isFf)) << shift;
  }
  return bits;
}

#if defined(MORVANE_X86)
__attribute__((target("avx2"))) void ScanGbkAvx2(const unsigned char* data, std::size_t from,
                                                 std::size_t to, GbkScan& scan) {
  const __m256i bias = _mm256_set1_epi8(static_cast<char>(0x80));
  const __m256i ff = _mm256_set1_epi8(static_cast<char>(0xFF));
  const __m256i zero = _mm256_setzero_si256();
  const __m256i top = _mm256_set1_epi8(0x7F);
  const __m256i below40 = _mm256_set1_epi8(-0x40);
  for (std::size_t i = from; i + 64 <= to; i += 64) {
    GbkBits bits;
    for (int k = 0; k < 2; ++k) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + 32 * k));
      const __m256i s = _mm256_xor_si256(v, bias);
      const __m256i lead = _mm256_and_si256(_mm256_cmpgt_epi8(s, zero), _mm256_cmpgt_epi8(top, s));
      const __m256i isFf = _mm256_cmpeq_epi8(v, ff);
      const __m256i notTrail = _mm256_or_si256(_mm256_cmpgt_epi8(below40, s),
                                               _mm256_or_si256(_mm256_cmpeq_epi8(v, top), isFf));
      const __m256i lone = _mm256_or_si256(_mm256_cmpeq_epi8(v, bias), isFf);
      const int shift = 32 * k;
      bits.leads |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(lead))} << shift;
      bits.notTrail |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(notTrail))}
                       << shift;
      bits.lone |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(lone))} << shift;
    }
    AccountGbk(bits, data + i, i, scan);
  }
}
#endif

// FindUndecodable in GBK for bytes [from, to) of bytes, from a character start.
Undecodable FindUndecodableGbk(std::string_view bytes, std::size_t from, std::size_t to) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  GbkScan scan;
  std::size_t i = from;
#if defined(MORVANE_X86)
  if (HasAvx2()) {
    ScanGbkAvx2(data, from, to, scan);
    i += (to - from) / 64 * 64;
  }
#endif
  for (; i + 64 <= to; i += 64) AccountGbk(GbkBitsSse2(data + i), data + i, i, scan);
  // The rest, and a lead byte at the very end, through a block padded with zero bytes.
  unsigned char last[64] = {};
  if (to > i) std::memcpy(last, data + i, to - i);
  AccountGbk(GbkBitsSse2(last), last, i, scan);
  return scan.found;
}

// The same in two halves side by side for large texts; the second starts after the first
// byte at or beyond the middle that is no lead byte, where a character starts.
Undecodable FindUndecodableGbk(std::string_view bytes) {
  const std::size_t n = bytes.size();
  std::size_t middle = n / 2;
  while (middle < n && IsLead(At(bytes, middle))) ++middle;
  if (n < kSideBySideBytes || middle >= n) return FindUndecodableGbk(bytes, 0, n);
  ++middle;
  Undecodable first;
  Undecodable second;
  RunSideBySide(2, [&](std::size_t part) {
    if (part == 0) {
      first = FindUndecodableGbk(bytes, 0, middle);
    } else {
      second = FindUndecodableGbk(bytes, middle, n);
    }
  });
  if (first.count == 0) first.first = second.first;
  first.count += second.count;
  return first;
}
#endif

// ---- decoding ------------------------------------------------------------------------------

struct Decoder {
  DecodedText out;
  bool withOffsets;

  void Put(char16_t unit, std::size_t at) {
    out.text.push_back(unit);
    if (withOffsets) out.offsets.push_back(static_cast<std::uint32_t>(at));
  }
  void Note(std::size_t at, std::size_t len) {
    if (out.undecodable == 0) out.firstUndecodable = at;
    out.undecodable += len;
  }
  // Undecodable bytes, each as its stand-in.
  void Raw(std::string_view bytes, std::size_t at, std::size_t len) {
    Note(at, len);
    for (std::size_t k = 0; k < len; ++k) {
      const unsigned char b = At(bytes, at + k);
      out.standIns.push_back(static_cast<std::uint32_t>(out.text.size()));
      Put(b < 0x80 ? b : static_cast<char16_t>(kRawBase + b), at);
    }
  }
};

void DecodeUtf8(std::string_view bytes, Decoder& d) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t len = WellFormedAt(bytes, i);
    if (len == 0) {
      const std::size_t step = CharLength(Encoding::kUtf8, bytes, i);
      d.Raw(bytes, i, step);
      i += step;
      continue;
    }
    const unsigned char b = At(bytes, i);
    char32_t c;
    if (len == 1) {
      c = b;
    } else if (len == 2) {
      c = (b & 0x1Fu) << 6 | (At(bytes, i + 1) & 0x3Fu);
    } else if (len == 3) {
      c = (b & 0x0Fu) << 12 | (At(bytes, i + 1) & 0x3Fu) << 6 | (At(bytes, i + 2) & 0x3Fu);
    } else {
      c = (b & 0x07u) << 18 | (At(bytes, i + 1) & 0x3Fu) << 12 | (At(bytes, i + 2) & 0x3Fu) << 6 |
          (At(bytes, i + 3) & 0x3Fu);
    }
    if (c >= 0x10000) {
      d.Put(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), i);
      d.Put(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)), i);
    } else {
      d.Put(static_cast<char16_t>(c), i);
    }
    i += len;
  }
}

void DecodeUtf16(std::string_view bytes, bool littleEndian, Decoder& d) {
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  for (; i + 2 <= n; i += 2) {
    const auto unit = static_cast<char16_t>(littleEndian ? At(bytes, i) | At(bytes, i + 1) << 8
                                                         : At(bytes, i) << 8 | At(bytes, i + 1));
    // A surrogate pair's halves both point at its first byte.
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    const std::size_t at =
        low && i >= 2 &&
                CharLength(littleEndian ? Encoding::kUtf16Le : Encoding::kUtf16Be, bytes, i - 2) ==
                    4
            ? i - 2
            : i;
    // An unpaired surrogate is no character: it stays the unit it is, listed as a
    // stand-in for its two bytes.
    const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
    const bool paired =
        surrogate &&
        (low ? at != i
             : i + 4 <= n && CharLength(littleEndian ? Encoding::kUtf16Le : Encoding::kUtf16Be,
                                        bytes, i) == 4);
    if (surrogate && !paired) {
      d.Note(i, 2);
      d.out.standIns.push_back(static_cast<std::uint32_t>(d.out.text.size()));
    }
    d.Put(unit, at);
  }
  if (i < n) d.Raw(bytes, i, 1);
}

void DecodeDoubleByte(Encoding encoding, std::string_view bytes, Decoder& d) {
  const PairTable& pairs = PairsOf(encoding);
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t len = CharLength(encoding, bytes, i);
    const unsigned char b = At(bytes, i);
    if (len == 1) {
      if (b < 0x80) {
        d.Put(b, i);
      } else {
        d.Raw(bytes, i, 1);
      }
    } else if (len == 2) {
      const char16_t u = pairs.At(b, At(bytes, i + 1));
      if (u != 0) {
        d.Put(u, i);
      } else {
        d.Raw(bytes, i, 2);
      }
    } else if (b >= 0x90 && b <= 0xE3) {
      // A four-byte GB18030 character beyond the BMP: its code point counts up from
      // U+10000 at 90 30 81 30, one for each step of the last byte (the standard's own
      // rule, which ICU follows); past U+10FFFF the code is none.
      const char32_t c =
          0x10000 +
          ((((b - 0x90u) * 10 + (At(bytes, i + 1) - 0x30u)) * 126 + (At(bytes, i + 2) - 0x81u)) *
               10 +
           (At(bytes, i + 3) - 0x30u));
      if (c > 0x10FFFF) {
        d.Raw(bytes, i, len);
      } else {
        d.Put(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), i);
        d.Put(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)), i);
      }
    } else {
      const std::u16string u = DecodeOne(encoding, bytes.substr(i, len));
      if (u.empty()) {
        d.Raw(bytes, i, len);
      } else {
        for (char16_t unit : u) d.Put(unit, i);
      }
    }
    i += len;
  }
}

}  // namespace

std::string_view EncodingName(Encoding encoding) {
  return NamesOf(encoding).name;
}

std::string_view EncodingLabel(Encoding encoding) {
  return NamesOf(encoding).label;
}

std::optional<Encoding> EncodingFromName(std::string_view name) {
  auto same = [](std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
             return lower(x) == lower(y);
           });
  };
  for (const Names& n : kNames) {
    if (same(name, n.name)) return n.encoding;
  }
  return std::nullopt;
}

std::size_t UnitBytes(Encoding encoding) {
  return IsUtf16(encoding) ? 2 : 1;
}

bool IsUtf16(Encoding encoding) {
  return encoding == Encoding::kUtf16Le || encoding == Encoding::kUtf16Be;
}

std::string_view BomOf(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8:
      return "\xEF\xBB\xBF";
    case Encoding::kUtf16Le:
      return "\xFF\xFE";
    case Encoding::kUtf16Be:
      return "\xFE\xFF";
    default:
      return {};
  }
}

std::optional<Encoding> EncodingOfBom(std::string_view bytes) {
  for (Encoding e : {Encoding::kUtf8, Encoding::kUtf16Le, Encoding::kUtf16Be}) {
    if (bytes.starts_with(BomOf(e))) return e;
  }
  return std::nullopt;
}

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

// The facts of bytes [from, to) of bytes; candidates for a four-byte GB18030 character
// may read up to three bytes beyond to.
ByteFacts ScanRange(std::string_view bytes, std::size_t from, std::size_t to) {
  ByteFacts facts;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  auto mark = [&](std::size_t i) {
    if (data[i] == 0x00) ++facts.zeros;
    if ((data[i] == 0x00 || data[i] == 0x1A) && facts.firstMark == ByteFacts::kNone)
      facts.firstMark = i;
  };
  auto fourByte = [&](std::size_t i) {
    if (facts.firstFourByte != ByteFacts::kNone || i + 4 > n) return;
    if (IsLead(data[i]) && IsDigit(data[i + 1]) && IsLead(data[i + 2]) && IsDigit(data[i + 3]) &&
        BoundaryAtOrAfter(Encoding::kGb18030, bytes, i, 0) == i)
      facts.firstFourByte = i;
  };
  std::size_t i = from;
#if defined(__SSE2__)
  // 64 bytes a step. Text holds no marks and few digits, so most steps are loads,
  // comparisons and one test; where a digit follows a byte, the four-byte pattern (a byte
  // of 0x81 or above and a digit, twice) is tested on the whole step at once.
  const __m128i zero = _mm_setzero_si128();
  const __m128i eof = _mm_set1_epi8(0x1A);
  const __m128i digitLow = _mm_set1_epi8(0x30);
  const __m128i nine = _mm_set1_epi8(9);
  const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i leadLow = _mm_set1_epi8(static_cast<char>(0x81 - 0x80 - 1));
  auto load = [&](std::size_t at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
  };
  auto digitsOf = [&](__m128i v) {
    const __m128i d = _mm_sub_epi8(v, digitLow);
    return _mm_cmpeq_epi8(_mm_min_epu8(d, nine), d);
  };
  auto leadsOf = [&](__m128i v) { return _mm_cmpgt_epi8(_mm_xor_si128(v, bias), leadLow); };
  __m128i high = _mm_setzero_si128();
  // The last bytes go to the loop below, so that a character starting there is looked at
  // whole even when its digits lie beyond to.
  for (; i + 64 + 3 <= to; i += 64) {
    __m128i marks = zero;
    __m128i digits = zero;
    for (std::size_t k = 0; k < 64; k += 16) {
      const __m128i v = load(i + k);
      high = _mm_or_si128(high, v);
      marks = _mm_or_si128(marks, _mm_or_si128(_mm_cmpeq_epi8(v, zero), _mm_cmpeq_epi8(v, eof)));
      digits = _mm_or_si128(digits, digitsOf(load(i + k + 1)));
    }
    if (_mm_movemask_epi8(marks) != 0) {
      for (std::size_t k = i; k < i + 64; ++k) mark(k);
    }
    if (_mm_movemask_epi8(digits) == 0 || facts.firstFourByte != ByteFacts::kNone) continue;
    for (std::size_t k = 0; k < 64; k += 16) {
      const __m128i pattern =
          _mm_and_si128(_mm_and_si128(leadsOf(load(i + k)), digitsOf(load(i + k + 1))),
                        _mm_and_si128(leadsOf(load(i + k + 2)), digitsOf(load(i + k + 3))));
      for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(pattern)); mask != 0;
           mask &= mask - 1) {
        fourByte(i + k + static_cast<std::size_t>(__builtin_ctz(mask)));
      }
    }
  }
  facts.high = _mm_movemask_epi8(high) != 0;
#endif
  for (; i < to; ++i) {
    mark(i);
    if (data[i] >= 0x80) facts.high = true;
    fourByte(i);
  }
  return facts;
}

}  // namespace

ByteFacts ScanBytes(std::string_view bytes, bool sideBySide) {
  const std::size_t n = bytes.size();
  if (!sideBySide || n < kSideBySideBytes) return ScanRange(bytes, 0, n);
  const std::size_t middle = n / 2;
  ByteFacts first;
  ByteFacts second;
  RunSideBySide(2, [&](std::size_t part) {
    if (part == 0) {
      first = ScanRange(bytes, 0, middle);
    } else {
      second = ScanRange(bytes, middle, n);
    }
  });
  JoinFacts(first, second);
  return first;
}

ByteFacts ScanBytesIn(std::string_view bytes, std::size_t from, std::size_t to) {
  return ScanRange(bytes, from, to);
}

void JoinFacts(ByteFacts& earlier, const ByteFacts& later) {
  earlier.high = earlier.high || later.high;
  earlier.zeros += later.zeros;
  if (earlier.firstMark == ByteFacts::kNone) earlier.firstMark = later.firstMark;
  if (earlier.firstFourByte == ByteFacts::kNone) earlier.firstFourByte = later.firstFourByte;
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

bool IsUtf8Slowly(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t len = WellFormedAt(bytes, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

bool IsUtf8(std::string_view bytes) {
#if defined(MORVANE_X86)
  if (HasAvx2()) {
    std::size_t checked = 0;
    if (!IsUtf8Avx2(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &checked))
      return false;
    return IsUtf8Slowly(bytes.substr(checked));
  }
#endif
  return IsUtf8Slowly(bytes);
}

std::size_t CharLength(Encoding encoding, std::string_view text, std::size_t offset) {
  const std::size_t left = text.size() - offset;
  const unsigned char b = At(text, offset);
  switch (encoding) {
    case Encoding::kGbk:
    case Encoding::kBig5:
      return IsLead(b) && left >= 2 && At(text, offset + 1) >= 0x40 ? 2 : 1;
    case Encoding::kGb18030:
      if (!IsLead(b) || left < 2) return 1;
      if (left >= 4 && IsDigit(At(text, offset + 1)) && IsLead(At(text, offset + 2)) &&
          IsDigit(At(text, offset + 3)))
        return 4;
      return At(text, offset + 1) >= 0x40 ? 2 : 1;
    case Encoding::kUtf8: {
      std::size_t want = b >= 0xC2 && b <= 0xDF   ? 2
                         : b >= 0xE0 && b <= 0xEF ? 3
                         : b >= 0xF0 && b <= 0xF4 ? 4
                                                  : 1;
      std::size_t len = 1;
      while (len < want && len < left && IsContinuation(At(text, offset + len))) ++len;
      return len;
    }
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be: {
      if (left < 2) return 1;
      const bool le = encoding == Encoding::kUtf16Le;
      auto unit = [&](std::size_t at) {
        return le ? At(text, at) | At(text, at + 1) << 8 : At(text, at) << 8 | At(text, at + 1);
      };
      const unsigned u = unit(offset);
      if (u >= 0xD800 && u <= 0xDBFF && left >= 4) {
        const unsigned next = unit(offset + 2);
        if (next >= 0xDC00 && next <= 0xDFFF) return 4;
      }
      return 2;
    }
  }
  return 1;
}

std::size_t BoundaryAtOrAfter(Encoding encoding, std::string_view text, std::size_t offset,
                              std::size_t from) {
  const std::size_t n = text.size();
  if (offset >= n) return n;
  from = std::min(from, offset);
  std::size_t start = from;
  switch (encoding) {
    case Encoding::kGbk:
    case Encoding::kBig5:
    case Encoding::kGb18030: {
      // Back to the byte after the last one that belongs to no other character (below
      // 0x40, or below 0x30 in GB18030, where digits are second and fourth bytes).
      const unsigned char never = encoding == Encoding::kGb18030 ? 0x30 : 0x40;
      std::size_t at = offset;
      while (at > from && At(text, at - 1) >= never) --at;
      start = at;
      break;
    }
    case Encoding::kUtf8: {
      std::size_t at = offset;
      while (at > from && offset - at < 3 && IsContinuation(At(text, at))) --at;
      start = at;
      break;
    }
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be: {
      // Units start at even offsets; a low surrogate after a high one is the pair's second
      // half, and no unit before the high one changes that.
      std::size_t at = offset & ~std::size_t{1};
      if (at >= 2 && at - 2 >= from) at -= 2;
      start = std::max(at, from);
      if ((start - from) % 2 != 0) start = from;
      break;
    }
  }
  for (std::size_t at = start; at < n;) {
    if (at >= offset) return at;
    at += CharLength(encoding, text, at);
  }
  return n;
}

std::string AsciiIn(Encoding encoding, char c) {
  switch (encoding) {
    case Encoding::kUtf16Le:
      return std::string{c, '\0'};
    case Encoding::kUtf16Be:
      return std::string{'\0', c};
    default:
      return std::string(1, c);
  }
}

bool IsAsciiAt(Encoding encoding, std::string_view text, std::size_t offset, char c) {
  const std::string unit = AsciiIn(encoding, c);
  return text.substr(offset, unit.size()) == unit;
}

DecodedText Decode(Encoding encoding, std::string_view bytes, bool withOffsets) {
  Decoder d{{}, withOffsets};
  try {
    d.out.text.reserve(bytes.size() / UnitBytes(encoding) + 1);
    if (withOffsets) d.out.offsets.reserve(bytes.size() / UnitBytes(encoding) + 2);
    switch (encoding) {
      case Encoding::kUtf8:
        DecodeUtf8(bytes, d);
        break;
      case Encoding::kUtf16Le:
      case Encoding::kUtf16Be:
        DecodeUtf16(bytes, encoding == Encoding::kUtf16Le, d);
        break;
      default:
        DecodeDoubleByte(encoding, bytes, d);
        break;
    }
    if (withOffsets) d.out.offsets.push_back(static_cast<std::uint32_t>(bytes.size()));
  } catch (const std::bad_alloc&) {
    OutOfMemory(bytes.size() * 2);
  }
  return std::move(d.out);
}

Undecodable FindUndecodable(Encoding encoding, std::string_view bytes) {
  Undecodable found;
  auto note = [&](std::size_t at, std::size_t length) {
    if (found.count == 0) found.first = at;
    found.count += length;
  };
  const std::size_t n = bytes.size();
  switch (encoding) {
    case Encoding::kUtf8: {
      if (IsUtf8(bytes)) return found;
      const Utf8Tally tally = TallyUtf8(bytes, [](const Utf8Tally&) { return false; });
      return {tally.bytes, tally.first};
    }
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
      for (std::size_t i = 0; i < n;) {
        const std::size_t length = CharLength(encoding, bytes, i);
        if (length == 1) {
          note(i, 1);
        } else if (length == 2) {
          const bool le = encoding == Encoding::kUtf16Le;
          const unsigned unit =
              le ? At(bytes, i) | At(bytes, i + 1) << 8 : At(bytes, i) << 8 | At(bytes, i + 1);
          if (unit >= 0xD800 && unit <= 0xDFFF) note(i, 2);
        }
        i += length;
      }
      return found;
    case Encoding::kGbk:
#if defined(__SSE2__)
      if (GbkTableIsStructural()) return FindUndecodableGbk(bytes);
#endif
      break;
    default:
      break;
  }
  const PairTable& pairs = PairsOf(encoding);
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < n;) {
#if defined(__SSE2__)
    if (i + 16 <= n &&
        _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i))) == 0) {
      i += 16;
      continue;
    }
#endif
    const unsigned char b = data[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = CharLength(encoding, bytes, i);
    if ((length == 1) || (length == 2 && pairs.At(b, data[i + 1]) == 0) ||
        (length == 4 && DecodeOne(encoding, bytes.substr(i, 4)).empty()))
      note(i, length);
    i += length;
  }
  return found;
}

namespace {

// Appends the bytes of text in the encoding, every unit a character, to out.bytes; unit
// offsets in out are counted from base.
void EncodeCharacters(Encoding encoding, std::u16string_view text, std::size_t base,
                      EncodedText& out) {
  auto unfit = [&](std::size_t at, char32_t c) {
    if (out.unencodable == 0) {
      out.firstUnencodable = base + at;
      out.firstUnencodableChar = c;
    }
    ++out.unencodable;
  };
  const bool le = encoding == Encoding::kUtf16Le;
  const std::size_t n = text.size();
  if (encoding == Encoding::kGb18030) {
    // Every character has a GB18030 form: ICU writes it in bulk, "?" for an unpaired
    // surrogate.
    UConverter* c = ThreadConverter(encoding);
    Unencodable seen;
    seen.base = reinterpret_cast<const UChar*>(text.data());
    UErrorCode err = U_ZERO_ERROR;
    ucnv_setFromUCallBack(c, CountUnencodable, &seen, nullptr, nullptr, &err);
    ucnv_resetFromUnicode(c);
    const std::size_t before = out.bytes.size();
    out.bytes.resize(before + n * 4 + 16);
    char* target = out.bytes.data() + before;
    const UChar* source = seen.base;
    err = U_ZERO_ERROR;
    ucnv_fromUnicode(c, &target, out.bytes.data() + out.bytes.size(), &source, seen.base + n,
                     nullptr, true, &err);
    out.bytes.resize(static_cast<std::size_t>(target - out.bytes.data()));
    err = U_ZERO_ERROR;
    ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    if (seen.count > 0) {
      unfit(seen.firstIndex, seen.firstChar);
      out.unencodable += seen.count - 1;
    }
    return;
  }
  const PairTable* pairs =
      encoding == Encoding::kGbk || encoding == Encoding::kBig5 ? &PairsOf(encoding) : nullptr;
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t u = text[i];
    char32_t c = u;
    const bool high = u >= 0xD800 && u <= 0xDBFF;
    if (high && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      unfit(i, c);
      out.bytes += IsUtf16(encoding) ? AsciiIn(encoding, '?') : "?";
      continue;
    }
    const std::size_t length = c >= 0x10000 ? 2 : 1;
    switch (encoding) {
      case Encoding::kUtf8:
        AppendUtf8(out.bytes, c);
        break;
      case Encoding::kUtf16Le:
      case Encoding::kUtf16Be:
        for (std::size_t k = 0; k < length; ++k) {
          const char hi = static_cast<char>(text[i + k] >> 8);
          const char lo = static_cast<char>(text[i + k] & 0xFF);
          out.bytes.push_back(le ? lo : hi);
          out.bytes.push_back(le ? hi : lo);
        }
        break;
      default: {
        const std::uint16_t pair = c < 0x80 ? 0 : c < 0x10000 ? pairs->back[c] : 0;
        if (c < 0x80) {
          out.bytes.push_back(static_cast<char>(c));
        } else if (pair != 0) {
          out.bytes.push_back(static_cast<char>(pair >> 8));
          out.bytes.push_back(static_cast<char>(pair & 0xFF));
        } else {
          unfit(i, c);
          out.bytes.push_back('?');
        }
        break;
      }
    }
    i += length - 1;
  }
}

}  // namespace

EncodedText Encode(Encoding encoding, std::u16string_view text) {
  EncodedText out;
  try {
    out.bytes.reserve(text.size() * (encoding == Encoding::kUtf8 ? 3 : 2));
    EncodeCharacters(encoding, text, 0, out);
  } catch (const std::bad_alloc&) {
    OutOfMemory(text.size() * 4);
  }
  return out;
}

std::string EncodeBack(Encoding encoding, std::u16string_view text,
                       const std::vector<std::uint32_t>& standIns) {
  EncodedText out;
  const bool le = encoding == Encoding::kUtf16Le;
  try {
    out.bytes.reserve(text.size() * (encoding == Encoding::kUtf8 ? 3 : 2));
    std::size_t from = 0;
    for (const std::uint32_t at : standIns) {
      if (at >= text.size()) break;
      if (at > from) EncodeCharacters(encoding, text.substr(from, at - from), from, out);
      const char16_t u = text[at];
      if (u >= 0xD800 && u <= 0xDFFF) {
        // An unpaired UTF-16 surrogate, its two bytes as they were.
        out.bytes.push_back(static_cast<char>(le ? u & 0xFF : u >> 8));
        out.bytes.push_back(static_cast<char>(le ? u >> 8 : u & 0xFF));
      } else {
        out.bytes.push_back(static_cast<char>(u < 0x80 ? u : u - kRawBase));
      }
      from = at + 1;
    }
    if (from < text.size()) EncodeCharacters(encoding, text.substr(from), from, out);
  } catch (const std::bad_alloc&) {
    OutOfMemory(text.size() * 4);
  }
  return std::move(out.bytes);
}

std::string EncodeShown(Encoding encoding, std::u16string_view text) {
  if (IsUtf16(encoding)) {
    // Every unit as it is: one byte would shift every unit after it.
    std::string bytes(text.size() * 2, '\0');
    const bool le = encoding == Encoding::kUtf16Le;
    for (std::size_t i = 0; i < text.size(); ++i) {
      bytes[2 * i] = static_cast<char>(le ? text[i] & 0xFF : text[i] >> 8);
      bytes[2 * i + 1] = static_cast<char>(le ? text[i] >> 8 : text[i] & 0xFF);
    }
    return bytes;
  }
  // A character that Windows writes as one byte (the euro sign in GBK as 0x80) goes out as
  // that byte, as the windows always wrote it; the byte reads back as no character.
  std::u16string singles;
  if (encoding == Encoding::kGbk || encoding == Encoding::kBig5) {
    for (const auto& [unit, byte] : PairsOf(encoding).singles) {
      if (text.find(unit) == std::u16string_view::npos) continue;
      if (singles.empty()) singles = text;
      std::replace(singles.begin(), singles.end(), unit, static_cast<char16_t>(kRawBase + byte));
    }
    if (!singles.empty()) text = singles;
  }
  std::vector<std::uint32_t> standIns;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] >= kRawBase + 0x80 && text[i] <= kRawBase + 0xFF)
      standIns.push_back(static_cast<std::uint32_t>(i));
  }
  return EncodeBack(encoding, text, standIns);
}

EncodedText Transcode(Encoding from, Encoding to, std::string_view bytes) {
  if (from == to) return {std::string(bytes)};
  DecodedText decoded = Decode(from, bytes);
  if (decoded.undecodable > 0) {
    EncodedText refused;
    refused.undecodable = decoded.undecodable;
    refused.firstUndecodable = decoded.firstUndecodable;
    return refused;
  }
  return Encode(to, decoded.text);
}

std::string Utf8Of(char32_t c) {
  std::string out;
  AppendUtf8(out, c);
  return out;
}

}  // namespace morvane
