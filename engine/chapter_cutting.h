// SPDX-License-Identifier: MIT
#pragma once
// Chapter search ("第" followed within 16 bytes by "章") and the chapter cut.
//
// The markers are found by one scan with character stepping from the first byte (a byte
// of 0x80 or above is taken with the byte after it), so a marker counts only where it
// stands as a character of its own: "第一章第二章" holds two headings, and two bytes
// that straddle two characters never make a marker. Headings pair each "章" with the
// earliest unpaired "第" at most 16 bytes before it.
//
// The chapter cut writes prefix-0.txt (the text before the first heading) and one file
// per heading, prefix-1.txt.., each running up to the next heading.

#include <functional>
#include <vector>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "engine/banner.h"
#include "engine/chapter_map.h"
#include "engine/output_checks.h"
#include "engine/output_naming.h"
#include "engine/output_writing.h"

namespace morvane {

// Largest distance in bytes from the "第" of a heading to its "章".
inline constexpr int kHeadingSpan = 16;

// 1-based positions of the markers, ascending: "第" (B5 DA) and "章" (D5 C2).
struct ChapterMarkers {
  std::vector<int> ordinals;  // "第"
  std::vector<int> chapters;  // "章"
};
ChapterMarkers FindChapterMarkers(const ByteText& text);

// Pairs the markers into headings: the positions of the "第" that start one. A "章"
// before every unpaired "第" is passed over; a "第" with no "章" within the span starts
// none; the walk ends when either list is used up.
std::vector<int> PairHeadings(const std::vector<int>& ordinals, const std::vector<int>& chapters);

// The chapter search: the 1-based positions of the headings of text, ascending. In
// encodings other than GBK and GB18030 the span is the GBK length of the characters from
// the "第" to the "章" (2 for a character beyond ASCII, 1 for ASCII), so that a text and
// its GBK copy give the same headings.
std::vector<int> FindChapterStarts(const ByteText& text, Encoding encoding = Encoding::kGbk);
// The same search handing each heading to found as soon as it is paired, keeping no list
// of markers or headings.
void ForEachChapterStart(const ByteText& text, Encoding encoding,
                         const std::function<void(int position)>& found);

// The texts of the chapter files for the given heading positions: file 0 holds the bytes
// before the first heading (the whole text when there is none), file k the bytes from
// heading k to the byte before heading k + 1 or the end. Positions that do not belong to
// text are applied as they are (a piece is empty where the text ends first).
std::vector<ByteText> ChapterTexts(const ByteText& text, const std::vector<int>& starts);

// Calls emit(k, piece) for the chapter files 0..starts.size() in order, as ChapterTexts.
void ForEachChapter(const ByteText& text, const std::vector<int>& starts,
                    const std::function<void(int file, const ByteText& piece)>& emit);

// Writes the chapter files prefix-0.txt .. prefix-N.txt (N headings), each followed by
// banner.
WriteReport WriteChapters(const OutputTarget& target, const ByteText& text,
                          const std::vector<int>& starts, const ByteText& banner,
                          Progress* progress = nullptr);
// The same between the form's byte-order mark and banner.
WriteReport WriteChapters(const OutputTarget& target, const ByteText& text,
                          const std::vector<int>& starts, const OutputForm& form,
                          Progress* progress = nullptr);

// The number of headings of text, found without keeping them.
int CountChapterStarts(const ByteText& text, Encoding encoding);
// The chapter files of text's headings (in the form's encoding), written as the search
// finds the headings: the same files as WriteChapters with FindChapterStarts, while
// memory holds neither markers nor headings, however many the text has.
WriteReport WriteChaptersAsFound(const OutputTarget& target, const ByteText& text,
                                 const OutputForm& form, Progress* progress = nullptr);

// Writes the files of a corrected map into folder, in order, each holding the form's
// byte-order mark, its bytes of text and the form's banner.
WriteReport WriteChapterFiles(const Path& folder, const ByteText& text, const ChapterFiles& files,
                              const OutputForm& form, Progress* progress = nullptr);

// The check before the files of a corrected map are written: numbered names as any cut's,
// title names each looked at.
OutputPlan OutputPlanOf(const OutputTarget& target, const ChapterFiles& files,
                        const ChapterChoice& choice);

}  // namespace morvane
