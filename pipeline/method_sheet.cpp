#include "pipeline/method_sheet.h"

#include "dither/methods.h"
#include "pipeline/best_colours.h"

namespace vorbix {

namespace {

MethodTile TileOf(Session copy, int method, bool eachWithBestColours) {
    std::vector<ColourValue> swatches;
    if (eachWithBestColours)
        swatches = ChooseMethodWithBestColours(copy, method);
    else
        copy.ChooseMethod(method);
    return {method, copy.Preview(), copy.ResultColours(), copy.Milliseconds(), copy.Likeness(), copy.DeltaE(),
            swatches};
}

}  // namespace

std::vector<MethodTile> ConvertWithEveryMethod(const Session& session, bool eachWithBestColours) {
    // Committing on the base copy swaps a loaded picture of any size for the small source view, so
    // the copies, one per method, stay cheap; a conversion reads only the source view.
    Session base = session;
    base.Commit();
    std::vector<MethodTile> tiles;
    for (const Method& method : AllMethods()) tiles.push_back(TileOf(base, method.number, eachWithBestColours));
    return tiles;
}

MethodTile ConvertWithMethod(const Session& session, int method, bool eachWithBestColours) {
    Session base = session;
    base.Commit();
    return TileOf(std::move(base), method, eachWithBestColours);
}

}  // namespace vorbix
