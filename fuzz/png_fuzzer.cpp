// PNG reader through libpng.
#include <cstddef>
#include <cstdint>

#include "fuzz_limits.h"
#include "io/png_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnel::fuzz::checkDecoded(tarnel::decodePng({data, size}, tarnel::fuzz::fuzzLimits()));
    return 0;
}
