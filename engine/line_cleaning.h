// SPDX-License-Identifier: MIT
#pragma once
// Line cleaning: what downloads leave in a novel, found line by line in the text's own bytes.
//
// Five kinds of change, judged in this order for each line (a line is what stands before a
// line feed; the CR of a CR LF belongs to the line break):
// - junk: a line that a junk rule names, taken away with its line break;
// - repeated title: a heading line (as the automatic chapter rule reads headings) repeated
//   on the next non-blank line, the same line or the same number, taken away with its break;
// - blank line: a line of nothing but blanks (space, tab, the full-width space) in a run of
//   such lines (to keep one), or any (to keep none), taken away with its break;
// - trailing space: the blanks at the end of a line that stays;
// - indent: the blanks at the start of a non-blank line that stays, made two full-width
//   spaces or none.
// A line taken away leaves nothing behind, so junk between two blank lines makes a run of
// blank lines that the blank-line kind sees, and junk between a heading and its repeat makes
// the repeat the next non-blank line.
//
// The changes are a list of {line, kind} that the preview shows and the cleaning applies:
// what the cleaning removes is exactly what the list names, a subset of it when the user
// unticks some.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "core/long_work.h"
#include "engine/chapter_rules.h"

namespace morvane {

enum class LineChangeKind : unsigned char {
  kJunk,
  kRepeatedTitle,
  kBlankLine,
  kTrailingSpace,
  kIndent,
};
inline constexpr int kLineChangeKinds = 5;
// The name in a report: "junk", "repeated-title", "blank-line", "trailing-space", "indent".
std::string_view LineChangeKindName(LineChangeKind kind);
// Whether a change of this kind takes its whole line away.
bool RemovesLine(LineChangeKind kind);

enum class BlankLines : unsigned char { kKeep, kOne, kNone };
enum class Indentation : unsigned char { kKeep, kFullWidth, kNone };

// Junk rules, one a line in UTF-8: a literal, which names a line whose text (blanks at
// either end aside) is that literal, or "re:" and an ICU regular expression, which must
// match the whole of such a line. Empty lines and lines that begin with "#" say nothing.
class JunkRules {
 public:
  // A rule that cannot be read: the 1-based line of the rules text, and what is wrong.
  struct Problem {
    int line = 0;
    RuleError error;
  };
  static std::variant<JunkRules, Problem> Parse(std::string_view utf8);
  // The rules that come with the program (data/junk-lines.txt, compiled in).
  static const JunkRules& BuiltIn();
  static std::string_view BuiltInText();

  void Add(JunkRules more);
  bool empty() const { return literalEnds_.empty() && patterns_.empty(); }
  // Whether line (blanks trimmed) is one of the literal rules.
  bool IsLiteral(std::u16string_view line) const;
  std::size_t literalCount() const { return literalEnds_.size(); }
  const std::vector<std::u16string>& patterns() const { return patterns_; }

 private:
  std::u16string_view Literal(std::uint32_t i) const;
  void AddLiteral(std::u16string_view literal);
  void SortLiterals();

  // The literal rules held compactly, as rules may come by the million: their characters
  // one after another, where each ends, and their numbers in the order of their text (for
  // a binary search). A rule costs its characters and 8 bytes.
  std::u16string literalChars_;
  std::vector<std::uint32_t> literalEnds_;
  std::vector<std::uint32_t> literalOrder_;
  std::vector<std::u16string> patterns_;
};

// What a cleaning does; the default does nothing.
struct LineCleaning {
  std::shared_ptr<const JunkRules> junk;  // none, or empty: no line is junk
  bool repeatedTitles = false;
  BlankLines blankLines = BlankLines::kKeep;
  bool trailingSpace = false;
  Indentation indentation = Indentation::kKeep;

  bool any() const {
    return (junk && !junk->empty()) || repeatedTitles || blankLines != BlankLines::kKeep ||
           trailingSpace || indentation != Indentation::kKeep;
  }
};

struct LineChange {
  std::int64_t line = 0;    // 1-based
  std::int64_t offset = 0;  // where the line begins in the text
  LineChangeKind kind = LineChangeKind::kJunk;

  friend bool operator==(const LineChange&, const LineChange&) = default;
};

// Finds the changes of a text a part at a time, so that a cleaning never holds the list
// for the whole text.
class LineChangeFinder {
 public:
  LineChangeFinder(const ByteText& text, Encoding encoding, const LineCleaning& cleaning,
                   Progress* progress = nullptr);
  ~LineChangeFinder();
  LineChangeFinder(const LineChangeFinder&) = delete;
  LineChangeFinder& operator=(const LineChangeFinder&) = delete;

  // The changes of the next lines, about a mebibyte of text ending after a line break,
  // appended to changes; the part ends at end(). False when the text is over, or when the
  // search stopped (error() says why: a junk rule gave up on a line, or a stop was asked).
  bool Next(std::vector<LineChange>& changes);
  std::size_t end() const;
  const std::optional<RuleError>& error() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

using LineChangesOrError = std::variant<std::vector<LineChange>, RuleError>;
// Every change of the text, in the order of its lines.
LineChangesOrError FindLineChanges(const ByteText& text, Encoding encoding,
                                   const LineCleaning& cleaning, Progress* progress = nullptr);

// Appends bytes [from, to) of text (which start and end at lines) with changes made:
// changes, in order, are some of those FindLineChanges found for lines of that range.
void AppendWithChanges(std::string& out, std::string_view text, std::size_t from, std::size_t to,
                       Encoding encoding, Indentation indentation,
                       std::span<const LineChange> changes);
// The whole text with changes made.
ByteText WithChanges(const ByteText& text, Encoding encoding, Indentation indentation,
                     std::span<const LineChange> changes);

// Finds and makes the changes a part at a time, handing out each cleaned part (about a
// mebibyte, ending after a line break). Stops when out returns false. Nothing, or why it
// stopped early (see LineChangeFinder).
std::optional<RuleError> CleanLinesInParts(const ByteText& text, Encoding encoding,
                                           const LineCleaning& cleaning,
                                           const std::function<bool(std::string_view)>& out,
                                           Progress* progress = nullptr);

// The bytes of the line that begins at offset, without its line break.
std::string_view LineAt(std::string_view text, std::size_t offset, Encoding encoding);

}  // namespace morvane
