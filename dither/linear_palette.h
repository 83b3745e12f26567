#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/colour_memo.h"
#include "core/linear_light.h"
#include "core/palette.h"

namespace vorbix {

LinearRgb LinearOf(const PaletteEntry& entry);

// A palette as light, for the methods that mix in linear light: each entry's linear light,
// worked out once per conversion.
class LinearPalette {
public:
    explicit LinearPalette(const Palette& palette);

    int Size() const { return static_cast<int>(linear_.size()); }
    const LinearRgb& Linear(int index) const { return linear_[index]; }
    const PaletteEntry& Entry(int index) const { return entries_[index]; }
    // The indices by luminance, darkest first; entries of equal luminance in index order.
    const std::vector<int>& DarkestFirst() const { return darkestFirst_; }

    // The entry nearest in linear light, the lowest index among equally near ones; 0 for an
    // empty palette.
    int Nearest(LinearRgb colour) const;

private:
    Palette entries_;
    std::vector<LinearRgb> linear_;
    std::vector<int> darkestFirst_;
};

// A colour with each level rounded to one of 64 (0, 4, 8, ... 251, 255), for choices that a
// step of four levels hardly moves, so that neighbouring pixels can share them.
inline constexpr int kCoarseLevels = 64;
constexpr int CoarseIndex(int level) { return (level * (kCoarseLevels - 1) + 127) / 255; }
constexpr int LevelOfCoarseIndex(int index) { return (index * 255 + (kCoarseLevels - 1) / 2) / (kCoarseLevels - 1); }
LinearRgb CoarseLinearOf(int red, int green, int blue);

// Remembers make(coarse colour) for the coarse colours met during one walk.
template <typename Value, typename Make>
class CoarseColourMemo {
public:
    explicit CoarseColourMemo(Make make) : make_(std::move(make)) {}

    const Value& For(int red, int green, int blue) {
        const std::uint32_t key = static_cast<std::uint32_t>(
            (CoarseIndex(red) * kCoarseLevels + CoarseIndex(green)) * kCoarseLevels + CoarseIndex(blue));
        return memo_.For(key, [&] { return make_(CoarseLinearOf(red, green, blue)); });
    }

private:
    Make make_;
    ColourMemo<Value, 13> memo_;
};

}  // namespace vorbix
