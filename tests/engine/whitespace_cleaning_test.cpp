// SPDX-License-Identifier: MIT
#include "engine/whitespace_cleaning.h"

#include <gtest/gtest.h>

#include "core/numbers.h"
#include "engine/messages.h"
#include "handler_fixture.h"
#include "presenters/size_cutting.h"
#include "presenters/whitespace_cleaning.h"
#include "ui/message_boxes.h"

namespace morvane::testing {
namespace {

TEST(Cleaning, RemovesOnlyWholeCharacters) {
  EXPECT_EQ(WithoutSpaces(ByteText("x y  z")), ByteText("xyz"));
  EXPECT_EQ(WithoutSpaces(Gbk("中　文")), Gbk("中　文"));  // the full-width space stays
  EXPECT_EQ(WithoutSpaces(ByteText("   ")), ByteText());
  EXPECT_EQ(WithoutLineBreaks(ByteText("line1\r\nline2\nline3\r")),
            ByteText("line1line2\nline3\r"));
  EXPECT_EQ(WithoutTabs(ByteText("\ta\tb\t")), ByteText("ab"));
  // A second byte of 0x20 or 0x09 in text that is no GBK belongs to its character.
  EXPECT_EQ(WithoutSpaces(ByteText("\x81 a b")), ByteText("\x81 ab"));
}

TEST(Cleaning, KeepsALoneLastByte) {
  EXPECT_EQ(WithoutSpaces(ByteText("a b\xB5")), ByteText("ab\xB5"));
  EXPECT_EQ(WithoutTabs(ByteText("a\tb\xB5")), ByteText("ab\xB5"));
  EXPECT_EQ(WithoutLineBreaks(ByteText("a\r\nb\xB5")), ByteText("ab\xB5"));
}

class CleaningHandlers : public HandlerTest {};

TEST_F(CleaningHandlers, EachButtonRewritesTheContainerAndConfirms) {
  struct Case {
    void (*handler)(Toolkit&, AppState&);
    const char* done;
    const char* text;
    const char* cleaned;
  };
  const Case cases[] = {
      {&RemoveSpaces, "空格已清除完毕", "a b c", "abc"},
      {&RemoveSpaces, "空格已清除完毕", "abc", "abc"},
      {&RemoveLineBreaks, "换行符清除完毕！", "a\r\nb\r\n", "ab"},
      {&RemoveTabs, "Tab符清除完毕！", "\ta\tb\t", "ab"},
      {&RemoveTabs, "Tab符清除完毕！", "ab", "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ui.Type(names::kSimpleText, ByteText(c.text));
    c.handler(ui, state);
    EXPECT_EQ(ui.Text(names::kSimpleText), ByteText(c.cleaned));
    // The labels follow the rewritten text.
    EXPECT_EQ(ui.Text(names::kSimpleSizeLabel),
              Concat({ToText(TextLength(ByteText(c.cleaned))), Gbk("字节")}));
    auto shown = OnlyMessage();
    EXPECT_EQ(shown.content, c.done);
    EXPECT_EQ(shown.caption, "提示：");
  }
}

TEST_F(CleaningHandlers, AnEmptyContainerIsRefused) {
  for (auto handler : {&RemoveSpaces, &RemoveLineBreaks, &RemoveTabs}) {
    ui.Type(names::kSimpleText, ByteText());
    const int changes = ui.ContentChangedCount(names::kSimpleText);
    handler(ui, state);
    auto shown = OnlyMessage();
    EXPECT_EQ(shown.content, messages::FileToCutIsEmpty());
    EXPECT_EQ(shown.caption, ui::kDefaultCaption);
    EXPECT_EQ(ui.ContentChangedCount(names::kSimpleText), changes);
  }
}

TEST_F(CleaningHandlers, ALargeTextIsCleanedAsLongWorkThatMayBeStopped) {
  const ByteText text(" \t\r\n" + std::string(kLongWorkBytes, 'a'));
  for (auto handler : {&RemoveSpaces, &RemoveLineBreaks, &RemoveTabs}) {
    ui.Type(names::kSimpleText, text);
    ui.longWork.clear();
    ui.stopAfterFiles = 0;  // 取消: the text stays, and nothing is said
    handler(ui, state);
    EXPECT_EQ(ui.longWork.size(), 1u);
    EXPECT_EQ(ui.Text(names::kSimpleText), text);
    EXPECT_TRUE(ui.TakeMessages().empty());
    ui.stopAfterFiles = -1;
    handler(ui, state);
    EXPECT_EQ(ui.Text(names::kSimpleText).size(),
              text.size() - (handler == &RemoveLineBreaks ? 2 : 1));
    EXPECT_EQ(OnlyMessage().caption, messages::HintCaption());
  }
}

TEST_F(CleaningHandlers, SpacesOnlyLeaveNothingToCut) {
  ui.Type(names::kSimpleText, ByteText("    "));
  RemoveSpaces(ui, state);
  EXPECT_EQ(ui.Text(names::kSimpleSizeLabel), Gbk("0字节"));
  ui.TakeMessages();
  SimpleCut(ui, state);
  EXPECT_EQ(OnlyMessage().content, messages::FileToCutIsEmpty());
}

}  // namespace
}  // namespace morvane::testing
