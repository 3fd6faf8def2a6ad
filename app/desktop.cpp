#include "app/desktop.h"

#include <algorithm>
#include <memory>
#include <string>

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/main_window.h"
#include "app/save_location_window.h"
#include "app/wiring.h"
#include "core/fatal.h"
#include "core/gbk.h"
#include "engine/merging.h"
#include "engine/size_cutting.h"
#include "presenters/control_names.h"
#include "presenters/merging.h"
#include "presenters/size_cutting.h"
#include "presenters/state.h"
#include "ui/file_drops.h"
#include "ui/qt_toolkit.h"

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

// Qt spells file names as QStrings; QFile gives back the file system's bytes.
Path PathOf(const QString& native) {
  return Path(QFile::encodeName(native).toStdString());
}

}  // namespace

void BindDesktop(ui::QtToolkit& toolkit, AppState& state) {
  ui::QtToolkit* t = &toolkit;
  AppState* s = &state;
  // A file dropped on a page is opened as if it had been chosen in that page's dialog.
  const auto openOnDrop = [t, s](std::string_view page, std::string_view dialog,
                                 void (*open)(Toolkit&, AppState&)) {
    ui::AcceptFileDrops(t->Widget(page), ui::DropKind::kFiles,
                        [t, s, dialog, open](QStringList paths) {
                          ui::SortNaturally(paths);
                          t->ChooseWithoutDialog(dialog, PathOf(paths.front()));
                          open(*t, *s);
                        });
  };
  openOnDrop(kCutPage, names::kNormalDialog, OpenForNormalCut);
  openOnDrop(kSimpleCutPage, names::kSimpleDialog, OpenForSimpleCut);
  // Up to five files fill the merge rows in natural order, and the count follows.
  ui::AcceptFileDrops(t->Widget(kMergePage), ui::DropKind::kFiles, [t, s](QStringList paths) {
    ui::SortNaturally(paths);
    const int count = static_cast<int>(std::min<qsizetype>(paths.size(), 5));
    if (count >= 2) {
      t->SetText(names::kMergeCountList, ByteText(std::to_string(count)));
      SelectMergeCount(*t, *s);
    }
    for (int row = 1; row <= count; ++row) {
      t->ChooseWithoutDialog(names::kMergeDialog, PathOf(paths[row - 1]));
      OpenMergeFile(*t, *s, row);
    }
  });
  // A folder dropped on the save-location box is opened there, as in the save-location
  // window.
  ui::AcceptFileDrops(t->Widget(names::kSaveLocationBox), ui::DropKind::kFolder,
                      [t, s](const QStringList& paths) {
                        s->cut.saveFolder = PathOf(paths.front());
                        t->SetPath(names::kSaveLocationBox, s->cut.saveFolder);
                      });
}

int RunDesktop() {
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
    exitCode = QApplication::exec();
  }
  state.reset();
  return exitCode;
}

}  // namespace morvane::app
