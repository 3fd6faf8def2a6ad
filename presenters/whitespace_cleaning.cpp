// SPDX-License-Identifier: MIT
#include "presenters/whitespace_cleaning.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>

#include "engine/messages.h"
#include "engine/whitespace_cleaning.h"
#include "presenters/control_names.h"

namespace morvane {
namespace {

// What clean gives; for a large text it runs as long work, and nothing comes back when
// the user stopped it (the container then keeps its text).
std::optional<ByteText> Cleaned(Toolkit& ui, const ByteText& text,
                                const std::function<ByteText()>& clean) {
  if (static_cast<std::int64_t>(text.size()) <= kLongWorkBytes) return clean();
  std::optional<ByteText> cleaned;
  ui.RunLongWork({0, 0}, [&](Progress& progress) {
    ByteText result = clean();
    if (!progress.StopRequested()) cleaned = std::move(result);
  });
  return cleaned;
}

// Replaces every occurrence of wanted (the GBK form of choice) in the container, writes it
// back and confirms. A text in another encoding loses the characters of choice.
void CleanContainer(Toolkit& ui, Encoding encoding, const ByteText& wanted, CleanChoice choice,
                    const std::string& done) {
  const ByteText text = ui.Text(names::kSimpleText);
  if (text.empty()) {
    ui.ShowMessageBox(messages::FileToCutIsEmpty());
    return;
  }
  const auto cleaned = Cleaned(ui, text, [&] {
    return encoding == Encoding::kGbk ? ReplaceSubtext(text, wanted, ByteText())
                                      : Cleaned(text, encoding, choice);
  });
  if (!cleaned) return;
  ui.SetText(names::kSimpleText, *cleaned);
  ui.ShowMessageBox(done, 0, messages::HintCaption());
}

}  // namespace

void RemoveSpaces(Toolkit& ui, AppState& state) {
  CleanContainer(ui, state.cut.simpleEncoding.encoding, ByteText(" "), {.spaces = true},
                 messages::SpacesCleared());
}

void RemoveLineBreaks(Toolkit& ui, AppState& state) {
  CleanContainer(ui, state.cut.simpleEncoding.encoding, ByteText("\r\n"), {.lineBreaks = true},
                 messages::LineBreaksCleared());
}

void RemoveTabs(Toolkit& ui, AppState& state) {
  const ByteText text = ui.Text(names::kSimpleText);
  if (text.empty()) {
    ui.ShowMessageBox(messages::FileToCutIsEmpty());
    return;
  }
  // The scan runs over the bytes up to the recorded size, a byte at a time; the first
  // tab it meets removes every tab of the text at once. A tab that is the second byte
  // of a character (only in text that is no valid GBK) is seen by the scan but kept by
  // the removal, so scanning on would only write the same text again.
  const std::size_t scanned = std::min<std::size_t>(
      text.size(), static_cast<std::size_t>(std::max(0, state.cut.simpleTextBytes)));
  bool found = false;
  const Encoding encoding = state.cut.simpleEncoding.encoding;
  const auto cleaned = Cleaned(ui, text, [&text, &found, scanned, encoding] {
    if (encoding != Encoding::kGbk) {
      // Tabs are characters of the encoding here: the text is rewritten when it lost one.
      ByteText without = Cleaned(text, encoding, {.tabs = true});
      found = without.size() != text.size();
      return without;
    }
    found = std::memchr(text.data(), '\t', scanned) != nullptr;
    return found ? WithoutTabs(text) : text;
  });
  if (!cleaned) return;
  if (found) ui.SetText(names::kSimpleText, *cleaned);
  ui.ShowMessageBox(messages::TabsCleared(), 0, messages::HintCaption());
}

}  // namespace morvane
