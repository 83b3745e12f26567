#include "pipeline/convert.h"

#include "core/colour_count.h"
#include "core/nearest_search.h"
#include "dither/pattern.h"
#include "pipeline/stopwatch.h"

namespace vorbix {

namespace {

Palette ModePalette(const ConversionSettings& settings, const Palette& paletteInUse) {
    if (const std::span<const ColourValue> swatches = settings.Swatches(settings.mode); !swatches.empty()) {
        Palette palette;
        for (ColourValue swatch : swatches) palette.push_back(EntryFromColour(swatch));
        return palette;
    }
    if (settings.method != kPatternTvc) return TvcColours();
    return paletteInUse.size() == kMixCount ? paletteInUse : PatternPalette();
}

}  // namespace

std::span<ColourValue> ConversionSettings::Swatches(TvcMode of) {
    switch (of) {
        case TvcMode::Graphics2: return swatches2;
        case TvcMode::Graphics4: return swatches4;
        case TvcMode::Graphics16: break;
    }
    return {};
}

std::span<const ColourValue> ConversionSettings::Swatches(TvcMode of) const {
    return const_cast<ConversionSettings&>(*this).Swatches(of);
}

void ScaleInto(Picture& destination, const Picture& source, bool resize, bool smooth) {
    const int width = resize ? destination.Width() : source.Width();
    const int height = resize ? destination.Height() : source.Height();
    StretchPicture(destination, source, width, height, smooth ? 1 : 0);
}

void ReduceToSwatches(const Method& method, Picture& surface, const Palette& swatches, const MixTable& mixes,
                      RandomSequence& random) {
    // The swatches serve the match and the snap; "Pattern TVC" matches against the mixes.
    RunMethod(method, surface, method.kind == MethodKind::Pattern ? PatternPalette() : swatches, mixes, random);
    if (method.snapped) SnapToPalette(surface, surface, *SharedSearch(swatches));
}

Conversion Convert(const Picture& sourceView, const ConversionSettings& settings, MixTable& mixes,
                   RandomSequence& random, Canvas canvas, const Palette& paletteInUse) {
    Stopwatch stopwatch;
    stopwatch.Start();
    const ModeInfo& mode = ModeOf(settings.mode);
    const Method& method = MethodNumbered(settings.method);
    Conversion result;
    result.palette = ModePalette(settings, paletteInUse);
    result.surface = std::move(canvas.surface);
    if (result.surface.Width() != mode.width || result.surface.Height() != mode.height)
        result.surface = Picture(mode.width, mode.height, kSurfaceBackground);
    ScaleInto(result.surface, sourceView, settings.resize, true);
    if (settings.mode == TvcMode::Graphics16) {
        if (method.kind == MethodKind::Pattern && settings.autoPalette)
            AutoSelectMixes(mixes, result.palette, result.surface);
        RunMethod(method, result.surface, result.palette, mixes, random);
    } else {
        ReduceToSwatches(method, result.surface, result.palette, mixes, random);
    }
    result.preview = std::move(canvas.preview);
    if (result.preview.Width() != kPreviewWidth || result.preview.Height() != kPreviewHeight)
        result.preview = Picture(kPreviewWidth, kPreviewHeight);
    if (!settings.resize) result.preview.Fill(kViewBackground);
    ScaleInto(result.preview, result.surface, settings.resize, false);
    // With "Resize" the preview is a whole-block enlargement of the surface: same colours, fewer pixels.
    result.colours = CountColours(settings.resize ? result.surface : result.preview);
    result.milliseconds = stopwatch.ElapsedMs();
    return result;
}

}  // namespace vorbix
