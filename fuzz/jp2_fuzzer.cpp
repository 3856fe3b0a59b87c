// JPEG 2000 reader through OpenJPEG, JP2 files and raw codestreams.
#include <cstddef>
#include <cstdint>

#include "fuzz_limits.h"
#include "io/jp2_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnel::fuzz::checkDecoded(tarnel::decodeJpeg2000({data, size}, tarnel::fuzz::fuzzLimits()));
    return 0;
}
