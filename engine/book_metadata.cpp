// SPDX-License-Identifier: MIT
#include "engine/book_metadata.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <vector>

#include "engine/chinese_numerals.h"

namespace morvane {
namespace {

// The header lies in the first lines: a site or an uploader puts it before the text.
constexpr std::size_t kHeadBytes = 4096;
constexpr std::size_t kHeadLines = 60;
// Longer than this, a "title" or an "author" is a sentence of the story.
constexpr std::size_t kMostTitle = 60;
constexpr std::size_t kMostAuthor = 30;
constexpr std::size_t kMostDescription = 2000;

bool IsColon(char16_t c) {
  return c == u'：' || c == u':';
}

// The closing bracket of an opening one, or 0.
char16_t Closing(char16_t c) {
  switch (c) {
    case u'（':
      return u'）';
    case u'(':
      return u')';
    case u'【':
      return u'】';
    case u'[':
      return u']';
    case u'〔':
      return u'〕';
    case u'《':
      return u'》';
    case u'「':
      return u'」';
    case u'『':
      return u'』';
    default:
      return 0;
  }
}

// What follows "label" at the start of line, after a colon, blanks or the label's own
// brackets (【作者】): the value, or nothing when the line is no such line.
std::optional<std::u16string_view> Labelled(std::u16string_view line,
                                            std::initializer_list<std::u16string_view> labels) {
  line = TrimmedBlanks(line);
  for (const std::u16string_view label : labels) {
    std::u16string_view rest;
    if ((line.starts_with(u"【") || line.starts_with(u"[")) && line.substr(1).starts_with(label) &&
        line.size() > label.size() + 1 && line[label.size() + 1] == Closing(line[0])) {
      rest = line.substr(label.size() + 2);
      if (!rest.empty() && IsColon(rest.front())) rest.remove_prefix(1);
    } else if (line.starts_with(label)) {
      rest = line.substr(label.size());
      if (!rest.empty() && IsColon(rest.front())) {
        rest.remove_prefix(1);
      } else if (rest.empty() || !IsBlank(rest.front())) {
        continue;  // 作者的话, 作者说: words of the story
      }
    } else {
      continue;
    }
    return TrimmedBlanks(rest);
  }
  return std::nullopt;
}

bool IsNoteWord(std::u16string_view inside) {
  static constexpr std::array<std::u16string_view, 16> kWords = {
      u"校对", u"校對", u"全本", u"精校", u"完本", u"完结", u"完結", u"全集",
      u"版",   u"删节", u"刪節", u"全文", u"txt",  u"TXT",  u"连载", u"作者"};
  return std::any_of(kWords.begin(), kWords.end(),
                     [&](std::u16string_view word) { return inside.find(word) != inside.npos; });
}

// A title without the notes sites add: bracketed notes at either end (（校对版全本）,
// 【精校】), and blanks.
std::u16string CleanTitle(std::u16string_view title) {
  title = TrimmedBlanks(title);
  for (bool changed = true; changed && !title.empty();) {
    changed = false;
    // A note at the end.
    const char16_t last = title.back();
    for (std::size_t open = title.size() - 1; open-- > 0;) {
      if (Closing(title[open]) == last && title[open] != u'《') {
        if (open > 0 && IsNoteWord(title.substr(open + 1, title.size() - open - 2))) {
          title = TrimmedBlanks(title.substr(0, open));
          changed = true;
        }
        break;
      }
    }
    // A note at the start.
    if (!title.empty()) {
      const char16_t close = Closing(title.front());
      const std::size_t end = close ? title.find(close) : title.npos;
      if (title.front() != u'《' && end != title.npos && end + 1 < title.size() &&
          IsNoteWord(title.substr(1, end - 1))) {
        title = TrimmedBlanks(title.substr(end + 1));
        changed = true;
      }
    }
  }
  if (title.size() >= 2 && title.front() == u'《' && title.back() == u'》') {
    title = TrimmedBlanks(title.substr(1, title.size() - 2));
  }
  return std::u16string(title);
}

// An author without a trailing 著 (or 著作, 编著 aside), brackets of a dynasty or a note,
// and blanks.
std::u16string CleanAuthor(std::u16string_view author) {
  author = TrimmedBlanks(author);
  if (author.ends_with(u"著") && !author.ends_with(u"编著") && !author.ends_with(u"編著")) {
    author = TrimmedBlanks(author.substr(0, author.size() - 1));
  }
  // "曹雪芹（清）", "某某（校对版）": the name is before the bracket.
  const std::size_t bracket = author.find_first_of(u"（(【[");
  if (bracket != author.npos && bracket > 0) author = TrimmedBlanks(author.substr(0, bracket));
  return std::u16string(author);
}

// Where the title ends in "《书名》…" or "书名（注）作者：…": before the author's label.
std::size_t AuthorLabelAt(std::u16string_view s) {
  for (std::size_t at = s.find(u"作者"); at != s.npos; at = s.find(u"作者", at + 1)) {
    const bool bracketed = at > 0 && s[at - 1] == u'【' && at + 2 < s.size() && s[at + 2] == u'】';
    const std::size_t after = at + (bracketed ? 3 : 2);
    if (bracketed) return at - 1;
    if (after < s.size() && (IsColon(s[after]) || IsBlank(s[after]))) return at;
  }
  return s.npos;
}

// The author after its label at at.
std::u16string_view AuthorAfter(std::u16string_view s, std::size_t at) {
  std::u16string_view rest = s.substr(at);
  if (rest.starts_with(u"【")) rest.remove_prefix(1);
  rest.remove_prefix(2);
  if (rest.starts_with(u"】")) rest.remove_prefix(1);
  rest = TrimmedBlanks(rest);
  if (!rest.empty() && IsColon(rest.front())) rest.remove_prefix(1);
  return TrimmedBlanks(rest);
}

// A line that starts the story or a section of the header, which ends a description.
bool EndsDescription(std::u16string_view line) {
  line = TrimmedBlanks(line);
  if (line.starts_with(u"第")) {
    const std::size_t end = std::min<std::size_t>(line.size(), 12);
    if (line.substr(0, end).find_first_of(u"章回卷节節部集篇") != line.npos) return true;
  }
  static constexpr std::array<std::u16string_view, 8> kStarts = {
      u"正文", u"楔子", u"序章", u"引子", u"目录", u"目錄", u"书名", u"作者"};
  for (const std::u16string_view start : kStarts) {
    if (line.starts_with(start) || (line.starts_with(u"【") && line.substr(1).starts_with(start))) {
      return true;
    }
  }
  // A rule of dashes, stars or equal signs.
  return line.size() >= 3 && line.find_first_not_of(u"-=*_—－＝＊~～·") == line.npos;
}

bool Fits(std::u16string_view value, std::size_t most) {
  return !value.empty() && value.size() <= most;
}

std::string Utf8Of(std::u16string_view text) {
  return Encode(Encoding::kUtf8, text).bytes;
}

}  // namespace

BookMetadata MetadataOf(std::u16string_view name, std::u16string_view head) {
  std::u16string title;
  std::u16string author;
  std::u16string description;

  std::vector<std::u16string_view> lines;
  for (std::size_t at = 0; at <= head.size() && lines.size() < kHeadLines;) {
    std::size_t end = head.find(u'\n', at);
    if (end == head.npos) end = head.size();
    lines.push_back(head.substr(at, end - at));
    at = end + 1;
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::u16string_view line = TrimmedBlanks(lines[i]);
    if (line.empty()) continue;
    if (const auto value = Labelled(line, {u"书名", u"書名", u"小说名", u"小說名"})) {
      const std::u16string cleaned = CleanTitle(*value);
      if (title.empty() && Fits(cleaned, kMostTitle)) title = cleaned;
      continue;
    }
    if (const auto value = Labelled(line, {u"作者"})) {
      const std::u16string cleaned = CleanAuthor(*value);
      if (author.empty() && Fits(cleaned, kMostAuthor)) author = cleaned;
      continue;
    }
    if (const auto value = Labelled(line, {u"内容简介", u"內容簡介", u"简介", u"簡介", u"内容介绍",
                                           u"內容介紹", u"作品简介"})) {
      if (!description.empty()) continue;
      std::u16string text(*value);
      for (std::size_t j = i + 1; j < lines.size(); ++j) {
        const std::u16string_view next = TrimmedBlanks(lines[j]);
        if (next.empty()) {
          if (text.empty()) continue;
          break;
        }
        if (EndsDescription(next)) break;
        if (!text.empty()) text += u'\n';
        text += next;
        i = j;
      }
      if (text.size() > kMostDescription) text.resize(kMostDescription);
      description = std::move(text);
      continue;
    }
    // 《书名》 opening a line, perhaps followed by a note and the author.
    if (title.empty() && line.starts_with(u"《")) {
      const std::size_t close = line.find(u'》');
      if (close != line.npos && close > 1 && close - 1 <= kMostTitle) {
        const std::u16string_view rest = TrimmedBlanks(line.substr(close + 1));
        const std::size_t label = AuthorLabelAt(rest);
        // A line that goes on as a sentence is the story's, not a header: after the title
        // comes nothing, a note in brackets, or the author.
        const std::u16string_view before =
            TrimmedBlanks(rest.substr(0, std::min(label, rest.size())));
        const bool note = before.empty() || (Closing(before.front()) != 0 &&
                                             before.back() == Closing(before.front()));
        if (note) {
          title = CleanTitle(line.substr(1, close - 1));
          if (label != rest.npos && author.empty()) {
            const std::u16string cleaned = CleanAuthor(AuthorAfter(rest, label));
            if (Fits(cleaned, kMostAuthor)) author = cleaned;
          }
        }
      }
    }
  }

  // The name: 《书名》 or the whole name, with its notes and an author's label taken out.
  std::u16string_view bare = TrimmedBlanks(name);
  const std::size_t label = AuthorLabelAt(bare);
  if (label != bare.npos) {
    if (author.empty()) {
      const std::u16string cleaned = CleanAuthor(AuthorAfter(bare, label));
      if (Fits(cleaned, kMostAuthor)) author = cleaned;
    }
    bare = TrimmedBlanks(bare.substr(0, label));
  }
  if (title.empty()) {
    const std::size_t open = bare.find(u'《');
    const std::size_t close = open == bare.npos ? bare.npos : bare.find(u'》', open);
    title = close != bare.npos && close > open + 1
                ? CleanTitle(bare.substr(open + 1, close - open - 1))
                : CleanTitle(bare);
    if (title.empty()) title = std::u16string(TrimmedBlanks(name));
  }
  return {Utf8Of(title), Utf8Of(author), Utf8Of(description)};
}

BookMetadata MetadataOf(std::string_view nameUtf8, const ByteText& text, Encoding encoding) {
  const std::string_view bytes = text.view();
  std::size_t end =
      bytes.size() <= kHeadBytes ? bytes.size() : BoundaryAtOrAfter(encoding, bytes, kHeadBytes);
  // The part of a line cut at the end of the window is no line of the header.
  const std::u16string head = Decode(encoding, bytes.substr(0, end)).text;
  std::u16string_view whole(head);
  if (end < bytes.size()) {
    const std::size_t lastBreak = whole.rfind(u'\n');
    whole = whole.substr(0, lastBreak == whole.npos ? 0 : lastBreak);
  }
  return MetadataOf(Decode(Encoding::kUtf8, nameUtf8).text, whole);
}

}  // namespace morvane
