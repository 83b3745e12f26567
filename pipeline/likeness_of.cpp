#include "pipeline/likeness_of.h"

#include "core/likeness.h"
#include "draw/screen_render.h"
#include "io/screen_file.h"

namespace vorbix {

double LikenessOf(const Picture& sourceView, TvcMode mode, const Picture& surface, const Palette& palette) {
    const Picture shown = RenderScreenLikeThePreview(mode, EncodeScreen(mode, surface, palette), ColourBytesOf(mode, palette));
    return LikenessScore(sourceView, shown);
}

}  // namespace vorbix
