// SPDX-License-Identifier: MIT
#include "core/thread_converter.h"

#include <pthread.h>

namespace morvane {
namespace {

struct Converters {
  UConverter* slots[kThreadConverterSlots] = {};
};

void Close(void* converters) {
  auto* set = static_cast<Converters*>(converters);
  for (UConverter* c : set->slots) {
    if (c) ucnv_close(c);
  }
  delete set;
}

// The converters are closed by a thread key's destructor, which gets them as its value,
// and not by a thread_local object's: MinGW-w64's runtime may free a thread's thread_local
// storage before it runs their destructors, which would then close what that memory holds
// by then.
pthread_key_t Key() {
  static const pthread_key_t key = [] {
    pthread_key_t k;
    pthread_key_create(&k, Close);
    return k;
  }();
  return key;
}

thread_local Converters* current = nullptr;

}  // namespace

UConverter* ThreadConverter(int slot, UConverter* (*open)(int slot)) {
  Converters* set = current;
  if (!set) {
    set = new Converters;
    current = set;
    pthread_setspecific(Key(), set);
  }
  UConverter*& c = set->slots[slot];
  if (!c) c = open(slot);
  return c;
}

}  // namespace morvane
