#pragma once
// The numbers typed into the size fields of the dialogs (New image, resize
// image, resize canvas) and the range their sides are forced into on OK.

#include <string_view>

namespace tarnel {

// The value of a field: the decimal number its text starts with, after any
// leading spaces. 0 when the text does not start with a digit (a sign is not
// a digit); a number too large for an int saturates at INT_MAX instead of
// wrapping, so "99999999999" still clamps to the largest side.
int fieldValue(std::string_view text);

// New image and resize image force each side into this range on OK.
inline constexpr int kDialogMinSide = 16;
inline constexpr int kDialogMaxSide = 4096;

constexpr int clampDialogSide(int side) {
    return side < kDialogMinSide ? kDialogMinSide : side > kDialogMaxSide ? kDialogMaxSide : side;
}

}  // namespace tarnel
