#pragma once
// Test images: deterministic random and photo-like images, a reader and
// writer for the small PAM files kept in tests/data, and golden checks.

#include <cstdint>
#include <string>

#include "core/image.h"

namespace tarnel::test {

// Every pixel random (all four bytes when depth is 32, top byte 0 for 24).
Image randomImage(int width, int height, int depth, std::uint32_t seed);

// Smooth gradients, soft shapes and mild noise: close enough to a photograph
// for quantizers and filters to behave as they do on real pictures.
Image photoLikeImage(int width, int height, int depth = 24, std::uint32_t seed = 1);

// The small photo kept in tests/data/photo.pam (96 x 64, 24-bit).
const Image& testPhoto();

// PAM (P7) files: RGB_ALPHA for 32-bit images, RGB for 24-bit ones.
bool writePam(const std::string& path, const Image& image);
Image readPam(const std::string& path);

std::string testDataPath(const std::string& name);

// Compares image with tests/data/golden/<name>.pam. When the environment
// variable TARNEL_UPDATE_GOLDENS is set and the file is missing, writes it
// instead (an existing golden is never overwritten: delete it by hand after
// checking why it changed).
void expectGolden(const std::string& name, const Image& image);

}  // namespace tarnel::test
