#include "pipeline/method_sheet.h"

#include "dither/methods.h"

namespace vorbix {

std::vector<MethodTile> ConvertWithEveryMethod(const Session& session) {
    // Committing on the base copy swaps a loaded picture of any size for the small source view, so
    // the seventeen copies stay cheap; a conversion reads only the source view.
    Session base = session;
    base.Commit();
    std::vector<MethodTile> tiles;
    for (const Method& method : Methods()) {
        Session copy = base;
        copy.ChooseMethod(method.number);
        tiles.push_back({method.number, copy.Preview(), copy.ResultColours(), copy.Milliseconds(), copy.Likeness()});
    }
    return tiles;
}

}  // namespace vorbix
