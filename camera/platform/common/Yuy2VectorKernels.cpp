#include "camera/platform/common/Yuy2VectorKernels.h"

#ifdef TAVELO_YUY2_X86

#include <immintrin.h>

namespace tavelo::platform::yuy2 {
namespace {

// Both widths work in 16-bit lanes laid out like the source: Y in the low byte of every lane, the
// chroma byte above it alternating U (even lanes) and V (odd lanes). So one multiply serves a table
// pair for U and V at once: the "outer" pair is BU on U lanes and RV on V lanes, the "inner" pair GU and
// GV. A pixel pair's two lanes then take B from the even lane, R from the odd one and G from the sum of
// both. The multiply is by the fraction against 2d, so its high half is floor(fraction * d / 2^15);
// subtracting d's sign mask adds the one that turns a negative floor into the truncation.

// Even lanes carry the U coefficient's fraction, odd lanes the V one's.
int FractionPair(const Yuy2FixedPoint& u, const Yuy2FixedPoint& v) {
  return static_cast<int>(u.fraction | (static_cast<std::uint32_t>(v.fraction) << 16));
}

inline void Block128(__m128i outerFraction, __m128i innerFraction, const std::uint8_t* groups, std::uint8_t* out) {
  const __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(groups));
  const __m128i luma = _mm_and_si128(source, _mm_set1_epi16(0x00FF));
  const __m128i delta = _mm_sub_epi16(_mm_srli_epi16(source, 8), _mm_set1_epi16(128));
  const __m128i twice = _mm_add_epi16(delta, delta);
  const __m128i sign = _mm_srai_epi16(delta, 15);

  // BU | RV, and the magnitudes of GU | GV (both coefficients are negative).
  const __m128i outer = _mm_sub_epi16(_mm_add_epi16(delta, _mm_mulhi_epi16(twice, outerFraction)), sign);
  const __m128i inner = _mm_sub_epi16(_mm_mulhi_epi16(twice, innerFraction), sign);
  const __m128i blue = _mm_shufflehi_epi16(_mm_shufflelo_epi16(outer, 0xA0), 0xA0);  // lanes 0,0,2,2
  const __m128i red = _mm_shufflehi_epi16(_mm_shufflelo_epi16(outer, 0xF5), 0xF5);   // lanes 1,1,3,3
  const __m128i green = _mm_add_epi16(inner, _mm_shufflehi_epi16(_mm_shufflelo_epi16(inner, 0xB1), 0xB1));

  // Unsigned saturation is the clamp to 0..255.
  const __m128i blueRed = _mm_packus_epi16(_mm_add_epi16(luma, blue), _mm_add_epi16(luma, red));
  const __m128i greenAlpha = _mm_packus_epi16(_mm_sub_epi16(luma, green), _mm_set1_epi16(255));
  const __m128i blueGreen = _mm_unpacklo_epi8(blueRed, greenAlpha);
  const __m128i redAlpha = _mm_unpackhi_epi8(blueRed, greenAlpha);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(blueGreen, redAlpha));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi16(blueGreen, redAlpha));
}

#define TAVELO_AVX2 __attribute__((target("avx2")))

// The same steps on 16 pixels, with byte shuffles for the lane copies. The 8-byte quarters of the source
// are first put in the order 0, 2, 1, 3, so that the in-half interleaving at the end yields pixels 0-7
// in the first store and 8-15 in the second.
TAVELO_AVX2 inline void Block256(__m256i outerFraction, __m256i innerFraction, const std::uint8_t* groups,
                                 std::uint8_t* out) {
  const __m256i evenLanes = _mm256_setr_epi8(0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13,  //
                                             0, 1, 0, 1, 4, 5, 4, 5, 8, 9, 8, 9, 12, 13, 12, 13);
  const __m256i oddLanes = _mm256_setr_epi8(2, 3, 2, 3, 6, 7, 6, 7, 10, 11, 10, 11, 14, 15, 14, 15,  //
                                            2, 3, 2, 3, 6, 7, 6, 7, 10, 11, 10, 11, 14, 15, 14, 15);
  const __m256i swappedLanes = _mm256_setr_epi8(2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13,  //
                                                2, 3, 0, 1, 6, 7, 4, 5, 10, 11, 8, 9, 14, 15, 12, 13);
  const __m256i source =
      _mm256_permute4x64_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(groups)), 0xD8);
  const __m256i luma = _mm256_and_si256(source, _mm256_set1_epi16(0x00FF));
  const __m256i delta = _mm256_sub_epi16(_mm256_srli_epi16(source, 8), _mm256_set1_epi16(128));
  const __m256i twice = _mm256_add_epi16(delta, delta);
  const __m256i sign = _mm256_srai_epi16(delta, 15);

  const __m256i outer =
      _mm256_sub_epi16(_mm256_add_epi16(delta, _mm256_mulhi_epi16(twice, outerFraction)), sign);
  const __m256i inner = _mm256_sub_epi16(_mm256_mulhi_epi16(twice, innerFraction), sign);
  const __m256i blue = _mm256_shuffle_epi8(outer, evenLanes);
  const __m256i red = _mm256_shuffle_epi8(outer, oddLanes);
  const __m256i green = _mm256_add_epi16(inner, _mm256_shuffle_epi8(inner, swappedLanes));

  const __m256i blueRed = _mm256_packus_epi16(_mm256_add_epi16(luma, blue), _mm256_add_epi16(luma, red));
  const __m256i greenAlpha = _mm256_packus_epi16(_mm256_sub_epi16(luma, green), _mm256_set1_epi16(255));
  const __m256i blueGreen = _mm256_unpacklo_epi8(blueRed, greenAlpha);
  const __m256i redAlpha = _mm256_unpackhi_epi8(blueRed, greenAlpha);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_unpacklo_epi16(blueGreen, redAlpha));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_unpackhi_epi16(blueGreen, redAlpha));
}

}  // namespace

std::size_t ConvertGroupsSse2(const Yuy2FixedPointCoefficients& form, const std::uint8_t* groups,
                              std::size_t count, std::uint8_t* out) {
  const __m128i outerFraction = _mm_set1_epi32(FractionPair(form.blueFromU, form.redFromV));
  const __m128i innerFraction = _mm_set1_epi32(FractionPair(form.greenFromU, form.greenFromV));
  const std::size_t blocks = count / kSse2Groups;
  for (std::size_t block = 0; block < blocks; ++block) {
    Block128(outerFraction, innerFraction, groups + block * kSse2Groups * 4, out + block * kSse2Groups * 8);
  }
  return blocks * kSse2Groups;
}

TAVELO_AVX2 std::size_t ConvertGroupsAvx2(const Yuy2FixedPointCoefficients& form, const std::uint8_t* groups,
                                          std::size_t count, std::uint8_t* out) {
  const __m256i outerFraction = _mm256_set1_epi32(FractionPair(form.blueFromU, form.redFromV));
  const __m256i innerFraction = _mm256_set1_epi32(FractionPair(form.greenFromU, form.greenFromV));
  const std::size_t blocks = count / kAvx2Groups;
  for (std::size_t block = 0; block < blocks; ++block) {
    Block256(outerFraction, innerFraction, groups + block * kAvx2Groups * 4, out + block * kAvx2Groups * 8);
  }
  return blocks * kAvx2Groups;
}

bool ProcessorHasAvx2() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}

}  // namespace tavelo::platform::yuy2

#endif  // TAVELO_YUY2_X86
