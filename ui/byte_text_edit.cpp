// SPDX-License-Identifier: MIT
#include "ui/byte_text_edit.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>

#include "ui/text_boundary.h"

namespace morvane::ui {
namespace {

constexpr int kMargin = 4;
// The clipboard format that carries the exact bytes from one box to another box of the
// same encoding.
QString BytesMime(Encoding encoding) {
  if (encoding == Encoding::kGbk) return QStringLiteral("application/x-morvane-gbk");
  const std::string_view name = EncodingName(encoding);
  return QStringLiteral("application/x-morvane-") +
         QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

ByteTextEdit::ByteTextEdit(QWidget* parent) : QAbstractScrollArea(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setAutoFillBackground(true);
  viewport()->setBackgroundRole(QPalette::Base);
  verticalScrollBar()->setSingleStep(1);
  connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &ByteTextEdit::OnScrollAction);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    // The value is the first byte in sight, or the maximum while the end is in sight.
    if (static_cast<std::size_t>(value) == top_) return;
    ScrollTo(static_cast<std::size_t>(value));
  });
  // The document resyncs on the line starts the view has found, and the view follows
  // each change of the bytes.
  doc_.SetUnitStartHint([this](std::size_t position) { return LineStartOf(position); });
  doc_.SetOnChanged([this](std::size_t from, std::size_t removed, std::size_t added) {
    AfterChange(from, removed, added);
  });
  changeEvent(nullptr);
  LayOut();
}

// --- the bytes ---------------------------------------------------------------------

void ByteTextEdit::SetBytes(const ByteText& bytes) {
  doc_.SetBytes(bytes);
  top_ = 0;
  wantedX_ = -1;
  preedit_.clear();
  long_ = {};
  LayOut();
  viewport()->update();
}

ByteText ByteTextEdit::Bytes() const {
  return doc_.Bytes();
}

int ByteTextEdit::ByteLength() const {
  return static_cast<int>(std::min<std::size_t>(doc_.Length(), INT_MAX));
}

void ByteTextEdit::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  setAttribute(Qt::WA_InputMethodEnabled, !readOnly);
}

void ByteTextEdit::SetEncoding(Encoding encoding) {
  if (doc_.SetEncoding(encoding)) MeasureAnew();
}

void ByteTextEdit::MeasureAnew() {
  top_ = 0;
  wantedX_ = -1;
  long_ = {};
  LayOut();
  viewport()->update();
}

// --- editing -----------------------------------------------------------------------

void ByteTextEdit::AfterChange(std::size_t from, std::size_t removed, std::size_t added) {
  const auto shift = [&](std::size_t position) {
    if (position < from) return position;
    if (position < from + removed) return from;
    return position - removed + added;
  };
  if (long_.valid && from <= long_.origin) {
    long_ = {};  // the origin itself may have moved
  } else if (long_.valid) {
    // A line start stays where it was while the line after it ends before the change,
    // and the byte before the change is not part of it: the greedy wrap of a line looks
    // ahead into the next line, and a lone lead byte may pair with what follows.
    auto& starts = long_.starts;
    const auto after = std::upper_bound(starts.begin(), starts.end(), from - 1);
    const auto keep = std::max<std::ptrdiff_t>(1, (after - starts.begin()) - 1);
    starts.resize(static_cast<std::size_t>(keep));
    long_.complete = false;
  }
  top_ = LineStartOf(shift(top_));
  LayOut();
  viewport()->update();
}

void ByteTextEdit::Apply(bool changed) {
  if (changed) Edited();
}

void ByteTextEdit::ReplaceAll(const ByteText& bytes) {
  if (!readOnly_) Apply(doc_.ReplaceAll(bytes.view()));
}

void ByteTextEdit::ReplaceAll(const ByteText& bytes, Encoding encoding) {
  if (readOnly_) return;
  const Encoding before = doc_.TextEncoding();
  const bool changed = doc_.ReplaceAll(bytes.view(), encoding);
  if (doc_.TextEncoding() != before) MeasureAnew();
  Apply(changed);
}

void ByteTextEdit::Edited() {
  wantedX_ = -1;
  EnsureCursorVisible();
  RestartBlink();
  if (onEdited_) onEdited_();
}

void ByteTextEdit::Undo() {
  if (readOnly_) return;
  const Encoding before = doc_.TextEncoding();
  const bool changed = doc_.Undo();
  if (doc_.TextEncoding() != before) MeasureAnew();
  Apply(changed);
}

void ByteTextEdit::Redo() {
  if (readOnly_) return;
  const Encoding before = doc_.TextEncoding();
  const bool changed = doc_.Redo();
  if (doc_.TextEncoding() != before) MeasureAnew();
  Apply(changed);
}

void ByteTextEdit::DeleteSelection() {
  if (!readOnly_) Apply(doc_.ReplaceSelection({}, false));
}

void ByteTextEdit::CopySelection() const {
  const std::size_t from = doc_.SelectionStart();
  const std::size_t to = doc_.SelectionEnd();
  if (from == to) return;
  const std::string_view bytes = View().substr(from, to - from);
  auto* data = new QMimeData;
  data->setText(PlainTextOf(TextEncoding(), bytes));
  data->setData(BytesMime(TextEncoding()),
                QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  QGuiApplication::clipboard()->setMimeData(data);
}

void ByteTextEdit::CutSelection() {
  if (readOnly_) return;
  CopySelection();
  DeleteSelection();
}

void ByteTextEdit::Paste() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data == nullptr || readOnly_) return;
  std::string bytes;
  if (data->hasFormat(BytesMime(TextEncoding()))) {
    const QByteArray raw = data->data(BytesMime(TextEncoding()));
    bytes.assign(raw.constData(), static_cast<std::size_t>(raw.size()));
  } else if (data->hasText()) {
    bytes = BytesOfTyped(TextEncoding(), data->text());
  }
  if (bytes.empty()) return;
  Apply(doc_.ReplaceSelection(std::move(bytes), false));
}

void ByteTextEdit::SelectAll() {
  doc_.Select(0, View().size());
  viewport()->update();
}

void ByteTextEdit::Select(std::size_t anchor, std::size_t cursor) {
  doc_.Select(anchor, cursor);
  EnsureCursorVisible();
  RestartBlink();
  viewport()->update();
}

// --- units and lines ---------------------------------------------------------------

double ByteTextEdit::Advance(char16_t c) const {
  float& advance = advances_[c];
  if (advance < 0) {
    // Every unit takes some room, so that a line always ends.
    advance =
        static_cast<float>(std::max(1.0, QFontMetricsF(drawFont_).horizontalAdvance(QChar(c))));
  }
  return advance;
}

double ByteTextEdit::WrapWidth() const {
  return std::max(1, viewport()->width() - 2 * kMargin);
}

ByteTextEdit::Line ByteTextEdit::LineAt(std::size_t start) const {
  const std::string_view bytes = View();
  const Encoding encoding = TextEncoding();
  const double limit = WrapWidth();
  double x = 0;
  std::size_t at = start;
  std::size_t breakable = start;  // the last place the line may end
  const std::size_t seam = doc_.NextSeamAfter(start);
  while (at < bytes.size()) {
    if (at == seam) return {start, at, at};
    const std::size_t length = UnitLength(encoding, bytes, at);
    const ShownUnit unit = ShowUnit(encoding, bytes, at, length);
    if (unit.lineBreak) return {start, at, at + length};
    const bool blank = unit.count == 1 && (unit.first == u' ' || unit.first == u'\t');
    // GBK breaks on either side of a double-byte character, the others beside any
    // character beyond ASCII.
    const bool wide = encoding == Encoding::kGbk ? length == 2 : unit.first >= 0x80;
    if (wide && at > start) breakable = at;
    if (blank) {
      // Spaces may run past the edge; the line ends after them.
      x = unit.first == u'\t' ? (std::floor(x / tabWidth_) + 1) * tabWidth_ : x + Advance(u' ');
    } else {
      double width = Advance(unit.first);
      if (unit.count == 2) width += Advance(unit.second);
      if (x + width > limit && at > start) {
        const std::size_t end = breakable > start ? breakable : at;
        return {start, end, end};
      }
      x += width;
    }
    at += length;
    if (blank || wide) breakable = at;
  }
  return {start, at, at};
}

bool ByteTextEdit::IsLast(const Line& line) const {
  return line.next >= View().size() && line.end == line.next;
}

std::size_t ByteTextEdit::LineStartOf(std::size_t position) const {
  position = std::min(position, View().size());
  const std::size_t origin = doc_.OriginOf(position);
  if (position - origin <= kLongParagraph) {
    for (std::size_t start = origin;;) {
      const Line line = LineAt(start);
      if (position < line.next || IsLast(line)) return start;
      start = line.next;
    }
  }
  LineStarts& known = long_;
  if (!known.valid || known.origin != origin) {
    known = {};
    known.valid = true;
    known.origin = origin;
    known.starts.push_back(origin);
  }
  auto& starts = known.starts;
  if (position < starts.back() || known.complete) {
    return *(std::upper_bound(starts.begin(), starts.end(), position) - 1);
  }
  for (;;) {
    const Line line = LineAt(starts.back());
    const bool last =
        line.end < line.next || IsLast(line) || line.next == doc_.NextSeamAfter(starts.back());
    if (position < line.next || last) {
      known.complete = last;
      return starts.back();
    }
    starts.push_back(line.next);
  }
}

std::size_t ByteTextEdit::PreviousLineStart(std::size_t start) const {
  return start == 0 ? 0 : LineStartOf(start - 1);
}

QString ByteTextEdit::LineText(const Line& line) const {
  const std::string_view bytes = View();
  const Encoding encoding = TextEncoding();
  QString text;
  for (std::size_t at = line.start; at < line.end;) {
    const std::size_t length = UnitLength(encoding, bytes, at);
    const ShownUnit unit = ShowUnit(encoding, bytes, at, length);
    if (unit.count > 0) text += QChar(unit.first);
    if (unit.count > 1) text += QChar(unit.second);
    at += length;
  }
  return text;
}

double ByteTextEdit::XOf(const Line& line, std::size_t position) const {
  const std::string_view bytes = View();
  const Encoding encoding = TextEncoding();
  double x = 0;
  for (std::size_t at = line.start; at < std::min(position, line.end);) {
    const std::size_t length = UnitLength(encoding, bytes, at);
    const ShownUnit unit = ShowUnit(encoding, bytes, at, length);
    if (unit.count == 1 && unit.first == u'\t') {
      x = (std::floor(x / tabWidth_) + 1) * tabWidth_;
    } else {
      if (unit.count > 0) x += Advance(unit.first);
      if (unit.count > 1) x += Advance(unit.second);
    }
    at += length;
  }
  return x;
}

std::size_t ByteTextEdit::PositionAt(const Line& line, double x) const {
  const std::string_view bytes = View();
  const Encoding encoding = TextEncoding();
  double left = 0;
  for (std::size_t at = line.start; at < line.end;) {
    const std::size_t length = UnitLength(encoding, bytes, at);
    const ShownUnit unit = ShowUnit(encoding, bytes, at, length);
    double right = left;
    if (unit.count == 1 && unit.first == u'\t') {
      right = (std::floor(left / tabWidth_) + 1) * tabWidth_;
    } else {
      if (unit.count > 0) right += Advance(unit.first);
      if (unit.count > 1) right += Advance(unit.second);
    }
    if (x < (left + right) / 2) return at;
    left = right;
    at += length;
  }
  return line.end;
}

std::size_t ByteTextEdit::PositionAt(QPoint point) const {
  if (shown_.empty()) return 0;
  const int row = (point.y() - kMargin) / lineHeight_;
  if (point.y() < kMargin || row < 0) return PositionAt(shown_.front(), point.x() - kMargin);
  const auto index = std::min<std::size_t>(static_cast<std::size_t>(row), shown_.size() - 1);
  return PositionAt(shown_[index], point.x() - kMargin);
}

// --- the view ----------------------------------------------------------------------

int ByteTextEdit::LinesInSight() const {
  return std::max(1, (viewport()->height() - kMargin + lineHeight_ - 1) / lineHeight_);
}

int ByteTextEdit::FullLinesInSight() const {
  return std::max(1, (viewport()->height() - kMargin) / lineHeight_);
}

void ByteTextEdit::LayOut() {
  // When the end of the text is in sight, the lines move down so that the box is full.
  const int wanted = LinesInSight();
  for (int attempt = 0; attempt < 2; ++attempt) {
    shown_.clear();
    std::size_t start = top_;
    for (int row = 0; row < wanted; ++row) {
      const Line line = LineAt(start);
      shown_.push_back(line);
      if (IsLast(line)) break;
      start = line.next;
    }
    const int missing = FullLinesInSight() - static_cast<int>(shown_.size());
    if (missing <= 0 || top_ == 0 || attempt > 0) break;
    for (int i = 0; i < missing && top_ > 0; ++i) top_ = PreviousLineStart(top_);
  }
  UpdateScrollBar();
}

void ByteTextEdit::UpdateScrollBar() {
  QScrollBar* bar = verticalScrollBar();
  const QSignalBlocker quiet(bar);
  const std::size_t size = View().size();
  const bool endInSight = !shown_.empty() && IsLast(shown_.back()) &&
                          static_cast<int>(shown_.size()) <= FullLinesInSight();
  const auto clamp = [](std::size_t value) {
    return static_cast<int>(std::min<std::size_t>(value, INT_MAX));
  };
  const std::size_t inSight = shown_.empty() ? 0 : shown_.back().next - top_;
  bar->setRange(0, top_ == 0 && endInSight ? 0 : clamp(size));
  bar->setPageStep(std::max(1, clamp(inSight)));
  bar->setValue(endInSight ? bar->maximum() : clamp(top_));
}

void ByteTextEdit::ScrollTo(std::size_t position) {
  top_ = LineStartOf(position);
  LayOut();
  viewport()->update();
}

void ByteTextEdit::ScrollLines(int lines) {
  for (; lines < 0 && top_ > 0; ++lines) top_ = PreviousLineStart(top_);
  for (; lines > 0; --lines) {
    const Line line = LineAt(top_);
    if (IsLast(line)) break;
    top_ = line.next;
  }
  LayOut();
  viewport()->update();
}

void ByteTextEdit::OnScrollAction(int action) {
  QScrollBar* bar = verticalScrollBar();
  const int page = std::max(1, FullLinesInSight() - 1);
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      ScrollLines(1);
      break;
    case QAbstractSlider::SliderSingleStepSub:
      ScrollLines(-1);
      break;
    case QAbstractSlider::SliderPageStepAdd:
      ScrollLines(page);
      break;
    case QAbstractSlider::SliderPageStepSub:
      ScrollLines(-page);
      break;
    default:
      ScrollTo(static_cast<std::size_t>(bar->sliderPosition()));
      break;
  }
  bar->setSliderPosition(bar->value());
}

void ByteTextEdit::EnsureCursorVisible() {
  const std::size_t line = LineStartOf(Cursor());
  if (line < top_) {
    top_ = line;
  } else {
    const int full = FullLinesInSight();
    for (int row = 0; row < full && row < static_cast<int>(shown_.size()); ++row) {
      if (shown_[static_cast<std::size_t>(row)].start == line) return;
    }
    top_ = line;
    for (int row = 1; row < full && top_ > 0; ++row) top_ = PreviousLineStart(top_);
  }
  LayOut();
  viewport()->update();
}

void ByteTextEdit::MoveCursor(std::size_t position, bool keepAnchor) {
  doc_.MoveCursor(position, keepAnchor);
  EnsureCursorVisible();
  RestartBlink();
  viewport()->update();
}

void ByteTextEdit::MoveVertically(int lines, bool keepAnchor) {
  std::size_t start = LineStartOf(Cursor());
  Line line = LineAt(start);
  if (wantedX_ < 0) wantedX_ = XOf(line, Cursor());
  const double x = wantedX_;
  for (; lines < 0 && start > 0; ++lines) start = PreviousLineStart(start);
  for (; lines > 0; --lines) {
    if (IsLast(line)) break;
    start = line.next;
    line = LineAt(start);
  }
  line = LineAt(start);
  MoveCursor(PositionAt(line, x), keepAnchor);
  wantedX_ = x;
}

QRect ByteTextEdit::CursorRect() const {
  const std::size_t line = LineStartOf(Cursor());
  for (std::size_t row = 0; row < shown_.size(); ++row) {
    if (shown_[row].start != line) continue;
    const int x = kMargin + static_cast<int>(std::lround(XOf(shown_[row], Cursor())));
    return {x, kMargin + static_cast<int>(row) * lineHeight_, 1, lineHeight_};
  }
  return {};
}

std::vector<std::size_t> ByteTextEdit::ShownStarts() const {
  std::vector<std::size_t> starts;
  for (const Line& line : shown_) starts.push_back(line.start);
  return starts;
}

QStringList ByteTextEdit::ShownLines() const {
  QStringList lines;
  for (const Line& line : shown_) lines << LineText(line);
  return lines;
}

void ByteTextEdit::RestartBlink() {
  sinceInput_.start();
  cursorOn_ = true;
  const int flash = QGuiApplication::styleHints()->cursorFlashTime();
  if (hasFocus() && flash > 0) {
    blink_.start(flash / 2, this);
  } else {
    blink_.stop();
  }
  viewport()->update(CursorRect().adjusted(-1, 0, 1, 0));
}

void ByteTextEdit::timerEvent(QTimerEvent* event) {
  if (event->timerId() == blink_.timerId()) {
    // Only the cursor's own few pixels are drawn again; nothing is laid out.
    const bool idle = sinceInput_.elapsed() > blinkForMs_;
    cursorOn_ = idle || !cursorOn_;
    if (idle) blink_.stop();
    viewport()->update(CursorRect().adjusted(-1, 0, 1, 0));
  } else if (event->timerId() == autoScroll_.timerId()) {
    if (lastMouse_.y() < 0) ScrollLines(-1);
    if (lastMouse_.y() > viewport()->height()) ScrollLines(1);
    MoveCursor(PositionAt(lastMouse_), true);
  } else {
    QAbstractScrollArea::timerEvent(event);
  }
}

void ByteTextEdit::DrawLine(QPainter& painter, const Line& line, int y) const {
  const std::string_view bytes = View();
  const Encoding encoding = TextEncoding();
  const QPalette& colours = palette();
  const int left = kMargin;
  const int baseline = y + ascent_;
  // The text in runs between tabs, each at its x.
  struct Run {
    double x;
    QString text;
  };
  std::vector<Run> runs(1, Run{0, {}});
  double x = 0;
  for (std::size_t at = line.start; at < line.end;) {
    const std::size_t length = UnitLength(encoding, bytes, at);
    const ShownUnit unit = ShowUnit(encoding, bytes, at, length);
    if (unit.count == 1 && unit.first == u'\t') {
      x = (std::floor(x / tabWidth_) + 1) * tabWidth_;
      runs.push_back({x, {}});
    } else {
      for (int i = 0; i < unit.count; ++i) {
        const char16_t c = i == 0 ? unit.first : unit.second;
        runs.back().text += QChar(c);
        x += Advance(c);
      }
    }
    at += length;
  }
  const std::size_t from = doc_.SelectionStart();
  const std::size_t to = doc_.SelectionEnd();
  QRect selected;
  if (hasFocus() && from < to && from < line.next && to > line.start) {
    const int x1 = left + static_cast<int>(std::lround(XOf(line, std::max(from, line.start))));
    const int x2 =
        to > line.end ? viewport()->width() : left + static_cast<int>(std::lround(XOf(line, to)));
    selected = QRect(x1, y, std::max(1, x2 - x1), lineHeight_);
    painter.fillRect(selected, colours.highlight());
  }
  painter.setPen(colours.text().color());
  for (const Run& run : runs) painter.drawText(QPointF(left + run.x, baseline), run.text);
  if (!selected.isEmpty()) {
    painter.save();
    painter.setClipRect(selected);
    painter.setPen(colours.highlightedText().color());
    for (const Run& run : runs) painter.drawText(QPointF(left + run.x, baseline), run.text);
    painter.restore();
  }
}

void ByteTextEdit::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  painter.setFont(drawFont_);
  const QRect area = event->rect();
  for (std::size_t row = 0; row < shown_.size(); ++row) {
    const int y = kMargin + static_cast<int>(row) * lineHeight_;
    if (y + lineHeight_ <= area.top() || y > area.bottom()) continue;
    DrawLine(painter, shown_[row], y);
  }
  if (!hasFocus()) return;
  const QRect cursor = CursorRect();
  if (cursor.isNull()) return;
  if (!preedit_.isEmpty()) {
    // What the input method is composing, drawn over the text at the cursor.
    const QFontMetricsF metrics(drawFont_);
    const QRectF box(cursor.x(), cursor.y(), metrics.horizontalAdvance(preedit_) + 2, lineHeight_);
    painter.fillRect(box, palette().base());
    QFont underlined = drawFont_;
    underlined.setUnderline(true);
    painter.setFont(underlined);
    painter.setPen(palette().text().color());
    painter.drawText(QPointF(cursor.x() + 1, cursor.y() + ascent_), preedit_);
    return;
  }
  if (cursorOn_ && !readOnly_) painter.fillRect(cursor, palette().text());
}

void ByteTextEdit::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  long_ = {};
  top_ = LineStartOf(top_);
  LayOut();
}

void ByteTextEdit::changeEvent(QEvent* event) {
  if (event != nullptr) QAbstractScrollArea::changeEvent(event);
  if (event != nullptr && event->type() != QEvent::FontChange) return;
  // Glyphs are placed one after another at their own advances, so the x of every
  // position is a sum: no kerning, no shaping of scripts that need none.
  drawFont_ = font();
  drawFont_.setKerning(false);
  drawFont_.setStyleStrategy(QFont::PreferNoShaping);
  const QFontMetricsF metrics(drawFont_);
  lineHeight_ = std::max(1, static_cast<int>(std::ceil(metrics.height())));
  ascent_ = static_cast<int>(std::ceil(metrics.ascent()));
  advances_.assign(65536, -1.0F);
  if (event == nullptr) return;
  long_ = {};
  top_ = LineStartOf(top_);
  LayOut();
  viewport()->update();
}

}  // namespace morvane::ui
