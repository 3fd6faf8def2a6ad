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

FolderTreeView::FolderTreeView(QWidget* parent, FolderTreeModel::Lister lister)
    : QTreeWidget(parent), model_(std::move(lister)) {
  setHeaderHidden(true);
  setColumnCount(1);
  // Only opening a node changes the tree; Qt's own expanding and collapsing would not.
  setExpandsOnDoubleClick(false);
  setItemsExpandable(false);
  setRootIsDecorated(false);
  setIndentation(12);
  connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    setCurrentItem(item);
    OpenSelected();
  });
}

void FolderTreeView::SetPath(std::string_view nativePath) {
  model_.SetPath(nativePath);
  Render();
}

void FolderTreeView::OpenSelected() {
  QTreeWidgetItem* item = currentItem();
  if (item == nullptr) return;
  auto* node = reinterpret_cast<FolderNode*>(item->data(0, Qt::UserRole).value<quintptr>());
  const bool changed = model_.Open(node);
  if (!changed) return;
  Render();
  if (onOpened_) onOpened_();
}

void FolderTreeView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OpenSelected();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

QTreeWidgetItem* FolderTreeView::AddItem(QTreeWidgetItem* parent, FolderNode* node) {
  auto* item = parent == nullptr ? new QTreeWidgetItem(this) : new QTreeWidgetItem(parent);
  item->setText(0, QString::fromStdString(node->name));
  item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
  item->setIcon(
      0, style()->standardIcon(node->opened ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
  QTreeWidgetItem* selected = node == model_.selected() ? item : nullptr;
  for (const auto& child : node->children) {
    QTreeWidgetItem* found = AddItem(item, child.get());
    if (found != nullptr) selected = found;
  }
  return selected;
}

void FolderTreeView::Render() {
  const QSignalBlocker quiet(this);
  clear();
  if (model_.root() == nullptr) return;
  QTreeWidgetItem* selected = AddItem(nullptr, model_.root());
  expandAll();
  if (selected != nullptr) {
    setCurrentItem(selected);
    scrollToItem(selected);
  }
}

}  // namespace morvane::ui
