#include "fuzz_target.h"
#include "properties/rename_request_properties.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    filarion::fuzz::failOn(filarion::fuzz::checkRenameRequestInput(data, size));
    return 0;
}
