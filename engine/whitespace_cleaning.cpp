// SPDX-License-Identifier: MIT
#include "engine/whitespace_cleaning.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

namespace morvane {
namespace {

// The removals, one character at a time, in order: a space goes; a CR waits to see whether
// an LF follows (then both go); a tab goes. Each stage sees what the one before kept, as
// the removals one after another over the whole text would.
class Cleaner {
 public:
  Cleaner(Encoding encoding, CleanChoice choice, std::string& out)
      : encoding_(encoding),
        choice_(choice),
        out_(out),
        space_(AsciiIn(encoding, ' ')),
        cr_(AsciiIn(encoding, '\r')),
        lf_(AsciiIn(encoding, '\n')),
        tab_(AsciiIn(encoding, '\t')) {}

  // Cleans text, a whole number of characters.
  void Feed(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t length = Step(text, at);
      Put(text.substr(at, length));
      at += length;
    }
  }
  void Finish() {
    if (pendingCr_) Emit(cr_);
    pendingCr_ = false;
  }

 private:
  std::size_t Step(std::string_view text, std::size_t at) const {
    // GBK steps as the text operations always did: a byte of 0x80 or above with the next.
    if (encoding_ == Encoding::kGbk)
      return static_cast<unsigned char>(text[at]) >= 0x80 && at + 1 < text.size() ? 2 : 1;
    return CharLength(encoding_, text, at);
  }
  void Put(std::string_view c) {
    if (choice_.spaces && c == space_) return;
    if (choice_.lineBreaks) {
      if (pendingCr_) {
        pendingCr_ = false;
        if (c == lf_) return;
        Emit(cr_);
      }
      if (c == cr_) {
        pendingCr_ = true;
        return;
      }
    }
    Emit(c);
  }
  void Emit(std::string_view c) {
    if (choice_.tabs && c == tab_) return;
    out_.append(c);
  }

  Encoding encoding_;
  CleanChoice choice_;
  std::string& out_;
  std::string space_, cr_, lf_, tab_;
  bool pendingCr_ = false;
};

constexpr std::size_t kPartBytes = std::size_t{1} << 20;

// The end of the part that starts at from: just after the first line feed at or after
// from + kPartBytes that is a character of its own; the end of the text when there is none.
std::size_t PartEnd(std::string_view text, Encoding encoding, std::size_t from) {
  const std::string lf = AsciiIn(encoding, '\n');
  std::size_t at = from + kPartBytes;
  while (at < text.size()) {
    const std::size_t found = text.find(lf, at);
    if (found == std::string_view::npos) break;
    const bool start = encoding == Encoding::kGbk
                           // after a byte below 0x80 a GBK character starts
                           ? found == 0 || static_cast<unsigned char>(text[found - 1]) < 0x80
                           : BoundaryAtOrAfter(encoding, text, found, from) == found;
    if (start) return found + lf.size();
    at = found + 1;
  }
  return text.size();
}

}  // namespace

ByteText Cleaned(const ByteText& text, Encoding encoding, CleanChoice choice) {
  if (encoding == Encoding::kGbk) {
    // The removals one after another, in their fast, vectorised form.
    ByteText cleaned = text;
    if (choice.spaces) cleaned = WithoutSpaces(cleaned);
    if (choice.lineBreaks) cleaned = WithoutLineBreaks(cleaned);
    if (choice.tabs) cleaned = WithoutTabs(cleaned);
    return cleaned;
  }
  std::string out;
  out.reserve(text.size());
  Cleaner cleaner(encoding, choice, out);
  cleaner.Feed(text.view());
  cleaner.Finish();
  return ByteText::Copy(out);
}

bool CleanInParts(const ByteText& text, Encoding encoding, CleanChoice choice,
                  const std::function<bool(std::string_view part)>& out) {
  // A part ends after a line feed, which no removal takes unless a CR stands before it:
  // the CR of a pair is held back until the next part shows what follows it.
  // In GBK the removals one after another (their fast, vectorised form) give the same
  // bytes part by part: no pair can span a part's end, which is a line feed that the
  // spaces removal keeps.
  const std::string_view view = text.view();
  if (encoding == Encoding::kGbk) {
    for (std::size_t from = 0; from < view.size();) {
      const std::size_t end = PartEnd(view, encoding, from);
      const ByteText part = Cleaned(text.Slice(from, end - from), encoding, choice);
      if (!part.empty() && !out(part.view())) return false;
      from = end;
    }
    return true;
  }
  std::string buffer;
  Cleaner cleaner(encoding, choice, buffer);
  for (std::size_t from = 0; from < view.size();) {
    const std::size_t end = PartEnd(view, encoding, from);
    buffer.clear();
    cleaner.Feed(view.substr(from, end - from));
    if (end == view.size()) cleaner.Finish();
    if (!buffer.empty() && !out(buffer)) return false;
    from = end;
  }
  return true;
}

ByteText WithoutSpaces(const ByteText& text) {
  return ReplaceSubtext(text, ByteText(" "), ByteText());
}

ByteText WithoutLineBreaks(const ByteText& text) {
  return ReplaceSubtext(text, ByteText("\r\n"), ByteText());
}

ByteText WithoutTabs(const ByteText& text) {
  return ReplaceSubtext(text, ByteText("\t"), ByteText());
}

}  // namespace morvane
