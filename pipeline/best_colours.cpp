#include "pipeline/best_colours.h"

#include <algorithm>

#include "core/likeness.h"
#include "core/parallel.h"
#include "pipeline/convert.h"

namespace vorbix {

namespace {

// The search narrows the sets in rounds: every set on a small copy, the best of them on larger
// ones, and the last few converted at full size. Graphics 4 has 1,365 sets, Graphics 2 105.
// Measured against an exhaustive full-size search on 12 pictures (bench/README.md), these rounds
// keep the chosen set within 3 % of the best; a copy of 1/16 alone missed small bright details.
struct Round {
    int reduction;     // the copy is the source view divided by this
    std::size_t keep;  // how many sets go on to the next round
};
const std::vector<Round>& RoundsFor(TvcMode mode) {
    static const std::vector<Round> four{{16, 250}, {8, 32}, {4, 3}};
    static const std::vector<Round> two{{8, 16}, {4, 2}};
    return mode == TvcMode::Graphics4 ? four : two;
}

using ColourSet = std::vector<int>;  // numbers into DistinctTvcColours

std::vector<PaletteEntry> DistinctTvcColours() {
    const Palette all = TvcColours();
    std::vector<PaletteEntry> colours;
    for (int number = 0; number < 16; ++number)
        if (number != 8) colours.push_back(all[number]);
    return colours;
}

// Every k-element subset of 0..n-1 in lexicographic order.
std::vector<ColourSet> Subsets(int n, int k) {
    std::vector<ColourSet> subsets;
    ColourSet pick(k);
    for (int i = 0; i < k; ++i) pick[i] = i;
    while (true) {
        subsets.push_back(pick);
        int i = k - 1;
        while (i >= 0 && pick[i] == n - k + i) --i;
        if (i < 0) return subsets;
        ++pick[i];
        for (int j = i + 1; j < k; ++j) pick[j] = pick[j - 1] + 1;
    }
}

// Each set's likeness score on copies reduced by the round's factor, as Convert would scale and
// convert them with "Resize". Swatches of TVC colours are shown as they are, so the converted
// surface, enlarged, is the machine's picture. The copy is scored as if its pixels were the
// screen's: a dither pattern then blurs as the eye blurs it on the full-size screen, where scoring
// it at the copy's own scale would see every pattern as noise and rank smooth sets too high.
std::vector<double> ScoresOnReducedCopies(const Session& session, TvcMode mode, const std::vector<ColourSet>& sets,
                                          const std::vector<PaletteEntry>& colours, int reduction) {
    const ModeInfo& info = ModeOf(mode);
    const Method& method = MethodNumbered(session.Method());
    Picture reference(kPreviewWidth / reduction, kPreviewHeight / reduction);
    StretchPicture(reference, session.SourceView(), reference.Width(), reference.Height(), 1);
    Picture surface(std::max(1, info.width / reduction), std::max(1, info.height / reduction));
    StretchPicture(surface, session.SourceView(), surface.Width(), surface.Height(), 1);
    std::vector<double> scores(sets.size());
    const long long costPerSet = 200LL * reference.Width() * reference.Height();
    ParallelBands(static_cast<int>(sets.size()), costPerSet, [&](int first, int end) {
        for (int i = first; i < end; ++i) {
            Palette palette;
            for (int c : sets[i]) palette.push_back(colours[c]);
            Picture result = surface;
            RandomSequence random;
            ReduceToSwatches(method, result, palette, session.Mixes(), random);
            Picture shown(reference.Width(), reference.Height());
            StretchPicture(shown, result, shown.Width(), shown.Height(), 0);
            scores[i] = LikenessScore(reference, shown);
        }
    });
    return scores;
}

std::vector<ColourSet> BestOf(const std::vector<ColourSet>& sets, const std::vector<double>& scores, std::size_t keep) {
    std::vector<std::size_t> order(sets.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    keep = std::min(keep, order.size());
    std::partial_sort(order.begin(), order.begin() + keep, order.end(),
                      [&](std::size_t a, std::size_t b) { return scores[a] < scores[b]; });
    std::vector<ColourSet> kept;
    for (std::size_t i = 0; i < keep; ++i) kept.push_back(sets[order[i]]);
    return kept;
}

}  // namespace

std::vector<ColorValue> BestSwatches(const Session& session, TvcMode mode) {
    const std::vector<PaletteEntry> colours = DistinctTvcColours();
    std::vector<ColourSet> sets = Subsets(static_cast<int>(colours.size()), ModeOf(mode).swatchCount);
    for (const Round& round : RoundsFor(mode))
        sets = BestOf(sets, ScoresOnReducedCopies(session, mode, sets, colours, round.reduction), round.keep);

    // Committing swaps a loaded picture of any size for the small source view, so copies stay cheap.
    Session base = session;
    base.Commit();
    if (base.Mode() != mode) base.ChooseMode(mode);
    std::vector<ColorValue> best;
    double bestScore = 0;
    for (const ColourSet& set : sets) {
        Session trial = base;
        std::vector<ColorValue> swatches;
        for (int c : set) swatches.push_back(ColorOfEntry(colours[c]));
        trial.ChooseSwatches(mode, swatches);
        const double score = trial.Likeness();
        if (best.empty() || score < bestScore) {
            best = swatches;
            bestScore = score;
        }
    }
    return best;
}

std::vector<ColorValue> ChooseMethodWithBestColours(Session& session, int method) {
    session.ChooseMethod(method);
    if (ModeOf(session.Mode()).swatchCount == 0) return {};
    std::vector<ColorValue> best = BestSwatches(session, session.Mode());
    session.ChooseSwatches(session.Mode(), best);
    return best;
}

}  // namespace vorbix
