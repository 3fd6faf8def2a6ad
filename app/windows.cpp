// SPDX-License-Identifier: MIT
#include "app/windows.h"

#include "app/batch_window.h"
#include "app/chapter_map_window.h"
#include "app/clean_window.h"
#include "app/epub_window.h"
#include "app/main_window.h"
#include "app/save_location_window.h"

namespace morvane::app {

std::vector<ui::WindowDescription> WindowDescriptions() {
  return {MainWindowDescription(), SaveLocationWindowDescription(), ChapterMapWindowDescription(),
          EpubWindowDescription(), CleanWindowDescription(),        BatchWindowDescription()};
}

}  // namespace morvane::app
