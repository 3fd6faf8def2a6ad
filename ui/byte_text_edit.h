// SPDX-License-Identifier: MIT
#pragma once
// The multi-line edit box: the view that paints a ByteDocument (byte_document.h, the bytes
// of a text in one encoding, GBK unless told otherwise, with the selection and undo) and
// takes the keys, the mouse, the input method and the clipboard (byte_text_edit_input.cpp).
//
// The box holds the bytes themselves, not a decoded document: what a handler put in is
// what it reads back, the byte count is the length of the bytes, and writing or reading
// a text of any size costs no decoding. Only the lines in sight are decoded and laid out.
//
// Lines wrap at the box's width, at spaces and on either side of a double-byte
// character, or anywhere in a word longer than the line. The lines of a paragraph are
// found from its start; for a paragraph of more than kLongParagraph bytes the line
// starts found are kept, so that scrolling and typing in one huge paragraph (what
// removing the line breaks leaves) costs the lines in sight, not the paragraph. So that
// a jump deep into a paragraph of hundreds of MiB costs a few MiB and not the paragraph,
// a line also starts at the document's seams (one in each kSeamBlock bytes): lines are
// then found from there.
//
// The cursor and the selection are byte offsets at unit starts (text_boundary.h): a
// character of the encoding and a CR LF are one step. The vertical scroll bar counts bytes.
// In UTF-16 the seams are unit boundaries and line breaks are two-byte units.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QFont>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "ui/byte_document.h"

class QMenu;

namespace morvane::ui {

class ByteTextEdit : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit ByteTextEdit(QWidget* parent);

  // Shows bytes, cursor at the start, no undo history; reports no edit.
  void SetBytes(const ByteText& bytes);
  // Replaces every byte by bytes as one edit of the user's, which undo takes back.
  void ReplaceAll(const ByteText& bytes);
  // The same with bytes of another encoding; undo takes back the encoding with the text.
  void ReplaceAll(const ByteText& bytes, Encoding encoding);
  // The bytes up to the first zero byte (one typed as U+0000 ends them there); in UTF-16,
  // where zero bytes belong to characters, all of them.
  ByteText Bytes() const;
  // The length of Bytes(), without assembling them.
  int ByteLength() const;
  // Runs after each change the user makes (typing, pasting, cutting, undo, redo).
  void SetOnEdited(std::function<void()> onEdited) { onEdited_ = std::move(onEdited); }
  void SetReadOnly(bool readOnly);
  // The encoding of the bytes, those held and those set from now on; the cursor goes to
  // the start and the undo history is dropped.
  void SetEncoding(Encoding encoding);
  Encoding TextEncoding() const { return doc_.TextEncoding(); }
  bool ReadOnly() const { return readOnly_; }

  // Every byte held, zero bytes included.
  std::string_view View() const { return doc_.View(); }
  std::size_t Cursor() const { return doc_.Cursor(); }
  std::size_t Anchor() const { return doc_.Anchor(); }
  // Moves the cursor, keeping the anchor at anchor; both go back to unit starts.
  void Select(std::size_t anchor, std::size_t cursor);
  // The first byte in sight, and the line the cursor is drawn on (viewport coordinates).
  std::size_t Top() const { return top_; }
  QRect CursorRect() const;
  // The text of the lines in sight, one line a row (as a user reads them), and the
  // first byte of each.
  QStringList ShownLines() const;
  std::vector<std::size_t> ShownStarts() const;

  // The commands of the keys and the context menu.
  void Undo();
  void Redo();
  void CutSelection();
  void CopySelection() const;
  void Paste();
  void DeleteSelection();
  void SelectAll();
  // The menu of a right click: 撤销, 重做, 剪切, 复制, 粘贴, 删除, 全选 (in the words of Qt's
  // translations, in English without them). The caller owns it.
  QMenu* CreateContextMenu();
  bool CanUndo() const { return doc_.CanUndo(); }
  bool CanRedo() const { return doc_.CanRedo(); }
  // How long the cursor blinks after the last key or click; then it stays on, so that
  // an idle window wakes for nothing.
  void SetBlinkTimeout(int milliseconds) { blinkForMs_ = milliseconds; }

  // A paragraph this long keeps the starts of its lines once they are found.
  static constexpr std::size_t kLongParagraph = 64 * 1024;
  static constexpr std::size_t kSeamBlock = ByteDocument::kSeamBlock;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void changeEvent(QEvent* event) override;
  void scrollContentsBy(int, int) override {}

 private:
  // A line in sight: the bytes [start, end), then the line break's bytes up to next.
  struct Line {
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t next = 0;
  };
  // The line starts of one long paragraph from origin (its start, or a seam in it) on,
  // as far as they are known; complete once they reach its end or the next seam.
  struct LineStarts {
    bool valid = false;
    bool complete = false;
    std::size_t origin = 0;
    std::vector<std::size_t> starts;
  };

  // The lines, the top and the column wanted, measured again in a new encoding.
  void MeasureAnew();
  // Runs an edit of the document as the user's: reported when it changed anything.
  void Apply(bool changed);
  void AfterChange(std::size_t from, std::size_t removed, std::size_t added);
  void Edited();

  // Lines.
  Line LineAt(std::size_t start) const;
  bool IsLast(const Line& line) const;
  std::size_t LineStartOf(std::size_t position) const;
  std::size_t PreviousLineStart(std::size_t start) const;
  double Advance(char16_t c) const;
  double WrapWidth() const;
  // x of a position in its line, and the position nearest to x.
  double XOf(const Line& line, std::size_t position) const;
  std::size_t PositionAt(const Line& line, double x) const;
  std::size_t PositionAt(QPoint point) const;
  QString LineText(const Line& line) const;

  // The view.
  void LayOut();
  void ScrollLines(int lines);
  void ScrollTo(std::size_t position);
  void EnsureCursorVisible();
  void UpdateScrollBar();
  void OnScrollAction(int action);
  int LinesInSight() const;
  int FullLinesInSight() const;
  void MoveCursor(std::size_t position, bool keepAnchor);
  void MoveVertically(int lines, bool keepAnchor);
  void RestartBlink();
  void DrawLine(QPainter& painter, const Line& line, int y) const;

  ByteDocument doc_;
  std::size_t top_ = 0;
  double wantedX_ = -1;  // the x that Up and Down keep to
  std::vector<Line> shown_;
  mutable LineStarts long_;
  bool readOnly_ = false;
  QString preedit_;
  std::function<void()> onEdited_;

  QFont drawFont_;
  mutable std::vector<float> advances_;
  int lineHeight_ = 1;
  int ascent_ = 0;
  double tabWidth_ = 80;

  QBasicTimer blink_;
  QBasicTimer autoScroll_;
  QElapsedTimer sinceInput_;
  qint64 blinkForMs_ = 10000;
  bool cursorOn_ = true;
  bool selecting_ = false;
  QPoint lastMouse_;
};

}  // namespace morvane::ui
