#include "core/gbk.h"

#include <algorithm>
#include <bitset>
#include <memory>
#include <new>
#include <vector>

#include "core/fatal.h"
#include "core/gbk_backend.h"

namespace morvane {
namespace {

using gbk_backend::IsRawEscape;
using gbk_backend::kRawBase;
using gbk_backend::RawEscape;

bool IsTrailByte(unsigned char b) {
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}
bool IsLeadByte(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}

// What the converter's table does with each one- and two-byte sequence, learnt once.
// Decoding in bulk through the converter is exact wherever the table round-trips; the units listed
// as suspicious are the ones that may stand for bytes that would not come back (a lone 0x80 or
// 0xFF, which the table maps to U+20AC and U+F8F5, or any sequence whose mapping does not
// round-trip), and output holding one of them is decoded again with the per-character rule below.
struct Table {
  // Unit for lead 0x81..0xFE and trail 0x40..0xFE; 0 where the pair is unmapped or
  // does not come back as the same two bytes.
  std::vector<char16_t> pairs = std::vector<char16_t>(126 * 191, 0);
  std::bitset<65536> suspicious;
  // Set if the table itself maps a pair onto a raw escape; bulk output could then not
  // tell the two apart, and every text takes the per-character rule.
  bool alwaysCareful = false;

  char16_t Pair(unsigned char lead, unsigned char trail) const {
    return pairs[(lead - 0x81) * 191 + (trail - 0x40)];
  }
};

Table LearnTable() {
  Table table;
  for (int b = 0x80; b <= 0xFF; ++b) {
    std::u16string u = gbk_backend::Decode(std::string(1, static_cast<char>(b)));
    for (char16_t unit : u) {
      if (!IsRawEscape(unit)) table.suspicious.set(unit);
    }
  }
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      std::u16string u = gbk_backend::Decode(std::string_view(pair, 2));
      bool single = u.size() == 1 && !IsRawEscape(u[0]);
      if (single && gbk_backend::Encode(u) == std::string_view(pair, 2)) {
        table.pairs[(lead - 0x81) * 191 + (trail - 0x40)] = u[0];
      } else {
        for (char16_t unit : u) {
          if (!IsRawEscape(unit) && unit >= 0x80) table.suspicious.set(unit);
        }
      }
      if (u.size() == 1 && IsRawEscape(u[0])) table.alwaysCareful = true;
    }
  }
  return table;
}

const Table& TheTable() {
  static const Table table = LearnTable();
  return table;
}

// The per-character rule: a lead byte with a trail byte whose pair round-trips is that
// character, an unmapped pair is two raw bytes, and any other byte of 0x80 or above is
// one raw byte.
std::u16string DecodeCarefully(const Table& table, std::string_view gbk) {
  std::u16string out;
  out.reserve(gbk.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(gbk.data());
  const std::size_t n = gbk.size();
  for (std::size_t i = 0; i < n;) {
    unsigned char b = bytes[i];
    if (b < 0x80) {
      out.push_back(b);
      ++i;
    } else if (IsLeadByte(b) && i + 1 < n && IsTrailByte(bytes[i + 1])) {
      char16_t u = table.Pair(b, bytes[i + 1]);
      if (u != 0) {
        out.push_back(u);
      } else {
        out.push_back(RawEscape(b));
        out.push_back(RawEscape(bytes[i + 1]));
      }
      i += 2;
    } else {
      out.push_back(RawEscape(b));
      ++i;
    }
  }
  return out;
}

bool AnySuspicious(const Table& table, std::u16string_view units) {
  for (char16_t u : units) {
    if (u >= 0x80 && table.suspicious.test(u)) return true;
  }
  return false;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::size_t Utf8SequenceAt(std::string_view s, char32_t* c) {
  const auto* b = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t n = s.size();
  if (n == 0) return 0;
  if (b[0] < 0x80) {
    *c = b[0];
    return 1;
  }
  std::size_t len;
  char32_t min;
  char32_t value;
  if (b[0] >= 0xC2 && b[0] <= 0xDF) {
    len = 2, min = 0x80, value = b[0] & 0x1F;
  } else if (b[0] >= 0xE0 && b[0] <= 0xEF) {
    len = 3, min = 0x800, value = b[0] & 0x0F;
  } else if (b[0] >= 0xF0 && b[0] <= 0xF4) {
    len = 4, min = 0x10000, value = b[0] & 0x07;
  } else {
    return 0;
  }
  if (n < len) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    if ((b[k] & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b[k] & 0x3F);
  }
  if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *c = value;
  return len;
}

bool IsByteStandIn(char16_t unit) {
  return IsRawEscape(unit);
}

std::u16string DecodeGbk(std::string_view gbk) {
  gbk = gbk.substr(0, std::min(gbk.size(), gbk.find('\0')));
  if (gbk.empty()) return {};
  const Table& table = TheTable();
  std::u16string out;
  try {
    if (!table.alwaysCareful) out = gbk_backend::Decode(gbk);
    if (out.empty() || AnySuspicious(table, out)) out = DecodeCarefully(table, gbk);
  } catch (const std::bad_alloc&) {
    OutOfMemory(gbk.size() * sizeof(char16_t));
  }
  return out;
}

std::string EncodeGbk(std::u16string_view text) {
  std::string out;
  try {
    out.reserve(text.size() * 2);
    // Raw escapes become their bytes; the runs between them go through the converter whole.
    std::size_t from = 0;
    while (from < text.size()) {
      std::size_t to = from;
      while (to < text.size() && !IsRawEscape(text[to])) ++to;
      if (to > from) out += gbk_backend::Encode(text.substr(from, to - from));
      for (; to < text.size() && IsRawEscape(text[to]); ++to) {
        out.push_back(static_cast<char>(text[to] - kRawBase));
      }
      from = to;
    }
  } catch (const std::bad_alloc&) {
    OutOfMemory(text.size() * 2);
  }
  // A U+0000 in the text would end a ByteText made of this; it stays here for callers
  // that want the bytes.
  return out;
}

std::string Utf8FromGbk(std::string_view gbk) {
  std::u16string units = DecodeGbk(gbk);
  std::string out;
  out.reserve(units.size() * 3);
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

ByteText GbkFromUtf8(std::string_view utf8) {
  std::u16string units;
  units.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    std::size_t len = Utf8SequenceAt(utf8.substr(i), &c);
    if (len == 0) {
      // Not UTF-8: the byte is taken as it stands, so that a legacy GBK name given
      // as raw bytes keeps its GBK bytes.
      units.push_back(RawEscape(static_cast<unsigned char>(utf8[i])));
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(c));
    }
    i += len;
  }
  return ByteText(EncodeGbk(units));
}

}  // namespace morvane
