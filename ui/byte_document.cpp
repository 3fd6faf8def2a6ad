// SPDX-License-Identifier: MIT
#include "ui/byte_document.h"

#include <cctype>
#include <cstring>

#include "ui/text_units.h"

namespace morvane::ui {
namespace {

std::size_t Count(std::string_view bytes, char c) {
  return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), c));
}

bool IsWordByte(unsigned char b) {
  return std::isalnum(b) != 0 || b == '_';
}

}  // namespace

// --- the bytes ---------------------------------------------------------------------

std::string_view ByteDocument::View() const {
  return owned_ ? std::string_view(own_) : shared_.view();
}

void ByteDocument::Own() {
  if (owned_) return;
  own_.assign(shared_.view());
  shared_ = ByteText();
  owned_ = true;
}

void ByteDocument::ClearHistory() {
  cursor_ = anchor_ = 0;
  typedEnd_ = std::string::npos;
  undo_.clear();
  redo_.clear();
  undoBytes_ = 0;
  seams_.clear();
}

void ByteDocument::SetBytes(const ByteText& bytes) {
  shared_ = bytes;
  own_.clear();
  own_.shrink_to_fit();
  owned_ = false;
  zeros_ = 0;
  ClearHistory();
}

bool ByteDocument::SetEncoding(Encoding encoding) {
  if (encoding == encoding_) return false;
  encoding_ = encoding;
  // Zero bytes end a text only where they are characters of their own.
  zeros_ = IsUtf16(encoding) ? 0 : Count(View(), '\0');
  ClearHistory();
  return true;
}

ByteText ByteDocument::Bytes() const {
  if (!owned_) return shared_;
  ByteText bytes = IsUtf16(encoding_) ? ByteText::Copy(own_) : ByteText{std::string(own_)};
  if (zeros_ == 0) {
    // The document shares what it hands out until the next edit: one copy of the text.
    shared_ = bytes;
    own_.clear();
    own_.shrink_to_fit();
    owned_ = false;
  }
  return bytes;
}

std::size_t ByteDocument::Length() const {
  const std::string_view bytes = View();
  return zeros_ > 0 ? bytes.find('\0') : bytes.size();
}

std::string ByteDocument::Ascii(std::string_view text) const {
  if (encoding_ == Encoding::kGbk) return std::string(text);
  std::string bytes;
  for (const char c : text) bytes += AsciiIn(encoding_, c);
  return bytes;
}

// --- the selection -----------------------------------------------------------------

void ByteDocument::MoveCursor(std::size_t position, bool keepAnchor) {
  typedEnd_ = std::string::npos;
  cursor_ = UnitStartAtOrBefore(position);
  if (!keepAnchor) anchor_ = cursor_;
}

void ByteDocument::Select(std::size_t anchor, std::size_t cursor) {
  const std::size_t size = Size();
  anchor_ = UnitStartAtOrBefore(std::min(anchor, size));
  MoveCursor(std::min(cursor, size), true);
}

// --- editing -----------------------------------------------------------------------

void ByteDocument::Change(std::size_t from, std::size_t to, std::string_view bytes) {
  Own();
  const std::string_view removed = std::string_view(own_).substr(from, to - from);
  if (!IsUtf16(encoding_)) zeros_ = zeros_ - Count(removed, '\0') + Count(bytes, '\0');
  own_.replace(from, to - from, bytes);
  seams_.clear();
  if (onChanged_) onChanged_(from, to - from, bytes.size());
}

void ByteDocument::Record(Edit edit) {
  for (const Edit& dropped : redo_) undoBytes_ -= dropped.Bytes();
  redo_.clear();
  Edit* last = undo_.empty() ? nullptr : &undo_.back();
  undoBytes_ += edit.Bytes();
  if (edit.typing && last != nullptr && last->typing && edit.removed.empty() &&
      last->at + last->inserted.size() == edit.at) {
    last->inserted += edit.inserted;  // typed one after another: one step to undo
  } else {
    undo_.push_back(std::move(edit));
  }
  while (undoBytes_ > undoLimit_ && undo_.size() > 1) {
    undoBytes_ -= undo_.front().Bytes();
    undo_.pop_front();
  }
}

bool ByteDocument::Replace(std::size_t from, std::size_t to, std::string bytes, bool typing) {
  if (from == to && bytes.empty()) return false;
  Edit edit;
  edit.at = from;
  edit.removed.assign(View().substr(from, to - from));
  edit.inserted = std::move(bytes);
  edit.anchorBefore = anchor_;
  edit.cursorBefore = cursor_;
  edit.typing = typing;
  Change(from, to, edit.inserted);
  cursor_ = anchor_ = UnitStartAtOrBefore(from + edit.inserted.size());
  typedEnd_ = std::string::npos;
  if (typing) {
    typedEnd_ = from + edit.inserted.size();
    for (std::size_t at = 0; at < edit.inserted.size(); at += typedLast_) {
      typedLast_ = UnitLength(encoding_, edit.inserted, at);
    }
  }
  Record(std::move(edit));
  return true;
}

bool ByteDocument::ReplaceSelection(std::string bytes, bool typing) {
  return Replace(SelectionStart(), SelectionEnd(), std::move(bytes), typing);
}

bool ByteDocument::ReplaceAll(std::string_view bytes) {
  const std::string_view old = View();
  if (old.empty() && bytes.empty()) return false;
  // Only the part between what the old and new texts share at either end is kept for
  // undo: cleaning a text changes its middle, and a step holding both whole texts would
  // hold two copies of it.
  const std::size_t shorter = std::min(old.size(), bytes.size());
  const std::size_t head = static_cast<std::size_t>(
      std::mismatch(old.begin(), old.begin() + static_cast<std::ptrdiff_t>(shorter), bytes.begin())
          .first -
      old.begin());
  std::size_t tail = 0;
  while (tail < shorter - head && old[old.size() - 1 - tail] == bytes[bytes.size() - 1 - tail]) {
    ++tail;
  }
  Replace(head, old.size() - tail, std::string(bytes.substr(head, bytes.size() - head - tail)),
          false);
  cursor_ = anchor_ = UnitStartAtOrBefore(Size());
  typedEnd_ = std::string::npos;
  return true;
}

bool ByteDocument::ReplaceAll(std::string_view bytes, Encoding encoding) {
  if (encoding == encoding_) return ReplaceAll(bytes);
  Edit edit;
  edit.removed.assign(View());
  edit.inserted.assign(bytes);
  edit.anchorBefore = anchor_;
  edit.cursorBefore = cursor_;
  edit.encodingBefore = encoding_;
  edit.encodingAfter = encoding;
  ChangeAll(edit.inserted, encoding);
  cursor_ = anchor_ = UnitStartAtOrBefore(Size());
  typedEnd_ = std::string::npos;
  Record(std::move(edit));
  return true;
}

void ByteDocument::ChangeAll(std::string_view bytes, Encoding encoding) {
  encoding_ = encoding;
  // The old bytes' zeros as the new encoding counts them, so that Change leaves the count
  // of the new bytes before it tells the view.
  zeros_ = IsUtf16(encoding) ? 0 : Count(View(), '\0');
  Change(0, Size(), bytes);
}

bool ByteDocument::Backspace() {
  const std::size_t from = SelectionStart();
  const std::size_t to = SelectionEnd();
  if (from != to) return Replace(from, to, {}, false);
  const bool justTyped = cursor_ == typedEnd_ && typedLast_ <= cursor_;
  return Replace(justTyped ? cursor_ - typedLast_ : PreviousUnit(cursor_), to, {}, false);
}

bool ByteDocument::DeleteForward() {
  const std::size_t from = SelectionStart();
  const std::size_t to = SelectionEnd();
  return Replace(from, from == to ? NextUnit(cursor_) : to, {}, false);
}

bool ByteDocument::Undo() {
  if (undo_.empty()) return false;
  Edit edit = std::move(undo_.back());
  undo_.pop_back();
  typedEnd_ = std::string::npos;
  if (edit.encodingBefore != edit.encodingAfter) {
    ChangeAll(edit.removed, edit.encodingBefore);
  } else {
    Change(edit.at, edit.at + edit.inserted.size(), edit.removed);
  }
  anchor_ = UnitStartAtOrBefore(edit.anchorBefore);
  cursor_ = UnitStartAtOrBefore(edit.cursorBefore);
  redo_.push_back(std::move(edit));
  return true;
}

bool ByteDocument::Redo() {
  if (redo_.empty()) return false;
  Edit edit = std::move(redo_.back());
  redo_.pop_back();
  typedEnd_ = std::string::npos;
  if (edit.encodingBefore != edit.encodingAfter) {
    ChangeAll(edit.inserted, edit.encodingAfter);
  } else {
    Change(edit.at, edit.at + edit.removed.size(), edit.inserted);
  }
  cursor_ = anchor_ = UnitStartAtOrBefore(edit.at + edit.inserted.size());
  edit.typing = false;  // what is typed next is a step of its own
  undo_.push_back(std::move(edit));
  return true;
}

// --- units -------------------------------------------------------------------------

std::size_t ByteDocument::NextUnit(std::size_t position) const {
  return position + UnitLength(encoding_, View(), position);
}

std::size_t ByteDocument::UnitStartAtOrBefore(std::size_t position) const {
  position = std::min(position, Size());
  std::size_t at = hint_ ? hint_(position) : OriginOf(position);
  for (std::size_t next = NextUnit(at); next <= position && next > at; next = NextUnit(at)) {
    at = next;
  }
  return at;
}

std::size_t ByteDocument::PreviousUnit(std::size_t position) const {
  if (position == 0) return 0;
  return UnitStartAtOrBefore(position - 1);
}

bool ByteDocument::WordAt(std::size_t position) const {
  const std::string_view bytes = View();
  if (!IsUtf16(encoding_)) {
    return position < bytes.size() && IsWordByte(static_cast<unsigned char>(bytes[position]));
  }
  if (position + 1 >= bytes.size()) return false;
  const bool little = encoding_ == Encoding::kUtf16Le;
  const char high = bytes[little ? position + 1 : position];
  return high == '\0' &&
         IsWordByte(static_cast<unsigned char>(bytes[little ? position : position + 1]));
}

std::size_t ByteDocument::NextWordEnd(std::size_t position) const {
  std::size_t at = NextUnit(position);
  while (at < Size() && WordAt(at)) at = NextUnit(at);
  return at;
}

std::size_t ByteDocument::PreviousWordStart(std::size_t position) const {
  const std::size_t step = UnitBytes(encoding_);
  std::size_t at = PreviousUnit(position);
  while (at >= step && WordAt(at - step)) at = PreviousUnit(at);
  return at;
}

std::pair<std::size_t, std::size_t> ByteDocument::WordAround(std::size_t position) const {
  // Word characters are single units (one byte, or one UTF-16 unit).
  const std::size_t step = UnitBytes(encoding_);
  std::size_t from = position;
  std::size_t to = NextUnit(position);
  if (WordAt(position)) {
    while (from >= step && WordAt(from - step)) from -= step;
    while (WordAt(to)) to += step;
  }
  return {from, to};
}

// --- paragraphs and seams ----------------------------------------------------------

std::size_t ByteDocument::SeamOf(std::size_t block) const {
  if (block == 0) return std::string::npos;  // a text shorter than a block has none
  const auto found = seams_.find(block);
  if (found != seams_.end()) return found->second;
  const std::string_view bytes = View();
  std::size_t seam = std::string::npos;
  const std::size_t end = std::min(bytes.size(), (block + 1) * kSeamBlock);
  if (IsUtf16(encoding_)) {
    // Blocks start on a unit. Whatever the first unit of a block is (even the low half of a
    // pair or the LF of a CR LF), a character starts after its step.
    const std::size_t at = block * kSeamBlock;
    if (at + 2 <= end) seam = at + UnitLength(encoding_, bytes, at);
    seams_[block] = seam;
    return seam;
  }
  // In GB18030 the digits 0x30..0x39 are the second and fourth bytes of four-byte ones.
  const unsigned standsAlone = encoding_ == Encoding::kGb18030 ? 0x30 : 0x40;
  for (std::size_t at = block * kSeamBlock; at < end; ++at) {
    // A byte below 0x40 is a character of its own, and no character goes on after it;
    // only a CR before an LF is half of a line break.
    const auto b = static_cast<unsigned char>(bytes[at]);
    if (b < standsAlone && !(b == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n')) {
      seam = at + 1;
      break;
    }
  }
  seams_[block] = seam;
  return seam;
}

std::size_t ByteDocument::NextSeamAfter(std::size_t start) const {
  // A line is far shorter than a block: the seam of its own block or of the next.
  for (std::size_t block = start / kSeamBlock; block <= start / kSeamBlock + 1; ++block) {
    const std::size_t seam = SeamOf(block);
    if (seam != std::string::npos && seam > start) return seam;
  }
  return std::string::npos;
}

std::size_t ByteDocument::OriginOf(std::size_t position) const {
  const std::string_view bytes = View();
  std::size_t from = 0;
  // A few blocks back at most: past them, the paragraph's start serves (slower, same lines).
  const std::size_t last = position / kSeamBlock;
  for (std::size_t block = last; block + 4 > last && block > 0; --block) {
    const std::size_t seam = SeamOf(block);
    if (seam != std::string::npos && seam <= position) {
      from = seam;
      break;
    }
  }
  if (!IsUtf16(encoding_)) {
    const void* lineFeed = memrchr(bytes.data() + from, '\n', position - from);
    return lineFeed != nullptr ? static_cast<const char*>(lineFeed) - bytes.data() + 1 : from;
  }
  // A line feed unit (0A 00 or 00 0A) on a unit boundary; from is one.
  const std::size_t low = encoding_ == Encoding::kUtf16Le ? 0 : 1;
  for (std::size_t end = position; end > from;) {
    const void* found = memrchr(bytes.data() + from, '\n', end - from);
    if (found == nullptr) break;
    const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
    if (at >= from + low) {
      const std::size_t unit = at - low;
      if ((unit - from) % 2 == 0 && unit + 2 <= position && bytes[unit + 1 - low] == '\0') {
        return unit + 2;
      }
    }
    end = at;
  }
  return from;
}

}  // namespace morvane::ui
