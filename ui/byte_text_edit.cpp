#include "ui/byte_text_edit.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
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

std::size_t Count(std::string_view bytes, char c) {
  return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), c));
}

bool IsWordByte(unsigned char b) {
  return std::isalnum(b) != 0 || b == '_';
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
  changeEvent(nullptr);
  LayOut();
}

// --- the bytes ---------------------------------------------------------------------

std::string_view ByteTextEdit::View() const {
  return owned_ ? std::string_view(own_) : shared_.view();
}

void ByteTextEdit::Own() {
  if (owned_) return;
  own_.assign(shared_.view());
  shared_ = ByteText();
  owned_ = true;
}

void ByteTextEdit::SetBytes(const ByteText& bytes) {
  shared_ = bytes;
  own_.clear();
  own_.shrink_to_fit();
  owned_ = false;
  zeros_ = 0;
  cursor_ = anchor_ = top_ = 0;
  wantedX_ = -1;
  typedEnd_ = std::string::npos;
  undo_.clear();
  redo_.clear();
  preedit_.clear();
  long_ = {};
  seams_.clear();
  LayOut();
  viewport()->update();
}

ByteText ByteTextEdit::Bytes() const {
  if (!owned_) return shared_;
  ByteText bytes = IsUtf16(encoding_) ? ByteText::Copy(own_) : ByteText{std::string(own_)};
  if (zeros_ == 0) {
    // The box shares what it hands out until the next edit: one copy of the text.
    shared_ = bytes;
    own_.clear();
    own_.shrink_to_fit();
    owned_ = false;
  }
  return bytes;
}

int ByteTextEdit::ByteLength() const {
  const std::string_view bytes = View();
  std::size_t length = bytes.size();
  if (zeros_ > 0) length = bytes.find('\0');
  return static_cast<int>(std::min<std::size_t>(length, INT_MAX));
}

void ByteTextEdit::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  setAttribute(Qt::WA_InputMethodEnabled, !readOnly);
}

void ByteTextEdit::SetEncoding(Encoding encoding) {
  if (encoding == encoding_) return;
  encoding_ = encoding;
  // Zero bytes end a text only where they are characters of their own.
  zeros_ = IsUtf16(encoding) ? 0 : Count(View(), '\0');
  cursor_ = anchor_ = top_ = 0;
  wantedX_ = -1;
  typedEnd_ = std::string::npos;
  undo_.clear();
  redo_.clear();
  long_ = {};
  seams_.clear();
  LayOut();
  viewport()->update();
}

std::string ByteTextEdit::Ascii(std::string_view text) const {
  if (encoding_ == Encoding::kGbk) return std::string(text);
  std::string bytes;
  for (const char c : text) bytes += AsciiIn(encoding_, c);
  return bytes;
}

bool ByteTextEdit::WordAt(std::size_t position) const {
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

// --- editing -----------------------------------------------------------------------

void ByteTextEdit::Replace(std::size_t from, std::size_t to, std::string_view bytes) {
  Own();
  const std::string_view removed = std::string_view(own_).substr(from, to - from);
  if (!IsUtf16(encoding_)) zeros_ = zeros_ - Count(removed, '\0') + Count(bytes, '\0');
  own_.replace(from, to - from, bytes);
  AfterChange(from, to - from, bytes.size());
}

void ByteTextEdit::AfterChange(std::size_t from, std::size_t removed, std::size_t added) {
  const auto shift = [&](std::size_t position) {
    if (position < from) return position;
    if (position < from + removed) return from;
    return position - removed + added;
  };
  seams_.clear();
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

void ByteTextEdit::Apply(std::size_t from, std::size_t to, std::string bytes, bool typing) {
  if (readOnly_ || (from == to && bytes.empty())) return;
  Edit edit;
  edit.at = from;
  edit.removed.assign(View().substr(from, to - from));
  edit.inserted = std::move(bytes);
  edit.anchorBefore = anchor_;
  edit.cursorBefore = cursor_;
  edit.typing = typing;
  Replace(from, to, edit.inserted);
  cursor_ = anchor_ = UnitStartAtOrBefore(from + edit.inserted.size());
  typedEnd_ = std::string::npos;
  if (typing) {
    typedEnd_ = from + edit.inserted.size();
    for (std::size_t at = 0; at < edit.inserted.size(); at += typedLast_) {
      typedLast_ = UnitLength(encoding_, edit.inserted, at);
    }
  }
  redo_.clear();
  Edit* last = undo_.empty() ? nullptr : &undo_.back();
  if (typing && last != nullptr && last->typing && edit.removed.empty() &&
      last->at + last->inserted.size() == from) {
    last->inserted += edit.inserted;  // typed one after another: one step to undo
  } else {
    undo_.push_back(std::move(edit));
  }
  Edited();
}

void ByteTextEdit::ReplaceAll(const ByteText& bytes) {
  Apply(0, View().size(), std::string(bytes.view()), false);
}

void ByteTextEdit::Edited() {
  wantedX_ = -1;
  EnsureCursorVisible();
  RestartBlink();
  if (onEdited_) onEdited_();
}

void ByteTextEdit::Undo() {
  if (readOnly_ || undo_.empty()) return;
  Edit edit = std::move(undo_.back());
  undo_.pop_back();
  typedEnd_ = std::string::npos;
  Replace(edit.at, edit.at + edit.inserted.size(), edit.removed);
  anchor_ = UnitStartAtOrBefore(edit.anchorBefore);
  cursor_ = UnitStartAtOrBefore(edit.cursorBefore);
  redo_.push_back(std::move(edit));
  Edited();
}

void ByteTextEdit::Redo() {
  if (readOnly_ || redo_.empty()) return;
  Edit edit = std::move(redo_.back());
  redo_.pop_back();
  typedEnd_ = std::string::npos;
  Replace(edit.at, edit.at + edit.removed.size(), edit.inserted);
  cursor_ = anchor_ = UnitStartAtOrBefore(edit.at + edit.inserted.size());
  edit.typing = false;  // what is typed next is a step of its own
  undo_.push_back(std::move(edit));
  Edited();
}

void ByteTextEdit::DeleteSelection() {
  Apply(std::min(anchor_, cursor_), std::max(anchor_, cursor_), {}, false);
}

void ByteTextEdit::CopySelection() const {
  const std::size_t from = std::min(anchor_, cursor_);
  const std::size_t to = std::max(anchor_, cursor_);
  if (from == to) return;
  const std::string_view bytes = View().substr(from, to - from);
  auto* data = new QMimeData;
  data->setText(PlainTextOf(encoding_, bytes));
  data->setData(BytesMime(encoding_),
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
  if (data->hasFormat(BytesMime(encoding_))) {
    const QByteArray raw = data->data(BytesMime(encoding_));
    bytes.assign(raw.constData(), static_cast<std::size_t>(raw.size()));
  } else if (data->hasText()) {
    bytes = BytesOfTyped(encoding_, data->text());
  }
  if (bytes.empty()) return;
  Apply(std::min(anchor_, cursor_), std::max(anchor_, cursor_), std::move(bytes), false);
}

void ByteTextEdit::SelectAll() {
  anchor_ = 0;
  cursor_ = View().size();
  viewport()->update();
}

void ByteTextEdit::Select(std::size_t anchor, std::size_t cursor) {
  const std::size_t size = View().size();
  anchor_ = UnitStartAtOrBefore(std::min(anchor, size));
  MoveCursor(std::min(cursor, size), true);
}

// --- units and lines ---------------------------------------------------------------

std::size_t ByteTextEdit::NextUnit(std::size_t position) const {
  return position + UnitLength(encoding_, View(), position);
}

std::size_t ByteTextEdit::UnitStartAtOrBefore(std::size_t position) const {
  const std::string_view bytes = View();
  position = std::min(position, bytes.size());
  std::size_t at = LineStartOf(position);
  for (std::size_t next = NextUnit(at); next <= position && next > at; next = NextUnit(at)) {
    at = next;
  }
  return at;
}

std::size_t ByteTextEdit::PreviousUnit(std::size_t position) const {
  if (position == 0) return 0;
  return UnitStartAtOrBefore(position - 1);
}

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
  const double limit = WrapWidth();
  double x = 0;
  std::size_t at = start;
  std::size_t breakable = start;  // the last place the line may end
  const std::size_t seam = NextSeamAfter(start);
  while (at < bytes.size()) {
    if (at == seam) return {start, at, at};
    const std::size_t length = UnitLength(encoding_, bytes, at);
    const ShownUnit unit = ShowUnit(encoding_, bytes, at, length);
    if (unit.lineBreak) return {start, at, at + length};
    const bool blank = unit.count == 1 && (unit.first == u' ' || unit.first == u'\t');
    // GBK breaks on either side of a double-byte character, the others beside any
    // character beyond ASCII.
    const bool wide = encoding_ == Encoding::kGbk ? length == 2 : unit.first >= 0x80;
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

std::size_t ByteTextEdit::SeamOf(std::size_t block) const {
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

std::size_t ByteTextEdit::NextSeamAfter(std::size_t start) const {
  // A line is far shorter than a block: the seam of its own block or of the next.
  for (std::size_t block = start / kSeamBlock; block <= start / kSeamBlock + 1; ++block) {
    const std::size_t seam = SeamOf(block);
    if (seam != std::string::npos && seam > start) return seam;
  }
  return std::string::npos;
}

std::size_t ByteTextEdit::OriginOf(std::size_t position) const {
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

std::size_t ByteTextEdit::LineStartOf(std::size_t position) const {
  position = std::min(position, View().size());
  const std::size_t origin = OriginOf(position);
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
        line.end < line.next || IsLast(line) || line.next == NextSeamAfter(starts.back());
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
  QString text;
  for (std::size_t at = line.start; at < line.end;) {
    const std::size_t length = UnitLength(encoding_, bytes, at);
    const ShownUnit unit = ShowUnit(encoding_, bytes, at, length);
    if (unit.count > 0) text += QChar(unit.first);
    if (unit.count > 1) text += QChar(unit.second);
    at += length;
  }
  return text;
}

double ByteTextEdit::XOf(const Line& line, std::size_t position) const {
  const std::string_view bytes = View();
  double x = 0;
  for (std::size_t at = line.start; at < std::min(position, line.end);) {
    const std::size_t length = UnitLength(encoding_, bytes, at);
    const ShownUnit unit = ShowUnit(encoding_, bytes, at, length);
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
  double left = 0;
  for (std::size_t at = line.start; at < line.end;) {
    const std::size_t length = UnitLength(encoding_, bytes, at);
    const ShownUnit unit = ShowUnit(encoding_, bytes, at, length);
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
  const std::size_t line = LineStartOf(cursor_);
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
  typedEnd_ = std::string::npos;
  cursor_ = UnitStartAtOrBefore(position);
  if (!keepAnchor) anchor_ = cursor_;
  EnsureCursorVisible();
  RestartBlink();
  viewport()->update();
}

void ByteTextEdit::MoveVertically(int lines, bool keepAnchor) {
  std::size_t start = LineStartOf(cursor_);
  Line line = LineAt(start);
  if (wantedX_ < 0) wantedX_ = XOf(line, cursor_);
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
  const std::size_t line = LineStartOf(cursor_);
  for (std::size_t row = 0; row < shown_.size(); ++row) {
    if (shown_[row].start != line) continue;
    const int x = kMargin + static_cast<int>(std::lround(XOf(shown_[row], cursor_)));
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
    const std::size_t length = UnitLength(encoding_, bytes, at);
    const ShownUnit unit = ShowUnit(encoding_, bytes, at, length);
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
  const std::size_t from = std::min(anchor_, cursor_);
  const std::size_t to = std::max(anchor_, cursor_);
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

// --- input -------------------------------------------------------------------------

void ByteTextEdit::keyPressEvent(QKeyEvent* event) {
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const std::size_t size = View().size();
  const std::size_t from = std::min(anchor_, cursor_);
  const std::size_t to = std::max(anchor_, cursor_);
  const auto line = [this] { return LineAt(LineStartOf(cursor_)); };
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
    MoveCursor(!shift && from != to ? to : NextUnit(cursor_), shift);
  } else if (event == QKeySequence::MoveToPreviousChar ||
             event == QKeySequence::SelectPreviousChar) {
    MoveCursor(!shift && from != to ? from : PreviousUnit(cursor_), shift);
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
    MoveCursor(LineStartOf(cursor_), shift);
  } else if (event == QKeySequence::MoveToEndOfLine || event == QKeySequence::SelectEndOfLine) {
    const Line current = line();
    // At the end of a wrapped line the cursor would be the next line's start.
    MoveCursor(
        current.end == current.next && !IsLast(current) ? PreviousUnit(current.end) : current.end,
        shift);
  } else if (event == QKeySequence::MoveToStartOfDocument ||
             event == QKeySequence::SelectStartOfDocument) {
    MoveCursor(0, shift);
  } else if (event == QKeySequence::MoveToEndOfDocument ||
             event == QKeySequence::SelectEndOfDocument) {
    MoveCursor(size, shift);
  } else if (event == QKeySequence::MoveToNextWord || event == QKeySequence::SelectNextWord) {
    std::size_t at = NextUnit(cursor_);
    while (at < size && WordAt(at)) at = NextUnit(at);
    MoveCursor(at, shift);
  } else if (event == QKeySequence::MoveToPreviousWord ||
             event == QKeySequence::SelectPreviousWord) {
    const std::size_t step = UnitBytes(encoding_);
    std::size_t at = PreviousUnit(cursor_);
    while (at >= step && WordAt(at - step)) at = PreviousUnit(at);
    MoveCursor(at, shift);
  } else if (event->key() == Qt::Key_Backspace && !(event->modifiers() & Qt::ControlModifier)) {
    const bool justTyped = from == to && cursor_ == typedEnd_ && typedLast_ <= cursor_;
    Apply(from != to  ? from
          : justTyped ? cursor_ - typedLast_
                      : PreviousUnit(cursor_),
          to, {}, false);
  } else if (event == QKeySequence::Delete) {
    Apply(from, from == to ? NextUnit(cursor_) : to, {}, false);
  } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Apply(from, to, Ascii(shift ? "\n" : "\r\n"), false);
  } else if (event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ControlModifier)) {
    Apply(from, to, Ascii("\t"), true);
  } else {
    const QString text = event->text();
    const bool printable = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
      return c.unicode() >= 0x20 && c.unicode() != 0x7F;
    });
    if (!printable || readOnly_) {
      event->ignore();
      return;
    }
    Apply(from, to, BytesOfTyped(encoding_, text), true);
  }
  event->accept();
}

void ByteTextEdit::inputMethodEvent(QInputMethodEvent* event) {
  if (readOnly_) {
    event->ignore();
    return;
  }
  if (!event->commitString().isEmpty()) {
    Apply(std::min(anchor_, cursor_), std::max(anchor_, cursor_),
          BytesOfTyped(encoding_, event->commitString()), true);
  }
  preedit_ = event->preeditString();
  viewport()->update();
  event->accept();
}

QVariant ByteTextEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
  const Line line = LineAt(LineStartOf(cursor_));
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
      return indexIn(cursor_);
    case Qt::ImAnchorPosition:
      return indexIn(anchor_);
    case Qt::ImSurroundingText:
      return LineText(line);
    case Qt::ImCurrentSelection: {
      const std::size_t from = std::min(anchor_, cursor_);
      const std::size_t to = std::max(anchor_, cursor_);
      if (to - from > kLongParagraph) return QString();
      return PlainTextOf(encoding_, View().substr(from, to - from));
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
  const std::size_t step = UnitBytes(encoding_);
  std::size_t from = at;
  std::size_t to = NextUnit(at);
  if (WordAt(at)) {
    while (from >= step && WordAt(from - step)) from -= step;
    while (WordAt(to)) to += step;
  }
  anchor_ = from;
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
  const bool selection = anchor_ != cursor_;
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
