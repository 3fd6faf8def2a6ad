// SPDX-License-Identifier: MIT
#pragma once
// Whether this test binary runs under AddressSanitizer. Tests that limit the address
// space (RLIMIT_AS) skip themselves there: the sanitizer reserves more address space
// than any such limit allows.

#if defined(__SANITIZE_ADDRESS__)
#define MORVANE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MORVANE_ASAN 1
#endif
#endif
#ifndef MORVANE_ASAN
#define MORVANE_ASAN 0
#endif

inline constexpr bool kBuiltWithAsan = MORVANE_ASAN != 0;
