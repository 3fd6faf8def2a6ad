// SPDX-License-Identifier: MIT
#pragma once
// The text of the multi-line edit box apart from the view that paints it: the bytes in one
// encoding, the cursor and the selection, the edits with their undo and redo, and stepping
// by the encoding's characters. No toolkit: the view (byte_text_edit.h) draws and takes
// input, and tests drive the document directly.
//
// The document holds the bytes themselves: what is set is what is read back, and a text
// just set is shared with whoever set it until the first edit. The cursor and the
// selection are byte offsets at unit starts (text_units.h).
//
// Undo is bounded: the steps kept hold at most kUndoBytes (or the limit given) of removed and
// inserted bytes (the newest step is always kept, so the last edit can be taken back); older steps
// are dropped first. A replacement of the whole text keeps only the part that changed (the bytes
// between the common start and the common end of the old and new texts).
//
// Paragraphs: a line feed ends one; so that a paragraph of hundreds of MiB is not walked
// from its start, the position after the first byte below 0x40 (a space, a digit, a lone
// CR) from each kSeamBlock bytes on is a seam, where lines are found from as well. Both
// are always character starts.
#include <algorithm>
#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/byte_text.h"
#include "core/encoding.h"

namespace morvane::ui {

class ByteDocument {
 public:
  // The removed and inserted bytes the undo and redo steps may hold together.
  static constexpr std::size_t kUndoBytes = 64 << 20;
  // From each this many bytes of the text on, the next byte below 0x40 ends a line.
  static constexpr std::size_t kSeamBlock = 4 << 20;

  // A unit start at or before position that the walk to a unit start may begin at (the
  // view lends the starts of the lines it has found); the paragraph's origin by default.
  using UnitStartHint = std::function<std::size_t(std::size_t position)>;
  // Runs after each change of the bytes: [from, from + removed) became added bytes. The
  // cursor is set after it runs.
  using ChangeListener =
      std::function<void(std::size_t from, std::size_t removed, std::size_t added)>;

  explicit ByteDocument(std::size_t undoLimit = kUndoBytes) : undoLimit_(undoLimit) {}

  void SetUnitStartHint(UnitStartHint hint) { hint_ = std::move(hint); }
  void SetOnChanged(ChangeListener onChanged) { onChanged_ = std::move(onChanged); }

  // Holds bytes, cursor at the start, no undo history.
  void SetBytes(const ByteText& bytes);
  // The encoding of the bytes, those held and those set from now on; the cursor goes to
  // the start and the undo history is dropped. False when it was the encoding already.
  bool SetEncoding(Encoding encoding);
  Encoding TextEncoding() const { return encoding_; }
  // The bytes up to the first zero byte (one typed as U+0000 ends them there); in UTF-16,
  // where zero bytes belong to characters, all of them.
  ByteText Bytes() const;
  // The length of Bytes(), without assembling them.
  std::size_t Length() const;
  // Every byte held, zero bytes included.
  std::string_view View() const;
  std::size_t Size() const { return View().size(); }

  // The selection.
  std::size_t Cursor() const { return cursor_; }
  std::size_t Anchor() const { return anchor_; }
  std::size_t SelectionStart() const { return std::min(anchor_, cursor_); }
  std::size_t SelectionEnd() const { return std::max(anchor_, cursor_); }
  bool HasSelection() const { return anchor_ != cursor_; }
  // Moves the cursor to the unit start at or before position; the anchor stays, or
  // follows. Ends what counts as typed just now.
  void MoveCursor(std::size_t position, bool keepAnchor);
  // Both ends clamped to the text and taken back to unit starts.
  void Select(std::size_t anchor, std::size_t cursor);

  // Edits; each is false when nothing changed. Typed text that follows typed text with
  // nothing removed joins its step of undo.
  bool Replace(std::size_t from, std::size_t to, std::string bytes, bool typing);
  bool ReplaceSelection(std::string bytes, bool typing);
  // The whole text replaced as one step of undo; the cursor goes to the end. True when
  // anything was held or given, even when the bytes are the same (the step then holds
  // nothing).
  bool ReplaceAll(std::string_view bytes);
  // The same with bytes of another encoding: undo takes back the encoding with the text
  // (the step holds both whole texts).
  bool ReplaceAll(std::string_view bytes, Encoding encoding);
  // The selection, or the unit before the cursor: right after typing, the last character
  // as it was typed, also when its bytes now pair with a stray lead byte before them.
  bool Backspace();
  // The selection, or the unit after the cursor.
  bool DeleteForward();
  bool Undo();
  bool Redo();
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // The removed and inserted bytes the steps hold now.
  std::size_t UndoBytes() const { return undoBytes_; }

  // Stepping by units.
  std::size_t NextUnit(std::size_t position) const;
  std::size_t PreviousUnit(std::size_t position) const;
  std::size_t UnitStartAtOrBefore(std::size_t position) const;
  // The unit at position is a letter, a digit or '_' (one that starts no other character).
  bool WordAt(std::size_t position) const;
  // Past the word after position, and back to the start of the word before it.
  std::size_t NextWordEnd(std::size_t position) const;
  std::size_t PreviousWordStart(std::size_t position) const;
  // The word at position (letters and digits together), or the one unit there.
  std::pair<std::size_t, std::size_t> WordAround(std::size_t position) const;
  // Characters below U+0080 in the encoding, as typed by a key.
  std::string Ascii(std::string_view text) const;

  // Paragraphs and seams.
  // The seam of a block: the position after its first byte below 0x40 (npos if none).
  std::size_t SeamOf(std::size_t block) const;
  std::size_t NextSeamAfter(std::size_t start) const;
  // Where the lines holding position are found from: the later of its paragraph's start
  // and the last seam at or before it.
  std::size_t OriginOf(std::size_t position) const;

 private:
  // One change of the bytes, as undo and redo replay it.
  struct Edit {
    std::size_t at = 0;
    std::string removed;
    std::string inserted;
    std::size_t anchorBefore = 0;
    std::size_t cursorBefore = 0;
    bool typing = false;
    // A whole text replaced by one of another encoding: the encodings before and after.
    Encoding encodingBefore = Encoding::kGbk;
    Encoding encodingAfter = Encoding::kGbk;
    std::size_t Bytes() const { return removed.size() + inserted.size(); }
  };

  void Own();
  void Change(std::size_t from, std::size_t to, std::string_view bytes);
  // The whole text replaced by bytes of encoding.
  void ChangeAll(std::string_view bytes, Encoding encoding);
  void Record(Edit edit);
  void ClearHistory();

  mutable ByteText shared_;  // the bytes while nobody has edited them
  mutable std::string own_;  // the bytes once edited
  mutable bool owned_ = false;
  std::size_t zeros_ = 0;  // zero bytes in own_
  Encoding encoding_ = Encoding::kGbk;
  std::size_t cursor_ = 0;
  std::size_t anchor_ = 0;
  // Where the text typed last ends, and the length of its last character.
  std::size_t typedEnd_ = std::string::npos;
  std::size_t typedLast_ = 0;
  std::deque<Edit> undo_;
  std::vector<Edit> redo_;
  std::size_t undoBytes_ = 0;
  std::size_t undoLimit_;
  mutable std::unordered_map<std::size_t, std::size_t> seams_;  // by block
  UnitStartHint hint_;
  ChangeListener onChanged_;
};

}  // namespace morvane::ui
