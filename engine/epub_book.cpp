// SPDX-License-Identifier: MIT
#include "engine/epub_book.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <span>
#include <unordered_map>

#include "engine/banner.h"

namespace morvane {
namespace {

// A heading's line longer than this is a paragraph that holds a heading (the written
// rule finds "第…章" anywhere), not a heading to show as one.
constexpr std::size_t kHeadingCharacters = 60;
// Source bytes decoded at a time: a chapter of any size is rendered in pieces.
constexpr std::size_t kDecodeBytes = 64 * 1024;

bool IsSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

// Escaped, in UTF-8; control characters (which XML cannot hold, or an XHTML reader
// would show as boxes) left out, noncharacters and lone surrogates as U+FFFD.
void AppendXml(std::string& out, char32_t c) {
  switch (c) {
    case '&':
      out += "&amp;";
      return;
    case '<':
      out += "&lt;";
      return;
    case '>':
      out += "&gt;";
      return;
    default:
      break;
  }
  if ((c < 0x20 && c != '\t') || (c >= 0x7F && c <= 0x9F)) return;
  if (IsSurrogate(c) || c == 0xFFFE || c == 0xFFFF || c > 0x10FFFF) c = 0xFFFD;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The code point at units[i] (a surrogate pair taken whole), and how many units it took.
char32_t CodePointAt(std::u16string_view units, std::size_t i, std::size_t& taken) {
  const char16_t unit = units[i];
  taken = 1;
  if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
      units[i + 1] <= 0xDFFF) {
    taken = 2;
    return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (units[i + 1] - 0xDC00);
  }
  return unit;
}

bool IsIndentation(char32_t c) {
  return c == ' ' || c == '\t' || c == 0x3000 || c == 0xA0;
}

// Whether the character shows nothing: a line of only these is blank.
bool IsBlank(char32_t c) {
  return IsIndentation(c) || c == '\r' || c == '\n' || c < 0x20 || c == 0xFEFF;
}

// Decoded text of bytes [from, to) of text, in pieces that end at character boundaries;
// each piece with the unit offsets of its stand-ins for undecodable bytes. Stops when piece
// returns false.
template <typename Piece>
void DecodeRange(const ChapterMap& map, std::int64_t from, std::int64_t to, Piece piece) {
  const std::string_view text = map.text.view();
  auto at = static_cast<std::size_t>(from);
  const auto end = static_cast<std::size_t>(to);
  while (at < end) {
    std::size_t stop = std::min(end, at + kDecodeBytes);
    if (stop < end) stop = std::min(end, BoundaryAtOrAfter(map.encoding, text, stop, at));
    const DecodedText decoded = Decode(map.encoding, text.substr(at, stop - at));
    if (!piece(std::u16string_view(decoded.text), std::span(decoded.standIns))) return;
    at = stop;
  }
}

bool BlankRange(const ChapterMap& map, std::int64_t from, std::int64_t to) {
  bool blank = true;
  DecodeRange(map, from, to, [&](std::u16string_view units, std::span<const std::uint32_t>) {
    for (std::size_t i = 0; i < units.size(); ++i) {
      if (!IsBlank(units[i])) {
        blank = false;
        return false;
      }
    }
    return true;
  });
  return blank;
}

std::string PageHead(std::u16string_view title, const PageStyle& style) {
  std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
      "<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"" +
      style.language + "\" lang=\"" + style.language +
      "\">\n<head>\n"
      "<title>" +
      XmlText(title) +
      "</title>\n<link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\"/>\n";
  if (style.userStyle) {
    head += "<link rel=\"stylesheet\" type=\"text/css\" href=\"user.css\"/>\n";
  }
  return head + "</head>\n<body>\n";
}

constexpr std::string_view kPageTail = "</body>\n</html>\n";

// The lines of a section as paragraphs, gathered into files of at most kMostFileBytes.
class SectionPages {
 public:
  enum class Kind { kVolume, kHeading, kBody };

  SectionPages(std::u16string_view title, const std::function<void(std::string&&)>& emit,
               const PageStyle& style)
      : head_(PageHead(title, style)), emit_(emit) {
    const std::size_t frame = head_.size() + kPageTail.size();
    limit_ = kMostFileBytes > frame + 1024 ? kMostFileBytes - frame : 1024;
  }

  void Begin(Kind kind) {
    EndLine();
    kind_ = kind;
    afterVolume_ = afterVolume_ || kind == Kind::kVolume;
  }

  void Feed(std::u16string_view units, std::span<const std::uint32_t> standIns) {
    for (std::size_t i = 0; i < units.size();) {
      std::size_t taken = 1;
      // A byte that is no character (the callers refuse such texts before) is shown as
      // the replacement character.
      while (!standIns.empty() && standIns.front() < i) standIns = standIns.subspan(1);
      const bool standIn = !standIns.empty() && standIns.front() == i;
      char32_t c = standIn ? 0xFFFD : CodePointAt(units, i, taken);
      i += taken;
      if (c == '\r' || c == '\n') {
        if (!(c == '\n' && cr_)) EndLine();
        cr_ = c == '\r';
        continue;
      }
      cr_ = false;
      if (line_.empty() && !continued_ && IsIndentation(c)) {
        indented_ = true;
        continue;
      }
      AppendXml(line_, c);
      ++characters_;
      // Room for the paragraph's tags.
      if (line_.size() + 32 >= limit_) {
        EndLine();
        Emit();
        continued_ = true;
      }
    }
  }

  // The last file; a section always has one, even when it turns out empty.
  void Finish() {
    EndLine();
    if (!body_.empty() || files_ == 0) Emit();
  }

 private:
  void EndLine() {
    const bool continued = continued_;
    const bool indented = indented_;
    continued_ = false;
    indented_ = false;
    if (line_.empty()) return;
    std::string_view open = "<p class=\"n\">";
    std::string_view close = "</p>\n";
    // After a volume line, the table of contents links the chapter to its heading, which
    // the file's start (the volume's link) precedes.
    const bool anchored = kind_ == Kind::kHeading && afterVolume_;
    if (kind_ == Kind::kVolume) {
      open = "<h1>";
      close = "</h1>\n";
    } else if (kind_ == Kind::kHeading && !continued && characters_ <= kHeadingCharacters) {
      open = anchored ? "<h2 id=\"h\">" : "<h2>";
      close = "</h2>\n";
    } else if (continued) {
      open = anchored ? "<p class=\"c\" id=\"h\">" : "<p class=\"c\">";
    } else if (indented) {
      open = anchored ? "<p id=\"h\">" : "<p>";
    } else if (anchored) {
      open = "<p class=\"n\" id=\"h\">";
    }
    if (kind_ == Kind::kHeading) kind_ = Kind::kBody;
    characters_ = 0;
    if (!body_.empty() && body_.size() + open.size() + line_.size() + close.size() > limit_) {
      Emit();
    }
    body_ += open;
    body_ += line_;
    body_ += close;
    line_.clear();
  }

  void Emit() {
    std::string page;
    page.reserve(head_.size() + body_.size() + kPageTail.size());
    page += head_;
    page += body_;
    page += kPageTail;
    body_.clear();
    ++files_;
    emit_(std::move(page));
  }

  std::string head_;
  const std::function<void(std::string&&)>& emit_;
  std::size_t limit_ = 0;
  std::string body_;
  std::string line_;
  Kind kind_ = Kind::kBody;
  bool cr_ = false;
  bool indented_ = false;
  bool continued_ = false;  // the line goes on from the file before
  bool afterVolume_ = false;
  std::size_t characters_ = 0;  // of the line at hand
  std::size_t files_ = 0;
};

std::string Utf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t taken = 1;
    const char32_t c = CodePointAt(text, i, taken);
    i += taken;
    AppendXml(out, c);
  }
  return out;
}

std::string Href(std::size_t index) {
  return SectionFileName(index, 0);
}

}  // namespace

// A title that shows: a reader lists an empty one as nothing to click.
std::u16string ShownTitle(std::u16string title, std::size_t index) {
  if (title.empty()) {
    const std::string number = "（" + std::to_string(index + 1) + "）";
    const DecodedText decoded = Decode(Encoding::kUtf8, number);
    return decoded.text;
  }
  return title;
}

namespace {

// One row of a table of contents: a section, or a volume with the sections it holds.
struct TocRow {
  std::string label;  // escaped
  std::string href;
  std::vector<TocRow> children;
};

// Back matter is the book's, not the last volume's (IsBackMatter): the table of contents
// lists it at its top level.
std::vector<TocRow> TocRows(const BookOutline& book) {
  std::vector<TocRow> rows;
  int volume = -1;
  for (std::size_t s = 0; s < book.sections.size(); ++s) {
    const BookSection& section = book.sections[s];
    TocRow row{XmlText(ShownTitle(SectionTitle(book.map, section), s)),
               Href(s) + (section.heading > section.begin ? "#h" : ""),
               {}};
    if (section.volume < 0 || section.entry < 0 || IsBackMatter(SectionTitle(book.map, section))) {
      volume = -1;
      rows.push_back(std::move(row));
      continue;
    }
    const Volume& opened = book.map.volumes[static_cast<std::size_t>(section.volume)];
    if (section.volume != volume) {
      volume = section.volume;
      TocRow head{
          XmlText(ShownTitle(book.map.VolumeTitle(static_cast<std::size_t>(section.entry)), s)),
          Href(s),
          {}};
      rows.push_back(std::move(head));
    }
    // A volume line standing as a chapter of its own is the volume's row itself.
    if (section.begin == opened.offset && section.heading == section.begin) continue;
    rows.back().children.push_back(std::move(row));
  }
  return rows;
}

void NavRows(std::string& out, const std::vector<TocRow>& rows) {
  out += "<ol>\n";
  for (const TocRow& row : rows) {
    out += "<li><a href=\"" + row.href + "\">" + row.label + "</a>";
    if (!row.children.empty()) {
      out += "\n";
      NavRows(out, row.children);
    }
    out += "</li>\n";
  }
  out += "</ol>\n";
}

void NcxRows(std::string& out, const std::vector<TocRow>& rows,
             std::unordered_map<std::string, int>& orders, int& point) {
  for (const TocRow& row : rows) {
    // Readers of EPUB 2 require one play order per target.
    const auto [at, added] = orders.try_emplace(row.href, static_cast<int>(orders.size()) + 1);
    (void)added;
    out += "<navPoint id=\"p" + std::to_string(++point) + "\" playOrder=\"" +
           std::to_string(at->second) + "\"><navLabel><text>" + row.label +
           "</text></navLabel><content src=\"" + row.href + "\"/>";
    if (!row.children.empty()) {
      out += "\n";
      NcxRows(out, row.children, orders, point);
    }
    out += "</navPoint>\n";
  }
}

std::string BookTitle(const BookInfo& info) {
  return info.title.empty() ? std::string("未命名") : info.title;
}

// Escaped UTF-8 of UTF-8 given by the user.
std::string XmlOfUtf8(const std::string& utf8) {
  return XmlText(Decode(Encoding::kUtf8, utf8).text);
}

}  // namespace

ImageKind ImageKindOf(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xD8\xFF")) return ImageKind::kJpeg;
  if (bytes.starts_with(std::string_view("\x89PNG\r\n\x1A\n", 8))) return ImageKind::kPng;
  return ImageKind::kNone;
}

bool TooManyHeadingsForBook(const ChapterPlan& plan) {
  std::int64_t cut = 0;
  for (std::size_t i = 0; i < plan.map.size(); ++i) {
    cut += i >= plan.choice.cut.size() || plan.choice.cut[i] ? 1 : 0;
  }
  return cut > 1000 && cut > plan.map.textBytes() / 256;
}

std::vector<BookSection> SectionsOf(const ChapterPlan& plan) {
  const ChapterMap& map = plan.map;
  std::vector<std::size_t> cut;
  for (std::size_t i = 0; i < map.size(); ++i) {
    if (i >= plan.choice.cut.size() || plan.choice.cut[i]) cut.push_back(i);
  }
  std::vector<BookSection> sections;
  const std::int64_t first = cut.empty() ? map.textBytes() : map.entries[cut.front()].offset();
  if (!BlankRange(map, 0, first)) sections.push_back({0, first, 0, -1, -1});
  for (std::size_t k = 0; k < cut.size(); ++k) {
    const std::size_t i = cut[k];
    BookSection section;
    section.begin = map.entries[i].offset();
    section.end = k + 1 < cut.size() ? map.entries[cut[k + 1]].offset() : map.textBytes();
    section.heading = map.HeadingOffset(i);
    section.entry = static_cast<std::int64_t>(i);
    const auto after =
        std::upper_bound(map.volumes.begin(), map.volumes.end(), section.begin,
                         [](std::int64_t at, const Volume& volume) { return at < volume.offset; });
    section.volume = static_cast<int>(after - map.volumes.begin()) - 1;
    sections.push_back(section);
  }
  return sections;
}

void RenderSection(const ChapterMap& map, const BookSection& section, std::u16string_view title,
                   const std::function<void(std::string&&)>& emit, const PageStyle& style) {
  SectionPages pages(title, emit, style);
  const auto feed = [&](std::u16string_view units, std::span<const std::uint32_t> standIns) {
    pages.Feed(units, standIns);
    return true;
  };
  if (section.entry >= 0) {
    if (section.heading > section.begin) {
      pages.Begin(SectionPages::Kind::kVolume);
      DecodeRange(map, section.begin, section.heading, feed);
    }
    pages.Begin(SectionPages::Kind::kHeading);
    DecodeRange(map, section.heading, section.end, feed);
  } else {
    DecodeRange(map, section.begin, section.end, feed);
  }
  pages.Finish();
}

std::u16string SectionTitle(const ChapterMap& map, const BookSection& section) {
  if (section.entry < 0) return u"前言";
  return map.Title(static_cast<std::size_t>(section.entry));
}

std::string AuthorOf(const ByteText& text, Encoding encoding) {
  // Near the start: within the first lines a site or an uploader puts before the text.
  constexpr std::size_t kLooked = 4096;
  const std::string_view bytes = text.view();
  const std::size_t end =
      bytes.size() <= kLooked ? bytes.size() : BoundaryAtOrAfter(encoding, bytes, kLooked);
  const std::u16string start = Decode(encoding, bytes.substr(0, end)).text;
  std::size_t at = 0;
  while ((at = start.find(u"作者", at)) != std::u16string::npos) {
    at += 2;
    std::size_t i = at;
    while (i < start.size() && IsIndentation(start[i])) ++i;
    if (i >= start.size() || (start[i] != u'：' && start[i] != u':')) continue;
    ++i;
    while (i < start.size() && IsIndentation(start[i])) ++i;
    std::size_t stop = start.find_first_of(u"\r\n", i);
    if (stop == std::u16string::npos) stop = start.size();
    while (stop > i && IsIndentation(start[stop - 1])) --stop;
    if (stop > i && stop - i <= 40) {
      // Plain UTF-8, as if the user had typed it: the book escapes it where it is written.
      std::string author;
      for (std::size_t k = i; k < stop;) {
        std::size_t taken = 1;
        author += Utf8Of(CodePointAt(start, k, taken));
        k += taken;
      }
      return author;
    }
  }
  return {};
}

std::string XmlText(std::u16string_view text) {
  return Utf8(text);
}

std::string SectionFileName(std::size_t index, std::size_t part) {
  std::string name = "c" + std::to_string(index);
  if (part > 0) name += "-" + std::to_string(part);
  return name + ".xhtml";
}

std::string_view IdentifierNamespace() {
  // Made once for this program, so its identifiers are its own.
  static constexpr char kNamespace[] =
      "\x6f\x0c\x3e\x2a\x4b\x1d\x4c\x7e\x9a\x8f\x2d\x4b\x6e\x8a\x0c\x1e";
  return {kNamespace, 16};
}

std::string BookIdentifier(const std::array<std::uint8_t, 20>& digest) {
  std::array<std::uint8_t, 16> id{};
  std::copy_n(digest.begin(), id.size(), id.begin());
  id[6] = static_cast<std::uint8_t>((id[6] & 0x0F) | 0x50);
  id[8] = static_cast<std::uint8_t>((id[8] & 0x3F) | 0x80);
  std::string text = "urn:uuid:";
  char hex[3];
  for (std::size_t i = 0; i < id.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    std::snprintf(hex, sizeof hex, "%02x", id[i]);
    text += hex;
  }
  return text;
}

std::string W3cTime(std::int64_t seconds) {
  using namespace std::chrono;
  const sys_seconds time{std::chrono::seconds(seconds)};
  const sys_days day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss clock{time - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()));
  return text;
}

std::string_view MimeType() {
  return "application/epub+zip";
}

std::string_view ContainerXml() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
         "<rootfiles>\n"
         "<rootfile full-path=\"OEBPS/content.opf\" "
         "media-type=\"application/oebps-package+xml\"/>\n"
         "</rootfiles>\n</container>\n";
}

std::string_view StyleSheet() {
  return "body { margin: 0 0.5em; }\n"
         "p { text-indent: 2em; margin: 0.4em 0; line-height: 1.6; }\n"
         "p.n, p.c { text-indent: 0; }\n"
         "h1, h2 { text-align: center; margin: 1em 0; }\n"
         "div.cover { text-align: center; }\n"
         "div.cover img { max-width: 100%; max-height: 100%; }\n"
         "div.title { text-align: center; margin: 3em 0 2em; }\n"
         "p.author { text-indent: 0; text-align: center; }\n";
}

std::string CoverImageName(const BookInfo& info) {
  return info.cover == ImageKind::kPng ? "cover.png" : "cover.jpg";
}

std::string StyleSheetOf(const BookInfo& info) {
  std::string sheet(StyleSheet());
  if (info.vertical) {
    // Lines top to bottom, right to left; the margins turn with them.
    sheet +=
        "html { writing-mode: vertical-rl; -epub-writing-mode: vertical-rl; "
        "-webkit-writing-mode: vertical-rl; }\n"
        "body { margin: 0.5em 0; }\n";
  }
  return sheet;
}

PageStyle PageStyleOf(const BookInfo& info) {
  return {info.language, !info.userStyle.empty()};
}

std::string TitlePage(const BookInfo& info) {
  std::string page = PageHead(u"书名页", PageStyleOf(info)) + "<div class=\"title\">\n<h1>" +
                     XmlOfUtf8(BookTitle(info)) + "</h1>\n";
  if (!info.author.empty()) page += "<p class=\"author\">" + XmlOfUtf8(info.author) + "</p>\n";
  page += "</div>\n";
  if (!info.description.empty()) {
    page += "<h2>简介</h2>\n";
    std::size_t at = 0;
    while (at <= info.description.size()) {
      std::size_t end = info.description.find('\n', at);
      if (end == std::string::npos) end = info.description.size();
      const std::string line = info.description.substr(at, end - at);
      if (!line.empty()) page += "<p>" + XmlOfUtf8(line) + "</p>\n";
      at = end + 1;
    }
  }
  return page + std::string(kPageTail);
}

std::string CoverPage(const BookInfo& info) {
  return PageHead(u"封面", PageStyleOf(info)) + "<div class=\"cover\"><img src=\"" +
         CoverImageName(info) + "\" alt=\"封面\"/></div>\n" + std::string(kPageTail);
}

std::string BannerPage(const BookInfo& info) {
  const std::u16string banner = Decode(Encoding::kGbk, BannerConstant().view()).text;
  return PageHead(u"关于", PageStyleOf(info)) + "<p class=\"n\">" + XmlText(banner) + "</p>\n" +
         std::string(kPageTail);
}

std::string NavDocument(const BookOutline& book) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
      "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\" "
      "xml:lang=\"" +
      book.info.language + "\" lang=\"" + book.info.language +
      "\">\n<head>\n<title>目录</title>\n"
      "<link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\"/>\n" +
      (book.info.userStyle.empty()
           ? std::string()
           : std::string("<link rel=\"stylesheet\" type=\"text/css\" href=\"user.css\"/>\n")) +
      "</head>\n<body>\n<nav epub:type=\"toc\" id=\"toc\">\n<h1>目录</h1>\n";
  const std::vector<TocRow> rows = TocRows(book);
  if (rows.empty()) {
    // A nav must list something: a book with nothing but its closing page lists that.
    out += "<ol>\n<li><a href=\"about.xhtml\">关于</a></li>\n</ol>\n";
  } else {
    NavRows(out, rows);
  }
  out += "</nav>\n</body>\n</html>\n";
  return out;
}

std::string NcxDocument(const BookOutline& book) {
  std::vector<TocRow> rows = TocRows(book);
  if (rows.empty()) rows.push_back({"关于", "about.xhtml", {}});
  bool nested = false;
  for (const TocRow& row : rows) nested = nested || !row.children.empty();
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<ncx xmlns=\"http://www.daisy.org/z3986/2005/ncx/\" version=\"2005-1\" xml:lang=\"" +
      book.info.language +
      "\">\n"
      "<head>\n<meta name=\"dtb:uid\" content=\"" +
      book.identifier + "\"/>\n<meta name=\"dtb:depth\" content=\"" + (nested ? "2" : "1") +
      "\"/>\n<meta name=\"dtb:totalPageCount\" content=\"0\"/>\n"
      "<meta name=\"dtb:maxPageNumber\" content=\"0\"/>\n</head>\n<docTitle><text>" +
      XmlOfUtf8(BookTitle(book.info)) + "</text></docTitle>\n<navMap>\n";
  std::unordered_map<std::string, int> orders;
  int point = 0;
  NcxRows(out, rows, orders, point);
  out += "</navMap>\n</ncx>\n";
  return out;
}

std::string PackageDocument(const BookOutline& book) {
  const bool cover = book.info.cover != ImageKind::kNone;
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" "
      "unique-identifier=\"id\" xml:lang=\"" +
      book.info.language +
      "\">\n"
      "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
      "<dc:identifier id=\"id\">" +
      book.identifier + "</dc:identifier>\n<dc:title>" + XmlOfUtf8(BookTitle(book.info)) +
      "</dc:title>\n";
  if (!book.info.author.empty()) {
    out += "<dc:creator>" + XmlOfUtf8(book.info.author) + "</dc:creator>\n";
  }
  if (!book.info.description.empty()) {
    out += "<dc:description>" + XmlOfUtf8(book.info.description) + "</dc:description>\n";
  }
  out += "<dc:language>" + book.info.language +
         "</dc:language>\n<meta property=\"dcterms:modified\">" + W3cTime(book.info.modified) +
         "</meta>\n";
  if (cover) out += "<meta name=\"cover\" content=\"cover-image\"/>\n";
  out +=
      "</metadata>\n<manifest>\n"
      "<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" "
      "properties=\"nav\"/>\n"
      "<item id=\"ncx\" href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\"/>\n"
      "<item id=\"css\" href=\"style.css\" media-type=\"text/css\"/>\n"
      "<item id=\"title\" href=\"title.xhtml\" media-type=\"application/xhtml+xml\"/>\n";
  if (!book.info.userStyle.empty()) {
    out += "<item id=\"user-css\" href=\"user.css\" media-type=\"text/css\"/>\n";
  }
  if (cover) {
    out += "<item id=\"cover-image\" href=\"" + CoverImageName(book.info) + "\" media-type=\"" +
           (book.info.cover == ImageKind::kPng ? "image/png" : "image/jpeg") +
           "\" properties=\"cover-image\"/>\n"
           "<item id=\"cover\" href=\"cover.xhtml\" media-type=\"application/xhtml+xml\"/>\n";
  }
  std::string spine = book.info.vertical
                          ? "<spine toc=\"ncx\" page-progression-direction=\"rtl\">\n"
                          : "<spine toc=\"ncx\">\n";
  if (cover) spine += "<itemref idref=\"cover\"/>\n";
  spine += "<itemref idref=\"title\"/>\n";
  for (std::size_t s = 0; s < book.sections.size(); ++s) {
    for (std::size_t part = 0; part < book.parts[s]; ++part) {
      std::string name = SectionFileName(s, part);
      const std::string id = name.substr(0, name.size() - 6);
      out +=
          "<item id=\"" + id + "\" href=\"" + name + "\" media-type=\"application/xhtml+xml\"/>\n";
      spine += "<itemref idref=\"" + id + "\"/>\n";
    }
  }
  out += "<item id=\"about\" href=\"about.xhtml\" media-type=\"application/xhtml+xml\"/>\n";
  spine += "<itemref idref=\"about\"/>\n</spine>\n";
  out += "</manifest>\n" + spine + "</package>\n";
  return out;
}

}  // namespace morvane
