#include "pipeline/method_sheet.h"

#include "dither/methods.h"
#include "pipeline/best_colours.h"

namespace vorbix {

std::vector<MethodTile> ConvertWithEveryMethod(const Session& session, bool eachWithBestColours) {
    // Committing on the base copy swaps a loaded picture of any size for the small source view, so
    // the copies, one per method, stay cheap; a conversion reads only the source view.
    Session base = session;
    base.Commit();
    std::vector<MethodTile> tiles;
    for (const Method& method : AllMethods()) {
        Session copy = base;
        std::vector<ColorValue> swatches;
        if (eachWithBestColours)
            swatches = ChooseMethodWithBestColours(copy, method.number);
        else
            copy.ChooseMethod(method.number);
        tiles.push_back(
            {method.number, copy.Preview(), copy.ResultColours(), copy.Milliseconds(), copy.Likeness(), swatches});
    }
    return tiles;
}

}  // namespace vorbix
