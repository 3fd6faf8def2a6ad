// The chapter search (FindChapterMarkers, PairHeadings, FindChapterStarts) and the chapter
// texts against the plain loops of their rules, and what every found heading must be:
// positions ascending, each a "第" (B5 DA) standing on a character boundary, with a "章"
// (D5 C2) on a boundary at most 16 bytes after it. The chapter texts joined give back the
// text, also for heading positions that do not belong to it.
//
// Input: a mode byte, then the text. In the marker mode every input byte makes one
// character of a small alphabet rich in markers, line breaks and look-alikes, so that
// headings come up at all.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/byte_text.h"
#include "engine/chapter_cutting.h"
#include "reference.h"

namespace ref = morvane::reference;

namespace {

std::string MarkerText(const std::string& raw) {
  static const char* const kAlphabet[] = {
      "\xB5\xDA",  // 第
      "\xD5\xC2",  // 章
      "\xD2\xBB",  // 一
      "\xBD\xDA",  // 节
      "\xC1\xB5",  // a character ending in B5
      "\xDA\xC2",  // a character starting with DA
      "\xD5\xD5",  // a character ending in D5
      "\r\n",     "a", " ",
      "\xB5",      // a lone lead byte: shifts the stepping of what follows
      "\x81\x40",  // a GBK extension character, trail byte below 0x80
  };
  constexpr std::size_t kCount = sizeof kAlphabet / sizeof kAlphabet[0];
  std::string text;
  for (unsigned char c : raw) text += kAlphabet[c % kCount];
  return text;
}

std::vector<bool> CharacterStarts(const std::string& text) {
  std::vector<bool> starts(text.size() + 1, false);
  for (std::size_t i = 0; i < text.size(); i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1)
    starts[i] = true;
  return starts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::string_view input(reinterpret_cast<const char*>(data), size);
  uint8_t mode = in.ConsumeIntegral<uint8_t>();
  std::vector<int> madeUp;  // heading positions that need not belong to the text
  for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n)
    madeUp.push_back(in.ConsumeIntegralInRange(-3, 300));
  std::string raw = in.ConsumeRemainingBytesAsString();
  for (char& c : raw)
    if (c == '\0') c = '\x01';
  std::string text = (mode & 1) ? MarkerText(raw) : raw;
  morvane::ByteText t(text);

  ref::Markers want = ref::ChapterMarkers(text);
  morvane::ChapterMarkers got = morvane::FindChapterMarkers(t);
  if (got.ordinals != want.ordinals || got.chapters != want.chapters)
    ref::Fail("chapter markers", text, input);
  if (morvane::PairHeadings(want.ordinals, want.chapters) !=
      ref::PairHeadings(want.ordinals, want.chapters))
    ref::Fail("PairHeadings", text, input);
  std::vector<int> starts = morvane::FindChapterStarts(t);
  if (starts != ref::PairHeadings(want.ordinals, want.chapters))
    ref::Fail("FindChapterStarts", text, input);

  std::vector<bool> boundary = CharacterStarts(text);
  std::size_t c = 0;
  for (std::size_t k = 0; k < starts.size(); ++k) {
    int p = starts[k];
    if (k > 0 && p <= starts[k - 1]) ref::Fail("headings not ascending", text, input);
    if (p < 1 || text.compare(p - 1, 2, "\xB5\xDA") != 0 || !boundary[p - 1])
      ref::Fail("a heading that is no 第 of its own", text, input);
    while (c < want.chapters.size() && want.chapters[c] <= p) ++c;
    if (c == want.chapters.size() || want.chapters[c] - p > morvane::kHeadingSpan)
      ref::Fail("a heading without 章 within 16 bytes", text, input);
  }

  for (const std::vector<int>& positions : {starts, madeUp}) {
    std::vector<morvane::ByteText> files = morvane::ChapterTexts(t, positions);
    std::vector<std::string_view> wantFiles = ref::ChapterTexts(text, positions);
    if (files.size() != wantFiles.size()) ref::Fail("number of chapter files", text, input);
    for (std::size_t k = 0; k < files.size(); ++k)
      if (files[k].view() != wantFiles[k]) ref::Fail("chapter file bytes", text, input);
    std::size_t emitted = 0;
    morvane::ForEachChapter(t, positions, [&](int file, const morvane::ByteText& piece) {
      if (file != static_cast<int>(emitted) || emitted >= files.size() ||
          piece.view() != files[emitted].view())
        ref::Fail("ForEachChapter differs from ChapterTexts", text, input);
      ++emitted;
    });
    if (emitted != files.size()) ref::Fail("ForEachChapter left files out", text, input);
  }
  std::string all;
  for (const auto& f : morvane::ChapterTexts(t, starts)) all += f.view();
  if (all != text) ref::Fail("chapter files joined are not the text", text, input);
  return 0;
}
