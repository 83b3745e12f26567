// Arbitrary bytes through the picture packer and back: what PackZx0 writes unpacks to the same
// bytes; and the bytes as a packed stream of their own must be refused or unpack within the limit.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "io/zx0.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vorbix;
    const std::span<const std::uint8_t> bytes(data, size);
    constexpr std::size_t kLimit = 1 << 16;
    if (const auto unpacked = UnpackZx0(bytes, kLimit); unpacked && unpacked->size() > kLimit) std::abort();
    if (size == 0) return 0;
    const auto round = UnpackZx0(PackZx0(bytes), size);
    if (!round || !std::equal(round->begin(), round->end(), bytes.begin(), bytes.end())) std::abort();
    return 0;
}
