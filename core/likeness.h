#pragma once

#include <vector>

#include "core/delta_e.h"
#include "core/eye_filter.h"
#include "core/picture.h"

namespace vorbix {

// What the likeness adds to the eye's colour difference, and how it pools. The defaults were set
// on the three pairs of bench/eye_panel/README.md that the colour difference alone orders wrongly.
struct LikenessWeights {
    // Lightness contrast and structure, as structural similarity compares them (Wang, Simoncelli
    // & Bovik), on the eye-blurred lightness averaged over blocks about `structureSpread` wide,
    // in windows of `structureWindow` blocks a side: the local contrast the picture lost against
    // the source (CIELAB L units; a dither's added contrast is not counted, the eye forgives it)
    // with weight `contrastWeight`, and 1 - the correlation of the two (0 where the shapes follow
    // the source, up to 2 where they are reversed) with weight `structureWeight`.
    double contrastWeight = 4.0;
    double structureWeight = 5.0;
    double structureSpread = 0.22;
    int structureWindow = 5;
    // The exponent of the Minkowski pooling of the pixels' errors (1 at least): above 1, a small
    // area far off costs more than its share of the picture.
    int pooling = 4;
};

// How unlike reference shown looks to an eye seeing samplesPerDegree pixels per degree of view;
// 0 for identical pictures, lower is closer. Each pixel's error is the S-CIELAB colour difference
// (DeltaEScore's) plus the structure term around it, and the score their Minkowski mean. Pictures of different sizes score infinity; two empty pictures 0.
// Single precision; the eye's blur as DeltaEScore's.
double LikenessScore(const Picture& reference, const Picture& shown, double samplesPerDegree = kTvcSamplesPerDegree,
                     const LikenessWeights& weights = {});

// The score, and in `parts` each pixel's part of it, row after row: the score is the pooling's
// root of their mean, so a region's parts summed say how much it costs. Left empty when the
// sizes differ or the pictures are empty.
double LikenessScore(const Picture& reference, const Picture& shown, std::vector<float>& parts,
                     double samplesPerDegree = kTvcSamplesPerDegree, const LikenessWeights& weights = {});

// The same score written out plainly: the plain eye blur, blocks averaged one by one, everything
// in double precision. Slow; it states the rule LikenessScore must agree with closely.
double LikenessScorePlain(const Picture& reference, const Picture& shown,
                          double samplesPerDegree = kTvcSamplesPerDegree, const LikenessWeights& weights = {});

}  // namespace vorbix
