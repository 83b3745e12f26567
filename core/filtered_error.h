#pragma once

#include <array>
#include <span>
#include <vector>

#include "core/cielab.h"
#include "core/eye_filter.h"
#include "core/matrix3.h"
#include "core/picture.h"

namespace vorbix {

// The eye model that direct binary search lowers (Analoui & Allebach; the efficient form of
// Lieberman & Allebach): the error between a reference and a picture shown in blocks of
// blockWidth x blockHeight reference pixels, after the likeness score's blur of each opponent
// channel, with zero error outside the picture, summed over the pixels as e' Q e for the metric
// Q (symmetric, positive definite). Each Gaussian reaches 2.5 spreads. The score's very wide
// luminance term spans more than the whole picture: it is taken as the picture's mean difference,
// given to every pixel, and a blur's sum over the picture as its weight times that mean.
//
// Each block's difference may be mapped before the blur (transforms, one a block; none: left as
// it is), so that the error counts more where the eye tells differences apart better; a map
// that is the same over a block keeps the model exact.
//
// Kept as the blurred error (under the metric) correlated with the blur, summed over each block,
// and the blurs' correlations between blocks: what a change of a few blocks does to the error
// costs a few look-ups, and making it a patch the size of the correlations.
class FilteredError {
public:
    struct Change {
        int x, y;        // the block
        Opponent delta;  // what its shown colour gains
    };

    // shown: each block's opponent colour, row after row; the reference's size must be whole blocks.
    FilteredError(const Picture& reference, int blockWidth, int blockHeight, const std::vector<Opponent>& shown,
                  const std::vector<Matrix3>& transforms = {}, const Matrix3& metric = kIdentity3,
                  double samplesPerDegree = kTvcSamplesPerDegree);

    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    // How much the error would change with these changes (at most four, distinct blocks) made together.
    double Delta(std::span<const Change> changes) const;
    void Apply(std::span<const Change> changes);

private:
    // The autocorrelations between channel c's blur and each channel's [c'], times the metric's
    // entry (the same both ways), laid over one reach: the widest of the three, zero beyond each
    // one's own, so that a change updates each block of c's error in one pass.
    struct Autocorrelations {
        int reachX = 0, reachY = 0;                 // in blocks
        std::array<std::vector<double>, 3> planes;  // [c'], (2 reachY + 1) rows of 2 reachX + 1

        double At(int other, int dx, int dy) const;
    };

    // The change's difference as the model takes it: mapped by its block's transform.
    Opponent Mapped(const Change& change) const;

    int columns_, rows_;
    int blockPixels_;
    double pixels_;
    Matrix3 metric_;
    std::vector<Matrix3> transforms_;
    Opponent mean_{};  // of each channel's mapped difference over the picture
    std::array<std::vector<double>, 3> correlated_;  // per channel, per block
    std::array<Autocorrelations, 3> autocorrelation_;  // [c]
};

// The same error written out plainly: the blocks enlarged, the difference blurred by the whole
// two-dimensional kernel over the plane it reaches, and the squares summed. Slow; it states the
// rule that FilteredError's changes must agree with.
double FilteredErrorPlain(const Picture& reference, int blockWidth, int blockHeight, const std::vector<Opponent>& shown,
                          const std::vector<Matrix3>& transforms = {}, const Matrix3& metric = kIdentity3,
                          double samplesPerDegree = kTvcSamplesPerDegree);

}  // namespace vorbix
