// SPDX-License-Identifier: MIT
#pragma once
// SHA-1 of bytes handed over in pieces: the libraries' own (nettle on Linux, the system's
// CNG on Windows), so both platforms give the same digest of the same text.

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

namespace morvane {

class Sha1 {
 public:
  Sha1();
  ~Sha1();
  Sha1(const Sha1&) = delete;
  Sha1& operator=(const Sha1&) = delete;

  void Update(std::string_view bytes);
  // The digest of everything handed over; the object is spent afterwards.
  std::array<std::uint8_t, 20> Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace morvane
