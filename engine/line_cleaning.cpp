// SPDX-License-Identifier: MIT
#include "engine/line_cleaning.h"

#include <algorithm>
#include <cstring>

#include <unicode/uregex.h>

#include "engine/chapter_auto.h"
#include "engine/chinese_numerals.h"
#include "engine/junk_lines_data.h"

namespace morvane {
namespace {

constexpr std::size_t kPartBytes = std::size_t{1} << 20;
constexpr std::size_t kHeadingLineLimit = 4096;  // a heading line is far shorter
// A junk line (an advert, a site's address) is far shorter too: a longer line is never
// junk, so the rules never hold a copy of a line that grows with the text (a text of one
// line of a gigabyte) nor spend time on it.
constexpr std::size_t kJunkLineLimit = 64 << 10;
constexpr int kLinesBetweenLooks = 4096;

// Where a line's parts lie: [start, first) its indentation, [first, last) its text,
// [last, contentEnd) its trailing blanks, [contentEnd, next) its line break. A line of
// blanks alone has first == contentEnd and last == start.
struct LineShape {
  std::size_t start = 0;
  std::size_t first = 0;
  std::size_t last = 0;
  std::size_t contentEnd = 0;
  std::size_t next = 0;

  bool blank() const { return first == contentEnd; }
};

// The line breaks and blanks of one encoding, as its bytes.
class LineReader {
 public:
  explicit LineReader(Encoding encoding)
      : encoding_(encoding),
        unit_(UnitBytes(encoding)),
        decoder_(encoding),
        blanks_(decoder_, u" \t\u3000"),
        cr_(AsciiIn(encoding, '\r')),
        space_(AsciiIn(encoding, ' ')),
        tab_(AsciiIn(encoding, '\t')),
        wide_(decoder_.Encode(u"\u3000")) {}

  LineShape Shape(std::string_view bytes, std::size_t start) const {
    LineShape s;
    s.start = start;
    const std::size_t end = LineEndOf(bytes, start, static_cast<int>(unit_), bytes.size() - start);
    s.next = end < bytes.size() ? std::min(bytes.size(), end + unit_) : end;
    s.contentEnd = end;
    if (end >= start + unit_ && EndsWith(bytes, start, end, cr_)) s.contentEnd = end - unit_;
    s.first = start;
    while (const std::size_t blank = blanks_.At(bytes, s.first, s.contentEnd)) s.first += blank;
    s.last = s.blank() ? start : TextEnd(bytes, s.first, s.contentEnd);
    return s;
  }

  const std::string& wideSpace() const { return wide_; }
  TextDecoder& decoder() { return decoder_; }

 private:
  static bool EndsWith(std::string_view bytes, std::size_t from, std::size_t end,
                       const std::string& seq) {
    return !seq.empty() && end - from >= seq.size() &&
           std::memcmp(bytes.data() + end - seq.size(), seq.data(), seq.size()) == 0;
  }

  // The end of the last character of [first, end) that is no blank (first is none).
  std::size_t TextEnd(std::string_view bytes, std::size_t first, std::size_t end) const {
    const bool doubleByte = encoding_ == Encoding::kGbk || encoding_ == Encoding::kGb18030 ||
                            encoding_ == Encoding::kBig5;
    for (;;) {
      // A lone last byte of UTF-16 text is a character of its own, and no blank.
      if ((end - first) % unit_ != 0) return end;
      // A byte below 0x40 is never the second byte of a double-byte character, and UTF-8
      // and UTF-16 can be read backwards: an ASCII blank at the end is a character.
      if (EndsWith(bytes, first, end, space_) || EndsWith(bytes, first, end, tab_)) {
        end -= unit_;
        continue;
      }
      if (!EndsWith(bytes, first, end, wide_)) return end;
      if (!doubleByte) {
        end -= wide_.size();
        continue;
      }
      // Its bytes could end another character: the line is stepped from its first
      // character.
      std::size_t kept = first;
      for (std::size_t at = first; at < end;) {
        const std::size_t blank = blanks_.At(bytes, at, end);
        if (blank != 0) {
          at += blank;
          continue;
        }
        at += CharLength(encoding_, bytes.substr(0, end), at);
        kept = at;
      }
      return kept;
    }
  }

  Encoding encoding_;
  std::size_t unit_;
  TextDecoder decoder_;
  CharacterSequences blanks_;
  std::string cr_;
  std::string space_;
  std::string tab_;
  std::string wide_;
};

using Regex = icu::LocalURegularExpressionPointer;

bool HasBackReference(std::u16string_view pattern) {
  for (std::size_t i = 0; i + 1 < pattern.size(); ++i) {
    if (pattern[i] != u'\\') continue;
    const char16_t next = pattern[i + 1];
    if ((next >= u'1' && next <= u'9') || next == u'k') return true;
    ++i;
  }
  return false;
}

// Whether pattern ends with an unescaped ".*" (a dot after an even run of backslashes).
bool EndsWithAnything(std::u16string_view pattern) {
  if (!pattern.ends_with(u".*")) return false;
  std::size_t backslashes = 0;
  for (std::size_t i = pattern.size() - 2; i > 0 && pattern[i - 1] == u'\\'; --i) ++backslashes;
  return backslashes % 2 == 0;
}

// An expression over a whole line, as one that a search may find anywhere in it: a rule
// that opens or ends with ".*" needs no anchor on that side, and ICU then looks for what
// the rule names instead of trying every length of ".*" (which made "contains" rules
// quadratic in the line).
std::u16string Anchored(std::u16string_view rule) {
  const bool anyStart = rule.starts_with(u".*") && !rule.starts_with(u".*?") &&
                        !rule.starts_with(u".*+") && !rule.starts_with(u".**");
  if (anyStart) rule.remove_prefix(2);
  const bool anyEnd = EndsWithAnything(rule);
  if (anyEnd) rule.remove_suffix(2);
  return std::u16string(anyStart ? u"" : u"^") + u"(?:" + std::u16string(rule) + u")" +
         (anyEnd ? u"" : u"$");
}

// The bound on one junk rule's match against a line, in ICU's time units (about ten
// thousand steps of its matcher each): a line's share, and one more for every two of its
// characters, since a rule matches a line whole and its plain work grows with the line.
constexpr std::int64_t kJunkLineUnits = 5000;
constexpr std::int64_t kJunkCharactersPerLineUnit = 2;

// The junk rules of one search, compiled for one thread. The expressions are joined into
// one alternation (a line is matched once, not once per rule), but for those whose
// back references count groups, which keep expressions of their own.
class JunkMatcher {
 public:
  // rules must outlive the matcher (the cleaning holds them).
  explicit JunkMatcher(const JunkRules& rules) : rules_(&rules) {
    std::u16string joined;
    for (const std::u16string& pattern : rules.patterns()) {
      if (HasBackReference(pattern)) {
        Open(Anchored(pattern));
        continue;
      }
      if (!joined.empty()) joined += u'|';
      joined += u"(?:" + Anchored(pattern) + u")";
    }
    if (!joined.empty()) Open(joined);
  }

  // Whether the line, blanks trimmed, is junk; a match that went beyond its bounds sets
  // gaveUp.
  bool Matches(std::u16string_view line, std::optional<RegexProblem>& gaveUp) {
    if (rules_->IsLiteral(line)) return true;
    for (const Regex& regex : regexes_) {
      UErrorCode status = U_ZERO_ERROR;
      uregex_setTimeLimit(regex.getAlias(),
                          static_cast<int32_t>(std::min<std::int64_t>(
                              INT32_MAX, kJunkLineUnits + static_cast<std::int64_t>(line.size()) /
                                                              kJunkCharactersPerLineUnit)),
                          &status);
      uregex_setText(regex.getAlias(), line.data(), static_cast<int32_t>(line.size()), &status);
      const bool matched = uregex_find(regex.getAlias(), 0, &status);
      if (U_FAILURE(status)) {
        gaveUp = status == U_REGEX_STACK_OVERFLOW || status == U_MEMORY_ALLOCATION_ERROR
                     ? RegexProblem::kTooDeep
                     : RegexProblem::kTooSlow;
        return false;
      }
      if (matched) return true;
    }
    return false;
  }

 private:
  // A group that holds no capture leaves the numbers of the rule's own groups as they were.
  void Open(const std::u16string& pattern) {
    UParseError parsed{};
    UErrorCode status = U_ZERO_ERROR;
    Regex regex(
        uregex_open(pattern.data(), static_cast<int32_t>(pattern.size()), 0, &parsed, &status));
    // Each rule was read before (JunkRules::Parse): a joined one compiles as its parts do.
    if (U_FAILURE(status)) return;
    uregex_setStackLimit(regex.getAlias(), kRegexBacktrackBytes, &status);
    regexes_.push_back(std::move(regex));
  }

  const JunkRules* rules_;
  std::vector<Regex> regexes_;
};

}  // namespace

std::string_view LineChangeKindName(LineChangeKind kind) {
  switch (kind) {
    case LineChangeKind::kJunk:
      return "junk";
    case LineChangeKind::kRepeatedTitle:
      return "repeated-title";
    case LineChangeKind::kBlankLine:
      return "blank-line";
    case LineChangeKind::kTrailingSpace:
      return "trailing-space";
    case LineChangeKind::kIndent:
      return "indent";
  }
  return "";
}

bool RemovesLine(LineChangeKind kind) {
  return kind == LineChangeKind::kJunk || kind == LineChangeKind::kRepeatedTitle ||
         kind == LineChangeKind::kBlankLine;
}

std::variant<JunkRules, JunkRules::Problem> JunkRules::Parse(std::string_view utf8) {
  if (utf8.starts_with("\xEF\xBB\xBF")) utf8.remove_prefix(3);
  JunkRules rules;
  // Room for every rule at once, so that a million rules are not copied as they grow: a
  // line per rule, and at most a UTF-16 unit per byte that starts a character (two for
  // one of four bytes).
  rules.literalEnds_.reserve(static_cast<std::size_t>(std::count(utf8.begin(), utf8.end(), '\n')) +
                             1);
  rules.literalChars_.reserve(
      static_cast<std::size_t>(
          std::count_if(utf8.begin(), utf8.end(),
                        [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; })) +
      static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xF8) == 0xF0;
      })));
  int number = 0;
  while (!utf8.empty()) {
    ++number;
    const std::size_t end = std::min(utf8.find('\n'), utf8.size());
    std::string_view line = utf8.substr(0, end);
    utf8.remove_prefix(std::min(utf8.size(), end + 1));
    if (line.ends_with('\r')) line.remove_suffix(1);
    const std::u16string decoded = Decode(Encoding::kUtf8, line).text;
    const std::u16string_view trimmed = TrimmedBlanks(decoded);
    if (trimmed.empty() || trimmed.front() == u'#') continue;
    if (!trimmed.starts_with(u"re:")) {
      rules.AddLiteral(trimmed);
      continue;
    }
    std::u16string pattern(trimmed.substr(3));
    // The chapter rules' own reading of an expression says what is wrong with it.
    const HeadingsOrError checked =
        FindHeadings(ByteText(), ChapterRule{RuleKind::kRegex, pattern}, Encoding::kUtf8);
    if (const auto* error = std::get_if<RuleError>(&checked)) return Problem{number, *error};
    rules.patterns_.push_back(std::move(pattern));
  }
  rules.SortLiterals();
  return rules;
}

std::u16string_view JunkRules::Literal(std::uint32_t i) const {
  const std::uint32_t begin = i == 0 ? 0 : literalEnds_[i - 1];
  return std::u16string_view(literalChars_).substr(begin, literalEnds_[i] - begin);
}

void JunkRules::AddLiteral(std::u16string_view literal) {
  // Rules come from a text (at most 2 GiB): their characters stay below 2^32.
  literalChars_.append(literal);
  literalEnds_.push_back(static_cast<std::uint32_t>(literalChars_.size()));
}

void JunkRules::SortLiterals() {
  literalOrder_.resize(literalEnds_.size());
  for (std::uint32_t i = 0; i < literalOrder_.size(); ++i) literalOrder_[i] = i;
  std::sort(literalOrder_.begin(), literalOrder_.end(),
            [this](std::uint32_t a, std::uint32_t b) { return Literal(a) < Literal(b); });
}

bool JunkRules::IsLiteral(std::u16string_view line) const {
  const auto at = std::lower_bound(
      literalOrder_.begin(), literalOrder_.end(), line,
      [this](std::uint32_t i, std::u16string_view text) { return Literal(i) < text; });
  return at != literalOrder_.end() && Literal(*at) == line;
}

std::string_view JunkRules::BuiltInText() {
  return kBuiltInJunkRules;
}

const JunkRules& JunkRules::BuiltIn() {
  // A rule a build's regular expressions cannot read (the Windows stand-in for ICU reads
  // ECMAScript) is left out rather than taking the others with it.
  static const JunkRules rules = [] {
    JunkRules all;
    std::string_view text = BuiltInText();
    while (!text.empty()) {
      const std::size_t end = std::min(text.find('\n'), text.size());
      auto one = Parse(text.substr(0, end));
      if (const auto* parsed = std::get_if<JunkRules>(&one)) all.Add(*parsed);
      text.remove_prefix(std::min(text.size(), end + 1));
    }
    return all;
  }();
  return rules;
}

void JunkRules::Add(JunkRules more) {
  // The larger set takes the smaller: a million rules read from a file are not copied.
  if (more.literalChars_.size() > literalChars_.size()) {
    std::swap(literalChars_, more.literalChars_);
    std::swap(literalEnds_, more.literalEnds_);
  }
  for (std::uint32_t i = 0; i < more.literalEnds_.size(); ++i) AddLiteral(more.Literal(i));
  patterns_.insert(patterns_.end(), more.patterns_.begin(), more.patterns_.end());
  SortLiterals();
}

struct LineChangeFinder::State {
  State(const ByteText& t, Encoding e, const LineCleaning& c, Progress* p)
      : text(t),
        bytes(t.view()),
        encoding(e),
        cleaning(c),
        progress(p),
        reader(e),
        openers(reader.decoder(), kHeadingOpeners) {
    if (cleaning.junk && !cleaning.junk->empty()) junk.emplace(*cleaning.junk);
    if (cleaning.indentation == Indentation::kFullWidth) {
      indent = reader.wideSpace() + reader.wideSpace();
    }
  }

  // The changes of the line at at; false when the search must stop there.
  bool Look(std::vector<LineChange>& changes) {
    const LineShape s = reader.Shape(bytes, at);
    ++line;
    at = s.next;
    const auto add = [&](LineChangeKind kind) {
      changes.push_back({line, static_cast<std::int64_t>(s.start), kind});
    };
    if (s.blank()) {
      if (cleaning.blankLines == BlankLines::kNone ||
          (cleaning.blankLines == BlankLines::kOne && previousBlank)) {
        add(LineChangeKind::kBlankLine);
        return true;
      }
      previousBlank = true;
      if (cleaning.trailingSpace && s.contentEnd > s.start) add(LineChangeKind::kTrailingSpace);
      return true;
    }
    std::u16string decoded;
    if (junk && s.last - s.first <= kJunkLineLimit) {
      decoded = reader.decoder().Decode(bytes.substr(s.first, s.last - s.first));
      std::optional<RegexProblem> gaveUp;
      if (junk->Matches(decoded, gaveUp)) {
        add(LineChangeKind::kJunk);
        return true;
      }
      if (gaveUp) {
        error = RuleError{RuleError::Kind::kGaveUp, *gaveUp, 0, line};
        return false;
      }
    }
    if (cleaning.repeatedTitles) {
      HeadingLine heading;
      if (s.last - s.first <= kHeadingLineLimit && openers.At(bytes, s.first, s.last) != 0) {
        if (decoded.empty())
          decoded = reader.decoder().Decode(bytes.substr(s.first, s.last - s.first));
        heading = ReadHeadingLine(decoded);
      }
      if (RepeatsHeading(previousHeading, heading)) {
        add(LineChangeKind::kRepeatedTitle);
        return true;
      }
      previousHeading = heading;
    }
    previousBlank = false;
    if (cleaning.trailingSpace && s.last < s.contentEnd) add(LineChangeKind::kTrailingSpace);
    if (cleaning.indentation != Indentation::kKeep &&
        bytes.substr(s.start, s.first - s.start) != indent) {
      add(LineChangeKind::kIndent);
    }
    return true;
  }

  ByteText text;
  std::string_view bytes;
  Encoding encoding;
  LineCleaning cleaning;
  Progress* progress;
  LineReader reader;
  CharacterSequences openers;
  std::optional<JunkMatcher> junk;
  std::string indent;
  std::size_t at = 0;
  std::int64_t line = 0;
  bool previousBlank = false;
  HeadingLine previousHeading;
  std::optional<RuleError> error;
};

LineChangeFinder::LineChangeFinder(const ByteText& text, Encoding encoding,
                                   const LineCleaning& cleaning, Progress* progress)
    : state_(std::make_unique<State>(text, encoding, cleaning, progress)) {}

LineChangeFinder::~LineChangeFinder() = default;

bool LineChangeFinder::Next(std::vector<LineChange>& changes) {
  State& s = *state_;
  if (s.error || s.at >= s.bytes.size()) return false;
  const std::size_t target = std::min(s.bytes.size(), s.at + kPartBytes);
  while (s.at < s.bytes.size() && s.at < target) {
    if (s.line % kLinesBetweenLooks == 0 && s.progress != nullptr && s.progress->StopRequested()) {
      s.error = RuleError{RuleError::Kind::kStopped};
      return false;
    }
    if (!s.Look(changes)) return false;
  }
  if (s.progress != nullptr) s.progress->Advance(0, static_cast<std::int64_t>(s.at));
  return true;
}

std::size_t LineChangeFinder::end() const {
  return state_->at;
}

const std::optional<RuleError>& LineChangeFinder::error() const {
  return state_->error;
}

LineChangesOrError FindLineChanges(const ByteText& text, Encoding encoding,
                                   const LineCleaning& cleaning, Progress* progress) {
  std::vector<LineChange> changes;
  LineChangeFinder finder(text, encoding, cleaning, progress);
  while (finder.Next(changes)) {
  }
  if (finder.error()) return *finder.error();
  return changes;
}

void AppendWithChanges(std::string& out, std::string_view text, std::size_t from, std::size_t to,
                       Encoding encoding, Indentation indentation,
                       std::span<const LineChange> changes) {
  const LineReader reader(encoding);
  std::string indent;
  if (indentation == Indentation::kFullWidth) indent = reader.wideSpace() + reader.wideSpace();
  std::size_t at = from;
  for (std::size_t i = 0; i < changes.size();) {
    const auto offset = static_cast<std::size_t>(changes[i].offset);
    if (offset < at || offset >= to) {  // not a line of this range
      ++i;
      continue;
    }
    bool removed = false;
    bool trailing = false;
    bool indented = false;
    for (; i < changes.size() && static_cast<std::size_t>(changes[i].offset) == offset; ++i) {
      removed = removed || RemovesLine(changes[i].kind);
      trailing = trailing || changes[i].kind == LineChangeKind::kTrailingSpace;
      indented = indented || changes[i].kind == LineChangeKind::kIndent;
    }
    out.append(text.substr(at, offset - at));
    const LineShape s = reader.Shape(text, offset);
    at = s.next;
    if (removed) continue;
    std::size_t textFrom = s.start;
    if (indented && !s.blank()) {
      out += indent;
      textFrom = s.first;
    }
    out.append(text.substr(textFrom, (trailing ? s.last : s.contentEnd) - textFrom));
    out.append(text.substr(s.contentEnd, s.next - s.contentEnd));
  }
  if (at < to) out.append(text.substr(at, to - at));
}

ByteText WithChanges(const ByteText& text, Encoding encoding, Indentation indentation,
                     std::span<const LineChange> changes) {
  std::string out;
  out.reserve(text.size());
  AppendWithChanges(out, text.view(), 0, text.size(), encoding, indentation, changes);
  return ByteText::Copy(out);
}

std::optional<RuleError> CleanLinesInParts(const ByteText& text, Encoding encoding,
                                           const LineCleaning& cleaning,
                                           const std::function<bool(std::string_view)>& out,
                                           Progress* progress) {
  LineChangeFinder finder(text, encoding, cleaning, progress);
  std::vector<LineChange> changes;
  std::string part;
  std::size_t from = 0;
  while (finder.Next(changes)) {
    part.clear();
    AppendWithChanges(part, text.view(), from, finder.end(), encoding, cleaning.indentation,
                      changes);
    changes.clear();
    from = finder.end();
    if (!out(part)) return RuleError{RuleError::Kind::kStopped};
  }
  return finder.error();
}

std::string_view LineAt(std::string_view text, std::size_t offset, Encoding encoding) {
  const LineShape s = LineReader(encoding).Shape(text, offset);
  return text.substr(s.start, s.contentEnd - s.start);
}

}  // namespace morvane
