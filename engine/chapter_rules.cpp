// SPDX-License-Identifier: MIT
#include "engine/chapter_rules.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

#include <unicode/uregex.h>
#include <unicode/ustring.h>

#include "core/gbk.h"
#include "core/side_by_side.h"
#include "engine/chapter_auto.h"
#include "engine/chapter_cutting.h"
#include "engine/chinese_numerals.h"

namespace morvane {
namespace {

// The units that may follow 第 and a number.
constexpr std::u16string_view kUnits = u"章节回卷集部篇";
// Words that open a heading without a number.
constexpr std::u16string_view kOpeningWords[] = {u"序章", u"序言", u"楔子", u"引子", u"前言",
                                                 u"尾声", u"后记", u"番外", u"序"};

// The guards: a heading word followed by one of these characters is a word of the body
// text, not a heading (第六回合, 第九部队, 第三节课, 第二集中营, 后记得). Each row was taken
// from body text that the plain rule mistook for a heading.
struct Guard {
  std::u16string_view word;       // a unit after 第 + number, or an opening word
  std::u16string_view followers;  // characters that make a longer word with it
};
constexpr Guard kGuards[] = {
    {u"章", u"程法"},                            // 章程, 章法
    {u"节", u"课日目奏省约拍点气能俭制庆假"},    // 第三节课, 节日, 节目
    {u"回", u"合来去家到头答复应忆归想首转味"},  // 第六回合, 回来, 回家
    {u"卷", u"子起入走轴发曲烟尺"},              // 卷子, 卷起
    {u"集", u"合团中体市结训会资镇"},            // 集合, 第二集中营
    {u"部", u"队分门长下落署位件族委属"},        // 第九部队, 部分, 部门
    {u"篇", u"幅"},                              // 篇幅
    {u"后记", u"得住起着"},                      // 后记得
    {u"前言", u"不"},                            // 前言不搭后语
    {u"引子", u"里"},
};

bool Guarded(std::u16string_view word, char16_t next) {
  for (const Guard& guard : kGuards) {
    if (guard.word == word) return guard.followers.find(next) != std::u16string_view::npos;
  }
  return false;
}

// Characters that may stand between a heading word and its title.
constexpr std::u16string_view kSeparators = u" \t\u3000:：、.．,，-－—–_·・|｜（(【[「〔";

bool IsSeparator(char16_t c) {
  return kSeparators.find(c) != std::u16string_view::npos;
}

std::size_t CodePoints(std::u16string_view text) {
  return static_cast<std::size_t>(u_countChar32(text.data(), static_cast<int32_t>(text.size())));
}

// What follows a heading word: nothing, a separator and a title, or a title. A title
// that follows without a separator and ends a sentence is body text (第一章就写完了。).
bool AcceptsRest(std::u16string_view word, std::u16string_view rest, bool needsSeparator) {
  if (rest.empty()) return true;
  if (IsSeparator(rest.front())) return true;
  if (needsSeparator || Guarded(word, rest.front())) return false;
  return rest.back() != u'。' && rest.back() != u'，';
}

bool IsNumberedHeading(std::u16string_view line) {
  std::size_t at = 1;  // after 第
  while (at < line.size() && IsBlank(line[at])) ++at;
  const std::size_t digits = at;
  while (at < line.size() && IsNumeral(line[at])) ++at;
  if (at == digits) return false;
  while (at < line.size() && IsBlank(line[at])) ++at;
  if (at == line.size() || kUnits.find(line[at]) == std::u16string_view::npos) return false;
  return AcceptsRest(line.substr(at, 1), line.substr(at + 1), false);
}

bool StartsWithChapterWord(std::u16string_view line) {
  constexpr std::u16string_view kWord = u"chapter";
  if (line.size() <= kWord.size()) return false;
  for (std::size_t i = 0; i < kWord.size(); ++i) {
    if (u_tolower(line[i]) != kWord[i]) return false;
  }
  return true;
}

bool IsEnglishHeading(std::u16string_view line) {
  std::size_t at = 7;  // after "chapter"
  const std::size_t blanks = at;
  while (at < line.size() && IsBlank(line[at])) ++at;
  if (at == blanks) return false;
  const std::size_t digits = at;
  while (at < line.size() && IsDigit(line[at])) ++at;
  if (at == digits) return false;
  return AcceptsRest({}, line.substr(at), true);
}

bool IsOpeningWordHeading(std::u16string_view line) {
  for (std::u16string_view word : kOpeningWords) {
    if (line.starts_with(word)) {
      // A lone 序 opens too many words (序幕 excepted, they are not headings) to stand
      // without a separator.
      return AcceptsRest(word, line.substr(word.size()), word.size() == 1);
    }
  }
  return false;
}

int Units(Encoding encoding) {
  return static_cast<int>(UnitBytes(encoding));
}

// The line-break unit: 0A, or 0A 00 / 00 0A at an even offset.
bool IsLineBreakAt(std::string_view text, std::size_t at, int unitBytes) {
  if (unitBytes == 1) return text[at] == '\n';
  return (text[at] == '\n' && text[at + 1] == 0) || (text[at] == 0 && text[at + 1] == '\n');
}

constexpr std::size_t kLineLimit = 4096;  // a heading line is far shorter

// The written rule's headings, each told whether it starts its line. The line start is
// followed forward from heading to heading, and only the first heading of a line decodes
// what stands before it (a heading before it on the line is no blank), so a text of
// millions of headings on few lines costs one pass like any other.
std::vector<Heading> NearHeadings(const ByteText& text, Encoding encoding) {
  TextDecoder decoder(encoding);
  const std::string_view bytes = text.view();
  const int unitBytes = Units(encoding);
  std::vector<Heading> headings;
  std::size_t scanned = 0;    // the line breaks before this offset are known
  std::size_t lineStart = 0;  // where the line holding scanned begins
  std::optional<std::size_t> previous;
  ForEachChapterStart(text, encoding, [&](int start) {
    const auto offset = static_cast<std::size_t>(start - 1);
    for (;;) {
      const std::size_t end = LineEndOf(bytes, scanned, unitBytes, offset - scanned);
      if (end >= offset) break;
      lineStart = end + static_cast<std::size_t>(unitBytes);
      scanned = lineStart;
    }
    scanned = offset;
    bool startsLine = false;
    // A line start further back than a heading line's length is not looked for.
    const std::size_t distance = offset - lineStart;
    const bool near = distance < kLineLimit || (lineStart == 0 && distance <= kLineLimit);
    if ((!previous || *previous < lineStart) && near) {
      const std::u16string before = decoder.Decode(bytes.substr(lineStart, distance));
      startsLine = std::all_of(before.begin(), before.end(), IsBlank);
    }
    previous = offset;
    headings.emplace_back(static_cast<std::int64_t>(offset), startsLine);
  });
  return headings;
}

// Parts of a large text are searched side by side: each part ends at a line break.
template <typename Search>
std::vector<Heading> InParts(std::string_view bytes, int unitBytes, Search search) {
  constexpr std::size_t kSmall = std::size_t{8} << 20;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  if (bytes.size() < kSmall || cores < 2) return search(std::size_t{0}, bytes.size());
  const std::size_t parts = std::min<std::size_t>(cores, 4);
  const std::size_t unit = static_cast<std::size_t>(unitBytes);
  std::vector<std::size_t> bounds = {0};
  for (std::size_t k = 1; k < parts; ++k) {
    std::size_t at = std::max(bounds.back(), bytes.size() / parts * k);
    at -= at % unit;
    at = LineEndOf(bytes, at, unitBytes, bytes.size());
    bounds.push_back(std::min(bytes.size(), at + unit));
  }
  bounds.push_back(bytes.size());
  std::vector<std::vector<Heading>> found(parts);
  RunSideBySide(parts, [&](std::size_t k) { found[k] = search(bounds[k], bounds[k + 1]); });
  std::size_t total = 0;
  for (const auto& part : found) total += part.size();
  std::vector<Heading> headings;
  headings.reserve(total);
  for (auto& part : found) {
    headings.insert(headings.end(), part.begin(), part.end());
    std::vector<Heading>().swap(part);
  }
  return headings;
}

// How often a search looks whether it was asked to stop: every this many lines.
constexpr int kLinesBetweenLooks = 4096;

bool StopAsked(const Progress* progress) {
  return progress != nullptr && progress->StopRequested();
}

std::vector<Heading> LineHeadings(const ByteText& text, Encoding encoding, Progress* progress,
                                  std::atomic<bool>& stopped) {
  const std::string_view bytes = text.view();
  return InParts(bytes, Units(encoding), [&](std::size_t from, std::size_t to) {
    TextDecoder decoder(encoding);
    const CharacterSequences blanks(decoder, u" \t\u3000");
    const CharacterSequences openers(decoder, u"第序楔引前尾后番Cc");
    const std::size_t unit = static_cast<std::size_t>(Units(encoding));
    std::vector<Heading> headings;
    std::size_t line = from;
    for (int lines = 1; line < to; ++lines) {
      if (lines % kLinesBetweenLooks == 1 && (stopped || StopAsked(progress))) {
        stopped = true;
        break;
      }
      const std::size_t end = LineEndOf(bytes, line, Units(encoding), to - line);
      std::size_t first = line;
      while (const std::size_t blank = blanks.At(bytes, first, end)) first += blank;
      if (end - line <= kLineLimit && openers.At(bytes, first, end) != 0) {
        const std::u16string decoded = decoder.Decode(bytes.substr(line, end - line));
        if (IsHeadingLine(decoded)) headings.push_back({static_cast<std::int64_t>(line), true});
      }
      line = end + unit;
    }
    return headings;
  });
}

using Regex = icu::LocalURegularExpressionPointer;

// The bounds on a search under a regular expression (chapter_rules.h): an expression
// that backtracks without end, such as (a+)+$ on a line of forty "a" and a "!", or
// ^(.*章)+$ on a line of a hundred megabytes, gives up after about two seconds, while a
// plain rule takes a few steps a character and never comes near them.
constexpr int32_t kBacktrackBytes = kRegexBacktrackBytes;

// What the parts of one search share: whether one of them gave up or was stopped (the
// others then end too), and where the first gave up.
struct RegexSearch {
  Progress* progress = nullptr;
  std::atomic<bool> over{false};
  std::atomic<bool> stopped{false};
  std::atomic<std::int64_t> searched{0};  // bytes, for the progress window
  std::mutex mutex;
  std::optional<std::size_t> gaveUpAt;  // the offset of the line
  RegexProblem problem = RegexProblem::kTooSlow;
  RegexClock clock;

  void GiveUp(std::size_t lineOffset, RegexProblem why) {
    const std::lock_guard lock(mutex);
    if (!gaveUpAt || lineOffset < *gaveUpAt) {
      gaveUpAt = lineOffset;
      problem = why;
    }
    over = true;
  }
};

// One part's clock, ticked by ICU's callback, which runs once per time unit of a match
// that takes long.
struct PartSteps {
  RegexSearch* search = nullptr;
  RegexTicks ticks;
  bool interrupted = false;  // ended because another part gave up
};

UBool U_CALLCONV KeepMatching(const void* context, int32_t) {
  auto* steps = static_cast<PartSteps*>(const_cast<void*>(context));
  if (steps->search->over) {
    steps->interrupted = true;
    return false;
  }
  if (StopAsked(steps->search->progress)) {
    steps->search->stopped = true;
    steps->search->over = true;
    return false;
  }
  return steps->ticks.Tick();
}

// The headings of bytes [from, to) under a compiled expression of its own; the search
// ends early when it gives up or is stopped (search says which).
std::vector<Heading> RegexHeadingsIn(std::string_view bytes, std::size_t from, std::size_t to,
                                     URegularExpression* regex, Encoding encoding,
                                     RegexSearch& search) {
  TextDecoder decoder(encoding);
  const std::size_t unit = static_cast<std::size_t>(Units(encoding));
  PartSteps steps{&search, RegexTicks(&search.clock)};
  UErrorCode status = U_ZERO_ERROR;
  uregex_setMatchCallback(regex, KeepMatching, &steps, &status);
  uregex_setStackLimit(regex, kBacktrackBytes, &status);
  // The text is decoded a few megabytes at a time, each part ending at a line break.
  constexpr std::size_t kPart = std::size_t{4} << 20;
  std::vector<Heading> headings;
  std::vector<std::uint32_t> offsets;
  std::size_t part = from;
  int lines = 0;
  while (part < to && !search.over) {
    std::size_t partEnd = std::min(to, part + kPart);
    if (partEnd < to) {
      partEnd -= (partEnd - part) % unit;
      partEnd = LineEndOf(bytes, partEnd, Units(encoding), to - partEnd);
      partEnd = std::min(to, partEnd + unit);
    }
    const std::u16string decoded = decoder.Decode(bytes.substr(part, partEnd - part), &offsets);
    const auto offsetOf = [&](std::size_t unitAt) {
      // An empty match at the very end of the text stands past the last character.
      return part +
             (unitAt < offsets.size() ? static_cast<std::size_t>(offsets[unitAt]) : partEnd - part);
    };
    std::size_t line = 0;
    while (line < decoded.size()) {
      if (++lines % kLinesBetweenLooks == 1 && (search.over || StopAsked(search.progress))) {
        search.stopped = search.stopped || StopAsked(search.progress);
        search.over = true;
        return headings;
      }
      std::size_t end = decoded.find(u'\n', line);
      if (end == std::u16string::npos) end = decoded.size();
      std::size_t length = end - line;
      if (length > 0 && decoded[line + length - 1] == u'\r') --length;
      status = U_ZERO_ERROR;
      steps.ticks.NewMatch();
      uregex_setText(regex, decoded.data() + line, static_cast<int32_t>(length), &status);
      const bool found = uregex_find(regex, 0, &status);
      if (U_FAILURE(status)) {
        if (!search.stopped && !steps.interrupted) {
          search.GiveUp(offsetOf(line),
                        status == U_REGEX_STACK_OVERFLOW || status == U_MEMORY_ALLOCATION_ERROR
                            ? RegexProblem::kTooDeep
                            : RegexProblem::kTooSlow);
        }
        return headings;
      }
      if (found) {
        const int32_t at = uregex_start(regex, 0, &status);
        const std::u16string_view before(decoded.data() + line, static_cast<std::size_t>(at));
        headings.push_back(
            {static_cast<std::int64_t>(offsetOf(line + static_cast<std::size_t>(at))),
             std::all_of(before.begin(), before.end(), IsBlank)});
      }
      line = end + 1;
    }
    search.searched += static_cast<std::int64_t>(partEnd - part);
    if (search.progress != nullptr) search.progress->Advance(0, search.searched);
    part = partEnd;
  }
  return headings;
}

RegexProblem ProblemOf(UErrorCode status) {
  switch (status) {
    case U_REGEX_MISMATCHED_PAREN:
      return RegexProblem::kMismatchedParen;
    case U_REGEX_MISSING_CLOSE_BRACKET:
      return RegexProblem::kMissingBracket;
    case U_REGEX_BAD_ESCAPE_SEQUENCE:
      return RegexProblem::kBadEscape;
    case U_REGEX_PROPERTY_SYNTAX:
      return RegexProblem::kBadProperty;
    case U_REGEX_BAD_INTERVAL:
      return RegexProblem::kBadInterval;
    case U_REGEX_MAX_LT_MIN:
      return RegexProblem::kMaxBelowMin;
    case U_REGEX_INVALID_BACK_REF:
      return RegexProblem::kBadBackReference;
    case U_REGEX_INVALID_FLAG:
      return RegexProblem::kBadFlag;
    case U_REGEX_LOOK_BEHIND_LIMIT:
      return RegexProblem::kLookBehind;
    case U_REGEX_INVALID_RANGE:
      return RegexProblem::kBadRange;
    case U_REGEX_NUMBER_TOO_BIG:
    case U_REGEX_OCTAL_TOO_BIG:
      return RegexProblem::kNumberTooBig;
    case U_REGEX_INVALID_CAPTURE_GROUP_NAME:
      return RegexProblem::kBadGroupName;
    case U_REGEX_UNIMPLEMENTED:
    case U_REGEX_SET_CONTAINS_STRING:
      return RegexProblem::kUnsupported;
    case U_REGEX_PATTERN_TOO_BIG:
      return RegexProblem::kTooLarge;
    default:
      return RegexProblem::kSyntax;
  }
}

// Where in pattern (UTF-16 units) a parenthesis has no partner: a ")" closing nothing, else
// the last "(" left open. ICU notices an open one only at the end of the pattern. Escapes,
// \Q...\E and the (nested) brackets of sets hold no parentheses.
std::optional<std::size_t> UnpairedParenthesis(std::u16string_view pattern) {
  std::vector<std::size_t> open;
  int brackets = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char16_t c = pattern[i];
    if (c == u'\\') {
      if (i + 1 < pattern.size() && pattern[i + 1] == u'Q') {
        const std::size_t end = pattern.find(u"\\E", i + 2);
        if (end == std::u16string_view::npos) break;
        i = end + 1;
      } else {
        ++i;
      }
    } else if (c == u'[') {
      ++brackets;
    } else if (c == u']' && brackets > 0) {
      --brackets;
    } else if (brackets == 0 && c == u'(') {
      open.push_back(i);
    } else if (brackets == 0 && c == u')') {
      if (open.empty()) return i;
      open.pop_back();
    }
  }
  if (open.empty()) return std::nullopt;
  return open.back();
}

RuleError PatternError(std::u16string_view pattern, UErrorCode status, const UParseError& parsed) {
  RuleError error;
  error.problem = ProblemOf(status);
  std::size_t at = static_cast<std::size_t>(std::max(0, parsed.offset));
  if (error.problem == RegexProblem::kMismatchedParen) {
    at = UnpairedParenthesis(pattern).value_or(at);
  }
  at = std::min(at, pattern.size());
  error.position = u_countChar32(pattern.data(), static_cast<int32_t>(at));
  return error;
}

// The 1-based number of the line that begins at offset.
std::int64_t LineNumberAt(std::string_view bytes, std::size_t offset, int unitBytes) {
  std::int64_t breaks = 0;
  for (std::size_t at = 0; at + static_cast<std::size_t>(unitBytes) <= offset;
       at += static_cast<std::size_t>(unitBytes)) {
    if (IsLineBreakAt(bytes, at, unitBytes)) ++breaks;
  }
  return breaks + 1;
}

HeadingsOrError RegexHeadings(const ByteText& text, const ChapterRule& rule, Encoding encoding,
                              Progress* progress) {
  if (rule.pattern.empty()) return RuleError{RuleError::Kind::kPattern, RegexProblem::kEmpty};
  UParseError parseError{};
  UErrorCode status = U_ZERO_ERROR;
  const Regex regex(uregex_open(rule.pattern.data(), static_cast<int32_t>(rule.pattern.size()), 0,
                                &parseError, &status));
  if (U_FAILURE(status)) return PatternError(rule.pattern, status, parseError);
  const std::string_view bytes = text.view();
  RegexSearch search;
  search.progress = progress;
  std::vector<Heading> headings =
      InParts(bytes, Units(encoding), [&](std::size_t from, std::size_t to) {
        UErrorCode cloned = U_ZERO_ERROR;
        const Regex own(uregex_clone(regex.getAlias(), &cloned));
        if (U_FAILURE(cloned)) {
          search.GiveUp(from, RegexProblem::kTooDeep);
          return std::vector<Heading>{};
        }
        return RegexHeadingsIn(bytes, from, to, own.getAlias(), encoding, search);
      });
  if (search.stopped) return RuleError{RuleError::Kind::kStopped};
  if (search.gaveUpAt) {
    return RuleError{RuleError::Kind::kGaveUp, search.problem, 0,
                     LineNumberAt(bytes, *search.gaveUpAt, Units(encoding))};
  }
  return headings;
}

}  // namespace

bool RegexTicks::Tick() {
  const auto now = std::chrono::steady_clock::now();
  if (ticked_ == match_) {
    clock_->spent += std::chrono::duration_cast<std::chrono::nanoseconds>(now - last_).count();
  }
  ticked_ = match_;
  last_ = now;
  return clock_->spent < kRegexSlowTime.count();
}

std::optional<ChapterRule> ParseRule(std::string_view utf8) {
  if (utf8 == "near") return ChapterRule{};
  if (utf8 == "lines") return ChapterRule{RuleKind::kLines, {}};
  if (utf8 == "auto") return ChapterRule{RuleKind::kAuto, {}};
  constexpr std::string_view kRegex = "regex:";
  if (!utf8.starts_with(kRegex)) return std::nullopt;
  utf8.remove_prefix(kRegex.size());
  std::u16string pattern(utf8.size() + 1, u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(pattern.data(), static_cast<int32_t>(pattern.size()), &length, utf8.data(),
                       static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return std::nullopt;
  pattern.resize(static_cast<std::size_t>(length));
  return ChapterRule{RuleKind::kRegex, std::move(pattern)};
}

std::u16string TextDecoder::Decode(std::string_view bytes, std::vector<std::uint32_t>* offsets) {
  DecodedText decoded = morvane::Decode(encoding_, bytes, offsets != nullptr);
  if (offsets != nullptr) *offsets = std::move(decoded.offsets);
  return std::move(decoded.text);
}

std::string TextDecoder::Encode(std::u16string_view text) {
  return morvane::Encode(encoding_, text).bytes;
}

CharacterSequences::CharacterSequences(TextDecoder& decoder, std::u16string_view characters) {
  for (char16_t c : characters) {
    std::string bytes = decoder.Encode(std::u16string_view(&c, 1));
    if (bytes.empty()) continue;
    first_[static_cast<unsigned char>(bytes[0])] = true;
    sequences_.push_back(std::move(bytes));
  }
}

std::size_t LineEndOf(std::string_view text, std::size_t from, int unitBytes, std::size_t limit) {
  if (from >= text.size()) return text.size();
  const std::size_t stop = limit >= text.size() - from ? text.size() : from + limit;
  if (unitBytes == 1) {
    const void* found = std::memchr(text.data() + from, '\n', stop - from);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data()) : stop;
  }
  std::size_t at = from;
  for (; at < stop && at + 1 < text.size(); at += 2) {
    if (IsLineBreakAt(text, at, unitBytes)) return at;
  }
  return at + 1 >= text.size() ? text.size() : at;
}

bool IsHeadingLine(std::u16string_view line) {
  line = TrimmedBlanks(line);
  if (line.empty() || CodePoints(line) > 40) return false;
  if (line.front() == u'第') return IsNumberedHeading(line);
  if (StartsWithChapterWord(line)) return IsEnglishHeading(line);
  return IsOpeningWordHeading(line);
}

HeadingsOrError FindHeadings(const ByteText& text, const ChapterRule& rule, Encoding encoding,
                             Progress* progress) {
  switch (rule.kind) {
    case RuleKind::kNear: {
      // The written rule's scan runs at gigabytes a second: a stop is heard after it.
      std::vector<Heading> headings = NearHeadings(text, encoding);
      if (StopAsked(progress)) return RuleError{RuleError::Kind::kStopped};
      return headings;
    }
    case RuleKind::kLines: {
      std::atomic<bool> stopped{false};
      std::vector<Heading> headings = LineHeadings(text, encoding, progress, stopped);
      if (stopped) return RuleError{RuleError::Kind::kStopped};
      return headings;
    }
    case RuleKind::kRegex:
      return RegexHeadings(text, rule, encoding, progress);
    case RuleKind::kAuto:
      return FindChaptersAutomatically(text, encoding).headings;
  }
  return std::vector<Heading>{};
}

}  // namespace morvane
