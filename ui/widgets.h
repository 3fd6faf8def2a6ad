#pragma once
// The widgets behind the control kinds that Qt has no exact match for.

#include <cstdint>
#include <functional>
#include <vector>

#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "core/byte_text.h"

class QTabBar;
class QTextBlock;

namespace morvane::ui {

// A multi-line edit box that holds GBK bytes. What a handler put in is kept as it is,
// so reading it back gives the same bytes without re-encoding; only after the user has
// edited the box is the document encoded again (on the next read).
//
// The byte length is known at every moment without that encoding: the box keeps the
// encoded length of each paragraph (block) and, on each change of the document,
// encodes again only the paragraphs the change touched. A content-changed routine that
// asks for the length therefore costs a paragraph, not the whole text.
class ByteTextEdit : public QPlainTextEdit {
 public:
  explicit ByteTextEdit(QWidget* parent);

  // Shows bytes; reports no edit.
  void SetBytes(const ByteText& bytes);
  ByteText Bytes() const;
  // The length of Bytes(), without assembling them.
  int ByteLength() const;
  // Runs after each change the user makes (typing, pasting, cutting, undo).
  void SetOnEdited(std::function<void()> onEdited) { onEdited_ = std::move(onEdited); }

 private:
  // The encoded length of one paragraph, CR LF after it not counted. A U+0000 encodes
  // to a zero byte, where the box's bytes end; such a paragraph is flagged, and the
  // length is then taken from the bytes themselves.
  struct BlockBytes {
    std::int64_t bytes = 0;
    bool holdsZero = false;
  };

  void OnContentsChange(int position, int removed, int added);
  void OnDocumentChanged();
  void CountBlocksOfBytes(const ByteText& bytes);
  void CountEveryBlock();
  void Add(const BlockBytes& block, int sign);
  static BlockBytes CountBlock(const QTextBlock& block);

  mutable ByteText bytes_;
  mutable bool stale_ = false;
  bool writing_ = false;
  std::vector<BlockBytes> blocks_;  // by block number
  std::int64_t blockBytes_ = 0;     // their sum
  int zeroBlocks_ = 0;              // how many are flagged
  std::function<void()> onEdited_;
};

// A single-line edit box that holds GBK bytes, kept the same way.
class ByteLineEdit : public QLineEdit {
 public:
  explicit ByteLineEdit(QWidget* parent);

  void SetBytes(const ByteText& bytes);
  ByteText Bytes() const;
  void SetOnEdited(std::function<void()> onEdited) { onEdited_ = std::move(onEdited); }

 private:
  mutable ByteText bytes_;
  mutable bool stale_ = false;
  std::function<void()> onEdited_;
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
