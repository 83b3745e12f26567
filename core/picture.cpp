#include "core/picture.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

#include "core/parallel.h"

namespace vorbix {

Picture::Picture(int width, int height, ColourValue fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      bytes_(static_cast<std::size_t>(width_) * height_ * 3) {
    Fill(fill);
}

ColourValue Picture::Pixel(int x, int y) const {
    const std::uint8_t* p = Row(y) + x * 3;
    return MakeColour(p[2], p[1], p[0]);
}

void Picture::SetPixel(int x, int y, ColourValue c) {
    std::uint8_t* p = Row(y) + x * 3;
    p[0] = static_cast<std::uint8_t>(GetBlue(c));
    p[1] = static_cast<std::uint8_t>(GetGreen(c));
    p[2] = static_cast<std::uint8_t>(GetRed(c));
}

void Picture::Fill(ColourValue c) {
    const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(GetBlue(c)), static_cast<std::uint8_t>(GetGreen(c)),
                                 static_cast<std::uint8_t>(GetRed(c))};
    for (std::size_t i = 0; i < bytes_.size(); i += 3) std::copy(bgr, bgr + 3, bytes_.begin() + i);
}

namespace {

void StretchNearest(Picture& dst, const Picture& src, int width, int height) {
    const int w = std::min(width, dst.Width());
    const int h = std::min(height, dst.Height());
    std::vector<int> sourceColumn(w);
    for (int x = 0; x < w; ++x)
        sourceColumn[x] = static_cast<int>(static_cast<std::int64_t>(x) * src.Width() / width);
    int previousSourceRow = -1;
    for (int y = 0; y < h; ++y) {
        const int sourceRow = static_cast<int>(static_cast<std::int64_t>(y) * src.Height() / height);
        std::uint8_t* d = dst.Row(y);
        const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
        if (sourceRow == previousSourceRow) {
            std::memcpy(d, dst.Row(y - 1), rowBytes);
        } else if (width == src.Width()) {
            std::memcpy(d, src.Row(sourceRow), rowBytes);
        } else {
            const std::uint8_t* s = src.Row(sourceRow);
            for (int x = 0; x < w; ++x) std::memcpy(d + x * 3, s + sourceColumn[x] * 3, 3);
        }
        previousSourceRow = sourceRow;
    }
}

// floor(numerator / divisor) without a 64-bit division per channel: a guess from the reciprocal,
// corrected to the exact quotient.
class Divider {
public:
    explicit Divider(std::uint64_t divisor) : divisor_(divisor), reciprocal_(1.0 / static_cast<double>(divisor)) {}
    std::uint64_t operator()(std::uint64_t numerator) const {
        std::uint64_t q = static_cast<std::uint64_t>(static_cast<double>(numerator) * reciprocal_);
        while (q * divisor_ > numerator) --q;
        while ((q + 1) * divisor_ <= numerator) ++q;
        return q;
    }

private:
    std::uint64_t divisor_;
    double reciprocal_;
};

// Destination cell d covers source positions [d*S, (d+1)*S) in units of 1/D, source pixel s covers
// [s*D, (s+1)*D): their overlaps are whole numbers, so the average is exact integer arithmetic.
struct Spans {
    std::vector<int> first;          // first source pixel of each destination cell
    std::vector<int> start;          // where its weights begin in `weights`; one extra end entry
    std::vector<std::uint64_t> weights;
};

Spans AreaSpans(int sourceLength, int destinationLength, int used) {
    Spans spans;
    spans.first.resize(used);
    spans.start.resize(used + 1);
    for (int d = 0; d < used; ++d) {
        const std::int64_t begin = static_cast<std::int64_t>(d) * sourceLength;
        const std::int64_t end = begin + sourceLength;
        const int first = static_cast<int>(begin / destinationLength);
        spans.first[d] = first;
        spans.start[d] = static_cast<int>(spans.weights.size());
        for (int s = first; static_cast<std::int64_t>(s) * destinationLength < end && s < sourceLength; ++s) {
            const std::int64_t lo = std::max(begin, static_cast<std::int64_t>(s) * destinationLength);
            const std::int64_t hi = std::min(end, static_cast<std::int64_t>(s + 1) * destinationLength);
            spans.weights.push_back(static_cast<std::uint64_t>(hi - lo));
        }
    }
    spans.start[used] = static_cast<int>(spans.weights.size());
    return spans;
}

// Adds each run of kx pixels of the column sums to its destination sums; the ratios the
// converter uses every time (1, 2 and 4) are unrolled, Fixed 0 takes any kx.
template <int Fixed>
void AddRuns(std::uint32_t* sum, const std::uint32_t* column, int w, int kx) {
    const int run = Fixed > 0 ? Fixed : kx;
    for (int x = 0; x < w; ++x, sum += 3) {
        std::uint32_t b = 0, g = 0, r = 0;
        for (int k = 0; k < run; ++k, column += 3) {
            b += column[0];
            g += column[1];
            r += column[2];
        }
        sum[0] = b;
        sum[1] = g;
        sum[2] = r;
    }
}

// When each destination cell covers whole source pixels (kx by ky of them), every weight is the
// same product; summing the block first and multiplying once gives the same sums.
void StretchWholeBlocks(Picture& dst, const Picture& src, int width, int height, int w, int h) {
    const int kx = src.Width() / width, ky = src.Height() / height;
    const std::uint64_t weight = static_cast<std::uint64_t>(width) * height;
    const std::uint64_t total = static_cast<std::uint64_t>(src.Width()) * src.Height();
    const Divider divide(total);
    std::vector<std::uint8_t> byteOfSum(255 * kx * ky + 1);
    for (std::size_t sum = 0; sum < byteOfSum.size(); ++sum)
        byteOfSum[sum] = static_cast<std::uint8_t>(divide(sum * weight + total / 2));
    // A block of a power of two pixels (the converter's 1, 2, 4 and 8) rounds by a shift, which
    // gives the table's bytes: total is exactly blockPixels * weight.
    const int blockPixels = kx * ky;
    const int shift = std::has_single_bit(static_cast<unsigned>(blockPixels)) ? std::countr_zero(static_cast<unsigned>(blockPixels)) : -1;
    const std::uint32_t half = static_cast<std::uint32_t>(blockPixels / 2);
    ParallelBands(h, static_cast<long long>(kx) * ky * w, [&](int rowBegin, int rowEnd) {
        // The block's rows are added byte by byte first, which vectorises, then its columns.
        std::vector<std::uint32_t> column(static_cast<std::size_t>(w) * kx * 3);
        std::vector<std::uint32_t> sum(static_cast<std::size_t>(w) * 3);
        for (int y = rowBegin; y < rowEnd; ++y) {
            std::fill(column.begin(), column.end(), 0);
            for (int r = 0; r < ky; ++r) {
                const std::uint8_t* s = src.Row(y * ky + r);
                std::uint32_t* c = column.data();
                const std::size_t count = column.size();
                for (std::size_t i = 0; i < count; ++i) c[i] += s[i];
            }
            switch (kx) {
                case 1: AddRuns<1>(sum.data(), column.data(), w, kx); break;
                case 2: AddRuns<2>(sum.data(), column.data(), w, kx); break;
                case 4: AddRuns<4>(sum.data(), column.data(), w, kx); break;
                default: AddRuns<0>(sum.data(), column.data(), w, kx); break;
            }
            std::uint8_t* d = dst.Row(y);
            if (shift >= 0) {
                // Locals, so that the bytes written cannot be taken to change them.
                const int by = shift;
                const std::uint32_t round = half;
                const std::uint32_t* in = sum.data();
                const std::size_t count = sum.size();
                for (std::size_t i = 0; i < count; ++i) d[i] = static_cast<std::uint8_t>((in[i] + round) >> by);
            } else {
                for (std::size_t i = 0; i < sum.size(); ++i) d[i] = byteOfSum[sum[i]];
            }
        }
    });
}

void StretchAveraging(Picture& dst, const Picture& src, int width, int height) {
    const int w = std::min(width, dst.Width());
    const int h = std::min(height, dst.Height());
    constexpr long long kMaxBlock = 1 << 12;  // keeps the table of block sums small
    if (src.Width() % width == 0 && src.Height() % height == 0 &&
        static_cast<long long>(src.Width() / width) * (src.Height() / height) < kMaxBlock) {
        StretchWholeBlocks(dst, src, width, height, w, h);
        return;
    }
    const Spans columns = AreaSpans(src.Width(), width, w);
    const Spans rows = AreaSpans(src.Height(), height, h);
    const std::uint64_t total = static_cast<std::uint64_t>(src.Width()) * src.Height();
    const Divider divide(total);
    const long long sourcePixelsPerRow = static_cast<long long>(src.Width()) * src.Height() / std::max(h, 1) + 1;
    ParallelBands(h, sourcePixelsPerRow, [&](int rowBegin, int rowEnd) {
        std::vector<std::uint64_t> across(static_cast<std::size_t>(w) * 3);
        std::vector<std::uint64_t> sum(static_cast<std::size_t>(w) * 3);
        for (int y = rowBegin; y < rowEnd; ++y) {
            std::fill(sum.begin(), sum.end(), 0);
            for (int r = rows.start[y]; r < rows.start[y + 1]; ++r) {
                const std::uint8_t* s = src.Row(rows.first[y] + (r - rows.start[y]));
                for (int x = 0; x < w; ++x) {
                    std::uint64_t b = 0, g = 0, red = 0;
                    const std::uint8_t* p = s + static_cast<std::size_t>(columns.first[x]) * 3;
                    for (int k = columns.start[x]; k < columns.start[x + 1]; ++k, p += 3) {
                        const std::uint64_t weight = columns.weights[k];
                        b += p[0] * weight;
                        g += p[1] * weight;
                        red += p[2] * weight;
                    }
                    across[x * 3] = b;
                    across[x * 3 + 1] = g;
                    across[x * 3 + 2] = red;
                }
                const std::uint64_t weight = rows.weights[r];
                for (std::size_t i = 0; i < sum.size(); ++i) sum[i] += across[i] * weight;
            }
            std::uint8_t* d = dst.Row(y);
            for (std::size_t i = 0; i < sum.size(); ++i) d[i] = static_cast<std::uint8_t>(divide(sum[i] + total / 2));
        }
    });
}

}  // namespace

void StretchPicturePlain(Picture& destination, const Picture& source, int width, int height, int smooth) {
    if (width <= 0 || height <= 0 || source.Empty() || destination.Empty()) return;
    const Picture src = source;
    const bool averaging = smooth == 1 && (width != src.Width() || height != src.Height());
    const std::int64_t sw = src.Width(), sh = src.Height();
    // Overlap of [a0, a1) and [b0, b1), in units of 1/width or 1/height of a source pixel.
    auto overlap = [](std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1) {
        return std::max<std::int64_t>(0, std::min(a1, b1) - std::max(a0, b0));
    };
    for (int y = 0; y < std::min(height, destination.Height()); ++y)
        for (int x = 0; x < std::min(width, destination.Width()); ++x) {
            if (!averaging) {
                destination.SetPixel(x, y, src.Pixel(static_cast<int>(x * sw / width), static_cast<int>(y * sh / height)));
                continue;
            }
            std::uint64_t sum[3] = {0, 0, 0};
            for (std::int64_t sy = y * sh / height; sy < sh && sy * height < (y + 1) * sh; ++sy)
                for (std::int64_t sx = x * sw / width; sx < sw && sx * width < (x + 1) * sw; ++sx) {
                    const std::uint64_t weight = static_cast<std::uint64_t>(
                        overlap(x * sw, (x + 1) * sw, sx * width, (sx + 1) * width) *
                        overlap(y * sh, (y + 1) * sh, sy * height, (sy + 1) * height));
                    const std::uint8_t* p = src.Row(static_cast<int>(sy)) + sx * 3;
                    for (int c = 0; c < 3; ++c) sum[c] += p[c] * weight;
                }
            const std::uint64_t area = static_cast<std::uint64_t>(sw * sh);
            std::uint8_t* d = destination.Row(y) + x * 3;
            for (int c = 0; c < 3; ++c) d[c] = static_cast<std::uint8_t>((sum[c] + area / 2) / area);
        }
}

void StretchPicture(Picture& destination, const Picture& source, int width, int height, int smooth) {
    if (width <= 0 || height <= 0 || source.Empty() || destination.Empty()) return;
    if (&destination == &source) {
        const Picture copy = source;
        StretchPicture(destination, copy, width, height, smooth);
        return;
    }
    if (smooth == 1 && (width != source.Width() || height != source.Height()))
        StretchAveraging(destination, source, width, height);
    else
        StretchNearest(destination, source, width, height);
}

}  // namespace vorbix
