#pragma once
// The credit line that ends every output file.
//
// One line of GBK, no line break, exactly 202 bytes:
//   Morvane2.30绿色版,作者:柯望舒,本软件由墨舟书苑全力赞助发布。墨舟书苑·www.mozhou.example
//   一舟墨香渡书海，万卷好书日夜伴君读：好看的小说,手打小说,全文字小说,TXT小说下载,
//   墨舟书苑手机阅读wap.mozhou.example
// (shown here in three lines; a single space stands before 一舟).

#include "core/byte_text.h"

namespace morvane {

// The 202-byte one-line banner (GBK).
const ByteText& BannerConstant();

}  // namespace morvane
