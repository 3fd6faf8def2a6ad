// SPDX-License-Identifier: MIT
#include "engine/book_metadata.h"

#include <gtest/gtest.h>

namespace morvane::testing {
namespace {

struct Case {
  const char* name;
  const char* head;
  BookMetadata expected;
};

// File names and header lines in the forms downloads carry them.
TEST(BookMetadata, FromTheNameAndTheHeader) {
  const Case cases[] = {
      {"《红楼梦》（校对版全本）作者：曹雪芹", "", {"红楼梦", "曹雪芹", ""}},
      {"红楼梦", "", {"红楼梦", "", ""}},
      {"【精校】三体（全集）", "", {"三体", "", ""}},
      {"三体 作者 刘慈欣", "", {"三体", "刘慈欣", ""}},
      {"book", "书名：红楼梦\r\n作者：曹雪芹 著\r\n\r\n第一回", {"红楼梦", "曹雪芹", ""}},
      {"book", "《红楼梦》\n【作者】曹雪芹\n", {"红楼梦", "曹雪芹", ""}},
      {"book", "《红楼梦》（校对版全本）作者：曹雪芹\n正文\n", {"红楼梦", "曹雪芹", ""}},
      {"book", "　　作者:曹雪芹著\n", {"book", "曹雪芹", ""}},
      {"book", "作者 曹雪芹\n", {"book", "曹雪芹", ""}},
      {"红楼梦", "作者的话：谢谢大家\n", {"红楼梦", "", ""}},
      {"红楼梦", "《石头记》是他读过最多遍的书，每一回都能背出来。\n", {"红楼梦", "", ""}},
      {"x",
       "书名：某书\n作者：某人\n内容简介：\n　　第一行简介。\n　　第二行简介。\n\n第一章 开始\n",
       {"某书", "某人", "第一行简介。\n第二行简介。"}},
      {"x", "简介：一句话的简介。\n第一章 开始\n正文\n", {"x", "", "一句话的简介。"}},
      {"x", "【内容简介】\n很长的故事。\n-----\n第一章\n", {"x", "", "很长的故事。"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " / " + c.head);
    EXPECT_EQ(MetadataOf(c.name, ByteText::Copy(c.head), Encoding::kUtf8), c.expected);
    const ByteText gbk =
        ByteText::Copy(Encode(Encoding::kGbk, Decode(Encoding::kUtf8, c.head).text).bytes);
    EXPECT_EQ(MetadataOf(c.name, gbk, Encoding::kGbk), c.expected);
  }
  // The header lies at the start: an author's line far into the text says nothing.
  const std::string far = std::string(5000, 'x') + "\n作者：远处\n";
  EXPECT_EQ(MetadataOf("b", ByteText::Copy(far), Encoding::kUtf8).author, "");
}

}  // namespace
}  // namespace morvane::testing
