// SPDX-License-Identifier: MIT
#include <windows.h>

#include <bcrypt.h>

#include "core/digest.h"
#include "core/fatal.h"

namespace morvane {

struct Sha1::State {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
};

Sha1::Sha1() : state_(std::make_unique<State>()) {
  // Every Windows since Vista has SHA-1 in CNG: its absence is no state to carry on from.
  if (BCryptOpenAlgorithmProvider(&state_->algorithm, BCRYPT_SHA1_ALGORITHM, nullptr, 0) != 0 ||
      BCryptCreateHash(state_->algorithm, &state_->hash, nullptr, 0, nullptr, 0, 0) != 0) {
    RuntimeError(ByteText("BCryptCreateHash(SHA1)"));
  }
}

Sha1::~Sha1() {
  if (state_->hash != nullptr) BCryptDestroyHash(state_->hash);
  if (state_->algorithm != nullptr) BCryptCloseAlgorithmProvider(state_->algorithm, 0);
}

void Sha1::Update(std::string_view bytes) {
  // CNG takes at most 4 GiB a call.
  constexpr std::size_t kMost = 1u << 30;
  while (!bytes.empty()) {
    const std::size_t count = bytes.size() < kMost ? bytes.size() : kMost;
    BCryptHashData(state_->hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                   static_cast<ULONG>(count), 0);
    bytes.remove_prefix(count);
  }
}

std::array<std::uint8_t, 20> Sha1::Finish() {
  std::array<std::uint8_t, 20> digest{};
  BCryptFinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0);
  return digest;
}

}  // namespace morvane
