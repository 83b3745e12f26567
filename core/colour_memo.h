#pragma once

#include <cstdint>
#include <vector>

namespace vorbix {

// Remembers the value last made for each colour key in a table of 2^SlotBits slots, a key to a
// slot: during one walk over a picture the same colours come again and again (a dithered picture
// holds a handful), so most asks find their value without making it.
template <typename Value, int SlotBits>
class ColourMemo {
public:
    ColourMemo() : keys_(kSlots, kNoKey), values_(kSlots) {}

    // The value for key, made by make() when the key's slot holds another.
    template <typename Make>
    const Value& For(std::uint32_t key, Make&& make) {
        const std::uint32_t slot = (key * 2654435761u) >> (32 - SlotBits);
        if (keys_[slot] != key) {
            keys_[slot] = key;
            values_[slot] = make();
        }
        return values_[slot];
    }

private:
    static constexpr std::size_t kSlots = std::size_t{1} << SlotBits;
    static constexpr std::uint32_t kNoKey = 0xFFFFFFFF;

    std::vector<std::uint32_t> keys_;
    std::vector<Value> values_;
};

}  // namespace vorbix
