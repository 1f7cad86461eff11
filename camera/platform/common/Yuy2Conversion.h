#pragma once

// YUY2 -> 32-bit bitmap pixels, the one colour conversion of still images.
//
// The source is tightly packed: rows of 2 * width bytes in groups Y0 U Y1 V that give two pixels
// sharing U and V. The groups run on from row to row, so an odd width puts a group across a row end.
// Each pixel is R = Y + RV[V], G = Y + GV[V] + GU[U], B = Y + BU[U], each clamped to 0..255, written
// as the bytes B, G, R, 255. Source row r lands in output row height - 1 - r (bottom row first, as a
// bitmap with a positive height stores it); within a row the pixel order stays.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavelo::platform {

// The chroma tables: for x in 0..255, trunc(coefficient * (x - 128)).
struct Yuy2ChromaTables {
  std::array<std::int16_t, 256> redFromV;
  std::array<std::int16_t, 256> greenFromV;
  std::array<std::int16_t, 256> greenFromU;
  std::array<std::int16_t, 256> blueFromU;
};
const Yuy2ChromaTables& Yuy2Tables();

// Converts the source rows whose every pixel has its whole group inside `sourceBytes`, from the first
// row on, and returns how many that were; the output rows of the others are left untouched, so a
// short or lying frame is written as far as it is valid and never read past. `out` holds
// width * height * 4 bytes. Non-positive sizes convert nothing.
int ConvertYuy2ToBgra(const std::uint8_t* source, std::size_t sourceBytes, int width, int height,
                      std::uint8_t* out);

// The plain pixel-by-pixel table method, same contract: the oracle the fast paths are tested against.
int ConvertYuy2ToBgraReference(const std::uint8_t* source, std::size_t sourceBytes, int width, int height,
                               std::uint8_t* out);

// The fast converter's code paths. The public entry point takes the best the processor has; tests and
// the benchmark name one to compare them all on one machine.
enum class Yuy2Path { Scalar, Sse2, Avx2 };
std::vector<Yuy2Path> AvailableYuy2Paths();
int ConvertYuy2ToBgraWith(Yuy2Path path, const std::uint8_t* source, std::size_t sourceBytes, int width,
                          int height, std::uint8_t* out);

// The vector paths compute the tables instead of looking them up. For d = x - 128,
// trunc(c * d) = sign(c) * (whole * d + floor(fraction * d / 2^15) + (d < 0 ? 1 : 0)) with `whole` and
// `fraction` the integer part and the 15-bit fraction (rounded up) of |c|: the product is never a whole
// number for d != 0, so truncating a negative one is flooring plus one, and rounding the fraction up
// errs by under 128 / 2^15, which never reaches the next integer for these four coefficients.
struct Yuy2FixedPoint {
  int whole;
  std::uint16_t fraction;
  bool negative;
};
struct Yuy2FixedPointCoefficients {
  Yuy2FixedPoint redFromV;
  Yuy2FixedPoint greenFromV;
  Yuy2FixedPoint greenFromU;
  Yuy2FixedPoint blueFromU;
};
const Yuy2FixedPointCoefficients& Yuy2FixedPointForm();
// One table entry from its fixed-point form, in the vector paths' arithmetic.
int Yuy2FixedPointEntry(const Yuy2FixedPoint& coefficient, int index);

}  // namespace tavelo::platform
