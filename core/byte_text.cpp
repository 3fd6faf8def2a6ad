// SPDX-License-Identifier: MIT
#include "core/byte_text.h"

#include <cstring>
#include <limits>
#include <new>

#include "core/fatal.h"

namespace morvane {
namespace {

// Texts are at most 2^31 - 1 bytes; sizes beyond the int range are reported as its top.
int ClampToInt(std::size_t n) {
  return n > static_cast<std::size_t>(std::numeric_limits<int>::max())
             ? std::numeric_limits<int>::max()
             : static_cast<int>(n);
}

// A fresh buffer of n bytes owned by a shared pointer; exhausted memory is fatal.
std::shared_ptr<char[]> NewBuffer(std::size_t n) {
  try {
    return std::make_shared_for_overwrite<char[]>(n);
  } catch (const std::bad_alloc&) {
    OutOfMemory(n);
  }
}

bool IsHigh(unsigned char b) {
  return b >= 0x80;
}

}  // namespace

ByteText::ByteText(std::string_view bytes) {
  bytes = bytes.substr(0, std::min(bytes.size(), bytes.find('\0')));
  if (bytes.empty()) return;
  auto buffer = NewBuffer(bytes.size());
  std::memcpy(buffer.get(), bytes.data(), bytes.size());
  data_ = buffer.get();
  size_ = bytes.size();
  owner_ = std::move(buffer);
}

ByteText::ByteText(std::string&& bytes) {
  std::size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
  if (bytes.empty()) return;
  std::shared_ptr<std::string> owner;
  try {
    owner = std::make_shared<std::string>(std::move(bytes));
  } catch (const std::bad_alloc&) {
    OutOfMemory(sizeof(std::string));
  }
  data_ = owner->data();
  size_ = owner->size();
  owner_ = std::move(owner);
}

ByteText ByteText::Copy(std::string_view bytes) {
  ByteText text;
  if (bytes.empty()) return text;
  auto buffer = NewBuffer(bytes.size());
  std::memcpy(buffer.get(), bytes.data(), bytes.size());
  text.data_ = buffer.get();
  text.size_ = bytes.size();
  text.owner_ = std::move(buffer);
  return text;
}

ByteText ByteText::Adopt(std::shared_ptr<const void> owner, const char* data, std::size_t size) {
  ByteText text;
  if (size == 0) return text;
  text.owner_ = std::move(owner);
  text.data_ = data;
  text.size_ = size;
  return text;
}

ByteText ByteText::Slice(std::size_t offset, std::size_t count) const {
  if (offset >= size_ || count == 0) return ByteText();
  count = std::min(count, size_ - offset);
  if (offset == 0 && count == size_) return *this;
  return Adopt(owner_, data_ + offset, count);
}

std::strong_ordering operator<=>(const ByteText& a, const ByteText& b) {
  // char_traits<char> compares as unsigned char.
  int c = a.view().compare(b.view());
  if (c < 0) return std::strong_ordering::less;
  if (c > 0) return std::strong_ordering::greater;
  return std::strong_ordering::equal;
}

ByteText Concat(std::initializer_list<ByteText> parts) {
  std::size_t total = 0;
  const ByteText* only = nullptr;
  int nonEmpty = 0;
  for (const ByteText& part : parts) {
    total += part.size();
    if (!part.empty()) {
      only = &part;
      ++nonEmpty;
    }
  }
  if (nonEmpty == 0) return ByteText();
  if (nonEmpty == 1) return *only;  // immutable: sharing is as good as a copy
  auto buffer = NewBuffer(total);
  char* out = buffer.get();
  for (const ByteText& part : parts) {
    if (part.empty()) continue;
    std::memcpy(out, part.data(), part.size());
    out += part.size();
  }
  const char* data = buffer.get();
  return ByteText::Adopt(std::move(buffer), data, total);
}

int TextLength(const ByteText& text) {
  return ClampToInt(text.size());
}

ByteText LeftText(const ByteText& text, int n) {
  if (n <= 0) return ByteText();
  return text.Slice(0, static_cast<std::size_t>(n));
}

ByteText RightText(const ByteText& text, int n) {
  if (n <= 0) return ByteText();
  std::size_t count = std::min(static_cast<std::size_t>(n), text.size());
  return text.Slice(text.size() - count, count);
}

ByteText MidText(const ByteText& text, int start, int n) {
  long long p = static_cast<long long>(start) - 1;
  if (p < 0 || static_cast<std::size_t>(p) >= text.size() || n <= 0) return ByteText();
  return text.Slice(static_cast<std::size_t>(p), static_cast<std::size_t>(n));
}

int CharCode(const ByteText& text, int position) {
  if (position < 1 || static_cast<std::size_t>(position) > text.size()) return 0;
  return static_cast<signed char>(text.byte(static_cast<std::size_t>(position) - 1));
}

namespace {

// The character-stepping scan shared by the forward and backward search: calls
// onMatch(offset) at every character start from `from` where wanted fits and matches;
// onMatch returns false to stop the scan.
template <typename OnMatch>
void ScanMatches(std::string_view text, std::string_view wanted, std::size_t from,
                 OnMatch onMatch) {
  const std::size_t n = text.size();
  const std::size_t w = wanted.size();
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t pos = from;
  if (w == 0) {
    // Every character start matches the empty text; the first one decides.
    if (pos < n) onMatch(pos);
    return;
  }
  const unsigned char first = static_cast<unsigned char>(wanted[0]);
  while (pos < n && n - pos >= w) {
    if (bytes[pos] == first && std::memcmp(bytes + pos, wanted.data(), w) == 0) {
      if (!onMatch(pos)) return;
    }
    if (IsHigh(bytes[pos])) {
      if (pos + 1 == n) return;  // a lone last byte: compared above, then the scan ends
      pos += 2;
    } else {
      pos += 1;
    }
  }
}

}  // namespace

int FindText(const ByteText& text, const ByteText& wanted, int start) {
  long long b = static_cast<long long>(start) - 1;
  if (b < 0) b = 0;
  if (static_cast<std::size_t>(b) >= text.size()) return -1;
  int found = -1;
  ScanMatches(text.view(), wanted.view(), static_cast<std::size_t>(b), [&](std::size_t pos) {
    found = ClampToInt(pos + 1);
    return false;
  });
  return found;
}

int FindTextBackward(const ByteText& text, const ByteText& wanted) {
  if (text.empty()) return -1;
  int found = -1;
  if (wanted.empty()) {
    // The empty text matches at every character start; the last one wins.
    const std::size_t n = text.size();
    std::size_t pos = 0;
    std::size_t last = 0;
    while (pos < n) {
      last = pos;
      pos += (IsHigh(text.byte(pos)) && pos + 1 < n) ? 2 : 1;
    }
    return ClampToInt(last + 1);
  }
  ScanMatches(text.view(), wanted.view(), 0, [&](std::size_t pos) {
    found = ClampToInt(pos + 1);
    return true;
  });
  return found;
}

ByteText ReplaceSubtext(const ByteText& text, const ByteText& wanted, const ByteText& replacement) {
  if (text.empty() || wanted.empty()) return text;
  const std::size_t n = text.size();
  const std::size_t w = wanted.size();
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char first = wanted.byte(0);

  std::string out;
  try {
    out.reserve(replacement.size() > w ? n + n / 8 : n);
  } catch (const std::bad_alloc&) {
    OutOfMemory(n);
  }
  std::size_t pos = 0;
  std::size_t copyFrom = 0;  // bytes [copyFrom, pos) are kept and not yet appended
  bool replaced = false;
  try {
    while (n - pos >= w) {
      if (bytes[pos] == first && std::memcmp(bytes + pos, wanted.data(), w) == 0) {
        out.append(text.data() + copyFrom, pos - copyFrom);
        out.append(replacement.view());
        pos += w;
        copyFrom = pos;
        replaced = true;
      } else if (IsHigh(bytes[pos])) {
        // A lone last byte of 0x80 or above stays in the text; only a wanted text of
        // one byte gets here, and it did not match.
        if (pos + 1 == n) {
          pos = n;
          break;
        }
        pos += 2;
      } else {
        pos += 1;
      }
    }
    if (!replaced) return text;
    out.append(text.data() + copyFrom, n - copyFrom);
  } catch (const std::bad_alloc&) {
    OutOfMemory(out.size() + n - pos);
  }
  return ByteText(std::move(out));
}

bool IsLeadByteAt(const ByteText& text, int offset) {
  if (offset < 0 || static_cast<std::size_t>(offset) >= text.size()) return false;
  unsigned char b = text.byte(static_cast<std::size_t>(offset));
  return b >= 0x81 && b <= 0xFE;
}

ByteBuffer ToBytes(const ByteText& text) {
  try {
    return ByteBuffer(text.view());
  } catch (const std::bad_alloc&) {
    OutOfMemory(text.size());
  }
}

}  // namespace morvane
