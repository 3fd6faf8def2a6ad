// SPDX-License-Identifier: MIT
#pragma once
// The widgets behind the control kinds that Qt has no exact match for.

#include <functional>
#include <vector>

#include <QFrame>
#include <QLineEdit>
#include <QRadioButton>

#include "core/byte_text.h"
#include "core/encoding.h"

class QTabBar;

namespace morvane::ui {

// A single-line edit box that holds bytes (GBK unless set otherwise): what a handler put
// in is kept as it is, so reading it back gives the same bytes; only a user edit is
// encoded again.
class ByteLineEdit : public QLineEdit {
 public:
  explicit ByteLineEdit(QWidget* parent);

  void SetBytes(const ByteText& bytes);
  ByteText Bytes() const;
  // The encoding of the bytes from now on (GBK at start), in which a typed character that
  // GBK lacks is kept, where the encoding has it.
  void SetEncoding(Encoding encoding) { encoding_ = encoding; }
  void SetOnEdited(std::function<void()> onEdited) { onEdited_ = std::move(onEdited); }
  // Enter in the box: true when the routine took the key, which then goes no further (to
  // a window's default button, say).
  void SetOnEntered(std::function<bool()> onEntered) { onEntered_ = std::move(onEntered); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  mutable ByteText bytes_;
  mutable bool stale_ = false;
  Encoding encoding_ = Encoding::kGbk;
  std::function<void()> onEdited_;
  std::function<bool()> onEntered_;
};

// A radio button that a click always checks (also when it is checked already) and never
// unchecks; the handlers uncheck the other choice themselves.
class ChoiceButton : public QRadioButton {
 public:
  explicit ChoiceButton(QWidget* parent);

 protected:
  void nextCheckState() override { setChecked(true); }
};

// Page tabs whose pages span the whole control, so that the controls on a page are
// placed relative to the tab control's top-left corner, tab row included.
class TabControl : public QWidget {
 public:
  explicit TabControl(QWidget* parent);

  QWidget* AddPage(const QString& caption);
  void SetCurrentPage(int index);
  int CurrentPage() const;
  QTabBar* tabBar() const { return bar_; }
  QWidget* page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
  int pageCount() const { return static_cast<int>(pages_.size()); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayOut();

  QTabBar* bar_;
  QFrame* pane_;
  std::vector<QWidget*> pages_;
};

}  // namespace morvane::ui
