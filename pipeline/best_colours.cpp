#include "pipeline/best_colours.h"

#include <algorithm>

#include "core/likeness.h"
#include "core/nearest_search.h"
#include "dither/pattern.h"

namespace vorbix {

namespace {

// How much smaller the reduced copy is, per mode: Graphics 4 has 1,365 sets to try, Graphics 2 105.
int ReductionFor(TvcMode mode) { return mode == TvcMode::Graphics4 ? 8 : 4; }
constexpr std::size_t kFrontRunners = 4;

std::vector<PaletteEntry> DistinctTvcColours() {
    const Palette all = TvcColours();
    std::vector<PaletteEntry> colours;
    for (int number = 0; number < 16; ++number)
        if (number != 8) colours.push_back(all[number]);
    return colours;
}

// Every k-element subset of 0..n-1 in lexicographic order.
std::vector<std::vector<int>> Subsets(int n, int k) {
    std::vector<std::vector<int>> subsets;
    std::vector<int> pick(k);
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

struct Candidate {
    double score;
    std::vector<int> colours;
};

}  // namespace

std::vector<ColorValue> BestSwatches(const Session& session, TvcMode mode) {
    const ModeInfo& info = ModeOf(mode);
    const std::vector<PaletteEntry> colours = DistinctTvcColours();
    const Method& method = MethodNumbered(session.Method());
    const int reduction = ReductionFor(mode);

    // The reduced source view and work surface, as Convert would scale them with "Resize".
    Picture reference(kPreviewWidth / reduction, kPreviewHeight / reduction);
    StretchPicture(reference, session.SourceView(), reference.Width(), reference.Height(), 1);
    Picture surface(info.width / reduction, info.height / reduction);
    StretchPicture(surface, session.SourceView(), surface.Width(), surface.Height(), 1);
    const Palette patternPalette = PatternPalette();

    std::vector<Candidate> candidates;
    for (const std::vector<int>& set : Subsets(static_cast<int>(colours.size()), info.swatchCount)) {
        Palette palette;
        for (int c : set) palette.push_back(colours[c]);
        Picture result = surface;
        MixTable mixes = session.Mixes();
        RandomSequence random;
        RunMethod(method, result, method.kind == MethodKind::Pattern ? patternPalette : palette, mixes, random);
        if (method.snapped) SnapToPalette(result, result, *SharedSearch(palette));
        // Swatches of TVC colours are shown as they are: the surface, enlarged, is the machine's picture.
        Picture shown(reference.Width(), reference.Height());
        StretchPicture(shown, result, shown.Width(), shown.Height(), 0);
        candidates.push_back({LikenessScore(reference, shown, kTvcSamplesPerDegree / reduction), set});
    }
    const std::size_t kept = std::min(kFrontRunners, candidates.size());
    std::partial_sort(candidates.begin(), candidates.begin() + kept, candidates.end(),
                      [](const Candidate& a, const Candidate& b) { return a.score < b.score; });

    // Committing swaps a loaded picture of any size for the small source view, so copies stay cheap.
    Session base = session;
    base.Commit();
    if (base.Mode() != mode) base.ChooseMode(mode);
    std::vector<ColorValue> best;
    double bestScore = 0;
    for (std::size_t n = 0; n < kept; ++n) {
        Session trial = base;
        std::vector<ColorValue> swatches;
        for (int c : candidates[n].colours) swatches.push_back(ColorOfEntry(colours[c]));
        trial.ChooseSwatches(mode, swatches);
        const double score = trial.Likeness();
        if (best.empty() || score < bestScore) {
            best = swatches;
            bestScore = score;
        }
    }
    return best;
}

}  // namespace vorbix
