// SSE2 where the processor has it (every x86-64 does), plain loops elsewhere.
#include "lineends.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace parlo {
namespace {

bool IsNonText(unsigned char byte)
{
  return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f') ||
         byte == 0x7F;
}

// The first CR or LF at or after `from`; -1 when there is none.
qsizetype FindCrOrLf(const char* data, qsizetype size, qsizetype from)
{
  qsizetype i = from;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  for (; i + 16 <= size; i += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const int mask =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr)));
    if (mask != 0)
      return i + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  for (; i < size; ++i) {
    if (data[i] == '\n' || data[i] == '\r')
      return i;
  }
  return -1;
}

} // namespace

qsizetype FindLineEnd(const char* data, qsizetype size, qsizetype from, qsizetype* next, bool final)
{
  const qsizetype end = FindCrOrLf(data, size, from);
  if (end < 0) {
    *next = size;
    return -1;
  }
  if (data[end] == '\n') {
    *next = end + 1;
    return end;
  }
  if (end + 1 < size) {
    *next = data[end + 1] == '\n' ? end + 2 : end + 1;
    return end;
  }
  // A CR is the last byte: only the byte after it can tell CR LF from a lone CR.
  *next = final ? size : end;
  return final ? end : -1;
}

qint64 CountNonTextBytes(const char* data, qsizetype size)
{
  qint64 count = 0;
  qsizetype i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i lastControl = _mm_set1_epi8(0x1F);
  const __m128i del = _mm_set1_epi8(0x7F);
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i ff = _mm_set1_epi8('\f');
  const __m128i cr = _mm_set1_epi8('\r');
  while (i + 16 <= size) {
    // Byte counters of 8 bits: fold them into the total before they can wrap.
    __m128i counters = zero;
    for (int round = 0; round < 255 && i + 16 <= size; ++round, i += 16) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      const __m128i control = _mm_cmpeq_epi8(_mm_max_epu8(block, lastControl), lastControl);
      const __m128i text =
          _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, tab), _mm_cmpeq_epi8(block, lf)),
                       _mm_or_si128(_mm_cmpeq_epi8(block, ff), _mm_cmpeq_epi8(block, cr)));
      const __m128i nonText =
          _mm_or_si128(_mm_andnot_si128(text, control), _mm_cmpeq_epi8(block, del));
      counters = _mm_sub_epi8(counters, nonText); // a match is -1
    }
    const __m128i sums = _mm_sad_epu8(counters, zero);
    count += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8));
  }
#endif
  for (; i < size; ++i)
    count += IsNonText(static_cast<unsigned char>(data[i])) ? 1 : 0;
  return count;
}

} // namespace parlo
