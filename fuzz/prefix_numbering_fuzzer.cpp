#include "fuzz_target.h"
#include "properties/prefix_numbering_properties.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    filarion::fuzz::failOn(filarion::fuzz::checkPrefixNumberingInput(data, size));
    return 0;
}
