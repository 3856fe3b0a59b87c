// BMP reader; whatever decodes must also survive a write and read back
// unchanged.
#include <cstddef>
#include <cstdint>

#include "fuzz_limits.h"
#include "io/bmp_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnel;
    const DecodeResult result = decodeBmp({data, size}, fuzz::fuzzLimits());
    fuzz::checkDecoded(result);
    if (result.ok()) {
        const EncodeResult encoded = encodeBmp(result.image);
        const DecodeResult again = decodeBmp(encoded.bytes, fuzz::fuzzLimits());
        if (!again.ok() || !(again.image == result.image)) __builtin_trap();
    }
    return 0;
}
