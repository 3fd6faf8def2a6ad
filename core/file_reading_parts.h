// SPDX-License-Identifier: MIT
// What reading a text file does the same way on every platform: the table that hands out
// FileNumbers for open files, where the text lies in the file's bytes, the text kept in
// memory, and the account of the bytes left out after the text end. The platform files
// (files.cpp, files_win.cpp) do the system calls around these.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "core/byte_text.h"
#include "core/files.h"

namespace morvane::file_reading {

// Open files by number. Numbers are handed out from 1 upward and never reused, so a stale
// or made-up number can never reach another open file.
template <typename Handle>
class OpenFileTable {
 public:
  FileNumber Register(Handle handle) {
    std::lock_guard lock(mutex_);
    FileNumber number = next_++;
    if (next_ <= 0) next_ = 1;
    handles_[number] = handle;
    return number;
  }

  // The handle behind number, taken out of the table; none if there is no such number.
  Handle Take(FileNumber number, Handle none) {
    std::lock_guard lock(mutex_);
    auto it = handles_.find(number);
    if (it == handles_.end()) return none;
    Handle handle = it->second;
    handles_.erase(it);
    return handle;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<FileNumber, Handle> handles_;
  FileNumber next_ = 1;
};

// The text of a file held in memory that some owner keeps alive. A text much shorter
// than the file (a UTF-16 file ends after a byte or two) gets its own small copy so
// that the file's memory can go.
ByteText TextOf(std::shared_ptr<const void> owner, const char* bytes, std::size_t fileBytes,
                std::size_t textBytes);

// Fills in the file's size and what stands after the text end at end: the mark that
// ended the text and whether only padding (zeros and 0x1A) follows it.
void FillEnd(TextRead& read, std::string_view bytes, std::size_t end);

// The encoding of the file's bytes (into read) and the extent of its text: after the
// byte-order mark, up to the text end of the encoding. Returns the text's offset and sets
// fileEnd to the offset where it ends.
std::size_t LocateText(std::string_view bytes, std::optional<Encoding> encoding, TextRead& read,
                       std::size_t& fileEnd);

// The last step of every successful read, whether the bytes were mapped or copied: the text
// of the file's bytes (LocateText, FillEnd, TextOf), kept alive by owner, and status kOk.
void FinishRead(TextRead& read, std::shared_ptr<const void> owner, std::string_view bytes,
                std::optional<Encoding> encoding);

}  // namespace morvane::file_reading
