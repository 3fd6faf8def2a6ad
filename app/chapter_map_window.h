#pragma once
// The chapter-map window: after a chapter search, the user sees every heading (its
// chapter number, title, size and what looks wrong), switches the rule and sees the map
// change, unticks headings that are no headings, and chooses how many chapters go into
// a file and how the files are named. 确定 keeps that choice for the next chapter cut;
// a user who never opens the window cuts as before.

#include <QDialog>

#include "app/chapter_map_opening.h"
#include "core/toolkit.h"
#include "engine/chapter_map.h"
#include "presenters/state.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableView;

namespace morvane::ui {
class ChapterMapModel;
}

namespace morvane::app {

class ChapterMapWindow final : public QDialog {
  Q_OBJECT

 public:
  ChapterMapWindow(Toolkit& ui, AppState& state, QWidget* parent = nullptr);

  // The rule choices in the rule list, in order.
  enum RuleChoice { kNearRule, kLinesRule, kRegexRule };

 private:
  void CreateRuleRow();
  void CreateTable();
  void CreateFileRow();
  // Finds the headings under the chosen rule and shows the new map.
  void ApplyRule();
  void ShowMap(const std::vector<bool>& cut);
  void ShowSummary();
  void Confirm();
  ChapterChoice Choice() const;

  Toolkit& ui_;
  AppState& state_;
  ChapterPlan plan_;
  QComboBox* rules_ = nullptr;
  QLineEdit* pattern_ = nullptr;
  QPushButton* apply_ = nullptr;
  QTableView* table_ = nullptr;
  ui::ChapterMapModel* model_ = nullptr;
  QSpinBox* perFile_ = nullptr;
  QRadioButton* byNumber_ = nullptr;
  QRadioButton* byTitle_ = nullptr;
  QLabel* summary_ = nullptr;
  QLabel* preview_ = nullptr;
};

}  // namespace morvane::app
