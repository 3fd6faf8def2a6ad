// SPDX-License-Identifier: MIT
#include "core/digest.h"

#include <nettle/sha1.h>

namespace morvane {

struct Sha1::State {
  sha1_ctx context;
};

Sha1::Sha1() : state_(std::make_unique<State>()) {
  sha1_init(&state_->context);
}

Sha1::~Sha1() = default;

void Sha1::Update(std::string_view bytes) {
  sha1_update(&state_->context, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
}

std::array<std::uint8_t, 20> Sha1::Finish() {
  std::array<std::uint8_t, 20> digest{};
  sha1_digest(&state_->context, digest.size(), digest.data());
  return digest;
}

}  // namespace morvane
