#include "json/WhitespaceRun.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace json {

const std::uint8_t* WhitespaceRun::skip(const std::uint8_t* p, const std::uint8_t* end) {
#if defined(__SSE2__)
  const __m128i space = _mm_set1_epi8(' ');
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i controlSpan = _mm_set1_epi8('\r' - '\t');
  while (end - p >= 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Tab to carriage return: the byte minus a tab is at most 4, unsigned.
    const __m128i fromTab = _mm_sub_epi8(chunk, tab);
    const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(fromTab, controlSpan), fromTab);
    const __m128i spaces = _mm_or_si128(_mm_cmpeq_epi8(chunk, space), control);
    const unsigned others = ~static_cast<unsigned>(_mm_movemask_epi8(spaces)) & 0xFFFFu;
    if (others == 0) {
      p += 16;
      continue;
    }
    p += __builtin_ctz(others);
    if (*p < 0x80 || !isWhitespace(*p)) return p;
    ++p;  // a space of the locale
  }
#endif
  return skipScalar(p, end);
}

}  // namespace json
