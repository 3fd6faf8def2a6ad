// SPDX-License-Identifier: MIT
#include "engine/banner.h"

#include <array>
#include <mutex>

namespace morvane {

const ByteText& BannerConstant() {
  // Spelled as GBK bytes so that the file is the same whatever converter builds it.
  static const ByteText banner(
      "Morvane2.30"
      "\xC2\xCC\xC9\xAB\xB0\xE6"  // 绿色版
      ","
      "\xD7\xF7\xD5\xDF"  // 作者
      ":"
      "\xBF\xC2\xCD\xFB\xCA\xE6"  // 柯望舒
      ","
      // 本软件由墨舟书苑全力赞助发布。
      "\xB1\xBE\xC8\xED\xBC\xFE\xD3\xC9\xC4\xAB\xD6\xDB\xCA\xE9\xD4\xB7\xC8\xAB\xC1\xA6\xD4\xDE"
      "\xD6\xFA\xB7\xA2\xB2\xBC\xA1\xA3"
      "\xC4\xAB\xD6\xDB\xCA\xE9\xD4\xB7"  // 墨舟书苑
      "\xA1\xA4"                          // ·
      "www.mozhou.example"
      " "
      // 一舟墨香渡书海，万卷好书日夜伴君读：
      "\xD2\xBB\xD6\xDB\xC4\xAB\xCF\xE3\xB6\xC9\xCA\xE9\xBA\xA3\xA3\xAC\xCD\xF2\xBE\xED\xBA\xC3"
      "\xCA\xE9\xC8\xD5\xD2\xB9\xB0\xE9\xBE\xFD\xB6\xC1\xA3\xBA"
      // 好看的小说,手打小说,全文字小说,TXT小说下载
      "\xBA\xC3\xBF\xB4\xB5\xC4\xD0\xA1\xCB\xB5"
      ","
      "\xCA\xD6\xB4\xF2\xD0\xA1\xCB\xB5"
      ","
      "\xC8\xAB\xCE\xC4\xD7\xD6\xD0\xA1\xCB\xB5"
      ","
      "TXT"
      "\xD0\xA1\xCB\xB5\xCF\xC2\xD4\xD8"
      ","
      // 墨舟书苑手机阅读
      "\xC4\xAB\xD6\xDB\xCA\xE9\xD4\xB7\xCA\xD6\xBB\xFA\xD4\xC4\xB6\xC1"
      "wap.mozhou.example");
  return banner;
}

const ByteText& BannerIn(Encoding encoding) {
  static std::once_flag once;
  static std::array<ByteText, std::size(kEncodings)> banners;
  std::call_once(once, [] {
    const std::u16string text = Decode(Encoding::kGbk, BannerConstant().view()).text;
    // The traditional forms, for Big5.
    const std::u16string traditional =
        u"Morvane2.30綠色版,作者:柯望舒,本軟件由墨舟書苑全力贊助發佈。墨舟書苑·www.mozhou.example "
        u"一舟墨香渡書海，萬卷好書日夜伴君讀：好看的小說,手打小說,全文字小說,TXT小說下載,"
        u"墨舟書苑手機閱讀wap.mozhou.example";
    for (Encoding e : kEncodings) {
      banners[static_cast<std::size_t>(e)] =
          e == Encoding::kGbk
              ? BannerConstant()
              : ByteText::Copy(Encode(e, e == Encoding::kBig5 ? traditional : text).bytes);
    }
  });
  return banners[static_cast<std::size_t>(encoding)];
}

OutputForm OutputFormOf(const Detected& detected, const ByteText& gbkBanner) {
  OutputForm form;
  form.encoding = detected.encoding;
  if (detected.bom) form.bom = ByteText::Copy(BomOf(detected.encoding));
  form.banner = detected.encoding == Encoding::kGbk ? gbkBanner : BannerIn(detected.encoding);
  return form;
}

}  // namespace morvane
