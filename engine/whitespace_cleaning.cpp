#include "engine/whitespace_cleaning.h"

#include <algorithm>
#include <cstring>

#include "engine/control_names.h"
#include "engine/messages.h"

namespace morvane {
namespace {

// Replaces every occurrence of wanted in the container, writes it back and confirms.
void CleanContainer(Toolkit& ui, const ByteText& wanted, const ByteText& done) {
  const ByteText text = ui.Text(names::kSimpleText);
  if (text.empty()) {
    ui.ShowMessageBox(messages::FileToCutIsEmpty());
    return;
  }
  ui.SetText(names::kSimpleText, ReplaceSubtext(text, wanted, ByteText()));
  ui.ShowMessageBox(done, 0, messages::HintCaption());
}

}  // namespace

ByteText WithoutSpaces(const ByteText& text) {
  return ReplaceSubtext(text, ByteText(" "), ByteText());
}

ByteText WithoutLineBreaks(const ByteText& text) {
  return ReplaceSubtext(text, ByteText("\r\n"), ByteText());
}

ByteText WithoutTabs(const ByteText& text) {
  return ReplaceSubtext(text, ByteText("\t"), ByteText());
}

void RemoveSpaces(Toolkit& ui, AppState& /*state*/) {
  CleanContainer(ui, ByteText(" "), messages::SpacesCleared());
}

void RemoveLineBreaks(Toolkit& ui, AppState& /*state*/) {
  CleanContainer(ui, ByteText("\r\n"), messages::LineBreaksCleared());
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
  if (std::memchr(text.data(), '\t', scanned) != nullptr) {
    ui.SetText(names::kSimpleText, WithoutTabs(text));
  }
  ui.ShowMessageBox(messages::TabsCleared(), 0, messages::HintCaption());
}

}  // namespace morvane
