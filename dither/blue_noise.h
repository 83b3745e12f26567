#pragma once

#include <cstdint>
#include <vector>

#include "core/linear_light.h"
#include "core/palette.h"
#include "core/picture.h"

namespace vorbix {

// A void-and-cluster threshold mask (Ulichney 1993): the ranks 0..size² - 1, row by row, each
// once, ordered so that the pixels of every rank below a level are spread as evenly as a
// Gaussian of spread sigma can tell, on a torus so that the mask tiles without seams. The
// starting pattern is drawn from a fixed seed, so the mask is the same at every run.
std::vector<std::uint16_t> VoidAndClusterMask(int size, double sigma, std::uint64_t seed);

// The mask the blue-noise method tiles the picture with: 64 x 64, made at first use.
inline constexpr int kBlueNoiseSize = 64;
const std::vector<std::uint16_t>& BlueNoiseMask();

// Of all pairs of palette colours, the one whose straight mix in linear light comes nearest the
// colour, counting beside the squared distance 0.3 x share x (1 - share) x the pair's squared
// length (a mix of far-apart colours shows as noise), and how far along from the first to the
// second the colour lies (0..1).
struct TwoColourMix {
    int first = 0;
    int second = 0;
    float share = 0;  // of the second colour
};

// The mixes of one palette: every pair of entries of different colours, the lower index first.
class TwoColourMixes {
public:
    explicit TwoColourMixes(const Palette& palette);
    // The lowest pair in index order among equally near ones; a palette of one colour mixes its
    // first entry with itself.
    TwoColourMix Nearest(LinearRgb colour) const { return Along(NearestPair(colour), colour); }
    // The same in two steps: the pair's number, and the colour's place along that pair.
    int NearestPair(LinearRgb colour) const;
    TwoColourMix Along(int pair, LinearRgb colour) const;

private:
    // One array per quantity, so that a colour is measured against several pairs an instruction.
    std::vector<int> first_, second_;
    std::vector<float> fromRed_, fromGreen_, fromBlue_;      // the first colour
    std::vector<float> alongRed_, alongGreen_, alongBlue_;   // the second less the first
    std::vector<float> inverseLength_;                       // 1 / |along|²
};

// The rule TwoColourMixes::Nearest keeps in its fast layout, stated plainly: every pair of entries
// of different colours measured in turn, in the same arithmetic.
TwoColourMix NearestTwoColourMixPlain(const Palette& palette, LinearRgb colour);

// Each pixel takes the pair nearest its colour with each level rounded to one of 64, and shows
// its second colour where its mask threshold lies below the colour's share along the pair, else
// the first: no error is carried, so each pixel depends on itself alone.
void DitherBlueNoise(Picture& surface, const Palette& palette);

}  // namespace vorbix
