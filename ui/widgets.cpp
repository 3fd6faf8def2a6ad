// SPDX-License-Identifier: MIT
#include "ui/widgets.h"

#include <climits>

#include <QKeyEvent>
#include <QStyle>
#include <QTabBar>

#include "ui/text_boundary.h"

namespace morvane::ui {

ByteLineEdit::ByteLineEdit(QWidget* parent) : QLineEdit(parent) {
  // A path or a prefix is as long as it is; QLineEdit would cut it at 32767.
  setMaxLength(INT_MAX);
  connect(this, &QLineEdit::textEdited, this, [this] {
    stale_ = true;
    if (onEdited_) onEdited_();
  });
}

void ByteLineEdit::SetBytes(const ByteText& bytes) {
  // setText does not emit textEdited.
  if (encoding_ == Encoding::kGbk) {
    setText(PlainFromBytes(bytes));
  } else {
    const std::u16string text = Decode(encoding_, bytes.view()).text;
    setText(
        QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size())));
  }
  setCursorPosition(0);
  bytes_ = bytes;
  stale_ = false;
}

ByteText ByteLineEdit::Bytes() const {
  if (stale_) {
    const QString typed = text();
    bytes_ =
        encoding_ == Encoding::kGbk
            ? BytesFromPlain(typed)
            : ByteText(EncodeShown(
                  encoding_, std::u16string_view(reinterpret_cast<const char16_t*>(typed.utf16()),
                                                 static_cast<std::size_t>(typed.size()))));
    stale_ = false;
  }
  return bytes_;
}

void ByteLineEdit::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && onEntered_ && onEntered_()) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
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
