#include "pipeline/refine.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <vector>

#include "core/filtered_error.h"
#include "core/likeness.h"
#include "dither/pattern.h"
#include "pipeline/likeness_of.h"

namespace vorbix {

namespace {

// A change must win at least this much, so that rounding cannot make two colours trade places forever.
constexpr double kLeastGain = 1e-9;

// A colour a pixel can take: what the surface stores and what the machine shows.
struct Colour {
    PaletteEntry stored;
    Opponent shown;
};

// The colours of a unit of pixels (one pixel, or a mix's pair) a change can give it.
using Option = std::array<int, 2>;

// What the search may do: the colours, and for even and odd rows each unit's options.
struct Moves {
    std::vector<Colour> colours;
    int unitWidth = 1;
    std::array<std::vector<Option>, 2> options;  // [row parity]
    bool exchanges = true;                       // single pixels swap colours with neighbours
};

int IndexOf(const std::vector<Colour>& colours, const PaletteEntry& entry) {
    for (int i = 0; i < static_cast<int>(colours.size()); ++i)
        if (colours[i].stored == entry) return i;
    return -1;
}

void AddColour(std::vector<Colour>& colours, const PaletteEntry& entry) {
    if (IndexOf(colours, entry) < 0) colours.push_back({entry, OpponentOf(ShownColour(TvcColorByte(entry)))});
}

Moves MovesFor(const RefineStart& start) {
    Moves moves;
    if (!start.mixes) {
        for (const PaletteEntry& entry : start.palette) AddColour(moves.colours, entry);
        for (int i = 0; i < static_cast<int>(moves.colours.size()); ++i)
            for (auto& options : moves.options) options.push_back({i, i});
        return moves;
    }
    for (const PaletteEntry& entry : ChartColours()) AddColour(moves.colours, entry);
    moves.unitWidth = 2;
    moves.exchanges = false;
    // A pixel shows its mix's first colour where column and row are both even or both odd.
    for (int k = 0; k < kMixCount; ++k) {
        const Mix& mix = (*start.mixes)[k];
        if (mix.off) continue;
        AddColour(moves.colours, mix.first);
        AddColour(moves.colours, mix.second);
        const int first = IndexOf(moves.colours, mix.first), second = IndexOf(moves.colours, mix.second);
        moves.options[0].push_back({first, second});
        moves.options[1].push_back({second, first});
    }
    return moves;
}

// Each pixel's colour as the screen encoder matches it.
std::vector<int> ColoursOfSurface(const RefineStart& start, const Moves& moves) {
    Palette stored;
    for (const Colour& colour : moves.colours) stored.push_back(colour.stored);
    std::vector<int> index(static_cast<std::size_t>(start.surface.Width()) * start.surface.Height());
    for (int y = 0; y < start.surface.Height(); ++y)
        for (int x = 0; x < start.surface.Width(); ++x) {
            const ColorValue c = start.surface.Pixel(x, y);
            const PaletteEntry matched =
                start.mixes ? EntryFromColor(c)
                            : start.palette[NearestColorIndex(start.palette, GetRed(c), GetGreen(c), GetBlue(c))];
            const int known = IndexOf(moves.colours, matched);
            index[static_cast<std::size_t>(y) * start.surface.Width() + x] =
                known >= 0 ? known : NearestColorIndex(stored, GetRed(c), GetGreen(c), GetBlue(c));
        }
    return index;
}

Opponent Minus(const Opponent& a, const Opponent& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

// The slope of CIELAB's f, which makes differences in the dark count more.
double LabCurveSlope(double t) {
    constexpr double kKnee = 216.0 / 24389.0;
    return t > kKnee ? std::cbrt(t) / (3 * t) : 24389.0 / 27.0 / 116.0;
}

// The rows of CIELAB's L, a and b for a small difference of opponent channels at a colour of
// the given X, Y and Z: f's slope at each; at grey (slopes of 1) the form the model measures in.
Matrix3 LabRows(const std::array<double, 3>& slopes = {1, 1, 1}) {
    Matrix3 rows{};
    for (int channel = 0; channel < 3; ++channel) {
        Opponent unit{};
        unit[channel] = 1;
        const std::array<double, 3> xyz = XyzOfOpponent(unit);
        const double fx = slopes[0] * xyz[0] / kLabWhite[0], fy = slopes[1] * xyz[1] / kLabWhite[1],
                     fz = slopes[2] * xyz[2] / kLabWhite[2];
        rows[0][channel] = 116 * fy;
        rows[1][channel] = 500 * (fx - fy);
        rows[2][channel] = 200 * (fy - fz);
    }
    return rows;
}

// The model measures in CIELAB's rows at grey (the metric), and each block's difference is
// mapped so that it measures there what CIEDE2000 sees around the block: CIELAB's rows at the
// colour halfway between the source and the start's result around it, the lightness and the
// colour part divided by their weighting functions at the two colours' mean lightness and chroma,
// then back to opponent channels, so that the blur still sees opponent channels.
struct EyeWeighting {
    Matrix3 metric;
    std::vector<Matrix3> transforms;
};

EyeWeighting WeightingFor(const Picture& reference, const std::vector<Opponent>& shown, int blockWidth,
                          int blockHeight) {
    constexpr int kAround = 8;  // reference pixels each way: about as far as the finer luminance blur reaches
    const int columns = reference.Width() / blockWidth, rows = reference.Height() / blockHeight;
    std::vector<Opponent> wanted(static_cast<std::size_t>(columns) * rows, Opponent{});
    for (int y = 0; y < reference.Height(); ++y)
        for (int x = 0; x < reference.Width(); ++x) {
            const Opponent o = OpponentOf(EntryFromColor(reference.Pixel(x, y)));
            Opponent& sum = wanted[static_cast<std::size_t>(y / blockHeight) * columns + x / blockWidth];
            for (int c = 0; c < 3; ++c) sum[c] += o[c] / (blockWidth * blockHeight);
        }
    const Matrix3 rowsOfLab = LabRows();
    const Matrix3 back = Inverse(rowsOfLab);
    EyeWeighting weighting{Multiply(Transpose(rowsOfLab), rowsOfLab), {}};
    weighting.transforms.resize(wanted.size());
    const int reachX = kAround / blockWidth, reachY = kAround / blockHeight;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            Opponent source{}, result{};
            int count = 0;
            for (int r = std::max(0, row - reachY); r <= std::min(rows - 1, row + reachY); ++r)
                for (int c = std::max(0, column - reachX); c <= std::min(columns - 1, column + reachX); ++c) {
                    const std::size_t at = static_cast<std::size_t>(r) * columns + c;
                    for (int k = 0; k < 3; ++k) {
                        source[k] += wanted[at][k];
                        result[k] += shown[at][k];
                    }
                    ++count;
                }
            for (int k = 0; k < 3; ++k) {
                source[k] /= count;
                result[k] /= count;
            }
            const Lab one = LabOfOpponent(source), two = LabOfOpponent(result);
            const double meanL = (one.L + two.L) / 2;
            const double meanC = (std::hypot(one.a, one.b) + std::hypot(two.a, two.b)) / 2;
            const double l50 = (meanL - 50) * (meanL - 50);
            const double lightness = 1 + 0.015 * l50 / std::sqrt(20 + l50);
            // a and b carry chroma (1 + 0.045 C) and hue (1 + 0.015 C for a middling hue term) alike.
            const double colour = 1 + (0.045 + 0.015) / 2 * meanC;
            Opponent halfway{};
            for (int k = 0; k < 3; ++k) halfway[k] = (source[k] + result[k]) / 2;
            const std::array<double, 3> xyz = XyzOfOpponent(halfway);
            std::array<double, 3> slopes{};
            for (int k = 0; k < 3; ++k) slopes[k] = LabCurveSlope(std::max(0.0, xyz[k] / kLabWhite[k]));
            Matrix3 scale{};
            scale[0][0] = 1 / lightness;
            scale[1][1] = scale[2][2] = 1 / colour;
            weighting.transforms[static_cast<std::size_t>(row) * columns + column] =
                Multiply(back, Multiply(scale, LabRows(slopes)));
        }
    return weighting;
}

class Search {
public:
    Search(const RefineStart& start, const Moves& moves)
        : moves_(moves),
          width_(start.surface.Width()),
          height_(start.surface.Height()),
          colourOf_(ColoursOfSurface(start, moves)),
          model_(MakeModel(start.sourceView)) {}

    // One sweep over the picture, asking stop() before each row; false when it said stop.
    template <typename Stop>
    bool Sweep(long& changes, Stop stop) {
        for (int y = 0; y < height_; ++y) {
            if (stop()) return false;
            for (int x = 0; x + moves_.unitWidth <= width_; x += moves_.unitWidth)
                if (Improve(x, y)) ++changes;
        }
        return true;
    }

    const std::vector<int>& ColourOf() const { return colourOf_; }

private:
    std::vector<Opponent> ShownColours() const {
        std::vector<Opponent> shown;
        shown.reserve(colourOf_.size());
        for (int index : colourOf_) shown.push_back(moves_.colours[index].shown);
        return shown;
    }

    FilteredError MakeModel(const Picture& reference) const {
        const int blockWidth = reference.Width() / width_, blockHeight = reference.Height() / height_;
        const std::vector<Opponent> shown = ShownColours();
        const EyeWeighting weighting = WeightingFor(reference, shown, blockWidth, blockHeight);
        return FilteredError(reference, blockWidth, blockHeight, shown, weighting.transforms, weighting.metric);
    }

    int& ColourAt(int x, int y) { return colourOf_[static_cast<std::size_t>(y) * width_ + x]; }

    // The change that lowers the error most at the unit starting at (x, y), made; false when none helps.
    bool Improve(int x, int y) {
        std::array<FilteredError::Change, 2> best{}, trial{};
        std::array<int, 2> bestColours{};
        int bestCount = 0;
        double bestGain = -kLeastGain;
        auto consider = [&](int count, const std::array<int, 2>& colours) {
            const double gain = model_.Delta(std::span(trial.data(), count));
            if (gain >= bestGain) return;
            bestGain = gain;
            best = trial;
            bestCount = count;
            bestColours = colours;
        };
        for (const Option& option : moves_.options[y % 2]) {
            int count = 0;
            for (int i = 0; i < moves_.unitWidth; ++i) {
                const int now = ColourAt(x + i, y);
                if (option[i] == now) continue;
                trial[count++] = {x + i, y, Minus(moves_.colours[option[i]].shown, moves_.colours[now].shown)};
            }
            if (count > 0) consider(count, option);
        }
        if (moves_.exchanges) {
            const int here = ColourAt(x, y);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= width_ || ny >= height_) continue;
                    const int there = ColourAt(nx, ny);
                    if (there == here) continue;
                    const Opponent delta = Minus(moves_.colours[there].shown, moves_.colours[here].shown);
                    trial[0] = {x, y, delta};
                    trial[1] = {nx, ny, Minus(Opponent{}, delta)};
                    consider(2, {there, here});
                }
        }
        if (bestCount == 0) return false;
        model_.Apply(std::span(best.data(), bestCount));
        for (int i = 0; i < bestCount; ++i) {
            const FilteredError::Change& change = best[i];
            // A unit's options name its own pixels; an exchange names the neighbour second.
            ColourAt(change.x, change.y) = change.x == x && change.y == y ? bestColours[0] : bestColours[1];
        }
        return true;
    }

    const Moves& moves_;
    int width_, height_;
    std::vector<int> colourOf_;
    FilteredError model_;
};

// Where colours lie far from what the palette can show, CIEDE2000 bends away from the model's
// straight lines, and the model's gain can be the score's loss. So the start's pixels come back
// in the tiles where its differences sum less than the refined ones'; one picture for each size
// of tile, as how far a loss reaches differs from picture to picture. A tile holds whole units
// (unitWidth surface pixels a row), so a mix is never split.
std::vector<Picture> KeptWhereBetter(const RefineStart& start, const Picture& refined, int unitWidth) {
    constexpr int kTiles[] = {2, 4, 8, 16, 32, 64};  // preview pixels; those that cut a block or a mix are skipped
    const Picture& view = start.sourceView;
    const std::vector<float> was = LikenessMap(view, MachinePicture(start.mode, start.surface, start.palette));
    const std::vector<float> is = LikenessMap(view, MachinePicture(start.mode, refined, start.palette));
    const int blockWidth = view.Width() / refined.Width(), blockHeight = view.Height() / refined.Height();
    std::vector<Picture> merged;
    for (const int tile : kTiles) {
        if (tile % (unitWidth * blockWidth) != 0) continue;
        Picture picture = refined;
        for (int top = 0; top < view.Height(); top += tile)
            for (int left = 0; left < view.Width(); left += tile) {
                const int bottom = std::min(view.Height(), top + tile), right = std::min(view.Width(), left + tile);
                double before = 0, after = 0;
                for (int y = top; y < bottom; ++y)
                    for (int x = left; x < right; ++x) {
                        before += was[static_cast<std::size_t>(y) * view.Width() + x];
                        after += is[static_cast<std::size_t>(y) * view.Width() + x];
                    }
                if (after < before) continue;
                for (int y = top / blockHeight; y < bottom / blockHeight; ++y)
                    for (int x = left / blockWidth; x < right / blockWidth; ++x)
                        picture.SetPixel(x, y, start.surface.Pixel(x, y));
            }
        merged.push_back(std::move(picture));
    }
    return merged;
}

}  // namespace

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

Refinement Refine(const RefineStart& start, double budgetSeconds, TaskProgress* progress, const Clock& clock) {
    const double began = clock();
    Refinement result;
    result.surface = start.surface;
    const ModeInfo& mode = ModeOf(start.mode);
    const bool fits = start.surface.Width() == mode.width && start.surface.Height() == mode.height &&
                      start.sourceView.Width() % mode.width == 0 && start.sourceView.Height() % mode.height == 0 &&
                      !start.sourceView.Empty();
    result.scoreBefore = fits ? LikenessOf(start.sourceView, start.mode, start.surface, start.palette) : 0;
    result.scoreAfter = result.scoreBefore;
    const Moves moves = MovesFor(start);
    if (!fits || moves.colours.empty() || budgetSeconds <= 0) {
        result.seconds = clock() - began;
        return result;
    }

    Search search(start, moves);
    const std::vector<int> before = search.ColourOf();
    // The surface as the search has it: the pixels it changed in their new colours.
    auto searched = [&] {
        Picture surface = start.surface;
        const std::vector<int>& now = search.ColourOf();
        for (int y = 0; y < surface.Height(); ++y)
            for (int x = 0; x < surface.Width(); ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * surface.Width() + x;
                if (now[i] != before[i]) surface.SetPixel(x, y, ColorOfEntry(moves.colours[now[i]].stored));
            }
        return surface;
    };
    // The score is what counts: the best surface so far by the score, never the start's worse.
    auto keepIfBetter = [&](Picture surface) {
        const double score = LikenessOf(start.sourceView, start.mode, surface, start.palette);
        if (score >= result.scoreAfter) return;
        result.scoreAfter = score;
        result.surface = std::move(surface);
    };
    auto stop = [&] {
        const double spent = clock() - began;
        if (progress) {
            progress->Report(std::min(1.0, spent / budgetSeconds));
            if (progress->Cancelled()) result.cancelled = true;
        }
        return result.cancelled || spent >= budgetSeconds;
    };
    // Far from what the palette can show the model's gain can be the score's loss, even more so
    // the longer it searches; so each sweep is scored.
    while (!result.converged) {
        ++result.sweeps;
        const long changesBefore = result.changes;
        const bool swept = search.Sweep(result.changes, stop);
        if (result.cancelled) {
            result.surface = start.surface;
            result.scoreAfter = result.scoreBefore;
            result.seconds = clock() - began;
            return result;
        }
        result.converged = swept && result.changes == changesBefore;
        if (result.changes != changesBefore) keepIfBetter(searched());
        if (!swept) break;
    }
    for (Picture& merged : KeptWhereBetter(start, result.surface, moves.unitWidth)) keepIfBetter(std::move(merged));
    if (progress) progress->Report(1.0);
    result.seconds = clock() - began;
    return result;
}

}  // namespace vorbix
