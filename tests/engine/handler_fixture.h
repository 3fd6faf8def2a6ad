// SPDX-License-Identifier: MIT
#pragma once
// A main window in memory with the engine's live displays bound as the desktop binds
// them, a fresh shared state, and a scratch folder chosen as the save location.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "engine/banner.h"
#include "engine/size_cutting.h"
#include "memory_toolkit.h"
#include "presenters/control_names.h"
#include "presenters/size_cutting.h"
#include "presenters/state.h"
#include "test_files.h"

namespace morvane::testing {

class HandlerTest : public ::testing::Test {
 protected:
  HandlerTest() {
    state.bannerText = BannerConstant();
    ui.Bind(names::kSimpleText, Event::kContentChanged, [this] { ShowSimpleCutCount(ui, state); });
    ui.Bind(names::kSimplePieceBytesBox, Event::kContentChanged,
            [this] { ShowSimpleCutCount(ui, state); });
    ui.Bind(names::kCutSizeBox, Event::kContentChanged,
            [this] { UpdateNormalPieceSize(ui, state); });
    ui.SetText(names::kSaveLocationBox, out.gbk());
  }

  // An input file in its own scratch folder; returns its GBK path.
  ByteText PutInput(std::string_view name, std::string_view bytes) {
    WriteBytes(in / name, bytes);
    return Concat({in.gbk(), ByteText("/"), Gbk(name)});
  }
  std::string Output(std::string_view name) const {
    return ReadBytes(out / name).value_or("<missing>");
  }
  std::string WithBanner(std::string_view text) const {
    return std::string(text) + std::string(BannerConstant().view());
  }
  // The single message shown since the last call, or a failure.
  MemoryToolkit::Message OnlyMessage() {
    auto shown = ui.TakeMessages();
    EXPECT_EQ(shown.size(), 1u);
    return shown.empty() ? MemoryToolkit::Message{} : shown.front();
  }
  static bool StartsWith(const std::string& content, std::string_view utf8) {
    return content.starts_with(utf8);
  }
  static bool Contains(const std::string& content, std::string_view utf8) {
    return content.find(utf8) != std::string::npos;
  }

  ScratchFolder in;
  ScratchFolder out;
  MemoryToolkit ui;
  AppState state;
};

}  // namespace morvane::testing
