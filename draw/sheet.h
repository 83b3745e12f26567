#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "core/picture.h"

namespace vorbix {

// One method's result on the current source view.
struct MethodTile {
    int method = 0;  // 1..kAllMethodCount
    Picture preview;  // as the preview would show it
    int colours = 0;
    int milliseconds = 0;
    double likeness = 0;  // lower is closer
    double deltaE = 0;    // the colour difference alone, S-CIELAB ΔE
    std::vector<ColourValue> swatches;  // the colours it was converted with, when chosen for it
};

struct TileBox {
    int left;
    int top;
    int width;
    int height;
    bool Contains(int x, int y) const { return x >= left && y >= top && x < left + width && y < top + height; }
};

// Where the tiles of a sheet go: a grid of previews reduced by scale, each with three caption
// lines below it (method; colour count and milliseconds; likeness score, the lowest marked best).
class SheetLayout {
public:
    explicit SheetLayout(int scale = 2, int columns = 6);
    // As many columns as fit into width (at least one, at most one per tile).
    static SheetLayout Fitting(int scale, int width, int tileCount);

    int Width() const;
    int Height(int tileCount) const;
    // The preview part of the tile at position n (0 first, left to right, then down).
    TileBox PictureBox(int n) const;
    // The whole tile at position n: picture, captions and the frame around them.
    TileBox TileAt(int n) const;
    // The position of the tile under (x, y), if any.
    std::optional<int> PositionAt(int x, int y, int tileCount) const;
    int TextScale() const;

private:
    int scale_;
    int columns_;
};

// A tile's preview at the size of the layout's picture boxes.
Picture ReducedPreview(const Picture& preview, const SheetLayout& layout);

// The tile with the lowest likeness score, which the sheet marks best; tiles.size() when none.
std::size_t BestTile(const std::vector<MethodTile>& tiles);

// Draws the tile at position n over whatever the sheet held there, so that a front end can
// redraw one tile as it arrives; reduced is its ReducedPreview.
void DrawSheetTile(Picture& sheet, const SheetLayout& layout, int n, const MethodTile& tile, const Picture& reduced,
                   bool highlighted, bool best);

// The labelled grid of the tiles; the tile of the highlighted method (0: none) gets a frame.
// reduced, where given, holds each tile's ReducedPreview (an empty one is reduced here), so that
// a front end that composes again as each tile arrives reduces each only once.
Picture ComposeSheet(const std::vector<MethodTile>& tiles, const SheetLayout& layout, int highlightedMethod,
                     const std::vector<Picture>& reduced = {});

}  // namespace vorbix
