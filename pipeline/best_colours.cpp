#include "pipeline/best_colours.h"

#include <algorithm>
#include <set>
#include <span>

#include "core/likeness.h"
#include "core/parallel.h"
#include "pipeline/convert.h"
#include "pipeline/likeness_of.h"

namespace vorbix {

// A copy's pixels are scored as the screen's (see ScoresOnReducedCopies), but its blocks shrink
// with it, so that the likeness's windows cover as much of the picture as on the screen.
double SwatchSearchScore(const Picture& reference, const Picture& shown, int reduction) {
    LikenessWeights weights;
    weights.blockSpread /= reduction;
    return LikenessScore(reference, shown, kTvcSamplesPerDegree, weights);
}

namespace {

// The search narrows the sets in rounds: every set on a small copy, the best of them on larger
// ones, and the last few converted at full size. Graphics 4 has 1,365 sets, Graphics 2 105.
// Measured against an exhaustive full-size search on 12 pictures (bench/README.md), these rounds
// keep the chosen set within 3 % of the best; a copy of 1/16 alone missed small bright details.
// The likeness, which weighs lost contrast, ranks Graphics 2's pairs less alike on small copies
// than at full size, so more of them go on.
struct Round {
    int reduction;     // the copy is the source view divided by this
    std::size_t keep;  // how many sets go on to the next round
};
const std::vector<Round>& RoundsFor(TvcMode mode) {
    static const std::vector<Round> four{{16, 250}, {8, 32}, {4, 3}};
    static const std::vector<Round> two{{8, 24}, {4, 3}};
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

// A colour's place among them, -1 when it is not one.
int NumberOf(const std::vector<PaletteEntry>& colours, ColourValue colour) {
    for (int i = 0; i < static_cast<int>(colours.size()); ++i)
        if (ColourOfEntry(colours[i]) == colour) return i;
    return -1;
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

// Each set's score on copies reduced by the round's factor, as Convert would scale and convert
// them with "Resize". Swatches of TVC colours are shown as they are, so the converted surface,
// enlarged, is the machine's picture. The copy is scored as if its pixels were the screen's: a
// dither pattern then blurs as the eye blurs it on the full-size screen, where scoring it at the
// copy's own scale would see every pattern as noise and rank smooth sets too high.
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
            scores[i] = SwatchSearchScore(reference, shown, reduction);
        }
    });
    return scores;
}

// The sets, best score first; equal scores keep their order.
std::vector<ColourSet> Ranked(const std::vector<ColourSet>& sets, const std::vector<double>& scores) {
    std::vector<std::size_t> order(sets.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return scores[a] < scores[b]; });
    std::vector<ColourSet> ranked;
    for (std::size_t i : order) ranked.push_back(sets[i]);
    return ranked;
}

// How many of a's colours b lacks.
int ColoursNotIn(const std::vector<ColourValue>& a, const std::vector<ColourValue>& b) {
    return static_cast<int>(std::count_if(a.begin(), a.end(), [&](ColourValue c) { return std::find(b.begin(), b.end(), c) == b.end(); }));
}

// Whether a set differs from every one of `taken` in at least `fewest` colours.
bool DiffersFromAll(const std::vector<ColourValue>& set, const std::vector<std::vector<ColourValue>>& taken, int fewest) {
    return std::all_of(taken.begin(), taken.end(), [&](const std::vector<ColourValue>& t) { return ColoursNotIn(set, t) >= fewest; });
}

// Each set converted and scored at full size.
std::vector<SwatchCandidate> FullSizeScores(const Session& base, TvcMode mode,
                                            const std::vector<std::vector<ColourValue>>& sets) {
    std::vector<SwatchCandidate> scored(sets.size());
    ParallelBands(static_cast<int>(sets.size()), 200LL * kPreviewWidth * kPreviewHeight, [&](int first, int end) {
        for (int i = first; i < end; ++i) {
            Session trial = base;
            trial.ChooseSwatches(mode, sets[i]);
            Picture shown = MachinePicture(mode, trial.Surface(mode), trial.PaletteInUse());
            const double score = SwatchSearchScore(base.SourceView(), shown);
            scored[i] = {sets[i], score, std::move(shown)};
        }
    });
    return scored;
}

// Trades of one colour for another are screened in rounds as the sets are: copies of a quarter of
// the size roughly, then of half the size, which rank the trades of one set much as the full size
// does; the last round's few go on to full size.
const std::vector<Round> kTradeRounds{{4, 12}, {2, 4}};

// The smaller copies misjudge a set whose strength is a small bright thing (the sun in a sky is
// a few pixels on them), so the best set at full size is improved by trading one colour for
// another while a trade helps. Every set scored at full size joins `scored`.
void ImproveOneColourAtATime(const Session& base, TvcMode mode, const std::vector<PaletteEntry>& colours,
                             std::vector<SwatchCandidate>& scored) {
    const auto byScore = [](const SwatchCandidate& a, const SwatchCandidate& b) { return a.score < b.score; };
    const auto best = std::min_element(scored.begin(), scored.end(), byScore);
    if (best == scored.end()) return;
    const auto setOf = [&](const std::vector<ColourValue>& swatches) {
        ColourSet set;
        for (ColourValue colour : swatches) set.push_back(NumberOf(colours, colour));
        std::sort(set.begin(), set.end());
        return set;
    };
    ColourSet current = setOf(best->swatches);
    if (std::find(current.begin(), current.end(), -1) != current.end()) return;
    double currentScore = best->score;
    const auto swatchesOf = [&](const ColourSet& set) {
        std::vector<ColourValue> swatches;
        for (int c : set) swatches.push_back(ColourOfEntry(colours[c]));
        return swatches;
    };
    // A set screened once is not screened again: after a trade, trading the same place again
    // gives sets the last screening saw.
    std::set<ColourSet> screened;
    for (const SwatchCandidate& candidate : scored) screened.insert(setOf(candidate.swatches));
    for (;;) {
        std::vector<ColourSet> trades;
        for (std::size_t k = 0; k < current.size(); ++k)
            for (int c = 0; c < static_cast<int>(colours.size()); ++c) {
                if (std::find(current.begin(), current.end(), c) != current.end()) continue;
                ColourSet set = current;
                set[k] = c;
                std::sort(set.begin(), set.end());
                if (screened.insert(set).second) trades.push_back(std::move(set));
            }
        for (const Round& round : kTradeRounds) {
            trades = Ranked(trades, ScoresOnReducedCopies(base, mode, trades, colours, round.reduction));
            trades.resize(std::min(round.keep, trades.size()));
        }
        // Best screened first; the first that beats the set is taken.
        bool improved = false;
        for (const ColourSet& trade : trades) {
            SwatchCandidate trial = std::move(FullSizeScores(base, mode, {swatchesOf(trade)}).front());
            improved = trial.score < currentScore;
            if (improved) {
                current = trade;
                currentScore = trial.score;
            }
            scored.push_back(std::move(trial));
            if (improved) break;
        }
        if (!improved) return;
    }
}

}  // namespace

std::vector<SwatchCandidate> BestSwatchCandidates(const Session& session, TvcMode mode, int count) {
    const std::vector<PaletteEntry> colours = DistinctTvcColours();
    const int swatchCount = ModeOf(mode).swatchCount;
    const int fewestDifferent = swatchCount / 2;
    const std::vector<Round>& rounds = RoundsFor(mode);
    // Each round's whole ranking is kept, the last round's first: the spread of candidates is
    // drawn from them in that order when the last round's sets are too much alike.
    std::vector<ColourSet> ranked = Subsets(static_cast<int>(colours.size()), swatchCount);
    std::vector<ColourSet> rankings;
    for (const Round& round : rounds) {
        ranked = Ranked(ranked, ScoresOnReducedCopies(session, mode, ranked, colours, round.reduction));
        rankings.insert(rankings.begin(), ranked.begin(), ranked.end());
        ranked.resize(std::min(round.keep, ranked.size()));
    }
    auto coloursOf = [&](const ColourSet& set) {
        std::vector<ColourValue> swatches;
        for (int c : set) swatches.push_back(ColourOfEntry(colours[c]));
        return swatches;
    };

    // Scored at full size: the current swatches first (a candidate equal to them keeps their
    // order, so taking it changes nothing), the default ones, the last round's front-runners, and
    // a spread of others from the rankings, enough to fill the candidates. The reduced copies can
    // lose a thin detail that decides the full-size score, as a single bright row.
    std::vector<std::vector<ColourValue>> pool;
    auto addToPool = [&](const std::vector<ColourValue>& swatches) {
        if (DiffersFromAll(swatches, pool, 1)) pool.push_back(swatches);
    };
    const auto asSet = [](std::span<const ColourValue> swatches) { return std::vector<ColourValue>(swatches.begin(), swatches.end()); };
    addToPool(asSet(session.Settings().Swatches(mode)));
    addToPool(asSet(DefaultSwatches(mode)));
    for (const ColourSet& set : ranked) addToPool(coloursOf(set));
    std::vector<std::vector<ColourValue>> spread;
    for (const ColourSet& set : rankings) {
        if (static_cast<int>(spread.size()) == count) break;
        const std::vector<ColourValue> swatches = coloursOf(set);
        if (!DiffersFromAll(swatches, spread, fewestDifferent)) continue;
        spread.push_back(swatches);
        addToPool(swatches);
    }

    // Committing swaps a loaded picture of any size for the small source view, so copies stay cheap.
    Session base = session;
    base.Commit();
    if (base.Mode() != mode) base.ChooseMode(mode);
    std::vector<SwatchCandidate> scored = FullSizeScores(base, mode, pool);
    ImproveOneColourAtATime(base, mode, colours, scored);
    std::stable_sort(scored.begin(), scored.end(),
                     [](const SwatchCandidate& a, const SwatchCandidate& b) { return a.score < b.score; });

    std::vector<SwatchCandidate> candidates;
    std::vector<std::vector<ColourValue>> taken;
    for (SwatchCandidate& candidate : scored) {
        if (static_cast<int>(candidates.size()) == count) break;
        if (!DiffersFromAll(candidate.swatches, taken, fewestDifferent)) continue;
        taken.push_back(candidate.swatches);
        candidates.push_back(std::move(candidate));
    }
    return candidates;
}

std::vector<ColourValue> BestSwatches(const Session& session, TvcMode mode) {
    return BestSwatchCandidates(session, mode, 1).front().swatches;
}

std::vector<ColourValue> ChooseMethodWithBestColours(Session& session, int method) {
    session.ChooseMethod(method);
    if (ModeOf(session.Mode()).swatchCount == 0) return {};
    std::vector<ColourValue> best = BestSwatches(session, session.Mode());
    session.ChooseSwatches(session.Mode(), best);
    return best;
}

}  // namespace vorbix
