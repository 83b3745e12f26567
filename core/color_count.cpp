#include "core/color_count.h"

#include <cstdint>
#include <vector>

namespace vorbix {

int CountColors(const Picture& picture) {
    std::vector<std::uint64_t> seen((1u << 24) / 64, 0);
    int distinct = 0;
    const std::uint8_t* p = picture.Data();
    for (std::size_t i = 0; i < picture.ByteCount(); i += 3) {
        const std::uint32_t key = p[i] | (p[i + 1] << 8) | (p[i + 2] << 16);
        std::uint64_t& word = seen[key >> 6];
        const std::uint64_t bit = std::uint64_t{1} << (key & 63);
        if (!(word & bit)) {
            word |= bit;
            ++distinct;
        }
    }
    return distinct;
}

}  // namespace vorbix
