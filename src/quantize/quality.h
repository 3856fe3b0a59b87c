#pragma once
// How far an image is from the image it was made from: the numbers a person
// needs to judge a colour reduction.
//
// Both images must have the same size. Only red, green and blue count; the
// top byte (alpha, or nothing in a 24-bit image) is ignored.
//  - PSNR in dB over the three channels of every pixel:
//    10 log10(255^2 / MSE); infinite when the images are identical.
//  - Colour difference per pixel as CIE 1976 delta E (Euclidean distance in
//    CIELAB, sRGB with the D65 white); the mean and the maximum over the
//    pixels. A difference of about 2.3 is just noticeable.

#include <vector>

#include "core/image.h"

namespace tarnel {

struct Lab {
    float l = 0;
    float a = 0;
    float b = 0;
};

// CIELAB of an sRGB colour (top byte ignored).
Lab labOf(Color c);

struct QualityReport {
    int colors = 0;         // distinct colours of the result
    double psnr = 0;        // dB; +infinity when identical
    double meanDeltaE = 0;  // delta E 1976
    double maxDeltaE = 0;
};

// Measures many results against one source, converting the source to CIELAB
// once. The source must outlive the reference.
class QualityReference {
public:
    explicit QualityReference(const Image& source);
    // result must have the source's size.
    QualityReport measure(const Image& result) const;

private:
    const Image& m_source;
    std::vector<Lab> m_lab;  // one per source pixel, rows top down
};

inline QualityReport measureQuality(const Image& before, const Image& after) {
    return QualityReference(before).measure(after);
}

}  // namespace tarnel
