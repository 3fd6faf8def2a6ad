// SPDX-License-Identifier: MIT
#pragma once
// The chapter rules: where the chapters of a text begin.
//
// - near (the default): a "第" followed within 16 bytes by a "章", anywhere in the text
//   (chapter_cutting.h); the chapter begins at the "第".
// - lines: a short line (at most 40 characters once trimmed) that opens, after blanks,
//   with 第 + a number + one of 章节回卷集部篇 and then the end of the line or a title,
//   with 序章, 楔子, 番外 and their kin, or with "Chapter N"; the chapter begins at the
//   start of that line. Words that merely begin like a heading (第六回合, 第九部队, 第一
//   节课) are refused by one table of guards (chapter_rules.cpp).
// - regex: an ICU regular expression matched against each line, decoded; the chapter
//   begins where the first match of the line begins.
// - auto: what marks the chapters is chosen for each text among the rules above and a few
//   shapes of heading lines more (chapter_auto.h).
//
// The lines and regex rules look at decoded lines, so they work in any encoding that
// ICU converts; positions are mapped back to the text's own bytes.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "core/long_work.h"

namespace morvane {

enum class RuleKind { kNear, kLines, kRegex, kAuto };

struct ChapterRule {
  RuleKind kind = RuleKind::kNear;
  std::u16string pattern;  // kRegex only

  friend bool operator==(const ChapterRule&, const ChapterRule&) = default;
};

// "near", "lines", "auto" or "regex:PATTERN" (UTF-8); nothing for any other text.
std::optional<ChapterRule> ParseRule(std::string_view utf8);

// One heading found by a rule, in 8 bytes: a text can hold tens of millions of them.
class Heading {
 public:
  // offset: the 0-based byte offset where its chapter begins; startsLine: whether only
  // blanks stand before it on its line.
  constexpr Heading(std::int64_t offset = 0, bool startsLine = true)
      : bits_(offset * 2 + (startsLine ? 1 : 0)) {}
  constexpr std::int64_t offset() const { return bits_ >> 1; }
  constexpr bool startsLine() const { return (bits_ & 1) != 0; }

 private:
  std::int64_t bits_;
};

// What is wrong with a regular expression, or why its search gave up.
enum class RegexProblem {
  kEmpty,             // no expression at all
  kMismatchedParen,   // a "(" without its ")" or the other way round
  kMissingBracket,    // a "[" without its "]"
  kBadEscape,         // a backslash before a character that means nothing escaped
  kBadProperty,       // \p{...} or [:...:] naming no property
  kBadInterval,       // {m,n} written wrongly
  kMaxBelowMin,       // {m,n} with n below m
  kBadBackReference,  // \N naming no group
  kBadFlag,           // (?...) with an unknown flag
  kLookBehind,        // a look-behind without a longest length
  kBadRange,          // [z-a]
  kNumberTooBig,
  kBadGroupName,
  kUnsupported,  // a feature ICU does not have
  kTooLarge,     // the expression is too long or too complex
  kSyntax,       // any other mistake
  kTooSlow,      // the search took too long (too much backtracking)
  kTooDeep,      // the search needed too much memory for its backtracking
};

// Why a rule found no headings.
struct RuleError {
  enum class Kind {
    kPattern,  // the regular expression is malformed
    kGaveUp,   // its search went beyond the bounds set on every match, on line
    kStopped,  // the user asked to stop
  };
  Kind kind = Kind::kPattern;
  RegexProblem problem = RegexProblem::kSyntax;
  // kPattern: the 0-based character (code point) of the pattern where the mistake is, or
  // the pattern's length when it is at the end.
  int position = 0;
  std::int64_t line = 0;  // kGaveUp: the 1-based line of the text
};

using HeadingsOrError = std::variant<std::vector<Heading>, RuleError>;

// The headings of text under rule, ascending. A regular expression's every match is
// bounded in time and memory: beyond them (an expression that backtracks without end,
// such as (a+)+$) the search gives up with the line it was on. progress, when given,
// hears how far the search has come and may stop it.
HeadingsOrError FindHeadings(const ByteText& text, const ChapterRule& rule,
                             Encoding encoding = Encoding::kGbk, Progress* progress = nullptr);

// The bounds on a chapter rule's search under a regular expression. Time: the matches that
// run long (past one of ICU's time units, about ten thousand steps of its matcher) may take
// kRegexSlowTime of the clock together, however long the text or its lines are; a plain
// rule takes a few steps a character and never comes near it. Memory: what its
// backtracking may take, the same for every expression the program runs (the junk rules').
inline constexpr std::chrono::nanoseconds kRegexSlowTime = std::chrono::seconds(2);
inline constexpr std::int32_t kRegexBacktrackBytes = 8 << 20;

// The clock of one search's long matches, shared by the threads of the search.
struct RegexClock {
  std::atomic<std::int64_t> spent{0};  // nanoseconds in long matches
};

// One thread's view of a RegexClock, ticked from ICU's match callback.
class RegexTicks {
 public:
  explicit RegexTicks(RegexClock* clock) : clock_(clock) {}
  // Before each match (a call of uregex_find or uregex_matches).
  void NewMatch() { ++match_; }
  // At each time unit of a long match: whether the search may go on. The time from the
  // match's first unit on is counted.
  bool Tick();

 private:
  RegexClock* clock_;
  std::uint64_t match_ = 0;
  std::uint64_t ticked_ = ~std::uint64_t{0};
  std::chrono::steady_clock::time_point last_;
};

// Decodes and encodes parts of one text in its encoding.
class TextDecoder {
 public:
  explicit TextDecoder(Encoding encoding) : encoding_(encoding) {}

  // The characters of bytes (which start at a character). With offsets, each UTF-16 unit
  // gets the 0-based offset within bytes of the character it belongs to.
  std::u16string Decode(std::string_view bytes, std::vector<std::uint32_t>* offsets = nullptr);
  // The characters as the encoding stores them.
  std::string Encode(std::u16string_view text);

 private:
  Encoding encoding_;
};

// Single characters in a text's encoding, with a table of their first bytes so that most
// positions of a scan are turned away by one look-up.
class CharacterSequences {
 public:
  // Each code unit of characters (of the basic plane) is one sequence.
  CharacterSequences(TextDecoder& decoder, std::u16string_view characters);
  // The length of the sequence that stands at at (before end), or 0.
  std::size_t At(std::string_view text, std::size_t at, std::size_t end) const {
    if (at >= end || !first_[static_cast<unsigned char>(text[at])]) return 0;
    // By hand: a call to memcmp for two bytes costs more than the comparison.
    for (const std::string& seq : sequences_) {
      if (seq.size() > end - at) continue;
      std::size_t i = 1;
      while (i < seq.size() && text[at + i] == seq[i]) ++i;
      if (i == seq.size() && text[at] == seq[0]) return seq.size();
    }
    return 0;
  }

 private:
  bool first_[256] = {};
  std::vector<std::string> sequences_;
};

// The offset of the line break that ends the line holding offset from (or the end of
// text), looking at most limit bytes ahead (then from + limit, rounded down to a unit).
std::size_t LineEndOf(std::string_view text, std::size_t from, int unitBytes, std::size_t limit);

// Whether a decoded line, without its line break, is a heading under the lines rule.
bool IsHeadingLine(std::u16string_view line);

}  // namespace morvane
