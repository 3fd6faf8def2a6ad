// SPDX-License-Identifier: MIT
#pragma once
// The Toolkit on Qt Widgets: builds windows from their descriptions, finds controls by
// name, runs message boxes, file dialogs and modal windows, and delivers events.
//
// Events reach the bound routines by one rule: a handler's write into an edit box runs
// the box's content-changed routine once, nested, even when the text is the same; the
// user's typing runs it after each change; Qt's own change signals run nothing.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "core/toolkit.h"
#include "ui/control_row.h"
#include "ui/drive_list.h"
#include "ui/folder_tree_model.h"

namespace morvane::ui {

class QtToolkit final : public Toolkit {
 public:
  QtToolkit();
  ~QtToolkit() override;
  QtToolkit(const QtToolkit&) = delete;
  QtToolkit& operator=(const QtToolkit&) = delete;

  // Makes a window known; CreateWindow and LoadWindow build it from this description.
  void Describe(WindowDescription window);
  // Builds a window (over parent, if given) and runs its creation routine; not shown yet.
  QWidget* CreateWindow(std::string_view window, QWidget* parent = nullptr);
  // Shows a window centred on its screen.
  static void ShowCentred(QWidget* window);

  // The widget of a control or window that exists now, else nullptr (tests, screenshots).
  QWidget* Widget(std::string_view control) const;
  // The folder lister of save-location windows built from now on (tests use a fixed tree).
  void SetFolderLister(FolderTreeModel::Lister lister) { lister_ = std::move(lister); }
  // The volumes the drive list shows (tests use a fixed list); empty: the real ones.
  void SetVolumes(std::vector<Volume> volumes) { volumes_ = std::move(volumes); }
  int ControlStyle() const { return style_; }

  ByteText Text(TextControl control) const override;
  void SetText(TextControl control, const ByteText& text) override;
  int TextLength(TextControl control) const override;
  bool Visible(AnyControl control) const override;
  void SetVisible(AnyControl control, bool visible) override;
  bool Checked(RadioButton control) const override;
  void SetChecked(RadioButton control, bool checked) override;
  int SelectedIndex(ListControl control) const override;
  ByteText ComboItemText(ListControl control, int index) const override;
  void SetComboItemText(DropDown control, int index, const ByteText& text) override;
  void SetTextEncoding(EditBox control, Encoding encoding) override;
  void ReplaceTextAsEdit(EditBox control, const ByteText& text) override;
  void ReplaceTextAsEdit(EditBox control, const ByteText& text,
                         Encoding encoding) override;
  std::optional<Encoding> TextEncodingNow(EditBox control) const override;
  // QSettings of the program: the user's own file, kept between runs.
  std::string Setting(std::string_view key) const override;
  void SetSetting(std::string_view key, const std::string& value) override;
  int ShowMessageBox(const std::string& content, int flags, const std::string& caption) override;
  using Toolkit::ShowMessageBox;
  // With a button that shows folder in the file manager.
  void ShowCompletion(const std::string& content, const std::string& caption,
                      const Path& folder) override;
  bool ShowFileDialog(FileDialog component) override;
  Path DialogFileName(FileDialog component) const override;
  void SetPath(PathControl control, const Path& path) override;
  std::optional<Path> PathIn(PathControl control) const override;
  TypedName TypedPathIn(PathControl control) const override;
  void ChooseWithoutDialog(FileDialog component, const Path& path) override;
  bool LoadWindow(Window window, Window parent, bool modal) override;
  void CloseWindow(Window window) override;
  bool Enabled(AnyControl control) const override;
  void SetEnabled(AnyControl control, bool enabled) override;
  void Focus(AnyControl control) override;
  void ShowPage(TabPage page) override;
  void SetRows(CheckList list, std::shared_ptr<const TableRows> rows,
               const std::vector<bool>& ticks) override;
  std::vector<bool> Ticks(CheckList list) const override;
  int CurrentRow(CheckList list) const override;
  void SetCurrentRow(CheckList list, int row) override;
  std::vector<Path> DroppedPaths(DropTarget control) const override;
  bool SetControlStyle(int style) override;
  // On a worker thread, with the progress window of long_task.h.
  void RunLongWork(const WorkSize& size, const Job& job) override;
  void Bind(EventSource control, Event event, Routine routine) override;

 private:
  struct Control;
  struct FileDialogSettings {
    Path fileName;                        // the path last chosen through this component
    std::span<const FileFilter> filters;  // the row's
    QString initialFolder;                // used only where it exists
    Path preset;                          // chosen without the dialog, for its next run
    bool save = false;                    // asks for a name to save to
  };

  Control& Find(std::string_view name);
  const Control& Find(std::string_view name) const;
  // Runs the routine bound to the event; false when there is none.
  bool Fire(std::string_view control, Event event);
  void AcceptDrops(const ControlRow& row);
  void Build(const ControlRow& row, const std::string& window, QWidget* windowWidget);
  QWidget* BuildWidget(const ControlRow& row, QWidget* parent, Control& control,
                       const std::string& name);
  void Forget(const std::string& window);

  std::map<std::string, WindowDescription, std::less<>> descriptions_;
  std::map<std::string, std::unique_ptr<Control>, std::less<>> controls_;
  std::map<std::string, FileDialogSettings, std::less<>> dialogs_;  // live for the whole run
  std::map<std::pair<std::string, Event>, Routine> routines_;
  std::map<std::string, QPointer<QWidget>, std::less<>> windows_;
  std::map<std::string, QMetaObject::Connection, std::less<>> forgetters_;
  FolderTreeModel::Lister lister_;
  std::vector<Volume> volumes_;
  int style_ = 0;
  int choosingRow_ = 0;  // a list's row changes made by a handler are not the user's
};

// The GUI font of every window: 12 pixels, a CJK face.
QFont DefaultGuiFont();

// A box with the stop icon, the text and the caption, modal for the program; returns
// when it is closed (the fatal error path).
void ShowStopBox(const ByteText& text, const ByteText& caption);

}  // namespace morvane::ui
