#pragma once
// Conversion of a floating-point value to an integer: nearest integer, a half
// going to the even neighbour.

namespace tarnel {

// Valid for |x| < 2^31. Adding and removing 1.5 * 2^52 leaves the value in
// the range where a double's step is 1, so the default rounding mode (to
// nearest, ties to even) does the rounding; unlike std::nearbyint this
// compiles to two additions. Needs strict IEEE double arithmetic (no
// fast-math reassociation).
inline int roundHalfEven(double x) {
    constexpr double kShift = 6755399441055744.0;  // 1.5 * 2^52
    return static_cast<int>((x + kShift) - kShift);
}

}  // namespace tarnel
