#include "pipeline/refine.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <optional>
#include <vector>

#include "core/cielab.h"
#include "core/filtered_error.h"
#include "dither/pattern.h"
#include "pipeline/best_colours.h"
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
    // With swatches, one a palette register, in order, each free to become another TVC colour.
    std::vector<Colour> colours;
    bool swatches = false;
    int unitWidth = 1;
    std::array<std::vector<Option>, 2> options;  // [row parity]
    bool exchanges = true;                       // single pixels swap colours with neighbours
};

int IndexOf(const std::vector<Colour>& colours, const PaletteEntry& entry) {
    for (int i = 0; i < static_cast<int>(colours.size()); ++i)
        if (colours[i].stored == entry) return i;
    return -1;
}

Colour ColourFor(const PaletteEntry& entry) { return {entry, OpponentOf(ShownColour(TvcColourByte(entry)))}; }

void AddColour(std::vector<Colour>& colours, const PaletteEntry& entry) {
    if (IndexOf(colours, entry) < 0) colours.push_back(ColourFor(entry));
}

bool Shows(const std::vector<Colour>& colours, const Colour& colour) {
    return std::any_of(colours.begin(), colours.end(), [&](const Colour& c) { return c.shown == colour.shown; });
}

// What a swatch may become: the TVC colours, one of those that look alike (the two blacks).
std::vector<Colour> SwatchChoices() {
    std::vector<Colour> choices;
    for (const PaletteEntry& entry : TvcColours())
        if (!Shows(choices, ColourFor(entry))) choices.push_back(ColourFor(entry));
    return choices;
}

Palette PaletteOf(const std::vector<Colour>& colours) {
    Palette palette;
    for (const Colour& colour : colours) palette.push_back(colour.stored);
    return palette;
}

Moves MovesFor(const RefineStart& start) {
    Moves moves;
    if (!start.mixes) {
        moves.swatches = ModeOf(start.mode).swatchCount > 0;
        for (const PaletteEntry& entry : start.palette) {
            if (moves.swatches)
                moves.colours.push_back(ColourFor(entry));
            else
                AddColour(moves.colours, entry);
        }
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
    const Palette stored = PaletteOf(moves.colours);
    std::vector<int> index(static_cast<std::size_t>(start.surface.Width()) * start.surface.Height());
    for (int y = 0; y < start.surface.Height(); ++y)
        for (int x = 0; x < start.surface.Width(); ++x) {
            const ColourValue c = start.surface.Pixel(x, y);
            const PaletteEntry matched =
                start.mixes ? EntryFromColour(c)
                            : start.palette[NearestColourIndex(start.palette, GetRed(c), GetGreen(c), GetBlue(c))];
            const int known = IndexOf(moves.colours, matched);
            index[static_cast<std::size_t>(y) * start.surface.Width() + x] =
                known >= 0 ? known : NearestColourIndex(stored, GetRed(c), GetGreen(c), GetBlue(c));
        }
    return index;
}

Opponent Minus(const Opponent& a, const Opponent& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

// The model measures in CIELAB's rows at grey (the metric), and each block's difference is
// mapped so that it measures there what CIEDE2000 sees around the block: CIELAB's rows at the
// colour halfway between the source and the result so far around it, then CIEDE2000's form
// there, then back to opponent channels, so that the blur still sees opponent channels.
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
            const Opponent o = OpponentOf(EntryFromColour(reference.Pixel(x, y)));
            Opponent& sum = wanted[static_cast<std::size_t>(y / blockHeight) * columns + x / blockWidth];
            for (int c = 0; c < 3; ++c) sum[c] += o[c] / (blockWidth * blockHeight);
        }
    const Matrix3 rowsOfLab = LabRowsOfOpponent();
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
            Opponent halfway{};
            for (int k = 0; k < 3; ++k) halfway[k] = (source[k] + result[k]) / 2;
            const std::array<double, 3> xyz = XyzOfOpponent(halfway);
            std::array<double, 3> slopes{};
            for (int k = 0; k < 3; ++k) slopes[k] = LabCurveSlope(std::max(0.0, xyz[k] / kLabWhite[k]));
            const Matrix3 scale = Ciede2000Root(LabOfOpponent(halfway));
            weighting.transforms[static_cast<std::size_t>(row) * columns + column] =
                Multiply(back, Multiply(scale, LabRowsOfOpponent(slopes)));
        }
    return weighting;
}

class Search {
public:
    Search(const RefineStart& start, const Moves& moves)
        : moves_(moves),
          reference_(start.sourceView),
          width_(start.surface.Width()),
          height_(start.surface.Height()),
          blockWidth_(reference_.Width() / width_),
          blockHeight_(reference_.Height() / height_),
          colourOf_(ColoursOfSurface(start, moves)),
          settled_(colourOf_.size(), false),
          model_(MakeModel()) {}

    // One sweep over the picture, asking stop() before each row; false when it said stop.
    template <typename Stop>
    bool Sweep(long& changes, Stop stop) {
        for (int y = 0; y < height_; ++y) {
            if (stop()) return false;
            for (int x = 0; x + moves_.unitWidth <= width_; x += moves_.unitWidth)
                if (!settled_[static_cast<std::size_t>(y) * width_ + x] && Improve(x, y)) ++changes;
        }
        return true;
    }

    const std::vector<int>& ColourOf() const { return colourOf_; }

    // Weighs the model around the colours as they are now, and lets every pixel move again.
    void Relinearise() {
        std::fill(settled_.begin(), settled_.end(), false);
        model_ = MakeModel();
    }

    // Takes these colours and leaves the pixels named alone from now on.
    void Settle(const std::vector<int>& colours, const std::vector<std::size_t>& pixels) {
        for (std::size_t i = 0; i < colours.size(); ++i) {
            if (colours[i] == colourOf_[i]) continue;
            const FilteredError::Change change{static_cast<int>(i % width_), static_cast<int>(i / width_),
                                               Minus(moves_.colours[colours[i]].shown, moves_.colours[colourOf_[i]].shown)};
            model_.Apply(std::span(&change, 1));
            colourOf_[i] = colours[i];
        }
        for (std::size_t i : pixels) settled_[i] = true;
    }

private:
    std::vector<Opponent> ShownColours() const {
        std::vector<Opponent> shown;
        shown.reserve(colourOf_.size());
        for (int index : colourOf_) shown.push_back(moves_.colours[index].shown);
        return shown;
    }

    // The model weighed around the colours as they are now.
    FilteredError MakeModel() const {
        const std::vector<Opponent> shown = ShownColours();
        const EyeWeighting weighting = WeightingFor(reference_, shown, blockWidth_, blockHeight_);
        return FilteredError(reference_, blockWidth_, blockHeight_, shown, weighting.transforms, weighting.metric);
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
    const Picture& reference_;
    int width_, height_;
    int blockWidth_, blockHeight_;
    std::vector<int> colourOf_;
    std::vector<bool> settled_;
    FilteredError model_;
};

// A round of sweeps ends at a sweep that gains less than this share of the score, and the search
// at a round that gains less than its share: past these, rounds cost far more than they gain.
constexpr double kSweepGain = 0.001;
constexpr double kRoundGain = 0.01;
// View pixels a side of the tiles a sweep is held to the score by: a few of the finer blurs' reach.
constexpr int kSweepTile = 8;

// The surface pixels (as indices, row after row) in the tiles of the view where the differences
// sum more in `is` than in `was`. A tile is whole blocks, and in Graphics 16 whole mixes.
std::vector<std::size_t> PixelsOfWorseTiles(const std::vector<float>& was, const std::vector<float>& is,
                                            const Picture& view, const Picture& surface) {
    const int blockWidth = view.Width() / surface.Width(), blockHeight = view.Height() / surface.Height();
    std::vector<std::size_t> pixels;
    for (int top = 0; top < view.Height(); top += kSweepTile)
        for (int left = 0; left < view.Width(); left += kSweepTile) {
            const int bottom = std::min(view.Height(), top + kSweepTile);
            const int right = std::min(view.Width(), left + kSweepTile);
            double before = 0, after = 0;
            for (int y = top; y < bottom; ++y)
                for (int x = left; x < right; ++x) {
                    before += was[static_cast<std::size_t>(y) * view.Width() + x];
                    after += is[static_cast<std::size_t>(y) * view.Width() + x];
                }
            if (after <= before) continue;
            for (int y = top / blockHeight; y < bottom / blockHeight; ++y)
                for (int x = left / blockWidth; x < right / blockWidth; ++x)
                    pixels.push_back(static_cast<std::size_t>(y) * surface.Width() + x);
        }
    return pixels;
}

// A state of the search as the score sees it.
struct Scored {
    std::vector<int> colours;
    std::vector<Colour> table;  // what each of the colours is
    Picture surface;
    std::vector<float> differences;  // each view pixel's
    double score = 0;
};

// Scores states of the search: the start's surface with the pixels the search changed, or whose
// swatch it changed, in their new colours.
class Scorer {
public:
    Scorer(const RefineStart& start, const Moves& moves, std::vector<int> startColours)
        : start_(start), swatches_(moves.swatches), startTable_(moves.colours), startColours_(std::move(startColours)) {}

    Scored Score(std::vector<int> colours, std::vector<Colour> table) const {
        Scored state{std::move(colours), std::move(table), start_.surface, {}, 0};
        for (int y = 0; y < state.surface.Height(); ++y)
            for (int x = 0; x < state.surface.Width(); ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * state.surface.Width() + x;
                const int colour = state.colours[i];
                if (colour != startColours_[i] || !(state.table[colour].stored == startTable_[colour].stored))
                    state.surface.SetPixel(x, y, ColourOfEntry(state.table[colour].stored));
            }
        state.score = LikenessOf(start_.sourceView, start_.mode, state.surface, PaletteFor(state), state.differences);
        return state;
    }

    // What the state's surface is matched against.
    Palette PaletteFor(const Scored& state) const { return swatches_ ? PaletteOf(state.table) : start_.palette; }

private:
    const RefineStart& start_;
    bool swatches_;
    std::vector<Colour> startTable_;
    std::vector<int> startColours_;
};

// Far from what the palette can show the model's gain can be the score's loss; so a sweep is
// held to the score, tile by tile: where it made a tile score worse than `accepted`, its pixels
// go back to what they were and are left alone from then on. Returns the state kept.
Scored HoldSweepToScore(Search& search, const Scored& accepted, const Scorer& scorer, const RefineStart& start) {
    Scored trial = scorer.Score(search.ColourOf(), accepted.table);
    const std::vector<std::size_t> worse =
        PixelsOfWorseTiles(accepted.differences, trial.differences, start.sourceView, start.surface);
    std::vector<int> colours = trial.colours;
    bool putBack = false;
    for (std::size_t i : worse) {
        putBack = putBack || colours[i] != accepted.colours[i];
        colours[i] = accepted.colours[i];
    }
    if (putBack) trial = scorer.Score(std::move(colours), accepted.table);
    search.Settle(trial.colours, worse);
    return trial;
}

// Swatch trials are screened on the view reduced this much: each reduced pixel shows the
// average of the shown colours under it, which moves with a swatch as the eye's blur does; the
// few that screen best are scored in full.
constexpr int kScreenReduction = 4;
constexpr std::size_t kSwatchTrialsScoredInFull = 3;

// The state's picture reduced as the screening sees it, for any colours of its swatches: how
// many view pixels of each swatch every reduced pixel covers.
class ReducedShown {
public:
    ReducedShown(const Scored& state, const RefineStart& start)
        : width_(start.sourceView.Width() / kScreenReduction),
          height_(start.sourceView.Height() / kScreenReduction),
          swatches_(state.table.size()),
          counts_(static_cast<std::size_t>(width_) * height_ * swatches_, 0) {
        const int blockWidth = start.sourceView.Width() / start.surface.Width();
        const int blockHeight = start.sourceView.Height() / start.surface.Height();
        for (int y = 0; y < height_ * kScreenReduction; ++y)
            for (int x = 0; x < width_ * kScreenReduction; ++x) {
                const int colour = state.colours[static_cast<std::size_t>(y / blockHeight) * start.surface.Width() + x / blockWidth];
                ++counts_[(static_cast<std::size_t>(y / kScreenReduction) * width_ + x / kScreenReduction) * swatches_ + colour];
            }
    }

    Picture With(const std::vector<Colour>& table) const {
        std::vector<ColourValue> shown;
        for (const Colour& colour : table) shown.push_back(ColourOfEntry(ShownColour(TvcColourByte(colour.stored))));
        constexpr int kArea = kScreenReduction * kScreenReduction;
        Picture picture(width_, height_);
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                const int* count = &counts_[(static_cast<std::size_t>(y) * width_ + x) * swatches_];
                int sum[3] = {0, 0, 0};
                for (std::size_t k = 0; k < swatches_; ++k) {
                    sum[0] += count[k] * GetRed(shown[k]);
                    sum[1] += count[k] * GetGreen(shown[k]);
                    sum[2] += count[k] * GetBlue(shown[k]);
                }
                picture.SetPixel(x, y, MakeColour((sum[0] + kArea / 2) / kArea, (sum[1] + kArea / 2) / kArea,
                                                  (sum[2] + kArea / 2) / kArea));
            }
        return picture;
    }

    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_, height_;
    std::size_t swatches_;
    std::vector<int> counts_;
};

// The change of one swatch to another TVC colour, its pixels keeping their swatch, that lowers
// the score of `accepted` most among those the reduced view screens best; nothing when none
// does, or when stop() said stop first (then `stopped`). A swatch is not given a colour another
// one shows. Until the pixels have `settled`, only trials that screen better than the swatches
// as they are go on to a full score; once they have, the best screened go on whatever they
// screen, as the screen is coarse.
template <typename Stop>
std::optional<Scored> BestSwatchChange(const Scored& accepted, const Scorer& scorer, const RefineStart& start,
                                       bool settled, Stop stop, bool& stopped) {
    static const std::vector<Colour> kChoices = SwatchChoices();
    const ReducedShown reduced(accepted, start);
    Picture reference(reduced.Width(), reduced.Height());
    StretchPicture(reference, start.sourceView, reference.Width(), reference.Height(), 1);
    const double now = SwatchSearchScore(reference, reduced.With(accepted.table), kScreenReduction);
    std::vector<std::pair<double, std::vector<Colour>>> screened;
    for (std::size_t k = 0; k < accepted.table.size(); ++k)
        for (const Colour& choice : kChoices) {
            if (Shows(accepted.table, choice)) continue;
            std::vector<Colour> table = accepted.table;
            table[k] = choice;
            const double score = SwatchSearchScore(reference, reduced.With(table), kScreenReduction);
            if (settled || score < now) screened.emplace_back(score, std::move(table));
        }
    const std::size_t kept = std::min(screened.size(), kSwatchTrialsScoredInFull);
    std::partial_sort(screened.begin(), screened.begin() + static_cast<std::ptrdiff_t>(kept), screened.end(),
                      [](const auto& a, const auto& b) { return a.first < b.first; });
    std::optional<Scored> best;
    for (std::size_t i = 0; i < kept; ++i) {
        if ((stopped = stop())) return best;
        Scored trial = scorer.Score(accepted.colours, std::move(screened[i].second));
        if (trial.score < (best ? best->score : accepted.score) - kLeastGain) best = std::move(trial);
    }
    return best;
}

}  // namespace

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

Refinement Refine(const RefineStart& start, double budgetSeconds, TaskProgress* progress, const Clock& clock) {
    const double began = clock();
    Refinement result;
    result.surface = start.surface;
    result.palette = start.palette;
    const ModeInfo& mode = ModeOf(start.mode);
    const bool fits = start.surface.Width() == mode.width && start.surface.Height() == mode.height &&
                      start.sourceView.Width() % mode.width == 0 && start.sourceView.Height() % mode.height == 0 &&
                      !start.sourceView.Empty();
    std::vector<float> startDifferences;
    result.scoreBefore = fits ? LikenessOf(start.sourceView, start.mode, start.surface, start.palette, startDifferences) : 0;
    result.scoreAfter = result.scoreBefore;
    Moves moves = MovesFor(start);
    if (!fits || moves.colours.empty() || budgetSeconds <= 0) {
        result.seconds = clock() - began;
        return result;
    }

    Search search(start, moves);
    const Scorer scorer(start, moves, search.ColourOf());
    auto stop = [&] {
        const double spent = clock() - began;
        if (progress) {
            progress->Report(std::min(1.0, spent / budgetSeconds));
            if (progress->Cancelled()) result.cancelled = true;
        }
        return result.cancelled || spent >= budgetSeconds;
    };
    Scored accepted{search.ColourOf(), moves.colours, start.surface, std::move(startDifferences), result.scoreBefore};
    // The score is what counts: the best state so far, never the start's worse.
    auto keepIfBest = [&] {
        if (accepted.score >= result.scoreAfter) return;
        result.scoreAfter = accepted.score;
        result.surface = accepted.surface;
        result.palette = scorer.PaletteFor(accepted);
        if (progress) progress->Scored(result.scoreBefore, result.scoreAfter);
    };
    auto cancel = [&] {
        result.surface = start.surface;
        result.palette = start.palette;
        result.scoreAfter = result.scoreBefore;
        result.seconds = clock() - began;
        return result;
    };
    // Rounds of sweeps, each round's model weighed around where the last one ended; a round ends
    // when a sweep gains little, the search when a round does and no swatch move helps.
    double roundStart = result.scoreBefore;
    for (;;) {
        ++result.sweeps;
        const long changesBefore = result.changes;
        const bool swept = search.Sweep(result.changes, stop);
        if (result.cancelled) return cancel();
        double gain = 0;
        if (result.changes != changesBefore) {
            Scored kept = HoldSweepToScore(search, accepted, scorer, start);
            gain = accepted.score - kept.score;
            accepted = std::move(kept);
            keepIfBest();
        }
        if (!swept) break;
        if (gain > kSweepGain * accepted.score) continue;
        // A round has settled the pixels for these swatches: one may move, and the pixels follow
        // it in the next round. Trying this after every round, not only once the pixels have
        // converged, lets the swatches move within a budget the pixel search alone would spend.
        const bool settled = roundStart - accepted.score <= kRoundGain * roundStart;
        bool stopped = false;
        std::optional<Scored> changed;
        if (moves.swatches) changed = BestSwatchChange(accepted, scorer, start, settled, stop, stopped);
        if (result.cancelled) return cancel();
        if (stopped) break;
        if (changed) {
            accepted = std::move(*changed);
            moves.colours = accepted.table;
            ++result.swatchChanges;
            keepIfBest();
        } else if (settled) {
            result.converged = true;
            break;
        }
        roundStart = accepted.score;
        search.Relinearise();
    }
    if (progress) progress->Report(1.0);
    result.seconds = clock() - began;
    return result;
}

}  // namespace vorbix
