#pragma once
// A blank image made from the New image dialog's settings, and the name an
// image gets when it comes from New image or Paste as new image.

#include <string_view>

#include "core/image.h"

namespace tarnel {

inline constexpr std::string_view kNewImageName = "NewImage";

// What the New image dialog shows and edits; kept until the program ends,
// never saved. The sides hold whatever the fields last said (any value
// fieldValue() gives) until OK forces them into range.
struct NewImageSettings {
    int width = 768;
    int height = 512;
    Color back = 0xFFFFFF;  // 0x00BBGGRR
};

// OK: forces both sides into kDialogMinSide..kDialogMaxSide, stores them back
// into settings and returns the 24-bit image of that size filled with the
// back colour.
Image makeNewImage(NewImageSettings& settings);

}  // namespace tarnel
