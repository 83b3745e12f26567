#include "pipeline/likeness_of.h"

#include "core/likeness.h"
#include "draw/screen_render.h"
#include "io/screen_file.h"

namespace vorbix {

Picture MachinePicture(TvcMode mode, const Picture& surface, const Palette& palette) {
    return RenderScreenLikeThePreview(mode, EncodeScreen(mode, surface, palette), ColourBytesOf(mode, palette));
}

double LikenessOf(const Picture& sourceView, TvcMode mode, const Picture& surface, const Palette& palette) {
    return LikenessScore(sourceView, MachinePicture(mode, surface, palette));
}

double LikenessOf(const Picture& sourceView, TvcMode mode, const Picture& surface, const Palette& palette,
                  std::vector<float>& parts) {
    return LikenessScore(sourceView, MachinePicture(mode, surface, palette), parts);
}

double DeltaEOf(const Picture& sourceView, TvcMode mode, const Picture& surface, const Palette& palette) {
    return DeltaEScore(sourceView, MachinePicture(mode, surface, palette));
}

}  // namespace vorbix
