// SPDX-License-Identifier: MIT
#pragma once
// What a downloaded novel says about itself: its title, author and description, read from
// the file's name and the lines at the start of the text, in the forms download sites and
// uploaders write them:
//   《红楼梦》（校对版全本）作者：曹雪芹.txt   -> 红楼梦, 曹雪芹
//   书名：红楼梦 / 【书名】红楼梦 / 《红楼梦》  -> the title
//   作者：曹雪芹 / 作者:曹雪芹 / 【作者】曹雪芹 / 作者 曹雪芹 (a trailing 著 dropped) -> the author
//   内容简介： / 简介： and the lines after it, up to a blank line or the first heading
//                                                  -> the description
// A note in brackets (校对版, 全本, 精校, 完结 …) is no part of a title. The header's lines win
// over the name's, which often carries a site's decoration; a text that says nothing leaves
// the title to the name.

#include <string>
#include <string_view>

#include "core/byte_text.h"
#include "core/encoding.h"

namespace morvane {

// In UTF-8, plain (not escaped); empty when nothing says it.
struct BookMetadata {
  std::string title;
  std::string author;
  std::string description;

  friend bool operator==(const BookMetadata&, const BookMetadata&) = default;
};

// The metadata of a text from its file's name (without the extension, as shown: UTF-8)
// and its first lines (the first 4 KiB are read).
BookMetadata MetadataOf(std::string_view nameUtf8, const ByteText& text, Encoding encoding);

// The same, from the name and the decoded start of the text.
BookMetadata MetadataOf(std::u16string_view name, std::u16string_view head);

}  // namespace morvane
