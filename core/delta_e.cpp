#include "core/delta_e.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>

#include "core/cielab.h"

namespace vorbix {
namespace {

double MeanDifferencePlain(const Channels& one, const Channels& two) {
    double sum = 0;
    for (int y = 0; y < one[0].height; ++y)
        for (int x = 0; x < one[0].width; ++x) {
            const LabOf<double> p(one[0].Row(y)[x], one[1].Row(y)[x], one[2].Row(y)[x]);
            const LabOf<double> q(two[0].Row(y)[x], two[1].Row(y)[x], two[2].Row(y)[x]);
            sum += Ciede2000({p.L, p.a, p.b}, {q.L, q.a, q.b});
        }
    return sum / (static_cast<double>(one[0].width) * one[0].height);
}

double MeanDifferenceFast(const Picture& reference, const Picture& shown, double samplesPerDegree) {
    const int w = reference.Width(), h = reference.Height();
    std::vector<double> rowSums(h);
    EyeBlurInStrips(reference, shown, samplesPerDegree, [&](const BlurredStrip& blurred) {
        std::vector<float> lab(6 * static_cast<std::size_t>(w)), differences(w);
        float* one[3] = {&lab[0], &lab[w], &lab[2 * w]};
        float* two[3] = {&lab[3 * w], &lab[4 * w], &lab[5 * w]};
        for (int y = blurred.y0; y < blurred.y1; ++y) {
            const float* first[3] = {blurred.Row(0, 0, y), blurred.Row(0, 1, y), blurred.Row(0, 2, y)};
            const float* second[3] = {blurred.Row(1, 0, y), blurred.Row(1, 1, y), blurred.Row(1, 2, y)};
            LabRow(first, w, one);
            LabRow(second, w, two);
            rowSums[y] = Ciede2000Row(one, two, w, differences.data());
        }
    });
    // Rows are summed in order, so the number of threads does not change the score.
    return std::accumulate(rowSums.begin(), rowSums.end(), 0.0) / (static_cast<double>(w) * h);
}

bool Comparable(const Picture& reference, const Picture& shown) {
    return reference.Width() == shown.Width() && reference.Height() == shown.Height();
}

}  // namespace

double DeltaEScore(const Picture& reference, const Picture& shown, double samplesPerDegree) {
    if (!Comparable(reference, shown)) return std::numeric_limits<double>::infinity();
    if (reference.Empty()) return 0;
    return MeanDifferenceFast(reference, shown, samplesPerDegree);
}

double DeltaEScorePlain(const Picture& reference, const Picture& shown, double samplesPerDegree) {
    if (!Comparable(reference, shown)) return std::numeric_limits<double>::infinity();
    if (reference.Empty()) return 0;
    Channels a = OpponentChannels(reference), b = OpponentChannels(shown);
    for (int c = 0; c < 3; ++c) {
        a[c] = EyeBlurPlain(a[c], kEyeKernels[c], samplesPerDegree);
        b[c] = EyeBlurPlain(b[c], kEyeKernels[c], samplesPerDegree);
    }
    return MeanDifferencePlain(a, b);
}

}  // namespace vorbix
