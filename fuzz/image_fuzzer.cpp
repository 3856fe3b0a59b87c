// The dispatcher by content: every format through decodeImage.
#include <cstddef>
#include <cstdint>

#include "fuzz_limits.h"
#include "io/image_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnel::fuzz::checkDecoded(tarnel::decodeImage({data, size}, tarnel::fuzz::fuzzLimits()));
    return 0;
}
