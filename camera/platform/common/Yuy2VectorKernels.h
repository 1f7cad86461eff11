#pragma once

// The vector halves of the YUY2 converter (x86-64 only). Each converts whole blocks of groups
// (Y0 U Y1 V -> two pixels of B, G, R, 255) and returns how many groups that covered; the caller
// finishes the rest. They read exactly 4 bytes and write exactly 8 bytes per group they cover. They take
// only the fractions from the fixed-point form; its shape (B and R one whole d plus a fraction, G two
// negative fractions) is built into them and checked where the form is defined.

#include <cstddef>
#include <cstdint>

#include "camera/platform/common/Yuy2Conversion.h"

namespace tavelo::platform::yuy2 {

#if defined(__x86_64__) || defined(_M_X64)
#define TAVELO_YUY2_X86 1

constexpr std::size_t kSse2Groups = 4;  // 16 source bytes
constexpr std::size_t kAvx2Groups = 8;  // 32 source bytes

std::size_t ConvertGroupsSse2(const Yuy2FixedPointCoefficients& form, const std::uint8_t* groups,
                              std::size_t count, std::uint8_t* out);
// Only on a processor with AVX2 (the caller checks).
std::size_t ConvertGroupsAvx2(const Yuy2FixedPointCoefficients& form, const std::uint8_t* groups,
                              std::size_t count, std::uint8_t* out);
bool ProcessorHasAvx2();
#endif

}  // namespace tavelo::platform::yuy2
