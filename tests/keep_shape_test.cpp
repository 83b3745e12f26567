#include <gtest/gtest.h>

#include "core/keep_shape.h"
#include "pipeline/session.h"

namespace vorbix {
namespace {

constexpr ColourValue kBlack = MakeColour(0, 0, 0);

TEST(KeepShape, NamesReadBackAndOthersAreRefused) {
    for (KeepShape shape : {KeepShape::Stretch, KeepShape::Fit, KeepShape::Fill})
        EXPECT_EQ(KeepShapeNamed(KeepShapeName(shape)), shape);
    for (const char* other : {"", "Fit", "crop", "fit "}) EXPECT_FALSE(KeepShapeNamed(other)) << other;
}

TEST(KeepShape, RectanglesKeepThePicturesShapeCentredInWholePixels) {
    const struct {
        int width, height;
        KeepShape shape;
        PixelRect rect;
    } cases[] = {
        {1200, 800, KeepShape::Stretch, {0, 0, 512, 480}},
        {1200, 800, KeepShape::Fit, {0, 69, 512, 341}},    // 3:2 between bars above and below
        {800, 1200, KeepShape::Fit, {96, 0, 320, 480}},    // upright: bars left and right
        {1024, 960, KeepShape::Fit, {0, 0, 512, 480}},     // the frame's own shape fills it
        {1200, 800, KeepShape::Fill, {173, 0, 853, 800}},  // the middle of a wide picture
        {800, 1200, KeepShape::Fill, {0, 225, 800, 750}},  // the middle of an upright one
        {1024, 960, KeepShape::Fill, {0, 0, 1024, 960}},
        {10000, 1, KeepShape::Fit, {0, 239, 512, 1}},      // never thinner than a pixel
        {1, 10000, KeepShape::Fill, {0, 4999, 1, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShapeRect(c.width, c.height, 512, 480, c.shape), c.rect)
            << c.width << " x " << c.height << " " << KeepShapeName(c.shape);
}

// Four columns, red, green, blue, white, two rows high: twice as wide as a 4 x 4 frame.
Picture Columns() {
    Picture p(4, 2);
    const ColourValue colours[] = {MakeColour(255, 0, 0), MakeColour(0, 255, 0), MakeColour(0, 0, 255), MakeColour(255, 255, 255)};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) p.SetPixel(x, y, colours[x]);
    return p;
}

TEST(KeepShape, FitDrawsBarsFillCropsTheMiddleAndStretchIsTheWholeFrame) {
    const Picture source = Columns();

    Picture fitted(4, 4, MakeColour(9, 9, 9));
    ScaleKeepingShape(fitted, source, KeepShape::Fit);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(fitted.Pixel(x, 0), kBlack);
        EXPECT_EQ(fitted.Pixel(x, 1), source.Pixel(x, 0));
        EXPECT_EQ(fitted.Pixel(x, 2), source.Pixel(x, 1));
        EXPECT_EQ(fitted.Pixel(x, 3), kBlack);
    }

    Picture filled(2, 2);
    ScaleKeepingShape(filled, source, KeepShape::Fill);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(filled.Pixel(0, y), source.Pixel(1, 0));
        EXPECT_EQ(filled.Pixel(1, y), source.Pixel(2, 0));
    }

    Picture stretched(4, 4), expected(4, 4);
    ScaleKeepingShape(stretched, source, KeepShape::Stretch);
    StretchPicture(expected, source, 4, 4, 1);
    EXPECT_EQ(stretched, expected);
}

TEST(KeepShape, TheSessionLoadsInTheShapeAndItsSlidersKeepIt) {
    // 1024 x 240: fitted, 512 x 120 between bars of 180 rows.
    const Picture wide(1024, 240, MakeColour(100, 150, 200));
    Session session;
    session.SetKeepShape(KeepShape::Fit);
    session.Load(wide);
    EXPECT_EQ(session.SourceView().Pixel(256, 179), kBlack);
    EXPECT_EQ(session.SourceView().Pixel(256, 180), MakeColour(100, 150, 200));
    EXPECT_EQ(session.SourceView().Pixel(256, 300), kBlack);

    session.MoveSlider(Slider::Brightness, 25);
    EXPECT_EQ(session.SourceView().Pixel(256, 179), kBlack);
    EXPECT_EQ(session.SourceView().Pixel(256, 180), MakeColour(50, 75, 100));

    // Without "Resize" the picture keeps its own size whatever the shape.
    Session unscaled;
    unscaled.SetResize(false);
    unscaled.SetKeepShape(KeepShape::Fill);
    unscaled.Load(Picture(100, 50, MakeColour(100, 150, 200)));
    EXPECT_EQ(unscaled.SourceView().Pixel(99, 49), MakeColour(100, 150, 200));
    EXPECT_EQ(unscaled.SourceView().Pixel(100, 0), kViewBackground);
}

}  // namespace
}  // namespace vorbix
