#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include "services/text.h"

namespace nrv::text {

std::u32string FoldedCodePoints(const std::string& s) {
  std::u32string out;
  out.reserve(s.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
  const int32_t length = static_cast<int32_t>(s.size());
  int32_t i = 0;
  while (i < length) {
    const int32_t start = i;
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) {
      out.push_back(0xDC00u + bytes[start]);
      i = start + 1;
    } else {
      out.push_back(static_cast<char32_t>(u_foldCase(c, U_FOLD_CASE_DEFAULT)));
    }
  }
  return out;
}

}  // namespace nrv::text
