#include "draw/sheet.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "core/tvc.h"
#include "dither/methods.h"
#include "draw/bitmap_font.h"

namespace vorbix {

namespace {

constexpr int kMargin = 8;
constexpr int kFrame = 3;
constexpr ColourValue kBackground = MakeColour(48, 48, 48);
constexpr ColourValue kCaption = MakeColour(240, 240, 240);
constexpr ColourValue kFigures = MakeColour(176, 176, 176);
constexpr ColourValue kHighlight = MakeColour(255, 200, 0);
constexpr ColourValue kBest = MakeColour(120, 230, 120);
constexpr int kCaptionLines = 3;  // method; colours and time; likeness

std::string OneDecimal(double value) {
    const long tenths = std::lround(value * 10);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

void FillBox(Picture& picture, const TileBox& box, ColourValue colour) {
    const int left = std::max(box.left, 0), right = std::min(box.left + box.width, picture.Width());
    if (left >= right) return;
    const std::uint8_t pixel[3] = {static_cast<std::uint8_t>(GetBlue(colour)), static_cast<std::uint8_t>(GetGreen(colour)),
                                   static_cast<std::uint8_t>(GetRed(colour))};
    for (int y = std::max(box.top, 0); y < std::min(box.top + box.height, picture.Height()); ++y) {
        std::uint8_t* row = picture.Row(y);
        for (int x = left; x < right; ++x) std::memcpy(row + x * 3, pixel, 3);
    }
}

// The tile lies inside the sheet, as the layout places it.
void Paste(Picture& sheet, const Picture& tile, int left, int top) {
    for (int y = 0; y < tile.Height(); ++y)
        std::memcpy(sheet.Row(top + y) + left * 3, tile.Row(y), static_cast<std::size_t>(tile.Width()) * 3);
}

}  // namespace

SheetLayout::SheetLayout(int scale, int columns) : scale_(scale < 1 ? 1 : scale), columns_(columns < 1 ? 1 : columns) {}

SheetLayout SheetLayout::Fitting(int scale, int width, int tileCount) {
    const int perColumn = SheetLayout(scale, 1).TileAt(0).width + kMargin;
    return SheetLayout(scale, std::clamp((width - kMargin) / perColumn, 1, std::max(1, tileCount)));
}

int SheetLayout::TextScale() const { return scale_ <= 2 ? 2 : 1; }

TileBox SheetLayout::PictureBox(int n) const {
    const TileBox tile = TileAt(n);
    return {tile.left + kFrame, tile.top + kFrame, kPreviewWidth / scale_, kPreviewHeight / scale_};
}

TileBox SheetLayout::TileAt(int n) const {
    const int width = kPreviewWidth / scale_ + 2 * kFrame;
    const int height = kPreviewHeight / scale_ + 2 * kFrame + kCaptionLines * kGlyphLineHeight * TextScale() + kFrame;
    return {kMargin + (n % columns_) * (width + kMargin), kMargin + (n / columns_) * (height + kMargin), width, height};
}

int SheetLayout::Width() const {
    const TileBox first = TileAt(0);
    return kMargin + columns_ * (first.width + kMargin);
}

int SheetLayout::Height(int tileCount) const {
    const int rows = (tileCount + columns_ - 1) / columns_;
    return kMargin + rows * (TileAt(0).height + kMargin);
}

std::optional<int> SheetLayout::PositionAt(int x, int y, int tileCount) const {
    for (int n = 0; n < tileCount; ++n)
        if (TileAt(n).Contains(x, y)) return n;
    return std::nullopt;
}

Picture ReducedPreview(const Picture& preview, const SheetLayout& layout) {
    const TileBox box = layout.PictureBox(0);
    Picture reduced(box.width, box.height);
    StretchPicture(reduced, preview, box.width, box.height, 1);
    return reduced;
}

std::size_t BestTile(const std::vector<MethodTile>& tiles) {
    const auto best = std::min_element(tiles.begin(), tiles.end(),
                                       [](const MethodTile& a, const MethodTile& b) { return a.likeness < b.likeness; });
    return static_cast<std::size_t>(best - tiles.begin());
}

void DrawSheetTile(Picture& sheet, const SheetLayout& layout, int n, const MethodTile& tile, const Picture& reduced,
                   bool highlighted, bool best) {
    const int text = layout.TextScale();
    // Drawn apart and pasted whole, a tile's captions end at its edge, so that it can be drawn
    // again over an earlier state of itself or beside newer neighbours.
    const TileBox whole = layout.TileAt(n);
    TileBox box = layout.PictureBox(n);
    box.left -= whole.left;
    box.top -= whole.top;
    Picture drawn(whole.width, whole.height, highlighted ? kHighlight : kBackground);
    Paste(drawn, reduced, box.left, box.top);
    const int captionTop = box.top + box.height + kFrame;
    // Inside the highlight frame the captions need their own dark ground.
    FillBox(drawn, {box.left, captionTop, box.width, kCaptionLines * kGlyphLineHeight * text}, kBackground);
    const std::string caption = std::to_string(tile.method) + " " + std::string(MethodNumbered(tile.method).caption);
    DrawText(drawn, box.left, captionTop, caption, kCaption, text);
    const std::string figures = std::to_string(tile.colours) + (tile.colours == 1 ? " colour, " : " colours, ") +
                                std::to_string(tile.milliseconds) + " ms";
    DrawText(drawn, box.left, captionTop + kGlyphLineHeight * text, figures, kFigures, text);
    // The font has no Greek: "dE" stands for ΔE.
    const std::string score =
        "likeness " + OneDecimal(tile.likeness) + " dE " + OneDecimal(tile.deltaE) + (best ? " best" : "");
    const int scoreTop = captionTop + 2 * kGlyphLineHeight * text;
    DrawText(drawn, box.left, scoreTop, score, best ? kBest : kFigures, text);
    // The set it was converted with, as squares after the score.
    const int square = (kGlyphLineHeight - 1) * text;
    int left = box.left + (static_cast<int>(score.size()) + 1) * kGlyphAdvance * text;
    for (ColourValue colour : tile.swatches) {
        FillBox(drawn, {left, scoreTop, square, square}, colour);
        left += square + text;
    }
    Paste(sheet, drawn, whole.left, whole.top);
}

Picture ComposeSheet(const std::vector<MethodTile>& tiles, const SheetLayout& layout, int highlightedMethod,
                     const std::vector<Picture>& reduced) {
    const int count = static_cast<int>(tiles.size());
    Picture sheet(layout.Width(), layout.Height(count), kBackground);
    const std::size_t best = BestTile(tiles);
    for (int n = 0; n < count; ++n) {
        const MethodTile& tile = tiles[n];
        const bool given = static_cast<std::size_t>(n) < reduced.size() && !reduced[n].Empty();
        DrawSheetTile(sheet, layout, n, tile, given ? reduced[n] : ReducedPreview(tile.preview, layout),
                      tile.method == highlightedMethod, static_cast<std::size_t>(n) == best);
    }
    return sheet;
}

}  // namespace vorbix
