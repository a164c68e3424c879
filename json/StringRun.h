#pragma once
// Finds where a run of plain string bytes ends: at the first double quote,
// backslash or byte >= 0x80 (the start of a UTF-8 sequence that needs
// checking). Sixteen bytes at a time with SSE2 where the compiler targets
// it, one at a time otherwise; both give the same answer.

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace json {

class StringRun {
 public:
  static const std::uint8_t* findSpecial(const std::uint8_t* p, const std::uint8_t* end) {
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    while (end - p >= 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m128i special = _mm_or_si128(_mm_cmpeq_epi8(chunk, quote), _mm_cmpeq_epi8(chunk, backslash));
      // movemask of the chunk itself gives the bytes with the high bit set.
      const int mask = _mm_movemask_epi8(special) | _mm_movemask_epi8(chunk);
      if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
      p += 16;
    }
#endif
    return findSpecialScalar(p, end);
  }

  static const std::uint8_t* findSpecialScalar(const std::uint8_t* p, const std::uint8_t* end) {
    while (p < end && *p != '"' && *p != '\\' && *p < 0x80) ++p;
    return p;
  }
};

}  // namespace json
