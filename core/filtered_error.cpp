#include "core/filtered_error.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace vorbix {

namespace {

constexpr double kReach = 2.5;                 // spreads a Gaussian's taps reach
constexpr double kWidestModelledSpread = 1.0;  // degrees; wider terms are left out

struct ModelTerm {
    double weight;  // over the channel's whole kernel
    int radius;
    std::vector<double> taps;  // 2 radius + 1, centred
};

std::vector<ModelTerm> ModelTerms(int channel, double samplesPerDegree) {
    const EyeKernel& kernel = kEyeKernels[channel];
    const double total = KernelWeight(kernel);
    std::vector<ModelTerm> terms;
    for (int t = 0; t < kernel.count; ++t) {
        if (kernel.terms[t].spread > kWidestModelledSpread) continue;
        const double s = kernel.terms[t].spread * samplesPerDegree;
        const int radius = GaussianRadius(s, kReach);
        terms.push_back({kernel.terms[t].weight / total, radius, GaussianTaps(s, radius)});
    }
    return terms;
}

// The weight (over the kernel's total) of the terms too wide to model as blurs: they reach
// across the whole picture, so they are taken as its mean.
double WideWeight(int channel) {
    const EyeKernel& kernel = kEyeKernels[channel];
    double wide = 0;
    for (int t = 0; t < kernel.count; ++t)
        if (kernel.terms[t].spread > kWidestModelledSpread) wide += kernel.terms[t].weight;
    return wide / KernelWeight(kernel);
}

// The model's picture-wide part, from the mean of each channel's mapped difference: the wide
// terms give every pixel their weight times that mean, and the blurs' sum over the picture is
// taken as their weight times it (what a blur keeps of a picture's mean).
double WholePictureError(const Opponent& mean, const Matrix3& metric, double pixels) {
    Opponent wide{}, narrow{};
    for (int c = 0; c < 3; ++c) {
        wide[c] = WideWeight(c) * mean[c];
        narrow[c] = (1 - WideWeight(c)) * mean[c];
    }
    double total = 0;
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < 3; ++k) total += metric[c][k] * (wide[c] * wide[k] + 2 * narrow[c] * wide[k]);
    return pixels * total;
}

int WidestRadius(const std::vector<ModelTerm>& terms) {
    int radius = 0;
    for (const ModelTerm& term : terms) radius = std::max(radius, term.radius);
    return radius;
}

// A plane of doubles with room of `margin` around the picture, where the blurred error reaches.
struct Canvas {
    Canvas(int pictureWidth, int pictureHeight, int margin)
        : margin(margin),
          width(pictureWidth + 2 * margin),
          height(pictureHeight + 2 * margin),
          values(static_cast<std::size_t>(width) * height, 0.0) {}
    double& At(int x, int y) { return values[static_cast<std::size_t>(y) * width + x]; }
    double At(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }

    int margin, width, height;
    std::vector<double> values;
};

// The shown blocks minus the reference, each block's mapped by its transform, one canvas a channel.
std::array<Canvas, 3> Differences(const Picture& reference, int blockWidth, int blockHeight,
                                  const std::vector<Opponent>& shown, const std::vector<Matrix3>& transforms,
                                  int margin) {
    const int w = reference.Width(), h = reference.Height(), columns = w / blockWidth;
    std::array<Canvas, 3> d{Canvas(w, h, margin), Canvas(w, h, margin), Canvas(w, h, margin)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::size_t block = static_cast<std::size_t>(y / blockHeight) * columns + x / blockWidth;
            const Opponent seen = shown[block], wanted = OpponentOf(EntryFromColour(reference.Pixel(x, y)));
            Opponent difference{seen[0] - wanted[0], seen[1] - wanted[1], seen[2] - wanted[2]};
            if (!transforms.empty()) difference = Multiply(transforms[block], difference);
            for (int c = 0; c < 3; ++c) d[c].At(x + margin, y + margin) = difference[c];
        }
    return d;
}

Opponent MeanOf(const std::array<Canvas, 3>& differences) {
    Opponent mean{};
    const Canvas& any = differences[0];
    const double pixels = static_cast<double>(any.width - 2 * any.margin) * (any.height - 2 * any.margin);
    for (int c = 0; c < 3; ++c) mean[c] = std::accumulate(differences[c].values.begin(), differences[c].values.end(), 0.0) / pixels;
    return mean;
}

// out += weight times in blurred by the separable term, zero beyond the canvas. Each pass adds
// whole shifted rows, which the compiler turns into vector arithmetic.
void AddBlurred(const Canvas& in, const ModelTerm& term, Canvas& out) {
    const int r = term.radius, w = in.width, h = in.height;
    Canvas across(w - 2 * in.margin, h - 2 * in.margin, in.margin);
    std::vector<double> padded(static_cast<std::size_t>(w) + 2 * r, 0.0);
    for (int y = 0; y < h; ++y) {
        std::copy_n(&in.values[static_cast<std::size_t>(y) * w], w, padded.begin() + r);
        double* row = &across.values[static_cast<std::size_t>(y) * w];
        for (int j = -r; j <= r; ++j) {
            const double tap = term.taps[j + r];
            const double* from = padded.data() + r + j;
            for (int x = 0; x < w; ++x) row[x] += tap * from[x];
        }
    }
    std::vector<double> sum(w);
    for (int y = 0; y < h; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0);
        for (int j = std::max(-r, -y); j <= std::min(r, h - 1 - y); ++j) {
            const double tap = term.taps[j + r];
            const double* from = &across.values[static_cast<std::size_t>(y + j) * w];
            for (int x = 0; x < w; ++x) sum[x] += tap * from[x];
        }
        double* row = &out.values[static_cast<std::size_t>(y) * w];
        for (int x = 0; x < w; ++x) row[x] += term.weight * sum[x];
    }
}

Canvas Blurred(const Canvas& in, const std::vector<ModelTerm>& terms) {
    Canvas out(in.width - 2 * in.margin, in.height - 2 * in.margin, in.margin);
    for (const ModelTerm& term : terms) AddBlurred(in, term, out);
    return out;
}

// Of two terms' taps: sum over u of a(u) b(u + k), for |k| <= the radii's sum.
std::vector<double> CrossCorrelation(const ModelTerm& a, const ModelTerm& b) {
    const int reach = a.radius + b.radius;
    std::vector<double> values(2 * reach + 1, 0.0);
    for (int u = -a.radius; u <= a.radius; ++u)
        for (int v = -b.radius; v <= b.radius; ++v) values[v - u + reach] += a.taps[u + a.radius] * b.taps[v + b.radius];
    return values;
}

// The cross-correlation summed over the pixel pairs of two blocks `block` pixels wide, d blocks apart.
double BetweenBlocks(const std::vector<double>& correlation, int block, int d) {
    const int reach = static_cast<int>(correlation.size() / 2);
    double sum = 0;
    for (int i = 0; i < block; ++i)
        for (int j = 0; j < block; ++j) {
            const int k = d * block + j - i;
            if (k >= -reach && k <= reach) sum += correlation[k + reach];
        }
    return sum;
}

}  // namespace

double FilteredError::Autocorrelations::At(int other, int dx, int dy) const {
    if (dx < -reachX || dx > reachX || dy < -reachY || dy > reachY) return 0;
    return planes[other][static_cast<std::size_t>(dy + reachY) * (2 * reachX + 1) + dx + reachX];
}

Opponent FilteredError::Mapped(const Change& change) const {
    if (transforms_.empty()) return change.delta;
    return Multiply(transforms_[static_cast<std::size_t>(change.y) * columns_ + change.x], change.delta);
}

FilteredError::FilteredError(const Picture& reference, int blockWidth, int blockHeight,
                             const std::vector<Opponent>& shown, const std::vector<Matrix3>& transforms,
                             const Matrix3& metric, double samplesPerDegree)
    : columns_(reference.Width() / blockWidth),
      rows_(reference.Height() / blockHeight),
      blockPixels_(blockWidth * blockHeight),
      pixels_(static_cast<double>(reference.Width()) * reference.Height()),
      metric_(metric),
      transforms_(transforms) {
    std::array<std::vector<ModelTerm>, 3> terms;
    int margin = 0;
    for (int c = 0; c < 3; ++c) {
        terms[c] = ModelTerms(c, samplesPerDegree);
        margin = std::max(margin, WidestRadius(terms[c]));
    }
    // The gradient of the error: each channel's blurred error under the metric, blurred again
    // (the blurs are symmetric).
    const std::array<Canvas, 3> differences = Differences(reference, blockWidth, blockHeight, shown, transforms, margin);
    mean_ = MeanOf(differences);
    std::vector<Canvas> blurred;
    for (int c = 0; c < 3; ++c) blurred.push_back(Blurred(differences[c], terms[c]));
    for (int c = 0; c < 3; ++c) {
        Canvas mixed(reference.Width(), reference.Height(), margin);
        for (std::size_t i = 0; i < mixed.values.size(); ++i)
            for (int other = 0; other < 3; ++other) mixed.values[i] += metric[c][other] * blurred[other].values[i];
        const Canvas twice = Blurred(mixed, terms[c]);
        std::vector<double>& correlated = correlated_[c];
        correlated.assign(static_cast<std::size_t>(columns_) * rows_, 0.0);
        for (int y = 0; y < reference.Height(); ++y)
            for (int x = 0; x < reference.Width(); ++x)
                correlated[static_cast<std::size_t>(y / blockHeight) * columns_ + x / blockWidth] +=
                    twice.At(x + margin, y + margin);
    }

    // Each channel's reach: its widest blur and the widest of all (margin) together, in blocks.
    for (int c = 0; c < 3; ++c) {
        Autocorrelations& a = autocorrelation_[c];
        const int reach = WidestRadius(terms[c]) + margin;
        a.reachX = (reach + blockWidth - 1) / blockWidth;
        a.reachY = (reach + blockHeight - 1) / blockHeight;
        for (std::vector<double>& plane : a.planes)
            plane.assign(static_cast<std::size_t>(2 * a.reachX + 1) * (2 * a.reachY + 1), 0.0);
    }
    // Each pair worked out once over its own reach and laid into both channels' planes.
    for (int c = 0; c < 3; ++c)
        for (int other = c; other < 3; ++other) {
            const int reach = WidestRadius(terms[c]) + WidestRadius(terms[other]);
            const int reachX = (reach + blockWidth - 1) / blockWidth, reachY = (reach + blockHeight - 1) / blockHeight;
            const int spanX = 2 * reachX + 1;
            std::vector<double> values(static_cast<std::size_t>(spanX) * (2 * reachY + 1), 0.0);
            for (const ModelTerm& one : terms[c])
                for (const ModelTerm& two : terms[other]) {
                    const std::vector<double> correlation = CrossCorrelation(one, two);
                    for (int dy = -reachY; dy <= reachY; ++dy) {
                        const double down = metric[c][other] * one.weight * two.weight *
                                            BetweenBlocks(correlation, blockHeight, dy);
                        for (int dx = -reachX; dx <= reachX; ++dx)
                            values[static_cast<std::size_t>(dy + reachY) * spanX + dx + reachX] +=
                                down * BetweenBlocks(correlation, blockWidth, dx);
                    }
                }
            for (const auto& [into, from] : {std::pair{c, other}, std::pair{other, c}}) {
                Autocorrelations& a = autocorrelation_[into];
                for (int dy = -reachY; dy <= reachY; ++dy)
                    for (int dx = -reachX; dx <= reachX; ++dx)
                        a.planes[from][static_cast<std::size_t>(dy + a.reachY) * (2 * a.reachX + 1) + dx + a.reachX] =
                            values[static_cast<std::size_t>(dy + reachY) * spanX + dx + reachX];
            }
        }
}

double FilteredError::Delta(std::span<const Change> changes) const {
    std::array<Opponent, 4> mapped{};
    const std::size_t count = std::min(changes.size(), mapped.size());
    for (std::size_t k = 0; k < count; ++k) mapped[k] = Mapped(changes[k]);
    Opponent mean = mean_;
    for (std::size_t k = 0; k < count; ++k)
        for (int c = 0; c < 3; ++c) mean[c] += mapped[k][c] * blockPixels_ / pixels_;
    double total = WholePictureError(mean, metric_, pixels_) - WholePictureError(mean_, metric_, pixels_);
    for (std::size_t k = 0; k < count; ++k) {
        const Change& one = changes[k];
        const std::size_t at = static_cast<std::size_t>(one.y) * columns_ + one.x;
        for (int c = 0; c < 3; ++c) total += 2 * mapped[k][c] * correlated_[c][at];
        for (std::size_t l = 0; l < count; ++l) {
            const Change& two = changes[l];
            for (int c = 0; c < 3; ++c)
                for (int other = 0; other < 3; ++other)
                    total += mapped[k][c] * mapped[l][other] * autocorrelation_[c].At(other, two.x - one.x, two.y - one.y);
        }
    }
    return total;
}

void FilteredError::Apply(std::span<const Change> changes) {
    for (const Change& change : changes) {
        const Opponent mapped = Mapped(change);
        for (int c = 0; c < 3; ++c) mean_[c] += mapped[c] * blockPixels_ / pixels_;
        for (int c = 0; c < 3; ++c) {
            const Autocorrelations& a = autocorrelation_[c];
            const int spanX = 2 * a.reachX + 1;
            const int x0 = std::max(0, change.x - a.reachX), x1 = std::min(columns_ - 1, change.x + a.reachX);
            const int y0 = std::max(0, change.y - a.reachY), y1 = std::min(rows_ - 1, change.y + a.reachY);
            for (int y = y0; y <= y1; ++y) {
                double* row = correlated_[c].data() + static_cast<std::size_t>(y) * columns_;
                const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(y - change.y + a.reachY) * spanX + a.reachX - change.x;
                const double* k0 = a.planes[0].data() + at;
                const double* k1 = a.planes[1].data() + at;
                const double* k2 = a.planes[2].data() + at;
                for (int x = x0; x <= x1; ++x) row[x] += mapped[0] * k0[x] + mapped[1] * k1[x] + mapped[2] * k2[x];
            }
        }
    }
}

double FilteredErrorPlain(const Picture& reference, int blockWidth, int blockHeight, const std::vector<Opponent>& shown,
                          const std::vector<Matrix3>& transforms, const Matrix3& metric,
                          double samplesPerDegree) {
    std::array<Canvas, 3> errors{Canvas(0, 0, 0), Canvas(0, 0, 0), Canvas(0, 0, 0)};
    int margin = 0;
    for (int c = 0; c < 3; ++c) margin = std::max(margin, WidestRadius(ModelTerms(c, samplesPerDegree)));
    const std::array<Canvas, 3> differences = Differences(reference, blockWidth, blockHeight, shown, transforms, margin);
    for (int c = 0; c < 3; ++c) {
        const std::vector<ModelTerm> terms = ModelTerms(c, samplesPerDegree);
        const int r = WidestRadius(terms);
        const Canvas& d = differences[c];
        auto kernel = [&](int u, int v) {
            double sum = 0;
            for (const ModelTerm& term : terms)
                if (std::abs(u) <= term.radius && std::abs(v) <= term.radius)
                    sum += term.weight * term.taps[u + term.radius] * term.taps[v + term.radius];
            return sum;
        };
        errors[c] = Canvas(reference.Width(), reference.Height(), margin);
        for (int y = 0; y < d.height; ++y)
            for (int x = 0; x < d.width; ++x)
                for (int v = -r; v <= r; ++v)
                    for (int u = -r; u <= r; ++u)
                        if (x - u >= 0 && x - u < d.width && y - v >= 0 && y - v < d.height)
                            errors[c].At(x, y) += kernel(u, v) * d.At(x - u, y - v);
    }
    double total = WholePictureError(MeanOf(differences), metric, static_cast<double>(reference.Width()) * reference.Height());
    for (std::size_t i = 0; i < errors[0].values.size(); ++i)
        for (int c = 0; c < 3; ++c)
            for (int other = 0; other < 3; ++other) total += errors[c].values[i] * metric[c][other] * errors[other].values[i];
    return total;
}

}  // namespace vorbix
