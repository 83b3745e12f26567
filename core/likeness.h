#pragma once

#include <vector>

#include "core/delta_e.h"
#include "core/eye_filter.h"
#include "core/picture.h"

namespace vorbix {

// What the likeness compares and how it pools. The defaults were tuned on the tune half of
// bench/eye_panel (bench/eye_panel/tune.py), where they order 25 of 29 pairs as judged.
struct LikenessWeights {
    // The eye-blurred picture is cut into blocks about `blockSpread` degrees wide. Around each
    // block, in a window of `window` blocks a side (clipped at the picture's edges), two things
    // are compared with the reference: its colour, the window's mean opponent channels in CIELAB
    // with lightness differences weighed `lightnessWeight` against chroma's (a cast or a lost
    // bright object shows here, a dither's fine grain does not); and its lightness contrast, the
    // spread of the blocks' lightness as structural similarity's contrast term compares it (Wang,
    // Simoncelli & Bovik), of which what the picture lost (CIELAB L units) costs `contrastWeight`
    // each (a dither's added contrast is not counted: the eye forgives it).
    double blockSpread = 0.22;
    int window = 7;
    double lightnessWeight = 1.5;
    double contrastWeight = 3.0;
    // Each pixel's own S-CIELAB ΔE00 (DeltaEScore's), weighed this much on top.
    double fineWeight = 0.25;
    // The exponent of the Minkowski pooling of the pixels' errors (1 at least): above 1, a small
    // area far off costs more than its share of the picture.
    int pooling = 4;
};

// How unlike reference shown looks to an eye seeing samplesPerDegree pixels per degree of view;
// 0 for identical pictures, lower is closer. Each pixel's error is its block's window colour
// difference and lost contrast plus its weighed S-CIELAB ΔE00, and the score their Minkowski
// mean. Pictures of different sizes score infinity; two empty pictures 0.
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
