// SPDX-License-Identifier: MIT
// The input of the multi-line edit box (byte_text_edit.h): keys, the input method, the
// mouse, the wheel, the context menu and the focus. The painting and the layout of lines
// are in byte_text_edit.cpp; the edits themselves are the document's (byte_document.h).
#include <algorithm>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include "ui/byte_text_edit.h"
#include "ui/text_boundary.h"

namespace morvane::ui {

void ByteTextEdit::keyPressEvent(QKeyEvent* event) {
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const std::size_t size = View().size();
  const std::size_t from = doc_.SelectionStart();
  const std::size_t to = doc_.SelectionEnd();
  const auto line = [this] { return LineAt(LineStartOf(Cursor())); };
  if (event == QKeySequence::Undo) {
    Undo();
  } else if (event == QKeySequence::Redo ||
             (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier)) {
    Redo();
  } else if (event == QKeySequence::Copy) {
    CopySelection();
  } else if (event == QKeySequence::Cut) {
    CutSelection();
  } else if (event == QKeySequence::Paste) {
    Paste();
  } else if (event == QKeySequence::SelectAll) {
    SelectAll();
  } else if (event == QKeySequence::MoveToNextChar || event == QKeySequence::SelectNextChar) {
    MoveCursor(!shift && from != to ? to : doc_.NextUnit(Cursor()), shift);
  } else if (event == QKeySequence::MoveToPreviousChar ||
             event == QKeySequence::SelectPreviousChar) {
    MoveCursor(!shift && from != to ? from : doc_.PreviousUnit(Cursor()), shift);
  } else if (event == QKeySequence::MoveToNextLine || event == QKeySequence::SelectNextLine) {
    MoveVertically(1, shift);
  } else if (event == QKeySequence::MoveToPreviousLine ||
             event == QKeySequence::SelectPreviousLine) {
    MoveVertically(-1, shift);
  } else if (event == QKeySequence::MoveToNextPage || event == QKeySequence::SelectNextPage) {
    MoveVertically(std::max(1, FullLinesInSight() - 1), shift);
  } else if (event == QKeySequence::MoveToPreviousPage ||
             event == QKeySequence::SelectPreviousPage) {
    MoveVertically(-std::max(1, FullLinesInSight() - 1), shift);
  } else if (event == QKeySequence::MoveToStartOfLine || event == QKeySequence::SelectStartOfLine) {
    MoveCursor(LineStartOf(Cursor()), shift);
  } else if (event == QKeySequence::MoveToEndOfLine || event == QKeySequence::SelectEndOfLine) {
    const Line current = line();
    // At the end of a wrapped line the cursor would be the next line's start.
    MoveCursor(current.end == current.next && !IsLast(current) ? doc_.PreviousUnit(current.end)
                                                               : current.end,
               shift);
  } else if (event == QKeySequence::MoveToStartOfDocument ||
             event == QKeySequence::SelectStartOfDocument) {
    MoveCursor(0, shift);
  } else if (event == QKeySequence::MoveToEndOfDocument ||
             event == QKeySequence::SelectEndOfDocument) {
    MoveCursor(size, shift);
  } else if (event == QKeySequence::MoveToNextWord || event == QKeySequence::SelectNextWord) {
    MoveCursor(doc_.NextWordEnd(Cursor()), shift);
  } else if (event == QKeySequence::MoveToPreviousWord ||
             event == QKeySequence::SelectPreviousWord) {
    MoveCursor(doc_.PreviousWordStart(Cursor()), shift);
  } else if (event->key() == Qt::Key_Backspace && !(event->modifiers() & Qt::ControlModifier)) {
    if (!readOnly_) Apply(doc_.Backspace());
  } else if (event == QKeySequence::Delete) {
    if (!readOnly_) Apply(doc_.DeleteForward());
  } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (!readOnly_) Apply(doc_.ReplaceSelection(doc_.Ascii(shift ? "\n" : "\r\n"), false));
  } else if (event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ControlModifier)) {
    if (!readOnly_) Apply(doc_.ReplaceSelection(doc_.Ascii("\t"), true));
  } else {
    const QString text = event->text();
    const bool printable = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
      return c.unicode() >= 0x20 && c.unicode() != 0x7F;
    });
    if (!printable || readOnly_) {
      event->ignore();
      return;
    }
    Apply(doc_.ReplaceSelection(BytesOfTyped(TextEncoding(), text), true));
  }
  event->accept();
}

void ByteTextEdit::inputMethodEvent(QInputMethodEvent* event) {
  if (readOnly_) {
    event->ignore();
    return;
  }
  if (!event->commitString().isEmpty()) {
    Apply(doc_.ReplaceSelection(BytesOfTyped(TextEncoding(), event->commitString()), true));
  }
  preedit_ = event->preeditString();
  viewport()->update();
  event->accept();
}

QVariant ByteTextEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
  const Line line = LineAt(LineStartOf(Cursor()));
  const auto indexIn = [&](std::size_t position) {
    const Line part{line.start, std::clamp(position, line.start, line.end), 0};
    return static_cast<int>(LineText(part).size());
  };
  switch (query) {
    case Qt::ImEnabled:
      return !readOnly_;
    case Qt::ImCursorRectangle:
      return QRectF(CursorRect());
    case Qt::ImFont:
      return drawFont_;
    case Qt::ImCursorPosition:
      return indexIn(Cursor());
    case Qt::ImAnchorPosition:
      return indexIn(Anchor());
    case Qt::ImSurroundingText:
      return LineText(line);
    case Qt::ImCurrentSelection: {
      const std::size_t from = doc_.SelectionStart();
      const std::size_t to = doc_.SelectionEnd();
      if (to - from > kLongParagraph) return QString();
      return PlainTextOf(TextEncoding(), View().substr(from, to - from));
    }
    case Qt::ImHints:
      return static_cast<int>(Qt::ImhMultiLine);
    default:
      return QAbstractScrollArea::inputMethodQuery(query);
  }
}

void ByteTextEdit::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  wantedX_ = -1;
  selecting_ = true;
  lastMouse_ = event->position().toPoint();
  MoveCursor(PositionAt(lastMouse_), event->modifiers() & Qt::ShiftModifier);
}

void ByteTextEdit::mouseMoveEvent(QMouseEvent* event) {
  if (!selecting_) return;
  lastMouse_ = event->position().toPoint();
  const bool outside = lastMouse_.y() < 0 || lastMouse_.y() > viewport()->height();
  if (outside && !autoScroll_.isActive()) autoScroll_.start(50, this);
  if (!outside) autoScroll_.stop();
  MoveCursor(PositionAt(lastMouse_), true);
}

void ByteTextEdit::mouseReleaseEvent(QMouseEvent* event) {
  static_cast<void>(event);
  selecting_ = false;
  autoScroll_.stop();
}

void ByteTextEdit::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  // A word: letters and digits together, or one character of any other kind.
  const std::size_t at = PositionAt(event->position().toPoint());
  const auto [from, to] = doc_.WordAround(at);
  doc_.Select(from, from);
  MoveCursor(to, true);
}

void ByteTextEdit::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 40;  // three lines a notch
  if (steps != 0) ScrollLines(-steps);
  event->accept();
}

QMenu* ByteTextEdit::CreateContextMenu() {
  // Qt's own words for Qt's own menu, so that its translations apply.
  const auto entry = [](const char* text, QKeySequence::StandardKey key) {
    QString caption = QCoreApplication::translate("QWidgetTextControl", text);
    const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
    if (!shortcut.isEmpty()) caption += QLatin1Char('\t') + shortcut;
    return caption;
  };
  const bool selection = doc_.HasSelection();
  auto* menu = new QMenu(this);
  menu->addAction(entry("&Undo", QKeySequence::Undo), this, &ByteTextEdit::Undo)
      ->setEnabled(!readOnly_ && CanUndo());
  menu->addAction(entry("&Redo", QKeySequence::Redo), this, &ByteTextEdit::Redo)
      ->setEnabled(!readOnly_ && CanRedo());
  menu->addSeparator();
  menu->addAction(entry("Cu&t", QKeySequence::Cut), this, &ByteTextEdit::CutSelection)
      ->setEnabled(!readOnly_ && selection);
  menu->addAction(entry("&Copy", QKeySequence::Copy), this, &ByteTextEdit::CopySelection)
      ->setEnabled(selection);
  const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
  menu->addAction(entry("&Paste", QKeySequence::Paste), this, &ByteTextEdit::Paste)
      ->setEnabled(!readOnly_ && clip != nullptr && clip->hasText());
  menu->addAction(entry("Delete", QKeySequence::UnknownKey), this, &ByteTextEdit::DeleteSelection)
      ->setEnabled(!readOnly_ && selection);
  menu->addSeparator();
  menu->addAction(entry("Select All", QKeySequence::SelectAll), this, &ByteTextEdit::SelectAll)
      ->setEnabled(!View().empty());
  return menu;
}

void ByteTextEdit::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = CreateContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

void ByteTextEdit::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  RestartBlink();
  viewport()->update();
}

void ByteTextEdit::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  blink_.stop();
  viewport()->update();
}

}  // namespace morvane::ui
