#include "core/toolkit.h"

namespace morvane {

const ByteText& DefaultCaption() {
  // "信息：" (information:)
  static const ByteText caption("\xD0\xC5\xCF\xA2\xA3\xBA");
  return caption;
}

}  // namespace morvane
