// Icon reader: the directory, bitmap icons with their masks, PNG icons.
#include <cstddef>
#include <cstdint>

#include "fuzz_limits.h"
#include "io/ico_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnel::fuzz::checkDecoded(tarnel::decodeIco({data, size}, tarnel::fuzz::fuzzLimits()));
    return 0;
}
