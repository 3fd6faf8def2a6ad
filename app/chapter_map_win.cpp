// The chapter-map button on Windows. The chapter-map window is a Qt dialog that the
// Win32 toolkit does not build yet; until it does, the button says so, and chapter cuts
// run as without the map.

#include "app/chapter_map_opening.h"
#include "core/gbk.h"
#include "engine/messages.h"

namespace morvane::app {

void OpenChapterMap(Toolkit& ui, AppState& state) {
  if (state.chapterSearchDone == 0) {
    ui.ShowMessageBox(messages::SearchFirst());
    return;
  }
  ui.ShowMessageBox(
      GbkFromUtf8("章节目录窗口暂未提供于 Windows 版；章节切割照常按搜寻到的章节进行。"));
}

}  // namespace morvane::app
