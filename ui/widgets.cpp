#include "ui/widgets.h"

#include <algorithm>
#include <climits>
#include <string>

#include <QKeyEvent>
#include <QStyle>
#include <QTabBar>
#include <QTextBlock>
#include <QTextDocument>

#include "ui/text_boundary.h"

namespace morvane::ui {

ByteTextEdit::ByteTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
  // The document reports the changed range before the widget reports the change, so
  // the paragraph lengths are up to date when the content-changed routine asks.
  connect(document(), &QTextDocument::contentsChange, this, &ByteTextEdit::OnContentsChange);
  connect(this, &QPlainTextEdit::textChanged, this, &ByteTextEdit::OnDocumentChanged);
  CountEveryBlock();
}

void ByteTextEdit::OnDocumentChanged() {
  // Our own writes are reported by the window layer, once; Qt's signal for them would
  // be a second report.
  if (writing_) return;
  stale_ = true;
  // A change that came without its range would leave the lengths behind; the block
  // count is the one cheap sign of that.
  if (static_cast<int>(blocks_.size()) != document()->blockCount()) CountEveryBlock();
  if (onEdited_) onEdited_();
}

void ByteTextEdit::OnContentsChange(int position, int removed, int added) {
  static_cast<void>(removed);
  if (writing_) return;  // SetBytes counts from the bytes it was given
  const QTextDocument* doc = document();
  // The blocks from the one holding position to the one holding the end of the added
  // text are all that changed; before the change they were as many fewer (or more) as
  // the document now has blocks more (or fewer). Qt may report a range one character
  // past the end.
  const int lastPosition = doc->characterCount() - 1;
  const QTextBlock first = doc->findBlock(std::clamp(position, 0, lastPosition));
  const QTextBlock last = doc->findBlock(std::clamp(position + added, 0, lastPosition));
  const int from = first.blockNumber();
  const int to = last.blockNumber();
  const int known = static_cast<int>(blocks_.size());
  const int oldTo = to - (doc->blockCount() - known);
  if (!first.isValid() || !last.isValid() || to < from || oldTo < from || oldTo >= known) {
    CountEveryBlock();
    return;
  }
  std::vector<BlockBytes> fresh;
  fresh.reserve(static_cast<std::size_t>(to - from + 1));
  for (QTextBlock block = first;; block = block.next()) {
    fresh.push_back(CountBlock(block));
    if (block == last) break;
  }
  const auto at = blocks_.begin() + from;
  const auto oldCount = static_cast<std::size_t>(oldTo - from + 1);
  for (auto it = at; it != at + static_cast<std::ptrdiff_t>(oldCount); ++it) Add(*it, -1);
  for (const BlockBytes& block : fresh) Add(block, +1);
  if (fresh.size() > oldCount) {
    blocks_.insert(at + static_cast<std::ptrdiff_t>(oldCount), fresh.size() - oldCount, {});
  } else {
    blocks_.erase(at + static_cast<std::ptrdiff_t>(fresh.size()),
                  at + static_cast<std::ptrdiff_t>(oldCount));
  }
  std::copy(fresh.begin(), fresh.end(), blocks_.begin() + from);
}

void ByteTextEdit::Add(const BlockBytes& block, int sign) {
  blockBytes_ += sign * block.bytes;
  zeroBlocks_ += block.holdsZero ? sign : 0;
}

ByteTextEdit::BlockBytes ByteTextEdit::CountBlock(const QTextBlock& block) {
  // A block's text holds no paragraph separator, so this is the paragraph's part of
  // the whole document's encoding: the code page keeps no state from one character to
  // the next, and a surrogate left alone at either end is "?" in both.
  const std::string bytes = GbkFromDisplay(block.text());
  const std::size_t zero = bytes.find('\0');
  return {static_cast<std::int64_t>(bytes.size()), zero != std::string::npos};
}

void ByteTextEdit::CountEveryBlock() {
  blocks_.clear();
  blockBytes_ = 0;
  zeroBlocks_ = 0;
  blocks_.reserve(static_cast<std::size_t>(document()->blockCount()));
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    blocks_.push_back(CountBlock(block));
    Add(blocks_.back(), +1);
  }
}

void ByteTextEdit::CountBlocksOfBytes(const ByteText& bytes) {
  // Each CR LF of the bytes is a paragraph break of the display and nothing else is
  // (a byte of 0x0D or 0x0A is never part of a double-byte character), and the bytes
  // between two breaks are what that paragraph encodes back to: no encoding needed.
  blocks_.clear();
  blockBytes_ = 0;
  zeroBlocks_ = 0;
  const std::string_view view = bytes.view();
  std::size_t start = 0;
  for (std::size_t lf = view.find('\n'); lf != std::string_view::npos;
       lf = view.find('\n', lf + 1)) {
    if (lf == 0 || view[lf - 1] != '\r') continue;
    blocks_.push_back({static_cast<std::int64_t>(lf - 1 - start), false});
    start = lf + 1;
  }
  blocks_.push_back({static_cast<std::int64_t>(view.size() - start), false});
  for (const BlockBytes& block : blocks_) Add(block, +1);
  // Should the document have split the text otherwise, its own blocks are the truth.
  if (static_cast<int>(blocks_.size()) != document()->blockCount()) CountEveryBlock();
}

void ByteTextEdit::SetBytes(const ByteText& bytes) {
  writing_ = true;
  setPlainText(DisplayFromBytes(bytes));
  writing_ = false;
  bytes_ = bytes;
  stale_ = false;
  CountBlocksOfBytes(bytes);
}

ByteText ByteTextEdit::Bytes() const {
  if (stale_) {
    bytes_ = BytesFromDisplay(document()->toRawText());
    stale_ = false;
  }
  return bytes_;
}

int ByteTextEdit::ByteLength() const {
  if (!stale_) return TextLength(bytes_);
  // The bytes end at the first zero byte; where that is, only the bytes tell.
  if (zeroBlocks_ > 0) return TextLength(Bytes());
  const auto breaks = static_cast<std::int64_t>(blocks_.size()) - 1;
  return static_cast<int>(std::min<std::int64_t>(blockBytes_ + 2 * breaks, INT_MAX));
}

ByteLineEdit::ByteLineEdit(QWidget* parent) : QLineEdit(parent) {
  // A path or a prefix is as long as it is; QLineEdit would cut it at 32767.
  setMaxLength(INT_MAX);
  connect(this, &QLineEdit::textEdited, this, [this] {
    stale_ = true;
    if (onEdited_) onEdited_();
  });
}

void ByteLineEdit::SetBytes(const ByteText& bytes) {
  setText(PlainFromBytes(bytes));  // setText does not emit textEdited
  setCursorPosition(0);
  bytes_ = bytes;
  stale_ = false;
}

ByteText ByteLineEdit::Bytes() const {
  if (stale_) {
    bytes_ = BytesFromPlain(text());
    stale_ = false;
  }
  return bytes_;
}

ChoiceButton::ChoiceButton(QWidget* parent) : QRadioButton(parent) {
  // Two choices in one frame would otherwise exclude each other behind the handlers'
  // backs, and unchecking through SetChecked(false) would be refused.
  setAutoExclusive(false);
}

TabControl::TabControl(QWidget* parent)
    : QWidget(parent), bar_(new QTabBar(this)), pane_(new QFrame(this)) {
  pane_->setFrameShape(QFrame::StyledPanel);
  bar_->setDrawBase(false);
  bar_->setExpanding(false);
  connect(bar_, &QTabBar::currentChanged, this, &TabControl::SetCurrentPage);
}

QWidget* TabControl::AddPage(const QString& caption) {
  auto* page = new QWidget(this);
  pages_.push_back(page);
  bar_->addTab(caption);
  page->setVisible(pages_.size() == 1);
  LayOut();
  return page;
}

void TabControl::SetCurrentPage(int index) {
  if (index < 0 || index >= pageCount()) return;
  if (bar_->currentIndex() != index) bar_->setCurrentIndex(index);  // comes back here
  for (int i = 0; i < pageCount(); ++i) page(i)->setVisible(i == index);
}

int TabControl::CurrentPage() const {
  return bar_->currentIndex();
}

void TabControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
}

void TabControl::LayOut() {
  const int barHeight = bar_->sizeHint().height();
  bar_->setGeometry(0, 0, width(), barHeight);
  pane_->setGeometry(0, barHeight - 1, width(), height() - barHeight + 1);
  for (QWidget* page : pages_) page->setGeometry(0, 0, width(), height());
  pane_->lower();
  bar_->raise();
}

}  // namespace morvane::ui
