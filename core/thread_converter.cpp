// SPDX-License-Identifier: MIT
#include "core/thread_converter.h"

#include <pthread.h>

namespace morvane {
namespace {

struct Converters {
  icu::LocalUConverterPointer slots[kThreadConverterSlots];
};

void Close(void* converters) {
  delete static_cast<Converters*>(converters);
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
  icu::LocalUConverterPointer& c = set->slots[slot];
  if (c.isNull()) c.adoptInstead(open(slot));
  return c.getAlias();
}

}  // namespace morvane
