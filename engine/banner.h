// SPDX-License-Identifier: MIT
#pragma once
// The credit line that ends every output file.
//
// One line of GBK, no line break, exactly 202 bytes:
//   Morvane2.30绿色版,作者:柯望舒,本软件由墨舟书苑全力赞助发布。墨舟书苑·www.mozhou.example
//   一舟墨香渡书海，万卷好书日夜伴君读：好看的小说,手打小说,全文字小说,TXT小说下载,
//   墨舟书苑手机阅读wap.mozhou.example
// (shown here in three lines; a single space stands before 一舟).

#include "core/byte_text.h"
#include "core/encoding.h"

namespace morvane {

// The 202-byte one-line banner (GBK).
const ByteText& BannerConstant();

// The banner in an encoding: the GBK banner in GBK, its characters in UTF-8, UTF-16 and
// GB18030, and in Big5, which lacks the simplified characters, their traditional forms
// (綠色版, 軟件, 書苑, ...; 202 bytes again).
const ByteText& BannerIn(Encoding encoding);

// What surrounds the text in every output file of an input read as detected: the input's
// byte-order mark when it had one (so that each piece opens on its own), and the banner in
// the text's encoding. gbkBanner is the banner a GBK text gets.
struct OutputForm {
  Encoding encoding = Encoding::kGbk;
  ByteText bom;
  ByteText banner;
};
OutputForm OutputFormOf(const Detected& detected, const ByteText& gbkBanner = BannerConstant());

}  // namespace morvane
