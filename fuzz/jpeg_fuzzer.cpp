// JPEG reader through libjpeg.
#include <cstddef>
#include <cstdint>

#include "fuzz_limits.h"
#include "io/jpeg_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnel::fuzz::checkDecoded(tarnel::decodeJpeg({data, size}, tarnel::fuzz::fuzzLimits()));
    return 0;
}
