#include "app/chapter_map_window.h"

#include <algorithm>
#include <string>
#include <variant>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "app/chapter_map_text.h"
#include "core/gbk.h"
#include "engine/control_names.h"
#include "engine/messages.h"
#include "engine/output_naming.h"
#include "ui/chapter_map_model.h"
#include "ui/qt_toolkit.h"

namespace morvane::app {
namespace {

QString FromUtf16(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// A row of the table, made when the view shows it: the title is read from the text then.
ui::ChapterMapRow RowOf(const ChapterMap& map, std::size_t row) {
  const ChapterEntry& entry = map.entries[row];
  const std::optional<std::int64_t> number = entry.number();
  return {number ? QString::number(*number) : QString(), FromUtf16(map.Title(row)), map.Length(row),
          QString::fromStdString(FlagWords(entry.flags()))};
}

}  // namespace

void OpenChapterMap(Toolkit& ui, AppState& state) {
  if (state.chapterSearchDone == 0) {
    ui.ShowMessageBox(messages::SearchFirst());
    return;
  }
  auto* qt = dynamic_cast<ui::QtToolkit*>(&ui);
  ChapterMapWindow window(ui, state, qt != nullptr ? qt->Widget(names::kMainWindow) : nullptr);
  window.exec();
}

ChapterMapWindow::ChapterMapWindow(Toolkit& ui, AppState& state, QWidget* parent)
    : QDialog(parent), ui_(ui), state_(state) {
  setWindowTitle(QStringLiteral("章节目录"));
  setFont(ui::DefaultGuiFont());
  setObjectName(QStringLiteral("chapterMapWindow"));
  auto* layout = new QVBoxLayout(this);
  CreateRuleRow();
  CreateTable();
  CreateFileRow();
  summary_ = new QLabel(this);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &ChapterMapWindow::Confirm);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* ruleRow = new QHBoxLayout;
  ruleRow->addWidget(new QLabel(QStringLiteral("章节规则："), this));
  ruleRow->addWidget(rules_);
  ruleRow->addWidget(pattern_, 1);
  ruleRow->addWidget(apply_);
  layout->addLayout(ruleRow);
  layout->addWidget(table_, 1);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(new QLabel(QStringLiteral("每个文件"), this));
  fileRow->addWidget(perFile_);
  fileRow->addWidget(new QLabel(QStringLiteral("章；文件名："), this));
  fileRow->addWidget(byNumber_);
  fileRow->addWidget(byTitle_);
  fileRow->addStretch(1);
  layout->addLayout(fileRow);
  layout->addWidget(preview_);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(summary_, 1);
  bottom->addWidget(buttons);
  layout->addLayout(bottom);
  resize(720, 520);

  if (state_.chapterPlan) {
    // The map as the user left it.
    plan_ = *state_.chapterPlan;
    rules_->setCurrentIndex(static_cast<int>(plan_.rule.kind));
    pattern_->setText(FromUtf16(plan_.rule.pattern));
    perFile_->setValue(plan_.choice.perFile);
    byTitle_->setChecked(plan_.choice.names == NameStyle::kTitle);
    ShowMap(plan_.choice.cut);
  } else {
    ApplyRule();
  }
  connect(rules_, &QComboBox::currentIndexChanged, this, [this](int choice) {
    pattern_->setEnabled(choice == kRegexRule);
    apply_->setEnabled(choice == kRegexRule);
    if (choice != kRegexRule) {
      ApplyRule();
    } else {
      pattern_->setFocus();
    }
  });
}

void ChapterMapWindow::CreateRuleRow() {
  rules_ = new QComboBox(this);
  rules_->setObjectName(QStringLiteral("rule"));
  // In the order of RuleChoice, which is that of RuleKind.
  rules_->addItems(
      {QStringLiteral("第…章（默认）"), QStringLiteral("整行标题"), QStringLiteral("正则表达式")});
  pattern_ = new QLineEdit(this);
  pattern_->setObjectName(QStringLiteral("pattern"));
  pattern_->setPlaceholderText(QStringLiteral("如 ^\\s*第.{1,9}[章节回]"));
  pattern_->setEnabled(false);
  apply_ = new QPushButton(QStringLiteral("应用"), this);
  apply_->setObjectName(QStringLiteral("apply"));
  apply_->setEnabled(false);
  apply_->setAutoDefault(false);
  connect(apply_, &QPushButton::clicked, this, &ChapterMapWindow::ApplyRule);
  connect(pattern_, &QLineEdit::returnPressed, this, &ChapterMapWindow::ApplyRule);
}

void ChapterMapWindow::CreateTable() {
  model_ = new ui::ChapterMapModel(this);
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("map"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setWordWrap(false);
  // Every row as high as the others, so the view never measures a hundred thousand rows.
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  QHeaderView* header = table_->horizontalHeader();
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setSectionResizeMode(ui::ChapterMapModel::kTitle, QHeaderView::Stretch);
  header->resizeSection(ui::ChapterMapModel::kCut, 72);
  header->resizeSection(ui::ChapterMapModel::kNumber, 60);
  header->resizeSection(ui::ChapterMapModel::kSize, 76);
  header->resizeSection(ui::ChapterMapModel::kFlags, 120);
  connect(model_, &ui::ChapterMapModel::cutChanged, this, &ChapterMapWindow::ShowSummary);
}

void ChapterMapWindow::CreateFileRow() {
  perFile_ = new QSpinBox(this);
  perFile_->setObjectName(QStringLiteral("perFile"));
  perFile_->setRange(1, 100000);
  byNumber_ = new QRadioButton(QStringLiteral("按序号"), this);
  byNumber_->setObjectName(QStringLiteral("byNumber"));
  byNumber_->setChecked(true);
  byTitle_ = new QRadioButton(QStringLiteral("按标题"), this);
  byTitle_->setObjectName(QStringLiteral("byTitle"));
  preview_ = new QLabel(this);
  preview_->setObjectName(QStringLiteral("preview"));
  preview_->setTextFormat(Qt::PlainText);
  connect(perFile_, &QSpinBox::valueChanged, this, &ChapterMapWindow::ShowSummary);
  connect(byTitle_, &QRadioButton::toggled, this, &ChapterMapWindow::ShowSummary);
}

void ChapterMapWindow::ApplyRule() {
  ChapterRule rule;
  rule.kind = static_cast<RuleKind>(rules_->currentIndex());
  if (rule.kind == RuleKind::kRegex) {
    const QString pattern = pattern_->text();
    rule.pattern.assign(reinterpret_cast<const char16_t*>(pattern.utf16()),
                        static_cast<std::size_t>(pattern.size()));
  }
  std::optional<ChapterMap> map = FindChapterMap(ui_, state_, rule);
  if (!map) return;
  plan_.rule = std::move(rule);
  plan_.map = std::move(*map);
  ShowMap({});
}

void ChapterMapWindow::ShowMap(const std::vector<bool>& cut) {
  model_->SetRows(
      plan_.map.size(), [this](std::size_t row) { return RowOf(plan_.map, row); }, cut);
  ShowSummary();
}

ChapterChoice ChapterMapWindow::Choice() const {
  return {model_->Cut(), perFile_->value(),
          byTitle_->isChecked() ? NameStyle::kTitle : NameStyle::kNumber};
}

void ChapterMapWindow::ShowSummary() {
  const ChapterChoice choice = Choice();
  summary_->setText(QString::fromStdString(MapSummary(plan_.map, choice)));
  // The names of the first files, as the cut will write them now.
  preview_->setText(QString::fromStdString(NamePreview(ui_, plan_.map, choice)));
}

void ChapterMapWindow::Confirm() {
  plan_.choice = Choice();
  state_.chapterPlan = std::make_shared<const ChapterPlan>(plan_);
  accept();
}

}  // namespace morvane::app
