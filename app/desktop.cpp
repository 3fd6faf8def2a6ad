#include "app/desktop.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include "app/main_window.h"
#include "app/save_location_window.h"
#include "app/wiring.h"
#include "core/fatal.h"
#include "core/gbk.h"
#include "engine/control_names.h"
#include "engine/merging.h"
#include "engine/size_cutting.h"
#include "engine/state.h"
#include "ui/file_drops.h"
#include "ui/qt_toolkit.h"
#include "ui/widgets.h"

namespace morvane::app {

void DescribeWindows(ui::QtToolkit& toolkit) {
  toolkit.Describe(MainWindowDescription());
  toolkit.Describe(SaveLocationWindowDescription());
}

bool UseChineseEverywhere() {
  const QLocale chinese(QLocale::Chinese, QLocale::China);
  QLocale::setDefault(chinese);
  static QTranslator* translator = nullptr;
  if (translator != nullptr) return true;
  auto* loaded = new QTranslator(qApp);
  if (!loaded->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete loaded;
    return false;
  }
  QCoreApplication::installTranslator(loaded);
  translator = loaded;
  return true;
}

namespace {

// A file dropped on a page is opened as if it had been chosen in that page's dialog.
void OpenOnPage(ui::QtToolkit& t, AppState& s, std::string_view dialog,
                void (*open)(Toolkit&, AppState&), std::vector<Path> paths) {
  ui::SortNaturally(paths);
  t.ChooseWithoutDialog(dialog, paths.front());
  open(t, s);
}

// Up to five files fill the merge rows in natural order, and the count follows.
void FillMergeRows(ui::QtToolkit& t, AppState& s, std::vector<Path> paths) {
  ui::SortNaturally(paths);
  const int count = static_cast<int>(std::min<std::size_t>(paths.size(), 5));
  if (count >= 2) {
    t.SetText(names::kMergeCountList, ByteText(std::to_string(count)));
    SelectMergeCount(t, s);
  }
  for (int row = 1; row <= count; ++row) {
    t.ChooseWithoutDialog(names::kMergeDialog, paths[static_cast<std::size_t>(row - 1)]);
    OpenMergeFile(t, s, row);
  }
}

void ShowPage(ui::QtToolkit& t, std::string_view page) {
  auto* tabs = static_cast<ui::TabControl*>(t.Widget(kPageTabs));
  for (int i = 0; i < tabs->pageCount(); ++i) {
    if (tabs->page(i) == t.Widget(page)) tabs->SetCurrentPage(i);
  }
}

}  // namespace

void BindDesktop(ui::QtToolkit& toolkit, AppState& state) {
  ui::QtToolkit* t = &toolkit;
  AppState* s = &state;
  const auto openOnDrop = [t, s](std::string_view page, std::string_view dialog,
                                 void (*open)(Toolkit&, AppState&)) {
    ui::AcceptFileDrops(t->Widget(page), ui::DropKind::kFiles,
                        [t, s, dialog, open](std::vector<Path> paths) {
                          OpenOnPage(*t, *s, dialog, open, std::move(paths));
                        });
  };
  openOnDrop(kCutPage, names::kNormalDialog, OpenForNormalCut);
  openOnDrop(kSimpleCutPage, names::kSimpleDialog, OpenForSimpleCut);
  ui::AcceptFileDrops(t->Widget(kMergePage), ui::DropKind::kFiles,
                      [t, s](std::vector<Path> paths) { FillMergeRows(*t, *s, std::move(paths)); });
  // A folder dropped on the save-location box is opened there, as in the save-location
  // window.
  ui::AcceptFileDrops(t->Widget(names::kSaveLocationBox), ui::DropKind::kFolder,
                      [t, s](const std::vector<Path>& paths) {
                        s->cut.saveFolder = paths.front();
                        t->SetPath(names::kSaveLocationBox, s->cut.saveFolder);
                      });
}

void OpenGivenFiles(ui::QtToolkit& toolkit, AppState& state, std::vector<Path> files) {
  if (files.size() == 1) {
    ShowPage(toolkit, kCutPage);
    OpenOnPage(toolkit, state, names::kNormalDialog, OpenForNormalCut, std::move(files));
  } else if (files.size() > 1) {
    ShowPage(toolkit, kMergePage);
    FillMergeRows(toolkit, state, std::move(files));
  }
}

int RunDesktop(std::vector<Path> files) {
  QGuiApplication::setDesktopFileName(QStringLiteral("morvane"));
  UseChineseEverywhere();
  SetFatalPresenter([](const ByteText& boxText) {
    ui::ShowStopBox(boxText, ByteText("\xB4\xED\xCE\xF3"));  // "错误"
  });
  // The state lives from before the main window is built until after it is gone:
  // the toolkit (and with it every window) is destroyed first.
  auto state = std::make_unique<AppState>();
  int exitCode = 0;
  {
    ui::QtToolkit toolkit;
    DescribeWindows(toolkit);
    BindEvents(toolkit, *state);
    QWidget* mainWindow = toolkit.CreateWindow(names::kMainWindow);
    BindDesktop(toolkit, *state);
    ui::QtToolkit::ShowCentred(mainWindow);
    // Once the loop runs, so that the window is up behind any message the opening shows.
    QTimer::singleShot(0, mainWindow, [&toolkit, &state, files = std::move(files)]() mutable {
      OpenGivenFiles(toolkit, *state, std::move(files));
    });
    exitCode = QApplication::exec();
  }
  state.reset();
  return exitCode;
}

}  // namespace morvane::app
