// SPDX-License-Identifier: MIT
#include "engine/epub_writing.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include <minizip/zip.h>

#include "core/digest.h"

namespace morvane {
namespace {

// Deflated chapter files waiting for their turn: beyond this, a thread that runs ahead
// waits for the container to take them.
constexpr std::size_t kAheadBytes = 32u << 20;
// The container's bytes go to the file in parts of about this size.
constexpr std::size_t kPartBytes = 1u << 20;

// One XHTML file of a section, deflated.
struct Entry {
  std::string deflated;
  uLong crc = 0;
  std::size_t bytes = 0;
};

// Raw deflate (no zlib header), as a ZIP entry holds it; one stream reused for every file.
class Deflater {
 public:
  Deflater() {
    if (deflateInit2(&stream_, kEpubLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      throw std::bad_alloc();
  }
  ~Deflater() { deflateEnd(&stream_); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  Entry Deflate(const std::string& bytes) {
    Entry entry;
    entry.bytes = bytes.size();
    entry.crc =
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
    deflateReset(&stream_);
    entry.deflated.resize(deflateBound(&stream_, static_cast<uLong>(bytes.size())));
    stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream_.avail_in = static_cast<uInt>(bytes.size());
    stream_.next_out = reinterpret_cast<Bytef*>(entry.deflated.data());
    stream_.avail_out = static_cast<uInt>(entry.deflated.size());
    if (deflate(&stream_, Z_FINISH) != Z_STREAM_END) throw std::bad_alloc();
    entry.deflated.resize(entry.deflated.size() - stream_.avail_out);
    return entry;
  }

 private:
  z_stream stream_{};
};

// Where minizip writes: the container's bytes since the last part handed to the file.
// minizip goes back only into the entry it is writing (to fill in its sizes), so the
// bytes before an entry it has finished can go.
struct Sink {
  std::string pending;
  std::uint64_t base = 0;  // offset of pending's first byte in the container
  std::uint64_t at = 0;

  void Flushed() {
    base += pending.size();
    pending.clear();
  }

  static voidpf Open(voidpf opaque, const void*, int) { return opaque; }
  static uLong Read(voidpf, voidpf, void*, uLong) { return 0; }
  static uLong Write(voidpf, voidpf stream, const void* bytes, uLong size) {
    Sink& sink = *static_cast<Sink*>(stream);
    if (sink.at < sink.base) return 0;
    const auto offset = static_cast<std::size_t>(sink.at - sink.base);
    if (offset > sink.pending.size()) return 0;
    if (offset + size > sink.pending.size()) sink.pending.resize(offset + size);
    std::memcpy(sink.pending.data() + offset, bytes, size);
    sink.at += size;
    return size;
  }
  static ZPOS64_T Tell(voidpf, voidpf stream) { return static_cast<Sink*>(stream)->at; }
  static long Seek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    Sink& sink = *static_cast<Sink*>(stream);
    std::uint64_t to = offset;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) to = sink.at + offset;
    if (origin == ZLIB_FILEFUNC_SEEK_END) to = sink.base + sink.pending.size() + offset;
    if (to < sink.base || to > sink.base + sink.pending.size()) return -1;
    sink.at = to;
    return 0;
  }
  static int Close(voidpf, voidpf) { return 0; }
  static int Error(voidpf, voidpf) { return 0; }
};

// The time of every entry: the text's, as the ZIP format holds it (local time from 1980,
// taken here as UTC, so that the bytes are the same wherever the book is made).
zip_fileinfo EntryTime(std::int64_t seconds) {
  using namespace std::chrono;
  const sys_seconds time{std::chrono::seconds(std::max<std::int64_t>(seconds, 315532800))};
  const sys_days day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss clock{time - day};
  zip_fileinfo info{};
  info.tmz_date.tm_year = std::min(static_cast<int>(date.year()), 2107);
  info.tmz_date.tm_mon = static_cast<unsigned>(date.month()) - 1;
  info.tmz_date.tm_mday = static_cast<unsigned>(date.day());
  info.tmz_date.tm_hour = static_cast<uInt>(clock.hours().count());
  info.tmz_date.tm_min = static_cast<uInt>(clock.minutes().count());
  info.tmz_date.tm_sec = static_cast<uInt>(clock.seconds().count());
  return info;
}

struct Stopped {};

// The sections rendered and deflated on worker threads, taken by the container in order.
class Renderers {
 public:
  Renderers(const ChapterMap& map, const std::vector<BookSection>& sections, PageStyle style)
      : map_(map), sections_(sections), style_(std::move(style)) {
    const unsigned cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    for (unsigned k = 0; k < cores; ++k) {
      try {
        threads_.emplace_back([this] { Serve(); });
      } catch (const std::system_error&) {
        break;  // fewer threads, or none: the container's thread renders then
      }
    }
  }
  ~Renderers() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) thread.join();
  }
  Renderers(const Renderers&) = delete;
  Renderers& operator=(const Renderers&) = delete;

  // The next file of section s, in order; nothing once the section is over. Sections are
  // taken one after another, from the first.
  std::optional<Entry> Take(std::size_t s) {
    std::unique_lock lock(mutex_);
    if (current_ != s) {
      current_ = s;
      changed_.notify_all();
    }
    if (threads_.empty()) {
      lock.unlock();
      if (!rendered_) {
        if (!deflater_) deflater_.emplace();
        Render(s, *deflater_);  // everything goes into the slot at once
      }
      lock.lock();
    }
    for (;;) {
      if (failed_) throw std::bad_alloc();
      Slot& slot = slots_[s];
      if (!slot.entries.empty()) {
        Entry entry = std::move(slot.entries.front());
        slot.entries.pop_front();
        ahead_ -= entry.deflated.size();
        changed_.notify_all();
        return entry;
      }
      if (slot.done) {
        slots_.erase(s);
        rendered_ = false;
        return std::nullopt;
      }
      changed_.wait(lock);
    }
  }

 private:
  struct Slot {
    std::deque<Entry> entries;
    bool done = false;
  };

  void Serve() {
    try {
      // One stream per thread, kept for all its sections (not thread_local: MinGW's
      // emulated thread-local storage frees such objects wrongly at the thread's end).
      Deflater deflater;
      for (;;) {
        const std::size_t s = next_.fetch_add(1);
        if (s >= sections_.size()) return;
        Render(s, deflater);
      }
    } catch (const Stopped&) {
    } catch (...) {
      std::lock_guard lock(mutex_);
      failed_ = true;
      changed_.notify_all();
    }
  }

  void Render(std::size_t s, Deflater& deflater) {
    if (threads_.empty()) {
      rendered_ = true;
      next_ = s + 1;
    }
    const BookSection& section = sections_[s];
    const std::function<void(std::string &&)> emit = [&](std::string&& page) {
      Entry entry = deflater.Deflate(page);
      std::unique_lock lock(mutex_);
      // The thread with the section the container waits for never waits itself.
      changed_.wait(lock, [&] { return stop_ || s == current_ || ahead_ < kAheadBytes; });
      if (stop_) throw Stopped();
      ahead_ += entry.deflated.size();
      slots_[s].entries.push_back(std::move(entry));
      changed_.notify_all();
    };
    RenderSection(map_, section, ShownTitle(SectionTitle(map_, section), s), emit, style_);
    std::lock_guard lock(mutex_);
    slots_[s].done = true;
    changed_.notify_all();
  }

  const ChapterMap& map_;
  const std::vector<BookSection>& sections_;
  const PageStyle style_;
  std::vector<std::thread> threads_;
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::size_t, Slot> slots_;
  std::size_t ahead_ = 0;
  std::size_t current_ = 0;
  bool stop_ = false;
  bool failed_ = false;
  bool rendered_ = false;             // without threads: the current section is in its slot
  std::optional<Deflater> deflater_;  // without threads: the container's thread's
};

// The container, made as the file asks for its parts.
class Container {
 public:
  Container(const ChapterPlan& plan, const BookInfo& info, Progress* progress)
      : map_(plan.map),
        info_(info),
        progress_(progress),
        sections_(SectionsOf(plan)),
        parts_(sections_.size(), 0),
        time_(EntryTime(info.modified)) {
    sha_.Update(IdentifierNamespace());
  }
  ~Container() {
    if (zip_ != nullptr) zipClose(zip_, nullptr);
  }
  Container(const Container&) = delete;
  Container& operator=(const Container&) = delete;

  NextPart Next() {
    sink_.Flushed();
    try {
      switch (stage_) {
        case Stage::kStart:
          Start();
          stage_ = Stage::kSections;
          break;
        case Stage::kSections:
          while (section_ < sections_.size() && sink_.pending.size() < kPartBytes) {
            if (!NextEntry()) return {{}, false, true};
          }
          if (section_ == sections_.size()) stage_ = Stage::kEnd;
          break;
        case Stage::kEnd:
          End();
          stage_ = Stage::kDone;
          break;
        case Stage::kDone:
          return {{}, true};
      }
    } catch (...) {
      // Out of memory, or minizip refused: the file is not written.
      return {{}, false, true};
    }
    return {sink_.pending, false, false, true};
  }

 private:
  enum class Stage { kStart, kSections, kEnd, kDone };

  void Add(const char* name, std::string_view bytes, bool deflated = true) {
    const int method = deflated ? Z_DEFLATED : 0;
    const int level = deflated ? kEpubLevel : 0;
    if (zipOpenNewFileInZip4_64(zip_, name, &time_, nullptr, 0, nullptr, 0, nullptr, method, level,
                                0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, nullptr, 0, 0, 0,
                                0) != ZIP_OK ||
        zipWriteInFileInZip(zip_, bytes.data(), static_cast<unsigned>(bytes.size())) != ZIP_OK ||
        zipCloseFileInZip(zip_) != ZIP_OK) {
      throw std::bad_alloc();
    }
  }

  void AddDeflated(const std::string& name, const Entry& entry) {
    if (zipOpenNewFileInZip4_64(zip_, name.c_str(), &time_, nullptr, 0, nullptr, 0, nullptr,
                                Z_DEFLATED, kEpubLevel, 1, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY,
                                nullptr, 0, 0, 0, 0) != ZIP_OK ||
        zipWriteInFileInZip(zip_, entry.deflated.data(),
                            static_cast<unsigned>(entry.deflated.size())) != ZIP_OK ||
        zipCloseFileInZipRaw64(zip_, entry.bytes, entry.crc) != ZIP_OK) {
      throw std::bad_alloc();
    }
  }

  void Start() {
    zlib_filefunc64_def functions{};
    functions.zopen64_file = &Sink::Open;
    functions.zread_file = &Sink::Read;
    functions.zwrite_file = &Sink::Write;
    functions.ztell64_file = &Sink::Tell;
    functions.zseek64_file = &Sink::Seek;
    functions.zclose_file = &Sink::Close;
    functions.zerror_file = &Sink::Error;
    functions.opaque = &sink_;
    zip_ = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &functions);
    if (zip_ == nullptr) throw std::bad_alloc();
    // A reader knows the book by its first entry, stored: the media type.
    Add("mimetype", MimeType(), false);
    Add("META-INF/container.xml", ContainerXml());
    Add("OEBPS/style.css", StyleSheetOf(info_));
    if (!info_.userStyle.empty()) Add("OEBPS/user.css", info_.userStyle);
    if (info_.cover != ImageKind::kNone) {
      // An image is compressed already.
      Add(("OEBPS/" + CoverImageName(info_)).c_str(), info_.coverBytes, false);
      Add("OEBPS/cover.xhtml", CoverPage(info_));
    }
    Add("OEBPS/title.xhtml", TitlePage(info_));
    renderers_.emplace(map_, sections_, PageStyleOf(info_));
  }

  // The next file of the section at hand, or the end of that section; false when the
  // user asked to stop.
  bool NextEntry() {
    if (std::optional<Entry> entry = renderers_->Take(section_)) {
      AddDeflated("OEBPS/" + SectionFileName(section_, parts_[section_]++), *entry);
      return true;
    }
    const std::int64_t end = sections_[section_].end;
    sha_.Update(map_.text.view().substr(static_cast<std::size_t>(hashed_),
                                        static_cast<std::size_t>(end - hashed_)));
    hashed_ = end;
    ++section_;
    return progress_ == nullptr || progress_->Advance(0, end);
  }

  void End() {
    renderers_.reset();
    sha_.Update(map_.text.view().substr(static_cast<std::size_t>(hashed_)));
    const BookOutline book{map_, sections_, parts_, info_, BookIdentifier(sha_.Finish())};
    Add("OEBPS/about.xhtml", BannerPage(info_));
    Add("OEBPS/nav.xhtml", NavDocument(book));
    Add("OEBPS/toc.ncx", NcxDocument(book));
    Add("OEBPS/content.opf", PackageDocument(book));
    const int closed = zipClose(zip_, nullptr);
    zip_ = nullptr;
    if (closed != ZIP_OK) throw std::bad_alloc();
  }

  const ChapterMap& map_;
  const BookInfo& info_;
  Progress* progress_;
  std::vector<BookSection> sections_;
  std::vector<std::uint32_t> parts_;
  zip_fileinfo time_;
  Sink sink_;
  zipFile zip_ = nullptr;
  Sha1 sha_;
  std::int64_t hashed_ = 0;
  std::optional<Renderers> renderers_;
  Stage stage_ = Stage::kStart;
  std::size_t section_ = 0;
};

}  // namespace

WriteResult WriteEpub(const Path& path, const ChapterPlan& plan, const BookInfo& info,
                      Progress* progress) {
  Container container(plan, info, progress);
  return WriteFilePartsAsReady(path, [&container] { return container.Next(); });
}

}  // namespace morvane
