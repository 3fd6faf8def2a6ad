// SPDX-License-Identifier: MIT
#pragma once
// The parts of an EPUB 3 book made from a chapter map: the text before the first heading
// and each chapter cut at as XHTML (one paragraph a line, in UTF-8), the table of
// contents twice (nav.xhtml, and toc.ncx for readers of EPUB 2), the package document,
// the cover and the closing page with the banner. Pure functions of the map and the
// book's details; epub_writing puts them into the container.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/encoding.h"
#include "engine/chapter_map.h"

namespace morvane {

enum class ImageKind { kNone, kJpeg, kPng };
// What the bytes of a cover image are, by their signature: JPEG, PNG or neither.
ImageKind ImageKindOf(std::string_view bytes);

// What the book says about itself, in UTF-8.
struct BookInfo {
  std::string title;
  std::string author;  // none when empty
  std::string coverBytes;
  ImageKind cover = ImageKind::kNone;
  // Seconds since 1970 (UTC) of the text's last change: the book's dcterms:modified and
  // the time of its entries, so that one text always makes the same bytes.
  std::int64_t modified = 0;
  std::string description;      // on the title page and in the metadata; none when empty
  std::string language = "zh";  // zh-Hans, zh-Hant (book_language.h)
  bool vertical = false;        // written top to bottom, pages turned right to left
  std::string userStyle;        // a style sheet of the user's, after the book's own; or none
};

// What every page of a book shares: its language and whether the user's style sheet is
// linked after the book's own.
struct PageStyle {
  std::string language = "zh";
  bool userStyle = false;
};
PageStyle PageStyleOf(const BookInfo& info);

// One section of the book: the text before the first heading (entry -1) or a chapter
// cut at, up to the next one; heading is where its heading begins, after the volume
// line that opens it, if one does.
struct BookSection {
  std::int64_t begin = 0;
  std::int64_t end = 0;
  std::int64_t heading = 0;
  std::int64_t entry = -1;
  int volume = -1;  // the volume it lies in (an index of map.volumes), or none
};

// Whether the plan has more headings cut at than a book has: on average one in every 256
// bytes of text or fewer (a file of "第1章" lines), beyond the first thousand. Its table of
// contents would cost more memory than the text, and no reader could open it.
bool TooManyHeadingsForBook(const ChapterPlan& plan);

// The sections of a plan: the text before the first heading cut at when it is not blank,
// then every heading cut at (plan.choice.cut), in order.
std::vector<BookSection> SectionsOf(const ChapterPlan& plan);

// XHTML files of a section are at most this long, bar a single character's spill; a
// longer section is split between paragraphs (a paragraph longer than that, between
// characters), because readers slow down on large files.
inline constexpr std::size_t kMostFileBytes = 256 * 1024;

// The section's text as XHTML files, handed to emit one after another: a <p> for each
// line that is not blank, its indentation (blanks, tabs and ideographic spaces at its
// start) left to the style sheet; the volume line <h1>, the heading's line <h2>.
// Characters XML cannot hold are left out (control characters) or shown as U+FFFD (bytes
// that are no character of the encoding).
void RenderSection(const ChapterMap& map, const BookSection& section, std::u16string_view title,
                   const std::function<void(std::string&& xhtml)>& emit,
                   const PageStyle& style = {});

// The title in the table of contents: 前言 before the first heading, else the map's
// title of the heading (the user's, if given).
std::u16string SectionTitle(const ChapterMap& map, const BookSection& section);
// title, or for an empty one "（N）" with the section's number from 1: a reader lists an
// empty title as nothing to click.
std::u16string ShownTitle(std::u16string title, std::size_t index);

// The author from a "作者：" line (or "作者:") near the start of the text, as plain UTF-8
// (not escaped: it is escaped once where the book writes it); empty when there is none.
std::string AuthorOf(const ByteText& text, Encoding encoding);

// Text as escaped XML character data in UTF-8.
std::string XmlText(std::u16string_view text);

// The file of part (from 0) of section index in the book, relative to the package.
std::string SectionFileName(std::size_t index, std::size_t part);

// urn:uuid: a name-based (version 5) UUID of the text's SHA-1 digest, taken in the
// program's own namespace, so the same text is always the same book.
std::string BookIdentifier(const std::array<std::uint8_t, 20>& digest);
// The UUID namespace, hashed ahead of the text.
std::string_view IdentifierNamespace();
// "2024-03-01T08:00:00Z".
std::string W3cTime(std::int64_t seconds);

// The fixed parts.
std::string_view MimeType();
std::string_view ContainerXml();
std::string_view StyleSheet();
// The book's style sheet: StyleSheet(), and for a vertical book the writing mode.
std::string StyleSheetOf(const BookInfo& info);
std::string CoverPage(const BookInfo& info);
std::string BannerPage(const BookInfo& info = {});
// The page that opens the book: its title, author and description.
std::string TitlePage(const BookInfo& info);
std::string CoverImageName(const BookInfo& info);

// The table of contents and the package document: sections with the number of files each
// was rendered into.
struct BookOutline {
  const ChapterMap& map;
  const std::vector<BookSection>& sections;
  const std::vector<std::uint32_t>& parts;
  const BookInfo& info;
  std::string identifier;
};
std::string NavDocument(const BookOutline& book);
std::string NcxDocument(const BookOutline& book);
std::string PackageDocument(const BookOutline& book);

}  // namespace morvane
